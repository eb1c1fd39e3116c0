// The input component: a joystick, a keyboard and a mouse polled when the owner calls
// Update, folded into one set of 36 input states.
//
// On Linux "DirectInput" is SDL2's joystick subsystem and the multimedia joystick functions
// are the kernel's joystick interface (see platform/Joystick.h for the whole mapping). The
// keyboard reads the keys held in the program's own windows; the mouse is read from the
// program's windows too and, as without DirectInput, is refused without SDL. "Foreground" is
// the owner window being the active window. Cooperative levels are kept as data.
#pragma once
#include <QObject>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "database/DXClass.h"
#include "directx/DXInputDefs.h"
#include "platform/Joystick.h"

class QWidget;
class TCustomDXInput;
class TForceFeedbackEffects;

class EDXInputError : public DXClass::EDXError {
 public:
  using DXClass::EDXError::EDXError;
};

// The base of the three devices.
class TCustomInput {
 public:
  explicit TCustomInput(TCustomDXInput* dxInput);
  virtual ~TCustomInput();
  TCustomInput(const TCustomInput&) = delete;
  TCustomInput& operator=(const TCustomInput&) = delete;

  virtual void Finalize();
  virtual void Initialize();
  virtual uint32_t GetCooperativeLevel() const;
  virtual void Update() = 0;
  // On activation: reacquires the device (a joystick unplugged is looked for again).
  virtual void Acquire();

  bool BindInputStates() const { return bindInputStates_; }
  void SetBindInputStates(bool on) { bindInputStates_ = on; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  bool ForceFeedback() const { return forceFeedback_; }
  void SetForceFeedback(bool on);
  TForceFeedbackEffects& Effects() { return *effects_; }
  void SetEffects(const TForceFeedbackEffects& effects);

  int ButtonCount() const { return buttonCount_; }
  bool ForceFeedbackDevice() const { return forceFeedbackDevice_; }
  bool Initialized() const { return initialized_; }
  TInputStates States() const { return states_; }
  // The level set by the last TCustomDXInput::SetWindowHandle, 0 without a device.
  uint32_t CooperativeLevel() const { return cooperativeLevel_; }
  virtual bool HasDevice() const { return false; }
  // The force-feedback device when this device has one and ForceFeedback is on.
  virtual plat::HapticDevice* Haptic() { return nullptr; }
  TCustomDXInput* DXInput() const { return dxInput_; }

 protected:
  friend class TCustomDXInput;
  void AssignBase(const TCustomInput& other);
  bool Reading() const;       // the component is loading: setters do not re-initialise
  bool Foreground() const;    // ActiveOnly is off or the owner form is active
  TCustomDXInput* dxInput_;
  bool bindInputStates_ = true;
  int buttonCount_ = 0;
  std::unique_ptr<TForceFeedbackEffects> effects_;
  bool enabled_ = true;
  bool forceFeedback_ = false;
  bool forceFeedbackDevice_ = false;
  bool initialized_ = false;
  TInputStates states_;
  uint32_t cooperativeLevel_ = 0;
};

class TJoystick : public TCustomInput {
 public:
  explicit TJoystick(TCustomDXInput* dxInput);
  ~TJoystick() override;
  void Assign(const TJoystick& other);

  void Finalize() override;
  void Initialize() override;
  uint32_t GetCooperativeLevel() const override;
  void Update() override;
  void Acquire() override;
  bool HasDevice() const override { return joy_ != nullptr; }
  plat::HapticDevice* Haptic() override;

  bool AutoCenter() const { return autoCenter_; }
  void SetAutoCenter(bool on);
  int ID() const { return id_; }
  void SetID(int id);
  int DeadZone(int offset) const;
  void SetDeadZone(int offset, int value);
  int Range(int offset) const;
  void SetRange(int offset, int value);
  int DeadZoneX() const { return DeadZone(DIJOFS_X); }
  int DeadZoneY() const { return DeadZone(DIJOFS_Y); }
  int DeadZoneZ() const { return DeadZone(DIJOFS_Z); }
  void SetDeadZoneX(int v) { SetDeadZone(DIJOFS_X, v); }
  void SetDeadZoneY(int v) { SetDeadZone(DIJOFS_Y, v); }
  void SetDeadZoneZ(int v) { SetDeadZone(DIJOFS_Z, v); }
  int RangeX() const { return Range(DIJOFS_X); }
  int RangeY() const { return Range(DIJOFS_Y); }
  int RangeZ() const { return Range(DIJOFS_Z); }
  void SetRangeX(int v) { SetRange(DIJOFS_X, v); }
  void SetRangeY(int v) { SetRange(DIJOFS_Y, v); }
  void SetRangeZ(int v) { SetRange(DIJOFS_Z, v); }

  const DIJOYSTATE2& JoyState() const { return joyState_; }
  int MultimediaNumber() const { return joyNumber_; }

  // An axis position of a device reporting min..max, scaled to -range..range with the dead
  // zone (percent of the half span) around the centre.
  static int32_t ConvertAxis(int32_t position, int32_t max, int32_t min, int32_t range,
                             int32_t deadZone);

 private:
  void ReadSdl();
  void ReadMultimedia();
  int32_t SdlAxis(int axis, int offset) const;
  DIJOYSTATE2 joyState_{};
  bool autoCenter_ = true;
  int id_ = 0;
  int joyNumber_ = -1;
  plat::JoyCaps joyCaps_{};
  std::array<int32_t, 272> deadZones_{};
  std::array<int32_t, 272> ranges_{};
  std::unique_ptr<plat::SdlJoystick> joy_;
  std::unique_ptr<plat::HapticDevice> haptic_;
  int lastCount_ = -1;  // attached joysticks when this one was last looked for
};

// A device read from the program's windows' input events (keyboard, mouse): holds those
// events while it is open.
class TWindowInput : public TCustomInput {
 public:
  using TCustomInput::TCustomInput;
  void Finalize() override;
  bool HasDevice() const override { return device_; }

 protected:
  // Starts taking the window events; `device` tells whether the device is there.
  void UseEvents(bool device);

 private:
  bool device_ = false;
  bool userAdded_ = false;
};

class TKeyboard : public TWindowInput {
 public:
  using AssignTable = std::array<std::array<int32_t, 3>, InputStateCount>;
  explicit TKeyboard(TCustomDXInput* dxInput);
  ~TKeyboard() override;
  void Assign(const TKeyboard& other);

  void Finalize() override;
  void Initialize() override;
  void Update() override;

  AssignTable Assigns;
  static AssignTable DefaultAssigns();
  const std::array<uint8_t, 256>& KeyStates() const { return keyStates_; }
  // A DirectInput key code as a virtual-key code, 0 for codes it does not list.
  static uint8_t DIKToVK(uint8_t key);

  // The binary property: written as "Assigns" (432 bytes), read as "Assigns" or "Aissgns".
  static constexpr const char* AssignsPropertyName = "Assigns";
  std::string WriteAssigns() const;
  // False (nothing changed) for another name or a size other than 432 bytes.
  bool ReadProperty(const std::string& name, const std::string& data);

 private:
  std::array<uint8_t, 256> keyStates_{};
};

class TMouse : public TWindowInput {
 public:
  explicit TMouse(TCustomDXInput* dxInput);
  ~TMouse() override;
  void Assign(const TMouse& other);

  void Finalize() override;
  void Initialize() override;
  void Update() override;
  const DIMOUSESTATE& MouseState() const { return mouseState_; }

 private:
  DIMOUSESTATE mouseState_{};
};

class TCustomDXInput : public QObject {
 public:
  // Throws EDXInputError "Form not found" when no owner in the chain is a window.
  explicit TCustomDXInput(QObject* owner);
  ~TCustomDXInput() override;

  // After the owner has set the stored properties: initialises.
  void Loaded();
  void Initialize();
  void Finalize();
  // Polls every device and applies the edge rule to States.
  void Update();
  void SetWindowHandle();

  // The caller reads these after Update and may clear states in it.
  TInputStates States;

  bool ActiveOnly() const { return activeOnly_; }
  void SetActiveOnly(bool on);
  bool UseDirectInput() const { return useDirectInput_; }
  void SetUseDirectInput(bool on);
  TJoystick& Joystick() { return *joystick_; }
  TKeyboard& Keyboard() { return *keyboard_; }
  TMouse& Mouse() { return *mouse_; }
  void SetJoystick(const TJoystick& v) { joystick_->Assign(v); }
  void SetKeyboard(const TKeyboard& v) { keyboard_->Assign(v); }
  void SetMouse(const TMouse& v) { mouse_->Assign(v); }

  // The layer can read joysticks here: SDL starts, or the kernel lists a joystick.
  static bool JoysticksAvailable();

  plat::SdlInput* DirectInput() const { return directInput_; }
  QWidget* OwnerForm() const { return form_; }
  bool Loading() const { return loading_; }
  bool IsForeground() const;
  const std::vector<TCustomInput*>& Devices() const { return devices_; }

 private:
  friend class TCustomInput;
  bool FormWndProc(QObject* target, QEvent* event);
  bool activeOnly_ = true;
  std::vector<TCustomInput*> devices_;
  plat::SdlInput* directInput_ = nullptr;
  QWidget* form_ = nullptr;
  std::unique_ptr<TJoystick> joystick_;
  std::unique_ptr<TKeyboard> keyboard_;
  std::unique_ptr<TMouse> mouse_;
  TInputStates oldStates_;
  std::unique_ptr<TControlSubClass> hook_;
  bool useDirectInput_ = true;
  bool loading_ = true;
};

class TDXInput : public TCustomDXInput {
 public:
  using TCustomDXInput::TCustomDXInput;
};
