// make_assets: writes the game's bitmap sheets and waves into a folder.
//
//   make_assets FOLDER            cg1-3.bmp and the five waves
//   make_assets --mockups FOLDER  screens composed from the sheets (docs)
//   make_assets --icons FOLDER    the program's icon at four sizes (dist/icons)
#include <cstdio>
#include <exception>
#include <string>

#include "tools/make_assets/assets.h"

namespace {

constexpr char kUsage[] =
    "usage: make_assets [--mockups | --icons] FOLDER\n"
    "Writes the game's sheets and waves (or, with --mockups, screens composed from the sheets;\n"
    "with --icons, the program's icon at 32, 64, 128 and 256 pixels) into FOLDER, which must exist.\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "make_assets: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

int Run(int argc, char** argv) {
  std::string kind, folder;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--mockups" || arg == "--icons") {
      if (!kind.empty()) return Usage("one of --mockups and --icons at a time");
      kind = arg;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option " + arg);
    } else if (folder.empty()) {
      folder = arg;
    } else {
      return Usage("one folder at a time: " + arg);
    }
  }
  if (folder.empty()) return Usage("no folder named");
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

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_assets: %s\n", e.what());
    return 1;
  }
}
