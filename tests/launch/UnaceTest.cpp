#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <vector>

#include "launch/unace.h"
#include "platform/Files.h"
#include "support/ArchiveBuilder.h"
#include "support/TempDir.h"

using namespace unace;
using testarc::AceItem;
using testarc::BuildAce;

namespace {

struct Got {
  int open = 0;           // open result
  int end = 0;            // the code that ended the reading
  std::vector<std::string> files;  // "name size crc" of each extracted file
};

// Drives the library as the unpacking does: every entry extracted into `dir`.
Got Unace(const std::string& archive, const std::string& dir) {
  Got g;
  ACEOpenArchiveData open;
  open.ArcName = archive;
  ACEHandle h = ACEOpenArchive(open);
  g.open = static_cast<int>(open.OpenResult);
  if (!h) return g;
  ACEHeaderData hd;
  int code;
  while ((code = ACEReadHeader(h, hd)) == 0) {
    code = ACEProcessFile(h, ACE_EXTRACT, dir + "/" + hd.FileName);
    if (code != 0) break;
    std::string data;
    plat::ReadWholeFile(dir + "/" + hd.FileName, data);
    char crc[9];
    snprintf(crc, sizeof crc, "%08lx",
             crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    g.files.push_back(hd.FileName + " " + std::to_string(data.size()) + " " + crc);
  }
  g.end = code;
  EXPECT_EQ(ACECloseArchive(h), 0);
  return g;
}

const std::vector<std::string> kSampleFiles = {"test.exe 45056 cfb109c8", "test.jpg 40372 088814e3",
                                               "Tect.txt.txt 15498 9bd160fa"};

std::string SharedSamples() {
  if (const char* env = getenv("VELMORA_ACE_SAMPLES")) return env;
  for (const char* up : {"/../shared/testdata/ace/", "/../../shared/testdata/ace/"}) {
    std::string dir = std::string(VELMORA_SOURCE_DIR) + up;
    if (plat::DirExists(dir)) return dir;
  }
  return {};
}

}  // namespace

TEST(Unace, RealArchives) {
  const std::string data = std::string(VELMORA_SOURCE_DIR) + "/tests/launch/data/ace/";
  struct {
    const char* file;
    int open, end;
    std::vector<std::string> files;
  } cases[] = {
      {"Ace.store.ace", 0, ACE_END, kSampleFiles},
      {"Ace.method1.ace", 0, ACE_END, kSampleFiles},
      {"Ace.method1-solid.ace", 0, ACE_END, kSampleFiles},
      {"Ace.method2.ace", 0, ACE_END, kSampleFiles},
      {"Ace.encrypted.ace", 0, ACE_PASSWORD, {}},
      {"Ace.store.split.ace", ACE_OTHER, 0, {}},
      {"Ace.store.split.c00", ACE_OTHER, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TempDir t;
    Got g = Unace(data + c.file, t.path());
    EXPECT_EQ(g.open, c.open);
    EXPECT_EQ(g.end, c.end);
    EXPECT_EQ(g.files, c.files);
  }
}

TEST(Unace, CopyleftSamplesWhenPresent) {
  const std::string dir = SharedSamples();
  if (dir.empty() || !plat::FileExists(dir + "ALCHT.ACE")) GTEST_SKIP() << "samples absent";
  TempDir t;
  Got g = Unace(dir + "ALCHT.ACE", t.path());  // comments read past, solid, method 1
  EXPECT_EQ(g.end, ACE_END);
  EXPECT_EQ(g.files, std::vector<std::string>{"slots.crd 103688 0ec051fd"});
  EXPECT_EQ(Unace(dir + "multivolume.ace", t.path()).open, ACE_OTHER);
}

TEST(Unace, HandBuiltArchives) {
  const std::string rom(5000, 'r');
  std::string big(3 << 20, '\0');  // two of them run a solid archive's window past its size
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
  std::string cut = BuildAce({{"A.BIN", rom}});
  cut.resize(cut.size() - 100);
  std::string badHeader = BuildAce({{"A.BIN", "a"}, {"B.BIN", "b"}});
  badHeader[badHeader.size() - 3] ^= 1;  // inside B's name
  struct {
    const char* what;
    std::string archive;
    int open, end;
    std::vector<std::string> files;
  } cases[] = {
      {"names stay inside",
       BuildAce({{"sub", "", true}, {"..\\..\\x", "1"}, {"/abs", "2"}, {"..", "3"}, {"a\\.", "4"},
                 {"c\x01", "5"}, {"sub\\EMPTY", ""}}),
       0, ACE_END, {"x 1 83dcefb7", "abs 1 1ad5be0d", "EMPTY 0 00000000"}},
      {"solid stored", BuildAce({{"A.BIN", rom}, {"B.BIN", "b"}}, 0x8000), 0, ACE_END,
       {"A.BIN 5000 ff661998", "B.BIN 1 71beeff9"}},
      {"solid stored past the window", BuildAce({{"A.BIN", big}, {"B.BIN", big}}, 0x8000), 0,
       ACE_END, {"A.BIN 3145728 6109eac5", "B.BIN 3145728 6109eac5"}},
      {"truncated data", cut, 0, ACE_READ, {}},
      {"damaged header", badHeader, 0, ACE_CRC, {"A.BIN 1 e8b7be43"}},
      {"wrong data CRC", BuildAce({{"A.BIN", "a", false, 0, 0, true}, {"B.BIN", "b"}}), 0, ACE_CRC, {}},
      {"encrypted", BuildAce({{"A.BIN", "a", false, 0x4000}}), 0, ACE_PASSWORD, {}},
      {"unknown method", BuildAce({{"A.BIN", "a", false, 0, 5}}), 0, ACE_METHOD, {}},
      {"multi-volume", BuildAce({{"A.BIN", "a"}}, 0x0800), ACE_OTHER, 0, {}},
      {"program in front", std::string(3000, 'M') + BuildAce({{"A.BIN", "a"}}), 0, ACE_END,
       {"A.BIN 1 e8b7be43"}},
      {"not an archive", "no archive here at all", ACE_READ, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir t;
    plat::MakeDirs(t.file("out"));
    Got g = Unace(t.write("set.ace", c.archive), t.file("out"));
    EXPECT_EQ(g.open, c.open);
    EXPECT_EQ(g.end, c.end);
    EXPECT_EQ(g.files, c.files);
    EXPECT_EQ(plat::ListDir(t.path()).size(), 2u);  // nothing outside the target
  }
  // A link at the destination is replaced, never written through.
  TempDir t, outside;
  outside.write("precious", "mine");
  t.write("set.ace", BuildAce({{"A.BIN", "a"}}));
  ASSERT_EQ(symlink(outside.file("precious").c_str(), t.file("A.BIN").c_str()), 0);
  EXPECT_EQ(Unace(t.file("set.ace"), t.path()).files, std::vector<std::string>{"A.BIN 1 e8b7be43"});
  EXPECT_EQ(outside.read("precious"), "mine");
}

TEST(Unace, CodesHandlesAndLoading) {
  EXPECT_EQ(ACEErrorText(2), "\"FILES\" error");
  EXPECT_EQ(ACEErrorText(12), "cannot load UNACE.DLL");
  EXPECT_EQ(ACEErrorText(131), "bad or missing password; cannot uncompress encrypted file");
  EXPECT_EQ(ACEErrorText(255), "archive operation interrupted by user");
  EXPECT_EQ(ACEErrorText(13), "unknown error code");
  EXPECT_EQ(LoadUnaceDLL(), 0);
  SetUnaceMissingForTests(true);
  EXPECT_EQ(LoadUnaceDLL(), ACE_NODLL);
  SetUnaceMissingForTests(false);
  ACEHeaderData hd;
  EXPECT_EQ(ACEReadHeader(nullptr, hd), ACE_HANDLE);
  EXPECT_EQ(ACECloseArchive(nullptr), 0);
  ACEOpenArchiveData open;
  open.ArcName = "/nonexistent/set.ace";
  EXPECT_EQ(ACEOpenArchive(open), nullptr);
  EXPECT_EQ(open.OpenResult, static_cast<uint32_t>(ACE_OPEN));
  // Processing before a header was read is a bad request; a closed handle is unknown.
  TempDir t;
  open.ArcName = t.write("set.ace", BuildAce({{"A.BIN", "a"}}));
  ACEHandle h = ACEOpenArchive(open);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(ACEProcessFile(h, ACE_EXTRACT, t.file("A.BIN")), ACE_MODE);
  EXPECT_EQ(ACECloseArchive(h), 0);
  EXPECT_EQ(ACECloseArchive(h), ACE_HANDLE);
}
