// The preferences window. Its creation lists the CD-ROM drives; the main window creates and
// frees it once at start-up for that alone.
#pragma once
#include "database/DXClass.h"

class QComboBox;
class QCheckBox;
class TMainFRM;

class TPreferencesFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TPreferencesFRM(TMainFRM* owner);
  ~TPreferencesFRM() override;

  void FormCreate();

  QComboBox* CdRom = nullptr;   // "CD-ROM drive:"
  QCheckBox* MameCd = nullptr;  // "Use MAMECD compliant d&iscs"

 private:
  TMainFRM* main_;
};
