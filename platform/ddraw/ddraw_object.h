// IDirectDraw7: one driver's DirectDraw object with its cooperative level,
// display modes, capabilities and the registry of surfaces made from it.
#pragma once

#include <string>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/ddraw.h"
#include "platform/unknown.h"

namespace platform::ddraw {

class Surface;
class Palette;
class DirectDraw;

// Interfaces that other services of the platform add to a DirectDraw object
// (Direct3D adds IDirect3D7). QueryInterface asks the provider for every IID
// DirectDraw does not answer itself; the provider returns E_NOINTERFACE for
// one it does not know either. Set once, when the providing library is
// linked in, so DirectDraw needs no link to it.
using InterfaceProvider = HRESULT (*)(DirectDraw* owner, REFIID riid, void** object);
void SetInterfaceProvider(InterfaceProvider provider);

class DirectDraw final : public RefCounted<IDirectDraw7> {
 public:
  // DRIVER describes the primary display driver when PRIMARY is true.
  DirectDraw(const DriverInfo& driver, bool primary);

  HRESULT QueryInterface(REFIID riid, void** object) override;

  HRESULT Compact() override;
  HRESULT CreateClipper(DWORD dwFlags, LPDIRECTDRAWCLIPPER* lplpDDClipper, IUnknown* pUnkOuter) override;
  HRESULT CreatePalette(DWORD dwFlags, LPPALETTEENTRY lpDDColorArray, LPDIRECTDRAWPALETTE* lplpDDPalette,
                        IUnknown* pUnkOuter) override;
  HRESULT CreateSurface(LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPDIRECTDRAWSURFACE7* lplpDDSurface,
                        IUnknown* pUnkOuter) override;
  HRESULT DuplicateSurface(LPDIRECTDRAWSURFACE7 lpDDSurface, LPDIRECTDRAWSURFACE7* lplpDupDDSurface) override;
  HRESULT EnumDisplayModes(DWORD dwFlags, LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPVOID lpContext,
                           LPDDENUMMODESCALLBACK2 lpEnumModesCallback) override;
  HRESULT EnumSurfaces(DWORD dwFlags, LPDDSURFACEDESC2 lpDDSD2, LPVOID lpContext,
                       LPDDENUMSURFACESCALLBACK7 lpEnumSurfacesCallback) override;
  HRESULT FlipToGDISurface() override;
  HRESULT GetCaps(LPDDCAPS lpDDDriverCaps, LPDDCAPS lpDDHELCaps) override;
  HRESULT GetDisplayMode(LPDDSURFACEDESC2 lpDDSurfaceDesc2) override;
  HRESULT GetFourCCCodes(LPDWORD lpNumCodes, LPDWORD lpCodes) override;
  HRESULT GetGDISurface(LPDIRECTDRAWSURFACE7* lplpGDIDDSSurface) override;
  HRESULT GetMonitorFrequency(LPDWORD lpdwFrequency) override;
  HRESULT GetScanLine(LPDWORD lpdwScanLine) override;
  HRESULT GetVerticalBlankStatus(LPBOOL lpbIsInVB) override;
  HRESULT Initialize(GUID* lpGUID) override;
  HRESULT RestoreDisplayMode() override;
  HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) override;
  HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate, DWORD dwFlags) override;
  HRESULT WaitForVerticalBlank(DWORD dwFlags, HANDLE hEvent) override;
  HRESULT GetAvailableVidMem(LPDDSCAPS2 lpDDSCaps2, LPDWORD lpdwTotal, LPDWORD lpdwFree) override;
  HRESULT GetSurfaceFromDC(HDC hdc, LPDIRECTDRAWSURFACE7* lpDDS) override;
  HRESULT RestoreAllSurfaces() override;
  HRESULT TestCooperativeLevel() override;
  HRESULT GetDeviceIdentifier(LPDDDEVICEIDENTIFIER2 lpdddi, DWORD dwFlags) override;
  HRESULT StartModeTest(LPSIZE lpModesToTest, DWORD dwNumEntries, DWORD dwFlags) override;
  HRESULT EvaluateMode(DWORD dwFlags, DWORD* pSecondsUntilTimeout) override;

  // --- for the objects made from this one ------------------------------------
  bool IsExclusiveOwner() const;
  bool CooperativeLevelSet() const { return level_ != 0; }
  HWND Window() const { return window_; }
  bool Has3D() const { return driver_.hardware3D; }

  void Register(Surface* surface);
  void Unregister(Surface* surface);
  // The primary surface (or flip-chain front) made from this object, if any.
  Surface* Primary() const { return primary_; }
  void SetPrimary(Surface* surface) { primary_ = surface; }
  // A palette changed its entries: if it is the primary's, show the change.
  void PaletteChanged(const Palette* palette);

 private:
  ~DirectDraw() override;
  void LeaveExclusive();
  void FillCaps(DDCAPS* caps, bool driver) const;
  std::uint32_t RefreshHz() const;

  DriverInfo driver_;
  bool primaryDriver_;
  HWND window_ = nullptr;
  DWORD level_ = 0;
  bool modeSet_ = false;  // this object changed the display mode
  Surface* primary_ = nullptr;
  std::vector<Surface*> surfaces_;
};

}  // namespace platform::ddraw
