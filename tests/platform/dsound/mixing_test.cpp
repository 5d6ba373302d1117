// What reaches the output: samples pulled from the headless back end and
// checked against what each buffer, format and control should give.
#include <cmath>

#include "platform/dsound/dsound_mixer.h"

#include "tests/platform/dsound/dsound_test_support.h"

namespace dsound_test {
namespace {

using DSoundMixing = DirectSoundTest;
using Samples = std::vector<std::int16_t>;

double Amplitude(LONG hundredthsOfDecibel) { return std::pow(10.0, hundredthsOfDecibel / 2000.0); }

TEST_F(DSoundMixing, OnceStopsAtTheEndAndLoopingGoesRound) {
  const Samples wave{1000, 2000, -3000, 4000};
  IDirectSoundBuffer* once = Make(Pcm(1, 16, 44100), wave);
  ASSERT_EQ(once->Play(0, 0, 0), DS_OK);
  const Samples out = Pull(6);
  EXPECT_EQ(Left(out), (Samples{1000, 2000, -3000, 4000, 0, 0}));
  EXPECT_EQ(Right(out), Left(out));
  DWORD status = 1, play = 1;
  ASSERT_EQ(once->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, 0u);
  ASSERT_EQ(once->GetCurrentPosition(&play, nullptr), DS_OK);
  EXPECT_EQ(play, 0u);  // back at the start, ready to play again

  ASSERT_EQ(once->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  EXPECT_EQ(Left(Pull(10)), (Samples{1000, 2000, -3000, 4000, 1000, 2000, -3000, 4000, 1000, 2000}));
  ASSERT_EQ(once->Stop(), DS_OK);
  EXPECT_EQ(Left(Pull(3)), (Samples{0, 0, 0}));
  ASSERT_EQ(once->Play(0, 0, 0), DS_OK);  // resumes where it stopped
  EXPECT_EQ(Left(Pull(3)), (Samples{-3000, 4000, 0}));
}

TEST_F(DSoundMixing, EightBitStereoAndSilenceBeforeACooperativeLevel) {
  IDirectSoundBuffer* eight = MakeBytes(Pcm(1, 8, 44100), {128, 255, 0, 192}, 0);
  ASSERT_EQ(eight->Play(0, 0, 0), DS_OK);
  EXPECT_EQ(Left(Pull(4)), (Samples{0, 127 * 256, -128 * 256, 64 * 256}));

  IDirectSoundBuffer* stereo = Make(Pcm(2, 16, 44100), {100, -100, 200, -200});
  ASSERT_EQ(stereo->Play(0, 0, 0), DS_OK);
  const Samples out = Pull(2);
  EXPECT_EQ(Left(out), (Samples{100, 200}));
  EXPECT_EQ(Right(out), (Samples{-100, -200}));

  // An object without a cooperative level plays nothing (but succeeds).
  IDirectSound* quiet = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &quiet, nullptr), DS_OK);
  WAVEFORMATEX f = Pcm(1, 16, 44100);
  DSBUFFERDESC d = Desc(0, 8, &f);
  IDirectSoundBuffer* b = nullptr;
  ASSERT_EQ(quiet->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
  void* p;
  DWORD n;
  ASSERT_EQ(b->Lock(0, 8, &p, &n, nullptr, nullptr, 0), DS_OK);
  std::memcpy(p, Samples{5000, 5000, 5000, 5000}.data(), 8);
  ASSERT_EQ(b->Unlock(p, n, nullptr, 0), DS_OK);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  EXPECT_EQ(Left(Pull(4)), (Samples{0, 0, 0, 0}));
  ASSERT_EQ(quiet->SetCooperativeLevel(window_, DSSCL_NORMAL), DS_OK);
  EXPECT_EQ(Left(Pull(2)), (Samples{5000, 5000}));
  EXPECT_EQ(b->Release(), 0u);
  EXPECT_EQ(quiet->Release(), 0u);
}

TEST_F(DSoundMixing, VolumeAndPanAreHundredthsOfADecibel) {
  IDirectSoundBuffer* b = Make(Pcm(1, 16, 44100), Samples(8, 20000));
  ASSERT_EQ(b->SetVolume(-600), DS_OK);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  Samples out = Pull(1);
  EXPECT_NEAR(out[0], 20000 * Amplitude(-600), 1.0);
  EXPECT_NEAR(out[1], 20000 * Amplitude(-600), 1.0);

  ASSERT_EQ(b->SetVolume(0), DS_OK);
  ASSERT_EQ(b->SetPan(2000), DS_OK);  // to the right: the left side 20 dB down
  out = Pull(1);
  EXPECT_NEAR(out[0], 2000, 1.0);
  EXPECT_EQ(out[1], 20000);
  ASSERT_EQ(b->SetPan(DSBPAN_LEFT), DS_OK);
  out = Pull(1);
  EXPECT_EQ(out[0], 20000);
  EXPECT_EQ(out[1], 0);
  ASSERT_EQ(b->SetPan(0), DS_OK);
  ASSERT_EQ(b->SetVolume(DSBVOLUME_MIN), DS_OK);
  EXPECT_EQ(Pull(1), (Samples{0, 0}));

  // The primary's volume and pan act on everything its object plays.
  ASSERT_EQ(b->SetVolume(0), DS_OK);
  DSBUFFERDESC d = Desc(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN, 0, nullptr);
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(ds_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
  Own(primary);
  ASSERT_EQ(primary->SetVolume(-2000), DS_OK);
  ASSERT_EQ(primary->SetPan(-2000), DS_OK);
  out = Pull(1);
  EXPECT_NEAR(out[0], 2000, 1.0);
  EXPECT_NEAR(out[1], 200, 1.0);
  LONG volume = 0;
  ASSERT_EQ(primary->GetVolume(&volume), DS_OK);
  EXPECT_EQ(volume, -2000);
}

TEST_F(DSoundMixing, FrequenciesAreResampledToTheOutputRate) {
  IDirectSoundBuffer* b = Make(Pcm(1, 16, 22050), {0, 1000, 2000, 3000});
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  // Half the output rate: every sample and a point half way to the next.
  EXPECT_EQ(Left(Pull(9)), (Samples{0, 500, 1000, 1500, 2000, 2500, 3000, 3000, 0}));

  ASSERT_EQ(b->SetFrequency(88200), DS_OK);  // twice the output rate: every other sample
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  EXPECT_EQ(Left(Pull(4)), (Samples{0, 2000, 0, 2000}));

  // A whole second at an odd rate keeps its length: it ends within a frame
  // of where its duration says.
  IDirectSoundBuffer* tone = Make(Pcm(1, 16, 11025), Samples(11025, 1));
  ASSERT_EQ(b->Stop(), DS_OK);
  ASSERT_EQ(tone->SetFrequency(11111), DS_OK);
  ASSERT_EQ(tone->Play(0, 0, 0), DS_OK);
  const Samples second = Left(Pull(44100));
  size_t last = 0;
  for (size_t i = 0; i < second.size(); ++i)
    if (second[i] != 0) last = i;
  EXPECT_NEAR(static_cast<double>(last + 1), 11025.0 * 44100.0 / 11111.0, 1.0);
}

TEST_F(DSoundMixing, SumsAreClippedToSixteenBitsUnlessPulledWide) {
  IDirectSoundBuffer* a = Make(Pcm(1, 16, 44100), {30000, -30000, 10000});
  IDirectSoundBuffer* b = Make(Pcm(1, 16, 44100), {30000, -30000, -4000});
  ASSERT_EQ(a->Play(0, 0, 0), DS_OK);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  EXPECT_EQ(Left(Pull(3)), (Samples{32767, -32768, 6000}));
  // An output stage of the back end's own gets the sums as they are.
  ASSERT_EQ(a->Play(0, 0, 0), DS_OK);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  std::vector<std::int32_t> wide(6);
  platform::dsound::Mixer::Instance().MixWide(wide.data(), 3);
  EXPECT_EQ(wide, (std::vector<std::int32_t>{60000, 60000, -60000, -60000, 6000, 6000}));
}

TEST_F(DSoundMixing, DuplicatesShareSamplesButNotTheirPlaceOrControls) {
  IDirectSoundBuffer* original = Make(Pcm(1, 16, 44100), {100, 200, 300, 400, 500, 600});
  ASSERT_EQ(original->SetVolume(-2000), DS_OK);
  IDirectSoundBuffer* copy = nullptr;
  ASSERT_EQ(ds_->DuplicateSoundBuffer(original, &copy), DS_OK);
  Own(copy);
  LONG volume = 0;
  ASSERT_EQ(copy->GetVolume(&volume), DS_OK);
  EXPECT_EQ(volume, -2000);  // starts with the original's controls
  ASSERT_EQ(original->SetVolume(0), DS_OK);
  ASSERT_EQ(copy->SetVolume(0), DS_OK);

  // Writing through the original changes what the duplicate plays.
  void* p;
  DWORD n;
  ASSERT_EQ(original->Lock(0, 2, &p, &n, nullptr, nullptr, 0), DS_OK);
  const std::int16_t first = 1;
  std::memcpy(p, &first, 2);
  ASSERT_EQ(original->Unlock(p, n, nullptr, 0), DS_OK);

  ASSERT_EQ(copy->SetCurrentPosition(4), DS_OK);  // two frames ahead
  ASSERT_EQ(original->Play(0, 0, 0), DS_OK);
  ASSERT_EQ(copy->Play(0, 0, 0), DS_OK);
  EXPECT_EQ(Left(Pull(6)), (Samples{1 + 300, 200 + 400, 300 + 500, 400 + 600, 500, 600}));

  // The duplicate keeps the samples alive when the original is gone.
  owned_.erase(owned_.begin());
  EXPECT_EQ(original->Release(), 0u);
  ASSERT_EQ(copy->Play(0, 0, 0), DS_OK);
  EXPECT_EQ(Left(Pull(2)), (Samples{1, 200}));

  EXPECT_EQ(ds_->DuplicateSoundBuffer(nullptr, &copy), DSERR_INVALIDPARAM);
  EXPECT_EQ(copy, nullptr);
  DSBUFFERDESC d = Desc(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(ds_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
  EXPECT_EQ(ds_->DuplicateSoundBuffer(primary, &copy), DSERR_INVALIDCALL);
  EXPECT_EQ(primary->Release(), 0u);
}

TEST_F(DSoundMixing, ReferencesKeepTheObjectAlive) {
  IDirectSoundBuffer* b = Make(Pcm(1, 16, 44100), {1, 2});
  IDirectSoundBuffer* copy = nullptr;
  ASSERT_EQ(ds_->DuplicateSoundBuffer(b, &copy), DS_OK);
  EXPECT_EQ(b->AddRef(), 2u);
  EXPECT_EQ(b->Release(), 1u);
  // Each buffer holds the DirectSound object: its count says so.
  EXPECT_EQ(ds_->AddRef(), 4u);
  EXPECT_EQ(ds_->Release(), 3u);
  void* same = nullptr;
  ASSERT_EQ(copy->QueryInterface(IID_IDirectSoundBuffer, &same), DS_OK);
  EXPECT_EQ(same, copy);
  EXPECT_EQ(copy->Release(), 1u);
  EXPECT_EQ(copy->Release(), 0u);
  EXPECT_EQ(ds_->AddRef(), 3u);
  EXPECT_EQ(ds_->Release(), 2u);
}

}  // namespace
}  // namespace dsound_test
