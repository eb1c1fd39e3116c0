// Stand-ins for steps that other features of the program provide: each is replaced by the
// real one when that feature is in, and this file goes once all of them are.
#include <QLabel>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "database/Report.h"
#include "database/Working.h"
#include "frontend/GameTree.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

// --- profiles ---

void TMainFRM::BuildGameIndex() {}

bool TMainFRM::LoadProfile(const std::string& fileName) {
  ShowMessageBox(fileName + ": invalid file type", plat::MB_ICONERROR);
  return false;
}

bool TMainFRM::SaveProfile(const std::string&) { return false; }

bool TMainFRM::ParseListInfo() { return false; }

// --- actions ---

void TMainFRM::UpdateActions() {
  if (!ProfileLoaded) {
    if (auto* model = qobject_cast<GameTreeModel*>(TreeList->model())) model->Clear();
    QuickInfoBOX->clear();
    setWindowTitle("Velmora - no profile loaded");
  }
}

void TMainFRM::DeletePifFile() {}

void TMainFRM::AddRecentProfile(const std::string& fileName) {
  for (const std::string& s : RecentProfiles)
    if (plat::SameText(s, fileName)) return;
  for (size_t i = RecentProfiles.size() - 1; i > 0; --i) RecentProfiles[i] = RecentProfiles[i - 1];
  RecentProfiles[0] = String255(fileName).str();
  BuildReopenMenus();
}

void TMainFRM::AddRecentFilter(const std::string& fileName) {
  for (const std::string& s : RecentFilters)
    if (plat::SameText(s, fileName)) return;
  for (size_t i = RecentFilters.size() - 1; i > 0; --i) RecentFilters[i] = RecentFilters[i - 1];
  RecentFilters[0] = String255(fileName).str();
  BuildReopenMenus();
}

// The name index's lookup (a plain scan until the index is in).
GameRecord* TMainFRM::LookUpSetName(const std::string& name) {
  if (name.empty()) return nullptr;
  if (GameRecord* g = types::FindByName(Games.get(), name)) return g;
  return types::FindByName(Resources.get(), name);
}

// --- statistics ---

// --- tip of the day, new-filter dialog ---

void TMainFRM::HelpTipsACTNExecute() {}

void TMainFRM::FileFilterNewACTNExecute() {}
