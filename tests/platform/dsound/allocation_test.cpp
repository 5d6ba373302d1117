// Mixing, and the calls a game makes every frame (Play, Stop, position and
// control changes), allocate nothing: this executable counts every operator
// new.
#include "tests/platform/dsound/dsound_test_support.h"
#include "tests/support/allocation_count.h"

namespace dsound_test {
namespace {

// Keeps the source the mixer registered, so the test can pull into memory
// of its own instead of the capture, which grows.
class SourceBackend : public platform::HeadlessBackend {
 public:
  bool OpenAudio(const platform::AudioFormat& format, platform::AudioSource* source) override {
    this->source = source;
    return HeadlessBackend::OpenAudio(format, source);
  }
  platform::AudioSource* source = nullptr;
};

TEST(DirectSoundAllocation, MixingAndPerFrameCallsAllocateNothing) {
  SourceBackend backend;
  platform::Install(&backend);
  HWND window = platform::windows::Create(RECT{0, 0, 64, 64});
  IDirectSound* ds = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
  ASSERT_EQ(ds->SetCooperativeLevel(window, DSSCL_PRIORITY), DS_OK);
  ASSERT_NE(backend.source, nullptr);
  WAVEFORMATEX f = Pcm(1, 16, 22050);
  DSBUFFERDESC d = Desc(DSBCAPS_STATIC | DSBCAPS_CTRLDEFAULT, 4410, &f);
  IDirectSoundBuffer* wave = nullptr;
  ASSERT_EQ(ds->CreateSoundBuffer(&d, &wave, nullptr), DS_OK);
  IDirectSoundBuffer* channels[10] = {};
  for (auto*& c : channels) ASSERT_EQ(ds->DuplicateSoundBuffer(wave, &c), DS_OK);
  std::vector<std::int16_t> out(2 * 2048);
  // The count is live: making a buffer is counted.
  const long beforeSpare = AllocationCount();
  IDirectSoundBuffer* spare = nullptr;
  ASSERT_EQ(ds->DuplicateSoundBuffer(wave, &spare), DS_OK);
  EXPECT_GT(AllocationCount(), beforeSpare);
  ASSERT_EQ(spare->Release(), 0u);

  const long before = AllocationCount();
  for (int frame = 0; frame < 50; ++frame) {
    for (IDirectSoundBuffer* c : channels) {
      c->Stop();
      c->SetCurrentPosition(0);
      c->SetVolume(-100 * (frame % 10));
      c->SetPan(frame * 10);
      c->SetFrequency(22050 + frame);
      c->Play(0, 0, frame % 2 ? DSBPLAY_LOOPING : 0);
    }
    backend.source->Mix(out.data(), 882 + static_cast<std::uint32_t>(frame));
  }
  EXPECT_EQ(AllocationCount() - before, 0);

  for (IDirectSoundBuffer* c : channels) c->Release();
  wave->Release();
  EXPECT_EQ(ds->Release(), 0u);
  platform::windows::Destroy(window);
  platform::Install(nullptr);
}

}  // namespace
}  // namespace dsound_test
