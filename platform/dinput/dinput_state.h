// What DirectInput has seen of the input, shared by every object in the
// process: the mouse's motion and buttons and the joysticks' controls, kept
// from the back end's events by one input watcher; and the live devices, so
// that each can buffer the events it cares about.
//
// Install resets it all: objects made before answer DIERR_NOTINITIALIZED,
// which they learn by comparing their generation with Generation().
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/dinput/dinput_objects.h"

namespace platform::dinput {

class Device;

constexpr int kMaxJoysticks = 32;
constexpr DWORD kPovCentred = 0xFFFFFFFFu;

// One attached joystick. Slots follow the back end's numbering; a joystick
// keeps its serial (and so its instance GUID) while it stays attached.
struct JoystickSlot {
  std::uint32_t serial = 0;
  JoystickInfo info;
  std::array<LONG, kMaxJoystickAxes> axes{};  // the back end's -32768..32767
  std::array<DWORD, kMaxJoystickPovs> povs{};
  std::array<BYTE, kMaxJoystickButtons> buttons{};  // 0x80 when down
};

struct InputState {
  std::uint32_t generation = 1;
  bool watching = false;
  // Mouse motion summed since watching began; devices remember where they
  // last read it, so that each reports its own "since the last read".
  std::array<std::int64_t, kMouseAxes> mouseTotal{};
  std::array<BYTE, kMouseButtons> mouseButtons{};
  std::array<JoystickSlot, kMaxJoysticks> joysticks;
  int joystickCount = 0;
  std::uint32_t nextSerial = 1;
  // The event being delivered: every buffered item it makes carries these.
  DWORD sequence = 0;
  DWORD eventTime = 0;
  std::vector<Device*> devices;
};

InputState& State();
inline std::uint32_t Generation() { return State().generation; }

// Starts following the back end's events (once per installed back end).
void StartWatching();
// Brings the joystick table in line with the back end's list when it grew
// or shrank without an event saying so.
void SyncJoysticks();
JoystickSlot* FindJoystick(std::uint32_t serial);
// The slot's place in the back end's numbering, or -1.
int JoystickIndex(std::uint32_t serial);

// Joystick instance GUIDs are DirectInput's own, one per serial; the back
// end's GUID becomes the product GUID.
GUID JoystickInstanceGuid(std::uint32_t serial);
bool JoystickSerialOf(const GUID& instance, std::uint32_t& serial);

// Fills the description EnumDevices and GetDeviceInfo give (all but dwSize).
void DescribeDevice(DeviceKind kind, const JoystickSlot* joystick, DIDEVICEINSTANCEA& out);

void AddDevice(Device* device);
void RemoveDevice(Device* device);

}  // namespace platform::dinput
