#include "platform/dsound/dsound_object.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "platform/dsound/dsound_3d.h"
#include "platform/dsound/dsound_buffer.h"
#include "platform/dsound/dsound_mixer.h"
#include "platform/faults.h"
#include "platform/window_registry.h"

namespace platform::dsound {

namespace {

using Guard = std::lock_guard<std::mutex>;

// The primary buffer's format until SetFormat, as documented.
WAVEFORMATEX DefaultPrimaryFormat() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 22050;
  format.wBitsPerSample = 8;
  format.nBlockAlign = 2;
  format.nAvgBytesPerSec = 44100;
  return format;
}

// The two description forms by their size: this ABI's or the documented
// 32-bit one. Returns how many bytes the caller's record holds, or 0.
size_t DescriptionSize(DWORD dwSize) {
  if (dwSize == sizeof(DSBUFFERDESC1) || dwSize == kDsBufferDesc1Size32) return sizeof(DSBUFFERDESC1);
  if (dwSize == sizeof(DSBUFFERDESC) || dwSize == kDsBufferDescSize32) return sizeof(DSBUFFERDESC);
  return 0;
}

HRESULT CheckPrimaryFlags(DWORD flags) {
  constexpr DWORD kAllowed = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN |
                             DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2 |
                             DSBCAPS_LOCSOFTWARE | DSBCAPS_LOCHARDWARE;
  if (flags & ~kAllowed) return DSERR_INVALIDPARAM;
  if ((flags & DSBCAPS_LOCHARDWARE) && (flags & DSBCAPS_LOCSOFTWARE)) return DSERR_INVALIDPARAM;
  if (flags & DSBCAPS_LOCHARDWARE) return DSERR_CONTROLUNAVAIL;
  return DS_OK;
}

HRESULT CheckSecondaryFlags(DWORD flags, const WAVEFORMATEX& format) {
  constexpr DWORD kKnown = DSBCAPS_STATIC | DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRL3D |
                           DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                           DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_CTRLFX | DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS |
                           DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_MUTE3DATMAXDISTANCE | DSBCAPS_LOCDEFER;
  if (flags & ~kKnown) return DSERR_INVALIDPARAM;
  const DWORD location = flags & (DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE | DSBCAPS_LOCDEFER);
  if (location & (location - 1)) return DSERR_INVALIDPARAM;  // at most one place
  if (flags & DSBCAPS_LOCHARDWARE) return DSERR_CONTROLUNAVAIL;
  // No effects interface exists here.
  if (flags & DSBCAPS_CTRLFX) return DSERR_CONTROLUNAVAIL;
  if ((flags & DSBCAPS_CTRL3D) && ((flags & DSBCAPS_CTRLPAN) || format.nChannels != 1)) return DSERR_INVALIDPARAM;
  return DS_OK;
}

}  // namespace

DirectSound::DirectSound()
    : primaryFormat_(DefaultPrimaryFormat()), listener_(DefaultListener()), deferredListener_(DefaultListener()) {}

DirectSound::~DirectSound() { Mixer::Instance().Detach(); }

HRESULT DirectSound::QueryInterface(REFIID riid, void** object) {
  if (object) *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirectSound::QueryInterface")) return fault;
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirectSound) {
    AddRef();
    *object = static_cast<IDirectSound*>(this);
    return DS_OK;
  }
  return E_NOINTERFACE;
}

HRESULT DirectSound::CreateSoundBuffer(LPCDSBUFFERDESC pcDSBufferDesc, LPDIRECTSOUNDBUFFER* ppDSBuffer,
                                       LPUNKNOWN pUnkOuter) {
  if (ppDSBuffer) *ppDSBuffer = nullptr;
  if (const HRESULT fault = TakeFault("IDirectSound::CreateSoundBuffer")) return fault;
  if (!pcDSBufferDesc || !ppDSBuffer) return DSERR_INVALIDPARAM;
  if (pUnkOuter) return DSERR_NOAGGREGATION;
  // Read no more than the caller's form of the description holds.
  DSBUFFERDESC desc{};
  std::memcpy(&desc.dwSize, pcDSBufferDesc, sizeof desc.dwSize);
  const size_t size = DescriptionSize(desc.dwSize);
  if (size == 0) return DSERR_INVALIDPARAM;
  std::memcpy(&desc, pcDSBufferDesc, size);
  if (desc.dwReserved != 0) return DSERR_INVALIDPARAM;

  if (desc.dwFlags & DSBCAPS_PRIMARYBUFFER) {
    if (desc.dwBufferBytes != 0 || desc.lpwfxFormat || !(desc.guid3DAlgorithm == GUID_NULL))
      return DSERR_INVALIDPARAM;
    if (const HRESULT bad = CheckPrimaryFlags(desc.dwFlags)) return bad;
    auto* primary = new (std::nothrow) SoundBuffer(this, desc.dwFlags, primaryFormat_, nullptr);
    if (!primary) return DSERR_OUTOFMEMORY;
    *ppDSBuffer = primary;
    return DS_OK;
  }

  if (!desc.lpwfxFormat) return DSERR_INVALIDPARAM;
  WAVEFORMATEX format;
  std::memcpy(&format, desc.lpwfxFormat, sizeof format);
  if (const HRESULT bad = CheckPcmFormat(&format)) return bad;
  format.cbSize = 0;
  if (desc.dwBufferBytes < DSBSIZE_MIN || desc.dwBufferBytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
  if (const HRESULT bad = CheckSecondaryFlags(desc.dwFlags, format)) return bad;
  // Any 3D algorithm is heard through the one panning model; other buffers
  // have none to name.
  if (!(desc.dwFlags & DSBCAPS_CTRL3D) && !(desc.guid3DAlgorithm == GUID_NULL)) return DSERR_INVALIDPARAM;

  auto* memory = new (std::nothrow) SampleMemory(desc.dwBufferBytes);
  if (!memory || !memory->bytes()) {
    delete memory;
    return DSERR_OUTOFMEMORY;
  }
  const std::shared_ptr<SampleMemory> samples(memory);
  auto* buffer = new (std::nothrow) SoundBuffer(this, desc.dwFlags, format, samples);
  if (!buffer) return DSERR_OUTOFMEMORY;
  *ppDSBuffer = buffer;
  return DS_OK;
}

HRESULT DirectSound::GetCaps(LPDSCAPS pDSCaps) {
  if (const HRESULT fault = TakeFault("IDirectSound::GetCaps")) return fault;
  if (!pDSCaps || pDSCaps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
  DSCAPS caps{};
  caps.dwSize = sizeof caps;
  caps.dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                 DSCAPS_CONTINUOUSRATE | DSCAPS_EMULDRIVER | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO |
                 DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
  caps.dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
  caps.dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
  caps.dwPrimaryBuffers = 1;
  *pDSCaps = caps;  // every hardware count and memory size is 0: all mixing is in software
  return DS_OK;
}

HRESULT DirectSound::DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER pDSBufferOriginal,
                                          LPDIRECTSOUNDBUFFER* ppDSBufferDuplicate) {
  if (ppDSBufferDuplicate) *ppDSBufferDuplicate = nullptr;
  if (const HRESULT fault = TakeFault("IDirectSound::DuplicateSoundBuffer")) return fault;
  if (!pDSBufferOriginal || !ppDSBufferDuplicate) return DSERR_INVALIDPARAM;
  auto* original = dynamic_cast<SoundBuffer*>(pDSBufferOriginal);
  if (!original) return DSERR_INVALIDPARAM;
  if (original->Primary()) return DSERR_INVALIDCALL;
  SoundBuffer* copy = original->Duplicate(this);
  if (!copy) return DSERR_OUTOFMEMORY;
  *ppDSBufferDuplicate = copy;
  return DS_OK;
}

HRESULT DirectSound::SetCooperativeLevel(HWND hwnd, DWORD dwLevel) {
  if (const HRESULT fault = TakeFault("IDirectSound::SetCooperativeLevel")) return fault;
  if (!hwnd || !IsWindow(hwnd)) return DSERR_INVALIDPARAM;
  if (dwLevel == DSSCL_WRITEPRIMARY) return DSERR_UNSUPPORTED;  // not on an emulated driver
  if (dwLevel != DSSCL_NORMAL && dwLevel != DSSCL_PRIORITY && dwLevel != DSSCL_EXCLUSIVE) return DSERR_INVALIDPARAM;
  Guard guard(Mixer::Instance().Mutex());
  window_ = hwnd;
  level_ = dwLevel;
  return DS_OK;
}

HRESULT DirectSound::Compact() {
  if (const HRESULT fault = TakeFault("IDirectSound::Compact")) return fault;
  if (level_ < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
  return DS_OK;  // system memory needs no compacting
}

HRESULT DirectSound::GetSpeakerConfig(LPDWORD pdwSpeakerConfig) {
  if (pdwSpeakerConfig) *pdwSpeakerConfig = 0;
  if (const HRESULT fault = TakeFault("IDirectSound::GetSpeakerConfig")) return fault;
  if (!pdwSpeakerConfig) return DSERR_INVALIDPARAM;
  *pdwSpeakerConfig = speakerConfig_;
  return DS_OK;
}

HRESULT DirectSound::SetSpeakerConfig(DWORD dwSpeakerConfig) {
  if (const HRESULT fault = TakeFault("IDirectSound::SetSpeakerConfig")) return fault;
  const DWORD config = DSSPEAKER_CONFIG(dwSpeakerConfig);
  const DWORD geometry = DSSPEAKER_GEOMETRY(dwSpeakerConfig);
  if (config < DSSPEAKER_HEADPHONE || config > DSSPEAKER_7POINT1) return DSERR_INVALIDPARAM;
  if (dwSpeakerConfig & 0xFF00FF00u) return DSERR_INVALIDPARAM;
  if (geometry != 0 && (config != DSSPEAKER_STEREO || geometry < DSSPEAKER_GEOMETRY_MIN ||
                        geometry > DSSPEAKER_GEOMETRY_MAX))
    return DSERR_INVALIDPARAM;
  // Kept and reported; the output is stereo whatever the speakers are.
  speakerConfig_ = dwSpeakerConfig;
  return DS_OK;
}

HRESULT DirectSound::Initialize(LPCGUID) {
  if (const HRESULT fault = TakeFault("IDirectSound::Initialize")) return fault;
  return DSERR_ALREADYINITIALIZED;
}

void DirectSound::SetMaster(LONG volume, LONG pan) {
  masterVolume_ = volume;
  masterPan_ = pan;
  UpdateAllGains();
}

bool DirectSound::AnyBufferPlaying() const {
  for (SoundBuffer* b = Mixer::Instance().First(); b; b = b->next)
    if (b->Owner() == this && b->Playing()) return true;
  return false;
}

void DirectSound::UpdateAllGains() {
  for (SoundBuffer* b = Mixer::Instance().First(); b; b = b->next)
    if (b->Owner() == this) b->UpdateGains();
}

void DirectSound::DeferListener(const DS3DLISTENER& params) {
  deferredListener_ = params;
  listenerPending_ = true;
}

void DirectSound::ApplyListener(const DS3DLISTENER& params) {
  listener_ = params;
  Guard guard(Mixer::Instance().Mutex());
  UpdateAllGains();
}

void DirectSound::CommitDeferred() {
  if (listenerPending_) {
    listenerPending_ = false;
    listener_ = deferredListener_;
  }
  Guard guard(Mixer::Instance().Mutex());
  for (SoundBuffer* b = Mixer::Instance().First(); b; b = b->next)
    if (b->Owner() == this) b->CommitDeferred3D();
  UpdateAllGains();
}

}  // namespace platform::dsound
