#include "sound/brin_sound.h"

#include <cstdlib>

#include "sound/brin_sound_3d.h"
#include "sound/brin_sound_wave.h"

using brin::sound::CheckRelease;
using brin::sound::CheckResult;

// --- TBrinSoundChannel ------------------------------------------------------------

TBrinSoundChannel::TBrinSoundChannel(TBrinSound* ASound) : Sound(ASound), Params3D(new TBrinSoundParams3D(this)) {}

TBrinSoundChannel::~TBrinSoundChannel() {
  if (Buffer3D) Buffer3D->Release();
  if (Buffer) Buffer->Release();
  delete Params3D;
}

void TBrinSoundChannel::setWaveData(TBrinSoundGenWave* Wave) {
  if (!Sound->Initialized) return;
  // Each reference is cleared before its release is reported, so that an
  // exception from the report leaves nothing to release twice.
  if (IDirectSound3DBuffer* old3D = Buffer3D) {
    Buffer3D = nullptr;
    CheckResult(static_cast<HRESULT>(old3D->Release()), "setWaveData 3Dサウンドバッファの解放に失敗しました");
  }
  if (IDirectSoundBuffer* old = Buffer) {
    Buffer = nullptr;
    CheckResult(static_cast<HRESULT>(old->Release()), "setWaveData サウンドバッファの解放に失敗しました");
  }
  if (!Wave) return;

  CheckResult(Sound->DirectSound->DuplicateSoundBuffer(Wave->Buffer, &Buffer),
              "setWaveData サウンドバッファの複製に失敗しました");
  auto* wave3D = dynamic_cast<TBrinSoundWave3D*>(Wave);
  if (!wave3D) return;
  if (Buffer) {
    CheckResult(Buffer->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&Buffer3D)),
                "setWaveData 3Dサウンドバッファの作成に失敗しました");
  }
  Params3D->Assign(wave3D->Params3D);
}

void TBrinSoundChannel::Play() {
  if (!Buffer) return;
  Buffer->SetCurrentPosition(0);
  Buffer->Play(0, 0, 0);
}

void TBrinSoundChannel::Stop() {
  if (Buffer) Buffer->Stop();
}

// --- TBrinSound -----------------------------------------------------------------------

TBrinSound::TBrinSound(TComponent* AOwner) : TComponent(AOwner) {
  if (ComponentState().Contains(csDesigning) && Owner()) {
    int count = 0;
    for (int i = 0; i < Owner()->ComponentCount(); ++i)
      if (dynamic_cast<TBrinSound*>(Owner()->Components(i))) ++count;
    if (count >= 2) throw Exception("BrinSoundコンポーネントを、同一フォームに2つ以上貼る事はできません");
  }
  ChannelCount = 8;
  StickyFocus = true;
  Use3D = false;
  SetDebugOption({dsoHaltOnError});
}

TBrinSound::~TBrinSound() {
  if (ComponentState().Contains(csDesigning)) return;
  FreeChannels();
  ReleaseDevice(true);
}

void TBrinSound::Loaded() {
  TComponent::Loaded();
  if (ComponentState().Contains(csDesigning)) return;
  SetDebugOption(debugOption_);
  Initialize();
}

void TBrinSound::SetDebugOption(TBrinSoundDebugOption option) {
  debugOption_ = option;
  brin::sound::SoundLog& log = brin::sound::Log();
  log.channel.haltOnError = option.Contains(dsoHaltOnError);
  log.channel.debugMessage = option.Contains(dsoDebugMessage);
  log.exceptOnError = option.Contains(dsoExceptOnError);
}

void TBrinSound::FreeChannels() {
  for (TBrinSoundChannel* channel : channels_) delete channel;
  channels_.clear();
}

void TBrinSound::ReleaseDevice(bool report) {
  delete Listener;
  Listener = nullptr;
  // Each pointer is cleared before its release is reported.
  const auto release = [report](auto*& object, const char* message) {
    if (!object) return;
    auto* held = object;
    object = nullptr;
    const ULONG remaining = held->Release();
    if (report) CheckRelease(remaining, message);
  };
  release(Listener3D, "DirectSound3D Listnerの解放に失敗しました");
  release(PrimaryBuffer, "一次バッファの解放に失敗しました");
  release(DirectSound, "DirectSoundの解放に失敗しました");
  Initialized = false;
}

HWND TBrinSound::FormWindow() const {
  auto* form = dynamic_cast<TForm*>(Owner());
  return form ? form->Handle() : nullptr;
}

bool TBrinSound::Initialize() {
  FreeChannels();
  channels_.reserve(ChannelCount);
  for (DWORD i = 0; i < ChannelCount; ++i) channels_.push_back(new TBrinSoundChannel(this));

  // A second Initialize starts from a clean device rather than leaking the
  // first one's objects.
  ReleaseDevice(false);
  if (FAILED(DirectSoundCreate(nullptr, &DirectSound, nullptr))) {
    Initialized = false;
    return false;
  }
  Initialized = true;
  CheckResult(DirectSound->SetCooperativeLevel(FormWindow(), DSSCL_PRIORITY),
              "DirectSoundの協調レベルの設定に失敗しました");

  DSBUFFERDESC1 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DSBCAPS_PRIMARYBUFFER | (Use3D ? DSBCAPS_CTRL3D : 0);
  CheckResult(DirectSound->CreateSoundBuffer(reinterpret_cast<LPCDSBUFFERDESC>(&desc), &PrimaryBuffer, nullptr),
              "一次バッファの作成に失敗しました");

  if (Use3D) {
    if (PrimaryBuffer) {
      CheckResult(PrimaryBuffer->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&Listener3D)),
                  "DirectSound3D Listenerの作成に失敗しました");
    }
    delete Listener;
    Listener = nullptr;
    Listener = new TBrinSoundListener(this);
  }
  return true;
}

TBrinSoundChannel* TBrinSound::Channels(int Index) {
  // The channels that exist are the range: ChannelCount once Initialize has
  // made them, none before.
  const int count = static_cast<int>(channels_.size());
  if (Index >= 0 && Index < count) return channels_[static_cast<size_t>(Index)];
  const std::string message =
      brin::Format("チャンネル番号%dは無効です、%d～%dの範囲で指定してください", Index, 0, count - 1);
  brin::sound::DebugLog(message);
  if (brin::sound::Log().channel.haltOnError) brin::Halt(message);
  return nullptr;
}
