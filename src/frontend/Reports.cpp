#include "frontend/Reports.h"

#include <unordered_set>

#include "frontend/DataFiles.h"
#include "platform/Files.h"
#include "platform/SafeName.h"

namespace reports {

std::string Document::PlainText() const {
  std::string t;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) t += "\r\n";
    t += lines[i].text;
  }
  return t;
}

namespace {

std::string Plural(size_t n) { return n > 1 ? "s" : ""; }

std::string PadRight(const std::string& text, size_t width) {
  std::string s = text;
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

// The heading with its list, or the "none" heading.
void AddCountedList(Document& d, const std::vector<std::string>& list, const std::string& word,
                    const std::string& none) {
  if (list.empty()) {
    d.Add(Style::Heading, none);
  } else {
    d.Add(Style::Heading, std::to_string(list.size()) + word + Plural(list.size()) + " supported:");
    for (const std::string& s : list) d.Add(Style::Body, s);
  }
}

// Distinct names in order of first appearance, compared without regard to case.
struct NameSet {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  void Add(const std::string& name) {
    if (seen.insert(plat::UpperCase(name)).second) names.push_back(name);
  }
};

}  // namespace

Document ProfileInfo(const ProfileFacts& f, const Progress& progress) {
  Document d;
  d.title = "Velmora - Profile info";
  std::string base = plat::FileNameOf(f.profileFile);
  const std::string ext = plat::ExtensionOf(base);
  base.resize(base.size() - ext.size());
  d.fileName = f.programDir + base + "_profile_info";

  const size_t games = f.games ? f.games->size() : 0;
  const size_t resources = f.resources ? f.resources->size() : 0;
  d.Add(Style::Title, "Profile details");
  d.Add(Style::Body, "");
  d.Add(Style::Body, "Profile: .................." + f.profileFile);
  if (!f.creationDate.empty()) d.Add(Style::Body, "Creation date: ............" + f.creationDate);
  d.Add(Style::Body, "MAME executable file: ....." + f.executable);
  d.Add(Style::Body, "MAME version: ............." + f.version);
  d.Add(Style::Body, "Romsets supported: ........" + std::to_string(games));
  d.Add(Style::Body, "Resources needed: ........." + std::to_string(resources));
  if (games == 0) return d;

  size_t masters = 0, needSamples = 0, romFiles = 0, noGoodDumps = 0;
  std::vector<std::string> sampleSets, external;
  NameSet cpus, soundChips;
  std::vector<const GameRecord*> chain;
  for (size_t i = 0; i < games; ++i) {
    if (progress) progress(i, games);
    const GameRecord* g = (*f.games)[i].get();
    if (!g) continue;
    if (g->CloneOf.empty()) ++masters;
    const bool hasSamples = g->Samples && !g->Samples->empty();
    if (!g->SampleOf.empty() || hasSamples) ++needSamples;
    if (hasSamples && g->SampleOf.empty()) sampleSets.push_back("[" + g->Name.str() + "]");
    if (g->Roms)
      for (const auto& r : *g->Roms) {
        if (!r) continue;
        if (r->Merge.empty()) ++romFiles;
        if (r->Crc == 0) ++noGoodDumps;
      }
    if (g->Chips)
      for (const auto& c : *g->Chips) {
        if (!c) continue;
        if (c->ChipType == 1) cpus.Add(c->Name.str());
        if (c->ChipType == 2) soundChips.Add(c->Name.str());
      }
    // The rom-of chain through the games: a name no game bears is an outside resource; a
    // chain that comes back to a set it passed ends there.
    if (!g->RomOf.empty()) {
      chain.assign(1, g);
      const GameRecord* at = g;
      while (!at->RomOf.empty()) {
        const GameRecord* next = f.find ? f.find(at->RomOf.str()) : nullptr;
        if (!next || next->Kind != KIND_GAME) {
          external.push_back(PadRight("[" + g->Name.str() + "]", 10) + " uses [" +
                             at->RomOf.str() + "]");
          break;
        }
        bool seen = false;
        for (const GameRecord* c : chain) seen = seen || c == next;
        if (seen) break;
        chain.push_back(next);
        at = next;
      }
    }
  }

  d.Add(Style::Body, "Master sets: .............." + std::to_string(masters));
  d.Add(Style::Body, "Clone sets: ..............." + std::to_string(games - masters));
  d.Add(Style::Body, "Games not using BIOSes: ..." + std::to_string(games - external.size()));
  d.Add(Style::Body, "Total rom files: .........." + std::to_string(romFiles) +
                         " (counted on a \"per master set\" basis)");
  d.Add(Style::Body, "Total no good dumps: ......" + std::to_string(noGoodDumps));
  d.Add(Style::Body, "Sets requiring samples: ..." + std::to_string(needSamples));
  d.Add(Style::Body, "");

  const size_t n = external.size();
  if (n) {
    d.Add(Style::Heading, "There " + std::string(n > 1 ? "are " : "is ") + std::to_string(n) +
                              " game" + Plural(n) + " using " + (n == 1 ? "an " : "") +
                              "external resource" + Plural(n) + " (BIOS):");
    for (const std::string& s : external) d.Add(Style::Body, s);
  } else {
    d.Add(Style::Heading, "There are no games using external resources");
  }
  d.Add(Style::Body, "");
  AddCountedList(d, cpus.names, " CPU", "No CPU supported");
  d.Add(Style::Body, "");
  AddCountedList(d, soundChips.names, " sound chip", "No sound chip supported");
  d.Add(Style::Body, "");
  AddCountedList(d, sampleSets, " sample set", "No sample sets supported");
  return d;
}

namespace {

// A data file's text; one that is refused reads as empty and is told, by name, in `problems`.
const std::string& DataText(Document& d, const std::string& file, const char* kind,
                            bool& refused) {
  std::string error;
  const std::string& text = datafiles::ReadDataFile(file, &error);
  refused = !error.empty();
  if (refused)
    d.problems.push_back("The " + std::string(kind) + " file \"" + file +
                         "\" could not be read:\r" + error);
  return text;
}

// An entry of the history or information file; a clone without one falls back to its parent.
std::string InfoEntry(Document& d, const std::string& file, const GameRecord* g,
                      const char* part, const char* kind, bool& refused, bool& cut) {
  refused = false;
  cut = false;
  if (file.empty()) return {};
  const std::string& text = DataText(d, file, kind, refused);
  std::string entry = datafiles::ReadInfoFileEntry(text, g->Name.str(), part, &cut);
  if (entry.empty() && !cut && !g->CloneOf.empty())
    entry = datafiles::ReadInfoFileEntry(text, g->CloneOf.str(), part, &cut);
  return entry;
}

// A cut entry says so after its text.
void AddSection(Document& d, const std::string& text, const char* heading, const char* none,
                bool cut = false) {
  if (text.empty() && !cut) {
    d.Add(Style::Heading, none);
  } else {
    d.Add(Style::Heading, heading);
    d.Add(Style::Body, text);
    if (cut)
      d.Add(Style::Body, "[The entry is longer than " +
                             std::to_string(datafiles::kMaxEntrySize >> 10) +
                             " KB: the rest was left out]");
  }
}

}  // namespace

Document RomsetDetail(const RomsetFacts& f) {
  Document d;
  d.title = "Velmora - Detailed romset description";
  const GameRecord* g = f.game;
  if (!g) return d;
  d.fileName = plat::NameInFolder(f.programDir, g->Name.str() + "_romset")
                   .value_or(f.programDir + "romset");
  d.Add(Style::Title, "Romset description");
  d.Add(Style::Body, "");
  d.Add(Style::Body, f.quickInfo);
  d.Add(Style::Body, "");

  std::string text;
  uint16_t count = 0;
  quickinfo::AddCloneListInfo(g, f.games, text, count);
  d.Add(Style::Heading, "There " + std::string(count == 1 ? "is " : "are ") +
                            (count ? std::to_string(count) : std::string("no")) + " clone" +
                            (count == 1 ? "" : "s") + " of the [" +
                            (g->CloneOf.empty() ? g->Name.str() : g->CloneOf.str()) +
                            "] master set" + (count ? ":" : ""));
  if (!text.empty()) d.Add(Style::Body, text);
  d.Blank();

  quickinfo::AddDipSwitchInfo(g, text);
  if (!text.empty()) {
    d.Add(Style::Heading, "Dipswitches detail:");
    d.Add(Style::Body, text);
  }
  d.Add(text.empty() ? Style::Heading : Style::Body, "");  // the heading font is set either way

  quickinfo::AddChipInfo(g, text);
  AddSection(d, g->Chips && !g->Chips->empty() ? text : std::string(), "Chipset:",
             "No chipset information available");
  d.Blank();
  quickinfo::AddRomInfo(g, text);
  AddSection(d, g->Roms && !g->Roms->empty() ? text : std::string(),
             "Rom files (name/crc/size/area/bank):", "No roms used");
  d.Blank();
  quickinfo::AddSampleInfo(g, text);
  AddSection(d, g->Samples && !g->Samples->empty() ? text : std::string(), "Sample set:",
             "No samples used");
  d.Blank();

  bool refused = false;
  bool cut = false;
  const std::string hiscore =
      f.files.hiscore.empty()
          ? std::string()
          : datafiles::ReadHiscoreEntry(DataText(d, f.files.hiscore, "high score", refused),
                                        g->Name.str(), &cut);
  AddSection(d, hiscore, "This game supports HighScore save using the following memory areas:",
             refused ? "The high score file could not be read"
                     : "HighScore save for this game is not supported yet",
             cut);
  d.Blank();

  refused = false;
  cut = false;
  const std::string cheats =
      f.files.cheat.empty()
          ? std::string()
          : datafiles::ReadCheatEntries(DataText(d, f.files.cheat, "cheat", refused),
                                        g->Name.str(), &cut);
  if (cheats == "<GZIP>")
    d.Add(Style::Heading, "The cheat file is GZip-compressed and cannot be scanned");
  else
    AddSection(d, cheats, "Cheats available for this game:",
               refused ? "The cheat file could not be read" : "No entry found in cheat file",
               cut);
  d.Blank();

  const std::string history = InfoEntry(d, f.files.history, g, "bio", "history", refused, cut);
  AddSection(d, history, "History file entry:",
             refused ? "The history file could not be read" : "No entry found in history file",
             cut);
  d.Blank();
  const std::string info = InfoEntry(d, f.files.mameinfo, g, "mame", "mame info", refused, cut);
  AddSection(d, info, "MAME Info file entry:",
             refused ? "The mame info file could not be read" : "No entry found in mame info file",
             cut);
  return d;
}

}  // namespace reports
