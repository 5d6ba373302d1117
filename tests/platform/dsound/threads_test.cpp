// The back end mixes on a thread of its own while the game's thread drives
// the buffers. Built with BRIN_TSAN, ThreadSanitizer reports any access the
// two threads do not order; in every build the calls must keep working and
// what was written must be heard.
#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/events.h"
#include "tests/platform/dsound/dsound_test_support.h"

namespace dsound_test {
namespace {

using DSoundThreads = DirectSoundTest;

TEST_F(DSoundThreads, TheGameThreadDrivesBuffersWhileAnotherThreadMixes) {
  constexpr DWORD kAll = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_GETCURRENTPOSITION2;
  IDirectSoundBuffer* stream =
      Make(Pcm(1, 16, 22050), std::vector<std::int16_t>(512), kAll | DSBCAPS_CTRLPOSITIONNOTIFY);
  IDirectSoundBuffer* effect = Make(Pcm(2, 8, 11025), std::vector<std::int16_t>(64, 0x7F7F), kAll);
  // Half-way events, signalled by the thread that mixes.
  IDirectSoundNotify* notify = nullptr;
  ASSERT_EQ(stream->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), DS_OK);
  Own(notify);
  HANDLE half = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  DSBPOSITIONNOTIFY halves[] = {{0, half}, {512, half}};
  ASSERT_EQ(notify->SetNotificationPositions(2, halves), DS_OK);
  ASSERT_EQ(stream->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  int halvesPassed = 0;

  // Relaxed: the test's own counters must not order the two threads' work,
  // or they would hide what only the platform's locks should order.
  std::atomic<bool> done{false};
  std::atomic<int> pulls{0};
  std::thread audio([&] {
    while (!done.load(std::memory_order_relaxed)) {
      backend_.PullAudio(64);
      pulls.fetch_add(1, std::memory_order_relaxed);
    }
  });
  constexpr int kRounds = 300;
  for (int i = 0; i < kRounds; ++i) {
    // Keep both threads going: the mixer must not fall far behind.
    while (pulls.load(std::memory_order_relaxed) < i / 4) std::this_thread::yield();
    void *p1, *p2;
    DWORD n1, n2;
    // Streaming: the next quarter, where the cursor may well be.
    ASSERT_EQ(stream->Lock(256 * (i % 4), 384, &p1, &n1, &p2, &n2, 0), DS_OK);
    std::fill_n(static_cast<std::int16_t*>(p1), n1 / 2, static_cast<std::int16_t>(1000 + i));
    if (p2) std::fill_n(static_cast<std::int16_t*>(p2), n2 / 2, static_cast<std::int16_t>(1000 + i));
    ASSERT_EQ(stream->Unlock(p1, n1, p2, n2), DS_OK);
    ASSERT_EQ(stream->SetVolume(-(i % 30) * 100), DS_OK);
    ASSERT_EQ(stream->SetPan((i % 21 - 10) * 500), DS_OK);
    ASSERT_EQ(stream->SetFrequency(11025 + 97 * i), DS_OK);
    ASSERT_EQ(effect->SetCurrentPosition(0), DS_OK);
    ASSERT_EQ(effect->Play(0, 0, i % 2 ? DSBPLAY_LOOPING : 0), DS_OK);
    if (i % 3 == 0) {
      ASSERT_EQ(effect->Stop(), DS_OK);
    }
    if (i % 50 == 0) {
      // A buffer made and freed while the other thread mixes it.
      IDirectSoundBuffer* copy = nullptr;
      ASSERT_EQ(ds_->DuplicateSoundBuffer(effect, &copy), DS_OK);
      ASSERT_EQ(copy->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
      std::this_thread::yield();
      EXPECT_EQ(copy->Release(), 0u);
    }
    if (WaitForSingleObject(half, 0) == WAIT_OBJECT_0) ++halvesPassed;
    DWORD status = 0, play = 0, write = 0;
    ASSERT_EQ(stream->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    ASSERT_EQ(stream->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_LT(play, 1024u);
  }
  done.store(true, std::memory_order_relaxed);
  audio.join();
  EXPECT_GE(pulls.load(std::memory_order_relaxed), kRounds / 4);
  EXPECT_GT(halvesPassed, 0);
  CloseHandle(half);
  const auto& heard = backend_.CapturedAudio();
  EXPECT_TRUE(std::any_of(heard.begin(), heard.end(), [](std::int16_t s) { return s != 0; }));

  // Both still answer as they should: what is written now is what plays.
  ASSERT_EQ(effect->Stop(), DS_OK);
  ASSERT_EQ(stream->SetVolume(DSBVOLUME_MAX), DS_OK);
  ASSERT_EQ(stream->SetPan(DSBPAN_CENTER), DS_OK);
  void* p;
  DWORD n;
  ASSERT_EQ(stream->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
  std::fill_n(static_cast<std::int16_t*>(p), n / 2, std::int16_t{1234});
  ASSERT_EQ(stream->Unlock(p, n, nullptr, 0), DS_OK);
  EXPECT_EQ(Left(Pull(16)), std::vector<std::int16_t>(16, 1234));
}

}  // namespace
}  // namespace dsound_test
