// IDirectDraw7: cooperative level, display modes, capabilities and the
// vertical-blank clock.
#include "platform/ddraw/ddraw_object.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/ddraw/ddraw_format.h"
#include "platform/ddraw/ddraw_palette.h"
#include "platform/ddraw/ddraw_state.h"
#include "platform/ddraw/ddraw_surface.h"
#include "platform/faults.h"
#include "platform/gdi/surface_dc.h"
#include "platform/system.h"
#include "platform/window_registry.h"

namespace platform::ddraw {
namespace {

constexpr std::uint64_t kMicrosPerSecond = 1000000;
// A VGA frame is 525 lines of which 480 are visible: the blank takes the rest.
constexpr std::uint64_t kFrameLines = 525;
constexpr std::uint64_t kBlankLines = 45;

// Start of vertical blank number K at HZ, in microseconds (rounded up).
std::uint64_t BlankStart(std::uint64_t k, std::uint32_t hz) { return (k * kMicrosPerSecond + hz - 1) / hz; }

std::uint64_t BlankLength(std::uint32_t hz) { return kMicrosPerSecond * kBlankLines / (kFrameLines * hz); }

void SetRopBit(DWORD* rops, DWORD rop) {
  const DWORD index = (rop >> 16) & 0xFF;
  rops[index / 32] |= 1u << (index % 32);
}

InterfaceProvider& Provider() {
  static InterfaceProvider provider = nullptr;
  return provider;
}

}  // namespace

void SetInterfaceProvider(InterfaceProvider provider) { Provider() = provider; }

DirectDraw::DirectDraw(const DriverInfo& driver, bool primary) : driver_(driver), primaryDriver_(primary) {}

DirectDraw::~DirectDraw() {
  // Every child held a reference, so nothing made from this object is left.
  if (IsExclusiveOwner()) LeaveExclusive();
}

HRESULT DirectDraw::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDraw7::QueryInterface")) return fault;
  if (riid == IID_IUnknown || riid == IID_IDirectDraw7) {
    AddRef();
    *object = static_cast<IDirectDraw7*>(this);
    return S_OK;
  }
  if (const InterfaceProvider provider = Provider()) return provider(this, riid, object);
  return E_NOINTERFACE;
}

bool DirectDraw::IsExclusiveOwner() const { return ExclusiveOwner() == this; }

void DirectDraw::Register(Surface* surface) { surfaces_.push_back(surface); }

void DirectDraw::Unregister(Surface* surface) {
  surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), surface), surfaces_.end());
  if (primary_ == surface) primary_ = nullptr;
}

void DirectDraw::LeaveExclusive() {
  // Losses that happened while exclusive stay lost after the mode is given up.
  for (Surface* surface : surfaces_) surface->Lost();
  if (modeSet_) platform::RestoreDesktopMode();
  modeSet_ = false;
  SetExclusiveOwner(nullptr);
}

std::uint32_t DirectDraw::RefreshHz() const {
  const std::uint32_t hz = HasBackend() ? CurrentBackend().RefreshRateHz() : 0;
  return hz ? hz : 60;
}

// --- cooperative level and modes ------------------------------------------------------

HRESULT DirectDraw::SetCooperativeLevel(HWND hWnd, DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectDraw7::SetCooperativeLevel")) return fault;
  constexpr DWORD kKnown = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES | DDSCL_NORMAL |
                           DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX | DDSCL_SETFOCUSWINDOW | DDSCL_SETDEVICEWINDOW |
                           DDSCL_CREATEDEVICEWINDOW | DDSCL_MULTITHREADED | DDSCL_FPUSETUP | DDSCL_FPUPRESERVE;
  // Multi-monitor device windows need more than one adapter: with one, the
  // flags are refused as parameters (the documented results offer nothing
  // closer).
  if (dwFlags & ~kKnown || (dwFlags & (DDSCL_SETFOCUSWINDOW | DDSCL_SETDEVICEWINDOW | DDSCL_CREATEDEVICEWINDOW)))
    return DDERR_INVALIDPARAMS;
  const bool exclusive = (dwFlags & DDSCL_EXCLUSIVE) != 0;
  const bool fullScreen = (dwFlags & DDSCL_FULLSCREEN) != 0;
  const bool normal = (dwFlags & DDSCL_NORMAL) != 0;
  if (exclusive != fullScreen || normal == exclusive) return DDERR_INVALIDPARAMS;
  if ((dwFlags & DDSCL_ALLOWMODEX) && !exclusive) return DDERR_INVALIDPARAMS;
  if (hWnd && !IsWindow(hWnd)) return DDERR_INVALIDPARAMS;
  if (exclusive && !hWnd) return DDERR_INVALIDPARAMS;
  if (hWnd && window_ && hWnd != window_ && !surfaces_.empty()) return DDERR_HWNDALREADYSET;

  if (exclusive) {
    DirectDraw* owner = ExclusiveOwner();
    if (owner && owner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
    if (!owner) {
      SetExclusiveOwner(this);
      // Focus losses before exclusive mode do not lose anything.
      for (Surface* surface : surfaces_)
        if (!surface->Lost()) surface->ArmLoss();
    }
  } else if (IsExclusiveOwner()) {
    LeaveExclusive();
  }
  window_ = hWnd;
  level_ = dwFlags;
  return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate, DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectDraw7::SetDisplayMode")) return fault;
  if (dwFlags & ~DDSDM_STANDARDVGAMODE) return DDERR_INVALIDPARAMS;
  if (!IsExclusiveOwner()) return DDERR_NOEXCLUSIVEMODE;
  if (!HasBackend()) return DDERR_INVALIDOBJECT;  // the device is gone
  const DisplayMode* chosen = nullptr;
  for (const DisplayMode& mode : CurrentBackend().DisplayModes()) {
    if (mode.width == dwWidth && mode.height == dwHeight && mode.bitsPerPixel == dwBPP &&
        (dwRefreshRate == 0 || mode.refreshRate == dwRefreshRate)) {
      chosen = &mode;
      break;
    }
  }
  if (!chosen) return DDERR_INVALIDMODE;
  if (!platform::ChangeDisplayMode(*chosen)) return DDERR_UNSUPPORTEDMODE;
  modeSet_ = true;
  return DD_OK;
}

HRESULT DirectDraw::RestoreDisplayMode() {
  if (const HRESULT fault = TakeFault("IDirectDraw7::RestoreDisplayMode")) return fault;
  DirectDraw* owner = ExclusiveOwner();
  if (owner && owner != this) return DDERR_NOEXCLUSIVEMODE;
  platform::RestoreDesktopMode();
  modeSet_ = false;
  return DD_OK;
}

HRESULT DirectDraw::EnumDisplayModes(DWORD dwFlags, LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPVOID lpContext,
                                     LPDDENUMMODESCALLBACK2 lpEnumModesCallback) {
  if (const HRESULT fault = TakeFault("IDirectDraw7::EnumDisplayModes")) return fault;
  if (!lpEnumModesCallback || (dwFlags & ~(DDEDM_REFRESHRATES | DDEDM_STANDARDVGAMODES))) return DDERR_INVALIDPARAMS;
  if (lpDDSurfaceDesc2 && lpDDSurfaceDesc2->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (!HasBackend()) return DDERR_INVALIDOBJECT;  // the device is gone
  // The callback may change the back end's list; walk a copy.
  const std::vector<DisplayMode> modes = CurrentBackend().DisplayModes();
  for (const DisplayMode& mode : modes) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    desc.dwWidth = mode.width;
    desc.dwHeight = mode.height;
    desc.dwRefreshRate = mode.refreshRate;
    const SurfaceFormat format = FormatForMode(mode);
    desc.lPitch = AlignedPitch(static_cast<std::int32_t>(mode.width), format.pixels.bitsPerPixel);
    DescribeFormat(format, &desc.ddpfPixelFormat);
    if (const DDSURFACEDESC2* filter = lpDDSurfaceDesc2) {
      if ((filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != desc.dwWidth) continue;
      if ((filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != desc.dwHeight) continue;
      if ((filter->dwFlags & DDSD_REFRESHRATE) && filter->dwRefreshRate != desc.dwRefreshRate) continue;
      if ((filter->dwFlags & DDSD_PIXELFORMAT) &&
          filter->ddpfPixelFormat.dwRGBBitCount != desc.ddpfPixelFormat.dwRGBBitCount)
        continue;
    }
    if (lpEnumModesCallback(&desc, lpContext) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(LPDDSURFACEDESC2 lpDDSurfaceDesc2) {
  if (lpDDSurfaceDesc2 && lpDDSurfaceDesc2->dwSize == sizeof(DDSURFACEDESC2)) {
    *lpDDSurfaceDesc2 = DDSURFACEDESC2{};
    lpDDSurfaceDesc2->dwSize = sizeof(DDSURFACEDESC2);
  }
  if (const HRESULT fault = TakeFault("IDirectDraw7::GetDisplayMode")) return fault;
  if (!lpDDSurfaceDesc2 || lpDDSurfaceDesc2->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  const DisplayMode mode = CurrentDisplayMode();
  const SurfaceFormat format = FormatForMode(mode);
  lpDDSurfaceDesc2->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
  lpDDSurfaceDesc2->dwWidth = mode.width;
  lpDDSurfaceDesc2->dwHeight = mode.height;
  lpDDSurfaceDesc2->dwRefreshRate = mode.refreshRate;
  lpDDSurfaceDesc2->lPitch = AlignedPitch(static_cast<std::int32_t>(mode.width), format.pixels.bitsPerPixel);
  DescribeFormat(format, &lpDDSurfaceDesc2->ddpfPixelFormat);
  return DD_OK;
}

HRESULT DirectDraw::TestCooperativeLevel() {
  if (const HRESULT fault = TakeFault("IDirectDraw7::TestCooperativeLevel")) return fault;
  if (IsExclusiveOwner()) return AppActive() ? DD_OK : DDERR_NOEXCLUSIVEMODE;
  if (ExclusiveOwner()) return DDERR_EXCLUSIVEMODEALREADYSET;
  for (Surface* surface : surfaces_)
    if (surface->WrongMode()) return DDERR_WRONGMODE;
  return DD_OK;
}

HRESULT DirectDraw::FlipToGDISurface() {
  if (const HRESULT fault = TakeFault("IDirectDraw7::FlipToGDISurface")) return fault;
  // Outside exclusive mode GDI's surface, the desktop, is what is shown.
  if (IsExclusiveOwner() && primary_ && primary_->GetRole() == Surface::Role::Front) {
    // A lost primary has no GDI memory to show until it is restored.
    if (primary_->Lost()) return DDERR_NOTFOUND;
    primary_->ShowGdiMemory();
  }
  return DD_OK;
}

void DirectDraw::PaletteChanged(const Palette* palette) {
  if (!primary_ || primary_->AttachedPalette() != palette || primary_->Lost()) return;
  if (primary_->GetRole() == Surface::Role::Desktop && !IsExclusiveOwner()) {
    // A windowed 8-bit desktop shows every program through the system
    // palette; the 20 static colours stay unless the palette claims all 256.
    const DWORD first = palette->Allow256() ? 0 : 10;
    const DWORD last = palette->Allow256() ? 256 : 246;
    gdi::SetSystemPaletteEntries(first, last - first, palette->Entries() + first);
  }
  primary_->Present();
}

// --- capabilities ---------------------------------------------------------------------

void DirectDraw::FillCaps(DDCAPS* caps, bool driver) const {
  *caps = DDCAPS{};
  caps->dwSize = sizeof(DDCAPS);
  const DWORD blitCaps = DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_BLTDEPTHFILL | DDCAPS_BLTSTRETCH |
                         DDCAPS_COLORKEY | DDCAPS_CANCLIP | DDCAPS_CANCLIPSTRETCHED | DDCAPS_CANBLTSYSMEM |
                         DDCAPS_ALIGNSTRIDE;
  caps->dwCaps = blitCaps | DDCAPS_PALETTE | DDCAPS_READSCANLINE | (primaryDriver_ ? DDCAPS_GDI : 0);
  if (driver && driver_.hardware3D) caps->dwCaps |= DDCAPS_3D;
  caps->dwCaps2 = DDCAPS2_CANRENDERWINDOWED | DDCAPS2_WIDESURFACES | DDCAPS2_NOPAGELOCKREQUIRED;
  const DWORD keyCaps = DDCKEYCAPS_SRCBLT | DDCKEYCAPS_SRCBLTCLRSPACE;
  const DWORD fxCaps = DDFXCAPS_BLTALPHA | DDFXCAPS_BLTMIRRORLEFTRIGHT | DDFXCAPS_BLTMIRRORUPDOWN |
                       DDFXCAPS_BLTSHRINKX | DDFXCAPS_BLTSHRINKXN | DDFXCAPS_BLTSHRINKY | DDFXCAPS_BLTSHRINKYN |
                       DDFXCAPS_BLTSTRETCHX | DDFXCAPS_BLTSTRETCHXN | DDFXCAPS_BLTSTRETCHY | DDFXCAPS_BLTSTRETCHYN;
  caps->dwCKeyCaps = keyCaps;
  caps->dwFXCaps = fxCaps;
  caps->dwPalCaps = DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BIT | DDPCAPS_PRIMARYSURFACE |
                    DDPCAPS_ALLOW256;
  caps->dwAlphaBltConstBitDepths = DDBD_2 | DDBD_4 | DDBD_8;
  caps->dwZBufferBitDepths = DDBD_16 | DDBD_24 | DDBD_32;
  if (driver) {
    caps->dwVidMemTotal = static_cast<DWORD>(std::min<std::uint64_t>(VideoMemoryTotal(), 0xFFFFFFFFu));
    caps->dwVidMemFree = static_cast<DWORD>(std::min<std::uint64_t>(VideoMemoryFree(), 0xFFFFFFFFu));
  }
  caps->dwAlignStrideAlign = 4;
  DWORD rops[DD_ROP_SPACE] = {};
  SetRopBit(rops, SRCCOPY);
  SetRopBit(rops, BLACKNESS);
  SetRopBit(rops, WHITENESS);
  std::memcpy(caps->dwRops, rops, sizeof(rops));
  caps->ddsOldCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX | DDSCAPS_FLIP | DDSCAPS_FRONTBUFFER |
                            DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PALETTE | DDSCAPS_PRIMARYSURFACE |
                            DDSCAPS_SYSTEMMEMORY | DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM |
                            DDSCAPS_VISIBLE | DDSCAPS_ZBUFFER;
  if (driver && driver_.hardware3D) caps->ddsOldCaps.dwCaps |= DDSCAPS_3DDEVICE;
  caps->ddsCaps.dwCaps = caps->ddsOldCaps.dwCaps;
  // System-to-video, video-to-system and system-to-system blits all run
  // the same software.
  caps->dwSVBCaps = caps->dwVSBCaps = caps->dwSSBCaps = blitCaps;
  caps->dwSVBCKeyCaps = caps->dwVSBCKeyCaps = caps->dwSSBCKeyCaps = keyCaps;
  caps->dwSVBFXCaps = caps->dwVSBFXCaps = caps->dwSSBFXCaps = fxCaps;
  std::memcpy(caps->dwSVBRops, rops, sizeof(rops));
  std::memcpy(caps->dwVSBRops, rops, sizeof(rops));
  std::memcpy(caps->dwSSBRops, rops, sizeof(rops));
}

HRESULT DirectDraw::GetCaps(LPDDCAPS lpDDDriverCaps, LPDDCAPS lpDDHELCaps) {
  const bool driverOk = lpDDDriverCaps && lpDDDriverCaps->dwSize == sizeof(DDCAPS);
  const bool helOk = lpDDHELCaps && lpDDHELCaps->dwSize == sizeof(DDCAPS);
  if (driverOk) {
    *lpDDDriverCaps = DDCAPS{};
    lpDDDriverCaps->dwSize = sizeof(DDCAPS);
  }
  if (helOk) {
    *lpDDHELCaps = DDCAPS{};
    lpDDHELCaps->dwSize = sizeof(DDCAPS);
  }
  if (const HRESULT fault = TakeFault("IDirectDraw7::GetCaps")) return fault;
  if ((!lpDDDriverCaps && !lpDDHELCaps) || (lpDDDriverCaps && !driverOk) || (lpDDHELCaps && !helOk))
    return DDERR_INVALIDPARAMS;
  if (lpDDDriverCaps) FillCaps(lpDDDriverCaps, true);
  if (lpDDHELCaps) FillCaps(lpDDHELCaps, false);
  return DD_OK;
}

HRESULT DirectDraw::GetAvailableVidMem(LPDDSCAPS2 lpDDSCaps2, LPDWORD lpdwTotal, LPDWORD lpdwFree) {
  if (lpdwTotal) *lpdwTotal = 0;
  if (lpdwFree) *lpdwFree = 0;
  if (const HRESULT fault = TakeFault("IDirectDraw7::GetAvailableVidMem")) return fault;
  if (!lpDDSCaps2 || (!lpdwTotal && !lpdwFree)) return DDERR_INVALIDPARAMS;
  // There is no AGP aperture: non-local video memory has no bytes at all.
  if (lpDDSCaps2->dwCaps & DDSCAPS_NONLOCALVIDMEM) return DD_OK;
  if (lpdwTotal) *lpdwTotal = static_cast<DWORD>(std::min<std::uint64_t>(VideoMemoryTotal(), 0xFFFFFFFFu));
  if (lpdwFree) *lpdwFree = static_cast<DWORD>(std::min<std::uint64_t>(VideoMemoryFree(), 0xFFFFFFFFu));
  return DD_OK;
}

HRESULT DirectDraw::GetFourCCCodes(LPDWORD lpNumCodes, LPDWORD) {
  if (const HRESULT fault = TakeFault("IDirectDraw7::GetFourCCCodes")) return fault;
  if (!lpNumCodes) return DDERR_INVALIDPARAMS;
  *lpNumCodes = 0;  // no YUV or compressed formats
  return DD_OK;
}

HRESULT DirectDraw::GetDeviceIdentifier(LPDDDEVICEIDENTIFIER2 lpdddi, DWORD dwFlags) {
  if (lpdddi) *lpdddi = DDDEVICEIDENTIFIER2{};
  if (const HRESULT fault = TakeFault("IDirectDraw7::GetDeviceIdentifier")) return fault;
  if (!lpdddi || (dwFlags & ~DDGDI_GETHOSTIDENTIFIER)) return DDERR_INVALIDPARAMS;
  std::snprintf(lpdddi->szDriver, sizeof(lpdddi->szDriver), "%s", driver_.name.c_str());
  std::snprintf(lpdddi->szDescription, sizeof(lpdddi->szDescription), "%s", driver_.description.c_str());
  lpdddi->liDriverVersion.QuadPart = (std::int64_t{7} << 48) | 1;
  lpdddi->guidDeviceIdentifier = driver_.guid;
  return DD_OK;
}

HRESULT DirectDraw::GetMonitorFrequency(LPDWORD lpdwFrequency) {
  if (lpdwFrequency) *lpdwFrequency = 0;
  if (const HRESULT fault = TakeFault("IDirectDraw7::GetMonitorFrequency")) return fault;
  if (!lpdwFrequency) return DDERR_INVALIDPARAMS;
  *lpdwFrequency = RefreshHz();
  return DD_OK;
}

// --- vertical blank ------------------------------------------------------------------

HRESULT DirectDraw::WaitForVerticalBlank(DWORD dwFlags, HANDLE) {
  if (const HRESULT fault = TakeFault("IDirectDraw7::WaitForVerticalBlank")) return fault;
  if (dwFlags == DDWAITVB_BLOCKBEGINEVENT) return DDERR_UNSUPPORTED;
  if (dwFlags != DDWAITVB_BLOCKBEGIN && dwFlags != DDWAITVB_BLOCKEND) return DDERR_INVALIDPARAMS;
  if (!HasBackend()) return DDERR_INVALIDOBJECT;  // the device is gone
  Backend& backend = CurrentBackend();
  const std::uint32_t hz = RefreshHz();
  const std::uint64_t now = backend.NowMicroseconds();
  // Blank K starts at K / hz seconds; the next one starts strictly after now.
  const std::uint64_t current = now * hz / kMicrosPerSecond;
  std::uint64_t target = BlankStart(current + 1, hz);
  if (dwFlags == DDWAITVB_BLOCKEND) {
    const std::uint64_t end = BlankStart(current, hz) + BlankLength(hz);
    target = end > now ? end : target + BlankLength(hz);
  }
  if (target > now) backend.SleepMicroseconds(target - now);
  return DD_OK;
}

HRESULT DirectDraw::GetVerticalBlankStatus(LPBOOL lpbIsInVB) {
  if (lpbIsInVB) *lpbIsInVB = FALSE;
  if (const HRESULT fault = TakeFault("IDirectDraw7::GetVerticalBlankStatus")) return fault;
  if (!lpbIsInVB) return DDERR_INVALIDPARAMS;
  if (!HasBackend()) return DDERR_INVALIDOBJECT;  // the device is gone
  const std::uint32_t hz = RefreshHz();
  const std::uint64_t now = CurrentBackend().NowMicroseconds();
  const std::uint64_t start = BlankStart(now * hz / kMicrosPerSecond, hz);
  *lpbIsInVB = now < start + BlankLength(hz) ? TRUE : FALSE;
  return DD_OK;
}

HRESULT DirectDraw::GetScanLine(LPDWORD lpdwScanLine) {
  if (lpdwScanLine) *lpdwScanLine = 0;
  if (const HRESULT fault = TakeFault("IDirectDraw7::GetScanLine")) return fault;
  if (!lpdwScanLine) return DDERR_INVALIDPARAMS;
  if (!HasBackend()) return DDERR_INVALIDOBJECT;  // the device is gone
  const std::uint32_t hz = RefreshHz();
  const std::uint64_t now = CurrentBackend().NowMicroseconds();
  const std::uint64_t start = BlankStart(now * hz / kMicrosPerSecond, hz);
  const std::uint64_t blank = BlankLength(hz);
  if (now < start + blank) return DDERR_VERTICALBLANKINPROGRESS;
  const std::uint64_t visible = kMicrosPerSecond / hz - blank;
  const std::uint64_t lines = std::max<DWORD>(CurrentDisplayMode().height, 1);
  *lpdwScanLine = static_cast<DWORD>(std::min<std::uint64_t>((now - start - blank) * lines / visible, lines - 1));
  return DD_OK;
}

// --- the rest -------------------------------------------------------------------------

HRESULT DirectDraw::Compact() {
  if (const HRESULT fault = TakeFault("IDirectDraw7::Compact")) return fault;
  // Surfaces own separate allocations: there is nothing to move together.
  return IsExclusiveOwner() ? DD_OK : DDERR_NOEXCLUSIVEMODE;
}

HRESULT DirectDraw::Initialize(GUID*) {
  if (const HRESULT fault = TakeFault("IDirectDraw7::Initialize")) return fault;
  return DDERR_ALREADYINITIALIZED;
}

HRESULT DirectDraw::StartModeTest(LPSIZE, DWORD, DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectDraw7::StartModeTest")) return fault;
  if (dwFlags & ~DDSMT_ISTESTREQUIRED) return DDERR_INVALIDPARAMS;
  // The emulated monitor shows every listed mode: there is nothing to test,
  // as with a monitor that reports no timings.
  return (dwFlags & DDSMT_ISTESTREQUIRED) ? DDERR_NODRIVERSUPPORT : DDERR_TESTFINISHED;
}

HRESULT DirectDraw::EvaluateMode(DWORD, DWORD* pSecondsUntilTimeout) {
  if (pSecondsUntilTimeout) *pSecondsUntilTimeout = 0;
  if (const HRESULT fault = TakeFault("IDirectDraw7::EvaluateMode")) return fault;
  return DDERR_TESTFINISHED;  // no test is ever running
}

}  // namespace platform::ddraw
