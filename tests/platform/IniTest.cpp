#include <gtest/gtest.h>

#include "../../fuzz/SettingsFuzzChecks.h"
#include "platform/Ini.h"
#include "support/CorpusCheck.h"
#include "support/TempDir.h"

using plat::IniFile;

TEST(Ini, ReadsLikeTheProfileFunctions) {
  IniFile ini;
  ini.LoadFromText("; comment\n[General]\nLastProfile = C:\\Mame\\a.vrl \nCount=12abc\n"
                   "Quoted=\"  spaced  \"\n\n[Empty]\n[other]\r\nX=1\rY=2\r\n");
  EXPECT_EQ(ini.ReadString("general", "LASTPROFILE", "d"), "C:\\Mame\\a.vrl");
  EXPECT_EQ(ini.ReadInteger("GENERAL", "count", 0), 12);
  EXPECT_EQ(ini.ReadInteger("General", "missing", 7), 7);
  EXPECT_EQ(ini.ReadString("General", "Quoted", ""), "  spaced  ");
  EXPECT_EQ(ini.ReadInteger("OTHER", "x", 0), 1);
  EXPECT_EQ(ini.ReadInteger("OTHER", "y", 0), 2);  // lone CR ends a line
  EXPECT_TRUE(ini.SectionExists("EMPTY"));
  EXPECT_FALSE(ini.SectionExists("nope"));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"General", "Empty", "other"}));
  EXPECT_EQ(ini.ReadSection("general"),
            (std::vector<std::string>{"LastProfile", "Count", "Quoted"}));
  // A UTF-8 byte-order mark before the first line is no part of it.
  ini.LoadFromText("\xEF\xBB\xBF[directory]\r\nrompath=roms\r\n");
  EXPECT_EQ(ini.ReadString("directory", "rompath", ""), "roms");
}

TEST(Ini, WritesKeepOrderCaseAndUnknownLines) {
  IniFile ini;
  ini.LoadFromText("[A]\nk1=v1\n; keep me\n k2 = v2 \n\n [B] \nz=1\n[b]\nz=2\n");
  ini.WriteString("a", "K1", "new");   // replaced in place, spelling of the file kept
  ini.WriteString("A", "k3", "v3");    // appended after the last key of the section
  ini.WriteString("A", "K2", "v2");    // unchanged: the line keeps its exact text
  ini.WriteInteger("C", "n", -5);      // new section at the end
  EXPECT_EQ(ini.ToText(),
            "[A]\r\nk1=new\r\n; keep me\r\n k2 = v2 \r\nk3=v3\r\n\r\n [B] \r\nz=1\r\n"
            "[b]\r\nz=2\r\n[C]\r\nn=-5\r\n");
  EXPECT_EQ(ini.ReadString("B", "z", ""), "1");  // the first of two sections of a name
  ini.EraseSection("b");
  EXPECT_EQ(ini.ReadString("B", "z", ""), "2");
  ini.EraseSection("b");
  ini.DeleteKey("A", "K2");
  EXPECT_EQ(ini.ToText(), "[A]\r\nk1=new\r\n; keep me\r\nk3=v3\r\n\r\n[C]\r\nn=-5\r\n");
}

TEST(Ini, RoundTripThroughAFile) {
  TempDir t;
  t.write("VELMORA.INI", "[Settings]\nFontSize=9\n");
  IniFile ini(t.path() + "velmora.ini");  // found without regard to case
  ASSERT_TRUE(ini.Load());
  EXPECT_EQ(ini.ReadInteger("settings", "fontsize", 0), 9);
  ini.WriteBool("Settings", "Flag", true);
  ASSERT_TRUE(ini.Save());
  EXPECT_EQ(t.read("VELMORA.INI"), "[Settings]\r\nFontSize=9\r\nFlag=1\r\n");
  IniFile missing(t.path() + "none.ini");
  EXPECT_TRUE(missing.Load());
  EXPECT_TRUE(missing.ReadSections().empty());
}

TEST(Ini, NumbersReadTolerantly) {
  IniFile ini;
  ini.LoadFromText("[S]\nh=0x1F\nneg=-3\nf=1,5\ng=0.25\nbad=x\n");
  EXPECT_EQ(ini.ReadInteger("S", "h", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "neg", 0), -3);
  EXPECT_EQ(ini.ReadInteger("S", "bad", 4), 4);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "f", 0), 1.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "g", 0), 0.25);
  EXPECT_TRUE(ini.ReadBool("S", "neg", false));
}

// Big sections are found through the index: same answers as the scan of small ones.
TEST(Ini, ManyKeysAndSectionsBehaveAlike) {
  std::string text = "[Big]\n";
  for (int i = 0; i < 40; ++i) text += " K" + std::to_string(i) + " = v" + std::to_string(i) + "\n";
  text += "k5=second\n";
  for (int i = 0; i < 3000; ++i) text += "[s" + std::to_string(i) + "]\nx=" + std::to_string(i) + "\n";
  IniFile ini;
  ini.LoadFromText(text);
  EXPECT_EQ(ini.ReadString("BIG", "k39", ""), "v39");
  EXPECT_EQ(ini.ReadString("big", "K5", ""), "v5");
  ini.DeleteKey("Big", "k5");
  EXPECT_EQ(ini.ReadString("big", "K5", ""), "second");
  ini.WriteString("Big", "k7", "new");
  ini.WriteString("Big", "k40", "added");
  EXPECT_EQ(ini.ReadInteger("S2999", "X", 0), 2999);
  ini.EraseSection("s1500");
  EXPECT_FALSE(ini.SectionExists("S1500"));
  ini.WriteInteger("s1500", "x", 7);
  EXPECT_EQ(ini.ReadInteger("s1500", "x", 0), 7);
  std::string out = ini.ToText();
  EXPECT_EQ(out.rfind("[Big]\r\n K0 = v0\r\n", 0), 0u);
  EXPECT_NE(out.find("\r\n K6 = v6\r\nK7=new\r\n K8 = v8\r\n"), std::string::npos);
  EXPECT_NE(out.find("k5=second\r\nk40=added\r\n[s0]"), std::string::npos);
  EXPECT_EQ(out.find("[s1500]\r\nx=1500"), std::string::npos);
  EXPECT_NE(out.find("[s2999]\r\nx=2999\r\n[s1500]\r\nx=7\r\n"), std::string::npos);
}

TEST(Ini, SettingsFuzzSeedsKeepTheSizeBound) {
  CheckSeedsAndRegressions("settings", "platform", fuzzchecks::CheckSettings);
}
