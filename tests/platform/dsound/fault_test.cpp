// Injected faults come back from every kind of call, out-parameters cleared,
// and nothing is left half made.
#include "tests/platform/dsound/dsound_test_support.h"

namespace dsound_test {
namespace {

using DSoundFaults = DirectSoundTest;

TEST_F(DSoundFaults, CreationCallsFailCleanly) {
  IDirectSound* other = reinterpret_cast<IDirectSound*>(0x1);
  platform::InjectFault("DirectSoundCreate", DSERR_ALLOCATED);
  EXPECT_EQ(DirectSoundCreate(nullptr, &other, nullptr), DSERR_ALLOCATED);
  EXPECT_EQ(other, nullptr);

  WAVEFORMATEX f = Pcm(1, 16, 44100);
  DSBUFFERDESC d = Desc(0, 64, &f);
  IDirectSoundBuffer* b = reinterpret_cast<IDirectSoundBuffer*>(0x1);
  platform::InjectFault("IDirectSound::CreateSoundBuffer", DSERR_OUTOFMEMORY);
  EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DSERR_OUTOFMEMORY);
  EXPECT_EQ(b, nullptr);
  ASSERT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DS_OK);  // once only
  Own(b);

  IDirectSoundBuffer* copy = reinterpret_cast<IDirectSoundBuffer*>(0x1);
  platform::InjectFault("IDirectSound::DuplicateSoundBuffer", DSERR_INVALIDPARAM);
  EXPECT_EQ(ds_->DuplicateSoundBuffer(b, &copy), DSERR_INVALIDPARAM);
  EXPECT_EQ(copy, nullptr);
  platform::InjectFault("IDirectSound::SetCooperativeLevel", DSERR_ALLOCATED);
  EXPECT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_NORMAL), DSERR_ALLOCATED);
  void* object = reinterpret_cast<void*>(0x1);
  platform::InjectFault("IDirectSoundBuffer::QueryInterface", E_NOINTERFACE);
  EXPECT_EQ(b->QueryInterface(IID_IDirectSoundBuffer, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(platform::LiveObjectCount(), 2);  // the object and the one buffer
}

TEST_F(DSoundFaults, BufferCallsReturnTheCodeEveryTimeWhenAskedTo) {
  IDirectSoundBuffer* b = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(8, 100));
  platform::InjectFault("IDirectSoundBuffer::Play", DSERR_BUFFERLOST, platform::FaultMode::Always);
  EXPECT_EQ(b->Play(0, 0, 0), DSERR_BUFFERLOST);
  EXPECT_EQ(b->Play(0, 0, 0), DSERR_BUFFERLOST);
  EXPECT_EQ(platform::FaultHits("IDirectSoundBuffer::Play"), 2);
  EXPECT_EQ(Left(Pull(2)), (std::vector<std::int16_t>{0, 0}));  // a failed Play plays nothing
  platform::ClearFault("IDirectSoundBuffer::Play");
  EXPECT_EQ(b->Play(0, 0, 0), DS_OK);

  void* p = reinterpret_cast<void*>(0x1);
  DWORD n = 7;
  platform::InjectFault("IDirectSoundBuffer::Lock", DSERR_BUFFERLOST);
  EXPECT_EQ(b->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DSERR_BUFFERLOST);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(n, 0u);
  DWORD status = 7;
  platform::InjectFault("IDirectSoundBuffer::GetStatus", DSERR_INVALIDPARAM);
  EXPECT_EQ(b->GetStatus(&status), DSERR_INVALIDPARAM);
  EXPECT_EQ(status, 0u);
  platform::InjectFault("IDirectSoundBuffer::SetFrequency", DSERR_GENERIC);
  EXPECT_EQ(b->SetFrequency(22050), DSERR_GENERIC);
  DWORD frequency = 0;
  ASSERT_EQ(b->GetFrequency(&frequency), DS_OK);
  EXPECT_EQ(frequency, 44100u);  // the failed call changed nothing
}

TEST_F(DSoundFaults, ThreeDCallsFailToo) {
  DSBUFFERDESC d = Desc(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, nullptr);
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(ds_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
  Own(primary);
  IDirectSound3DListener* listener = nullptr;
  ASSERT_EQ(primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)), DS_OK);
  Own(listener);
  DS3DLISTENER l{};
  l.dwSize = sizeof l;
  ASSERT_EQ(listener->GetAllParameters(&l), DS_OK);
  l.flRolloffFactor = 2.0f;
  platform::InjectFault("IDirectSound3DListener::SetAllParameters", DSERR_INVALIDPARAM);
  EXPECT_EQ(listener->SetAllParameters(&l, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  D3DVALUE rolloff = 0;
  ASSERT_EQ(listener->GetRolloffFactor(&rolloff), DS_OK);
  EXPECT_EQ(rolloff, 1.0f);

  IDirectSoundBuffer* b = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(8), DSBCAPS_CTRL3D);
  IDirectSound3DBuffer* b3 = nullptr;
  ASSERT_EQ(b->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&b3)), DS_OK);
  Own(b3);
  DS3DBUFFER p{};
  p.dwSize = sizeof p;
  platform::InjectFault("IDirectSound3DBuffer::GetAllParameters", DSERR_GENERIC);
  EXPECT_EQ(b3->GetAllParameters(&p), DSERR_GENERIC);
  platform::InjectFault("IDirectSound3DBuffer::SetAllParameters", DSERR_GENERIC);
  ASSERT_EQ(b3->GetAllParameters(&p), DS_OK);
  EXPECT_EQ(b3->SetAllParameters(&p, DS3D_IMMEDIATE), DSERR_GENERIC);
}

}  // namespace
}  // namespace dsound_test
