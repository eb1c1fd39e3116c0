// The ACE library interface: opening an ACE archive, reading its entries one by one and
// extracting each to a full file name. The reader behind it is src/platform/AceLib.h.
#pragma once
#include <cstdint>
#include <string>

namespace plat {
class AceReader;
}

namespace unace {

// Library results.
enum : int {
  ACE_OK = 0,
  ACE_NOMEM = 1,
  ACE_FILES = 2,
  ACE_FOUND = 3,
  ACE_FULL = 4,
  ACE_OPEN = 5,
  ACE_READ = 6,
  ACE_WRITE = 7,
  ACE_CLINE = 8,
  ACE_CRC = 9,
  ACE_OTHER = 10,      // multi-volume archives, 64-bit headers
  ACE_EXISTS = 11,
  ACE_NODLL = 12,
  ACE_END = 128,       // end of archive reached
  ACE_HANDLE = 129,
  ACE_MODE = 130,      // unknown open mode or operation request
  ACE_PASSWORD = 131,  // encrypted entry
  ACE_METHOD = 132,    // unknown compression method or mode
  ACE_USER = 255,
};

// Open modes and file operations.
enum : int { ACE_OPEN_LIST = 0, ACE_OPEN_EXTRACT = 1 };
enum : int { ACE_SKIP = 0, ACE_TEST = 1, ACE_EXTRACT = 2 };

using ACEHandle = plat::AceReader*;

struct ACEOpenArchiveData {
  std::string ArcName;       // the archive path, used whole (never cut)
  uint32_t OpenMode = ACE_OPEN_EXTRACT;
  uint32_t OpenResult = 0;   // written by ACEOpenArchive; 0 = success
  uint32_t Flags = 0;        // main header flags of the archive
  uint32_t Reserved[4] = {};  // zeroed by the caller
};

struct ACEHeaderData {
  std::string ArcName;
  // The name to write: the last component of the entry's path. Folder entries and names that
  // are "", ".", ".." or hold control characters are never reported (they are read past).
  std::string FileName;
  std::string StoredName;    // the path as stored in the archive ("\" separates)
  uint32_t Flags = 0;
  uint64_t PackSize = 0;
  uint64_t UnpSize = 0;
  uint32_t FileCRC = 0;      // zlib CRC-32 of the data
  uint32_t FileTime = 0;     // DOS date and time
  uint32_t Method = 0;
  uint32_t FileAttr = 0;
  uint32_t Reserved1 = 0, Reserved2 = 0;  // zeroed before every header read
};

// 0 when the library is usable, else ACE_NODLL (12).
int LoadUnaceDLL();
void UnloadUnaceDLL();
std::string ACEErrorText(int code);

// The handle, nullptr on failure; Data.OpenResult holds the code either way.
ACEHandle ACEOpenArchive(ACEOpenArchiveData& Data);
// Closing the nullptr of a failed open gives 0; a handle already closed gives ACE_HANDLE.
int ACECloseArchive(ACEHandle hArcData);
// The next entry into HeaderData: 0, or ACE_END after the last, or an error code.
int ACEReadHeader(ACEHandle hArcData, ACEHeaderData& HeaderData);
// Extracts (ACE_EXTRACT), tests or skips the entry last read. DestName is the full file name;
// an existing link there is removed first, never followed.
int ACEProcessFile(ACEHandle hArcData, int Operation, const std::string& DestName);
int ACESetPassword(ACEHandle hArcData, const std::string& Password);

// Tests: make LoadUnaceDLL fail as if the library were missing.
void SetUnaceMissingForTests(bool missing);

}  // namespace unace
