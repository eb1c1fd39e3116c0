#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QThread>
#include <QWidget>
#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Seams.h"
#include "support/TempDir.h"

using namespace plat;

TEST(ShellQuoting, NamesStayLiteral) {
  EXPECT_EQ(ShellQuote("$VRTEMP$.NFO"), "'$VRTEMP$.NFO'");
  EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
  EXPECT_EQ(SplitCommandLine("a 'b c' \"d $e\" f\\ g"),
            (std::vector<std::string>{"a", "b c", "d $e", "f g"}));
}

TEST(Interpreter, ComspecOrShell) {
  const char* old = std::getenv("COMSPEC");
  std::string saved = old ? old : "";
  unsetenv("COMSPEC");
  EXPECT_EQ(CommandInterpreter(), "/bin/sh");
  EXPECT_EQ(InterpreterSwitch(), "-c");
  setenv("COMSPEC", "/usr/bin/dash", 1);
  EXPECT_EQ(CommandInterpreter(), "/usr/bin/dash");
  if (old) setenv("COMSPEC", saved.c_str(), 1); else unsetenv("COMSPEC");
}

TEST(Run, CaptureThroughTheInterpreterKeepsDollarNamesLiteral) {
  TempDir t;
  std::string capture = t.path() + "$VRTEMP$.NFO";
  std::string cmd = "/bin/sh -c echo hello > " + ShellQuote(capture);
  auto r = RunCommandLine(cmd, false, WaitMode::Block);
  EXPECT_EQ(r.error, 0);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(t.read("$VRTEMP$.NFO"), "hello\n");
  // An interpreter whose path holds "-c" is split by position.
  ASSERT_TRUE(MakeDirs(t.path() + "tool-chain/bin"));
  ASSERT_EQ(symlink("/bin/sh", (t.path() + "tool-chain/bin/sh").c_str()), 0);
  cmd = ShellQuote(t.path() + "tool-chain/bin/sh") + " -c echo again > " + ShellQuote(capture);
  EXPECT_EQ(RunCommandLine(cmd, false, WaitMode::Block).exitStatus, 0);
  EXPECT_EQ(t.read("$VRTEMP$.NFO"), "again\n");
}

TEST(Run, MissingProgramGivesFileNotFoundAndNoCapture) {
  TempDir t;
  auto r = RunCommandLine(t.path() + "no-such-program -listinfo", false, WaitMode::Block);
  EXPECT_EQ(r.error, ENOENT);
  auto r2 = RunCommandLine("no-such-program-anywhere", false, WaitMode::Block);
  EXPECT_EQ(r2.error, ENOENT);
  EXPECT_TRUE(ListDir(t.path()).empty());
}

TEST(Run, ExitStatusAndStdinFromDevNull) {
  auto r = RunCommandLine("/bin/sh -c exit 3", false, WaitMode::Block);
  EXPECT_EQ(r.exitStatus, 3);
  auto start = std::chrono::steady_clock::now();
  auto r2 = RunCommandLine("/bin/sh -c read x", false, WaitMode::KeepPainting);
  EXPECT_EQ(r2.error, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  auto r3 = RunCommandLine("/bin/sh -c kill -9 $$", false, WaitMode::Block);
  EXPECT_EQ(r3.exitStatus, 128 + 9);
}

TEST(Run, DirectProgramWithQuotedArguments) {
  TempDir t;
  std::string out = t.path() + "o ut $X.txt";
  auto r = RunCommandLine("touch " + ShellQuote(out), false, WaitMode::Block);
  EXPECT_EQ(r.error, 0);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_TRUE(FileExists(out));
}

// Keys pressed while a program ran are dropped afterwards, known by their display time stamps;
// keys pressed later go through.
TEST(Run, InputMadeDuringTheWaitIsDropped) {
  struct Counter : QWidget {
    int keys = 0;
    void keyPressEvent(QKeyEvent*) override { ++keys; }
  } target;
  plat::WatchUserInput();
  auto press = [&target](quint64 stamp) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    key.setTimestamp(stamp);
    QApplication::sendEvent(&target, &key);
  };
  press(1000);  // the display's clock is learnt from what arrives
  EXPECT_EQ(target.keys, 1);
  QThread::msleep(30);
  plat::DropPendingUserInput();  // the wait is over
  press(1010);                   // made during it, handed over now
  EXPECT_EQ(target.keys, 1);
  press(1000 + 60 * 1000);       // made afterwards
  EXPECT_EQ(target.keys, 2);
}

TEST(Run, LimitsStopTheWholeProcessGroup) {
  TempDir t;
  // The program leaves a child of its own behind; one ignores the request to end.
  struct Case { const char* script; int64_t limitMs; int pollsToCancel; Stopped stopped; };
  for (const Case& c : {Case{"sleep 1000 & echo $! > child; wait", 300, 0, Stopped::TimedOut},
                        Case{"sleep 1000 & echo $! > child; wait", 0, 5, Stopped::Cancelled},
                        Case{"trap '' TERM; sleep 1000 & echo $! > child; wait", 300, 0,
                             Stopped::TimedOut},
                        Case{"echo $$ > child", 60000, 1000, Stopped::No}}) {
    SCOPED_TRACE(c.script);
    RemoveFile(t.file("child"));
    int polls = 0;
    WaitLimits limits(c.limitMs, [&] { return ++polls == c.pollsToCancel; });
    const auto start = std::chrono::steady_clock::now();
    auto r = RunCommandLine("/bin/sh -c cd " + ShellQuote(t.path()) + "; " + c.script, false,
                            WaitMode::KeepPainting);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(r.stopped, c.stopped);
    EXPECT_EQ(r.exitStatus == 0, c.stopped == Stopped::No);
    const pid_t child = std::atoi(t.read("child").c_str());
    ASSERT_GT(child, 0);
    // Gone, or a zombie left for the init process, once the signal has been taken.
    bool gone = false;
    std::string stat;
    for (int i = 0; i < 100 && !gone; ++i, QThread::msleep(10)) {
      stat.clear();
      ReadWholeFile("/proc/" + std::to_string(child) + "/stat", stat);
      gone = stat.empty() || stat.find(") Z ") != std::string::npos;
    }
    EXPECT_TRUE(gone) << stat;
  }
  EXPECT_EQ(WaitLimits::Current(), nullptr);
}
