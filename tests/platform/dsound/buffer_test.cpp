// A buffer's own calls: locks and their regions, controls and their ranges,
// play requests, cursors, and the primary buffer's rules.
#include "tests/platform/dsound/dsound_test_support.h"

namespace dsound_test {
namespace {

using DSoundBuffer = DirectSoundTest;

TEST_F(DSoundBuffer, LocksHandOutOneOrTwoRegions) {
  IDirectSoundBuffer* b = MakeBytes(Pcm(1, 8, 22050), std::vector<std::uint8_t>(100, 0x80), DSBCAPS_STATIC);
  void *p1, *p2;
  DWORD n1, n2;
  ASSERT_EQ(b->Lock(0, 100, &p1, &n1, &p2, &n2, 0), DS_OK);
  auto* base = static_cast<std::uint8_t*>(p1);
  EXPECT_EQ(n1, 100u);
  EXPECT_EQ(p2, nullptr);
  EXPECT_EQ(n2, 0u);
  ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);

  // A lock past the end wraps to the start in a second region.
  ASSERT_EQ(b->Lock(80, 40, &p1, &n1, &p2, &n2, 0), DS_OK);
  EXPECT_EQ(p1, base + 80);
  EXPECT_EQ(n1, 20u);
  EXPECT_EQ(p2, base);
  EXPECT_EQ(n2, 20u);
  EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
  // Without room for a second region only the first is handed out.
  ASSERT_EQ(b->Lock(80, 40, &p1, &n1, nullptr, nullptr, 0), DS_OK);
  EXPECT_EQ(n1, 20u);
  ASSERT_EQ(b->Lock(30, 5, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
  EXPECT_EQ(n1 + n2, 100u);
  ASSERT_EQ(b->SetCurrentPosition(10), DS_OK);
  ASSERT_EQ(b->Lock(0, 10, &p1, &n1, nullptr, nullptr, DSBLOCK_FROMWRITECURSOR), DS_OK);
  EXPECT_EQ(p1, base + 10);  // a stopped buffer writes where it would play

  for (auto [offset, bytes, flags] : {std::tuple{100u, 1u, 0u}, {0u, 0u, 0u}, {0u, 101u, 0u}, {0u, 4u, 0x10u}}) {
    EXPECT_EQ(b->Lock(offset, bytes, &p1, &n1, &p2, &n2, flags), DSERR_INVALIDPARAM) << offset << " " << bytes;
    EXPECT_EQ(p1, nullptr);
    EXPECT_EQ(n1, 0u);
  }
  EXPECT_EQ(b->Lock(0, 4, nullptr, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
  std::uint8_t elsewhere[4];
  EXPECT_EQ(b->Unlock(elsewhere, 4, nullptr, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Unlock(base + 90, 11, nullptr, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Unlock(base, 4, nullptr, 4), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Unlock(nullptr, 0, nullptr, 0), DSERR_INVALIDPARAM);
}

TEST_F(DSoundBuffer, ControlsNeedTheirCapabilityAndStayInRange) {
  IDirectSoundBuffer* all = Make(Pcm(1, 16, 22050), std::vector<std::int16_t>(32));
  IDirectSoundBuffer* none = Make(Pcm(1, 16, 22050), std::vector<std::int16_t>(32), 0);
  LONG value = 1;
  DWORD frequency = 1;
  EXPECT_EQ(none->SetVolume(-100), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(none->GetPan(&value), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(none->SetFrequency(11025), DSERR_CONTROLUNAVAIL);

  EXPECT_EQ(all->SetVolume(1), DSERR_INVALIDPARAM);
  EXPECT_EQ(all->SetPan(DSBPAN_RIGHT + 1), DSERR_INVALIDPARAM);
  EXPECT_EQ(all->SetFrequency(DSBFREQUENCY_MIN - 1), DSERR_INVALIDPARAM);
  ASSERT_EQ(all->SetFrequency(44100), DS_OK);
  ASSERT_EQ(all->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);  // back to the format's own rate
  ASSERT_EQ(all->GetFrequency(&frequency), DS_OK);
  EXPECT_EQ(frequency, 22050u);
}

TEST_F(DSoundBuffer, PlayRequestsStatusAndCursors) {
  IDirectSoundBuffer* b = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(1000));
  DWORD status = 1;
  ASSERT_EQ(b->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(b->Play(1, 0, 0), DSERR_INVALIDPARAM);             // reserved
  EXPECT_EQ(b->Play(0, 5, 0), DSERR_INVALIDPARAM);             // priority without LOCDEFER
  EXPECT_EQ(b->Play(0, 0, DSBPLAY_LOCSOFTWARE), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Play(0, 0, 0x100), DSERR_INVALIDPARAM);

  ASSERT_EQ(b->SetCurrentPosition(301), DS_OK);  // inside a frame: its start
  DWORD play = 0, write = 0;
  ASSERT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
  EXPECT_EQ(play, 300u);
  EXPECT_EQ(write, 300u);  // stopped: nothing is ahead
  EXPECT_EQ(b->SetCurrentPosition(2000), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->GetCurrentPosition(nullptr, nullptr), DSERR_INVALIDPARAM);

  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  ASSERT_EQ(b->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  ASSERT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
  EXPECT_EQ(write, 300u + 441u * 2u);  // ten milliseconds ahead while playing
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);   // the newest flags hold
  ASSERT_EQ(b->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, DSBSTATUS_PLAYING);
  Pull(100);
  ASSERT_EQ(b->GetCurrentPosition(&play, nullptr), DS_OK);
  EXPECT_EQ(play, 300u + 200u);  // moved with the audio mixed
  ASSERT_EQ(b->Stop(), DS_OK);
  ASSERT_EQ(b->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, 0u);
  ASSERT_EQ(b->GetCurrentPosition(&play, nullptr), DS_OK);
  EXPECT_EQ(play, 500u);  // stopping keeps the place
}

TEST_F(DSoundBuffer, ThePrimaryStandsForTheOutput) {
  DSBUFFERDESC d = Desc(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME, 0, nullptr);
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(ds_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
  Own(primary);
  WAVEFORMATEX f{};
  ASSERT_EQ(primary->GetFormat(&f, sizeof f, nullptr), DS_OK);
  EXPECT_EQ(f.nSamplesPerSec, 22050u);  // the documented default
  EXPECT_EQ(f.wBitsPerSample, 8u);
  EXPECT_EQ(f.nChannels, 2u);
  WAVEFORMATEX cd = Pcm(2, 16, 44100);
  ASSERT_EQ(primary->SetFormat(&cd), DS_OK);
  ASSERT_EQ(primary->GetFormat(&f, sizeof f, nullptr), DS_OK);
  EXPECT_EQ(f.nSamplesPerSec, 44100u);
  WAVEFORMATEX bad = Pcm(6, 16, 44100);
  EXPECT_EQ(primary->SetFormat(&bad), DSERR_BADFORMAT);
  DSBCAPS caps{sizeof caps, 0, 0, 0, 0};
  ASSERT_EQ(primary->GetCaps(&caps), DS_OK);
  EXPECT_EQ(caps.dwBufferBytes, 4410u * 4u);  // a tenth of a second

  void* p = nullptr;
  DWORD n = 0;
  EXPECT_EQ(primary->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DSERR_PRIOLEVELNEEDED);
  EXPECT_EQ(primary->Unlock(&n, 4, nullptr, 0), DSERR_INVALIDCALL);
  EXPECT_EQ(primary->SetCurrentPosition(0), DSERR_INVALIDCALL);
  EXPECT_EQ(primary->SetFrequency(22050), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(primary->Play(0, 0, 0), DSERR_INVALIDPARAM);  // the primary only loops

  DWORD status = 0;
  ASSERT_EQ(primary->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, 0u);
  IDirectSoundBuffer* secondary = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(100));
  ASSERT_EQ(secondary->Play(0, 0, 0), DS_OK);
  ASSERT_EQ(primary->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);  // it plays while a secondary does
  ASSERT_EQ(secondary->Stop(), DS_OK);
  ASSERT_EQ(primary->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  ASSERT_EQ(primary->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  ASSERT_EQ(primary->Stop(), DS_OK);
  ASSERT_EQ(primary->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(secondary->SetFormat(&cd), DSERR_INVALIDCALL);  // a secondary's format is fixed

  DWORD play = 1;
  Pull(4410);
  ASSERT_EQ(primary->GetCurrentPosition(&play, nullptr), DS_OK);
  EXPECT_EQ(play, 0u);  // a tenth of a second went round once
  Pull(441);
  ASSERT_EQ(primary->GetCurrentPosition(&play, nullptr), DS_OK);
  EXPECT_EQ(play, 441u * 4u);
}

}  // namespace
}  // namespace dsound_test
