// Back-end events become the messages a window procedure sees, and the
// keyboard's tables follow the keys.
#include <array>

#include "platform/keyboard.h"
#include "platform/system.h"
#include "platform/vk.h"
#include "platform/window/window_table.h"

namespace platform::keyboard {
namespace {

constexpr int kMaxWatchers = 8;

struct KeyboardState {
  std::array<bool, 256> scanDown{};
  std::array<bool, 256> virtualDown{};
  std::array<InputWatcher, kMaxWatchers> watchers{};
  std::array<void*, kMaxWatchers> contexts{};
};

KeyboardState& State() {
  static KeyboardState state;
  return state;
}

void Reset() { State() = KeyboardState{}; }
const bool registered = (RegisterReset(Reset), true);

// Left and right modifier keys also count as their shared virtual key.
std::uint16_t SharedModifier(std::uint16_t vk) {
  switch (vk) {
    case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU: case VK_RMENU: return VK_MENU;
    default: return 0;
  }
}

}  // namespace

bool ScanCodeDown(std::uint16_t scanCode) { return scanCode < 256 && State().scanDown[scanCode]; }
bool VirtualKeyDown(std::uint16_t virtualKey) { return virtualKey < 256 && State().virtualDown[virtualKey]; }
const bool* ScanCodeTable() { return State().scanDown.data(); }

void ReleaseAll() {
  State().scanDown.fill(false);
  State().virtualDown.fill(false);
}

bool AddInputWatcher(InputWatcher watcher, void* context) {
  auto& s = State();
  for (int i = 0; i < kMaxWatchers; ++i) {
    if (!s.watchers[i]) {
      s.watchers[i] = watcher;
      s.contexts[i] = context;
      return true;
    }
  }
  return false;
}

void RemoveInputWatcher(InputWatcher watcher, void* context) {
  auto& s = State();
  for (int i = 0; i < kMaxWatchers; ++i) {
    if (s.watchers[i] == watcher && s.contexts[i] == context) s.watchers[i] = nullptr;
  }
}

void Deliver(const Event& event) {
  auto& s = State();
  if (event.type == EventType::KeyDown || event.type == EventType::KeyUp) {
    const bool down = event.type == EventType::KeyDown;
    const KeyEvent& k = event.key;
    if (k.scanCode < 256) s.scanDown[k.scanCode] = down;
    if (k.virtualKey < 256) s.virtualDown[k.virtualKey] = down;
    if (const auto shared = SharedModifier(k.virtualKey)) s.virtualDown[shared] = down;
    // The event's modifier flags are the truth for keys pressed before the
    // window had the focus.
    s.virtualDown[VK_SHIFT] = k.shift || (down && k.virtualKey == VK_SHIFT);
    s.virtualDown[VK_CONTROL] = k.control || (down && k.virtualKey == VK_CONTROL);
    s.virtualDown[VK_MENU] = k.alt || (down && k.virtualKey == VK_MENU);
  }
  for (int i = 0; i < kMaxWatchers; ++i) {
    if (s.watchers[i]) s.watchers[i](event, s.contexts[i]);
  }
}

}  // namespace platform::keyboard

namespace platform::window {
namespace {

// lParam of a key message: repeat count 1, the scan code and its extended
// flag, the previous key state and the transition.
LPARAM KeyParam(const KeyEvent& k, bool down) {
  std::uint32_t v = 1u | ((k.scanCode & 0x7Fu) << 16);
  if (k.scanCode & 0x80u) v |= 1u << 24;
  if (k.alt) v |= 1u << 29;
  if (!down || k.repeat) v |= 1u << 30;
  if (!down) v |= 1u << 31;
  return static_cast<LPARAM>(v);
}

}  // namespace

void DispatchEvent(const Event& event) {
  const HWND window = BackendWindow();
  switch (event.type) {
    case EventType::KeyDown:
    case EventType::KeyUp: {
      keyboard::Deliver(event);
      if (!window) return;
      const bool down = event.type == EventType::KeyDown;
      const bool system = event.key.alt || event.key.virtualKey == VK_F10;
      const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
      SendMessageA(window, message, event.key.virtualKey, KeyParam(event.key, down));
      return;
    }
    case EventType::MouseMove:
    case EventType::MouseButtonDown:
    case EventType::MouseButtonUp:
    case EventType::MouseWheel:
    case EventType::JoystickAxis:
    case EventType::JoystickButton:
    case EventType::JoystickHat:
    case EventType::JoystickAdded:
    case EventType::JoystickRemoved:
      keyboard::Deliver(event);
      return;
    case EventType::FocusGained:
      SetAppActive(true);
      if (!window) return;
      SendMessageA(window, WM_ACTIVATEAPP, TRUE, 0);
      SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
      SendMessageA(window, WM_QUERYNEWPALETTE, 0, 0);
      // A full-screen program lost its surfaces with the focus; the screen
      // it comes back to is its own again and wants painting, which is
      // where a program restores them, as after a switch of mode. (Only an
      // expose would paint it otherwise, and a window manager's focus change
      // brings none.)
      if (DisplayModeChanged()) {
        if (auto* info = Find(window)) info->needsPaint = true;
      }
      return;
    case EventType::FocusLost:
      SetAppActive(false);
      keyboard::ReleaseAll();
      if (!window) return;
      SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
      SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
      return;
    case EventType::Minimised:
      if (window) Show(window, SW_MINIMIZE, true);
      return;
    case EventType::Restored:
      if (window) Show(window, SW_RESTORE, true);
      return;
    case EventType::Expose:
      if (auto* info = Find(window)) info->needsPaint = true;
      return;
    case EventType::Close:
      if (window) SendMessageA(window, WM_CLOSE, 0, 0);
      return;
    case EventType::MenuLoopEnter:
      SetInMenuLoop(true);
      if (window) SendMessageA(window, WM_ENTERMENULOOP, FALSE, 0);
      return;
    case EventType::MenuLoopExit:
      SetInMenuLoop(false);
      if (window) SendMessageA(window, WM_EXITMENULOOP, FALSE, 0);
      return;
    case EventType::MenuCommand:
      if (window) SendMessageA(window, WM_COMMAND, MAKEWPARAM(event.menu.commandId, 0), 0);
      return;
    case EventType::Moved:
      if (window) MoveFromBackend(window, event.window.x, event.window.y);
      return;
    case EventType::None:
      return;
  }
}

void WaitForMessage() {
  // A short wait, so that a quiet queue still gets an idle call now and then
  // (as a program with a ticking timer would); the back end returns at once
  // when an event arrives.
  constexpr std::uint32_t kWaitMs = 100;
  if (HasBackend()) CurrentBackend().WaitEvent(kWaitMs);
}

}  // namespace platform::window
