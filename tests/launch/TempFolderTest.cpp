#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "launch/TempFolder.h"
#include "platform/Files.h"
#include "support/TempDir.h"

TEST(DeleteFolderTree, RemovesEverythingBelowAndTheFolder) {
  TempDir t;
  t.write("$VRTEMP$/A.BIN", "a");
  t.write("$VRTEMP$/sub/deeper/B.BIN", "b");
  t.write("$VRTEMP$/sub/C.BIN", "c");
  chmod(t.file("$VRTEMP$/A.BIN").c_str(), 0444);
  chmod(t.file("$VRTEMP$/sub").c_str(), 0500);
  EXPECT_TRUE(launch::DeleteFolderTree(t.file("$VRTEMP$")));
  EXPECT_FALSE(plat::DirExists(t.file("$VRTEMP$")));
  // A folder that is not there counts as deleted.
  EXPECT_TRUE(launch::DeleteFolderTree(t.file("$VRTEMP$")));
  EXPECT_TRUE(launch::DeleteFolderTree(t.file("nothing/here/")));
}

TEST(DeleteFolderTree, NeverFollowsLinks) {
  TempDir t, outside;
  outside.write("keep/precious.dat", "mine");
  t.write("$VRTEMP$/A.BIN", "a");
  ASSERT_EQ(symlink(outside.file("keep").c_str(), t.file("$VRTEMP$/link").c_str()), 0);
  ASSERT_EQ(symlink(outside.file("keep/precious.dat").c_str(), t.file("$VRTEMP$/file").c_str()), 0);
  EXPECT_TRUE(launch::DeleteFolderTree(t.file("$VRTEMP$")));
  EXPECT_FALSE(plat::DirExists(t.file("$VRTEMP$")));
  EXPECT_EQ(outside.read("keep/precious.dat"), "mine");
  // The folder itself being a link: the link goes, what it points to stays.
  ASSERT_EQ(symlink(outside.file("keep").c_str(), t.file("$VRTEMP$").c_str()), 0);
  EXPECT_TRUE(launch::DeleteFolderTree(t.file("$VRTEMP$")));
  EXPECT_EQ(outside.read("keep/precious.dat"), "mine");
}

TEST(DeleteFolderTree, FailureKeepsWhatCouldNotGoAndTheFoldersAbove) {
  TempDir t;
  t.write("$VRTEMP$/first.bin", "1");
  t.write("$VRTEMP$/inner/HELD.BIN", "held");
  t.write("$VRTEMP$/inner/free.bin", "2");
  t.write("$VRTEMP$/other/free.bin", "3");
  launch::SetDeleteFileHookForTests(
      [](const std::string& p) { return plat::FileNameOf(p) != "HELD.BIN"; });
  bool ok = launch::DeleteFolderTree(t.file("$VRTEMP$"));
  launch::SetDeleteFileHookForTests(nullptr);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(plat::FileExists(t.file("$VRTEMP$/inner/HELD.BIN")));
  EXPECT_FALSE(plat::FileExists(t.file("$VRTEMP$/inner/free.bin")));
  EXPECT_FALSE(plat::FileExists(t.file("$VRTEMP$/first.bin")));
  EXPECT_FALSE(plat::DirExists(t.file("$VRTEMP$/other")));
  // Once the file is free, the next call finishes the job.
  EXPECT_TRUE(launch::DeleteFolderTree(t.file("$VRTEMP$")));
  EXPECT_FALSE(plat::DirExists(t.file("$VRTEMP$")));
}

TEST(DeleteFolderTree, AFolderThatStaysIsAFailure) {
  TempDir t;
  t.write("$VRTEMP$/A.BIN", "a");
  const std::string folder = t.file("$VRTEMP$");
  launch::SetDeleteFileHookForTests([&](const std::string& p) { return p != folder; });
  bool ok = launch::DeleteFolderTree(folder);
  launch::SetDeleteFileHookForTests(nullptr);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(plat::DirExists(folder));
  EXPECT_FALSE(plat::FileExists(folder + "/A.BIN"));
}
