// Audio output: the device, its callback and the limiter after the mixer.
#include "platform/backend/sdl/sdl_audio.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/backend/sdl/sdl_backend.h"

namespace platform::sdl {
namespace {

// The gain holds this long after the last frame above the knee, longer than
// half a period of any tone heard, so it does not ripple with the waveform;
// then it returns to 1 with the time constant after.
constexpr double kHoldSeconds = 0.02;
constexpr double kRecoverySeconds = 0.05;
// A gain this close to 1 is 1 again: the limiter is at rest.
constexpr double kRest = 1.0 - 1e-6;

// At most this many frames a callback: about 12 ms at 44.1 kHz, so what is
// heard follows a frame of the game closely.
constexpr Uint16 kDeviceFrames = 512;

}  // namespace

OutputLimiter::OutputLimiter(std::uint32_t rate) { SetRate(rate); }

void OutputLimiter::SetRate(std::uint32_t rate) {
  rate = std::max<std::uint32_t>(rate, 1);
  recovery_ = 1.0 - std::exp(-1.0 / (kRecoverySeconds * rate));
  holdFrames_ = static_cast<std::uint32_t>(kHoldSeconds * rate);
}

double OutputLimiter::Curve(double level) {
  const double room = kCeiling - kKnee;
  return kKnee + room * std::tanh((level - kKnee) / room);
}

void OutputLimiter::Process(const std::int32_t* in, std::int16_t* out, std::uint32_t frames,
                            std::uint32_t channels) {
  for (std::uint32_t f = 0; f < frames; ++f, in += channels, out += channels) {
    std::int32_t peak = 0;
    for (std::uint32_t c = 0; c < channels; ++c) peak = std::max(peak, std::abs(in[c]));
    if (peak > kKnee) {
      gain_ = std::min(gain_, Curve(peak) / peak);
      held_ = holdFrames_;
    } else if (held_ > 0) {
      --held_;
    } else if (gain_ < 1.0) {
      gain_ += (1.0 - gain_) * recovery_;
      if (gain_ > kRest) gain_ = 1.0;
    }
    if (gain_ == 1.0) {
      // At rest every sample is at or below the knee: exactly as it came.
      for (std::uint32_t c = 0; c < channels; ++c) out[c] = static_cast<std::int16_t>(in[c]);
    } else {
      for (std::uint32_t c = 0; c < channels; ++c) {
        const auto v = static_cast<std::int32_t>(std::lround(in[c] * gain_));
        out[c] = static_cast<std::int16_t>(std::clamp(v, -kCeiling, kCeiling));
      }
    }
  }
}

// --- the device --------------------------------------------------------------------

void SdlBackend::AudioCallback(void* self, Uint8* stream, int length) noexcept {
  auto* backend = static_cast<SdlBackend*>(self);
  // Two bytes a sample; the source fills whole frames of every channel.
  const std::uint32_t channels = backend->audioChannels_;
  auto* out = reinterpret_cast<std::int16_t*>(stream);
  auto frames = static_cast<std::uint32_t>(length) / (2 * channels);
  if (!backend->audioSource_) {
    std::memset(stream, 0, static_cast<std::size_t>(length));
    return;
  }
  const auto chunk = static_cast<std::uint32_t>(backend->audioSums_.size() / channels);
  while (frames > 0) {
    const std::uint32_t n = std::min(frames, chunk);
    backend->audioSource_->MixWide(backend->audioSums_.data(), n);
    if (backend->audioTap_) backend->Tap(n);
    backend->limiter_.Process(backend->audioSums_.data(), out, n, channels);
    out += static_cast<std::size_t>(n) * channels;
    frames -= n;
  }
}

void SdlBackend::Tap(std::uint32_t frames) {
  // What a plain output would have played: the sums clamped to 16 bits.
  const std::size_t count = static_cast<std::size_t>(frames) * audioChannels_;
  for (std::size_t i = 0; i < count; ++i) {
    tapSamples_[i] = static_cast<std::int16_t>(std::clamp<std::int32_t>(audioSums_[i], -32768, 32767));
  }
  std::fwrite(tapSamples_.data(), sizeof(std::int16_t), count, audioTap_);
}

bool SdlBackend::OpenAudio(const AudioFormat& format, AudioSource* source) {
  CloseAudio();
  if (format.channels < 1 || format.channels > 8) return false;
  audioChannels_ = format.channels;
  if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(format.rate);
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(format.channels);
  want.samples = kDeviceFrames;
  want.callback = &SdlBackend::AudioCallback;
  want.userdata = this;
  // The callback's buffers come in the size asked for; the sums of one are
  // held here, made before the device starts pulling.
  audioSums_.assign(static_cast<std::size_t>(kDeviceFrames) * format.channels, 0);
  tapSamples_.assign(audioSums_.size(), 0);
  limiter_ = OutputLimiter(format.rate);
  if (const char* tap = std::getenv("BRIN_SDL_AUDIO_TAP"); tap && *tap) audioTap_ = std::fopen(tap, "wb");
  audioSource_ = source;
  audio_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (audio_ == 0) {
    audioSource_ = nullptr;
    return false;
  }
  SDL_PauseAudioDevice(audio_, 0);
  return true;
}

void SdlBackend::CloseAudio() {
  if (audio_) SDL_CloseAudioDevice(audio_);
  audio_ = 0;
  audioSource_ = nullptr;
  if (audioTap_) std::fclose(audioTap_);
  audioTap_ = nullptr;
}

}  // namespace platform::sdl
