#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "database/GameCompare.h"
#include "database/Listinfo.h"
#include "database/ProfileFile.h"

using profile::LoadStatus;
using profile::ProfileContent;

namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s.push_back(static_cast<char>(c));
  return s;
}

// One game with one sub-record of each kind, and one bare resource.
ProfileContent SmallDatabase() {
  ProfileContent c;
  c.EmulatorDir = "/e/";
  c.EmulatorExe = "m";
  c.EmulatorVersion = "v";
  auto g = types::NewGameRecord();
  g->Index = 1;
  g->Kind = KIND_GAME;
  g->Name = "AB";
  g->Description = "D";
  g->Year = 1981;
  g->Manufacturer = "M";
  g->SampleOf = "S";
  g->Screen = 1;
  g->Orientation = 0;
  g->Width = 256;
  g->Height = 224;
  g->Colors = 0x12345678;
  g->Freq = "60";
  g->Channels = 1;
  g->Players = 2;
  g->Control = 3;
  g->Buttons = 4;
  g->Coins = 5;
  g->Tilt = 1;
  g->Service = 0;
  g->Status = 3;
  g->Color = 2;
  g->Sound = 1;
  g->ColorDeep = 1;
  auto rom = types::NewRomRecord();
  rom->Name = "R";
  rom->Region = "C";
  rom->Flags = 0x10;
  rom->Offs = 0x8000;
  rom->Size = 1024;
  rom->Crc = 0xDEADBEEF;
  g->Roms->push_back(std::move(rom));
  auto chip = types::NewChipRecord();
  chip->ChipType = 1;
  chip->Name = "Z";
  chip->Clock = "4";
  g->Chips->push_back(std::move(chip));
  g->Samples->push_back("X");
  auto dip = types::NewDipSwitchRecord();
  dip->Name = "L";
  dip->Default = "3";
  dip->Entries->push_back("3");
  dip->Entries->push_back("5");
  g->DipSwitches->push_back(std::move(dip));
  c.Games->push_back(std::move(g));
  auto r = types::NewGameRecord();
  r->Index = 1;
  r->Kind = KIND_RESOURCE;
  r->Name = "N";
  c.Resources->push_back(std::move(r));
  return c;
}

std::string BodyOf(const ProfileContent& c) {
  return profile::BuildBody(c.EmulatorDir, c.EmulatorExe, c.EmulatorVersion, c.Games.get(),
                            c.Resources.get());
}

std::string FileOf(std::string_view body, bool compressed) {
  std::string file;
  EXPECT_TRUE(profile::BuildFile(body, compressed, file));
  return file;
}

LoadStatus Decode(std::string_view file, ProfileContent& out) {
  return profile::DecodeProfile(file, out);
}

LoadStatus Decode(std::string_view file) {
  ProfileContent out;
  return profile::DecodeProfile(file, out);
}

void ExpectSameContent(const ProfileContent& a, const ProfileContent& b) {
  EXPECT_EQ(a.EmulatorDir, b.EmulatorDir);
  EXPECT_EQ(a.EmulatorExe, b.EmulatorExe);
  EXPECT_EQ(a.EmulatorVersion, b.EmulatorVersion);
  ExpectSameGames(*a.Games, *b.Games);
  ExpectSameGames(*a.Resources, *b.Resources);
}

// A catalogue with a bit of everything, through the parser.
const char* const kCatalogue =
    "game ( name pacman description \"Pac-Man (Midway)\" year 1980 manufacturer \"Midway\"\n"
    " rom ( name pacman.6e size 4096 crc c1e6ab10 region cpu1 offs 0 )\n"
    " rom ( name pacman.6f size 4096 crc 1a6fb2d4 region cpu1 offs 1000 flags 0x24 )\n"
    " chip ( type cpu name Z80 clock 3072000 ) chip ( type audio flags audio name Namco )\n"
    " video ( screen raster orientation vertical x 224 y 288 colors 16 freq 60.61 )\n"
    " sound ( channels 1 ) input ( players 2 control joy4way buttons 1 coins 2 tilt yes )\n"
    " dipswitch ( name \"Lives\" entry \"1\" entry \"2\" entry \"3\" default \"3\" )\n"
    " driver ( status good color good sound imperfect colordeep 8 ) )\n"
    "game ( name puckman cloneof pacman romof pacman description \"PuckMan (Japan)\"\n"
    " rom ( name pm1.bin merge pacman.6e size 4096 crc c1e6ab10 ) sample a.wav sample b.wav\n"
    " sampleof pacsamp video ( screen vector x 400 y 300 ) )\n"
    "game ( name bare )\n"
    "resource ( name neogeo description \"Neo-Geo BIOS\" rom ( name sp-s2.sp1 size 131072 "
    "crc 9036d879 region bios ) )\n";

ProfileContent ParsedCatalogue() {
  listinfo::ParseResult r = listinfo::ParseListinfo(kCatalogue);
  EXPECT_TRUE(r.Errors.empty());
  ProfileContent c;
  c.EmulatorDir = "/opt/mame/";
  c.EmulatorExe = "mame";
  c.EmulatorVersion = "M.A.M.E. v0.36 (Jan 10 2000)";
  c.Games = std::move(r.Games);
  c.Resources = std::move(r.Resources);
  return c;
}

}  // namespace

TEST(ProfileBytes, SmallProfileByteForByte) {
  ProfileContent c = SmallDatabase();
  const std::string expected =
      Bytes({3, '/', 'e', '/', 1, 'm', 1, 'v'}) +
      Bytes({0xBA, 1, 0, 2, 'A', 'B', 1, 'D', 0xBD, 0x07, 1, 'M', 0, 0, 1, 'S', 1, 0, 0x00, 0x01,
             0xE0, 0x00, 0x78, 0x56, 0x34, 0x12, 2, '6', '0', 1, 2, 3, 4, 5, 1, 0, 3, 2, 1, 1}) +
      Bytes({0xBC, 1, 'R', 0, 1, 'C', 0x10, 0, 0, 0, 0x00, 0x80, 0, 0, 0x00, 0x04, 0, 0, 0xEF,
             0xBE, 0xAD, 0xDE}) +
      Bytes({0xBD, 1, 0, 1, 'Z', 1, '4'}) + Bytes({0xBE, 1, 'X'}) +
      Bytes({0xBF, 1, 'L', 1, '3', 2, 1, '3', 1, '5'}) +
      // A record without sub-records is its marker and fields only.
      Bytes({0xBB, 1, 0, 1, 'N', 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
             0, 0, 0, 0, 0, 0, 0, 0});
  const std::string body = BodyOf(c);
  EXPECT_EQ(body, expected);

  const std::string stored = FileOf(body, false);
  ASSERT_EQ(profile::ProfileHeader.size(), 32u);
  EXPECT_EQ(stored.substr(0, 32), std::string("Velmora emulator profile v1.0\r\n\x1a", 32));
  EXPECT_EQ(stored.substr(32, 5), Bytes({0xC0, static_cast<int>(body.size()), 0, 0, 0}));
  EXPECT_EQ(stored.substr(37), body);
  // From a body given up, the same bytes.
  for (bool compressed : {false, true}) {
    std::string file;
    ASSERT_TRUE(profile::BuildFile(std::string(body), compressed, file));
    EXPECT_EQ(file, FileOf(body, compressed));
  }
}

TEST(ProfileBytes, CompressedIsAZlibStreamAtLevel9OfTheBody) {
  const std::string body = BodyOf(ParsedCatalogue());
  const std::string file = FileOf(body, true);
  EXPECT_EQ(file.substr(0, 32), std::string(profile::ProfileHeader));
  EXPECT_EQ(static_cast<uint8_t>(file[32]), 0xC1);
  const uint32_t length = static_cast<uint8_t>(file[33]) | static_cast<uint8_t>(file[34]) << 8 |
                          static_cast<uint8_t>(file[35]) << 16 |
                          static_cast<uint32_t>(static_cast<uint8_t>(file[36])) << 24;
  EXPECT_EQ(length, body.size());
  // zlib header: deflate, 32K window, maximum compression.
  EXPECT_EQ(static_cast<uint8_t>(file[37]), 0x78);
  EXPECT_EQ(static_cast<uint8_t>(file[38]), 0xDA);
  std::string inflated(body.size(), '\0');
  uLongf n = inflated.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &n,
                       reinterpret_cast<const Bytef*>(file.data() + 37), file.size() - 37),
            Z_OK);
  EXPECT_EQ(inflated, body);

  // A body of several slices: the compressor is fed slice by slice with pauses between them,
  // and the result is the very stream one call makes.
  std::string big;
  while (big.size() < 3 * profile::CompressionSlice + 100) big += body;
  int pauses = 0;
  profile::ProgressHooks hooks;
  hooks.idle = [&pauses] { ++pauses; };
  std::string sliced;
  ASSERT_TRUE(profile::BuildFile(big, true, sliced, hooks));
  EXPECT_EQ(pauses, 3);
  std::string whole(compressBound(big.size()), '\0');
  uLongf wn = whole.size();
  ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(whole.data()), &wn,
                      reinterpret_cast<const Bytef*>(big.data()), big.size(), 9),
            Z_OK);
  whole.resize(wn);
  EXPECT_TRUE(sliced.substr(37) == whole);
}

TEST(ProfileRoundTrip, StoredAndCompressedGiveTheSameDatabase) {
  const ProfileContent original = ParsedCatalogue();
  const std::string body = BodyOf(original);
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "compressed" : "stored");
    ProfileContent back;
    std::vector<std::string> steps;
    std::vector<int32_t> progress;
    profile::ProgressHooks hooks;
    hooks.step = [&](const char* text, bool) { steps.emplace_back(text); };
    hooks.progress = [&](int32_t p) { progress.push_back(p); };
    ASSERT_EQ(profile::DecodeProfile(FileOf(body, compressed), back, hooks), LoadStatus::Ok);
    ExpectSameContent(original, back);
    EXPECT_EQ(BodyOf(back), body);
    if (compressed)
      EXPECT_EQ(steps, (std::vector<std::string>{"Uncompressing profile...", "Reading profile..."}));
    else
      EXPECT_EQ(steps, (std::vector<std::string>{"Reading profile..."}));
    ASSERT_FALSE(progress.empty());
    for (size_t i = 1; i < progress.size(); ++i) EXPECT_GT(progress[i], progress[i - 1]);
  }
  ProfileContent small;
  ASSERT_EQ(Decode(FileOf(BodyOf(SmallDatabase()), false), small), LoadStatus::Ok);
  ExpectSameContent(SmallDatabase(), small);
}

TEST(ProfileRoundTrip, ReaderTakesSubRecordsInAnyOrderAndCutsLongStrings) {
  auto g = types::NewGameRecord();
  std::string fields;
  profile::WriteGameRecord(fields, *g);
  // Name field: ten characters in the file, eight kept; the rest of the record still lines up.
  std::string record = fields.substr(0, 2) + Bytes({10}) + "ABCDEFGHIJ" + Bytes({3}) + "Dsc" +
                       fields.substr(4);
  std::string rom = Bytes({0xBC, 14}) + "LONGROMNAME.BI" + Bytes({0, 0}) +
                    Bytes({1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0});
  std::string sample = Bytes({0xBE, 1, 'S'});
  std::string chip = Bytes({0xBD, 2, 1, 1, 'Y', 0});
  std::string dip = Bytes({0xBF, 1, 'D', 0, 1, 1, 'E'});
  std::string body = Bytes({0, 0, 0, 0xBA}) + record + sample + rom + dip + chip + rom;
  ProfileContent out;
  ASSERT_EQ(Decode(FileOf(body, false), out), LoadStatus::Ok);
  ASSERT_EQ(out.Games->size(), 1u);
  const GameRecord& r = *out.Games->at(0);
  EXPECT_EQ(r.Name, "ABCDEFGH");
  EXPECT_EQ(r.Description, "Dsc");
  EXPECT_EQ(r.Screen, 1);
  ASSERT_EQ(r.Roms->size(), 2u);
  EXPECT_EQ(r.Roms->at(0)->Name, "LONGROMNAME.");
  EXPECT_EQ(r.Roms->at(0)->Crc, 4u);
  EXPECT_EQ(*r.Samples, StringList{"S"});
  EXPECT_EQ(r.Chips->at(0)->ChipType, 2);
  EXPECT_EQ(*r.DipSwitches->at(0)->Entries, DipEntryList{"E"});
}

TEST(ProfileRoundTrip, DipSwitchCountNeverOverflowsItsByte) {
  ProfileContent c = SmallDatabase();
  DipEntryList& entries = *c.Games->at(0)->DipSwitches->at(0)->Entries;
  entries.clear();
  for (int i = 0; i < 300; ++i) entries.push_back("e" + std::to_string(i));
  ProfileContent back;
  ASSERT_EQ(Decode(FileOf(BodyOf(c), false), back), LoadStatus::Ok);
  const DipEntryList& read = *back.Games->at(0)->DipSwitches->at(0)->Entries;
  ASSERT_EQ(read.size(), 255u);
  EXPECT_EQ(read.back(), "e254");
  ASSERT_EQ(back.Resources->size(), 1u);  // what follows is read in step
  EXPECT_EQ(back.Resources->at(0)->Name, "N");
}

TEST(ProfileRefusals, HeaderStorageAndMarkers) {
  const std::string good = FileOf(BodyOf(SmallDatabase()), false);
  for (size_t i = 0; i < 32; ++i) {
    std::string f = good;
    f[i] = static_cast<char>(f[i] ^ 0x20);
    EXPECT_EQ(Decode(f), LoadStatus::InvalidFileType) << i;
  }
  EXPECT_EQ(Decode(""), LoadStatus::InvalidFileType);
  EXPECT_EQ(Decode(good.substr(0, 31)), LoadStatus::InvalidFileType);

  std::string unknown = good;
  unknown[32] = static_cast<char>(0xC2);
  EXPECT_EQ(Decode(unknown), LoadStatus::UnknownCompression);

  auto withBody = [](const std::string& body) {
    std::string f;
    profile::BuildFile(body, false, f);
    return f;
  };
  EXPECT_EQ(Decode(withBody(Bytes({0, 0, 0, 0xBD}))), LoadStatus::InvalidHeaderTag);
  EXPECT_EQ(Decode(withBody(Bytes({0, 0, 0}))), LoadStatus::NoEntries);
  EXPECT_EQ(Decode(withBody(Bytes({0, 0}))), LoadStatus::Truncated);
  std::string body = BodyOf(SmallDatabase());
  ASSERT_EQ(static_cast<uint8_t>(body[48]), 0xBC);  // the first rom, after the game's fields
  body.insert(48, 1, '\x99');
  EXPECT_EQ(Decode(withBody(body)), LoadStatus::InvalidHeaderTag);
}

TEST(ProfileRefusals, EveryCutOfAStoredFileIsRefused) {
  const std::string good = FileOf(BodyOf(ParsedCatalogue()), false);
  for (size_t n = 0; n < good.size(); ++n) {
    const LoadStatus s = Decode(good.substr(0, n));
    EXPECT_TRUE(s == (n < 32 ? LoadStatus::InvalidFileType : LoadStatus::Truncated)) << n;
  }
  EXPECT_EQ(Decode(good), LoadStatus::Ok);
}

TEST(ProfileRefusals, ABodyEndingInsideARecordIsRefused) {
  // Bodies cut at every length, each with a matching length field: a cut between records
  // gives a shorter profile that writes back to exactly the bytes read; any other is refused.
  const std::string body = BodyOf(ParsedCatalogue());
  size_t accepted = 0, truncated = 0;
  for (size_t n = 0; n < body.size(); ++n) {
    const std::string cut = body.substr(0, n);
    ProfileContent out;
    const LoadStatus s = Decode(FileOf(cut, false), out);
    if (s == LoadStatus::Ok) {
      ++accepted;
      EXPECT_EQ(BodyOf(out), cut) << n;
    } else {
      EXPECT_TRUE(s == LoadStatus::Truncated || s == LoadStatus::NoEntries) << n;
      ++truncated;
    }
  }
  EXPECT_GT(accepted, 5u);
  EXPECT_GT(truncated, body.size() / 2);
}

TEST(ProfileRefusals, DamagedCompressedData) {
  const std::string body = BodyOf(ParsedCatalogue());
  const std::string good = FileOf(body, true);
  ASSERT_EQ(Decode(good), LoadStatus::Ok);
  for (size_t i = 37; i < good.size(); ++i) {
    std::string f = good;
    f[i] = static_cast<char>(f[i] ^ 0xFF);
    EXPECT_NE(Decode(f), LoadStatus::Ok) << i;
  }
  for (size_t n = 37; n < good.size(); ++n)
    EXPECT_EQ(Decode(good.substr(0, n)), LoadStatus::UncompressFailed) << n;
  EXPECT_EQ(Decode(good.substr(0, 35)), LoadStatus::Truncated);

  auto withLength = [&](uint32_t length) {
    std::string f = good;
    for (int k = 0; k < 4; ++k) f[33 + static_cast<size_t>(k)] = static_cast<char>(length >> (8 * k));
    return f;
  };
  const uint32_t n = static_cast<uint32_t>(body.size());
  EXPECT_EQ(Decode(withLength(n - 1)), LoadStatus::UncompressFailed);
  EXPECT_EQ(Decode(withLength(n + 1)), LoadStatus::UncompressFailed);
  // An impossible length is refused before anything is allocated for it.
  EXPECT_EQ(Decode(withLength(0xFFFFFFFFu)), LoadStatus::UncompressFailed);

  // A body stated far beyond any real profile is refused before it is inflated, however
  // well it compresses (zeros inflate a thousandfold).
  std::string bomb;
  ASSERT_TRUE(profile::BuildFile(std::string(profile::MaxProfileBody + 1, '\0'), true, bomb));
  EXPECT_EQ(Decode(bomb), LoadStatus::UncompressFailed);

  // A stored body shorter than its length field.
  std::string stored = FileOf(body, false);
  stored[33] = static_cast<char>(static_cast<uint8_t>(stored[33]) + 1);
  EXPECT_EQ(Decode(stored), LoadStatus::Truncated);
}

TEST(ProfileRefusals, APastABoundIsRefusedAndACheckBuildsNothing) {
  // The parsed catalogue holds 3 games, 1 resource, 4 roms, 2 chips, 2 samples, 1 dip switch
  // with 3 settings; bounds lowered to just under each.
  const std::string body = BodyOf(ParsedCatalogue());
  const std::string file = FileOf(body, true);
  using L = catalogue::Limits;
  struct Row {
    void (*lower)(L&);
    std::string refusal;
  } rows[] = {
      {[](L&) {}, ""},
      {[](L& l) { l.entries = 2; }, "more than 2 games"},
      {[](L& l) { l.romsPerGame = 1; }, "more than 1 roms in GAME PACMAN"},
      {[](L& l) { l.roms = 3; }, "more than 3 roms in all"},
      {[](L& l) { l.chips = 1; }, "more than 1 chips in all"},
      {[](L& l) { l.samplesPerGame = 1; }, "more than 1 samples in GAME PUCKMAN"},
      {[](L& l) { l.dipSwitches = 0; }, "more than 0 dip switches in all"},
      {[](L& l) { l.dipSettings = 2; }, "more than 2 dip switch settings"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.refusal);
    L limits;
    row.lower(limits);
    ProfileContent out;
    const LoadStatus s = profile::DecodeProfile(file, out, {}, limits);
    EXPECT_EQ(s, row.refusal.empty() ? LoadStatus::Ok : LoadStatus::TooLarge);
    EXPECT_EQ(out.Refusal, row.refusal);
    // A check reads the same way and keeps no entry.
    ProfileContent checked;
    EXPECT_EQ(profile::DecodeProfileBody(body, checked, {}, limits, false), s);
    EXPECT_EQ(checked.Refusal, row.refusal);
    EXPECT_TRUE(checked.Games->empty());
    EXPECT_TRUE(checked.Resources->empty());
  }
}

TEST(ProfileReader, EndOfDataFlagLeavesDestinationsAlone) {
  const std::string bytes = Bytes({0x34, 0x12, 5, 'a', 'b'});
  profile::TProfileReader r(bytes);
  uint16_t w = 0;
  r.ReadWord(w);
  EXPECT_EQ(w, 0x1234);
  std::string s = "old";
  r.ReadShortString(s, 255);  // five announced, two present: what is there is kept
  EXPECT_EQ(s, "ab");
  EXPECT_TRUE(r.Eod());
  uint8_t b = 7;
  uint32_t d = 9;
  r.ReadByte(b);
  r.ReadDWord(d);
  r.ReadShortString(s, 255);
  EXPECT_EQ(b, 7);
  EXPECT_EQ(d, 9u);
  EXPECT_EQ(s, "ab");

  profile::TProfileReader fixed("HEADERrest");
  std::string h;
  fixed.ReadShortString(h, 4, 6);  // six bytes read, four kept
  EXPECT_EQ(h, "HEAD");
  EXPECT_EQ(fixed.Position(), 6u);
  EXPECT_FALSE(fixed.Eod());
}

TEST(ProfileMessages, EveryRefusalSaysWhy) {
  using profile::LoadFailureMessage;
  EXPECT_EQ(LoadFailureMessage(LoadStatus::InvalidFileType, "a.vrl"), "a.vrl: invalid file type");
  EXPECT_EQ(LoadFailureMessage(LoadStatus::UnknownCompression, "a.vrl"),
            "a.vrl: unknown compression type");
  EXPECT_EQ(LoadFailureMessage(LoadStatus::InvalidHeaderTag, "a.vrl"), "a.vrl: invalid header tag");
  EXPECT_EQ(LoadFailureMessage(LoadStatus::UncompressFailed, "a.vrl"),
            "Cannot read the profile a.vrl: it is damaged.\r\rPlease rescan the profile.");
  EXPECT_EQ(LoadFailureMessage(LoadStatus::Truncated, "a.vrl"),
            "Could not uncompress the source stream.\rMost likely you are trying to load an old "
            "profile\ror the profile you want to load is damaged.\r\rPlease rescan the profile.");
  EXPECT_EQ(LoadFailureMessage(LoadStatus::NoEntries, "a.vrl"), "a.vrl: the profile holds no games.");
  EXPECT_EQ(LoadFailureMessage(LoadStatus::TooLarge, "a.vrl", "more than 65,535 games"),
            "Cannot read the profile a.vrl: it holds more than 65,535 games, more than Velmora "
            "keeps of a catalogue.\r\rPlease rescan the profile.");
  EXPECT_TRUE(LoadFailureMessage(LoadStatus::Ok, "a.vrl").empty());
}
