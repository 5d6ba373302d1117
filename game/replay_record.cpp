// The recorder and the replays folder. Files are written with plain system
// calls into fixed buffers: a game's end, which runs inside a frame,
// allocates nothing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/replay_recorder.h"

namespace {

// Reserved for an hour of play at 50 frames a second.
constexpr std::size_t kReservedFrames = 50 * 60 * 60;
constexpr std::size_t kReservedKeys = 64;
constexpr std::size_t kIndexCapacity = 256;
constexpr const char* kExtension = ".zrp";

// NAME is ours: "YYYYMMDD-HHMMSS-areaA-SCORE.zrp", perhaps with "-N" before
// the extension.
bool OurName(std::string_view name) {
  const auto digits = [&name](std::size_t count) {
    std::size_t n = 0;
    while (n < name.size() && name[n] >= '0' && name[n] <= '9') ++n;
    if (n == 0 || (count != 0 && n != count)) return false;
    name.remove_prefix(n);
    return true;
  };
  const auto literal = [&name](std::string_view text) {
    if (!name.starts_with(text)) return false;
    name.remove_prefix(text.size());
    return true;
  };
  if (!digits(8) || !literal("-") || !digits(6) || !literal("-area") || !(literal("1") || literal("2")) ||
      !literal("-") || !digits(0)) {
    return false;
  }
  if (literal("-") && !digits(0)) return false;
  return name == kExtension;
}

// FOLDER/NAME into OUT; false when it does not fit.
bool JoinPath(char (&out)[PATH_MAX], const std::string& folder, const char* name) {
  const int n = std::snprintf(out, sizeof out, "%s/%s", folder.c_str(), name);
  return n > 0 && static_cast<std::size_t>(n) < sizeof out;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

// Renames FROM to TO unless TO exists. False with errno EEXIST when it does.
bool RenameNoReplace(const char* from, const char* to) {
  if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the flag: look first.
  struct stat info;
  if (::lstat(to, &info) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from, to) == 0;
}

bool InRanking(std::int32_t area, std::uint8_t entered, const std::array<std::int64_t, 3>& values,
               const std::array<std::int64_t, TGame::kRankingSize>& ranking) {
  for (std::size_t mode = 0; mode < 3; ++mode) {
    if ((entered >> mode & 1) == 0) continue;
    const auto first = ranking.begin() + 30 * (area - 1) + 10 * static_cast<std::ptrdiff_t>(mode);
    if (std::find(first, first + 10, values[mode]) != first + 10) return true;
  }
  return false;
}

}  // namespace

// --- the folder --------------------------------------------------------------------------

TReplayKeeper::TReplayKeeper(std::string folder) : folder_(std::move(folder)) {
  entries_.reserve(kIndexCapacity);
  // Local time for the names: the zone is read now, not inside a frame.
  tzset();
}

void TReplayKeeper::Scan() {
  entries_.clear();
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!OurName(name) || name.size() >= sizeof(TEntry::Name)) continue;
    std::ifstream file(it->path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    TReplay replay;
    std::string reason;
    // Replays of other versions are kept and pruned alike; damaged ones are
    // left alone.
    if (DecodeReplay(bytes, replay, reason, true)) Add(name.c_str(), replay);
  }
  std::sort(entries_.begin(), entries_.end(), [](const TEntry& a, const TEntry& b) {
    return a.Date != b.Date ? a.Date < b.Date : std::strcmp(a.Name, b.Name) < 0;
  });
}

void TReplayKeeper::Add(const char* name, const TReplay& replay) {
  TEntry entry{};
  std::snprintf(entry.Name, sizeof entry.Name, "%s", name);
  entry.Date = replay.Date;
  entry.Area = replay.Area;
  entry.Entered = replay.Entered;
  entry.Values = replay.EnteredValues;
  entries_.push_back(entry);
}

bool TReplayKeeper::Warn(const char* problem) {
  std::error_code ec;
  const std::string line =
      "the replay could not be saved in " + std::filesystem::absolute(folder_, ec).string() + " (" + problem + ")";
  if (OnWarning) {
    OnWarning(line);
  } else {
    std::fprintf(stderr, "zornack: warning: %s\n", line.c_str());
  }
  return false;
}

bool TReplayKeeper::Keep(const TReplay& replay, std::span<const std::uint8_t> bytes,
                         const std::array<std::int64_t, TGame::kRankingSize>& ranking) {
  if (::mkdir(folder_.c_str(), 0755) != 0 && errno != EEXIST) return Warn(std::strerror(errno));

  const std::time_t date = static_cast<std::time_t>(replay.Date);
  std::tm local{};
  if (!localtime_r(&date, &local)) return Warn("no date");
  char base[128];
  std::snprintf(base, sizeof base, "%04d%02d%02d-%02d%02d%02d-area%" PRId32 "-%" PRId64, local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, replay.Area,
                replay.Results.Score < 0 ? 0 : replay.Results.Score);

  char name[160];
  char temporary[PATH_MAX];
  char path[PATH_MAX];
  std::snprintf(name, sizeof name, ".%s.tmp", base);
  if (!JoinPath(temporary, folder_, name)) return Warn("the folder's name is too long");
  ::unlink(temporary);
  const int fd = ::open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return Warn(std::strerror(errno));
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const int writeError = errno;
  if (::close(fd) != 0 || !written) {
    ::unlink(temporary);
    return Warn(std::strerror(written ? errno : writeError));
  }
  // Two games can end in one second with one score: the later one gets a
  // number.
  for (int n = 1; n < 100; ++n) {
    if (n == 1) {
      std::snprintf(name, sizeof name, "%s%s", base, kExtension);
    } else {
      std::snprintf(name, sizeof name, "%s-%d%s", base, n, kExtension);
    }
    if (!JoinPath(path, folder_, name)) break;
    if (RenameNoReplace(temporary, path)) {
      Add(name, replay);
      Prune(ranking);
      return true;
    }
    if (errno != EEXIST) break;
  }
  const int renameError = errno;
  ::unlink(temporary);
  return Warn(std::strerror(renameError));
}

void TReplayKeeper::Prune(const std::array<std::int64_t, TGame::kRankingSize>& ranking) {
  if (entries_.size() <= kKeepLast) return;
  const std::size_t old = entries_.size() - kKeepLast;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    TEntry& entry = entries_[i];
    if (i >= old || InRanking(entry.Area, entry.Entered, entry.Values, ranking)) {
      entries_[kept++] = entry;
      continue;
    }
    char path[PATH_MAX];
    if (JoinPath(path, folder_, entry.Name)) ::unlink(path);
  }
  entries_.resize(kept);
}

std::vector<std::string> TReplayKeeper::Names() const {
  std::vector<std::string> names;
  for (const TEntry& entry : entries_) names.emplace_back(entry.Name);
  return names;
}

// --- the recorder ---------------------------------------------------------------------

TReplayRecorder::TReplayRecorder(std::string folder) : Keeper(std::move(folder)) {
  replay_.ProgramVersion = kProgramVersion;
  replay_.Snapshot.reserve(kMaxSnapshotBytes);
  replay_.Pad.reserve(kReservedFrames);
  replay_.Keys.reserve(kReservedKeys);
  file_.reserve(kMaxSnapshotBytes + 2 * kReservedFrames + 8 * kReservedKeys + 512);
}

void TReplayRecorder::RecordPad(const TGame& game) {
  const TGamePad& pad = *game.Pad;
  replay_.Pad.push_back(
      PackPad(pad.DirectionX(), pad.DirectionY(), pad.ButtonDown(0), pad.ButtonDown(1), pad.ButtonDown(2)));
  if (Trace) Trace->Line(static_cast<std::uint32_t>(replay_.Pad.size() - 1), game);
}

void TReplayRecorder::FrameDone(const TGame& game) {
  if (!Enabled || !game.Pad) return;
  if (!recording_) {
    if (game.Scene == kScenePlay) Begin(game);
    return;
  }
  RecordPad(game);
  if (game.Scene != kScenePlay) Finish(game, escaped_ ? TReplayEnd::Escape : TReplayEnd::GameOver);
}

void TReplayRecorder::Begin(const TGame& game) {
  recording_ = true;
  escaped_ = false;
  replay_.Date = static_cast<std::int64_t>(std::time(nullptr));
  replay_.Area = game.Area;
  replay_.BombKind = game.BombKind;
  SaveGameState(game, replay_.Snapshot);
  replay_.Pad.clear();
  replay_.Keys.clear();
  rankingAtStart_ = game.Ranking;
  if (Trace) Trace->Comment("game");
  RecordPad(game);
}

void TReplayRecorder::KeyMessage(std::uint16_t virtualKey) {
  if (!recording_) return;
  replay_.Keys.push_back({static_cast<std::uint32_t>(replay_.Pad.size()), virtualKey});
  escaped_ = true;
}

void TReplayRecorder::Close(const TGame& game) {
  if (recording_) Finish(game, TReplayEnd::Closed);
}

void TReplayRecorder::Finish(const TGame& game, TReplayEnd end) {
  recording_ = false;
  replay_.End = end;
  replay_.Results = ResultsOf(game);
  // What entered a table is where the table first differs from the start
  // (the title entered at the end has reset the game's area).
  replay_.Entered = 0;
  replay_.EnteredValues = {};
  for (std::size_t mode = 0; mode < 3; ++mode) {
    const std::size_t first = 30 * static_cast<std::size_t>(replay_.Area - 1) + 10 * mode;
    for (std::size_t k = first; k < first + 10; ++k) {
      if (game.Ranking[k] == rankingAtStart_[k]) continue;
      replay_.Entered = static_cast<std::uint8_t>(replay_.Entered | 1u << mode);
      replay_.EnteredValues[mode] = game.Ranking[k];
      break;
    }
  }
  const std::size_t needed = EncodedSizeLimit(replay_);
  if (file_.capacity() < needed) file_.reserve(needed);
  EncodeReplay(replay_, file_);
  Keeper.Keep(replay_, file_, game.Ranking);
}
