// Running the selected game: its sets unpacked and tested, the emulator run and waited for,
// the play counted, its output shown, and the window put back as it was.
#include <QAction>
#include <QColor>
#include <QLabel>
#include <QTimer>
#include <memory>
#include <optional>
#include <unordered_set>
#include <unistd.h>

#include "database/Listinfo.h"
#include "database/Report.h"
#include "database/Working.h"
#include "frontend/Stats.h"
#include "frontend/WorkingProgress.h"
#include "frontend/main.h"
#include "launch/DosCmd.h"
#include "platform/Files.h"
#include "platform/Numbers.h"
#include "platform/Process.h"
#include "platform/Rtf.h"
#include "platform/Seams.h"

namespace {

// The emulator's output shown after a run: at most its last few MB, and no more lines than
// a document of the report window.
constexpr int64_t kMaxShownOutput = 4 << 20;
constexpr size_t kMaxShownLines = plat::kMaxDocumentLines;

// Reads the end of the capture from its descriptor; `cut` tells whether an earlier part was
// left out.
bool ReadCaptureTail(int fd, std::string& text, bool& cut) {
  if (!plat::ReadOpenFileTail(fd, text, size_t(kMaxShownOutput), cut)) return false;
  if (cut) {
    // The shown part starts on a whole line, when there is a line end to start after.
    const size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos) {
      text.erase(0, end + 1);
      if (!text.empty() && text[0] == '\n') text.erase(0, 1);
    }
  }
  size_t lines = 0;
  plat::ForEachLine(text, [&](std::string_view, size_t) { ++lines; });
  if (lines > kMaxShownLines) {
    size_t n = 0, start = 0;
    plat::ForEachLine(text, [&](std::string_view, size_t next) {
      if (++n == lines - kMaxShownLines) start = next;
    });
    text.erase(0, start);
    cut = true;
  }
  return true;
}

const char* const kLogWarning =
    "This warning will appear only once.\r\r"
    "You have chosen to enable the function to log MAME's text output\r"
    "(View/edit command line window). This will make MAME output in the\r"
    "shell be redirected to Velmora for you to examine it\r"
    "comfortably. There is nothing wrong with this; you just need to know\r"
    "that you won't see anything in the shell.\r"
    "Should the shell sit without running MAME, try hitting ENTER a\r"
    "couple of times to return back to Velmora and examine MAME's\r"
    "report. You will see a report coming directly from MAME which will\r"
    "tell you why it refused to run.\r\r"
    "Click OK to run the game as usual.";

// Moves every file of `from` into `to`, replacing any case variant there; `from` is removed.
void MergeBack(const std::string& from, const std::string& to) {
  for (const std::string& name : plat::ListDir(from)) {
    if (auto old = plat::FindNoCase(to, name)) plat::RemoveFile(*old);
    std::rename((from + name).c_str(), (to + name).c_str());
  }
  plat::RemoveTree(from);
}

}  // namespace

void TMainFRM::AppendError(const std::string& text) {
  if (!text.empty()) LaunchErrors += text + "\r\n";
}

void TMainFRM::MamePlayACTNExecute() {
  // Off for the launch, and back on however it ends.
  QAction* play = MamePlayACTN;
  if (play) play->setEnabled(false);
  SwitchJoystick(false);
  SlideShowTMR->stop();
  struct Restore {
    TMainFRM& w;
    QAction* play;
    ~Restore() {
      w.SwitchJoystick(w.DXGameSelect);
      if (w.ScreenshotsSlideShowACTN && w.ScreenshotsSlideShowACTN->isChecked())
        w.SlideShowTMR->start();
      else
        w.SlideShowTMR->stop();
      if (play) play->setEnabled(true);
      w.playing_.reset();
      if (WorkingFRM) WorkingFRM->hide();
      w.SetIdleCursor(true);
    }
  } restore{*this, play};

  // MAME.CFG, the temporary folder and the capture file all live in the emulator folder.
  if (ProfileLoaded && access(EmulatorDir.c_str(), W_OK) != 0) {
    ShowMessageBox("The emulator folder " + EmulatorDir +
                       " cannot be written to.\rVelmora keeps MAME.CFG, the temporary folder "
                       "and the captured output there.\rPlease copy or link the emulator into "
                       "a folder of your own.",
                   plat::MB_OK | plat::MB_ICONERROR);
    return;
  }
  SaveMAMECfg();
  LaunchErrors.clear();
  GameRecord* game = SelectedGame;
  if (!game) return;
  // A set name becomes a file name and an argument of the emulator.
  for (const std::string* set : {&game->Name.str(), &game->CloneOf.str(), &game->RomOf.str()}) {
    if (set->empty() || listinfo::IsAllowedSetName(*set)) continue;
    ShowMessageBox("The set name [" + *set + "] " +
                       (set->front() == '-' ? "begins with \"-\": MAME would take it for an option."
                                            : "cannot be part of a file name.") +
                       "\rMAME won't be run.",
                   plat::MB_OK | plat::MB_ICONERROR);
    return;
  }
  const std::string name = game->Name.str();
  const std::string temp = EmulatorDir + "$VRTEMP$/";
  plat::SetCurrentDir(EmulatorDir);

  // The game's sets, then each parent's. A set never replaces a file that a nearer set placed:
  // what is there already waits aside while the next set is unpacked, then goes back on top.
  auto unpack = [&](const std::string& set, uint8_t kind) {
    const std::string aside = EmulatorDir + "$VRTEMP$.near/";
    const bool keep = !plat::ListDir(temp).empty() && !plat::DirExists(aside) &&
                      std::rename(temp.c_str(), aside.c_str()) == 0;
    AppendError(UnpackSet(set, kind, true));
    if (keep) {
      plat::MakeDirs(temp);
      MergeBack(aside, temp);
    }
  };
  auto chain = [&](uint8_t kind) {
    std::unordered_set<std::string> seen{plat::UpperCase(name)};
    for (GameRecord* cur = game;;) {
      const std::string& parentName = kind == 1 ? cur->RomOf.str() : cur->SampleOf.str();
      if (parentName.empty()) break;
      GameRecord* parent = FindGameByName(parentName);
      if (!parent || !seen.insert(plat::UpperCase(parent->Name.str())).second) break;
      unpack(parent->Name.str(), kind);
      cur = parent;
    }
  };
  plat::RemoveTree(EmulatorDir + "$VRTEMP$.near");  // left by a launch that was cut short
  {
    WorkingProgress working(this, "Uncompressing rom set...", -1);
    MameCdSerial = 0;
    if (game->Roms && !game->Roms->empty()) unpack(name, 1);
    chain(1);
    if (game->Samples && !game->Samples->empty()) unpack(name, 2);
    chain(2);
  }

  if (TestRomset(game, LaunchErrors)) {
    std::optional<WorkingProgress> working(std::in_place, this, "Booting MAME...", -1);
    std::string command, shown;  // run by the interpreter; shown as typed at a prompt
    if (CmdLineFRM) {
      CmdLineFRM->Main = this;
      command = CmdLineFRM->BuildCommandLine(name, false);
      shown = CmdLineFRM->BuildCommandLine(name, false, true);
    }
    DeletePifFile();
    if (ShowLogWarning && LogTextOutput) {
      ShowMessageBox(kLogWarning, plat::MB_OK | plat::MB_ICONWARNING);
      ShowLogWarning = false;
    }
    // The logged output goes into a capture file of our own, made before the run.
    int capture = -1;
    std::string refused;
    if (LogTextOutput && (capture = CreateCaptureFile(refused)) < 0) {
      working.reset();
      ShowMessageBox(refused + "\r\rMAME won't be run.", plat::MB_OK | plat::MB_ICONERROR);
      return DeleteTemporaryFolder();
    }
    working->Step("Waiting for MAME to close...", -1);
    plat::ProcessPendingEvents();
    const int64_t start = plat::Ui().MonotonicMs();
    playing_.emplace(name, start);  // counted at an exit from under the run too
    plat::ProcessResult run;
    {
      std::optional<plat::OutputTo> out;
      if (capture >= 0) out.emplace(capture, true);
      run = plat::Ui().RunProcess(command, true, plat::WaitMode::KeepPainting);
    }
    const int64_t end = plat::Ui().MonotonicMs();
    plat::DropPendingUserInput();  // what was pressed while the game ran is not replayed
    working.reset();
    RenewPictures();  // a snapshot saved during the game shows at once
    // The interpreter reports 126 (not executable) or 127 (not found) when it could not start
    // the emulator: that is no play.
    const bool started = run.error == 0 && run.exitStatus != 126 && run.exitStatus != 127;
    if (!started) {
      ShowMessageBox("MAME could not be started.\r\rCommand line:\r" + command,
                     plat::MB_OK | plat::MB_ICONERROR);
    } else if (UseStats) {
      WorkingProgress updating(this, "Updating Stats...", -1);
      if (PlayStats) {
        stats::AddPlay(*PlayStats, name, end > start ? (end - start) / 1000 : 0);
        SaveStats();
      }
    }
    playing_.reset();

    if (LogTextOutput) {
      working.emplace(this, "Preparing MAME output log...", -1);
      auto report = std::make_unique<TReportFRM>(this);
      report->NewDocument("Velmora - MAME text output", ProgramDir + "MAME_output", true, true);
      report->SetParagraph(0, false);
      report->SetTextFont("Courier New", QColor(Qt::black), NormalFontSize, TReportFRM::fsBold);
      report->AddLine("$ " + shown);
      report->AddLine("");
      std::string text;
      bool cut = false;
      if (ReadCaptureTail(capture, text, cut)) {
        if (cut)
          report->AddLine("(The output was longer than " + std::to_string(kMaxShownOutput >> 20) +
                          " MB or " + plat::Thousands(kMaxShownLines) +
                          " lines: only its end is shown.)");
        report->AddText(text);
      }
      RemoveCaptureFile();
      report->AddLine("");
      report->AddLine("$");
      working.reset();
      report->ShowReport();
    }
  }

  DeleteTemporaryFolder();
}

void TMainFRM::DeleteTemporaryFolder() {
  bool deleted = false;
  {
    WorkingProgress deleting(this, "Deleting temporary directory...", -1);
    deleted = DeleteFolderTree(EmulatorDir + "$VRTEMP$");
  }
  if (!deleted)
    ShowMessageBox("The temporary directory could not be deleted!\r"
                   "This means one or more rom files of the game you ran could not be deleted.\r"
                   "Please solve the problem and try again.",
                   plat::MB_OK | plat::MB_ICONERROR);
  if (SortBy == 4 && UseStats) RebuildFilterTabs(-1);
  SelectLastGame();
}
