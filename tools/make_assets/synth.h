// Integer sound synthesis: oscillators, noise, filters and envelopes in
// fixed point, so the waves come out byte for byte the same everywhere.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/make_assets/int_math.h"

namespace assetgen {

// Samples while a sound is mixed: Q15 nominal, with headroom.
using Mix = std::vector<std::int32_t>;

// A sine oscillator; frequencies in millihertz for fine sweeps.
class Oscillator {
 public:
  // One sample at FREQUENCY_MHZ, Q15.
  std::int32_t Next(std::int64_t frequencyMilliHz);

 private:
  std::uint32_t phase_ = 0;
};

// Noise held for a number of samples before the next random value: the
// longer the hold, the lower and grittier the noise.
class HeldNoise {
 public:
  explicit HeldNoise(std::uint32_t seed) : rng_(seed) {}
  std::int32_t Next(int holdSamples);

 private:
  Rng rng_;
  std::int32_t value_ = 0;
  int left_ = 0;
};

// One-pole low-pass filter.
class LowPass {
 public:
  std::int32_t Next(std::int32_t in, int cutoffHz);

 private:
  std::int64_t state_ = 0;  // Q16
};

// Exponential decay: 32768 at the start, halving every HALF_LIFE samples.
class Decay {
 public:
  explicit Decay(int halfLifeSamples);
  std::int32_t Next();

 private:
  std::int64_t level_ = std::int64_t{32768} << 16;
  std::int64_t factor_;  // Q16
};

constexpr int Ms(int milliseconds) { return milliseconds * 22050 / 1000; }

// Linear interpolation of A..B at POS of LENGTH.
std::int64_t Lerp(std::int64_t a, std::int64_t b, std::int64_t pos, std::int64_t length);

// Adds SRC into DST from sample AT on, scaled by GAIN (Q8).
void MixInto(Mix& dst, const Mix& src, int at, int gainQ8);

// Ramps the first ATTACK samples up from silence and the last RELEASE
// samples down to it, so a layer starts and stops without a click.
void ApplyRamps(Mix& mix, int attack, int release);

// Scales the peak to PEAK, fades the first FADE_IN and last FADE_OUT samples
// to silence (the first and last sample are exactly 0) and converts.
std::vector<std::int16_t> Finish(const Mix& mix, int peak, int fadeIn, int fadeOut);

}  // namespace assetgen
