// The controls of the three kinds of device, as DirectInput describes them
// to EnumObjects and matches them against a data format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/dinput.h"

namespace platform::dinput {

enum class DeviceKind : std::uint8_t { Keyboard, Mouse, Joystick };

// Where an object's value comes from.
enum class Source : std::uint8_t { Key, MouseAxis, MouseButton, JoyAxis, JoyButton, JoyPov };

struct DeviceObject {
  const GUID* type;       // GUID_XAxis, GUID_Key, GUID_Button, ...
  DWORD id;               // DIDFT_* type bits with DIDFT_MAKEINSTANCE(instance)
  DWORD flags;            // DIDOI_*
  Source source;
  std::uint16_t index;    // scan code, axis, button or point-of-view number
  DWORD standardOffset;   // where the predefined format of the device puts it
};

constexpr int kMaxJoystickAxes = 8;
constexpr int kMaxJoystickButtons = 32;
constexpr int kMaxJoystickPovs = 4;
constexpr int kMouseAxes = 3;
constexpr int kMouseButtons = 4;

inline bool IsAxis(const DeviceObject& o) { return (o.id & DIDFT_AXIS) != 0; }
inline bool IsPov(const DeviceObject& o) { return (o.id & DIDFT_POV) != 0; }
inline bool IsButton(const DeviceObject& o) { return (o.id & DIDFT_BUTTON) != 0; }
// Bytes the object takes in a device state: 4 for axes and points of view.
inline DWORD ValueSize(const DeviceObject& o) { return IsButton(o) ? 1 : 4; }

// The keyboard: one object per scan code that has a DIK_ name, in code order.
const DeviceObject* KeyboardObjects();
int KeyboardObjectCount();
// The keyboard object for SCAN_CODE, or -1 when no key has that code.
int KeyboardObjectIndex(std::uint16_t scanCode);

// The mouse: X, Y and the wheel (relative axes), then buttons 0 to 3.
const DeviceObject* MouseObjects();
int MouseObjectCount();

// A joystick's objects: its axes (X, Y, Z, Rx, Ry, Rz, slider, slider, as
// many as it has), its points of view, then its buttons. Counts are clamped
// to what DIJOYSTATE holds.
std::vector<DeviceObject> JoystickObjects(int axes, int buttons, int povs);

// The object's display name ("X Axis", "Button 3", "Esc") into OUT.
void ObjectName(const DeviceObject& object, char* out, std::size_t size);

}  // namespace platform::dinput
