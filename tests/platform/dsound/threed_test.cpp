// The 3D interfaces: where they exist, their records and checks, deferred
// settings, and what the mixer makes of distance, direction and cones.
#include <cmath>
#include <limits>

#include "tests/platform/dsound/dsound_test_support.h"

namespace dsound_test {
namespace {

class DSound3D : public DirectSoundTest {
 protected:
  void SetUp() override {
    DirectSoundTest::SetUp();
    DSBUFFERDESC d = Desc(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, nullptr);
    ASSERT_EQ(ds_->CreateSoundBuffer(&d, &primary_, nullptr), DS_OK);
    Own(primary_);
    ASSERT_EQ(primary_->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener_)), DS_OK);
    Own(listener_);
    source_ = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(64, 12000),
                   DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY);
    ASSERT_EQ(source_->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&source3D_)), DS_OK);
    Own(source3D_);
    ASSERT_EQ(source_->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  }
  // The left and right levels of the next output frame, as fractions of the source's.
  std::pair<double, double> Heard() {
    const std::vector<std::int16_t> out = Pull(1);
    return {out[0] / 12000.0, out[1] / 12000.0};
  }

  IDirectSoundBuffer* primary_ = nullptr;
  IDirectSound3DListener* listener_ = nullptr;
  IDirectSoundBuffer* source_ = nullptr;
  IDirectSound3DBuffer* source3D_ = nullptr;
};

TEST_F(DSound3D, InterfacesExistOnlyWithThreeDControlAndCountOnTheirOwn) {
  IDirectSoundBuffer* flat = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(4));
  void* object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(flat->QueryInterface(IID_IDirectSound3DBuffer, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(source_->QueryInterface(IID_IDirectSound3DListener, &object), E_NOINTERFACE);
  EXPECT_EQ(primary_->QueryInterface(IID_IDirectSound3DBuffer, &object), E_NOINTERFACE);
  DSBUFFERDESC d = Desc(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
  IDirectSoundBuffer* flatPrimary = nullptr;
  ASSERT_EQ(ds_->CreateSoundBuffer(&d, &flatPrimary, nullptr), DS_OK);
  EXPECT_EQ(flatPrimary->QueryInterface(IID_IDirectSound3DListener, &object), E_NOINTERFACE);
  EXPECT_EQ(flatPrimary->Release(), 0u);

  // The same interface while it lives, with a count of its own: releasing
  // it returns 0 although its buffer lives on.
  ASSERT_EQ(source_->QueryInterface(IID_IDirectSound3DBuffer, &object), DS_OK);
  EXPECT_EQ(object, source3D_);
  EXPECT_EQ(source3D_->Release(), 1u);
  EXPECT_EQ(source_->AddRef(), 3u);  // the test, the 3D interface and this
  EXPECT_EQ(source_->Release(), 2u);
  ASSERT_EQ(source3D_->QueryInterface(IID_IDirectSoundBuffer, &object), DS_OK);
  EXPECT_EQ(object, source_);
  EXPECT_EQ(source_->Release(), 2u);
}

TEST_F(DSound3D, RecordsStartAtTheirDefaultsAndRefuseNonsense) {
  DS3DBUFFER b{};
  EXPECT_EQ(source3D_->GetAllParameters(&b), DSERR_INVALIDPARAM);  // dwSize unset
  b.dwSize = sizeof b;
  ASSERT_EQ(source3D_->GetAllParameters(&b), DS_OK);
  EXPECT_EQ(b.flMinDistance, DS3D_DEFAULTMINDISTANCE);
  EXPECT_EQ(b.dwOutsideConeAngle, 360u);

  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(source3D_->SetConeAngles(10, 361, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(source3D_->SetConeOutsideVolume(1, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(source3D_->SetMinDistance(0.0f, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(source3D_->SetMaxDistance(nan, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(source3D_->SetPosition(nan, 0, 0, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(source3D_->SetMode(3, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(source3D_->SetMode(DS3DMODE_DISABLE, 2), DSERR_INVALIDPARAM);
  DS3DBUFFER wrong = b;
  wrong.dwSize = 60;
  EXPECT_EQ(source3D_->SetAllParameters(&wrong, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(listener_->SetOrientation(0, 1, 0, 0, 2, 0, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);  // no right side
  EXPECT_EQ(listener_->SetRolloffFactor(10.5f, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  DS3DBUFFER after{};
  after.dwSize = sizeof after;
  ASSERT_EQ(source3D_->GetAllParameters(&after), DS_OK);
  EXPECT_EQ(std::memcmp(&after, &b, sizeof b), 0);  // nothing refused was kept
}

TEST_F(DSound3D, DeferredSettingsWaitForTheCommit) {
  ASSERT_EQ(source3D_->SetPosition(0, 0, 4, DS3D_DEFERRED), DS_OK);
  ASSERT_EQ(listener_->SetRolloffFactor(0.0f, DS3D_DEFERRED), DS_OK);
  D3DVECTOR position{};
  ASSERT_EQ(source3D_->GetPosition(&position), DS_OK);
  EXPECT_EQ(position.z, 0.0f);
  EXPECT_NEAR(Heard().first, 1.0, 1e-3);
  // An immediate change meanwhile stays, and so do the deferred ones.
  ASSERT_EQ(source3D_->SetMinDistance(2.0f, DS3D_IMMEDIATE), DS_OK);
  ASSERT_EQ(listener_->SetRolloffFactor(1.0f, DS3D_DEFERRED), DS_OK);
  ASSERT_EQ(listener_->CommitDeferredSettings(), DS_OK);
  ASSERT_EQ(source3D_->GetPosition(&position), DS_OK);
  EXPECT_EQ(position.z, 4.0f);
  D3DVALUE minimum = 0;
  ASSERT_EQ(source3D_->GetMinDistance(&minimum), DS_OK);
  EXPECT_EQ(minimum, 2.0f);
  EXPECT_NEAR(Heard().first, 0.5, 1e-3);  // 4 units away, full volume up to 2
}

TEST_F(DSound3D, DistanceAndDirectionShapeWhatIsHeard) {
  auto at = [&](float x, float y, float z) { ASSERT_EQ(source3D_->SetPosition(x, y, z, DS3D_IMMEDIATE), DS_OK); };
  at(0, 0, 1);
  auto [left, right] = Heard();
  EXPECT_NEAR(left, 1.0, 1e-3);
  EXPECT_NEAR(right, 1.0, 1e-3);
  at(0, 0, 4);  // inverse distance beyond the minimum distance
  std::tie(left, right) = Heard();
  EXPECT_NEAR(left, 0.25, 1e-3);
  EXPECT_NEAR(right, 0.25, 1e-3);
  at(3, 0, 0);  // on the right: heard only there
  std::tie(left, right) = Heard();
  EXPECT_NEAR(left, 0.0, 1e-3);
  EXPECT_NEAR(right, 1.0 / 3.0, 1e-3);
  at(-2, 0, 2);  // half left: more on the left
  std::tie(left, right) = Heard();
  EXPECT_GT(left, right);
  EXPECT_GT(right, 0.0);

  // Turning the listener to face +x puts a source ahead of the world on its left.
  ASSERT_EQ(listener_->SetOrientation(1, 0, 0, 0, 1, 0, DS3D_IMMEDIATE), DS_OK);
  at(0, 0, 3);
  std::tie(left, right) = Heard();
  EXPECT_NEAR(left, 1.0 / 3.0, 1e-3);
  EXPECT_NEAR(right, 0.0, 1e-3);
  ASSERT_EQ(listener_->SetOrientation(0, 0, 1, 0, 1, 0, DS3D_IMMEDIATE), DS_OK);

  // Head-relative sources ignore where the listener is.
  ASSERT_EQ(listener_->SetPosition(100, 0, 0, DS3D_IMMEDIATE), DS_OK);
  ASSERT_EQ(source3D_->SetMode(DS3DMODE_HEADRELATIVE, DS3D_IMMEDIATE), DS_OK);
  at(0, 0, 2);
  EXPECT_NEAR(Heard().first, 0.5, 1e-3);
  ASSERT_EQ(source3D_->SetMode(DS3DMODE_DISABLE, DS3D_IMMEDIATE), DS_OK);
  EXPECT_NEAR(Heard().first, 1.0, 1e-3);
  ASSERT_EQ(source3D_->SetMode(DS3DMODE_NORMAL, DS3D_IMMEDIATE), DS_OK);
  ASSERT_EQ(listener_->SetPosition(0, 0, 0, DS3D_IMMEDIATE), DS_OK);

  // Rolloff and the maximum distance.
  ASSERT_EQ(listener_->SetRolloffFactor(0.0f, DS3D_IMMEDIATE), DS_OK);
  at(0, 0, 50);
  EXPECT_NEAR(Heard().first, 1.0, 1e-3);
  ASSERT_EQ(listener_->SetRolloffFactor(1.0f, DS3D_IMMEDIATE), DS_OK);
  ASSERT_EQ(source3D_->SetMaxDistance(2.0f, DS3D_IMMEDIATE), DS_OK);
  EXPECT_NEAR(Heard().first, 0.5, 1e-3);  // held at the maximum distance
}

TEST_F(DSound3D, BuffersMutedAtTheirMaximumDistanceFallSilent) {
  IDirectSoundBuffer* muted = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(8, 12000),
                                   DSBCAPS_CTRL3D | DSBCAPS_MUTE3DATMAXDISTANCE);
  IDirectSound3DBuffer* muted3D = nullptr;
  ASSERT_EQ(muted->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&muted3D)), DS_OK);
  Own(muted3D);
  ASSERT_EQ(source_->Stop(), DS_OK);
  ASSERT_EQ(muted3D->SetMaxDistance(2.0f, DS3D_IMMEDIATE), DS_OK);
  ASSERT_EQ(muted3D->SetPosition(0, 0, 1.5f, DS3D_IMMEDIATE), DS_OK);
  ASSERT_EQ(muted->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  EXPECT_NEAR(Heard().first, 1.0 / 1.5, 1e-3);
  ASSERT_EQ(muted3D->SetPosition(0, 0, 3.0f, DS3D_IMMEDIATE), DS_OK);
  EXPECT_EQ(Heard().first, 0.0);
}

TEST_F(DSound3D, TheConeTurnsTheSoundDownBehindTheSource) {
  ASSERT_EQ(source3D_->SetPosition(0, 0, 1, DS3D_IMMEDIATE), DS_OK);
  ASSERT_EQ(source3D_->SetConeOutsideVolume(-2000, DS3D_IMMEDIATE), DS_OK);
  ASSERT_EQ(source3D_->SetConeAngles(90, 180, DS3D_IMMEDIATE), DS_OK);
  // Pointing at the listener: inside the cone.
  ASSERT_EQ(source3D_->SetConeOrientation(0, 0, -1, DS3D_IMMEDIATE), DS_OK);
  EXPECT_NEAR(Heard().first, 1.0, 1e-3);
  // Pointing away: outside, 20 dB down.
  ASSERT_EQ(source3D_->SetConeOrientation(0, 0, 1, DS3D_IMMEDIATE), DS_OK);
  EXPECT_NEAR(Heard().first, 0.1, 1e-3);
  // At right angles: 90 degrees off the axis is a full angle of 180, the
  // outside cone's edge.
  ASSERT_EQ(source3D_->SetConeOrientation(1, 0, 0, DS3D_IMMEDIATE), DS_OK);
  EXPECT_NEAR(Heard().first, 0.1, 1e-3);
  // Half way between the cones: half the decibels.
  ASSERT_EQ(source3D_->SetConeOrientation(std::sin(1.1780972f), 0, -std::cos(1.1780972f), DS3D_IMMEDIATE), DS_OK);
  EXPECT_NEAR(Heard().first, std::pow(10.0, -0.5), 2e-3);
}

}  // namespace
}  // namespace dsound_test
