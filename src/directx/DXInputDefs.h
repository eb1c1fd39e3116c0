// The input states of the input component and the DirectInput-side values it keeps as data.
#pragma once
#include <cstdint>
#include <initializer_list>

// Up (0), Down (1), Left (2), Right (3), Button1 (4) to Button32 (35).
enum InputState : uint8_t {
  isUp, isDown, isLeft, isRight,
  isButton1, isButton2, isButton3, isButton4, isButton5, isButton6, isButton7, isButton8,
  isButton9, isButton10, isButton11, isButton12, isButton13, isButton14, isButton15,
  isButton16, isButton17, isButton18, isButton19, isButton20, isButton21, isButton22,
  isButton23, isButton24, isButton25, isButton26, isButton27, isButton28, isButton29,
  isButton30, isButton31, isButton32
};
constexpr int InputStateCount = 36;

// A set of input states (bit n = state n).
class TInputStates {
 public:
  constexpr TInputStates() = default;
  constexpr TInputStates(std::initializer_list<InputState> states) {
    for (InputState s : states) Include(s);
  }
  constexpr bool Contains(int s) const { return s >= 0 && s < InputStateCount && (bits_ >> s) & 1u; }
  constexpr void Include(int s) { if (s >= 0 && s < InputStateCount) bits_ |= uint64_t{1} << s; }
  constexpr void Exclude(int s) { if (s >= 0 && s < InputStateCount) bits_ &= ~(uint64_t{1} << s); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint64_t Bits() const { return bits_; }
  constexpr TInputStates& operator+=(TInputStates o) { bits_ |= o.bits_; return *this; }
  constexpr bool operator==(const TInputStates&) const = default;

 private:
  uint64_t bits_ = 0;
};

constexpr InputState ButtonState(int button) {  // 1..32
  return static_cast<InputState>(isButton1 + button - 1);
}

// Cooperative levels.
constexpr uint32_t DISCL_EXCLUSIVE = 1, DISCL_NONEXCLUSIVE = 2, DISCL_FOREGROUND = 4,
                   DISCL_BACKGROUND = 8;

// The joystick state record (272 bytes); dead zones and ranges are indexed by its offsets.
struct DIJOYSTATE2 {
  int32_t lX, lY, lZ, lRx, lRy, lRz;
  int32_t rglSlider[2];
  uint32_t rgdwPOV[4];
  uint8_t rgbButtons[128];
  int32_t lVX, lVY, lVZ, lVRx, lVRy, lVRz;
  int32_t rglVSlider[2];
  int32_t lAX, lAY, lAZ, lARx, lARy, lARz;
  int32_t rglASlider[2];
  int32_t lFX, lFY, lFZ, lFRx, lFRy, lFRz;
  int32_t rglFSlider[2];
};
static_assert(sizeof(DIJOYSTATE2) == 272);

struct DIMOUSESTATE {
  int32_t lX, lY, lZ;
  uint8_t rgbButtons[4];
};
static_assert(sizeof(DIMOUSESTATE) == 16);

constexpr int DIJOFS_X = 0, DIJOFS_Y = 4, DIJOFS_Z = 8, DIJOFS_POV0 = 32;

// Virtual-key codes.
enum : uint8_t {
  VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
  VK_CAPITAL = 20, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35,
  VK_HOME = 36, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_INSERT = 45,
  VK_DELETE = 46, VK_LWIN = 91, VK_RWIN = 92, VK_APPS = 93, VK_NUMPAD0 = 96, VK_NUMPAD2 = 98,
  VK_NUMPAD4 = 100, VK_NUMPAD6 = 102, VK_NUMPAD8 = 104, VK_MULTIPLY = 106, VK_ADD = 107,
  VK_SUBTRACT = 109, VK_DECIMAL = 110, VK_DIVIDE = 111, VK_F1 = 112, VK_F2 = 113,
  VK_NUMLOCK = 144, VK_SCROLL = 145
};
