// The DirectSound entry point and interface identifiers.
#include <new>

#include "platform/dsound.h"
#include "platform/dsound/dsound_mixer.h"
#include "platform/dsound/dsound_object.h"
#include "platform/faults.h"

const IID IID_IDirectSound = {0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSoundBuffer = {0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSound3DListener = {0x279AFA84, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSound3DBuffer = {0x279AFA86, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSoundNotify = {0xB0210783, 0x89CD, 0x11D0, {0xAF, 0x08, 0x00, 0xA0, 0xC9, 0x25, 0xCD, 0x16}};
const GUID DSDEVID_DefaultPlayback = {0xDEF00000, 0x9C6D, 0x47ED, {0xAA, 0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};
const GUID DSDEVID_DefaultVoicePlayback = {0xDEF00002, 0x9C6D, 0x47ED,
                                           {0xAA, 0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};

HRESULT WINAPI DirectSoundCreate(LPCGUID pcGuidDevice, LPDIRECTSOUND* ppDS, LPUNKNOWN pUnkOuter) {
  if (ppDS) *ppDS = nullptr;
  if (const HRESULT fault = platform::TakeFault("DirectSoundCreate")) return fault;
  if (!ppDS) return DSERR_INVALIDPARAM;
  if (pUnkOuter) return DSERR_NOAGGREGATION;
  // One output device exists: the back end's.
  if (pcGuidDevice && !(*pcGuidDevice == GUID_NULL) && !(*pcGuidDevice == DSDEVID_DefaultPlayback) &&
      !(*pcGuidDevice == DSDEVID_DefaultVoicePlayback))
    return DSERR_NODRIVER;
  platform::dsound::Mixer& mixer = platform::dsound::Mixer::Instance();
  if (!mixer.Attach()) return DSERR_NODRIVER;
  auto* object = new (std::nothrow) platform::dsound::DirectSound();
  if (!object) {
    mixer.Detach();
    return DSERR_OUTOFMEMORY;
  }
  *ppDS = object;
  return DS_OK;
}
