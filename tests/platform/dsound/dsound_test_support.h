// A DirectSound object on the headless back end, buffers filled with known
// samples, and the mixed output pulled back for checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/dsound.h"
#include "platform/faults.h"
#include "platform/system.h"
#include "platform/unknown.h"
#include "platform/window_registry.h"

namespace dsound_test {

inline WAVEFORMATEX Pcm(WORD channels, WORD bits, DWORD rate) {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = channels;
  f.wBitsPerSample = bits;
  f.nSamplesPerSec = rate;
  f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  return f;
}

inline DSBUFFERDESC Desc(DWORD flags, DWORD bytes, WAVEFORMATEX* format) {
  DSBUFFERDESC d{};
  d.dwSize = sizeof d;
  d.dwFlags = flags;
  d.dwBufferBytes = bytes;
  d.lpwfxFormat = format;
  return d;
}

class DirectSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Install(&backend_);
    window_ = platform::windows::Create(RECT{0, 0, 640, 480});
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds_, nullptr), DS_OK);
    ASSERT_EQ(ds_->SetCooperativeLevel(window_, DSSCL_PRIORITY), DS_OK);
  }
  void TearDown() override {
    for (IUnknown* object : owned_) object->Release();
    if (ds_) {
      EXPECT_EQ(ds_->Release(), 0u);
    }
    EXPECT_EQ(platform::LiveObjectCount(), 0);
    platform::windows::Destroy(window_);
    platform::ClearFaults();
    platform::Install(nullptr);
  }

  // A secondary buffer holding SAMPLES (16-bit) or BYTES, released by TearDown.
  IDirectSoundBuffer* Make(WAVEFORMATEX format, const std::vector<std::int16_t>& samples,
                           DWORD flags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN) {
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return MakeBytes(format, bytes, flags);
  }
  IDirectSoundBuffer* MakeBytes(WAVEFORMATEX format, const std::vector<std::uint8_t>& bytes, DWORD flags) {
    DSBUFFERDESC d = Desc(flags, static_cast<DWORD>(bytes.size()), &format);
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
    if (!b) return nullptr;
    void* p1 = nullptr;
    DWORD n1 = 0;
    EXPECT_EQ(b->Lock(0, static_cast<DWORD>(bytes.size()), &p1, &n1, nullptr, nullptr, 0), DS_OK);
    std::memcpy(p1, bytes.data(), n1);
    EXPECT_EQ(b->Unlock(p1, n1, nullptr, 0), DS_OK);
    owned_.push_back(b);
    return b;
  }
  // Keeps OBJECT for TearDown to release.
  template <typename T>
  T* Own(T* object) {
    owned_.push_back(object);
    return object;
  }

  // Pulls FRAMES stereo frames and returns them, left and right interleaved.
  std::vector<std::int16_t> Pull(std::uint32_t frames) {
    const size_t start = backend_.CapturedAudio().size();
    backend_.PullAudio(frames);
    return std::vector<std::int16_t>(backend_.CapturedAudio().begin() + static_cast<long>(start),
                                     backend_.CapturedAudio().end());
  }
  static std::vector<std::int16_t> Left(const std::vector<std::int16_t>& stereo) {
    std::vector<std::int16_t> out;
    for (size_t i = 0; i < stereo.size(); i += 2) out.push_back(stereo[i]);
    return out;
  }
  static std::vector<std::int16_t> Right(const std::vector<std::int16_t>& stereo) {
    std::vector<std::int16_t> out;
    for (size_t i = 1; i < stereo.size(); i += 2) out.push_back(stereo[i]);
    return out;
  }

  platform::HeadlessBackend backend_;
  HWND window_ = nullptr;
  IDirectSound* ds_ = nullptr;
  std::vector<IUnknown*> owned_;
};

}  // namespace dsound_test
