#include "platform/Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <cerrno>
#include <cstdlib>
#include <thread>

#include "platform/Files.h"

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

}  // namespace

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

  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  int rc = argv[0].find('/') != std::string::npos
               ? posix_spawn(&pid, argv[0].c_str(), &fa, nullptr, cargv.data(), environ)
               : posix_spawnp(&pid, argv[0].c_str(), &fa, nullptr, cargv.data(), environ);
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
  if (wait == WaitMode::KeepPainting && QCoreApplication::instance()) {
    for (;;) {
      pid_t r = waitpid(pid, &status, WNOHANG);
      if (r == pid) break;
      if (r < 0 && errno != EINTR) break;
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
      QThread::msleep(10);
    }
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
