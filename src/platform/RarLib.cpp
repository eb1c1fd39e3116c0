#include "platform/RarLib.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/FlatOutput.h"
#include "platform/Files.h"
#include "platform/LittleEndian.h"

namespace plat {

struct RarArchive {
  archive* a = nullptr;
  int fd = -1;
  // Our own walk over the file headers, placed at each entry's header position, gives each
  // entry's CRC (the reader does not check it for stored entries).
  int walk = -1;       // -1 not started, 0 off, 4 or 5 the format walked
  uint64_t start = 0;  // the first block after the signature
  std::string name;    // of the entry handled last
  bool fatal = false;  // the reader can go no further
  std::string outDir;                     // the folder `out` was opened for
  std::unique_ptr<FlatOutputFolder> out;  // kept open across the entries of one folder
  std::unordered_set<std::string> written;  // names extracted into `outDir`
  bool clashed = false;  // the entry handled last went to a file name used before
};

namespace {

int DataError(archive* a) {
  switch (archive_errno(a)) {
    case ENOMEM: return ERAR_NO_MEMORY;
    case EIO: return ERAR_EREAD;
    default: return ERAR_BAD_DATA;
  }
}

struct FileHeader {
  bool hasCrc = false;
  uint32_t crc = 0;
  bool unchecked = false;  // split over volumes or encrypted
  bool nameKnown = true;   // false: the stored name is not the one the reader gives
  std::string name;
};

// The offset just after the signature (an archive may follow a program).
bool FindSignature(int fd, std::string_view signature, uint64_t& cursor) {
  // Within the first MiB; a buffer of the file's size when it is smaller.
  struct stat st;
  if (fstat(fd, &st) != 0 || st.st_size < 0) return false;
  std::string head(static_cast<size_t>(std::min<off_t>(st.st_size, off_t{1} << 20)), '\0');
  const ssize_t n = pread(fd, head.data(), head.size(), 0);
  if (n < static_cast<ssize_t>(signature.size())) return false;
  head.resize(static_cast<size_t>(n));
  const size_t at = head.find(signature);
  if (at == std::string::npos) return false;
  cursor = at + signature.size();
  return true;
}

// The next file header of a RAR 4 archive from `cursor`, which then points past its data.
bool NextFileHeader4(int fd, uint64_t& cursor, FileHeader& out) {
  for (int blocks = 0; blocks < 4096; ++blocks) {
    uint8_t h[40];
    const ssize_t n = pread(fd, h, sizeof h, static_cast<off_t>(cursor));
    if (n < 7) return false;
    const uint32_t type = h[2], flags = Get16LE(h + 3), size = Get16LE(h + 5);
    if (size < 7 || type == 0x7B) return false;
    if (type != 0x74) {
      cursor += size + ((flags & 0x8000) && n >= 11 ? Get32LE(h + 7) : 0);
      continue;
    }
    const bool large = flags & 0x100;
    if (n < (large ? 40 : 32) || size < (large ? 40u : 32u)) return false;
    const uint64_t pack = Get32LE(h + 7) | (large ? uint64_t{Get32LE(h + 32)} << 32 : 0);
    const uint32_t nameSize = Get16LE(h + 26), nameAt = large ? 40 : 32;
    if (nameAt + nameSize > size) return false;
    out.hasCrc = true;
    out.crc = Get32LE(h + 16);
    out.unchecked = flags & 0x07;
    out.nameKnown = (flags & 0x200) == 0;  // a Unicode name follows the plain one
    out.name.assign(nameSize, '\0');
    if (pread(fd, out.name.data(), nameSize, static_cast<off_t>(cursor + nameAt)) != nameSize)
      return false;
    if (const size_t nul = out.name.find('\0'); nul != std::string::npos) out.name.resize(nul);
    for (char& c : out.name)
      if (c == '\\') c = '/';
    cursor += size + pack;
    return true;
  }
  return false;
}

// A RAR 5 variable-length number; false past the end.
bool Vint(const std::string& b, size_t& at, uint64_t& v) {
  v = 0;
  for (int shift = 0; at < b.size() && shift < 64; shift += 7) {
    const uint8_t c = static_cast<uint8_t>(b[at++]);
    v |= uint64_t{c & 0x7Fu} << shift;
    if (!(c & 0x80)) return true;
  }
  return false;
}

// The next file header of a RAR 5 archive from `cursor`, which then points past its data.
bool NextFileHeader5(int fd, uint64_t& cursor, FileHeader& out) {
  for (int blocks = 0; blocks < 4096; ++blocks) {
    std::string start(7, '\0');
    const ssize_t n = pread(fd, start.data(), start.size(), static_cast<off_t>(cursor));
    if (n < 5) return false;
    start.resize(static_cast<size_t>(n));
    size_t at = 4;
    uint64_t size = 0;
    if (!Vint(start, at, size) || size == 0 || size > (1u << 21)) return false;
    std::string h(size, '\0');
    if (pread(fd, h.data(), h.size(), static_cast<off_t>(cursor + at)) != static_cast<ssize_t>(size))
      return false;
    const uint64_t headerEnd = cursor + at + size;
    size_t p = 0;
    uint64_t type, flags, extra = 0, data = 0;
    if (!Vint(h, p, type) || !Vint(h, p, flags)) return false;
    if ((flags & 1) && !Vint(h, p, extra)) return false;
    if ((flags & 2) && !Vint(h, p, data)) return false;
    if (type == 5) return false;  // end of archive
    cursor = headerEnd + data;
    if (type != 2) continue;
    uint64_t fileFlags, unpacked, attributes, method, host, nameSize;
    if (!Vint(h, p, fileFlags) || !Vint(h, p, unpacked) || !Vint(h, p, attributes)) return false;
    if (fileFlags & 2) p += 4;  // modification time
    out.hasCrc = fileFlags & 4;
    if (out.hasCrc) {
      if (p + 4 > h.size()) return false;
      out.crc = Get32LE(reinterpret_cast<const uint8_t*>(h.data() + p));
      p += 4;
    }
    if (!Vint(h, p, method) || !Vint(h, p, host) || !Vint(h, p, nameSize)) return false;
    if (p + nameSize > h.size()) return false;
    out.name = h.substr(p, nameSize);
    out.nameKnown = true;
    out.unchecked = flags & 0x18;  // continued from or in another volume
    return true;
  }
  return false;
}

// The file header at the reader's header position (blocks before it passed over).
bool WalkTo(RarArchive& h, int64_t position, FileHeader& f) {
  if (h.walk < 0) {
    static constexpr std::string_view kRar4("Rar!\x1a\x07\x00", 7), kRar5("Rar!\x1a\x07\x01\x00", 8);
    const int format = archive_format(h.a);
    h.walk = 0;
    if (format == ARCHIVE_FORMAT_RAR && FindSignature(h.fd, kRar4, h.start)) h.walk = 4;
    if (format == ARCHIVE_FORMAT_RAR_V5 && FindSignature(h.fd, kRar5, h.start)) h.walk = 5;
  }
  if (h.walk == 0 || position < 0) return false;
  uint64_t cursor = std::max(h.start, static_cast<uint64_t>(position));
  return h.walk == 4 ? NextFileHeader4(h.fd, cursor, f) : NextFileHeader5(h.fd, cursor, f);
}

// Reads the entry's data to its end, writing it to fd when fd >= 0.
int CopyData(archive* a, int fd, std::optional<uint32_t> crc) {
  char buf[65536];
  uLong sum = crc32(0, nullptr, 0);
  for (;;) {
    const la_ssize_t n = archive_read_data(a, buf, sizeof buf);
    if (n == 0) return crc && sum != *crc ? ERAR_BAD_DATA : 0;
    if (n < 0) return n == ARCHIVE_FATAL ? -DataError(a) : DataError(a);
    if (crc) sum = crc32(sum, reinterpret_cast<const Bytef*>(buf), static_cast<uInt>(n));
    if (fd >= 0 && !WriteAll(fd, buf, static_cast<size_t>(n))) return ERAR_EWRITE;
  }
}

}  // namespace

RARHandle RAROpenArchive(RAROpenArchiveData* data) {
  if (!data) return nullptr;
  data->OpenResult = ERAR_EOPEN;
  if (!data->ArcName) return nullptr;
  const int fd = open(data->ArcName, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  archive* a = archive_read_new();
  if (!a) {
    close(fd);
    data->OpenResult = ERAR_NO_MEMORY;
    return nullptr;
  }
  archive_read_support_format_rar(a);
  archive_read_support_format_rar5(a);
  if (archive_read_open_fd(a, fd, 65536) != ARCHIVE_OK) {
    data->OpenResult = archive_errno(a) == ENOMEM ? ERAR_NO_MEMORY : ERAR_BAD_ARCHIVE;
    archive_read_free(a);
    close(fd);
    return nullptr;
  }
  auto* h = new RarArchive;
  h->a = a;
  h->fd = fd;
  data->OpenResult = 0;
  return h;
}

namespace {

int ProcessEntry(RARHandle h, int operation, const char* destPath, const char* destName) {
  archive_entry* entry = nullptr;
  h->name.clear();
  h->clashed = false;
  const int r = archive_read_next_header(h->a, &entry);
  if (r == ARCHIVE_EOF) return ERAR_END_ARCHIVE;
  if (r < ARCHIVE_WARN) {
    if (r == ARCHIVE_FATAL) h->fatal = true;
    return r == ARCHIVE_FATAL && archive_errno(h->a) == ENOMEM ? ERAR_NO_MEMORY : ERAR_BAD_DATA;
  }
  const char* raw = archive_entry_pathname(entry);
  if (!raw) raw = archive_entry_pathname_utf8(entry);
  if (raw && !*raw) raw = nullptr;
  FileHeader f;
  const bool walked = WalkTo(*h, archive_read_header_position(h->a), f);
  h->name = raw ? raw : walked ? f.name : "";
  if (archive_entry_is_encrypted(entry)) {
    archive_read_data_skip(h->a);
    return ERAR_UNKNOWN_FORMAT;
  }
  // A file named as the entry before it is taken by the reader for that entry's next part:
  // it cannot be read.
  if (!raw && walked) {
    archive_read_data_skip(h->a);
    return ERAR_UNKNOWN_FORMAT;
  }
  std::optional<uint32_t> crc;
  if (walked && f.hasCrc && !f.unchecked && (!f.nameKnown || (raw && f.name == raw))) crc = f.crc;
  const bool regular = archive_entry_filetype(entry) == AE_IFREG &&
                       archive_entry_hardlink(entry) == nullptr &&
                       archive_entry_symlink(entry) == nullptr;
  std::string folder = destPath ? destPath : "";
  std::string name = raw ? FlatEntryName(raw) : std::string();
  if (destName && *destName) {
    folder = DirectoryOf(destName);
    name = FlatEntryName(destName);
  }
  if (operation == RAR_SKIP || !regular || name.empty()) {
    const int skipped = archive_read_data_skip(h->a);
    return skipped == ARCHIVE_OK ? 0 : skipped == ARCHIVE_FATAL ? -DataError(h->a) : DataError(h->a);
  }
  if (operation == RAR_TEST) return CopyData(h->a, -1, crc);
  if (!h->out || h->outDir != folder) {
    h->out = std::make_unique<FlatOutputFolder>(folder.empty() ? "." : folder);
    h->outDir = folder;
    h->written.clear();
  }
  // Two entries of one name: the later replaces the earlier, and that is told.
  h->clashed = !h->written.insert(name).second;
  const int fd = h->out->Create(name);
  if (fd < 0) {
    archive_read_data_skip(h->a);
    return ERAR_ECREATE;
  }
  int result = CopyData(h->a, fd, crc);
  if (close(fd) != 0 && result == 0) result = ERAR_EWRITE;
  // A file that failed its check or was cut short is not left behind.
  if (result != 0) h->out->Remove(name);
  return result;
}

}  // namespace

int RARProcessFile(RARHandle h, int operation, const char* destPath, const char* destName) {
  if (!h || !h->a) return ERAR_BAD_ARCHIVE;
  if (h->fatal) return ERAR_END_ARCHIVE;
  int result = ProcessEntry(h, operation, destPath, destName);
  // A failed read leaves the reader unable to go on.
  if (result < 0) {
    h->fatal = true;
    result = -result;
  }
  return result;
}

const char* RAREntryName(RARHandle h) { return h ? h->name.c_str() : ""; }

bool RAREntryClashed(RARHandle h) { return h && h->clashed; }

int RARCloseArchive(RARHandle h) {
  if (!h) return ERAR_ECLOSE;
  int result = 0;
  if (h->a && archive_read_free(h->a) != ARCHIVE_OK) result = ERAR_ECLOSE;
  if (h->fd >= 0 && close(h->fd) != 0) result = ERAR_ECLOSE;
  delete h;
  return result;
}

}  // namespace plat
