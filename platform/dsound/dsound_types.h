// DirectSound's structures, flags and result codes under their documented
// names and values. Include "platform/dsound.h", which includes this file.
//
// Pointers are 8 bytes here, so the buffer descriptions are larger than their
// documented 32-bit sizes: DSBUFFERDESC1 (the DirectX 6 form, 20 bytes on a
// 32-bit system) is 24 bytes and DSBUFFERDESC (with guid3DAlgorithm, 36) is
// 40. CreateSoundBuffer accepts either form by its dwSize, given as
// sizeof(the structure) or as the documented 32-bit number. The other records
// hold no pointer and keep their documented sizes: DSCAPS 96, DSBCAPS 20,
// DS3DBUFFER and DS3DLISTENER 64.
#pragma once

#include <cstddef>

// D3DVALUE and D3DVECTOR: the 3D interfaces share them with Direct3D.
#include "platform/d3d/d3d_types.h"
#include "platform/mmsystem.h"
#include "platform/types.h"
#include "platform/unknown.h"

#ifndef BRIN_LPCGUID_DEFINED
#define BRIN_LPCGUID_DEFINED
using LPCGUID = const GUID*;
#endif

// --- interfaces (declared in platform/dsound.h) --------------------------------------
struct IDirectSound;
struct IDirectSoundBuffer;
struct IDirectSound3DListener;
struct IDirectSound3DBuffer;
struct IDirectSoundNotify;
using LPDIRECTSOUND = IDirectSound*;
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;
using LPDIRECTSOUND3DLISTENER = IDirectSound3DListener*;
using LPDIRECTSOUND3DBUFFER = IDirectSound3DBuffer*;
using LPDIRECTSOUNDNOTIFY = IDirectSoundNotify*;

extern const IID IID_IDirectSound;
extern const IID IID_IDirectSoundBuffer;
extern const IID IID_IDirectSound3DListener;
extern const IID IID_IDirectSound3DBuffer;
extern const IID IID_IDirectSoundNotify;
extern const GUID DSDEVID_DefaultPlayback;
extern const GUID DSDEVID_DefaultVoicePlayback;
#ifndef BRIN_GUID_NULL_DEFINED
#define BRIN_GUID_NULL_DEFINED
inline constexpr GUID GUID_NULL{};
#endif
#define DS3DALG_DEFAULT GUID_NULL

// --- result codes ------------------------------------------------------------------------
constexpr HRESULT MAKE_DSHRESULT(unsigned code) { return static_cast<HRESULT>(0x88780000u | code); }

constexpr HRESULT DS_OK = S_OK;
constexpr HRESULT DS_NO_VIRTUALIZATION = static_cast<HRESULT>(0x0878000Au);
constexpr HRESULT DSERR_ALLOCATED = MAKE_DSHRESULT(10);
constexpr HRESULT DSERR_CONTROLUNAVAIL = MAKE_DSHRESULT(30);
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_INVALIDCALL = MAKE_DSHRESULT(50);
constexpr HRESULT DSERR_GENERIC = E_FAIL;
constexpr HRESULT DSERR_PRIOLEVELNEEDED = MAKE_DSHRESULT(70);
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DSERR_BADFORMAT = MAKE_DSHRESULT(100);
constexpr HRESULT DSERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DSERR_NODRIVER = MAKE_DSHRESULT(120);
constexpr HRESULT DSERR_ALREADYINITIALIZED = MAKE_DSHRESULT(130);
constexpr HRESULT DSERR_NOAGGREGATION = CLASS_E_NOAGGREGATION;
constexpr HRESULT DSERR_BUFFERLOST = MAKE_DSHRESULT(150);
constexpr HRESULT DSERR_OTHERAPPHASPRIO = MAKE_DSHRESULT(160);
constexpr HRESULT DSERR_UNINITIALIZED = MAKE_DSHRESULT(170);
constexpr HRESULT DSERR_NOINTERFACE = E_NOINTERFACE;
constexpr HRESULT DSERR_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);

// --- cooperative levels and speaker configurations ----------------------------------------
constexpr DWORD DSSCL_NORMAL = 0x00000001;
constexpr DWORD DSSCL_PRIORITY = 0x00000002;
constexpr DWORD DSSCL_EXCLUSIVE = 0x00000003;
constexpr DWORD DSSCL_WRITEPRIMARY = 0x00000004;

constexpr DWORD DSSPEAKER_DIRECTOUT = 0x00000000;
constexpr DWORD DSSPEAKER_HEADPHONE = 0x00000001;
constexpr DWORD DSSPEAKER_MONO = 0x00000002;
constexpr DWORD DSSPEAKER_QUAD = 0x00000003;
constexpr DWORD DSSPEAKER_STEREO = 0x00000004;
constexpr DWORD DSSPEAKER_SURROUND = 0x00000005;
constexpr DWORD DSSPEAKER_5POINT1 = 0x00000006;
constexpr DWORD DSSPEAKER_7POINT1 = 0x00000007;
constexpr DWORD DSSPEAKER_GEOMETRY_MIN = 5;
constexpr DWORD DSSPEAKER_GEOMETRY_NARROW = 10;
constexpr DWORD DSSPEAKER_GEOMETRY_WIDE = 20;
constexpr DWORD DSSPEAKER_GEOMETRY_MAX = 180;
constexpr DWORD DSSPEAKER_COMBINED(DWORD config, DWORD geometry) {
  return (config & 0xFF) | ((geometry & 0xFF) << 16);
}
constexpr DWORD DSSPEAKER_CONFIG(DWORD combined) { return combined & 0xFF; }
constexpr DWORD DSSPEAKER_GEOMETRY(DWORD combined) { return (combined >> 16) & 0xFF; }

// --- device capabilities ---------------------------------------------------------------------
constexpr DWORD DSCAPS_PRIMARYMONO = 0x00000001;
constexpr DWORD DSCAPS_PRIMARYSTEREO = 0x00000002;
constexpr DWORD DSCAPS_PRIMARY8BIT = 0x00000004;
constexpr DWORD DSCAPS_PRIMARY16BIT = 0x00000008;
constexpr DWORD DSCAPS_CONTINUOUSRATE = 0x00000010;
constexpr DWORD DSCAPS_EMULDRIVER = 0x00000020;
constexpr DWORD DSCAPS_CERTIFIED = 0x00000040;
constexpr DWORD DSCAPS_SECONDARYMONO = 0x00000100;
constexpr DWORD DSCAPS_SECONDARYSTEREO = 0x00000200;
constexpr DWORD DSCAPS_SECONDARY8BIT = 0x00000400;
constexpr DWORD DSCAPS_SECONDARY16BIT = 0x00000800;

// --- buffer capabilities -----------------------------------------------------------------------
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRL3D = 0x00000010;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_CTRLPOSITIONNOTIFY = 0x00000100;
constexpr DWORD DSBCAPS_CTRLFX = 0x00000200;
constexpr DWORD DSBCAPS_STICKYFOCUS = 0x00004000;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;
constexpr DWORD DSBCAPS_MUTE3DATMAXDISTANCE = 0x00020000;
constexpr DWORD DSBCAPS_LOCDEFER = 0x00040000;
constexpr DWORD DSBCAPS_CTRLDEFAULT = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
constexpr DWORD DSBCAPS_CTRLALL =
    DSBCAPS_CTRLDEFAULT | DSBCAPS_CTRL3D | DSBCAPS_CTRLPOSITIONNOTIFY;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
constexpr DWORD DSBPLAY_LOCHARDWARE = 0x00000002;
constexpr DWORD DSBPLAY_LOCSOFTWARE = 0x00000004;
constexpr DWORD DSBPLAY_TERMINATEBY_TIME = 0x00000008;
constexpr DWORD DSBPLAY_TERMINATEBY_DISTANCE = 0x00000010;
constexpr DWORD DSBPLAY_TERMINATEBY_PRIORITY = 0x00000020;

constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;
constexpr DWORD DSBSTATUS_LOCHARDWARE = 0x00000008;
constexpr DWORD DSBSTATUS_LOCSOFTWARE = 0x00000010;
constexpr DWORD DSBSTATUS_TERMINATED = 0x00000020;

constexpr DWORD DSBPN_OFFSETSTOP = 0xFFFFFFFF;
constexpr DWORD DSBNOTIFICATIONS_MAX = 100000;

constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 100000;
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_CENTER = 0;
constexpr LONG DSBPAN_RIGHT = 10000;
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

// --- 3D ------------------------------------------------------------------------------------------
constexpr DWORD DS3DMODE_NORMAL = 0x00000000;
constexpr DWORD DS3DMODE_HEADRELATIVE = 0x00000001;
constexpr DWORD DS3DMODE_DISABLE = 0x00000002;
constexpr DWORD DS3D_IMMEDIATE = 0x00000000;
constexpr DWORD DS3D_DEFERRED = 0x00000001;

constexpr D3DVALUE DS3D_MINDISTANCEFACTOR = 1.175494351e-38f;  // FLT_MIN
constexpr D3DVALUE DS3D_MAXDISTANCEFACTOR = 3.402823466e+38f;  // FLT_MAX
constexpr D3DVALUE DS3D_DEFAULTDISTANCEFACTOR = 1.0f;
constexpr D3DVALUE DS3D_MINROLLOFFFACTOR = 0.0f;
constexpr D3DVALUE DS3D_MAXROLLOFFFACTOR = 10.0f;
constexpr D3DVALUE DS3D_DEFAULTROLLOFFFACTOR = 1.0f;
constexpr D3DVALUE DS3D_MINDOPPLERFACTOR = 0.0f;
constexpr D3DVALUE DS3D_MAXDOPPLERFACTOR = 10.0f;
constexpr D3DVALUE DS3D_DEFAULTDOPPLERFACTOR = 1.0f;
constexpr D3DVALUE DS3D_DEFAULTMINDISTANCE = 1.0f;
constexpr D3DVALUE DS3D_DEFAULTMAXDISTANCE = 1000000000.0f;
constexpr DWORD DS3D_MINCONEANGLE = 0;
constexpr DWORD DS3D_MAXCONEANGLE = 360;
constexpr DWORD DS3D_DEFAULTCONEANGLE = 360;
constexpr LONG DS3D_DEFAULTCONEOUTSIDEVOLUME = DSBVOLUME_MAX;

// --- structures ----------------------------------------------------------------------------------
struct DSCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwMinSecondarySampleRate;
  DWORD dwMaxSecondarySampleRate;
  DWORD dwPrimaryBuffers;
  DWORD dwMaxHwMixingAllBuffers;
  DWORD dwMaxHwMixingStaticBuffers;
  DWORD dwMaxHwMixingStreamingBuffers;
  DWORD dwFreeHwMixingAllBuffers;
  DWORD dwFreeHwMixingStaticBuffers;
  DWORD dwFreeHwMixingStreamingBuffers;
  DWORD dwMaxHw3DAllBuffers;
  DWORD dwMaxHw3DStaticBuffers;
  DWORD dwMaxHw3DStreamingBuffers;
  DWORD dwFreeHw3DAllBuffers;
  DWORD dwFreeHw3DStaticBuffers;
  DWORD dwFreeHw3DStreamingBuffers;
  DWORD dwTotalHwMemBytes;
  DWORD dwFreeHwMemBytes;
  DWORD dwMaxContigFreeHwMemBytes;
  DWORD dwUnlockTransferRateHwBuffers;
  DWORD dwPlayCpuOverheadSwBuffers;
  DWORD dwReserved1;
  DWORD dwReserved2;
};
using LPDSCAPS = DSCAPS*;
static_assert(sizeof(DSCAPS) == 96, "DSCAPS keeps its documented size");

struct DSBCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwUnlockTransferRate;
  DWORD dwPlayCpuOverhead;
};
using LPDSBCAPS = DSBCAPS*;
static_assert(sizeof(DSBCAPS) == 20, "DSBCAPS keeps its documented size");

// The DirectX 6 buffer description.
struct DSBUFFERDESC1 {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;  // 0 for the primary buffer
  DWORD dwReserved;     // must be 0
  LPWAVEFORMATEX lpwfxFormat;  // null for the primary buffer
};
using LPDSBUFFERDESC1 = DSBUFFERDESC1*;
using LPCDSBUFFERDESC1 = const DSBUFFERDESC1*;

struct DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  LPWAVEFORMATEX lpwfxFormat;
  GUID guid3DAlgorithm;  // GUID_NULL (DS3DALG_DEFAULT) unless DSBCAPS_CTRL3D
};
using LPDSBUFFERDESC = DSBUFFERDESC*;
using LPCDSBUFFERDESC = const DSBUFFERDESC*;
static_assert(offsetof(DSBUFFERDESC, lpwfxFormat) == offsetof(DSBUFFERDESC1, lpwfxFormat),
              "the two descriptions share their first members");

// Their sizes on a 32-bit system, which callers ported from one may pass.
constexpr DWORD kDsBufferDesc1Size32 = 20;
constexpr DWORD kDsBufferDescSize32 = 36;

struct DS3DBUFFER {
  DWORD dwSize;
  D3DVECTOR vPosition;
  D3DVECTOR vVelocity;
  DWORD dwInsideConeAngle;   // degrees
  DWORD dwOutsideConeAngle;  // degrees
  D3DVECTOR vConeOrientation;
  LONG lConeOutsideVolume;   // hundredths of a decibel
  D3DVALUE flMinDistance;
  D3DVALUE flMaxDistance;
  DWORD dwMode;
};
using LPDS3DBUFFER = DS3DBUFFER*;
using LPCDS3DBUFFER = const DS3DBUFFER*;
static_assert(sizeof(DS3DBUFFER) == 64, "DS3DBUFFER is a 64-byte record");

struct DS3DLISTENER {
  DWORD dwSize;
  D3DVECTOR vPosition;
  D3DVECTOR vVelocity;
  D3DVECTOR vOrientFront;
  D3DVECTOR vOrientTop;
  D3DVALUE flDistanceFactor;  // metres per vector unit
  D3DVALUE flRolloffFactor;
  D3DVALUE flDopplerFactor;
};
using LPDS3DLISTENER = DS3DLISTENER*;
using LPCDS3DLISTENER = const DS3DLISTENER*;
static_assert(sizeof(DS3DLISTENER) == 64, "DS3DLISTENER is a 64-byte record");

struct DSBPOSITIONNOTIFY {
  DWORD dwOffset;  // bytes from the buffer's start, or DSBPN_OFFSETSTOP
  HANDLE hEventNotify;
};
using LPDSBPOSITIONNOTIFY = DSBPOSITIONNOTIFY*;
using LPCDSBPOSITIONNOTIFY = const DSBPOSITIONNOTIFY*;
