#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QThread>
#include <QWidget>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <sstream>

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
  auto r2 = RunCommandLine("/bin/sh -c [ \"$(readlink /proc/$$/fd/0)\" = /dev/null ]", false,
                           WaitMode::KeepPainting);
  EXPECT_EQ(r2.error, 0);
  EXPECT_EQ(r2.exitStatus, 0);
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
  // Each run of the test a display clock two days on, which is learnt anew.
  static quint64 base = 0;
  base += 2 * 24 * 3600 * 1000ULL;
  auto press = [&target](quint64 stamp) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    key.setTimestamp(base + stamp);
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

namespace {

// Waits until `done` holds; the minute is a guard against a hang, not a speed check.
bool Eventually(const std::function<bool()>& done) {
  for (int i = 0; i < 6000; ++i, QThread::msleep(10))
    if (done()) return true;
  return done();
}

// A process's state letter and start time, from /proc ("" when there is none): a number
// taken again by a newer process has another start time.
std::string StateAndStart(pid_t pid) {
  std::string stat;
  ReadWholeFile("/proc/" + std::to_string(pid) + "/stat", stat);
  const size_t paren = stat.rfind(") ");
  if (paren == std::string::npos) return {};
  std::vector<std::string> fields;
  std::istringstream in(stat.substr(paren + 2));
  for (std::string f; in >> f;) fields.push_back(f);
  return fields.size() > 19 ? fields[0] + " " + fields[19] : std::string();
}

}  // namespace

TEST(Run, LimitsStopTheWholeProcessGroup) {
  TempDir t;
  // The program leaves a child of its own behind; one ignores the request to end. The first
  // poll waits for the child, so that the stop finds it however late the shell starts.
  struct Case { const char* script; int64_t limitMs; bool cancel; Stopped stopped; };
  for (const Case& c : {Case{"sleep 1000 & echo $! > child; wait", 300, false, Stopped::TimedOut},
                        Case{"sleep 1000 & echo $! > child; wait", 0, true, Stopped::Cancelled},
                        Case{"trap '' TERM; sleep 1000 & echo $! > child; wait", 300, false,
                             Stopped::TimedOut},
                        Case{"echo $$ > child", 0, false, Stopped::No}}) {
    SCOPED_TRACE(c.script);
    auto childPid = [&t] {
      std::string s;
      ReadWholeFile(t.file("child"), s);
      return s.find('\n') == std::string::npos ? 0 : std::atoi(s.c_str());
    };
    ProcessResult r;
    int polls = 0;
    std::string before;  // the child as the first poll saw it
    for (int attempt = 0; attempt < 10; ++attempt) {
      RemoveFile(t.file("child"));
      polls = 0;
      before.clear();
      WaitLimits limits(c.limitMs, [&] {
        if (polls++ == 0 && Eventually([&] { return childPid() > 0; }))
          before = StateAndStart(childPid());
        return c.cancel;
      });
      r = RunCommandLine("/bin/sh -c cd " + ShellQuote(t.path()) + "; " + c.script, false,
                         WaitMode::KeepPainting);
      // Stopped by the limit before the first poll (this thread held up for all of it): again.
      if (polls > 0 || r.stopped != Stopped::TimedOut) break;
    }
    EXPECT_EQ(r.stopped, c.stopped);
    EXPECT_EQ(r.exitStatus == 0, c.stopped == Stopped::No);
    const pid_t child = childPid();
    ASSERT_GT(child, 0);
    if (c.stopped != Stopped::No) {
      ASSERT_NE(before, "");
    }
    // Gone, or a zombie left for the init process, once the signal has been taken.
    std::string now;
    EXPECT_TRUE(Eventually([&] {
      now = StateAndStart(child);
      return now.empty() || now[0] == 'Z' || now.substr(2) != before.substr(before.find(' ') + 1);
    })) << now << " was " << before;
  }
  EXPECT_EQ(WaitLimits::Current(), nullptr);
}
