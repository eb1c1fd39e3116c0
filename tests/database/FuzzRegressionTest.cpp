// Every fuzz seed and every input kept from a fuzzing failure, through the fuzz checks.
#include <gtest/gtest.h>

#include <string>

#include "../../fuzz/FuzzChecks.h"
#include "support/CorpusCheck.h"

namespace {

const std::string kSource = VELMORA_SOURCE_DIR;

}  // namespace

TEST(FuzzRegressions, ListinfoInputs) {
  CheckSeedsAndRegressions("listinfo", "database", fuzzchecks::CheckListinfo);
}

TEST(FuzzRegressions, ProfileInputs) {
  CheckSeedsAndRegressions("profile", "database", fuzzchecks::CheckProfile);
  // The kept inputs are all refused.
  const std::string dir = kSource + "/tests/database/fuzz-regressions/profile/";
  for (const std::string& name : plat::ListDir(dir)) {
    std::string data;
    plat::ReadWholeFile(dir + name, data);
    profile::ProfileContent c;
    EXPECT_NE(profile::DecodeProfile(data, c), profile::LoadStatus::Ok) << name;
  }
}

TEST(FuzzRegressions, IniInputs) {
  CheckSeedsAndRegressions("ini", "database", fuzzchecks::CheckIni);
}
