// The force-feedback effect tree: loading a stored tree of 200,000 sibling effects (which
// also clears the tree it replaces) and clearing it.
#include <benchmark/benchmark.h>

#include "directx/ForceFeedback.h"

namespace {

const std::string& WideTree() {
  static const std::string data = [] {
    TForceFeedbackEffects root(nullptr);
    for (int i = 0; i < 200000; ++i) new TForceFeedbackEffect(&root);
    return root.SaveToBytes();
  }();
  return data;
}

void BM_ForceFeedbackLoad200kSiblings(benchmark::State& state) {
  const std::string& data = WideTree();
  TForceFeedbackEffects root(nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(root.LoadFromBytes(data));
}

void BM_ForceFeedbackClear200kSiblings(benchmark::State& state) {
  TForceFeedbackEffects root(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < 200000; ++i) new TForceFeedbackEffect(&root);
    state.ResumeTiming();
    root.Clear();
  }
}

}  // namespace

BENCHMARK(BM_ForceFeedbackLoad200kSiblings)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ForceFeedbackClear200kSiblings)->Unit(benchmark::kMillisecond)->Iterations(2);
