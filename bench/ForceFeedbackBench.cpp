// The force-feedback effect tree: loading a stored tree of sibling effects (which also clears
// the tree it replaces) and clearing it, over several widths with the fitted order (linear:
// each effect leaves its parent's list from the end).
#include <benchmark/benchmark.h>

#include <map>

#include "directx/ForceFeedback.h"

namespace {

const std::string& WideTree(int siblings) {
  static std::map<int, std::string> data;
  std::string& stored = data[siblings];
  if (stored.empty()) {
    TForceFeedbackEffects root(nullptr);
    for (int i = 0; i < siblings; ++i) new TForceFeedbackEffect(&root);
    stored = root.SaveToBytes();
  }
  return stored;
}

void BM_ForceFeedbackLoadSiblings(benchmark::State& state) {
  const int siblings = static_cast<int>(state.range(0));
  const std::string& data = WideTree(siblings);
  TForceFeedbackEffects root(nullptr);
  root.LoadFromBytes(data);  // the first load also pays for fresh memory: not timed
  for (auto _ : state)
    if (!root.LoadFromBytes(data) || root.Count() != siblings) state.SkipWithError("not loaded");
  state.SetComplexityN(siblings);
}

void BM_ForceFeedbackClearSiblings(benchmark::State& state) {
  const int siblings = static_cast<int>(state.range(0));
  TForceFeedbackEffects root(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < siblings; ++i) new TForceFeedbackEffect(&root);
    state.ResumeTiming();
    root.Clear();
  }
  state.SetComplexityN(siblings);
}

}  // namespace

BENCHMARK(BM_ForceFeedbackLoadSiblings)
    ->Arg(12500)->Arg(50000)->Arg(200000)->Arg(800000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForceFeedbackClearSiblings)
    ->Arg(12500)->Arg(50000)->Arg(200000)->Arg(800000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
