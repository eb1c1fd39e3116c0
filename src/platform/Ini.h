// INI files with the behaviour of the Windows profile functions: sections and keys matched
// without regard to case, order kept, CR LF written, CR LF / LF / CR read, atomic save.
// Sections and keys are indexed: a lookup or an update takes constant time, a whole load or
// save is linear in the file. Lines the program does not change keep their exact text.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

class IniFile {
 public:
  IniFile() = default;
  explicit IniFile(std::string path);

  // No INI file the program reads comes near this size.
  static constexpr uint64_t kMaxFileSize = 64u << 20;

  // Loads the file; a missing file gives an empty INI and true. A file that exists but
  // cannot be read (or is no regular file, or is larger than `limit`) gives false, an empty
  // INI and the reason in `error`.
  bool Load(std::string* error = nullptr, uint64_t limit = kMaxFileSize);
  void LoadFromText(std::string_view text);
  std::string ToText() const;
  // Writes to a temporary name and renames it over the file.
  bool Save(std::string* error = nullptr) const;

  const std::string& Path() const { return path_; }
  void SetPath(std::string p) { path_ = std::move(p); }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // GetPrivateProfileInt: leading decimal digits (with sign); default when none.
  long ReadInteger(std::string_view section, std::string_view key, long def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  double ReadFloat(std::string_view section, std::string_view key, double def) const;
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, long value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::vector<std::string> ReadSections() const;
  std::vector<std::string> ReadSection(std::string_view section) const;  // keys in order
  // "key=value" lines of a section, in order.
  std::vector<std::string> ReadSectionValues(std::string_view section) const;
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);
  void Clear();

 private:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;

  // Open-addressed table of ids; the caller hashes and compares names.
  class Index {
   public:
    template <class Same>
    uint32_t Find(uint32_t hash, Same same) const;
    void Insert(uint32_t hash, uint32_t id);
    // The id already there under that name, else kNone after `id` is put in.
    template <class Same>
    uint32_t FindOrInsert(uint32_t hash, uint32_t id, Same same);
    void Erase(uint32_t hash, uint32_t id);
    void Clear();
   private:
    struct Slot {
      uint32_t id = kNone;
      uint32_t hash = 0;
    };
    static constexpr uint32_t kGone = 0xFFFFFFFEu;
    void Grow();
    std::vector<Slot> slots_;
    size_t filled_ = 0;  // live ids and tombstones
  };

  // One line: a key line holds its key and value at the offsets given; a line written by
  // the program is rebuilt as key=value, every other line keeps its exact text.
  struct Entry {
    std::string line;
    uint32_t keyAt = 0, keyLen = 0, valueAt = 0, valueLen = 0;
    bool raw = false;  // a comment, blank or unparsed line
    bool deleted = false;
    std::string_view Key() const { return std::string_view(line).substr(keyAt, keyLen); }
    std::string_view Value() const { return std::string_view(line).substr(valueAt, valueLen); }
  };
  struct Section {
    std::string name;    // empty name: lines before the first section
    std::string header;  // the header line as it stood, empty when made by a write
    std::vector<uint32_t> body;  // entry ids in order
    std::vector<uint32_t> tail;  // trailing blank lines, kept after new keys
    bool deleted = false;
    bool indexed = false;  // its keys are in the key index (else few: found by a scan)
  };

  uint32_t FindSection(std::string_view s) const;
  uint32_t FindEntry(uint32_t section, std::string_view key) const;
  // The section of that name, made at the end when missing. A header from the file makes a
  // new section even when the name exists (the second is kept but never found).
  uint32_t AddSection(std::string_view name, std::string header, bool fromFile);
  void AddEntry(uint32_t section, Entry e);
  void IndexKey(uint32_t section, uint32_t id);

  std::string path_;
  std::vector<Section> sections_;
  std::vector<Entry> entries_;
  Index sectionIndex_;
  Index keyIndex_;
  bool duplicateSections_ = false;
  mutable uint32_t lastSection_ = kNone;
};

}  // namespace plat
