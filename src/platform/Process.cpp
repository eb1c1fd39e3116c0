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

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::string cur;
  bool inWord = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (inWord) words.push_back(cur), cur.clear(), inWord = false;
      continue;
    }
    inWord = true;
    if (c == '\'') {
      for (++i; i < line.size() && line[i] != '\''; ++i) cur += line[i];
    } else if (c == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size() &&
            (line[i + 1] == '"' || line[i + 1] == '\\' || line[i + 1] == '$'))
          ++i;
        cur += line[i];
      }
    } else if (c == '\\' && i + 1 < line.size()) {
      cur += line[++i];
    } else {
      cur += c;
    }
  }
  if (inWord) words.push_back(cur);
  return words;
}

namespace {

// Splits off "<interpreter> <switch> " at the head of a command line.
bool SplitInterpreter(const std::string& line, std::string& interp, std::string& rest) {
  std::vector<std::string> w = SplitCommandLine(line);
  if (w.size() < 2) return false;
  std::string sw = UpperCase(w[1]);
  if (sw != "-C" && sw != "/C") return false;
  // The rest is everything after the switch word, as typed.
  size_t p = line.find(w[1]);
  std::string head = line.substr(0, p);
  if (SplitCommandLine(head).size() != 1) return false;
  interp = w[0];
  rest = line.substr(p + w[1].size());
  size_t b = rest.find_first_not_of(' ');
  rest = b == std::string::npos ? std::string() : rest.substr(b);
  return true;
}

}  // namespace

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
