// Runs a fuzz target's check over every file of a corpus or regression folder.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/Files.h"

inline void CheckFolder(const std::string& dir, bool (*check)(std::string_view)) {
  for (const std::string& name : plat::ListDir(dir)) {
    std::string data;
    ASSERT_TRUE(plat::ReadWholeFile(plat::JoinPath(dir, name), data)) << name;
    EXPECT_TRUE(check(data)) << dir << name;
  }
}
