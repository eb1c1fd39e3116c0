// Stand-in bodies; the reader follows.
#include "launch/unace.h"

namespace unace {
int LoadUnaceDLL() { return ACE_NODLL; }
void UnloadUnaceDLL() {}
std::string ACEErrorText(int) { return "unknown error code"; }
ACEHandle ACEOpenArchive(ACEOpenArchiveData& Data) {
  Data.OpenResult = ACE_OPEN;
  return nullptr;
}
int ACECloseArchive(ACEHandle) { return ACE_HANDLE; }
int ACEReadHeader(ACEHandle, ACEHeaderData&) { return ACE_HANDLE; }
int ACEProcessFile(ACEHandle, int, const std::string&) { return ACE_HANDLE; }
int ACESetPassword(ACEHandle, const std::string&) { return ACE_HANDLE; }
void SetUnaceMissingForTests(bool) {}
}  // namespace unace
