// The emulator directories dialog: the eleven folders of MAME.CFG's directory section.
#pragma once
#include "launch/OptionDialog.h"

class QTableWidget;
class TMainFRM;

class TMAMEDirFRM : public TOptionDialog {
  Q_OBJECT
 public:
  explicit TMAMEDirFRM(TMainFRM* main);
  void FormShow();
  void DirBrowseBTNClick();
  void DefaultBTNClick();
  void CheckDirectories();
  QTableWidget* Paths = nullptr;
  QPushButton* DirBrowseBTN = nullptr;
  QPushButton* DefaultBTN = nullptr;

 protected:
  bool Accept() override;

 private:
  TMainFRM* main_;
  std::string Cell(int row) const;
  void SetCell(int row, const std::string& text);
  std::string DefaultPath(int row) const;
};
