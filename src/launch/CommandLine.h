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
// options. Every name inserted here is quoted for the shell; the extra options are not.
std::string BuildCommandLine(const CommandLineOptions& o);
// What the interpreter runs: the command line without the interpreter and its switch, as a
// user types it at a shell prompt.
std::string ShellCommand(const CommandLineOptions& o);

// A file name without its extension; a folder part stays.
std::string WithoutExtension(const std::string& name);

}  // namespace launch
