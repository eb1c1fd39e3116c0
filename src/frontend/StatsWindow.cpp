#include "frontend/StatsWindow.h"

#include <optional>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <cmath>
#include <optional>

#include "database/Working.h"
#include "platform/Cp1252.h"

namespace {
QColor Rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }
}  // namespace

TStatFRM::TStatFRM(QWidget* owner) : TDXForm(owner) {
  setObjectName("StatFRM");
  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  auto* top = new QHBoxLayout;
  Graph = new QLabel(central);
  Graph->setObjectName("Graph");
  Graph->setFixedSize(ChartSize, ChartSize);
  top->addWidget(Graph, 0, Qt::AlignTop);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  for (size_t i = 0; i < GamePNL.size(); ++i) {
    GamePNL[i] = new QLabel("0%", central);
    GamePNL[i]->setObjectName(QString("Game%1PNL").arg(i + 1));
    GamePNL[i]->setAlignment(Qt::AlignCenter);
    GamePNL[i]->setFixedSize(64, 19);
    GamePNL[i]->setFrameShape(QFrame::Panel);
    GamePNL[i]->setFrameShadow(QFrame::Sunken);
    GamePNL[i]->setAutoFillBackground(true);
    GameLBL[i] = new QLabel("Not available", central);
    GameLBL[i]->setObjectName(QString("Game%1LBL").arg(i + 1));
    grid->addWidget(GamePNL[i], static_cast<int>(i), 0);
    grid->addWidget(GameLBL[i], static_cast<int>(i), 1);
  }
  grid->setColumnStretch(1, 1);
  top->addLayout(grid, 1);
  outer->addLayout(top);
  auto* totals = new QGridLayout;
  NPlays = new QLabel("0", central);
  NPlays->setObjectName("NPlays");
  TotTime = new QLabel("00:00:00", central);
  TotTime->setObjectName("TotTime");
  totals->addWidget(new QLabel("Total number of plays:", central), 0, 0);
  totals->addWidget(NPlays, 0, 1);
  totals->addWidget(new QLabel("Total playing time:", central), 1, 0);
  totals->addWidget(TotTime, 1, 1);
  totals->setColumnStretch(1, 1);
  outer->addLayout(totals);
  CloseBTN = new QPushButton("&Ok", central);
  CloseBTN->setObjectName("CloseBTN");
  CloseBTN->setDefault(true);
  outer->addWidget(CloseBTN, 0, Qt::AlignRight);
  setCentralWidget(central);
  connect(CloseBTN, &QPushButton::clicked, this, [this] {
    SetModalResult(mrOk);
    close();
  });
  setFixedSize(620, 300);
  CenterOnScreen(this);
}

TStatFRM::~TStatFRM() = default;

void TStatFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TStatFRM::FormShow() {
  PlayStatList empty;
  PlayStatList& list = Stats ? *Stats : empty;
  const bool measured = !list.empty();
  {
    std::optional<TWorkingGuard> working;
    if (measured) working.emplace("Sorting statistics...", 0);
    view_ = stats::BuildView(list, Mode, FindGame, [&](size_t i, size_t n) {
      if (working) working->Progress(i, n);
    });
  }

  setWindowTitle(plat::FromAnsi(view_.caption));
  NPlays->setText(QString::fromStdString(view_.playsText));
  TotTime->setText(QString::fromStdString(view_.timeText));
  for (size_t i = 0; i < view_.Slots.size(); ++i) {
    const stats::Slot& s = view_.Slots[i];
    QPalette pal = GamePNL[i]->palette();
    if (s.used) {
      pal.setColor(QPalette::Window, Rgb(s.panelColor));
      pal.setColor(QPalette::WindowText, Rgb(s.textColor));
    } else {
      pal.setColor(QPalette::Window, palette().color(QPalette::Button));
      pal.setColor(QPalette::WindowText, palette().color(QPalette::ButtonText));
    }
    GamePNL[i]->setPalette(pal);
    GamePNL[i]->setText(QString::fromStdString(s.panelText));
    GameLBL[i]->setText(plat::FromAnsi(s.label));
  }
  DrawChart();
}

void TStatFRM::DrawChart() {
  const int w = Graph->width(), h = Graph->height();
  QPixmap pix(w, h);
  pix.fill(palette().color(QPalette::Base));
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(Qt::white);
  p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
  const QRectF box(0, 0, w - 1, h - 1);
  if (view_.emptyChart) {
    p.setBrush(QBrush(QColor(128, 128, 128), Qt::DiagCrossPattern));
    p.drawEllipse(box);
  } else {
    for (const stats::Slot& s : view_.Slots) {
      if (!s.used || s.sweepAngle <= 0) continue;
      p.setBrush(QBrush(Rgb(s.panelColor), s.others ? Qt::DiagCrossPattern : Qt::SolidPattern));
      if (s.share >= 100.0) {
        p.drawEllipse(box);
        continue;
      }
      // Screen angles grow clockwise; Qt's grow counter-clockwise, in sixteenths of a degree.
      const double k = 180.0 / M_PI * 16.0;
      p.drawPie(box, static_cast<int>(std::lround(-s.startAngle * k)),
                static_cast<int>(std::lround(-s.sweepAngle * k)));
    }
  }
  p.end();
  Graph->setPixmap(pix);
}

// ---------------------------------------------------------------------------------------------
// The main window's statistics.

#include "frontend/main.h"
#include "platform/Files.h"
#include "platform/Seams.h"

void TMainFRM::LoadStats() {
  types::FreePlayStatList(PlayStats);
  std::string error;
  PlayStats = stats::LoadStatsFile(StatsFileName, &error);
  // Without a list no play is counted, and the file is left as it is.
  if (!PlayStats)
    ShowMessageBox("The statistics cannot be read from " + StatsFileName + ":\r" + error +
                       "\r\rPlays are not counted, and the file is left as it is.",
                   plat::MB_ICONWARNING);
}

void TMainFRM::SaveStats() {
  if (!PlayStats || PlayStats->empty()) return;
  std::string error;
  if (!stats::SaveStatsFile(*PlayStats, StatsFileName, &error))
    ShowMessageBox("Cannot write the statistics file " + StatsFileName + ":\r" + error,
                   plat::MB_ICONERROR);
}

void TMainFRM::OptionsStatResetACTNExecute() {
  if (ShowMessageBox("This will permanently delete the\rstatistics data gathered until now!\r\r"
                     "Are you sure?",
                     52) != plat::IDYES)
    return;
  if (auto file = plat::ResolveNoCase(StatsFileName); file && !plat::RemoveFile(*file)) {
    ShowMessageBox("Cannot delete the statistics file " + StatsFileName + ".\r"
                   "The statistics have been kept.",
                   plat::MB_ICONERROR);
    return;
  }
  LoadStats();
  if (SortBy == 4) RebuildFilterTabs(-1);
  GameSelected();
}

namespace {
void ShowStats(TMainFRM* main, uint8_t mode) {
  if (!main->PlayStats) main->PlayStats = std::make_unique<PlayStatList>();
  TStatFRM w(main);
  w.Mode = mode;
  w.Stats = main->PlayStats.get();
  w.FindGame = [main](std::string_view n) -> const GameRecord* {
    return main->FindGameByName(std::string(n));
  };
  w.ShowModal();
}
}  // namespace

void TMainFRM::StatsNPlaysACTNExecute() { ShowStats(this, stats::ByPlays); }

void TMainFRM::StatsPlayingTimeACTNExecute() { ShowStats(this, stats::ByTime); }
