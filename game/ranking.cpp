// The ranking: six top-ten tables in memory (Ranking), and on disk the text
// file RankingFileName, one signed decimal per line ended by CR LF, in
// entry-index order, exactly 60 lines.
//
// The file is the player's record of their best games, so it is handled with
// care. A damaged file never stops the game: every line that reads as a
// number is kept and the defaults fill the rest. Whatever the file held, each
// table is then put best first, as the game keeps it, so that the ranking
// screen and InsertRanking always see ordered tables. A damaged file is never
// replaced before a copy of it is kept beside it (".bad"), so whatever it
// held can still be looked at. A save goes through
// platform::ReplaceFileAtomically, so a failed or interrupted save, even a
// power cut, leaves the old file as it was.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "game/game.h"
#include "platform/exception.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kTableSize = 10;
constexpr std::size_t kModeCount = 3;
// Rank k of a fresh table holds base * (10 - k): 1000000 .. 100000 points,
// 10000 .. 1000 for the best multiplier, 100 .. 10 hits.
constexpr std::int64_t kDefaultBase[kModeCount] = {100000, 1000, 10};

// Longer lines are not numbers we could have written ("-9223372036854775808"
// is 20 characters); they are refused without being held.
constexpr std::size_t kMaxLineLength = 40;
// Backup names tried before a save over a damaged file gives up:
// ".bad", ".bad2" .. ".bad9". An older backup is never overwritten.
constexpr int kBackupNames = 9;

std::int64_t DefaultEntry(std::size_t i) {
  return kDefaultBase[(i / kTableSize) % kModeCount] * static_cast<std::int64_t>(kTableSize - i % kTableSize);
}

// Anything at all under that name, a directory or a dangling link included.
// When the answer cannot be had the name counts as taken: the cautious guess
// for code that is about to replace it.
bool PathTaken(const std::string& path) {
  std::error_code ec;
  return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

// Removes a leftover file of ours; never a directory someone put there.
void RemoveLeftover(const std::string& path) {
  std::error_code ec;
  const fs::file_type type = fs::symlink_status(path, ec).type();
  if (type == fs::file_type::regular || type == fs::file_type::symlink) fs::remove(path, ec);
}

bool ParseEntry(const char* text, std::size_t length, std::int64_t& value) {
  const char* end = text + length;
  const auto [stop, error] = std::from_chars(text, end, value);
  return error == std::errc{} && stop == end;
}

// Reads the lines of FILE into VALUES, one chunk at a time, holding no more
// than one line. A line ends at LF, with one CR before it dropped; a last
// line without its end counts. True when the file held exactly the 60
// decimal lines and nothing else; entries of missing or bad lines are left
// as they were.
bool ReadEntries(std::FILE* file, std::array<std::int64_t, TGame::kRankingSize>& values) {
  char chunk[4096];
  char line[kMaxLineLength];
  std::size_t length = 0;
  bool overlong = false;
  std::size_t index = 0;
  bool whole = true;
  auto endLine = [&] {
    if (!overlong && length > 0 && line[length - 1] == '\r') --length;
    std::int64_t value = 0;
    if (index < values.size() && !overlong && ParseEntry(line, length, value)) {
      values[index] = value;
    } else {
      whole = false;
    }
    ++index;
    length = 0;
    overlong = false;
  };
  std::size_t got = 0;
  // Past the 60th line nothing more can be learned: the file is already
  // known not to be whole.
  while (index <= values.size() && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    for (std::size_t k = 0; k < got; ++k) {
      const char c = chunk[k];
      if (c == '\n') {
        endLine();
      } else if (length < kMaxLineLength) {
        line[length++] = c;
      } else {
        overlong = true;
      }
    }
  }
  if (std::ferror(file)) whole = false;
  if (length > 0 || overlong) endLine();
  return whole && index == values.size();
}

// The file's text for VALUES: each value in decimal, ended by CR LF.
std::string FileText(const std::array<std::int64_t, TGame::kRankingSize>& values) {
  std::string text;
  for (const std::int64_t value : values) {
    char number[24];
    text.append(number, std::to_chars(number, number + sizeof number, value).ptr);
    text += "\r\n";
  }
  return text;
}

// Puts each table best first. Equal values keep their order, as
// InsertRanking places a new value below an equal one.
void OrderTables(std::array<std::int64_t, TGame::kRankingSize>& values) {
  for (std::size_t base = 0; base < values.size(); base += kTableSize) {
    const auto first = values.begin() + static_cast<std::ptrdiff_t>(base);
    std::stable_sort(first, first + kTableSize, std::greater<>());
  }
}

// Keeps what is under PATH under the first free backup name. A hard link
// costs nothing and keeps the bytes exactly, even of a file we could not
// read; a copy is the fallback where links are refused. True when there is
// nothing to keep or the backup was made.
bool KeepDamagedFile(const std::string& path) {
  if (!PathTaken(path)) return true;
  for (int n = 1; n <= kBackupNames; ++n) {
    std::string backup = path + ".bad";
    if (n > 1) backup += static_cast<char>('0' + n);
    if (PathTaken(backup)) continue;
    std::error_code ec;
    fs::create_hard_link(path, backup, ec);
    if (!ec) return true;
    if (fs::copy_file(path, backup, fs::copy_options::none, ec) && !ec) return true;
    RemoveLeftover(backup);
    return false;
  }
  return false;
}

}  // namespace

void TGame::DefaultRanking() {
  for (std::size_t i = 0; i < Ranking.size(); ++i) Ranking[i] = DefaultEntry(i);
}

bool TGame::DataLoad() {
  DefaultRanking();
  std::FILE* file = std::fopen(RankingFileName.c_str(), "rb");
  if (!file) {
    // Missing: nothing to keep. There but unreadable: it must not be
    // replaced without a copy.
    RankingDamaged = PathTaken(RankingFileName);
    return false;
  }
  const bool whole = ReadEntries(file, Ranking);
  std::fclose(file);
  OrderTables(Ranking);
  RankingDamaged = !whole;
  return whole;
}

bool TGame::DataSave() {
  if (RankingDamaged) {
    if (!KeepDamagedFile(RankingFileName)) return false;
    // Kept once; what lies under the name from now on is ours.
    RankingDamaged = false;
  }
  const std::string text = FileText(Ranking);
  try {
    platform::ReplaceFileAtomically(RankingFileName, text.data(), text.size());
  } catch (const platform::EInOutError&) {
    return false;
  }
  return true;
}

void TGame::PrepareRanking() {
  if (!PathTaken(RankingFileName)) {
    DefaultRanking();
    // A failed first save is no reason to stop: the defaults are in memory
    // and the load below finds no file and keeps them.
    DataSave();
  }
  DataLoad();
}

void TGame::InsertRanking(std::int32_t mode, std::int64_t value) {
  // Only the six tables exist; anything else would write past them.
  if (mode < 0 || mode >= static_cast<std::int32_t>(kModeCount) || Area < 1 || Area > 2) return;
  const auto base = static_cast<std::size_t>(10 * mode + 30 * (Area - 1));
  for (std::size_t n = 0; n < kTableSize; ++n) {
    if (value > Ranking[base + n]) {
      for (std::size_t k = base + kTableSize - 1; k > base + n; --k) Ranking[k] = Ranking[k - 1];
      Ranking[base + n] = value;
      RankingChanged = true;
      return;
    }
  }
}
