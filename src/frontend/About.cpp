#include "frontend/About.h"

#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeySequence>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "frontend/main.h"
#include "platform/Files.h"

namespace {

const char* const kNotice =
    "Velmora version 1.0\n"
    "A front-end for the MAME arcade emulator: profiles of its games, filters, pictures, "
    "statistics, set verification and MAMECD discs.\n\n"
    "This program is provided as is, without warranty of any kind. You may use and copy it "
    "freely; MAME and the games it runs belong to their owners and are not part of it.";

// The logo's drawing area: shows the frame last drawn.
class LogoView : public QWidget {
 public:
  explicit LogoView(QWidget* parent) : QWidget(parent) {
    setObjectName("LogoArea");
    setFixedSize(TAboutFRM::kLogoWidth, TAboutFRM::kLogoHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  void Show(const QImage* frame) {
    frame_ = frame;
    repaint();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (frame_ && !frame_->isNull())
      p.drawImage(rect(), *frame_);
    else
      p.fillRect(rect(), Qt::black);
  }

 private:
  const QImage* frame_ = nullptr;
};

}  // namespace

TAboutFRM::TAboutFRM(QWidget* owner, const std::string& programDir) : TDXForm(owner) {
  setObjectName("AboutFRM");
  for (int i = 1; i <= kLogoFrames; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "LOGO%02d.BMP", i);
    QImage frame;
    frame.load(QString::fromStdString(plat::FindShippedFile(programDir, name)));
    frames_.push_back(frame);
  }
  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  outer->setSizeConstraint(QLayout::SetFixedSize);
  LogoArea = new LogoView(central);
  outer->addWidget(LogoArea, 0, Qt::AlignHCenter);
  Notice = new QPlainTextEdit(central);
  Notice->setObjectName("Notice");
  Notice->setReadOnly(true);
  Notice->setPlainText(kNotice);
  Notice->setFixedSize(kLogoWidth, 110);
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
  for (auto key : {Qt::Key_Return, Qt::Key_Enter})
    connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, [done] { done(mrOk); });
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          [done] { done(mrCancel); });
}

TAboutFRM::~TAboutFRM() { LogoTMR->stop(); }

void TAboutFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  if (e->spontaneous()) return;
  FormShow();
  adjustSize();
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
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
  static_cast<LogoView*>(LogoArea)->Show(&frames_[static_cast<size_t>(frame)]);
  step_ = step_ >= static_cast<int>(kLogoSteps.size()) ? 1 : step_ + 1;
}

void TMainFRM::HelpAboutACTNExecute() {
  TAboutFRM form(this, ProgramDir);
  form.ShowModal();
}
