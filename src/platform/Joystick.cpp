#include "platform/Joystick.h"

#include <SDL2/SDL.h>
#include <fcntl.h>
#include <linux/joystick.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <string>

namespace plat {

// ---------------------------------------------------------------------------------------------
// SDL

namespace {

int sdlUsers = 0;
bool sdlUp = false;
Uint32 sdlSystems = 0;
SdlInput sdlInstance;

bool StartSdl() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  // No SDL window exists: the Qt window stays the only one.
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  sdlSystems = SDL_INIT_JOYSTICK | SDL_INIT_HAPTIC;
  if (SDL_InitSubSystem(sdlSystems) != 0) {
    sdlSystems = SDL_INIT_JOYSTICK;
    if (SDL_InitSubSystem(sdlSystems) != 0) return false;
  }
  // The state is polled; nothing drains an event queue.
  SDL_JoystickEventState(SDL_IGNORE);
  return true;
}

}  // namespace

SdlInput* SdlInput::Acquire() {
  if (!sdlUp) {
    if (!StartSdl()) return nullptr;
    sdlUp = true;
  }
  ++sdlUsers;
  return &sdlInstance;
}

void SdlInput::Release(SdlInput*& ref) {
  if (!ref) return;
  ref = nullptr;
  if (--sdlUsers < 1) {
    sdlUsers = 0;
    if (sdlUp) {
      SDL_QuitSubSystem(sdlSystems);
      sdlUp = false;
    }
  }
}

int SdlInput::UserCount() { return sdlUsers; }

void SdlInput::Poll() { SDL_JoystickUpdate(); }

int SdlInput::JoystickCount() { return std::max(0, SDL_NumJoysticks()); }

std::unique_ptr<SdlJoystick> SdlJoystick::Open(int index) {
  if (index < 0 || index >= SDL_NumJoysticks()) return nullptr;
  SDL_Joystick* j = SDL_JoystickOpen(index);
  if (!j) return nullptr;
  return std::unique_ptr<SdlJoystick>(new SdlJoystick(j));
}

SdlJoystick::~SdlJoystick() { SDL_JoystickClose(joy_); }

bool SdlJoystick::Attached() const { return SDL_JoystickGetAttached(joy_) == SDL_TRUE; }
int SdlJoystick::Axes() const { return std::max(0, SDL_JoystickNumAxes(joy_)); }
int SdlJoystick::Hats() const { return std::max(0, SDL_JoystickNumHats(joy_)); }
int SdlJoystick::Buttons() const { return std::max(0, SDL_JoystickNumButtons(joy_)); }
bool SdlJoystick::IsHaptic() const { return SDL_JoystickIsHaptic(joy_) == 1; }
int16_t SdlJoystick::Axis(int i) const { return SDL_JoystickGetAxis(joy_, i); }
bool SdlJoystick::Button(int i) const { return SDL_JoystickGetButton(joy_, i) != 0; }

int32_t SdlJoystick::HatAngle(int i) const {
  switch (SDL_JoystickGetHat(joy_, i)) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return -1;
  }
}

namespace {

Uint16 Level(int32_t v) {  // 0..10000 to SDL's 0..32767
  return static_cast<Uint16>(std::clamp<int64_t>(int64_t{v} * 32767 / 10000, 0, 32767));
}
Sint16 SignedLevel(int64_t v) {
  return static_cast<Sint16>(std::clamp<int64_t>(v * 32767 / 10000, -32767, 32767));
}
Uint16 Millis(int32_t micros) {
  return static_cast<Uint16>(std::clamp<int64_t>(micros / 1000, 0, 32767));
}
Uint32 Length(int32_t micros) {
  return micros < 0 ? SDL_HAPTIC_INFINITY : static_cast<Uint32>(micros / 1000);
}

// What every kind of effect has: where it points, how long it lasts, when it starts.
template <class T>
void SetTiming(T& t, const SDL_HapticDirection& dir, const HapticEffect& e) {
  t.direction = dir;
  t.length = Length(e.duration);
  t.delay = Millis(e.startDelay);
}

// How the effect fades in and out.
template <class T>
void SetEnvelope(T& t, const HapticEffect& e) {
  t.attack_length = Millis(e.attackTime);
  t.attack_level = Level(e.attackLevel);
  t.fade_length = Millis(e.fadeTime);
  t.fade_level = Level(e.fadeLevel);
}

SDL_HapticEffect ToSdl(const HapticEffect& e) {
  SDL_HapticEffect s;
  std::memset(&s, 0, sizeof s);
  // SDL has no gain per effect: it scales the effect's strength.
  const int64_t gain = std::clamp(e.gain, 0, 10000);
  auto scaled = [&](int32_t v) { return int64_t{v} * gain / 10000; };
  SDL_HapticDirection dir{};
  dir.type = SDL_HAPTIC_CARTESIAN;
  dir.dir[0] = e.direction[0];
  dir.dir[1] = e.direction[1];
  switch (e.kind) {
    case HapticEffect::Constant: {
      s.type = SDL_HAPTIC_CONSTANT;
      auto& c = s.constant;
      SetTiming(c, dir, e);
      c.button = 0;
      c.level = SignedLevel(scaled(e.magnitude));
      SetEnvelope(c, e);
      break;
    }
    case HapticEffect::Sine: {
      s.type = SDL_HAPTIC_SINE;
      auto& p = s.periodic;
      SetTiming(p, dir, e);
      p.period = Millis(e.period);
      p.magnitude = SignedLevel(scaled(e.magnitude));
      p.offset = SignedLevel(e.offset);
      p.phase = static_cast<Uint16>(std::clamp(e.phase, 0, 35999));
      SetEnvelope(p, e);
      break;
    }
    case HapticEffect::Spring: {
      s.type = SDL_HAPTIC_SPRING;
      auto& c = s.condition;
      SetTiming(c, dir, e);
      const int axis = e.axisCount > 0 && e.axes[0] == 4 ? 1 : 0;
      c.right_coeff[axis] = SignedLevel(scaled(e.positiveCoefficient));
      c.left_coeff[axis] = SignedLevel(scaled(e.negativeCoefficient));
      c.right_sat[axis] = e.positiveSaturation > 0 ? Level(e.positiveSaturation) : 0xFFFF;
      c.left_sat[axis] = e.negativeSaturation > 0 ? Level(e.negativeSaturation) : 0xFFFF;
      c.deadband[axis] = Level(e.deadBand);
      c.center[axis] = SignedLevel(e.conditionOffset);
      break;
    }
  }
  return s;
}

class SdlHaptic : public HapticDevice {
 public:
  explicit SdlHaptic(SDL_Haptic* h) : h_(h) {}
  ~SdlHaptic() override { SDL_HapticClose(h_); }
  bool Supports(HapticEffect::Kind kind) override {
    const unsigned q = SDL_HapticQuery(h_);
    switch (kind) {
      case HapticEffect::Constant: return q & SDL_HAPTIC_CONSTANT;
      case HapticEffect::Sine: return q & SDL_HAPTIC_SINE;
      case HapticEffect::Spring: return q & SDL_HAPTIC_SPRING;
    }
    return false;
  }
  int Create(const HapticEffect& e) override {
    SDL_HapticEffect s = ToSdl(e);
    return SDL_HapticNewEffect(h_, &s);
  }
  bool Update(int id, const HapticEffect& e) override {
    SDL_HapticEffect s = ToSdl(e);
    return SDL_HapticUpdateEffect(h_, id, &s) == 0;
  }
  bool Run(int id, uint32_t iterations) override {
    return SDL_HapticRunEffect(h_, id, iterations) == 0;
  }
  bool Stop(int id) override { return SDL_HapticStopEffect(h_, id) == 0; }
  bool IsPlaying(int id) override { return SDL_HapticGetEffectStatus(h_, id) == 1; }
  void Destroy(int id) override { SDL_HapticDestroyEffect(h_, id); }
  void SetAutoCenter(bool on) override {
    if (SDL_HapticQuery(h_) & SDL_HAPTIC_AUTOCENTER) SDL_HapticSetAutocenter(h_, on ? 100 : 0);
  }

 private:
  SDL_Haptic* h_;
};

}  // namespace

std::unique_ptr<HapticDevice> SdlJoystick::OpenHaptic() {
  if (!(sdlSystems & SDL_INIT_HAPTIC) || !IsHaptic()) return nullptr;
  SDL_Haptic* h = SDL_HapticOpenFromJoystick(joy_);
  if (!h) return nullptr;
  return std::make_unique<SdlHaptic>(h);
}

// ---------------------------------------------------------------------------------------------
// The kernel's joystick interface

int KernelJoystickIo::Open(unsigned number) {
  const std::string path = "/dev/input/js" + std::to_string(number);
  return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

bool KernelJoystickIo::Counts(int fd, int& axes, int& buttons) {
  uint8_t a = 0, b = 0;
  if (ioctl(fd, JSIOCGAXES, &a) < 0 || ioctl(fd, JSIOCGBUTTONS, &b) < 0) return false;
  axes = a;
  buttons = b;
  return true;
}

long KernelJoystickIo::Read(int fd, void* buffer, size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n >= 0) return n == 0 ? -1 : static_cast<long>(n);  // end of file: the device is gone
    if (errno == EINTR) continue;
    return errno == EAGAIN ? 0 : -1;
  }
}

void KernelJoystickIo::Close(int fd) { ::close(fd); }

namespace {

KernelJoystickIo realIo;
KernelJoystickIo* io = &realIo;

struct KernelStick {
  int fd = -1;
  int axes = 0, buttons = 0;
  int16_t axis[3] = {0, 0, 0};
  uint32_t pressed = 0;
  size_t partial = 0;  // bytes of an event read so far
  unsigned char pending[sizeof(JsEvent)] = {};
};
std::map<unsigned, KernelStick> sticks;

bool OpenStick(unsigned number, KernelStick& s) {
  s.fd = io->Open(number);
  if (s.fd < 0) return false;
  if (!io->Counts(s.fd, s.axes, s.buttons)) {
    io->Close(s.fd);
    s.fd = -1;
    return false;
  }
  return true;
}

// Applies the pending events; false when the device is gone.
bool Drain(KernelStick& s) {
  // A device flooding events cannot hold the poll: at most this many per call.
  for (int budget = 4096; budget > 0; --budget) {
    const long n = io->Read(s.fd, s.pending + s.partial, sizeof s.pending - s.partial);
    if (n < 0) return false;
    if (n == 0) return true;
    s.partial += static_cast<size_t>(n);
    if (s.partial < sizeof s.pending) continue;
    s.partial = 0;
    JsEvent e;
    std::memcpy(&e, s.pending, sizeof e);
    const uint8_t type = e.type & ~JS_EVENT_INIT;
    if (type == JS_EVENT_AXIS && e.number < 3) {
      s.axis[e.number] = e.value;
    } else if (type == JS_EVENT_BUTTON && e.number < 32) {
      if (e.value) s.pressed |= 1u << e.number; else s.pressed &= ~(1u << e.number);
    }
  }
  return true;
}

uint32_t Position(int16_t v) { return static_cast<uint32_t>(std::clamp(v + 32767, 0, 65535)); }

}  // namespace

void SetKernelJoystickIo(KernelJoystickIo* replacement) {
  JoyCloseAll();
  io = replacement ? replacement : &realIo;
}

bool JoyGetDevCaps(unsigned number, JoyCaps& caps) {
  caps = JoyCaps{};
  KernelStick probe;
  auto open = sticks.find(number);
  if (open == sticks.end()) {
    if (!OpenStick(number, probe)) return false;
    io->Close(probe.fd);
  } else {
    probe = open->second;
  }
  caps.xMax = caps.yMax = caps.zMax = 65535;
  caps.numAxes = static_cast<uint32_t>(probe.axes);
  caps.numButtons = static_cast<uint32_t>(probe.buttons);
  return true;
}

bool JoyGetPos(unsigned number, JoyInfo& info) {
  info = JoyInfo{};
  auto it = sticks.find(number);
  if (it == sticks.end()) {
    KernelStick s;
    if (!OpenStick(number, s)) return false;
    it = sticks.emplace(number, s).first;
  }
  KernelStick& s = it->second;
  if (!Drain(s)) {
    io->Close(s.fd);
    sticks.erase(it);
    return false;
  }
  info.x = Position(s.axis[0]);
  info.y = Position(s.axis[1]);
  info.z = Position(s.axis[2]);
  info.buttons = s.pressed;
  return true;
}

void JoyCloseAll() {
  for (auto& [n, s] : sticks) io->Close(s.fd);
  sticks.clear();
}

}  // namespace plat
