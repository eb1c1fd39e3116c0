// Every picture fuzz seed and every input kept from a fuzzing failure, through the checks.
#include <gtest/gtest.h>

#include <string>

#include "../../fuzz/CodecFuzzChecks.h"
#include "support/CorpusCheck.h"

namespace {

const std::string kSource = VELMORA_SOURCE_DIR;

}  // namespace

TEST(FuzzRegressions, PictureInputs) {
  CheckFolder(kSource + "/fuzz/corpus/gif/", fuzzchecks::CheckGif);
  CheckFolder(kSource + "/tests/codecs/fuzz-regressions/gif/", fuzzchecks::CheckGif);
  CheckFolder(kSource + "/fuzz/corpus/png/", fuzzchecks::CheckPng);
  CheckFolder(kSource + "/tests/codecs/fuzz-regressions/png/", fuzzchecks::CheckPng);
}
