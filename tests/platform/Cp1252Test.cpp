#include <gtest/gtest.h>

#include "platform/Cp1252.h"
#include "platform/Library.h"

using namespace plat;

TEST(Cp1252, RoundTripsEveryByte) {
  std::string all;
  for (int i = 1; i < 256; ++i) all.push_back(static_cast<char>(i));
  EXPECT_EQ(ToAnsi(FromAnsi(all)), all);
  EXPECT_EQ(FromAnsi("\x80"), QString(QChar(0x20AC)));
  EXPECT_EQ(FromAnsi("\xE9"), QString(QChar(0xE9)));
  EXPECT_EQ(ToAnsi(QString(QChar(0x2122))), "\x99");
  EXPECT_EQ(ToAnsi(QString(QChar(0x4E2D))), "?");
}

TEST(Libraries, LoadsThroughDlopenAndMapsWindowsNames) {
  EXPECT_EQ(NativeLibraryName("DDraw.dll"), "libddraw.so");
  void* z = LoadLibrary("libz.so.1");
  ASSERT_NE(z, nullptr);
  EXPECT_NE(GetProcAddress(z, "inflate"), nullptr);
  EXPECT_EQ(GetProcAddress(z, "no_such_function"), nullptr);
  FreeLibrary(z);
  EXPECT_EQ(LoadLibrary("unace.dll"), nullptr);
}
