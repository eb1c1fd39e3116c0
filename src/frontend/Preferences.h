// The preferences window: the user settings of the main window (joystick buttons, tests
// before a launch, MAMECD discs, report fonts, text editor, FAQ folder, picture tabs,
// statistics and the game-list options). Its creation lists the CD-ROM drives; the main
// window also creates and frees it once at start-up for that alone.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "frontend/PreferenceValues.h"
#include "launch/OptionDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTimer;
class TMainFRM;
class TDXInput;

class TPreferencesFRM : public TOptionDialog {
  Q_OBJECT
 public:
  explicit TPreferencesFRM(TMainFRM* owner);
  ~TPreferencesFRM() override;

  void FormCreate();
  void FormShow();  // run before the window is shown
  void FormHide();
  void UseDirectXClick();
  void JoyCheckTMRTimer();
  void MameCdClick();
  void TextEditorBrowseBTNClick();
  void FaqFilesDirBrowseBTNClick();
  void PathEditBrowseBTNClick();
  void AddBTNClick();
  void DeleteBTNClick();
  void DefaultBTNClick();
  void FillPictureTypes();
  void UpdateJoyButtonCaptions();
  void AssignJoyButton(int function, uint8_t button);
  // The capture button that is down takes a pressed joystick button (0: none pressed).
  void JoyButtonPressed(uint8_t button);
  bool SavePreferences();  // true when the window may close
  // Moves a picture row to another place (rows dragged by their number).
  void MovePictureRow(int from, int to);
  // The picture rows as shown (an empty list for a disabled grid).
  std::vector<prefs::PictureRow> PictureRows() const;

  QCheckBox* UseDirectX = nullptr;
  // Capture buttons by function (prefs::JoyFunction): play, top, bottom, page up, page down,
  // random.
  std::array<QPushButton*, 6> JoyBTN{};
  QPushButton*& PlayBTN = JoyBTN[prefs::JoyPlay];
  QPushButton*& TopBTN = JoyBTN[prefs::JoyTop];
  QPushButton*& BottomBTN = JoyBTN[prefs::JoyBottom];
  QPushButton*& PgUpBTN = JoyBTN[prefs::JoyPageUp];
  QPushButton*& PgDnBTN = JoyBTN[prefs::JoyPageDown];
  QPushButton*& RandomBTN = JoyBTN[prefs::JoyRandom];
  QCheckBox* TestSamples = nullptr;
  QCheckBox* TestCRC = nullptr;
  QCheckBox* CreateMissingFiles = nullptr;
  QCheckBox* MameCd = nullptr;  // "Use MAMECD compliant d&iscs"
  QComboBox* CdRom = nullptr;   // "CD-ROM drive:"
  QPushButton* CdRomBrowseBTN = nullptr;  // a folder as the drive
  void CdRomBrowseBTNClick();
  // Lists a folder drive (once) and selects it.
  void SelectDriveFolder(const std::string& folder);
  QComboBox* BoldText = nullptr;
  QComboBox* NormalText = nullptr;
  QLineEdit* TextEditor = nullptr;
  QPushButton* TextEditorBrowseBTN = nullptr;
  QLineEdit* FaqFilesDir = nullptr;
  QPushButton* FaqFilesDirBrowseBTN = nullptr;
  QLabel* PicTypeLBL = nullptr;
  QTableWidget* PicTypeList = nullptr;
  QPushButton* PathEditBrowseBTN = nullptr;
  QPushButton* AddBTN = nullptr;
  QPushButton* DeleteBTN = nullptr;
  QPushButton* DefaultBTN = nullptr;
  QCheckBox* Stats = nullptr;
  QCheckBox* KillPif = nullptr;
  QListWidget* ListingOptions = nullptr;
  QTimer* JoyCheckTMR = nullptr;  // 25 ms, polls the joystick while a capture may happen
  TDXInput* DirectX = nullptr;    // the joystick (keyboard and mouse off)

 protected:
  bool Accept() override { return SavePreferences(); }
  void hideEvent(QHideEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TMainFRM* main_;
  prefs::JoyButtons buttons_{};
  int dragRow_ = -1;
  int TabCount() const;
  void SetRow(int row, int number, const std::string& name, const std::string& folder);
  void SetPictureRows(const std::vector<prefs::PictureRow>& rows);
  void BlankGrid();
  void PictureGridChanged();
  void SetColumnWidths();  // a tenth, a third and the rest of the grid
  void SetCaptureEnabled(bool on);
  void RaiseCaptureButtons();
  // The joystick and its timer, switched on and off with the capture.
  void SetJoystickActive(bool on);
};
