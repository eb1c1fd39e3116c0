// The miscellaneous options dialog: input, debugging, language and the data files.
#pragma once
#include <QCheckBox>
#include <QLineEdit>

#include "launch/OptionDialog.h"

class TMainFRM;

class TMiscFRM : public TOptionDialog {
  Q_OBJECT
 public:
  explicit TMiscFRM(TMainFRM* main);
  void FormShow();
  void UpdateCheatControls();
  void CheatFileBrowseBTNClick();
  void HistoryFileBrowseBTNClick();
  void MameInfoFileBrowseBTNClick();
  void CheatEditBTNClick();
  void SaveSettings() override;
  QComboBox *Joystick, *Dirty, *mmx, *Language;
  QCheckBox *Mouse, *HotRod, *HotRodSE, *SteadyKey, *debug, *log, *Emulate3, *cheat;
  QLineEdit *CheatFile, *HistoryFile, *MameInfoFile;
  QPushButton *CheatFileBrowseBTN, *HistoryFileBrowseBTN, *MameInfoFileBrowseBTN, *CheatEditBTN;

 private:
  TMainFRM* main_;
  options::ValueList languages_;
  void Browse(QLineEdit* edit, const char* filter, const char* title);
};
