// Direct3D 7's scalar and vector types, structures, flags, result codes and
// callbacks under their documented names and values. Include
// "platform/d3d.h", which includes this file; DirectSound's 3D interfaces
// include it for D3DVALUE and D3DVECTOR alone, so it needs nothing of
// DirectDraw's.
//
// D3DDEVICEDESC7 and D3DPRIMCAPS hold no pointer and keep their documented
// layouts.
#pragma once

#include "platform/types.h"
#include "platform/unknown.h"

// --- scalars and vectors ---------------------------------------------------------
using D3DVALUE = float;
using LPD3DVALUE = D3DVALUE*;
using D3DCOLOR = DWORD;  // 0xAARRGGBB

struct D3DVECTOR {
  D3DVALUE x;
  D3DVALUE y;
  D3DVALUE z;
};
using LPD3DVECTOR = D3DVECTOR*;

using REFCLSID = const GUID&;

// --- result codes ----------------------------------------------------------------------
// Direct3D shares DirectDraw's facility: each code is MAKE_DDHRESULT(n), that
// is 0x88760000 | n. The helper has a name of its own so that this header
// does not depend on DirectDraw's.
namespace platform::d3d_codes {
constexpr HRESULT Make(DWORD code) { return static_cast<HRESULT>(0x88760000u | code); }
}  // namespace platform::d3d_codes

constexpr HRESULT D3D_OK = S_OK;
constexpr HRESULT D3DERR_BADMAJORVERSION = platform::d3d_codes::Make(700);
constexpr HRESULT D3DERR_BADMINORVERSION = platform::d3d_codes::Make(701);
constexpr HRESULT D3DERR_INVALID_DEVICE = platform::d3d_codes::Make(705);
constexpr HRESULT D3DERR_INITFAILED = platform::d3d_codes::Make(706);
constexpr HRESULT D3DERR_DEVICEAGGREGATED = platform::d3d_codes::Make(707);
constexpr HRESULT D3DERR_ZBUFF_NEEDS_SYSTEMMEMORY = platform::d3d_codes::Make(745);
constexpr HRESULT D3DERR_ZBUFF_NEEDS_VIDEOMEMORY = platform::d3d_codes::Make(746);
constexpr HRESULT D3DERR_SURFACENOTINVIDMEM = platform::d3d_codes::Make(747);
constexpr HRESULT D3DERR_VBUF_CREATE_FAILED = platform::d3d_codes::Make(2061);

// --- enumeration ----------------------------------------------------------------------
constexpr HRESULT D3DENUMRET_CANCEL = 0;
constexpr HRESULT D3DENUMRET_OK = 1;

// --- D3DDEVICEDESC7::dwDevCaps ------------------------------------------------------------
constexpr DWORD D3DDEVCAPS_FLOATTLVERTEX = 0x00000001;
constexpr DWORD D3DDEVCAPS_EXECUTESYSTEMMEMORY = 0x00000010;
constexpr DWORD D3DDEVCAPS_EXECUTEVIDEOMEMORY = 0x00000020;
constexpr DWORD D3DDEVCAPS_TLVERTEXSYSTEMMEMORY = 0x00000040;
constexpr DWORD D3DDEVCAPS_TLVERTEXVIDEOMEMORY = 0x00000080;
constexpr DWORD D3DDEVCAPS_TEXTURESYSTEMMEMORY = 0x00000100;
constexpr DWORD D3DDEVCAPS_TEXTUREVIDEOMEMORY = 0x00000200;
constexpr DWORD D3DDEVCAPS_DRAWPRIMTLVERTEX = 0x00000400;
constexpr DWORD D3DDEVCAPS_CANRENDERAFTERFLIP = 0x00000800;
constexpr DWORD D3DDEVCAPS_TEXTURENONLOCALVIDMEM = 0x00001000;
constexpr DWORD D3DDEVCAPS_DRAWPRIMITIVES2 = 0x00002000;
constexpr DWORD D3DDEVCAPS_SEPARATETEXTUREMEMORIES = 0x00004000;
constexpr DWORD D3DDEVCAPS_DRAWPRIMITIVES2EX = 0x00008000;
constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
constexpr DWORD D3DDEVCAPS_CANBLTSYSTONONLOCAL = 0x00020000;
constexpr DWORD D3DDEVCAPS_HWRASTERIZATION = 0x00080000;

// --- structures ------------------------------------------------------------------------
struct D3DPRIMCAPS {
  DWORD dwSize;
  DWORD dwMiscCaps;
  DWORD dwRasterCaps;
  DWORD dwZCmpCaps;
  DWORD dwSrcBlendCaps;
  DWORD dwDestBlendCaps;
  DWORD dwAlphaCmpCaps;
  DWORD dwShadeCaps;
  DWORD dwTextureCaps;
  DWORD dwTextureFilterCaps;
  DWORD dwTextureBlendCaps;
  DWORD dwTextureAddressCaps;
  DWORD dwStippleWidth;
  DWORD dwStippleHeight;
};
using LPD3DPRIMCAPS = D3DPRIMCAPS*;

struct D3DDEVICEDESC7 {
  DWORD dwDevCaps;
  D3DPRIMCAPS dpcLineCaps;
  D3DPRIMCAPS dpcTriCaps;
  DWORD dwDeviceRenderBitDepth;   // DDBD_* (ddraw) of the render targets the device takes
  DWORD dwDeviceZBufferBitDepth;  // DDBD_* of its depth buffers
  DWORD dwMinTextureWidth, dwMinTextureHeight;
  DWORD dwMaxTextureWidth, dwMaxTextureHeight;
  DWORD dwMaxTextureRepeat;
  DWORD dwMaxTextureAspectRatio;
  DWORD dwMaxAnisotropy;
  D3DVALUE dvGuardBandLeft;
  D3DVALUE dvGuardBandTop;
  D3DVALUE dvGuardBandRight;
  D3DVALUE dvGuardBandBottom;
  D3DVALUE dvExtentsAdjust;
  DWORD dwStencilCaps;
  DWORD dwFVFCaps;
  DWORD dwTextureOpCaps;
  WORD wMaxTextureBlendStages;
  WORD wMaxSimultaneousTextures;
  DWORD dwMaxActiveLights;
  D3DVALUE dvMaxVertexW;
  GUID deviceGUID;
  WORD wMaxUserClipPlanes;
  WORD wMaxVertexBlendMatrices;
  DWORD dwVertexProcessingCaps;
  DWORD dwReserved1;
  DWORD dwReserved2;
  DWORD dwReserved3;
  DWORD dwReserved4;
};
using LPD3DDEVICEDESC7 = D3DDEVICEDESC7*;

// --- interfaces (declared in platform/d3d.h) -----------------------------------------
struct IDirect3D7;
struct IDirect3DDevice7;
struct IDirect3DVertexBuffer7;
using LPDIRECT3D7 = IDirect3D7*;
using LPDIRECT3DDEVICE7 = IDirect3DDevice7*;
using LPDIRECT3DVERTEXBUFFER7 = IDirect3DVertexBuffer7*;

extern const IID IID_IDirect3D7;
extern const IID IID_IDirect3DDevice7;
// Device GUIDs: the kinds of device IDirect3D7::CreateDevice makes.
extern const GUID IID_IDirect3DTnLHalDevice;
extern const GUID IID_IDirect3DHALDevice;
extern const GUID IID_IDirect3DMMXDevice;
extern const GUID IID_IDirect3DRGBDevice;
extern const GUID IID_IDirect3DRampDevice;
extern const GUID IID_IDirect3DRefDevice;

struct D3DVERTEXBUFFERDESC {
  DWORD dwSize;
  DWORD dwCaps;
  DWORD dwFVF;
  DWORD dwNumVertices;
};
using LPD3DVERTEXBUFFERDESC = D3DVERTEXBUFFERDESC*;

// --- callbacks ---------------------------------------------------------------------------
// IDirect3D7::EnumDevices: return D3DENUMRET_OK to go on, D3DENUMRET_CANCEL to stop.
using LPD3DENUMDEVICESCALLBACK7 = HRESULT(CALLBACK*)(LPSTR lpDeviceDescription, LPSTR lpDeviceName,
                                                     LPD3DDEVICEDESC7 lpD3DDeviceDesc, LPVOID lpContext);
