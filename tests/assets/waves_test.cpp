// The five waves: format the game's loader accepts, lengths that fit their
// busy times, no clipping and no clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "tests/assets/asset_readers.h"

namespace assettest {
namespace {

struct ExpectedWave {
  const char* name;
  double minSeconds;
  double maxSeconds;
};

const ExpectedWave kWaves[] = {
    {"bom02.wav", 0.2, 0.6},   // its channel is busy 30 frames (0.6 s)
    {"bom03.wav", 1.3, 1.7},
    {"bom04.wav", 1.3, 1.7},
    {"click05.wav", 0.01, 0.04},
    {"click06.wav", 0.03, 0.08},
};

Wave Load(const char* name) {
  Wave wave;
  std::string why;
  EXPECT_TRUE(ParseWave(ReadFileBytes(CommittedPath(name)), wave, why)) << name << ": " << why;
  return wave;
}

int Peak(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
  int peak = 0;
  for (std::size_t i = from; i < to && i < s.size(); ++i) peak = std::max(peak, std::abs(static_cast<int>(s[i])));
  return peak;
}

TEST(Waves, AreMono16BitPcmAt22050Hz) {
  for (const ExpectedWave& expected : kWaves) {
    const Wave w = Load(expected.name);
    EXPECT_EQ(w.fmtSize, 16u) << expected.name;
    EXPECT_EQ(w.formatTag, 1u) << expected.name;
    EXPECT_EQ(w.channels, 1u) << expected.name;
    EXPECT_EQ(w.sampleRate, 22050u) << expected.name;
    EXPECT_EQ(w.byteRate, 44100u) << expected.name;
    EXPECT_EQ(w.blockAlign, 2u) << expected.name;
    EXPECT_EQ(w.bitsPerSample, 16u) << expected.name;
  }
}

TEST(Waves, LastAsLongAsTheirUse) {
  for (const ExpectedWave& expected : kWaves) {
    const double seconds = static_cast<double>(Load(expected.name).samples.size()) / 22050.0;
    EXPECT_GE(seconds, expected.minSeconds) << expected.name;
    EXPECT_LT(seconds, expected.maxSeconds) << expected.name;
  }
}

TEST(Waves, AreAudibleAndNeverClip) {
  for (const ExpectedWave& expected : kWaves) {
    const Wave w = Load(expected.name);
    const int peak = Peak(w.samples, 0, w.samples.size());
    EXPECT_GE(peak, 32768 / 4) << expected.name << " is too quiet";
    EXPECT_LE(peak, 29500) << expected.name << " leaves no headroom";
  }
}

TEST(Waves, FadeInAndOutWithoutClicks) {
  for (const ExpectedWave& expected : kWaves) {
    const Wave w = Load(expected.name);
    ASSERT_GT(w.samples.size(), 100u) << expected.name;
    EXPECT_EQ(w.samples.front(), 0) << expected.name;
    EXPECT_EQ(w.samples.back(), 0) << expected.name;
    const int peak = Peak(w.samples, 0, w.samples.size());
    // Within the first and last 0.5 ms the level stays under half the peak.
    const std::size_t edge = 11;
    EXPECT_LT(Peak(w.samples, 0, edge), peak / 2) << expected.name << " starts with a click";
    EXPECT_LT(Peak(w.samples, w.samples.size() - edge, w.samples.size()), peak / 2) << expected.name << " ends with a click";
  }
}

TEST(Waves, ExplosionsDieAway) {
  for (const char* name : {"bom02.wav", "bom03.wav", "bom04.wav"}) {
    const Wave w = Load(name);
    const std::size_t fifth = w.samples.size() / 5;
    EXPECT_GT(Peak(w.samples, 0, fifth), 4 * Peak(w.samples, 4 * fifth, w.samples.size())) << name;
  }
}

}  // namespace
}  // namespace assettest
