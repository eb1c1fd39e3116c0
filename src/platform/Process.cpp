#include "platform/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/Files.h"
#include "platform/SessionEnd.h"

extern char** environ;

namespace plat {

std::string CommandInterpreter() {
  const char* c = std::getenv("COMSPEC");
  return c && *c ? std::string(c) : std::string("/bin/sh");
}

std::string InterpreterSwitch() {
  std::string name = UpperCase(FileNameOf(CommandInterpreter()));
  return name == "COMMAND.COM" || name == "CMD.EXE" ? "/C" : "-c";
}

std::string ShellQuote(std::string_view s) {
  std::string r = "'";
  for (char c : s) {
    if (c == '\'')
      r += "'\\''";
    else
      r += c;
  }
  r += "'";
  return r;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads one word from `i` on (blanks before it skipped); `i` ends just past it. False at the
// end of the line.
bool NextWord(std::string_view line, size_t& i, std::string& word) {
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i >= line.size()) return false;
  word.clear();
  for (; i < line.size() && !IsBlank(line[i]); ++i) {
    char c = line[i];
    if (c == '\'') {
      for (++i; i < line.size() && line[i] != '\''; ++i) word += line[i];
    } else if (c == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size() &&
            (line[i + 1] == '"' || line[i + 1] == '\\' || line[i + 1] == '$'))
          ++i;
        word += line[i];
      }
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
    } else {
      word += c;
    }
    if (i >= line.size()) break;
  }
  return true;
}

// Splits off "<interpreter> <switch> " at the head of a command line: the first two words,
// by position, so a switch-like text inside the interpreter's path is no switch.
bool SplitInterpreter(const std::string& line, std::string& interp, std::string& rest) {
  size_t i = 0;
  std::string sw;
  if (!NextWord(line, i, interp) || !NextWord(line, i, sw)) return false;
  sw = UpperCase(sw);
  if (sw != "-C" && sw != "/C") return false;
  while (i < line.size() && line[i] == ' ') ++i;
  rest = line.substr(i);
  return true;
}

// The process group of the run being waited for (0: none).
std::atomic<pid_t> g_waitedGroup{0};

thread_local const WaitLimits* t_limits = nullptr;
thread_local const OutputTo* t_output = nullptr;

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Ends a process group whose leader has not been collected yet (so its number is not given
// to another group): asked to end first, killed when it has not after a grace period.
int StopGroup(pid_t pid) {
  kill(-pid, SIGTERM);
  const int64_t until = SteadyMs() + 2000;
  siginfo_t info{};
  while (SteadyMs() < until) {
    info.si_pid = 0;
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(-pid, SIGKILL);  // what is left of the group, the leader included
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

}  // namespace

WaitLimits::WaitLimits(int64_t timeLimit, std::function<bool()> p)
    : timeLimitMs(timeLimit), poll(std::move(p)), outer_(t_limits) {
  t_limits = this;
}

WaitLimits::~WaitLimits() { t_limits = outer_; }

const WaitLimits* WaitLimits::Current() { return t_limits; }

OutputTo::OutputTo(int f, bool errors) : fd(f), errorsToo(errors), outer_(t_output) {
  t_output = this;
}

OutputTo::~OutputTo() { t_output = outer_; }

const OutputTo* OutputTo::Current() { return t_output; }

void StopWaitedRun() {
  if (const pid_t pid = g_waitedGroup.exchange(0); pid > 0) StopGroup(pid);
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::string w;
  for (size_t i = 0; NextWord(line, i, w);) words.push_back(w);
  return words;
}

ProcessResult RunCommandLine(const std::string& commandLine, bool /*showWindow*/, WaitMode wait) {
  ProcessResult result;
  std::vector<std::string> argv;
  std::string interp, rest;
  if (SplitInterpreter(commandLine, interp, rest)) {
    argv = {interp, "-c", rest};
  } else {
    argv = SplitCommandLine(commandLine);
  }
  if (argv.empty()) {
    result.error = ENOENT;
    return result;
  }
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);

  // A run that may be stopped (by its limits or by the end of the session) gets a process
  // group of its own, ended whole.
  const WaitLimits* limits = wait == WaitMode::NoWait ? nullptr : WaitLimits::Current();
  const bool stoppable = limits || wait == WaitMode::KeepPainting;
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  if (const OutputTo* out = OutputTo::Current()) {
    posix_spawn_file_actions_adddup2(&fa, out->fd, 1);
    if (out->errorsToo) posix_spawn_file_actions_adddup2(&fa, out->fd, 2);
  }
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  if (stoppable) {
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
  }
  pid_t pid = 0;
  int rc = argv[0].find('/') != std::string::npos
               ? posix_spawn(&pid, argv[0].c_str(), &fa, &attr, cargv.data(), environ)
               : posix_spawnp(&pid, argv[0].c_str(), &fa, &attr, cargv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) {
    result.error = rc;
    return result;
  }
  if (wait == WaitMode::NoWait) {
    // Reap it in the background so it leaves no zombie.
    std::thread([pid] { int st; waitpid(pid, &st, 0); }).detach();
    return result;
  }
  int status = 0;
  const bool painting = wait == WaitMode::KeepPainting && QCoreApplication::instance();
  if (limits || painting) {
    g_waitedGroup = pid;
    const int64_t deadline = limits && limits->timeLimitMs > 0 ? SteadyMs() + limits->timeLimitMs : 0;
    for (;;) {
      pid_t r = waitpid(pid, &status, WNOHANG);
      if (r == pid) break;
      if (r < 0 && errno != EINTR) break;
      if (deadline && SteadyMs() >= deadline) result.stopped = Stopped::TimedOut;
      else if (SessionEnding()) result.stopped = Stopped::Cancelled;
      else if (limits && limits->poll && limits->poll()) result.stopped = Stopped::Cancelled;
      else if (painting && !(limits && limits->poll))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
      if (result.stopped != Stopped::No) {
        status = StopGroup(pid);
        break;
      }
      QThread::msleep(10);
    }
    g_waitedGroup = 0;
  } else {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (WIFEXITED(status))
    result.exitStatus = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    result.exitStatus = 128 + WTERMSIG(status);
  return result;
}

}  // namespace plat
