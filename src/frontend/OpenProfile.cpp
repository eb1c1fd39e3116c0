// Opening a profile and checking it against its emulator, creating a new profile, and
// clearing the database.
#include <QLabel>
#include <cstdio>
#include <unistd.h>
#include <QTextEdit>
#include <QTreeView>

#include "database/DOSexec.h"
#include "database/NewMame.h"
#include "database/TextStream.h"
#include "frontend/DataFiles.h"
#include "frontend/GameTree.h"
#include "frontend/WorkingProgress.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Seams.h"

namespace {

constexpr unsigned kAskError = plat::MB_YESNO | plat::MB_ICONERROR;

// A version query that has not ended by then is a hung emulator (or no emulator at all).
constexpr int64_t kVersionTimeLimitMs = 30000;
// The version line is taken from the first bytes of the output only.
constexpr size_t kVersionBytes = 4096;
// How much of a version line a message shows.
constexpr size_t kShownVersion = 120;

std::string ShownVersion(const std::string& version) {
  return version.size() > kShownVersion ? version.substr(0, kShownVersion) + "..." : version;
}

// "850 KB", "12.3 MB": how much of the catalogue has come.
std::string ReceivedText(int64_t bytes) {
  char text[32];
  if (bytes < (1 << 20))
    std::snprintf(text, sizeof text, "%lld KB", static_cast<long long>(bytes >> 10));
  else
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1 << 20));
  return text;
}

// The capture file, the temporary folder and MAME.CFG live in the emulator folder.
std::string UnwritableFolderText(const std::string& dir) {
  return "The emulator folder " + plat::ToAnsi(plat::FromLocal(dir)) +
         " is not writable.\rVelmora keeps its capture file, its temporary folder and MAME.CFG "
         "there.\rCopy or link the emulator into a folder of your own and make a profile for "
         "that copy.";
}

}  // namespace

// The command that runs the emulator (by its absolute path, found in the current folder)
// through the command interpreter; its output goes to the capture file, handed over open.
static std::string EmulatorCommand(const TMainFRM& f, const std::string& exe, const char* args) {
  std::string interp = f.ComSpec.empty() ? plat::CommandInterpreter() : f.ComSpec;
  std::string cmd = plat::ShellQuote(interp) + " " + plat::InterpreterSwitch() + " " +
                    plat::ShellQuote(plat::JoinPath(plat::CurrentDir(), exe));
  cmd += args;
  return cmd;
}

int TMainFRM::CreateCaptureFile(std::string& message) {
  RemoveCaptureFile();
  // Room for the start of the output: a full disk is told, not taken for an empty answer.
  constexpr uint64_t kRoom = 64 << 10;
  std::string error;
  const int fd = CaptureFd = plat::CreateNewFile(CaptureFile, kRoom, &error);
  if (fd < 0) {
    message = "The emulator's output cannot be captured in\r" +
              plat::ToAnsi(plat::FromLocal(plat::AbsolutePath(CaptureFile))) + "\r(" + error + ")";
    if (error.rfind("Not a regular file", 0) == 0)
      message += "\rIt has been left as it is: remove it, then try again.";
  }
  return fd;
}

void TMainFRM::RemoveCaptureFile() {
  if (CaptureFd < 0) return;
  plat::RemoveOwnFile(CaptureFile, CaptureFd);
  ::close(CaptureFd);
  CaptureFd = -1;
}

std::string TMainFRM::GetEmulatorVersion(const std::string& exe, std::string* stopReason,
                                         bool* captureRefused) {
  WorkingProgress working(this, "Getting MAME version...", -1, true);
  DeletePifFile();
  if (captureRefused) *captureRefused = false;
  std::string refused;
  const int capture = CreateCaptureFile(refused);
  if (capture < 0) {
    if (stopReason) *stopReason = refused;
    if (captureRefused) *captureRefused = true;
    return {};
  }
  plat::Stopped stopped = plat::Stopped::No;
  {
    plat::WaitLimits limits(kVersionTimeLimitMs, [&working] { return working.Poll(); });
    plat::OutputTo out(capture, false);
    DOSexec::ExecAndWait(EmulatorCommand(*this, exe, ""), DOSexec::SW_HIDE, true, nullptr,
                         &stopped);
  }
  // An unreadable capture file is an empty answer; only its start is read.
  std::string line, head;
  if (stopped == plat::Stopped::No && plat::ReadOpenFileHead(capture, head, kVersionBytes)) {
    TTextStream s;
    s.LineEnd = TTextStream::TOLERANT;
    s.LoadFromString(std::move(head));
    s.ReadLn(line);
  }
  RemoveCaptureFile();
  if (stopReason) {
    stopReason->clear();
    if (stopped == plat::Stopped::TimedOut)
      *stopReason = "The emulator did not end within " + std::to_string(kVersionTimeLimitMs / 1000) +
                    " seconds and has been stopped.";
    else if (stopped == plat::Stopped::Cancelled)
      *stopReason = "The emulator has been stopped.";
  }
  return line;
}

void TMainFRM::ClearDatabase() {
  // The tree and the quick information show records about to be freed: they go first.
  if (auto* model = qobject_cast<GameTreeModel*>(TreeList->model())) {
    ListUpdating = 1;
    model->Clear();
    ListUpdating = 0;
  }
  QuickInfoBOX->clear();
  GameIndex.reset();
  SearchResults.reset();  // they point into the game list
  SearchCursor = 0;
  types::FreeGameList(Games);
  types::FreeGameList(Resources);
  types::ResetTreeImageItems(FolderNodes);
  FolderNodes = std::make_unique<TreeImageItemList>();
  SelectedGame = nullptr;
  ProfileLoaded = 0;
  // What the closed profile used goes back to the system: opening another one costs what that
  // one costs.
  types::pool::Trim();
  datafiles::ForgetDataFiles();
}

void TMainFRM::OpenProfile(const std::string& fileName) {
  // `emulator`: the executable the new-profile page proposes (the one that failed the check).
  auto offerNew = [this](const std::string& text, const std::string& emulator = {}) {
    if (ShowMessageBox(text + "\rDo you want to create a new profile?\r", kAskError) == plat::IDYES)
      CreateProfileFor(emulator);
  };
  auto file = plat::ResolveNoCase(fileName);
  std::string refused;
  if (!file || !plat::FileExists(*file)) {
    offerNew("Cannot find " + fileName + " profile!");
  } else if (!LoadProfile(*file, &refused)) {
    // A damaged or unreadable file is left as it is: a new profile is made beside it.
    offerNew(refused);
  } else {
    GenerateFolderLists();
    std::optional<std::string> exe;
    if (!plat::SetCurrentDir(plat::ToNativeSeparators(EmulatorDir))) {
      offerNew(EmulatorDir + " directory does not exist! This profile is unusable.");
    } else if (!(exe = plat::FindNoCase(plat::CurrentDir(), EmulatorExe)) || !plat::FileExists(*exe)) {
      offerNew(EmulatorDir + EmulatorExe + " emulator not found! This profile is unusable.");
    } else if (!plat::DirWritable(plat::CurrentDir())) {
      offerNew(UnwritableFolderText(plat::CurrentDir()));
    } else {
      std::string stopped;
      bool refused = false;
      std::string found = GetEmulatorVersion(plat::FileNameOf(*exe), &stopped, &refused);
      const std::string emulator = plat::AbsolutePath(*exe);
      if (refused) {
        // The profile is not at fault: nothing to make anew.
        ShowMessageBox("Cannot determine MAME version.\r" + stopped, plat::MB_ICONERROR);
      } else if (!stopped.empty()) {
        offerNew("Cannot determine MAME version.\r" + stopped, emulator);
      } else if (found == EmulatorVersion) {
        RebuildFilterTabs(LastSelectedFilter);
        LastSelectedFilter = -1;
        SetIdleCursor(false);
        ProfileLoaded = 1;
        SelectLastGame();
        LoadMAMECfg();
        setWindowTitle(plat::FromAnsi("Velmora - [" + EmulatorVersion + "]"));
        SetIdleCursor(true);
      } else {
        offerNew("The emulator executable file has changed:\r\rExpected = " +
                     ShownVersion(EmulatorVersion) + "\rFound    = " + ShownVersion(found) +
                     "\r\rThis profile has become invalid.",
                 emulator);
      }
    }
  }
  UpdateActions();
  FocusGameList();
}

void TMainFRM::CreateProfile() { CreateProfileFor({}); }

void TMainFRM::CreateProfileFor(const std::string& proposedEmulator) {
  if (!ConfirmUnsavedFilters()) return;
  const std::string previousDir = plat::CurrentDir();
  bool folderChanged = false;
  [&] {
    TNewMameFRM page(this);
    page.EmulatorDir = EmulatorDir;
    page.ProgramDir = ProgramDir;
    page.ProposedFile = proposedEmulator;
    std::string exe, version;
    bool declined = false;
    int exitStatus = 0, startError = 0;
    // The catalogue run into the capture file; false when it was stopped (nothing is kept).
    auto queryCatalogue = [&] {
      WorkingProgress working(this, "Querying MAME...", -1, true);
      DeletePifFile();
      plat::Stopped stopped = plat::Stopped::No;
      std::string refused;
      const int capture = CreateCaptureFile(refused);
      if (capture < 0) {
        working.Done();
        ShowMessageBox("The game list cannot be queried.\r" + refused, plat::MB_ICONERROR);
        return false;
      }
      {
        plat::OutputTo out(capture, false);
        // No time limit (a big catalogue takes a while): what has come so far shows it working.
        int64_t shownAt = 0;
        plat::WaitLimits limits(0, [&] {
          const int64_t now = plat::Ui().MonotonicMs();
          if (now - shownAt >= 500) {
            shownAt = now;
            if (int64_t n = plat::OpenFileSize(capture); n > 0)
              working.Step("Querying MAME... (" + ReceivedText(n) + " received)", -1);
          }
          return working.Poll();
        });
        startError = DOSexec::ExecAndWait(EmulatorCommand(*this, exe, " -listinfo"),
                                          DOSexec::SW_HIDE, true, &exitStatus, &stopped);
      }
      working.Done();
      if (stopped == plat::Stopped::No) return true;
      RemoveCaptureFile();
      ShowMessageBox("The game list query has been cancelled: nothing has been saved.\r"
                     "Start it again or choose another emulator file.",
                     plat::MB_ICONINFORMATION);
      return false;
    };
    // Before the page closes: a wrong emulator or a stopped catalogue keeps it open, to start
    // again or choose another one.
    page.CheckEmulator = [&] {
      const std::string dir = plat::DirectoryOf(page.EmulatorFile);
      exe = plat::FileNameOf(page.EmulatorFile);
      if (dir.empty() || !plat::SetCurrentDir(dir)) {
        ShowMessageBox("The MAME directory specified does not exist!\r", plat::MB_ICONERROR);
        return false;
      }
      folderChanged = true;
      auto real = plat::FindNoCase(plat::CurrentDir(), exe);
      if (!real || !plat::FileExists(*real)) {
        ShowMessageBox("The emulator file cannot be found!\rPlease choose another one.",
                       plat::MB_ICONERROR);
        return false;
      }
      exe = plat::FileNameOf(*real);
      if (!plat::DirWritable(plat::CurrentDir())) {
        ShowMessageBox(UnwritableFolderText(plat::CurrentDir()), plat::MB_ICONERROR);
        return false;
      }
      std::string stopped;
      bool refused = false;
      version = GetEmulatorVersion(exe, &stopped, &refused);
      if (version.empty()) {
        // A capture file that cannot be made is no fault of the emulator chosen.
        ShowMessageBox("Cannot determine MAME version.\r" +
                           (refused ? stopped
                                    : (stopped.empty() ? "" : stopped + "\r") +
                                          "Please choose a new emulator file"),
                       plat::MB_ICONERROR);
        return false;
      }
      if (ShowMessageBox("The following version of the MAME emulator has been found:\r\r" +
                             ShownVersion(version) +
                             "\r\rMAME will now be scanned to determine all the available data "
                             "of the supported games.\rThis could take a while. Proceed with "
                             "profile creation?",
                         plat::MB_YESNO | plat::MB_ICONINFORMATION) != plat::IDYES) {
        declined = true;  // the page closes, nothing made
        return true;
      }
      return queryCatalogue();
    };
    if (page.ShowModal() != mrOk || declined) return;
    const std::string profileFile = page.ProfileFile;
    if (CaptureFd < 0) {
      ShowMessageBox("Cannot read game info file!", plat::MB_ICONERROR);
      return;
    }
    // From here on the database is replaced: the profile in use is given up.
    folderChanged = false;
    ProfileLoaded = 0;
    // Kept whole: saving refuses what the profile cannot hold.
    EmulatorVersion = version;
    EmulatorDir = plat::CurrentDir();
    EmulatorExe = exe;
    CatalogueRunStatus = startError ? -1 : exitStatus;
    bool use = ParseListInfo();
    CatalogueRunStatus = 0;
    if (use) {
      GenerateFolderLists();
      RebuildFilterTabs(LastSelectedFilter);
      LastSelectedFilter = -1;
      if (SaveProfile(profileFile)) {
        ProfileLoaded = 1;
        WriteSettings();
        LoadMAMECfg();
        SelectLastGame();
        GameSelected();
        setWindowTitle(plat::FromAnsi("Velmora - [" + EmulatorVersion + "]"));
      }
    }
  }();
  RemoveCaptureFile();  // whatever road the creation took
  // A creation that stopped before the catalogue was read leaves the profile in use as it was.
  if (folderChanged) plat::SetCurrentDir(previousDir);
  UpdateActions();
  FocusGameList();
}

void TMainFRM::FocusGameList() {
  // The keyboard goes to the games of a loaded profile, not to the first box of the window.
  if (ProfileLoaded) TreeList->setFocus();
}
