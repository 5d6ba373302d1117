// The play state a game starts from, saved as a compact byte string and put
// back. Every field is visited in one fixed order (the same for saving,
// restoring and the slot checksum), slots and sprite entries column by
// column, so that runs of equal values lie together: each value is stored
// as its difference from the one before (zigzag varint), and a run of equal
// values as a count. A state of the game is about 10 kB this way, a tenth
// of its size in memory.
//
// A restored value must lie within its field's bounds. They are wide where
// the value carries history (positions, ages, timers of dead slots) and
// narrow where the game indexes a table with it or loops over it, so no
// file can make the game read outside its tables.
#include <bit>
#include <cmath>
#include <limits>

#include "game/replay.h"
#include "surfaces/brin_sprite.h"

namespace {

constexpr std::int64_t kWide = 1'000'000'000;
constexpr std::int64_t kBool = 1;

// FIELD (value, lowest, highest) for every field of the play state. Slot
// and sprite columns come last; VisitObjects is that part alone.
template <typename TGameRef, typename TField>
void VisitObjects(TGameRef& game, TField&& field) {
  const auto slots = [&](auto member, std::int64_t lo, std::int64_t hi) {
    for (auto& slot : game.Slots) field(slot.*member, lo, hi);
  };
  slots(&TSlotState::Active, 0, kBool);
  for (std::size_t i = 0; i < game.Slots.size(); ++i) {
    // A block's kind picks its hit points, shape and fragments.
    const bool block = i >= TGame::kFirstBlock && i <= TGame::kLastBlock;
    field(game.Slots[i].Kind, block ? 0 : -kWide, block ? 15 : kWide);
  }
  slots(&TSlotState::Age, -kWide, kWide);
  slots(&TSlotState::FixX, -kWide, kWide);
  slots(&TSlotState::FixY, -kWide, kWide);
  slots(&TSlotState::VelX, -kWide, kWide);
  slots(&TSlotState::VelY, -kWide, kWide);
  slots(&TSlotState::AccX, -kWide, kWide);
  slots(&TSlotState::AccY, -kWide, kWide);
  slots(&TSlotState::Vanishing, 0, kBool);
  slots(&TSlotState::Timer, -kWide, kWide);
  for (auto& hp : game.BlockHP) field(hp, -kWide, kWide);

  const auto sprites = [&](auto member, std::int64_t lo, std::int64_t hi) {
    for (auto& entry : game.Sprites->Entries) field((*entry).*member, lo, hi);
  };
  sprites(&TBrinSprReg::XNum, -kWide, kWide);
  sprites(&TBrinSprReg::XDen, -kWide, kWide);
  sprites(&TBrinSprReg::YNum, -kWide, kWide);
  sprites(&TBrinSprReg::YDen, -kWide, kWide);
  sprites(&TBrinSprReg::ScaleX, 0, kBool);
  sprites(&TBrinSprReg::ScaleY, 0, kBool);
  sprites(&TBrinSprReg::IShape, -kWide, kWide);
  sprites(&TBrinSprReg::AnimFrame, -kWide, kWide);
  sprites(&TBrinSprReg::AnimLast, -kWide, kWide);
  sprites(&TBrinSprReg::AnimFirst, -kWide, kWide);
  sprites(&TBrinSprReg::X, -kWide, kWide);
  sprites(&TBrinSprReg::Y, -kWide, kWide);
  sprites(&TBrinSprReg::Z, 0, kWide);
  sprites(&TBrinSprReg::Alpha, 0, 255);
  sprites(&TBrinSprReg::Visible, 0, kBool);
  sprites(&TBrinSprReg::PingPong, 0, kBool);
  sprites(&TBrinSprReg::Reverse, 0, kBool);
}

template <typename TGameRef, typename TField>
void VisitState(TGameRef& game, TField&& field) {
  field(game.RandSeed, 0, std::numeric_limits<std::uint32_t>::max());
  field(game.ExitCount, -kWide, kWide);
  // The state is taken in play; any other scene would run a menu on it.
  field(game.Scene, kScenePlay, kScenePlay);
  field(game.PrevScene, kScenePlay, kScenePlay);
  field(game.FrameCount, 0, kWide);
  field(game.MenuColumn, 0, 1);
  field(game.MenuRow, 0, 5);
  field(game.MenuDecision, -1, 1);
  field(game.PrevAxisX, -1, 1);
  field(game.PrevAxisY, -1, 1);
  for (auto& button : game.PrevButtons) field(button, 0, kBool);
  field(game.Area, 1, 2);
  field(game.CreditScroll, -kWide, kWide);
  field(game.DemoTime, -kWide, kWide);
  field(game.StageNumber, 0, 25);
  // Enemy patterns fire more bullets each round: a bound keeps them finite.
  field(game.RoundNumber, 1, 1000);
  field(game.BlocksLeft, 0, kWide);
  field(game.PlayerCenterX, -kWide, kWide);
  field(game.PlayerCenterY, -kWide, kWide);
  for (auto& held : game.HeldFrames) field(held, 0, std::numeric_limits<std::int32_t>::max());
  field(game.LaserMode, 0, kBool);
  field(game.LaserOn, 0, kBool);
  field(game.ShotCooldown, -kWide, kWide);
  field(game.ShieldTime, -kWide, kWide);
  field(game.LivesLeft, -kWide, kWide);
  field(game.BombKind, 0, 5);
  field(game.BombsLeft, -kWide, kWide);
  field(game.BombTime, -kWide, kWide);
  field(game.SpiralAngle, -kWide, kWide);
  field(game.GameOver, 0, kBool);
  field(game.GameOverTime, -kWide, kWide);
  field(game.Score, -(std::int64_t{1} << 50), std::int64_t{1} << 50);
  field(game.Multiplier, -kWide, kWide);
  field(game.ComboHits, -kWide, kWide);
  field(game.ComboTimer, -kWide, kWide);
  field(game.ComboBonusArmed, 0, kBool);
  field(game.BestMultiplier, -kWide, kWide);
  field(game.BestComboHits, -kWide, kWide);
  field(game.BlockDestroyed, 0, kBool);
  field(game.StageBannerTime, -kWide, kWide);
  for (auto& busy : game.ChannelBusy) field(busy, -kWide, kWide);
  for (auto& request : game.PlayRequest) field(request, 0, kBool);
  VisitObjects(game, field);
}

std::uint64_t Zigzag(std::int64_t v) { return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63); }
std::int64_t Unzigzag(std::uint64_t v) { return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1); }

template <typename T>
std::int64_t Word(const T& value) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::bit_cast<std::int64_t>(static_cast<double>(value));
  } else {
    return static_cast<std::int64_t>(value);
  }
}

class TWordWriter {
 public:
  explicit TWordWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  template <typename T>
  void operator()(const T& value, std::int64_t, std::int64_t) {
    const std::int64_t word = Word(value);
    const auto delta = static_cast<std::int64_t>(static_cast<std::uint64_t>(word) - static_cast<std::uint64_t>(previous_));
    previous_ = word;
    if (delta == 0) {
      ++run_;
      return;
    }
    Flush();
    Varint(Zigzag(delta));
  }
  // A run of N repeats is a 0 (no difference is ever coded as 0) and N - 1.
  void Flush() {
    if (run_ == 0) return;
    Varint(0);
    Varint(run_ - 1);
    run_ = 0;
  }

 private:
  void Varint(std::uint64_t v) {
    while (v >= 0x80) {
      out_.push_back(static_cast<std::uint8_t>(v | 0x80));
      v >>= 7;
    }
    out_.push_back(static_cast<std::uint8_t>(v));
  }
  std::vector<std::uint8_t>& out_;
  std::int64_t previous_ = 0;
  std::uint64_t run_ = 0;
};

class TWordReader {
 public:
  explicit TWordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  template <typename T>
  void operator()(T& value, std::int64_t lo, std::int64_t hi) {
    std::int64_t word = 0;
    if (!Next(word)) return;
    if constexpr (std::is_floating_point_v<T>) {
      const double d = std::bit_cast<double>(word);
      if (!std::isfinite(d) || d < static_cast<double>(lo) || d > static_cast<double>(hi)) {
        Bad("game state out of range");
        return;
      }
      value = d;
    } else {
      if (word < lo || word > hi) {
        Bad("game state out of range");
        return;
      }
      value = static_cast<T>(word);
    }
  }
  bool Finished() const { return ok_ && run_ == 0 && at_ == bytes_.size(); }
  bool Ok() const { return ok_; }
  const char* Problem() const { return problem_; }

 private:
  bool Next(std::int64_t& word) {
    if (!ok_) return false;
    if (run_ > 0) {
      --run_;
      word = previous_;
      return true;
    }
    std::uint64_t token = 0;
    if (!Varint(token)) return false;
    if (token == 0) {
      if (!Varint(run_)) return false;
      word = previous_;
      return true;
    }
    previous_ = static_cast<std::int64_t>(static_cast<std::uint64_t>(previous_) +
                                          static_cast<std::uint64_t>(Unzigzag(token)));
    word = previous_;
    return true;
  }
  bool Varint(std::uint64_t& v) {
    v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (at_ >= bytes_.size()) return Bad("game state cut short");
      const std::uint8_t byte = bytes_[at_++];
      v |= std::uint64_t{byte & 0x7Fu} << shift;
      if ((byte & 0x80) == 0) return true;
    }
    return Bad("damaged game state");
  }
  bool Bad(const char* problem) {
    if (ok_) problem_ = problem;
    ok_ = false;
    return false;
  }
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  std::int64_t previous_ = 0;
  std::uint64_t run_ = 0;
  bool ok_ = true;
  const char* problem_ = "";
};

}  // namespace

void SaveGameState(const TGame& game, std::vector<std::uint8_t>& out) {
  out.clear();
  TWordWriter writer(out);
  VisitState(game, writer);
  writer.Flush();
}

bool RestoreGameState(std::span<const std::uint8_t> bytes, TGame& game, std::string& reason) {
  TWordReader reader(bytes);
  VisitState(game, reader);
  if (reader.Finished()) return true;
  reason = reader.Ok() ? "damaged game state (bytes left over)" : reader.Problem();
  return false;
}

std::uint64_t SlotChecksum(const TGame& game) {
  // FNV-1a over the words of every slot and sprite entry.
  std::uint64_t hash = 0xcbf29ce484222325u;
  VisitObjects(game, [&hash](const auto& value, std::int64_t, std::int64_t) {
    auto word = static_cast<std::uint64_t>(Word(value));
    for (int i = 0; i < 8; ++i) {
      hash = (hash ^ (word & 0xFF)) * 0x100000001b3u;
      word >>= 8;
    }
  });
  return hash;
}
