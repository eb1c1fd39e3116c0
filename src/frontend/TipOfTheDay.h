// The tip-of-the-day dialog: shows the tips of the tips file one at a time, forward, backward
// or at random. The position it holds is always the next tip to show going forward.
#pragma once
#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTextEdit;

class TTipOfTheDayDLG : public QDialog {
  Q_OBJECT
 public:
  explicit TTipOfTheDayDLG(QWidget* owner = nullptr);
  ~TTipOfTheDayDLG() override;

  // Set by the caller before showing.
  std::string Title;
  int32_t Position = 0;
  std::string FileName;
  bool ShowPosition = true;
  bool Random = false;
  bool ShowAtStartup = true;

  // Modal: shown until closed (the result is the modal result); non-modal: shown at once.
  int Execute(bool modal);
  // What the dialog does when it is shown: the check boxes take the states, one tip forward.
  void FormShow();
  void ShowTip(bool forward);
  int TipCount() const { return static_cast<int>(offsets_.size()); }

  QLabel* Heading = nullptr;
  QTextEdit* TipBOX = nullptr;
  QCheckBox* AutoShow = nullptr;
  QCheckBox* ShowRandom = nullptr;
  QPushButton* NextBTN = nullptr;
  QPushButton* PrevBTN = nullptr;
  QPushButton* CloseBTN = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
  void reject() override;

 private:
  bool LoadTip(int index);
  void Fail(const std::string& text);
  std::vector<uint32_t> offsets_;
  std::string data_;
  int shown_ = -1;  // the tip on screen
};
