// The output limiter after the mixer: the game's own sounds pass bit for
// bit, loud sums come down smoothly and never reach full scale.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/backend/sdl/sdl_audio.h"

namespace platform::sdl {
namespace {

constexpr std::uint32_t kRate = 44100;

// The samples of one of the game's mono 16-bit waves.
std::vector<std::int32_t> Wave(const std::string& name) {
  std::ifstream file(std::string(BRIN_ASSETS_DIR) + "/" + name, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::size_t data = bytes.find("data");
  std::vector<std::int32_t> samples;
  for (std::size_t i = data + 8; data != std::string::npos && i + 1 < bytes.size(); i += 2) {
    std::int16_t v;
    std::memcpy(&v, bytes.data() + i, 2);
    samples.push_back(v);
  }
  return samples;
}

std::vector<std::int16_t> Limit(const std::vector<std::int32_t>& stereo) {
  OutputLimiter limiter(kRate);
  std::vector<std::int16_t> out(stereo.size());
  limiter.Process(stereo.data(), out.data(), static_cast<std::uint32_t>(stereo.size() / 2), 2);
  return out;
}

struct Play {
  std::string wave;
  std::size_t start;  // frame
  int pan;            // 0 hard left, 1 centre, 2 hard right
};

// Sounds played side by side at full volume, as the mixer sums them.
std::vector<std::int32_t> Mix(const std::vector<Play>& plays, std::size_t frames) {
  std::vector<std::int32_t> stereo(2 * frames, 0);
  for (const Play& play : plays) {
    const auto wave = Wave(play.wave);
    for (std::size_t i = 0; i < wave.size() && play.start + i < frames; ++i) {
      if (play.pan != 2) stereo[2 * (play.start + i)] += wave[i];
      if (play.pan != 0) stereo[2 * (play.start + i) + 1] += wave[i];
    }
  }
  return stereo;
}

TEST(OutputLimiter, EverySoundOfTheGameAloneIsUntouched) {
  for (const char* name : {"bom02.wav", "bom03.wav", "bom04.wav", "click05.wav", "click06.wav"}) {
    for (int pan = 0; pan < 3; ++pan) {
      const auto stereo = Mix({{name, 100, pan}}, 40000);
      const auto out = Limit(stereo);
      EXPECT_TRUE(std::equal(out.begin(), out.end(), stereo.begin())) << name << " pan " << pan;
    }
  }
}

TEST(OutputLimiter, ABusySceneNeverReachesFullScaleAndRecovers) {
  // Ten explosions within a fifth of a second, as a bomb sets them off.
  std::vector<Play> plays;
  for (std::size_t i = 0; i < 10; ++i) plays.push_back({i % 2 ? "bom03.wav" : "bom04.wav", i * 900, int(i % 3)});
  const std::size_t frames = 3 * kRate;
  auto stereo = Mix(plays, frames);
  // Then a single explosion, alone, two seconds in.
  const auto single = Wave("bom02.wav");
  for (std::size_t i = 0; i < single.size(); ++i) stereo[2 * (2 * kRate + i)] += single[i];
  const auto out = Limit(stereo);
  std::size_t loud = 0, atFullScale = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    loud += std::abs(stereo[i]) >= 32767;
    atFullScale += out[i] >= 32767 || out[i] <= -32767;
  }
  EXPECT_GT(loud, 1000u);  // a plain clamp would clip this often
  EXPECT_EQ(atFullScale, 0u);
  // The gain has come back: the single explosion is as it was.
  for (std::size_t i = 2 * 2 * kRate; i < out.size(); ++i) ASSERT_EQ(out[i], stereo[i]) << i;
}

TEST(OutputLimiter, ALoudToneKeepsItsShapeInsteadOfBeingCutFlat) {
  // Twice full scale at 441 Hz, a tenth of a second long.
  std::vector<std::int32_t> stereo;
  for (std::size_t i = 0; i < kRate / 10; ++i) {
    const auto v = static_cast<std::int32_t>(std::lround(65000 * std::sin(2 * M_PI * 441.0 * i / kRate)));
    stereo.push_back(v);
    stereo.push_back(v / 2);
  }
  const auto out = Limit(stereo);
  // After the first peak the gain holds: each sample is the same share of
  // its input, on both channels, within rounding.
  double lowest = 1, highest = 0;
  for (std::size_t i = 2 * 200; i < stereo.size(); ++i) {
    if (std::abs(stereo[i]) < 4000) continue;
    const double share = static_cast<double>(out[i]) / stereo[i];
    lowest = std::min(lowest, share);
    highest = std::max(highest, share);
  }
  EXPECT_LT(highest, 0.51);
  EXPECT_LT(highest - lowest, 0.002);
}

}  // namespace
}  // namespace platform::sdl
