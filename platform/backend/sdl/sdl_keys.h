// SDL's key positions to DirectInput scan codes and virtual keys.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace platform::sdl {

struct KeyCodes {
  std::uint16_t scanCode = 0;    // DIK_*; 0 for keys DirectInput does not number
  std::uint16_t virtualKey = 0;  // VK_*
};

// NUM_LOCK decides the keypad's virtual keys (digits or the keys printed
// under them); its scan codes stay the same.
KeyCodes MapKey(SDL_Scancode scancode, bool numLock);

}  // namespace platform::sdl
