// TBrinSound: the sound component. It sits on the main form, opens the
// default DirectSound device once the form has loaded it, and owns a fixed
// array of channels. A wave (brin_sound_wave.h) is attached to a channel with
// setWaveData, which gives the channel its own duplicate of the wave's
// buffer, so one sound can play on several channels at once; Play restarts a
// channel's sound from its beginning.
//
// Without a device the component stays uninitialised for its whole life: the
// channels exist but never get a buffer, and every channel call is a quiet
// no-op, so the game runs silent.
//
// Failures follow the module's policy (brin_sound_log.h). Where a failed
// step leaves an object missing and neither halting nor the exception ends
// the call, the steps that would use that object are skipped rather than
// run on nothing.
#pragma once

#include <string>
#include <vector>

#include "platform/dsound.h"
#include "platform/forms.h"
#include "sound/brin_sound_log.h"

enum TBrinSoundDebugOptionItem { dsoHaltOnError, dsoDebugMessage, dsoExceptOnError };
using TBrinSoundDebugOption = TSet<TBrinSoundDebugOptionItem>;

class TBrinSound;
class TBrinSoundGenWave;
class TBrinSoundParams3D;
class TBrinSoundListener;

// One playback channel: a duplicate of an attached wave's buffer.
class TBrinSoundChannel {
 public:
  explicit TBrinSoundChannel(TBrinSound* ASound);
  // Releases the channel's buffers (not reported) and frees Params3D.
  ~TBrinSoundChannel();
  TBrinSoundChannel(const TBrinSoundChannel&) = delete;
  TBrinSoundChannel& operator=(const TBrinSoundChannel&) = delete;

  // Drops the current buffers and, for a wave, takes a duplicate of its
  // buffer (and for a 3D wave its 3D interface and parameters). Does nothing
  // while the component is not initialised.
  void setWaveData(TBrinSoundGenWave* Wave);
  // Plays the sound once from its beginning, also when it is playing.
  // Results are ignored; nothing is allocated.
  void Play();
  void Stop();

  TBrinSound* Sound;
  IDirectSoundBuffer* Buffer = nullptr;
  IDirectSound3DBuffer* Buffer3D = nullptr;
  TBrinSoundParams3D* Params3D;
};

class TBrinSound : public TComponent {
 public:
  explicit TBrinSound(TComponent* AOwner);
  ~TBrinSound() override;
  // Outside design mode: applies DebugOption again, then Initialize.
  void Loaded() override;

  // --- published properties (stored in the form description) ---------------
  TBrinSoundDebugOption DebugOption() const { return debugOption_; }
  // Stores the set and sets the module's halt, message and exception
  // switches from it: the last value set applies to every instance.
  void SetDebugOption(TBrinSoundDebugOption option);
  bool Use3D = false;
  DWORD ChannelCount = 8;  // read by Initialize; leave it alone afterwards
  bool StickyFocus = true;

  // --- operations --------------------------------------------------------------
  // Makes ChannelCount channels (freeing earlier ones) and opens DirectSound.
  // False only when no DirectSound object could be made.
  bool Initialize();
  // The channel numbered INDEX, or, for a number no channel has, the
  // module's channel-number message, a halt under dsoHaltOnError and null.
  TBrinSoundChannel* Channels(int Index);

  // --- state ---------------------------------------------------------------------
  bool Initialized = false;
  IDirectSound* DirectSound = nullptr;
  IDirectSoundBuffer* PrimaryBuffer = nullptr;
  IDirectSound3DListener* Listener3D = nullptr;
  TBrinSoundListener* Listener = nullptr;

 private:
  void FreeChannels();
  // Lets go of the listener, the primary buffer and DirectSound; REPORT
  // sends each release through the module's release check.
  void ReleaseDevice(bool report);
  HWND FormWindow() const;

  TBrinSoundDebugOption debugOption_;
  std::vector<TBrinSoundChannel*> channels_;
};
