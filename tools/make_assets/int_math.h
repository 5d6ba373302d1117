// Integer maths for the generator. Everything that decides a byte of an
// asset goes through these routines, never through floating point or the
// standard library's random engines, so the same bytes come out of every
// compiler, library version and optimisation level.
#pragma once

#include <cstdint>

namespace assetgen {

// Angles are in 1024ths of a full turn; y points down as on the screen.
constexpr int kFullTurn = 1024;

// sin and cos of ANGLE (any integer; taken modulo a full turn) in Q15:
// -32768..32768.
std::int32_t SinQ15(std::int32_t angle);
std::int32_t CosQ15(std::int32_t angle);

// The direction of (x, y) in 1024ths of a turn, 0 along +x, 256 along +y;
// 0 for (0, 0).
std::int32_t Atan2Turn(std::int64_t y, std::int64_t x);

// Division rounding half away from zero.
std::int64_t DivRound(std::int64_t num, std::int64_t den);

// A fixed-seed xorshift generator: the same sequence everywhere.
class Rng {
 public:
  explicit Rng(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}
  std::uint32_t Next();
  // A value in [-32768, 32767].
  std::int32_t Signed16() { return static_cast<std::int32_t>(Next() >> 16) - 32768; }

 private:
  std::uint32_t state_;
};

}  // namespace assetgen
