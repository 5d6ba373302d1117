#include "tools/make_assets/int_math.h"

namespace assetgen {
namespace {

// sin(pi/2 * i/256) for i in [0, 256], in Q15, from the Taylor series to
// the x^9 term in Q30 (truncation error below 4e-6, far under Q15's step).
std::int32_t QuarterSine(std::int64_t i) {
  constexpr std::int64_t kOne = std::int64_t{1} << 30;
  constexpr std::int64_t kHalfPi = 1686629713;  // pi/2 in Q30
  const std::int64_t x = (i * kHalfPi) >> 8;
  const std::int64_t x2 = (x * x) >> 30;
  std::int64_t t = kOne - x2 / 72;
  t = kOne - ((x2 * t) >> 30) / 42;
  t = kOne - ((x2 * t) >> 30) / 20;
  t = kOne - ((x2 * t) >> 30) / 6;
  return static_cast<std::int32_t>((((x * t) >> 30) + (1 << 14)) >> 15);
}

}  // namespace

std::int32_t SinQ15(std::int32_t angle) {
  const std::int32_t a = ((angle % kFullTurn) + kFullTurn) % kFullTurn;
  const std::int32_t quarter = a / 256;
  const std::int32_t within = a % 256;
  switch (quarter) {
    case 0: return QuarterSine(within);
    case 1: return QuarterSine(256 - within);
    case 2: return -QuarterSine(within);
    default: return -QuarterSine(256 - within);
  }
}

std::int32_t CosQ15(std::int32_t angle) { return SinQ15(angle + 256); }

std::int32_t Atan2Turn(std::int64_t y, std::int64_t x) {
  if (x == 0 && y == 0) return 0;
  const std::int64_t ax = x < 0 ? -x : x;
  const std::int64_t ay = y < 0 ? -y : y;
  const bool steep = ay > ax;
  const std::int64_t lo = steep ? ax : ay;
  const std::int64_t hi = steep ? ay : ax;
  // Largest a in [0, 128] (0-45 degrees) with tan(a) <= lo / hi.
  std::int32_t low = 0;
  std::int32_t high = 128;
  while (low < high) {
    const std::int32_t mid = (low + high + 1) / 2;
    if (static_cast<std::int64_t>(SinQ15(mid)) * hi <= static_cast<std::int64_t>(CosQ15(mid)) * lo) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  std::int32_t a = steep ? 256 - low : low;  // first quadrant
  if (x < 0) a = 512 - a;
  if (y < 0) a = kFullTurn - a;
  return a % kFullTurn;
}

std::int64_t DivRound(std::int64_t num, std::int64_t den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  return num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den);
}

std::uint32_t Rng::Next() {
  std::uint32_t x = state_;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  state_ = x;
  return x;
}

}  // namespace assetgen
