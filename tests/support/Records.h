// Small database records for tests.
#pragma once
#include <memory>
#include <string>

#include "database/types.h"

inline std::unique_ptr<PlayStatRecord> Stat(const std::string& name, uint32_t times, uint32_t h,
                                            uint32_t m, uint32_t s) {
  auto r = types::NewPlayStatRecord();
  r->Name = name;
  r->TotTimes = times;
  r->TotHours = h;
  r->TotMinutes = m;
  r->TotSeconds = s;
  return r;
}
