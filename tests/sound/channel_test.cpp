// Channels at work: duplicates of one wave playing over each other, Play
// restarting, Stop, detaching, and the 3D parameters a 3D wave brings.
#include <memory>

#include "tests/sound/sound_fixture.h"

namespace sound_test {
namespace {

using SoundChannels = SoundTest;
using Samples = std::vector<std::int16_t>;

// Output frames per sample of a 22050 Hz wave at the 44100 Hz output.
constexpr size_t kStep = 2;

TEST_F(SoundChannels, OneWaveOnTwoChannelsGivesTwoOverlappingSounds) {
  TBrinSound* sound = Start();
  auto wave = std::make_unique<TBrinSoundWaveData>(sound, WriteFile("a.wav", PcmWave({1000, 2000, 3000, 4000})));
  TBrinSoundChannel* a = sound->Channels(0);
  TBrinSoundChannel* b = sound->Channels(1);
  a->setWaveData(wave.get());
  b->setWaveData(wave.get());
  ASSERT_NE(a->Buffer, nullptr);
  EXPECT_NE(a->Buffer, b->Buffer);   // each channel its own duplicate
  EXPECT_NE(a->Buffer, wave->Buffer);

  a->Stop();
  a->Play();
  PullLeft(2 * kStep);  // a is two samples in when b starts
  b->Stop();
  b->Play();
  const Samples heard = PullLeft(5 * kStep);
  EXPECT_EQ(heard[0], 3000 + 1000);
  EXPECT_EQ(heard[2], 4000 + 2000);
  EXPECT_EQ(heard[4], 3000);  // a has ended
  EXPECT_EQ(heard[6], 4000);
  EXPECT_EQ(heard[8], 0);

  // The channels keep playing their duplicates after the wave is freed.
  wave.reset();
  a->Play();
  EXPECT_EQ(PullLeft(1)[0], 1000);
  EXPECT_FALSE(LogExists());
}

TEST_F(SoundChannels, PlayRestartsStopHaltsAndDetachingSilences) {
  TBrinSound* sound = Start();
  auto wave = std::make_unique<TBrinSoundWaveData>(sound, WriteFile("a.wav", PcmWave({10, 20, 30, 40, 50})));
  TBrinSoundChannel* channel = sound->Channels(7);
  channel->setWaveData(wave.get());
  channel->Play();
  EXPECT_EQ(PullLeft(3 * kStep)[4], 30);
  channel->Play();  // still playing: back to the beginning
  EXPECT_EQ(PullLeft(1)[0], 10);
  channel->Stop();
  EXPECT_EQ(PullLeft(2), (Samples{0, 0}));
  DWORD status = 1;
  ASSERT_EQ(channel->Buffer->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, 0u);

  channel->setWaveData(nullptr);
  EXPECT_EQ(channel->Buffer, nullptr);
  channel->Play();
  channel->Stop();
  EXPECT_EQ(PullLeft(2), (Samples{0, 0}));
  wave.reset();
  EXPECT_FALSE(LogExists());
}

TEST_F(SoundChannels, AThreeDWaveBringsItsParametersToEachChannel) {
  TBrinSound* sound = Start([](TBrinSound* s) { s->Use3D = true; });
  ASSERT_NE(sound->Listener3D, nullptr);
  ASSERT_NE(sound->Listener, nullptr);
  DS3DLISTENER listener{};
  listener.dwSize = sizeof listener;
  ASSERT_EQ(sound->Listener3D->GetAllParameters(&listener), DS_OK);
  EXPECT_EQ(std::memcmp(&listener, &sound->Listener->Params, sizeof listener), 0);  // sent at creation
  DSBCAPS caps{sizeof caps, 0, 0, 0, 0};
  ASSERT_EQ(sound->PrimaryBuffer->GetCaps(&caps), DS_OK);
  EXPECT_TRUE(caps.dwFlags & DSBCAPS_CTRL3D);

  auto wave = std::make_unique<TBrinSoundWave3D>(sound, WriteFile("a.wav", PcmWave(Samples(64, 8000))));
  ASSERT_NE(wave->Buffer, nullptr);
  ASSERT_EQ(wave->Buffer->GetCaps(&caps), DS_OK);
  EXPECT_EQ(caps.dwFlags & ~DSBCAPS_LOCSOFTWARE, 0xB2u | DSBCAPS_STICKYFOCUS);
  EXPECT_EQ(wave->Params3D->Channel, nullptr);
  EXPECT_EQ(wave->Params3D->Params.flMinDistance, 5.0f);

  // The wave's set goes to the channel's 3D buffer as it is attached.
  wave->Params3D->Params.vPosition = D3DVECTOR{0.0f, 0.0f, 20.0f};
  TBrinSoundChannel* channel = sound->Channels(0);
  channel->setWaveData(wave.get());
  ASSERT_NE(channel->Buffer3D, nullptr);
  DS3DBUFFER applied{};
  applied.dwSize = sizeof applied;
  ASSERT_EQ(channel->Buffer3D->GetAllParameters(&applied), DS_OK);
  EXPECT_EQ(applied.vPosition.z, 20.0f);
  EXPECT_EQ(applied.flMinDistance, 5.0f);
  channel->Play();
  EXPECT_NEAR(PullLeft(1)[0], 8000 * 5.0 / 20.0, 1.0);  // 20 units away, full volume up to 5

  // Later changes to the wave's set wait for the next attachment; the
  // channel's set reads the platform's values.
  wave->Params3D->Params.vPosition.z = 5.0f;
  EXPECT_EQ(channel->Params3D->GetParams().vPosition.z, 20.0f);
  channel->setWaveData(wave.get());
  EXPECT_EQ(channel->Params3D->GetParams().vPosition.z, 5.0f);

  // Attaching a plain wave leaves no 3D buffer; its set then only holds values.
  auto flat = std::make_unique<TBrinSoundWaveData>(sound, WriteFile("b.wav", PcmWave({1, 2})));
  channel->setWaveData(flat.get());
  EXPECT_EQ(channel->Buffer3D, nullptr);
  TBrinSoundParams3D source(nullptr);
  source.Params.flMaxDistance = 42.0f;
  channel->Params3D->Assign(&source);
  EXPECT_EQ(channel->Params3D->GetParams().flMaxDistance, 42.0f);
  wave.reset();
  flat.reset();
  EXPECT_FALSE(LogExists());
}

}  // namespace
}  // namespace sound_test
