// Devices: capabilities, objects, descriptions and properties.
#include <cstring>
#include <new>

#include "platform/dinput/dinput_device.h"
#include "platform/dinput/dinput_state.h"
#include "platform/faults.h"

namespace platform::dinput {
namespace {

constexpr DWORD kMouseWheelGranularity = 120;
constexpr DWORD kHatGranularity = 4500;  // a hat has eight positions

bool IsAbsoluteAxis(const DeviceObject& o) { return (o.id & DIDFT_ABSAXIS) != 0; }

bool AxisProperty(REFGUID p) { return p == DIPROP_RANGE || p == DIPROP_DEADZONE || p == DIPROP_SATURATION; }

// The size of the structure a known property travels in; 0 when unknown.
DWORD PropertySize(REFGUID p) {
  if (p == DIPROP_RANGE) return sizeof(DIPROPRANGE);
  if (p == DIPROP_BUFFERSIZE || p == DIPROP_AXISMODE || p == DIPROP_GRANULARITY || p == DIPROP_DEADZONE ||
      p == DIPROP_SATURATION || p == DIPROP_FFGAIN || p == DIPROP_FFLOAD || p == DIPROP_AUTOCENTER ||
      p == DIPROP_CALIBRATIONMODE)
    return sizeof(DIPROPDWORD);
  return 0;
}

bool HeaderValid(const DIPROPHEADER* h) {
  return h && h->dwHeaderSize == sizeof(DIPROPHEADER) && h->dwHow <= DIPH_BYID &&
         (h->dwHow != DIPH_DEVICE || h->dwObj == 0);
}

// Clears what follows dwSize in a structure of one of two accepted sizes.
template <typename Full, typename Short, typename T>
bool ClearSized(T* p) {
  if (!p || (p->dwSize != sizeof(Full) && p->dwSize != sizeof(Short))) return false;
  std::memset(reinterpret_cast<BYTE*>(p) + sizeof(DWORD), 0, p->dwSize - sizeof(DWORD));
  return true;
}

}  // namespace

int Device::FindObject(DWORD dwObj, DWORD dwHow) const {
  for (int i = 0; i < ObjectCount(); ++i) {
    if (dwHow == DIPH_BYOFFSET) {
      if (offsetOf_[static_cast<size_t>(i)] >= 0 && static_cast<DWORD>(offsetOf_[static_cast<size_t>(i)]) == dwObj)
        return i;
    } else if (dwHow == DIPH_BYID) {
      const DWORD id = Object(i).id;
      if (DIDFT_GETINSTANCE(id) == DIDFT_GETINSTANCE(dwObj) && (id & dwObj & 0xFF)) return i;
    }
  }
  return -1;
}

int Device::FindSourceObject(Source source, int index) const {
  for (int i = 0; i < ObjectCount(); ++i)
    if (Object(i).source == source && Object(i).index == index) return i;
  return -1;
}

DWORD Device::ObjectOffset(int object) const {
  const std::int32_t mapped = offsetOf_[static_cast<size_t>(object)];
  return mapped >= 0 ? static_cast<DWORD>(mapped) : Object(object).standardOffset;
}

HRESULT Device::GetCapabilities(LPDIDEVCAPS lpDIDevCaps) {
  const bool sized = ClearSized<DIDEVCAPS, DIDEVCAPS_DX3>(lpDIDevCaps);
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::GetCapabilities")) return fault;
  if (!sized) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  DIDEVICEINSTANCEA description{};
  const JoystickSlot* joystick = Joystick();
  DescribeDevice(kind_, joystick, description);
  DIDEVCAPS caps{};
  caps.dwDevType = description.dwDevType;
  if (kind_ != DeviceKind::Joystick || joystick) caps.dwFlags |= DIDC_ATTACHED;
  if (joystick && joystick->info.forceFeedback) caps.dwFlags |= DIDC_FORCEFEEDBACK;
  for (int i = 0; i < ObjectCount(); ++i) {
    const DeviceObject& o = Object(i);
    if (IsAxis(o)) ++caps.dwAxes;
    if (IsButton(o)) ++caps.dwButtons;
    if (IsPov(o)) ++caps.dwPOVs;
  }
  std::memcpy(reinterpret_cast<BYTE*>(lpDIDevCaps) + sizeof(DWORD), reinterpret_cast<BYTE*>(&caps) + sizeof(DWORD),
              lpDIDevCaps->dwSize - sizeof(DWORD));
  return DI_OK;
}

HRESULT Device::GetDeviceInfo(LPDIDEVICEINSTANCEA pdidi) {
  const bool sized = ClearSized<DIDEVICEINSTANCEA, DIDEVICEINSTANCE_DX3A>(pdidi);
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::GetDeviceInfo")) return fault;
  if (!sized) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  DIDEVICEINSTANCEA description{};
  DescribeDevice(kind_, Joystick(), description);
  if (kind_ == DeviceKind::Joystick) description.guidInstance = JoystickInstanceGuid(serial_);
  std::memcpy(reinterpret_cast<BYTE*>(pdidi) + sizeof(DWORD), reinterpret_cast<BYTE*>(&description) + sizeof(DWORD),
              pdidi->dwSize - sizeof(DWORD));
  return DI_OK;
}

namespace {

void DescribeObject(const DeviceObject& o, DWORD offset, DIDEVICEOBJECTINSTANCEA& out) {
  out.guidType = *o.type;
  out.dwOfs = offset;
  out.dwType = o.id;
  out.dwFlags = o.flags;
  ObjectName(o, out.tszName, sizeof(out.tszName));
}

}  // namespace

HRESULT Device::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA lpCallback, LPVOID pvRef, DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::EnumObjects")) return fault;
  if (!lpCallback) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  const DWORD types = dwFlags & 0xFF;
  const DWORD needs = dwFlags & (DIDFT_FFACTUATOR | DIDFT_FFEFFECTTRIGGER);
  const DWORD size = version_ >= 0x0500 ? sizeof(DIDEVICEOBJECTINSTANCEA) : sizeof(DIDEVICEOBJECTINSTANCE_DX3A);
  for (int i = 0; i < ObjectCount(); ++i) {
    const DeviceObject& o = Object(i);
    if ((types && !(o.id & types)) || (o.id & needs) != needs) continue;
    DIDEVICEOBJECTINSTANCEA info{};
    DescribeObject(o, ObjectOffset(i), info);
    info.dwSize = size;
    if (lpCallback(&info, pvRef) == DIENUM_STOP) break;
  }
  return DI_OK;
}

HRESULT Device::GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA pdidoi, DWORD dwObj, DWORD dwHow) {
  const bool sized = ClearSized<DIDEVICEOBJECTINSTANCEA, DIDEVICEOBJECTINSTANCE_DX3A>(pdidoi);
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::GetObjectInfo")) return fault;
  if (!sized || (dwHow != DIPH_BYOFFSET && dwHow != DIPH_BYID)) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  const int object = FindObject(dwObj, dwHow);
  if (object < 0) return DIERR_OBJECTNOTFOUND;
  DIDEVICEOBJECTINSTANCEA info{};
  DescribeObject(Object(object), ObjectOffset(object), info);
  std::memcpy(reinterpret_cast<BYTE*>(pdidoi) + sizeof(DWORD), reinterpret_cast<BYTE*>(&info) + sizeof(DWORD),
              pdidoi->dwSize - sizeof(DWORD));
  return DI_OK;
}

// --- properties ---------------------------------------------------------------------------

HRESULT Device::GetAxisProperty(REFGUID property, DIPROPHEADER& header) const {
  if (header.dwHow == DIPH_DEVICE) return DIERR_UNSUPPORTED;
  const int object = FindObject(header.dwObj, header.dwHow);
  if (object < 0) return DIERR_OBJECTNOTFOUND;
  const DeviceObject& o = Object(object);
  const AxisProperties& axis = axes_[static_cast<size_t>(object)];
  if (property == DIPROP_GRANULARITY) {
    DWORD& value = reinterpret_cast<DIPROPDWORD&>(header).dwData;
    if (IsAxis(o))
      value = o.source == Source::MouseAxis && o.index == 2 ? kMouseWheelGranularity : 1;
    else if (IsPov(o))
      value = kHatGranularity;
    else
      return DIERR_UNSUPPORTED;
    return DI_OK;
  }
  if (!IsAxis(o)) return DIERR_UNSUPPORTED;
  if (property == DIPROP_RANGE) {
    auto& range = reinterpret_cast<DIPROPRANGE&>(header);
    // A relative axis has no ends.
    range.lMin = IsAbsoluteAxis(o) ? axis.min : DIPROPRANGE_NOMIN;
    range.lMax = IsAbsoluteAxis(o) ? axis.max : DIPROPRANGE_NOMAX;
    return DI_OK;
  }
  if (!IsAbsoluteAxis(o)) return DIERR_UNSUPPORTED;
  reinterpret_cast<DIPROPDWORD&>(header).dwData = property == DIPROP_DEADZONE ? axis.deadZone : axis.saturation;
  return DI_OK;
}

HRESULT Device::GetProperty(REFGUID rguidProp, LPDIPROPHEADER pdiph) {
  const DWORD size = PropertySize(rguidProp);
  if (pdiph && size && pdiph->dwSize == size && pdiph->dwHeaderSize == sizeof(DIPROPHEADER))
    std::memset(reinterpret_cast<BYTE*>(pdiph) + sizeof(DIPROPHEADER), 0, size - sizeof(DIPROPHEADER));
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::GetProperty")) return fault;
  if (!HeaderValid(pdiph)) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  if (!size) return DIERR_UNSUPPORTED;
  if (pdiph->dwSize != size) return DIERR_INVALIDPARAM;
  DWORD& value = reinterpret_cast<DIPROPDWORD*>(pdiph)->dwData;
  if (rguidProp == DIPROP_BUFFERSIZE || rguidProp == DIPROP_AXISMODE) {
    if (pdiph->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
    if (rguidProp == DIPROP_BUFFERSIZE) {
      value = bufferSize_;
      return DI_OK;
    }
    if (kind_ == DeviceKind::Keyboard) return DIERR_UNSUPPORTED;
    value = relativeAxes_ ? DIPROPAXISMODE_REL : DIPROPAXISMODE_ABS;
    return DI_OK;
  }
  if (AxisProperty(rguidProp) || rguidProp == DIPROP_GRANULARITY) return GetAxisProperty(rguidProp, *pdiph);
  // Force feedback and calibration: nothing here has either.
  return DIERR_UNSUPPORTED;
}

HRESULT Device::SetAxisProperty(REFGUID property, const DIPROPHEADER& header) {
  AxisProperties wanted{};
  if (property == DIPROP_RANGE) {
    const auto& range = reinterpret_cast<const DIPROPRANGE&>(header);
    if (range.lMin >= range.lMax) return DIERR_INVALIDPARAM;
    wanted.min = range.lMin;
    wanted.max = range.lMax;
  } else {
    const DWORD value = reinterpret_cast<const DIPROPDWORD&>(header).dwData;
    if (value > 10000) return DIERR_INVALIDPARAM;
    wanted.deadZone = wanted.saturation = value;
  }
  const auto apply = [&](AxisProperties& axis) {
    if (property == DIPROP_RANGE) {
      axis.min = wanted.min;
      axis.max = wanted.max;
    } else if (property == DIPROP_DEADZONE) {
      axis.deadZone = wanted.deadZone;
    } else {
      axis.saturation = wanted.saturation;
    }
  };
  if (header.dwHow == DIPH_DEVICE) {
    bool any = false;
    for (int i = 0; i < ObjectCount(); ++i)
      if (IsAbsoluteAxis(Object(i))) {
        apply(axes_[static_cast<size_t>(i)]);
        any = true;
      }
    return any ? DI_OK : DIERR_UNSUPPORTED;
  }
  const int object = FindObject(header.dwObj, header.dwHow);
  if (object < 0) return DIERR_OBJECTNOTFOUND;
  if (!IsAbsoluteAxis(Object(object))) return DIERR_UNSUPPORTED;
  apply(axes_[static_cast<size_t>(object)]);
  return DI_OK;
}

HRESULT Device::SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) {
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::SetProperty")) return fault;
  if (!HeaderValid(pdiph)) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  const DWORD size = PropertySize(rguidProp);
  if (!size) return DIERR_UNSUPPORTED;
  if (pdiph->dwSize != size) return DIERR_INVALIDPARAM;
  if (rguidProp == DIPROP_GRANULARITY) return DIERR_READONLY;
  if (AxisProperty(rguidProp)) return SetAxisProperty(rguidProp, *pdiph);
  const DWORD value = reinterpret_cast<const DIPROPDWORD*>(pdiph)->dwData;
  if (rguidProp == DIPROP_BUFFERSIZE) {
    if (pdiph->dwHow != DIPH_DEVICE || value > kMaxBufferSize) return DIERR_INVALIDPARAM;
    if (Held()) return DIERR_ACQUIRED;
    try {
      buffer_.assign(value, DIDEVICEOBJECTDATA{});
    } catch (const std::bad_alloc&) {
      return DIERR_OUTOFMEMORY;
    }
    bufferSize_ = value;
    FlushBuffer();
    return DI_OK;
  }
  if (rguidProp == DIPROP_AXISMODE) {
    if (pdiph->dwHow != DIPH_DEVICE || (value != DIPROPAXISMODE_ABS && value != DIPROPAXISMODE_REL))
      return DIERR_INVALIDPARAM;
    if (Held()) return DIERR_ACQUIRED;
    // Joysticks report positions only; the mouse either way.
    if (kind_ == DeviceKind::Keyboard || (kind_ == DeviceKind::Joystick && value == DIPROPAXISMODE_REL))
      return DIERR_UNSUPPORTED;
    if (kind_ == DeviceKind::Mouse) relativeAxes_ = value == DIPROPAXISMODE_REL;
    return DI_OK;
  }
  return DIERR_UNSUPPORTED;
}

}  // namespace platform::dinput
