#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../fuzz/ForceFeedbackFuzzChecks.h"
#include "directx/ForceFeedback.h"
#include "support/CorpusCheck.h"

namespace {

// A force-feedback device that records what it is asked.
class RecordingHaptic : public plat::HapticDevice {
 public:
  std::vector<std::string> calls;
  std::vector<plat::HapticEffect> created;
  bool playing = true;
  bool Supports(plat::HapticEffect::Kind) override { return true; }
  int Create(const plat::HapticEffect& e) override {
    created.push_back(e);
    calls.push_back("create " + std::to_string(created.size() - 1));
    return static_cast<int>(created.size()) - 1;
  }
  bool Update(int id, const plat::HapticEffect&) override { return Log("update", id); }
  bool Run(int id, uint32_t) override { return Log("run", id); }
  bool Stop(int id) override { return Log("stop", id); }
  bool IsPlaying(int) override { return playing; }
  void Destroy(int id) override { Log("destroy", id); }
  void SetAutoCenter(bool) override {}
  bool Log(const char* what, int id) {
    calls.push_back(std::string(what) + " " + std::to_string(id));
    return true;
  }
};

using Calls = std::vector<std::string>;

}  // namespace

TEST(ForceFeedback, DefaultsClampsAndAssign) {
  TForceFeedbackEffects root(nullptr);
  EXPECT_EQ(root.Name(), "Effects");
  auto* e = new TForceFeedbackEffect(&root);
  EXPECT_EQ(root.Count(), 1);
  EXPECT_EQ(e->EffectType(), etNone);
  EXPECT_EQ(e->Period(), 50);
  EXPECT_EQ(e->Power(), 10000);
  EXPECT_EQ(e->Time(), 1000);
  EXPECT_EQ(e->AttackTime(), 0);

  e->SetPower(20000);
  EXPECT_EQ(e->Power(), 10000);
  e->SetTime(-5);
  EXPECT_EQ(e->Time(), 0);
  e->SetTime(-1);
  EXPECT_EQ(e->Time(), -1);
  e->SetCondition({-20000, 300});
  EXPECT_EQ(e->Condition().X, -10000);
  e->SetAttackLevel(-1);
  EXPECT_EQ(e->AttackLevel(), 0);
  e->SetPeriod(-7);
  EXPECT_EQ(e->Period(), 0);

  e->SetName("rumble");
  e->SetEffectType(etPeriodic);
  new TForceFeedbackEffect(e);
  TForceFeedbackEffects copy(nullptr);
  new TForceFeedbackEffect(&copy);  // removed by the assignment
  copy.Assign(root);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(copy.Items(0)->Name(), "rumble");
  EXPECT_EQ(copy.Items(0)->EffectType(), etPeriodic);
  EXPECT_EQ(copy.Items(0)->Time(), -1);
  EXPECT_EQ(copy.Items(0)->Count(), 1);
  delete e;
  EXPECT_EQ(root.Count(), 0);
}

TEST(ForceFeedback, ParametersEffectsAndPlaying) {
  RecordingHaptic dev;
  TForceFeedbackEffects root(nullptr);
  root.SetHaptic(&dev);

  auto* spring = new TForceFeedbackEffect(&root);
  spring->SetCondition({4000, -2000});
  spring->SetConstant({100, 200});
  spring->SetEffectType(etCondition);  // a condition makes one effect per axis
  EXPECT_EQ(spring->EffectCount(), 2);
  ASSERT_EQ(dev.created.size(), 2u);
  EXPECT_EQ(dev.created[0].kind, plat::HapticEffect::Spring);
  EXPECT_EQ(dev.created[0].axes[0], 0);
  EXPECT_EQ(dev.created[1].axes[0], 4);
  EXPECT_EQ(dev.created[1].conditionOffset, 200);
  EXPECT_EQ(dev.created[1].positiveCoefficient, -2000);
  EXPECT_EQ(dev.created[1].negativeCoefficient, 2000);

  auto* push = new TForceFeedbackEffect(&root);
  push->SetConstant({300, -400});
  push->SetTime(200);
  push->SetAttackTime(500);
  push->SetFadeTime(50);
  push->SetFadeLevel(700);
  push->SetEffectType(etConstantForce);
  const plat::HapticEffect c = push->BuildParameters().at(0);
  EXPECT_EQ(c.magnitude, 500);
  EXPECT_EQ(c.direction[0], -300);
  EXPECT_EQ(c.direction[1], 400);
  EXPECT_EQ(c.duration, 200000);
  EXPECT_EQ(c.attackTime, 200000);  // no longer than the effect
  EXPECT_EQ(c.fadeTime, 50000);
  EXPECT_EQ(c.gain, 10000);
  EXPECT_EQ(c.triggerButton, -1);
  EXPECT_EQ(c.flags, 18u);
  push->SetTime(-1);                // endless: attack as set, no fade
  const plat::HapticEffect endless = push->BuildParameters().at(0);
  EXPECT_EQ(endless.duration, -1);
  EXPECT_EQ(endless.attackTime, 500000);
  EXPECT_EQ(endless.fadeTime, 0);
  EXPECT_EQ(endless.fadeLevel, 0);

  dev.calls.clear();
  root.Start();  // children first
  EXPECT_EQ(dev.calls, (Calls{"run 0", "run 1", "run 2"}));
  EXPECT_TRUE(push->Playing());  // endless
  dev.playing = false;
  EXPECT_FALSE(spring->Playing());  // finished: the mark is cleared
  EXPECT_FALSE(spring->Playing());

  dev.calls.clear();
  push->SetPower(5000);  // a playing effect is updated and kept running
  EXPECT_EQ(dev.calls, (Calls{"update 2", "run 2"}));

  dev.calls.clear();
  root.Finalize();
  EXPECT_EQ(dev.calls, (Calls{"stop 2", "destroy 0", "destroy 1", "destroy 2"}));
  EXPECT_EQ(push->EffectCount(), 0);

  // Without a force-feedback device nothing is created and starting does nothing.
  root.SetHaptic(nullptr);
  root.Start();
  EXPECT_EQ(push->EffectCount(), 0);
}

TEST(ForceFeedback, StoredTree) {
  TForceFeedbackEffects empty(nullptr);
  const std::string stored = empty.SaveToBytes();
  EXPECT_NE(stored.find("QorvexForceFeedbackEffect"), std::string::npos);
  TForceFeedbackEffects back(nullptr);
  new TForceFeedbackEffect(&back);
  back.SetName("x");
  ASSERT_TRUE(back.LoadFromBytes(stored));
  EXPECT_EQ(back.Name(), "Effects");
  EXPECT_EQ(back.Count(), 0);

  auto* a = new TForceFeedbackEffect(&empty);
  a->SetName("a");
  a->SetTime(-1);
  a->SetConstant({-5, 7});
  a->SetEffectType(etConstantForce);
  auto* b = new TForceFeedbackEffect(a);
  b->SetName("b");
  b->SetStartDelayTime(30);
  const std::string tree = empty.SaveToBytes();
  ASSERT_TRUE(back.LoadFromBytes(tree));
  EXPECT_EQ(back.SaveToBytes(), tree);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Items(0)->Items(0)->StartDelayTime(), 30);

  // Damaged data is refused and the tree kept.
  for (size_t cut : {size_t{0}, size_t{10}, tree.size() - 1})
    EXPECT_FALSE(back.LoadFromBytes(tree.substr(0, cut))) << cut;
  std::string huge = tree;
  huge[huge.size() - 4] = '\x7F';  // b's child count
  EXPECT_FALSE(back.LoadFromBytes(huge));
  EXPECT_FALSE(back.LoadFromBytes(tree + "x"));
  EXPECT_EQ(back.SaveToBytes(), tree);
}

TEST(ForceFeedback, FuzzSeedsAndRegressions) {
  CheckSeedsAndRegressions("forcefeedback", "directx", fuzzchecks::CheckForceFeedback);
}
