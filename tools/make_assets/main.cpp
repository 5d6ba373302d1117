// make_assets: writes the game's bitmap sheets and waves into a folder.
//
//   make_assets FOLDER            cg1-3.bmp and the five waves
//   make_assets --mockups FOLDER  screens composed from the sheets (docs)
//   make_assets --icons FOLDER    the program's icon at four sizes (dist/icons)
#include <cstdio>
#include <string>

#include "tools/make_assets/assets.h"

int main(int argc, char** argv) {
  const std::string kind = argc == 3 ? argv[1] : "";
  if (argc != 2 && kind != "--mockups" && kind != "--icons") {
    std::fprintf(stderr, "usage: make_assets FOLDER\n       make_assets --mockups FOLDER\n       make_assets --icons FOLDER\n");
    return 2;
  }
  const std::string folder = argv[argc - 1];
  const auto files = kind == "--mockups" ? assetgen::GenerateMockups()
                     : kind == "--icons" ? assetgen::GenerateIcons()
                                         : assetgen::GenerateAssets();
  std::string error;
  if (!assetgen::WriteFiles(folder, files, error)) {
    std::fprintf(stderr, "make_assets: %s\n", error.c_str());
    return 1;
  }
  for (const auto& file : files) std::printf("%s/%s (%zu bytes)\n", folder.c_str(), file.name.c_str(), file.bytes.size());
  return 0;
}
