#include "tools/make_assets/synth.h"

#include <algorithm>

namespace assetgen {

std::int32_t Oscillator::Next(std::int64_t frequencyMilliHz) {
  // Phase runs over 2^32 per cycle; the sine is interpolated between the
  // 1024 steps of the integer table.
  const std::uint32_t index = phase_ >> 22;
  const std::int64_t frac = (phase_ >> 6) & 0xFFFF;
  const std::int64_t a = SinQ15(static_cast<std::int32_t>(index));
  const std::int64_t b = SinQ15(static_cast<std::int32_t>(index + 1));
  const std::int32_t out = static_cast<std::int32_t>(a + (((b - a) * frac) >> 16));
  const std::uint64_t step = (static_cast<std::uint64_t>(frequencyMilliHz) << 32) / (22050ull * 1000ull);
  phase_ += static_cast<std::uint32_t>(step);
  return out;
}

std::int32_t HeldNoise::Next(int holdSamples) {
  if (left_ <= 0) {
    value_ = rng_.Signed16();
    left_ = holdSamples < 1 ? 1 : holdSamples;
  }
  --left_;
  return value_;
}

std::int32_t LowPass::Next(std::int32_t in, int cutoffHz) {
  // a = w / (1 + w), w = 2 pi fc / fs, in Q16.
  const std::int64_t w = (static_cast<std::int64_t>(cutoffHz) * 411775) / 22050;
  const std::int64_t a = (w << 16) / (65536 + w);
  state_ += ((static_cast<std::int64_t>(in) << 16) - state_) * a >> 16;
  return static_cast<std::int32_t>(state_ >> 16);
}

Decay::Decay(int halfLifeSamples) {
  // 2^(-1/h) ~ 1 - ln 2 / h for the lengths used here.
  factor_ = 65536 - 45426 / (halfLifeSamples < 1 ? 1 : halfLifeSamples);
}

std::int32_t Decay::Next() {
  const auto out = static_cast<std::int32_t>(level_ >> 16);
  level_ = (level_ * factor_) >> 16;
  return out;
}

std::int64_t Lerp(std::int64_t a, std::int64_t b, std::int64_t pos, std::int64_t length) {
  if (length <= 0) return b;
  return a + ((b - a) * pos) / length;
}

void MixInto(Mix& dst, const Mix& src, int at, int gainQ8) {
  for (std::size_t i = 0; i < src.size(); ++i) {
    const std::size_t j = static_cast<std::size_t>(at) + i;
    if (j >= dst.size()) break;
    dst[j] += static_cast<std::int32_t>((static_cast<std::int64_t>(src[i]) * gainQ8) >> 8);
  }
}

void ApplyRamps(Mix& mix, int attack, int release) {
  const auto n = static_cast<std::int64_t>(mix.size());
  for (std::int64_t i = 0; i < n; ++i) {
    std::int64_t v = mix[static_cast<std::size_t>(i)];
    if (i < attack) v = v * i / attack;
    const std::int64_t fromEnd = n - 1 - i;
    if (fromEnd < release) v = v * fromEnd / release;
    mix[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(v);
  }
}

std::vector<std::int16_t> Finish(const Mix& mix, int peak, int fadeIn, int fadeOut) {
  std::int64_t loudest = 1;
  for (std::int32_t s : mix) loudest = std::max<std::int64_t>(loudest, s < 0 ? -static_cast<std::int64_t>(s) : s);
  const auto n = static_cast<std::int64_t>(mix.size());
  std::vector<std::int16_t> out(mix.size());
  for (std::int64_t i = 0; i < n; ++i) {
    std::int64_t v = DivRound(static_cast<std::int64_t>(mix[i]) * peak, loudest);
    if (i < fadeIn) v = DivRound(v * i, fadeIn);
    const std::int64_t fromEnd = n - 1 - i;
    if (fromEnd < fadeOut) v = DivRound(v * fromEnd, fadeOut);
    out[i] = static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32767, 32767));
  }
  return out;
}

}  // namespace assetgen
