// SDL virtual joysticks for the input tests: SDL stays up while a test holds a use of it.
#pragma once
#include <SDL2/SDL.h>

#include "platform/Joystick.h"

class SdlUse {
 public:
  SdlUse() : sdl_(plat::SdlInput::Acquire()) {}
  ~SdlUse() { plat::SdlInput::Release(sdl_); }
  bool Up() const { return sdl_ != nullptr; }
 private:
  plat::SdlInput* sdl_;
};

class VirtualJoystick {
 public:
  VirtualJoystick(int axes, int buttons, int hats = 0) {
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
    joy_ = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  }
  ~VirtualJoystick() { Detach(); }
  bool Ok() const { return joy_ != nullptr; }
  void Button(int i, bool down) { SDL_JoystickSetVirtualButton(joy_, i, down ? 1 : 0); }
  void Axis(int i, int16_t v) { SDL_JoystickSetVirtualAxis(joy_, i, v); }
  // Unplugs it.
  void Detach() {
    if (!joy_) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(joy_);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    SDL_JoystickClose(joy_);
    joy_ = nullptr;
  }
 private:
  SDL_Joystick* joy_;
};
