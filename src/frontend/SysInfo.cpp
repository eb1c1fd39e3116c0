#include "frontend/SysInfo.h"

#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/SystemInfo.h"

TSysInfoFRM::TSysInfoFRM(QWidget* owner, const plat::SystemSource* source)
    : TDXForm(owner), source_(source ? source : &plat::RealSystem()) {
  setObjectName("SysInfoFRM");
  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  outer->setSizeConstraint(QLayout::SetFixedSize);
  auto* grid = new QGridLayout;
  auto value = [central](const char* name) {
    auto* l = new QLabel(central);
    l->setObjectName(name);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
  };
  TotPhis = value("TotPhis");
  AvailPhis = value("AvailPhis");
  TotVirtual = value("TotVirtual");
  AvailVirtual = value("AvailVirtual");
  const std::pair<const char*, QLabel*> rows[] = {{"Total physical memory:", TotPhis},
                                                  {"Available physical memory:", AvailPhis},
                                                  {"Total virtual memory:", TotVirtual},
                                                  {"Available virtual memory:", AvailVirtual}};
  int r = 0;
  for (const auto& [caption, label] : rows) {
    grid->addWidget(new QLabel(caption, central), r, 0);
    grid->addWidget(label, r++, 1);
  }
  grid->setColumnMinimumWidth(1, 90);
  outer->addLayout(grid);
  auto* os = new QVBoxLayout;
  os->setSpacing(2);
  QLabel** lines[] = {&Os1, &Os2, &Os3, &Os4};
  for (int i = 0; i < 4; ++i) {
    *lines[i] = new QLabel(central);
    (*lines[i])->setObjectName(QString("Os%1").arg(i + 1));
    (*lines[i])->setWordWrap(true);
    (*lines[i])->setMinimumWidth(320);
    (*lines[i])->setMaximumWidth(460);
    os->addWidget(*lines[i]);
  }
  outer->addSpacing(6);
  outer->addLayout(os);
  auto* cpu = new QGridLayout;
  cpu->addWidget(new QLabel("Processor:", central), 0, 0, Qt::AlignTop);
  Processor = value("Processor");
  Processor->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Processor->setWordWrap(true);
  Processor->setMaximumWidth(380);
  cpu->addWidget(Processor, 0, 1);
  cpu->setColumnStretch(1, 1);
  outer->addSpacing(6);
  outer->addLayout(cpu);
  OkBTN = new QPushButton("&Ok", central);
  OkBTN->setObjectName("OkBTN");
  OkBTN->setDefault(true);
  outer->addWidget(OkBTN, 0, Qt::AlignRight);
  setCentralWidget(central);
  auto done = [this](int result) {
    SetModalResult(result);
    close();
  };
  connect(OkBTN, &QPushButton::clicked, this, [done] { done(mrOk); });
  // Enter presses Ok and Escape closes the window (the window base class).
}

TSysInfoFRM::~TSysInfoFRM() = default;

int TSysInfoFRM::Execute(const std::string& title) {
  Title = title;
  setWindowTitle(plat::FromAnsi(title + " - System info"));
  return ShowModal();
}

void TSysInfoFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  if (e->spontaneous()) return;
  FormShow();
  adjustSize();
  CenterOnScreen(this);
}

void TSysInfoFRM::FormShow() {
  setWindowTitle(plat::FromAnsi(Title + " - System info"));
  const plat::MemoryStatus m = plat::ParseMemInfo(source_->ReadText("/proc/meminfo"));
  TotPhis->setText(QString::fromStdString(plat::MegabytesText(m.totalPhys)));
  AvailPhis->setText(QString::fromStdString(plat::MegabytesText(m.availPhys)));
  TotVirtual->setText(QString::fromStdString(plat::MegabytesText(m.totalVirtual)));
  AvailVirtual->setText(QString::fromStdString(plat::MegabytesText(m.availVirtual)));
  const plat::KernelName kernel = source_->Uname();
  std::string osRelease = source_->ReadText("/etc/os-release");
  if (osRelease.empty()) osRelease = source_->ReadText("/usr/lib/os-release");
  const auto lines = plat::SystemLines(osRelease, kernel);
  QLabel* os[] = {Os1, Os2, Os3, Os4};
  for (size_t i = 0; i < lines.size(); ++i) os[i]->setText(QString::fromStdString(lines[i]));
  Processor->setText(
      QString::fromStdString(plat::ProcessorName(source_->ReadText("/proc/cpuinfo"), kernel)));
}

void TMainFRM::OptionsSysInfoACTNExecute() {
  TSysInfoFRM form(this);
  form.Execute("Velmora");
}
