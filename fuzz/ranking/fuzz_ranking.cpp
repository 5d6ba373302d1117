// Feeds arbitrary bytes to the game as its ranking file. What DataLoad makes
// of them is checked against a plain reading of the same bytes held whole in
// memory (split at LF, one CR before it dropped, each of the first 60 lines a
// signed 64-bit decimal or its entry's default, each table of ten then best
// first). Then the file is saved: a damaged one must be kept byte for byte
// beside the new one, and the new one must load back whole with the same 60
// values.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "game/game.h"

namespace {

using TTable = std::array<std::int64_t, TGame::kRankingSize>;

struct Harness {
  TGame game;  // the ranking needs no sprite table
  TTable defaults{};
  std::string path;

  Harness() {
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path = std::string(folder) + "/fuzz_ranking_" + std::to_string(getpid()) + ".txt";
    game.RankingFileName = path;
    game.DefaultRanking();
    defaults = game.Ranking;
  }
  ~Harness() { Clear(); }
  void Clear() const {
    for (const char* suffix : {"", ".tmp", ".bad"}) std::remove((path + suffix).c_str());
  }
};

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "ranking invariant broken: %s\n", what);
  std::abort();
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, got);
    std::fclose(f);
  }
  return bytes;
}

// The reference reading. True when the bytes are exactly 60 decimal lines.
bool Reference(std::string_view bytes, const TTable& defaults, TTable& values) {
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    lines.push_back(bytes.substr(0, end));
    bytes = end == std::string_view::npos ? std::string_view{} : bytes.substr(end + 1);
  }
  values = defaults;
  bool whole = lines.size() == values.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    // The reader holds no more than 40 characters of a line, its CR included.
    bool valid = line.size() <= 40;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::int64_t value = 0;
    const auto [stop, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    valid = valid && error == std::errc{} && stop == line.data() + line.size();
    if (valid && i < values.size()) values[i] = value;
    if (!valid) whole = false;
  }
  for (auto table = values.begin(); table != values.end(); table += 10) std::sort(table, table + 10, std::greater<>());
  return whole;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Harness harness;
  TGame& game = harness.game;
  harness.Clear();
  std::FILE* f = std::fopen(harness.path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  TTable expected{};
  const bool whole = Reference(bytes, harness.defaults, expected);
  game.Ranking.fill(-1);
  Check(game.DataLoad() == whole, "DataLoad's answer");
  Check(game.Ranking == expected, "the values read");
  Check(game.RankingDamaged == !whole, "the damage flag");

  Check(game.DataSave(), "DataSave");
  Check(!game.RankingDamaged, "the damage flag after a save");
  const std::string backupPath = harness.path + ".bad";
  if (whole) {
    Check(access(backupPath.c_str(), F_OK) != 0, "no backup of a whole file");
  } else {
    Check(ReadAll(backupPath) == bytes, "the backup of a damaged file");
  }

  game.Ranking.fill(-1);
  Check(game.DataLoad(), "loading what was saved");
  Check(game.Ranking == expected, "the values saved");
  return 0;
}
