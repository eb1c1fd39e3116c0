#include <gtest/gtest.h>

#include "platform/SystemInfo.h"

TEST(SystemInfo, KernelBuildNumberAndDateFromTheVersionText) {
  struct { const char* version; const char* shown; } rows[] = {
      {"#1 SMP PREEMPT_DYNAMIC @0", "Build 1"},  // a build that left its date out
      {"#1 SMP PREEMPT_DYNAMIC Debian 6.1.99-1 (2024-07-15)", "Build 1 of 2024-07-15"},
      {"#1 SMP PREEMPT_DYNAMIC Mon Jan 29 19:07:25 UTC 2024", "Build 1 of 2024-01-29"},
      {"#1 SMP PREEMPT_DYNAMIC Fri, 09 Feb 2024 09:40:07 +0000", "Build 1 of 2024-02-09"},
      {"#26~22.04.1-Ubuntu SMP PREEMPT_DYNAMIC Thu Jan 18 17:47:44 UTC 2",
       "Build 26~22.04.1-Ubuntu"},
      {"#3 SMP @1705572000", "Build 3 of 2024-01-18"},
      {"#7 SMP Jan 99 2024 (2024-13-40)", "Build 7"},
      {"custom kernel", "custom kernel"},
      {"", ""},
      {"#", "#"},
  };
  for (const auto& r : rows) EXPECT_EQ(plat::KernelBuild(r.version), r.shown) << r.version;
  EXPECT_EQ(plat::SystemLines("", {"Linux", "6.18.44", "#1 SMP PREEMPT_DYNAMIC @0", "x86_64"})[2],
            "Kernel Linux 6.18.44");
}
