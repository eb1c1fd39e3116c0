#include "launch/OptionDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QSlider>
#include <QVBoxLayout>
#include <exception>

#include "platform/Seams.h"

TOptionDialog::TOptionDialog(QWidget* owner, const char* objectName) : TDXForm(owner) {
  setObjectName(objectName);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  Body = new QWidget(central);
  outer->addWidget(Body, 1);
  ButtonRow = OkCancelRow(central, OkBTN, CancelBTN);
  outer->addLayout(ButtonRow);
  setCentralWidget(central);
  connect(OkBTN, &QPushButton::clicked, this, [this] {
    plat::RunGuarded([this] { if (Accept()) SetModalResult(mrOk); },
                     [this](const std::string& error) {
                       plat::Ui().MessageBox(this, "Velmora", error, plat::MB_ICONERROR);
                     });
  });
  connect(CancelBTN, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

QComboBox* MakeValueCombo(QWidget* parent, const char* name, const options::ValueList& list,
                          const char* hint) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  for (const std::string& c : list.captions) box->addItem(QString::fromStdString(c));
  box->setToolTip(QString::fromLatin1(hint));
  return box;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* caption, const char* hint) {
  auto* c = new QCheckBox(QString::fromLatin1(caption), parent);
  c->setObjectName(name);
  c->setToolTip(QString::fromLatin1(hint));
  return c;
}

QSlider* MakeSlider(QWidget* parent, const char* name, int lo, int hi, const char* hint) {
  auto* s = new QSlider(Qt::Horizontal, parent);
  s->setObjectName(name);
  s->setRange(lo, hi);
  s->setToolTip(QString::fromLatin1(hint));
  return s;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text) {
  auto* l = new QLabel(QString::fromLatin1(text), parent);
  l->setObjectName(name);
  return l;
}

void SelectValue(QComboBox* box, const options::ValueList& list, const std::string& stored) {
  box->setCurrentIndex(options::IndexOfValue(list, stored));
}

void SetEnabledColoured(QWidget* w, bool enabled) {
  w->setEnabled(enabled);
  QPalette p = w->palette();
  p.setColor(QPalette::Base, w->palette().color(enabled ? QPalette::Base : QPalette::Button));
  w->setPalette(p);
}

namespace options {

QPixmap MonitorPicture() {
  QPixmap pm(100, 70);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(190, 190, 180));
  p.setPen(QColor(90, 90, 90));
  p.drawRoundedRect(QRectF(0.5, 0.5, 99, 69), 6, 6);
  p.setBrush(QColor(40, 60, 50));
  p.drawRoundedRect(QRectF(6, 6, 88, 58), 4, 4);
  return pm;
}

QPixmap RotationDemo(const std::string& name) {
  // "MAME" turned by the angle in the name; a leading "3" means mirrored first.
  const bool mirrored = !name.empty() && name[0] == '3';
  const int angle = std::atoi(name.c_str() + 4);
  QPixmap pm(56, 56);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.translate(28, 28);
  p.rotate(angle);
  if (mirrored) p.scale(-1, 1);
  QFont f("Arial", 11, QFont::Bold);
  p.setFont(f);
  p.setPen(QColor(160, 0, 0));
  p.drawText(QRect(-28, -10, 56, 20), Qt::AlignCenter, "MAME");
  p.setPen(QColor(0, 0, 160));
  p.drawLine(-20, 10, 20, 10);  // the baseline shows which way is down
  return pm;
}

}  // namespace options
