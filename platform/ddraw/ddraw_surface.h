// IDirectDrawSurface7: pixel memory with a format, capabilities, a colour
// key, an optional clipper and palette, and its place in a flip chain.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/ddraw.h"
#include "platform/ddraw/ddraw_blit.h"
#include "platform/ddraw/ddraw_format.h"
#include "platform/ddraw/ddraw_state.h"
#include "platform/unknown.h"

namespace platform::ddraw {

class DirectDraw;
class Clipper;
class Palette;

class Surface final : public RefCounted<IDirectDrawSurface7> {
 public:
  enum class Role {
    Offscreen,  // off-screen plain, texture, z-buffer, or a back buffer cut loose from its chain
    Desktop,    // a primary surface showing the emulated desktop's memory
    Front,      // the visible surface of a full-screen flip chain
    Back,       // a back buffer of a flip chain
  };

  // Makes the surface DESC describes on OWNER (IDirectDraw7::CreateSurface).
  static HRESULT Create(DirectDraw* owner, const DDSURFACEDESC2& desc, Surface** out);
  // A second surface over SOURCE's memory (IDirectDraw7::DuplicateSurface).
  static HRESULT Duplicate(DirectDraw* owner, Surface* source, Surface** out);

  // --- IUnknown ----------------------------------------------------------------
  HRESULT QueryInterface(REFIID riid, void** object) override;

  // --- IDirectDrawSurface7 ----------------------------------------------------------
  HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7 lpDDSAttachedSurface) override;
  HRESULT AddOverlayDirtyRect(LPRECT lpRect) override;
  HRESULT Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
              LPDDBLTFX lpDDBltFx) override;
  HRESULT BltBatch(LPDDBLTBATCH lpDDBltBatch, DWORD dwCount, DWORD dwFlags) override;
  HRESULT BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect,
                  DWORD dwTrans) override;
  HRESULT DeleteAttachedSurface(DWORD dwFlags, LPDIRECTDRAWSURFACE7 lpDDSAttachedSurface) override;
  HRESULT EnumAttachedSurfaces(LPVOID lpContext, LPDDENUMSURFACESCALLBACK7 lpEnumSurfacesCallback) override;
  HRESULT EnumOverlayZOrders(DWORD dwFlags, LPVOID lpContext, LPDDENUMSURFACESCALLBACK7 lpfnCallback) override;
  HRESULT Flip(LPDIRECTDRAWSURFACE7 lpDDSurfaceTargetOverride, DWORD dwFlags) override;
  HRESULT GetAttachedSurface(LPDDSCAPS2 lpDDSCaps, LPDIRECTDRAWSURFACE7* lplpDDAttachedSurface) override;
  HRESULT GetBltStatus(DWORD dwFlags) override;
  HRESULT GetCaps(LPDDSCAPS2 lpDDSCaps) override;
  HRESULT GetClipper(LPDIRECTDRAWCLIPPER* lplpDDClipper) override;
  HRESULT GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) override;
  HRESULT GetDC(HDC* lphDC) override;
  HRESULT GetFlipStatus(DWORD dwFlags) override;
  HRESULT GetOverlayPosition(LPLONG lplX, LPLONG lplY) override;
  HRESULT GetPalette(LPDIRECTDRAWPALETTE* lplpDDPalette) override;
  HRESULT GetPixelFormat(LPDDPIXELFORMAT lpDDPixelFormat) override;
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 lpDDSurfaceDesc) override;
  HRESULT Initialize(LPDIRECTDRAW lpDD, LPDDSURFACEDESC2 lpDDSurfaceDesc) override;
  HRESULT IsLost() override;
  HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC2 lpDDSurfaceDesc, DWORD dwFlags, HANDLE hEvent) override;
  HRESULT ReleaseDC(HDC hDC) override;
  HRESULT Restore() override;
  HRESULT SetClipper(LPDIRECTDRAWCLIPPER lpDDClipper) override;
  HRESULT SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) override;
  HRESULT SetOverlayPosition(LONG lX, LONG lY) override;
  HRESULT SetPalette(LPDIRECTDRAWPALETTE lpDDPalette) override;
  HRESULT Unlock(LPRECT lpRect) override;
  HRESULT UpdateOverlay(LPRECT lpSrcRect, LPDIRECTDRAWSURFACE7 lpDDDestSurface, LPRECT lpDestRect, DWORD dwFlags,
                        LPDDOVERLAYFX lpDDOverlayFx) override;
  HRESULT UpdateOverlayDisplay(DWORD dwFlags) override;
  HRESULT UpdateOverlayZOrder(DWORD dwFlags, LPDIRECTDRAWSURFACE7 lpDDSReference) override;
  HRESULT GetDDInterface(LPVOID* lplpDD) override;
  HRESULT PageLock(DWORD dwFlags) override;
  HRESULT PageUnlock(DWORD dwFlags) override;
  HRESULT SetSurfaceDesc(LPDDSURFACEDESC2 lpDDsd2, DWORD dwFlags) override;
  HRESULT SetPrivateData(REFGUID guidTag, LPVOID lpData, DWORD cbSize, DWORD dwFlags) override;
  HRESULT GetPrivateData(REFGUID guidTag, LPVOID lpBuffer, LPDWORD lpcbBufferSize) override;
  HRESULT FreePrivateData(REFGUID guidTag) override;
  HRESULT GetUniquenessValue(LPDWORD lpValue) override;
  HRESULT ChangeUniquenessValue() override;
  HRESULT SetPriority(DWORD dwPriority) override;
  HRESULT GetPriority(LPDWORD lpdwPriority) override;
  HRESULT SetLOD(DWORD dwMaxLOD) override;
  HRESULT GetLOD(LPDWORD lpdwMaxLOD) override;

  // --- for the DirectDraw object -------------------------------------------------------
  DirectDraw* Owner() const { return owner_; }
  Role GetRole() const { return role_; }
  HDC DeviceContext() const { return dc_; }
  const DDSCAPS2& Caps() const { return caps_; }
  const SurfaceFormat& Format() const { return format_; }
  std::int32_t Width() const { return block_->Width(); }
  std::int32_t Height() const { return block_->Height(); }
  Palette* AttachedPalette() const { return palette_; }
  // The depth buffer attached with AddAttachedSurface, or null.
  Surface* AttachedDepthBuffer() const {
    for (Surface* s : attached_)
      if (s->format_.ZBuffer()) return s;
    return nullptr;
  }
  void Describe(DDSURFACEDESC2* desc) const;
  // Whether the surface is lost now (latching the loss).
  bool Lost() {
    if (lost_) return true;
    if (role_ == Role::Offscreen && !block_->VideoMemory()) return false;
    return CheckLoss();
  }
  // Whether the loss can never be repaired (made in another display mode).
  bool WrongMode() const;
  // Stamps the current focus-loss count: losses from now on count.
  void ArmLoss();
  // Shows the surface if it is what the screen shows.
  void Present();
  // Full-screen chain: brings the memory GDI draws on to the front.
  void ShowGdiMemory();

 private:
  struct PrivateData {
    GUID tag{};
    std::vector<std::uint8_t> bytes;
    IUnknown* object = nullptr;
    bool volatileData = false;
    std::uint64_t version = 0;
  };

  Surface(DirectDraw* owner, PixelBlock* block, Role role, const DDSCAPS2& caps, const SurfaceFormat& format);
  ~Surface() override;

  static HRESULT CreatePrimary(DirectDraw* owner, const DDSURFACEDESC2& desc, const DDSCAPS2& caps,
                               Surface** out);
  static HRESULT CreateOffscreen(DirectDraw* owner, const DDSURFACEDESC2& desc, const DDSCAPS2& caps,
                                 Surface** out);

  bool CheckLoss();
  bool Busy() const { return locked_ || dc_ != nullptr; }
  RECT Bounds() const { return RECT{0, 0, Width(), Height()}; }
  blit::Plane Plane() const {
    return blit::Plane{block_->Bits(), block_->Pitch(), static_cast<std::int32_t>(format_.BytesPerPixel())};
  }
  bool ShowsScreen() const { return role_ == Role::Desktop || role_ == Role::Front; }
  void AfterDraw(const RECT& drawn);
  void PresentRect(const RECT* drawn);
  // The surface that follows this one in its flip chain, or null.
  Surface* NextInChain() const;
  Surface* ChainFront() const;
  void SetKey(std::uint32_t low, std::uint32_t high);
  void FreePrivate(PrivateData& data);
  // Blt without checks: draws the part of the blit that falls in PART.
  struct BltPlan;
  void DrawPart(const BltPlan& plan, const RECT& part);

  DirectDraw* owner_;
  PixelBlock* block_;
  PixelBlock* gdiBlock_ = nullptr;  // front only: the memory GDI draws on (not referenced)
  Role role_;
  DDSCAPS2 caps_;
  SurfaceFormat format_;
  DisplayMode mode_{};                 // primaries and chains: the mode they were made in
  std::uint64_t desktopGeneration_ = 0;  // desktop primaries: the memory they point at

  bool hasSrcKey_ = false;
  DDCOLORKEY srcKeyRaw_{};
  blit::ColorKey srcKey_{};

  Clipper* clipper_ = nullptr;
  Palette* palette_ = nullptr;
  std::vector<Surface*> chain_;     // front only: back buffers in flip order, referenced
  Surface* front_ = nullptr;        // back buffers: their front (not referenced)
  std::vector<Surface*> attached_;  // AddAttachedSurface, referenced

  bool locked_ = false;
  bool lockReadOnly_ = false;
  bool lockedWithRect_ = false;
  RECT lockRect_{};
  HDC dc_ = nullptr;
  std::array<PALETTEENTRY, 256> dcPalette_{};

  bool lost_ = false;
  std::uint32_t focusStamp_ = 0;
  int pageLocks_ = 0;
  std::vector<PrivateData> private_;
};

}  // namespace platform::ddraw
