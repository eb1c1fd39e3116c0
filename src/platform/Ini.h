// INI files with the behaviour of the Windows profile functions: sections and keys matched
// without regard to case, order kept, CR LF written, CR LF / LF / CR read, atomic save.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace plat {

class IniFile {
 public:
  IniFile() = default;
  explicit IniFile(std::string path);

  // Loads the file; a missing file gives an empty INI and true.
  bool Load(std::string* error = nullptr);
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
  struct Entry {
    std::string key;    // empty for a comment, blank or unparsed line
    std::string value;  // for such a line: the line as it stood
    bool raw = false;
  };
  struct Section {
    std::string name;  // empty name: lines before the first section
    std::vector<Entry> entries;
  };
  const Section* find(std::string_view s) const;
  Section* find(std::string_view s);
  std::string path_;
  std::vector<Section> sections_;
};

}  // namespace plat
