#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <csignal>

#include "frontend/MainWindowHarness.h"
#include "launch/SetSources.h"
#include "launch/Unpack.h"
#include "launch/unace.h"
#include "platform/FlatOutput.h"
#include "platform/Files.h"
#include "support/ArchiveBuilder.h"
#include "support/ZipFixture.h"

namespace {

std::string Le16(uint32_t v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
uint32_t Crc(const std::string& s) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(s.data()), s.size()));
}

struct RarEntry {
  std::string name, data;
  enum { File, Folder, Link } kind = File;
  bool badCrc = false;
};

// A RAR 4 archive of stored entries.
std::string BuildRar4(const std::vector<RarEntry>& entries) {
  auto block = [](uint8_t type, uint16_t flags, const std::string& body) {
    std::string h = std::string(1, char(type)) + Le16(flags) + Le16(7 + body.size()) + body;
    return Le16(Crc(h) & 0xFFFF) + h;
  };
  std::string out = std::string("Rar!\x1a\x07\x00", 7) + block(0x73, 0, Le16(0) + Le32(0));
  for (const RarEntry& e : entries) {
    const bool posix = e.kind == RarEntry::Link;
    const uint32_t attr = e.kind == RarEntry::Folder ? 0x10 : posix ? 0120777 : 0x20;
    std::string body = Le32(e.data.size()) + Le32(e.data.size()) + char(posix ? 3 : 2) +
                       Le32(Crc(e.data) ^ (e.badCrc ? 1 : 0)) + Le32((20u << 25) | (1u << 21) | (1u << 16)) +
                       char(20) + char(0x30) + Le16(e.name.size()) + Le32(attr) + e.name;
    out += block(0x74, 0x8000 | (e.kind == RarEntry::Folder ? 0xE0 : 0), body) + e.data;
  }
  return out + block(0x7B, 0x4000, "");
}

// A RAR 5 archive of stored files.
std::string BuildRar5(const std::vector<RarEntry>& entries) {
  auto vint = [](uint64_t v) {
    std::string out;
    do {
      out += char((v & 0x7F) | (v > 0x7F ? 0x80 : 0));
      v >>= 7;
    } while (v);
    return out;
  };
  auto header = [&](const std::string& body) {
    const std::string size = vint(body.size());
    return Le32(Crc(size + body)) + size + body;
  };
  std::string out = std::string("Rar!\x1a\x07\x01\x00", 8) + header(vint(1) + vint(0) + vint(0));
  for (const RarEntry& e : entries)
    out += header(vint(2) + vint(2) + vint(e.data.size()) + vint(4) + vint(e.data.size()) +
                  vint(0x20) + Le32(Crc(e.data) ^ (e.badCrc ? 1 : 0)) + vint(0) + vint(0) +
                  vint(e.name.size()) + e.name) +
           e.data;
  return out + header(vint(5) + vint(0) + vint(0));
}

struct UnpackWindow : MainWindowHarness {
  TempDir emu, outside;
  std::string temp;
  UnpackWindow() {
    Make();
    LoadGames({"PACMAN"}, emu.path());
    launch::ForgetFolderIndexes();
    window->MAMEDirectories.rompath = "roms";
    window->MAMEDirectories.samplepath = "samples";
    temp = emu.path() + "$VRTEMP$";
    outside.write("precious.dat", "mine");
  }
  TMainFRM& w() { return *window; }
  std::string Temp(const std::string& name) { return emu.read("$VRTEMP$/" + name); }
  std::vector<std::string> TempFiles() {
    auto names = plat::ListDir(temp);
    std::sort(names.begin(), names.end());
    return names;
  }
};

using Names = std::vector<std::string>;

// Writes past `bytes` fail (with EFBIG) while it lives, as on a full disk.
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
  }
  rlimit old{};
};

}  // namespace

TEST(FlatEntryName, KeepsTheLastElementOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"A.BIN", "A.BIN"}, {"sub/x", "x"}, {"..\\..\\x", "x"}, {"/abs", "abs"}, {"a\\b/c", "c"},
      {"", ""}, {"dir/", ""}, {".", ""}, {"x/..", ""}, {"bad\nname", ""}, {"del\x7f", ""},
      {"C:\\x", "x"}, {"a/.", ""}, {"tab\tname", ""}};
  for (auto [in, want] : cases) EXPECT_EQ(plat::FlatEntryName(in), want) << in;
}

// RAR: entries flat in the temporary folder, folders and links passed over, a link planted in
// the temporary folder replaced (its target untouched), CRC errors (RAR 4 and 5) and a
// truncated archive reported after the good entries stayed; a non-archive and a missing archive give their texts.
TEST(UnpackSet, RarRoad) {
  UnpackWindow t;
  std::string bytes = BuildRar4({{"A.BIN", "alpha"},
                 {"sub\\deeper\\B.BIN", "bravo"},
                 {"..\\..\\EVIL.BIN", "evil"},
                 {"folder", "", RarEntry::Folder},
                 {"LINK.BIN", t.outside.file("precious.dat"), RarEntry::Link},
                 {"C.BIN", "charlie", RarEntry::File, true},
                 {"D.BIN", std::string(300, 'd')}});
  const std::string rar = t.emu.write("roms/Pacman.Rar", bytes);
  plat::MakeDirs(t.temp);
  symlink(t.outside.file("precious.dat").c_str(), (t.temp + "/A.BIN").c_str());
  EXPECT_EQ(t.w().UnpackSet("PACMAN", 1, false), "UNRAR error in " + rar + " (C.BIN): CRC error");
  EXPECT_EQ(t.TempFiles(), (Names{"A.BIN", "B.BIN", "D.BIN", "EVIL.BIN"}));  // no failed file
  EXPECT_EQ(t.Temp("A.BIN"), "alpha");
  EXPECT_EQ(t.Temp("B.BIN"), "bravo");
  EXPECT_EQ(t.outside.read("precious.dat"), "mine");
  EXPECT_FALSE(plat::FileExists(t.emu.path() + "EVIL.BIN"));

  const std::string cut = t.emu.write(
      "cut.rar", BuildRar4({{"A.BIN", "alpha"}, {"D.BIN", std::string(300, 'd')}}).substr(0, 200));
  EXPECT_EQ(launch::UnpackRar(cut, t.temp), "UNRAR error in " + cut + " (D.BIN): CRC error");
  EXPECT_FALSE(plat::FileExists(t.temp + "/D.BIN"));  // nor a cut one
  const std::string v5 = t.emu.write(
      "v5.rar", BuildRar5({{"sub/E.BIN", "echo"}, {"F.BIN", "fox", RarEntry::File, true}}));
  EXPECT_EQ(launch::UnpackRar(v5, t.temp), "UNRAR error in " + v5 + " (F.BIN): CRC error");
  // A link and a file of one name: the file is reported, the damaged entry after it too.
  const std::string same = t.emu.write(
      "same.rar", BuildRar4({{"X.BIN", "/etc/passwd", RarEntry::Link}, {"X.BIN", "xray"},
                             {"Y.BIN", "yank", RarEntry::File, true}, {"Z.BIN", "zulu"}}));
  EXPECT_EQ(launch::UnpackRar(same, t.temp),
            "UNRAR error in " + same + " (X.BIN): data format unknown\r\nUNRAR error in " + same +
                " (Y.BIN): CRC error");
  EXPECT_EQ(t.Temp("Z.BIN"), "zulu");
  EXPECT_EQ(t.Temp("E.BIN"), "echo");
  // Two entries of one file name: the later replaces the earlier, never silently.
  const std::string twice =
      t.emu.write("twice.rar", BuildRar4({{"sub\\G.BIN", "golf"}, {"G.BIN", "gone"}}));
  EXPECT_EQ(launch::UnpackRar(twice, t.temp),
            "UNRAR error in " + twice +
                " (G.BIN): Another entry was already unpacked to the same file: G.BIN");
  EXPECT_EQ(t.Temp("G.BIN"), "gone");
  const std::string junk = t.emu.write("junk.rar", "Rar!\x1a\x07 but nothing else");
  EXPECT_EQ(launch::UnpackRar(junk, t.temp),
            "UNRAR error in " + junk + ": the supplied file is not a valid RAR archive");
  EXPECT_EQ(launch::UnpackRar(t.emu.file("none.rar"), t.temp),
            "UNRAR error in " + t.emu.file("none.rar") + ": file open error");
  std::string errors = "earlier";
  t.w().AddUnrarError(errors, "x.rar", 99);
  EXPECT_EQ(errors, "earlier\r\nUNRAR error in x.rar: unknown error code");
}

// Folder road: regular files only (no subfolders, no links), every failed copy reported;
// "$VRTEMP$" that is a link is replaced by a real folder, its target untouched.
TEST(UnpackSet, FolderRoad) {
  UnpackWindow t;
  for (const char* f : {"A.BIN", "b.bin", "X.BIN", "Y.BIN", "sub/C.BIN"})
    t.emu.write(std::string("roms/pacman/") + f, f);
  symlink(t.outside.file("precious.dat").c_str(), t.emu.file("roms/pacman/LINK.BIN").c_str());
  symlink(t.outside.path().c_str(), t.temp.c_str());
  EXPECT_EQ(t.w().UnpackSet("PACMAN", 1, false), "");
  struct stat st;
  ASSERT_EQ(lstat(t.temp.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(plat::ListDir(t.outside.path()), Names{"precious.dat"});
  EXPECT_EQ(t.TempFiles(), (Names{"A.BIN", "X.BIN", "Y.BIN", "b.bin"}));
  EXPECT_EQ(t.Temp("b.bin"), "b.bin");
  // Folders in the way of two files: both failures are told, the other files still copied.
  plat::RemoveTree(t.temp);
  for (const char* f : {"X.BIN/", "Y.BIN/"}) plat::MakeDirs(t.temp + "/" + f);
  const std::string set = t.emu.path() + "roms/pacman/";
  EXPECT_EQ(launch::CopyFolderSet(set, t.temp),
            "FILECOPY error in " + set + "X.BIN: cannot copy file (Is a directory)\r\n"
            "FILECOPY error in " + set + "Y.BIN: cannot copy file (Is a directory)");
  EXPECT_EQ(t.Temp("A.BIN"), "A.BIN");
}

// ZIP: stored and deflated entries flat, folders and links passed over; a damaged archive
// names itself. A set that is nowhere gives no error and no files.
TEST(UnpackSet, ZipRoadAndMissingSet) {
  UnpackWindow t;
  WriteZip(t.emu.file("samples/PACMAN.zip"),
           {{"A.WAV", std::string(5000, 'a')},
            {"sub/B.WAV", "bravo", false},
            {"dir/", "", true, ZipFixtureEntry::Folder},
            {"L.WAV", t.outside.file("precious.dat"), false, ZipFixtureEntry::Link}});
  EXPECT_EQ(t.w().UnpackSet("pacman", 2, false), "");
  EXPECT_EQ(t.TempFiles(), (Names{"A.WAV", "B.WAV"}));
  EXPECT_EQ(t.Temp("A.WAV"), std::string(5000, 'a'));
  // Trailing garbage: the files are out, the warning is told.
  plat::RemoveTree(t.temp);
  const std::string zip = t.emu.write("roms/PACMAN.ZIP", BuildZip({{"R.BIN", "rom"}}) + "junk");
  EXPECT_EQ(t.w().UnpackSet("PACMAN", 1, false),
            "UNZIP error in " + zip + ": Warning - Garbage at the end of the zipfile!");
  EXPECT_EQ(t.Temp("R.BIN"), "rom");
  plat::WriteFileAtomic(zip, "PK\x03\x04 damaged");
  EXPECT_EQ(t.w().UnpackSet("PACMAN", 1, false).rfind("UNZIP error in " + zip + ": ", 0), 0u);
  plat::RemoveTree(t.temp);
  EXPECT_EQ(t.w().UnpackSet("GALAGA", 1, false), "");
  EXPECT_TRUE(plat::ListDir(t.temp).empty());
}

// ACE: the real stored sample unpacks; an encrypted archive, a missing library and a name too
// long for the library's record give their texts.
TEST(UnpackSet, AceRoad) {
  UnpackWindow t;
  const std::string data = std::string(VELMORA_SOURCE_DIR) + "/tests/launch/data/ace/";
  std::string bytes;
  ASSERT_TRUE(plat::ReadWholeFile(data + "Ace.store.ace", bytes));
  const std::string ace = t.emu.write("roms/Pacman.Ace", bytes);
  EXPECT_EQ(t.w().UnpackSet("PACMAN", 1, false), "");
  EXPECT_EQ(t.TempFiles(), (Names{"Tect.txt.txt", "test.exe", "test.jpg"}));
  const std::string twice =
      t.emu.write("twice.ace", testarc::BuildAce({{"a\\H.BIN", "hotel"}, {"H.BIN", "gone"}}));
  EXPECT_EQ(launch::UnpackAce(twice, t.temp),
            "UNACE error in " + twice +
                " (H.BIN): Another entry was already unpacked to the same file: H.BIN");
  EXPECT_EQ(t.Temp("H.BIN"), "gone");
  ASSERT_TRUE(plat::ReadWholeFile(data + "Ace.encrypted.ace", bytes));
  plat::WriteFileAtomic(ace, bytes);
  EXPECT_EQ(t.w().UnpackSet("PACMAN", 1, false),
            "UNACE error in " + ace + ": bad or missing password; cannot uncompress encrypted file");
  unace::SetUnaceMissingForTests(true);
  EXPECT_EQ(t.w().UnpackSet("PACMAN", 1, false), "UNACE error in " + ace + ": cannot load UNACE.DLL");
  unace::SetUnaceMissingForTests(false);
  const std::string deep = t.emu.path() + std::string(120, 'd') + "/" + std::string(120, 'e') + "/";
  const std::string longName = t.emu.write(deep.substr(t.emu.path().size()) + "PACMAN.ACE", bytes);
  ASSERT_GT(longName.size(), 259u);
  EXPECT_EQ(launch::UnpackAce(longName, t.temp),
            "UNACE error in " + longName + ": file open error (disk access error or sharing violation)");
}

// A write that fails half-way (a full disk: the file size limit stands in for it) leaves no
// partial file on any road, and the error tells the launch not to run.
TEST(UnpackSet, AFailedWriteLeavesNoPartialFile) {
  UnpackWindow t;
  const std::string big(1228800, 'b');
  t.emu.write("roms/big/BIG.BIN", big);
  struct Road {
    const char* what;
    std::string path;
  } roads[] = {
      {"rar", t.emu.write("roms/big.rar", BuildRar4({{"BIG.BIN", big}}))},
      {"folder", t.emu.file("roms/big")},
      {"zip", t.emu.write("roms/big.zip", BuildZip({{"BIG.BIN", big}}))},
      {"ace", t.emu.write("roms/big.ace", testarc::BuildAce({{"BIG.BIN", big}}))},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.what);
    plat::RemoveTree(t.temp);
    plat::MakeDirs(t.temp);
    std::string errors;
    {
      FileSizeLimit full(860160);
      errors = launch::UnpackSource(road.path, t.temp);
    }
    EXPECT_TRUE(launch::UnpackFailed(errors)) << errors;
    EXPECT_EQ(t.TempFiles(), Names{});
  }
}
