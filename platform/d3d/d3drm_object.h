// Retained mode: the retained-mode object with its two interfaces, devices
// made from a clipper, frames and viewports.
#pragma once

#include <vector>

#include "platform/d3d/d3d_kinds.h"
#include "platform/d3drm.h"
#include "platform/ddraw/ddraw_clipper.h"
#include "platform/unknown.h"

namespace platform::d3d {

class RetainedMode3;

// IDirect3DRM. Its IDirect3DRM3 is a second interface of the same object,
// made on the first query and kept while it has references of its own.
class RetainedMode final : public RefCounted<IDirect3DRM> {
 public:
  RetainedMode() = default;
  HRESULT QueryInterface(REFIID riid, void** object) override;
  // The IDirect3DRM3 side, made on demand; the caller gets a reference.
  HRESULT Third(void** object);
  void ThirdGone() { third_ = nullptr; }

 private:
  ~RetainedMode() override = default;
  RetainedMode3* third_ = nullptr;  // not referenced: it references us
};

class RetainedMode3 final : public RefCounted<IDirect3DRM3> {
 public:
  explicit RetainedMode3(RetainedMode* first);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT CreateFrame(LPDIRECT3DRMFRAME3 lpParent, LPDIRECT3DRMFRAME3* lplpFrame) override;
  HRESULT CreateDeviceFromClipper(LPDIRECTDRAWCLIPPER lpDDClipper, LPGUID lpGUID, int width, int height,
                                  LPDIRECT3DRMDEVICE3* lplpD3DRMDevice) override;
  HRESULT CreateViewport(LPDIRECT3DRMDEVICE3 lpDevice, LPDIRECT3DRMFRAME3 lpCamera, DWORD dwXPos, DWORD dwYPos,
                         DWORD dwWidth, DWORD dwHeight, LPDIRECT3DRMVIEWPORT2* lplpD3DRMViewport) override;

 private:
  ~RetainedMode3() override;
  RetainedMode* first_;  // referenced
};

class RMDevice final : public RefCounted<IDirect3DRMDevice3> {
 public:
  RMDevice(ddraw::Clipper* clipper, const DeviceKind& kind, DWORD width, DWORD height);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  DWORD GetWidth() override;
  DWORD GetHeight() override;

  const DeviceKind& Kind() const { return kind_; }

 private:
  ~RMDevice() override;
  ddraw::Clipper* clipper_;  // referenced
  const DeviceKind& kind_;
  DWORD width_;
  DWORD height_;
};

class Frame final : public RefCounted<IDirect3DRMFrame3> {
 public:
  // A child of PARENT (which takes a reference on it), or a root frame.
  explicit Frame(Frame* parent);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT GetParent(LPDIRECT3DRMFRAME3* lplpParent) override;
  HRESULT GetScene(LPDIRECT3DRMFRAME3* lplpRoot) override;

 private:
  ~Frame() override;
  Frame* parent_;                 // not referenced: the parent holds us
  std::vector<Frame*> children_;  // referenced
};

class Viewport final : public RefCounted<IDirect3DRMViewport2> {
 public:
  Viewport(RMDevice* device, Frame* camera, DWORD width, DWORD height);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT SetFront(D3DVALUE rvFront) override;
  HRESULT SetBack(D3DVALUE rvBack) override;
  D3DVALUE GetFront() override;
  D3DVALUE GetBack() override;
  DWORD GetWidth() override;
  DWORD GetHeight() override;
  HRESULT GetCamera(LPDIRECT3DRMFRAME3* lplpCamera) override;
  HRESULT GetDevice(LPDIRECT3DRMDEVICE3* lplpD3DRMDevice) override;

 private:
  ~Viewport() override;
  RMDevice* device_;  // referenced
  Frame* camera_;     // referenced
  DWORD width_;
  DWORD height_;
  D3DVALUE front_ = 1.0f;
  D3DVALUE back_ = 100.0f;
};

}  // namespace platform::d3d
