// The keys and mouse buttons held in the program's own windows, kept by an application event
// filter: GetKeyboardState's table (256 bytes by virtual-key code, bit 7 = down) and the
// mouse's relative movement since the last read. Installed while someone uses it.
#pragma once
#include <array>
#include <cstdint>

namespace plat {

class InputEvents {
 public:
  static void AddUser();
  static void RemoveUser();
  static bool Installed();

  // The current key-state table.
  static std::array<uint8_t, 256> KeyStates();
  // Movement since the last call (and cleared), and the three buttons (bit 7 = down).
  struct Mouse {
    int32_t x = 0, y = 0, z = 0;
    uint8_t buttons[4] = {0, 0, 0, 0};
  };
  static Mouse TakeMouse();

  // The virtual-key code of a Qt key (keypad keys by the keypad flag), 0 when it has none.
  static uint8_t VirtualKey(int qtKey, bool keypad);
};

}  // namespace plat
