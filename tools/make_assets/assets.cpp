#include "tools/make_assets/assets.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/make_assets/file_formats.h"
#include "tools/make_assets/palette.h"
#include "tools/make_assets/sheets.h"
#include "tools/make_assets/sounds.h"

namespace assetgen {

std::vector<AssetFile> GenerateAssets() {
  const Palette& palette = SheetPalette();
  std::vector<AssetFile> files;
  files.push_back({"cg1.bmp", EncodeBmp8(MakeSheet1(), palette)});
  files.push_back({"cg2.bmp", EncodeBmp8(MakeSheet2(), palette)});
  files.push_back({"cg3.bmp", EncodeBmp8(MakeSheet3(), palette)});
  files.push_back({"bom02.wav", EncodeWav16Mono(BlockExplosion())});
  files.push_back({"bom03.wav", EncodeWav16Mono(PlayerHit())});
  files.push_back({"bom04.wav", EncodeWav16Mono(FinalExplosion())});
  files.push_back({"click05.wav", EncodeWav16Mono(MenuTick())});
  files.push_back({"click06.wav", EncodeWav16Mono(MenuConfirm())});
  return files;
}

bool WriteFiles(const std::string& folder, const std::vector<AssetFile>& files, std::string& error) {
  for (const AssetFile& file : files) {
    const std::string path = folder.empty() ? file.name : folder + "/" + file.name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
      error = path + ": cannot create: " + std::strerror(errno);
      return false;
    }
    // fwrite may not be handed the null data pointer of an empty file.
    errno = 0;
    const std::size_t written =
        file.bytes.empty() ? 0 : std::fwrite(file.bytes.data(), 1, file.bytes.size(), out);
    const bool flushed = std::fflush(out) == 0;
    const int writeErrno = errno;
    const bool closed = std::fclose(out) == 0;
    if (written != file.bytes.size() || !flushed || !closed) {
      const int cause = writeErrno != 0 ? writeErrno : errno;
      error = path + ": write failed" + (cause != 0 ? std::string(": ") + std::strerror(cause) : std::string());
      return false;
    }
  }
  return true;
}

}  // namespace assetgen
