#include <gtest/gtest.h>
#include <QApplication>
#include <QTreeView>
#include <QKeyEvent>
#include <QMenu>
#include "frontend/MainWindowHarness.h"
TEST(Probe, AltM) {
  MainWindowHarness h;
  h.home.write("VELMORA.INI", "[General]\r\nLastProfile=nothing.VRL\r\n");
  TMainFRM& w = h.Make();
  w.show();
  h.LoadGames({"AAA", "BBB"}, h.home.path());
  w.UpdateActions(); w.FocusGameList();
  QApplication::setActiveWindow(&w);
  QApplication::processEvents();
  for (QWidget* target : {(QWidget*)w.TreeList, (QWidget*)w.UserZoom}) {
  target->setFocus(); QApplication::processEvents();
  QKeyEvent so(QEvent::ShortcutOverride, Qt::Key_M, Qt::AltModifier, "m");
  so.ignore();
  QApplication::sendEvent(QApplication::focusWidget(), &so);
  printf("%s override accepted=%d\n", target->objectName().toStdString().c_str(), so.isAccepted());
  }
}
