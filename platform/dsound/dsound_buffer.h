// IDirectSoundBuffer: a secondary buffer with its samples, play state and
// controls, or the primary buffer that stands for its object's output.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/dsound.h"
#include "platform/unknown.h"

namespace platform::dsound {

class DirectSound;
class Buffer3D;
class Listener;

// Sample memory, shared by a buffer and its duplicates.
class SampleMemory {
 public:
  // Zero-filled; null bytes() when the memory could not be had.
  explicit SampleMemory(DWORD size);
  ~SampleMemory();
  SampleMemory(const SampleMemory&) = delete;
  SampleMemory& operator=(const SampleMemory&) = delete;

  std::uint8_t* bytes() const { return bytes_; }
  DWORD size() const { return size_; }

 private:
  std::uint8_t* bytes_;
  DWORD size_;
};

class SoundBuffer final : public RefCounted<IDirectSoundBuffer> {
 public:
  // A secondary buffer over SAMPLES, or the primary buffer when SAMPLES is
  // null. Holds a reference on OWNER and joins the mixer's list.
  SoundBuffer(DirectSound* owner, DWORD flags, const WAVEFORMATEX& format, std::shared_ptr<SampleMemory> samples);
  ~SoundBuffer() override;

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT GetCaps(LPDSBCAPS pDSBufferCaps) override;
  HRESULT GetCurrentPosition(LPDWORD pdwCurrentPlayCursor, LPDWORD pdwCurrentWriteCursor) override;
  HRESULT GetFormat(LPWAVEFORMATEX pwfxFormat, DWORD dwSizeAllocated, LPDWORD pdwSizeWritten) override;
  HRESULT GetVolume(LPLONG plVolume) override;
  HRESULT GetPan(LPLONG plPan) override;
  HRESULT GetFrequency(LPDWORD pdwFrequency) override;
  HRESULT GetStatus(LPDWORD pdwStatus) override;
  HRESULT Initialize(LPDIRECTSOUND pDirectSound, LPCDSBUFFERDESC pcDSBufferDesc) override;
  HRESULT Lock(DWORD dwOffset, DWORD dwBytes, LPVOID* ppvAudioPtr1, LPDWORD pdwAudioBytes1, LPVOID* ppvAudioPtr2,
               LPDWORD pdwAudioBytes2, DWORD dwFlags) override;
  HRESULT Play(DWORD dwReserved1, DWORD dwPriority, DWORD dwFlags) override;
  HRESULT SetCurrentPosition(DWORD dwNewPosition) override;
  HRESULT SetFormat(LPCWAVEFORMATEX pcfxFormat) override;
  HRESULT SetVolume(LONG lVolume) override;
  HRESULT SetPan(LONG lPan) override;
  HRESULT SetFrequency(DWORD dwFrequency) override;
  HRESULT Stop() override;
  HRESULT Unlock(LPVOID pvAudioPtr1, DWORD dwAudioBytes1, LPVOID pvAudioPtr2, DWORD dwAudioBytes2) override;
  HRESULT Restore() override;

  // --- for the DirectSound object, the 3D interfaces and the mixer -------------
  bool Primary() const { return !samples_; }
  DirectSound* Owner() const { return owner_; }
  DWORD Flags() const { return flags_; }
  // A new buffer of OWNER over the same samples, with this one's controls
  // and 3D parameters, stopped at position 0. Null when out of memory.
  SoundBuffer* Duplicate(DirectSound* owner) const;

  // 3D parameters in force, and the newest ones, which differ while some
  // wait for CommitDeferredSettings.
  const DS3DBUFFER& Params3D() const { return params3D_; }
  const DS3DBUFFER& Latest3D() const { return deferredPending_ ? deferred3D_ : params3D_; }
  bool Deferring3D() const { return deferredPending_; }
  void Defer3D(const DS3DBUFFER& params);
  void Apply3D(const DS3DBUFFER& params);
  void CommitDeferred3D();
  void Forget3D() { buffer3D_ = nullptr; }
  void ForgetListener() { listener_ = nullptr; }

  // Callers hold the mixer's lock.
  bool Audible() const;
  bool Playing() const { return playing_; }
  void UpdateGains();
  // Adds FRAMES output frames of this buffer at RATE to the stereo
  // ACCUMULATOR and moves the play position on.
  void MixInto(std::int32_t* accumulator, std::uint32_t frames, std::uint32_t rate);

  SoundBuffer* next = nullptr;  // the mixer's list
  SoundBuffer* previous = nullptr;

 private:
  std::uint32_t Frames() const;
  DWORD PlayCursor() const;
  DWORD WriteCursor() const;
  DWORD PrimaryBytes() const;
  bool OwnsRegion(const void* pointer, DWORD bytes) const;

  DirectSound* owner_;
  DWORD flags_;
  WAVEFORMATEX format_;
  std::shared_ptr<SampleMemory> samples_;
  Buffer3D* buffer3D_ = nullptr;
  Listener* listener_ = nullptr;

  // Mixer state: written under the mixer's lock.
  bool playing_ = false;
  bool looping_ = false;
  std::uint64_t position_ = 0;  // frames, 32.32 fixed point
  DWORD frequency_;
  LONG volume_ = DSBVOLUME_MAX;
  LONG pan_ = DSBPAN_CENTER;
  std::int32_t gainLeft_ = 0;
  std::int32_t gainRight_ = 0;

  DS3DBUFFER params3D_;
  DS3DBUFFER deferred3D_;
  bool deferredPending_ = false;
};

// DS_OK when FORMAT is PCM that buffers can hold: one or two channels of 8
// or 16 bits, a block alignment that matches, a rate in the frequency range.
HRESULT CheckPcmFormat(const WAVEFORMATEX* format);

}  // namespace platform::dsound
