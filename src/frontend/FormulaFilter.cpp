#include "frontend/FormulaFilter.h"

#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Ini.h"

namespace formulafilter {

const FormulaArchive& BuiltInFormulas() {
  static const FormulaArchive list = {
      {"Neo Geo games only", "BIOS \"NEOGEO\""},
      {"CVS games only", "BIOS \"CVS\""},
      {"Play Choice 10 games only", "BIOS \"PLAYCH10\""},
      {"DECO Cassette System games only", "BIOS \"DECOCASS\""},
      {"Master sets only", "%MASTER"},
      {"Clone sets only", "%CLONE"},
      {"Recent games only (put lowest year in %0)", "%YEAR >= %0"},
      {"Oldest games only (put highest year in %0)", "%YEAR <= %0"},
      {"Taito games only", "MANUFACTURER \"taito\""},
      {"Capcom games only", "MANUFACTURER \"capcom\""},
      {"Sega games only", "MANUFACTURER \"sega\""},
      {"Games requiring a sample set", "%SAMPLES > 0"},
      {"Games using a 68000 processor", "CHIP \"68000\""},
      {"Exclude vector games", "%RASTER"},
      {"Vector games only", "NOT %RASTER"},
      {"Games with stereo audio", "%AUDIO >= 2"},
      {"Games playable head-on-head", "%PLAYERS >= 2"},
      {"Games with dual stick", "( %CONTROL = 3 ) OR ( %CONTROL = 4 )"},
      {"Games with dial", "%CONTROL = 5"},
      {"Games with analog stick", "%CONTROL = 6"},
      {"Games with trackball", "%CONTROL = 8"},
      {"Games with more than 3 buttons", "%BUTTONS > 3"},
      {"Games you have played (based on presence of .CFG files)", "%CONFIGFOUND"},
      {"Games you have saved hi-scores for (based on presence of .HI files)", "%HISCOREFOUND"},
      {"Games you have recordings to play back for", "%INPFOUND"},
      {"Games you have roms for (NOT ACCURATE: does not test if set is playable; even more "
       "faulty with merged sets)",
       "%ROMFOUND"},
      {"Master sets you have samples for", "%SAMPLEFOUND"},
      {"Games you have a saved state to resume playing from", "%SAVESTATEFOUND"},
      {"Games you have a FAQ file to read for", "%FAQFOUND"},
  };
  return list;
}

std::string ArchiveText(const std::string& formula) {
  std::string r = formula;
  for (char& c : r)
    if (c == '\r' || c == '\n') c = ' ';
  return plat::Trim(r);
}

std::string CheckFormulaName(const std::string& name) {
  if (name.find(']') != std::string::npos)
    return "A formula name cannot hold the character \"]\". Please change the name and try again.";
  if (name.find_first_of("\r\n") != std::string::npos)
    return "A formula name cannot hold line breaks. Please change the name and try again.";
  return {};
}

FormulaArchive LoadArchive(const std::string& path, std::string* error) {
  auto real = plat::ResolveNoCase(path);
  if (!real) return BuiltInFormulas();  // anything else by that name is read, or refused
  std::string data;
  FormulaArchive r;
  if (!plat::ReadRegularFile(*real, data, plat::IniFile::kMaxFileSize, error)) return r;
  // Section by section in file order: names that differ only in case keep their own formula.
  // The value stands as written: the profile functions' quote stripping would eat a
  // formula's leading and trailing double quotes.
  std::string_view text = plat::WithoutBom(data);
  bool haveFormula = false;
  for (size_t i = 0; i < text.size();) {
    size_t j = text.find_first_of("\r\n", i);
    if (j == std::string_view::npos) j = text.size();
    const std::string line = plat::Trim(text.substr(i, j - i));
    i = j + (text.substr(j, 2) == "\r\n" ? 2 : 1);
    if (!line.empty() && line[0] == '[') {
      const size_t close = line.find(']');
      r.push_back({plat::Trim(line.substr(1, close == std::string::npos ? close : close - 1)), {}});
      haveFormula = false;
      continue;
    }
    const size_t eq = line.find('=');
    if (r.empty() || haveFormula || eq == std::string::npos || line[0] == ';') continue;
    if (plat::SameText(plat::Trim(line.substr(0, eq)), "Formula")) {
      r.back().Formula = plat::Trim(line.substr(eq + 1));
      haveFormula = true;
    }
  }
  return r;
}

std::string FormatArchive(const FormulaArchive& archive) {
  std::string text;
  for (const ArchivedFormula& f : archive)
    text += "[" + f.Name + "]\r\nFormula=" + ArchiveText(f.Formula) + "\r\n";
  return text;
}

bool SaveArchive(const std::string& path, const FormulaArchive& archive, std::string& error) {
  return plat::WriteFileAtomic(plat::PathForWrite(path), FormatArchive(archive), &error);
}

// --- vocabulary ---

namespace {

enum Var : int32_t {
  vYear, vClone, vMaster, vSamples, vRaster, vVertical, vXRes, vYRes, vColors, vAudio, vPlayers,
  vControl, vButtons, vCoins, vTilt, vService, vConfigFound, vHiscoreFound, vNvramFound,
  vInpFound, vRomFound, vSampleFound, vSaveStateFound, vFaqFound, vCount
};
enum Op : int32_t { oTitle, oManufacturer, oChip, oBios, oCount };
constexpr int32_t kFirstOperator = TEvaluator::kBuiltInCount;
constexpr int32_t kFirstVariable = kFirstOperator + oCount;

// Probed folders, in the order of the folder values given to the vocabulary.
enum Folder : size_t { fCfg, fHi, fNvram, fInp, fSta, fFaq, fCount };

}  // namespace

const std::vector<TKeyword>& Keywords() {
  static const std::vector<TKeyword> list = [] {
    std::vector<TKeyword> k;
    for (const char* op : {"TITLE", "MANUFACTURER", "CHIP", "BIOS"}) k.push_back({op, 1, 0});
    for (const char* v :
         {"%YEAR", "%CLONE", "%MASTER", "%SAMPLES", "%RASTER", "%VERTICAL", "%XRES", "%YRES",
          "%COLORS", "%AUDIO", "%PLAYERS", "%CONTROL", "%BUTTONS", "%COINS", "%TILT", "%SERVICE",
          "%CONFIGFOUND", "%HISCOREFOUND", "%NVRAMFOUND", "%INPFOUND", "%ROMFOUND",
          "%SAMPLEFOUND", "%SAVESTATEFOUND", "%FAQFOUND"})
      k.push_back({v, 0, 0});
    return k;
  }();
  return list;
}

bool ContainsNoCase(std::string_view text, std::string_view upperNeedle) {
  if (upperNeedle.empty() || upperNeedle.size() > text.size()) return false;
  auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  const size_t last = text.size() - upperNeedle.size();
  for (size_t i = 0; i <= last; ++i) {
    size_t j = 0;
    while (j < upperNeedle.size() && up(text[i + j]) == upperNeedle[j]) ++j;
    if (j == upperNeedle.size()) return true;
  }
  return false;
}

Vocabulary::Vocabulary(Hooks hooks, const MAMEDirectoryRecord& dirs, const std::string& faqDir,
                       const std::string& baseDir)
    : hooks_(std::move(hooks)), baseDir_(baseDir) {
  folderValues_ = {dirs.cfg, dirs.hi, dirs.nvram, dirs.inp, dirs.sta, faqDir};
  folders_.resize(fCount);
}

void Vocabulary::Attach(TEvaluator& evaluator) {
  evaluator.OnVariable = [this](int32_t index, const std::string&) { return Variable(index); };
  evaluator.OnOperator = [this](int32_t index, const std::string&, TCompiledOperand&,
                                TCompiledOperand& operand) { return Operator(index, operand); };
}

bool Vocabulary::FileFound(size_t folder, const char* extension) {
  auto& index = folders_[folder];
  if (!index) {
    // Folder and set name are joined as a path, and matched without regard to case.
    std::string dir = plat::ToNativeSeparators(plat::Trim(folderValues_[folder]));
    if (dir.empty()) dir.push_back('.');
    if (dir[0] != '/') dir = plat::JoinPath(baseDir_.empty() ? plat::CurrentDir() : baseDir_, dir);
    auto real = plat::ResolveNoCase(dir);
    index = std::make_unique<plat::FolderIndex>(real && plat::DirExists(*real) ? *real : "");
  }
  if (index->Dir().empty()) return false;
  auto hit = index->Find(Current->Name.str() + extension);
  return hit && plat::FileExists(*hit);
}

int32_t Vocabulary::Variable(int32_t index) {
  const GameRecord* g = Current;
  if (!g) return 0;
  switch (index - kFirstVariable) {
    case vYear: return g->Year;
    case vClone: return g->CloneOf.empty() ? 0 : 1;
    case vMaster: return g->CloneOf.empty() ? 1 : 0;
    case vSamples: return g->Samples ? static_cast<int32_t>(g->Samples->size()) : 0;
    case vRaster: return g->Screen != 0;
    case vVertical: return g->Orientation != 0;
    case vXRes: return g->Width;
    case vYRes: return g->Height;
    case vColors: return static_cast<int32_t>(g->Colors);
    case vAudio: return g->Channels;
    case vPlayers: return g->Players;
    case vControl: return g->Control;
    case vButtons: return g->Buttons;
    case vCoins: return g->Coins;
    case vTilt: return g->Tilt != 0;
    case vService: return g->Service != 0;
    case vConfigFound: return FileFound(fCfg, ".CFG");
    case vHiscoreFound: return FileFound(fHi, ".HI");
    case vNvramFound: return FileFound(fNvram, ".NV");
    case vInpFound: return FileFound(fInp, ".INP");
    case vRomFound: return hooks_.SetFound && hooks_.SetFound(g->Name.str(), 1);
    case vSampleFound: return hooks_.SetFound && hooks_.SetFound(g->Name.str(), 2);
    case vSaveStateFound: return FileFound(fSta, ".STA");
    case vFaqFound: return FileFound(fFaq, ".FAQ");
    default: return 0;
  }
}

int32_t Vocabulary::Operator(int32_t index, const TCompiledOperand& operand) {
  const GameRecord* g = Current;
  if (!g) return 0;
  if (operand.Text != operandText_) {
    operandText_ = operand.Text;
    operandUpper_ = plat::UpperCase(operandText_);
  }
  switch (index - kFirstOperator) {
    case oTitle: return ContainsNoCase(g->Description.str(), operandUpper_);
    case oManufacturer: return ContainsNoCase(g->Manufacturer.str(), operandUpper_);
    case oChip:
      if (g->Chips)
        for (const auto& c : *g->Chips)
          if (c && ContainsNoCase(c->Name.str(), operandUpper_)) return 1;
      return 0;
    case oBios: {
      // Every set the rom-of links lead to, each visited once.
      std::vector<const GameRecord*> seen{g};
      const GameRecord* at = g;
      while (!at->RomOf.empty() && hooks_.FindGame) {
        const GameRecord* next = hooks_.FindGame(at->RomOf.str());
        if (!next || std::find(seen.begin(), seen.end(), next) != seen.end()) break;
        if (next->Name.str() == operandUpper_) return 1;
        seen.push_back(next);
        at = next;
      }
      return 0;
    }
    default: return 0;
  }
}

std::unique_ptr<FilterDescriptor> BuildFilter(TEvaluator& evaluator, Vocabulary& vocabulary,
                                              const GameList& games, const std::string& name,
                                              std::string& error, const Progress& progress) {
  auto filter = types::NewFilterDescriptor();
  filter->Name = name;
  vocabulary.Attach(evaluator);
  const size_t total = games.size();
  for (size_t i = 0; i < total; ++i) {
    GameRecord* g = games[i].get();
    if (progress && (i & 255) == 0) progress(i, total);
    if (!g || g->Kind != KIND_GAME) continue;
    vocabulary.Current = g;
    bool truth = false;
    if (!evaluator.Evaluate(truth, error)) return nullptr;
    if (truth) {
      auto e = types::NewFilterEntryDescriptor();
      e->Game = g;
      filter->Entries->push_back(std::move(e));
    }
  }
  return filter;
}

}  // namespace formulafilter
