// Our zip library: reads a ZIP archive's central directory and extracts stored and deflated
// entries (zlib raw inflate), checking each entry's size and CRC-32. ZIP64 archives are read;
// encrypted entries, other methods and spanned archives are refused with a message and a code.
// Entries never leave the target folder: only the last component of a name is written.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plat::zip {

// Random access to the archive's bytes.
class Source {
 public:
  virtual ~Source() = default;
  virtual uint64_t Size() const = 0;
  // False when the range is not wholly readable.
  virtual bool Read(uint64_t offset, void* buffer, size_t count) = 0;
};
// A regular file opened for reading; nullptr when it cannot be opened or is not a regular file.
std::unique_ptr<Source> OpenFileSource(const std::string& path);
// Bytes held by the caller (kept alive by it).
std::unique_ptr<Source> MemorySource(std::string_view bytes);

struct Entry {
  uint16_t madeBy = 0;  // version made by: low byte version, high byte host system
  uint16_t versionNeeded = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t dosTime = 0;
  uint32_t crc = 0;
  uint64_t packedSize = 0;
  uint64_t size = 0;
  uint16_t nameLength = 0, extraLength = 0, commentLength = 0;
  uint32_t diskStart = 0;
  uint16_t internalAttr = 0;
  uint32_t externalAttr = 0;
  uint64_t localOffset = 0;  // as recorded (ZIP64 value when present)
  std::string name;          // raw bytes as stored
  std::string comment;
};

// Outcome of reading the central directory.
enum class DirError {
  None,
  NoEndRecord,    // no end-of-central-directory record: not a zip archive
  Seek,           // the directory lies outside the file
  HeaderRead,     // a central header could not be read whole
  BadSignature,   // a central header signature is wrong
  ShortName,      // a name runs past the directory
  ShortComment,   // a comment runs past the directory
  NoMemory,
};

struct Directory {
  std::vector<Entry> entries;
  std::string comment;
  bool garbageAtEnd = false;     // bytes after the end record that are not zero padding
  bool structureError = false;   // recorded directory start differs from the computed one
  bool spanned = false;          // multi-disk / spanned archive
  bool zip64 = false;
  int64_t shift = 0;             // computed minus recorded start, applied to local offsets
};

DirError ReadDirectory(Source& src, Directory& dir);

// Library results sent with messages (callback action 4).
enum Code : int32_t {
  kOk = 0,
  kOpenError = 1,      // archive cannot be opened
  kFormatError = 2,    // not a zip archive, or its directory is damaged
  kReadError = 3,      // the archive is truncated
  kDataError = 4,      // damaged compressed data
  kCrcError = 5,
  kSizeError = 6,
  kEncrypted = 7,
  kMethod = 8,         // compression method not supported
  kSpanned = 9,
  kCreateError = 10,   // output file cannot be created
  kWriteError = 11,
  kCancelled = 12,
  kNoMemory = 13,
};

// Callback actions.
enum Action : int { kNewFile = 1, kProgress = 2, kEndOfBatch = 3, kMessage = 4, kTotalFiles = 5,
                    kTotalSize = 6 };

struct Request {
  std::string archive;              // path of the archive (when `source` is null)
  Source* source = nullptr;         // bytes to read instead of `archive`
  std::string targetDir;            // absolute folder the files are written into
  std::vector<std::string> specs;   // wildcard file specifications ("*", "?"), any case
  bool overwrite = false;
  bool freshen = false;             // only files that exist already
  bool update = false;              // files that are missing or older
  bool test = false;                // check data and CRCs, write nothing
  std::string password;             // not used: encrypted entries are refused
  // Notifications: action, error code, number, text. A non-zero result stops the extraction.
  std::function<int(int action, int32_t code, int64_t number, const std::string& text)> callback;
  // Called for each entry written (when testing: each found sound), with the file name used.
  std::function<void(const Entry& entry, const std::string& name)> passed;
};

// Extracts the entries matching the specifications; the number of files written (tested).
int Extract(const Request& request);

// Windows-style wildcard match without regard to case; "*.*" matches every name.
bool MatchSpec(std::string_view spec, std::string_view name);

// Writes a regular file safely inside its folder: a new name is created in place (exclusively,
// never through a link) and removed again unless committed; an existing link or file of that
// name is replaced (never followed) once the data is complete. Used by the archive readers.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  bool Open(const std::string& path);  // false when the file cannot be created
  // The same for a name relative to an open folder (kept open by the caller until done).
  bool OpenAt(int dirFd, const std::string& name);
  bool Write(const void* data, size_t count);
  bool Commit();   // completes the file (renames into place); false when that fails
  void Discard();  // removes what was written
 private:
  int fd_ = -1;
  int dir_ = -1;
  std::string path_, temp_;
};

}  // namespace plat::zip
