// The formula compiler: any text (and up to ten parameters after a NUL byte, one per line)
// either gives an error text or a list that evaluates, each operation reading only results
// computed before it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "frontend/FormulaFilter.h"
#include "frontend/formulas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t nul = input.find('\0');
  TEvaluator e(&formulafilter::Keywords(), true);
  if (nul != std::string::npos) {
    size_t at = nul + 1;
    for (size_t p = 0; p < 10 && at <= input.size(); ++p) {
      size_t end = input.find('\n', at);
      if (end == std::string::npos) end = input.size();
      e.Params[p] = input.substr(at, end - at);
      at = end + 1;
    }
  }
  static GameRecord game = [] {
    GameRecord g;
    g.Kind = KIND_GAME;
    g.Name = "LOOP";
    g.RomOf = "LOOP";  // a rom-of link back to itself
    g.Description = "Fuzz Game";
    g.Year = 1990;
    return g;
  }();
  formulafilter::Vocabulary::Hooks hooks;
  hooks.FindGame = [](const std::string& n) { return n == "LOOP" ? &game : nullptr; };
  formulafilter::Vocabulary v(hooks, {}, "", "/nonexistent/");
  v.Attach(e);
  v.Current = &game;
  std::vector<std::string> tokens;
  std::string error;
  if (!e.Tokenize(input.substr(0, nul), tokens, error)) {
    if (error.empty()) abort();
    return 0;
  }
  if (!e.Compile(tokens).empty()) return 0;
  for (size_t i = 0; i < e.Operations.size(); ++i)
    for (auto [source, ref] : {std::pair{e.Operations[i].Source1, e.Operations[i].Ref1},
                               std::pair{e.Operations[i].Source2, e.Operations[i].Ref2}})
      if (source == TCompiledOperation::ResultOf && (ref < 0 || static_cast<size_t>(ref) >= i))
        abort();
  bool truth = false;
  if (!e.Evaluate(truth, error)) abort();
  return 0;
}
