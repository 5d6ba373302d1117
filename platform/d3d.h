// Direct3D 7 in software, as far as a program sets a device up: which kinds
// of device can be made, the depth-buffer and texture formats each lists,
// and reference counts. Nothing is rendered: the interfaces hold only the
// members that set-up uses, so IDirect3DDevice7 has no drawing calls.
//
// Behaviour callers may rely on:
//
// * Getting the object. IDirect3D7 is reached through QueryInterface of an
//   IDirectDraw7 for IID_IDirect3D7 (any program that names IID_IDirect3D7
//   links this library, which teaches DirectDraw that interface). It holds a
//   reference on its DirectDraw object; a device holds one on its IDirect3D7
//   and on its render target. Every object starts at 1 and is freed at 0.
// * Arguments first, as DirectDraw: out-parameters are cleared, then an
//   injected fault named "Interface::Method" (platform/faults.h) is returned,
//   then the arguments are checked.
// * Device kinds (platform/d3d/d3d_kinds.h). The T&L HAL and HAL devices
//   exist only on a driver with 3D hardware (Backend::PrimaryHas3D for the
//   primary display driver, DriverInfo::hardware3D for the others); MMX and
//   RGB emulation and the reference rasterizer always exist; the Ramp
//   emulation is not part of Direct3D 7 and is refused with
//   D3DERR_INVALID_DEVICE, as are hardware kinds without the hardware.
// * CreateDevice renders into a surface of the same DirectDraw object that
//   has DDSCAPS_3DDEVICE (else DDERR_INVALIDCAPS) and 16, 24 or 32 bits per
//   pixel (8-bit palettised targets: DDERR_INVALIDPIXELFORMAT). Hardware
//   kinds need the target in video memory (D3DERR_SURFACENOTINVIDMEM). A
//   depth buffer attached to the target must be one of the formats the kind
//   lists (DDERR_INVALIDPIXELFORMAT), in video memory for hardware kinds
//   (D3DERR_ZBUFF_NEEDS_VIDEOMEMORY) and in system memory for the emulations
//   (D3DERR_ZBUFF_NEEDS_SYSTEMMEMORY).
// * EnumZBufferFormats lists the kind's depth formats (16-bit, 24 of 32 bits,
//   24 bits with 8 of stencil, ...) and EnumTextureFormats a device's texture
//   formats: by default 8-bit palettised, R5G6B5, X1R5G5B5, A1R5G5B5,
//   A4R4G4B4, X8R8G8B8, A8R8G8B8 in that order; tests choose the list with
//   platform::d3d::SetTextureFormats (platform/d3d/d3d_kinds.h).
// * CreateVertexBuffer is refused (D3DERR_VBUF_CREATE_FAILED): nothing is
//   drawn. EvictManagedTextures has nothing to evict and succeeds.
#pragma once

#include "platform/d3d/d3d_types.h"
#include "platform/ddraw.h"

// IDirect3D7::EnumZBufferFormats and IDirect3DDevice7::EnumTextureFormats:
// return D3DENUMRET_OK to go on, D3DENUMRET_CANCEL to stop.
using LPD3DENUMPIXELFORMATSCALLBACK = HRESULT(CALLBACK*)(LPDDPIXELFORMAT lpDDPixFmt, LPVOID lpContext);

struct IDirect3D7 : IUnknown {
  // Calls back once per device kind this driver can make, in the order T&L
  // HAL and HAL (3D hardware only), MMX and RGB emulation, reference
  // rasterizer.
  virtual HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 lpEnumDevicesCallback, LPVOID lpUserArg) = 0;
  virtual HRESULT CreateDevice(REFCLSID rclsid, LPDIRECTDRAWSURFACE7 lpDDS, LPDIRECT3DDEVICE7* lplpD3DDevice) = 0;
  virtual HRESULT CreateVertexBuffer(LPD3DVERTEXBUFFERDESC lpVBDesc, LPDIRECT3DVERTEXBUFFER7* lplpD3DVertexBuffer,
                                     DWORD dwFlags) = 0;
  virtual HRESULT EnumZBufferFormats(REFCLSID riidDevice, LPD3DENUMPIXELFORMATSCALLBACK lpEnumCallback,
                                     LPVOID lpContext) = 0;
  virtual HRESULT EvictManagedTextures() = 0;
};

struct IDirect3DDevice7 : IUnknown {
  virtual HRESULT GetCaps(LPD3DDEVICEDESC7 lpD3DDevDesc) = 0;
  virtual HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK lpD3DEnumPixelProc, LPVOID lpArg) = 0;
  // Both add a reference to what they return.
  virtual HRESULT GetDirect3D(LPDIRECT3D7* lplpD3D) = 0;
  virtual HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7* lplpRenderTarget) = 0;
};
