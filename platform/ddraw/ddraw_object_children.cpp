// IDirectDraw7: making and finding the objects that belong to it.
#include <new>
#include <vector>

#include "platform/ddraw/ddraw_clipper.h"
#include "platform/ddraw/ddraw_object.h"
#include "platform/ddraw/ddraw_palette.h"
#include "platform/ddraw/ddraw_surface.h"
#include "platform/faults.h"

namespace platform::ddraw {
namespace {

bool Matches(Surface* surface, const DDSURFACEDESC2& want) {
  DDSURFACEDESC2 have{};
  have.dwSize = sizeof(have);
  surface->Describe(&have);
  if ((want.dwFlags & DDSD_WIDTH) && want.dwWidth != have.dwWidth) return false;
  if ((want.dwFlags & DDSD_HEIGHT) && want.dwHeight != have.dwHeight) return false;
  if ((want.dwFlags & DDSD_CAPS) && (have.ddsCaps.dwCaps & want.ddsCaps.dwCaps) != want.ddsCaps.dwCaps) return false;
  if (want.dwFlags & DDSD_PIXELFORMAT) {
    SurfaceFormat format;
    if (FormatFromDescription(want.ddpfPixelFormat, &format) != DD_OK) return false;
    if (!format.SameLayout(surface->Format())) return false;
  }
  return true;
}

}  // namespace

HRESULT DirectDraw::CreateClipper(DWORD dwFlags, LPDIRECTDRAWCLIPPER* lplpDDClipper, IUnknown* pUnkOuter) {
  if (lplpDDClipper) *lplpDDClipper = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDraw7::CreateClipper")) return fault;
  if (!lplpDDClipper || dwFlags != 0 || pUnkOuter) return DDERR_INVALIDPARAMS;
  auto* clipper = new (std::nothrow) Clipper(this);
  if (!clipper) return DDERR_OUTOFMEMORY;
  *lplpDDClipper = clipper;
  return DD_OK;
}

HRESULT DirectDraw::CreatePalette(DWORD dwFlags, LPPALETTEENTRY lpDDColorArray, LPDIRECTDRAWPALETTE* lplpDDPalette,
                                  IUnknown* pUnkOuter) {
  if (lplpDDPalette) *lplpDDPalette = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDraw7::CreatePalette")) return fault;
  if (!lplpDDPalette || !lpDDColorArray || pUnkOuter) return DDERR_INVALIDPARAMS;
  Palette* palette = nullptr;
  const HRESULT hr = Palette::Create(this, dwFlags, lpDDColorArray, &palette);
  if (hr != DD_OK) return hr;
  *lplpDDPalette = palette;
  return DD_OK;
}

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPDIRECTDRAWSURFACE7* lplpDDSurface,
                                  IUnknown* pUnkOuter) {
  if (lplpDDSurface) *lplpDDSurface = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDraw7::CreateSurface")) return fault;
  if (!lplpDDSurface || !lpDDSurfaceDesc2 || lpDDSurfaceDesc2->dwSize != sizeof(DDSURFACEDESC2) || pUnkOuter)
    return DDERR_INVALIDPARAMS;
  if (!CooperativeLevelSet()) return DDERR_NOCOOPERATIVELEVELSET;
  Surface* surface = nullptr;
  const HRESULT hr = Surface::Create(this, *lpDDSurfaceDesc2, &surface);
  if (hr != DD_OK) return hr;
  *lplpDDSurface = surface;
  return DD_OK;
}

HRESULT DirectDraw::DuplicateSurface(LPDIRECTDRAWSURFACE7 lpDDSurface, LPDIRECTDRAWSURFACE7* lplpDupDDSurface) {
  if (lplpDupDDSurface) *lplpDupDDSurface = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDraw7::DuplicateSurface")) return fault;
  if (!lpDDSurface || !lplpDupDDSurface) return DDERR_INVALIDPARAMS;
  auto* source = static_cast<Surface*>(lpDDSurface);
  if (source->Owner() != this) return DDERR_INVALIDOBJECT;
  Surface* copy = nullptr;
  const HRESULT hr = Surface::Duplicate(this, source, &copy);
  if (hr != DD_OK) return hr;
  *lplpDupDDSurface = copy;
  return DD_OK;
}

HRESULT DirectDraw::EnumSurfaces(DWORD dwFlags, LPDDSURFACEDESC2 lpDDSD2, LPVOID lpContext,
                                 LPDDENUMSURFACESCALLBACK7 lpEnumSurfacesCallback) {
  if (const HRESULT fault = TakeFault("IDirectDraw7::EnumSurfaces")) return fault;
  if (!lpEnumSurfacesCallback) return DDERR_INVALIDPARAMS;
  if (dwFlags & DDENUMSURFACES_CANBECREATED) {
    if (dwFlags != (DDENUMSURFACES_CANBECREATED | DDENUMSURFACES_MATCH) || !lpDDSD2 ||
        lpDDSD2->dwSize != sizeof(DDSURFACEDESC2))
      return DDERR_INVALIDPARAMS;
    // The surface is made for the callback, which owns the reference it is
    // handed; a description that cannot be made lists nothing.
    Surface* made = nullptr;
    if (CooperativeLevelSet() && Surface::Create(this, *lpDDSD2, &made) == DD_OK) {
      DDSURFACEDESC2 desc{};
      desc.dwSize = sizeof(desc);
      made->Describe(&desc);
      lpEnumSurfacesCallback(made, &desc, lpContext);
    }
    return DD_OK;
  }
  const DWORD which = dwFlags & (DDENUMSURFACES_ALL | DDENUMSURFACES_MATCH | DDENUMSURFACES_NOMATCH);
  if (!(dwFlags & DDENUMSURFACES_DOESEXIST) || (dwFlags & ~(which | DDENUMSURFACES_DOESEXIST)) ||
      (which != DDENUMSURFACES_ALL && which != DDENUMSURFACES_MATCH && which != DDENUMSURFACES_NOMATCH))
    return DDERR_INVALIDPARAMS;
  if (which != DDENUMSURFACES_ALL && (!lpDDSD2 || lpDDSD2->dwSize != sizeof(DDSURFACEDESC2)))
    return DDERR_INVALIDPARAMS;
  // The callback releases what it gets and may release more: hold our own
  // references on everything we are about to hand out.
  std::vector<Surface*> chosen;
  for (Surface* surface : surfaces_) {
    const bool match = which == DDENUMSURFACES_ALL || Matches(surface, *lpDDSD2) == (which == DDENUMSURFACES_MATCH);
    if (match) {
      surface->AddRef();
      chosen.push_back(surface);
    }
  }
  bool going = true;
  for (Surface* surface : chosen) {
    if (going) {
      DDSURFACEDESC2 desc{};
      desc.dwSize = sizeof(desc);
      surface->Describe(&desc);
      surface->AddRef();
      going = lpEnumSurfacesCallback(surface, &desc, lpContext) != DDENUMRET_CANCEL;
    }
    surface->Release();
  }
  return DD_OK;
}

HRESULT DirectDraw::GetGDISurface(LPDIRECTDRAWSURFACE7* lplpGDIDDSSurface) {
  if (lplpGDIDDSSurface) *lplpGDIDDSSurface = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDraw7::GetGDISurface")) return fault;
  if (!lplpGDIDDSSurface) return DDERR_INVALIDPARAMS;
  if (!primary_) return DDERR_NOTFOUND;
  primary_->AddRef();
  *lplpGDIDDSSurface = primary_;
  return DD_OK;
}

HRESULT DirectDraw::GetSurfaceFromDC(HDC hdc, LPDIRECTDRAWSURFACE7* lpDDS) {
  if (lpDDS) *lpDDS = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDraw7::GetSurfaceFromDC")) return fault;
  if (!hdc || !lpDDS) return DDERR_INVALIDPARAMS;
  for (Surface* surface : surfaces_) {
    if (surface->DeviceContext() == hdc) {
      surface->AddRef();
      *lpDDS = surface;
      return DD_OK;
    }
  }
  return DDERR_NOTFOUND;
}

HRESULT DirectDraw::RestoreAllSurfaces() {
  if (const HRESULT fault = TakeFault("IDirectDraw7::RestoreAllSurfaces")) return fault;
  const std::vector<Surface*> all = surfaces_;
  HRESULT result = DD_OK;
  for (Surface* surface : all) {
    // Back buffers come back with their front.
    if (surface->GetRole() == Surface::Role::Back) continue;
    const HRESULT hr = surface->Restore();
    if (hr != DD_OK && result == DD_OK) result = hr;
  }
  return result;
}

}  // namespace platform::ddraw
