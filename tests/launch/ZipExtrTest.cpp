#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "launch/ZipExtr.h"
#include "platform/Files.h"
#include "platform/ZipLib.h"
#include "support/ArchiveBuilder.h"
#include "support/TempDir.h"

using testarc::BuildZip;
using testarc::ZipItem;
using testarc::ZipOptions;

namespace {

const std::string kRom(3000, 'r');
std::string Text(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "line " + std::to_string(i % 97) + "\n";
  return s;
}

ZipOptions Options(bool zip64, bool spanned, std::string comment = {}, std::string prefix = {}) {
  ZipOptions o;
  o.zip64 = zip64;
  o.spanned = spanned;
  o.comment = std::move(comment);
  o.prefix = std::move(prefix);
  return o;
}

struct Outcome {
  int32_t errCode = 0;
  int32_t successCnt = 0;
  std::string message;
};

// Lists and extracts an archive as the unpacking does; the files found in the target.
Outcome Unzip(const TempDir& t, const std::string& bytes, std::map<std::string, std::string>& files) {
  t.write("set.zip", bytes);
  plat::MakeDirs(t.file("$VRTEMP$"));
  TZipExtractor z;
  z.CodePage = cpNone;
  z.ExtrBaseDir = t.file("$VRTEMP$");
  z.ExtrOptions = {ExtrOverWrite};
  z.FSpecArgs = {"*.*"};
  z.Unattended = true;
  z.SetZipFilename(t.file("set.zip"));
  z.Extract();
  EXPECT_EQ(z.Busy, 0);
  files.clear();
  for (const auto& n : plat::ListDir(t.file("$VRTEMP$"))) files[n] = t.read("$VRTEMP$/" + n);
  return {z.ErrCode, z.SuccessCnt, z.Message};
}

}  // namespace

TEST(ZipExtractor, ExtractsAndReportsAsTheArchiveDeserves) {
  const std::string big = Text(100000);  // larger than one write buffer
  std::string damaged = BuildZip({{"A.BIN", kRom}, {"B.BIN", big, true}});
  damaged.replace(30 + 5 + kRom.size() + 30 + 5 + 40, 64, 64, '\xff');  // B's deflated data
  std::string padded = BuildZip({{"A.BIN", kRom}});
  padded += std::string(511 - (padded.size() + 511) % 512, '\0');
  std::string cut = BuildZip({{"A.BIN", kRom}, {"B.BIN", big, true}});
  cut.resize(cut.size() / 2);
  std::string badSig = BuildZip({{"A.BIN", kRom}});
  badSig[30 + 5 + kRom.size()] = 'X';
  // The second entry's directory record points at the first one's data.
  std::string overlap = BuildZip({{"A.BIN", kRom}, {"B.BIN", kRom}});
  overlap.replace(overlap.rfind("PK\x01\x02") + 42, 4, 4, '\0');
  // The second entry's local header hides in the first one's extra field, far enough in that
  // 30 bytes past the first header do not reach it: both entries' data are the same bytes.
  std::string hidden;
  {
    const std::string two = BuildZip({{"A.BIN", kRom}, {"B.BIN", kRom}});
    const size_t entry = 35 + kRom.size(), extra = kRom.size() + 35;
    std::string central = two.substr(2 * entry);
    auto put32 = [](std::string& s, size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (8 * i));
    };
    put32(central, 51 + 42, uint32_t(35 + kRom.size()));      // B's header offset
    put32(central, central.size() - 6, uint32_t(35 + extra + kRom.size()));  // directory start
    hidden = two.substr(0, 28) + char(extra & 0xFF) + char(extra >> 8) + "A.BIN" +
             std::string(kRom.size(), 'p') + two.substr(entry, 35) + kRom + central;
  }
  // An entry claiming 2^60 bytes.
  std::string huge = BuildZip({{"H.BIN", "h", true}, {"A.BIN", kRom}}, Options(true, false));
  huge.replace(huge.find("PK\x01\x02") + 46 + 5 + 4, 8,
               std::string("\0\0\0\0\0\0\0\x10", 8));
  // A recorded offset near the top of the 64-bit range, behind a program in front.
  std::string farOff =
      BuildZip({{"A.BIN", kRom}, {"B.BIN", "b"}}, Options(true, false, "", std::string(1000, 'M')));
  farOff.replace(farOff.find("PK\x01\x02") + 46 + 5 + 4 + 16, 8,
                 std::string("\xf0\xff\xff\xff\xff\xff\xff\x7f", 8));

  struct Case {
    const char* what;
    std::string archive;
    std::map<std::string, std::string> files;
    int32_t errCode, successCnt;
    const char* message;
  } cases[] = {
      {"stored, deflated, folders", BuildZip({{"A.BIN", kRom}, {"sub/", ""}, {"sub/x", big, true},
                                              {"C.BIN", "", true}}),
       {{"A.BIN", kRom}, {"x", big}, {"C.BIN", ""}}, 0, 3, ""},
      {"unsafe names stay inside",
       BuildZip({{"..\\..\\x", "1"}, {"/abs", "2"}, {"..", "3"}, {".", "4"}, {"a\x01" "b", "5"},
                 {"dir\\..", "6"}}),
       {{"x", "1"}, {"abs", "2"}}, 0, 2, ""},
      {"a link entry is not written",
       BuildZip({{"link", "/etc/passwd", false, 0, -1, 0120777}, {"A.BIN", kRom, false, 0, -1, 0100644}}),
       {{"A.BIN", kRom}}, 0, 1, "Skipped (not a regular file): link"},
      {"damaged deflated data", damaged, {{"A.BIN", kRom}}, plat::zip::kDataError, 1, "B.BIN"},
      {"wrong CRC", BuildZip({{"A.BIN", kRom, false, 0, -1, 0, true}, {"B.BIN", "b"}}),
       {{"B.BIN", "b"}}, plat::zip::kCrcError, 1, "CRC error in A.BIN"},
      {"CRC error, then a link", BuildZip({{"A.BIN", kRom, false, 0, -1, 0, true},
                                           {"link", "/etc/passwd", false, 0, -1, 0120777}}),
       {}, plat::zip::kCrcError, 0, "CRC error in A.BIN"},
      {"overlapping entries", overlap, {{"A.BIN", kRom}}, plat::zip::kFormatError, 1,
       "Entry overlaps another: B.BIN"},
      {"a header inside another's extra field", hidden, {{"A.BIN", kRom}},
       plat::zip::kFormatError, 1, "Entry overlaps another: B.BIN"},
      {"two entries of one file name", BuildZip({{"sub/A.BIN", kRom}, {"A.BIN", "other"}}),
       {{"A.BIN", "other"}}, plat::zip::kFormatError, 2,
       "Another entry was already unpacked to the same file: A.BIN"},
      {"more than the free space", huge, {}, plat::zip::kWriteError, 0,
       "Not enough free space for H.BIN"},
      {"offset beyond the file", farOff, {{"B.BIN", "b"}}, plat::zip::kFormatError, 1,
       "Damaged local header: A.BIN"},
      {"trailing junk", BuildZip({{"A.BIN", kRom}}) + "junk", {{"A.BIN", kRom}}, 10204, 1,
       "Warning - Garbage at the end of the zipfile!"},
      {"zero padding to 512 bytes", padded, {{"A.BIN", kRom}}, 0, 1, ""},
      {"64 KiB comment", BuildZip({{"A.BIN", kRom}}, Options(false, false, std::string(65535, 'c'))),
       {{"A.BIN", kRom}}, 0, 1, ""},
      {"ZIP64", BuildZip({{"A.BIN", kRom}, {"B.BIN", big, true}}, Options(true, false)),
       {{"A.BIN", kRom}, {"B.BIN", big}}, 0, 2, ""},
      {"program in front", BuildZip({{"A.BIN", kRom}}, Options(false, false, "", std::string(1000, 'M'))),
       {{"A.BIN", kRom}}, 10203, 1, "Warning - Error in zip structure!"},
      {"encrypted entry", BuildZip({{"E.BIN", "e", false, 1}, {"A.BIN", kRom}}), {{"A.BIN", kRom}},
       plat::zip::kEncrypted, 1, "Encrypted entry not supported: E.BIN"},
      {"other method", BuildZip({{"M.BIN", "m", false, 0, 12}}), {}, plat::zip::kMethod, 0,
       "Compression method 12 not supported: M.BIN"},
      {"spanned", BuildZip({{"A.BIN", kRom}}, Options(false, true)), {}, plat::zip::kSpanned, 0,
       "Spanned archives are not supported"},
      {"truncated", cut, {}, 10202, 0, "Unknown error in List() function\n"},
      {"not a zip", "just some text, long enough to be looked at", {}, 10202, 0, "Unknown error"},
      {"bad central signature", badSig, {}, 11015, 0, "A central header signature is wrong"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir t;
    std::map<std::string, std::string> files;
    Outcome o = Unzip(t, c.archive, files);
    EXPECT_EQ(o.errCode, c.errCode);
    EXPECT_EQ(o.successCnt, c.successCnt);
    EXPECT_NE(o.message.find(c.message), std::string::npos) << o.message;
    EXPECT_EQ(files, c.files);
    EXPECT_EQ(plat::ListDir(t.path()).size(), 2u);  // set.zip and $VRTEMP$ only
  }
}

// New names are written in place, existing ones replaced only by complete, checked data:
// a failed CRC keeps the file that was there and leaves nothing else behind.
TEST(ZipExtractor, ReplacesAFileOnlyWithCheckedData) {
  TempDir t;
  t.write("$VRTEMP$/A.BIN", "old");
  t.write("$VRTEMP$/B.BIN", "old");
  std::map<std::string, std::string> files;
  Outcome o = Unzip(t, BuildZip({{"A.BIN", kRom, false, 0, -1, 0, true}, {"B.BIN", "b", true},
                                 {"C.BIN", kRom, false, 0, -1, 0, true}, {"D.BIN", "d"}}),
                    files);
  EXPECT_EQ(o.errCode, plat::zip::kCrcError);
  EXPECT_EQ(o.successCnt, 2);
  const std::map<std::string, std::string> want = {{"A.BIN", "old"}, {"B.BIN", "b"}, {"D.BIN", "d"}};
  EXPECT_EQ(files, want);
}

TEST(ZipExtractor, ListsTheDirectoryAndKeepsTheCurrentFolder) {
  TempDir t;
  t.write("set.zip", BuildZip({{"sub/A.BIN", kRom}, {"B.BIN", "b", true}}, Options(true, false)));
  const std::string cwd = plat::CurrentDir();
  TZipExtractor z;
  int dirUpdates = 0;
  z.OnDirUpdate = [&] { ++dirUpdates; };
  z.SetDLLDirectory("/opt/velmora\\");
  EXPECT_EQ(z.DLLDirectory(), "/opt/velmora");
  z.SetZipFilename(t.file("set.zip"));
  ASSERT_EQ(z.ZipContents.size(), 2u);
  EXPECT_EQ(dirUpdates, 1);
  EXPECT_EQ(z.ZipContents[0].FileName, "sub\\A.BIN");
  EXPECT_EQ(z.ZipContents[0].UncompressedSize, kRom.size());
  EXPECT_EQ(z.ZipContents[1].CompressionMethod, 8);
  ZipDirEntry dos;  // made on MS-DOS: OEM names unless told otherwise
  EXPECT_EQ(z.ConvertOEM("a\x80\xe1\xff", dos), "a\xc7\xdf\xa0");
  z.CodePage = cpNone;
  EXPECT_EQ(z.ConvertOEM("a\x80", dos), "a\x80");

  // A target folder that is missing: the current folder is used and left as it was.
  TempDir work;
  ASSERT_TRUE(plat::SetCurrentDir(work.path()));
  z.ExtrBaseDir = t.file("missing");
  z.ExtrOptions = {ExtrOverWrite};
  z.FSpecArgs = {"a.*"};
  z.Unattended = true;
  z.Extract();
  EXPECT_EQ(plat::CurrentDir(), work.path());
  EXPECT_EQ(work.read("A.BIN"), kRom);
  EXPECT_FALSE(plat::FileExists(work.file("B.BIN")));
  plat::SetCurrentDir(cwd);

  // An existing link of an entry's name is replaced, its target untouched.
  TempDir outside;
  outside.write("precious", "mine");
  plat::MakeDirs(t.file("out"));
  ASSERT_EQ(symlink(outside.file("precious").c_str(), t.file("out/B.BIN").c_str()), 0);
  z.ExtrBaseDir = t.file("out");
  z.FSpecArgs = {"*.*"};
  z.Extract();
  EXPECT_EQ(z.SuccessCnt, 2);
  EXPECT_TRUE(z.FSpecArgs.empty());
  struct stat st {};
  ASSERT_EQ(lstat(t.file("out/B.BIN").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(outside.read("precious"), "mine");

  // Test mode writes nothing; a missing archive gives its message.
  z.ExtrOptions = {ExtrTest};
  z.FSpecArgs = {"*.*"};
  z.ExtrBaseDir = t.file("tested");
  plat::MakeDirs(z.ExtrBaseDir);
  z.Extract();
  EXPECT_EQ(z.SuccessCnt, 2);
  EXPECT_TRUE(plat::ListDir(z.ExtrBaseDir).empty());
  z.SetZipFilename(t.file("gone.zip"));
  z.Extract();
  EXPECT_EQ(z.ErrCode, 10102);
  EXPECT_EQ(z.Message, "Error - no zip file specified!");
}

TEST(ZipExtractor, CallbackReportsProgressAndCancels) {
  TempDir t;
  t.write("set.zip", BuildZip({{"A.BIN", kRom}, {"B.BIN", "b"}, {"C.BIN", "c"}}));
  plat::MakeDirs(t.file("out"));
  TZipExtractor z;
  z.Unattended = true;
  z.ExtrBaseDir = t.file("out");
  z.ExtrOptions = {ExtrOverWrite};
  z.FSpecArgs = {"*.*"};
  z.SetZipFilename(t.file("set.zip"));
  std::vector<std::string> seen;
  z.OnProgress = [&](TProgressType kind, const std::string& name, int64_t size) {
    seen.push_back(std::to_string(kind) + ":" + name + ":" + std::to_string(size));
    if (name == "B.BIN") z.Cancel = true;
  };
  z.Extract();
  EXPECT_EQ(z.SuccessCnt, 1);
  EXPECT_EQ(z.ErrCode, plat::zip::kCancelled);
  EXPECT_FALSE(z.Cancel);
  const std::vector<std::string> want = {"3:" ":3", "4::3002", "0:A.BIN:3000", "1::3000",
                                         "0:B.BIN:1"};
  EXPECT_EQ(seen, want);
}

TEST(ZipLib, NamesAndSpecs) {
  EXPECT_TRUE(plat::zip::MatchSpec("*.*", "noext"));
  EXPECT_TRUE(plat::zip::MatchSpec("PAC*.?IN", "pacman.bin"));
  EXPECT_FALSE(plat::zip::MatchSpec("*.zip", "a.bin"));
}
