// Starting commands through the command interpreter and waiting for them.
#pragma once
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

struct ProcessResult {
  int error = 0;        // 0, or the errno of a failed start (ENOENT = 2 when the program is missing)
  int exitStatus = -1;  // exit status when waited for; 128+signal after a signal; -1 when not waited
};

enum class WaitMode { NoWait, Block, KeepPainting };

// Starts a command line. "<interpreter> -c <text>" hands <text> to the interpreter as it
// stands (the interpreter parses its quotes). Any other command is split into words as the shell would for a plain
// program and arguments; when it starts with the command interpreter followed by its switch,
// the rest is handed to the interpreter as one command text. stdin is /dev/null.
// Programs are looked up along PATH unless the name holds a "/".
ProcessResult RunCommandLine(const std::string& commandLine, bool showWindow, WaitMode wait);

// Splits a command line into words (single and double quotes, backslash escapes).
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace plat
