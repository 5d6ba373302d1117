// The committed assets are exactly what the generator makes, and the build
// puts them beside the programs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "tests/assets/asset_readers.h"
#include "tools/make_assets/assets.h"

namespace assettest {
namespace {

namespace fs = std::filesystem;

const std::set<std::string> kGameFiles = {"cg1.bmp",   "cg2.bmp",   "cg3.bmp",     "bom02.wav",
                                          "bom03.wav", "bom04.wav", "click05.wav", "click06.wav"};

// Offset of the first differing byte, or -1.
long FirstDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return static_cast<long>(i);
  }
  return a.size() == b.size() ? -1 : static_cast<long>(n);
}

TEST(AssetFiles, RegeneratedAssetsEqualTheCommittedFiles) {
  // This runs in every build configuration, the sanitizer's -O0 build
  // included, so it also proves the bytes do not depend on optimisation.
  const auto files = assetgen::GenerateAssets();
  std::set<std::string> names;
  for (const auto& file : files) {
    names.insert(file.name);
    const auto committed = ReadFileBytes(CommittedPath(file.name));
    ASSERT_FALSE(committed.empty()) << file.name << " is missing from assets/";
    EXPECT_EQ(FirstDifference(file.bytes, committed), -1)
        << file.name << " differs from its generator; run make_assets on assets/ and commit the result";
  }
  EXPECT_EQ(names, kGameFiles);
}

TEST(AssetFiles, RegeneratedIconsEqualTheCommittedOnes) {
  const auto icons = assetgen::GenerateIcons();
  ASSERT_EQ(icons.size(), 4u);
  for (const auto& icon : icons) {
    EXPECT_EQ(FirstDifference(icon.bytes, ReadFileBytes(std::string(BRIN_DIST_DIR) + "/icons/" + icon.name)), -1)
        << icon.name << " differs from its generator; run make_assets --icons on dist/icons and commit the result";
  }
}

TEST(AssetFiles, AssetsFolderHoldsOnlyTheGameFilesAndItsNotes) {
  std::set<std::string> present;
  for (const auto& entry : fs::directory_iterator(BRIN_ASSETS_DIR)) present.insert(entry.path().filename().string());
  std::set<std::string> expected = kGameFiles;
  expected.insert("CMakeLists.txt");
  expected.insert("README.md");
  EXPECT_EQ(present, expected);
}

TEST(AssetFiles, BuildCopiesTheAssetsBesideTheExecutable) {
  const fs::path exeDir = fs::read_symlink("/proc/self/exe").parent_path();
  for (const std::string& name : kGameFiles) {
    const auto copied = ReadFileBytes((exeDir / name).string());
    ASSERT_FALSE(copied.empty()) << name << " was not copied beside " << exeDir;
    EXPECT_EQ(copied, ReadFileBytes(CommittedPath(name))) << name;
  }
}

TEST(AssetFiles, WriteFilesWritesEveryFileAndNamesTheOneThatFails) {
  const fs::path dir = fs::temp_directory_path() / ("assets_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::vector<assetgen::AssetFile> files = {{"a.bin", {1, 2, 3}}, {"b.bin", {}}};
  std::string error;
  ASSERT_TRUE(assetgen::WriteFiles(dir.string(), files, error)) << error;
  EXPECT_EQ(ReadFileBytes((dir / "a.bin").string()), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_TRUE(fs::exists(dir / "b.bin"));
  EXPECT_EQ(fs::file_size(dir / "b.bin"), 0u);

  const std::string missing = (dir / "no-such-folder").string();
  EXPECT_FALSE(assetgen::WriteFiles(missing, files, error));
  EXPECT_NE(error.find(missing + "/a.bin"), std::string::npos) << error;
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace assettest
