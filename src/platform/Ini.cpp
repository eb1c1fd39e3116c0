#include "platform/Ini.h"

#include <cstdlib>

#include "platform/Files.h"

namespace plat {

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::Load(std::string* error) {
  sections_.clear();
  std::string data;
  auto real = ResolveNoCase(path_);
  if (!real) return true;  // a missing file reads as empty
  if (!ReadWholeFile(*real, data, error)) return false;
  LoadFromText(data);
  return true;
}

void IniFile::LoadFromText(std::string_view text) {
  sections_.clear();
  Section* cur = nullptr;
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i;
    while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
    std::string_view line = text.substr(i, j - i);
    if (j < text.size() && text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
    i = j + 1;
    std::string t = Trim(line);
    if (!t.empty() && t[0] == '[') {
      size_t close = t.find(']');
      std::string name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      sections_.push_back(Section{name, {}});
      cur = &sections_.back();
      continue;
    }
    if (!cur) {
      sections_.push_back(Section{"", {}});
      cur = &sections_.back();
    }
    size_t eq = t.find('=');
    if (t.empty() || t[0] == ';' || eq == std::string::npos || eq == 0) {
      cur->entries.push_back(Entry{"", std::string(line), true});
      continue;
    }
    cur->entries.push_back(Entry{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1)), false});
  }
  // Leading lines before any section with nothing in them are dropped.
  if (!sections_.empty() && sections_[0].name.empty()) {
    bool blank = true;
    for (auto& e : sections_[0].entries)
      if (!Trim(e.value).empty() || !e.raw) blank = false;
    if (blank) sections_.erase(sections_.begin());
  }
}

std::string IniFile::ToText() const {
  std::string out;
  for (size_t s = 0; s < sections_.size(); ++s) {
    const Section& sec = sections_[s];
    if (!sec.name.empty() || s > 0) out += "[" + sec.name + "]\r\n";
    for (const Entry& e : sec.entries) {
      if (e.raw)
        out += e.value + "\r\n";
      else
        out += e.key + "=" + e.value + "\r\n";
    }
  }
  return out;
}

bool IniFile::Save(std::string* error) const { return WriteFileAtomic(path_, ToText(), error); }

const IniFile::Section* IniFile::find(std::string_view s) const {
  for (const Section& sec : sections_)
    if (SameText(sec.name, s)) return &sec;
  return nullptr;
}

IniFile::Section* IniFile::find(std::string_view s) {
  return const_cast<Section*>(static_cast<const IniFile*>(this)->find(s));
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  if (const Section* sec = find(section))
    for (const Entry& e : sec->entries)
      if (!e.raw && SameText(e.key, key)) {
        const std::string& v = e.value;
        // The profile functions strip one pair of surrounding quotes.
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
          return v.substr(1, v.size() - 2);
        return v;
      }
  return std::string(def);
}

long IniFile::ReadInteger(std::string_view section, std::string_view key, long def) const {
  std::string v = ReadString(section, key, "");
  if (v.empty()) return def;
  if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
    char* end = nullptr;
    long r = std::strtol(v.c_str() + 2, &end, 16);
    return end == v.c_str() + 2 ? def : r;
  }
  char* end = nullptr;
  long r = std::strtol(v.c_str(), &end, 10);
  if (end == v.c_str()) return def;
  return r;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::ReadFloat(std::string_view section, std::string_view key, double def) const {
  std::string v = ReadString(section, key, "");
  if (v.empty()) return def;
  for (char& c : v)
    if (c == ',') c = '.';
  char* end = nullptr;
  double r = std::strtod(v.c_str(), &end);
  return end == v.c_str() ? def : r;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section* sec = find(section);
  if (!sec) {
    sections_.push_back(Section{std::string(section), {}});
    sec = &sections_.back();
  }
  for (Entry& e : sec->entries)
    if (!e.raw && SameText(e.key, key)) {
      e.value = std::string(value);
      return;
    }
  // New keys go after the last key of the section, before trailing blank lines.
  auto pos = sec->entries.end();
  while (pos != sec->entries.begin() && (pos - 1)->raw && Trim((pos - 1)->value).empty()) --pos;
  sec->entries.insert(pos, Entry{std::string(key), std::string(value), false});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, long value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool IniFile::SectionExists(std::string_view section) const { return find(section) != nullptr; }

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  if (const Section* sec = find(section))
    for (const Entry& e : sec->entries)
      if (!e.raw && SameText(e.key, key)) return true;
  return false;
}

std::vector<std::string> IniFile::ReadSections() const {
  std::vector<std::string> r;
  for (const Section& s : sections_)
    if (!s.name.empty()) r.push_back(s.name);
  return r;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> r;
  if (const Section* sec = find(section))
    for (const Entry& e : sec->entries)
      if (!e.raw) r.push_back(e.key);
  return r;
}

std::vector<std::string> IniFile::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> r;
  if (const Section* sec = find(section))
    for (const Entry& e : sec->entries)
      if (!e.raw) r.push_back(e.key + "=" + e.value);
  return r;
}

void IniFile::EraseSection(std::string_view section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it)
    if (SameText(it->name, section)) {
      sections_.erase(it);
      return;
    }
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  if (Section* sec = find(section))
    for (auto it = sec->entries.begin(); it != sec->entries.end(); ++it)
      if (!it->raw && SameText(it->key, key)) {
        sec->entries.erase(it);
        return;
      }
}

void IniFile::Clear() { sections_.clear(); }

}  // namespace plat
