// Deferred placement and position notifications: what GetStatus reports for
// a buffer placed when played, and which events mixing signals as the play
// cursor moves and playback stops.
#include <functional>

#include "platform/events.h"
#include "tests/platform/dsound/dsound_test_support.h"

namespace dsound_test {
namespace {

using DSoundVoices = DirectSoundTest;

TEST_F(DSoundVoices, ADeferredBufferReportsWhereItPlays) {
  IDirectSoundBuffer* deferred = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(64), DSBCAPS_LOCDEFER);
  IDirectSoundBuffer* plain = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(64), 0);
  struct Case {
    IDirectSoundBuffer* buffer;
    DWORD flags;
    HRESULT result;
    DWORD status;
  };
  const Case cases[] = {
      {deferred, DSBPLAY_LOCSOFTWARE, DS_OK, DSBSTATUS_PLAYING | DSBSTATUS_LOCSOFTWARE},
      {deferred, DSBPLAY_LOCSOFTWARE | DSBPLAY_LOOPING, DS_OK,
       DSBSTATUS_PLAYING | DSBSTATUS_LOOPING | DSBSTATUS_LOCSOFTWARE},
      {deferred, 0, DS_OK, DSBSTATUS_PLAYING | DSBSTATUS_LOCSOFTWARE},  // placed where voices are: software
      {deferred, DSBPLAY_LOCHARDWARE, DSERR_INVALIDCALL, 0},
      {deferred, DSBPLAY_LOCHARDWARE | DSBPLAY_TERMINATEBY_TIME, DSERR_INVALIDCALL, 0},
      {deferred, DSBPLAY_LOCSOFTWARE | DSBPLAY_TERMINATEBY_PRIORITY, DSERR_INVALIDPARAM, 0},
      {deferred, DSBPLAY_LOCSOFTWARE | DSBPLAY_LOCHARDWARE, DSERR_INVALIDPARAM, 0},
      {plain, 0, DS_OK, DSBSTATUS_PLAYING},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.buffer->Play(0, 0, c.flags), c.result) << std::hex << c.flags;
    DWORD status = 0xFFFF;
    ASSERT_EQ(c.buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, c.status) << std::hex << c.flags;
    ASSERT_EQ(c.buffer->Stop(), DS_OK);
    ASSERT_EQ(c.buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u);
  }
}

class DSoundNotify : public DirectSoundTest {
 protected:
  void SetUp() override {
    DirectSoundTest::SetUp();
    // Eight mono frames at the output's rate: one frame pulled is one played.
    buffer_ = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(8, 100), DSBCAPS_CTRLPOSITIONNOTIFY);
    ASSERT_EQ(buffer_->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify_)), DS_OK);
    for (HANDLE& e : events_) e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    // Frames 2 and 6, and the stop.
    positions_[0] = {4, events_[0]};
    positions_[1] = {12, events_[1]};
    positions_[2] = {DSBPN_OFFSETSTOP, events_[2]};
    ASSERT_EQ(notify_->SetNotificationPositions(3, positions_), DS_OK);
  }
  void TearDown() override {
    notify_->Release();
    for (HANDLE e : events_) CloseHandle(e);
    DirectSoundTest::TearDown();
  }
  // Which events are signalled, one bit each (waiting resets them).
  int Signalled() {
    int bits = 0;
    for (int i = 0; i < 3; ++i)
      if (WaitForSingleObject(events_[i], 0) == WAIT_OBJECT_0) bits |= 1 << i;
    return bits;
  }

  IDirectSoundBuffer* buffer_ = nullptr;
  IDirectSoundNotify* notify_ = nullptr;
  HANDLE events_[3] = {};
  DSBPOSITIONNOTIFY positions_[3] = {};
};

TEST_F(DSoundNotify, EventsFollowThePlayCursorAndTheStop) {
  constexpr int kFirst = 1, kSecond = 2, kStop = 4;
  struct Step {
    const char* what;
    std::function<void()> act;
    int signalled;
  };
  const auto play = [this](DWORD flags) { ASSERT_EQ(buffer_->Play(0, 0, flags), DS_OK); };
  const std::vector<Step> steps = {
      {"played once, to frame 3", [&] { play(0); Pull(3); }, kFirst},
      {"to frame 5", [&] { Pull(2); }, 0},
      {"onto frame 6", [&] { Pull(1); }, kSecond},
      {"to its end", [&] { Pull(4); }, kStop},
      {"looped twice round", [&] { play(DSBPLAY_LOOPING); Pull(16); }, kFirst | kSecond},
      {"moved past frame 6, not played", [&] { ASSERT_EQ(buffer_->SetCurrentPosition(14), DS_OK); }, 0},
      {"stopped", [&] { ASSERT_EQ(buffer_->Stop(), DS_OK); }, kStop},
      {"stopped again", [&] { ASSERT_EQ(buffer_->Stop(), DS_OK); }, 0},
      {"cleared, played to the end", [&] {
         ASSERT_EQ(notify_->SetNotificationPositions(0, nullptr), DS_OK);
         play(0);
         Pull(8);
       }, 0},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(Signalled(), step.signalled) << step.what;
  }
}

TEST_F(DSoundNotify, PositionsAreRefusedWhilePlayingOrOutOfPlace) {
  DSBPOSITIONNOTIFY outside[] = {{16, events_[0]}};
  DSBPOSITIONNOTIFY stopFirst[] = {{DSBPN_OFFSETSTOP, events_[2]}, {4, events_[0]}};
  DSBPOSITIONNOTIFY noEvent[] = {{4, reinterpret_cast<HANDLE>(0x1234)}};
  EXPECT_EQ(notify_->SetNotificationPositions(1, outside), DSERR_INVALIDPARAM);
  EXPECT_EQ(notify_->SetNotificationPositions(2, stopFirst), DSERR_INVALIDPARAM);
  EXPECT_EQ(notify_->SetNotificationPositions(1, noEvent), DSERR_INVALIDPARAM);
  EXPECT_EQ(notify_->SetNotificationPositions(1, nullptr), DSERR_INVALIDPARAM);
  ASSERT_EQ(buffer_->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  EXPECT_EQ(notify_->SetNotificationPositions(0, nullptr), DSERR_INVALIDPARAM);
  // The refused calls left the positions as they were.
  Pull(3);
  EXPECT_EQ(Signalled(), 1);
  // One interface while it lives; buffers made without the flag have none.
  IDirectSoundNotify* again = nullptr;
  ASSERT_EQ(buffer_->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&again)), DS_OK);
  EXPECT_EQ(again, notify_);
  again->Release();
  IDirectSoundBuffer* plain = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(8));
  EXPECT_EQ(plain->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&again)), E_NOINTERFACE);
}

}  // namespace
}  // namespace dsound_test
