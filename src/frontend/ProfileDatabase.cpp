// The main window's side of the game database: parsing the emulator's catalogue, saving and
// loading profiles, the recent lists.
#include <QColor>
#include <QLabel>
#include <new>

#include "database/Listinfo.h"
#include "database/ProfileFile.h"
#include "database/Report.h"
#include "frontend/DataFiles.h"
#include "frontend/WorkingProgress.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

namespace {

using plat::IDYES;
using plat::MB_ICONERROR;
using plat::MB_ICONINFORMATION;
using plat::MB_ICONQUESTION;
using plat::MB_ICONWARNING;
using plat::MB_YESNO;

const char* const kParseErrorsText =
    "Velmora encountered errors in parsing the emulator's listinfo file.\r"
    "You will be asked whether to use the resulting profile anyway after having viewed the error log.\r"
    "Although there will probably be no problems at all in using it, you are encouraged to "
    "download an\r"
    "updated version of this program, which is probably already available (or will be soon) on "
    "the\r"
    "author's web site (see the about box).\r"
    "Since bugged profiles are known to make the front-end crash sometimes, please do not report "
    "such\r"
    "problems to the author. He is perfectly aware of them. Thank you.";

const char* const kCompressionQuestion =
    "You can use compression to save your profile to disk.\r"
    "Compressed profiles load a little slower but need less disk space, while\r"
    "uncompressed profiles load faster but need more disk space.\r\r"
    "Do you want to save the profile in compressed format?";


// A file name (the locale's bytes) inside a message (Windows-1252).
std::string Shown(const std::string& fileName) { return plat::ToAnsi(plat::FromLocal(fileName)); }

// A new filter list whose only filter is "All games" with every game.
std::unique_ptr<FilterList> AllGamesFilterList(const GameList* games) {
  auto list = std::make_unique<FilterList>();
  auto all = types::NewFilterDescriptor();
  all->Name = "All games";
  if (games) {
    all->Entries->reserve(games->size());
    for (size_t i = 0; i < games->size(); ++i) {
      if (!(*games)[i]) continue;
      auto e = types::NewFilterEntryDescriptor();
      e->Game = (*games)[i].get();
      all->Entries->push_back(std::move(e));
    }
  }
  list->push_back(std::move(all));
  return list;
}

// A name not yet in the slots enters at the head (as given; compared without regard to case).
bool AddRecent(std::array<std::string, 9>& recent, const std::string& name) {
  if (name.empty()) return false;
  for (const std::string& s : recent)
    if (plat::SameText(s, name)) return false;
  for (size_t i = recent.size() - 1; i > 0; --i) recent[i] = std::move(recent[i - 1]);
  recent[0] = name;
  return true;
}

}  // namespace

bool TMainFRM::ParseListInfo() {
  // The data files of the profile given up are read again if it stays: they are never in
  // memory with the catalogue replacing it.
  datafiles::ForgetDataFiles();
  std::string text;
  std::string error;
  if (!plat::ReadOpenFile(CaptureFd, text, listinfo::kMaxListingSize, &error)) {
    // A file that is there but refused says why.
    ShowMessageBox(std::string("Cannot read game info file!") + (CaptureFd < 0 ? "" : "\r" + error),
                   MB_ICONERROR);
    return false;
  }
  ClearDatabase();
  types::DisposeFilterList(Filters);
  WorkingProgress working(this, "Parsing MAME listinfo file...", 0);
  listinfo::ParseResult result =
      listinfo::ParseListinfo(text, [&working](int32_t p) { working.Set(p); });
  std::string().swap(text);
  // A catalogue run that crashed or failed heads the error list: its output may be cut short.
  if (CatalogueRunStatus != 0) {
    auto e = types::NewParseErrorRecord();
    e->Kind = 6;
    e->Path = CatalogueRunStatus < 0
                  ? std::string("The emulator could not be started to list its games.")
              : CatalogueRunStatus > 128
                  ? "The emulator crashed (signal " + std::to_string(CatalogueRunStatus - 128) +
                        ") while listing its games: the list may be incomplete."
                  : "The emulator ended with exit status " + std::to_string(CatalogueRunStatus) +
                        " while listing its games: the list may be incomplete.";
    result.Errors.insert(result.Errors.begin(), std::move(e));
  }
  Games = std::move(result.Games);
  Resources = std::move(result.Resources);
  Filters = AllGamesFilterList(Games.get());
  working.Done();
  // The index follows the database whatever the user decides below.
  BuildGameIndex();
  if (!result.Refusal.empty()) {
    // Read up to the bound only: nothing of it is kept.
    ShowMessageBox("The emulator's listinfo file holds " + result.Refusal +
                       ": a profile cannot keep so many.\rThe profile cannot be created.",
                   MB_ICONERROR);
    return false;
  }

  const RecordList<ParseErrorRecord>& errors = result.Errors;
  if (errors.empty() && !Games->empty()) {
    ShowMessageBox("MAME info file parsed successfully!\r\r" + EmulatorVersion +
                       "\rGames found:     " + std::to_string(Games->size()) +
                       "\rResources found: " + std::to_string(Resources->size()),
                   MB_ICONINFORMATION);
    ReloadRememberedFilters();
    return true;
  }

  std::unique_ptr<TReportFRM> report;
  if (!errors.empty()) {
    report = std::make_unique<TReportFRM>(this);
    report->NewDocument("Velmora - profile creation report", ProgramDir + "profile_report", true,
                        true);
    report->AddTitle("Profile creation errors", BoldFontSize + 4, NormalFontSize);
    for (size_t i = 0; i < errors.size(); ++i) report->AddLine(listinfo::ErrorLine(*errors[i]));
  }
  if (Games->empty()) {
    // Nothing to use: show why, then refuse.
    if (report) report->ShowReport();
    ShowMessageBox("No game was found in the emulator's listinfo file.\r"
                   "The profile cannot be created.",
                   MB_ICONERROR);
    return false;
  }
  ShowMessageBox(kParseErrorsText, MB_ICONERROR);
  report->ShowReport();
  const bool use =
      ShowMessageBox("Do you want to use this profile anyway?", MB_YESNO | MB_ICONWARNING) == IDYES;
  report.reset();
  if (use) ReloadRememberedFilters();
  return use;
}

bool TMainFRM::SaveProfile(const std::string& FileName) {
  if (!Games || Games->empty()) {
    ShowMessageBox("The profile cannot be saved: the game list is empty.", MB_ICONERROR);
    return false;
  }
  // The profile holds each of these in 255 bytes: a longer one could never match again.
  const std::pair<const std::string*, const char*> held[] = {
      {&EmulatorDir, "the emulator folder name"},
      {&EmulatorExe, "the emulator file name"},
      {&EmulatorVersion, "the emulator's version line"}};
  for (const auto& [text, what] : held)
    if (text->size() > 255) {
      ShowMessageBox(std::string("The profile cannot be saved: ") + what +
                         " is longer than 255 characters.\r" + Shown(*text),
                     MB_ICONERROR);
      return false;
    }
  const bool compressed = ShowMessageBox(kCompressionQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES;
  WorkingProgress working(this, "Building profile...", 0);
  std::string file, error;
  bool built = false;
  try {
    profile::ProgressHooks hooks;
    hooks.progress = [&working](int32_t p) { working.Set(p); };
    std::string body = profile::BuildBody(EmulatorDir, EmulatorExe, EmulatorVersion, Games.get(),
                                          Resources.get(), hooks);
    if (compressed) working.Step("Compressing profile...", -1);
    hooks.idle = [] { plat::ProcessPendingEvents(); };  // the progress window stays painted
    built = profile::BuildFile(std::move(body), compressed, file, hooks);
  } catch (const std::bad_alloc&) {
    built = false;
  }
  bool written = false;
  if (built) {
    working.Step("Saving profile...", -1);
    written = plat::WriteFileAtomic(FileName, file, &error);
  }
  std::string().swap(file);
  working.Done();
  if (!built) {
    ShowMessageBox("Cannot build the profile: out of memory error.", MB_ICONERROR);
    return false;
  }
  if (!written) {
    ShowMessageBox("Cannot save the profile " + Shown(FileName) + ":\r" + error, MB_ICONERROR);
    return false;
  }
  ProfileFileName = FileName;
  AddRecentProfile(FileName);
  return true;
}

bool TMainFRM::LoadProfile(const std::string& FileName, std::string* refusal) {
  if (!ConfirmUnsavedFilters()) return true;  // the loaded profile stays as it was
  WorkingProgress working(this, "Loading profile...", -1);
  datafiles::ForgetDataFiles();  // as for a new catalogue
  std::string data, inflated, error;
  // A profile's file holds at most its body and a short header.
  const bool read = plat::ReadRegularFile(plat::ResolveNoCase(FileName).value_or(FileName), data,
                                          profile::MaxProfileBody + (1u << 20), &error);
  profile::ProfileContent content;
  profile::LoadStatus status = profile::LoadStatus::Ok;
  bool cleared = false;
  if (read) {
    profile::ProgressHooks hooks;
    hooks.step = [&working](const char* text, bool measured) {
      working.Step(text, measured ? 0 : -1);
      if (!measured) plat::ProcessPendingEvents();
    };
    hooks.progress = [&working](int32_t p) { working.Set(p); };
    try {
      std::string_view body;
      status = profile::ReadProfileBody(data, inflated, body, hooks);
      if (status == profile::LoadStatus::Ok && body.data() == inflated.data())
        std::string().swap(data);
      // The loaded database is replaced only by a whole file: one in use is kept while the file
      // is checked, then freed before the new one is built, never in memory beside it.
      if (status == profile::LoadStatus::Ok && Games && !Games->empty())
        status = profile::DecodeProfileBody(body, content, hooks, {}, false);
      if (status == profile::LoadStatus::Ok) {
        content = profile::ProfileContent();
        ClearDatabase();
        types::DisposeFilterList(Filters);
        cleared = true;
        status = profile::DecodeProfileBody(body, content, hooks);
      }
    } catch (const std::bad_alloc&) {
      status = profile::LoadStatus::UncompressFailed;
    }
  }
  std::string().swap(data);
  std::string().swap(inflated);
  working.Done();
  if (!read || status != profile::LoadStatus::Ok) {
    const std::string why =
        !read ? "Cannot read the profile " + Shown(FileName) + ":\r" + error
              : profile::LoadFailureMessage(status, Shown(FileName), content.Refusal);
    if (cleared) {
      // The database in use was given up (none was loaded, or memory ran out): what was read
      // goes with it, and the program holds no profile, as at start.
      content = profile::ProfileContent();
      ClearDatabase();
      Filters = std::make_unique<FilterList>();
    }
    if (refusal)
      *refusal = why;
    else
      ShowMessageBox(why, MB_ICONERROR);
    return false;
  }
  Games = std::move(content.Games);
  Resources = std::move(content.Resources);
  EmulatorDir = std::move(content.EmulatorDir);
  EmulatorExe = std::move(content.EmulatorExe);
  EmulatorVersion = std::move(content.EmulatorVersion);
  Filters = AllGamesFilterList(Games.get());
  ProfileFileName = FileName;
  BuildGameIndex();
  ReloadRememberedFilters();
  AddRecentProfile(FileName);
  return true;
}

void TMainFRM::AddRecentProfile(const std::string& FileName) {
  if (AddRecent(RecentProfiles, FileName)) BuildReopenMenus();
}

void TMainFRM::AddRecentFilter(const std::string& FileName) {
  if (AddRecent(RecentFilters, FileName)) BuildReopenMenus();
}
