// Recording every game and keeping the replays worth keeping.
//
// The form tells the recorder about each frame once the frame's logic has
// run, and about each key message it hands the game. A game starts with
// the frame that enters play and ends with the frame that leaves it; the
// program ending in the middle of one ends it too. Then its replay is
// written to the replays folder (atomically: a whole file under its name or
// nothing) and the folder is pruned: the last kKeepLast games stay, and so
// does every game whose result entered a ranking table, for as long as
// that result is still in its table.
//
// Recording allocates nothing per frame, nor at a game's start or end:
// buffers are reserved for an hour of play (a longer game grows them once
// in a while), files are written with fixed path buffers, and the folder's
// index is read once at start-up.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "game/replay.h"

class TReplayKeeper {
 public:
  static constexpr std::size_t kKeepLast = 20;

  // FOLDER: where the replays live, made when the first one is written.
  explicit TReplayKeeper(std::string folder);
  const std::string& Folder() const { return folder_; }
  // Reads the folder's replays into the index. Only files named as this
  // program names them are ever removed.
  void Scan();
  // Writes BYTES, the encoding of REPLAY, under a name made of its date,
  // area and score; then prunes. False, with a warning, when it could not
  // be written; nothing is removed then.
  bool Keep(const TReplay& replay, std::span<const std::uint8_t> bytes,
            const std::array<std::int64_t, TGame::kRankingSize>& ranking);
  // Removes the replays that are neither among the last kKeepLast nor
  // still in RANKING.
  void Prune(const std::array<std::int64_t, TGame::kRankingSize>& ranking);
  // File names in the index, oldest first.
  std::vector<std::string> Names() const;
  // Told of a replay that could not be written (one line); null: stderr.
  std::function<void(const std::string& line)> OnWarning;

 private:
  struct TEntry {
    char Name[160];
    std::int64_t Date;
    std::int32_t Area;
    std::uint8_t Entered;
    std::array<std::int64_t, 3> Values;
  };
  void Add(const char* name, const TReplay& replay);
  bool Warn(const char* problem);

  std::string folder_;
  std::vector<TEntry> entries_;
};

class TReplayRecorder {
 public:
  explicit TReplayRecorder(std::string folder);
  // Start-up: reads what the folder holds.
  void Open() { Keeper.Scan(); }
  // After each frame's logic, with the game's pad as it was last polled.
  void FrameDone(const TGame& game);
  // A key message handed to the game (before the next frame).
  void KeyMessage(std::uint16_t virtualKey);
  // The program ends: a game still running is kept as it stands.
  void Close(const TGame& game);
  bool Recording() const { return recording_; }

  TReplayKeeper Keeper;
  // Off while a replay is watched.
  bool Enabled = true;
  // Every recorded frame is traced here too, when set.
  TReplayTrace* Trace = nullptr;

 private:
  void Begin(const TGame& game);
  void Finish(const TGame& game, TReplayEnd end);
  void RecordPad(const TGame& game);

  TReplay replay_;
  std::vector<std::uint8_t> file_;
  std::array<std::int64_t, TGame::kRankingSize> rankingAtStart_{};
  bool recording_ = false;
  bool escaped_ = false;
};
