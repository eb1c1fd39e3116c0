#include "verify/Verify.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/Files.h"
#include "platform/SafeName.h"
#include "platform/Seams.h"
#include "verify/CRC32.h"
#include "verify/DirListing.h"
#include "verify/ZipMembers.h"

namespace verify {

namespace {

std::string Hex8(uint32_t v) {
  char b[9];
  std::snprintf(b, sizeof b, "%08X", v);
  return b;
}

uint64_t RomKey(uint32_t size, uint32_t crc) { return (uint64_t(size) << 32) | crc; }

bool HasSamples(const GameRecord& g) { return g.Samples && !g.Samples->empty(); }

const char* const kDeleteRomFailed =
    "The temporary directory could not be deleted!\r"
    "This means one or more rom files of this game could not be deleted.\r"
    "Please solve the problem then click ok.";
const char* const kDeleteResourceFailed =
    "The temporary directory could not be deleted!\r"
    "This means one or more rom files of this resource could not be deleted.\r"
    "Please solve the problem then click ok.";
const char* const kDeleteSampleFailed =
    "The temporary directory could not be deleted!\r"
    "This means one or more sample files of this game could not be deleted.\r"
    "Please solve the problem then click ok.";

}  // namespace

VerifyEngine::VerifyEngine(const VerifyCollection& collection, const VerifyOptions& options,
                           VerifyListener& listener, TTextStream& report)
    : c_(collection), o_(options), listener_(listener), report_(report) {
  TempDir = c_.EmulatorDir + "$VRTEMP$/";
}

VerifyEngine::~VerifyEngine() = default;

std::string VerifyEngine::SetTag(const std::string& name) {
  std::string s = "[" + name + "]";
  if (s.size() < 10) s.append(10 - s.size(), ' ');
  return s;
}

std::string VerifyEngine::Col12(const std::string& text) {
  std::string s = text;
  if (s.size() < 12) s.append(12 - s.size(), ' ');
  return s;
}

bool VerifyEngine::CheckAbort() {
  if (!Aborted && listener_.CheckAbort()) Aborted = true;
  return Aborted;
}

void VerifyEngine::UpdateCounters() { listener_.UpdateCounters(Counters); }

void VerifyEngine::Count(int32_t& counter, bool& faulty) {
  ++counter;
  if (!faulty) {
    ++Counters.FaultySetCount;
    faulty = true;
  }
  UpdateCounters();
}

void VerifyEngine::Heading(const char* text) {
  Line("");
  Line(text);
}

void VerifyEngine::EndPass() {
  listener_.PassName("");
  listener_.SetName("");
  listener_.Clones("0");
  CheckAbort();
}

// Everything a run looks up per set or per file is indexed once here.
void VerifyEngine::BuildIndexes() {
  clones_.clear();
  resourceRoms_.clear();
  if (c_.Games)
    for (const auto& g : *c_.Games)
      if (g && !g->CloneOf.empty()) clones_[g->CloneOf.str()].push_back(g.get());
  if (c_.Resources)
    for (const auto& r : *c_.Resources) {
      if (!r || !r->Roms) continue;
      for (const auto& rom : *r->Roms) {
        if (!rom) continue;
        auto& owners = resourceRoms_[RomKey(rom->Size, rom->Crc)];
        if (owners.empty() || owners.back() != r.get()) owners.push_back(r.get());
      }
    }
}

bool VerifyEngine::InResourceSet(const RomRecord& rom, const GameRecord* self) const {
  auto it = resourceRoms_.find(RomKey(rom.Size, rom.Crc));
  if (it == resourceRoms_.end()) return false;
  for (const GameRecord* owner : it->second)
    if (owner != self) return true;  // the set under test does not hold its own missing rom
  return false;
}

bool VerifyEngine::Run() {
  Aborted = false;
  PassCount = 0;
  BuildIndexes();
  const bool haveGames = c_.Games && !c_.Games->empty();
  if (o_.VerifyRoms) {
    ++PassCount;
    if (c_.Resources && !c_.Resources->empty() && !RomPass(true)) return false;
    if (haveGames && !RomPass(false)) return false;
  }
  if (o_.VerifySamples) {
    ++PassCount;
    if (haveGames && !SamplePass()) return false;
  }
  if (o_.VerifyImages) {
    ++PassCount;
    if (haveGames && !PicturesPass()) return false;
  }
  if (o_.ReportUnsupported) {
    ++PassCount;
    Heading("Unsupported rom/sample sets report:");
    ScanUnsupportedSets(0);
    if (CheckAbort()) return false;
    ScanUnsupportedSets(1);
    EndPass();
    if (Aborted) return false;
  }
  listener_.Progress(100, 100);
  listener_.PassName("Done in " + std::to_string(PassCount) + " passes.");
  listener_.SetName("");
  listener_.Clones("0");
  return !CheckAbort();
}

// --- the temporary folder ---

// The files of the set(s) unpacked so far, sorted by name: the same order whether they lie
// in the folder or were tested in memory.
void VerifyEngine::ListTemp() {
  temp_.clear();
  tempIndex_.clear();
  if (memory_) {
    temp_.reserve(members_.size());
    for (const auto& [name, t] : members_) temp_.push_back(t);
  } else {
    std::vector<DirEntry> entries;
    ListEntries(TempDir, entries, true);
    temp_.reserve(entries.size());
    for (auto& e : entries) {
      TempEntry t;
      t.name = std::move(e.name);
      t.regular = e.regular;
      t.size = e.size;
      temp_.push_back(std::move(t));
    }
    std::sort(temp_.begin(), temp_.end(),
              [](const TempEntry& a, const TempEntry& b) { return a.name < b.name; });
  }
  for (size_t i = 0; i < temp_.size(); ++i) tempIndex_.emplace(plat::UpperCase(temp_[i].name), i);
}

void VerifyEngine::StartGroup(const std::vector<const GameRecord*>& sets) {
  members_.clear();
  sources_.clear();
  memory_ = static_cast<bool>(c_.FindSet);
  for (const GameRecord* g : sets) {
    if (!memory_) break;
    sources_.push_back(c_.FindSet(g->Name, 1));
    const std::string& path = sources_.back();
    memory_ = path.empty() ||
              (!plat::DirExists(path) && plat::UpperCase(plat::ExtensionOf(path)) == ".ZIP");
  }
}

std::string VerifyEngine::UnpackRomSet(size_t index, const std::string& setName) {
  if (!memory_) return c_.UnpackSet ? c_.UnpackSet(setName, 1) : std::string();
  if (index >= sources_.size() || sources_[index].empty()) return {};
  const std::string error = TestZipMembers(
      sources_[index],
      [this](const std::string& name, uint64_t size, uint32_t crc) {
        TempEntry& t = members_[name];  // a later file of the same name replaces the earlier
        t = TempEntry{};
        t.name = name;
        t.regular = true;
        t.size = static_cast<int64_t>(size);
        t.haveCrc = true;
        t.crc = crc;
      },
      [this](const std::string& name) {
        // Its extraction writes nothing: an earlier file of the same name stays.
        TempEntry t;
        t.name = name;
        t.regular = true;
        t.damaged = true;
        members_.emplace(name, t);
      },
      [this] { listener_.LetMessagesThrough(); });
  // As the launch words it.
  return error.empty() ? error : "UNZIP error in " + sources_[index] + ": " + error;
}

const VerifyEngine::TempEntry* VerifyEngine::FindTemp(const std::string& name) const {
  auto it = tempIndex_.find(plat::UpperCase(name));
  if (it == tempIndex_.end() || !temp_[it->second].regular) return nullptr;
  return &temp_[it->second];
}

void VerifyEngine::DeleteTemp(const char* failureText) {
  if (c_.DeleteFolderTree && c_.DeleteFolderTree(c_.EmulatorDir + "$VRTEMP$")) return;
  ++deleteFailures_;
  if (deleteFailures_ == 1) {
    listener_.ShowMessage(failureText, plat::MB_OK | plat::MB_ICONERROR);
  } else if (askDeleteFailure_) {
    // The same failure on every remaining set would ask thousands of times.
    int r = listener_.ShowMessage(std::string(failureText) +
                                      "\r\rKeep asking when the next sets fail the same way?",
                                  plat::MB_YESNO | plat::MB_ICONERROR);
    if (r == plat::IDNO) askDeleteFailure_ = false;
  }
}

void VerifyEngine::UnusedScan(int pass, const std::string& name, bool skipReadme) {
  for (const TempEntry& e : temp_) {
    const std::string upper = plat::UpperCase(e.name);
    if (expected_.count(upper) || e.damaged) continue;
    if (skipReadme && upper == "README.TXT") continue;
    if (pass == 0)
      Line("[" + name + "] - " + e.name + " file is unused");
    else if (pass == 1)
      Line(SetTag(name) + " - " + Col12(e.name) + " file is unused");
    else
      Line(SetTag(name) + " - " + Col12(e.name) + " sample file is unused");
  }
}

// --- rom sets ---

bool VerifyEngine::RomPass(bool resources) {
  const GameList& list = resources ? *c_.Resources : *c_.Games;
  Heading(resources ? "Resource set verification report:" : "Rom set verification report:");
  const std::string what = resources ? ": Verify resources - " : ": Verify roms - ";
  const int32_t max = static_cast<int32_t>(list.size()) - 1;
  listener_.Progress(0, max);
  for (size_t i = 0; i < list.size(); ++i) {
    const GameRecord* g = list[i].get();
    Pass(what + "searching master set...");
    listener_.Clones("0");
    listener_.SetName("");
    if (CheckAbort()) return false;
    if (g && g->CloneOf.empty()) {
      listener_.SetName("[" + g->Name.str() + "]");
      listener_.Clones("0");
      int cloneCount = 0;
      ExpectedFiles.clear();
      expected_.clear();
      std::vector<const GameRecord*> group{g};
      const auto clones = !resources && o_.RomClones ? clones_.find(g->Name.str()) : clones_.end();
      if (clones != clones_.end())
        group.insert(group.end(), clones->second.begin(), clones->second.end());
      StartGroup(group);
      Pass(what + "extracting master romset...");
      if (CheckAbort()) return false;
      unpackError_ = UnpackRomSet(0, g->Name);
      ListTemp();
      TestSetFiles(0, g, nullptr);
      if (!resources && o_.RomClones) {
        Pass(what + "searching clones...");
        if (CheckAbort()) return false;
        if (clones != clones_.end())
          for (const GameRecord* c : clones->second) {
            ++cloneCount;
            Pass(what + "extracting clone romset...");
            listener_.Clones(std::to_string(cloneCount));
            if (CheckAbort()) return false;
            unpackError_ = UnpackRomSet(static_cast<size_t>(cloneCount), c->Name);
            ListTemp();
            TestSetFiles(0, c, nullptr);
            Pass(what + "searching clones...");
            if (CheckAbort()) return false;
          }
      }
      if (o_.ReportUnused && !ExpectedFiles.empty()) UnusedScan(resources ? 0 : 1, g->Name, false);
    }
    listener_.Progress(static_cast<int32_t>(i) + 1, max);
    Pass(what + "deleting temporary directory...");
    if (CheckAbort()) return false;
    DeleteTemp(resources ? kDeleteResourceFailed : kDeleteRomFailed);
    members_.clear();
    memory_ = false;
  }
  EndPass();
  return !Aborted;
}

void VerifyEngine::TestSetFiles(int mode, const GameRecord* set, const SampleListEntry* samples) {
  bool faulty = false;
  if (mode == 0) {
    if (!set) return;
    const std::string tag = SetTag(set->Name);
    if (!unpackError_.empty()) {
      // An archive that cannot be read (or not wholly) makes the set faulty, never skipped.
      // One line per error; a line break inside a message becomes a blank.
      size_t at = 0;
      while (at < unpackError_.size()) {
        size_t end = unpackError_.find("\r\n", at);
        if (end == std::string::npos) end = unpackError_.size();
        std::string text = unpackError_.substr(at, end - at);
        std::replace_if(text.begin(), text.end(), [](char ch) { return ch == '\r' || ch == '\n'; }, ' ');
        if (!text.empty()) Line(tag + " - " + text);
        at = end + 2;
      }
      faulty = true;
      ++Counters.FaultySetCount;
    } else if (o_.SkipNotPresent) {
      bool any = false;
      for (const TempEntry& e : temp_) any = any || e.regular;
      if (!any) {
        ++Counters.SkippedCount;
        UpdateCounters();
        return;
      }
    }
    const RomList* roms = set->Roms.get();
    if (roms)
      for (const auto& r : *roms)
        if (r && !(r->Merge == r->Name)) {
          ExpectedFiles.push_back(r->Name);
          expected_.insert(plat::UpperCase(r->Name.str()));
        }
    if (!roms || roms->empty()) {
      UpdateCounters();
      return;
    }
    Pass(": Verify roms - Testing files...");
    listener_.LetMessagesThrough();
    // Checksums of the folder's files, computed at most once each.
    std::unordered_map<size_t, std::pair<bool, uint32_t>> crcs;
    auto crcOf = [&](size_t slot, uint32_t& crc) {
      if (temp_[slot].haveCrc) {
        crc = temp_[slot].crc;
        return true;
      }
      auto it = crcs.find(slot);
      if (it == crcs.end()) {
        uint32_t v = 0;
        bool ok = FileCRC32(TempDir + temp_[slot].name, v);
        it = crcs.emplace(slot, std::make_pair(ok, v)).first;
      }
      crc = it->second.second;
      return it->second.first;
    };
    // The misspelled-file search: each size checksummed once, then found by size and checksum
    // (the first file in listing order, as a walk over the folder would find it).
    std::unordered_map<uint64_t, size_t> bySum;
    std::unordered_set<uint32_t> summedSizes;
    auto findBySum = [&](uint32_t size, uint32_t crc) -> const TempEntry* {
      if (summedSizes.insert(size).second)
        for (size_t slot = 0; slot < temp_.size(); ++slot) {
          uint32_t c = 0;
          if (temp_[slot].regular && temp_[slot].size == static_cast<int64_t>(size) &&
              crcOf(slot, c))
            bySum.emplace(RomKey(size, c), slot);
        }
      auto it = bySum.find(RomKey(size, crc));
      return it == bySum.end() ? nullptr : &temp_[it->second];
    };
    for (const auto& rp : *roms) {
      if (!rp || !rp->Merge.empty()) continue;
      const RomRecord& r = *rp;
      const std::string name = Col12(r.Name);
      if (!plat::IsPlainName(r.Name.str())) {
        // Never joined to the folder: "../MAME.CFG" would be written outside it.
        Line(tag + " - " + name + " has a name that cannot be a file name");
        Count(Counters.CorruptRomCount, faulty);
        continue;
      }
      const TempEntry* file = FindTemp(r.Name);
      if (!file && r.Crc != 0) {
        // A file of the set with the same checksum under its own name stands in.
        for (const auto& q : *roms) {
          if (!q || q->Crc != r.Crc) continue;
          const TempEntry* src = FindTemp(q->Name);
          if (!src) continue;
          std::error_code ec;
          if (memory_) {
            TempEntry copy = *src;
            copy.name = r.Name;
            members_[copy.name] = copy;
          } else {
            const std::string target = *plat::NameInFolder(TempDir, r.Name.str());
            std::filesystem::copy_file(TempDir + src->name, target,
                                       std::filesystem::copy_options::overwrite_existing, ec);
          }
          if (!ec) {
            TempEntry t = *src;
            t.name = r.Name;
            tempIndex_[plat::UpperCase(t.name)] = temp_.size();
            temp_.push_back(std::move(t));
            file = &temp_.back();
          }
          break;
        }
      }
      if (file) {
        const size_t slot = tempIndex_[plat::UpperCase(file->name)];
        uint32_t crc = 0;
        if (file->size < 0 || file->damaged) {
          Line(tag + " - " + name + " could not be read");
          Count(Counters.CorruptRomCount, faulty);
        } else if (file->size != static_cast<int64_t>(r.Size)) {
          Line(tag + " - " + name + " has wrong size: " + std::to_string(file->size) +
               " bytes instead of " + std::to_string(r.Size) + " bytes");
          Count(Counters.CorruptRomCount, faulty);
        } else if (r.Crc != 0) {
          if (!crcOf(slot, crc)) {
            Line(tag + " - " + name + " could not be read");
            Count(Counters.CorruptRomCount, faulty);
          } else if (crc == r.Crc) {
          } else if (crc == (r.Crc ^ 0xFFFFFFFFu)) {
            if (o_.ReportRedumps) {
              Line(tag + " - " + name + " needs redump: this is the best available");
              Count(Counters.CorruptRomCount, faulty);
            }
          } else {
            Line(tag + " - " + name + " has wrong CRC: $" + Hex8(crc) + " instead of $" +
                 Hex8(r.Crc));
            Count(Counters.CorruptRomCount, faulty);
          }
        } else if (o_.NoGoodDump == 2 || o_.NoGoodDump == 3) {
          Line(tag + " - " + name + " rom has wrong CRC (no good dump known)");
          Count(Counters.NoGoodDumpCount, faulty);
        }
        continue;
      }
      if (InResourceSet(r, set)) continue;
      if (r.Crc == 0) {
        if (o_.NoGoodDump == 1 || o_.NoGoodDump == 3) {
          Line(tag + " - " + name + " rom not found (no good dump known)");
          Count(Counters.NoGoodDumpCount, faulty);
        }
        continue;
      }
      if (const TempEntry* e = findBySum(r.Size, r.Crc)) {
        Line(tag + " - " + name + " rom has incorrect file name (" + e->name + ")");
        Count(Counters.MissSpelledCount, faulty);
      } else {
        Line(tag + " - " + name + " rom not found");
        Count(Counters.MissingRomCount, faulty);
      }
    }
  } else if (samples) {
    Pass(": Verify samples - Testing files...");
    listener_.LetMessagesThrough();
    const std::string tag = SetTag(samples->Name);
    for (const std::string& s : ExpectedFiles)
      if (!plat::IsPlainName(s)) {
        Line(tag + " - " + Col12(s) + " sample has a name that cannot be a file name");
        Count(Counters.MissingSampleCount, faulty);
      } else if (!FindTemp(s)) {
        Line(tag + " - " + Col12(s) + " sample not found");
        Count(Counters.MissingSampleCount, faulty);
      }
  }
  UpdateCounters();
}

// --- sample sets ---

bool VerifyEngine::FindSampleSet(const std::string& name, SampleListEntry*& entry) {
  auto it = sampleIndex_.find(plat::UpperCase(name));
  if (it == sampleIndex_.end()) return false;
  entry = SampleSets[it->second].get();
  return true;
}

void VerifyEngine::PrescanSampleSets(const GameList* list) {
  if (!list) return;
  const int32_t max = static_cast<int32_t>(list->size()) - 1;
  listener_.Progress(0, max);
  for (size_t i = 0; i < list->size(); ++i) {
    listener_.Progress(static_cast<int32_t>(i), max);
    if (CheckAbort()) return;
    const GameRecord* r = (*list)[i].get();
    if (!r || !HasSamples(*r)) continue;
    const std::string name = r->SampleOf.empty() ? r->Name.str() : r->SampleOf.str();
    SampleListEntry* e = nullptr;
    if (!FindSampleSet(name, e)) {
      auto n = types::NewSampleListEntry();
      n->Name = name;
      if (!n->Members) n->Members = std::make_unique<StringList>();
      e = n.get();
      sampleIndex_.emplace(plat::UpperCase(name), SampleSets.size());
      SampleSets.push_back(std::move(n));
    }
    auto& held = sampleMembers_[plat::UpperCase(name)];
    for (const std::string& s : *r->Samples) {
      std::string u = plat::UpperCase(s);
      if (held.insert(u).second) e->Members->push_back(std::move(u));
    }
  }
}

bool IsQualityReadme(const std::string& contents) {
  std::string text;
  text.reserve(contents.size());
  for (unsigned char ch : contents)
    if (ch >= 32 && ch <= 126) text += static_cast<char>(ch);
  return text.find("www.zeffa.com") != std::string::npos ||
         text.find("zeffa@zeffa.com") != std::string::npos;
}

bool VerifyEngine::IsQualitySampleSet() {
  auto it = tempIndex_.find("README.TXT");
  if (it == tempIndex_.end() || !temp_[it->second].regular) return false;
  std::string contents;
  // The mark is near the top of a read-me: its first MB is enough.
  if (!plat::ReadRegularFileHead(TempDir + temp_[it->second].name, contents, 1u << 20))
    return false;
  return IsQualityReadme(contents);
}

bool VerifyEngine::SamplePass() {
  Heading("Sample set verification report:");
  SampleSets.clear();
  sampleIndex_.clear();
  sampleMembers_.clear();
  listener_.Clones("0");
  listener_.SetName("");
  Pass(": Verify samples - database prescan");
  PrescanSampleSets(c_.Games);
  if (!Aborted) PrescanSampleSets(c_.Resources);
  if (Aborted) return false;
  const int32_t max = static_cast<int32_t>(SampleSets.size()) - 1;
  listener_.Progress(0, max);
  listener_.Clones("0");
  listener_.SetName("");
  for (size_t i = 0; i < SampleSets.size(); ++i) {
    const SampleListEntry& e = *SampleSets[i];
    if (e.Members && !e.Members->empty()) {
      listener_.SetName("[" + e.Name + "]");
      Pass(": Verify samples - extracting sample set...");
      if (CheckAbort()) return false;
      ExpectedFiles = *e.Members;
      expected_.clear();
      for (const std::string& s : ExpectedFiles) expected_.insert(s);
      if (c_.UnpackSet) c_.UnpackSet(e.Name, 2);
      ListTemp();
      const bool quality = IsQualitySampleSet();
      if (o_.VerifySampleQuality && !quality)
        Line(SetTag(e.Name) + " - sample set is not \"Zeffa's high quality\" certified");
      TestSetFiles(1, nullptr, &e);
      if (!ExpectedFiles.empty()) UnusedScan(2, e.Name, quality);
      Pass(": Verify samples - deleting temporary directory...");
      if (CheckAbort()) return false;
      DeleteTemp(kDeleteSampleFailed);
    }
    listener_.Progress(static_cast<int32_t>(i) + 1, max);
    if (CheckAbort()) return false;
  }
  while (!SampleSets.empty()) SampleSets.pop_back();
  sampleIndex_.clear();
  sampleMembers_.clear();
  EndPass();
  return !Aborted;
}

// --- pictures ---

void VerifyEngine::CheckSetImages(const std::string& setName, size_t folderIndex) {
  if (folderIndex >= pictures_.size()) return;
  if (pictures_[folderIndex].count(plat::UpperCase(setName))) return;
  Line(SetTag(setName) + " - " + c_.PictureFolders[folderIndex].second + " image not found");
  ++Counters.MissingImageCount;
  UpdateCounters();
}

bool VerifyEngine::PicturesPass() {
  Heading("Pictures verification report:");
  // Each folder is listed once: the names that have a picture file of a shown kind.
  pictures_.assign(c_.PictureFolders.size(), {});
  for (size_t f = 0; f < c_.PictureFolders.size(); ++f) {
    std::string dir = plat::ToNativeSeparators(c_.PictureFolders[f].first);
    if (!dir.empty() && dir[0] != '/') dir = c_.EmulatorDir + dir;
    std::vector<DirEntry> entries;
    ListEntries(plat::WithSlash(dir), entries);
    for (const DirEntry& e : entries) {
      if (!e.regular) continue;
      const std::string ext = plat::UpperCase(plat::ExtensionOf(e.name));
      if (ext == ".WMF" || ext == ".BMP" || ext == ".GIF" || ext == ".JPG" || ext == ".PNG")
        pictures_[f].insert(plat::UpperCase(e.name.substr(0, e.name.size() - ext.size())));
    }
  }
  // The report lists the sets by name.
  std::vector<std::pair<std::string, const GameRecord*>> byName;
  byName.reserve(c_.Games->size());
  for (const auto& g : *c_.Games)
    byName.emplace_back(g ? plat::UpperCase(g->Name.str()) : std::string(), g.get());
  std::stable_sort(byName.begin(), byName.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<const GameRecord*> games;
  games.reserve(byName.size());
  for (const auto& [name, g] : byName) games.push_back(g);
  const int32_t max = static_cast<int32_t>(games.size()) - 1;
  auto checked = [&](const GameRecord* g) {
    return g && (o_.ScreenshotDetail || g->CloneOf.empty());
  };
  if (o_.SeparatePhotoLists) {
    for (size_t f = 0; f < c_.PictureFolders.size(); ++f) {
      listener_.Progress(0, max);
      Pass(": Verify pictures - " + c_.PictureFolders[f].first + "...");
      listener_.Clones("0");
      for (size_t i = 0; i < games.size(); ++i) {
        const GameRecord* g = games[i];
        listener_.SetName("[" + (g ? g->Name.str() : std::string()) + "]");
        if (CheckAbort()) return false;
        if (checked(g)) CheckSetImages(g->Name, f);
        listener_.Progress(static_cast<int32_t>(i) + 1, max);
        if (CheckAbort()) return false;
      }
    }
  } else {
    listener_.Progress(0, max);
    Pass(": Verify pictures - processing folder(s)...");
    listener_.Clones("0");
    for (size_t i = 0; i < games.size(); ++i) {
      const GameRecord* g = games[i];
      listener_.SetName("[" + (g ? g->Name.str() : std::string()) + "]");
      if (CheckAbort()) return false;
      if (checked(g))
        for (size_t f = 0; f < c_.PictureFolders.size(); ++f) CheckSetImages(g->Name, f);
      listener_.Progress(static_cast<int32_t>(i) + 1, max);
      if (CheckAbort()) return false;
    }
  }
  EndPass();
  return !Aborted;
}

}  // namespace verify
