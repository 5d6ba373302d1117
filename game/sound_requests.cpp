// The game's sounds. Each of the five waves sits on its own channels from
// start-up on. Game code files a request for a channel range; the service at
// the end of the frame starts what was requested. A channel that has just
// been started refuses new requests for the sound's busy time, so a sound
// asked for again too soon moves on to the next channel of its range or is
// dropped.
#include "game/game.h"
#include "sound/brin_sound.h"
#include "sound/brin_sound_log.h"
#include "sound/brin_sound_wave.h"

namespace {

// File, busy frames, first channel and channel count of each sound number.
struct TSoundEntry {
  const char* FileName;
  std::int32_t Length;
  std::int32_t FirstChannel;
  std::int32_t ChannelCount;
};

constexpr TSoundEntry kSoundTable[TGame::kSoundCount] = {
    {"bom02.wav", 30, 0, 10},   // a block destroyed
    {"bom03.wav", 80, 10, 1},   // the player hit, a spare life left
    {"bom04.wav", 80, 11, 1},   // the player hit, no life left
    {"click05.wav", 1, 12, 1},  // a menu selection moved
    {"click06.wav", 1, 13, 1},  // a menu choice confirmed
};

constexpr std::int32_t kServicedChannels = 30;

}  // namespace

void TGame::SetupSounds() {
  ChannelBusy.fill(0);
  for (std::int32_t n = 0; n < kSoundCount; ++n) {
    const TSoundEntry& entry = kSoundTable[n];
    SoundLength[static_cast<std::size_t>(n)] = entry.Length;
    if (!Sound) continue;
    TBrinSoundWaveData* wave = nullptr;
    try {
      wave = new TBrinSoundWaveData(Sound, SoundFolder + entry.FileName);
    } catch (const EBrinSound& e) {
      if (OnSoundMissing) OnSoundMissing(entry.FileName, e.what());
      continue;
    }
    // Without a device every wave is empty by design, and nothing is missing.
    if (Sound->Initialized && !wave->Buffer) {
      delete wave;
      if (OnSoundMissing) OnSoundMissing(entry.FileName, "not loaded");
      continue;
    }
    Waves[static_cast<std::size_t>(n)] = wave;
    for (std::int32_t c = entry.FirstChannel; c < entry.FirstChannel + entry.ChannelCount; ++c) {
      if (TBrinSoundChannel* channel = Sound->Channels(c)) channel->setWaveData(wave);
    }
  }
}

void TGame::RequestSound(std::int32_t FirstChannel, std::int32_t ChannelCount, std::int32_t SoundNumber) {
  for (std::int32_t c = FirstChannel; c < FirstChannel + ChannelCount; ++c) {
    const auto channel = static_cast<std::size_t>(c);
    if (ChannelBusy[channel] != 0) continue;
    PlayRequest[channel] = true;
    ChannelBusy[channel] = SoundLength[static_cast<std::size_t>(SoundNumber)];
    return;
  }
}

void TGame::UpdateSounds() {
  for (std::int32_t c = 0; c < kServicedChannels; ++c) {
    const auto channel = static_cast<std::size_t>(c);
    if (ChannelBusy[channel] <= 0) continue;
    --ChannelBusy[channel];
    if (!PlayRequest[channel]) continue;
    PlayRequest[channel] = false;
    if (!Sound) continue;
    if (TBrinSoundChannel* playing = Sound->Channels(c)) {
      playing->Stop();
      playing->Play();
    }
  }
}

void TGame::FreeSounds() {
  for (TBrinSoundWaveData*& wave : Waves) {
    delete wave;
    wave = nullptr;
  }
}
