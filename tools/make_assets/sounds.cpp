#include "tools/make_assets/sounds.h"

#include "tools/make_assets/synth.h"

namespace assetgen {
namespace {

// Peaks: explosions at -1 dBFS (up to ten of them overlap, the mixer
// limits), the menu sounds quieter so they do not startle.
constexpr int kExplosionPeak = 29200;
constexpr int kTickPeak = 11600;     // about -9 dBFS
constexpr int kConfirmPeak = 16400;  // about -6 dBFS

// A burst of gritty noise whose grain coarsens as it dies, over a thump
// that falls in pitch: the arcade explosion.
struct Blast {
  int length;        // samples
  int halfLife;      // of the noise, samples
  int holdStart;     // noise hold at the start and the end, samples
  int holdEnd;
  int cutoffStart;   // low-pass sweep, Hz
  int cutoffEnd;
  int thumpFromMHz;  // thump pitch sweep, millihertz
  int thumpToMHz;
  int thumpHalfLife;
  int thumpGainQ8;
  std::uint32_t seed;
};

Mix MakeBlast(const Blast& b) {
  Mix out(static_cast<std::size_t>(b.length));
  HeldNoise noise(b.seed);
  LowPass filter;
  Decay noiseEnv(b.halfLife);
  Oscillator thump;
  Decay thumpEnv(b.thumpHalfLife);
  for (int i = 0; i < b.length; ++i) {
    const int hold = static_cast<int>(Lerp(b.holdStart, b.holdEnd, i, b.length));
    const int cutoff = static_cast<int>(Lerp(b.cutoffStart, b.cutoffEnd, i, b.length));
    const std::int64_t n = filter.Next(noise.Next(hold), cutoff);
    const std::int64_t t = thump.Next(Lerp(b.thumpFromMHz, b.thumpToMHz, i, b.length));
    const std::int64_t v = (n * noiseEnv.Next() >> 15) + ((t * thumpEnv.Next() >> 15) * b.thumpGainQ8 >> 8);
    out[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(v);
  }
  ApplyRamps(out, Ms(1), Ms(25));
  return out;
}

// A tone with a few odd harmonics (a soft square) under an envelope that
// opens and closes with short ramps, so notes can follow one another
// without a click.
Mix MakeTone(int length, std::int64_t fromMHz, std::int64_t toMHz, int halfLife, int harmonicsQ8) {
  Mix out(static_cast<std::size_t>(length));
  Oscillator fundamental;
  Oscillator third;
  Oscillator fifth;
  Decay env(halfLife);
  for (int i = 0; i < length; ++i) {
    const std::int64_t f = Lerp(fromMHz, toMHz, i, length);
    std::int64_t v = fundamental.Next(f);
    v += (static_cast<std::int64_t>(third.Next(3 * f)) * harmonicsQ8 / 3) >> 8;
    v += (static_cast<std::int64_t>(fifth.Next(5 * f)) * harmonicsQ8 / 5) >> 8;
    out[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(v * env.Next() >> 15);
  }
  ApplyRamps(out, Ms(2), Ms(2));
  return out;
}

}  // namespace

std::vector<std::int16_t> BlockExplosion() {
  const int length = Ms(480);
  Mix mix(static_cast<std::size_t>(length));
  MixInto(mix, MakeBlast({length, Ms(55), 1, 7, 9000, 900, 160000, 45000, Ms(45), 200, 0x2F6B1A03u}), 0, 256);
  return Finish(mix, kExplosionPeak, Ms(2), Ms(60));
}

std::vector<std::int16_t> PlayerHit() {
  const int length = Ms(1500);
  Mix mix(static_cast<std::size_t>(length));
  MixInto(mix, MakeBlast({length, Ms(190), 2, 14, 8000, 500, 120000, 32000, Ms(140), 230, 0x51C0FFEEu}), 0, 256);
  // The ship's systems winding down: a falling, wavering tone.
  Mix whine(static_cast<std::size_t>(Ms(1100)));
  Oscillator carrier;
  Oscillator wobble;
  Decay env(Ms(380));
  for (std::size_t i = 0; i < whine.size(); ++i) {
    const std::int64_t base = Lerp(1040000, 130000, static_cast<std::int64_t>(i), static_cast<std::int64_t>(whine.size()));
    const std::int64_t vibrato = base + ((base / 16) * wobble.Next(9000) >> 15);
    std::int64_t v = carrier.Next(vibrato);
    v = v > 16000 ? 16000 : (v < -16000 ? -16000 : v);  // squared off for an electronic edge
    whine[i] = static_cast<std::int32_t>(v * env.Next() >> 15);
  }
  ApplyRamps(whine, Ms(5), Ms(120));
  MixInto(mix, whine, Ms(60), 150);
  return Finish(mix, kExplosionPeak, Ms(2), Ms(150));
}

std::vector<std::int16_t> FinalExplosion() {
  const int length = Ms(1600);
  Mix mix(static_cast<std::size_t>(length));
  // Three blasts one after another and a long low rumble under them.
  MixInto(mix, MakeBlast({Ms(900), Ms(150), 1, 10, 10000, 700, 140000, 40000, Ms(120), 220, 0x0BADF00Du}), 0, 256);
  MixInto(mix, MakeBlast({Ms(800), Ms(130), 2, 12, 7000, 600, 110000, 35000, Ms(110), 200, 0x7E57AB1Eu}), Ms(170), 210);
  MixInto(mix, MakeBlast({Ms(1150), Ms(260), 3, 18, 6000, 300, 90000, 28000, Ms(260), 260, 0x5EED1234u}), Ms(420), 240);
  Mix rumble(static_cast<std::size_t>(length));
  HeldNoise noise(0x0DDBA11u);
  LowPass lowA;
  LowPass lowB;
  Decay env(Ms(520));
  for (std::size_t i = 0; i < rumble.size(); ++i) {
    const std::int64_t n = lowB.Next(lowA.Next(noise.Next(4), 220), 220);
    rumble[i] = static_cast<std::int32_t>(n * env.Next() >> 15);
  }
  ApplyRamps(rumble, Ms(10), Ms(200));
  MixInto(mix, rumble, 0, 600);
  return Finish(mix, kExplosionPeak, Ms(2), Ms(220));
}

std::vector<std::int16_t> MenuTick() {
  const int length = Ms(30);
  Mix mix = MakeTone(length, 1480000, 1400000, Ms(6), 40);
  return Finish(mix, kTickPeak, Ms(1), Ms(8));
}

std::vector<std::int16_t> MenuConfirm() {
  // Two rising notes, a fourth apart.
  const int length = Ms(72);
  Mix mix(static_cast<std::size_t>(length));
  MixInto(mix, MakeTone(Ms(30), 1318510, 1318510, Ms(14), 110), 0, 256);
  MixInto(mix, MakeTone(Ms(42), 1760000, 1760000, Ms(16), 110), Ms(30), 256);
  return Finish(mix, kConfirmPeak, Ms(1), Ms(12));
}

}  // namespace assetgen
