// Shared pieces of the emulator option dialogs: the window with its Ok and Cancel buttons,
// list controls bound to value lists, and the pictures drawn in code.
#pragma once
#include <QComboBox>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>

#include "database/DXClass.h"
#include "launch/OptionValues.h"

class QBoxLayout;
class QVBoxLayout;

// A modal option window: a body above "&Ok" (default) and "&Cancel". Ok runs Accept and
// closes with mrOk unless it returns false; Cancel closes with mrCancel.
class TOptionDialog : public TDXForm {
  Q_OBJECT
 public:
  explicit TOptionDialog(QWidget* owner, const char* objectName);
  QWidget* Body = nullptr;
  QPushButton* OkBTN = nullptr;
  QPushButton* CancelBTN = nullptr;
  QBoxLayout* ButtonRow = nullptr;  // extra buttons go before Ok
 protected:
  // Stores the controls; false keeps the window open. By default SaveSettings, always done.
  virtual bool Accept() {
    SaveSettings();
    return true;
  }
  virtual void SaveSettings() {}
};

// A list whose items are the captions of a value list.
QComboBox* MakeValueCombo(QWidget* parent, const char* name, const options::ValueList& list,
                          const char* hint);
// Selects the item whose value equals `stored` (nothing when none does).
void SelectValue(QComboBox* box, const options::ValueList& list, const std::string& stored);

class QCheckBox;
// A check box with its name, caption and hint.
QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* caption, const char* hint);

class QSlider;
class QLabel;
// A horizontal slider over lo..hi with its name and hint.
QSlider* MakeSlider(QWidget* parent, const char* name, int lo, int hi, const char* hint);
// A named label.
QLabel* MakeLabel(QWidget* parent, const char* name, const char* text);

// Window colour when enabled, button face when not.
void SetEnabledColoured(QWidget* w, bool enabled);

namespace options {
// The monitor picture of the video previews (100 x 70, screen area (7,7)-(93,63)).
QPixmap MonitorPicture();
// The rotation demo picture of a name from RotationPicture().
QPixmap RotationDemo(const std::string& name);
}  // namespace options
