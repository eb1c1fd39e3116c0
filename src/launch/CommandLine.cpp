#include "launch/CommandLine.h"

#include "platform/Process.h"

namespace launch {

std::string WithoutExtension(const std::string& name) {
  size_t dot = name.find_last_of('.');
  size_t sep = name.find_last_of("/\\");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return name;
  return name.substr(0, dot);
}

namespace {

// The emulator and its arguments.
std::string EmulatorWithArguments(const CommandLineOptions& o) {
  using plat::ShellQuote;
  std::string s = ShellQuote(o.emulator) + " " + ShellQuote(o.setName) + " -romdir " +
                  ShellQuote("$VRTEMP$");
  if (o.errorLog) s += " -log";
  if (o.ignoreCfg) s += " -ignorecfg";
  if (o.recording == 1) s += " -record " + ShellQuote(WithoutExtension(o.recordName));
  if (o.recording == 2) s += " -playback " + ShellQuote(WithoutExtension(o.recordName));
  if (o.addOptions) s += " " + o.extraOptions;
  return s;
}

}  // namespace

std::string BuildCommandLine(const CommandLineOptions& o) {
  // An interpreter path with blanks or quotes is quoted; a plain one stays as it is.
  const bool plain = o.comSpec.find_first_of(" \t'\"\\$`") == std::string::npos;
  return (plain ? o.comSpec : plat::ShellQuote(o.comSpec)) + " " + plat::InterpreterSwitch() +
         " " + EmulatorWithArguments(o);
}

std::string ShellCommand(const CommandLineOptions& o) {
  std::string s = EmulatorWithArguments(o);
  if (o.logOutput) s += " >" + plat::ShellQuote(o.captureFile) + " 2>&1";
  return s;
}

}  // namespace launch
