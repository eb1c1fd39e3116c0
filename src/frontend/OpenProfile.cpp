// Opening a profile and checking it against its emulator, creating a new profile, and
// clearing the database.
#include <QLabel>
#include <QTextEdit>
#include <QTreeView>

#include "database/DOSexec.h"
#include "database/NewMame.h"
#include "database/TextStream.h"
#include "frontend/GameTree.h"
#include "frontend/WorkingProgress.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Seams.h"

namespace {

constexpr unsigned kAskError = plat::MB_YESNO | plat::MB_ICONERROR;

// The capture file, the temporary folder and MAME.CFG live in the emulator folder.
std::string UnwritableFolderText(const std::string& dir) {
  return "The emulator folder " + plat::ToAnsi(plat::FromLocal(dir)) +
         " is not writable.\rVelmora keeps its capture file, its temporary folder and MAME.CFG "
         "there.\rCopy or link the emulator into a folder of your own and make a profile for "
         "that copy.";
}

}  // namespace

// The command that runs the emulator (by its absolute path, found in the current folder)
// through the command interpreter, its output captured in the capture file.
static std::string EmulatorCommand(const TMainFRM& f, const std::string& exe, const char* args) {
  std::string interp = f.ComSpec.empty() ? plat::CommandInterpreter() : f.ComSpec;
  std::string cmd = plat::ShellQuote(interp) + " " + plat::InterpreterSwitch() + " " +
                    plat::ShellQuote(plat::JoinPath(plat::CurrentDir(), exe));
  cmd += args;
  cmd += " >" + plat::ShellQuote(f.CaptureFile);
  return cmd;
}

std::string TMainFRM::GetEmulatorVersion(const std::string& exe) {
  WorkingProgress working(this, "Getting MAME version...", -1);
  DeletePifFile();
  DOSexec::ExecAndWait(EmulatorCommand(*this, exe, ""), DOSexec::SW_HIDE, true);
  // An unreadable or missing capture file is an empty answer.
  std::string line;
  TTextStream s;
  s.LineEnd = TTextStream::TOLERANT;
  if (auto file = plat::ResolveNoCase(CaptureFile)) {
    if (s.LoadFromFile(*file)) s.ReadLn(line);
    plat::RemoveFile(*file);
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
}

void TMainFRM::OpenProfile(const std::string& fileName) {
  auto offerNew = [this](const std::string& text) {
    if (ShowMessageBox(text + "\rDo you want to create a new profile?\r", kAskError) == plat::IDYES)
      CreateProfile();
  };
  auto file = plat::ResolveNoCase(fileName);
  if (!file || !plat::FileExists(*file)) {
    offerNew("Cannot find " + fileName + " profile!");
  } else if (LoadProfile(*file)) {
    GenerateFolderLists();
    std::optional<std::string> exe;
    if (!plat::SetCurrentDir(plat::ToNativeSeparators(EmulatorDir))) {
      offerNew(EmulatorDir + " directory does not exist! This profile is unusable.");
    } else if (!(exe = plat::FindNoCase(plat::CurrentDir(), EmulatorExe)) || !plat::FileExists(*exe)) {
      offerNew(EmulatorDir + EmulatorExe + " emulator not found! This profile is unusable.");
    } else if (!plat::DirWritable(plat::CurrentDir())) {
      offerNew(UnwritableFolderText(plat::CurrentDir()));
    } else {
      std::string found = GetEmulatorVersion(plat::FileNameOf(*exe));
      if (found == EmulatorVersion) {
        RebuildFilterTabs(LastSelectedFilter);
        LastSelectedFilter = -1;
        SetIdleCursor(false);
        ProfileLoaded = 1;
        SelectLastGame();
        LoadMAMECfg();
        setWindowTitle(plat::FromAnsi("Velmora - [" + EmulatorVersion + "]"));
        SetIdleCursor(true);
      } else {
        offerNew("The emulator executable file has changed:\r\rExpected = " + EmulatorVersion +
                 "\rFound    = " + found + "\r\rThis profile has become invalid.");
      }
    }
  }
  UpdateActions();
  FocusGameList();
}

void TMainFRM::CreateProfile() {
  if (!ConfirmUnsavedFilters()) return;
  const std::string previousDir = plat::CurrentDir();
  bool folderChanged = false;
  [&] {
    TNewMameFRM page(this);
    page.EmulatorDir = EmulatorDir;
    page.ProgramDir = ProgramDir;
    if (page.ShowModal() != mrOk) return;
    const std::string dir = plat::DirectoryOf(page.EmulatorFile);
    const std::string profileFile = page.ProfileFile;
    std::string exe = plat::FileNameOf(page.EmulatorFile);
    if (dir.empty() || !plat::SetCurrentDir(dir)) {
      ShowMessageBox("The MAME directory specified does not exist!\r", plat::MB_ICONERROR);
      return;
    }
    folderChanged = true;
    auto real = plat::FindNoCase(plat::CurrentDir(), exe);
    if (!real || !plat::FileExists(*real)) {
      ShowMessageBox("The emulator file cannot be found!\rPlease choose another one.",
                     plat::MB_ICONERROR);
      return;
    }
    exe = plat::FileNameOf(*real);
    if (!plat::DirWritable(plat::CurrentDir())) {
      ShowMessageBox(UnwritableFolderText(plat::CurrentDir()), plat::MB_ICONERROR);
      return;
    }
    const std::string version = GetEmulatorVersion(exe);
    if (version.empty()) {
      ShowMessageBox("Cannot determine MAME version.\rPlease choose a new emulator file",
                     plat::MB_ICONERROR);
      return;
    }
    if (ShowMessageBox("The following version of the MAME emulator has been found:\r\r" + version +
                           "\r\rMAME will be now scanned to determine all the available data of "
                           "the supported games.\rThis could take a while. Proceed with profile "
                           "creation?",
                       plat::MB_YESNO | plat::MB_ICONINFORMATION) != plat::IDYES)
      return;

    WorkingProgress working(this, "Querying MAME...", -1);
    DeletePifFile();
    int exitStatus = 0;
    int startError = DOSexec::ExecAndWait(EmulatorCommand(*this, exe, " -listinfo"),
                                          DOSexec::SW_HIDE, true, &exitStatus);
    working.Done();
    auto capture = plat::ResolveNoCase(CaptureFile);
    if (!capture || !plat::FileExists(*capture)) {
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
    if (auto c = plat::ResolveNoCase(CaptureFile)) plat::RemoveFile(*c);
  }();
  // A creation that stopped before the catalogue was read leaves the profile in use as it was.
  if (folderChanged) plat::SetCurrentDir(previousDir);
  UpdateActions();
  FocusGameList();
}

void TMainFRM::FocusGameList() {
  // The keyboard goes to the games of a loaded profile, not to the first box of the window.
  if (ProfileLoaded) TreeList->setFocus();
}
