// IDirectSound: one program's use of the output, with its cooperative level,
// the primary buffer's settings and the 3D listener its buffers are heard by.
#pragma once

#include "platform/dsound.h"
#include "platform/unknown.h"

namespace platform::dsound {

class DirectSound final : public RefCounted<IDirectSound> {
 public:
  // The caller has attached the mixer for this object; the destructor
  // detaches it.
  DirectSound();
  ~DirectSound() override;

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT CreateSoundBuffer(LPCDSBUFFERDESC pcDSBufferDesc, LPDIRECTSOUNDBUFFER* ppDSBuffer,
                            LPUNKNOWN pUnkOuter) override;
  HRESULT GetCaps(LPDSCAPS pDSCaps) override;
  HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER pDSBufferOriginal,
                               LPDIRECTSOUNDBUFFER* ppDSBufferDuplicate) override;
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwLevel) override;
  HRESULT Compact() override;
  HRESULT GetSpeakerConfig(LPDWORD pdwSpeakerConfig) override;
  HRESULT SetSpeakerConfig(DWORD dwSpeakerConfig) override;
  HRESULT Initialize(LPCGUID pcGuidDevice) override;

  // --- for buffers and the listener --------------------------------------------
  // The cooperative level; 0 until one is set. Read by the mixer.
  DWORD Level() const { return level_; }

  const WAVEFORMATEX& PrimaryFormat() const { return primaryFormat_; }
  void SetPrimaryFormat(const WAVEFORMATEX& format) { primaryFormat_ = format; }
  // The primary buffer's volume and pan, applied to every buffer of this
  // object. Setters recompute the gains; callers hold the mixer's lock.
  LONG MasterVolume() const { return masterVolume_; }
  LONG MasterPan() const { return masterPan_; }
  void SetMaster(LONG volume, LONG pan);
  bool PrimaryPlaying() const { return primaryPlaying_; }
  void SetPrimaryPlaying(bool playing) { primaryPlaying_ = playing; }
  // Whether a secondary buffer of this object plays. Callers hold the lock.
  bool AnyBufferPlaying() const;

  // The listener in force, and the newest settings (see SoundBuffer::Latest3D).
  const DS3DLISTENER& ListenerParams() const { return listener_; }
  const DS3DLISTENER& LatestListener() const { return listenerPending_ ? deferredListener_ : listener_; }
  bool DeferringListener() const { return listenerPending_; }
  void DeferListener(const DS3DLISTENER& params);
  // Puts PARAMS in force and recomputes the 3D buffers' gains.
  void ApplyListener(const DS3DLISTENER& params);
  // Puts every deferred 3D setting of this object in force.
  void CommitDeferred();

 private:
  // Recomputes the gains of every buffer of this object; callers hold the lock.
  void UpdateAllGains();

  HWND window_ = nullptr;
  DWORD level_ = 0;
  DWORD speakerConfig_ = DSSPEAKER_COMBINED(DSSPEAKER_STEREO, DSSPEAKER_GEOMETRY_WIDE);
  WAVEFORMATEX primaryFormat_;
  LONG masterVolume_ = DSBVOLUME_MAX;
  LONG masterPan_ = DSBPAN_CENTER;
  bool primaryPlaying_ = false;
  DS3DLISTENER listener_;
  DS3DLISTENER deferredListener_;
  bool listenerPending_ = false;
};

}  // namespace platform::dsound
