#include <gtest/gtest.h>

#include "platform/Drives.h"
#include "support/TempDir.h"

TEST(CdRomDrives, OpticalMountsAreLetteredFromD) {
  const char* mounts =
      "sysfs /sys sysfs rw,nosuid 0 0\n"
      "/dev/sda1 / ext4 rw,relatime 0 0\n"
      "/dev/sr0 /media/user/MAME\\040CD\\0401 iso9660 ro,nosuid 0 0\n"
      "/dev/loop3 /mnt/disc udf ro 0 0\n"
      "/dev/sr1 /media/cdrom ISO9660 ro 0 0\n"
      "broken line\n"
      "fuseiso /home/user/disc1 fuse.fuseiso rw,nosuid 0 0\n"
      "sshfs /home/user/net fuse.sshfs rw 0 0\n";
  auto drives = plat::ParseCdRomMounts(mounts);
  ASSERT_EQ(drives.size(), 4u);
  EXPECT_EQ(drives[3].root, "/home/user/disc1/");  // an image mounted by the user
  EXPECT_EQ(drives[0].letter, "D:");
  EXPECT_EQ(drives[0].root, "/media/user/MAME CD 1/");
  EXPECT_EQ(drives[0].device, "/dev/sr0");
  EXPECT_EQ(drives[1].letter, "E:");
  EXPECT_EQ(drives[1].root, "/mnt/disc/");
  EXPECT_EQ(drives[2].letter, "F:");
  EXPECT_TRUE(drives[0].label.empty());
  EXPECT_EQ(plat::UnescapeMountField("a\\134b\\011c\\9"), "a\\b\tc\\9");
}

TEST(CdRomDrives, NoMoreLettersThanTheAlphabetHas) {
  std::string mounts;
  for (int i = 0; i < 30; ++i) mounts += "/dev/sr" + std::to_string(i) + " /m" + std::to_string(i) + " iso9660 ro 0 0\n";
  auto drives = plat::ParseCdRomMounts(mounts);
  ASSERT_EQ(drives.size(), 23u);
  EXPECT_EQ(drives.back().letter, "Z:");
}

TEST(CdRomDrives, TestTableReplacesTheMachine) {
  TempDir d1, d2;
  plat::SetCdRomDrivesForTests(std::vector<plat::CdRomDrive>{
      {"D:", d1.path(), "DISC1", ""}, {"G:", d2.path(), "DISC2", ""}});
  ASSERT_EQ(plat::CdRomDrives().size(), 2u);
  auto g = plat::FindCdRomDrive("g:\\");
  ASSERT_TRUE(g.has_value());
  EXPECT_EQ(g->root, d2.path());
  EXPECT_EQ(g->label, "DISC2");
  EXPECT_TRUE(plat::FindCdRomDrive("D").has_value());
  EXPECT_FALSE(plat::FindCdRomDrive("E:").has_value());
  EXPECT_FALSE(plat::FindCdRomDrive("").has_value());
  plat::SetCdRomDrivesForTests(std::nullopt);
}

TEST(CdRomDrives, LabelOfSomethingThatIsNoDiscIsEmpty) {
  TempDir t;
  std::string file = t.write("image.iso", std::string(40000, '\0'));
  EXPECT_EQ(plat::VolumeLabel(file), "");
  EXPECT_EQ(plat::VolumeLabel("relative"), "");
  // An image with a primary volume descriptor gives its identifier.
  std::string iso(40000, '\0');
  iso[16 * 2048] = 1;
  iso.replace(16 * 2048 + 1, 5, "CD001");
  iso.replace(16 * 2048 + 40, 32, "MAMECD_DISC_1                   ");
  std::string image = t.write("disc.iso", iso);
  EXPECT_EQ(plat::VolumeLabel(image), "MAMECD_DISC_1");
}

TEST(CdRomDrives, ALoopDeviceIsReadThroughItsImage) {
  TempDir sys;
  sys.write("loop3/loop/backing_file", "/home/user/MAME CD 1.iso\n");
  EXPECT_EQ(plat::LoopBackingFile("/dev/loop3", sys.path()), "/home/user/MAME CD 1.iso");
  EXPECT_EQ(plat::LoopBackingFile("/dev/loop4", sys.path()), "");
  EXPECT_EQ(plat::LoopBackingFile("/dev/sr0", sys.path()), "");
  EXPECT_EQ(plat::LoopBackingFile("/dev/loop", sys.path()), "");
}
