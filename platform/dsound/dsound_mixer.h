// The output every DirectSound object plays through: one per process, as the
// sound device is. It keeps the list of buffers, opens and closes the back
// end's audio for the DirectSound objects that use it, and mixes when the back
// end pulls.
//
// Locking: the back end may pull from a thread of its own. Everything the
// mixer reads (the buffer list, play state, positions, frequencies, gains,
// notification positions and the objects' cooperative levels) is changed only
// under Mutex(). A pull holds it briefly twice per pass: to copy each audible
// buffer's state out, and to put the new positions back (and signal the
// notifications passed); it mixes in between without it, reading each
// buffer's sample memory under that memory's own lock. A pull holds the pass
// lock throughout, and a buffer being freed waits for it (WaitForPass), so a
// pass never touches a freed buffer. Nothing that can free an object runs
// under Mutex(), and opening or closing the back end's audio never does
// (closing waits for a pull in progress).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/backend/backend.h"

namespace platform::dsound {

class SoundBuffer;

class Mixer final : public AudioSource {
 public:
  // Output frames mixed in one pass; longer pulls take several passes.
  static constexpr std::uint32_t kChunkFrames = 512;
  static constexpr std::uint32_t kRate = 44100;
  static constexpr std::uint32_t kChannels = 2;

  static Mixer& Instance();

  // A DirectSound object starts using the output: opens the installed back
  // end's audio unless it is open already. False when there is no device.
  bool Attach();
  // One stops; the last one closes the audio.
  void Detach();

  std::mutex& Mutex() { return mutex_; }
  // Callers hold Mutex().
  void Link(SoundBuffer* buffer);
  void Unlink(SoundBuffer* buffer);
  SoundBuffer* First() const { return first_; }
  std::uint32_t Rate() const { return rate_; }
  std::uint64_t FramesMixed() const { return framesMixed_; }
  // Returns once no pull is under way (the caller has unlinked its buffer).
  void WaitForPass();

  // Never throw: a failure gives silence rather than an exception on the
  // back end's audio thread.
  void Mix(std::int16_t* out, std::uint32_t frames) noexcept override;
  void MixWide(std::int32_t* out, std::uint32_t frames) noexcept override;

 private:
  Mixer() = default;
  static void Reset();
  // Mixes FRAMES frames a chunk at a time and hands each chunk's sums
  // (interleaved stereo) to STORE with its frame count and the output's
  // channel count. Holds the pass lock throughout.
  template <typename Store>
  void MixChunks(std::uint32_t frames, Store store);

  std::mutex mutex_;
  std::mutex passMutex_;  // held by a pull from start to end
  SoundBuffer* first_ = nullptr;
  Backend* backend_ = nullptr;  // where the audio is open; null when closed
  int users_ = 0;
  std::uint32_t rate_ = kRate;
  std::atomic<std::uint32_t> channels_{kChannels};  // read without the lock when a mix fails
  std::uint64_t framesMixed_ = 0;
  std::array<std::int32_t, kChunkFrames * 2> accumulator_{};  // the pass holder's
};

// Amplitude of a level in hundredths of a decibel (0 is unity); -10000 and
// below are silence.
double LevelToAmplitude(LONG hundredthsOfDecibel);
// Left and right amplitudes of a pan in hundredths of a decibel: the side
// away from the pan is turned down by its size.
void PanToAmplitudes(LONG pan, double& left, double& right);
// An amplitude (0..1) as the mixer's 16.16 fixed-point gain.
std::int32_t AmplitudeToGain(double amplitude);

}  // namespace platform::dsound
