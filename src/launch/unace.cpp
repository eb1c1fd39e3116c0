#include "launch/unace.h"

#include <set>

#include "platform/AceLib.h"

namespace unace {

namespace {
bool g_missing = false;
std::set<ACEHandle>& Handles() {
  static std::set<ACEHandle> handles;
  return handles;
}
bool Valid(ACEHandle h) { return h && Handles().count(h) > 0; }
}  // namespace

// The reader is part of the program; only the tests make it "missing".
int LoadUnaceDLL() { return g_missing ? ACE_NODLL : ACE_OK; }
void UnloadUnaceDLL() {}
void SetUnaceMissingForTests(bool missing) { g_missing = missing; }

std::string ACEErrorText(int code) {
  switch (code) {
    case 0: return "no errors occurred";
    case 1: return "not enough memory to allocate decompression structures";
    case 2: return "\"FILES\" error";
    case 3: return "file not found";
    case 4: return "disk full";
    case 5: return "file open error (disk access error or sharing violation)";
    case 6: return "file read error (disk access error or file broken)";
    case 7: return "file write error (disk access error, disk protection or sharing violation)";
    case 8: return "\"CLINE\" error";
    case 9: return "CRC error";
    case 10: return "\"OTHER\" error";
    case 11: return "file already exists";
    case 12: return "cannot load UNACE.DLL";
    case 128: return "end of archive reached";
    case 129: return "invalid file handle";
    case 130: return "unknown open mode or invalid operation request";
    case 131: return "bad or missing password; cannot uncompress encrypted file";
    case 132: return "unknown compression method";
    case 255: return "archive operation interrupted by user";
    default: return "unknown error code";
  }
}

ACEHandle ACEOpenArchive(ACEOpenArchiveData& Data) {
  if (Data.OpenMode != ACE_OPEN_LIST && Data.OpenMode != ACE_OPEN_EXTRACT) {
    Data.OpenResult = ACE_MODE;
    return nullptr;
  }
  int code = ACE_OK;
  auto reader = plat::AceReader::Open(Data.ArcName, code);
  Data.OpenResult = static_cast<uint32_t>(code);
  if (!reader) return nullptr;
  Data.Flags = reader->MainFlags();
  ACEHandle h = reader.release();
  Handles().insert(h);
  return h;
}

int ACECloseArchive(ACEHandle hArcData) {
  if (!hArcData) return ACE_OK;  // a failed open left nothing to close
  if (!Valid(hArcData)) return ACE_HANDLE;
  Handles().erase(hArcData);
  delete hArcData;
  return ACE_OK;
}

int ACEReadHeader(ACEHandle hArcData, ACEHeaderData& HeaderData) {
  if (!Valid(hArcData)) return ACE_HANDLE;
  plat::AceReader::Entry e;
  int code = hArcData->Next(e);
  if (code != ACE_OK) return code;
  HeaderData.FileName = e.name;
  HeaderData.StoredName = e.storedName;
  HeaderData.Flags = e.flags;
  HeaderData.PackSize = e.packedSize;
  HeaderData.UnpSize = e.size;
  HeaderData.FileCRC = e.crc;
  HeaderData.FileTime = e.dosTime;
  HeaderData.Method = e.method;
  HeaderData.FileAttr = e.attributes;
  return ACE_OK;
}

int ACEProcessFile(ACEHandle hArcData, int Operation, const std::string& DestName) {
  if (!Valid(hArcData)) return ACE_HANDLE;
  switch (Operation) {
    case ACE_SKIP: return hArcData->Skip();
    case ACE_TEST: return hArcData->Test();
    case ACE_EXTRACT:
      if (DestName.empty()) return ACE_OPEN;
      return hArcData->Extract(DestName);
    default: return ACE_MODE;
  }
}

// Encrypted entries are refused whatever the password.
int ACESetPassword(ACEHandle hArcData, const std::string&) {
  return Valid(hArcData) ? ACE_OK : ACE_HANDLE;
}

}  // namespace unace
