// Starting a command line as a new process and optionally waiting for it.
#pragma once
#include <string>

#include "platform/Process.h"

namespace DOSexec {
enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1 };
// 0 on success, else the error code of the failed start. The exit status of a waited-for
// process is stored in *exitStatus when given, and whether the program stopped it (see
// plat::WaitLimits) in *stopped.
int ExecAndWait(const std::string& commandLine, int showCmd, bool wait, int* exitStatus = nullptr,
                plat::Stopped* stopped = nullptr);
}
