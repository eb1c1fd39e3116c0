#include "frontend/About.h"

#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "frontend/main.h"
#include "platform/Files.h"

namespace {

const char* const kNotice =
    "Velmora version 1.0\n"
    "A front-end for the MAME arcade emulator.\n\n"
    "This program is provided as is, without warranty of any kind. You may use and copy it "
    "freely; MAME and the games it runs belong to their owners.";

}  // namespace

TAboutFRM::TAboutFRM(QWidget* owner, const std::string& programDir) : TDXForm(owner) {
  setObjectName("AboutFRM");
  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  outer->setSizeConstraint(QLayout::SetFixedSize);
  LogoArea = new TDXDraw(central);
  LogoArea->setObjectName("LogoArea");
  LogoArea->setFixedSize(kLogoWidth, kLogoHeight);
  LogoArea->SetOptions(kDefaultDXDrawOptions | Opt(doStretch));
  LogoArea->SetColor(Qt::black);
  LogoArea->SetAutoSize(false);
  LogoArea->SetSurfaceSize(kLogoWidth, kLogoHeight);
  for (int i = 1; i <= kLogoFrames; ++i) {
    char file[16], name[8];
    std::snprintf(file, sizeof file, "LOGO%02d.BMP", i);
    std::snprintf(name, sizeof name, "Logo%02d", i);
    TPictureCollectionItem* item = Logo.Items().Add();
    item->SetName(name);
    item->Transparent = false;
    item->SetTransparentColor(65536);
    auto dib = std::make_shared<TDIB>();
    try {
      dib->LoadFromFile(plat::FindShippedFile(programDir, file));
    } catch (const std::exception&) {
      // A missing frame leaves the logo area black.
    }
    item->SetPicture(dib);
  }
  Logo.SetDXDraw(LogoArea);
  LogoArea->Loaded();
  outer->addWidget(LogoArea, 0, Qt::AlignHCenter);
  Notice = new QPlainTextEdit(central);
  Notice->setObjectName("Notice");
  Notice->setReadOnly(true);
  Notice->setPlainText(kNotice);
  Notice->setFixedSize(kLogoWidth, 120);
  outer->addWidget(Notice, 0, Qt::AlignHCenter);
  OkBTN = new QPushButton("&Ok", central);
  OkBTN->setObjectName("OkBTN");
  OkBTN->setDefault(true);
  outer->addWidget(OkBTN, 0, Qt::AlignRight);
  setCentralWidget(central);

  LogoTMR = new QTimer(this);
  LogoTMR->setObjectName("LogoTMR");
  connect(LogoTMR, &QTimer::timeout, this, &TAboutFRM::LogoTMRTimer);
  auto done = [this](int result) {
    SetModalResult(result);
    close();
  };
  connect(OkBTN, &QPushButton::clicked, this, [done] { done(mrOk); });
  // Enter presses Ok and Escape closes the window (the window base class).
}

TAboutFRM::~TAboutFRM() { LogoTMR->stop(); }

void TAboutFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  if (e->spontaneous()) return;
  FormShow();
  adjustSize();
  CenterOnScreen(this);
}

void TAboutFRM::hideEvent(QHideEvent* e) {
  if (!e->spontaneous()) LogoTMR->stop();
  TDXForm::hideEvent(e);
}

void TAboutFRM::FormShow() {
  setWindowTitle("Velmora - About");
  step_ = 1;
  LogoTMR->setInterval(kInterval);
  LogoTMR->start();
}

void TAboutFRM::LogoTMRTimer() {
  const int frame = kLogoSteps[static_cast<size_t>(step_ - 1)];
  lastFrame_ = frame;
  if (LogoArea->CanDraw()) {
    Logo.Items().Items(frame)->Draw(LogoArea->Surface(), 0, 0, 0);
    LogoArea->Flip();
  }
  step_ = step_ >= static_cast<int>(kLogoSteps.size()) ? 1 : step_ + 1;
}

void TMainFRM::HelpAboutACTNExecute() {
  TAboutFRM form(this, ProgramDir);
  form.ShowModal();
}
