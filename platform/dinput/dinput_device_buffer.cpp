// Devices: buffered data, and the force-feedback calls no device here
// supports.
#include <cstring>

#include "platform/dinput/dinput_device.h"
#include "platform/dinput/dinput_state.h"
#include "platform/faults.h"

namespace platform::dinput {

void Device::FlushBuffer() {
  bufferHead_ = 0;
  bufferCount_ = 0;
  overflowed_ = false;
}

void Device::Push(int object, DWORD data) {
  const std::int32_t offset = offsetOf_[static_cast<size_t>(object)];
  if (offset < 0) return;
  if (bufferCount_ == bufferSize_) {
    overflowed_ = true;
    return;
  }
  const InputState& s = State();
  buffer_[(bufferHead_ + bufferCount_) % bufferSize_] =
      DIDEVICEOBJECTDATA{static_cast<DWORD>(offset), data, s.eventTime, s.sequence};
  ++bufferCount_;
}

void Device::Record(const Event& event) {
  if (bufferSize_ == 0 || !acquired_ || Stale() || LostNow()) return;
  const InputState& s = State();
  switch (event.type) {
    case EventType::KeyDown:
    case EventType::KeyUp: {
      // Held keys repeat in the window's messages, not in DirectInput's data.
      if (kind_ != DeviceKind::Keyboard || event.key.repeat) return;
      const int object = KeyboardObjectIndex(event.key.scanCode);
      if (object >= 0) Push(object, event.type == EventType::KeyDown ? 0x80 : 0);
      return;
    }
    case EventType::MouseMove:
    case EventType::MouseWheel: {
      if (kind_ != DeviceKind::Mouse) return;
      const std::int32_t motion[kMouseAxes] = {event.type == EventType::MouseMove ? event.mouse.dx : 0,
                                               event.type == EventType::MouseMove ? event.mouse.dy : 0,
                                               event.type == EventType::MouseWheel ? event.mouse.dz : 0};
      for (int axis = 0; axis < kMouseAxes; ++axis) {
        if (motion[axis] == 0) continue;
        const DWORD data = relativeAxes_ ? static_cast<DWORD>(motion[axis])
                                         : static_cast<DWORD>(static_cast<std::uint64_t>(s.mouseTotal[axis]));
        Push(FindSourceObject(Source::MouseAxis, axis), data);
      }
      return;
    }
    case EventType::MouseButtonDown:
    case EventType::MouseButtonUp: {
      if (kind_ != DeviceKind::Mouse) return;
      const int object = FindSourceObject(Source::MouseButton, event.mouse.button);
      if (object >= 0) Push(object, event.type == EventType::MouseButtonDown ? 0x80 : 0);
      return;
    }
    case EventType::JoystickAxis:
    case EventType::JoystickButton:
    case EventType::JoystickHat: {
      if (kind_ != DeviceKind::Joystick || JoystickIndex(serial_) != event.joystick.index) return;
      const JoystickSlot* joystick = Joystick();
      const Source source = event.type == EventType::JoystickAxis     ? Source::JoyAxis
                            : event.type == EventType::JoystickButton ? Source::JoyButton
                                                                      : Source::JoyPov;
      const int object = FindSourceObject(source, event.joystick.control);
      if (object >= 0) Push(object, ObjectValue(object, joystick));
      return;
    }
    default:
      return;
  }
}

HRESULT Device::GetDeviceData(DWORD cbObjectData, LPDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut, DWORD dwFlags) {
  const DWORD wanted = pdwInOut ? *pdwInOut : 0;
  if (pdwInOut) *pdwInOut = 0;
  if (const HRESULT fault = TakeFault("IDirectInputDeviceA::GetDeviceData")) return fault;
  if (!pdwInOut || cbObjectData != sizeof(DIDEVICEOBJECTDATA) || (dwFlags & ~DIGDD_PEEK)) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  if (bufferSize_ == 0) return DIERR_NOTBUFFERED;
  if (const HRESULT unreadable = CheckReadable()) return unreadable;
  // A null array with INFINITE flushes (or, peeking, counts) everything.
  const size_t count = wanted < bufferCount_ ? wanted : bufferCount_;
  if (rgdod)
    for (size_t i = 0; i < count; ++i) rgdod[i] = buffer_[(bufferHead_ + i) % bufferSize_];
  *pdwInOut = static_cast<DWORD>(count);
  const bool overflowed = overflowed_;
  if (!(dwFlags & DIGDD_PEEK)) {
    bufferHead_ = (bufferHead_ + count) % bufferSize_;
    bufferCount_ -= count;
    overflowed_ = false;
  }
  return overflowed ? DI_BUFFEROVERFLOW : DI_OK;
}

HRESULT Device::SendDeviceData(DWORD cbObjectData, LPCDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut, DWORD fl) {
  const DWORD wanted = pdwInOut ? *pdwInOut : 0;
  if (pdwInOut) *pdwInOut = 0;
  if (const HRESULT fault = TakeFault("IDirectInputDevice2A::SendDeviceData")) return fault;
  if (!pdwInOut || cbObjectData != sizeof(DIDEVICEOBJECTDATA) || fl != 0 || (wanted && !rgdod))
    return DIERR_INVALIDPARAM;
  if (const HRESULT unreadable = CheckReadable()) return unreadable;
  // No device here accepts output: anything sent is more than it takes.
  return wanted ? DIERR_REPORTFULL : DI_OK;
}

HRESULT Device::CreateEffect(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT* ppdeff, LPUNKNOWN punkOuter) {
  if (ppdeff) *ppdeff = nullptr;
  if (const HRESULT fault = TakeFault("IDirectInputDevice2A::CreateEffect")) return fault;
  if (!ppdeff || punkOuter) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  // EnumEffects lists no effect, so none is registered.
  return DIERR_DEVICENOTREG;
}

HRESULT Device::EnumEffects(LPDIENUMEFFECTSCALLBACKA lpCallback, LPVOID, DWORD) {
  if (const HRESULT fault = TakeFault("IDirectInputDevice2A::EnumEffects")) return fault;
  if (!lpCallback) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  return DI_OK;
}

HRESULT Device::GetEffectInfo(LPDIEFFECTINFOA pdei, REFGUID) {
  const bool sized = pdei && pdei->dwSize == sizeof(DIEFFECTINFOA);
  if (sized) std::memset(reinterpret_cast<BYTE*>(pdei) + sizeof(DWORD), 0, sizeof(DIEFFECTINFOA) - sizeof(DWORD));
  if (const HRESULT fault = TakeFault("IDirectInputDevice2A::GetEffectInfo")) return fault;
  if (!sized) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  // EnumEffects lists no effect, so none is known.
  return DIERR_DEVICENOTREG;
}

HRESULT Device::GetForceFeedbackState(LPDWORD pdwOut) {
  if (pdwOut) *pdwOut = 0;
  if (const HRESULT fault = TakeFault("IDirectInputDevice2A::GetForceFeedbackState")) return fault;
  if (!pdwOut) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  return DIERR_UNSUPPORTED;
}

HRESULT Device::SendForceFeedbackCommand(DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectInputDevice2A::SendForceFeedbackCommand")) return fault;
  constexpr DWORD kCommands = DISFFC_RESET | DISFFC_STOPALL | DISFFC_PAUSE | DISFFC_CONTINUE |
                              DISFFC_SETACTUATORSON | DISFFC_SETACTUATORSOFF;
  if (dwFlags == 0 || (dwFlags & ~kCommands) || (dwFlags & (dwFlags - 1))) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  return DIERR_UNSUPPORTED;
}

HRESULT Device::EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK lpCallback, LPVOID, DWORD fl) {
  if (const HRESULT fault = TakeFault("IDirectInputDevice2A::EnumCreatedEffectObjects")) return fault;
  if (!lpCallback || fl != 0) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  return DI_OK;
}

HRESULT Device::Escape(LPDIEFFESCAPE pesc) {
  if (const HRESULT fault = TakeFault("IDirectInputDevice2A::Escape")) return fault;
  if (!pesc) return DIERR_INVALIDPARAM;
  if (Stale()) return DIERR_NOTINITIALIZED;
  return DIERR_UNSUPPORTED;
}

}  // namespace platform::dinput
