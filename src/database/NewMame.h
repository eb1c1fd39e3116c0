// The new-profile page: asks for the emulator's executable, then for the profile file name.
#pragma once
#include <functional>
#include <string>

#include "database/DXClass.h"
#include "platform/Seams.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QFrame;

class TNewMameFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TNewMameFRM(QWidget* owner = nullptr);
  ~TNewMameFRM() override;

  // Set by the caller before showing: where the executable dialog starts (the emulator folder
  // of the profile in use, else the program folder) and the program folder (with trailing "/").
  std::string EmulatorDir;
  std::string ProgramDir;
  // The executable the box proposes when the page opens (none when empty).
  std::string ProposedFile;

  // The answers.
  std::string EmulatorFile;  // the executable's full path
  std::string ProfileFile;   // the profile file's full path

  // Asked by Go before the page closes: false (after saying why) keeps the page open on the
  // first step with EmulatorFile in the box, so that another one can be chosen.
  std::function<bool()> CheckEmulator;

  void FormShow();
  void BrowseBTNClick();
  void NextBTNClick();
  void GoBTNClick();
  void CancelBTNClick();

  QLabel* VelmoraImage = nullptr;
  QLabel* FileNameLBL = nullptr;
  QLineEdit* FileName = nullptr;
  QPushButton* BrowseBTN = nullptr;
  QPushButton* NextBTN = nullptr;
  QPushButton* GoBTN = nullptr;
  QPushButton* CancelBTN = nullptr;
  QLabel* HintLBL = nullptr;
  QFrame* SepBVL = nullptr;
  plat::FileDialogRequest OpenDLG;
  plat::FileDialogRequest SaveDLG;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  int Message(const std::string& text, unsigned flags);
  std::string ProfilesFolder() const;
  void ShowFirstStep();
  std::string replaceConfirmed_;  // an existing file the save dialog asked about
};
