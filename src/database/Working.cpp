#include "database/Working.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <cmath>

#include "platform/Cp1252.h"
#include "platform/Seams.h"

TWorkingFRM* WorkingFRM = nullptr;

namespace {

// One frame of the little animation: bubbles rising, the second frame half a step higher.
QPixmap BubbleFrame(int frame) {
  QPixmap pm(48, 41);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  struct Bubble { double x, y, r; };
  static const Bubble bubbles[] = {{12, 33, 6}, {28, 24, 5}, {18, 13, 4}, {35, 8, 3}};
  double shift = frame == 0 ? 0 : -4;
  for (const Bubble& b : bubbles) {
    QRectF r(b.x - b.r + (frame ? 2 : 0), b.y - b.r + shift, 2 * b.r, 2 * b.r);
    QRadialGradient g(r.center() - QPointF(b.r / 3, b.r / 3), b.r);
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(70, 130, 200));
    p.setBrush(g);
    p.setPen(QPen(QColor(30, 70, 140), 1));
    p.drawEllipse(r);
  }
  return pm;
}

}  // namespace

TWorkingFRM::TWorkingFRM(QWidget* owner) : TDXForm(owner) {
  setObjectName("WorkingFRM");
  SetEscapeCloses(false);
  // Dialog border without border icons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle("Velmora - Please wait...");

  auto* central = new QWidget(this);
  auto* grid = new QGridLayout(central);
  grid->setContentsMargins(12, 10, 12, 10);
  grid->setHorizontalSpacing(10);

  Operation = new QLabel(central);
  Operation->setObjectName("Operation");
  Operation->setMinimumWidth(260);
  grid->addWidget(Operation, 0, 0);

  auto* frames = new QWidget(central);
  frames->setFixedSize(48, 41);
  auto bubble = [frames](const char* name, int frame) {
    auto* b = new QLabel(frames);
    b->setObjectName(name);
    b->setGeometry(0, 0, 48, 41);
    b->setPixmap(BubbleFrame(frame));
    b->setAttribute(Qt::WA_TranslucentBackground);
    b->hide();
    return b;
  };
  Bub1 = bubble("Bub1", 0);
  Bub2 = bubble("Bub2", 1);
  grid->addWidget(frames, 0, 1, 2, 2, Qt::AlignRight | Qt::AlignTop);

  Progress = new QProgressBar(central);
  Progress->setObjectName("Progress");
  Progress->setRange(0, 100);
  Progress->setValue(0);
  Progress->setTextVisible(false);
  grid->addWidget(Progress, 2, 0);

  ProgressPercentage = new QLabel("0%", central);
  ProgressPercentage->setObjectName("ProgressPercentage");
  ProgressPercentage->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  ProgressPercentage->setMinimumWidth(40);
  grid->addWidget(ProgressPercentage, 2, 1, 1, 2);

  CancelBTN = new QPushButton("&Cancel", central);
  CancelBTN->setObjectName("CancelBTN");
  CancelBTN->setFocusPolicy(Qt::NoFocus);  // Enter does not stop the work; Escape does
  CancelBTN->hide();
  grid->addWidget(CancelBTN, 3, 0, 1, 3, Qt::AlignRight);
  connect(CancelBTN, &QPushButton::clicked, this, [this] { RequestCancel(); });

  setCentralWidget(central);

  AnimationTMR = new QTimer(this);
  AnimationTMR->setInterval(500);
  connect(AnimationTMR, &QTimer::timeout, this, [this] { AnimationTMRTimer(); });

  if (!WorkingFRM) WorkingFRM = this;
}

TWorkingFRM::~TWorkingFRM() {
  if (WorkingFRM == this) WorkingFRM = nullptr;
}

int32_t TWorkingFRM::Percentage(int32_t done, int32_t total) {
  if (total == 0) return 100;  // the single step is also the last one
  double p = std::trunc(static_cast<double>(done) / static_cast<double>(total) * 100.0);
  if (!(p > 0)) return 0;  // negative figures (and NaN) give 0
  if (p > 100) return 100;
  return static_cast<int32_t>(p);
}

void TWorkingFRM::SetProgress(int32_t p) {
  bool changed = false;
  if (p < 0) {
    if (!Progress->isHidden()) {
      Progress->hide();
      changed = true;
    }
    if (!ProgressPercentage->isHidden()) {
      ProgressPercentage->hide();
      changed = true;
    }
  } else {
    if (p > 100) p = 100;
    // A value arriving while the bar is hidden shows it again, even the old position.
    if (p != Progress->value() || Progress->isHidden() || ProgressPercentage->isHidden()) {
      Progress->setValue(p);
      Progress->show();
      ProgressPercentage->setText(QString::number(p) + "%");
      ProgressPercentage->show();
      changed = true;
    }
  }
  if (changed) {
    ++pumps_;
    plat::ProcessPendingEvents();
  }
}

void TWorkingFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TWorkingFRM::hideEvent(QHideEvent* e) {
  TDXForm::hideEvent(e);
  if (!e->spontaneous()) FormHide();
}

void TWorkingFRM::closeEvent(QCloseEvent* e) {
  e->ignore();
  if (cancellable_) RequestCancel();
}

void TWorkingFRM::SetCancellable(bool cancellable) {
  cancelRequested_ = false;
  CancelBTN->setEnabled(true);
  if (cancellable == cancellable_) return;
  cancellable_ = cancellable;
  CancelBTN->setVisible(cancellable);
  Qt::WindowFlags f = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (cancellable) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  setWindowFlags(f);
  setWindowModality(cancellable ? Qt::ApplicationModal : Qt::NonModal);
}

void TWorkingFRM::RequestCancel() {
  if (!cancellable_) return;
  cancelRequested_ = true;
  CancelBTN->setEnabled(false);  // taken: the work stops as soon as it can
}

void TWorkingFRM::FormShow() {
  setWindowTitle("Velmora - Please wait...");
  Bub1->show();
  Bub2->hide();
  Progress->setRange(0, 100);
  AnimationTMR->start();
  // Centred on the screen.
  if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
    QRect g = frameGeometry();
    g.moveCenter(s->availableGeometry().center());
    move(g.topLeft());
  }
}

void TWorkingFRM::FormHide() { AnimationTMR->stop(); }

void TWorkingFRM::AnimationTMRTimer() {
  if (Bub1->isHidden()) {
    Bub1->show();
    Bub2->hide();
  } else {
    Bub2->show();
    Bub1->hide();
  }
}

TWorkingGuard::TWorkingGuard(const std::string& text, int32_t progress, bool cancellable) {
  if (!WorkingFRM) return;
  shown_ = true;
  if (!WorkingFRM->isVisible()) WorkingFRM->SetCancellable(cancellable);
  Step(text, progress);
  WorkingFRM->show();
  if (cancellable) {
    WorkingFRM->raise();
    WorkingFRM->activateWindow();
  }
}

TWorkingGuard::~TWorkingGuard() { Hide(); }

void TWorkingGuard::Step(const std::string& text, int32_t progress) {
  if (!WorkingFRM || !shown_) return;
  if (WorkingFRM->Operation) WorkingFRM->Operation->setText(plat::FromAnsi(text));
  Set(progress);
}

void TWorkingGuard::Set(int32_t progress) {
  if (!WorkingFRM || !shown_) return;
  last_ = progress;
  WorkingFRM->SetProgress(progress);
}

void TWorkingGuard::Progress(size_t done, size_t last) {
  int32_t p = TWorkingFRM::Percentage(static_cast<int32_t>(done), static_cast<int32_t>(last));
  if (p != last_) Set(p);
}

void TWorkingGuard::Hide() {
  if (!WorkingFRM || !shown_) return;
  shown_ = false;
  WorkingFRM->SetProgress(-1);
  WorkingFRM->hide();
  WorkingFRM->SetCancellable(false);
}

bool TWorkingGuard::Poll() {
  if (!WorkingFRM || !shown_ || !WorkingFRM->Cancellable()) {
    plat::ProcessPendingEvents();
    return false;
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return WorkingFRM->CancelRequested();
}
