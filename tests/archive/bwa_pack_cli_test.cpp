// The bwa_pack command: create, list and extract, exit codes and messages.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gmock/gmock.h>

#include "archive_test_util.h"

namespace archive_test {
namespace {

namespace fs = std::filesystem;

struct PackRun {
  int ExitCode;
  std::string Out;
  std::string Err;
};

class BwaPackCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("bwa_pack_cli_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "sub");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  void Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  std::string Slurp(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Runs bwa_pack with ARGS (each quoted), capturing both outputs.
  PackRun Pack(const std::vector<std::string>& args) const {
    std::string command = "'" BWA_PACK_PATH "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " >'" + Path("stdout") + "' 2>'" + Path("stderr") + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp("stdout"), Slurp("stderr")};
  }

  fs::path dir_;
};

// Each run in order: its command line, exit code, standard output and
// standard error.
struct CliRun {
  std::vector<std::string> Args;
  int ExitCode;
  ::testing::Matcher<const std::string&> Out;
  ::testing::Matcher<const std::string&> Err;
};

TEST_F(BwaPackCli, CreatesListsAndExtractsAndSaysWhatFailed) {
  using ::testing::HasSubstr;
  using ::testing::StartsWith;
  const Bytes sheet = RandomBytes(3000);
  Write("sub/Sheet.BMP", sheet);
  Write("empty.wav", {});
  Write("zeros.bin", Bytes(5000, 0));
  Write("x.bin", B("payload"));
  // The second item's data runs 50 bytes past the end of the file.
  Bytes cut = MakeArchive(0, {{"a.bin", RandomBytes(10)}, {"b.bin", RandomBytes(100)}});
  cut.resize(cut.size() - 50);
  Write("cut.bwa", cut);
  const std::string text(sheet.begin(), sheet.end());
  const std::string usage = "usage: bwa_pack create ARCHIVE [--compress] FILE...";
  const std::string a = Path("a.bwa"), c = Path("c.bwa"), r = Path("r.bwa"), d = Path("d.bwa"), x = Path("x.bin");

  const CliRun runs[] = {
      {{"create", a, Path("sub/Sheet.BMP"), Path("empty.wav")}, 0, "", ""},
      {{"list", a}, 0, "Sheet.BMP\t792\t3000\t3000\nempty.wav\t3792\t0\t0\n", ""},
      // Compressed, but the random item as it is in one block of 7 more bytes.
      {{"create", "--compress", c, Path("sub/Sheet.BMP"), Path("zeros.bin")}, 0, "", ""},
      {{"list", c}, 0, StartsWith("Sheet.BMP\t792\t3007\t3000\nzeros.bin\t3799\t"), ""},
      // Nothing gains: the archive is not compressed at all.
      {{"create", r, "--compress", Path("sub/Sheet.BMP")}, 0, "", ""},
      {{"list", r}, 0, "Sheet.BMP\t524\t3000\t3000\n", ""},
      {{"extract", a, "sheet.bmp", "-"}, 0, text, ""},
      {{"extract", c, "SHEET.BMP"}, 0, text, ""},
      {{"extract", c, "zeros.bin", Path("zeros.out")}, 0, "", ""},
      {{"extract", a, "EMPTY.WAV", Path("empty.out")}, 0, "", ""},

      {{"list", Path("cut.bwa")}, 1, "",
       "bwa_pack: the archive \"" + Path("cut.bwa") + "\" is damaged: the data of 'b.bin' (offset 802, 100 bytes) is not all in the file (852 bytes)\n"},
      {{"extract", a, "y.bin"}, 1, "",
       "bwa_pack: cannot extract 'y.bin' from \"" + a + "\": アーカイブ内には指定されたID 'y.bin' を持つデータが見つかりません\n"},
      {{"list", x}, 1, "", "bwa_pack: cannot read the archive \"" + x + "\": Brindlewick Archiveの扱えるデータではありません\n"},
      {{"extract", Path("none.bwa"), "x"}, 1, "", "bwa_pack: cannot open file \"" + Path("none.bwa") + "\"\n"},
      {{"create", d, x, x}, 1, "", "bwa_pack: duplicate ID 'x.bin'\n"},
      {{"create", d, x, Path("sub")}, 1, "", "bwa_pack: \"" + Path("sub") + "\" is not a file\n"},
      {{"create", d, Path("none.bin")}, 1, "", "bwa_pack: cannot open \"" + Path("none.bin") + "\": No such file or directory\n"},
      {{"create", Path("missing/d.bwa"), x}, 1, "", "bwa_pack: cannot create \"" + Path("missing/d.bwa") + "\": No such file or directory\n"},
      {{"extract", a, "sheet.bmp", Path("sub")}, 1, "", "bwa_pack: cannot replace \"" + Path("sub") + "\": Is a directory\n"},

      {{"--help"}, 0, StartsWith(usage), ""},
      {{"list", a, "-h"}, 0, StartsWith(usage), ""},
      {{}, 2, "", HasSubstr(usage)},
      {{"pack"}, 2, "", HasSubstr(usage)},
      {{"create", d}, 2, "", HasSubstr(usage)},
      {{"create", d, "--fast", x}, 2, "", HasSubstr(usage)},
      {{"list"}, 2, "", HasSubstr(usage)},
      {{"list", a, a}, 2, "", HasSubstr(usage)},
      {{"list", "--all", a}, 2, "", HasSubstr(usage)},
      {{"extract", a}, 2, "", HasSubstr(usage)},
      {{"extract", a, "x.bin", "-", "more"}, 2, "", HasSubstr(usage)},
      {{"extract", a, "x.bin", "-v"}, 2, "", HasSubstr(usage)},
  };
  for (const CliRun& run : runs) {
    const PackRun got = Pack(run.Args);
    SCOPED_TRACE(::testing::PrintToString(run.Args));
    EXPECT_EQ(got.ExitCode, run.ExitCode);
    EXPECT_THAT(got.Out, run.Out);
    EXPECT_THAT(got.Err, run.Err);
  }
  EXPECT_EQ(Slurp("zeros.out"), std::string(5000, '\0'));
  EXPECT_TRUE(fs::exists(Path("empty.out")));
  EXPECT_EQ(fs::file_size(Path("empty.out")), 0u);
  // Failures leave nothing behind: no archive, no temporary file.
  EXPECT_FALSE(fs::exists(d));
  for (const auto& entry : fs::recursive_directory_iterator(dir_)) EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

}  // namespace
}  // namespace archive_test
