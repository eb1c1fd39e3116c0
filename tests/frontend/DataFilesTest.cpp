#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "frontend/DataFiles.h"
#include "support/TempDir.h"

using namespace datafiles;

namespace {

// The fixture text with its LF line ends turned into the given line end.
std::string WithEnds(const std::string& text, const std::string& end) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += end;
    else
      out += c;
  }
  return out;
}

const char* const kEnds[] = {"\r\n", "\n", "\r"};

std::string Pad(std::string s, size_t n) {
  s.resize(std::max(s.size(), n), ' ');
  return s;
}

const char* const kHiscore =
    "; comment\n"
    "mspacman:\n"
    "0:4c00:2:00:01\n"
    "\n"
    "pacman:\n"
    "puckman:\n"
    "0:ef00:3:00:ff\n"
    "0:ef10:1:12:34\n"
    "0:ef20\n"
    "\n"
    "galaxian:\n"
    "0:4000:10:00:00\n";

const char* const kHistory =
    "$info=1942a,\n"
    "$bio\n"
    "The other one.\n"
    "$end\n"
    "$info=mspacman,mspacmab,\n"
    "$bio\n"
    "Ms. Pac-Man.\n"
    "$end\n"
    "$info=pacman,puckman,\n"
    "pacmod,\n"
    "\n"
    "hangly,\n"
    "$<a href=\"x\">link</a>\n"
    "$BIO\n"
    "\n"
    "Pac-Man (c) 1980 Namco.\n"
    "\n"
    "  Indented, kept as written.\n"
    "$end\n"
    "$info=nobio,\n"
    "$mame\n"
    "Driver notes.\n"
    "$end\n";

}  // namespace

TEST(DataFiles, HiscoreAreasInEveryLineEnd) {
  const std::string area3 = "CPU=0, Memory area=$EF00..$EF02, Area delimiters= {$00, $FF}";
  const std::string area1 =
      "CPU=0, Memory area=$EF10,        Area delimiters= {$12, $34}";  // ", " and 7 blanks
  // Missing fields read as empty; the length 0 wraps below the address.
  const std::string partial = "CPU=0, Memory area=$EF20..$EF1F, Area delimiters= {$, $}";
  for (const char* end : kEnds) {
    const std::string text = WithEnds(kHiscore, end);
    EXPECT_EQ(ReadHiscoreEntry(text, "pacman"), area3 + "\r\n" + area1 + "\r\n" + partial);
    EXPECT_EQ(ReadHiscoreEntry(text, "PUCKMAN"), area3 + "\r\n" + area1 + "\r\n" + partial);
    EXPECT_EQ(ReadHiscoreEntry(text, "galaxian"),
              "CPU=0, Memory area=$4000..$400F, Area delimiters= {$00, $00}");
    EXPECT_EQ(ReadHiscoreEntry(text, "pacma"), "");
    EXPECT_EQ(ReadHiscoreEntry(text, ""), "");
  }
  // An entry longer than any is cut at the bound, and says so.
  std::string areas = "pacman:\n";
  while (areas.size() <= kMaxEntrySize) areas += "0:ef00:3:00:ff\n";
  bool cut = false;
  EXPECT_EQ(ReadHiscoreEntry(areas, "pacman", &cut).size(), kMaxEntrySize);
  EXPECT_TRUE(cut);
  EXPECT_EQ(ReadHiscoreEntry(kHiscore, "galaxian", &cut).size(), 60u);
  EXPECT_FALSE(cut);
  EXPECT_EQ(FormatHiscoreArea(""), "CPU=, Memory area=$..$FFFFFFFF, Area delimiters= {$, $}");
}

TEST(DataFiles, InfoEntriesMatchWholeNamesOverSeveralLines) {
  for (const char* end : kEnds) {
    const std::string text = WithEnds(kHistory, end);
    const std::string pacman =
        "Pac-Man (c) 1980 Namco.\r\n\r\n  Indented, kept as written.";
    EXPECT_EQ(ReadInfoFileEntry(text, "PACMAN", "bio"), pacman) << "end " << int(end[0]);
    EXPECT_EQ(ReadInfoFileEntry(text, "hangly", "BIO"), pacman);  // named on a later line
    EXPECT_EQ(ReadInfoFileEntry(text, "MSPACMAN", "bio"), "Ms. Pac-Man.");
    EXPECT_EQ(ReadInfoFileEntry(text, "1942", "bio"), "");        // not "1942a"
    EXPECT_EQ(ReadInfoFileEntry(text, "pacma", "bio"), "");
    EXPECT_EQ(ReadInfoFileEntry(text, "nobio", "bio"), "");       // no such part
    EXPECT_EQ(ReadInfoFileEntry(text, "nobio", "mame"), "Driver notes.");
    EXPECT_EQ(ReadInfoFileEntry(text, "pacman", ""), "");
  }
  // A large file with CR ends is read in one pass (a search per line would take minutes).
  std::string big;
  for (int i = 0; i < 400000; ++i) big += "$info=g" + std::to_string(i) + "\r";
  big += "$info=last\r$bio\rThe end.\r$end\r";
  EXPECT_EQ(ReadInfoFileEntry(big, "last", "bio"), "The end.");
  // Control bytes never reach the text; an entry without "$end" is cut at the bound.
  struct {
    std::string body;
    std::string text;
    bool cut;
  } bounded[] = {
      {std::string("A\x01 b\tc\x7f\x1a\0\n$end\n", 14), "A b\tc", false},
      {"Story.\n" + std::string(2 * kMaxEntrySize, '\0') + "\nmore", "Story.\r\n", true},
      {std::string(kMaxEntrySize, 'x') + "\n$end", std::string(kMaxEntrySize, 'x'), false},
      {std::string(kMaxEntrySize, 'x') + "\ny", std::string(kMaxEntrySize, 'x'), true},
  };
  for (const auto& b : bounded) {
    bool cut = !b.cut;
    EXPECT_EQ(ReadInfoFileEntry("$info=a\n$bio\n" + b.body, "a", "bio", &cut), b.text);
    EXPECT_EQ(cut, b.cut) << b.text.substr(0, 10);
  }
  EXPECT_TRUE(NameListHolds(" pacman, puckman ,", "PUCKMAN"));
  EXPECT_FALSE(NameListHolds("mspacman,", "pacman"));
}

TEST(DataFiles, CheatTextsOfEveryTypeFamily) {
  const std::string set = "pacman:0:4e00:";
  struct Case {
    const char* fields;  // data:type:description:comment
    std::string text;
  } cases[] = {
      {"03:000:Infinite Lives:", Pad("Infinite Lives:", 30) + " CPU=0, $4e00=$03 and cannot be changed"},
      {"03:001:Lives:at start", Pad("Lives at start:", 30) + " CPU=0, $4e00=$03 and cheat is deactivated"},
      {"09:011:Timer:", Pad("Timer:", 30) + " CPU=0, $4e00=$09 if not decrementing by 4 each frame"},
      {"0F:020:Bits:", Pad("Bits:", 30) + " CPU=0, Hold %00001111 bits set in $4e00"},
      {"1F0:021:Bits:", Pad("Bits:", 30) + " CPU=0, Set %11110000 bits in $4e00 and deactivate cheat"},
      {"80:040:Bits:", Pad("Bits:", 30) + " CPU=0, Hold %10000000 bits reset in $4e00"},
      {"81:041:Bits:", Pad("Bits:", 30) + " CPU=0, Reset %10000001 bits in $4e00 and deactivate cheat"},
      {"99:063:Level:", Pad("Level:", 30) + " CPU=0, $4e00=$00..$99 (bcd) when change found then deactivate cheat"},
      {"FF:061:Stage:", Pad("Stage:", 30) + " CPU=0, $4e00=$01..$100 when change found then deactivate cheat"},
      {"05:074:Round:", Pad("Round:", 30) + " CPU=0, $4e00=$01..$06 (bcd) then deactivate cheat"},
      {"0F:520:Linked:", Pad("Linked:", 30) + " CPU=0, Hold %00001111 bits set in $4e00 (linked part)"},
      {"01:4A0:Odd:", Pad("Odd:", 30) + " CPU=0, Unknown cheat type!!! Address=$4e00 Value=$01 Type=4A0 (linked part)"},
      {"01:00A:Odd:", Pad("Odd:", 30) + " CPU=0, Unknown cheat type!!! Address=$4e00 Value=$01 Type=00A"},
      {"00:998:Watch:", Pad("Watch:", 30) + " CPU=0, Add $4e00 as watch"},
      {"00:999:A note:from me:and you", Pad("A note from meand you", 29) + "  (comment)"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatCheatLine(set + c.fields), c.text) << c.fields;

  std::string file = "; pacman:0:0:0:000:commented out\n\n";
  for (const auto& c : cases) file += "  " + set + c.fields + "\n";
  file += "mspacman:0:4e00:03:000:Other set:\npacman\n";
  for (const char* end : kEnds) {
    const std::string cheats = ReadCheatEntries(WithEnds(file, end), "PACMAN");
    std::string expected;
    for (const auto& c : cases) expected += c.text + "\r\n";
    // A line with the set name alone: its fields read as empty.
    expected += Pad(":", 30) + " CPU=, $=$ and cannot be changed";
    EXPECT_EQ(cheats, expected);
  }
  EXPECT_EQ(ReadCheatEntries(std::string("\x1f\x8b\x08rest", 6), "pacman"), "<GZIP>");
  EXPECT_EQ(ReadCheatEntries(file, "galaxian"), "");
  std::string many;
  while (many.size() <= kMaxEntrySize) many += set + "03:000:Lives:\n";
  bool cut = false;
  EXPECT_EQ(ReadCheatEntries(many, "pacman", &cut).size(), kMaxEntrySize);
  EXPECT_TRUE(cut);
  EXPECT_EQ(HexByteToBits("1A5"), "10100101");
}

TEST(DataFiles, FilesFoundWithoutCaseAndReadAgainWhenChanged) {
  TempDir dir;
  dir.write("History.Dat", "$info=a\n$bio\nfirst\n$end\n");
  const std::string path = ResolveDataFile(dir.path(), "HISTORY.DAT");
  ASSERT_EQ(path, dir.file("History.Dat"));
  EXPECT_EQ(ResolveDataFile(dir.path(), "CHEAT.DAT"), "");
  EXPECT_EQ(ResolveDataFile(dir.path(), dir.path() + "history.dat"), path);
  EXPECT_EQ(ReadInfoFileEntry(ReadDataFile(path), "a", "bio"), "first");
  dir.write("History.Dat", "$info=a\n$bio\nsecond, longer\n$end\n");
  EXPECT_EQ(ReadInfoFileEntry(ReadDataFile(path), "a", "bio"), "second, longer");
  EXPECT_EQ(ReadDataFile(dir.file("missing.dat")), "");
  // Larger than any data file: refused unread, with the reason (the file takes no disk).
  std::filesystem::resize_file(path, kMaxDataFileSize + 1);
  std::string error;
  EXPECT_EQ(ReadDataFile(path, &error), "");
  EXPECT_EQ(error, "Larger than 48 MB");
  // A pipe is found and named, never opened.
  ASSERT_EQ(mkfifo(dir.file("mameinfo.dat").c_str(), 0600), 0);
  const std::string pipe = ResolveDataFile(dir.path(), "MAMEINFO.DAT");
  EXPECT_EQ(pipe, dir.file("mameinfo.dat"));
  EXPECT_EQ(ReadDataFile(pipe, &error), "");
  EXPECT_EQ(error, "Not a regular file");


  // Only the last four files read are kept, and none once forgotten: a file changed behind an
  // unchanged size and time is read again only then.
  auto rewrite = [&](const std::string& name, const std::string& text) {
    const std::string p = dir.file(name);
    const auto when = std::filesystem::last_write_time(p);
    dir.write(name, text);
    std::filesystem::last_write_time(p, when);
  };
  for (const char* name : {"1.dat", "2.dat", "3.dat", "4.dat", "5.dat"}) dir.write(name, "old");
  for (const char* name : {"1.dat", "2.dat", "3.dat", "4.dat"}) ReadDataFile(dir.file(name));
  rewrite("1.dat", "new");
  rewrite("2.dat", "new");
  EXPECT_EQ(ReadDataFile(dir.file("1.dat")), "old");  // kept: now the last read
  ReadDataFile(dir.file("5.dat"));                     // 2.dat goes
  EXPECT_EQ(ReadDataFile(dir.file("2.dat")), "new");
  rewrite("5.dat", "new");
  ForgetDataFiles();
  EXPECT_EQ(ReadDataFile(dir.file("5.dat")), "new");
}
