// Feeds arbitrary bytes to wave loading as a file: LoadWAV through the
// multimedia file functions into a DirectSound buffer, as a plain wave and as
// a 3D wave, then attaches whatever loaded to a channel, plays it and mixes
// a little of it. A walk over every chunk the file nests, with the
// multimedia functions alone, follows. The sound component's halt, log and
// exception are all off, so a refused file only leaves the wave empty.
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/backend/headless/headless_backend.h"
#include "platform/mmsystem.h"
#include "platform/system.h"
#include "sound/brin_sound.h"
#include "sound/brin_sound_wave.h"

namespace {

// Keeps the mixer the component registered, so the harness can mix into a
// buffer of its own rather than a capture that grows with every run.
class Backend : public platform::HeadlessBackend {
 public:
  bool OpenAudio(const platform::AudioFormat& format, platform::AudioSource* source) override {
    this->source = source;
    return HeadlessBackend::OpenAudio(format, source);
  }
  platform::AudioSource* source = nullptr;
};

struct Harness {
  Backend backend;
  TForm* form = nullptr;
  TBrinSound* sound = nullptr;
  std::string path;
  std::array<std::int16_t, 2 * 2048> out{};

  Harness() {
    platform::Install(&backend);
    form = new TForm(nullptr);
    sound = new TBrinSound(form);
    sound->SetDebugOption({});
    sound->ChannelCount = 2;
    if (!sound->Initialize() || !backend.source) std::abort();
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path = std::string(folder) + "/fuzz_wave_" + std::to_string(getpid()) + ".wav";
  }
  // The component and its device live to the end of the process; only the
  // scratch file is cleared away.
  ~Harness() { std::remove(path.c_str()); }
};

void Play(Harness& h, TBrinSoundGenWave& wave) {
  TBrinSoundChannel* channel = h.sound->Channels(static_cast<int>(wave.DataSize & 1));
  channel->setWaveData(&wave);
  channel->Play();
  if (channel->Buffer) channel->Buffer->SetFrequency(wave.Format.nSamplesPerSec ^ (wave.DataSize & 0xFFF));
  h.backend.source->Mix(h.out.data(), static_cast<std::uint32_t>(h.out.size() / 2));
  channel->setWaveData(nullptr);
}

// Descends into every chunk under the current position, reading a little of
// each, to a bounded depth and count.
void Walk(HMMIO file, const MMCKINFO* parent, int depth, int& budget) {
  MMCKINFO chunk{};
  while (budget-- > 0 && mmioDescend(file, &chunk, parent, 0) == MMSYSERR_NOERROR) {
    char head[16];
    mmioRead(file, head, sizeof head);
    if ((chunk.ckid == FOURCC_RIFF || chunk.ckid == FOURCC_LIST) && depth < 4) {
      mmioSeek(file, static_cast<LONG>(chunk.dwDataOffset + 4), SEEK_SET);
      Walk(file, &chunk, depth + 1, budget);
    }
    if (mmioAscend(file, &chunk, 0) != MMSYSERR_NOERROR) return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Harness harness;
  std::FILE* f = std::fopen(harness.path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  {
    TBrinSoundWaveData wave(harness.sound, harness.path);
    Play(harness, wave);
  }
  {
    TBrinSoundWave3D wave(harness.sound, harness.path);
    Play(harness, wave);
  }
  MMIOINFO info{};
  info.cchBuffer = 64;  // small, so that reads cross the buffer's edge
  if (HMMIO file = mmioOpenA(harness.path.data(), &info, MMIO_READ | MMIO_ALLOCBUF)) {
    int budget = 64;
    Walk(file, nullptr, 0, budget);
    mmioClose(file, 0);
  }
  return 0;
}
