#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <stdexcept>

#include "frontend/main.h"
#include "support/ScriptedSeam.h"
#include "support/TempDir.h"

TEST(MainServices, MessageBoxIsTitledVelmoraAndReturnsTheButton) {
  ScriptedSeam seam;
  seam.messageAnswers = {plat::IDNO};
  TMainFRM f;
  EXPECT_EQ(f.ShowMessageBox("Line one\rLine two", 36), plat::IDNO);
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].title, "Velmora");
  EXPECT_EQ(seam.messages[0].text, "Line one\rLine two");
  EXPECT_EQ(seam.messages[0].flags, 36u);
  EXPECT_EQ(f.ShowMessageBox("x", 64), plat::IDOK);
  EXPECT_EQ(plat::NormalizeLineBreaks("a\rb\r\nc"), "a\nb\nc");
  // A handler's failure is shown, never thrown on.
  seam.messages.clear();
  f.Guarded([] { throw std::runtime_error("broken"); });
  f.Guarded([] { throw 7; });
  f.Guarded([] {});
  ASSERT_EQ(seam.messages.size(), 2u);
  EXPECT_EQ(seam.messages[0].text, "broken");
  EXPECT_EQ(seam.messages[1].text, "Unexpected error");
  EXPECT_EQ(seam.messages[1].flags, 16u);
}

TEST(MainServices, BusyCursorIsAStateNotAStack) {
  TMainFRM f;
  f.SetIdleCursor(false);
  f.SetIdleCursor(false);
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  f.SetIdleCursor(true);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  f.SetIdleCursor(true);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(MainServices, PadRight) {
  EXPECT_EQ(TMainFRM::PadRight("ABCDEFGHIJKL", 10), "ABCDEFGHIJKL");
  EXPECT_EQ(TMainFRM::PadRight("AB", 4), "AB  ");
  EXPECT_EQ(TMainFRM::PadRight("", 0), "");
}

TEST(MainServices, GZipSignature) {
  TempDir t;
  EXPECT_TRUE(TMainFRM::IsGZipFile(t.write("a.gz", std::string("\x1f\x8b\x08", 3))));
  EXPECT_FALSE(TMainFRM::IsGZipFile(t.write("short", "\x1f")));
  EXPECT_FALSE(TMainFRM::IsGZipFile(t.write("plain.dat", "text")));
  EXPECT_FALSE(TMainFRM::IsGZipFile(t.path() + "missing"));
}

TEST(MainServices, TextFileCollectionKeepsRealNamesAndSkipsLinks) {
  TempDir t;
  t.write("ReadMe.txt", "");
  t.write("dir.TXT", "");
  t.write("other.doc", "");
  t.write("Docs/WhatsNew.TXT", "");
  ASSERT_EQ(symlink(t.path().c_str(), (t.path() + "Docs/loop").c_str()), 0);
  ASSERT_EQ(symlink((t.path() + "ReadMe.txt").c_str(), (t.path() + "link.txt").c_str()), 0);
  StringList files;
  TMainFRM::CollectTextFiles(files, t.path());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (StringList{t.path() + "Docs/WhatsNew.TXT", t.path() + "ReadMe.txt"}));
}
