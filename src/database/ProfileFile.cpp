#include "database/ProfileFile.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "database/Listinfo.h"
#include "platform/LittleEndian.h"

namespace profile {

namespace {

inline void Put8(std::string& b, uint8_t v) { b.push_back(static_cast<char>(v)); }

// A length-prefixed string; a longer text keeps its first 255 bytes.
inline void PutSS(std::string& b, std::string_view s) {
  const size_t n = std::min<size_t>(s.size(), 255);
  b.push_back(static_cast<char>(n));
  b.append(s.data(), n);
}

// Guesses the body size so that it is built without repeated growing.
size_t EstimateBody(const GameList* list) {
  size_t n = 0;
  if (!list) return n;
  for (const auto& g : *list) {
    if (!g) continue;
    n += 160 + g->Description.size() + g->Manufacturer.size() + g->Roms->size() * 48 +
         g->Chips->size() * 24 + g->Samples->size() * 12;
    for (const auto& d : *g->DipSwitches)
      if (d) n += 32 + d->Entries->size() * 16;
  }
  return n;
}

void WriteList(std::string& body, const GameList* list, uint8_t marker,
               const ProgressHooks* hooks) {
  if (!list) return;
  const int64_t last = static_cast<int64_t>(list->size()) - 1;
  int32_t shown = -1;
  for (size_t i = 0; i < list->size(); ++i) {
    if (hooks && hooks->progress) {
      const int32_t p = listinfo::Percentage(static_cast<int64_t>(i), last);
      if (p != shown) hooks->progress(shown = p);
    }
    const GameRecord* g = (*list)[i].get();
    if (!g) continue;
    Put8(body, marker);
    WriteGameRecord(body, *g);
  }
}

// Inflates a whole zlib stream of exactly `length` bytes; false for anything else.
bool Inflate(std::string_view in, uint32_t length, std::string& out) {
  if (in.size() > std::numeric_limits<uInt>::max() || length > MaxProfileBody) return false;
  if (length > static_cast<uint64_t>(in.size()) * MaxInflateRatio + 64) return false;
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return false;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  zs.avail_in = static_cast<uInt>(in.size());
  // Grow toward the stated length as data arrives rather than trusting it up front;
  // one spare byte catches a stream longer than stated.
  const size_t limit = static_cast<size_t>(length) + 1;
  size_t cap = std::min(limit, std::max<size_t>(in.size() * 4, size_t{1} << 20));
  bool ok = false;
  try {
    out.resize(cap);
    for (;;) {
      zs.next_out = reinterpret_cast<Bytef*>(out.data()) + zs.total_out;
      zs.avail_out = static_cast<uInt>(std::min<size_t>(out.size() - zs.total_out,
                                                         std::numeric_limits<uInt>::max()));
      const int ret = inflate(&zs, Z_NO_FLUSH);
      if (ret == Z_STREAM_END) {
        ok = zs.total_out == length;
        break;
      }
      if (ret != Z_OK && ret != Z_BUF_ERROR) break;
      if (zs.total_out >= out.size()) {
        if (out.size() >= limit) break;  // longer than stated
        out.resize(std::min(limit, out.size() * 2));
        continue;
      }
      if (zs.avail_in == 0 || ret == Z_BUF_ERROR) break;  // the stream stops before its end
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  inflateEnd(&zs);
  if (!ok) {
    std::string().swap(out);
    return false;
  }
  out.resize(length);
  return true;
}

}  // namespace

void WriteGameRecord(std::string& body, const GameRecord& g) {
  plat::Put16LE(body, g.Index);
  PutSS(body, g.Name);
  PutSS(body, g.Description);
  plat::Put16LE(body, g.Year);
  PutSS(body, g.Manufacturer);
  PutSS(body, g.CloneOf);
  PutSS(body, g.RomOf);
  PutSS(body, g.SampleOf);
  Put8(body, g.Screen);
  Put8(body, g.Orientation);
  plat::Put16LE(body, g.Width);
  plat::Put16LE(body, g.Height);
  plat::Put32LE(body, g.Colors);
  PutSS(body, g.Freq);
  const uint8_t bytes[11] = {g.Channels, g.Players, g.Control, g.Buttons, g.Coins, g.Tilt,
                             g.Service, g.Status, g.Color, g.Sound, g.ColorDeep};
  body.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
  if (g.Roms)
    for (const auto& r : *g.Roms) {
      if (!r) continue;
      Put8(body, ROM_TAG);
      PutSS(body, r->Name);
      PutSS(body, r->Merge);
      PutSS(body, r->Region);
      plat::Put32LE(body, r->Flags);
      plat::Put32LE(body, r->Offs);
      plat::Put32LE(body, r->Size);
      plat::Put32LE(body, r->Crc);
    }
  if (g.Chips)
    for (const auto& c : *g.Chips) {
      if (!c) continue;
      Put8(body, CHIP_TAG);
      Put8(body, c->ChipType);
      Put8(body, c->Flags);
      PutSS(body, c->Name);
      PutSS(body, c->Clock);
    }
  if (g.Samples)
    for (const auto& s : *g.Samples) {
      Put8(body, SAMPLE_TAG);
      PutSS(body, s);
    }
  if (g.DipSwitches)
    for (const auto& d : *g.DipSwitches) {
      if (!d) continue;
      Put8(body, DIPSWITCH_TAG);
      PutSS(body, d->Name);
      PutSS(body, d->Default);
      // The count is one byte: never more entries than it can say.
      const size_t count = d->Entries ? std::min<size_t>(d->Entries->size(), 255) : 0;
      Put8(body, static_cast<uint8_t>(count));
      for (size_t i = 0; i < count; ++i) PutSS(body, (*d->Entries)[i]);
    }
}

std::string BuildBody(std::string_view emulatorDir, std::string_view emulatorExe,
                      std::string_view emulatorVersion, const GameList* games,
                      const GameList* resources, const ProgressHooks& hooks) {
  std::string body;
  body.reserve(1024 + EstimateBody(games) + EstimateBody(resources));
  PutSS(body, emulatorDir);
  PutSS(body, emulatorExe);
  PutSS(body, emulatorVersion);
  WriteList(body, games, GAME_TAG, &hooks);
  WriteList(body, resources, RESOURCE_TAG, nullptr);
  return body;
}

bool BuildFile(std::string_view body, bool compressed, std::string& file,
               const ProgressHooks& hooks) {
  if (body.size() > std::numeric_limits<uint32_t>::max()) return false;
  file.clear();
  file.append(ProfileHeader);
  Put8(file, compressed ? COMPRESSED : STORED);
  plat::Put32LE(file, static_cast<uint32_t>(body.size()));
  if (!compressed) {
    file.append(body);
    return true;
  }
  z_stream zs{};
  if (deflateInit(&zs, CompressionLevel) != Z_OK) return false;
  const size_t start = file.size();
  bool ok = false;
  try {
    // The output grows as it comes, up to the bound of the whole body: memory follows the
    // compressed size, not the body's.
    const size_t bound = deflateBound(&zs, static_cast<uLong>(body.size()));
    auto grow = [&] {
      const size_t used = start + zs.total_out;
      const size_t cap = std::min(start + bound, std::max(file.size() * 2, start + (1u << 20)));
      if (cap <= used) return false;
      file.resize(cap);
      zs.next_out = reinterpret_cast<Bytef*>(file.data() + used);
      zs.avail_out =
          static_cast<uInt>(std::min<size_t>(cap - used, std::numeric_limits<uInt>::max()));
      return true;
    };
    size_t fed = 0;
    for (;;) {
      const size_t n = std::min(CompressionSlice, body.size() - fed);
      zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data() + fed));
      zs.avail_in = static_cast<uInt>(n);
      fed += n;
      const bool last = fed == body.size();
      int ret = Z_OK;
      for (;;) {
        if (zs.avail_out == 0 && !grow()) break;
        ret = deflate(&zs, last ? Z_FINISH : Z_NO_FLUSH);
        if (ret == Z_STREAM_END || ret == Z_STREAM_ERROR) break;
        // A slice is taken whole with room left; no progress with room left is the end.
        if (zs.avail_out != 0 && (ret == Z_BUF_ERROR || (zs.avail_in == 0 && !last))) break;
      }
      if (last) {
        ok = ret == Z_STREAM_END;
        break;
      }
      if (ret == Z_STREAM_ERROR || zs.avail_in != 0) break;
      if (hooks.idle) hooks.idle();
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (ok) file.resize(start + zs.total_out);
  deflateEnd(&zs);
  return ok;
}

bool BuildFile(std::string&& body, bool compressed, std::string& file,
               const ProgressHooks& hooks) {
  if (compressed || body.size() > std::numeric_limits<uint32_t>::max()) {
    const bool ok = BuildFile(std::string_view(body), compressed, file, hooks);
    std::string().swap(body);
    return ok;
  }
  std::string head(ProfileHeader);
  Put8(head, STORED);
  plat::Put32LE(head, static_cast<uint32_t>(body.size()));
  body.insert(0, head);
  file = std::move(body);
  return true;
}

void TProfileReader::ReadShortString(std::string& dest, size_t maxLength, size_t fixedLength) {
  std::string_view s;
  if (fixedLength == 0) {
    if (!Take(s)) return;
  } else {
    if (eod_ || pos_ >= data_.size()) {
      eod_ = true;
      return;
    }
    const size_t have = std::min(fixedLength, data_.size() - pos_);
    s = data_.substr(pos_, have);
    pos_ += have;
    if (have < fixedLength) eod_ = true;
  }
  dest.assign(s.substr(0, maxLength));
}

namespace {

// Sub-records of the entry being read, gathered first so that each list of the entry is made
// at its final size in one step (kept from entry to entry).
struct EntryScratch {
  RomList roms;
  ChipList chips;
  DipSwitchList dips;
  StringList samples;
};

template <class L>
void MoveInto(L& from, L& to) {
  to.reserve(to.size() + from.size());
  for (auto& x : from) to.push_back(std::move(x));
  from.clear();
}

// The entry being read, for the bounds: its records are counted as they are read.
struct EntryCount {
  catalogue::Counter& counter;
  std::string_view keyword;
};

LoadStatus ReadEntryFields(TProfileReader& r, GameRecord& g, uint8_t& marker, EntryScratch& x,
                           EntryCount& n);

// Reads one entry's fields and sub-records; `marker` receives the marker that ended it
// (0 at the end of the body).
LoadStatus ReadEntry(TProfileReader& r, GameRecord& g, uint8_t& marker, EntryScratch& x,
                     EntryCount& n) {
  const LoadStatus s = ReadEntryFields(r, g, marker, x, n);
  MoveInto(x.roms, *g.Roms);
  MoveInto(x.chips, *g.Chips);
  MoveInto(x.dips, *g.DipSwitches);
  MoveInto(x.samples, *g.Samples);
  return s;
}

LoadStatus ReadEntryFields(TProfileReader& r, GameRecord& g, uint8_t& marker, EntryScratch& x,
                           EntryCount& n) {
  using catalogue::Kind;
  auto count = [&](Kind kind, size_t inEntry) {
    return n.counter.Add(kind, inEntry, n.keyword, g.Name);
  };
  r.ReadWord(g.Index);
  r.ReadShortString(g.Name);
  r.ReadShortString(g.Description);
  r.ReadWord(g.Year);
  r.ReadShortString(g.Manufacturer);
  r.ReadShortString(g.CloneOf);
  r.ReadShortString(g.RomOf);
  r.ReadShortString(g.SampleOf);
  r.ReadByte(g.Screen);
  r.ReadByte(g.Orientation);
  r.ReadWord(g.Width);
  r.ReadWord(g.Height);
  r.ReadDWord(g.Colors);
  r.ReadShortString(g.Freq);
  for (uint8_t* f : {&g.Channels, &g.Players, &g.Control, &g.Buttons, &g.Coins, &g.Tilt,
                     &g.Service, &g.Status, &g.Color, &g.Sound, &g.ColorDeep})
    r.ReadByte(*f);
  if (r.Eod()) return LoadStatus::Truncated;
  marker = 0;
  while (!r.AtEnd()) {
    uint8_t m = 0;
    r.ReadByte(m);
    switch (m) {
      case ROM_TAG: {
        if (!count(Kind::Rom, x.roms.size())) return LoadStatus::TooLarge;
        auto rom = types::NewRomRecord();
        r.ReadShortString(rom->Name);
        r.ReadShortString(rom->Merge);
        r.ReadShortString(rom->Region);
        r.ReadDWord(rom->Flags);
        r.ReadDWord(rom->Offs);
        r.ReadDWord(rom->Size);
        r.ReadDWord(rom->Crc);
        x.roms.push_back(std::move(rom));
        break;
      }
      case CHIP_TAG: {
        if (!count(Kind::Chip, x.chips.size())) return LoadStatus::TooLarge;
        auto chip = types::NewChipRecord();
        r.ReadByte(chip->ChipType);
        r.ReadByte(chip->Flags);
        r.ReadShortString(chip->Name);
        r.ReadShortString(chip->Clock);
        x.chips.push_back(std::move(chip));
        break;
      }
      case SAMPLE_TAG: {
        if (!count(Kind::Sample, x.samples.size())) return LoadStatus::TooLarge;
        std::string s;
        r.ReadShortString(s, 255);
        x.samples.push_back(std::move(s));
        break;
      }
      case DIPSWITCH_TAG: {
        if (!count(Kind::DipSwitch, x.dips.size())) return LoadStatus::TooLarge;
        auto dip = types::NewDipSwitchRecord();
        r.ReadShortString(dip->Name);
        r.ReadShortString(dip->Default);
        uint8_t settings = 0;
        r.ReadByte(settings);
        dip->Entries->reserve(settings);
        for (unsigned i = 0; i < settings && !r.Eod(); ++i) {
          if (!count(Kind::DipSetting, 0)) return LoadStatus::TooLarge;
          std::string s;
          r.ReadShortString(s, 255);
          dip->Entries->push_back(std::move(s));
        }
        x.dips.push_back(std::move(dip));
        break;
      }
      case GAME_TAG:
      case RESOURCE_TAG:
        marker = m;
        return LoadStatus::Ok;
      default:
        return LoadStatus::InvalidHeaderTag;
    }
    if (r.Eod()) return LoadStatus::Truncated;
  }
  return LoadStatus::Ok;
}

}  // namespace

LoadStatus DecodeProfileBody(std::string_view body, ProfileContent& out,
                             const ProgressHooks& hooks, const catalogue::Limits& limits,
                             bool keep) {
  if (hooks.step) hooks.step(keep ? "Reading profile..." : "Checking profile...", true);
  TProfileReader r(body);
  r.ReadShortString(out.EmulatorDir, 255);
  r.ReadShortString(out.EmulatorExe, 255);
  r.ReadShortString(out.EmulatorVersion, 255);
  if (r.Eod()) return LoadStatus::Truncated;
  if (r.AtEnd()) return LoadStatus::NoEntries;
  uint8_t marker = 0;
  r.ReadByte(marker);
  if (marker != GAME_TAG && marker != RESOURCE_TAG) return LoadStatus::InvalidHeaderTag;
  const int64_t size = static_cast<int64_t>(body.size());
  int32_t shown = -1;
  EntryScratch scratch;
  catalogue::Counter counter(limits);
  std::unique_ptr<GameRecord> g;
  while (marker != 0) {
    if (hooks.progress) {
      const int32_t p = listinfo::Percentage(static_cast<int64_t>(r.Position()), size);
      if (p != shown) hooks.progress(shown = p);
    }
    const bool game = marker == GAME_TAG;
    EntryCount n{counter, types::EntryKeywords[game ? 0 : 1]};
    if (!counter.Add(game ? catalogue::Kind::Game : catalogue::Kind::Resource)) {
      out.Refusal = counter.Refusal();
      return LoadStatus::TooLarge;
    }
    g = types::NewGameRecord();
    g->Kind = game ? KIND_GAME : KIND_RESOURCE;
    const LoadStatus s = ReadEntry(r, *g, marker, scratch, n);
    if (s == LoadStatus::TooLarge) out.Refusal = counter.Refusal();
    if (s != LoadStatus::Ok) return s;
    if (keep) (game ? *out.Games : *out.Resources).push_back(std::move(g));
    else g.reset();
  }
  return LoadStatus::Ok;
}

LoadStatus ReadProfileBody(std::string_view file, std::string& storage, std::string_view& body,
                           const ProgressHooks& hooks) {
  TProfileReader r(file);
  std::string header;
  r.ReadShortString(header, ProfileHeader.size(), ProfileHeader.size());
  if (header != ProfileHeader) return LoadStatus::InvalidFileType;
  uint8_t kind = 0;
  uint32_t length = 0;
  r.ReadByte(kind);
  r.ReadDWord(length);
  if (r.Eod()) return LoadStatus::Truncated;
  if (kind == STORED) {
    if (r.Rest().size() < length) return LoadStatus::Truncated;
    body = r.Rest().substr(0, length);
    return LoadStatus::Ok;
  }
  if (kind != COMPRESSED) return LoadStatus::UnknownCompression;
  if (hooks.step) hooks.step("Uncompressing profile...", false);
  if (!Inflate(r.Rest(), length, storage)) return LoadStatus::UncompressFailed;
  body = storage;
  return LoadStatus::Ok;
}

LoadStatus DecodeProfile(std::string_view file, ProfileContent& out, const ProgressHooks& hooks,
                         const catalogue::Limits& limits) {
  std::string storage;
  std::string_view body;
  const LoadStatus s = ReadProfileBody(file, storage, body, hooks);
  if (s != LoadStatus::Ok) return s;
  return DecodeProfileBody(body, out, hooks, limits);
}

std::string LoadFailureMessage(LoadStatus status, const std::string& fileName,
                               const std::string& refusal) {
  switch (status) {
    case LoadStatus::Ok: return {};
    case LoadStatus::InvalidFileType: return fileName + ": invalid file type";
    case LoadStatus::UnknownCompression: return fileName + ": unknown compression type";
    case LoadStatus::UncompressFailed:
      return "Cannot read the profile " + fileName +
             ": it is damaged.\r\rPlease rescan the profile.";
    case LoadStatus::InvalidHeaderTag: return fileName + ": invalid header tag";
    case LoadStatus::NoEntries: return fileName + ": the profile holds no games.";
    case LoadStatus::TooLarge:
      return "Cannot read the profile " + fileName + ": it holds " + refusal +
             ", more than Velmora keeps of a catalogue.\r\rPlease rescan the profile.";
    case LoadStatus::Truncated:
      return "Could not uncompress the source stream.\rMost likely you are trying to load an old "
             "profile\ror the profile you want to load is damaged.\r\rPlease rescan the profile.";
  }
  return {};
}

}  // namespace profile
