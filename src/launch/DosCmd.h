// The command-line window: created at start-up and kept for the whole run.
#pragma once
#include <string>

#include "database/DXClass.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TMainFRM;

class TCmdLineFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TCmdLineFRM(QWidget* owner = nullptr);
  ~TCmdLineFRM() override;

  // The main window whose options the command line uses (set before each use).
  TMainFRM* Main = nullptr;

  // From the main window's options, or (fromWindow) with the window's unsaved choices.
  // `shell`: without the interpreter and its switch, as typed at a shell prompt.
  std::string BuildCommandLine(const std::string& setName, bool fromWindow, bool shell = false);
  void FormShow();
  void SomethingClick();
  void OkBTNClick();
  void UpdateExample();
  void SaveSettings();

  QGroupBox* CmdLineBOX = nullptr;
  QLineEdit* CmdLineExample = nullptr;
  QCheckBox* AddOptions = nullptr;
  QLineEdit* ExtraOptions = nullptr;
  QCheckBox* LogMame = nullptr;
  QCheckBox* IgnoreCfg = nullptr;
  QPushButton* OkBTN = nullptr;
  QPushButton* CancelBTN = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
};

// The program's one command-line window (null until start-up has created it).
extern TCmdLineFRM* CmdLineFRM;
