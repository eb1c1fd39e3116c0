// Filters as tabs of the game list: the filter actions, filter files, the questions about
// unsaved filters, and reopening the remembered filter files after a profile change.
#include <QLabel>
#include <QTabBar>

#include "database/Working.h"
#include "frontend/FilterFile.h"
#include "frontend/InputQuery.h"
#include "frontend/TreeLayout.h"
#include "frontend/WorkingProgress.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/SafeName.h"
#include "platform/Seams.h"

namespace {

const char* const kFilterDialogFilter = "Velmora filters (*.VRF)|*.VRF";

std::string NotSavedQuestion(const std::string& name, const char* tail) {
  return "The \"" + name + "\" filter is not saved yet.\r" + tail;
}

// The save dialog of a filter, in its own folder when it has a file; a filter without one is
// proposed under its name.
plat::FileDialogRequest FilterSaveRequest(const FilterDescriptor& f, const std::string& folder) {
  const std::string& fileName = f.FileName;
  plat::FileDialogRequest req;
  req.save = true;
  req.title = "Save filter";
  req.defaultExt = "VRF";
  req.filter = kFilterDialogFilter;
  req.initialDir = folder;
  req.fileName = fileName;
  if (fileName.empty()) {
    std::string name = plat::ToLocal(plat::FromAnsi(plat::Trim(f.Name)));
    if (plat::IsPlainName(name)) req.fileName = name + ".VRF";
  }
  if (std::string dir = plat::DirectoryOf(fileName); !dir.empty()) {
    req.initialDir = dir;
    req.fileName = plat::FileNameOf(fileName);
  }
  req.overwritePrompt = true;
  return req;
}

// Save, Don't save or Cancel for an unsaved filter about to go; false: it stays (cancelled,
// or the save did not happen).
bool SaveOrLetGo(TMainFRM& w, FilterDescriptor* f) {
  const int answer = w.ShowMessageBox(NotSavedQuestion(f->Name, "Save it first?"),
                                      plat::MB_ICONWARNING | plat::MB_YESNOCANCEL |
                                          plat::MB_SAVEDONTSAVE);
  if (answer == plat::IDNO) return true;
  if (answer != plat::IDYES) return false;
  if (f->FileName.empty()) {
    plat::FileDialogRequest req = FilterSaveRequest(*f, w.FiltersFolder());
    auto chosen = plat::Ui().FileDialog(&w, req);
    if (!chosen) return false;
    f->FileName = *chosen;
  }
  return w.SaveFilterFile(f);
}

}  // namespace

std::string TMainFRM::FiltersFolder() const {
  auto f = plat::FindNoCase(ProgramDir, "FILTERS");
  return f && plat::DirExists(*f) ? plat::WithSlash(*f) : ProgramDir;
}

bool TMainFRM::LoadFilterFile(const std::string& fileName, StringList* failures) {
  // Shown at once, or kept for one message about several files.
  auto fail = [&](const std::string& text) {
    if (failures)
      failures->push_back(text);
    else
      ShowMessageBox(text, plat::MB_ICONERROR);
    return false;
  };
  auto real = plat::ResolveNoCase(fileName);
  // Something there that is no regular file is told as such below, not as missing.
  if (!real) return fail("Filter file " + fileName + " not found");
  std::string text;
  std::string error;
  if (!plat::ReadRegularFile(*real, text, filterfile::kMaxFileSize, &error))
    return fail("Filter file " + fileName + " could not be read (" + error + ")");
  // The name is known only once the header is read.
  std::string firstLine = text.substr(0, text.find_first_of("\r\n"));
  std::string name = plat::Trim(firstLine);
  if (name.compare(0, filterfile::kHeader.size(), filterfile::kHeader) != 0)
    return fail("Filter file format unknown for file " + fileName);
  name = plat::Trim(std::string_view(name).substr(filterfile::kHeader.size()));

  auto filter = types::NewFilterDescriptor();
  filterfile::ParseResult parsed;
  {
    WorkingProgress progress(this, "Loading \"" + name + "\" filter...");
    parsed = filterfile::Parse(
        text, [this](const std::string& set) { return LookUpSetName(set); }, *filter,
        [&progress](size_t done, size_t total) { progress.Set(done, total); });
  }
  if (parsed == filterfile::ParseResult::TooDeep)
    return fail("Filter file " + fileName + " nests its folders deeper than " +
                std::to_string(gametree::MaxFolderDepth) + " levels");
  if (parsed == filterfile::ParseResult::TooManyEntries)
    return fail("Filter file " + fileName + " holds more than " +
                std::to_string(filterfile::kMaxEntries) + " games");
  if (parsed == filterfile::ParseResult::TooManyFolders)
    return fail("Filter file " + fileName + " has more than " +
                std::to_string(filterfile::kMaxFolders) + " folders");
  filter->FileName = fileName;
  filter->Modified = 0;
  if (!Filters) {
    Filters = std::make_unique<FilterList>();
    Filters->push_back(nullptr);
  }
  Filters->push_back(std::move(filter));
  AddRecentFilter(fileName);
  return true;
}

bool TMainFRM::SaveFilterFile(FilterDescriptor* filter) {
  if (!filter) return true;
  std::string text;
  {
    WorkingProgress progress(this, "Saving \"" + filter->Name + "\" filter...");
    text = filterfile::Format(*filter,
                              [&progress](size_t done, size_t total) { progress.Set(done, total); });
  }
  std::string error;
  if (!plat::WriteFileAtomic(filter->FileName, text, &error)) {
    // The filter stays marked as not saved.
    ShowMessageBox("The \"" + filter->Name + "\" filter could not be saved to " +
                       filter->FileName + ":\r" + error,
                   plat::MB_ICONERROR);
    return false;
  }
  filter->Modified = 0;
  return true;
}

bool TMainFRM::CloseFilter(int index) {
  if (!Filters || index < 1 || static_cast<size_t>(index) >= Filters->size()) return true;
  FilterDescriptor* f = (*Filters)[static_cast<size_t>(index)].get();
  if (f && f->Modified && !SaveOrLetGo(*this, f)) return false;
  types::DisposeFilterDescriptor((*Filters)[static_cast<size_t>(index)]);
  Filters->erase(Filters->begin() + index);
  RebuildFilterTabs(index);
  return true;
}

bool TMainFRM::FormCloseQuery() {
  if (closeAccepted_) return true;
  if (Filters) {
    for (size_t i = 1; i < Filters->size(); ++i) {
      FilterDescriptor* f = (*Filters)[i].get();
      if (!f || !f->Modified) continue;
      if (!SaveOrLetGo(*this, f)) return false;  // the marks of the others stay as they were
    }
    // The close goes ahead: the user has let every change go.
    for (size_t i = 1; i < Filters->size(); ++i)
      if ((*Filters)[i]) (*Filters)[i]->Modified = 0;
  }
  closeAccepted_ = true;
  return true;
}

bool TMainFRM::ConfirmUnsavedFilters() {
  // Before the first profile is read the list to open stands as the settings and the
  // command line made it.
  if (!Filters || Filters->empty() || !(*Filters)[0]) return true;
  // The files to open again are the ones open now, also when none is open any more.
  FiltersToOpen.clear();
  for (size_t i = 1; i < Filters->size(); ++i) {
    const FilterDescriptor* f = (*Filters)[i].get();
    if (f && !f->FileName.empty()) FiltersToOpen.push_back(f->FileName);
  }
  for (size_t i = 1; i < Filters->size(); ++i) {
    const FilterDescriptor* f = (*Filters)[i].get();
    if (!f || !f->Modified) continue;
    if (ShowMessageBox(NotSavedQuestion(f->Name, "Continue with the operation?"),
                       plat::MB_ICONWARNING | plat::MB_YESNO) != plat::IDYES)
      return false;
  }
  return true;
}

void TMainFRM::ReloadRememberedFilters() {
  const StringList files = FiltersToOpen;
  StringList failures;
  // The tab to select is counted among the files: a file that fails moves the ones after it.
  const int32_t selected = LastSelectedFilter;
  for (size_t i = 0; i < files.size() && i < 65536; ++i) {
    const bool loaded = LoadFilterFile(files[i], &failures);
    if (selected >= 1 && static_cast<size_t>(selected) == i + 1)
      LastSelectedFilter = loaded && Filters ? static_cast<int32_t>(Filters->size()) - 1 : 0;
  }
  if (failures.empty()) return;
  // One message, however many files failed.
  constexpr size_t kShown = 10;
  std::string text;
  for (size_t i = 0; i < failures.size() && i < kShown; ++i) text += (i ? "\r" : "") + failures[i];
  if (failures.size() > kShown)
    text += "\r(and " + std::to_string(failures.size() - kShown) + " more filter files)";
  ShowMessageBox(text, plat::MB_ICONERROR);
}

void TMainFRM::ListTabsChange() {
  if (tabsChanging_) return;
  tabsChanging_ = true;
  try {
    RebuildFilterTabs(ListTabs->currentIndex());
  } catch (...) {
    tabsChanging_ = false;
    throw;
  }
  tabsChanging_ = false;
}

namespace {
// Filter actions work on a profile's filters only.
bool HasProfileFilters(const std::unique_ptr<FilterList>& filters) {
  return filters && !filters->empty() && (*filters)[0];
}
}  // namespace

FilterDescriptor* TMainFRM::FilterOfTab(int tab) const {
  return Filters && tab >= 0 && static_cast<size_t>(tab) < Filters->size()
             ? (*Filters)[static_cast<size_t>(tab)].get()
             : nullptr;
}

void TMainFRM::FileFilterRenameACTNExecute() {
  if (!HasProfileFilters(Filters)) return;
  int tab = ListTabs->currentIndex();
  if (tab == 0) {
    ShowMessageBox("This filter cannot be renamed", plat::MB_ICONINFORMATION);
    return;
  }
  FilterDescriptor* f = FilterOfTab(tab);
  if (!f) return;
  std::string name = f->Name;
  if (!InputQuery("Velmora", "Rename " + f->Name + " filter:", name, true)) return;
  f->Name = name;
  f->Modified = 1;
  RebuildFilterTabs(tab);
}

void TMainFRM::FileFilterOpenACTNExecute() {
  if (!HasProfileFilters(Filters)) return;
  plat::FileDialogRequest req;
  req.title = "Load filter";
  req.defaultExt = "VRF";
  req.filter = "Velmora filters (*.VRF)|*.VRF|All files (*.*)|*.*";
  req.filterIndex = 1;
  req.initialDir = FiltersFolder();
  req.mustExist = true;
  auto chosen = plat::Ui().FileDialog(this, req);
  if (!chosen) return;
  if (LoadFilterFile(*chosen))
    RebuildFilterTabs(static_cast<int32_t>(Filters->size()) - 1);
  else
    RebuildFilterTabs(-1);
}

void TMainFRM::FileFilterSaveAsACTNExecute() {
  if (!Filters || Filters->empty()) return;
  int tab = ListTabs->currentIndex();
  if (tab == 0) {
    ShowMessageBox("This filter cannot be saved", plat::MB_ICONERROR);
    return;
  }
  FilterDescriptor* f = FilterOfTab(tab);
  if (!f) return;
  plat::FileDialogRequest req = FilterSaveRequest(*f, FiltersFolder());
  auto chosen = plat::Ui().FileDialog(this, req);
  if (!chosen) return;
  f->FileName = *chosen;
  SaveFilterFile(f);
}

void TMainFRM::FileFilterSaveACTNExecute() {
  if (!Filters || Filters->empty()) return;
  int tab = ListTabs->currentIndex();
  FilterDescriptor* f = FilterOfTab(tab);
  if (tab == 0 || (f && f->FileName.empty())) {
    FileFilterSaveAsACTNExecute();
    return;
  }
  SaveFilterFile(f);
}

void TMainFRM::FileFilterCloseACTNExecute() {
  if (!HasProfileFilters(Filters)) return;
  int tab = ListTabs->currentIndex();
  if (tab == 0) {
    ShowMessageBox("This filter cannot be closed", plat::MB_ICONERROR);
    return;
  }
  CloseFilter(tab);
}
