#include "sound/brin_sound_wave.h"

#include <algorithm>
#include <cstring>

#include "platform/mmsystem.h"
#include "sound/brin_sound.h"
#include "sound/brin_sound_3d.h"

namespace {

using brin::sound::CheckResult;
using brin::sound::DebugLog;

// Closes the file however loading ends.
class OpenFile {
 public:
  explicit OpenFile(HMMIO handle) : handle_(handle) {}
  ~OpenFile() { Close(); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  HMMIO get() const { return handle_; }
  void Close() {
    if (handle_) mmioClose(handle_, 0);
    handle_ = nullptr;
  }

 private:
  HMMIO handle_;
};

// Reads COUNT bytes of which the first ROOM go to OUT and the rest are
// passed over; true when all of them were there.
bool ReadChunk(HMMIO file, std::uint8_t* out, DWORD room, DWORD count) {
  const DWORD kept = std::min(room, count);
  if (mmioRead(file, reinterpret_cast<HPSTR>(out), static_cast<LONG>(kept)) != static_cast<LONG>(kept)) return false;
  char skipped[256];
  for (DWORD left = count - kept; left > 0;) {
    const LONG piece = static_cast<LONG>(std::min<DWORD>(left, sizeof skipped));
    if (mmioRead(file, skipped, piece) != piece) return false;
    left -= static_cast<DWORD>(piece);
  }
  return true;
}

// Reads up to LENGTH bytes into REGION and fills what the file did not hold
// with the format's silence, so that a short file ends quietly.
void ReadRegion(HMMIO file, void* region, DWORD length, std::uint8_t silence) {
  if (!region || length == 0) return;
  const LONG got = mmioRead(file, static_cast<HPSTR>(region), static_cast<LONG>(length));
  const DWORD filled = got > 0 ? static_cast<DWORD>(got) : 0;
  std::memset(static_cast<std::uint8_t*>(region) + filled, silence, length - filled);
}

}  // namespace

TBrinSoundGenWave::TBrinSoundGenWave(TBrinSound* ASound, const std::string& FileName, bool Is3D)
    : Sound(ASound), FormatRecord{} {
  if (!Sound->Initialized) return;
  try {
    LoadWAV(FileName, Is3D);
  } catch (...) {
    // The destructor does not run for a constructor that throws.
    if (Buffer) Buffer->Release();
    Buffer = nullptr;
    throw;
  }
}

TBrinSoundGenWave::~TBrinSoundGenWave() {
  // A buffer is released even when the component has since lost its device
  // (a second Initialize that found none), rather than leaked.
  if (!Buffer) return;
  IDirectSoundBuffer* buffer = Buffer;
  Buffer = nullptr;
  brin::sound::CheckRelease(buffer->Release(), "二次バッファの解放に失敗しました");
}

void TBrinSoundGenWave::LoadWAV(const std::string& FileName, bool Is3D) {
  std::string name = FileName;
  OpenFile file(mmioOpenA(name.data(), nullptr, MMIO_READ | MMIO_ALLOCBUF));
  // File problems close the file first, so an exception leaves nothing open.
  const auto fileProblem = [&](const char* message) {
    file.Close();
    DebugLog(FileName + message);
  };
  if (!file.get()) return fileProblem("が、見つかりません");

  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  if (mmioDescend(file.get(), &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR)
    return fileProblem("は、WAVEファイルではありません");

  MMCKINFO chunk{};
  chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
  if (mmioDescend(file.get(), &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
    return fileProblem("には、fmtチャンクが有りません");
  // A chunk longer than the record is cut to it; every declared byte must
  // still be there.
  if (!ReadChunk(file.get(), FormatRecord, sizeof FormatRecord, chunk.cksize))
    return fileProblem("のfmtチャンクが不正です");
  mmioAscend(file.get(), &chunk, 0);

  chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
  if (mmioDescend(file.get(), &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
    return fileProblem("には、dataチャンクが有りません");

  DataSize = chunk.cksize;
  DSBUFFERDESC1 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags =
      DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | (Is3D ? DSBCAPS_CTRL3D : DSBCAPS_CTRLPAN);
  if (Sound->StickyFocus) desc.dwFlags |= DSBCAPS_STICKYFOCUS;
  desc.dwBufferBytes = DataSize;
  desc.lpwfxFormat = &Format;
  CheckResult(Sound->DirectSound->CreateSoundBuffer(reinterpret_cast<LPCDSBUFFERDESC>(&desc), &Buffer, nullptr),
              "サウンドバッファの作成に失敗しました");
  // Without a buffer there is nothing to fill.
  if (!Buffer) return;

  void* region1 = nullptr;
  void* region2 = nullptr;
  DWORD length1 = 0, length2 = 0;
  CheckResult(Buffer->Lock(0, DataSize, &region1, &length1, &region2, &length2, 0),
              "LoadWAV中に、サウンドバッファのロックが失敗しました");
  const std::uint8_t silence = Format.wBitsPerSample == 8 ? 0x80 : 0x00;
  ReadRegion(file.get(), region1, length1, silence);
  ReadRegion(file.get(), region2, length2, silence);
  CheckResult(Buffer->Unlock(region1, length1, region2, length2),
              "LoadWAV中に、サウンドバッファのアンロックが失敗しました");
  Buffer->SetFrequency(Format.nSamplesPerSec);
}

TBrinSoundWaveData::TBrinSoundWaveData(TBrinSound* ASound, const std::string& FileName)
    : TBrinSoundGenWave(ASound, FileName, false) {}

TBrinSoundWave3D::TBrinSoundWave3D(TBrinSound* ASound, const std::string& FileName)
    : TBrinSoundGenWave(ASound, FileName, true), Params3D(new TBrinSoundParams3D(nullptr)) {}

TBrinSoundWave3D::~TBrinSoundWave3D() { delete Params3D; }
