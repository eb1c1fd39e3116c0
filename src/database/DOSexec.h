// Starting a command line as a new process and optionally waiting for it.
#pragma once
#include <string>

namespace DOSexec {
enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1 };
// 0 on success, else the error code of the failed start. The exit status of a waited-for
// process is stored in *exitStatus when given.
int ExecAndWait(const std::string& commandLine, int showCmd, bool wait, int* exitStatus = nullptr);
}
