#include "platform/dsound/dsound_mixer.h"

#include <algorithm>
#include <cmath>

#include "platform/dsound.h"
#include "platform/dsound/dsound_buffer.h"
#include "platform/system.h"

namespace platform::dsound {

Mixer& Mixer::Instance() {
  // Never destroyed: a back end's audio thread may still pull while the
  // process ends (a halt calls exit from inside a frame).
  static Mixer* mixer = [] {
    auto* m = new Mixer;
    RegisterReset(&Mixer::Reset);
    return m;
  }();
  return *mixer;
}

void Mixer::Reset() {
  // A new back end was installed: the old one's audio is gone with it, and
  // the output's clock starts again.
  Mixer& mixer = Instance();
  mixer.backend_ = nullptr;
  std::lock_guard<std::mutex> guard(mixer.mutex_);
  mixer.framesMixed_ = 0;
}

bool Mixer::Attach() {
  if (!HasBackend()) return false;
  Backend& backend = CurrentBackend();
  if (backend_ != &backend) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      rate_ = kRate;
      channels_ = kChannels;
    }
    if (!backend.OpenAudio(AudioFormat{kRate, kChannels}, this)) return false;
    backend_ = &backend;
  }
  ++users_;
  return true;
}

void Mixer::Detach() {
  if (users_ > 0) --users_;
  if (users_ > 0 || !backend_) return;
  if (HasBackend() && &CurrentBackend() == backend_) backend_->CloseAudio();
  backend_ = nullptr;
}

void Mixer::Link(SoundBuffer* buffer) {
  buffer->previous = nullptr;
  buffer->next = first_;
  if (first_) first_->previous = buffer;
  first_ = buffer;
}

void Mixer::Unlink(SoundBuffer* buffer) {
  if (buffer->previous) buffer->previous->next = buffer->next;
  if (buffer->next) buffer->next->previous = buffer->previous;
  if (first_ == buffer) first_ = buffer->next;
  buffer->next = buffer->previous = nullptr;
}

void Mixer::WaitForPass() { std::lock_guard<std::mutex> wait(passMutex_); }

template <typename Store>
void Mixer::MixChunks(std::uint32_t frames, Store store) {
  std::lock_guard<std::mutex> pass(passMutex_);
  while (frames > 0) {
    const std::uint32_t n = std::min(frames, kChunkFrames);
    // Copy out, then mix without the lock the callers wait on.
    SoundBuffer* voices = nullptr;
    std::uint32_t channels = 0;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      channels = channels_;
      for (SoundBuffer* buffer = first_; buffer; buffer = buffer->next) {
        if (!buffer->Audible()) continue;
        buffer->CopyOut(rate_);
        buffer->passNext = voices;
        voices = buffer;
      }
    }
    std::fill_n(accumulator_.begin(), n * 2, 0);
    for (SoundBuffer* voice = voices; voice; voice = voice->passNext) voice->MixVoice(accumulator_.data(), n);
    {
      std::lock_guard<std::mutex> guard(mutex_);
      for (SoundBuffer* voice = voices; voice; voice = voice->passNext) voice->WriteBack();
      framesMixed_ += n;
    }
    store(accumulator_.data(), n, channels);
    frames -= n;
  }
}

namespace {

// Writes N frames of stereo SUMS as CHANNELS channels of OUT (mono: the two
// averaged; more than two: the rest silent), each value through CONVERT.
template <typename Sample, typename Convert>
void Spread(const std::int32_t* sums, std::uint32_t n, std::uint32_t channels, Sample*& out, Convert convert) {
  if (channels == 1) {
    for (std::uint32_t i = 0; i < n; ++i) out[i] = convert((sums[2 * i] + sums[2 * i + 1]) / 2);
  } else {
    for (std::uint32_t i = 0; i < n; ++i) {
      Sample* frame = out + static_cast<size_t>(i) * channels;
      frame[0] = convert(sums[2 * i]);
      frame[1] = convert(sums[2 * i + 1]);
      for (std::uint32_t c = 2; c < channels; ++c) frame[c] = 0;
    }
  }
  out += static_cast<size_t>(n) * channels;
}

}  // namespace

void Mixer::Mix(std::int16_t* out, std::uint32_t frames) noexcept {
  std::uint32_t left = frames;
  try {
    MixChunks(frames, [&](const std::int32_t* sums, std::uint32_t n, std::uint32_t channels) {
      Spread(sums, n, channels, out, [](std::int32_t v) {
        return static_cast<std::int16_t>(std::clamp<std::int32_t>(v, -32768, 32767));
      });
      left -= n;
    });
  } catch (...) {
    // Only the locks can throw; what is left of the request stays silent.
    std::fill_n(out, static_cast<size_t>(left) * channels_.load(), 0);
  }
}

void Mixer::MixWide(std::int32_t* out, std::uint32_t frames) noexcept {
  std::uint32_t left = frames;
  try {
    MixChunks(frames, [&](const std::int32_t* sums, std::uint32_t n, std::uint32_t channels) {
      Spread(sums, n, channels, out, [](std::int32_t v) { return v; });
      left -= n;
    });
  } catch (...) {
    std::fill_n(out, static_cast<size_t>(left) * channels_.load(), 0);
  }
}

double LevelToAmplitude(LONG hundredthsOfDecibel) {
  if (hundredthsOfDecibel <= DSBVOLUME_MIN) return 0.0;
  if (hundredthsOfDecibel >= 0) return 1.0;
  return std::pow(10.0, hundredthsOfDecibel / 2000.0);
}

void PanToAmplitudes(LONG pan, double& left, double& right) {
  left = pan > 0 ? LevelToAmplitude(-pan) : 1.0;
  right = pan < 0 ? LevelToAmplitude(pan) : 1.0;
}

std::int32_t AmplitudeToGain(double amplitude) {
  return static_cast<std::int32_t>(std::lround(std::clamp(amplitude, 0.0, 1.0) * 65536.0));
}

}  // namespace platform::dsound
