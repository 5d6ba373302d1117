// One DirectInput device: the system keyboard, the system mouse or one
// joystick, with its data format, cooperative level, acquisition, axis
// properties and buffered data.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/dinput.h"
#include "platform/dinput/dinput_objects.h"
#include "platform/unknown.h"

namespace platform::dinput {

class DirectInput;
struct JoystickSlot;

// Per-axis settings. The range applies to absolute axes; dead zone and
// saturation are in hundredths of a percent of the travel from the centre.
struct AxisProperties {
  LONG min = 0;
  LONG max = 65535;
  DWORD deadZone = 0;
  DWORD saturation = 10000;
};

// The back end's position (-32768..32767) after dead zone and saturation,
// scaled to the range, rounded to the nearest value.
LONG ScaleAxis(LONG position, const AxisProperties& properties);

constexpr DWORD kMaxBufferSize = 65536;   // items DIPROP_BUFFERSIZE may ask for
constexpr DWORD kMaxDataSize = 65536;     // bytes of a data format's state

class Device final : public RefCounted<IDirectInputDevice2A> {
 public:
  // OWNER gets a reference for the device's life. SERIAL names the joystick.
  Device(DirectInput* owner, DeviceKind kind, std::uint32_t serial);

  HRESULT QueryInterface(REFIID riid, void** object) override;

  // IDirectInputDeviceA
  HRESULT GetCapabilities(LPDIDEVCAPS lpDIDevCaps) override;
  HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA lpCallback, LPVOID pvRef, DWORD dwFlags) override;
  HRESULT GetProperty(REFGUID rguidProp, LPDIPROPHEADER pdiph) override;
  HRESULT SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) override;
  HRESULT Acquire() override;
  HRESULT Unacquire() override;
  HRESULT GetDeviceState(DWORD cbData, LPVOID lpvData) override;
  HRESULT GetDeviceData(DWORD cbObjectData, LPDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut, DWORD dwFlags) override;
  HRESULT SetDataFormat(LPCDIDATAFORMAT lpdf) override;
  HRESULT SetEventNotification(HANDLE hEvent) override;
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwFlags) override;
  HRESULT GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA pdidoi, DWORD dwObj, DWORD dwHow) override;
  HRESULT GetDeviceInfo(LPDIDEVICEINSTANCEA pdidi) override;
  HRESULT RunControlPanel(HWND hwndOwner, DWORD dwFlags) override;
  HRESULT Initialize(HINSTANCE hinst, DWORD dwVersion, REFGUID rguid) override;

  // IDirectInputDevice2A
  HRESULT CreateEffect(REFGUID rguid, LPCDIEFFECT lpeff, LPDIRECTINPUTEFFECT* ppdeff, LPUNKNOWN punkOuter) override;
  HRESULT EnumEffects(LPDIENUMEFFECTSCALLBACKA lpCallback, LPVOID pvRef, DWORD dwEffType) override;
  HRESULT GetEffectInfo(LPDIEFFECTINFOA pdei, REFGUID rguid) override;
  HRESULT GetForceFeedbackState(LPDWORD pdwOut) override;
  HRESULT SendForceFeedbackCommand(DWORD dwFlags) override;
  HRESULT EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK lpCallback, LPVOID pvRef,
                                   DWORD fl) override;
  HRESULT Escape(LPDIEFFESCAPE pesc) override;
  HRESULT Poll() override;
  HRESULT SendDeviceData(DWORD cbObjectData, LPCDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut, DWORD fl) override;

  DeviceKind Kind() const { return kind_; }
  std::uint32_t Serial() const { return serial_; }
  // Acquired, and not since lost to a focus change or an unplug.
  bool Held() const { return acquired_ && !LostNow(); }
  bool Exclusive() const { return (cooperation_ & DISCL_EXCLUSIVE) != 0; }
  bool Buffered() const { return bufferSize_ > 0; }
  // Buffers what EVENT changed, when acquired with a buffer.
  void Record(const Event& event);

 private:
  struct Mapping {
    int object;
    DWORD offset;
  };

  ~Device() override;
  bool Stale() const;
  bool LostNow() const;
  const JoystickSlot* Joystick() const;
  // DI_OK while the device can be read; loses it when it was lost.
  HRESULT CheckReadable();
  bool OtherHoldsExclusively() const;

  int ObjectCount() const { return static_cast<int>(objectCount_); }
  const DeviceObject& Object(int i) const { return objects_[i]; }
  // The object DWOBJ names (by offset in the data format or by identifier).
  int FindObject(DWORD dwObj, DWORD dwHow) const;
  int FindSourceObject(Source source, int index) const;
  DWORD ObjectOffset(int object) const;
  DWORD ObjectValue(int object, const JoystickSlot* joystick) const;
  HRESULT BuildFormat(const DIDATAFORMAT& format, std::vector<Mapping>& mappings) const;

  HRESULT SetAxisProperty(REFGUID property, const DIPROPHEADER& header);
  HRESULT GetAxisProperty(REFGUID property, DIPROPHEADER& header) const;

  void Push(int object, DWORD data);
  void FlushBuffer();

  DirectInput* owner_;
  DeviceKind kind_;
  std::uint32_t serial_;
  std::uint32_t generation_;
  DWORD version_;

  const DeviceObject* objects_ = nullptr;
  size_t objectCount_ = 0;
  std::vector<DeviceObject> joystickObjects_;
  std::vector<AxisProperties> axes_;  // one per object; used for absolute axes

  bool hasFormat_ = false;
  DWORD dataSize_ = 0;
  std::vector<Mapping> mappings_;
  std::vector<std::int32_t> offsetOf_;  // per object: its offset in the format, or -1
  bool relativeAxes_ = true;            // the mouse's axis mode

  DWORD cooperation_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  HWND window_ = nullptr;
  bool acquired_ = false;
  std::uint32_t focusLossesAtAcquire_ = 0;
  std::array<std::int64_t, kMouseAxes> mouseBase_{};  // totals at the last read

  std::vector<DIDEVICEOBJECTDATA> buffer_;  // DIPROP_BUFFERSIZE items, a ring
  DWORD bufferSize_ = 0;
  size_t bufferHead_ = 0;
  size_t bufferCount_ = 0;
  bool overflowed_ = false;
};

}  // namespace platform::dinput
