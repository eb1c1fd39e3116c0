#include "frontend/TipOfTheDay.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTextEdit>
#include <QVBoxLayout>

#include "frontend/TipsFile.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Rtf.h"
#include "platform/Seams.h"

namespace {
const char* const kLoadFailed = "Error while loading tip of the day. Sorry, can't show any tip.";
const char* const kNoTips = "Tip-of-the-day resource file not found. Sorry, can't show any tip.";
}  // namespace

TTipOfTheDayDLG::TTipOfTheDayDLG(QWidget* owner) : QDialog(owner) {
  setObjectName("TipOfTheDayDLG");
  setWindowTitle("Tip of the day");
  auto* outer = new QVBoxLayout(this);

  auto* head = new QWidget(this);
  head->setObjectName("HeadingPNL");
  head->setAutoFillBackground(true);
  QPalette hp = head->palette();
  hp.setColor(QPalette::Window, hp.color(QPalette::Dark));
  hp.setColor(QPalette::WindowText, hp.color(QPalette::BrightText));
  head->setPalette(hp);
  auto* headRow = new QHBoxLayout(head);
  auto* icon = new QLabel(head);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
  headRow->addWidget(icon);
  Heading = new QLabel("Did you know...?", head);
  Heading->setObjectName("Heading");
  QFont hf;
  hf.setFamilies(plat::FontFamiliesFor("Arial"));
  hf.setPointSize(14);
  hf.setBold(true);
  hf.setItalic(true);
  Heading->setFont(hf);
  headRow->addWidget(Heading, 1);
  outer->addWidget(head);

  TipBOX = new QTextEdit(this);
  TipBOX->setObjectName("TipBOX");
  TipBOX->setReadOnly(true);
  TipBOX->setMinimumSize(420, 150);
  QPalette tp = TipBOX->palette();
  tp.setColor(QPalette::Base, tp.color(QPalette::ToolTipBase));
  tp.setColor(QPalette::Text, tp.color(QPalette::ToolTipText));
  TipBOX->setPalette(tp);
  outer->addWidget(TipBOX, 1);

  auto* checks = new QHBoxLayout;
  AutoShow = new QCheckBox("&Show tips at startup", this);
  AutoShow->setObjectName("AutoShow");
  ShowRandom = new QCheckBox("Show tips &randomly", this);
  ShowRandom->setObjectName("ShowRandom");
  checks->addWidget(AutoShow);
  checks->addWidget(ShowRandom);
  checks->addStretch(1);
  outer->addLayout(checks);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  PrevBTN = new QPushButton("&Previous", this);
  PrevBTN->setObjectName("PrevBTN");
  NextBTN = new QPushButton("&Next", this);
  NextBTN->setObjectName("NextBTN");
  CloseBTN = new QPushButton("&Close", this);
  CloseBTN->setObjectName("CloseBTN");
  for (QPushButton* b : {PrevBTN, NextBTN, CloseBTN}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  NextBTN->setDefault(true);
  outer->addLayout(buttons);

  connect(NextBTN, &QPushButton::clicked, this, [this] { ShowTip(true); });
  connect(PrevBTN, &QPushButton::clicked, this, [this] { ShowTip(false); });
  connect(CloseBTN, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
  connect(AutoShow, &QCheckBox::toggled, this, [this](bool on) { ShowAtStartup = on; });
  connect(ShowRandom, &QCheckBox::toggled, this, [this](bool on) { Random = on; });
  resize(500, 300);
}

TTipOfTheDayDLG::~TTipOfTheDayDLG() = default;

int TTipOfTheDayDLG::Execute(bool modal) {
  Qt::WindowFlags f = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                      Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;
  if (!modal) f |= Qt::WindowMinimizeButtonHint;
  setWindowFlags(f);
  if (!modal) {
    show();
    return 0;
  }
  return plat::Ui().ShowModal(this);
}

void TTipOfTheDayDLG::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (e->spontaneous()) return;
  CenterOnScreen(this);
  FormShow();
}

void TTipOfTheDayDLG::reject() { done(QDialog::Accepted); }

void TTipOfTheDayDLG::FormShow() {
  AutoShow->setChecked(ShowAtStartup);
  ShowRandom->setChecked(Random);
  ShowTip(true);
}

void TTipOfTheDayDLG::ShowTip(bool forward) {
  std::string caption = Title + " - Tip of the day";
  setWindowTitle(plat::FromAnsi(caption));
  data_.clear();
  offsets_.clear();
  std::string error;
  if (plat::ResolveNoCase(FileName) &&
      !plat::ReadRegularFile(FileName, data_, tips::kMaxFileSize, &error)) {
    Fail("The tip-of-the-day file cannot be read:\r" + FileName + "\r(" + error +
         ")\rSorry, can't show any tip.");
    return;
  }
  offsets_ = tips::ReadOffsets(data_);
  const int count = TipCount();
  if (count == 0) {
    Fail(kNoTips);
    return;
  }
  // Previous goes back from the tip on screen (the position already points past it).
  int tip = Position;
  if (!forward && !Random && shown_ >= 0) tip = shown_ - 1 < 0 ? count - 1 : shown_ - 1;
  // A position left over from a longer file starts again at the first tip.
  if (tip < 0 || tip >= count) tip = 0;
  if (ShowPosition) {
    caption += " (" + std::to_string(tip + 1) + "/" + std::to_string(count) + ")";
    setWindowTitle(plat::FromAnsi(caption));
  }
  if (!LoadTip(tip)) {
    Position = tip;
    Fail(kLoadFailed);
    return;
  }
  shown_ = tip;
  if (Random)
    Position = static_cast<int32_t>(plat::Ui().Random(static_cast<uint32_t>(count)));
  else
    Position = tip + 1 >= count ? 0 : tip + 1;
}

bool TTipOfTheDayDLG::LoadTip(int index) {
  if (index < 0 || index >= TipCount()) return false;
  auto text = tips::LoadTip(data_, offsets_[static_cast<size_t>(index)]);
  if (!text) return false;
  TipBOX->clear();
  if (plat::IsRtf(*text))
    plat::ReadRtf(*text, *TipBOX->document());
  else
    plat::ReadPlainText(*text, *TipBOX->document());
  return true;
}

void TTipOfTheDayDLG::Fail(const std::string& text) {
  plat::Ui().MessageBox(this, plat::ToAnsi(windowTitle()), text, plat::MB_ICONERROR);
}

void TMainFRM::HelpTipsACTNExecute() {
  TTipOfTheDayDLG dlg(this);
  dlg.Title = "Velmora";
  dlg.Position = TipNumber;
  dlg.FileName = plat::FindShippedFile(ProgramDir, "VELMORA.TIP");
  dlg.ShowPosition = true;
  dlg.Random = TipsRandomly;
  dlg.ShowAtStartup = ShowTipsAtStartup;
  dlg.Execute(true);
  TipNumber = dlg.Position;
  TipsRandomly = dlg.Random;
  ShowTipsAtStartup = dlg.ShowAtStartup;
}
