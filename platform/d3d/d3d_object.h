// IDirect3D7 and IDirect3DDevice7: the Direct3D side of one DirectDraw
// object, and a device made on one of its surfaces.
#pragma once

#include "platform/d3d.h"
#include "platform/d3d/d3d_kinds.h"
#include "platform/ddraw/ddraw_object.h"
#include "platform/ddraw/ddraw_surface.h"
#include "platform/unknown.h"

namespace platform::d3d {

class Direct3D final : public RefCounted<IDirect3D7> {
 public:
  // Answers DirectDraw's QueryInterface for IID_IDirect3D7 (and nothing else).
  static HRESULT Provide(ddraw::DirectDraw* owner, REFIID riid, void** object);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 lpEnumDevicesCallback, LPVOID lpUserArg) override;
  HRESULT CreateDevice(REFCLSID rclsid, LPDIRECTDRAWSURFACE7 lpDDS, LPDIRECT3DDEVICE7* lplpD3DDevice) override;
  HRESULT CreateVertexBuffer(LPD3DVERTEXBUFFERDESC lpVBDesc, LPDIRECT3DVERTEXBUFFER7* lplpD3DVertexBuffer,
                             DWORD dwFlags) override;
  HRESULT EnumZBufferFormats(REFCLSID riidDevice, LPD3DENUMPIXELFORMATSCALLBACK lpEnumCallback,
                             LPVOID lpContext) override;
  HRESULT EvictManagedTextures() override;

 private:
  explicit Direct3D(ddraw::DirectDraw* owner);
  ~Direct3D() override;

  ddraw::DirectDraw* owner_;  // referenced
};

class Device final : public RefCounted<IDirect3DDevice7> {
 public:
  Device(Direct3D* direct3D, ddraw::Surface* target, const DeviceKind& kind);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT GetCaps(LPD3DDEVICEDESC7 lpD3DDevDesc) override;
  HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK lpD3DEnumPixelProc, LPVOID lpArg) override;
  HRESULT GetDirect3D(LPDIRECT3D7* lplpD3D) override;
  HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7* lplpRenderTarget) override;

 private:
  ~Device() override;

  Direct3D* direct3D_;      // referenced
  ddraw::Surface* target_;  // referenced
  const DeviceKind& kind_;
};

}  // namespace platform::d3d
