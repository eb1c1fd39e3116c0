#include "directx/ForceFeedback.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "directx/DXInput.h"
#include "platform/LittleEndian.h"

namespace {

// Milliseconds to microseconds; -1 (endless) stays -1.
int32_t Micros(int32_t ms) {
  if (ms < 0) return -1;
  return static_cast<int32_t>(std::min<int64_t>(int64_t{ms} * 1000, INT32_MAX));
}

constexpr const char* kTag = "QorvexForceFeedbackEffect";

// Stores v in field; true when that changed it.
template <class T>
bool Store(T& field, const T& v) {
  if (field == v) return false;
  field = v;
  return true;
}

int32_t Level(int32_t v) { return std::clamp(v, 0, 10000); }
int32_t Span(int32_t v) { return std::max(v, 0); }
TForceFeedbackPoint Bounded(TForceFeedbackPoint v) {
  return {std::clamp(v.X, -10000, 10000), std::clamp(v.Y, -10000, 10000)};
}

}  // namespace

TForceFeedbackEffect::TForceFeedbackEffect(TForceFeedbackEffect* parent) : parent_(parent) {
  if (parent_) {
    root_ = parent_->root_;
    parent_->children_.push_back(this);
  }
}

TForceFeedbackEffect::~TForceFeedbackEffect() {
  Release();
  Clear();
  if (parent_) {
    auto& list = parent_->children_;
    if (!list.empty() && list.back() == this)
      list.pop_back();
    else
      list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void TForceFeedbackEffect::Clear() {
  // The last first: each removes itself from the end of the list at no cost.
  while (!children_.empty()) delete children_.back();
}

void TForceFeedbackEffect::CopyValues(const TForceFeedbackEffect& o) {
  name_ = o.name_;
  SetAttackLevel(o.attackLevel_);
  SetAttackTime(o.attackTime_);
  SetCondition(o.condition_);
  SetConstant(o.constant_);
  SetFadeLevel(o.fadeLevel_);
  SetFadeTime(o.fadeTime_);
  SetPeriod(o.period_);
  SetPower(o.power_);
  SetTime(o.time_);
  SetStartDelayTime(o.startDelayTime_);
  SetEffectType(o.effectType_);
}

void TForceFeedbackEffect::Assign(const TForceFeedbackEffect& other) {
  if (&other == this) return;
  Clear();
  SetEffectType(etNone);
  CopyValues(other);
  for (const TForceFeedbackEffect* c : other.children_) {
    auto* child = new TForceFeedbackEffect(this);
    child->Assign(*c);
  }
}

// --- setters: clamp, then bring the created effects up to date ---

void TForceFeedbackEffect::SetAttackLevel(int32_t v) {
  if (Store(attackLevel_, Level(v))) UpdateEffects();
}
void TForceFeedbackEffect::SetAttackTime(int32_t v) {
  if (Store(attackTime_, Span(v))) UpdateEffects();
}
void TForceFeedbackEffect::SetCondition(TForceFeedbackPoint v) {
  if (Store(condition_, Bounded(v))) UpdateEffects();
}
void TForceFeedbackEffect::SetConstant(TForceFeedbackPoint v) {
  if (Store(constant_, Bounded(v))) UpdateEffects();
}
void TForceFeedbackEffect::SetEffectType(TForceFeedbackEffectType v) {
  if (!Store(effectType_, v)) return;
  Stop();
  Initialize();
}
void TForceFeedbackEffect::SetFadeLevel(int32_t v) {
  if (Store(fadeLevel_, Level(v))) UpdateEffects();
}
void TForceFeedbackEffect::SetFadeTime(int32_t v) {
  if (Store(fadeTime_, Span(v))) UpdateEffects();
}
void TForceFeedbackEffect::SetPeriod(int32_t v) {
  if (Store(period_, Span(v))) UpdateEffects();
}
void TForceFeedbackEffect::SetPower(int32_t v) {
  if (Store(power_, Level(v))) UpdateEffects();
}
void TForceFeedbackEffect::SetTime(int32_t v) {
  if (!Store(time_, v == -1 ? v : Span(v))) return;
  Stop();
  UpdateEffects();
}
void TForceFeedbackEffect::SetStartDelayTime(int32_t v) {
  if (!Store(startDelayTime_, Span(v))) return;
  Stop();
  UpdateEffects();
}

// --- the device's effects ---

std::vector<plat::HapticEffect> TForceFeedbackEffect::BuildParameters() const {
  std::vector<plat::HapticEffect> out;
  if (effectType_ == etNone) return out;
  plat::HapticEffect e;
  e.flags = 18;
  e.duration = Micros(time_);
  e.samplePeriod = 0;
  e.gain = power_;
  e.triggerButton = -1;
  e.triggerRepeat = 0;
  e.startDelay = Micros(startDelayTime_);
  e.attackLevel = attackLevel_;
  e.fadeLevel = fadeLevel_;
  if (time_ == -1) {
    e.attackTime = Micros(attackTime_);
    e.fadeLevel = 0;
    e.fadeTime = 0;
  } else {
    e.attackTime = Micros(std::min(attackTime_, time_));
    e.fadeTime = Micros(std::min(fadeTime_, time_));
  }
  const int32_t x = -constant_.X, y = -constant_.Y;
  const auto magnitude = static_cast<int32_t>(std::lround(std::hypot(double(x), double(y))));
  switch (effectType_) {
    case etConstantForce:
    case etPeriodic:
      e.kind = effectType_ == etConstantForce ? plat::HapticEffect::Constant
                                              : plat::HapticEffect::Sine;
      e.axisCount = 2;
      e.axes[0] = 0;
      e.axes[1] = 4;
      e.direction[0] = x;
      e.direction[1] = y;
      e.magnitude = magnitude;
      e.offset = 0;
      e.phase = 0;
      e.period = effectType_ == etPeriodic ? Micros(period_) : 0;
      out.push_back(e);
      break;
    case etCondition:
      e.kind = plat::HapticEffect::Spring;
      e.axisCount = 1;
      e.direction[0] = x;
      e.direction[1] = y;
      for (int axis = 0; axis < 2; ++axis) {
        e.axes[0] = axis * 4;
        e.conditionOffset = axis == 0 ? constant_.X : constant_.Y;
        const int32_t c = axis == 0 ? condition_.X : condition_.Y;
        e.positiveCoefficient = c;
        e.negativeCoefficient = -c;
        out.push_back(e);
      }
      break;
    case etNone:
      break;
  }
  return out;
}

int TForceFeedbackEffect::EffectCount() const {
  return (objects_[0].id >= 0) + (objects_[1].id >= 0);
}

void TForceFeedbackEffect::Release() {
  for (EffectObject& o : objects_) {
    if (o.device && o.id >= 0) o.device->Destroy(o.id);
    o = {};
  }
}

void TForceFeedbackEffect::CreateEffects() {
  Release();
  plat::HapticDevice* device = root_ ? root_->Haptic() : nullptr;
  if (!device || effectType_ == etNone) return;
  const std::vector<plat::HapticEffect> params = BuildParameters();
  if (params.empty() || !device->Supports(params.front().kind)) return;
  for (size_t i = 0; i < params.size() && i < 2; ++i) {
    objects_[i].device = device;
    objects_[i].id = device->Create(params[i]);
  }
}

void TForceFeedbackEffect::Initialize() {
  CreateEffects();
  if (EffectCount() > 0 && playing_ && time_ == -1) Start();
  for (TForceFeedbackEffect* c : children_) c->Initialize();
}

void TForceFeedbackEffect::Finalize() {
  Stop();
  Release();
  for (TForceFeedbackEffect* c : children_) c->Finalize();
}

void TForceFeedbackEffect::Acquire() {
  if (playing_ && time_ == -1) Start();
  for (TForceFeedbackEffect* c : children_) c->Initialize();
}

void TForceFeedbackEffect::Start() {
  for (TForceFeedbackEffect* c : children_) c->Start();
  if (EffectCount() == 0) {
    // This node's effects only: re-creating the children would end what just started.
    CreateEffects();
    if (EffectCount() == 0) return;
  }
  for (EffectObject& o : objects_)
    if (o.id >= 0) o.device->Run(o.id, 1);
  playing_ = true;
}

void TForceFeedbackEffect::Stop() {
  if (playing_) {
    playing_ = false;
    for (EffectObject& o : objects_)
      if (o.id >= 0) o.device->Stop(o.id);
  }
  for (TForceFeedbackEffect* c : children_) c->Stop();
}

bool TForceFeedbackEffect::Playing() {
  if (!playing_) return false;
  if (time_ == -1) return true;
  for (EffectObject& o : objects_)
    if (o.id >= 0 && o.device->IsPlaying(o.id)) return true;
  playing_ = false;
  return false;
}

void TForceFeedbackEffect::UpdateEffects() {
  if (EffectCount() == 0) return;
  const std::vector<plat::HapticEffect> params = BuildParameters();
  for (size_t i = 0; i < 2 && i < params.size(); ++i) {
    EffectObject& o = objects_[i];
    if (o.id < 0) continue;
    o.device->Update(o.id, params[i]);
    if (playing_) o.device->Run(o.id, 1);
  }
}

// ---------------------------------------------------------------------------------------------
// The root and its stored form

TForceFeedbackEffects::TForceFeedbackEffects(TCustomInput* input)
    : TForceFeedbackEffect(nullptr), input_(input) {
  root_ = this;
  SetName("Effects");
}

TForceFeedbackEffects::~TForceFeedbackEffects() {
  Finalize();
  Clear();
}

plat::HapticDevice* TForceFeedbackEffects::Haptic() const {
  if (haptic_) return haptic_;
  return input_ ? input_->Haptic() : nullptr;
}

namespace {

void PutItem(std::string& out, const TForceFeedbackEffect& e) {
  plat::Put32LE(out, static_cast<uint32_t>(e.Name().size()));
  out += e.Name();
  out.push_back(static_cast<char>(e.EffectType()));
  for (int32_t v : {e.AttackLevel(), e.AttackTime(), e.Condition().X, e.Condition().Y,
                    e.Constant().X, e.Constant().Y, e.FadeLevel(), e.FadeTime(), e.Period(),
                    e.Power(), e.Time(), e.StartDelayTime()})
    plat::Put32LE(out, static_cast<uint32_t>(v));
  plat::Put32LE(out, static_cast<uint32_t>(e.Count()));
  for (int i = 0; i < e.Count(); ++i) PutItem(out, *e.Items(i));
}

class Reader {
 public:
  explicit Reader(const std::string& d) : d_(d) {}
  bool U32(uint32_t& v) {
    if (d_.size() - at_ < 4) return false;
    v = plat::Get32LE(reinterpret_cast<const uint8_t*>(d_.data() + at_));
    at_ += 4;
    return true;
  }
  bool Bytes(size_t n, std::string& s) {
    if (d_.size() - at_ < n) return false;
    s = d_.substr(at_, n);
    at_ += n;
    return true;
  }
  size_t Left() const { return d_.size() - at_; }

  // One item and its children; the depth and counts are bounded by the data itself.
  bool Item(TForceFeedbackEffect& e, int depth) {
    constexpr size_t kSmallest = 4 + 1 + 12 * 4 + 4;
    uint32_t len = 0, count = 0;
    std::string name, type;
    if (depth > 64 || !U32(len) || !Bytes(len, name) || !Bytes(1, type)) return false;
    int32_t v[12];
    for (int32_t& x : v) {
      uint32_t u;
      if (!U32(u)) return false;
      x = static_cast<int32_t>(u);
    }
    if (static_cast<uint8_t>(type[0]) > etCondition || !U32(count) || count > Left() / kSmallest)
      return false;
    e.SetName(name);
    e.SetAttackLevel(v[0]);
    e.SetAttackTime(v[1]);
    e.SetCondition({v[2], v[3]});
    e.SetConstant({v[4], v[5]});
    e.SetFadeLevel(v[6]);
    e.SetFadeTime(v[7]);
    e.SetPeriod(v[8]);
    e.SetPower(v[9]);
    e.SetTime(v[10]);
    e.SetStartDelayTime(v[11]);
    e.SetEffectType(static_cast<TForceFeedbackEffectType>(type[0]));
    for (uint32_t i = 0; i < count; ++i)
      if (!Item(*new TForceFeedbackEffect(&e), depth + 1)) return false;
    return true;
  }

 private:
  const std::string& d_;
  size_t at_ = 0;
};

}  // namespace

std::string TForceFeedbackEffects::SaveToBytes() const {
  std::string out;
  plat::Put32LE(out, static_cast<uint32_t>(std::strlen(kTag)));
  out += kTag;
  PutItem(out, *this);
  return out;
}

bool TForceFeedbackEffects::LoadFromBytes(const std::string& data) {
  Reader r(data);
  uint32_t len = 0;
  std::string tag;
  if (!r.U32(len) || !r.Bytes(len, tag) || tag != kTag) return false;
  TForceFeedbackEffects fresh(nullptr);
  if (!r.Item(fresh, 0) || r.Left() != 0) return false;
  Assign(fresh);
  return true;
}
