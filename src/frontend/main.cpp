#include "frontend/main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QShowEvent>

TMainFRM::TMainFRM(QWidget* owner) : TDXForm(owner) {
  QApplication::setApplicationName("Velmora");
  setWindowTitle("Velmora");
  setMinimumSize(760, 570);
}

TMainFRM::~TMainFRM() = default;

void TMainFRM::closeEvent(QCloseEvent* e) { TDXForm::closeEvent(e); }

void TMainFRM::showEvent(QShowEvent* e) { TDXForm::showEvent(e); }
