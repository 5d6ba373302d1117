// IDirectDrawSurface7: description, locks, device contexts, colour keys,
// attachments, losses and restores.
#include "platform/ddraw/ddraw_surface.h"

#include <algorithm>
#include <cstring>

#include "platform/ddraw/ddraw_clipper.h"
#include "platform/ddraw/ddraw_object.h"
#include "platform/ddraw/ddraw_palette.h"
#include "platform/faults.h"
#include "platform/gdi/surface_dc.h"
#include "platform/system.h"

namespace platform::ddraw {
namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Clears a caller's description, keeping its size, when that size is right.
bool ClearDescription(LPDDSURFACEDESC2 desc) {
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return false;
  *desc = DDSURFACEDESC2{};
  desc->dwSize = sizeof(DDSURFACEDESC2);
  return true;
}

}  // namespace

HRESULT Surface::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDirectDrawSurface7) {
    AddRef();
    *object = static_cast<IDirectDrawSurface7*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

// --- losses ---------------------------------------------------------------------------

bool Surface::WrongMode() const {
  if (role_ == Role::Offscreen) return false;
  if (!SameMode(CurrentDisplayMode(), mode_)) return true;
  return role_ == Role::Desktop && DesktopGeneration() != desktopGeneration_;
}

bool Surface::CheckLoss() {
  // The primary, a chain and video memory go when the exclusive owner's
  // window loses the focus, or when the screen changes mode under them.
  if (WrongMode() || (owner_->IsExclusiveOwner() && FocusLossCount() != focusStamp_)) lost_ = true;
  return lost_;
}

void Surface::ArmLoss() { focusStamp_ = FocusLossCount(); }

HRESULT Surface::IsLost() {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::IsLost")) return fault;
  return Lost() ? DDERR_SURFACELOST : DD_OK;
}

HRESULT Surface::Restore() {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::Restore")) return fault;
  if (role_ == Role::Back) return DDERR_IMPLICITLYCREATED;
  if (!Lost()) return DD_OK;
  // Nothing comes back while another program has the screen, and a surface
  // made for another display mode never does.
  if (!AppActive() || WrongMode()) return DDERR_WRONGMODE;
  auto repair = [](Surface* surface) {
    surface->block_->FillGarbage();
    surface->lost_ = false;
    surface->ArmLoss();
  };
  repair(this);
  for (Surface* back : chain_) repair(back);
  return DD_OK;
}

// --- description ----------------------------------------------------------------------------

void Surface::Describe(DDSURFACEDESC2* desc) const {
  desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = static_cast<DWORD>(Width());
  desc->dwHeight = static_cast<DWORD>(Height());
  desc->lPitch = block_->Pitch();
  if (role_ == Role::Front) {
    desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
    desc->dwBackBufferCount = static_cast<DWORD>(chain_.size());
  }
  if (hasSrcKey_) {
    desc->dwFlags |= DDSD_CKSRCBLT;
    desc->ddckCKSrcBlt = srcKeyRaw_;
  }
  DescribeFormat(format_, &desc->ddpfPixelFormat);
  desc->ddsCaps = caps_;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC2 lpDDSurfaceDesc) {
  const bool valid = ClearDescription(lpDDSurfaceDesc);
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetSurfaceDesc")) return fault;
  if (!valid) return DDERR_INVALIDPARAMS;
  Describe(lpDDSurfaceDesc);
  return DD_OK;
}

HRESULT Surface::GetCaps(LPDDSCAPS2 lpDDSCaps) {
  if (lpDDSCaps) *lpDDSCaps = DDSCAPS2{};
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetCaps")) return fault;
  if (!lpDDSCaps) return DDERR_INVALIDPARAMS;
  *lpDDSCaps = caps_;
  return DD_OK;
}

HRESULT Surface::GetPixelFormat(LPDDPIXELFORMAT lpDDPixelFormat) {
  const bool valid = lpDDPixelFormat && lpDDPixelFormat->dwSize == sizeof(DDPIXELFORMAT);
  if (valid) {
    *lpDDPixelFormat = DDPIXELFORMAT{};
    lpDDPixelFormat->dwSize = sizeof(DDPIXELFORMAT);
  }
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetPixelFormat")) return fault;
  if (!valid) return DDERR_INVALIDPARAMS;
  DescribeFormat(format_, lpDDPixelFormat);
  return DD_OK;
}

// --- locks and device contexts ----------------------------------------------------------------

HRESULT Surface::Lock(LPRECT lpDestRect, LPDDSURFACEDESC2 lpDDSurfaceDesc, DWORD dwFlags, HANDLE) {
  const bool valid = ClearDescription(lpDDSurfaceDesc);
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::Lock")) return fault;
  constexpr DWORD kKnown = DDLOCK_WAIT | DDLOCK_READONLY | DDLOCK_WRITEONLY | DDLOCK_NOSYSLOCK |
                           DDLOCK_NOOVERWRITE | DDLOCK_DISCARDCONTENTS | DDLOCK_DONOTWAIT;
  if (!valid || (dwFlags & ~kKnown) ||
      (dwFlags & (DDLOCK_READONLY | DDLOCK_WRITEONLY)) == (DDLOCK_READONLY | DDLOCK_WRITEONLY))
    return DDERR_INVALIDPARAMS;
  const RECT area = lpDestRect ? *lpDestRect : Bounds();
  if (area.left < 0 || area.top < 0 || area.right > Width() || area.bottom > Height() || area.left >= area.right ||
      area.top >= area.bottom)
    return DDERR_INVALIDPARAMS;
  if (Lost()) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;

  Describe(lpDDSurfaceDesc);
  lpDDSurfaceDesc->dwFlags |= DDSD_LPSURFACE;
  lpDDSurfaceDesc->lpSurface = block_->Bits() + static_cast<std::intptr_t>(area.top) * block_->Pitch() +
                               static_cast<std::intptr_t>(area.left) * format_.BytesPerPixel();
  locked_ = true;
  lockReadOnly_ = (dwFlags & DDLOCK_READONLY) != 0;
  lockedWithRect_ = lpDestRect != nullptr;
  lockRect_ = area;
  return DD_OK;
}

HRESULT Surface::Unlock(LPRECT lpRect) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::Unlock")) return fault;
  if (!locked_) return DDERR_NOTLOCKED;
  if (lpRect && !SameRect(*lpRect, lockRect_)) return DDERR_INVALIDRECT;
  locked_ = false;
  if (!lockReadOnly_) AfterDraw(lockRect_);
  return DD_OK;
}

HRESULT Surface::GetDC(HDC* lphDC) {
  if (lphDC) *lphDC = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetDC")) return fault;
  if (!lphDC) return DDERR_INVALIDPARAMS;
  if (dc_) return DDERR_DCALREADYCREATED;
  if (Lost()) return DDERR_SURFACELOST;
  // GetDC's documented failures have no "busy" or "cannot create": a locked
  // surface is a generic failure, a depth buffer a surface of the wrong type.
  if (locked_) return DDERR_GENERIC;
  if (format_.ZBuffer()) return DDERR_INVALIDSURFACETYPE;
  PixelView view;
  view.bits = block_->Bits();
  view.pitch = block_->Pitch();
  view.width = Width();
  view.height = Height();
  view.format = format_.pixels;
  // The DC keeps its own copy of the colours: the palette may be swapped or
  // released while the DC is out. Without one, GDI maps through the system
  // palette, as it does for the desktop.
  if (format_.Palettised() && palette_ && palette_->Count() == 256) {
    std::memcpy(dcPalette_.data(), palette_->Entries(), sizeof(PALETTEENTRY) * 256);
    view.palette = dcPalette_.data();
  }
  HDC dc = gdi::CreateSurfaceDC(view);
  if (!dc) return DDERR_GENERIC;
  dc_ = dc;
  *lphDC = dc;
  return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC hDC) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::ReleaseDC")) return fault;
  if (!dc_ || hDC != dc_) return DDERR_INVALIDPARAMS;
  gdi::DeleteSurfaceDC(dc_);
  dc_ = nullptr;
  AfterDraw(Bounds());
  return DD_OK;
}

// --- colour keys -------------------------------------------------------------------------------

void Surface::SetKey(std::uint32_t low, std::uint32_t high) {
  hasSrcKey_ = true;
  srcKeyRaw_ = DDCOLORKEY{low, high};
  const std::uint32_t mask = format_.KeyMask();
  srcKey_ = blit::ColorKey{low & mask, high & mask, mask};
}

HRESULT Surface::SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::SetColorKey")) return fault;
  constexpr DWORD kKinds = DDCKEY_DESTBLT | DDCKEY_DESTOVERLAY | DDCKEY_SRCBLT | DDCKEY_SRCOVERLAY;
  const DWORD kind = dwFlags & kKinds;
  if ((dwFlags & ~(kKinds | DDCKEY_COLORSPACE)) || (kind != DDCKEY_DESTBLT && kind != DDCKEY_DESTOVERLAY &&
                                                    kind != DDCKEY_SRCBLT && kind != DDCKEY_SRCOVERLAY))
    return DDERR_INVALIDPARAMS;
  if (kind == DDCKEY_DESTOVERLAY || kind == DDCKEY_SRCOVERLAY) return DDERR_NOOVERLAYHW;
  if (kind == DDCKEY_DESTBLT) return DDERR_UNSUPPORTED;  // blits honour source keys only
  if (Lost()) return DDERR_SURFACELOST;
  if (!lpDDColorKey) {
    hasSrcKey_ = false;
    srcKeyRaw_ = DDCOLORKEY{};
    return DD_OK;
  }
  const std::uint32_t low = lpDDColorKey->dwColorSpaceLowValue;
  std::uint32_t high = low;
  if (dwFlags & DDCKEY_COLORSPACE) {
    high = lpDDColorKey->dwColorSpaceHighValue;
    if (high < low) return DDERR_INVALIDPARAMS;
  }
  SetKey(low, high);
  return DD_OK;
}

HRESULT Surface::GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) {
  if (lpDDColorKey) *lpDDColorKey = DDCOLORKEY{};
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetColorKey")) return fault;
  if (!lpDDColorKey || (dwFlags != DDCKEY_DESTBLT && dwFlags != DDCKEY_DESTOVERLAY && dwFlags != DDCKEY_SRCBLT &&
                        dwFlags != DDCKEY_SRCOVERLAY))
    return DDERR_INVALIDPARAMS;
  if (dwFlags != DDCKEY_SRCBLT || !hasSrcKey_) return DDERR_NOCOLORKEY;
  *lpDDColorKey = srcKeyRaw_;
  return DD_OK;
}

// --- clipper and palette -------------------------------------------------------------------------

HRESULT Surface::SetClipper(LPDIRECTDRAWCLIPPER lpDDClipper) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::SetClipper")) return fault;
  auto* clipper = static_cast<Clipper*>(lpDDClipper);
  if (clipper) clipper->AddRef();
  if (clipper_) clipper_->Release();
  clipper_ = clipper;
  return DD_OK;
}

HRESULT Surface::GetClipper(LPDIRECTDRAWCLIPPER* lplpDDClipper) {
  if (lplpDDClipper) *lplpDDClipper = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetClipper")) return fault;
  if (!lplpDDClipper) return DDERR_INVALIDPARAMS;
  if (!clipper_) return DDERR_NOCLIPPERATTACHED;
  clipper_->AddRef();
  *lplpDDClipper = clipper_;
  return DD_OK;
}

HRESULT Surface::SetPalette(LPDIRECTDRAWPALETTE lpDDPalette) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::SetPalette")) return fault;
  auto* palette = static_cast<Palette*>(lpDDPalette);
  if (palette && !format_.Palettised()) return DDERR_INVALIDPIXELFORMAT;
  if (palette && palette->Count() != 256) return DDERR_INVALIDPIXELFORMAT;
  if (Lost()) return DDERR_SURFACELOST;
  if (palette) palette->AddRef();
  if (palette_) palette_->Release();
  palette_ = palette;
  if (palette_ && owner_->Primary() == this) owner_->PaletteChanged(palette_);
  return DD_OK;
}

HRESULT Surface::GetPalette(LPDIRECTDRAWPALETTE* lplpDDPalette) {
  if (lplpDDPalette) *lplpDDPalette = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetPalette")) return fault;
  if (!lplpDDPalette) return DDERR_INVALIDPARAMS;
  if (!palette_) return DDERR_NOPALETTEATTACHED;
  palette_->AddRef();
  *lplpDDPalette = palette_;
  return DD_OK;
}

// --- attachments ------------------------------------------------------------------------------------

Surface* Surface::ChainFront() const {
  if (role_ == Role::Front) return const_cast<Surface*>(this);
  return role_ == Role::Back ? front_ : nullptr;
}

Surface* Surface::NextInChain() const {
  Surface* front = ChainFront();
  if (!front) return nullptr;
  if (front == this) return chain_.front();
  const auto& chain = front->chain_;
  const auto it = std::find(chain.begin(), chain.end(), this);
  return (it + 1 == chain.end()) ? front : *(it + 1);
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS2 lpDDSCaps, LPDIRECTDRAWSURFACE7* lplpDDAttachedSurface) {
  if (lplpDDAttachedSurface) *lplpDDAttachedSurface = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetAttachedSurface")) return fault;
  if (!lpDDSCaps || !lplpDDAttachedSurface) return DDERR_INVALIDPARAMS;
  auto matches = [&](const Surface* s) {
    return (s->caps_.dwCaps & lpDDSCaps->dwCaps) == lpDDSCaps->dwCaps &&
           (s->caps_.dwCaps2 & lpDDSCaps->dwCaps2) == lpDDSCaps->dwCaps2;
  };
  Surface* found = nullptr;
  if (Surface* next = NextInChain(); next && matches(next)) found = next;
  for (Surface* s : attached_)
    if (!found && matches(s)) found = s;
  if (!found) return DDERR_NOTFOUND;
  found->AddRef();
  *lplpDDAttachedSurface = found;
  return DD_OK;
}

HRESULT Surface::EnumAttachedSurfaces(LPVOID lpContext, LPDDENUMSURFACESCALLBACK7 lpEnumSurfacesCallback) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::EnumAttachedSurfaces")) return fault;
  if (!lpEnumSurfacesCallback) return DDERR_INVALIDPARAMS;
  // The list is taken up front and held: the callback may detach or release.
  std::vector<Surface*> list;
  if (Surface* next = NextInChain()) list.push_back(next);
  list.insert(list.end(), attached_.begin(), attached_.end());
  for (Surface* s : list) s->AddRef();
  bool going = true;
  for (Surface* s : list) {
    if (going) {
      DDSURFACEDESC2 desc{};
      desc.dwSize = sizeof(desc);
      s->Describe(&desc);
      s->AddRef();
      going = lpEnumSurfacesCallback(s, &desc, lpContext) != DDENUMRET_CANCEL;
    }
    s->Release();
  }
  return DD_OK;
}

HRESULT Surface::AddAttachedSurface(LPDIRECTDRAWSURFACE7 lpDDSAttachedSurface) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::AddAttachedSurface")) return fault;
  if (!lpDDSAttachedSurface) return DDERR_INVALIDPARAMS;
  auto* other = static_cast<Surface*>(lpDDSAttachedSurface);
  if (std::find(attached_.begin(), attached_.end(), other) != attached_.end()) return DDERR_SURFACEALREADYATTACHED;
  // Only a depth buffer of the same size attaches, one per surface, and
  // not to another depth buffer.
  if (other == this || other->owner_ != owner_ || !other->format_.ZBuffer() || format_.ZBuffer() ||
      other->Width() != Width() || other->Height() != Height())
    return DDERR_CANNOTATTACHSURFACE;
  for (Surface* s : attached_)
    if (s->format_.ZBuffer()) return DDERR_CANNOTATTACHSURFACE;
  attached_.push_back(other);
  other->AddRef();
  return DD_OK;
}

HRESULT Surface::DeleteAttachedSurface(DWORD dwFlags, LPDIRECTDRAWSURFACE7 lpDDSAttachedSurface) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::DeleteAttachedSurface")) return fault;
  if (dwFlags != 0) return DDERR_INVALIDPARAMS;
  auto* other = static_cast<Surface*>(lpDDSAttachedSurface);
  if (!other) {
    const std::vector<Surface*> all = std::move(attached_);
    attached_.clear();
    for (Surface* s : all) s->Release();
    return DD_OK;
  }
  const auto it = std::find(attached_.begin(), attached_.end(), other);
  if (it == attached_.end()) {
    // The buffers of a flip chain were made together and go together.
    if (NextInChain() == other) return DDERR_CANNOTDETACHSURFACE;
    return DDERR_SURFACENOTATTACHED;
  }
  attached_.erase(it);
  other->Release();
  return DD_OK;
}

}  // namespace platform::ddraw
