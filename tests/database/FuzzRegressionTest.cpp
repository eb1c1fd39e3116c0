// Every fuzz seed and every input kept from a fuzzing failure, through the fuzz checks.
#include <gtest/gtest.h>

#include <string>

#include "../../fuzz/FuzzChecks.h"
#include "support/CorpusCheck.h"

namespace {

const std::string kSource = VELMORA_SOURCE_DIR;

}  // namespace

TEST(FuzzRegressions, ListinfoInputs) {
  CheckFolder(kSource + "/fuzz/corpus/listinfo/", fuzzchecks::CheckListinfo);
  CheckFolder(kSource + "/tests/database/fuzz-regressions/listinfo/", fuzzchecks::CheckListinfo);
}

TEST(FuzzRegressions, ProfileInputs) {
  CheckFolder(kSource + "/fuzz/corpus/profile/", fuzzchecks::CheckProfile);
  CheckFolder(kSource + "/tests/database/fuzz-regressions/profile/", fuzzchecks::CheckProfile);
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
  CheckFolder(kSource + "/fuzz/corpus/ini/", fuzzchecks::CheckIni);
  CheckFolder(kSource + "/tests/database/fuzz-regressions/ini/", fuzzchecks::CheckIni);
}
