// Every picture fuzz seed and every input kept from a fuzzing failure, through the checks.
#include <gtest/gtest.h>

#include <string>

#include "../../fuzz/CodecFuzzChecks.h"
#include "platform/Files.h"

namespace {

void CheckFolder(const std::string& dir, bool (*check)(std::string_view)) {
  for (const std::string& name : plat::ListDir(dir)) {
    std::string data;
    ASSERT_TRUE(plat::ReadWholeFile(plat::JoinPath(dir, name), data)) << name;
    EXPECT_TRUE(check(data)) << dir << name;
  }
}

const std::string kSource = VELMORA_SOURCE_DIR;

}  // namespace

TEST(FuzzRegressions, PictureInputs) {
  CheckFolder(kSource + "/fuzz/corpus/gif/", fuzzchecks::CheckGif);
  CheckFolder(kSource + "/tests/codecs/fuzz-regressions/gif/", fuzzchecks::CheckGif);
  CheckFolder(kSource + "/fuzz/corpus/png/", fuzzchecks::CheckPng);
  CheckFolder(kSource + "/tests/codecs/fuzz-regressions/png/", fuzzchecks::CheckPng);
}
