// The RAR library's three calls, as our own layer over libarchive (RAR 4 and RAR 5): an
// archive is opened, each RARProcessFile call handles the next entry, and the results are the
// library's codes.
#pragma once

namespace plat {

enum : int {
  ERAR_END_ARCHIVE = 10, ERAR_NO_MEMORY = 11, ERAR_BAD_DATA = 12, ERAR_BAD_ARCHIVE = 13,
  ERAR_UNKNOWN_FORMAT = 14, ERAR_EOPEN = 15, ERAR_ECREATE = 16, ERAR_ECLOSE = 17,
  ERAR_EREAD = 18, ERAR_EWRITE = 19, ERAR_SMALL_BUF = 20
};
enum : unsigned { RAR_OM_LIST = 0, RAR_OM_EXTRACT = 1 };
enum : int { RAR_SKIP = 0, RAR_TEST = 1, RAR_EXTRACT = 2 };

struct RAROpenArchiveData {
  const char* ArcName = nullptr;
  unsigned OpenMode = RAR_OM_EXTRACT;
  unsigned OpenResult = 0;  // written by RAROpenArchive; 0 = opened
  char* CmtBuf = nullptr;   // comments are not read
  unsigned CmtBufSize = 0;
  unsigned CmtSize = 0;
  unsigned CmtState = 0;
};

struct RarArchive;
using RARHandle = RarArchive*;

// Opens the archive; on failure the result says why and the handle is null.
RARHandle RAROpenArchive(RAROpenArchiveData* data);
// Reads the next entry and skips, tests or extracts it (RAR_EXTRACT: into the folder DestPath,
// or to the file DestName when given). 0 when done, else the entry's error; ERAR_END_ARCHIVE
// after the last entry, or once a failure left nothing more readable.
// Only regular files are written, flat under the last element of their name; folders, links,
// devices and unusable names are passed over. Nothing is written through a link. A file that
// fails (its CRC, a cut archive, a full disk) is removed.
int RARProcessFile(RARHandle handle, int operation, const char* destPath, const char* destName);
// The name of the entry the last RARProcessFile call handled ("" when none was read).
const char* RAREntryName(RARHandle handle);
// True when the last RARProcessFile call extracted to a file name that an earlier entry of
// this archive was extracted to.
bool RAREntryClashed(RARHandle handle);
// Frees the handle; 0 when the archive closed cleanly.
int RARCloseArchive(RARHandle handle);

}  // namespace plat
