#include "directx/DXInput.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "directx/ForceFeedback.h"
#include "platform/InputEvents.h"

// ---------------------------------------------------------------------------------------------
// TCustomInput

TCustomInput::TCustomInput(TCustomDXInput* dxInput)
    : dxInput_(dxInput), effects_(std::make_unique<TForceFeedbackEffects>(this)) {
  dxInput_->devices_.push_back(this);
}

TCustomInput::~TCustomInput() {
  // The derived device has finalised itself already.
  effects_.reset();
  auto& list = dxInput_->devices_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TCustomInput::Finalize() {
  initialized_ = false;
  buttonCount_ = 0;
  effects_->Finalize();
  forceFeedbackDevice_ = false;
  states_ = {};
  cooperativeLevel_ = 0;
}

void TCustomInput::Initialize() {
  initialized_ = true;
  effects_->Initialize();
}

uint32_t TCustomInput::GetCooperativeLevel() const {
  const uint32_t share =
      forceFeedbackDevice_ && forceFeedback_ ? DISCL_EXCLUSIVE : DISCL_NONEXCLUSIVE;
  return share | (dxInput_->ActiveOnly() ? DISCL_FOREGROUND : DISCL_BACKGROUND);
}

void TCustomInput::Acquire() {
  if (!Foreground()) return;
  effects_->Acquire();
}

void TCustomInput::SetEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  if (!Reading()) Initialize();
}

void TCustomInput::SetForceFeedback(bool on) {
  if (forceFeedback_ == on) return;
  forceFeedback_ = on;
  if (!Reading()) Initialize();
}

void TCustomInput::SetEffects(const TForceFeedbackEffects& effects) { effects_->Assign(effects); }

void TCustomInput::AssignBase(const TCustomInput& other) {
  bindInputStates_ = other.bindInputStates_;
  effects_->Assign(*other.effects_);
  SetEnabled(other.enabled_);
  SetForceFeedback(other.forceFeedback_);
}

bool TCustomInput::Reading() const { return dxInput_->Loading(); }

bool TCustomInput::Foreground() const { return !dxInput_->ActiveOnly() || dxInput_->IsForeground(); }

// ---------------------------------------------------------------------------------------------
// TJoystick

TJoystick::TJoystick(TCustomDXInput* dxInput) : TCustomInput(dxInput) {
  for (int offset : {DIJOFS_X, DIJOFS_Y, DIJOFS_Z}) {
    deadZones_[static_cast<size_t>(offset)] = 50;
    ranges_[static_cast<size_t>(offset)] = 1000;
  }
}

TJoystick::~TJoystick() { Finalize(); }

void TJoystick::Assign(const TJoystick& other) {
  autoCenter_ = other.autoCenter_;
  deadZones_ = other.deadZones_;
  ranges_ = other.ranges_;
  AssignBase(other);
  SetID(other.id_);
}

void TJoystick::Finalize() {
  joyNumber_ = -1;
  std::memset(&joyState_, 0, sizeof joyState_);
  joyCaps_ = {};
  TCustomInput::Finalize();
  haptic_.reset();
  joy_.reset();
}

uint32_t TJoystick::GetCooperativeLevel() const {
  if (!autoCenter_) return DISCL_EXCLUSIVE | DISCL_FOREGROUND;
  return TCustomInput::GetCooperativeLevel();
}

void TJoystick::Initialize() {
  TJoystick::Finalize();
  if (!enabled_ || id_ < 0) return;
  plat::SdlInput* sdl = dxInput_->DirectInput();
  if (sdl) {
    sdl->Poll();
    lastCount_ = sdl->JoystickCount();
    joy_ = plat::SdlJoystick::Open(id_);
    if (!joy_) return;  // reported nothing until a joystick is attached or activation
    buttonCount_ = joy_->Buttons();
    forceFeedbackDevice_ = joy_->IsHaptic();
    SetAutoCenter(autoCenter_);
    // The SDL road applies dead zones and ranges itself; nothing can refuse them.
    for (int offset = 0; offset < 272; ++offset) SetDeadZone(offset, deadZones_[static_cast<size_t>(offset)]);
    for (int offset = 0; offset < 272; ++offset) SetRange(offset, ranges_[static_cast<size_t>(offset)]);
  } else {
    // The multimedia joysticks: the ID-th that answers.
    int rank = 0;
    for (unsigned n = 0; n < 256 && joyNumber_ < 0; ++n) {
      plat::JoyCaps caps;
      if (plat::JoyGetDevCaps(n, caps) && rank++ == id_) {
        joyNumber_ = static_cast<int>(n);
        joyCaps_ = caps;
        buttonCount_ = static_cast<int>(caps.numButtons);
      }
    }
  }
  TCustomInput::Initialize();
}

void TJoystick::Acquire() {
  if (!Foreground()) return;
  // An unplugged joystick is looked for again.
  if (enabled_ && dxInput_->DirectInput() && (!joy_ || !joy_->Attached())) Initialize();
  TCustomInput::Acquire();
}

plat::HapticDevice* TJoystick::Haptic() {
  if (!haptic_ && joy_ && forceFeedbackDevice_ && forceFeedback_) {
    haptic_ = joy_->OpenHaptic();
    if (haptic_) haptic_->SetAutoCenter(autoCenter_);
  }
  return forceFeedback_ ? haptic_.get() : nullptr;
}

void TJoystick::SetAutoCenter(bool on) {
  autoCenter_ = on;
  if (haptic_) haptic_->SetAutoCenter(on);
}

void TJoystick::SetID(int id) {
  if (id_ == id) return;
  id_ = id;
  if (!Reading()) Initialize();
}

int TJoystick::DeadZone(int offset) const {
  return offset < 0 || offset > 270 ? 0 : deadZones_[static_cast<size_t>(offset)];
}

void TJoystick::SetDeadZone(int offset, int value) {
  if (offset < 0 || offset > 270) return;
  deadZones_[static_cast<size_t>(offset)] = offset == DIJOFS_POV0 ? -1 : std::clamp(value, 0, 100);
}

int TJoystick::Range(int offset) const {
  return offset < 0 || offset > 270 ? 0 : ranges_[static_cast<size_t>(offset)];
}

void TJoystick::SetRange(int offset, int value) {
  if (offset < 0 || offset > 270) return;
  ranges_[static_cast<size_t>(offset)] = offset == DIJOFS_POV0 ? -1 : std::max(value, 0);
}

int32_t TJoystick::ConvertAxis(int32_t position, int32_t max, int32_t min, int32_t range,
                               int32_t deadZone) {
  // In 64 bits: a device reporting max <= min, or values whose products overflow 32 bits,
  // gives 0 or a value clamped to the range instead of a wrapped one.
  if (max <= min || range <= 0) return 0;
  const int64_t centre = (int64_t{max} - min) / 2;
  const int64_t rel = int64_t{position} - centre;
  const int64_t dead = centre * std::clamp(deadZone, 0, 100) / 100;
  const int64_t span = centre - dead;
  if (span == 0 || dead >= (rel < 0 ? -rel : rel)) return 0;
  const int64_t num = (rel > 0 ? rel - dead : rel + dead) * range;
  // MulDiv: rounded to nearest, halves away from zero.
  const int64_t q = (num >= 0 ? num + span / 2 : num - span / 2) / span;
  return static_cast<int32_t>(std::clamp<int64_t>(q, -int64_t{range}, range));
}

int32_t TJoystick::SdlAxis(int axis, int offset) const {
  const int32_t position = int32_t{joy_->Axis(axis)} + 32768;  // 0..65535
  const int32_t range = ranges_[static_cast<size_t>(offset)];
  // Without a range the device's own 0..65535 is reported, as DirectInput does.
  if (range <= 0) return position;
  return ConvertAxis(position, 65535, 0, range, std::max(deadZones_[static_cast<size_t>(offset)], 0));
}

void TJoystick::ReadSdl() {
  int32_t* axes[8] = {&joyState_.lX, &joyState_.lY, &joyState_.lZ, &joyState_.lRx,
                      &joyState_.lRy, &joyState_.lRz, &joyState_.rglSlider[0],
                      &joyState_.rglSlider[1]};
  const int nAxes = std::min(joy_->Axes(), 8);
  for (int a = 0; a < nAxes; ++a) *axes[a] = SdlAxis(a, a * 4);
  for (int h = 0; h < 4; ++h)
    joyState_.rgdwPOV[h] = h < joy_->Hats() ? static_cast<uint32_t>(joy_->HatAngle(h)) : 0xFFFFFFFFu;
  const int nButtons = std::min(joy_->Buttons(), 128);
  for (int b = 0; b < nButtons; ++b) joyState_.rgbButtons[b] = joy_->Button(b) ? 0x80 : 0;
}

void TJoystick::ReadMultimedia() {
  plat::JoyInfo info;
  // A joystick gone reports no states (rather than a position of 0, far left and up).
  if (!plat::JoyGetPos(static_cast<unsigned>(joyNumber_), info)) return;
  joyState_.lX = ConvertAxis(static_cast<int32_t>(info.x), static_cast<int32_t>(joyCaps_.xMax),
                             static_cast<int32_t>(joyCaps_.xMin), ranges_[0], deadZones_[0]);
  joyState_.lY = ConvertAxis(static_cast<int32_t>(info.y), static_cast<int32_t>(joyCaps_.yMax),
                             static_cast<int32_t>(joyCaps_.yMin), ranges_[4], deadZones_[4]);
  joyState_.lZ = ConvertAxis(static_cast<int32_t>(info.z), static_cast<int32_t>(joyCaps_.zMax),
                             static_cast<int32_t>(joyCaps_.zMin), ranges_[8], deadZones_[8]);
  joyState_.rgdwPOV[0] = info.pov;
  const uint32_t n = std::min<uint32_t>(joyCaps_.numButtons, 32);
  for (uint32_t i = 0; i < n; ++i)
    if (info.buttons & (1u << i)) joyState_.rgbButtons[i] = 0x80;
}

void TJoystick::Update() {
  std::memset(&joyState_, 0, sizeof joyState_);
  states_ = {};
  plat::SdlInput* sdl = dxInput_->DirectInput();
  if (sdl && enabled_ && id_ >= 0) {
    sdl->Poll();
    if (joy_ && !joy_->Attached()) {
      // Unplugged: looked for again on the next poll (it may be back already, or another
      // joystick may have taken its index).
      Finalize();
      lastCount_ = -1;
    } else if (!joy_ && sdl->JoystickCount() != lastCount_) {
      // A joystick was plugged in (or another one pulled): look again.
      Initialize();
    }
  }
  if (!initialized_ || !Foreground()) return;
  if (joy_) {
    ReadSdl();
  } else if (joyNumber_ >= 0) {
    ReadMultimedia();
  }
  for (int i = 0; i < 32; ++i)
    if (joyState_.rgbButtons[i] & 0x80) states_.Include(isButton1 + i);
  if (joyState_.lX < 0) states_.Include(isLeft);
  if (joyState_.lX > 0) states_.Include(isRight);
  if (joyState_.lY < 0) states_.Include(isUp);
  if (joyState_.lY > 0) states_.Include(isDown);
}

// ---------------------------------------------------------------------------------------------
// TKeyboard

void TWindowInput::Finalize() {
  TCustomInput::Finalize();
  device_ = false;
  if (userAdded_) plat::InputEvents::RemoveUser();
  userAdded_ = false;
}

void TWindowInput::UseEvents(bool device) {
  plat::InputEvents::AddUser();
  userAdded_ = true;
  device_ = device;
}

TKeyboard::TKeyboard(TCustomDXInput* dxInput) : TWindowInput(dxInput), Assigns(DefaultAssigns()) {}

TKeyboard::~TKeyboard() { Finalize(); }

TKeyboard::AssignTable TKeyboard::DefaultAssigns() {
  AssignTable t{};
  t[isUp] = {'K', VK_UP, VK_NUMPAD8};
  t[isDown] = {'J', VK_DOWN, VK_NUMPAD2};
  t[isLeft] = {'H', VK_LEFT, VK_NUMPAD4};
  t[isRight] = {'L', VK_RIGHT, VK_NUMPAD6};
  t[isButton1] = {'Z', VK_SPACE, 0};
  t[isButton2] = {'X', VK_RETURN, 0};
  t[isButton9] = {VK_F2, 0, 0};
  return t;
}

void TKeyboard::Assign(const TKeyboard& other) {
  Assigns = other.Assigns;
  AssignBase(other);
}

void TKeyboard::Finalize() {
  keyStates_.fill(0);
  TWindowInput::Finalize();
}

void TKeyboard::Initialize() {
  TKeyboard::Finalize();
  if (!enabled_) return;
  // With or without SDL, the keys are those held in the program's windows.
  UseEvents(dxInput_->DirectInput() != nullptr);
  buttonCount_ = 32;
  TCustomInput::Initialize();
}

void TKeyboard::Update() {
  keyStates_.fill(0);
  states_ = {};
  if (!initialized_ || !Foreground()) return;
  keyStates_ = plat::InputEvents::KeyStates();
  for (int s = 0; s < InputStateCount; ++s)
    for (int32_t code : Assigns[static_cast<size_t>(s)])
      if (code >= 1 && code <= 255 && (keyStates_[static_cast<size_t>(code)] & 0x80)) {
        states_.Include(s);
        break;
      }
}

uint8_t TKeyboard::DIKToVK(uint8_t key) {
  // DirectInput key codes are the keyboard's scan codes (0x80 set for the extended keys).
  static const std::array<uint8_t, 222> table = [] {
    std::array<uint8_t, 222> t{};
    auto row = [&t](uint8_t first, const char* keys) {
      for (uint8_t i = 0; keys[i]; ++i) t[first + i] = static_cast<uint8_t>(keys[i]);
    };
    row(0x02, "1234567890");
    row(0x10, "QWERTYUIOP");
    row(0x1E, "ASDFGHJKL");
    row(0x2C, "ZXCVBNM");
    for (uint8_t i = 0; i < 10; ++i) t[0x3B + i] = static_cast<uint8_t>(112 + i);  // F1..F10
    t[0x57] = 122; t[0x58] = 123;                                                 // F11, F12
    const uint8_t pad[][2] = {{0x52, 96}, {0x4F, 97}, {0x50, 98}, {0x51, 99}, {0x4B, 100},
                              {0x4C, 101}, {0x4D, 102}, {0x47, 103}, {0x48, 104}, {0x49, 105},
                              {0x53, 110}, {0x4E, 107}, {0x4A, 109}, {0xB5, 111}, {0x9C, 13},
                              {0x37, 42}};
    for (auto& p : pad) t[p[0]] = p[1];
    const uint8_t keys[][2] = {
        {0x01, 27}, {0x0E, 8}, {0x0F, 9}, {0x1C, 13}, {0x1D, 17}, {0x9D, 17}, {0x2A, 16},
        {0x36, 16}, {0x38, 18}, {0xB8, 18}, {0x39, 32}, {0x3A, 20}, {0x45, 144}, {0x46, 145},
        {0xC7, 36}, {0xC8, 38}, {0xC9, 33}, {0xCB, 37}, {0xCD, 39}, {0xCF, 35}, {0xD0, 40},
        {0xD1, 34}, {0xD2, 45}, {0xD3, 46}, {0xDB, 91}, {0xDC, 92}, {0xDD, 93},
        {0x0D, '='}, {0x1A, '['}, {0x1B, ']'}, {0x27, ';'}, {0x28, '\''}, {0x2B, '\\'},
        {0x33, ','}, {0x34, '.'}, {0x35, '/'}};
    for (auto& k : keys) t[k[0]] = k[1];
    return t;
  }();
  return key < table.size() ? table[key] : 0;
}

std::string TKeyboard::WriteAssigns() const {
  std::string out;
  out.reserve(432);
  for (const auto& codes : Assigns)
    for (int32_t c : codes) {
      const auto u = static_cast<uint32_t>(c);
      for (int b = 0; b < 4; ++b) out.push_back(static_cast<char>((u >> (8 * b)) & 0xFF));
    }
  return out;
}

bool TKeyboard::ReadProperty(const std::string& name, const std::string& data) {
  if ((name != "Assigns" && name != "Aissgns") || data.size() != 432) return false;
  size_t at = 0;
  for (auto& codes : Assigns)
    for (int32_t& c : codes) {
      uint32_t u = 0;
      for (int b = 0; b < 4; ++b) u |= uint32_t{static_cast<uint8_t>(data[at++])} << (8 * b);
      c = static_cast<int32_t>(u);
    }
  return true;
}

// ---------------------------------------------------------------------------------------------
// TMouse

TMouse::TMouse(TCustomDXInput* dxInput) : TWindowInput(dxInput) {
  bindInputStates_ = false;
  enabled_ = false;
}

TMouse::~TMouse() { Finalize(); }

void TMouse::Assign(const TMouse& other) { AssignBase(other); }

void TMouse::Finalize() {
  std::memset(&mouseState_, 0, sizeof mouseState_);
  TWindowInput::Finalize();
}

void TMouse::Initialize() {
  TMouse::Finalize();
  if (!enabled_) return;
  if (!dxInput_->DirectInput()) throw EDXInputError("DirectInput is necessary to use the mouse");
  UseEvents(true);
  plat::InputEvents::TakeMouse();  // movement from before is not this device's
  buttonCount_ = 3;
  TCustomInput::Initialize();
}

void TMouse::Update() {
  std::memset(&mouseState_, 0, sizeof mouseState_);
  states_ = {};
  if (!initialized_ || !Foreground()) return;
  if (HasDevice()) {
    const plat::InputEvents::Mouse m = plat::InputEvents::TakeMouse();
    mouseState_.lX = m.x;
    mouseState_.lY = m.y;
    mouseState_.lZ = m.z;
    std::memcpy(mouseState_.rgbButtons, m.buttons, 4);
  }
  if (mouseState_.lX < 0) states_.Include(isLeft);
  if (mouseState_.lX > 0) states_.Include(isRight);
  if (mouseState_.lY < 0) states_.Include(isUp);
  if (mouseState_.lY > 0) states_.Include(isDown);
  for (int i = 0; i < 3; ++i)
    if (mouseState_.rgbButtons[i] & 0x80) states_.Include(isButton1 + i);
}

// ---------------------------------------------------------------------------------------------
// TCustomDXInput

TCustomDXInput::TCustomDXInput(QObject* owner) : QObject(owner) {
  for (QObject* o = owner; o; o = o->parent())
    if (o->isWidgetType() && static_cast<QWidget*>(o)->isWindow()) {
      form_ = static_cast<QWidget*>(o);
      break;
    }
  if (!form_) throw EDXInputError("Form not found");
  joystick_ = std::make_unique<TJoystick>(this);
  keyboard_ = std::make_unique<TKeyboard>(this);
  mouse_ = std::make_unique<TMouse>(this);
  // The hook goes with whichever side dies first.
  hook_ = std::make_unique<TControlSubClass>(
      form_, [this](QObject* target, QEvent* e) { return FormWndProc(target, e); });
  hook_->setObjectName("FormHook");
  hook_->setParent(this);
}

TCustomDXInput::~TCustomDXInput() {
  Finalize();
  joystick_.reset();
  keyboard_.reset();
  mouse_.reset();
  hook_.reset();
}

void TCustomDXInput::Loaded() {
  loading_ = false;
  Initialize();
}

void TCustomDXInput::Finalize() {
  for (TCustomInput* d : devices_) d->Finalize();
  plat::SdlInput::Release(directInput_);
}

void TCustomDXInput::Initialize() {
  Finalize();
  if (useDirectInput_) directInput_ = plat::SdlInput::Acquire();
  for (TCustomInput* d : std::vector<TCustomInput*>(devices_)) d->Initialize();
  SetWindowHandle();
  Update();
}

void TCustomDXInput::SetWindowHandle() {
  for (TCustomInput* d : devices_)
    d->cooperativeLevel_ = d->HasDevice() ? d->GetCooperativeLevel() : 0;
}

void TCustomDXInput::Update() {
  TInputStates s;
  for (TCustomInput* d : devices_) {
    d->Update();
    if (d->BindInputStates()) s += d->States();
  }
  for (int i = 0; i < InputStateCount; ++i) {
    if (s.Contains(i) && !oldStates_.Contains(i)) States.Include(i);
    if (!s.Contains(i) && oldStates_.Contains(i)) States.Exclude(i);
  }
  oldStates_ = s;
}

void TCustomDXInput::SetActiveOnly(bool on) {
  if (activeOnly_ == on) return;
  activeOnly_ = on;
  if (!loading_) SetWindowHandle();
}

void TCustomDXInput::SetUseDirectInput(bool on) {
  if (useDirectInput_ == on) return;
  useDirectInput_ = on;
  Initialize();
}

bool TCustomDXInput::JoysticksAvailable() {
  if (plat::SdlInput* sdl = plat::SdlInput::Acquire()) {
    plat::SdlInput::Release(sdl);
    return true;
  }
  plat::JoyCaps caps;
  for (unsigned n = 0; n < 256; ++n)
    if (plat::JoyGetDevCaps(n, caps)) return true;
  return false;
}

bool TCustomDXInput::IsForeground() const {
  return form_ && QApplication::activeWindow() == form_;
}

bool TCustomDXInput::FormWndProc(QObject*, QEvent* e) {
  switch (e->type()) {
    case QEvent::WinIdChange:
      SetWindowHandle();
      break;
    case QEvent::WindowActivate:
      for (TCustomInput* d : devices_) d->Acquire();
      break;
    default:
      break;
  }
  return false;
}
