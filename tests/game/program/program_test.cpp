// The program's command line and the folders it finds its files in.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/program/command_line.h"
#include "game/program/folders.h"

namespace fs = std::filesystem;

namespace {

TEST(CommandLine, OptionsAndMistakes) {
  struct Case {
    std::vector<std::string> args;
    std::string error;  // empty: accepted
    bool help = false, version = false, paths = false, busyWait = false;
    int scale = 0;
    std::string replay = "", trace = "";
    int speed = 1;
    bool verify = false;
  };
  const Case cases[] = {
      {{}, "", false, false, false, false, 0},
      {{"-h"}, "", true, false, false, false, 0},
      {{"--version", "--paths"}, "", false, true, true, false, 0},
      {{"--busy-wait", "--scale", "3"}, "", false, false, false, true, 3},
      {{"--scale=8"}, "", false, false, false, false, 8},
      {{"--scale"}, "--scale needs a number"},
      {{"--scale", "0"}, "--scale takes a whole number from 1 to 8, not \"0\""},
      {{"--scale=2x"}, "--scale takes a whole number from 1 to 8, not \"2x\""},
      {{"--bogus"}, "unknown option --bogus"},
      {{"ranking.txt"}, "unexpected argument \"ranking.txt\""},
      {{"--replay", "a.zrp", "--speed", "4", "--trace=t"}, "", false, false, false, false, 0, "a.zrp", "t", 4},
      {{"--replay=a.zrp", "--verify"}, "", false, false, false, false, 0, "a.zrp", "", 1, true},
      {{"--trace", "t"}, "", false, false, false, false, 0, "", "t"},
      {{"--verify"}, "--verify and --speed need --replay FILE"},
      {{"--replay"}, "--replay needs a file"},
      {{"--replay", "a.zrp", "--speed", "9"}, "--speed takes a whole number from 1 to 8, not \"9\""},
  };
  for (const Case& c : cases) {
    TCommandLine line;
    std::string error;
    const bool ok = ParseCommandLine(c.args, line, error);
    const std::string what = c.args.empty() ? "(none)" : c.args.front();
    EXPECT_EQ(ok, c.error.empty()) << what;
    EXPECT_EQ(error, c.error) << what;
    if (!ok) continue;
    EXPECT_EQ(line.Help, c.help) << what;
    EXPECT_EQ(line.Version, c.version) << what;
    EXPECT_EQ(line.Paths, c.paths) << what;
    EXPECT_EQ(line.BusyWait, c.busyWait) << what;
    EXPECT_EQ(line.Scale, c.scale) << what;
    EXPECT_EQ(line.Replay, c.replay) << what;
    EXPECT_EQ(line.Trace, c.trace) << what;
    EXPECT_EQ(line.Speed, c.speed) << what;
    EXPECT_EQ(line.Verify, c.verify) << what;
  }
}

class Folders : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("zornack_folders_" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "copy");
    std::ofstream(root / "copy" / "cg1.bmp") << "BM";
    fs::create_directories(root / "prefix" / "bin");
  }
  void TearDown() override { fs::remove_all(root); }
  std::string Folder(const fs::path& path) { return path.string() + "/"; }
  fs::path root;
};

TEST_F(Folders, PortableInstalledAndOverridden) {
  const std::string copy = Folder(root / "copy"), bin = Folder(root / "prefix" / "bin");
  const std::string xdg = (root / "xdg").string(), home = (root / "home").string();
  struct Case {
    TFolderEnvironment env;
    std::string data, user;
    bool portable;
  };
  const Case cases[] = {
      // A copied folder with its data, writable: everything stays in it.
      {{copy, "", "", xdg, home}, copy, copy, true},
      {{copy, "", Folder(root / "mine"), xdg, home}, copy, Folder(root / "mine"), true},
      // Installed: the data beside bin/, the user folder by XDG, then by HOME.
      {{bin, "", "", xdg, home}, Folder(root / "prefix" / "share" / "zornack"), xdg + "/zornack/", false},
      {{bin, "", "", "relative/ignored", home}, Folder(root / "prefix" / "share" / "zornack"),
       home + "/.local/share/zornack/", false},
      {{bin, copy, "", "", home}, copy, home + "/.local/share/zornack/", false},
  };
  for (const Case& c : cases) {
    const TGameFolders folders = ResolveFolders(c.env);
    EXPECT_EQ(folders.Data, c.data) << c.env.ProgramFolder;
    EXPECT_EQ(folders.User, c.user) << c.env.ProgramFolder;
    EXPECT_EQ(folders.Portable, c.portable) << c.env.ProgramFolder;
  }
}

TEST_F(Folders, TheUserFolderIsMadeOrItsProblemSaid) {
  std::string problem;
  TGameFolders folders{"", Folder(root / "xdg" / "zornack"), false};
  EXPECT_TRUE(PrepareUserFolder(folders, problem)) << problem;
  EXPECT_TRUE(fs::is_directory(root / "xdg" / "zornack"));
  folders.User = "/proc/zornack-cannot-be-made/";
  EXPECT_FALSE(PrepareUserFolder(folders, problem));
  EXPECT_EQ(problem.rfind("the user folder /proc/zornack-cannot-be-made/ cannot be made (", 0), 0u) << problem;
}

}  // namespace
