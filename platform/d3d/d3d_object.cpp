#include "platform/d3d/d3d_object.h"

#include <cstring>
#include <new>
#include <string>

#include "platform/ddraw/ddraw_format.h"
#include "platform/faults.h"

const IID IID_IDirect3D7 = {0xf5049e77, 0x4861, 0x11d2, {0xa4, 0x07, 0x00, 0xa0, 0xc9, 0x06, 0x29, 0xa8}};
const IID IID_IDirect3DDevice7 = {0xf5049e79, 0x4861, 0x11d2, {0xa4, 0x07, 0x00, 0xa0, 0xc9, 0x06, 0x29, 0xa8}};
const GUID IID_IDirect3DTnLHalDevice = {0xf5049e78, 0x4861, 0x11d2, {0xa4, 0x07, 0x00, 0xa0, 0xc9, 0x06, 0x29, 0xa8}};
const GUID IID_IDirect3DHALDevice = {0x84e63de0, 0x46aa, 0x11cf, {0x81, 0x6f, 0x00, 0x00, 0xc0, 0x20, 0x15, 0x6e}};
const GUID IID_IDirect3DMMXDevice = {0x881949a1, 0xd6f3, 0x11d0, {0x89, 0xab, 0x00, 0xa0, 0xc9, 0x05, 0x41, 0x29}};
const GUID IID_IDirect3DRGBDevice = {0xa4665c60, 0x2673, 0x11cf, {0xa3, 0x1a, 0x00, 0xaa, 0x00, 0xb9, 0x33, 0x56}};
const GUID IID_IDirect3DRampDevice = {0xf2086b20, 0x259f, 0x11cf, {0xa3, 0x1a, 0x00, 0xaa, 0x00, 0xb9, 0x33, 0x56}};
const GUID IID_IDirect3DRefDevice = {0x50936643, 0x13e9, 0x11d1, {0x89, 0xaa, 0x00, 0xa0, 0xc9, 0x05, 0x41, 0x29}};

namespace platform::d3d {
namespace {

// IID_IDirect3D7 is defined in this file, so every program that can ask
// DirectDraw for the interface links it, and with it this registration.
const bool registered = (ddraw::SetInterfaceProvider(&Direct3D::Provide), true);

}  // namespace

// --- IDirect3D7 ------------------------------------------------------------------

Direct3D::Direct3D(ddraw::DirectDraw* owner) : owner_(owner) { owner_->AddRef(); }

Direct3D::~Direct3D() { owner_->Release(); }

HRESULT Direct3D::Provide(ddraw::DirectDraw* owner, REFIID riid, void** object) {
  *object = nullptr;
  if (!(riid == IID_IDirect3D7)) return E_NOINTERFACE;
  auto* d3d = new (std::nothrow) Direct3D(owner);
  if (!d3d) return E_OUTOFMEMORY;
  *object = static_cast<IDirect3D7*>(d3d);
  return S_OK;
}

HRESULT Direct3D::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3D7::QueryInterface")) return fault;
  if (riid == IID_IUnknown || riid == IID_IDirect3D7) {
    AddRef();
    *object = static_cast<IDirect3D7*>(this);
    return S_OK;
  }
  // The Direct3D side and its DirectDraw object are one object to callers.
  if (riid == IID_IDirectDraw7) return owner_->QueryInterface(riid, object);
  return E_NOINTERFACE;
}

HRESULT Direct3D::EnumDevices(LPD3DENUMDEVICESCALLBACK7 lpEnumDevicesCallback, LPVOID lpUserArg) {
  if (const HRESULT fault = TakeFault("IDirect3D7::EnumDevices")) return fault;
  if (!lpEnumDevicesCallback) return DDERR_INVALIDPARAMS;
  for (const DeviceKind& kind : AllKinds()) {
    if (!Available(kind, owner_->Has3D())) continue;
    // The callback gets writable copies, as the signature allows it to write.
    std::string description = kind.description;
    std::string name = kind.name;
    D3DDEVICEDESC7 desc = Describe(kind);
    if (lpEnumDevicesCallback(description.data(), name.data(), &desc, lpUserArg) == D3DENUMRET_CANCEL) break;
  }
  return D3D_OK;
}

HRESULT Direct3D::CreateDevice(REFCLSID rclsid, LPDIRECTDRAWSURFACE7 lpDDS, LPDIRECT3DDEVICE7* lplpD3DDevice) {
  if (lplpD3DDevice) *lplpD3DDevice = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3D7::CreateDevice")) return fault;
  if (!lpDDS || !lplpD3DDevice) return DDERR_INVALIDPARAMS;
  const DeviceKind* kind = FindKind(rclsid);
  if (!kind) return DDERR_INVALIDPARAMS;
  if (!Available(*kind, owner_->Has3D())) return D3DERR_INVALID_DEVICE;

  auto* target = static_cast<ddraw::Surface*>(lpDDS);
  if (target->Owner() != owner_) return DDERR_INVALIDPARAMS;
  const DWORD caps = target->Caps().dwCaps;
  if (!(caps & DDSCAPS_3DDEVICE)) return DDERR_INVALIDCAPS;
  const ddraw::SurfaceFormat& format = target->Format();
  if (format.Palettised() || format.ZBuffer() || format.pixels.bitsPerPixel < 16) return DDERR_INVALIDPIXELFORMAT;
  if (kind->hardware && !(caps & DDSCAPS_VIDEOMEMORY)) return D3DERR_SURFACENOTINVIDMEM;

  if (ddraw::Surface* depth = target->AttachedDepthBuffer()) {
    DDPIXELFORMAT depthFormat;
    ddraw::DescribeFormat(depth->Format(), &depthFormat);
    if (!TakesDepthFormat(*kind, depthFormat)) return DDERR_INVALIDPIXELFORMAT;
    const bool video = (depth->Caps().dwCaps & DDSCAPS_VIDEOMEMORY) != 0;
    if (kind->hardware && !video) return D3DERR_ZBUFF_NEEDS_VIDEOMEMORY;
    if (!kind->hardware && video) return D3DERR_ZBUFF_NEEDS_SYSTEMMEMORY;
  }

  auto* device = new (std::nothrow) Device(this, target, *kind);
  if (!device) return DDERR_OUTOFMEMORY;
  *lplpD3DDevice = device;
  return D3D_OK;
}

HRESULT Direct3D::CreateVertexBuffer(LPD3DVERTEXBUFFERDESC, LPDIRECT3DVERTEXBUFFER7* lplpD3DVertexBuffer, DWORD) {
  if (lplpD3DVertexBuffer) *lplpD3DVertexBuffer = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3D7::CreateVertexBuffer")) return fault;
  // Nothing is drawn here, so there is nothing to hold vertices for.
  return D3DERR_VBUF_CREATE_FAILED;
}

HRESULT Direct3D::EnumZBufferFormats(REFCLSID riidDevice, LPD3DENUMPIXELFORMATSCALLBACK lpEnumCallback,
                                     LPVOID lpContext) {
  if (const HRESULT fault = TakeFault("IDirect3D7::EnumZBufferFormats")) return fault;
  if (!lpEnumCallback) return DDERR_INVALIDPARAMS;
  const DeviceKind* kind = FindKind(riidDevice);
  if (!kind) return DDERR_INVALIDPARAMS;
  if (!Available(*kind, owner_->Has3D())) return D3DERR_INVALID_DEVICE;
  for (const DDPIXELFORMAT& listed : DepthFormats(*kind)) {
    DDPIXELFORMAT copy = listed;
    if (lpEnumCallback(&copy, lpContext) == D3DENUMRET_CANCEL) break;
  }
  return D3D_OK;
}

HRESULT Direct3D::EvictManagedTextures() {
  if (const HRESULT fault = TakeFault("IDirect3D7::EvictManagedTextures")) return fault;
  return D3D_OK;
}

// --- IDirect3DDevice7 -----------------------------------------------------------------

Device::Device(Direct3D* direct3D, ddraw::Surface* target, const DeviceKind& kind)
    : direct3D_(direct3D), target_(target), kind_(kind) {
  direct3D_->AddRef();
  target_->AddRef();
}

Device::~Device() {
  target_->Release();
  direct3D_->Release();
}

HRESULT Device::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DDevice7::QueryInterface")) return fault;
  if (riid == IID_IUnknown || riid == IID_IDirect3DDevice7) {
    AddRef();
    *object = static_cast<IDirect3DDevice7*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT Device::GetCaps(LPD3DDEVICEDESC7 lpD3DDevDesc) {
  if (lpD3DDevDesc) std::memset(lpD3DDevDesc, 0, sizeof *lpD3DDevDesc);
  if (const HRESULT fault = TakeFault("IDirect3DDevice7::GetCaps")) return fault;
  if (!lpD3DDevDesc) return DDERR_INVALIDPARAMS;
  *lpD3DDevDesc = Describe(kind_);
  return D3D_OK;
}

HRESULT Device::EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK lpD3DEnumPixelProc, LPVOID lpArg) {
  if (const HRESULT fault = TakeFault("IDirect3DDevice7::EnumTextureFormats")) return fault;
  if (!lpD3DEnumPixelProc) return DDERR_INVALIDPARAMS;
  // A copy: the callback may change the list (a test choosing formats).
  const std::vector<DDPIXELFORMAT> formats = TextureFormats();
  for (const DDPIXELFORMAT& listed : formats) {
    DDPIXELFORMAT copy = listed;
    if (lpD3DEnumPixelProc(&copy, lpArg) == D3DENUMRET_CANCEL) break;
  }
  return D3D_OK;
}

HRESULT Device::GetDirect3D(LPDIRECT3D7* lplpD3D) {
  if (lplpD3D) *lplpD3D = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DDevice7::GetDirect3D")) return fault;
  if (!lplpD3D) return DDERR_INVALIDPARAMS;
  direct3D_->AddRef();
  *lplpD3D = direct3D_;
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(LPDIRECTDRAWSURFACE7* lplpRenderTarget) {
  if (lplpRenderTarget) *lplpRenderTarget = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DDevice7::GetRenderTarget")) return fault;
  if (!lplpRenderTarget) return DDERR_INVALIDPARAMS;
  target_->AddRef();
  *lplpRenderTarget = target_;
  return D3D_OK;
}

}  // namespace platform::d3d
