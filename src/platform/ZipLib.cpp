#include "platform/ZipLib.h"

#include "platform/FlatOutput.h"
#include "platform/LittleEndian.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_set>

namespace plat::zip {

namespace {

constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kLocalSig = 0x04034b50;
constexpr uint32_t kSpanSig = 0x08074b50;
constexpr uint32_t kZip64EndSig = 0x06064b50;
constexpr uint32_t kZip64LocatorSig = 0x07064b50;
constexpr size_t kEndSize = 22;
constexpr size_t kMaxComment = 65535;

class FileSource : public Source {
 public:
  FileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~FileSource() override { ::close(fd_); }
  uint64_t Size() const override { return size_; }
  bool Read(uint64_t offset, void* buffer, size_t count) override {
    if (offset > size_ || count > size_ - offset) return false;
    // A small archive (a rom set) is read whole once: its directory, headers and data are then
    // served without a system call each.
    if (size_ <= kWholeFile && !whole_ && !tried_) {
      tried_ = true;
      std::unique_ptr<uint8_t[]> all(new uint8_t[size_ ? size_ : 1]);
      if (ReadFile(0, all.get(), size_)) whole_ = std::move(all);
    }
    if (whole_) {
      if (count) std::memcpy(buffer, whole_.get() + offset, count);
      return true;
    }
    return ReadFile(offset, buffer, count);
  }
 private:
  static constexpr uint64_t kWholeFile = 256 * 1024;
  bool ReadFile(uint64_t offset, void* buffer, size_t count) {
    auto* p = static_cast<char*>(buffer);
    while (count > 0) {
      ssize_t n = ::pread(fd_, p, count, static_cast<off_t>(offset));
      if (n <= 0) return false;
      p += n;
      offset += static_cast<uint64_t>(n);
      count -= static_cast<size_t>(n);
    }
    return true;
  }
  int fd_;
  uint64_t size_;
  std::unique_ptr<uint8_t[]> whole_;
  bool tried_ = false;
};

class BytesSource : public Source {
 public:
  explicit BytesSource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool Read(uint64_t offset, void* buffer, size_t count) override {
    if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
    if (count) std::memcpy(buffer, bytes_.data() + offset, count);
    return true;
  }
 private:
  std::string_view bytes_;
};

// The ZIP64 extended information of an entry's extra field, for the fields marked 0xFFFFFFFF.
void ApplyZip64Extra(Entry& e, const uint8_t* extra, size_t length) {
  size_t pos = 0;
  while (pos + 4 <= length) {
    uint16_t id = Get16LE(extra + pos), size = Get16LE(extra + pos + 2);
    pos += 4;
    if (size > length - pos) return;
    if (id == 0x0001) {
      const uint8_t* p = extra + pos;
      size_t left = size;
      auto take = [&](uint64_t& field) {
        if (left < 8) return;
        field = Get64LE(p);
        p += 8;
        left -= 8;
      };
      if (e.size == 0xFFFFFFFFu) take(e.size);
      if (e.packedSize == 0xFFFFFFFFu) take(e.packedSize);
      if (e.localOffset == 0xFFFFFFFFu) take(e.localOffset);
      if (e.diskStart == 0xFFFF && left >= 4) e.diskStart = Get32LE(p);
      return;
    }
    pos += size;
  }
}

}  // namespace

std::unique_ptr<Source> OpenFileSource(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FileSource>(fd, static_cast<uint64_t>(st.st_size));
}

std::unique_ptr<Source> MemorySource(std::string_view bytes) {
  return std::make_unique<BytesSource>(bytes);
}

DirError ReadDirectory(Source& src, Directory& dir) {
  dir = Directory{};
  const uint64_t size = src.Size();
  if (size < kEndSize) return DirError::NoEndRecord;

  // A spanned archive starts with the spanning signature and a local header.
  uint8_t head[8];
  if (src.Read(0, head, 8) && Get32LE(head) == kSpanSig && Get32LE(head + 4) == kLocalSig)
    dir.spanned = true;

  // The end record: at the very end, else searched backwards over the longest comment.
  const uint64_t tailLen = std::min<uint64_t>(size, kEndSize + kMaxComment);
  const uint64_t tailStart = size - tailLen;
  std::vector<uint8_t> tail(tailLen);
  if (!src.Read(tailStart, tail.data(), tail.size())) return DirError::Seek;
  int64_t found = -1;
  for (int64_t i = static_cast<int64_t>(tailLen - kEndSize); i >= 0; --i) {
    const uint8_t* p = tail.data() + i;
    if (p[0] != 'P' || p[1] != 'K' || p[2] != 5 || p[3] != 6) continue;
    if (static_cast<uint64_t>(i) + kEndSize + Get16LE(p + 20) <= tailLen) {
      found = i;
      break;
    }
  }
  if (found < 0) return DirError::NoEndRecord;
  const uint8_t* end = tail.data() + found;
  const uint64_t endPos = tailStart + static_cast<uint64_t>(found);
  const uint16_t commentLen = Get16LE(end + 20);
  dir.comment.assign(reinterpret_cast<const char*>(end + kEndSize), commentLen);
  const uint64_t recordEnd = endPos + kEndSize + commentLen;
  if (recordEnd < size) {
    // Zero padding up to the next 512-byte boundary is fine; anything else is garbage.
    const uint8_t* rest = tail.data() + (recordEnd - tailStart);
    const uint64_t restLen = size - recordEnd;
    bool zeros = std::all_of(rest, rest + restLen, [](uint8_t b) { return b == 0; });
    dir.garbageAtEnd = !(zeros && restLen < 512 && size % 512 == 0);
  }
  const uint16_t thisDisk = Get16LE(end + 4), cdDisk = Get16LE(end + 6);
  uint64_t count = Get16LE(end + 10);
  uint64_t cdSize = Get32LE(end + 12);
  uint64_t cdOffset = Get32LE(end + 16);
  if (thisDisk != 0 || cdDisk != 0) dir.spanned = true;
  uint64_t cdEnd = endPos;  // where the directory is expected to end

  // ZIP64: the locator right before the end record points at the ZIP64 end record.
  if (endPos >= 20) {
    uint8_t loc[20];
    if (src.Read(endPos - 20, loc, 20) && Get32LE(loc) == kZip64LocatorSig) {
      uint64_t z64Pos = Get64LE(loc + 8);
      uint8_t rec[56];
      // The record may sit after a prefix: try its recorded place, then right before the locator.
      auto readRec = [&](uint64_t pos) {
        return pos + 56 <= endPos - 20 && src.Read(pos, rec, 56) && Get32LE(rec) == kZip64EndSig;
      };
      bool ok = readRec(z64Pos);
      if (!ok && endPos >= 20 + 56) {
        z64Pos = endPos - 20 - 56;
        ok = readRec(z64Pos);
      }
      if (ok) {
        dir.zip64 = true;
        if (Get32LE(rec + 16) != 0 || Get32LE(rec + 20) != 0 || Get32LE(loc + 16) > 1) dir.spanned = true;
        count = Get64LE(rec + 32);
        cdSize = Get64LE(rec + 40);
        cdOffset = Get64LE(rec + 48);
        cdEnd = z64Pos;
      }
    }
  }
  if (cdSize > cdEnd) return DirError::Seek;
  const uint64_t cdStart = cdEnd - cdSize;
  if (cdStart != cdOffset) {
    dir.structureError = true;
    // An absurd recorded start gives a shift no entry survives.
    const __int128 shift = static_cast<__int128>(cdStart) - static_cast<__int128>(cdOffset);
    dir.shift = shift < INT64_MIN ? INT64_MIN : static_cast<int64_t>(shift);
  }

  std::vector<uint8_t> cd;
  try {
    cd.resize(cdSize);
  } catch (const std::bad_alloc&) {
    return DirError::NoMemory;
  }
  if (!src.Read(cdStart, cd.data(), cd.size())) return DirError::Seek;
  size_t pos = 0;
  for (uint64_t i = 0; i < count; ++i) {
    if (cd.size() - pos < 46) return DirError::HeaderRead;
    const uint8_t* h = cd.data() + pos;
    if (Get32LE(h) != kCentralSig) return DirError::BadSignature;
    Entry e;
    e.madeBy = Get16LE(h + 4);
    e.versionNeeded = Get16LE(h + 6);
    e.flags = Get16LE(h + 8);
    e.method = Get16LE(h + 10);
    e.dosTime = Get32LE(h + 12);
    e.crc = Get32LE(h + 16);
    e.packedSize = Get32LE(h + 20);
    e.size = Get32LE(h + 24);
    e.nameLength = Get16LE(h + 28);
    e.extraLength = Get16LE(h + 30);
    e.commentLength = Get16LE(h + 32);
    e.diskStart = Get16LE(h + 34);
    e.internalAttr = Get16LE(h + 36);
    e.externalAttr = Get32LE(h + 38);
    e.localOffset = Get32LE(h + 42);
    pos += 46;
    if (cd.size() - pos < e.nameLength) return DirError::ShortName;
    e.name.assign(reinterpret_cast<const char*>(cd.data() + pos), e.nameLength);
    pos += e.nameLength;
    if (cd.size() - pos < e.extraLength) return DirError::ShortComment;
    ApplyZip64Extra(e, cd.data() + pos, e.extraLength);
    pos += e.extraLength;
    if (cd.size() - pos < e.commentLength) return DirError::ShortComment;
    e.comment.assign(reinterpret_cast<const char*>(cd.data() + pos), e.commentLength);
    pos += e.commentLength;
    if (e.diskStart != 0) dir.spanned = true;
    dir.entries.push_back(std::move(e));
  }
  return DirError::None;
}

bool MatchSpec(std::string_view spec, std::string_view name) {
  if (spec == "*.*" || spec == "*") return true;
  auto up = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; };
  size_t s = 0, n = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (s < spec.size() && (spec[s] == '?' || up(spec[s]) == up(name[n]))) {
      ++s;
      ++n;
    } else if (s < spec.size() && spec[s] == '*') {
      star = s++;
      mark = n;
    } else if (star != std::string_view::npos) {
      s = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (s < spec.size() && spec[s] == '*') ++s;
  return s == spec.size();
}

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Open(const std::string& path) { return OpenAt(AT_FDCWD, path); }

bool OutputFile::OpenAt(int dirFd, const std::string& name) {
  Discard();
  dir_ = dirFd;
  // A new name is written in place: nothing to replace, and a failure removes it again.
  // O_EXCL makes sure no link or file of that name appeared meanwhile.
  fd_ = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd_ >= 0) {
    path_ = name;
    temp_ = name;
    return true;
  }
  if (errno != EEXIST) return false;
  // An existing name is replaced only once the data is complete: write beside it first.
  static std::atomic<unsigned> counter{0};
  size_t slash = name.find_last_of('/');
  std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
  std::string temp = folder + ".vr" + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++) + ".part";
  ::unlinkat(dirFd, temp.c_str(), 0);  // a stale leftover (a link is removed, not followed)
  fd_ = ::openat(dirFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd_ < 0) return false;
  path_ = name;
  temp_ = temp;
  return true;
}

bool OutputFile::Write(const void* data, size_t count) {
  const char* p = static_cast<const char*>(data);
  while (count > 0) {
    ssize_t n = ::write(fd_, p, count);
    if (n <= 0) return false;
    p += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

bool OutputFile::Commit() {
  if (fd_ < 0) return false;
  bool ok = ::close(fd_) == 0;
  fd_ = -1;
  // rename replaces a link or file of that name without following it.
  if (ok && temp_ != path_) ok = ::renameat(dir_, temp_.c_str(), dir_, path_.c_str()) == 0;
  if (!ok) ::unlinkat(dir_, temp_.c_str(), 0);
  temp_.clear();
  return ok;
}

void OutputFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlinkat(dir_, temp_.c_str(), 0);
  temp_.clear();
}

namespace {

constexpr size_t kChunk = 512 * 1024;

// Writes full buffers on a second thread so that inflating and writing a large entry overlap.
// Every file handed to it is drained before it is committed or discarded.
class WriteBehind {
 public:
  WriteBehind() {
    for (int i = 0; i < 3; ++i) free_.emplace_back(kChunk);
    thread_ = std::thread([this] { Loop(); });
  }
  ~WriteBehind() {
    {
      std::lock_guard<std::mutex> lock(m_);
      stop_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  // Queues the first n bytes of `buf` for `file`, their CRC to be added to `crc` (read it after
  // Drain); `buf` becomes an empty buffer of the pool.
  void Submit(OutputFile* file, uint32_t* crc, std::vector<uint8_t>& buf, size_t n) {
    std::unique_lock<std::mutex> lock(m_);
    jobs_.push_back({file, crc, std::move(buf), n});
    cv_.notify_all();
    cv_.wait(lock, [&] { return !free_.empty(); });
    buf = std::move(free_.back());
    free_.pop_back();
  }
  // Waits for every queued write; false when one failed since the last drain.
  bool Drain() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return jobs_.empty() && !busy_; });
    bool ok = !failed_;
    failed_ = false;
    return ok;
  }

 private:
  struct Job {
    OutputFile* file;
    uint32_t* crc;
    std::vector<uint8_t> data;
    size_t count;
  };
  void Loop() {
    std::unique_lock<std::mutex> lock(m_);
    for (;;) {
      cv_.wait(lock, [&] { return stop_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      Job job = std::move(jobs_.front());
      jobs_.pop_front();
      busy_ = true;
      lock.unlock();
      *job.crc = static_cast<uint32_t>(crc32(*job.crc, job.data.data(), static_cast<uInt>(job.count)));
      bool ok = job.file->Write(job.data.data(), job.count);
      lock.lock();
      busy_ = false;
      if (!ok) failed_ = true;
      free_.push_back(std::move(job.data));
      cv_.notify_all();
    }
  }
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<Job> jobs_;
  std::vector<std::vector<uint8_t>> free_;
  bool stop_ = false, busy_ = false, failed_ = false;
  std::thread thread_;
};

class Extractor {
 public:
  explicit Extractor(const Request& r) : r_(r) {}
  ~Extractor() {
    if (inflating_) inflateEnd(&z_);
    if (targetFd_ >= 0) ::close(targetFd_);
  }
  Extractor(const Extractor&) = delete;
  Extractor& operator=(const Extractor&) = delete;

  int Run() {
    std::unique_ptr<Source> owned;
    Source* src = r_.source;
    if (!src) {
      owned = OpenFileSource(r_.archive);
      src = owned.get();
      if (!src) return Fail(kOpenError, "Cannot open " + r_.archive);
    }
    src_ = src;
    Directory dir;
    switch (ReadDirectory(*src, dir)) {
      case DirError::None: break;
      case DirError::NoMemory: return Fail(kNoMemory, "Not enough memory");
      case DirError::NoEndRecord: return Fail(kFormatError, "Not a zip archive");
      default: return Fail(kFormatError, "Damaged central directory");
    }
    if (dir.spanned) return Fail(kSpanned, "Spanned archives are not supported");
    shift_ = dir.shift;

    // Entries whose data lies inside another's are refused: a directory could otherwise
    // write one record many times over.
    {
      std::vector<const Entry*> byOffset;
      for (const Entry& e : dir.entries) byOffset.push_back(&e);
      std::stable_sort(byOffset.begin(), byOffset.end(), [](const Entry* a, const Entry* b) {
        return a->localOffset < b->localOffset;
      });
      uint64_t end = 0;
      for (const Entry* e : byOffset) {
        if (e->localOffset < end) overlapping_.insert(e);
        // The local header's own name and extra field count: another header may hide in them.
        const uint64_t header = 30 + LocalNameAndExtra(*e);
        const uint64_t room = UINT64_MAX - e->localOffset;
        end = std::max(end, room > header + e->packedSize ? e->localOffset + header + e->packedSize
                                                          : UINT64_MAX);
      }
    }
    std::vector<const Entry*> todo;
    uint64_t total = 0;
    for (const Entry& e : dir.entries) {
      std::string name = FlatEntryName(e.name);
      if (name.empty() || !Wanted(name)) continue;
      todo.push_back(&e);
      total += e.size;
    }
    // Files are created relative to the target folder, opened once.
    if (!r_.test && !r_.targetDir.empty()) {
      targetFd_ = ::open(r_.targetDir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      targetPrefix_ = targetFd_ >= 0 ? std::string() : r_.targetDir + "/";
    }
    if (Notify(kTotalFiles, 0, static_cast<int64_t>(todo.size()), {})) return Cancelled();
    if (Notify(kTotalSize, 0, static_cast<int64_t>(total), {})) return Cancelled();
    // Buffers no larger than the biggest entry needs: small sets stay cheap.
    uint64_t biggest = 1;
    for (const Entry* e : todo) biggest = std::max({biggest, e->size, e->packedSize});
    buf_.resize(static_cast<size_t>(std::min<uint64_t>(biggest, kChunk)));
    out_.resize(static_cast<size_t>(std::min<uint64_t>(biggest, kChunk)));
    for (const Entry* e : todo) {
      if (!One(*e)) break;
    }
    Notify(kEndOfBatch, 0, 0, {});
    return done_;
  }

 private:
  bool Wanted(const std::string& name) const {
    for (const auto& s : r_.specs)
      if (MatchSpec(s, name)) return true;
    return false;
  }

  // The lengths of the name and extra field of the entry's local header (0 when unreadable).
  uint64_t LocalNameAndExtra(const Entry& e) const {
    const __int128 local = static_cast<__int128>(e.localOffset) + shift_;
    uint8_t lh[30];
    if (local < 0 || local > static_cast<__int128>(src_->Size()) ||
        !src_->Read(static_cast<uint64_t>(local), lh, 30) || Get32LE(lh) != kLocalSig)
      return 0;
    return uint64_t{Get16LE(lh + 26)} + Get16LE(lh + 28);
  }

  int Notify(int action, int32_t code, int64_t number, const std::string& text) {
    if (!r_.callback) return 0;
    if (cancelled_) return 1;
    if (r_.callback(action, code, number, text) != 0) cancelled_ = true;
    return cancelled_ ? 1 : 0;
  }
  int Fail(int32_t code, const std::string& text) {
    if (r_.callback) r_.callback(kMessage, code, 0, text);
    return done_;
  }
  int Cancelled() { return Fail(kCancelled, "Extraction cancelled"); }

  // Extracts one entry; false stops the whole extraction (cancel, damaged archive).
  bool One(const Entry& e) {
    const std::string name = FlatEntryName(e.name);
    // Links, devices and the like are never written.
    const uint32_t unixMode = e.externalAttr >> 16;
    const uint8_t host = static_cast<uint8_t>(e.madeBy >> 8);
    if ((host == 3 || host == 19) && unixMode != 0 && (unixMode & 0170000) != 0100000 &&
        (unixMode & 0170000) != 0) {
      Fail(kOk, "Skipped (not a regular file): " + name);
      return true;
    }
    if (e.externalAttr & 0x10 && e.size == 0) return true;  // a folder
    if (e.flags & 1) {
      Fail(kEncrypted, "Encrypted entry not supported: " + name);
      return true;
    }
    if (e.method != 0 && e.method != 8) {
      Fail(kMethod, "Compression method " + std::to_string(e.method) + " not supported: " + name);
      return true;
    }
    if (e.method == 0 && e.packedSize != e.size) {
      Fail(kSizeError, "Size error in " + name);
      return true;
    }
    if (overlapping_.count(&e)) {
      Fail(kFormatError, "Entry overlaps another: " + name);
      return true;
    }
    // Two entries of one file name: the later still replaces the earlier, but never silently
    // (a test reports what the extraction would).
    if (!written_.insert(name).second)
      Fail(kFormatError, FlatNameClash(name));
    if (!r_.test && e.size > FreeSpace()) {
      Fail(kWriteError, "Not enough free space for " + name);
      return false;
    }
    const std::string target = r_.targetDir.empty() ? name : r_.targetDir + "/" + name;
    if (!r_.test && (r_.freshen || r_.update || !r_.overwrite)) {
      struct stat st {};
      bool exists = ::lstat(target.c_str(), &st) == 0;
      if (r_.freshen && !exists) return true;
      if (exists && !r_.overwrite && !r_.update) return true;
      if (exists && r_.update && st.st_mtime >= DosToUnix(e.dosTime)) return true;
    }
    if (Notify(kNewFile, 0, static_cast<int64_t>(e.size), name)) {
      Cancelled();
      return false;
    }

    // The local header gives where the data starts.
    const __int128 local = static_cast<__int128>(e.localOffset) + shift_;
    uint8_t lh[30];
    if (local < 0 || local > static_cast<__int128>(src_->Size()) ||
        !src_->Read(static_cast<uint64_t>(local), lh, 30) || Get32LE(lh) != kLocalSig) {
      Fail(kFormatError, "Damaged local header: " + name);
      return true;
    }
    const uint64_t dataPos = static_cast<uint64_t>(local) + 30 + Get16LE(lh + 26) + Get16LE(lh + 28);
    if (dataPos > src_->Size() || e.packedSize > src_->Size() - dataPos) {
      Fail(kReadError, "Unexpected end of archive: " + name);
      return true;
    }

    OutputFile file;
    if (!r_.test && !file.OpenAt(targetFd_ >= 0 ? targetFd_ : AT_FDCWD, targetPrefix_ + name)) {
      Fail(kCreateError, "Cannot create " + target);
      return true;
    }
    async_ = !r_.test && e.size > kChunk;
    if (async_ && !writer_) writer_ = std::make_unique<WriteBehind>();
    uint32_t crc = 0;
    int32_t code = e.method == 0 ? Stored(e, dataPos, file, crc) : Inflated(e, dataPos, file, crc);
    if (async_ && !writer_->Drain() && code == kOk) code = kWriteError;
    if (code == kOk && crc != e.crc) code = kCrcError;
    if (code == kCancelled) {
      Cancelled();
      return false;
    }
    if (code != kOk) {
      static const char* const what[] = {"", "", "", "Read error in ", "Data error in ",
                                         "CRC error in ", "Size error in ", "", "", "", "",
                                         "Write error in "};
      Fail(code, std::string(what[code]) + name);
      return true;
    }
    if (!r_.test && !file.Commit()) {
      Fail(kWriteError, "Write error in " + name);
      return true;
    }
    ++done_;
    if (r_.passed) r_.passed(e, name);
    return true;
  }

  // Bytes free in the target folder.
  uint64_t FreeSpace() const {
    struct statvfs fs {};
    const int ok = targetFd_ >= 0 ? ::fstatvfs(targetFd_, &fs)
                                  : ::statvfs(r_.targetDir.empty() ? "." : r_.targetDir.c_str(), &fs);
    if (ok != 0) return UINT64_MAX;
    return static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
  }

  static int64_t DosToUnix(uint32_t t) {
    struct tm tm {};
    tm.tm_year = static_cast<int>((t >> 25) & 0x7F) + 80;
    tm.tm_mon = static_cast<int>((t >> 21) & 0x0F) - 1;
    tm.tm_mday = static_cast<int>((t >> 16) & 0x1F);
    tm.tm_hour = static_cast<int>((t >> 11) & 0x1F);
    tm.tm_min = static_cast<int>((t >> 5) & 0x3F);
    tm.tm_sec = static_cast<int>(t & 0x1F) * 2;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&tm));
  }

  // Checks and writes the first n bytes of `b` (which may be swapped for another buffer).
  int32_t Emit(std::vector<uint8_t>& b, size_t n, OutputFile& file, uint32_t& crc) {
    if (async_) {
      writer_->Submit(&file, &crc, b, n);
    } else {
      crc = static_cast<uint32_t>(crc32(crc, b.data(), static_cast<uInt>(n)));
      if (!r_.test && !file.Write(b.data(), n)) return kWriteError;
    }
    return Notify(kProgress, 0, static_cast<int64_t>(n), {}) ? kCancelled : kOk;
  }

  // The entry's data through Emit; its CRC is complete in `crc` once the writer is drained.
  int32_t Stored(const Entry& e, uint64_t pos, OutputFile& file, uint32_t& crc) {
    for (uint64_t left = e.size; left > 0;) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(left, buf_.size()));
      if (!src_->Read(pos, buf_.data(), n)) return kReadError;
      if (int32_t c = Emit(buf_, n, file, crc)) return c;
      pos += n;
      left -= n;
    }
    return kOk;
  }

  int32_t Inflated(const Entry& e, uint64_t pos, OutputFile& file, uint32_t& crc) {
    // One inflate state serves every entry of the archive.
    if (!inflating_) {
      z_ = z_stream{};
      if (inflateInit2(&z_, -MAX_WBITS) != Z_OK) return kNoMemory;
      inflating_ = true;
    } else if (inflateReset(&z_) != Z_OK) {
      return kNoMemory;
    }
    z_stream& z = z_;
    z.avail_in = 0;
    uint64_t packedLeft = e.packedSize, produced = 0;
    int zr = Z_OK;
    while (zr != Z_STREAM_END) {
      if (z.avail_in == 0) {
        if (packedLeft == 0) return kDataError;  // the stream ends before its end marker
        size_t n = static_cast<size_t>(std::min<uint64_t>(packedLeft, buf_.size()));
        if (!src_->Read(pos, buf_.data(), n)) return kReadError;
        pos += n;
        packedLeft -= n;
        z.next_in = buf_.data();
        z.avail_in = static_cast<uInt>(n);
      }
      z.next_out = out_.data();
      z.avail_out = static_cast<uInt>(out_.size());
      zr = inflate(&z, Z_NO_FLUSH);
      if (zr != Z_OK && zr != Z_STREAM_END && !(zr == Z_BUF_ERROR && z.avail_in == 0))
        return kDataError;
      size_t n = out_.size() - z.avail_out;
      produced += n;
      if (produced > e.size) return kSizeError;
      if (n)
        if (int32_t c = Emit(out_, n, file, crc)) return c;
    }
    return produced == e.size ? kOk : kSizeError;
  }

  const Request& r_;
  Source* src_ = nullptr;
  int64_t shift_ = 0;
  int done_ = 0;
  bool cancelled_ = false;
  std::vector<uint8_t> buf_, out_;
  std::unique_ptr<WriteBehind> writer_;
  bool async_ = false;
  z_stream z_{};
  bool inflating_ = false;
  int targetFd_ = -1;
  std::string targetPrefix_;
  std::unordered_set<std::string> written_;  // file names extracted so far
  std::unordered_set<const Entry*> overlapping_;  // before an entry's name when the folder is not open
};

}  // namespace

int Extract(const Request& request) { return Extractor(request).Run(); }

}  // namespace plat::zip
