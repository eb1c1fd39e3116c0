// A game launch end to end on a copy of the demonstration emulator: unpacking of the game's
// and its parents' sets, the test, the command line, the run, statistics and output report.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTreeView>
#include <QLineEdit>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "database/Report.h"
#include "frontend/MainWindowHarness.h"
#include "frontend/Stats.h"
#include "launch/DosCmd.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Rtf.h"
#include "platform/SessionEnd.h"
#include "support/ZipFixture.h"

namespace {

std::string Bytes(const std::string& seed, size_t size) {
  std::string s;
  while (s.size() < size) s += seed + ";";
  s.resize(size);
  return s;
}

// What the emulator prints: into the output handed to it.
void Print(const std::string& s) {
  const plat::OutputTo* out = plat::OutputTo::Current();
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(write(out->fd, s.data(), s.size()), ssize_t(s.size()));
}

uint32_t Crc(const std::string& s) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(s.data()), s.size()));
}

std::string Hex(uint32_t v) {
  char b[9];
  std::snprintf(b, sizeof b, "%08x", v);
  return b;
}

class Launch : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd = plat::CurrentDir();
    // A copy of the demonstration emulator, in a folder whose name the shell must not expand.
    emu = h.home.path() + "my $HOME 'games'/";
    std::string script;
    plat::ReadWholeFile(std::string(VELMORA_SOURCE_DIR) + "/demo/mame", script);
    h.home.write("my $HOME 'games'/mame", script);
    chmod((emu + "mame").c_str(), 0755);
    w = &h.Make();
    h.LoadGames({"zyphon", "zyphonb", "lone"}, emu);
    w->EmulatorExe = "mame";
    w->ComSpec = "/bin/sh";
    w->MAMEDirectories.rompath = "ROMS";
    w->MAMEDirectories.samplepath = "SAMPLES";
    w->StatsFileName = h.home.file("STATS.INI");
    w->PlayStats = std::make_unique<PlayStatList>();
    cmd = std::make_unique<TCmdLineFRM>();
    CmdLineFRM = cmd.get();
    setenv("VELMORA_DEMO_LOG", (h.home.path() + "run.log").c_str(), 1);
    Rom("zyphon", "zyphon.1a", 4096);
    Rom("zyphon", "zyphon.2b", 4096);
    Select("zyphon");
  }
  void TearDown() override {
    for (const char* v : {"VELMORA_DEMO_LOG", "VELMORA_DEMO_SLEEP", "VELMORA_DEMO_STDIN",
                          "VELMORA_DEMO_STDOUT", "VELMORA_DEMO_STDERR", "VELMORA_DEMO_SNAPSHOT"})
      unsetenv(v);
    CmdLineFRM = nullptr;
    plat::SetCurrentDir(cwd);
  }
  // Gives the game a rom; its bytes go into the set's archive unless `store` is false.
  std::string Rom(const char* game, const char* name, uint32_t size, bool store = true) {
    std::string data = Bytes(std::string(game) + name, size);
    auto r = std::make_unique<RomRecord>();
    r->Name = name;
    r->Size = size;
    r->Crc = Crc(data);
    h.Game(game)->Roms->push_back(std::move(r));
    if (store) sets[game].push_back({name, data});
    return data;
  }
  void Select(const char* game) { w->SelectedGame = h.Game(game); }
  void WriteSets() {
    for (auto& [set, entries] : sets) WriteZip(emu + "ROMS/" + set + ".zip", entries);
  }
  std::string Log() { return plat::FileExists(h.home.file("run.log")) ? h.home.read("run.log") : ""; }
  std::string Play() {
    WriteSets();
    w->MamePlayACTNExecute();
    return Log();
  }
  std::string Args(const std::string& log) {
    std::string args;
    for (size_t p = log.find("arg="); p != std::string::npos; p = log.find("arg=", p + 1))
      args += log.substr(p + 4, log.find('\n', p) - p - 4) + "|";
    return args;
  }
  std::string FileLine(const std::string& name, const std::string& data) {
    return "file=" + name + " size=" + std::to_string(data.size()) + " crc=" + Hex(Crc(data));
  }
  // The next modal report's text goes to `text`.
  void CaptureReport(std::string& text) {
    h.seam.modalHandlers.push_back([&text](QWidget* r) {
      text = static_cast<TReportFRM*>(r)->Doc->toPlainText().toStdString();
      return 2;
    });
  }
  uint32_t Plays(const char* game) {
    auto* r = types::FindByName(w->PlayStats.get(), plat::UpperCase(game));
    return r ? r->TotTimes : 0;
  }

  MainWindowHarness h;
  TMainFRM* w = nullptr;
  std::unique_ptr<TCmdLineFRM> cmd;
  std::string emu, cwd;
  std::map<std::string, std::vector<ZipFixtureEntry>> sets;
};

TEST_F(Launch, EverythingOffRunsTheBareCommandInTheEmulatorFolderWhateverItsName) {
  std::string log = Play();
  std::string folder = emu.substr(0, emu.size() - 1);
  EXPECT_EQ(log.substr(0, log.find('\n')), "cwd=" + folder);
  EXPECT_EQ(Args(log), "zyphon|-romdir|$VRTEMP$|");
  EXPECT_NE(log.find(FileLine("zyphon.1a", sets["zyphon"][0].data)), std::string::npos) << log;
  EXPECT_NE(log.find(FileLine("zyphon.2b", sets["zyphon"][1].data)), std::string::npos) << log;
  EXPECT_FALSE(plat::DirExists(emu + "$VRTEMP$"));
  EXPECT_FALSE(plat::FileExists(emu + "$VRTEMP$.NFO"));
  EXPECT_TRUE(plat::FileExists(emu + "MAME.CFG"));
  auto saved = stats::LoadStatsFile(w->StatsFileName);
  ASSERT_EQ(saved->size(), 1u);
  EXPECT_EQ((*saved)[0]->Name.str(), "ZYPHON");
  EXPECT_EQ((*saved)[0]->TotTimes, 1u);
  EXPECT_TRUE(w->MamePlayACTN->isEnabled());
  EXPECT_TRUE(h.seam.messages.empty()) << h.seam.AllMessages();
}

TEST_F(Launch, EveryOptionInOrderAndTheOutputReport) {
  w->ErrorLog = w->IgnoreConfig = w->AddOptions = w->LogTextOutput = true;
  w->ExtraOptions = "-nosound -skip_gameinfo";
  w->RecordBTN->setChecked(true);
  w->InpFile->setText("MYRUN.INP");
  setenv("VELMORA_DEMO_STDOUT", "line on stdout", 1);
  setenv("VELMORA_DEMO_STDERR", "line on stderr", 1);
  std::string text;
  CaptureReport(text);
  std::string log = Play();
  EXPECT_EQ(Args(log),
            "zyphon|-romdir|$VRTEMP$|-log|-ignorecfg|-record|MYRUN|-nosound|-skip_gameinfo|");
  EXPECT_EQ(h.seam.modalWindows, std::vector<std::string>{"TReportFRM"});
  const std::string& command = h.seam.commands.at(0);
  // The report shows what the interpreter runs, as typed at a prompt: the output, handed to
  // the emulator open, as a redirection to the capture file.
  const std::string shown =
      command.substr(command.find(" -c ") + 4) + " >'" + w->CaptureFile + "' 2>&1";
  EXPECT_EQ(text.find("$ " + command), std::string::npos) << text;
  EXPECT_NE(text.find("$ " + shown + "\n\n"), std::string::npos) << text;
  EXPECT_NE(text.find("line on stdout"), std::string::npos) << text;
  EXPECT_NE(text.find("line on stderr"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 2), "\n$");
  EXPECT_FALSE(plat::FileExists(emu + "$VRTEMP$.NFO"));
  // The warning comes once.
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text.substr(0, 35), "This warning will appear only once.");
  EXPECT_FALSE(w->ShowLogWarning);
  // A start that fails leaves no capture: the report still has the command lines.
  h.seam.processHandler = [](const std::string&, bool, plat::WaitMode) {
    plat::ProcessResult r;
    r.error = ENOENT;
    return r;
  };
  CaptureReport(text);
  w->MamePlayACTNExecute();
  EXPECT_EQ(h.seam.messages.size(), 2u) << h.seam.AllMessages();  // could not be started
  EXPECT_EQ(text.substr(0, 2), "$ ");
  EXPECT_EQ(Plays("zyphon"), 1u);

  // Long output shows its end and says it was cut. It is read from the capture we made, not
  // from what another program put at its name meanwhile, which stays.
  h.seam.processHandler = [this](const std::string&, bool, plat::WaitMode) {
    std::string out;
    for (int i = 0; out.size() < (6u << 20); ++i) out += "output line " + std::to_string(i) + "\n";
    Print(out + "the last line\n");
    plat::WriteFileAtomic(emu + w->CaptureFile, "another program's");
    return plat::ProcessResult{};
  };
  CaptureReport(text);
  w->MamePlayACTNExecute();
  EXPECT_NE(text.find("only its end is shown"), std::string::npos);
  EXPECT_EQ(text.find("output line 0\n"), std::string::npos);
  EXPECT_NE(text.find("the last line\n"), std::string::npos);
  EXPECT_LT(text.size(), size_t(5) << 20);
  EXPECT_EQ(h.home.read(emu + w->CaptureFile), "another program's");

  // Output without a line end shows its last 4 MB, short lines their last 100,000 (the "end"
  // line and the rest "abc"); short lines share paragraphs.
  for (const std::string line : {"abc\n", "x"}) {
    h.seam.processHandler = [&](const std::string&, bool, plat::WaitMode) {
      std::string out;
      while (out.size() < (6u << 20)) out += line;
      Print(out + "end");
      return plat::ProcessResult{};
    };
    int paragraphs = 0;
    h.seam.modalHandlers.push_back([&](QWidget* r) {
      QTextDocument* d = static_cast<TReportFRM*>(r)->Doc->document();
      text = d->toPlainText().toStdString();
      paragraphs = d->blockCount();
      return 2;
    });
    w->MamePlayACTNExecute();
    EXPECT_NE(text.find((line == "x" ? "xxx" : "abc\nabc\n") + std::string("end\n\n$")),
              std::string::npos);
    EXPECT_NE(text.find("only its end is shown"), std::string::npos);
    if (line == "x") {
      EXPECT_GT(text.size(), size_t(4) << 20);
    } else {
      size_t shown = 0;
      for (size_t at = text.find("abc\n"); at != std::string::npos; at = text.find("abc\n", at + 4))
        ++shown;
      EXPECT_EQ(shown, size_t(plat::kMaxDocumentLines - 1));
    }
    EXPECT_LT(paragraphs, 20000);
    EXPECT_FALSE(plat::DirExists(emu + "$VRTEMP$"));
  }

  // A link at the capture file's name: the user's file behind it is kept, MAME is not run.
  const std::string user = h.home.write("user.txt", "the user's");
  ASSERT_EQ(symlink(user.c_str(), (emu + w->CaptureFile).c_str()), 0);
  h.seam.messages.clear();
  h.seam.commands.clear();
  w->MamePlayACTNExecute();
  ASSERT_EQ(h.seam.messages.size(), 1u) << h.seam.AllMessages();
  EXPECT_EQ(h.seam.messages[0].text,
            "The emulator's output cannot be captured in\r" + emu + w->CaptureFile +
                "\r(Not a regular file: a symbolic link)\rIt has been left as it is: remove it, "
                "then try again.\r\rMAME won't be run.");
  EXPECT_TRUE(h.seam.commands.empty());
  EXPECT_EQ(h.home.read("user.txt"), "the user's");
  struct stat st;
  EXPECT_TRUE(lstat((emu + w->CaptureFile).c_str(), &st) == 0 && S_ISLNK(st.st_mode));
  EXPECT_FALSE(plat::DirExists(emu + "$VRTEMP$"));
}

TEST_F(Launch, ParentsNearestFirstAndUnknownParentsEndTheChain) {
  // lone -> zyphonb -> zyphon; zyphonb's own "zyphon.2b" must not be replaced by the parent's.
  h.Game("lone")->RomOf = "zyphonb";
  h.Game("zyphonb")->RomOf = "zyphon";
  std::string own = Rom("zyphonb", "zyphon.2b", 4096);
  Rom("lone", "lone.1a", 4096);
  h.Game("zyphon")->RomOf = "nothere";
  h.Game("lone")->SampleOf = "nothere";
  h.Game("lone")->Samples->push_back("shot.wav");
  WriteZip(emu + "SAMPLES/lone.zip", {{"shot.wav", "RIFF"}});
  Select("lone");
  std::string log = Play();
  EXPECT_NE(log.find("file=lone.1a"), std::string::npos) << log;
  EXPECT_NE(log.find("file=zyphon.1a"), std::string::npos) << log;
  EXPECT_NE(log.find(FileLine("zyphon.2b", own)), std::string::npos) << log;
  EXPECT_NE(log.find("file=shot.wav"), std::string::npos) << log;
  EXPECT_EQ(Plays("lone"), 1u);
}

TEST_F(Launch, MissingRomStopsTheRunAndMisspelledRomIsCopied) {
  Rom("zyphon", "zyphon.3a", 4096, false);
  std::string report;
  CaptureReport(report);
  EXPECT_EQ(Play(), "");
  EXPECT_EQ(Plays("zyphon"), 0u);
  EXPECT_FALSE(plat::FileExists(w->StatsFileName));
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text,
            "This game does not meet the minimum requirements specified in the\r"
            "preferences window. MAME won't be run.\r\rDo you want to view a detailed report?");
  EXPECT_NE(report.find("Not runnable game description\n"), std::string::npos) << report;
  EXPECT_NE(report.find("\nzyphon.3a    rom file is missing\n"), std::string::npos) << report;
  EXPECT_NE(report.find("Rom files required by MAME (name/crc/size/area/bank):"),
            std::string::npos);
  EXPECT_FALSE(plat::DirExists(emu + "$VRTEMP$"));

  // The same bytes under another name are copied to the right one, and the game runs.
  sets["zyphon"].push_back({"zyphon3a.bin", Bytes("zyphonzyphon.3a", 4096)});
  std::string log = Play();
  EXPECT_NE(log.find(FileLine("zyphon.3a", sets["zyphon"].back().data)), std::string::npos)
      << log;
  EXPECT_EQ(Plays("zyphon"), 1u);
}

// A set that did not unpack whole is not run, even when every rom the test looks for is there;
// the zip component's mere warnings do not stop it. Set names the emulator would read as an
// option, or that are no file name, are refused before anything is unpacked.
TEST_F(Launch, UnpackErrorsAndUnusableSetNamesStopTheRun) {
  sets["zyphon"].push_back({"extra.bin", "damaged", false});
  WriteSets();
  std::string zip;
  plat::ReadWholeFile(emu + "ROMS/zyphon.zip", zip);
  const size_t at = zip.find("damaged");
  zip[at] = 'D';  // the entry's CRC no longer matches
  plat::WriteFileAtomic(emu + "ROMS/zyphon.zip", zip);
  std::string report;
  CaptureReport(report);
  w->MamePlayACTNExecute();
  EXPECT_TRUE(h.seam.commands.empty());
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text,
            "The game's sets could not be unpacked without errors:\rUNZIP error in " + emu +
                "ROMS/zyphon.zip: CRC error in extra.bin\rMAME won't be run.\r\r"
                "Do you want to view a detailed report?");
  EXPECT_NE(report.find("CRC error in extra.bin"), std::string::npos) << report;
  EXPECT_FALSE(plat::DirExists(emu + "$VRTEMP$"));

  zip[at] = 'd';
  plat::WriteFileAtomic(emu + "ROMS/zyphon.zip", zip + "junk");
  w->MamePlayACTNExecute();
  EXPECT_EQ(h.seam.commands.size(), 1u) << h.seam.AllMessages();

  GameRecord* g = h.Game("zyphon");
  for (auto [field, name, why] :
       {std::tuple{&g->Name, "-cc", "begins with \"-\": MAME would take it for an option."},
        {&g->CloneOf, "-listxml", "begins with \"-\": MAME would take it for an option."},
        {&g->RomOf, "../up", "cannot be part of a file name."}}) {
    const auto kept = *field;
    *field = name;
    w->MamePlayACTNExecute();
    *field = kept;
    EXPECT_EQ(h.seam.messages.back().text,
              "The set name [" + std::string(name) + "] " + why + "\rMAME won't be run.");
  }
  EXPECT_EQ(h.seam.commands.size(), 1u);
}

// The run is waited for (the emulator logs "end" as it quits) and counts what the clock gives
// between its start and its end, in whole seconds.
TEST_F(Launch, WaitsForTheEmulatorAndCountsItsTime) {
  setenv("VELMORA_DEMO_STDIN", "1", 1);
  h.seam.monotonicMs = {5000, 5999};
  std::string log = Play();
  EXPECT_TRUE(h.seam.monotonicMs.empty());
  EXPECT_NE(log.find("stdin=0\nend\n"), std::string::npos) << log;  // at once: stdin is empty
  auto* r = types::FindByName(w->PlayStats.get(), "ZYPHON");
  ASSERT_TRUE(r);
  EXPECT_EQ(stats::TotalSeconds(*r), 0u);
  unsetenv("VELMORA_DEMO_STDIN");
  setenv("VELMORA_DEMO_SLEEP", "1", 1);
  h.seam.monotonicMs = {10000, 10000 + 3723500};
  log = Play();
  EXPECT_TRUE(h.seam.monotonicMs.empty());
  EXPECT_EQ(log.substr(log.size() - 4), "end\n");
  EXPECT_EQ(r->TotTimes, 2u);
  EXPECT_EQ(stats::TotalSeconds(*r), 3723u);
}

// The end of the session during a game, or an exit from under it (the display went away):
// the emulator is stopped, the time up to then is counted and stored, the unpacked sets and the
// capture go, and nothing is asked.
TEST_F(Launch, TheSessionEndStopsTheGameCountsItsTimeAndCleansUp) {
  setenv("VELMORA_DEMO_SLEEP", "30", 1);
  w->LogTextOutput = true;
  w->ShowLogWarning = false;
  for (bool atExit : {false, true}) {
    SCOPED_TRACE(atExit);
    plat::SetSessionEnding(false);
    unlink(h.home.file("run.log").c_str());
    h.seam.monotonicMs = {1000, 60000};
    std::string stored;  // STATS.INI as the exit left it
    QTimer started;      // ends once the emulator has logged its start
    QObject::connect(&started, &QTimer::timeout, [&] {
      if (Log().find("arg=") == std::string::npos) return;
      started.stop();
      if (!atExit) return w->EndSession();
      w->EndAtExit();
      stored = h.home.read("STATS.INI");
      EXPECT_FALSE(plat::DirExists(emu + "$VRTEMP$") || plat::FileExists(emu + "$VRTEMP$.NFO"));
    });
    started.start(0);
    const std::string log = Play();
    EXPECT_EQ(log.find("end\n"), std::string::npos) << log;
    if (!atExit) stored = h.home.read("STATS.INI");
    EXPECT_NE(stored.find("[ZYPHON]\r\nTotHours=0\r\nTotMinutes=0\r\nTotSeconds=59\r\nTotTimes=1"),
              std::string::npos) << stored;
    EXPECT_FALSE(plat::DirExists(emu + "$VRTEMP$") || plat::FileExists(emu + "$VRTEMP$.NFO"));
    EXPECT_TRUE(h.seam.messages.empty() && h.seam.modalWindows.empty()) << h.seam.AllMessages();
    w->PlayStats->clear();
  }
}

TEST_F(Launch, OneRunPerEnterAndKeysPressedDuringTheRunAreDropped) {
  WriteSets();
  w->GameSelected();
  int runs = 0;
  h.seam.processHandler = [&](const std::string&, bool, plat::WaitMode) {
    ++runs;
    // Enter pressed again while the game runs waits in the queue.
    for (int i = 0; i < 3; ++i)
      QCoreApplication::postEvent(w->TreeList,
                                  new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
    return plat::ProcessResult{};
  };
  auto enter = [&](bool held) {
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), held);
    QApplication::sendEvent(w->TreeList, &e);
  };
  enter(false);
  for (int i = 0; i < 20; ++i) enter(true);  // the key held down repeats
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(Plays("zyphon"), 1u);
  // A repeat whose flag the display missed: a press in the millisecond of the release.
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
  release.setTimestamp(5000);
  QApplication::sendEvent(w->TreeList, &release);
  QKeyEvent again(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  again.setTimestamp(5000);
  QApplication::sendEvent(w->TreeList, &again);
  EXPECT_EQ(runs, 1);
  QKeyEvent later(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);  // pressed anew
  later.setTimestamp(5200);
  QApplication::sendEvent(w->TreeList, &later);
  EXPECT_EQ(runs, 2);
}

// A snapshot the emulator saves during the game, into the folder MAME.CFG names, shows as the
// game ends; the next one is numbered beside it.
TEST_F(Launch, ASnapshotSavedDuringTheGameShowsAfterIt) {
  std::string title;
  plat::ReadWholeFile(std::string(VELMORA_SOURCE_DIR) + "/demo/pictures/titles/zyphon.png", title);
  h.home.write("my $HOME 'games'/pictures/titles/zyphon.png", title);
  w->MAMEDirectories.snap = "Shots";
  w->PictureTabs = {emu + "Shots/"};
  w->SetPictureTabCaptions({"Snap"});
  w->FindPicture(w->SelectedGame);
  EXPECT_EQ(w->CurrentPictureFile, "");
  setenv("VELMORA_DEMO_SNAPSHOT", "1", 1);
  Play();
  EXPECT_EQ(w->CurrentPictureFile, emu + "Shots/zyphon.png") << Log();
  EXPECT_FALSE(w->ScreenshotsForwACTN->isEnabled());
  Play();
  EXPECT_EQ(w->CurrentPictureFile, emu + "Shots/zyphon.png");
  EXPECT_TRUE(w->ScreenshotsForwACTN->isEnabled());  // zyph0000.png
}

TEST_F(Launch, NoGameOrAnEmulatorThatCannotStart) {
  w->SelectedGame = nullptr;
  w->DXGameSelect = true;
  w->MamePlayACTNExecute();
  EXPECT_TRUE(h.seam.commands.empty());
  EXPECT_TRUE(w->JoyCheckTMR->isActive());
  EXPECT_TRUE(w->MamePlayACTN->isEnabled());

  Select("zyphon");
  w->EmulatorExe = "missing";
  Play();
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text.substr(0, 26), "MAME could not be started.");
  EXPECT_EQ(Plays("zyphon"), 0u);
  EXPECT_FALSE(plat::DirExists(emu + "$VRTEMP$"));
}

// The bundled demonstration collection runs a clone with its parent's roms and samples.
TEST_F(Launch, TheDemonstrationCollectionRunsAClone) {
  const std::string demo = std::string(VELMORA_SOURCE_DIR) + "/demo/";
  w->MAMEDirectories.rompath = demo + "ROMS";
  w->MAMEDirectories.samplepath = demo + "SAMPLES";
  w->CheckCRCOnRun = true;
  GameRecord* g = h.Game("zyphonb");
  g->RomOf = g->SampleOf = "zyphon";
  g->Samples->push_back("shot.wav");
  for (auto [name, crc] : {std::pair{"zyphon.1a", 0x36f4d778u}, {"zyphon.2b", 0x84d0d501u},
                           {"zyphonb.3a", 0xf86a8f84u}}) {
    auto r = std::make_unique<RomRecord>();
    r->Name = name;
    r->Size = 4096;
    r->Crc = crc;
    g->Roms->push_back(std::move(r));
  }
  Select("zyphonb");
  sets.clear();
  std::string log = Play();
  EXPECT_TRUE(h.seam.messages.empty()) << h.seam.AllMessages();
  for (const char* line : {"file=zyphon.1a size=4096 crc=36f4d778", "file=zyphonb.3a size=4096 "
                           "crc=f86a8f84", "file=shot.wav"})
    EXPECT_NE(log.find(line), std::string::npos) << log;
}

}  // namespace
