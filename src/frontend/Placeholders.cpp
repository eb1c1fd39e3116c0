// Stand-ins for steps that other features of the program provide: each is replaced by the
// real one when that feature is in, and this file goes once all of them are.
#include <QLabel>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "database/Report.h"
#include "database/Working.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

// --- profiles ---

void TMainFRM::OpenProfile(const std::string& fileName) {
  if (!plat::ResolveNoCase(fileName)) {
    if (ShowMessageBox("Cannot find " + fileName + " profile!\rDo you want to create a new profile?\r",
                       plat::MB_YESNO | plat::MB_ICONERROR) == plat::IDYES)
      CreateProfile();
  }
}

void TMainFRM::CreateProfile() {
  if (!ConfirmUnsavedFilters()) return;
}

// --- statistics ---

void TMainFRM::LoadStats() { PlayStats = std::make_unique<PlayStatList>(); }

void TMainFRM::SaveStats() {}

// --- game list ---

void TMainFRM::RebuildFilterTabs(int32_t index) {
  if (!Filters) return;
  QSignalBlocker block(ListTabs);
  int current = ListTabs->currentIndex();
  while (ListTabs->count() > 0) ListTabs->removeTab(0);
  for (size_t i = 0; i < Filters->size(); ++i) {
    const FilterDescriptor* f = (*Filters)[i].get();
    ListTabs->addTab(plat::FromAnsi(f ? f->Name : std::string()));
  }
  int want = index == -1 ? current : index;
  if (want >= ListTabs->count()) want = ListTabs->count() - 1;
  if (want < 0 && ListTabs->count() > 0) want = 0;
  ListTabs->setCurrentIndex(want);
}

// --- tip of the day, new-filter dialog ---

void TMainFRM::HelpTipsACTNExecute() {}

void TMainFRM::FileFilterNewACTNExecute() {}
