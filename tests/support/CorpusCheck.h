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

// A fuzz target's seeds (fuzz/corpus/<kind>) and the inputs kept from its failures
// (tests/<tests>/fuzz-regressions/<kind>).
inline void CheckSeedsAndRegressions(const std::string& kind, const std::string& tests,
                                     bool (*check)(std::string_view)) {
  const std::string source = VELMORA_SOURCE_DIR;
  CheckFolder(source + "/fuzz/corpus/" + kind + "/", check);
  CheckFolder(source + "/tests/" + tests + "/fuzz-regressions/" + kind + "/", check);
}
