// DirectDraw 7 in software.
//
// Code written against DirectDraw 7 compiles against this header unchanged:
// the interfaces, functions, structures, flags and result codes keep their
// documented names and values (see platform/ddraw/ddraw_types.h). Every
// surface owns plain memory; the visible picture reaches the installed back
// end through Backend::Present.
//
// Behaviour callers may rely on:
//
// * Arguments first. Every out-parameter is cleared before anything else
//   (structures with a dwSize only once that size is known to be right), then
//   an injected fault named "Interface::Method" (platform/faults.h) is
//   returned, then the arguments are checked. Structures must carry
//   dwSize == sizeof(the structure), exactly.
// * Reference counts. Every object starts at 1; AddRef and Release return the
//   new count; an object is freed at 0. Surfaces, clippers and palettes hold a
//   reference on the IDirectDraw7 that made them, so that object's final
//   Release returns 0 only once everything made from it is gone (a non-zero
//   count means a leak). A surface holds a reference on its clipper, its
//   palette and every surface attached with AddAttachedSurface. The front of
//   a flip chain holds its back buffers; GetAttachedSurface, GetClipper,
//   GetPalette and GetDDInterface add a reference to what they return. A back
//   buffer that outlives its front becomes a plain surface that cannot flip.
// * The screen. The primary surface of a DDSCL_NORMAL object is the whole
//   emulated desktop (platform::CurrentDisplayMode()); its memory is shared by
//   every primary surface in the process and reallocated when the mode
//   changes, which loses (DDERR_SURFACELOST, and DDERR_WRONGMODE from
//   Restore) every primary made in the old mode. Whatever is drawn onto it
//   (Blt, BltFast, Unlock, ReleaseDC) is presented: the part under the client
//   area of the cooperative-level window, clipped to the desktop; 8-bit
//   desktops are shown through the system palette, which SetPalette and
//   SetEntries on the primary's palette update. In exclusive full-screen mode
//   Flip rotates the chain's memory and presents the front with its palette.
// * Video memory is a process-wide budget of Backend::VideoMemoryBytes().
//   Video-memory off-screen surfaces and every buffer of a full-screen flip
//   chain count against it (the windowed primary, the desktop, does not);
//   a surface that asks for neither memory gets video memory while it fits.
// * Losses. While an object holds exclusive full-screen mode, a focus loss
//   (platform::FocusLossCount() moving) loses its primary, its flip chain and
//   its video-memory surfaces; system memory is never lost. Restore fails
//   with DDERR_WRONGMODE while platform::AppActive() is false and leaves the
//   memory filled with a 0xDEADBEEF byte pattern otherwise.
// * Colour keys are exact and compare the bits the pixel format defines: the
//   unused top byte of X8R8G8B8 and top bit of X1R5G5B5 take no part, so a key
//   of 0x00102030 also hides the pixel 0xFF102030 (GDI and bitmap loaders
//   leave that byte as they like). Alpha bits of A8R8G8B8 do take part.
// * Blits need source and destination of the same pixel layout (else
//   DDERR_UNSUPPORTED); Blt stretches with nearest-neighbour sampling at
//   pixel centres, and a clipped stretch keeps the scale of the whole
//   rectangle. Constant alpha needs colour channels: 8-bit surfaces refuse it
//   with DDERR_UNSUPPORTED. Blt, BltFast, Flip and Lock never allocate; Flip
//   does not wait for the vertical blank (WaitForVerticalBlank does).
// * Surfaces are at most 16384 pixels a side and 256 MiB (larger ones are
//   DDERR_OUTOFMEMORY); a flip chain has at most 8 back buffers. Overlays,
//   mipmaps, client memory, destination keys and non-local video memory are
//   refused with their documented codes.
// * Result codes are those each call documents. A refusal its list has no
//   code for uses the nearest listed one: aggregation and features with no
//   code of their own are DDERR_INVALIDPARAMS (DDERR_INVALIDCAPS for caps),
//   a source key the source lacks is DDERR_INVALIDPARAMS, destination keys
//   and stereo are DDERR_UNSUPPORTED, GetDC on a locked surface is
//   DDERR_GENERIC, and an object whose back end is gone is
//   DDERR_INVALIDOBJECT.
// * Only surfaces, clippers and palettes made here may be passed to these
//   calls; foreign implementations of the interfaces are not recognised.
#pragma once

#include "platform/ddraw/ddraw_types.h"

struct IDirectDrawClipper : IUnknown {
  virtual HRESULT GetClipList(LPRECT lpRect, LPRGNDATA lpClipList, LPDWORD lpdwSize) = 0;
  virtual HRESULT GetHWnd(HWND* lphWnd) = 0;
  virtual HRESULT Initialize(LPDIRECTDRAW lpDD, DWORD dwFlags) = 0;
  virtual HRESULT IsClipListChanged(BOOL* lpbChanged) = 0;
  virtual HRESULT SetClipList(LPRGNDATA lpClipList, DWORD dwFlags) = 0;
  virtual HRESULT SetHWnd(DWORD dwFlags, HWND hWnd) = 0;
};

struct IDirectDrawPalette : IUnknown {
  virtual HRESULT GetCaps(LPDWORD lpdwCaps) = 0;
  virtual HRESULT GetEntries(DWORD dwFlags, DWORD dwBase, DWORD dwNumEntries, LPPALETTEENTRY lpEntries) = 0;
  virtual HRESULT Initialize(LPDIRECTDRAW lpDD, DWORD dwFlags, LPPALETTEENTRY lpDDColorTable) = 0;
  virtual HRESULT SetEntries(DWORD dwFlags, DWORD dwStartingEntry, DWORD dwCount, LPPALETTEENTRY lpEntries) = 0;
};

struct IDirectDrawSurface7 : IUnknown {
  virtual HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7 lpDDSAttachedSurface) = 0;
  virtual HRESULT AddOverlayDirtyRect(LPRECT lpRect) = 0;
  virtual HRESULT Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
                      LPDDBLTFX lpDDBltFx) = 0;
  virtual HRESULT BltBatch(LPDDBLTBATCH lpDDBltBatch, DWORD dwCount, DWORD dwFlags) = 0;
  virtual HRESULT BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect,
                          DWORD dwTrans) = 0;
  virtual HRESULT DeleteAttachedSurface(DWORD dwFlags, LPDIRECTDRAWSURFACE7 lpDDSAttachedSurface) = 0;
  virtual HRESULT EnumAttachedSurfaces(LPVOID lpContext, LPDDENUMSURFACESCALLBACK7 lpEnumSurfacesCallback) = 0;
  virtual HRESULT EnumOverlayZOrders(DWORD dwFlags, LPVOID lpContext, LPDDENUMSURFACESCALLBACK7 lpfnCallback) = 0;
  virtual HRESULT Flip(LPDIRECTDRAWSURFACE7 lpDDSurfaceTargetOverride, DWORD dwFlags) = 0;
  virtual HRESULT GetAttachedSurface(LPDDSCAPS2 lpDDSCaps, LPDIRECTDRAWSURFACE7* lplpDDAttachedSurface) = 0;
  virtual HRESULT GetBltStatus(DWORD dwFlags) = 0;
  virtual HRESULT GetCaps(LPDDSCAPS2 lpDDSCaps) = 0;
  virtual HRESULT GetClipper(LPDIRECTDRAWCLIPPER* lplpDDClipper) = 0;
  virtual HRESULT GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) = 0;
  virtual HRESULT GetDC(HDC* lphDC) = 0;
  virtual HRESULT GetFlipStatus(DWORD dwFlags) = 0;
  virtual HRESULT GetOverlayPosition(LPLONG lplX, LPLONG lplY) = 0;
  virtual HRESULT GetPalette(LPDIRECTDRAWPALETTE* lplpDDPalette) = 0;
  virtual HRESULT GetPixelFormat(LPDDPIXELFORMAT lpDDPixelFormat) = 0;
  virtual HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 lpDDSurfaceDesc) = 0;
  virtual HRESULT Initialize(LPDIRECTDRAW lpDD, LPDDSURFACEDESC2 lpDDSurfaceDesc) = 0;
  virtual HRESULT IsLost() = 0;
  virtual HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC2 lpDDSurfaceDesc, DWORD dwFlags, HANDLE hEvent) = 0;
  virtual HRESULT ReleaseDC(HDC hDC) = 0;
  virtual HRESULT Restore() = 0;
  virtual HRESULT SetClipper(LPDIRECTDRAWCLIPPER lpDDClipper) = 0;
  virtual HRESULT SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) = 0;
  virtual HRESULT SetOverlayPosition(LONG lX, LONG lY) = 0;
  virtual HRESULT SetPalette(LPDIRECTDRAWPALETTE lpDDPalette) = 0;
  virtual HRESULT Unlock(LPRECT lpRect) = 0;
  virtual HRESULT UpdateOverlay(LPRECT lpSrcRect, LPDIRECTDRAWSURFACE7 lpDDDestSurface, LPRECT lpDestRect,
                                DWORD dwFlags, LPDDOVERLAYFX lpDDOverlayFx) = 0;
  virtual HRESULT UpdateOverlayDisplay(DWORD dwFlags) = 0;
  virtual HRESULT UpdateOverlayZOrder(DWORD dwFlags, LPDIRECTDRAWSURFACE7 lpDDSReference) = 0;
  virtual HRESULT GetDDInterface(LPVOID* lplpDD) = 0;
  virtual HRESULT PageLock(DWORD dwFlags) = 0;
  virtual HRESULT PageUnlock(DWORD dwFlags) = 0;
  virtual HRESULT SetSurfaceDesc(LPDDSURFACEDESC2 lpDDsd2, DWORD dwFlags) = 0;
  virtual HRESULT SetPrivateData(REFGUID guidTag, LPVOID lpData, DWORD cbSize, DWORD dwFlags) = 0;
  virtual HRESULT GetPrivateData(REFGUID guidTag, LPVOID lpBuffer, LPDWORD lpcbBufferSize) = 0;
  virtual HRESULT FreePrivateData(REFGUID guidTag) = 0;
  virtual HRESULT GetUniquenessValue(LPDWORD lpValue) = 0;
  virtual HRESULT ChangeUniquenessValue() = 0;
  virtual HRESULT SetPriority(DWORD dwPriority) = 0;
  virtual HRESULT GetPriority(LPDWORD lpdwPriority) = 0;
  virtual HRESULT SetLOD(DWORD dwMaxLOD) = 0;
  virtual HRESULT GetLOD(LPDWORD lpdwMaxLOD) = 0;
};

struct IDirectDraw7 : IUnknown {
  virtual HRESULT Compact() = 0;
  virtual HRESULT CreateClipper(DWORD dwFlags, LPDIRECTDRAWCLIPPER* lplpDDClipper, IUnknown* pUnkOuter) = 0;
  virtual HRESULT CreatePalette(DWORD dwFlags, LPPALETTEENTRY lpDDColorArray, LPDIRECTDRAWPALETTE* lplpDDPalette,
                                IUnknown* pUnkOuter) = 0;
  virtual HRESULT CreateSurface(LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPDIRECTDRAWSURFACE7* lplpDDSurface,
                                IUnknown* pUnkOuter) = 0;
  virtual HRESULT DuplicateSurface(LPDIRECTDRAWSURFACE7 lpDDSurface, LPDIRECTDRAWSURFACE7* lplpDupDDSurface) = 0;
  virtual HRESULT EnumDisplayModes(DWORD dwFlags, LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPVOID lpContext,
                                   LPDDENUMMODESCALLBACK2 lpEnumModesCallback) = 0;
  virtual HRESULT EnumSurfaces(DWORD dwFlags, LPDDSURFACEDESC2 lpDDSD2, LPVOID lpContext,
                               LPDDENUMSURFACESCALLBACK7 lpEnumSurfacesCallback) = 0;
  virtual HRESULT FlipToGDISurface() = 0;
  virtual HRESULT GetCaps(LPDDCAPS lpDDDriverCaps, LPDDCAPS lpDDHELCaps) = 0;
  virtual HRESULT GetDisplayMode(LPDDSURFACEDESC2 lpDDSurfaceDesc2) = 0;
  virtual HRESULT GetFourCCCodes(LPDWORD lpNumCodes, LPDWORD lpCodes) = 0;
  virtual HRESULT GetGDISurface(LPDIRECTDRAWSURFACE7* lplpGDIDDSSurface) = 0;
  virtual HRESULT GetMonitorFrequency(LPDWORD lpdwFrequency) = 0;
  virtual HRESULT GetScanLine(LPDWORD lpdwScanLine) = 0;
  virtual HRESULT GetVerticalBlankStatus(LPBOOL lpbIsInVB) = 0;
  virtual HRESULT Initialize(GUID* lpGUID) = 0;
  virtual HRESULT RestoreDisplayMode() = 0;
  virtual HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) = 0;
  virtual HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate,
                                 DWORD dwFlags) = 0;
  virtual HRESULT WaitForVerticalBlank(DWORD dwFlags, HANDLE hEvent) = 0;
  virtual HRESULT GetAvailableVidMem(LPDDSCAPS2 lpDDSCaps2, LPDWORD lpdwTotal, LPDWORD lpdwFree) = 0;
  virtual HRESULT GetSurfaceFromDC(HDC hdc, LPDIRECTDRAWSURFACE7* lpDDS) = 0;
  virtual HRESULT RestoreAllSurfaces() = 0;
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual HRESULT GetDeviceIdentifier(LPDDDEVICEIDENTIFIER2 lpdddi, DWORD dwFlags) = 0;
  virtual HRESULT StartModeTest(LPSIZE lpModesToTest, DWORD dwNumEntries, DWORD dwFlags) = 0;
  virtual HRESULT EvaluateMode(DWORD dwFlags, DWORD* pSecondsUntilTimeout) = 0;
};

// Calls the callback for the primary display driver (null GUID, "Primary
// Display Driver", "display") and then for every driver the back end declares
// in ExtraDrivers(), until the callback returns 0.
HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA lpCallback, LPVOID lpContext);
#define DirectDrawEnumerate DirectDrawEnumerateA

// Makes an IDirectDraw7 (iid must be IID_IDirectDraw7) for the primary driver
// (lpGUID null, DDCREATE_EMULATIONONLY or DDCREATE_HARDWAREONLY) or for the
// extra driver with that GUID; an unknown GUID is DDERR_INVALIDDIRECTDRAWGUID.
HRESULT WINAPI DirectDrawCreateEx(GUID FAR* lpGUID, LPVOID* lplpDD, REFIID iid, IUnknown FAR* pUnkOuter);

// A clipper that belongs to no DirectDraw object.
HRESULT WINAPI DirectDrawCreateClipper(DWORD dwFlags, LPDIRECTDRAWCLIPPER FAR* lplpDDClipper,
                                       IUnknown FAR* pUnkOuter);
