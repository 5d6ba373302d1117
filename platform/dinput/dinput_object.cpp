#include "platform/dinput/dinput_object.h"

#include <cstring>
#include <new>
#include <vector>

#include "platform/dinput/dinput_device.h"
#include "platform/dinput/dinput_state.h"
#include "platform/faults.h"
#include "platform/window.h"

namespace platform::dinput {
namespace {

constexpr DWORD kEnumFlags = DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK;

// What CreateDevice was asked for.
struct Target {
  DeviceKind kind;
  std::uint32_t serial = 0;
};

// HRESULT of the lookup: DI_OK with TARGET, DI_NOTATTACHED for a joystick
// that was unplugged, DIERR_DEVICENOTREG for what never existed.
HRESULT Resolve(const GUID& guid, Target& target) {
  if (guid == GUID_SysKeyboard) {
    target = {DeviceKind::Keyboard};
    return DI_OK;
  }
  if (guid == GUID_SysMouse) {
    target = {DeviceKind::Mouse};
    return DI_OK;
  }
  std::uint32_t serial = 0;
  if (!JoystickSerialOf(guid, serial) || serial >= State().nextSerial) return DIERR_DEVICENOTREG;
  SyncJoysticks();
  target = {DeviceKind::Joystick, serial};
  return FindJoystick(serial) ? DI_OK : DI_NOTATTACHED;
}

}  // namespace

DirectInput::DirectInput(DWORD version) : version_(version), generation_(Generation()) {}

bool DirectInput::Stale() const { return generation_ != Generation(); }

HRESULT DirectInput::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirectInputA::QueryInterface")) return fault;
  if (riid == IID_IUnknown || riid == IID_IDirectInputA) {
    AddRef();
    *object = static_cast<IDirectInputA*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT DirectInput::CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICEA* lplpDirectInputDevice, LPUNKNOWN pUnkOuter) {
  if (lplpDirectInputDevice) *lplpDirectInputDevice = nullptr;
  if (const HRESULT fault = TakeFault("IDirectInputA::CreateDevice")) return fault;
  if (!lplpDirectInputDevice) return DIERR_INVALIDPARAM;
  if (pUnkOuter) return DIERR_INVALIDPARAM;  // aggregation is not offered
  if (Stale()) return DIERR_NOTINITIALIZED;
  Target target{DeviceKind::Keyboard};
  const HRESULT found = Resolve(rguid, target);
  if (found == DI_NOTATTACHED) return DIERR_DEVICENOTREG;
  if (found != DI_OK) return found;
  Device* device = nullptr;
  try {
    device = new Device(this, target.kind, target.serial);
  } catch (const std::bad_alloc&) {
    return DIERR_OUTOFMEMORY;
  }
  *lplpDirectInputDevice = device;
  return DI_OK;
}

HRESULT DirectInput::EnumDevices(DWORD dwDevType, LPDIENUMDEVICESCALLBACKA lpCallback, LPVOID pvRef,
                                 DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectInputA::EnumDevices")) return fault;
  if (!lpCallback || dwDevType > DIDEVTYPE_JOYSTICK || (dwFlags & ~kEnumFlags)) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  SyncJoysticks();

  // The callback may do anything meanwhile (make devices, even see a
  // joystick unplugged), so the list is taken first.
  struct Entry {
    DeviceKind kind;
    JoystickSlot joystick;
  };
  std::vector<Entry> entries;
  const bool forceFeedbackOnly = (dwFlags & DIEDFL_FORCEFEEDBACK) != 0;
  const auto wanted = [dwDevType](DWORD type) { return dwDevType == 0 || dwDevType == type; };
  if (!forceFeedbackOnly && wanted(DIDEVTYPE_MOUSE)) entries.push_back({DeviceKind::Mouse, {}});
  if (!forceFeedbackOnly && wanted(DIDEVTYPE_KEYBOARD)) entries.push_back({DeviceKind::Keyboard, {}});
  if (wanted(DIDEVTYPE_JOYSTICK)) {
    const InputState& s = State();
    for (int i = 0; i < s.joystickCount; ++i)
      if (!forceFeedbackOnly || s.joysticks[i].info.forceFeedback)
        entries.push_back({DeviceKind::Joystick, s.joysticks[i]});
  }

  const DWORD size = version_ >= 0x0500 ? sizeof(DIDEVICEINSTANCEA) : sizeof(DIDEVICEINSTANCE_DX3A);
  for (const Entry& entry : entries) {
    DIDEVICEINSTANCEA instance{};
    DescribeDevice(entry.kind, &entry.joystick, instance);
    instance.dwSize = size;
    if (lpCallback(&instance, pvRef) == DIENUM_STOP) break;
  }
  return DI_OK;
}

HRESULT DirectInput::GetDeviceStatus(REFGUID rguidInstance) {
  if (const HRESULT fault = TakeFault("IDirectInputA::GetDeviceStatus")) return fault;
  if (Stale()) return DIERR_NOTINITIALIZED;
  Target target{DeviceKind::Keyboard};
  return Resolve(rguidInstance, target);
}

HRESULT DirectInput::RunControlPanel(HWND hwndOwner, DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectInputA::RunControlPanel")) return fault;
  if (dwFlags != 0) return DIERR_INVALIDPARAM;
  if (hwndOwner && !IsWindow(hwndOwner)) return E_HANDLE;
  if (Stale()) return DIERR_NOTINITIALIZED;
  return DIERR_UNSUPPORTED;
}

HRESULT DirectInput::Initialize(HINSTANCE hinst, DWORD dwVersion) {
  if (const HRESULT fault = TakeFault("IDirectInputA::Initialize")) return fault;
  if (const HRESULT refused = CheckCreation(hinst, dwVersion)) return refused;
  if (Stale()) return DIERR_NOTINITIALIZED;
  return dwVersion == version_ ? DI_OK : DIERR_ALREADYINITIALIZED;
}

}  // namespace platform::dinput
