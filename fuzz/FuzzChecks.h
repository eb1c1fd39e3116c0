// What the fuzz targets (and their regression test) require of any input: no crash, and
// nothing lost between the database and its profile.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "database/Listinfo.h"
#include "database/ProfileFile.h"
#include "platform/Ini.h"

namespace fuzzchecks {

inline std::string Body(const profile::ProfileContent& c) {
  return profile::BuildBody(c.EmulatorDir, c.EmulatorExe, c.EmulatorVersion, c.Games.get(),
                            c.Resources.get());
}

// A body written, read back and written again gives the same bytes, stored and compressed.
inline bool BodySurvivesAProfile(const std::string& body) {
  for (bool compressed : {false, true}) {
    std::string file;
    if (!profile::BuildFile(body, compressed, file)) return false;
    profile::ProfileContent back;
    if (profile::DecodeProfile(file, back) != profile::LoadStatus::Ok) return false;
    if (Body(back) != body) return false;
  }
  return true;
}

// Bounds of a few records, which fuzzed inputs reach.
inline catalogue::Limits FewRecords() {
  catalogue::Limits l;
  l.entries = 4;
  l.romsPerGame = l.chipsPerGame = l.samplesPerGame = l.dipSwitchesPerGame = 3;
  l.roms = l.chips = l.samples = l.dipSwitches = 6;
  l.dipSettings = 12;
  l.memory = 4096;
  return l;
}

// Any text parses to the end within the error limit, and whatever it gave survives a
// profile unchanged; within a few records' bounds it is read whole or refused keeping nothing.
inline bool CheckListinfo(std::string_view text) {
  listinfo::ParseResult few = listinfo::ParseListinfo(text, {}, FewRecords());
  if (!few.Refusal.empty() && (!few.Games->empty() || !few.Resources->empty())) return false;
  listinfo::ParseResult r = listinfo::ParseListinfo(text);
  if (r.Errors.size() > listinfo::MaxErrors + 1) return false;
  for (const auto& e : r.Errors)
    if (e->Kind < 1 || e->Kind > 6) return false;
  for (const auto& g : *r.Games)
    if (g->Kind != KIND_GAME) return false;
  for (const auto& g : *r.Resources)
    if (g->Kind != KIND_RESOURCE) return false;
  if (r.Games->empty() && r.Resources->empty()) return true;
  profile::ProfileContent c;
  c.EmulatorDir = "/emu/";
  c.EmulatorExe = "mame";
  c.EmulatorVersion = "version";
  c.Games = std::move(r.Games);
  c.Resources = std::move(r.Resources);
  return BodySurvivesAProfile(Body(c));
}

// Any file is either refused or loads into a database that survives a profile unchanged; a
// check of its body, within any bounds, gives what reading it gives and keeps nothing.
inline bool CheckProfile(std::string_view file) {
  std::string storage;
  std::string_view body;
  if (profile::ReadProfileBody(file, storage, body) == profile::LoadStatus::Ok)
    for (const catalogue::Limits& l : {catalogue::Limits(), FewRecords()}) {
      profile::ProfileContent read, checked;
      const profile::LoadStatus s = profile::DecodeProfileBody(body, read, {}, l);
      if (profile::DecodeProfileBody(body, checked, {}, l, false) != s) return false;
      if (!checked.Games->empty() || !checked.Resources->empty()) return false;
      if ((s == profile::LoadStatus::TooLarge) == read.Refusal.empty()) return false;
    }
  profile::ProfileContent c;
  if (profile::DecodeProfile(file, c) != profile::LoadStatus::Ok) return true;
  return BodySurvivesAProfile(Body(c));
}

// INI text: every section and key listed is found again, a write is read back, and the
// written text reads back to the same text.
inline bool CheckIni(std::string_view text) {
  plat::IniFile ini;
  ini.LoadFromText(text);
  for (const std::string& s : ini.ReadSections()) {
    if (!ini.SectionExists(s)) return false;
    for (const std::string& k : ini.ReadSection(s))
      if (!ini.ValueExists(s, k)) return false;
  }
  const std::string written = ini.ToText();
  plat::IniFile again;
  again.LoadFromText(written);
  if (again.ToText() != written) return false;
  again.WriteString("Fuzz", "Key", "value");
  if (again.ReadString("fuzz", "KEY", "") != "value") return false;
  if (!ini.ReadSections().empty()) {
    const std::string first = ini.ReadSections().front();
    ini.EraseSection(first);
    ini.WriteInteger(first, "n", 7);
    if (ini.ReadInteger(first, "N", 0) != 7) return false;
  }
  return true;
}

}  // namespace fuzzchecks
