// The audio output's last stage, where a sound card's would be: the mixer's
// sums come in wider than 16 bits and leave as 16-bit samples.
#pragma once

#include <cstdint>

namespace platform::sdl {

// A limiter with a soft knee. Every sample whose frame stays at or below the
// knee leaves exactly as it came while the limiter is at rest, so any single
// sound of the game (they peak at -1 dBFS) is untouched. A louder frame
// turns the gain down at once, far enough that its loudest sample lands on
// a curve that bends smoothly from the knee towards, but never reaches, full
// scale; the gain holds while loud sums go on and then comes back up over
// some tens of milliseconds, so a burst of loud sums is turned down as a
// whole instead of having its peaks cut flat. Channels share the gain,
// keeping the stereo picture.
class OutputLimiter {
 public:
  // Above this, the curve bends: -0.9 dBFS.
  static constexpr std::int32_t kKnee = 29500;
  // The curve's limit; no sample comes out louder than this.
  static constexpr std::int32_t kCeiling = 32766;

  explicit OutputLimiter(std::uint32_t rate = 44100);
  void SetRate(std::uint32_t rate);
  // FRAMES frames of CHANNELS interleaved sums from IN to OUT.
  void Process(const std::int32_t* in, std::int16_t* out, std::uint32_t frames, std::uint32_t channels);
  // Where a sample of size LEVEL (above the knee) is brought to.
  static double Curve(double level);

 private:
  double gain_ = 1.0;
  double recovery_ = 0.0;        // share of the way back to 1 the gain goes each frame
  std::uint32_t holdFrames_ = 0;  // frames the gain holds after a loud one
  std::uint32_t held_ = 0;        // of those, still to go
};

}  // namespace platform::sdl
