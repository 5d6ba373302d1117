// Replays. The games in data/ were played by hand on the real program (keys
// held down under an X server) and recorded by it; between them they cover
// both areas, the spread and the laser, every bomb, games over whose
// results entered the ranking and an Escape in the middle of a game. Each
// must replay to the results it recorded: a change in the game's behaviour
// shows here first. When the game changes on purpose, record new ones
// (zornack leaves them in replays/ beside ranking.txt).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "game/replay.h"
#include "game/replay_recorder.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> CommittedReplays() {
  std::vector<fs::path> paths;
  for (const auto& entry : fs::directory_iterator(ZORNACK_REPLAY_DIR)) {
    if (entry.path().extension() == ".zrp") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}

TReplay Decoded(const std::vector<std::uint8_t>& bytes) {
  TReplay replay;
  std::string reason;
  EXPECT_TRUE(DecodeReplay(bytes, replay, reason, true)) << reason;
  replay.ProgramVersion = kProgramVersion;
  return replay;
}

std::vector<std::uint8_t> Encoded(const TReplay& replay) {
  std::vector<std::uint8_t> bytes;
  EncodeReplay(replay, bytes);
  return bytes;
}

class ReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("zornack_replay_" + std::to_string(static_cast<long>(getpid())));
    fs::remove_all(dir);
    fs::create_directories(dir);
    ASSERT_FALSE(CommittedReplays().empty());
    // The first committed game, as this program would have written it.
    base = Decoded(ReadBytes(CommittedReplays().front()));
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path dir;
  TReplay base;
};

TEST_F(ReplayTest, CommittedGamesReplayToTheirResults) {
  std::set<std::int32_t> areas;
  std::set<std::int32_t> bombs;
  bool rankedGameOver = false;
  bool escaped = false;
  for (const fs::path& path : CommittedReplays()) {
    TReplay replay;
    std::string reason;
    ASSERT_TRUE(LoadReplayFile(path.string(), replay, reason, true)) << path << ": " << reason;
    TReplayResults replayed;
    ASSERT_TRUE(VerifyReplay(replay, replayed, reason)) << path << ": " << reason;
    EXPECT_EQ(replayed, replay.Results) << path;
    areas.insert(replay.Area);
    bombs.insert(replay.BombKind);
    rankedGameOver = rankedGameOver || (replay.End == TReplayEnd::GameOver && replay.Entered != 0);
    escaped = escaped || replay.End == TReplayEnd::Escape;
  }
  EXPECT_EQ(areas.size(), 2u);
  EXPECT_EQ(bombs.size(), 6u);
  EXPECT_TRUE(rankedGameOver);
  EXPECT_TRUE(escaped);
}

// Whatever is wrong with a file, --verify says which file and what, on one
// line, and ends with status 2; results that differ end with status 1.
TEST_F(ReplayTest, DamagedFilesAreRefusedWithTheirReason) {
  const std::vector<std::uint8_t> good = Encoded(base);
  const std::size_t frameCountAt = 59 + base.ProgramVersion.size();
  const auto patch = [&good](std::size_t at, std::uint32_t value) {
    std::vector<std::uint8_t> bytes = good;
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
  };
  const auto flip = [&good](std::size_t at) {
    std::vector<std::uint8_t> bytes = good;
    bytes[at] ^= 0x5A;
    return bytes;
  };
  const auto with = [this](const std::function<void(TReplay&)>& change) {
    TReplay replay = base;
    change(replay);
    return Encoded(replay);
  };
  const auto outOfRange = with([](TReplay& replay) {
    TGame game;
    game.CreateSprites();
    std::string reason;
    ASSERT_TRUE(RestoreGameState(replay.Snapshot, game, reason)) << reason;
    game.RoundNumber = 5000;
    SaveGameState(game, replay.Snapshot);
  });
  struct TCase {
    const char* What;
    std::vector<std::uint8_t> Bytes;
    int Status;
    const char* Reason;
  };
  const TCase cases[] = {
      {"as recorded", good, 0, ""},
      {"other results", with([](TReplay& r) { r.Results.Score += 10; }), 1, ""},
      {"cut in half", {good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2)}, 2, "cut short"},
      {"cut by a byte", {good.begin(), good.end() - 1}, 2, "cut short"},
      {"a byte flipped", flip(frameCountAt + 12), 2, "damaged (checksum mismatch)"},
      {"another format", patch(4, 2), 2, "replay format version 2, this program reads version 1"},
      {"another program", with([](TReplay& r) { r.ProgramVersion = "0.0.1"; }), 2, "recorded by version 0.0.1"},
      {"absurd frames", patch(frameCountAt, 0xFFFFFFFFu), 2, "absurd length: 4294967295 frames"},
      {"absurd snapshot", patch(frameCountAt + 4, 0x7FFFFFFFu), 2, "absurd length: a snapshot"},
      {"frames without pad", patch(frameCountAt, static_cast<std::uint32_t>(base.Pad.size() + 1)), 2,
       "damaged pad record"},
      {"state out of range", outOfRange, 2, "game state out of range"},
      {"not a replay", {'h', 'e', 'l', 'l', 'o'}, 2, "not a replay file"},
  };
  for (const TCase& c : cases) {
    const fs::path path = dir / "game.zrp";
    WriteBytes(path, c.Bytes);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(VerifyReplayCommand(path.string(), "", out, err), c.Status) << c.What;
    std::rewind(err);
    char line[512] = {};
    const bool said = std::fgets(line, sizeof line, err) != nullptr;
    const std::string expected = "zornack: " + path.string() + ": " + c.Reason;
    if (c.Status == 2) {
      EXPECT_EQ(std::string(line).substr(0, expected.size()), expected) << c.What;
      EXPECT_EQ(std::string(line).back(), '\n') << c.What;
      EXPECT_EQ(std::fgetc(err), EOF) << c.What;
    } else {
      EXPECT_FALSE(said) << c.What << ": " << line;
    }
    std::fclose(out);
    std::fclose(err);
  }
}

TEST_F(ReplayTest, TheFolderKeepsTheLastTwentyAndTheRankedOnes) {
  const fs::path folder = dir / "replays";
  std::array<std::int64_t, TGame::kRankingSize> ranking{};
  // Game 3's score is still in its area's score table; game 5's multiplier
  // entered its table but has fallen out of it since.
  ranking[30 * static_cast<std::size_t>(base.Area - 1)] = 5000003;
  TReplayKeeper keeper(folder.string());
  keeper.Scan();
  fs::create_directories(folder);
  WriteBytes(folder / "my-best.zrp", Encoded(base));
  for (int i = 0; i < 30; ++i) {
    TReplay replay = base;
    replay.Date = 1'700'000'000 + 60 * i;
    replay.Entered = i == 3 ? 1 : i == 5 ? 2 : 0;
    replay.EnteredValues = {5000000 + i, 5000000 + i, 0};
    ASSERT_TRUE(keeper.Keep(replay, Encoded(replay), ranking)) << i;
  }
  std::vector<std::string> names = keeper.Names();
  ASSERT_EQ(names.size(), 21u);
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  // Someone else's file stays; no temporary file is left behind.
  std::vector<std::string> expected = names;
  expected.push_back("my-best.zrp");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files, expected);
  // What a new start finds is what was kept, oldest first: game 3, then
  // games 10 to 29.
  TReplayKeeper again(folder.string());
  again.Scan();
  EXPECT_EQ(again.Names(), names);
  TReplay third;
  std::string reason;
  ASSERT_TRUE(LoadReplayFile((folder / names.front()).string(), third, reason)) << reason;
  EXPECT_EQ(third.Date, 1'700'000'000 + 180);

  // A folder that cannot be made: a warning, and nothing is lost.
  TReplayKeeper blocked((dir / "replays" / "my-best.zrp" / "sub").string());
  EXPECT_FALSE(blocked.Keep(base, Encoded(base), ranking));
  EXPECT_TRUE(blocked.Names().empty());
}

}  // namespace
