#include "platform/dsound/dsound_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/dsound/dsound_3d.h"
#include "platform/dsound/dsound_mixer.h"
#include "platform/dsound/dsound_notify.h"
#include "platform/dsound/dsound_object.h"
#include "platform/faults.h"

namespace platform::dsound {

namespace {

using Guard = std::lock_guard<std::mutex>;

// The primary buffer reports a tenth of a second of its format.
constexpr DWORD kPrimaryDivisor = 10;
// How far ahead of the play cursor a playing buffer's write cursor runs.
constexpr DWORD kWriteAheadDivisor = 100;

std::mutex& MixerMutex() { return Mixer::Instance().Mutex(); }

template <int Bits>
std::int32_t Sample(const std::uint8_t* data, std::uint32_t index) {
  if constexpr (Bits == 8) {
    return (static_cast<std::int32_t>(data[index]) - 128) * 256;
  } else {
    std::int16_t s;
    std::memcpy(&s, data + static_cast<size_t>(index) * 2, sizeof s);
    return s;
  }
}

// Adds up to FRAMES output frames from DATA (COUNT frames of CHANNELS
// channels) starting at POSITION, stepping STEP each. Returns false when a
// buffer played once ran out (POSITION is then 0).
template <int Bits, int Channels>
bool MixFrames(const std::uint8_t* data, std::uint32_t count, std::uint64_t& position, std::uint64_t step,
               bool looping, std::int32_t gainLeft, std::int32_t gainRight, std::int32_t* out, std::uint32_t frames) {
  const std::uint64_t end = static_cast<std::uint64_t>(count) << 32;
  for (std::uint32_t i = 0; i < frames; ++i) {
    const auto index = static_cast<std::uint32_t>(position >> 32);
    // 15 bits of fraction keep the interpolation product within 32 bits.
    const auto fraction = static_cast<std::int32_t>((position >> 17) & 0x7FFF);
    std::uint32_t nextIndex = index + 1;
    if (nextIndex >= count) nextIndex = looping ? 0 : index;
    std::int32_t left, right;
    if constexpr (Channels == 1) {
      const std::int32_t a = Sample<Bits>(data, index);
      const std::int32_t b = Sample<Bits>(data, nextIndex);
      left = right = a + (((b - a) * fraction) >> 15);
    } else {
      const std::int32_t al = Sample<Bits>(data, index * 2), ar = Sample<Bits>(data, index * 2 + 1);
      const std::int32_t bl = Sample<Bits>(data, nextIndex * 2), br = Sample<Bits>(data, nextIndex * 2 + 1);
      left = al + (((bl - al) * fraction) >> 15);
      right = ar + (((br - ar) * fraction) >> 15);
    }
    out[2 * i] += (left * gainLeft) >> 16;
    out[2 * i + 1] += (right * gainRight) >> 16;
    position += step;
    if (position >= end) {
      if (!looping) {
        position = 0;
        return false;
      }
      position %= end;
    }
  }
  return true;
}

// An interface made on demand for BUFFER: one at a time, handed out again
// while it lives. QueryInterface knows no "out of memory": an interface that
// cannot be made is not there.
template <typename Interface, typename Object>
HRESULT ShareInterface(Object*& cached, SoundBuffer* buffer, void** object) {
  if (cached) {
    cached->AddRef();
  } else {
    cached = new (std::nothrow) Object(buffer);
    if (!cached) return E_NOINTERFACE;
  }
  *object = static_cast<Interface*>(cached);
  return DS_OK;
}

}  // namespace

SampleMemory::SampleMemory(DWORD size)
    : bytes_(static_cast<std::uint8_t*>(std::calloc(size, 1))),
      mixed_(static_cast<std::uint8_t*>(std::calloc(size, 1))),
      size_(size) {
  if (bytes_ && mixed_) return;
  std::free(bytes_);
  std::free(mixed_);
  bytes_ = mixed_ = nullptr;
}

SampleMemory::~SampleMemory() {
  std::free(bytes_);
  std::free(mixed_);
}

void SampleMemory::Commit(DWORD offset, DWORD count) {
  std::lock_guard<std::mutex> guard(mutex_);
  std::memcpy(mixed_ + offset, bytes_ + offset, count);
}

HRESULT CheckPcmFormat(const WAVEFORMATEX* format) {
  if (!format) return DSERR_INVALIDPARAM;
  if (format->wFormatTag != WAVE_FORMAT_PCM) return DSERR_BADFORMAT;
  if (format->nChannels != 1 && format->nChannels != 2) return DSERR_BADFORMAT;
  if (format->wBitsPerSample != 8 && format->wBitsPerSample != 16) return DSERR_BADFORMAT;
  if (format->nBlockAlign != format->nChannels * format->wBitsPerSample / 8) return DSERR_BADFORMAT;
  if (format->nSamplesPerSec < DSBFREQUENCY_MIN || format->nSamplesPerSec > DSBFREQUENCY_MAX) return DSERR_BADFORMAT;
  return DS_OK;
}

SoundBuffer::SoundBuffer(DirectSound* owner, DWORD flags, const WAVEFORMATEX& format,
                         std::shared_ptr<SampleMemory> samples)
    : owner_(owner),
      flags_(flags),
      format_(format),
      samples_(std::move(samples)),
      frequency_(format.nSamplesPerSec),
      params3D_(DefaultBuffer3D()),
      deferred3D_(DefaultBuffer3D()) {
  owner_->AddRef();
  Guard guard(MixerMutex());
  UpdateGains();
  Mixer::Instance().Link(this);
}

SoundBuffer::~SoundBuffer() {
  {
    Guard guard(MixerMutex());
    Mixer::Instance().Unlink(this);
  }
  // A pass that copied this buffer out before the unlink may still mix it.
  Mixer::Instance().WaitForPass();
  owner_->Release();
}

SoundBuffer* SoundBuffer::Duplicate(DirectSound* owner) const {
  auto* copy = new (std::nothrow) SoundBuffer(owner, flags_, format_, samples_);
  if (!copy) return nullptr;
  copy->params3D_ = params3D_;
  copy->deferred3D_ = params3D_;
  Guard guard(MixerMutex());
  copy->frequency_ = frequency_;
  copy->volume_ = volume_;
  copy->pan_ = pan_;
  copy->UpdateGains();
  return copy;
}

HRESULT SoundBuffer::QueryInterface(REFIID riid, void** object) {
  if (object) *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::QueryInterface")) return fault;
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer) {
    AddRef();
    *object = static_cast<IDirectSoundBuffer*>(this);
    return DS_OK;
  }
  if ((flags_ & DSBCAPS_CTRL3D) && !Primary() && riid == IID_IDirectSound3DBuffer)
    return ShareInterface<IDirectSound3DBuffer>(buffer3D_, this, object);
  if ((flags_ & DSBCAPS_CTRL3D) && Primary() && riid == IID_IDirectSound3DListener)
    return ShareInterface<IDirectSound3DListener>(listener_, this, object);
  if ((flags_ & DSBCAPS_CTRLPOSITIONNOTIFY) && riid == IID_IDirectSoundNotify)
    return ShareInterface<IDirectSoundNotify>(notify_, this, object);
  return E_NOINTERFACE;
}

HRESULT SoundBuffer::GetCaps(LPDSBCAPS pDSBufferCaps) {
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::GetCaps")) return fault;
  if (!pDSBufferCaps || pDSBufferCaps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
  pDSBufferCaps->dwFlags = flags_ | DSBCAPS_LOCSOFTWARE;
  pDSBufferCaps->dwBufferBytes = Primary() ? PrimaryBytes() : samples_->size();
  pDSBufferCaps->dwUnlockTransferRate = 0;  // system memory: nothing to transfer
  pDSBufferCaps->dwPlayCpuOverhead = 0;
  return DS_OK;
}

std::uint32_t SoundBuffer::Frames() const { return samples_->size() / format_.nBlockAlign; }

DWORD SoundBuffer::PrimaryBytes() const {
  const WAVEFORMATEX& f = owner_->PrimaryFormat();
  return std::max<DWORD>(f.nSamplesPerSec / kPrimaryDivisor, 1) * f.nBlockAlign;
}

DWORD SoundBuffer::PlayCursor() const {
  if (Primary()) {
    const WAVEFORMATEX& f = owner_->PrimaryFormat();
    const Mixer& mixer = Mixer::Instance();
    const std::uint64_t frames = mixer.FramesMixed() * f.nSamplesPerSec / mixer.Rate();
    return static_cast<DWORD>(frames % (PrimaryBytes() / f.nBlockAlign)) * f.nBlockAlign;
  }
  return static_cast<DWORD>(position_ >> 32) * format_.nBlockAlign;
}

DWORD SoundBuffer::WriteCursor() const {
  const DWORD play = PlayCursor();
  if (!Primary() && !playing_) return play;
  const WAVEFORMATEX& f = Primary() ? owner_->PrimaryFormat() : format_;
  const DWORD rate = Primary() ? f.nSamplesPerSec : frequency_;
  const DWORD size = Primary() ? PrimaryBytes() : samples_->size() - samples_->size() % f.nBlockAlign;
  const DWORD ahead = std::max<DWORD>(rate / kWriteAheadDivisor, 1) * f.nBlockAlign;
  return static_cast<DWORD>((static_cast<std::uint64_t>(play) + ahead) % size);
}

HRESULT SoundBuffer::GetCurrentPosition(LPDWORD pdwCurrentPlayCursor, LPDWORD pdwCurrentWriteCursor) {
  if (pdwCurrentPlayCursor) *pdwCurrentPlayCursor = 0;
  if (pdwCurrentWriteCursor) *pdwCurrentWriteCursor = 0;
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::GetCurrentPosition")) return fault;
  if (!pdwCurrentPlayCursor && !pdwCurrentWriteCursor) return DSERR_INVALIDPARAM;
  Guard guard(MixerMutex());
  if (pdwCurrentPlayCursor) *pdwCurrentPlayCursor = PlayCursor();
  if (pdwCurrentWriteCursor) *pdwCurrentWriteCursor = WriteCursor();
  return DS_OK;
}

HRESULT SoundBuffer::GetFormat(LPWAVEFORMATEX pwfxFormat, DWORD dwSizeAllocated, LPDWORD pdwSizeWritten) {
  if (pdwSizeWritten) *pdwSizeWritten = 0;
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::GetFormat")) return fault;
  if (!pwfxFormat && !pdwSizeWritten) return DSERR_INVALIDPARAM;
  if (!pwfxFormat) {
    *pdwSizeWritten = sizeof(WAVEFORMATEX);
    return DS_OK;
  }
  if (dwSizeAllocated < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
  WAVEFORMATEX format = Primary() ? owner_->PrimaryFormat() : format_;
  format.cbSize = 0;
  std::memcpy(pwfxFormat, &format, sizeof format);
  if (pdwSizeWritten) *pdwSizeWritten = sizeof format;
  return DS_OK;
}

HRESULT SoundBuffer::GetVolume(LPLONG plVolume) {
  if (plVolume) *plVolume = 0;
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::GetVolume")) return fault;
  if (!plVolume) return DSERR_INVALIDPARAM;
  if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  *plVolume = Primary() ? owner_->MasterVolume() : volume_;
  return DS_OK;
}

HRESULT SoundBuffer::GetPan(LPLONG plPan) {
  if (plPan) *plPan = 0;
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::GetPan")) return fault;
  if (!plPan) return DSERR_INVALIDPARAM;
  if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
  *plPan = Primary() ? owner_->MasterPan() : pan_;
  return DS_OK;
}

HRESULT SoundBuffer::GetFrequency(LPDWORD pdwFrequency) {
  if (pdwFrequency) *pdwFrequency = 0;
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::GetFrequency")) return fault;
  if (!pdwFrequency) return DSERR_INVALIDPARAM;
  if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
  *pdwFrequency = frequency_;
  return DS_OK;
}

HRESULT SoundBuffer::GetStatus(LPDWORD pdwStatus) {
  if (pdwStatus) *pdwStatus = 0;
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::GetStatus")) return fault;
  if (!pdwStatus) return DSERR_INVALIDPARAM;
  Guard guard(MixerMutex());
  if (Primary()) {
    // The primary plays while asked to or while any of its object's
    // secondary buffers does, and always loops.
    if (owner_->PrimaryPlaying() || owner_->AnyBufferPlaying()) *pdwStatus = DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;
  } else if (playing_) {
    *pdwStatus = DSBSTATUS_PLAYING | (looping_ ? DSBSTATUS_LOOPING : 0);
    // A deferred buffer was placed when played, always in software.
    if (flags_ & DSBCAPS_LOCDEFER) *pdwStatus |= DSBSTATUS_LOCSOFTWARE;
  }
  return DS_OK;
}

HRESULT SoundBuffer::Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) {
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::Initialize")) return fault;
  return DSERR_ALREADYINITIALIZED;
}

HRESULT SoundBuffer::Lock(DWORD dwOffset, DWORD dwBytes, LPVOID* ppvAudioPtr1, LPDWORD pdwAudioBytes1,
                          LPVOID* ppvAudioPtr2, LPDWORD pdwAudioBytes2, DWORD dwFlags) {
  if (ppvAudioPtr1) *ppvAudioPtr1 = nullptr;
  if (pdwAudioBytes1) *pdwAudioBytes1 = 0;
  if (ppvAudioPtr2) *ppvAudioPtr2 = nullptr;
  if (pdwAudioBytes2) *pdwAudioBytes2 = 0;
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::Lock")) return fault;
  if (!ppvAudioPtr1 || !pdwAudioBytes1) return DSERR_INVALIDPARAM;
  if (dwFlags & ~(DSBLOCK_FROMWRITECURSOR | DSBLOCK_ENTIREBUFFER)) return DSERR_INVALIDPARAM;
  if (Primary()) return DSERR_PRIOLEVELNEEDED;  // only write-primary programs may, and none can here
  const DWORD size = samples_->size();
  if (dwFlags & DSBLOCK_ENTIREBUFFER) dwBytes = size;
  if (dwFlags & DSBLOCK_FROMWRITECURSOR) {
    Guard guard(MixerMutex());
    dwOffset = WriteCursor();
  }
  if (dwOffset >= size || dwBytes == 0 || dwBytes > size) return DSERR_INVALIDPARAM;
  const DWORD first = std::min(dwBytes, size - dwOffset);
  *ppvAudioPtr1 = samples_->bytes() + dwOffset;
  *pdwAudioBytes1 = first;
  // The part that wraps to the start is handed out only to a caller who
  // asked for a second region.
  if (ppvAudioPtr2 && dwBytes > first) {
    *ppvAudioPtr2 = samples_->bytes();
    if (pdwAudioBytes2) *pdwAudioBytes2 = dwBytes - first;
  }
  return DS_OK;
}

bool SoundBuffer::OwnsRegion(const void* pointer, DWORD bytes) const {
  const auto* p = static_cast<const std::uint8_t*>(pointer);
  const std::uint8_t* begin = samples_->bytes();
  const std::uint8_t* end = begin + samples_->size();
  return p >= begin && p < end && bytes <= static_cast<DWORD>(end - p);
}

HRESULT SoundBuffer::Unlock(LPVOID pvAudioPtr1, DWORD dwAudioBytes1, LPVOID pvAudioPtr2, DWORD dwAudioBytes2) {
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::Unlock")) return fault;
  if (Primary()) return DSERR_INVALIDCALL;
  if (!pvAudioPtr1 || !OwnsRegion(pvAudioPtr1, dwAudioBytes1)) return DSERR_INVALIDPARAM;
  if (pvAudioPtr2 && !OwnsRegion(pvAudioPtr2, dwAudioBytes2)) return DSERR_INVALIDPARAM;
  if (!pvAudioPtr2 && dwAudioBytes2 != 0) return DSERR_INVALIDPARAM;
  const std::uint8_t* base = samples_->bytes();
  samples_->Commit(static_cast<DWORD>(static_cast<const std::uint8_t*>(pvAudioPtr1) - base), dwAudioBytes1);
  if (pvAudioPtr2) {
    samples_->Commit(static_cast<DWORD>(static_cast<const std::uint8_t*>(pvAudioPtr2) - base), dwAudioBytes2);
  }
  return DS_OK;
}

HRESULT SoundBuffer::Play(DWORD dwReserved1, DWORD dwPriority, DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::Play")) return fault;
  if (dwReserved1 != 0) return DSERR_INVALIDPARAM;
  // Priorities and voice management are for deferred-location buffers.
  const bool deferred = (flags_ & DSBCAPS_LOCDEFER) != 0;
  if (dwPriority != 0 && !deferred) return DSERR_INVALIDPARAM;
  constexpr DWORD kTerminate = DSBPLAY_TERMINATEBY_TIME | DSBPLAY_TERMINATEBY_DISTANCE | DSBPLAY_TERMINATEBY_PRIORITY;
  constexpr DWORD kVoiceFlags = DSBPLAY_LOCHARDWARE | DSBPLAY_LOCSOFTWARE | kTerminate;
  if (dwFlags & ~(DSBPLAY_LOOPING | kVoiceFlags)) return DSERR_INVALIDPARAM;
  if ((dwFlags & kVoiceFlags) && !deferred) return DSERR_INVALIDPARAM;
  // Software placement goes with neither hardware nor voice management.
  if ((dwFlags & DSBPLAY_LOCSOFTWARE) && (dwFlags & (DSBPLAY_LOCHARDWARE | kTerminate))) return DSERR_INVALIDPARAM;
  // No hardware voice exists, so none is free or can be freed.
  if (dwFlags & DSBPLAY_LOCHARDWARE) return DSERR_INVALIDCALL;
  Guard guard(MixerMutex());
  if (Primary()) {
    if (!(dwFlags & DSBPLAY_LOOPING)) return DSERR_INVALIDPARAM;
    owner_->SetPrimaryPlaying(true);
    return DS_OK;
  }
  // Playing a playing buffer keeps its place; the newest flags hold.
  if (!playing_) ++playGeneration_;
  playing_ = true;
  looping_ = (dwFlags & DSBPLAY_LOOPING) != 0;
  return DS_OK;
}

HRESULT SoundBuffer::SetCurrentPosition(DWORD dwNewPosition) {
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::SetCurrentPosition")) return fault;
  if (Primary()) return DSERR_INVALIDCALL;
  if (dwNewPosition >= samples_->size()) return DSERR_INVALIDPARAM;
  const std::uint32_t frame = dwNewPosition / format_.nBlockAlign;
  if (frame >= Frames()) return DSERR_INVALIDPARAM;
  Guard guard(MixerMutex());
  position_ = static_cast<std::uint64_t>(frame) << 32;
  ++positionGeneration_;
  return DS_OK;
}

HRESULT SoundBuffer::SetFormat(LPCWAVEFORMATEX pcfxFormat) {
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::SetFormat")) return fault;
  if (!Primary()) return DSERR_INVALIDCALL;  // a secondary buffer's format is fixed
  if (!pcfxFormat) return DSERR_INVALIDPARAM;
  if (owner_->Level() < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
  WAVEFORMATEX format;
  std::memcpy(&format, pcfxFormat, sizeof format);
  if (const HRESULT bad = CheckPcmFormat(&format)) return bad;
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  format.cbSize = 0;
  owner_->SetPrimaryFormat(format);
  return DS_OK;
}

HRESULT SoundBuffer::SetVolume(LONG lVolume) {
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::SetVolume")) return fault;
  if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  if (lVolume < DSBVOLUME_MIN || lVolume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
  Guard guard(MixerMutex());
  if (Primary()) {
    owner_->SetMaster(lVolume, owner_->MasterPan());
  } else {
    volume_ = lVolume;
    UpdateGains();
  }
  return DS_OK;
}

HRESULT SoundBuffer::SetPan(LONG lPan) {
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::SetPan")) return fault;
  if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
  if (lPan < DSBPAN_LEFT || lPan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
  Guard guard(MixerMutex());
  if (Primary()) {
    owner_->SetMaster(owner_->MasterVolume(), lPan);
  } else {
    pan_ = lPan;
    UpdateGains();
  }
  return DS_OK;
}

HRESULT SoundBuffer::SetFrequency(DWORD dwFrequency) {
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::SetFrequency")) return fault;
  if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
  if (dwFrequency == DSBFREQUENCY_ORIGINAL) dwFrequency = format_.nSamplesPerSec;
  if (dwFrequency < DSBFREQUENCY_MIN || dwFrequency > DSBFREQUENCY_MAX) return DSERR_INVALIDPARAM;
  Guard guard(MixerMutex());
  frequency_ = dwFrequency;
  return DS_OK;
}

HRESULT SoundBuffer::Stop() {
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::Stop")) return fault;
  Guard guard(MixerMutex());
  if (Primary()) {
    owner_->SetPrimaryPlaying(false);
  } else if (playing_) {
    playing_ = false;
    ++playGeneration_;
    SignalStop();
  }
  return DS_OK;
}

HRESULT SoundBuffer::Restore() {
  if (const HRESULT fault = TakeFault("IDirectSoundBuffer::Restore")) return fault;
  return DS_OK;
}

void SoundBuffer::Defer3D(const DS3DBUFFER& params) {
  deferred3D_ = params;
  deferredPending_ = true;
}

void SoundBuffer::Apply3D(const DS3DBUFFER& params) {
  params3D_ = params;
  Guard guard(MixerMutex());
  UpdateGains();
}

void SoundBuffer::CommitDeferred3D() {
  if (!deferredPending_) return;
  deferredPending_ = false;
  params3D_ = deferred3D_;
}

bool SoundBuffer::Audible() const { return playing_ && !Primary() && owner_->Level() != 0; }

void SoundBuffer::UpdateGains() {
  if (Primary()) return;
  double amplitude = LevelToAmplitude(volume_) * LevelToAmplitude(owner_->MasterVolume());
  double left, right, masterLeft, masterRight;
  PanToAmplitudes(pan_, left, right);
  PanToAmplitudes(owner_->MasterPan(), masterLeft, masterRight);
  left *= masterLeft;
  right *= masterRight;
  if ((flags_ & DSBCAPS_CTRL3D) && params3D_.dwMode != DS3DMODE_DISABLE) {
    const Spatial spatial =
        Spatialise(params3D_, owner_->ListenerParams(), (flags_ & DSBCAPS_MUTE3DATMAXDISTANCE) != 0);
    amplitude *= spatial.amplitude;
    // Equal power across the middle, one side only at either end.
    constexpr double kQuarterPi = 0.78539816339744830962;
    constexpr double kSqrt2 = 1.41421356237309504880;
    const double angle = (spatial.pan + 1.0) * kQuarterPi;
    left *= std::min(1.0, std::cos(angle) * kSqrt2);
    right *= std::min(1.0, std::sin(angle) * kSqrt2);
  }
  gainLeft_ = AmplitudeToGain(amplitude * left);
  gainRight_ = AmplitudeToGain(amplitude * right);
}

bool SoundBuffer::SetNotifications(std::vector<Notification>& list) {
  Guard guard(MixerMutex());
  if (playing_) return false;
  notifications_.swap(list);  // the old list is freed by the caller, outside the lock
  return true;
}

void SoundBuffer::SignalPassed(std::uint64_t start, std::uint64_t advanced) const {
  if (advanced == 0) return;
  const std::uint64_t length = static_cast<std::uint64_t>(Frames()) << 32;
  for (const Notification& n : notifications_) {
    if (n.offset == DSBPN_OFFSETSTOP) continue;
    const std::uint64_t at = static_cast<std::uint64_t>(n.offset / format_.nBlockAlign) << 32;
    // How far ahead of the start the offset lies, a whole turn when on it.
    std::uint64_t ahead = (at + length - start) % length;
    if (ahead == 0) ahead = length;
    if (ahead <= advanced) n.event->Set();
  }
}

void SoundBuffer::SignalStop() const {
  for (const Notification& n : notifications_)
    if (n.offset == DSBPN_OFFSETSTOP) n.event->Set();
}

void SoundBuffer::CopyOut(std::uint32_t rate) {
  voice_.start = voice_.position = position_;
  voice_.step = (static_cast<std::uint64_t>(frequency_) << 32) / rate;
  voice_.gainLeft = gainLeft_;
  voice_.gainRight = gainRight_;
  voice_.looping = looping_;
  voice_.positionGeneration = positionGeneration_;
  voice_.playGeneration = playGeneration_;
}

void SoundBuffer::MixVoice(std::int32_t* accumulator, std::uint32_t frames) {
  const std::uint32_t count = Frames();
  Voice& v = voice_;
  std::lock_guard<std::mutex> guard(samples_->Mutex());
  const std::uint8_t* data = samples_->Mixed();
  bool more;
  if (format_.wBitsPerSample == 8) {
    more = format_.nChannels == 1
               ? MixFrames<8, 1>(data, count, v.position, v.step, v.looping, v.gainLeft, v.gainRight, accumulator,
                                 frames)
               : MixFrames<8, 2>(data, count, v.position, v.step, v.looping, v.gainLeft, v.gainRight, accumulator,
                                 frames);
  } else {
    more = format_.nChannels == 1
               ? MixFrames<16, 1>(data, count, v.position, v.step, v.looping, v.gainLeft, v.gainRight, accumulator,
                                  frames)
               : MixFrames<16, 2>(data, count, v.position, v.step, v.looping, v.gainLeft, v.gainRight, accumulator,
                                  frames);
  }
  v.ended = !more;
  // Up to (not onto) the end when it ran out; otherwise every step taken.
  const std::uint64_t end = static_cast<std::uint64_t>(count) << 32;
  v.advanced = v.ended ? end - v.start - 1 : v.step * frames;
}

void SoundBuffer::WriteBack() {
  if (positionGeneration_ == voice_.positionGeneration) {
    position_ = voice_.position;
    SignalPassed(voice_.start, voice_.advanced);
  }
  if (voice_.ended && playGeneration_ == voice_.playGeneration) {
    playing_ = false;
    ++playGeneration_;
    SignalStop();
  }
}

}  // namespace platform::dsound
