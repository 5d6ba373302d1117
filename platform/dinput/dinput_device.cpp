// Devices: data formats, cooperative levels, acquisition and the state.
#include "platform/dinput/dinput_device.h"

#include <algorithm>
#include <cstring>

#include "platform/dinput/dinput_object.h"
#include "platform/dinput/dinput_state.h"
#include "platform/faults.h"
#include "platform/keyboard.h"
#include "platform/system.h"
#include "platform/window.h"

namespace platform::dinput {
namespace {

constexpr DWORD kCooperationFlags = DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND;
constexpr DWORD kFormatTypeBits = 0xFF;

void Write(BYTE* data, DWORD offset, DWORD value, DWORD size) {
  if (size == 4)
    std::memcpy(data + offset, &value, 4);
  else
    data[offset] = static_cast<BYTE>(value);
}

LONG Saturate(std::int64_t v) {
  return static_cast<LONG>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

LONG ScaleAxis(LONG position, const AxisProperties& p) {
  // Twice the position plus one runs over the odd numbers -65535..65535,
  // symmetric about the centre, so that both halves of the travel are
  // equally long and dead zone and saturation cut them alike.
  constexpr std::int64_t kFull = 65535;
  std::int64_t d = 2 * static_cast<std::int64_t>(std::clamp<LONG>(position, -32768, 32767)) + 1;
  const std::int64_t deadZone = static_cast<std::int64_t>(p.deadZone) * kFull / 10000;
  const std::int64_t saturation = static_cast<std::int64_t>(p.saturation) * kFull / 10000;
  std::int64_t magnitude = d < 0 ? -d : d;
  if (magnitude <= deadZone)
    magnitude = 0;
  else if (magnitude >= saturation)
    magnitude = kFull;
  else
    magnitude = (magnitude - deadZone) * kFull / (saturation - deadZone);
  d = d < 0 ? -magnitude : magnitude;
  const std::int64_t span = static_cast<std::int64_t>(p.max) - p.min;
  return static_cast<LONG>(p.min + ((d + kFull) * span + kFull) / (2 * kFull));
}

Device::Device(DirectInput* owner, DeviceKind kind, std::uint32_t serial)
    : owner_(owner), kind_(kind), serial_(serial), generation_(Generation()), version_(owner->Version()) {
  switch (kind) {
    case DeviceKind::Keyboard:
      objects_ = KeyboardObjects();
      objectCount_ = static_cast<size_t>(KeyboardObjectCount());
      break;
    case DeviceKind::Mouse:
      objects_ = MouseObjects();
      objectCount_ = static_cast<size_t>(MouseObjectCount());
      break;
    case DeviceKind::Joystick: {
      const JoystickSlot* slot = FindJoystick(serial);
      const JoystickInfo info = slot ? slot->info : JoystickInfo{};
      joystickObjects_ = JoystickObjects(info.axes, info.buttons, info.povs);
      objects_ = joystickObjects_.data();
      objectCount_ = joystickObjects_.size();
      relativeAxes_ = false;
      break;
    }
  }
  axes_.resize(objectCount_);
  offsetOf_.assign(objectCount_, -1);
  AddDevice(this);
  owner_->AddRef();
}

Device::~Device() {
  RemoveDevice(this);
  owner_->Release();
}

HRESULT Device::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::QueryInterface")) return fault;
  if (riid == IID_IUnknown || riid == IID_IDirectInputDeviceA || riid == IID_IDirectInputDevice2A) {
    AddRef();
    *object = static_cast<IDirectInputDevice2A*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

bool Device::Stale() const { return generation_ != Generation(); }

const JoystickSlot* Device::Joystick() const { return kind_ == DeviceKind::Joystick ? FindJoystick(serial_) : nullptr; }

bool Device::LostNow() const {
  if (kind_ == DeviceKind::Joystick && !Joystick()) return true;
  if (!(cooperation_ & DISCL_FOREGROUND)) return false;
  return !AppActive() || FocusLossCount() != focusLossesAtAcquire_;
}

HRESULT Device::CheckReadable() {
  if (Stale()) return DIERR_NOTINITIALIZED;
  if (!acquired_) return DIERR_NOTACQUIRED;
  if (LostNow()) {
    // The system took the device away; the application hears of it once.
    acquired_ = false;
    return DIERR_INPUTLOST;
  }
  return DI_OK;
}

bool Device::OtherHoldsExclusively() const {
  for (const Device* other : State().devices) {
    if (other == this || other->kind_ != kind_ || other->serial_ != serial_) continue;
    if (other->Exclusive() && other->Held() && !other->Stale()) return true;
  }
  return false;
}

// --- cooperation and acquisition --------------------------------------------------------

HRESULT Device::SetCooperativeLevel(HWND hwnd, DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::SetCooperativeLevel")) return fault;
  if (dwFlags & ~kCooperationFlags) return DIERR_INVALIDPARAM;
  const bool exclusive = dwFlags & DISCL_EXCLUSIVE, nonExclusive = dwFlags & DISCL_NONEXCLUSIVE;
  const bool foreground = dwFlags & DISCL_FOREGROUND, background = dwFlags & DISCL_BACKGROUND;
  if (exclusive == nonExclusive || foreground == background) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  // DIERR_INVALIDPARAM also stands for "not in a state that permits the
  // call", the documented answer for an acquired device.
  if (Held()) return DIERR_INVALIDPARAM;
  // Only the level that needs no window may go without one.
  if (!hwnd ? !(nonExclusive && background) : !IsWindow(hwnd)) return E_HANDLE;
  // The system keyboard and mouse cannot be had exclusively in the
  // background: the rest of the desktop would lose them.
  if (exclusive && background && kind_ != DeviceKind::Joystick) return DIERR_INVALIDPARAM;
  cooperation_ = dwFlags;
  window_ = hwnd;
  acquired_ = false;
  return DI_OK;
}

HRESULT Device::Acquire() {
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::Acquire")) return fault;
  if (Stale()) return DIERR_NOTINITIALIZED;
  if (!hasFormat_) return DIERR_INVALIDPARAM;
  if (kind_ == DeviceKind::Joystick && !Joystick()) return DIERR_INVALIDPARAM;  // unplugged: no state permits it
  if (Held()) return DI_NOEFFECT;
  if ((cooperation_ & DISCL_FOREGROUND) && !AppActive()) return DIERR_OTHERAPPHASPRIO;
  if (Exclusive() && OtherHoldsExclusively()) return DIERR_OTHERAPPHASPRIO;
  acquired_ = true;
  focusLossesAtAcquire_ = FocusLossCount();
  mouseBase_ = State().mouseTotal;
  FlushBuffer();
  return DI_OK;
}

HRESULT Device::Unacquire() {
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::Unacquire")) return fault;
  // Its only documented answers: a stale device is not acquired either.
  if (Stale() || !acquired_) return DI_NOEFFECT;
  acquired_ = false;
  return DI_OK;
}

// --- data format and state ----------------------------------------------------------------

HRESULT Device::BuildFormat(const DIDATAFORMAT& format, std::vector<Mapping>& mappings) const {
  if (format.dwSize != sizeof(DIDATAFORMAT) || format.dwObjSize != sizeof(DIOBJECTDATAFORMAT))
    return DIERR_INVALIDPARAM;
  if ((format.dwFlags & ~(DIDF_ABSAXIS | DIDF_RELAXIS)) || format.dwFlags == (DIDF_ABSAXIS | DIDF_RELAXIS))
    return DIERR_INVALIDPARAM;
  if (format.dwDataSize == 0 || format.dwDataSize > kMaxDataSize || format.dwDataSize % 4 != 0)
    return DIERR_INVALIDPARAM;
  if (format.dwNumObjs > kMaxDataSize || (format.dwNumObjs && !format.rgodf)) return DIERR_INVALIDPARAM;

  std::vector<bool> used(objectCount_, false);
  std::vector<bool> taken(format.dwDataSize, false);
  for (DWORD n = 0; n < format.dwNumObjs; ++n) {
    const DIOBJECTDATAFORMAT& wanted = format.rgodf[n];
    const DWORD type = wanted.dwType & kFormatTypeBits;
    const WORD instance = DIDFT_GETINSTANCE(wanted.dwType);
    const bool anyInstance = instance == 0xFFFF;
    const DWORD needs = wanted.dwType & (DIDFT_FFACTUATOR | DIDFT_FFEFFECTTRIGGER);
    int match = -1;
    for (int i = 0; i < ObjectCount() && match < 0; ++i) {
      const DeviceObject& o = Object(i);
      if (used[static_cast<size_t>(i)]) continue;
      if (type != DIDFT_ALL && !(o.id & type)) continue;
      if ((o.id & needs) != needs) continue;
      if (wanted.pguid && !(*wanted.pguid == *o.type)) continue;
      if (!anyInstance && DIDFT_GETINSTANCE(o.id) != instance) continue;
      match = i;
    }
    if (match < 0 && !(wanted.dwType & DIDFT_OPTIONAL)) return DIERR_INVALIDPARAM;
    const DWORD size = match >= 0 ? ValueSize(Object(match)) : ((type & (DIDFT_AXIS | DIDFT_POV)) ? 4 : 1);
    if (wanted.dwOfs > format.dwDataSize - size || (size == 4 && wanted.dwOfs % 4 != 0)) return DIERR_INVALIDPARAM;
    for (DWORD b = wanted.dwOfs; b < wanted.dwOfs + size; ++b) {
      if (taken[b]) return DIERR_INVALIDPARAM;
      taken[b] = true;
    }
    if (match >= 0) {
      used[static_cast<size_t>(match)] = true;
      mappings.push_back({match, wanted.dwOfs});
    }
  }
  return DI_OK;
}

HRESULT Device::SetDataFormat(LPCDIDATAFORMAT lpdf) {
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::SetDataFormat")) return fault;
  if (!lpdf) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  if (Held()) return DIERR_ACQUIRED;
  std::vector<Mapping> mappings;
  if (const HRESULT refused = BuildFormat(*lpdf, mappings)) return refused;
  mappings_ = std::move(mappings);
  offsetOf_.assign(objectCount_, -1);
  for (const Mapping& m : mappings_) offsetOf_[static_cast<size_t>(m.object)] = static_cast<std::int32_t>(m.offset);
  dataSize_ = lpdf->dwDataSize;
  hasFormat_ = true;
  if (kind_ == DeviceKind::Mouse && lpdf->dwFlags) relativeAxes_ = (lpdf->dwFlags & DIDF_RELAXIS) != 0;
  acquired_ = false;
  return DI_OK;
}

DWORD Device::ObjectValue(int object, const JoystickSlot* joystick) const {
  const DeviceObject& o = Object(object);
  const InputState& s = State();
  switch (o.source) {
    case Source::Key:
      return keyboard::ScanCodeDown(o.index) ? 0x80 : 0;
    case Source::MouseAxis: {
      const std::int64_t total = s.mouseTotal[o.index];
      if (!relativeAxes_) return static_cast<DWORD>(static_cast<std::uint64_t>(total));
      return static_cast<DWORD>(Saturate(total - mouseBase_[o.index]));
    }
    case Source::MouseButton:
      return s.mouseButtons[o.index];
    case Source::JoyAxis:
      return joystick ? static_cast<DWORD>(ScaleAxis(joystick->axes[o.index], axes_[static_cast<size_t>(object)]))
                      : 0;
    case Source::JoyButton:
      return joystick ? joystick->buttons[o.index] : 0;
    case Source::JoyPov:
      return joystick ? joystick->povs[o.index] : kPovCentred;
  }
  return 0;
}

HRESULT Device::GetDeviceState(DWORD cbData, LPVOID lpvData) {
  if (lpvData && cbData) std::memset(lpvData, 0, cbData);
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::GetDeviceState")) return fault;
  if (!lpvData) return DIERR_INVALIDPARAM;
  if (const HRESULT unreadable = CheckReadable()) return unreadable;
  if (cbData != dataSize_) return DIERR_INVALIDPARAM;
  const JoystickSlot* joystick = Joystick();
  auto* data = static_cast<BYTE*>(lpvData);
  for (const Mapping& m : mappings_)
    Write(data, m.offset, ObjectValue(m.object, joystick), ValueSize(Object(m.object)));
  if (kind_ == DeviceKind::Mouse) mouseBase_ = State().mouseTotal;
  return DI_OK;
}

HRESULT Device::Poll() {
  if (const HRESULT fault = TakeFault("IDirectInputDevice2A::Poll")) return fault;
  if (const HRESULT unreadable = CheckReadable()) return unreadable;
  // Every device here is kept up to date by the back end's events.
  return DI_NOEFFECT;
}

HRESULT Device::SetEventNotification(HANDLE hEvent) {
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::SetEventNotification")) return fault;
  if (Stale()) return DIERR_NOTINITIALIZED;
  if (Held()) return DIERR_ACQUIRED;
  // The platform has no event objects, so no handle can be one.
  return hEvent ? DIERR_INVALIDPARAM : DI_OK;
}

HRESULT Device::RunControlPanel(HWND hwndOwner, DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::RunControlPanel")) return fault;
  if (dwFlags != 0) return DIERR_INVALIDPARAM;
  if (hwndOwner && !IsWindow(hwndOwner)) return E_HANDLE;
  if (Stale()) return DIERR_NOTINITIALIZED;
  return DIERR_UNSUPPORTED;
}

HRESULT Device::Initialize(HINSTANCE hinst, DWORD dwVersion, REFGUID rguid) {
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::Initialize")) return fault;
  if (const HRESULT refused = CheckCreation(hinst, dwVersion)) return refused;
  if (Stale()) return DIERR_NOTINITIALIZED;
  // A device stays the one it was made for.
  const GUID mine = kind_ == DeviceKind::Keyboard ? GUID_SysKeyboard
                    : kind_ == DeviceKind::Mouse  ? GUID_SysMouse
                                                  : JoystickInstanceGuid(serial_);
  if (rguid == mine) return S_FALSE;
  if (Held()) return DIERR_ACQUIRED;
  std::uint32_t serial = 0;
  const bool exists = rguid == GUID_SysKeyboard || rguid == GUID_SysMouse ||
                      (JoystickSerialOf(rguid, serial) && FindJoystick(serial));
  return exists ? DIERR_ALREADYINITIALIZED : DIERR_DEVICENOTREG;
}

}  // namespace platform::dinput
