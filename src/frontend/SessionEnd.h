// The end of the desktop session reaches the main window: SIGTERM, SIGHUP and SIGINT, the
// session manager's request to store the user's data, and its order to end.
#pragma once
#include <QObject>
#include <QPointer>

#include "platform/SessionEnd.h"

class TMainFRM;

class TSessionEndWatch : public QObject {
 public:
  explicit TSessionEndWatch(TMainFRM* main);
  ~TSessionEndWatch() override;

 protected:
  // The session manager's order to end comes as the application's quit while the window is up.
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void End();  // the window's end, then the end of every event loop
  static void AtExit();  // an exit from under the event loop
  QPointer<TMainFRM> main_;
  plat::SessionEndSignals signals_;
};
