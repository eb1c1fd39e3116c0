#include "platform/Ini.h"

#include <cstdlib>

#include "platform/Files.h"

namespace plat {

namespace {

inline unsigned char Upper(char c) {
  return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
}

uint32_t NoCaseHash(std::string_view s, uint32_t seed) {
  uint32_t h = 2166136261u ^ seed;
  for (char c : s) {
    h ^= Upper(c);
    h *= 16777619u;
  }
  return h;
}

uint32_t SectionHash(std::string_view name) { return NoCaseHash(name, 0); }
uint32_t KeyHash(uint32_t section, std::string_view key) {
  return NoCaseHash(key, (section + 1) * 0x9E3779B1u);
}

bool IsBlank(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

}  // namespace

template <class Same>
uint32_t IniFile::Index::Find(uint32_t hash, Same same) const {
  if (slots_.empty()) return kNone;
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.id == kNone) return kNone;
    if (s.id != kGone && s.hash == hash && same(s.id)) return s.id;
  }
}

void IniFile::Index::Grow() {
  std::vector<Slot> old;
  old.swap(slots_);
  size_t live = 0;
  for (const Slot& s : old)
    if (s.id != kNone && s.id != kGone) ++live;
  size_t size = 16;
  while (size < (live + 1) * 4) size *= 2;
  slots_.assign(size, Slot{});
  filled_ = 0;
  for (const Slot& s : old)
    if (s.id != kNone && s.id != kGone) Insert(s.hash, s.id);
}

void IniFile::Index::Insert(uint32_t hash, uint32_t id) {
  if ((filled_ + 1) * 2 > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i].id != kNone) i = (i + 1) & mask;
  slots_[i] = Slot{id, hash};
  ++filled_;
}

void IniFile::Index::Erase(uint32_t hash, uint32_t id) {
  if (slots_.empty()) return;
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask; slots_[i].id != kNone; i = (i + 1) & mask)
    if (slots_[i].id == id) {
      slots_[i].id = kGone;
      return;
    }
}

void IniFile::Index::Clear() {
  slots_.clear();
  filled_ = 0;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::Load(std::string* error) {
  Clear();
  std::string data;
  auto real = ResolveNoCase(path_);
  if (!real) return true;  // a missing file reads as empty
  if (!ReadWholeFile(*real, data, error)) return false;
  LoadFromText(data);
  return true;
}

uint32_t IniFile::FindSection(std::string_view s) const {
  return sectionIndex_.Find(SectionHash(s),
                            [&](uint32_t id) { return SameText(sections_[id].name, s); });
}

uint32_t IniFile::FindEntry(uint32_t section, std::string_view key) const {
  return keyIndex_.Find(KeyHash(section, key),
                        [&](uint32_t id) { return SameText(entries_[id].key, key); });
}

uint32_t IniFile::AddSection(std::string name, std::string header) {
  const uint32_t id = static_cast<uint32_t>(sections_.size());
  // A second section of the same name stays in the file but is never found (first wins).
  if (FindSection(name) == kNone) sectionIndex_.Insert(SectionHash(name), id);
  else duplicateSections_ = true;
  sections_.push_back(Section{std::move(name), std::move(header), {}, {}, false});
  return id;
}

void IniFile::AddEntry(uint32_t section, Entry e, bool indexed) {
  const uint32_t id = static_cast<uint32_t>(entries_.size());
  e.section = section;
  if (indexed) keyIndex_.Insert(KeyHash(section, e.key), id);
  entries_.push_back(std::move(e));
  sections_[section].body.push_back(id);
}

void IniFile::LoadFromText(std::string_view text) {
  Clear();
  uint32_t cur = kNone;
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i;
    while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
    std::string_view line = text.substr(i, j - i);
    if (j < text.size() && text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
    i = j + 1;
    size_t b = 0, e = line.size();
    while (b < e && static_cast<unsigned char>(line[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(line[e - 1]) <= ' ') --e;
    std::string_view t = line.substr(b, e - b);
    if (!t.empty() && t[0] == '[') {
      size_t close = t.find(']');
      cur = AddSection(Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                         : close - 1)),
                       std::string(line));
      continue;
    }
    if (cur == kNone) cur = AddSection("", "");
    size_t eq = t.find('=');
    Entry entry;
    entry.line = std::string(line);
    if (t.empty() || t[0] == ';' || eq == std::string_view::npos || eq == 0) {
      entry.raw = true;
      AddEntry(cur, std::move(entry), false);
      continue;
    }
    entry.key = Trim(t.substr(0, eq));
    entry.value = Trim(t.substr(eq + 1));
    bool first = FindEntry(cur, entry.key) == kNone;
    AddEntry(cur, std::move(entry), first);
  }
  for (Section& s : sections_) {
    size_t keep = s.body.size();
    while (keep > 0 && entries_[s.body[keep - 1]].raw && IsBlank(entries_[s.body[keep - 1]].line))
      --keep;
    s.tail.assign(s.body.begin() + static_cast<std::ptrdiff_t>(keep), s.body.end());
    s.body.resize(keep);
  }
  // Lines before any section with nothing in them are dropped.
  if (!sections_.empty() && sections_[0].name.empty()) {
    bool blank = true;
    for (uint32_t id : sections_[0].body)
      if (!entries_[id].raw || !IsBlank(entries_[id].line)) blank = false;
    if (blank) {
      sections_[0].deleted = true;
      sectionIndex_.Erase(SectionHash(""), 0);
    }
  }
}

std::string IniFile::ToText() const {
  std::string out;
  bool first = true;
  auto line = [&out](std::string_view a, std::string_view b = {}, std::string_view c = {}) {
    out.append(a).append(b).append(c).append("\r\n");
  };
  for (const Section& sec : sections_) {
    if (sec.deleted) continue;
    if (!sec.header.empty())
      line(sec.header);
    else if (!sec.name.empty() || !first)
      line("[", sec.name, "]");
    first = false;
    for (uint32_t id : sec.body) {
      const Entry& e = entries_[id];
      if (e.deleted) continue;
      if (e.edited)
        line(e.key, "=", e.value);
      else
        line(e.line);
    }
    for (uint32_t id : sec.tail) line(entries_[id].line);
  }
  return out;
}

bool IniFile::Save(std::string* error) const { return WriteFileAtomic(path_, ToText(), error); }

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  uint32_t s = FindSection(section);
  uint32_t id = s == kNone ? kNone : FindEntry(s, key);
  if (id == kNone) return std::string(def);
  const std::string& v = entries_[id].value;
  // The profile functions strip one pair of surrounding quotes.
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
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
  uint32_t s = FindSection(section);
  if (s == kNone) s = AddSection(std::string(section), "");
  uint32_t id = FindEntry(s, key);
  if (id != kNone) {
    Entry& e = entries_[id];
    if (!e.edited && e.value == value) return;  // unchanged: the line keeps its text
    e.value = std::string(value);
    e.edited = true;
    e.line.clear();
    return;
  }
  Entry e;
  e.key = std::string(key);
  e.value = std::string(value);
  e.edited = true;
  AddEntry(s, std::move(e), true);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, long value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool IniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != kNone;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  uint32_t s = FindSection(section);
  return s != kNone && FindEntry(s, key) != kNone;
}

std::vector<std::string> IniFile::ReadSections() const {
  std::vector<std::string> r;
  for (const Section& s : sections_)
    if (!s.deleted && !s.name.empty()) r.push_back(s.name);
  return r;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> r;
  uint32_t s = FindSection(section);
  if (s != kNone)
    for (uint32_t id : sections_[s].body)
      if (!entries_[id].raw && !entries_[id].deleted) r.push_back(entries_[id].key);
  return r;
}

std::vector<std::string> IniFile::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> r;
  uint32_t s = FindSection(section);
  if (s != kNone)
    for (uint32_t id : sections_[s].body) {
      const Entry& e = entries_[id];
      if (!e.raw && !e.deleted) r.push_back(e.key + "=" + e.value);
    }
  return r;
}

void IniFile::EraseSection(std::string_view section) {
  uint32_t s = FindSection(section);
  if (s == kNone) return;
  Section& sec = sections_[s];
  sec.deleted = true;
  sectionIndex_.Erase(SectionHash(sec.name), s);
  for (uint32_t id : sec.body)
    if (!entries_[id].raw) keyIndex_.Erase(KeyHash(s, entries_[id].key), id);
  if (!duplicateSections_) return;
  // A later section of the same name comes to light, as with the profile functions.
  for (uint32_t n = s + 1; n < sections_.size(); ++n)
    if (!sections_[n].deleted && SameText(sections_[n].name, section)) {
      sectionIndex_.Insert(SectionHash(sections_[n].name), n);
      return;
    }
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  uint32_t s = FindSection(section);
  uint32_t id = s == kNone ? kNone : FindEntry(s, key);
  if (id == kNone) return;
  entries_[id].deleted = true;
  keyIndex_.Erase(KeyHash(s, key), id);
  for (uint32_t other : sections_[s].body) {
    const Entry& e = entries_[other];
    if (!e.raw && !e.deleted && SameText(e.key, key)) {
      keyIndex_.Insert(KeyHash(s, key), other);
      return;
    }
  }
}

void IniFile::Clear() {
  sections_.clear();
  entries_.clear();
  sectionIndex_.Clear();
  keyIndex_.Clear();
  duplicateSections_ = false;
}

}  // namespace plat
