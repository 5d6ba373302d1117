// DirectSound in software: a mixer the back end pulls from.
//
// Code written against DirectSound compiles against this header unchanged:
// the interfaces, functions, structures, flags and result codes keep their
// documented names and values (see platform/dsound/dsound_types.h).
//
// Behaviour callers may rely on:
//
// * Arguments first. Out-parameters are cleared before anything else, then an
//   injected fault named "Interface::Method" (platform/faults.h) is returned,
//   then the arguments are checked. Records with a dwSize must carry their
//   exact size (buffer descriptions: see dsound_types.h).
// * The device. DirectSoundCreate opens the back end's audio output (44100 Hz,
//   16-bit stereo) for the first DirectSound object and closes it when the last
//   one is freed; with no output device it fails with DSERR_NODRIVER. The
//   driver is emulated (DSCAPS_EMULDRIVER), so, as documented for emulated
//   drivers, DSSCL_WRITEPRIMARY is refused (DSERR_UNSUPPORTED) and the primary
//   buffer cannot be locked (DSERR_PRIOLEVELNEEDED). Nothing is ever lost:
//   buffers live in system memory and no write-primary program can take them,
//   so Restore always succeeds.
// * Mixing. Playing secondary buffers of every object whose cooperative level
//   is set are mixed into the output, each resampled from its frequency to the
//   device's rate by linear interpolation, scaled by its volume and pan and by
//   its object's primary-buffer volume and pan (hundredths of a decibel; -10000
//   is silence), summed and clipped to 16 bits. A positive pan turns the left
//   side down, a negative one the right. Play positions move with the audio
//   mixed; a buffer played once stops at its end with its position back at 0.
//   Mixing allocates nothing and is safe on a thread of the back end's own:
//   it holds the lock every call takes only to copy out what it needs and to
//   put the new play positions back, and mixes in between. The memory Lock
//   hands out is the writer's: what Unlock is given becomes audible at
//   Unlock (as with a buffer whose data is transferred on Unlock), so the
//   mixer never reads memory a caller may still be writing. The mixer never
//   throws: a failure inside it gives silence.
// * The primary buffer stands for the output. Its format (22050 Hz, 8-bit
//   stereo until SetFormat at DSSCL_PRIORITY or above) is kept and reported;
//   the output keeps the device's format. Its volume and pan, with
//   DSBCAPS_CTRLVOLUME and DSBCAPS_CTRLPAN, apply to all of its object's sound.
// * Duplicates share the original's sample memory (kept alive by whichever
//   buffer is freed last) and start with its frequency, volume, pan and 3D
//   parameters, stopped at position 0; each then plays on its own.
// * 3D. Buffers made with DSBCAPS_CTRL3D (mono, without DSBCAPS_CTRLPAN) give
//   IDirectSound3DBuffer; a primary made with it gives IDirectSound3DListener.
//   Parameters are validated and stored; DS3D_DEFERRED ones wait for the
//   listener's CommitDeferredSettings. The mixer applies distance attenuation
//   (full up to the minimum distance, then minimum / (minimum + rolloff x
//   (distance - minimum)), held beyond the maximum distance or silent there
//   with DSBCAPS_MUTE3DATMAXDISTANCE), the sound cone (full inside the inside
//   cone, the outside volume beyond the outside cone, evenly in decibels in
//   between) and a pan from where the source lies across the listener's
//   right-hand side. Velocities and the Doppler factor are kept but change
//   no pitch; DS3DMODE_DISABLE plays the buffer as it is.
// * Voices. Every buffer plays in software. A DSBCAPS_LOCDEFER buffer is
//   placed when played: DSBPLAY_LOCSOFTWARE or no location flag plays it in
//   software, and while it plays GetStatus reports DSBSTATUS_LOCSOFTWARE;
//   DSBPLAY_LOCHARDWARE fails with DSERR_INVALIDCALL (no hardware voices
//   exist, so no voice-management flag can free one). DSBSTATUS_LOCHARDWARE
//   and DSBSTATUS_TERMINATED are never reported.
// * Notifications. Buffers made with DSBCAPS_CTRLPOSITIONNOTIFY give
//   IDirectSoundNotify. SetNotificationPositions takes event handles made by
//   CreateEventA (platform/events.h) at byte offsets inside the buffer, and
//   DSBPN_OFFSETSTOP as the last item; it refuses a playing buffer
//   (DSERR_INVALIDPARAM). An offset's event is signalled when mixing moves the
//   play cursor onto or past it; DSBPN_OFFSETSTOP's when Stop stops a playing
//   buffer or a buffer played once reaches its end. Events are signalled from
//   the thread that mixes. DSBCAPS_CTRLFX is refused (DSERR_CONTROLUNAVAIL):
//   no effects exist.
// * Focus does not mute anything: every buffer stays audible whatever window
//   is active, as DSBCAPS_GLOBALFOCUS asks (the back end gives no safe way to
//   follow the focus from the thread that mixes). The focus flags are kept and
//   reported.
// * Reference counts. Every object starts at 1. A buffer holds a reference on
//   its DirectSound object, so the object's final Release returns 0 only once
//   its buffers are gone. A 3D or notification interface has a count of its
//   own and holds its buffer while it lives; QueryInterface for it returns the
//   same interface each time it is alive.
// * Only buffers made here may be passed to these calls.
#pragma once

#include "platform/dsound/dsound_types.h"

struct IDirectSoundBuffer : IUnknown {
  virtual HRESULT GetCaps(LPDSBCAPS pDSBufferCaps) = 0;
  virtual HRESULT GetCurrentPosition(LPDWORD pdwCurrentPlayCursor, LPDWORD pdwCurrentWriteCursor) = 0;
  virtual HRESULT GetFormat(LPWAVEFORMATEX pwfxFormat, DWORD dwSizeAllocated, LPDWORD pdwSizeWritten) = 0;
  virtual HRESULT GetVolume(LPLONG plVolume) = 0;
  virtual HRESULT GetPan(LPLONG plPan) = 0;
  virtual HRESULT GetFrequency(LPDWORD pdwFrequency) = 0;
  virtual HRESULT GetStatus(LPDWORD pdwStatus) = 0;
  virtual HRESULT Initialize(LPDIRECTSOUND pDirectSound, LPCDSBUFFERDESC pcDSBufferDesc) = 0;
  virtual HRESULT Lock(DWORD dwOffset, DWORD dwBytes, LPVOID* ppvAudioPtr1, LPDWORD pdwAudioBytes1,
                       LPVOID* ppvAudioPtr2, LPDWORD pdwAudioBytes2, DWORD dwFlags) = 0;
  virtual HRESULT Play(DWORD dwReserved1, DWORD dwPriority, DWORD dwFlags) = 0;
  virtual HRESULT SetCurrentPosition(DWORD dwNewPosition) = 0;
  virtual HRESULT SetFormat(LPCWAVEFORMATEX pcfxFormat) = 0;
  virtual HRESULT SetVolume(LONG lVolume) = 0;
  virtual HRESULT SetPan(LONG lPan) = 0;
  virtual HRESULT SetFrequency(DWORD dwFrequency) = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT Unlock(LPVOID pvAudioPtr1, DWORD dwAudioBytes1, LPVOID pvAudioPtr2, DWORD dwAudioBytes2) = 0;
  virtual HRESULT Restore() = 0;
};

struct IDirectSound : IUnknown {
  virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC pcDSBufferDesc, LPDIRECTSOUNDBUFFER* ppDSBuffer,
                                    LPUNKNOWN pUnkOuter) = 0;
  virtual HRESULT GetCaps(LPDSCAPS pDSCaps) = 0;
  virtual HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER pDSBufferOriginal,
                                       LPDIRECTSOUNDBUFFER* ppDSBufferDuplicate) = 0;
  virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwLevel) = 0;
  virtual HRESULT Compact() = 0;
  virtual HRESULT GetSpeakerConfig(LPDWORD pdwSpeakerConfig) = 0;
  virtual HRESULT SetSpeakerConfig(DWORD dwSpeakerConfig) = 0;
  virtual HRESULT Initialize(LPCGUID pcGuidDevice) = 0;
};

struct IDirectSoundNotify : IUnknown {
  virtual HRESULT SetNotificationPositions(DWORD dwPositionNotifies, LPCDSBPOSITIONNOTIFY pcPositionNotifies) = 0;
};

struct IDirectSound3DListener : IUnknown {
  virtual HRESULT GetAllParameters(LPDS3DLISTENER pListener) = 0;
  virtual HRESULT GetDistanceFactor(D3DVALUE* pflDistanceFactor) = 0;
  virtual HRESULT GetDopplerFactor(D3DVALUE* pflDopplerFactor) = 0;
  virtual HRESULT GetOrientation(D3DVECTOR* pvOrientFront, D3DVECTOR* pvOrientTop) = 0;
  virtual HRESULT GetPosition(D3DVECTOR* pvPosition) = 0;
  virtual HRESULT GetRolloffFactor(D3DVALUE* pflRolloffFactor) = 0;
  virtual HRESULT GetVelocity(D3DVECTOR* pvVelocity) = 0;
  virtual HRESULT SetAllParameters(LPCDS3DLISTENER pcListener, DWORD dwApply) = 0;
  virtual HRESULT SetDistanceFactor(D3DVALUE flDistanceFactor, DWORD dwApply) = 0;
  virtual HRESULT SetDopplerFactor(D3DVALUE flDopplerFactor, DWORD dwApply) = 0;
  virtual HRESULT SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop, D3DVALUE yTop,
                                 D3DVALUE zTop, DWORD dwApply) = 0;
  virtual HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) = 0;
  virtual HRESULT SetRolloffFactor(D3DVALUE flRolloffFactor, DWORD dwApply) = 0;
  virtual HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) = 0;
  virtual HRESULT CommitDeferredSettings() = 0;
};

struct IDirectSound3DBuffer : IUnknown {
  virtual HRESULT GetAllParameters(LPDS3DBUFFER pDs3dBuffer) = 0;
  virtual HRESULT GetConeAngles(LPDWORD pdwInsideConeAngle, LPDWORD pdwOutsideConeAngle) = 0;
  virtual HRESULT GetConeOrientation(D3DVECTOR* pvOrientation) = 0;
  virtual HRESULT GetConeOutsideVolume(LPLONG plConeOutsideVolume) = 0;
  virtual HRESULT GetMaxDistance(D3DVALUE* pflMaxDistance) = 0;
  virtual HRESULT GetMinDistance(D3DVALUE* pflMinDistance) = 0;
  virtual HRESULT GetMode(LPDWORD pdwMode) = 0;
  virtual HRESULT GetPosition(D3DVECTOR* pvPosition) = 0;
  virtual HRESULT GetVelocity(D3DVECTOR* pvVelocity) = 0;
  virtual HRESULT SetAllParameters(LPCDS3DBUFFER pcDs3dBuffer, DWORD dwApply) = 0;
  virtual HRESULT SetConeAngles(DWORD dwInsideConeAngle, DWORD dwOutsideConeAngle, DWORD dwApply) = 0;
  virtual HRESULT SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) = 0;
  virtual HRESULT SetConeOutsideVolume(LONG lConeOutsideVolume, DWORD dwApply) = 0;
  virtual HRESULT SetMaxDistance(D3DVALUE flMaxDistance, DWORD dwApply) = 0;
  virtual HRESULT SetMinDistance(D3DVALUE flMinDistance, DWORD dwApply) = 0;
  virtual HRESULT SetMode(DWORD dwMode, DWORD dwApply) = 0;
  virtual HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) = 0;
  virtual HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) = 0;
};

// Makes a DirectSound object for the default output (pcGuidDevice null,
// DSDEVID_DefaultPlayback or DSDEVID_DefaultVoicePlayback; any other device
// is DSERR_NODRIVER, as is a back end without an output device).
HRESULT WINAPI DirectSoundCreate(LPCGUID pcGuidDevice, LPDIRECTSOUND* ppDS, LPUNKNOWN pUnkOuter);
