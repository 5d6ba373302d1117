// A sound component set up like the game's: a form that owns a TBrinSound
// whose stored properties a test chooses, the headless back end, the log in
// a folder of the test's own, hand-built WAV files, and the log read back as
// UTF-8 lines.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/faults.h"
#include "platform/forms.h"
#include "platform/system.h"
#include "sound/brin_sound.h"
#include "sound/brin_sound_3d.h"
#include "sound/brin_sound_wave.h"

namespace sound_test {

using Bytes = std::vector<std::uint8_t>;

// Sets a TBrinSound's stored properties the way a form description would.
using Configure = std::function<void(TBrinSound*)>;
inline Configure gConfigure;

class TSoundForm : public TForm {
 public:
  explicit TSoundForm(TComponent* owner) : TForm(owner) {
    SetCaption("Zornack");
    BrinSound1 = new TBrinSound(this);
    BrinSound1->SetDebugOption({dsoDebugMessage});
    BrinSound1->ChannelCount = 50;
    if (gConfigure) gConfigure(BrinSound1);
  }
  TBrinSound* BrinSound1;
};

// RIFF pieces: a chunk with its pad byte, its declared size the true one
// unless given.
Bytes Chunk(const char* id, const Bytes& data, long declared = -1);
Bytes Riff(const char* type, const std::vector<Bytes>& chunks);
// A PCM "fmt " chunk's body.
Bytes FmtBody(WORD channels, DWORD rate, WORD bits);
Bytes SampleBytes(const std::vector<std::int16_t>& samples);
// A whole mono 16-bit 22050 Hz file holding SAMPLES.
Bytes PcmWave(const std::vector<std::int16_t>& samples);

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes the application and the form; the component initialises on the way.
  TBrinSound* Start(Configure configure = nullptr);
  // Destroys the form and with it the component (waves first, as the game does).
  void Stop();

  // Writes BYTES as NAME in the test's folder and returns its path.
  std::string WriteFile(const std::string& name, const Bytes& bytes) const;
  // The log as UTF-8 lines without their "debug#NNNNN ... " prefix.
  std::vector<std::string> LogLines() const;
  std::string LogBytes() const;
  bool LogExists() const;

  // Pulls FRAMES stereo frames and returns the left channel.
  std::vector<std::int16_t> PullLeft(std::uint32_t frames);

  platform::HeadlessBackend backend;
  TApplication* app = nullptr;
  TSoundForm* form = nullptr;
  std::filesystem::path dir;
  long baseObjects = 0;
};

}  // namespace sound_test
