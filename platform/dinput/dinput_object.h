// The DirectInput object: makes devices and lists them.
#pragma once

#include <cstdint>

#include "platform/dinput.h"
#include "platform/unknown.h"

namespace platform::dinput {

class DirectInput final : public RefCounted<IDirectInputA> {
 public:
  explicit DirectInput(DWORD version);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICEA* lplpDirectInputDevice, LPUNKNOWN pUnkOuter) override;
  HRESULT EnumDevices(DWORD dwDevType, LPDIENUMDEVICESCALLBACKA lpCallback, LPVOID pvRef, DWORD dwFlags) override;
  HRESULT GetDeviceStatus(REFGUID rguidInstance) override;
  HRESULT RunControlPanel(HWND hwndOwner, DWORD dwFlags) override;
  HRESULT Initialize(HINSTANCE hinst, DWORD dwVersion) override;

  // The interface version the object was made for (0x0300 or 0x0500).
  DWORD Version() const { return version_; }

 private:
  bool Stale() const;

  DWORD version_;
  std::uint32_t generation_;
};

// The checks DirectInputCreateA and Initialize share: DI_OK or the refusal.
HRESULT CheckCreation(HINSTANCE hinst, DWORD version);

}  // namespace platform::dinput
