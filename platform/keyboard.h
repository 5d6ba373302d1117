// The keyboard's state as the message loop has seen it, and a tap on the
// input events it delivers.
//
// The window layer updates the tables from every key event before the
// window sees its message, and forgets all held keys when the application
// loses the focus (the keys released elsewhere never reach it). A device
// layer (DirectInput) reads the tables for its immediate state and watches
// the events for its buffered data.
#pragma once

#include <cstdint>

#include "platform/backend/backend.h"

namespace platform::keyboard {

// Whether the key with this DirectInput scan code (DIK_*) is held.
bool ScanCodeDown(std::uint16_t scanCode);
// Whether the key with this virtual-key code (VK_*) is held.
bool VirtualKeyDown(std::uint16_t virtualKey);
// Every scan code's state, 256 entries.
const bool* ScanCodeTable();
// Forgets every held key.
void ReleaseAll();

// Called with every key, mouse and joystick event, in order, after the
// tables were updated and before the window's message. At most 8 watchers.
using InputWatcher = void (*)(const Event& event, void* context);
bool AddInputWatcher(InputWatcher watcher, void* context);
void RemoveInputWatcher(InputWatcher watcher, void* context);

// Updates the tables and tells the watchers (the window layer's part).
void Deliver(const Event& event);

}  // namespace platform::keyboard
