#include "platform/d3d/d3drm_object.h"

#include <new>

#include "platform/faults.h"
#include "platform/system.h"

const IID IID_IDirect3DRM = {0x2bc49361, 0x8327, 0x11cf, {0xac, 0x4a, 0x00, 0x00, 0xc0, 0x38, 0x25, 0xa1}};
const IID IID_IDirect3DRM3 = {0x4516ec83, 0x8f20, 0x11d0, {0x9b, 0x6d, 0x00, 0x00, 0xc0, 0x78, 0x1b, 0xc3}};
const IID IID_IDirect3DRMDevice3 = {0x549f498b, 0xbfeb, 0x11d1, {0x8e, 0xd8, 0x00, 0xa0, 0xc9, 0x67, 0xa4, 0x82}};
const IID IID_IDirect3DRMViewport2 = {0x4a1b1be6, 0xbfed, 0x11d1, {0x8e, 0xd8, 0x00, 0xa0, 0xc9, 0x67, 0xa4, 0x82}};
const IID IID_IDirect3DRMFrame3 = {0xff6b7f70, 0xa40e, 0x11d1, {0x91, 0xf9, 0x00, 0x00, 0xf8, 0x75, 0x8e, 0x66}};

namespace platform::d3d {
namespace {

// Answers IUnknown and IID for SELF, adding a reference.
template <typename Interface>
HRESULT AnswerSelf(Interface* self, REFIID riid, REFIID iid, void** object) {
  if (riid == IID_IUnknown || riid == iid) {
    self->AddRef();
    *object = self;
    return S_OK;
  }
  return E_NOINTERFACE;
}

// The kind a device GUID asks retained mode for; null when it cannot drive it.
const DeviceKind* RetainedKind(const GUID* guid) {
  const bool hardware3D = HasBackend() && CurrentBackend().PrimaryHas3D();
  if (!guid) return FindKind(hardware3D ? IID_IDirect3DHALDevice : IID_IDirect3DRGBDevice);
  const DeviceKind* kind = FindKind(*guid);
  if (!kind || kind->transformLight || (kind->hardware && !hardware3D)) return nullptr;
  return kind;
}

}  // namespace

// --- the retained-mode object ---------------------------------------------------------

HRESULT RetainedMode::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRM::QueryInterface")) return fault;
  if (riid == IID_IDirect3DRM3) return Third(object);
  return AnswerSelf<IDirect3DRM>(this, riid, IID_IDirect3DRM, object);
}

HRESULT RetainedMode::Third(void** object) {
  if (third_) {
    third_->AddRef();
  } else {
    third_ = new (std::nothrow) RetainedMode3(this);
    if (!third_) return E_OUTOFMEMORY;
  }
  *object = static_cast<IDirect3DRM3*>(third_);
  return S_OK;
}

RetainedMode3::RetainedMode3(RetainedMode* first) : first_(first) { first_->AddRef(); }

RetainedMode3::~RetainedMode3() {
  first_->ThirdGone();
  first_->Release();
}

HRESULT RetainedMode3::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRM3::QueryInterface")) return fault;
  if (riid == IID_IDirect3DRM) {
    first_->AddRef();
    *object = static_cast<IDirect3DRM*>(first_);
    return S_OK;
  }
  return AnswerSelf<IDirect3DRM3>(this, riid, IID_IDirect3DRM3, object);
}

HRESULT RetainedMode3::CreateFrame(LPDIRECT3DRMFRAME3 lpParent, LPDIRECT3DRMFRAME3* lplpFrame) {
  if (lplpFrame) *lplpFrame = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRM3::CreateFrame")) return fault;
  if (!lplpFrame) return D3DRMERR_BADVALUE;
  auto* frame = new (std::nothrow) Frame(static_cast<Frame*>(lpParent));
  if (!frame) return D3DRMERR_BADALLOC;
  *lplpFrame = frame;
  return D3DRM_OK;
}

HRESULT RetainedMode3::CreateDeviceFromClipper(LPDIRECTDRAWCLIPPER lpDDClipper, LPGUID lpGUID, int width, int height,
                                               LPDIRECT3DRMDEVICE3* lplpD3DRMDevice) {
  if (lplpD3DRMDevice) *lplpD3DRMDevice = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRM3::CreateDeviceFromClipper")) return fault;
  if (!lpDDClipper || !lplpD3DRMDevice || width <= 0 || height <= 0) return D3DRMERR_BADVALUE;
  auto* clipper = static_cast<ddraw::Clipper*>(lpDDClipper);
  if (!clipper->Window()) return D3DRMERR_BADVALUE;
  const DeviceKind* kind = RetainedKind(lpGUID);
  if (!kind) return D3DRMERR_BADDEVICE;
  auto* device =
      new (std::nothrow) RMDevice(clipper, *kind, static_cast<DWORD>(width), static_cast<DWORD>(height));
  if (!device) return D3DRMERR_BADALLOC;
  *lplpD3DRMDevice = device;
  return D3DRM_OK;
}

HRESULT RetainedMode3::CreateViewport(LPDIRECT3DRMDEVICE3 lpDevice, LPDIRECT3DRMFRAME3 lpCamera, DWORD dwXPos,
                                      DWORD dwYPos, DWORD dwWidth, DWORD dwHeight,
                                      LPDIRECT3DRMVIEWPORT2* lplpD3DRMViewport) {
  if (lplpD3DRMViewport) *lplpD3DRMViewport = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRM3::CreateViewport")) return fault;
  if (!lplpD3DRMViewport) return D3DRMERR_BADVALUE;
  if (!lpDevice || !lpCamera) return D3DRMERR_BADOBJECT;
  auto* device = static_cast<RMDevice*>(lpDevice);
  // The rectangle must lie on the device; sums in 64 bits cannot wrap.
  const std::uint64_t right = std::uint64_t{dwXPos} + dwWidth;
  const std::uint64_t bottom = std::uint64_t{dwYPos} + dwHeight;
  if (dwWidth == 0 || dwHeight == 0 || right > device->GetWidth() || bottom > device->GetHeight())
    return D3DRMERR_BADVALUE;
  auto* viewport = new (std::nothrow) Viewport(device, static_cast<Frame*>(lpCamera), dwWidth, dwHeight);
  if (!viewport) return D3DRMERR_BADALLOC;
  *lplpD3DRMViewport = viewport;
  return D3DRM_OK;
}

// --- devices ---------------------------------------------------------------------------------

RMDevice::RMDevice(ddraw::Clipper* clipper, const DeviceKind& kind, DWORD width, DWORD height)
    : clipper_(clipper), kind_(kind), width_(width), height_(height) {
  clipper_->AddRef();
}

RMDevice::~RMDevice() { clipper_->Release(); }

HRESULT RMDevice::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRMDevice3::QueryInterface")) return fault;
  return AnswerSelf<IDirect3DRMDevice3>(this, riid, IID_IDirect3DRMDevice3, object);
}

DWORD RMDevice::GetWidth() { return TakeFault("IDirect3DRMDevice3::GetWidth") ? 0 : width_; }

DWORD RMDevice::GetHeight() { return TakeFault("IDirect3DRMDevice3::GetHeight") ? 0 : height_; }

// --- frames ------------------------------------------------------------------------------------

Frame::Frame(Frame* parent) : parent_(parent) {
  if (parent_) {
    AddRef();
    parent_->children_.push_back(this);
  }
}

Frame::~Frame() {
  for (Frame* child : children_) {
    child->parent_ = nullptr;
    child->Release();
  }
}

HRESULT Frame::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRMFrame3::QueryInterface")) return fault;
  return AnswerSelf<IDirect3DRMFrame3>(this, riid, IID_IDirect3DRMFrame3, object);
}

HRESULT Frame::GetParent(LPDIRECT3DRMFRAME3* lplpParent) {
  if (lplpParent) *lplpParent = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRMFrame3::GetParent")) return fault;
  if (!lplpParent) return D3DRMERR_BADVALUE;
  if (parent_) {
    parent_->AddRef();
    *lplpParent = parent_;
  }
  return D3DRM_OK;
}

HRESULT Frame::GetScene(LPDIRECT3DRMFRAME3* lplpRoot) {
  if (lplpRoot) *lplpRoot = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRMFrame3::GetScene")) return fault;
  if (!lplpRoot) return D3DRMERR_BADVALUE;
  Frame* root = this;
  while (root->parent_) root = root->parent_;
  root->AddRef();
  *lplpRoot = root;
  return D3DRM_OK;
}

// --- viewports ---------------------------------------------------------------------------------

Viewport::Viewport(RMDevice* device, Frame* camera, DWORD width, DWORD height)
    : device_(device), camera_(camera), width_(width), height_(height) {
  device_->AddRef();
  camera_->AddRef();
}

Viewport::~Viewport() {
  camera_->Release();
  device_->Release();
}

HRESULT Viewport::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRMViewport2::QueryInterface")) return fault;
  return AnswerSelf<IDirect3DRMViewport2>(this, riid, IID_IDirect3DRMViewport2, object);
}

HRESULT Viewport::SetFront(D3DVALUE rvFront) {
  if (const HRESULT fault = TakeFault("IDirect3DRMViewport2::SetFront")) return fault;
  // Written so that NaN fails too.
  if (!(rvFront > 0.0f && rvFront < back_)) return D3DRMERR_BADVALUE;
  front_ = rvFront;
  return D3DRM_OK;
}

HRESULT Viewport::SetBack(D3DVALUE rvBack) {
  if (const HRESULT fault = TakeFault("IDirect3DRMViewport2::SetBack")) return fault;
  if (!(rvBack > front_)) return D3DRMERR_BADVALUE;
  back_ = rvBack;
  return D3DRM_OK;
}

D3DVALUE Viewport::GetFront() { return front_; }

D3DVALUE Viewport::GetBack() { return back_; }

DWORD Viewport::GetWidth() { return width_; }

DWORD Viewport::GetHeight() { return height_; }

HRESULT Viewport::GetCamera(LPDIRECT3DRMFRAME3* lplpCamera) {
  if (lplpCamera) *lplpCamera = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRMViewport2::GetCamera")) return fault;
  if (!lplpCamera) return D3DRMERR_BADVALUE;
  camera_->AddRef();
  *lplpCamera = camera_;
  return D3DRM_OK;
}

HRESULT Viewport::GetDevice(LPDIRECT3DRMDEVICE3* lplpD3DRMDevice) {
  if (lplpD3DRMDevice) *lplpD3DRMDevice = nullptr;
  if (const HRESULT fault = TakeFault("IDirect3DRMViewport2::GetDevice")) return fault;
  if (!lplpD3DRMDevice) return D3DRMERR_BADVALUE;
  device_->AddRef();
  *lplpD3DRMDevice = device_;
  return D3DRM_OK;
}

}  // namespace platform::d3d

HRESULT WINAPI Direct3DRMCreate(LPDIRECT3DRM* lplpDirect3DRM) {
  if (lplpDirect3DRM) *lplpDirect3DRM = nullptr;
  if (const HRESULT fault = platform::TakeFault("Direct3DRMCreate")) return fault;
  if (!lplpDirect3DRM) return D3DRMERR_BADVALUE;
  auto* rm = new (std::nothrow) platform::d3d::RetainedMode();
  if (!rm) return D3DRMERR_BADALLOC;
  *lplpDirect3DRM = rm;
  return D3DRM_OK;
}
