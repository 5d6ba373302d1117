// Replays: every game recorded, the best ones kept, watched and verified.
//
// The game is deterministic: its generator has a fixed seed, every duration
// is counted in frames and the pad is read once per frame. A game is
// therefore the state it starts from, the pad state of each of its frames
// and the key messages that reached it; replaying those reproduces every
// frame, and the final score with them.
//
// A game runs from the frame that confirms the bomb choice (which enters
// play) to the frame that leaves play (the return to the title, after the
// game-over phase or an Escape). Entering play resets the per-game
// variables and clears every slot, but a new game still starts from what
// came before it:
//   - RandSeed: the bomb-select demonstration and earlier games drew from
//     the generator (32 blocks per demonstration restart, fragments, the
//     SAME COLOR bomb);
//   - the last pad poll: the first play frame reads buttons 1 and 2 (and
//     the fire button, for the ship's speed) as the confirm frame polled
//     them, before it polls the pad itself;
//   - HeldFrames: how long buttons 1 and 2 were held when the previous game
//     ended (a button still held does not act again);
//   - PrevAxisX/Y, PrevButtons, MenuColumn, MenuRow, CreditScroll: read by
//     the title frame that runs after an Escape, before the title is entered;
//   - the slots and sprite entries: a kill only clears Active and hides the
//     entry, and spawners set what their objects need; the direction of a
//     ping-pong animation (Reverse) stays as the slot's previous object left
//     it, so shots, bullets and laser parts from earlier scenes (the
//     demonstration included) decide which frame a new one is drawn with;
//     their kinds, velocities and timers stay too, unread until respawned;
//   - ChannelBusy and PlayRequest: the confirm click's request.
// The header therefore holds a snapshot of the whole play state as the
// confirm frame leaves it (scalars, slots, sprite entries, sounds), and the
// pad record starts with the confirm frame's poll. The sheets, shapes, block
// hit-point table and the ranking are not part of it.
//
// The file (little-endian; varints are unsigned LEB128):
//   "ZRPL", format version u16, program version (u8 length, ASCII),
//   date i64 (seconds since 1970, UTC), area u8, bomb kind u8, end u8
//   (TReplayEnd), entered u8 (bit m: the result entered ranking mode m),
//   score i64, best multiplier i32, best combo i32, the three entered values
//   i64 (0 where nothing entered), frame count u32,
//   snapshot (u32 size, bytes), pad runs (u32 size, bytes: state u8 and
//   run length varint, repeated), keys (u32 count; frame delta varint and
//   virtual key varint each), CRC-32 of everything before it, u32.
// Whatever fails to decode is refused with a one-line reason.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/game.h"

inline constexpr std::uint16_t kReplayFormatVersion = 1;
// The program's version (the project's), written into every replay and
// required of one.
extern const std::string_view kProgramVersion;

enum class TReplayEnd : std::uint8_t { GameOver = 0, Escape = 1, Closed = 2 };

struct TReplayResults {
  std::int64_t Score = 0;
  std::int32_t BestMultiplier = 0;
  std::int32_t BestCombo = 0;
  bool operator==(const TReplayResults&) const = default;
};

// A key message and the frame it came before (frame 0 is the confirm frame).
struct TReplayKey {
  std::uint32_t Frame = 0;
  std::uint16_t VirtualKey = 0;
  bool operator==(const TReplayKey&) const = default;
};

// The pad of one frame: bits 0-1 the X sign, 2-3 the Y sign (0 rest,
// 1 positive, 2 negative), bits 4-6 buttons 0-2.
using TPadState = std::uint8_t;
TPadState PackPad(int x, int y, bool b0, bool b1, bool b2);

struct TReplay {
  std::string ProgramVersion;
  std::int64_t Date = 0;
  std::int32_t Area = 1;
  std::int32_t BombKind = 0;
  TReplayEnd End = TReplayEnd::GameOver;
  std::uint8_t Entered = 0;
  TReplayResults Results;
  std::array<std::int64_t, 3> EnteredValues{};
  std::vector<std::uint8_t> Snapshot;  // SaveGameState's encoding
  std::vector<TPadState> Pad;          // one per frame
  std::vector<TReplayKey> Keys;
  bool operator==(const TReplay&) const = default;
};

// --- the file (replay_format.cpp) ---------------------------------------------------
// Limits beyond which a file is absurd rather than long: a day of play.
inline constexpr std::uint32_t kMaxReplayFrames = 50 * 60 * 60 * 24;
inline constexpr std::uint32_t kMaxReplayKeys = 1 << 16;
// Every word of the state (about 21,000) in its longest coding, 10 bytes.
inline constexpr std::uint32_t kMaxSnapshotBytes = 1 << 18;

// Replaces OUT's contents with the file's bytes; allocates nothing when OUT
// has the capacity (EncodedSizeLimit).
void EncodeReplay(const TReplay& replay, std::vector<std::uint8_t>& out);
std::size_t EncodedSizeLimit(const TReplay& replay);
// False with REASON set when BYTES are not a replay this program can play.
// The program version is checked unless ANY_VERSION (the committed test
// replays outlive version numbers; what they check is behaviour).
bool DecodeReplay(std::span<const std::uint8_t> bytes, TReplay& replay, std::string& reason,
                  bool anyVersion = false);
// Reads and decodes PATH, then checks its snapshot on a scratch game.
bool LoadReplayFile(const std::string& path, TReplay& replay, std::string& reason, bool anyVersion = false);
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

// --- the play state (replay_state.cpp) ----------------------------------------------
// The state a game carries (see above) as a compact byte string. OUT is
// replaced; with the capacity of kMaxSnapshotBytes nothing is allocated.
void SaveGameState(const TGame& game, std::vector<std::uint8_t>& out);
// Puts a saved state into GAME (whose sprite table exists). False with
// REASON, and GAME half-written, when the bytes are not a state this
// program could have saved.
bool RestoreGameState(std::span<const std::uint8_t> bytes, TGame& game, std::string& reason);
// A checksum of every slot and sprite entry.
std::uint64_t SlotChecksum(const TGame& game);

// --- playing (replay_play.cpp) ------------------------------------------------------------
// One line per frame: "frame scene score multiplier combo best-multiplier
// best-combo lives bombs stage round seed ship-x ship-y active-slots
// checksum" (the checksum in 16 hex digits), after a "#" header line.
class TReplayTrace {
 public:
  // Writes to PATH (replaced); Ok() tells whether it could be opened.
  explicit TReplayTrace(const std::string& path);
  ~TReplayTrace();
  TReplayTrace(const TReplayTrace&) = delete;
  TReplayTrace& operator=(const TReplayTrace&) = delete;
  bool Ok() const { return file_ != nullptr; }
  void Comment(std::string_view text);
  void Line(std::uint32_t frame, const TGame& game);

 private:
  std::FILE* file_ = nullptr;
  char buffer_[1 << 16];
};

// The pad of a replay: each Poll takes the state recorded for the frame
// the replay has reached.
class TReplayPad : public TGamePad {
 public:
  explicit TReplayPad(const std::vector<TPadState>& states) : states_(states) {}
  void Poll() override;
  int DirectionX() const override;
  int DirectionY() const override;
  bool ButtonDown(int Index) const override;
  std::size_t Frame = 0;

 private:
  const std::vector<TPadState>& states_;
  TPadState current_ = 0;
};

// Plays a replay into a game: Start restores the header's state and puts
// the replay's pad in place of the game's; each Step runs the next frame
// with the key messages that came before it, as the form's frame runs the
// game's logic.
class TReplayRun {
 public:
  TReplayRun(const TReplay& replay, TGame& game) : replay_(replay), game_(game), pad_(replay.Pad) {}
  bool Start(std::string& reason);
  // False once every recorded frame has run.
  bool Step();
  bool Done() const { return frame_ >= replay_.Pad.size(); }
  TReplayTrace* Trace = nullptr;

 private:
  const TReplay& replay_;
  TGame& game_;
  TReplayPad pad_;
  std::uint32_t frame_ = 1;
  std::size_t nextKey_ = 0;
};

// The results of the game as it stands: what a replay records and verifies.
TReplayResults ResultsOf(const TGame& game);

// Runs REPLAY on a game of its own (no display, no sound, no waiting).
// False with REASON when its state cannot be restored.
bool VerifyReplay(const TReplay& replay, TReplayResults& replayed, std::string& reason,
                  TReplayTrace* trace = nullptr);

// `--replay FILE --verify [--trace OUT]`: prints the recorded and replayed
// results to OUT; answers 0 when they match, 1 when not, 2 (with one line
// on ERR) for a file it cannot read or a trace it cannot write.
int VerifyReplayCommand(const std::string& path, const std::string& tracePath, std::FILE* out, std::FILE* err);
