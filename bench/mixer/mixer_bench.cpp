// The cost of mixing one game frame (20 ms, 882 frames at 44100 Hz) of audio.
//
//   Mix20ms/N          N duplicates of one 22050 Hz 16-bit mono wave, as the
//                      game's channels hold them, all playing and looping,
//                      each at its own volume and pan (resampled, two gains)
//   Mix20msMixed/N     N buffers of every kind at once: 8 and 16 bits, mono
//                      and stereo, at 11025, 22050, 44100 and 48000 Hz
//   Mix20msSilent      nothing playing: the cost of the pull itself
//
// The goal is well under a millisecond for ten buffers:
//   mixer_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/dsound.h"
#include "platform/system.h"
#include "platform/window_registry.h"

namespace {

constexpr std::uint32_t kFramesPer20ms = 882;

// Keeps the mixer DirectSound registered, to pull from it directly into a
// buffer of the benchmark's own.
class Backend : public platform::HeadlessBackend {
 public:
  bool OpenAudio(const platform::AudioFormat& format, platform::AudioSource* source) override {
    this->source = source;
    return HeadlessBackend::OpenAudio(format, source);
  }
  platform::AudioSource* source = nullptr;
};

WAVEFORMATEX Pcm(WORD channels, WORD bits, DWORD rate) {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = channels;
  f.wBitsPerSample = bits;
  f.nSamplesPerSec = rate;
  f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  return f;
}

class Setup {
 public:
  Setup() {
    platform::Install(&backend_);
    window_ = platform::windows::Create(RECT{0, 0, 64, 64});
    if (DirectSoundCreate(nullptr, &ds_, nullptr) != DS_OK) std::abort();
    if (ds_->SetCooperativeLevel(window_, DSSCL_PRIORITY) != DS_OK) std::abort();
  }
  ~Setup() {
    for (IDirectSoundBuffer* b : buffers_) b->Release();
    ds_->Release();
    platform::windows::Destroy(window_);
    platform::Install(nullptr);
  }

  // A half-second buffer of a tone in FORMAT, filled through Lock.
  IDirectSoundBuffer* Make(WAVEFORMATEX format) {
    const DWORD bytes = format.nAvgBytesPerSec / 2 / format.nBlockAlign * format.nBlockAlign;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLDEFAULT;
    desc.dwBufferBytes = bytes;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* b = nullptr;
    if (ds_->CreateSoundBuffer(&desc, &b, nullptr) != DS_OK) std::abort();
    void* p = nullptr;
    DWORD n = 0;
    if (b->Lock(0, bytes, &p, &n, nullptr, nullptr, 0) != DS_OK) std::abort();
    auto* data = static_cast<std::uint8_t*>(p);
    for (DWORD i = 0; i < n; ++i) data[i] = static_cast<std::uint8_t>(128 + 100 * std::sin(i * 0.05));
    b->Unlock(p, n, nullptr, 0);
    buffers_.push_back(b);
    return b;
  }
  IDirectSoundBuffer* Duplicate(IDirectSoundBuffer* original) {
    IDirectSoundBuffer* copy = nullptr;
    if (ds_->DuplicateSoundBuffer(original, &copy) != DS_OK) std::abort();
    buffers_.push_back(copy);
    return copy;
  }
  static void Start(IDirectSoundBuffer* b, int i) {
    b->SetVolume(-100 * i);
    b->SetPan(500 * i - 2500);
    b->Play(0, 0, DSBPLAY_LOOPING);
  }
  void Run(benchmark::State& state) {
    std::vector<std::int16_t> out(2 * kFramesPer20ms);
    for (auto _ : state) {
      backend_.source->Mix(out.data(), kFramesPer20ms);
      benchmark::DoNotOptimize(out.data());
      benchmark::ClobberMemory();
    }
  }

 private:
  Backend backend_;
  HWND window_ = nullptr;
  IDirectSound* ds_ = nullptr;
  std::vector<IDirectSoundBuffer*> buffers_;
};

void Mix20ms(benchmark::State& state) {
  Setup setup;
  IDirectSoundBuffer* wave = setup.Make(Pcm(1, 16, 22050));
  for (int i = 0; i < state.range(0); ++i) Setup::Start(setup.Duplicate(wave), i);
  setup.Run(state);
}
BENCHMARK(Mix20ms)->Arg(1)->Arg(10)->Arg(30)->Arg(50)->Unit(benchmark::kMicrosecond);

void Mix20msMixed(benchmark::State& state) {
  Setup setup;
  const WAVEFORMATEX formats[] = {Pcm(1, 8, 11025), Pcm(2, 8, 22050), Pcm(1, 16, 44100), Pcm(2, 16, 48000)};
  for (int i = 0; i < state.range(0); ++i) Setup::Start(setup.Make(formats[i % 4]), i);
  setup.Run(state);
}
BENCHMARK(Mix20msMixed)->Arg(10)->Unit(benchmark::kMicrosecond);

void Mix20msSilent(benchmark::State& state) {
  Setup setup;
  setup.Make(Pcm(1, 16, 22050));
  setup.Run(state);
}
BENCHMARK(Mix20msSilent)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
