// Playing a replay: into the form's game while it is watched, or into a
// game of its own to verify it; and the per-frame trace of either.
#include <algorithm>
#include <cinttypes>
#include <memory>

#include "game/replay.h"
#include "platform/vk.h"
#include "surfaces/brin_sprite.h"

// --- the trace --------------------------------------------------------------------------

TReplayTrace::TReplayTrace(const std::string& path) : file_(std::fopen(path.c_str(), "w")) {
  if (!file_) return;
  // Our own buffer: writing a line allocates nothing.
  std::setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
  std::fputs("# frame scene score multiplier combo best-multiplier best-combo lives bombs stage round seed "
             "ship-x ship-y active-slots checksum\n",
             file_);
}

TReplayTrace::~TReplayTrace() {
  if (file_) std::fclose(file_);
}

void TReplayTrace::Comment(std::string_view text) {
  if (file_) std::fprintf(file_, "# %.*s\n", static_cast<int>(text.size()), text.data());
}

void TReplayTrace::Line(std::uint32_t frame, const TGame& game) {
  if (!file_) return;
  const TBrinSprReg& ship = *game.Sprites->Entries[TGame::kPlayerSlot];
  std::fprintf(file_,
               "%" PRIu32 " %" PRId32 " %" PRId64 " %" PRId32 " %" PRId32 " %" PRId32 " %" PRId32 " %" PRId32
               " %" PRId32 " %" PRId32 " %" PRId32 " %08" PRIx32 " %" PRId32 " %" PRId32 " %" PRId32 " %016" PRIx64
               "\n",
               frame, game.Scene, game.Score, game.Multiplier, game.ComboHits, game.BestMultiplier,
               game.BestComboHits, game.LivesLeft, game.BombsLeft, game.StageNumber, game.RoundNumber,
               game.RandSeed, ship.X, ship.Y, game.CountActive(0, TGame::kSlotCount - 1), SlotChecksum(game));
}

// --- the pad and the run ------------------------------------------------------------------

void TReplayPad::Poll() {
  if (!states_.empty()) current_ = states_[std::min(Frame, states_.size() - 1)];
}

int TReplayPad::DirectionX() const { return (current_ & 0x03) == 1 ? 1 : (current_ & 0x03) == 2 ? -1 : 0; }

int TReplayPad::DirectionY() const { return (current_ & 0x0C) == 0x04 ? 1 : (current_ & 0x0C) == 0x08 ? -1 : 0; }

bool TReplayPad::ButtonDown(int Index) const { return Index >= 0 && Index < 3 && (current_ >> (4 + Index) & 1) != 0; }

bool TReplayRun::Start(std::string& reason) {
  if (!RestoreGameState(replay_.Snapshot, game_, reason)) return false;
  // The confirm frame's poll is the one the first play frame reads first.
  pad_.Frame = 0;
  pad_.Poll();
  game_.Pad = &pad_;
  frame_ = 1;
  nextKey_ = 0;
  if (Trace) Trace->Line(0, game_);
  return true;
}

bool TReplayRun::Step() {
  if (Done()) return false;
  // Key messages reach the game between frames, as the form hands them on.
  for (; nextKey_ < replay_.Keys.size() && replay_.Keys[nextKey_].Frame <= frame_; ++nextKey_) {
    if (replay_.Keys[nextKey_].VirtualKey == VK_ESCAPE) game_.EscapePressed();
  }
  pad_.Frame = frame_;
  game_.RunScene();
  game_.FrameCount += 1;
  game_.UpdateSounds();
  if (Trace) Trace->Line(frame_, game_);
  ++frame_;
  return true;
}

TReplayResults ResultsOf(const TGame& game) { return {game.Score, game.BestMultiplier, game.BestComboHits}; }

// --- verifying ----------------------------------------------------------------------------

bool VerifyReplay(const TReplay& replay, TReplayResults& replayed, std::string& reason, TReplayTrace* trace) {
  // The game as start-up leaves it, without a display or sound: shapes
  // have their sizes, nothing is drawn or played.
  TGame game;
  game.CreateSprites();
  game.RegisterShapes(nullptr, nullptr, nullptr);
  game.FillBlockMaxHP();
  game.SetupSounds();
  TReplayRun run(replay, game);
  run.Trace = trace;
  if (!run.Start(reason)) return false;
  while (run.Step()) {
  }
  replayed = ResultsOf(game);
  return true;
}

namespace {

void PrintResults(std::FILE* out, const char* what, const TReplayResults& results) {
  std::fprintf(out, "%s: score %" PRId64 ", multiplier %" PRId32 ", combo %" PRId32 "\n", what, results.Score,
               results.BestMultiplier, results.BestCombo);
}

}  // namespace

int VerifyReplayCommand(const std::string& path, const std::string& tracePath, std::FILE* out, std::FILE* err) {
  TReplay replay;
  std::string reason;
  if (!LoadReplayFile(path, replay, reason)) {
    std::fprintf(err, "zornack: %s: %s\n", path.c_str(), reason.c_str());
    return 2;
  }
  std::unique_ptr<TReplayTrace> trace;
  if (!tracePath.empty()) {
    trace = std::make_unique<TReplayTrace>(tracePath);
    if (!trace->Ok()) {
      std::fprintf(err, "zornack: %s: cannot be written\n", tracePath.c_str());
      return 2;
    }
  }
  TReplayResults replayed;
  if (!VerifyReplay(replay, replayed, reason, trace.get())) {
    std::fprintf(err, "zornack: %s: %s\n", path.c_str(), reason.c_str());
    return 2;
  }
  constexpr const char* kEnds[] = {"ended by a game over", "left with Escape", "cut short by the program's end"};
  std::fprintf(out, "%s: area %" PRId32 ", %s, %zu frames, %s\n", path.c_str(), replay.Area,
               TGame::BombName(replay.BombKind), replay.Pad.size(), kEnds[static_cast<int>(replay.End)]);
  PrintResults(out, "recorded", replay.Results);
  PrintResults(out, "replayed", replayed);
  return replayed == replay.Results ? 0 : 1;
}
