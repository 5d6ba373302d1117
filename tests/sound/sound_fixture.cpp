#include "tests/sound/sound_fixture.h"

#include <fstream>
#include <sstream>

#include "platform/files.h"
#include "platform/unknown.h"

namespace sound_test {

namespace {
void Put16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(Bytes& out, DWORD value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
}  // namespace

Bytes Chunk(const char* id, const Bytes& data, long declared) {
  Bytes out(id, id + 4);
  Put32(out, declared < 0 ? static_cast<DWORD>(data.size()) : static_cast<DWORD>(declared));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() & 1) out.push_back(0);
  return out;
}

Bytes Riff(const char* type, const std::vector<Bytes>& chunks) {
  Bytes body(type, type + 4);
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  return Chunk("RIFF", body);
}

Bytes FmtBody(WORD channels, DWORD rate, WORD bits) {
  Bytes out;
  const WORD align = static_cast<WORD>(channels * bits / 8);
  Put16(out, WAVE_FORMAT_PCM);
  Put16(out, channels);
  Put32(out, rate);
  Put32(out, rate * align);
  Put16(out, align);
  Put16(out, bits);
  return out;
}

Bytes SampleBytes(const std::vector<std::int16_t>& samples) {
  Bytes out;
  for (std::int16_t s : samples) Put16(out, static_cast<std::uint16_t>(s));
  return out;
}

Bytes PcmWave(const std::vector<std::int16_t>& samples) {
  return Riff("WAVE", {Chunk("fmt ", FmtBody(1, 22050, 16)), Chunk("data", SampleBytes(samples))});
}

void SoundTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dir = std::filesystem::temp_directory_path() /
        (std::string("brin_sound_") + info->test_suite_name() + "_" + info->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  brin::sound::ResetLog();
  brin::sound::Log().channel.folder = dir.string();
  platform::Install(&backend);
  baseObjects = platform::LiveObjectCount();
}

void SoundTest::TearDown() {
  Stop();
  EXPECT_EQ(platform::LiveObjectCount(), baseObjects);
  gConfigure = nullptr;
  platform::ClearFaults();
  brin::sound::ResetLog();
  platform::Install(nullptr);
  std::filesystem::remove_all(dir);
}

TBrinSound* SoundTest::Start(Configure configure) {
  gConfigure = std::move(configure);
  app = new TApplication();
  app->Initialize();
  app->CreateForm(form);
  return form->BrinSound1;
}

void SoundTest::Stop() {
  delete app;
  app = nullptr;
  form = nullptr;
}

std::string SoundTest::WriteFile(const std::string& name, const Bytes& bytes) const {
  const auto path = dir / name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

bool SoundTest::LogExists() const { return std::filesystem::exists(dir / "brinsound.debug"); }

std::string SoundTest::LogBytes() const {
  std::ifstream in(dir / "brinsound.debug", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> SoundTest::LogLines() const {
  std::vector<std::string> lines;
  if (!LogExists()) return lines;
  for (const auto& raw : platform::ReadTextLines((dir / "brinsound.debug").string())) {
    const std::string line = platform::Cp932ToUtf8(raw);
    const auto dots = line.find(" ... ");
    lines.push_back(dots == std::string::npos ? line : line.substr(dots + 5));
  }
  return lines;
}

std::vector<std::int16_t> SoundTest::PullLeft(std::uint32_t frames) {
  const size_t start = backend.CapturedAudio().size();
  backend.PullAudio(frames);
  std::vector<std::int16_t> left;
  for (size_t i = start; i < backend.CapturedAudio().size(); i += 2) left.push_back(backend.CapturedAudio()[i]);
  return left;
}

}  // namespace sound_test
