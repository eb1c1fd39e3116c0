// Starting commands through the command interpreter and waiting for them.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// $COMSPEC when set, else /bin/sh.
std::string CommandInterpreter();
// The interpreter's switch that runs one command: "/C" for a Windows interpreter, "-c" here.
std::string InterpreterSwitch();
// Single-quotes a name or path for the shell, so "$", blanks and quotes stay literal.
std::string ShellQuote(std::string_view s);

enum class Stopped { No, Cancelled, TimedOut };

struct ProcessResult {
  int error = 0;        // 0, or the errno of a failed start (ENOENT = 2 when the program is missing)
  int exitStatus = -1;  // exit status when waited for; 128+signal after a signal; -1 when not waited
  Stopped stopped = Stopped::No;  // ended by the program under WaitLimits
};

enum class WaitMode { NoWait, Block, KeepPainting };

// Limits on the runs waited for while it lives (on this thread). A run still going after
// `timeLimitMs` (0: none), or when `poll` answers true, is stopped with its whole process
// group. While waiting, `poll` is called about every 20 ms in place of letting pending
// messages through, so that it can let through the input of a window that offers to stop.
class WaitLimits {
 public:
  WaitLimits(int64_t timeLimitMs, std::function<bool()> poll);
  ~WaitLimits();
  WaitLimits(const WaitLimits&) = delete;
  WaitLimits& operator=(const WaitLimits&) = delete;
  static const WaitLimits* Current();

  const int64_t timeLimitMs;
  const std::function<bool()> poll;

 private:
  const WaitLimits* outer_;
};

// While it lives (on this thread), the runs started get the descriptor as their standard
// output, and as their error output too with `errorsToo`.
class OutputTo {
 public:
  OutputTo(int fd, bool errorsToo);
  ~OutputTo();
  OutputTo(const OutputTo&) = delete;
  OutputTo& operator=(const OutputTo&) = delete;
  static const OutputTo* Current();

  const int fd;
  const bool errorsToo;

 private:
  const OutputTo* outer_;
};

// Starts a command line. "<interpreter> -c <text>" hands <text> to the interpreter as it
// stands (the interpreter parses its quotes). Any other command is split into words as the shell would for a plain
// program and arguments; when it starts with the command interpreter followed by its switch,
// the rest is handed to the interpreter as one command text. stdin is /dev/null.
// Programs are looked up along PATH unless the name holds a "/". A run waited for under
// WaitLimits or with KeepPainting has a process group of its own; the end of the session
// (plat::SessionEnding) stops it whole, as Stopped::Cancelled.
ProcessResult RunCommandLine(const std::string& commandLine, bool showWindow, WaitMode wait);

// Stops the run being waited for with its process group (for an exit from under the wait).
void StopWaitedRun();

// Splits a command line into words (single and double quotes, backslash escapes).
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace plat
