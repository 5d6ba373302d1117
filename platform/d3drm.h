// Direct3D Retained Mode, as far as a program sets it up: the retained-mode
// object, devices made from a clipper, frames and viewports, with their
// reference counts. Nothing is rendered, so the interfaces hold only the
// members set-up uses.
//
// Behaviour callers may rely on:
//
// * Direct3DRMCreate makes an IDirect3DRM; QueryInterface on it for
//   IID_IDirect3DRM3 gives the IDirect3DRM3 of the same object. Each
//   interface keeps a count of its own, and the object lives while either
//   has references, so releasing the first interface after the query leaves
//   the IDirect3DRM3 working and its final Release returns 0. Devices,
//   frames and viewports do not keep the retained-mode object alive.
// * Arguments first, as DirectDraw: out-parameters are cleared, then an
//   injected fault named "Interface::Method" (platform/faults.h) is returned,
//   then the arguments are checked. GetWidth and GetHeight return 0 when a
//   fault is injected.
// * CreateDeviceFromClipper needs a clipper with a window (D3DRMERR_BADVALUE
//   otherwise) and a size of at least 1 x 1 (D3DRMERR_BADVALUE). The device
//   GUID names the kind (platform/d3d.h); null picks the HAL when the primary
//   display driver has 3D hardware, else RGB emulation. Retained mode works
//   with the HAL, MMX, RGB and Ramp emulations and the reference rasterizer;
//   it cannot drive the T&L HAL, nor a HAL without 3D hardware
//   (D3DRMERR_BADDEVICE). The device holds a reference on the clipper.
// * CreateViewport takes a device and a camera frame (D3DRMERR_BADOBJECT when
//   either is missing) and a rectangle inside the device
//   (D3DRMERR_BADVALUE); the viewport holds both. Its clipping planes start
//   at front 1 and back 100; SetBack takes a value beyond the front plane.
// * CreateFrame with a parent makes a child that the parent holds; with none
//   it makes a root frame (its own scene).
#pragma once

#include "platform/d3d.h"
#include "platform/ddraw.h"

// --- result codes --------------------------------------------------------------------
constexpr HRESULT D3DRM_OK = DD_OK;
constexpr HRESULT D3DRMERR_BADOBJECT = MAKE_DDHRESULT(781);
constexpr HRESULT D3DRMERR_BADTYPE = MAKE_DDHRESULT(782);
constexpr HRESULT D3DRMERR_BADALLOC = MAKE_DDHRESULT(783);
constexpr HRESULT D3DRMERR_FACEUSED = MAKE_DDHRESULT(784);
constexpr HRESULT D3DRMERR_NOTFOUND = MAKE_DDHRESULT(785);
constexpr HRESULT D3DRMERR_NOTDONEYET = MAKE_DDHRESULT(786);
constexpr HRESULT D3DRMERR_FILENOTFOUND = MAKE_DDHRESULT(787);
constexpr HRESULT D3DRMERR_BADFILE = MAKE_DDHRESULT(788);
constexpr HRESULT D3DRMERR_BADDEVICE = MAKE_DDHRESULT(789);
constexpr HRESULT D3DRMERR_BADVALUE = MAKE_DDHRESULT(790);

// --- interfaces ---------------------------------------------------------------------------
struct IDirect3DRM;
struct IDirect3DRM3;
struct IDirect3DRMDevice3;
struct IDirect3DRMViewport2;
struct IDirect3DRMFrame3;
using LPDIRECT3DRM = IDirect3DRM*;
using LPDIRECT3DRM3 = IDirect3DRM3*;
using LPDIRECT3DRMDEVICE3 = IDirect3DRMDevice3*;
using LPDIRECT3DRMVIEWPORT2 = IDirect3DRMViewport2*;
using LPDIRECT3DRMFRAME3 = IDirect3DRMFrame3*;

extern const IID IID_IDirect3DRM;
extern const IID IID_IDirect3DRM3;
extern const IID IID_IDirect3DRMDevice3;
extern const IID IID_IDirect3DRMViewport2;
extern const IID IID_IDirect3DRMFrame3;

struct IDirect3DRM : IUnknown {};

struct IDirect3DRM3 : IUnknown {
  virtual HRESULT CreateFrame(LPDIRECT3DRMFRAME3 lpParent, LPDIRECT3DRMFRAME3* lplpFrame) = 0;
  virtual HRESULT CreateDeviceFromClipper(LPDIRECTDRAWCLIPPER lpDDClipper, LPGUID lpGUID, int width, int height,
                                          LPDIRECT3DRMDEVICE3* lplpD3DRMDevice) = 0;
  virtual HRESULT CreateViewport(LPDIRECT3DRMDEVICE3 lpDevice, LPDIRECT3DRMFRAME3 lpCamera, DWORD dwXPos,
                                 DWORD dwYPos, DWORD dwWidth, DWORD dwHeight,
                                 LPDIRECT3DRMVIEWPORT2* lplpD3DRMViewport) = 0;
};

struct IDirect3DRMDevice3 : IUnknown {
  virtual DWORD GetWidth() = 0;
  virtual DWORD GetHeight() = 0;
};

struct IDirect3DRMViewport2 : IUnknown {
  virtual HRESULT SetFront(D3DVALUE rvFront) = 0;
  virtual HRESULT SetBack(D3DVALUE rvBack) = 0;
  virtual D3DVALUE GetFront() = 0;
  virtual D3DVALUE GetBack() = 0;
  virtual DWORD GetWidth() = 0;
  virtual DWORD GetHeight() = 0;
  // Both add a reference to what they return.
  virtual HRESULT GetCamera(LPDIRECT3DRMFRAME3* lplpCamera) = 0;
  virtual HRESULT GetDevice(LPDIRECT3DRMDEVICE3* lplpD3DRMDevice) = 0;
};

struct IDirect3DRMFrame3 : IUnknown {
  // Both add a reference to what they return; a root frame has no parent
  // (D3DRM_OK with null) and is its own scene.
  virtual HRESULT GetParent(LPDIRECT3DRMFRAME3* lplpParent) = 0;
  virtual HRESULT GetScene(LPDIRECT3DRMFRAME3* lplpRoot) = 0;
};

HRESULT WINAPI Direct3DRMCreate(LPDIRECT3DRM* lplpDirect3DRM);
