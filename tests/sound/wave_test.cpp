// Wave loading: the game's five files, hand-built files that are good in
// unusual ways, and malformed ones with each message.
#include <unistd.h>

#include <fstream>
#include <memory>

#include "tests/sound/sound_fixture.h"

namespace sound_test {
namespace {

using SoundWaves = SoundTest;

// The 16-bit samples of a WAV file's "data" chunk, read plainly.
std::vector<std::int16_t> DataSamples(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (size_t at = 12; at + 8 <= bytes.size();) {
    DWORD size = 0;
    std::memcpy(&size, &bytes[at + 4], 4);  // little-endian, as this machine is
    if (std::memcmp(&bytes[at], "data", 4) == 0) {
      std::vector<std::int16_t> samples(size / 2);
      std::memcpy(samples.data(), &bytes[at + 8], samples.size() * 2);
      return samples;
    }
    at += 8 + size + (size & 1);
  }
  return {};
}

TEST_F(SoundWaves, TheGamesFiveWavesLoadByBareNameAndPlayAtTheirOwnRate) {
  TBrinSound* sound = Start();
  // The game names its files bare; they are found in the current directory.
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(BRIN_ASSETS_DIR), 0);
  std::vector<std::unique_ptr<TBrinSoundWaveData>> waves;
  for (const char* name : {"bom02.wav", "bom03.wav", "bom04.wav", "click05.wav", "click06.wav"})
    waves.push_back(std::make_unique<TBrinSoundWaveData>(sound, name));
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_FALSE(LogExists());

  const DWORD sizes[] = {10584 * 2, 33075 * 2, 35280 * 2, 661 * 2, 1587 * 2};
  for (size_t i = 0; i < waves.size(); ++i) {
    const TBrinSoundWaveData& w = *waves[i];
    ASSERT_NE(w.Buffer, nullptr) << i;
    EXPECT_EQ(w.DataSize, sizes[i]);
    EXPECT_EQ(w.Format.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(w.Format.nChannels, 1u);
    EXPECT_EQ(w.Format.nSamplesPerSec, 22050u);
    EXPECT_EQ(w.Format.wBitsPerSample, 16u);
    EXPECT_EQ(w.Format.cbSize, 0u);  // a 16-byte chunk leaves the rest of the record zero
    DSBCAPS caps{sizeof caps, 0, 0, 0, 0};
    ASSERT_EQ(w.Buffer->GetCaps(&caps), DS_OK);
    EXPECT_EQ(caps.dwFlags & ~DSBCAPS_LOCSOFTWARE, 0xE2u | DSBCAPS_STICKYFOCUS);
    EXPECT_EQ(caps.dwBufferBytes, sizes[i]);
  }

  // The explosion on a channel: every other output frame (44100 Hz) is one
  // of the file's samples (22050 Hz), exactly.
  TBrinSoundChannel* channel = sound->Channels(0);
  channel->setWaveData(waves[0].get());
  channel->Play();
  const std::vector<std::int16_t> heard = PullLeft(2 * 10584 + 100);
  const std::vector<std::int16_t> file = DataSamples(std::string(BRIN_ASSETS_DIR) + "bom02.wav");
  ASSERT_EQ(file.size(), 10584u);
  for (size_t i = 0; i < file.size(); ++i) ASSERT_EQ(heard[2 * i], file[i]) << i;
  for (size_t i = 2 * file.size(); i < heard.size(); ++i) ASSERT_EQ(heard[i], 0) << i;  // then it stops
  waves.clear();
  EXPECT_FALSE(LogExists());  // each wave's release came back to 0
}

TEST_F(SoundWaves, UnusualButGoodFilesLoad) {
  TBrinSound* sound = Start([](TBrinSound* s) { s->StickyFocus = false; });
  const Bytes samples = SampleBytes({100, 200, 300});
  // A LIST between "fmt " and "data", an odd-sized chunk with its pad, and
  // a "fmt " chunk longer than the record (cut to it).
  Bytes longFmt = FmtBody(1, 22050, 16);
  for (int i = 0; i < 8; ++i) longFmt.push_back(0xAB);
  const std::string path = WriteFile(
      "good.wav", Riff("WAVE", {Chunk("fmt ", longFmt), Chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'x'}),
                                Chunk("odd ", Bytes{1, 2, 3}), Chunk("data", samples)}));
  TBrinSoundWaveData wave(sound, path);
  ASSERT_NE(wave.Buffer, nullptr);
  EXPECT_EQ(wave.DataSize, 6u);
  EXPECT_EQ(wave.FormatRecord[18], 0xAB);  // kept up to the record's 20 bytes
  EXPECT_EQ(wave.FormatRecord[19], 0xAB);
  DSBCAPS caps{sizeof caps, 0, 0, 0, 0};
  ASSERT_EQ(wave.Buffer->GetCaps(&caps), DS_OK);
  EXPECT_EQ(caps.dwFlags & DSBCAPS_STICKYFOCUS, 0u);

  // A "data" chunk that declares more than the file holds: what is there,
  // then silence (0x80 for 8-bit samples).
  const std::string shortPath = WriteFile(
      "short.wav", Riff("WAVE", {Chunk("fmt ", FmtBody(1, 11025, 8)), Chunk("data", Bytes{10, 20}, 6)}));
  TBrinSoundWaveData shortWave(sound, shortPath);
  ASSERT_NE(shortWave.Buffer, nullptr);
  void* p = nullptr;
  DWORD n = 0;
  ASSERT_EQ(shortWave.Buffer->Lock(0, 6, &p, &n, nullptr, nullptr, 0), DS_OK);
  EXPECT_EQ(Bytes(static_cast<std::uint8_t*>(p), static_cast<std::uint8_t*>(p) + n),
            (Bytes{10, 20, 0x80, 0x80, 0x80, 0x80}));
  DWORD frequency = 0;
  ASSERT_EQ(shortWave.Buffer->GetFrequency(&frequency), DS_OK);
  EXPECT_EQ(frequency, 11025u);
  EXPECT_FALSE(LogExists());
}

TEST_F(SoundWaves, EachFileProblemHasItsMessage) {
  TBrinSound* sound = Start();
  const Bytes fmt = Chunk("fmt ", FmtBody(1, 22050, 16));
  const Bytes data = Chunk("data", SampleBytes({1, 2}));
  struct Case {
    const char* name;
    Bytes bytes;
    const char* message;
  };
  const Case cases[] = {
      {"avi.wav", Riff("AVI ", {fmt, data}), "は、WAVEファイルではありません"},
      {"text.wav", Bytes{'h', 'e', 'l', 'l', 'o'}, "は、WAVEファイルではありません"},
      {"nofmt.wav", Riff("WAVE", {data}), "には、fmtチャンクが有りません"},
      {"cutfmt.wav", Riff("WAVE", {Chunk("fmt ", FmtBody(1, 22050, 16), 400)}), "のfmtチャンクが不正です"},
      {"hugefmt.wav", Riff("WAVE", {Chunk("fmt ", FmtBody(1, 22050, 16), 0x7FFFFFF0)}), "のfmtチャンクが不正です"},
      {"datafirst.wav", Riff("WAVE", {data, fmt}), "には、dataチャンクが有りません"},
      {"nodata.wav", Riff("WAVE", {fmt, Chunk("LIST", Bytes{'I', 'N', 'F', 'O'})}), "には、dataチャンクが有りません"},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    const std::string path = WriteFile(c.name, c.bytes);
    TBrinSoundWaveData wave(sound, path);
    EXPECT_EQ(wave.Buffer, nullptr) << c.name;
    expected.push_back(path + c.message);
  }
  const std::string missing = (dir / "missing.wav").string();
  TBrinSoundWaveData none(sound, missing);
  expected.push_back(missing + "が、見つかりません");

  // The platform decides on the format: 24-bit samples are refused.
  const std::string deep = WriteFile("deep.wav", Riff("WAVE", {Chunk("fmt ", FmtBody(1, 22050, 24)), data}));
  TBrinSoundWaveData refused(sound, deep);
  EXPECT_EQ(refused.Buffer, nullptr);
  expected.push_back("サウンドバッファの作成に失敗しました(Error Code(88780064))");
  const std::string empty = WriteFile("empty.wav", Riff("WAVE", {fmt, Chunk("data", Bytes{})}));
  TBrinSoundWaveData nothing(sound, empty);
  expected.push_back("サウンドバッファの作成に失敗しました(Error Code(80070057))");
  EXPECT_EQ(LogLines(), expected);
}

}  // namespace
}  // namespace sound_test
