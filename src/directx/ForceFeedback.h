// Force-feedback effects of an input device: a tree under the root "Effects", turned into
// effects of the device's force-feedback device (SDL's haptic API, platform/Joystick.h) when
// the device has one and its ForceFeedback property is on.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Joystick.h"

class TCustomInput;
class TForceFeedbackEffects;

enum TForceFeedbackEffectType : uint8_t { etNone, etConstantForce, etPeriodic, etCondition };

struct TForceFeedbackPoint {
  int32_t X = 0, Y = 0;
  bool operator==(const TForceFeedbackPoint&) const = default;
};

class TForceFeedbackEffect {
 public:
  // A child adds itself to its parent's list (the parent owns it).
  explicit TForceFeedbackEffect(TForceFeedbackEffect* parent);
  virtual ~TForceFeedbackEffect();
  TForceFeedbackEffect(const TForceFeedbackEffect&) = delete;
  TForceFeedbackEffect& operator=(const TForceFeedbackEffect&) = delete;

  // Removes every child, then copies the name, every value (the type last) and the children.
  void Assign(const TForceFeedbackEffect& other);
  void Clear();  // removes every child

  int Count() const { return static_cast<int>(children_.size()); }
  TForceFeedbackEffect* Items(int i) const { return children_[static_cast<size_t>(i)]; }
  TForceFeedbackEffect* Parent() const { return parent_; }

  int32_t AttackLevel() const { return attackLevel_; }
  void SetAttackLevel(int32_t v);
  int32_t AttackTime() const { return attackTime_; }
  void SetAttackTime(int32_t v);
  TForceFeedbackPoint Condition() const { return condition_; }
  void SetCondition(TForceFeedbackPoint v);
  TForceFeedbackPoint Constant() const { return constant_; }
  void SetConstant(TForceFeedbackPoint v);
  TForceFeedbackEffectType EffectType() const { return effectType_; }
  void SetEffectType(TForceFeedbackEffectType v);
  int32_t FadeLevel() const { return fadeLevel_; }
  void SetFadeLevel(int32_t v);
  int32_t FadeTime() const { return fadeTime_; }
  void SetFadeTime(int32_t v);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& v) { name_ = v; }
  int32_t Period() const { return period_; }
  void SetPeriod(int32_t v);
  int32_t Power() const { return power_; }
  void SetPower(int32_t v);
  int32_t Time() const { return time_; }  // -1 = endless
  void SetTime(int32_t v);
  int32_t StartDelayTime() const { return startDelayTime_; }
  void SetStartDelayTime(int32_t v);

  void Initialize();
  void Finalize();
  void Acquire();
  void Start();
  void Stop();
  bool Playing();

  // The effects this node makes on a force-feedback device (two for a condition).
  std::vector<plat::HapticEffect> BuildParameters() const;
  int EffectCount() const;  // effects created on the device

 protected:
  TForceFeedbackEffects* root_ = nullptr;

 private:
  struct EffectObject {
    plat::HapticDevice* device = nullptr;
    int id = -1;
  };
  void Release();
  void CreateEffects();  // this node's effects on the device, none without one
  void UpdateEffects();  // the changed parameters to the created effects
  void CopyValues(const TForceFeedbackEffect& other);
  TForceFeedbackEffect* parent_;
  std::vector<TForceFeedbackEffect*> children_;  // owned
  int32_t attackLevel_ = 0, attackTime_ = 0;
  TForceFeedbackPoint condition_, constant_;
  TForceFeedbackEffectType effectType_ = etNone;
  int32_t fadeLevel_ = 0, fadeTime_ = 0;
  std::string name_;
  int32_t period_ = 50;
  bool playing_ = false;
  int32_t power_ = 10000;
  int32_t time_ = 1000;
  int32_t startDelayTime_ = 0;
  EffectObject objects_[2];
};

class TForceFeedbackEffects : public TForceFeedbackEffect {
 public:
  explicit TForceFeedbackEffects(TCustomInput* input);
  ~TForceFeedbackEffects() override;
  TCustomInput* Input() const { return input_; }
  // The device effects are played on: the seam when set, else the input device's.
  plat::HapticDevice* Haptic() const;
  void SetHaptic(plat::HapticDevice* device) { haptic_ = device; }

  // The stored property "Effects": the tree under the tag "QorvexForceFeedbackEffect".
  std::string SaveToBytes() const;
  // False (the tree unchanged) when the data is not a stored tree.
  bool LoadFromBytes(const std::string& data);

 private:
  TCustomInput* input_;
  plat::HapticDevice* haptic_ = nullptr;
};
