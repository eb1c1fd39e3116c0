// File names matched without regard to case, path joining, atomic writes, program folder.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Joins two path pieces with exactly one "/" between them.
std::string JoinPath(std::string_view a, std::string_view b);
// Adds a trailing "/" when missing (empty stays empty).
std::string WithSlash(std::string_view dir);
// Turns the system's "\" separators into "/" (for values read from files).
std::string ToNativeSeparators(std::string_view path);
std::string FileNameOf(std::string_view path);       // last element
std::string DirectoryOf(std::string_view path);      // with trailing "/", or empty
std::string ExtensionOf(std::string_view path);      // ".EXT" as spelled, or empty
std::string ChangeExtension(std::string_view path, std::string_view ext);

bool FileExists(const std::string& path);            // a regular file
bool DirExists(const std::string& path);
bool MakeDirs(const std::string& path);
// True when a new file can be made in the folder (a probe file is made and removed at once).
bool DirWritable(const std::string& dir);
bool RemoveFile(const std::string& path);
bool RemoveTree(const std::string& path);            // never follows links
std::string CurrentDir();                            // with trailing "/"
bool SetCurrentDir(const std::string& path);
std::string AbsolutePath(const std::string& path);
int64_t FileSize(const std::string& path);           // -1 when missing
// A regular file's size and time of change, to tell whether it changed since it was read;
// size -1 when there is no regular file by that name.
struct FileStamp {
  int64_t size = -1;
  int64_t mtimeNs = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);

// Names listed in a folder (files and folders, no "." or ".."), in listing order.
std::vector<std::string> ListDir(const std::string& dir);

// Finds `name` in `dir`: exact hit first, else a case-insensitive match of the listing.
std::optional<std::string> FindNoCase(const std::string& dir, std::string_view name);
// Resolves every element of a path without regard to case; the result names an existing
// entry, or nullopt. An existing exact path is returned as given.
std::optional<std::string> ResolveNoCase(const std::string& path);
// The path to use when creating `path`: an existing case variant of the file when there is one
// (its folder resolved too), else the path as given.
std::string PathForWrite(const std::string& path);

// A cached, case-insensitive index of one folder, for bulk lookups.
class FolderIndex {
 public:
  explicit FolderIndex(std::string dir = {});
  void Reset(std::string dir);
  void Invalidate();
  // The folder is read again at the next lookup when it changed since it was read (its time
  // of change or its identity differ): one stat.
  void RenewIfChanged();
  std::optional<std::string> Find(std::string_view name);  // full path
  const std::string& Dir() const { return dir_; }
 private:
  struct Stamp {
    uint64_t dev = 0, ino = 0;
    int64_t mtimeNs = -1, ctimeNs = -1;  // -1: no folder
    bool operator==(const Stamp&) const = default;
  };
  static Stamp StampOfDir(const std::string& dir);
  void Build();
  std::string dir_;
  bool built_ = false;
  Stamp stamp_;  // of the folder as it was read
  std::vector<std::pair<std::string, std::string>> entries_;  // upper-cased name, real name
};

// Whole-file reads (of regular files only: a pipe or a device is refused, never waited on) and
// atomic writes (temporary name in the same folder, then rename).
bool ReadWholeFile(const std::string& path, std::string& out, std::string* error = nullptr);
bool WriteFileAtomic(const std::string& path, std::string_view data, std::string* error = nullptr);
// Copies a regular file by the same rules as WriteFileAtomic; a source that is no regular file
// is refused unread.
bool CopyFileAtomic(const std::string& from, const std::string& to, std::string* error = nullptr);
// Makes `path` as a new empty file of our own and gives its descriptor (open for reading and
// writing), or -1 and the reason. A regular file left at that name is removed first; anything
// else there (a link, a pipe, a socket, a folder) is left alone and named in the reason. With
// `room`, that many bytes must fit on the disk ("No space left on device" otherwise).
int CreateNewFile(const std::string& path, uint64_t room = 0, std::string* error = nullptr);
// Removes `path` only while it still names the file open at `fd` (same device and inode): what
// another program put at that name stays.
bool RemoveOwnFile(const std::string& path, int fd);
// Tests stand in for a full disk: every room asked of CreateNewFile is then refused.
void SetDiskFullForTests(bool full);
// Reads a regular file whole when it holds at most `limit` bytes. Anything else (a folder, a
// pipe, a device, a link to one) and a larger file are refused without being read or waited
// on; `error` then says why.
bool ReadRegularFile(const std::string& path, std::string& out, uint64_t limit,
                     std::string* error = nullptr);
// The first `count` bytes of a regular file (all of a shorter one), refused as above.
bool ReadRegularFileHead(const std::string& path, std::string& out, size_t count,
                         std::string* error = nullptr);
// The last `count` bytes (all of a shorter file), refused as above; `cut` tells whether an
// earlier part was left out.
bool ReadRegularFileTail(const std::string& path, std::string& out, size_t count, bool& cut,
                         std::string* error = nullptr);
// The same three reads from a descriptor of a regular file of our own (whatever stands at its
// name now), from its start or to its end; the descriptor's offset is not moved.
bool ReadOpenFile(int fd, std::string& out, uint64_t limit, std::string* error = nullptr);
bool ReadOpenFileHead(int fd, std::string& out, size_t count, std::string* error = nullptr);
bool ReadOpenFileTail(int fd, std::string& out, size_t count, bool& cut,
                      std::string* error = nullptr);
// The size of the file open at `fd`; -1 when there is none.
int64_t OpenFileSize(int fd);

// The program folder: $VELMORA_HOME, else the executable's folder when writable, else
// ~/.local/share/velmora (made when missing). Absolute, with trailing "/".
std::string ProgramDir(const std::string& argv0);
// Folders where shipped files (tips, news, help, sound) are looked for, in order.
std::vector<std::string> ShareDirs(const std::string& programDir);
// First existing shipped file of that name (case-insensitive), else programDir + name.
std::string FindShippedFile(const std::string& programDir, std::string_view name);
std::string ExecutableDir();

// ASCII case helpers.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
std::string Trim(std::string_view s);

// Calls line(text, end) for every line of the text (ended by CR, LF or CR LF); end is the
// position after the line's ending, for progress.
template <class F>
void ForEachLine(std::string_view text, F&& line) {
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i;
    while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
    std::string_view l = text.substr(i, j - i);
    if (j < text.size() && text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
    i = j + 1;
    line(l, i < text.size() ? i : text.size());
  }
}

}  // namespace plat
