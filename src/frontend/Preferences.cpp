#include "frontend/Preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

#include "frontend/main.h"
#include "platform/Drives.h"

TPreferencesFRM::TPreferencesFRM(TMainFRM* owner) : TDXForm(owner), main_(owner) {
  setObjectName("PreferencesFRM");
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  MameCd = new QCheckBox("Use MAMECD compliant d&iscs", body);
  MameCd->setObjectName("MameCd");
  CdRom = new QComboBox(body);
  CdRom->setObjectName("CdRom");
  layout->addWidget(MameCd);
  layout->addWidget(new QLabel("CD-ROM drive:", body));
  layout->addWidget(CdRom);
  setCentralWidget(body);
  FormCreate();
}

TPreferencesFRM::~TPreferencesFRM() = default;

void TPreferencesFRM::FormCreate() {
  for (const plat::CdRomDrive& d : plat::CdRomDrives())
    CdRom->addItem(QString::fromStdString(d.letter));
  if (CdRom->count() == 0 && main_) main_->MameCdEnabled = false;
}
