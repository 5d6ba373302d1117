// Waves: one sound each, loaded once from a WAV file into a static secondary
// buffer of a TBrinSound. Channels never play a wave's own buffer; each gets
// a duplicate (TBrinSoundChannel::setWaveData), which keeps the samples alive
// after the wave is freed. The caller owns its waves and frees them before
// the component.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dsound.h"

class TBrinSound;
class TBrinSoundParams3D;

class TBrinSoundGenWave {
 public:
  // Loads FILENAME (a bare name is found in the current directory) when the
  // component is initialised; otherwise the wave stays empty and no file is
  // opened. Under dsoExceptOnError a failure leaves the constructor as
  // EBrinSound with nothing left open or made.
  TBrinSoundGenWave(TBrinSound* ASound, const std::string& FileName, bool Is3D);
  // Releases Buffer through the module's check, with the count the release
  // returns as its code: a buffer still referenced elsewhere is reported.
  virtual ~TBrinSoundGenWave();
  TBrinSoundGenWave(const TBrinSoundGenWave&) = delete;
  TBrinSoundGenWave& operator=(const TBrinSoundGenWave&) = delete;

  TBrinSound* Sound;
  // The whole sample data; null when loading did not get as far as making it.
  IDirectSoundBuffer* Buffer = nullptr;
  // The file's "fmt " chunk as read, at most the record's 20 bytes (a longer
  // chunk is cut to them); the rest of the record is zero.
  union {
    WAVEFORMATEX Format;
    std::uint8_t FormatRecord[20];
  };
  DWORD DataSize = 0;  // the "data" chunk's declared size, the buffer's size

 private:
  void LoadWAV(const std::string& FileName, bool Is3D);
};

// A wave without 3D control: what the game loads.
class TBrinSoundWaveData : public TBrinSoundGenWave {
 public:
  TBrinSoundWaveData(TBrinSound* ASound, const std::string& FileName);
};

// A wave with 3D control (mono only) and a parameter set of its own, applied
// to each channel it is attached to.
class TBrinSoundWave3D : public TBrinSoundGenWave {
 public:
  TBrinSoundWave3D(TBrinSound* ASound, const std::string& FileName);
  ~TBrinSoundWave3D() override;

  TBrinSoundParams3D* Params3D;
};
