// IDirectDrawSurface7: the calls the library does not lean on — overlays,
// status queries, private data, page locks, uniqueness, texture priority.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/ddraw/ddraw_object.h"
#include "platform/ddraw/ddraw_surface.h"
#include "platform/faults.h"

namespace platform::ddraw {

// --- overlays: no surface made here is one ------------------------------------------

HRESULT Surface::AddOverlayDirtyRect(LPRECT) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::AddOverlayDirtyRect")) return fault;
  return DDERR_INVALIDSURFACETYPE;
}

HRESULT Surface::EnumOverlayZOrders(DWORD dwFlags, LPVOID, LPDDENUMSURFACESCALLBACK7 lpfnCallback) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::EnumOverlayZOrders")) return fault;
  if (!lpfnCallback || (dwFlags != DDENUMOVERLAYZ_BACKTOFRONT && dwFlags != DDENUMOVERLAYZ_FRONTTOBACK))
    return DDERR_INVALIDPARAMS;
  return DD_OK;  // no overlay lies on any surface
}

HRESULT Surface::GetOverlayPosition(LPLONG lplX, LPLONG lplY) {
  if (lplX) *lplX = 0;
  if (lplY) *lplY = 0;
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetOverlayPosition")) return fault;
  return DDERR_NOTAOVERLAYSURFACE;
}

HRESULT Surface::SetOverlayPosition(LONG, LONG) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::SetOverlayPosition")) return fault;
  return DDERR_NOTAOVERLAYSURFACE;
}

HRESULT Surface::UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE7, LPRECT, DWORD, LPDDOVERLAYFX) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::UpdateOverlay")) return fault;
  return DDERR_NOTAOVERLAYSURFACE;
}

HRESULT Surface::UpdateOverlayDisplay(DWORD) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::UpdateOverlayDisplay")) return fault;
  return DDERR_UNSUPPORTED;  // documented as not implemented, with no results listed
}

HRESULT Surface::UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE7) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::UpdateOverlayZOrder")) return fault;
  return DDERR_NOTAOVERLAYSURFACE;
}

// --- status ------------------------------------------------------------------------------

HRESULT Surface::BltBatch(LPDDBLTBATCH, DWORD, DWORD) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::BltBatch")) return fault;
  // Documented as never implemented by DirectDraw itself.
  return DDERR_UNSUPPORTED;
}

HRESULT Surface::GetBltStatus(DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetBltStatus")) return fault;
  if (dwFlags != DDGBS_CANBLT && dwFlags != DDGBS_ISBLTDONE) return DDERR_INVALIDPARAMS;
  // Blits finish before they return, so the answer is always yes.
  return Lost() ? DDERR_SURFACELOST : DD_OK;
}

HRESULT Surface::GetFlipStatus(DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetFlipStatus")) return fault;
  if (dwFlags != DDGFS_CANFLIP && dwFlags != DDGFS_ISFLIPDONE) return DDERR_INVALIDPARAMS;
  if (!ChainFront()) return DDERR_INVALIDSURFACETYPE;
  return Lost() ? DDERR_SURFACELOST : DD_OK;
}

HRESULT Surface::GetDDInterface(LPVOID* lplpDD) {
  if (lplpDD) *lplpDD = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetDDInterface")) return fault;
  if (!lplpDD) return DDERR_INVALIDPARAMS;
  owner_->AddRef();
  *lplpDD = static_cast<IDirectDraw7*>(owner_);
  return DD_OK;
}

HRESULT Surface::Initialize(LPDIRECTDRAW, LPDDSURFACEDESC2) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::Initialize")) return fault;
  return DDERR_ALREADYINITIALIZED;
}

HRESULT Surface::SetSurfaceDesc(LPDDSURFACEDESC2, DWORD) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::SetSurfaceDesc")) return fault;
  // Surfaces always own their memory here; client memory is not taken over.
  return DDERR_UNSUPPORTED;
}

HRESULT Surface::PageLock(DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::PageLock")) return fault;
  if (dwFlags != 0) return DDERR_INVALIDPARAMS;
  ++pageLocks_;
  return DD_OK;
}

HRESULT Surface::PageUnlock(DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::PageUnlock")) return fault;
  if (dwFlags != 0) return DDERR_INVALIDPARAMS;
  if (pageLocks_ == 0) return DDERR_NOTPAGELOCKED;
  --pageLocks_;
  return DD_OK;
}

// --- uniqueness and private data -------------------------------------------------------------

HRESULT Surface::GetUniquenessValue(LPDWORD lpValue) {
  if (lpValue) *lpValue = 0;
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetUniquenessValue")) return fault;
  if (!lpValue) return DDERR_INVALIDPARAMS;
  *lpValue = static_cast<DWORD>(block_->Version());
  return DD_OK;
}

HRESULT Surface::ChangeUniquenessValue() {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::ChangeUniquenessValue")) return fault;
  block_->Touch();
  return DD_OK;
}

void Surface::FreePrivate(PrivateData& data) {
  if (data.object) data.object->Release();
  data.object = nullptr;
  data.bytes.clear();
}

HRESULT Surface::SetPrivateData(REFGUID guidTag, LPVOID lpData, DWORD cbSize, DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::SetPrivateData")) return fault;
  if ((dwFlags & ~(DDSPD_IUNKNOWNPOINTER | DDSPD_VOLATILE)) || (!lpData && cbSize != 0)) return DDERR_INVALIDPARAMS;
  const bool object = (dwFlags & DDSPD_IUNKNOWNPOINTER) != 0;
  if (object && (cbSize != sizeof(IUnknown*) || !lpData)) return DDERR_INVALIDPARAMS;
  PrivateData data;
  data.tag = guidTag;
  data.volatileData = (dwFlags & DDSPD_VOLATILE) != 0;
  data.version = block_->Version();
  // Referenced before the old entry goes, which may hold the same object.
  if (object) {
    data.object = static_cast<IUnknown*>(lpData);
    data.object->AddRef();
  }
  try {
    if (!object) {
      const auto* bytes = static_cast<const std::uint8_t*>(lpData);
      data.bytes.assign(bytes, bytes + cbSize);
    }
    auto it = std::find_if(private_.begin(), private_.end(), [&](const PrivateData& d) { return d.tag == guidTag; });
    if (it == private_.end()) {
      private_.push_back(PrivateData{});
      it = private_.end() - 1;
    }
    FreePrivate(*it);
    *it = std::move(data);
  } catch (const std::bad_alloc&) {
    FreePrivate(data);
    return DDERR_OUTOFMEMORY;
  }
  return DD_OK;
}

HRESULT Surface::GetPrivateData(REFGUID guidTag, LPVOID lpBuffer, LPDWORD lpcbBufferSize) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetPrivateData")) return fault;
  if (!lpcbBufferSize) return DDERR_INVALIDPARAMS;
  const auto it =
      std::find_if(private_.begin(), private_.end(), [&](const PrivateData& d) { return d.tag == guidTag; });
  if (it == private_.end()) return DDERR_NOTFOUND;
  // Volatile data describes the contents it was set for.
  if (it->volatileData && it->version != block_->Version()) return DDERR_EXPIRED;
  const DWORD size = it->object ? static_cast<DWORD>(sizeof(IUnknown*)) : static_cast<DWORD>(it->bytes.size());
  if (!lpBuffer || *lpcbBufferSize < size) {
    *lpcbBufferSize = size;
    return DDERR_MOREDATA;
  }
  *lpcbBufferSize = size;
  if (it->object) {
    std::memcpy(lpBuffer, &it->object, sizeof(IUnknown*));
  } else if (size) {
    std::memcpy(lpBuffer, it->bytes.data(), size);
  }
  return DD_OK;
}

HRESULT Surface::FreePrivateData(REFGUID guidTag) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::FreePrivateData")) return fault;
  const auto it =
      std::find_if(private_.begin(), private_.end(), [&](const PrivateData& d) { return d.tag == guidTag; });
  if (it == private_.end()) return DDERR_NOTFOUND;
  FreePrivate(*it);
  private_.erase(it);
  return DD_OK;
}

// --- texture management: only managed textures have a priority or LOD --------------------------

HRESULT Surface::SetPriority(DWORD) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::SetPriority")) return fault;
  return DDERR_INVALIDOBJECT;
}

HRESULT Surface::GetPriority(LPDWORD lpdwPriority) {
  if (lpdwPriority) *lpdwPriority = 0;
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetPriority")) return fault;
  return DDERR_INVALIDOBJECT;
}

HRESULT Surface::SetLOD(DWORD) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::SetLOD")) return fault;
  return DDERR_INVALIDOBJECT;
}

HRESULT Surface::GetLOD(LPDWORD lpdwMaxLOD) {
  if (lpdwMaxLOD) *lpdwMaxLOD = 0;
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::GetLOD")) return fault;
  return DDERR_INVALIDOBJECT;
}

}  // namespace platform::ddraw
