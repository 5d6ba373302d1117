// DirectDraw 7's structures and callbacks, with its flags and result codes
// (ddraw_flags.h, ddraw_results.h), under their documented names and values.
// Include "platform/ddraw.h", which includes this file.
//
// Structures keep the documented member order. DWORD and LONG are 32 bits, but
// pointers are 8 bytes on this platform, so DDSURFACEDESC2 and DDBLTFX are
// larger than their 32-bit sizes of 124 and 100 bytes: callers must set dwSize
// to sizeof(the structure), and every call checks it exactly. DDCAPS holds no
// pointer and keeps its DirectX 7 size of 380 bytes.
#pragma once

#include <cstddef>

#include "platform/ddraw/ddraw_flags.h"
#include "platform/ddraw/ddraw_results.h"
#include "platform/types.h"
#include "platform/unknown.h"

#ifndef PASCAL
#define PASCAL
#endif

#ifndef BRIN_LARGE_INTEGER_DEFINED
#define BRIN_LARGE_INTEGER_DEFINED
union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  };
  std::int64_t QuadPart;
};
#endif

// A clip list as GDI describes a region: a header and nCount rectangles.
#ifndef BRIN_RGNDATA_DEFINED
#define BRIN_RGNDATA_DEFINED
constexpr DWORD RDH_RECTANGLES = 1;
struct RGNDATAHEADER {
  DWORD dwSize;  // sizeof(RGNDATAHEADER)
  DWORD iType;   // RDH_RECTANGLES
  DWORD nCount;  // rectangles in Buffer
  DWORD nRgnSize;
  RECT rcBound;
};
struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];  // nCount RECTs follow the header
};
using LPRGNDATA = RGNDATA*;
#endif

// --- interfaces (declared in platform/ddraw.h) ---------------------------------
struct IDirectDraw;
struct IDirectDraw7;
struct IDirectDrawSurface;
struct IDirectDrawSurface7;
struct IDirectDrawClipper;
struct IDirectDrawPalette;
using LPDIRECTDRAW = IDirectDraw*;
using LPDIRECTDRAW7 = IDirectDraw7*;
using LPDIRECTDRAWSURFACE = IDirectDrawSurface*;
using LPDIRECTDRAWSURFACE7 = IDirectDrawSurface7*;
using LPDIRECTDRAWCLIPPER = IDirectDrawClipper*;
using LPDIRECTDRAWPALETTE = IDirectDrawPalette*;

extern const IID IID_IDirectDraw7;
extern const IID IID_IDirectDrawSurface7;
extern const IID IID_IDirectDrawClipper;
extern const IID IID_IDirectDrawPalette;

// --- structures ------------------------------------------------------------------------------------
struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};
using LPDDCOLORKEY = DDCOLORKEY*;

struct DDSCAPS {
  DWORD dwCaps;
};
using LPDDSCAPS = DDSCAPS*;

struct DDSCAPS2 {
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCaps3;
  union {
    DWORD dwCaps4;
    DWORD dwVolumeDepth;
  };
};
using LPDDSCAPS2 = DDSCAPS2*;

struct DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  union {
    DWORD dwRGBBitCount;
    DWORD dwYUVBitCount;
    DWORD dwZBufferBitDepth;
    DWORD dwAlphaBitDepth;
    DWORD dwLuminanceBitCount;
    DWORD dwBumpBitCount;
    DWORD dwPrivateFormatBitCount;
  };
  union {
    DWORD dwRBitMask;
    DWORD dwYBitMask;
    DWORD dwStencilBitDepth;
    DWORD dwLuminanceBitMask;
    DWORD dwBumpDuBitMask;
    DWORD dwOperations;
  };
  union {
    DWORD dwGBitMask;
    DWORD dwUBitMask;
    DWORD dwZBitMask;
    DWORD dwBumpDvBitMask;
    struct {
      WORD wFlipMSTypes;
      WORD wBltMSTypes;
    } MultiSampleCaps;
  };
  union {
    DWORD dwBBitMask;
    DWORD dwVBitMask;
    DWORD dwStencilBitMask;
    DWORD dwBumpLuminanceBitMask;
  };
  union {
    DWORD dwRGBAlphaBitMask;
    DWORD dwYUVAlphaBitMask;
    DWORD dwLuminanceAlphaBitMask;
    DWORD dwRGBZBitMask;
    DWORD dwYUVZBitMask;
  };
};
using LPDDPIXELFORMAT = DDPIXELFORMAT*;

struct DDSURFACEDESC2 {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  union {
    LONG lPitch;
    DWORD dwLinearSize;
  };
  union {
    DWORD dwBackBufferCount;
    DWORD dwDepth;
  };
  union {
    DWORD dwMipMapCount;
    DWORD dwRefreshRate;
    DWORD dwSrcVBHandle;
  };
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  LPVOID lpSurface;
  union {
    DDCOLORKEY ddckCKDestOverlay;
    DWORD dwEmptyFaceColor;
  };
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  union {
    DDPIXELFORMAT ddpfPixelFormat;
    DWORD dwFVF;
  };
  DDSCAPS2 ddsCaps;
  DWORD dwTextureStage;
};
using LPDDSURFACEDESC2 = DDSURFACEDESC2*;

struct DDBLTFX {
  DWORD dwSize;
  DWORD dwDDFX;
  DWORD dwROP;
  DWORD dwDDROP;
  DWORD dwRotationAngle;
  DWORD dwZBufferOpCode;
  DWORD dwZBufferLow;
  DWORD dwZBufferHigh;
  DWORD dwZBufferBaseDest;
  DWORD dwZDestConstBitDepth;
  union {
    DWORD dwZDestConst;
    LPDIRECTDRAWSURFACE lpDDSZBufferDest;
  };
  DWORD dwZSrcConstBitDepth;
  union {
    DWORD dwZSrcConst;
    LPDIRECTDRAWSURFACE lpDDSZBufferSrc;
  };
  DWORD dwAlphaEdgeBlendBitDepth;
  DWORD dwAlphaEdgeBlend;
  DWORD dwReserved;
  DWORD dwAlphaDestConstBitDepth;
  union {
    DWORD dwAlphaDestConst;
    LPDIRECTDRAWSURFACE lpDDSAlphaDest;
  };
  DWORD dwAlphaSrcConstBitDepth;
  union {
    DWORD dwAlphaSrcConst;
    LPDIRECTDRAWSURFACE lpDDSAlphaSrc;
  };
  union {
    DWORD dwFillColor;
    DWORD dwFillDepth;
    DWORD dwFillPixel;
    LPDIRECTDRAWSURFACE lpDDSPattern;
  };
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
};
using LPDDBLTFX = DDBLTFX*;

struct DDBLTBATCH {
  LPRECT lprDest;
  LPDIRECTDRAWSURFACE lpDDSSrc;
  LPRECT lprSrc;
  DWORD dwFlags;
  LPDDBLTFX lpDDBltFx;
};
using LPDDBLTBATCH = DDBLTBATCH*;

struct DDOVERLAYFX {
  DWORD dwSize;
  DWORD dwAlphaEdgeBlendBitDepth;
  DWORD dwAlphaEdgeBlend;
  DWORD dwReserved;
  DWORD dwAlphaDestConstBitDepth;
  union {
    DWORD dwAlphaDestConst;
    LPDIRECTDRAWSURFACE lpDDSAlphaDest;
  };
  DWORD dwAlphaSrcConstBitDepth;
  union {
    DWORD dwAlphaSrcConst;
    LPDIRECTDRAWSURFACE lpDDSAlphaSrc;
  };
  DDCOLORKEY dckDestColorkey;
  DDCOLORKEY dckSrcColorkey;
  DWORD dwDDFX;
  DWORD dwFlags;
};
using LPDDOVERLAYFX = DDOVERLAYFX*;

// Driver capabilities as DirectX 7 defines them (DDCAPS_DX7).
struct DDCAPS {
  DWORD dwSize;
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCKeyCaps;
  DWORD dwFXCaps;
  DWORD dwFXAlphaCaps;
  DWORD dwPalCaps;
  DWORD dwSVCaps;
  DWORD dwAlphaBltConstBitDepths;
  DWORD dwAlphaBltPixelBitDepths;
  DWORD dwAlphaBltSurfaceBitDepths;
  DWORD dwAlphaOverlayConstBitDepths;
  DWORD dwAlphaOverlayPixelBitDepths;
  DWORD dwAlphaOverlaySurfaceBitDepths;
  DWORD dwZBufferBitDepths;
  DWORD dwVidMemTotal;
  DWORD dwVidMemFree;
  DWORD dwMaxVisibleOverlays;
  DWORD dwCurrVisibleOverlays;
  DWORD dwNumFourCCCodes;
  DWORD dwAlignBoundarySrc;
  DWORD dwAlignSizeSrc;
  DWORD dwAlignBoundaryDest;
  DWORD dwAlignSizeDest;
  DWORD dwAlignStrideAlign;
  DWORD dwRops[DD_ROP_SPACE];
  DDSCAPS ddsOldCaps;
  DWORD dwMinOverlayStretch;
  DWORD dwMaxOverlayStretch;
  DWORD dwMinLiveVideoStretch;
  DWORD dwMaxLiveVideoStretch;
  DWORD dwMinHwCodecStretch;
  DWORD dwMaxHwCodecStretch;
  DWORD dwReserved1;
  DWORD dwReserved2;
  DWORD dwReserved3;
  DWORD dwSVBCaps;
  DWORD dwSVBCKeyCaps;
  DWORD dwSVBFXCaps;
  DWORD dwSVBRops[DD_ROP_SPACE];
  DWORD dwVSBCaps;
  DWORD dwVSBCKeyCaps;
  DWORD dwVSBFXCaps;
  DWORD dwVSBRops[DD_ROP_SPACE];
  DWORD dwSSBCaps;
  DWORD dwSSBCKeyCaps;
  DWORD dwSSBFXCaps;
  DWORD dwSSBRops[DD_ROP_SPACE];
  DWORD dwMaxVideoPorts;
  DWORD dwCurrVideoPorts;
  DWORD dwSVBCaps2;
  DWORD dwNLVBCaps;
  DWORD dwNLVBCaps2;
  DWORD dwNLVBCKeyCaps;
  DWORD dwNLVBFXCaps;
  DWORD dwNLVBRops[DD_ROP_SPACE];
  DDSCAPS2 ddsCaps;
};
using DDCAPS_DX7 = DDCAPS;
using LPDDCAPS = DDCAPS*;
static_assert(sizeof(DDCAPS) == 380, "DDCAPS keeps its DirectX 7 layout");
static_assert(offsetof(DDCAPS, ddsCaps) == 0x16c, "DDCAPS keeps its DirectX 7 layout");
static_assert(sizeof(DDPIXELFORMAT) == 32, "DDPIXELFORMAT holds no pointer");

struct DDDEVICEIDENTIFIER2 {
  char szDriver[MAX_DDDEVICEID_STRING];
  char szDescription[MAX_DDDEVICEID_STRING];
  LARGE_INTEGER liDriverVersion;
  DWORD dwVendorId;
  DWORD dwDeviceId;
  DWORD dwSubSysId;
  DWORD dwRevision;
  GUID guidDeviceIdentifier;
  DWORD dwWHQLLevel;
};
using LPDDDEVICEIDENTIFIER2 = DDDEVICEIDENTIFIER2*;

// --- callbacks -------------------------------------------------------------------------------------
// DirectDrawEnumerateA: the primary display driver arrives with a null GUID.
// Return non-zero to go on, 0 to stop.
using LPDDENUMCALLBACKA = BOOL(FAR PASCAL*)(GUID FAR* lpGUID, LPSTR lpDriverDescription, LPSTR lpDriverName,
                                            LPVOID lpContext);
using LPDDENUMCALLBACK = LPDDENUMCALLBACKA;
// EnumDisplayModes: return DDENUMRET_OK to go on, DDENUMRET_CANCEL to stop.
using LPDDENUMMODESCALLBACK2 = HRESULT(FAR PASCAL*)(LPDDSURFACEDESC2 lpDDSurfaceDesc, LPVOID lpContext);
// EnumSurfaces / EnumAttachedSurfaces: the callee owns one reference to the surface.
using LPDDENUMSURFACESCALLBACK7 = HRESULT(FAR PASCAL*)(LPDIRECTDRAWSURFACE7 lpDDSurface,
                                                       LPDDSURFACEDESC2 lpDDSurfaceDesc, LPVOID lpContext);
