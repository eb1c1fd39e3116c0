// Joysticks and force feedback for the input component, on Linux.
//
// How the input component's Windows interfaces map here:
// - "DirectInput" is SDL2's joystick and haptic subsystems (no SDL video: the Qt window stays
//   the only window; SDL's signal handlers off; joystick reading allowed in the background).
//   SDL is initialised once per process with a count of users (SdlInput). When SDL cannot
//   initialise, the component works as without DirectInput. Joystick n is SDL's device
//   index n; axes are SDL's -32768..32767, hats give the point-of-view value, buttons beyond
//   32 give no states. Joystick events are not queued: state is read by polling only.
// - The multimedia joystick functions (joyGetDevCapsA, joyGetPosEx) are the kernel's joystick
//   interface, /dev/input/js0.../js255 (JSIOCGAXES, JSIOCGBUTTONS, non-blocking js_event
//   reads kept as a current state). Positions are reported as 0..65535 with the centre at
//   32767, as the multimedia functions report them.
// - Force feedback is SDL's haptic API: constant, periodic (sine) and condition (spring)
//   effects, endless = SDL_HAPTIC_INFINITY. HapticDevice is the seam tests replace.
// - "Foreground" is the owner window being Qt's active window (see directx/DXInput.h);
//   acquiring on activation reopens a joystick that was unplugged.
// Nothing here blocks: SDL is polled, the kernel devices are opened non-blocking.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct _SDL_Joystick;
struct _SDL_Haptic;

namespace plat {

// One force-feedback effect as the effect tree builds it (levels 0..10000, times in
// microseconds, -1 = endless).
struct HapticEffect {
  enum Kind : uint8_t { Constant, Sine, Spring };
  Kind kind = Constant;
  int32_t duration = 0;
  int32_t startDelay = 0;
  int32_t gain = 10000;
  int32_t triggerButton = -1;
  int32_t triggerRepeat = 0;
  int32_t samplePeriod = 0;
  uint32_t flags = 18;  // cartesian directions, axes by data offset
  int axisCount = 0;
  int32_t axes[2] = {0, 0};       // data offsets: 0 = X, 4 = Y
  int32_t direction[2] = {0, 0};
  int32_t attackLevel = 0, attackTime = 0, fadeLevel = 0, fadeTime = 0;
  int32_t magnitude = 0;          // constant force and periodic
  int32_t offset = 0, phase = 0, period = 0;  // periodic
  int32_t conditionOffset = 0, positiveCoefficient = 0, negativeCoefficient = 0;
  int32_t positiveSaturation = 0, negativeSaturation = 0, deadBand = 0;  // condition
};

// A device that plays force-feedback effects; effect ids are the device's, -1 = none.
class HapticDevice {
 public:
  virtual ~HapticDevice() = default;
  virtual bool Supports(HapticEffect::Kind kind) = 0;
  virtual int Create(const HapticEffect& effect) = 0;
  virtual bool Update(int id, const HapticEffect& effect) = 0;
  virtual bool Run(int id, uint32_t iterations) = 0;
  virtual bool Stop(int id) = 0;
  virtual bool IsPlaying(int id) = 0;
  virtual void Destroy(int id) = 0;
  virtual void SetAutoCenter(bool on) = 0;
};

// The process's use of SDL's joystick and haptic subsystems, counted by users.
class SdlInput {
 public:
  // A use of SDL, nullptr when SDL cannot initialise.
  static SdlInput* Acquire();
  // Ends the caller's use (when ref is not null) and clears ref.
  static void Release(SdlInput*& ref);
  static int UserCount();

  void Poll();            // reads every open joystick's current state
  int JoystickCount();    // attached joysticks, after the last Poll
};

// One opened SDL joystick.
class SdlJoystick {
 public:
  // The joystick with the device index, nullptr when there is none.
  static std::unique_ptr<SdlJoystick> Open(int index);
  ~SdlJoystick();
  SdlJoystick(const SdlJoystick&) = delete;
  SdlJoystick& operator=(const SdlJoystick&) = delete;

  bool Attached() const;
  int Axes() const;
  int Hats() const;
  int Buttons() const;
  bool IsHaptic() const;
  int16_t Axis(int i) const;
  // Hundredths of degrees clockwise from up; -1 when centred.
  int32_t HatAngle(int i) const;
  bool Button(int i) const;
  // The force-feedback device of this joystick, nullptr when it has none.
  std::unique_ptr<HapticDevice> OpenHaptic();

 private:
  explicit SdlJoystick(_SDL_Joystick* j) : joy_(j) {}
  _SDL_Joystick* joy_;
};

// --- the kernel's joystick interface ---

struct JsEvent {
  uint32_t time;
  int16_t value;
  uint8_t type;    // 1 button, 2 axis, 0x80 initial state
  uint8_t number;
};
static_assert(sizeof(JsEvent) == 8);

// The device calls of the kernel road; tests replace them with recorded data.
class KernelJoystickIo {
 public:
  virtual ~KernelJoystickIo() = default;
  virtual int Open(unsigned number);  // /dev/input/js<number>, non-blocking; -1 when none
  virtual bool Counts(int fd, int& axes, int& buttons);
  // Bytes read, 0 when nothing is pending, -1 when the device is gone.
  virtual long Read(int fd, void* buffer, size_t size);
  virtual void Close(int fd);
};
// The calls in use; nullptr restores the real ones.
void SetKernelJoystickIo(KernelJoystickIo* io);

struct JoyCaps {
  uint32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0, zMin = 0, zMax = 0;
  uint32_t numButtons = 0, numAxes = 0;
};
struct JoyInfo {
  uint32_t x = 0, y = 0, z = 0;
  uint32_t pov = 0xFFFF;  // centred
  uint32_t buttons = 0;   // bit i = button i + 1
};

// joyGetDevCapsA: true when joystick `number` exists.
bool JoyGetDevCaps(unsigned number, JoyCaps& caps);
// joyGetPosEx: the current position; false (info cleared) when the joystick is gone.
bool JoyGetPos(unsigned number, JoyInfo& info);
// Closes every kernel joystick kept open by JoyGetPos.
void JoyCloseAll();

}  // namespace plat
