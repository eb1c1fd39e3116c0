// What the fuzz targets (and their regression test) require of any input: no crash, and
// nothing lost between the database and its profile.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "database/Listinfo.h"
#include "database/ProfileFile.h"

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

// Any text parses to the end within the error limit, and whatever it gave survives a
// profile unchanged.
inline bool CheckListinfo(std::string_view text) {
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

// Any file is either refused or loads into a database that survives a profile unchanged.
inline bool CheckProfile(std::string_view file) {
  profile::ProfileContent c;
  if (profile::DecodeProfile(file, c) != profile::LoadStatus::Ok) return true;
  return BodySurvivesAProfile(Body(c));
}

}  // namespace fuzzchecks
