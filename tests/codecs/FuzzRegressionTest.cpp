// Every picture fuzz seed and every input kept from a fuzzing failure, through the checks.
#include <gtest/gtest.h>

#include <string>

#include "../../fuzz/CodecFuzzChecks.h"
#include "../../fuzz/WmfFuzzChecks.h"
#include "support/CorpusCheck.h"
#include "support/ScriptedSeam.h"

TEST(FuzzRegressions, PictureInputs) {
  ScriptedSeam seam;  // a metafile's play is bounded in processor time: the seam's, standing still
  seam.cpuMs = 0;
  CheckSeedsAndRegressions("gif", "codecs", fuzzchecks::CheckGif);
  CheckSeedsAndRegressions("png", "codecs", fuzzchecks::CheckPng);
  CheckSeedsAndRegressions("jpeg", "codecs", fuzzchecks::CheckJpeg);
  CheckSeedsAndRegressions("wmf", "codecs", fuzzchecks::CheckMetafile);
}
