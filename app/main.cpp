#include <QApplication>
#include <QPointer>
#include <exception>

#include "database/Working.h"
#include "frontend/SessionEnd.h"
#include "frontend/main.h"
#include "launch/DosCmd.h"
#include "platform/Files.h"
#include "platform/ProgramLock.h"
#include "verify/MameCd.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setApplicationName("Velmora");
  // One running program per program folder: a later start calls the running one forward.
  QPointer<QWidget> shown;
  plat::ProgramLock lock(plat::ProgramDir(argc > 0 ? argv[0] : ""));
  if (!plat::TakeProgramFolder(lock, [&shown] { return plat::BringForward(shown); })) return 0;
  int rc = 0;
  try {
    // The four windows that live for the whole run, in this order.
    auto* mainForm = new TMainFRM;
    shown = mainForm;
    // The end of the desktop session closes the program as a close of its window does.
    TSessionEndWatch sessionEnd(mainForm);
    for (int i = 1; i < argc; ++i) mainForm->Arguments.emplace_back(argv[i]);
    WorkingFRM = new TWorkingFRM;
    CmdLineFRM = new TCmdLineFRM;
    MameCdFRM = new TMameCdFRM;

    mainForm->show();
    if (qEnvironmentVariableIsSet("VELMORA_QUIT_AFTER_START"))
      mainForm->close();
    else if (!plat::SessionEnding())
      rc = app.exec();
    // An end that came before the event loop could take it.
    if (plat::SessionEnding()) mainForm->EndSession();

    // The main window goes first: its shut-down may still use the others.
    delete mainForm;
    delete MameCdFRM;
    delete CmdLineFRM;
    delete WorkingFRM;
  } catch (const std::exception&) {
    rc = 1;
  }
  return rc;
}
