// What the force-feedback fuzz target (and its regression test) require of any stored effect
// tree: refused with the tree kept as it was, or read into a tree that reads back as saved.
#pragma once
#include <string>
#include <string_view>

#include "directx/ForceFeedback.h"

namespace fuzzchecks {

inline bool CheckForceFeedback(std::string_view data) {
  TForceFeedbackEffects tree(nullptr);
  (new TForceFeedbackEffect(&tree))->SetName("kept");
  const std::string before = tree.SaveToBytes();
  if (!tree.LoadFromBytes(std::string(data))) return tree.SaveToBytes() == before;
  const std::string saved = tree.SaveToBytes();
  TForceFeedbackEffects again(nullptr);
  return again.LoadFromBytes(saved) && again.SaveToBytes() == saved;
}

}  // namespace fuzzchecks
