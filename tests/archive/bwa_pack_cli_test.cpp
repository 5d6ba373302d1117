// The bwa_pack command: create, list and extract, exit codes and messages.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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

TEST_F(BwaPackCli, CreatesListsAndExtractsStoredAndCompressedArchives) {
  Write("sub/Sheet.BMP", RandomBytes(3000));
  Write("empty.wav", {});
  for (const bool compress : {false, true}) {
    std::vector<std::string> args = {"create", Path("a.bwa"), Path("sub/Sheet.BMP"), Path("empty.wav")};
    if (compress) args.insert(args.begin() + 2, "--compress");
    ASSERT_EQ(Pack(args).ExitCode, 0);

    const PackRun list = Pack({"list", Path("a.bwa")});
    EXPECT_EQ(list.ExitCode, 0);
    const std::string stored = compress ? std::to_string(fs::file_size(Path("a.bwa")) - 792) : "3000";
    EXPECT_EQ(list.Out, "Sheet.BMP\t792\t" + stored + "\t3000\nempty.wav\t" + std::to_string(792 + std::stoi(stored)) + "\t0\t0\n");

    const PackRun toStdout = Pack({"extract", Path("a.bwa"), "sheet.bmp"});
    EXPECT_EQ(toStdout.ExitCode, 0);
    EXPECT_EQ(toStdout.Out, Slurp("sub/Sheet.BMP"));
    EXPECT_EQ(Pack({"extract", Path("a.bwa"), "EMPTY.WAV", Path("out.wav")}).ExitCode, 0);
    EXPECT_TRUE(fs::exists(Path("out.wav")));
    EXPECT_EQ(fs::file_size(Path("out.wav")), 0u);
  }
}

TEST_F(BwaPackCli, ReportsTheReadersMessagesAndBadCommandLines) {
  Write("x.bin", B("payload"));
  ASSERT_EQ(Pack({"create", Path("a.bwa"), Path("x.bin")}).ExitCode, 0);
  const PackRun missingID = Pack({"extract", Path("a.bwa"), "y.bin"});
  EXPECT_EQ(missingID.ExitCode, 1);
  EXPECT_EQ(missingID.Err, "bwa_pack: アーカイブ内には指定されたID 'y.bin' を持つデータが見つかりません\n");
  const PackRun notArchive = Pack({"list", Path("x.bin")});
  EXPECT_EQ(notArchive.ExitCode, 1);
  EXPECT_EQ(notArchive.Err, "bwa_pack: Brindlewick Archiveの扱えるデータではありません\n");
  EXPECT_EQ(Pack({"extract", Path("none.bwa"), "x"}).Err, "bwa_pack: cannot open file \"" + Path("none.bwa") + "\"\n");

  // A failed create leaves no archive behind.
  const PackRun duplicate = Pack({"create", Path("d.bwa"), Path("x.bin"), Path("x.bin")});
  EXPECT_EQ(duplicate.ExitCode, 1);
  EXPECT_EQ(duplicate.Err, "bwa_pack: duplicate ID 'x.bin'\n");
  EXPECT_EQ(Pack({"create", Path("d.bwa"), Path("x.bin"), Path("sub")}).Err, "bwa_pack: \"" + Path("sub") + "\" is not a file\n");
  EXPECT_FALSE(fs::exists(Path("d.bwa")));

  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"pack"}, {"create", Path("d.bwa")}, {"create", Path("d.bwa"), "--fast", Path("x.bin")}, {"list"}, {"extract", Path("a.bwa")}}) {
    const PackRun run = Pack(args);
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_NE(run.Err.find("usage: bwa_pack create ARCHIVE [--compress] FILE..."), std::string::npos);
  }
}

}  // namespace
}  // namespace archive_test
