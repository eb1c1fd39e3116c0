#include <gtest/gtest.h>

#include "database/DOSexec.h"
#include "database/TextStream.h"
#include "platform/Files.h"
#include "support/ScriptedSeam.h"
#include "support/TempDir.h"

namespace {
std::vector<std::string> Lines(const std::string& data, uint8_t mode,
                               std::vector<uint32_t>* counts = nullptr) {
  TTextStream ts;
  ts.LineEnd = mode;
  ts.LoadFromString(data);
  std::vector<std::string> out;
  std::string s;
  while (!ts.Eof()) {
    uint32_t n = ts.ReadLn(s);
    if (counts) counts->push_back(n);
    out.push_back(s);
  }
  return out;
}
}  // namespace

TEST(TextStreamRead, CrLfMode) {
  std::vector<uint32_t> c;
  EXPECT_EQ(Lines("a\nb\r\n", TTextStream::CRLF, &c), (std::vector<std::string>{"a\nb"}));
  EXPECT_EQ(c, (std::vector<uint32_t>{5}));
  c.clear();
  EXPECT_EQ(Lines("a\rb\r\n", TTextStream::CRLF, &c), (std::vector<std::string>{"a\rb"}));
  EXPECT_EQ(c, (std::vector<uint32_t>{5}));
  EXPECT_EQ(Lines("x\r\ny\r", TTextStream::CRLF), (std::vector<std::string>{"x", "y\r"}));
  // The byte after a CR is never the start of a line end, even a CR.
  EXPECT_EQ(Lines("a\r\r\nb", TTextStream::CRLF), (std::vector<std::string>{"a\r\r\nb"}));
}

TEST(TextStreamRead, CrAndLfAndNoneModes) {
  std::vector<uint32_t> c;
  EXPECT_EQ(Lines("a\r\nb", TTextStream::CR, &c), (std::vector<std::string>{"a", "\nb"}));
  EXPECT_EQ(c[0], 2u);
  EXPECT_EQ(Lines("a\r\nb\n", TTextStream::LF), (std::vector<std::string>{"a\r", "b"}));
  EXPECT_EQ(Lines("a\r\nb\nc", TTextStream::NONE), (std::vector<std::string>{"abc"}));
}

TEST(TextStreamRead, TolerantModeForOutsideFiles) {
  EXPECT_EQ(Lines("a\nb\r\nc\rd", TTextStream::TOLERANT),
            (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(Lines("a\n\nb", TTextStream::TOLERANT), (std::vector<std::string>{"a", "", "b"}));
  TTextStream ts;
  std::string s = "junk";
  EXPECT_EQ(ts.ReadLn(s), 0u);  // reading at the end is no error
  EXPECT_EQ(s, "");
}

TEST(TextStreamWrite, LineEndsAndFailures) {
  TTextStream ts;
  EXPECT_EQ(ts.WriteLn("abc"), 5u);
  ts.LineEnd = TTextStream::NONE;
  EXPECT_EQ(ts.WriteLn("abc"), 3u);
  ts.LineEnd = TTextStream::LF;
  EXPECT_EQ(ts.WriteLn("d"), 2u);
  EXPECT_EQ(ts.Data(), "abc\r\nabcd\n");
  ts.SetFailWrites(true);
  EXPECT_EQ(ts.WriteString("x"), 0u);

  TempDir t;
  EXPECT_TRUE(ts.SaveToFile(t.path() + "out.txt"));
  EXPECT_EQ(t.read("out.txt"), "abc\r\nabcd\n");
  std::string err;
  EXPECT_FALSE(ts.SaveToFile(t.path() + "no/such/dir/out.txt", &err));  // reaches the caller
  EXPECT_FALSE(err.empty());
  TTextStream in;
  EXPECT_FALSE(in.LoadFromFile(t.path() + "missing.txt"));
  ASSERT_TRUE(in.LoadFromFile(t.path() + "out.txt"));
  EXPECT_EQ(in.Size(), 10u);
}

TEST(HexNumTest, EveryOtherCharacterCountsZero) {
  EXPECT_EQ(HexNum::HexToInt("ff"), 255u);
  EXPECT_EQ(HexNum::HexToInt(""), 0u);
  EXPECT_EQ(HexNum::HexToInt("1G"), 16u);
  EXPECT_EQ(HexNum::HexToInt("1F"), 31u);
  EXPECT_EQ(HexNum::HexToInt("0x1f"), 31u);
  EXPECT_EQ(HexNum::HexToInt("FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(HexNum::HexToInt("12 3"), 0x1203u);
  EXPECT_EQ(HexNum::HexToInt("100000000"), 0u);  // higher digits wrap
}

TEST(ExecAndWaitTest, ReturnsStartErrorAndExitStatus) {
  TempDir t;
  int status = -7;
  EXPECT_EQ(DOSexec::ExecAndWait(t.path() + "nothing-here", DOSexec::SW_HIDE, true, &status), 2);
  EXPECT_EQ(DOSexec::ExecAndWait("/bin/sh -c exit 4", DOSexec::SW_HIDE, true, &status), 0);
  EXPECT_EQ(status, 4);
  ScriptedSeam seam;
  seam.processHandler = [](const std::string&, bool show, plat::WaitMode w) {
    plat::ProcessResult r;
    r.exitStatus = show && w == plat::WaitMode::KeepPainting ? 0 : 1;
    return r;
  };
  EXPECT_EQ(DOSexec::ExecAndWait("emu pacman", DOSexec::SW_SHOWNORMAL, true, &status), 0);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(seam.commands.size(), 1u);
  EXPECT_EQ(seam.commands[0], "emu pacman");
}
