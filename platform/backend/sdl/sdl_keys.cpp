#include "platform/backend/sdl/sdl_keys.h"

#include "platform/vk.h"

namespace platform::sdl {
namespace {

struct Entry {
  SDL_Scancode sdl;
  std::uint16_t dik;
  std::uint16_t vk;
};

// Keys whose virtual key does not depend on Num Lock.
constexpr Entry kKeys[] = {
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_MINUS, DIK_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_EQUALS, DIK_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_BACKSPACE, DIK_BACK, VK_BACK},
    {SDL_SCANCODE_TAB, DIK_TAB, VK_TAB},
    {SDL_SCANCODE_LEFTBRACKET, DIK_LBRACKET, VK_OEM_4},
    {SDL_SCANCODE_RIGHTBRACKET, DIK_RBRACKET, VK_OEM_6},
    {SDL_SCANCODE_RETURN, DIK_RETURN, VK_RETURN},
    {SDL_SCANCODE_LCTRL, DIK_LCONTROL, VK_CONTROL},
    {SDL_SCANCODE_SEMICOLON, DIK_SEMICOLON, VK_OEM_1},
    {SDL_SCANCODE_APOSTROPHE, DIK_APOSTROPHE, VK_OEM_7},
    {SDL_SCANCODE_GRAVE, DIK_GRAVE, VK_OEM_3},
    {SDL_SCANCODE_LSHIFT, DIK_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_BACKSLASH, DIK_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_COMMA, DIK_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_PERIOD, DIK_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, DIK_SLASH, VK_OEM_2},
    {SDL_SCANCODE_RSHIFT, DIK_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_LALT, DIK_LMENU, VK_MENU},
    {SDL_SCANCODE_SPACE, DIK_SPACE, VK_SPACE},
    {SDL_SCANCODE_CAPSLOCK, DIK_CAPITAL, VK_CAPITAL},
    {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK, VK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, DIK_SCROLL, VK_SCROLL},
    {SDL_SCANCODE_KP_MINUS, DIK_SUBTRACT, VK_SUBTRACT},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD, VK_ADD},
    {SDL_SCANCODE_F11, DIK_F11, VK_F11},
    {SDL_SCANCODE_F12, DIK_F12, VK_F12},
    {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER, VK_RETURN},
    {SDL_SCANCODE_RCTRL, DIK_RCONTROL, VK_CONTROL},
    {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ, VK_SNAPSHOT},
    {SDL_SCANCODE_RALT, DIK_RMENU, VK_MENU},
    {SDL_SCANCODE_PAUSE, DIK_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_HOME, DIK_HOME, VK_HOME},
    {SDL_SCANCODE_UP, DIK_UP, VK_UP},
    {SDL_SCANCODE_PAGEUP, DIK_PRIOR, VK_PRIOR},
    {SDL_SCANCODE_LEFT, DIK_LEFT, VK_LEFT},
    {SDL_SCANCODE_RIGHT, DIK_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_END, DIK_END, VK_END},
    {SDL_SCANCODE_DOWN, DIK_DOWN, VK_DOWN},
    {SDL_SCANCODE_PAGEDOWN, DIK_NEXT, VK_NEXT},
    {SDL_SCANCODE_INSERT, DIK_INSERT, VK_INSERT},
    {SDL_SCANCODE_DELETE, DIK_DELETE, VK_DELETE},
    {SDL_SCANCODE_LGUI, DIK_LWIN, VK_LWIN},
    {SDL_SCANCODE_RGUI, DIK_RWIN, VK_RWIN},
    {SDL_SCANCODE_APPLICATION, DIK_APPS, VK_APPS},
};

// The keypad: scan code, virtual key with Num Lock on, and without.
struct PadEntry {
  SDL_Scancode sdl;
  std::uint16_t dik;
  std::uint16_t digitVk;
  std::uint16_t navigationVk;
};

constexpr PadEntry kPad[] = {
    {SDL_SCANCODE_KP_7, DIK_NUMPAD7, VK_NUMPAD7, VK_HOME},   {SDL_SCANCODE_KP_8, DIK_NUMPAD8, VK_NUMPAD8, VK_UP},
    {SDL_SCANCODE_KP_9, DIK_NUMPAD9, VK_NUMPAD9, VK_PRIOR},  {SDL_SCANCODE_KP_4, DIK_NUMPAD4, VK_NUMPAD4, VK_LEFT},
    {SDL_SCANCODE_KP_5, DIK_NUMPAD5, VK_NUMPAD5, VK_CLEAR},  {SDL_SCANCODE_KP_6, DIK_NUMPAD6, VK_NUMPAD6, VK_RIGHT},
    {SDL_SCANCODE_KP_1, DIK_NUMPAD1, VK_NUMPAD1, VK_END},    {SDL_SCANCODE_KP_2, DIK_NUMPAD2, VK_NUMPAD2, VK_DOWN},
    {SDL_SCANCODE_KP_3, DIK_NUMPAD3, VK_NUMPAD3, VK_NEXT},   {SDL_SCANCODE_KP_0, DIK_NUMPAD0, VK_NUMPAD0, VK_INSERT},
    {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL, VK_DECIMAL, VK_DELETE},
};

// Letters in DirectInput's order follow the keyboard rows, not the alphabet.
constexpr std::uint16_t kLetterDik[26] = {
    DIK_A, DIK_B, DIK_C, DIK_D, DIK_E, DIK_F, DIK_G, DIK_H, DIK_I, DIK_J, DIK_K, DIK_L, DIK_M,
    DIK_N, DIK_O, DIK_P, DIK_Q, DIK_R, DIK_S, DIK_T, DIK_U, DIK_V, DIK_W, DIK_X, DIK_Y, DIK_Z,
};

}  // namespace

KeyCodes MapKey(SDL_Scancode scancode, bool numLock) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    const int i = scancode - SDL_SCANCODE_A;
    return {kLetterDik[i], static_cast<std::uint16_t>('A' + i)};
  }
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    const int i = scancode - SDL_SCANCODE_1;  // '1' is DIK_1 (0x02) and so on
    return {static_cast<std::uint16_t>(DIK_1 + i), static_cast<std::uint16_t>('1' + i)};
  }
  if (scancode == SDL_SCANCODE_0) return {DIK_0, '0'};
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F10) {
    const int i = scancode - SDL_SCANCODE_F1;
    return {static_cast<std::uint16_t>(DIK_F1 + i), static_cast<std::uint16_t>(VK_F1 + i)};
  }
  for (const auto& p : kPad) {
    if (p.sdl == scancode) return {p.dik, numLock ? p.digitVk : p.navigationVk};
  }
  for (const auto& k : kKeys) {
    if (k.sdl == scancode) return {k.dik, k.vk};
  }
  return {};
}

}  // namespace platform::sdl
