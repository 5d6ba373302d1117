// The ranking tables and their file. Every test runs in a fresh folder of its
// own, as the game opens the file by bare name.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/faults.h"
#include "tests/game/support/game_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// The file start-up writes, spelled out: per area 1000000 .. 100000,
// 10000 .. 1000, 100 .. 10.
std::string DefaultFile() {
  std::string text;
  for (int area = 0; area < 2; ++area) {
    for (long long base : {100000LL, 1000LL, 10LL}) {
      for (int k = 0; k < 10; ++k) text += std::to_string(base * (10 - k)) + "\r\n";
    }
  }
  return text;
}

// 60 lines: line i holds 100 - i * 7 (each table in the game's order),
// ended by LINEEND.
std::int64_t Numbered(std::size_t i) { return 100 - static_cast<std::int64_t>(i) * 7; }
std::string NumberedFile(const char* lineEnd) {
  std::string text;
  for (std::size_t i = 0; i < 60; ++i) text += std::to_string(Numbered(i)) + lineEnd;
  return text;
}

class RankingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "game_core_ranking_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    fs::current_path(folder);
  }
  void TearDown() override {
    fs::current_path(previous);
    fs::remove_all(folder);
  }

  void ExpectDefaultsFrom(std::size_t first) {
    TGame fresh;
    fresh.DefaultRanking();
    for (std::size_t i = first; i < 60; ++i) EXPECT_EQ(game->Ranking[i], fresh.Ranking[i]) << "entry " << i;
  }

  fs::path previous;
  fs::path folder;
  game_test::TScriptedPad pad;
  std::unique_ptr<TGame> game = game_test::MakeGame(pad);
};

TEST_F(RankingTest, StartUpWithoutFileWritesTheDefaultsByteForByte) {
  game->PrepareRanking();
  EXPECT_EQ(ReadBytes("ranking.txt"), DefaultFile());
  EXPECT_EQ(game->Ranking[0], 1000000);
  EXPECT_EQ(game->Ranking[9], 100000);
  EXPECT_EQ(game->Ranking[10], 10000);
  EXPECT_EQ(game->Ranking[29], 10);
  EXPECT_EQ(game->Ranking[30], 1000000);
  EXPECT_FALSE(game->RankingDamaged);
  EXPECT_FALSE(fs::exists("ranking.txt.tmp"));
  EXPECT_FALSE(fs::exists("ranking.txt.bad"));
}

TEST_F(RankingTest, StartUpReadsAnExistingFileWithoutRewritingIt) {
  WriteBytes("ranking.txt", NumberedFile("\n"));
  game->PrepareRanking();
  EXPECT_EQ(game->Ranking[0], Numbered(0));
  EXPECT_EQ(game->Ranking[59], Numbered(59));
  EXPECT_EQ(ReadBytes("ranking.txt"), NumberedFile("\n"));
  EXPECT_FALSE(game->RankingDamaged);
}

TEST_F(RankingTest, SaveAndLoadKeepEverySigned64BitValue) {
  game->DefaultRanking();
  game->Ranking[0] = INT64_MAX;
  game->Ranking[8] = 0;
  game->Ranking[9] = INT64_MIN;
  game->Ranking[59] = -42;
  ASSERT_TRUE(game->DataSave());
  std::string expected = DefaultFile();
  expected.replace(0, std::string("1000000").size(), "9223372036854775807");
  const std::string ninth = "200000\r\n100000\r\n";
  expected.replace(expected.find(ninth), ninth.size(), "0\r\n-9223372036854775808\r\n");
  expected.replace(expected.size() - 4, 4, "-42\r\n");
  EXPECT_EQ(ReadBytes("ranking.txt"), expected);

  TGame other;
  EXPECT_TRUE(other.DataLoad());
  EXPECT_EQ(other.Ranking, game->Ranking);
}

TEST_F(RankingTest, LineFeedsAloneAndAMissingLastLineEndAreAccepted) {
  std::string text = NumberedFile("\n");
  text.pop_back();
  WriteBytes("ranking.txt", text);
  EXPECT_TRUE(game->DataLoad());
  EXPECT_EQ(game->Ranking[59], Numbered(59));
  EXPECT_FALSE(game->RankingDamaged);
}

TEST_F(RankingTest, DamagedLinesGetDefaultsAndTheRestIsKept) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t badLine;  // 60: none of the 60 is bad, the file is wrong elsewhere
  };
  // Each kept line is one below its default, so kept values and defaults
  // stay in the game's order line by line.
  TGame fresh;
  fresh.DefaultRanking();
  auto kept = [&](std::size_t i) { return fresh.Ranking[i] - 1; };
  auto withLine = [&](std::size_t at, const std::string& line) {
    std::string text;
    for (std::size_t i = 0; i < 60; ++i) text += (i == at ? line : std::to_string(kept(i))) + "\r\n";
    return text;
  };
  const Case cases[] = {
      {"letters", withLine(5, "12x"), 5},
      {"empty line", withLine(0, ""), 0},
      {"plus sign", withLine(7, "+5"), 7},
      {"leading blank", withLine(8, " 5"), 8},
      {"above 64 bits", withLine(9, "9223372036854775808"), 9},
      {"below 64 bits", withLine(10, "-9223372036854775809"), 10},
      {"overlong", withLine(11, std::string(100, '1')), 11},
      {"stray carriage return", withLine(12, "1\r2"), 12},
      {"line after the sixtieth", withLine(60, "") + "5\r\n", 60},
      {"blank line after the sixtieth", withLine(60, "") + "\r\n", 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes("ranking.txt", c.bytes);
    game->Ranking.fill(7);
    EXPECT_FALSE(game->DataLoad());
    EXPECT_TRUE(game->RankingDamaged);
    for (std::size_t i = 0; i < 60; ++i) {
      EXPECT_EQ(game->Ranking[i], i == c.badLine ? fresh.Ranking[i] : kept(i)) << "entry " << i;
    }
  }
}

TEST_F(RankingTest, ShortEmptyAndUnreadableFilesFallBackToDefaults) {
  std::string shortFile;
  for (int i = 0; i < 10; ++i) shortFile += "5\r\n";
  WriteBytes("ranking.txt", shortFile);
  EXPECT_FALSE(game->DataLoad());
  EXPECT_EQ(game->Ranking[9], 5);
  ExpectDefaultsFrom(10);
  EXPECT_TRUE(game->RankingDamaged);

  WriteBytes("ranking.txt", "");
  game->Ranking.fill(7);
  EXPECT_FALSE(game->DataLoad());
  ExpectDefaultsFrom(0);
  EXPECT_TRUE(game->RankingDamaged);

  fs::remove("ranking.txt");
  fs::create_directory("ranking.txt");
  game->Ranking.fill(7);
  EXPECT_FALSE(game->DataLoad());
  ExpectDefaultsFrom(0);
  EXPECT_TRUE(game->RankingDamaged);

  // Missing: nothing to keep, so not damaged.
  game->RankingFileName = "absent.txt";
  EXPECT_FALSE(game->DataLoad());
  EXPECT_FALSE(game->RankingDamaged);
}

TEST_F(RankingTest, SaveOverADamagedFileKeepsItOnceFirst) {
  const std::string damaged = "123\r\nnonsense\r\n";
  WriteBytes("ranking.txt", damaged);
  game->PrepareRanking();
  EXPECT_EQ(game->Ranking[9], 123);  // below the defaults of the bad lines
  EXPECT_EQ(ReadBytes("ranking.txt"), damaged);  // start-up leaves it alone

  ASSERT_TRUE(game->DataSave());
  EXPECT_EQ(ReadBytes("ranking.txt.bad"), damaged);
  EXPECT_TRUE(game->DataLoad());
  EXPECT_EQ(game->Ranking[9], 123);

  game->Ranking[0] = 999;
  ASSERT_TRUE(game->DataSave());
  EXPECT_EQ(ReadBytes("ranking.txt.bad"), damaged);
  EXPECT_FALSE(fs::exists("ranking.txt.bad2"));

  // A second damaged file goes beside the first backup, not over it.
  WriteBytes("ranking.txt", "x");
  game->DataLoad();
  ASSERT_TRUE(game->DataSave());
  EXPECT_EQ(ReadBytes("ranking.txt.bad"), damaged);
  EXPECT_EQ(ReadBytes("ranking.txt.bad2"), "x");
  EXPECT_EQ(ReadBytes("ranking.txt"), DefaultFile());
}

TEST_F(RankingTest, FailedSaveReturnsFalseAndLeavesTheOldFile) {
  game->PrepareRanking();
  game->Ranking[0] = 5000000;

  // The new file cannot be made to last, or cannot take the name.
  for (const char* call : {"fsync", "rename"}) {
    platform::InjectFault(call, E_FAIL);
    EXPECT_FALSE(game->DataSave()) << call;
    EXPECT_EQ(ReadBytes("ranking.txt"), DefaultFile()) << call;
    EXPECT_FALSE(fs::exists("ranking.txt.tmp")) << call;
  }

  // The new file cannot be written.
  fs::create_directories("ranking.txt.tmp/inside");
  EXPECT_FALSE(game->DataSave());
  EXPECT_EQ(ReadBytes("ranking.txt"), DefaultFile());
  EXPECT_TRUE(fs::is_directory("ranking.txt.tmp/inside"));
  fs::remove_all("ranking.txt.tmp");

  // It cannot replace what is under the name.
  fs::remove("ranking.txt");
  fs::create_directories("ranking.txt/inside");
  EXPECT_FALSE(game->DataSave());
  EXPECT_TRUE(fs::is_directory("ranking.txt/inside"));
  EXPECT_FALSE(fs::exists("ranking.txt.tmp"));

  // Damaged and impossible to keep: nothing is replaced.
  game->DataLoad();
  ASSERT_TRUE(game->RankingDamaged);
  EXPECT_FALSE(game->DataSave());
  EXPECT_TRUE(fs::is_directory("ranking.txt/inside"));
  EXPECT_FALSE(fs::exists("ranking.txt.bad"));

  // A file that cannot be created at start-up: the game goes on with the defaults.
  game->RankingFileName = "missing/ranking.txt";
  game->Ranking.fill(7);
  game->PrepareRanking();
  ExpectDefaultsFrom(0);
}

TEST_F(RankingTest, LeftoversOfAnInterruptedSaveAreReplacedNotFollowed) {
  WriteBytes("ranking.txt.tmp", "half a fi");
  game->DefaultRanking();
  ASSERT_TRUE(game->DataSave());
  EXPECT_EQ(ReadBytes("ranking.txt"), DefaultFile());
  EXPECT_FALSE(fs::exists("ranking.txt.tmp"));

  // A link planted under the temporary name must not redirect the write.
  WriteBytes("elsewhere", "keep me");
  fs::create_symlink("elsewhere", "ranking.txt.tmp");
  game->Ranking[0] = 1;
  ASSERT_TRUE(game->DataSave());
  EXPECT_EQ(ReadBytes("elsewhere"), "keep me");
  EXPECT_EQ(ReadBytes("ranking.txt").substr(0, 3), "1\r\n");
}

TEST_F(RankingTest, InsertRankingKeepsEachTableInOrder) {
  game->DefaultRanking();
  game->InsertRanking(0, 500000);  // equal to rank 5: placed below it
  const std::int64_t normal[10] = {1000000, 900000, 800000, 700000, 600000, 500000, 500000, 400000, 300000, 200000};
  for (std::size_t k = 0; k < 10; ++k) EXPECT_EQ(game->Ranking[k], normal[k]) << "rank " << k;

  game->InsertRanking(0, 50);  // below the tenth entry
  EXPECT_EQ(game->Ranking[9], 200000);
  game->InsertRanking(2, 50);
  const std::int64_t combo[10] = {100, 90, 80, 70, 60, 50, 50, 40, 30, 20};
  for (std::size_t k = 0; k < 10; ++k) EXPECT_EQ(game->Ranking[20 + k], combo[k]) << "rank " << k;
  game->InsertRanking(1, 20000);
  EXPECT_EQ(game->Ranking[10], 20000);
  EXPECT_EQ(game->Ranking[19], 2000);

  // The second area's tables only.
  const auto firstArea = game->Ranking;
  game->Area = 2;
  game->InsertRanking(0, 2000000);
  game->InsertRanking(2, -5);  // widened with its sign: below every entry
  for (std::size_t i = 0; i < 30; ++i) EXPECT_EQ(game->Ranking[i], firstArea[i]);
  EXPECT_EQ(game->Ranking[30], 2000000);
  EXPECT_EQ(game->Ranking[39], 200000);
  EXPECT_EQ(game->Ranking[59], 10);

  // No seventh table to write into.
  const auto before = game->Ranking;
  game->InsertRanking(3, INT64_MAX);
  game->InsertRanking(-1, INT64_MAX);
  game->Area = 3;
  game->InsertRanking(0, INT64_MAX);
  EXPECT_EQ(game->Ranking, before);
}

// Whatever the file held, each table is loaded best first, as the game keeps
// it: valid values and the defaults of bad lines together.
TEST_F(RankingTest, LoadedTablesAreInTheGamesOrder) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::size_t, std::string>> lines;  // lines of the default file replaced
    std::size_t table;
    std::array<std::int64_t, 10> expected;
  };
  const Case cases[] = {
      {"garbage around a valid low value",
       {{0, "?"}, {1, "?"}, {2, "?"}, {3, "-5"}, {4, "?"}, {5, "?"}, {6, "?"}, {7, "?"}, {8, "?"}, {9, "?"}},
       0,
       {1000000, 900000, 800000, 600000, 500000, 400000, 300000, 200000, 100000, -5}},
      {"a valid best value last", {{18, "x"}, {19, "50000"}}, 1, {50000, 10000, 9000, 8000, 7000, 6000, 5000, 4000, 3000, 2000}},
      {"a whole table in ascending order",
       {{50, "1"}, {51, "2"}, {52, "3"}, {53, "4"}, {54, "5"}, {55, "6"}, {56, "7"}, {57, "8"}, {58, "9"}, {59, "10"}},
       5,
       {10, 9, 8, 7, 6, 5, 4, 3, 2, 1}},
      {"the extremes",
       {{30, "-9223372036854775808"}, {39, "9223372036854775807"}},
       3,
       {INT64_MAX, 900000, 800000, 700000, 600000, 500000, 400000, 300000, 200000, INT64_MIN}},
  };
  TGame fresh;
  fresh.DefaultRanking();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < 60; ++i) lines.push_back(std::to_string(fresh.Ranking[i]));
    for (const auto& [at, line] : c.lines) lines[at] = line;
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    WriteBytes("ranking.txt", text);
    game->DataLoad();
    for (std::size_t i = 0; i < 60; ++i) {
      const bool inTable = i / 10 == c.table;
      EXPECT_EQ(game->Ranking[i], inTable ? c.expected[i % 10] : fresh.Ranking[i]) << "entry " << i;
    }
  }
}

}  // namespace
