// The device, the DirectSound object's own calls and what CreateSoundBuffer
// accepts and refuses.
#include "tests/platform/dsound/dsound_test_support.h"

namespace dsound_test {
namespace {

TEST(DirectSoundDevice, NoOutputDeviceMeansNoDriver) {
  platform::HeadlessBackend backend;
  backend.SetAudioAvailable(false);
  platform::Install(&backend);
  IDirectSound* ds = reinterpret_cast<IDirectSound*>(0x1);
  EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(ds, nullptr);
  EXPECT_EQ(platform::LiveObjectCount(), 0);
  platform::Install(nullptr);
  EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DSERR_NODRIVER);  // no back end at all
}

TEST(DirectSoundDevice, TheOutputIsOpenWhileAnyObjectLives) {
  platform::HeadlessBackend backend;
  platform::Install(&backend);
  IDirectSound* a = nullptr;
  IDirectSound* b = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &a, nullptr), DS_OK);
  EXPECT_TRUE(backend.AudioOpen());
  EXPECT_EQ(backend.OpenedAudioFormat().rate, 44100u);
  EXPECT_EQ(backend.OpenedAudioFormat().channels, 2u);
  ASSERT_EQ(DirectSoundCreate(&DSDEVID_DefaultPlayback, &b, nullptr), DS_OK);
  EXPECT_EQ(a->Release(), 0u);
  EXPECT_TRUE(backend.AudioOpen());
  EXPECT_EQ(b->Release(), 0u);
  EXPECT_FALSE(backend.AudioOpen());

  const GUID other{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(DirectSoundCreate(&other, &a, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(DirectSoundCreate(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
  EXPECT_EQ(DirectSoundCreate(nullptr, &a, reinterpret_cast<IUnknown*>(&backend)), DSERR_NOAGGREGATION);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(platform::LiveObjectCount(), 0);
  platform::Install(nullptr);
}

using DirectSoundObject = DirectSoundTest;

TEST_F(DirectSoundObject, CooperativeLevelsAndTheirPrivileges) {
  EXPECT_EQ(ds_->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DSERR_INVALIDPARAM);
  EXPECT_EQ(ds_->SetCooperativeLevel(reinterpret_cast<HWND>(0x1234), DSSCL_NORMAL), DSERR_INVALIDPARAM);
  EXPECT_EQ(ds_->SetCooperativeLevel(window_, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(ds_->SetCooperativeLevel(window_, 5), DSERR_INVALIDPARAM);
  // The driver is emulated, and emulated drivers have no write-primary level.
  EXPECT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_WRITEPRIMARY), DSERR_UNSUPPORTED);
  EXPECT_EQ(ds_->Compact(), DS_OK);

  ASSERT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_NORMAL), DS_OK);
  EXPECT_EQ(ds_->Compact(), DSERR_PRIOLEVELNEEDED);
  DSBUFFERDESC d = Desc(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(ds_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
  Own(primary);
  WAVEFORMATEX cd = Pcm(2, 16, 44100);
  EXPECT_EQ(primary->SetFormat(&cd), DSERR_PRIOLEVELNEEDED);
  ASSERT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_EXCLUSIVE), DS_OK);
  EXPECT_EQ(primary->SetFormat(&cd), DS_OK);
}

TEST_F(DirectSoundObject, CapsSpeakersAndIdentity) {
  DSCAPS caps{};
  EXPECT_EQ(ds_->GetCaps(&caps), DSERR_INVALIDPARAM);  // dwSize unset
  caps.dwSize = sizeof caps;
  ASSERT_EQ(ds_->GetCaps(&caps), DS_OK);
  EXPECT_TRUE(caps.dwFlags & DSCAPS_EMULDRIVER);  // which is why write-primary is refused
  EXPECT_EQ(caps.dwMaxSecondarySampleRate, DSBFREQUENCY_MAX);

  DWORD speakers = 0;
  EXPECT_EQ(ds_->SetSpeakerConfig(DSSPEAKER_COMBINED(DSSPEAKER_QUAD, 10)), DSERR_INVALIDPARAM);  // geometry is stereo's
  ASSERT_EQ(ds_->SetSpeakerConfig(DSSPEAKER_5POINT1), DS_OK);
  ASSERT_EQ(ds_->GetSpeakerConfig(&speakers), DS_OK);
  EXPECT_EQ(speakers, DSSPEAKER_5POINT1);

  EXPECT_EQ(ds_->Initialize(nullptr), DSERR_ALREADYINITIALIZED);
  void* same = nullptr;
  ASSERT_EQ(ds_->QueryInterface(IID_IDirectSound, &same), DS_OK);
  EXPECT_EQ(same, ds_);
  EXPECT_EQ(ds_->Release(), 1u);
  EXPECT_EQ(ds_->QueryInterface(IID_IDirectSoundBuffer, &same), E_NOINTERFACE);
  EXPECT_EQ(same, nullptr);
}

TEST_F(DirectSoundObject, BothDescriptionFormsAreAcceptedBySize) {
  WAVEFORMATEX f = Pcm(1, 16, 22050);
  IDirectSoundBuffer* b = nullptr;
  DSBUFFERDESC1 old{};
  old.dwFlags = DSBCAPS_STATIC;
  old.dwBufferBytes = 64;
  old.lpwfxFormat = &f;
  // This platform's size of the short form, and its documented 32-bit size.
  for (DWORD size : {static_cast<DWORD>(sizeof old), kDsBufferDesc1Size32}) {
    old.dwSize = size;
    ASSERT_EQ(ds_->CreateSoundBuffer(reinterpret_cast<LPCDSBUFFERDESC>(&old), &b, nullptr), DS_OK) << size;
    EXPECT_EQ(b->Release(), 0u);
  }
  DSBUFFERDESC full = Desc(DSBCAPS_STATIC, 64, &f);
  for (DWORD size : {static_cast<DWORD>(sizeof full), kDsBufferDescSize32}) {
    full.dwSize = size;
    ASSERT_EQ(ds_->CreateSoundBuffer(&full, &b, nullptr), DS_OK) << size;
    EXPECT_EQ(b->Release(), 0u);
  }
  for (DWORD size : {0u, 16u, 28u, 44u}) {
    full.dwSize = size;
    EXPECT_EQ(ds_->CreateSoundBuffer(&full, &b, nullptr), DSERR_INVALIDPARAM) << size;
  }
  full.dwSize = sizeof full;
  full.dwReserved = 1;
  EXPECT_EQ(ds_->CreateSoundBuffer(&full, &b, nullptr), DSERR_INVALIDPARAM);
  full.dwReserved = 0;
  EXPECT_EQ(ds_->CreateSoundBuffer(&full, &b, reinterpret_cast<IUnknown*>(ds_)), DSERR_NOAGGREGATION);
  EXPECT_EQ(ds_->CreateSoundBuffer(nullptr, &b, nullptr), DSERR_INVALIDPARAM);
  EXPECT_EQ(ds_->CreateSoundBuffer(&full, nullptr, nullptr), DSERR_INVALIDPARAM);
  EXPECT_EQ(b, nullptr);
}

TEST_F(DirectSoundObject, RefusedBuffersSayWhy) {
  struct Case {
    DWORD flags;
    DWORD bytes;
    WAVEFORMATEX format;
    bool withFormat;
    HRESULT expected;
  };
  WAVEFORMATEX floatFormat = Pcm(1, 32, 44100);
  floatFormat.wFormatTag = 3;
  WAVEFORMATEX badAlign = Pcm(2, 16, 44100);
  badAlign.nBlockAlign = 2;
  const Case cases[] = {
      {DSBCAPS_PRIMARYBUFFER, 4, {}, false, DSERR_INVALIDPARAM},                       // primary with a size
      {DSBCAPS_PRIMARYBUFFER, 0, Pcm(2, 16, 44100), true, DSERR_INVALIDPARAM},         // or a format
      {DSBCAPS_PRIMARYBUFFER | DSBCAPS_STATIC, 0, {}, false, DSERR_INVALIDPARAM},
      {DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLFREQUENCY, 0, {}, false, DSERR_INVALIDPARAM},
      {0, 64, {}, false, DSERR_INVALIDPARAM},                                          // secondary without a format
      {0, 64, floatFormat, true, DSERR_BADFORMAT},
      {0, 64, Pcm(3, 16, 44100), true, DSERR_BADFORMAT},
      {0, 64, Pcm(1, 24, 44100), true, DSERR_BADFORMAT},
      {0, 64, badAlign, true, DSERR_BADFORMAT},
      {0, 64, Pcm(1, 16, 99), true, DSERR_BADFORMAT},
      {0, 64, Pcm(1, 16, 100001), true, DSERR_BADFORMAT},
      {0, 3, Pcm(1, 8, 44100), true, DSERR_INVALIDPARAM},                              // below DSBSIZE_MIN
      {0, DSBSIZE_MAX + 1, Pcm(1, 8, 44100), true, DSERR_INVALIDPARAM},
      {DSBCAPS_CTRL3D, 64, Pcm(2, 16, 44100), true, DSERR_INVALIDPARAM},               // 3D needs mono
      {DSBCAPS_CTRL3D | DSBCAPS_CTRLPAN, 64, Pcm(1, 16, 44100), true, DSERR_INVALIDPARAM},
      {DSBCAPS_CTRLFX, 64, Pcm(1, 16, 44100), true, DSERR_CONTROLUNAVAIL},                // no effects
      {DSBCAPS_LOCHARDWARE, 64, Pcm(1, 16, 44100), true, DSERR_CONTROLUNAVAIL},        // no hardware voices
      {DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE, 64, Pcm(1, 16, 44100), true, DSERR_INVALIDPARAM},
      {0x80000000u, 64, Pcm(1, 16, 44100), true, DSERR_INVALIDPARAM},
  };
  for (const Case& c : cases) {
    WAVEFORMATEX f = c.format;
    DSBUFFERDESC d = Desc(c.flags, c.bytes, c.withFormat ? &f : nullptr);
    IDirectSoundBuffer* b = reinterpret_cast<IDirectSoundBuffer*>(0x1);
    EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), c.expected) << std::hex << c.flags << " " << c.bytes;
    EXPECT_EQ(b, nullptr);
  }
  // Only 3D buffers name a 3D algorithm.
  WAVEFORMATEX mono = Pcm(1, 16, 44100);
  DSBUFFERDESC d = Desc(0, 64, &mono);
  d.guid3DAlgorithm = DSDEVID_DefaultPlayback;
  IDirectSoundBuffer* b = nullptr;
  EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DSERR_INVALIDPARAM);
  d.dwFlags = DSBCAPS_CTRL3D;
  ASSERT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
  EXPECT_EQ(b->Release(), 0u);
}

TEST_F(DirectSoundObject, BuffersReportWhatTheyWereMadeWith) {
  const DWORD flags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN |
                      DSBCAPS_STICKYFOCUS;  // what the library's waves ask for
  WAVEFORMATEX f = Pcm(1, 16, 22050);
  f.cbSize = 7;  // ignored for PCM
  DSBUFFERDESC1 d{sizeof(DSBUFFERDESC1), flags, 1000, 0, &f};
  IDirectSoundBuffer* b = nullptr;
  ASSERT_EQ(ds_->CreateSoundBuffer(reinterpret_cast<LPCDSBUFFERDESC>(&d), &b, nullptr), DS_OK);
  Own(b);
  DSBCAPS caps{};
  EXPECT_EQ(b->GetCaps(&caps), DSERR_INVALIDPARAM);
  caps.dwSize = sizeof caps;
  ASSERT_EQ(b->GetCaps(&caps), DS_OK);
  EXPECT_EQ(caps.dwFlags, flags | DSBCAPS_LOCSOFTWARE);
  EXPECT_EQ(caps.dwBufferBytes, 1000u);

  DWORD written = 0;
  ASSERT_EQ(b->GetFormat(nullptr, 0, &written), DS_OK);
  EXPECT_EQ(written, sizeof(WAVEFORMATEX));
  WAVEFORMATEX got{};
  EXPECT_EQ(b->GetFormat(&got, sizeof got - 1, &written), DSERR_INVALIDPARAM);
  ASSERT_EQ(b->GetFormat(&got, sizeof got, &written), DS_OK);
  EXPECT_EQ(got.nSamplesPerSec, 22050u);
  EXPECT_EQ(got.nBlockAlign, 2u);
  EXPECT_EQ(got.cbSize, 0u);
  EXPECT_EQ(b->GetFormat(nullptr, 0, nullptr), DSERR_INVALIDPARAM);
  DWORD frequency = 0;
  ASSERT_EQ(b->GetFrequency(&frequency), DS_OK);
  EXPECT_EQ(frequency, 22050u);
  EXPECT_EQ(b->Initialize(ds_, nullptr), DSERR_ALREADYINITIALIZED);
  EXPECT_EQ(b->Restore(), DS_OK);
}

}  // namespace
}  // namespace dsound_test
