// IDirectSoundBuffer: a secondary buffer with its samples, play state and
// controls, or the primary buffer that stands for its object's output.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dsound.h"
#include "platform/events.h"
#include "platform/unknown.h"

namespace platform::dsound {

class DirectSound;
class Buffer3D;
class Listener;
class Notify;

// Sample memory, shared by a buffer and its duplicates, in two copies: the
// writer's, which Lock hands out, and the mixer's, which the mixer reads
// under Mutex(). Unlock commits what was written from one to the other, so a
// caller writing locked memory never races the thread that mixes.
class SampleMemory {
 public:
  // Both copies zero-filled; null bytes() when the memory could not be had.
  explicit SampleMemory(DWORD size);
  ~SampleMemory();
  SampleMemory(const SampleMemory&) = delete;
  SampleMemory& operator=(const SampleMemory&) = delete;

  std::uint8_t* bytes() const { return bytes_; }
  DWORD size() const { return size_; }
  // Makes COUNT written bytes at OFFSET audible.
  void Commit(DWORD offset, DWORD count);
  // The mixer's copy: read only under Mutex().
  const std::uint8_t* Mixed() const { return mixed_; }
  std::mutex& Mutex() { return mutex_; }

 private:
  std::uint8_t* bytes_;
  std::uint8_t* mixed_;
  DWORD size_;
  std::mutex mutex_;
};

// An event signalled when the play cursor reaches OFFSET (bytes), or when
// playback stops for DSBPN_OFFSETSTOP.
struct Notification {
  DWORD offset;
  std::shared_ptr<WaitableEvent> event;
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
  // A secondary buffer's size in bytes.
  DWORD Bytes() const { return samples_->size(); }
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
  void ForgetNotify() { notify_ = nullptr; }
  // Replaces the notification positions (swapping them into LIST). False,
  // with nothing changed, while the buffer plays.
  bool SetNotifications(std::vector<Notification>& list);

  // Callers hold the mixer's lock.
  bool Audible() const;
  bool Playing() const { return playing_; }
  void UpdateGains();

  // One pass of the mixer, by the thread that holds the pass lock: CopyOut
  // (under the mixer's lock) takes what mixing needs at output RATE; MixVoice
  // (without it) adds FRAMES output frames to the stereo ACCUMULATOR;
  // WriteBack (under it again) moves the play position on and signals the
  // notifications passed, unless a caller repositioned, stopped or restarted
  // the buffer meanwhile.
  void CopyOut(std::uint32_t rate);
  void MixVoice(std::int32_t* accumulator, std::uint32_t frames);
  void WriteBack();

  SoundBuffer* next = nullptr;  // the mixer's list
  SoundBuffer* previous = nullptr;
  SoundBuffer* passNext = nullptr;  // the pass's list; its holder's alone

 private:
  // What a pass copied out, and what its mixing did.
  struct Voice {
    std::uint64_t start = 0;     // frames, 32.32 fixed point
    std::uint64_t position = 0;  // after mixing
    std::uint64_t step = 0;
    std::uint64_t advanced = 0;  // how far the cursor moved (not wrapped)
    std::int32_t gainLeft = 0;
    std::int32_t gainRight = 0;
    std::uint32_t positionGeneration = 0;
    std::uint32_t playGeneration = 0;
    bool looping = false;
    bool ended = false;  // a buffer played once reached its end
  };

  void SignalPassed(std::uint64_t start, std::uint64_t advanced) const;
  void SignalStop() const;

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
  Notify* notify_ = nullptr;

  // Mixer state: written under the mixer's lock. The generations count the
  // callers' repositionings and starts/stops, so a pass does not undo them.
  bool playing_ = false;
  std::uint32_t positionGeneration_ = 0;
  std::uint32_t playGeneration_ = 0;
  std::vector<Notification> notifications_;
  Voice voice_;  // the pass holder's
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
