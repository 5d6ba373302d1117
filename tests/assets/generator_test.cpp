// The generator's building blocks: integer maths that must be right for the
// art and sound to come out as designed, clipping that keeps every sprite in
// its cell, and the file encoders on shapes the game's files do not cover.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/assets/asset_readers.h"
#include "tools/make_assets/file_formats.h"
#include "tools/make_assets/indexed_image.h"
#include "tools/make_assets/int_math.h"
#include "tools/make_assets/synth.h"

namespace assettest {
namespace {

using namespace assetgen;

TEST(IntMath, SineFollowsTheRealFunctionEverywhere) {
  for (int a = -1024; a <= 2048; ++a) {
    const double expected = 32768.0 * std::sin(2.0 * std::numbers::pi * a / 1024.0);
    EXPECT_NEAR(SinQ15(a), expected, 1.0) << "angle " << a;
    EXPECT_NEAR(CosQ15(a), 32768.0 * std::cos(2.0 * std::numbers::pi * a / 1024.0), 1.0) << "angle " << a;
  }
  EXPECT_EQ(SinQ15(0), 0);
  EXPECT_EQ(SinQ15(256), 32768);
  EXPECT_EQ(SinQ15(768), -32768);
}

TEST(IntMath, Atan2FindsTheDirectionInEveryQuadrant) {
  EXPECT_EQ(Atan2Turn(0, 0), 0);
  EXPECT_EQ(Atan2Turn(0, 5), 0);
  EXPECT_EQ(Atan2Turn(5, 0), 256);
  EXPECT_EQ(Atan2Turn(0, -5), 512);
  EXPECT_EQ(Atan2Turn(-5, 0), 768);
  for (int a = 0; a < 1024; a += 7) {
    const std::int64_t y = SinQ15(a) * 3;
    const std::int64_t x = CosQ15(a) * 3;
    const int got = Atan2Turn(y, x);
    int diff = std::abs(got - a);
    diff = std::min(diff, 1024 - diff);
    EXPECT_LE(diff, 1) << "angle " << a << " came back as " << got;
  }
}

TEST(IntMath, DivRoundRoundsHalvesAwayFromZero) {
  EXPECT_EQ(DivRound(5, 2), 3);
  EXPECT_EQ(DivRound(-5, 2), -3);
  EXPECT_EQ(DivRound(4, 3), 1);
  EXPECT_EQ(DivRound(-4, 3), -1);
  EXPECT_EQ(DivRound(7, -2), -4);
}

TEST(IntMath, RandomNumbersRepeatFromTheSameSeedAndStayInRange) {
  Rng a(1234);
  Rng b(1234);
  Rng zero(0);  // a zero xorshift state would stick at zero
  bool zeroMoves = false;
  for (int i = 0; i < 1000; ++i) {
    EXPECT_EQ(a.Next(), b.Next());
    const std::int32_t s = a.Signed16();
    b.Signed16();
    EXPECT_GE(s, -32768);
    EXPECT_LE(s, 32767);
    zeroMoves = zeroMoves || zero.Next() != 0;
  }
  EXPECT_TRUE(zeroMoves);
}

TEST(Cells, DropWritesOutsideThemAndReadTransparentThere) {
  IndexedImage image(8, 8);
  Cell cell(image, 2, 2, 3, 3);
  cell.FillRect(-4, -4, 16, 16, 7);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 5 && y >= 2 && y < 5;
      EXPECT_EQ(image.Get(x, y), inside ? 7 : 0) << x << ", " << y;
    }
  }
  image.Set(5, 2, 9);
  EXPECT_EQ(cell.Get(3, 0), 0);  // pixel (5, 2) lies outside the cell
  EXPECT_EQ(cell.Get(2, 0), 7);
}

TEST(Masks, Scale2xTurnsADiagonalIntoASingleStaircase) {
  const Mask diagonal = Mask::FromRows({"#..", ".#.", "..#"});
  const Mask big = Scale2x(diagonal);
  ASSERT_EQ(big.width, 6);
  ASSERT_EQ(big.height, 6);
  const char* expected[6] = {"##....", "###...", ".###..", "..###.", "...###", "....##"};
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(big.At(x, y), expected[y][x] == '#') << x << ", " << y;
  }
}

TEST(Encoders, BitmapRowsArePaddedToFourBytesAndStoredBottomUp) {
  IndexedImage image(5, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) image.Set(x, y, static_cast<std::uint8_t>(10 * y + x + 1));
  }
  Palette palette{};
  palette[7] = {1, 2, 3};
  const auto bytes = EncodeBmp8(image, palette);
  ASSERT_EQ(bytes.size(), 54u + 1024u + 8u * 3u);
  EXPECT_EQ(bytes[54 + 1024], 21);  // first stored row is the bottom one
  EXPECT_EQ(bytes[54 + 1024 + 5], 0);  // padding
  std::string why;
  const Bitmap parsed = ParseBitmap(bytes, why);
  ASSERT_EQ(parsed.width, 5) << why;
  ASSERT_EQ(parsed.height, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(parsed.At(x, y), image.Get(x, y));
  }
  EXPECT_EQ(parsed.palette[7], (Colour{1, 2, 3}));
}

TEST(Encoders, WaveHoldsExactlyTheSamples) {
  const std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768, 0};
  Wave wave;
  std::string why;
  ASSERT_TRUE(ParseWave(EncodeWav16Mono(samples), wave, why)) << why;
  EXPECT_EQ(wave.samples, samples);
}

TEST(Synth, FinishScalesThePeakExactlyAndSilencesBothEnds) {
  Mix mix(1000);
  for (std::size_t i = 0; i < mix.size(); ++i) mix[i] = (i % 2 == 0 ? 1 : -1) * 50000;
  const auto out = Finish(mix, 20000, 100, 200);
  EXPECT_EQ(out.front(), 0);
  EXPECT_EQ(out.back(), 0);
  EXPECT_EQ(out[500], 20000);
  EXPECT_EQ(out[501], -20000);
  EXPECT_EQ(out[50], 10000);  // half way up the fade-in
  EXPECT_EQ(std::abs(out[899]), 20000 * 100 / 200);  // half way down the fade-out
}

TEST(Synth, OscillatorRunsAtItsFrequency) {
  // 441 Hz at 22050 Hz: 50 samples a cycle, so 100 sign changes in 5000.
  Oscillator osc;
  int changes = 0;
  std::int32_t prev = osc.Next(441000);
  for (int i = 1; i < 5000; ++i) {
    const std::int32_t v = osc.Next(441000);
    if ((v < 0) != (prev < 0)) ++changes;
    prev = v;
  }
  EXPECT_NEAR(changes, 200, 2);
}

}  // namespace
}  // namespace assettest
