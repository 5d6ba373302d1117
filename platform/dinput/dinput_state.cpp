#include "platform/dinput/dinput_state.h"

#include <algorithm>
#include <cstdio>

#include "platform/dinput/dinput_device.h"
#include "platform/keyboard.h"
#include "platform/system.h"
#include "platform/window.h"

namespace platform::dinput {
namespace {

// Data1 carries the serial; the rest marks the GUID as one of ours.
constexpr GUID kJoystickInstanceBase = {0, 0x5A4B, 0x11D3, {0x9A, 0x1E, 0x42, 0x52, 0x49, 0x4E, 0x4A, 0x53}};

void Reset() {
  InputState& s = State();
  const std::uint32_t generation = s.generation + 1;
  s = InputState{};
  s.generation = generation;
}
const bool registered = (RegisterReset(Reset), true);

void FillSlot(JoystickSlot& slot, const JoystickInfo& info) {
  slot = JoystickSlot{};
  slot.serial = State().nextSerial++;
  slot.info = info;
  slot.povs.fill(kPovCentred);
}

void RemoveSlot(int index) {
  InputState& s = State();
  if (index < 0 || index >= s.joystickCount) return;
  for (int i = index; i + 1 < s.joystickCount; ++i) s.joysticks[i] = s.joysticks[i + 1];
  --s.joystickCount;
  s.joysticks[s.joystickCount] = JoystickSlot{};
}

void UpdateJoystick(const Event& event) {
  InputState& s = State();
  const JoystickEvent& j = event.joystick;
  if (j.index >= s.joystickCount) SyncJoysticks();
  if (j.index < 0 || j.index >= s.joystickCount) return;
  JoystickSlot& slot = s.joysticks[j.index];
  switch (event.type) {
    case EventType::JoystickAxis:
      if (j.control >= 0 && j.control < kMaxJoystickAxes)
        slot.axes[j.control] = static_cast<LONG>(std::clamp(j.value, -32768, 32767));
      return;
    case EventType::JoystickButton:
      if (j.control >= 0 && j.control < kMaxJoystickButtons) slot.buttons[j.control] = j.value ? 0x80 : 0;
      return;
    case EventType::JoystickHat:
      if (j.control >= 0 && j.control < kMaxJoystickPovs)
        slot.povs[j.control] = j.value < 0 ? kPovCentred : static_cast<DWORD>(j.value % 36000);
      return;
    default:
      return;
  }
}

// The input watcher: keeps the state first, then lets the devices buffer
// what changed.
void OnInputEvent(const Event& event, void*) {
  InputState& s = State();
  switch (event.type) {
    case EventType::MouseMove:
      s.mouseTotal[0] += event.mouse.dx;
      s.mouseTotal[1] += event.mouse.dy;
      break;
    case EventType::MouseWheel:
      s.mouseTotal[2] += event.mouse.dz;
      break;
    case EventType::MouseButtonDown:
    case EventType::MouseButtonUp:
      if (event.mouse.button < kMouseButtons)
        s.mouseButtons[event.mouse.button] = event.type == EventType::MouseButtonDown ? 0x80 : 0;
      break;
    case EventType::JoystickAxis:
    case EventType::JoystickButton:
    case EventType::JoystickHat:
      UpdateJoystick(event);
      break;
    case EventType::JoystickAdded:
      SyncJoysticks();
      return;
    case EventType::JoystickRemoved:
      RemoveSlot(event.joystick.index);
      return;
    default:
      break;
  }
  ++s.sequence;
  // Reading the clock moves a stepping virtual clock on, so it is read only
  // when some device keeps buffered data.
  if (std::none_of(s.devices.begin(), s.devices.end(), [](const Device* d) { return d->Buffered(); })) return;
  s.eventTime = GetTickCount();
  for (Device* device : s.devices) device->Record(event);
}

}  // namespace

InputState& State() {
  static InputState state;
  return state;
}

void StartWatching() {
  InputState& s = State();
  if (s.watching) return;
  keyboard::RemoveInputWatcher(OnInputEvent, nullptr);
  s.watching = keyboard::AddInputWatcher(OnInputEvent, nullptr);
  SyncJoysticks();
}

void SyncJoysticks() {
  if (!HasBackend()) return;
  InputState& s = State();
  const Backend& backend = CurrentBackend();
  const int attached = std::min(backend.JoystickCount(), kMaxJoysticks);
  if (attached < s.joystickCount) {
    while (s.joystickCount > attached) RemoveSlot(s.joystickCount - 1);
    return;
  }
  for (int i = s.joystickCount; i < attached; ++i) {
    JoystickInfo info;
    if (!backend.GetJoystickInfo(i, info)) break;
    FillSlot(s.joysticks[i], info);
    s.joystickCount = i + 1;
  }
}

JoystickSlot* FindJoystick(std::uint32_t serial) {
  const int index = JoystickIndex(serial);
  return index < 0 ? nullptr : &State().joysticks[index];
}

int JoystickIndex(std::uint32_t serial) {
  InputState& s = State();
  for (int i = 0; i < s.joystickCount; ++i)
    if (s.joysticks[i].serial == serial) return i;
  return -1;
}

GUID JoystickInstanceGuid(std::uint32_t serial) {
  GUID guid = kJoystickInstanceBase;
  guid.Data1 = serial;
  return guid;
}

bool JoystickSerialOf(const GUID& instance, std::uint32_t& serial) {
  GUID base = instance;
  base.Data1 = 0;
  if (!(base == kJoystickInstanceBase) || instance.Data1 == 0) return false;
  serial = instance.Data1;
  return true;
}

void DescribeDevice(DeviceKind kind, const JoystickSlot* joystick, DIDEVICEINSTANCEA& out) {
  const char* name = "";
  switch (kind) {
    case DeviceKind::Keyboard:
      out.guidInstance = GUID_SysKeyboard;
      out.guidProduct = GUID_SysKeyboard;
      out.dwDevType = DIDEVTYPE_KEYBOARD | (DIDEVTYPEKEYBOARD_PCENH << 8);
      name = "Keyboard";
      break;
    case DeviceKind::Mouse:
      out.guidInstance = GUID_SysMouse;
      out.guidProduct = GUID_SysMouse;
      out.dwDevType = DIDEVTYPE_MOUSE | (DIDEVTYPEMOUSE_TRADITIONAL << 8);
      name = "Mouse";
      break;
    case DeviceKind::Joystick:
      out.guidInstance = JoystickInstanceGuid(joystick ? joystick->serial : 0);
      out.guidProduct = joystick ? joystick->info.instance : GUID{};
      out.dwDevType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_TRADITIONAL << 8);
      name = joystick ? joystick->info.name.c_str() : "";
      break;
  }
  std::snprintf(out.tszInstanceName, sizeof(out.tszInstanceName), "%s", name);
  std::snprintf(out.tszProductName, sizeof(out.tszProductName), "%s", name);
  out.guidFFDriver = GUID{};
  out.wUsagePage = 0;
  out.wUsage = 0;
}

void AddDevice(Device* device) { State().devices.push_back(device); }

void RemoveDevice(Device* device) {
  auto& devices = State().devices;
  devices.erase(std::remove(devices.begin(), devices.end(), device), devices.end());
}

}  // namespace platform::dinput
