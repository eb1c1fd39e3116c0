#include "database/DOSexec.h"

#include "platform/Seams.h"

namespace DOSexec {

int ExecAndWait(const std::string& commandLine, int showCmd, bool wait, int* exitStatus,
                plat::Stopped* stopped) {
  auto r = plat::Ui().RunProcess(commandLine, showCmd != SW_HIDE,
                                 wait ? plat::WaitMode::KeepPainting : plat::WaitMode::NoWait);
  if (exitStatus) *exitStatus = r.exitStatus;
  if (stopped) *stopped = r.stopped;
  return r.error;
}

}  // namespace DOSexec
