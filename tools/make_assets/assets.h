// The asset generator: every file of the game's assets folder, as bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct AssetFile {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// cg1.bmp, cg2.bmp, cg3.bmp, bom02.wav, bom03.wav, bom04.wav, click05.wav,
// click06.wav, in that order. The same bytes on every run.
std::vector<AssetFile> GenerateAssets();

// Picture files for the documentation: a play screen and the title screen
// (640 x 480, 8-bit BMP in the sheets' palette) composed from the sheets'
// cells.
std::vector<AssetFile> GenerateMockups();

// The program's icon at 32, 64, 128 and 256 pixels (zornack-SIZE.png, 8-bit
// PNG in the sheets' palette, corners transparent), drawn from the sheets'
// cells.
std::vector<AssetFile> GenerateIcons();

// Writes FILES into FOLDER (which must exist). On failure returns false and
// says which file and why in ERROR.
bool WriteFiles(const std::string& folder, const std::vector<AssetFile>& files, std::string& error);

}  // namespace assetgen
