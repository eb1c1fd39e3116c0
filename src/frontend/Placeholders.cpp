// Stand-ins for steps that other features of the program provide: each is replaced by the
// real one when that feature is in, and this file goes once all of them are.
#include <QLabel>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QTreeView>

#include "database/Report.h"
#include "database/Working.h"
#include "frontend/GameTree.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

// --- actions ---

void TMainFRM::UpdateActions() {
  if (!ProfileLoaded) {
    if (auto* model = qobject_cast<GameTreeModel*>(TreeList->model())) model->Clear();
    QuickInfoBOX->clear();
    setWindowTitle("Velmora - no profile loaded");
  }
}

void TMainFRM::DeletePifFile() {}

// --- tip of the day, new-filter dialog ---

void TMainFRM::HelpTipsACTNExecute() {}

