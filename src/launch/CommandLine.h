// The emulator's command line, built from the profile, the game and the user's options.
#pragma once
#include <string>

namespace launch {

struct CommandLineOptions {
  std::string comSpec;       // the command interpreter
  std::string emulator;      // emulator folder + executable
  std::string setName;
  bool errorLog = false;     // " -log"
  bool ignoreCfg = false;    // " -ignorecfg"
  int recording = 0;         // 0 none, 1 record, 2 play back
  std::string recordName;    // the recording file as typed (its extension is dropped)
  bool addOptions = false;
  std::string extraOptions;  // appended as typed
  bool logOutput = false;
  std::string captureFile;
};

// The interpreter, its switch, then the emulator with the set, " -romdir $VRTEMP$" and the
// options. Every name inserted here is quoted for the shell; the extra options are not. The
// logged output goes to the capture file the program made, handed to the emulator open.
std::string BuildCommandLine(const CommandLineOptions& o);
// The same run as a user types it at a shell prompt: without the interpreter and its switch,
// the logged output redirected to the capture file.
std::string ShellCommand(const CommandLineOptions& o);

// A file name without its extension; a folder part stays.
std::string WithoutExtension(const std::string& name);

}  // namespace launch
