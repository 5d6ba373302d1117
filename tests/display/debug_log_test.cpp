// The display component's log file and its halt policy, checked on the
// bytes that reach the file.
#include "display/debug_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/exception.h"

namespace brin {
namespace {

namespace fs = std::filesystem;

class DebugLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("brin_log_") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    DisplayLogChannel().Reset();
    DisplayLogChannel().folder = dir_.string();
  }
  void TearDown() override {
    DisplayLogChannel().Reset();
    fs::remove_all(dir_);
  }
  std::string FileBytes() const {
    std::ifstream in(dir_ / "brin.debug", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool FileExists() const { return fs::exists(dir_ / "brin.debug"); }

  fs::path dir_;
};

TEST_F(DebugLogTest, LinesAreNumberedAndEndWithCrLf) {
  DebugLog("first");
  DebugLog("second");
  EXPECT_EQ(FileBytes(), "debug#00001 ... first\r\ndebug#00002 ... second\r\n");
}

TEST_F(DebugLogTest, FirstLineOfARunEmptiesTheFile) {
  DebugLog("old run");
  DebugLog("old run again");
  DisplayLogChannel().lineCounter = 0;  // a new process starts counting at 0
  DebugLog("new run");
  EXPECT_EQ(FileBytes(), "debug#00001 ... new run\r\n");
}

TEST_F(DebugLogTest, NumbersWidenPastFiveDigits) {
  DisplayLogChannel().lineCounter = 99999;
  DebugLog("x");
  EXPECT_NE(FileBytes().find("debug#100000 ... x\r\n"), std::string::npos);
}

TEST_F(DebugLogTest, JapaneseTextIsWrittenInCodePage932) {
  DebugLog("サーフェスを作れませんでした");
  const std::string bytes = FileBytes();
  // "サ" is 0x83 0x54 in code page 932; the UTF-8 form would start 0xE3.
  const std::string prefix = "debug#00001 ... ";
  ASSERT_GT(bytes.size(), prefix.size() + 2);
  EXPECT_EQ(static_cast<unsigned char>(bytes[prefix.size()]), 0x83);
  EXPECT_EQ(static_cast<unsigned char>(bytes[prefix.size() + 1]), 0x54);
  EXPECT_EQ(bytes.size(), prefix.size() + 14 * 2 + 2);
}

TEST_F(DebugLogTest, CheckResultAppendsTheUnsignedUpperCaseCode) {
  DisplayLogChannel().haltOnError = false;
  EXPECT_EQ(CheckResult(static_cast<HRESULT>(0x887600E1u), "失敗"), static_cast<HRESULT>(0x887600E1u));
  EXPECT_EQ(CheckResult(-1, "neg"), -1);
  EXPECT_EQ(CheckResult(2, "count"), 2);
  const std::string text = FileBytes();
  EXPECT_NE(text.find("(Error Code(887600E1))\r\n"), std::string::npos);
  EXPECT_NE(text.find("debug#00002 ... neg(Error Code(FFFFFFFF))\r\n"), std::string::npos);
  EXPECT_NE(text.find("debug#00003 ... count(Error Code(2))\r\n"), std::string::npos);
}

TEST_F(DebugLogTest, ZeroCodeWritesNothingAndNeverHalts) {
  DisplayLogChannel().detailedLog = true;
  EXPECT_EQ(CheckResult(0, "never"), 0);
  EXPECT_FALSE(FileExists());
  EXPECT_EQ(DisplayLogChannel().lineCounter, 0);
}

TEST_F(DebugLogTest, DetailNeedsBothSwitches) {
  DetailLog("hidden: detail off");
  DisplayLogChannel().detailedLog = true;
  DisplayLogChannel().debugMessage = false;
  DetailLog("hidden: messages off");
  DebugLog("hidden too");
  EXPECT_FALSE(FileExists());
  DisplayLogChannel().debugMessage = true;
  DetailLog("shown");
  EXPECT_EQ(FileBytes(), "debug#00001 ... shown\r\n");
}

TEST_F(DebugLogTest, UnwritableFolderSurfacesAsAnInputOutputError) {
  DisplayLogChannel().folder = (dir_ / "missing" / "deeper").string();
  EXPECT_THROW(DebugLog("x"), platform::EInOutError);
}

using DebugLogDeathTest = DebugLogTest;

TEST_F(DebugLogDeathTest, HaltEndsTheProcessWithStatusOneAfterTheLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        CheckResult(static_cast<HRESULT>(0x80004005u), "halt here");
        DebugLog("must not be written");
        std::exit(3);
      },
      ::testing::ExitedWithCode(1), "^[a-z_]+: halt here\\(Error Code\\(80004005\\)\\)\n$");
  EXPECT_EQ(FileBytes(), "debug#00001 ... halt here(Error Code(80004005))\r\n");
}

TEST_F(DebugLogDeathTest, HaltSaysWhyWithoutMessagesAndWithoutAWritableLog) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  DisplayLogChannel().debugMessage = false;
  EXPECT_EXIT(
      {
        CheckResult(1, "no log line");
        std::exit(3);
      },
      ::testing::ExitedWithCode(1), ": no log line\\(Error Code\\(1\\)\\)\n$");
  EXPECT_FALSE(FileExists());
  DisplayLogChannel().debugMessage = true;
  DisplayLogChannel().folder = (dir_ / "missing").string();
  EXPECT_EXIT(CheckResult(2, "log unwritable"), ::testing::ExitedWithCode(1), ": log unwritable\\(Error Code\\(2\\)\\)\n$");
}

}  // namespace
}  // namespace brin
