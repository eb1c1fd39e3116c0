// Every picture fuzz seed and every input kept from a fuzzing failure, through the checks.
#include <gtest/gtest.h>

#include <string>

#include "../../fuzz/CodecFuzzChecks.h"
#include "../../fuzz/WmfFuzzChecks.h"
#include "support/CorpusCheck.h"

TEST(FuzzRegressions, PictureInputs) {
  CheckSeedsAndRegressions("gif", "codecs", fuzzchecks::CheckGif);
  CheckSeedsAndRegressions("png", "codecs", fuzzchecks::CheckPng);
  CheckSeedsAndRegressions("jpeg", "codecs", fuzzchecks::CheckJpeg);
  CheckSeedsAndRegressions("wmf", "codecs", fuzzchecks::CheckMetafile);
}
