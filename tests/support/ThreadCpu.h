// The processor time this thread has used: other processes on a busy machine do not add to
// it, as they do to the wall clock. For comparing the work done on two sizes of input, never
// as a speed figure (those belong in bench/).
#pragma once
#include <ctime>

inline double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
