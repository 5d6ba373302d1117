// Every failure message, reached through injected faults and held
// references with halting off; the halt itself; the exception option; and
// the log file's lines.
#include <memory>

#include "tests/sound/sound_fixture.h"

namespace sound_test {
namespace {

using SoundFailures = SoundTest;

std::string Code(HRESULT code) { return brin::Format("(Error Code(%X))", static_cast<std::uint32_t>(code)); }

TEST_F(SoundFailures, InitializeReportsEachStep) {
  platform::InjectFault("IDirectSound::SetCooperativeLevel", DSERR_ALLOCATED);
  platform::InjectFault("IDirectSound::CreateSoundBuffer", DSERR_OUTOFMEMORY);
  TBrinSound* sound = Start([](TBrinSound* s) { s->Use3D = true; });
  EXPECT_TRUE(sound->Initialized);
  EXPECT_EQ(sound->PrimaryBuffer, nullptr);
  EXPECT_EQ(sound->Listener3D, nullptr);  // no primary to ask
  ASSERT_NE(sound->Listener, nullptr);    // the listener only holds its values
  EXPECT_EQ(sound->Listener->Params.flRolloffFactor, 1.0f);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"DirectSoundの協調レベルの設定に失敗しました" + Code(DSERR_ALLOCATED),
                                                  "一次バッファの作成に失敗しました" + Code(DSERR_OUTOFMEMORY)}));

  platform::InjectFault("IDirectSoundBuffer::QueryInterface", E_NOINTERFACE);
  EXPECT_TRUE(sound->Initialize());
  EXPECT_EQ(LogLines().back(), "DirectSound3D Listenerの作成に失敗しました" + Code(E_NOINTERFACE));
  EXPECT_EQ(sound->Listener3D, nullptr);

  platform::InjectFault("IDirectSound3DListener::SetAllParameters", DSERR_INVALIDPARAM);
  EXPECT_TRUE(sound->Initialize());
  ASSERT_NE(sound->Listener3D, nullptr);
  EXPECT_EQ(LogLines().back(), "Listenerに指定されたパラメータが不適切です" + Code(DSERR_INVALIDPARAM));
  EXPECT_EQ(LogLines().size(), 4u);
}

TEST_F(SoundFailures, LoadingReportsPlatformFailures) {
  TBrinSound* sound = Start();
  const std::string path = WriteFile("a.wav", PcmWave({1, 2, 3, 4}));
  platform::InjectFault("IDirectSound::CreateSoundBuffer", DSERR_OUTOFMEMORY);
  TBrinSoundWaveData noBuffer(sound, path);
  EXPECT_EQ(noBuffer.Buffer, nullptr);
  EXPECT_EQ(LogLines().back(), "サウンドバッファの作成に失敗しました" + Code(DSERR_OUTOFMEMORY));

  // A failed lock leaves no regions; the unlock of none is refused in turn.
  platform::InjectFault("IDirectSoundBuffer::Lock", DSERR_BUFFERLOST);
  TBrinSoundWaveData unlocked(sound, path);
  EXPECT_NE(unlocked.Buffer, nullptr);
  const auto lines = LogLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 2], "LoadWAV中に、サウンドバッファのロックが失敗しました" + Code(DSERR_BUFFERLOST));
  EXPECT_EQ(lines.back(), "LoadWAV中に、サウンドバッファのアンロックが失敗しました" + Code(DSERR_INVALIDPARAM));

  platform::InjectFault("IDirectSoundBuffer::Unlock", DSERR_INVALIDCALL);
  TBrinSoundWaveData notUnlocked(sound, path);
  EXPECT_EQ(LogLines().back(), "LoadWAV中に、サウンドバッファのアンロックが失敗しました" + Code(DSERR_INVALIDCALL));

  // A wave whose buffer is still held elsewhere reports its release with the count.
  auto held = std::make_unique<TBrinSoundWaveData>(sound, path);
  IDirectSoundBuffer* buffer = held->Buffer;
  buffer->AddRef();
  held.reset();
  EXPECT_EQ(LogLines().back(), "二次バッファの解放に失敗しました(Error Code(1))");
  EXPECT_EQ(buffer->Release(), 0u);
}

TEST_F(SoundFailures, AttachingReportsEachStep) {
  TBrinSound* sound = Start();
  const std::string path = WriteFile("a.wav", PcmWave({1, 2, 3, 4}));
  auto wave = std::make_unique<TBrinSoundWaveData>(sound, path);
  TBrinSoundChannel* channel = sound->Channels(3);

  platform::InjectFault("IDirectSound::DuplicateSoundBuffer", DSERR_OUTOFMEMORY);
  channel->setWaveData(wave.get());
  EXPECT_EQ(channel->Buffer, nullptr);
  EXPECT_EQ(LogLines().back(), "setWaveData サウンドバッファの複製に失敗しました" + Code(DSERR_OUTOFMEMORY));

  // A wave that failed to load has no buffer to duplicate: the platform refuses.
  TBrinSoundWaveData missing(sound, (dir / "missing.wav").string());
  channel->setWaveData(&missing);
  EXPECT_EQ(LogLines().back(), "setWaveData サウンドバッファの複製に失敗しました" + Code(DSERR_INVALIDPARAM));

  channel->setWaveData(wave.get());
  IDirectSoundBuffer* duplicate = channel->Buffer;
  ASSERT_NE(duplicate, nullptr);
  duplicate->AddRef();
  channel->setWaveData(nullptr);
  EXPECT_EQ(channel->Buffer, nullptr);
  EXPECT_EQ(LogLines().back(), "setWaveData サウンドバッファの解放に失敗しました(Error Code(1))");
  EXPECT_EQ(duplicate->Release(), 0u);
  wave.reset();
}

TEST_F(SoundFailures, ThreeDAttachingReportsEachStep) {
  TBrinSound* sound = Start([](TBrinSound* s) { s->Use3D = true; });
  const std::string path = WriteFile("a.wav", PcmWave({1, 2, 3, 4}));
  auto wave = std::make_unique<TBrinSoundWave3D>(sound, path);
  ASSERT_NE(wave->Buffer, nullptr);
  TBrinSoundChannel* channel = sound->Channels(0);

  platform::InjectFault("IDirectSoundBuffer::QueryInterface", E_NOINTERFACE);
  channel->setWaveData(wave.get());
  EXPECT_EQ(channel->Buffer3D, nullptr);
  EXPECT_EQ(LogLines().back(), "setWaveData 3Dサウンドバッファの作成に失敗しました" + Code(E_NOINTERFACE));

  platform::InjectFault("IDirectSound3DBuffer::SetAllParameters", DSERR_INVALIDPARAM);
  channel->setWaveData(wave.get());
  ASSERT_NE(channel->Buffer3D, nullptr);
  EXPECT_EQ(LogLines().back(), "Params3Dに指定されたパラメータが不適切です" + Code(DSERR_INVALIDPARAM));

  // A 3D interface held elsewhere is reported, and so is its buffer, which
  // the interface keeps alive.
  IDirectSound3DBuffer* held = channel->Buffer3D;
  held->AddRef();
  channel->setWaveData(nullptr);
  EXPECT_EQ(channel->Buffer3D, nullptr);
  EXPECT_EQ(channel->Buffer, nullptr);
  const auto lines = LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "setWaveData 3Dサウンドバッファの解放に失敗しました(Error Code(1))");
  EXPECT_EQ(lines.back(), "setWaveData サウンドバッファの解放に失敗しました(Error Code(1))");
  EXPECT_EQ(held->Release(), 0u);
  wave.reset();
}

TEST_F(SoundFailures, TeardownReportsWhatIsStillHeld) {
  TBrinSound* sound = Start([](TBrinSound* s) { s->Use3D = true; });
  IDirectSound3DListener* listener = sound->Listener3D;
  IDirectSoundBuffer* primary = sound->PrimaryBuffer;
  IDirectSound* ds = sound->DirectSound;
  listener->AddRef();
  primary->AddRef();
  ds->AddRef();
  Stop();
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"DirectSound3D Listnerの解放に失敗しました(Error Code(1))",
                                                  "一次バッファの解放に失敗しました(Error Code(2))",
                                                  "DirectSoundの解放に失敗しました(Error Code(2))"}));
  EXPECT_EQ(listener->Release(), 0u);
  EXPECT_EQ(primary->Release(), 0u);
  EXPECT_EQ(ds->Release(), 0u);
}

TEST_F(SoundFailures, TheExceptionOptionRaisesAfterLogging) {
  TBrinSound* sound = Start([](TBrinSound* s) { s->SetDebugOption({dsoDebugMessage, dsoExceptOnError}); });
  const std::string missing = (dir / "missing.wav").string();
  try {
    TBrinSoundWaveData wave(sound, missing);
    FAIL() << "no exception";
  } catch (const EBrinSound& e) {
    EXPECT_EQ(std::string(e.what()), missing + "が、見つかりません");
  }
  // A platform failure: the message carries its code; nothing is left made.
  const long before = platform::LiveObjectCount();
  platform::InjectFault("IDirectSoundBuffer::Unlock", DSERR_INVALIDCALL);
  const std::string path = WriteFile("a.wav", PcmWave({1, 2}));
  EXPECT_THROW(TBrinSoundWaveData wave(sound, path), EBrinSound);
  EXPECT_EQ(platform::LiveObjectCount(), before);
  EXPECT_EQ(LogLines().back(), "LoadWAV中に、サウンドバッファのアンロックが失敗しました" + Code(DSERR_INVALIDCALL));
  EXPECT_THROW(sound->Channels(50), EBrinSound);

  // Without messages the exception is still raised, and no line written.
  brin::sound::ResetLog();
  brin::sound::Log().channel.folder = dir.string();
  sound->SetDebugOption({dsoExceptOnError});
  std::filesystem::remove(dir / "brinsound.debug");
  EXPECT_THROW(TBrinSoundWaveData wave(sound, missing), EBrinSound);
  EXPECT_FALSE(LogExists());

  // A destructor never throws: a held buffer's release is only logged.
  sound->SetDebugOption({dsoDebugMessage, dsoExceptOnError});
  auto wave = std::make_unique<TBrinSoundWaveData>(sound, path);
  wave->Buffer->AddRef();
  IDirectSoundBuffer* buffer = wave->Buffer;
  EXPECT_NO_THROW(wave.reset());
  EXPECT_EQ(LogLines().back(), "二次バッファの解放に失敗しました(Error Code(1))");
  EXPECT_EQ(buffer->Release(), 0u);
}

TEST_F(SoundFailures, LogLinesAreNumberedInCodePage932AndTheFirstEmptiesTheFile) {
  WriteFile("brinsound.debug", Bytes{'o', 'l', 'd', '\r', '\n'});
  TBrinSound* sound = Start();
  sound->Channels(60);
  sound->Channels(61);
  const std::string bytes = LogBytes();
  ASSERT_EQ(bytes.substr(0, 16), "debug#00001 ... ");
  // "チ" is 0x83 0x60 in code page 932.
  EXPECT_EQ(static_cast<unsigned char>(bytes[16]), 0x83);
  EXPECT_EQ(static_cast<unsigned char>(bytes[17]), 0x60);
  EXPECT_NE(bytes.find("\r\ndebug#00002 ... "), std::string::npos);
  EXPECT_EQ(bytes.find("old"), std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}

using SoundFailuresDeathTest = SoundFailures;

TEST_F(SoundFailuresDeathTest, HaltingEndsTheProgramWithCodeZeroAfterTheLine) {
  EXPECT_EXIT(
      {
        platform::InjectFault("IDirectSound::SetCooperativeLevel", DSERR_ALLOCATED);
        Start([](TBrinSound* s) { s->SetDebugOption({dsoHaltOnError, dsoDebugMessage}); });
        std::exit(7);  // not reached: the halt comes first
      },
      ::testing::ExitedWithCode(1), ": DirectSoundの協調レベルの設定に失敗しました\\(Error Code\\(8878000A\\)\\)\n$");
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"DirectSoundの協調レベルの設定に失敗しました" + Code(DSERR_ALLOCATED)}));

  // The exception wins over the halt.
  EXPECT_EXIT(
      {
        Start([](TBrinSound* s) { s->SetDebugOption({dsoHaltOnError, dsoExceptOnError}); });
        try {
          form->BrinSound1->Channels(99);
        } catch (const EBrinSound&) {
          std::exit(3);
        }
        std::exit(7);
      },
      ::testing::ExitedWithCode(3), "");
}

}  // namespace
}  // namespace sound_test
