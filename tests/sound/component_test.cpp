// The component: stored properties, start-up, the channel array and its
// range message, design mode, the silent path without a device, teardown.
#include "tests/sound/sound_fixture.h"

namespace sound_test {
namespace {

using SoundComponent = SoundTest;

TEST_F(SoundComponent, DefaultsAndStartUpAsTheFormLoadsIt) {
  TComponent owner(nullptr);
  auto* plain = new TBrinSound(&owner);
  EXPECT_EQ(plain->ChannelCount, 8u);
  EXPECT_TRUE(plain->StickyFocus);
  EXPECT_FALSE(plain->Use3D);
  EXPECT_EQ(plain->DebugOption(), TBrinSoundDebugOption({dsoHaltOnError}));
  EXPECT_FALSE(plain->Initialized);  // nothing happens before Loaded
  // The setter drives the module's switches.
  EXPECT_TRUE(brin::sound::Log().channel.haltOnError);
  EXPECT_FALSE(brin::sound::Log().channel.debugMessage);
  plain->SetDebugOption({dsoDebugMessage, dsoExceptOnError});
  EXPECT_FALSE(brin::sound::Log().channel.haltOnError);
  EXPECT_TRUE(brin::sound::Log().exceptOnError);
  delete plain;

  TBrinSound* sound = Start();
  EXPECT_TRUE(sound->Initialized);
  ASSERT_NE(sound->DirectSound, nullptr);
  ASSERT_NE(sound->PrimaryBuffer, nullptr);
  EXPECT_EQ(sound->Listener3D, nullptr);
  EXPECT_EQ(sound->Listener, nullptr);
  EXPECT_TRUE(backend.AudioOpen());
  DSBCAPS caps{sizeof caps, 0, 0, 0, 0};
  ASSERT_EQ(sound->PrimaryBuffer->GetCaps(&caps), DS_OK);
  EXPECT_EQ(caps.dwFlags & ~DSBCAPS_LOCSOFTWARE, DSBCAPS_PRIMARYBUFFER);
  EXPECT_FALSE(LogExists());  // a clean start writes nothing

  Stop();
  EXPECT_FALSE(backend.AudioOpen());
  EXPECT_EQ(platform::LiveObjectCount(), baseObjects);
  EXPECT_FALSE(LogExists());  // every release came back to 0
}

TEST_F(SoundComponent, ChannelsAreNumberedFromZeroAndOthersAreReported) {
  TBrinSound* sound = Start();
  TBrinSoundChannel* last = sound->Channels(49);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->Sound, sound);
  EXPECT_EQ(last->Buffer, nullptr);
  EXPECT_NE(sound->Channels(0), last);
  EXPECT_EQ(sound->Channels(50), nullptr);
  EXPECT_EQ(sound->Channels(-1), nullptr);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"チャンネル番号50は無効です、0～49の範囲で指定してください",
                                                  "チャンネル番号-1は無効です、0～49の範囲で指定してください"}));
  // A channel's own parameter set starts at the library's values.
  const DS3DBUFFER p = last->Params3D->GetParams();
  EXPECT_EQ(p.dwSize, 64u);
  EXPECT_EQ(p.flMinDistance, 5.0f);
  EXPECT_EQ(p.flMaxDistance, 100.0f);
  EXPECT_EQ(p.dwInsideConeAngle, 360u);
  EXPECT_EQ(p.dwOutsideConeAngle, 360u);
  EXPECT_EQ(p.vConeOrientation.z, 1.0f);
  EXPECT_EQ(last->Params3D->Channel, last);
}

TEST_F(SoundComponent, ChannelsExistOnlyAsMadeByInitialize) {
  TBrinSound* sound = Start([](TBrinSound* s) { s->ChannelCount = 3; });
  ASSERT_NE(sound->Channels(2), nullptr);
  // Raising the count later does not invent channels: the range is what exists.
  sound->ChannelCount = 10;
  EXPECT_EQ(sound->Channels(5), nullptr);
  EXPECT_EQ(LogLines().back(), "チャンネル番号5は無効です、0～2の範囲で指定してください");
  // A second Initialize makes the new number and a fresh device; the first
  // device's objects are released (TearDown counts the live objects).
  EXPECT_TRUE(sound->Initialize());
  ASSERT_NE(sound->Channels(9), nullptr);
  EXPECT_NE(sound->DirectSound, nullptr);
  EXPECT_EQ(platform::LiveObjectCount(), baseObjects + 2);  // the new object and its primary
}

TEST_F(SoundComponent, NoDeviceMeansSilenceAndNoReports) {
  backend.SetAudioAvailable(false);
  TBrinSound* sound = Start([](TBrinSound* s) { s->SetDebugOption({dsoHaltOnError, dsoDebugMessage}); });
  EXPECT_FALSE(sound->Initialized);
  EXPECT_EQ(sound->DirectSound, nullptr);
  EXPECT_FALSE(sound->Initialize());
  TBrinSoundChannel* channel = sound->Channels(49);
  ASSERT_NE(channel, nullptr);  // the channels exist all the same
  // No file is even opened: a missing one is not reported.
  TBrinSoundWaveData missing(sound, (dir / "missing.wav").string());
  EXPECT_EQ(missing.Buffer, nullptr);
  channel->setWaveData(&missing);
  channel->setWaveData(nullptr);
  channel->Stop();
  channel->Play();
  EXPECT_EQ(channel->Buffer, nullptr);
  EXPECT_FALSE(LogExists());
  EXPECT_EQ(platform::LiveObjectCount(), baseObjects);
}

TEST_F(SoundComponent, DesignModeAllowsOneComponentAndStartsNothing) {
  TForm form(nullptr);
  form.SetDesigning(true);
  auto* first = new TBrinSound(&form);
  try {
    new TBrinSound(&form);
    FAIL() << "a second component was placed";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "BrinSoundコンポーネントを、同一フォームに2つ以上貼る事はできません");
  }
  EXPECT_EQ(form.ComponentCount(), 1);  // the refused one left the form again
  first->Loaded();
  EXPECT_FALSE(first->Initialized);
  EXPECT_FALSE(backend.AudioOpen());
  EXPECT_FALSE(LogExists());  // the refusal is not logged
}

}  // namespace
}  // namespace sound_test
