// SDL's audio thread pulls from the source the back end was given (on SDL's
// dummy audio driver, which needs no sound card), and closing the audio
// waits for it: nothing is pulled once CloseAudio has returned.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/backend/sdl/sdl_backend.h"

namespace platform::sdl {
namespace {

class CountingSource final : public AudioSource {
 public:
  void Mix(std::int16_t* out, std::uint32_t frames) noexcept override {
    std::fill_n(out, static_cast<size_t>(frames) * 2, std::int16_t{0});
  }
  // What the back end pulls: the sums before its limiter.
  void MixWide(std::int32_t* out, std::uint32_t frames) noexcept override {
    std::fill_n(out, static_cast<size_t>(frames) * 2, 0);
    if (std::this_thread::get_id() != caller_) frames_ += frames;
  }
  std::uint64_t Frames() const { return frames_.load(); }

 private:
  const std::thread::id caller_ = std::this_thread::get_id();
  std::atomic<std::uint64_t> frames_{0};
};

TEST(SdlAudio, SdlsThreadPullsTheSourceUntilTheAudioIsClosed) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::string error;
  std::unique_ptr<SdlBackend> backend = SdlBackend::Create({}, error);
  if (!backend) GTEST_SKIP() << "no offscreen video driver: " << error;
  CountingSource source;
  ASSERT_TRUE(backend->OpenAudio(AudioFormat{44100, 2}, &source));
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (source.Frames() == 0 && std::chrono::steady_clock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  backend->CloseAudio();
  const std::uint64_t pulled = source.Frames();
  EXPECT_GT(pulled, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));  // several callback periods
  EXPECT_EQ(source.Frames(), pulled);
  backend.reset();
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_VIDEODRIVER");
}

}  // namespace
}  // namespace platform::sdl
