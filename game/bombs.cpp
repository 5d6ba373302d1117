// Bombs: three per game, all of the kind chosen on the bomb-select screen.
// Each alters the whole field; BLOCK STOP and BULLET ERASE keep acting for
// a while, the others act once.
#include <string_view>

#include "game/game.h"
#include "surfaces/brin_sprite.h"

namespace {

enum : std::int32_t {
  kBlockStop = 0,
  kBulletErase = 1,
  kKeepAway = 2,
  kConcentrate = 3,
  kAllDamage = 4,
  kSameColor = 5,
  kBombKinds = 6
};

constexpr const char* kBombNames[kBombKinds] = {"BLOCK STOP",  "BULLET ERASE", "KEEP AWAY",
                                                "CONCENTRATE", "ALL DAMAGE",   "SAME COLOR"};

// Frames each kind keeps acting.
constexpr std::int32_t kBombDuration[kBombKinds] = {500, 200, 1, 1, 1, 1};

}  // namespace

const char* TGame::BombName(std::int32_t kind) {
  if (kind < 0 || kind >= kBombKinds) return "";
  return kBombNames[kind];
}

void TGame::UseBomb(std::int32_t kind) {
  if (BombsLeft == 0) return;
  --BombsLeft;
  // Only the first two kinds last; an unknown kind acts for one frame.
  BombTime = kind >= 0 && kind < kBombKinds ? kBombDuration[kind] : 1;
}

void TGame::UpdateBomb() {
  if (BombTime <= 0) return;
  --BombTime;
  switch (BombKind) {
    case kBlockStop:
      for (std::int32_t b = kFirstBlock; b <= kLastBlock; ++b) SetVelocity(b, 0, 0);
      break;
    case kBulletErase:
      VanishBullets();
      break;
    case kKeepAway:
      // Every slot of the ranges, live or not: a dead one is given a new
      // velocity when it is spawned again.
      for (std::int32_t b = kFirstBlock; b <= kLastBlock; ++b) {
        SetVelocityPolar(b, 2000, AngleBetween(kPlayerSlot, b));
      }
      for (std::int32_t b = kFirstBullet; b <= kLastBullet; ++b) {
        SetVelocityPolar(b, 5000, AngleBetween(kPlayerSlot, b));
      }
      break;
    case kConcentrate:
      for (std::int32_t b = kFirstBlock; b <= kLastBlock; ++b) {
        SetVelocityPolar(b, 2000, AngleBetween(b, kPlayerSlot));
      }
      for (std::int32_t b = kFirstBullet; b <= kLastBullet; ++b) {
        SetVelocityPolar(b, 2000, AngleBetween(b, kPlayerSlot));
      }
      break;
    case kAllDamage:
      // Blocks born during the sweep (fragments of the ones it destroys)
      // have not moved yet and are spared: one bomb, one generation.
      for (std::int32_t b = FindActive(kFirstBlock, kLastBlock); b != -1; b = FindActive(b + 1, kLastBlock)) {
        if (Slots[static_cast<std::size_t>(b)].Age == 0) continue;
        BlockHP[static_cast<std::size_t>(b)] -= 50;
        CheckBlockDestroyed(b);
      }
      break;
    case kSameColor: {
      // Sizes and hit points stay; the colour, and with it the pattern the
      // family ends in, becomes one for all.
      const std::int32_t colour = Random(4);
      for (std::int32_t b = FindActive(kFirstBlock, kLastBlock); b != -1; b = FindActive(b + 1, kLastBlock)) {
        std::int32_t& kind = Slots[static_cast<std::size_t>(b)].Kind;
        kind = (kind / 4) * 4 + colour;
        Sprite(b).IShape = BlockShapeBase + kind;
      }
      break;
    }
    default:
      break;
  }
}

void TGame::ShowBombName() {
  const std::string_view name = BombName(MenuRow);
  const auto length = static_cast<std::int32_t>(name.size());
  ShowText(11, 15, name);
  // Centred on the screen.
  for (std::int32_t a = 0; a <= length; ++a) Sprite(11 + a).X = (kScreenWidth - 16 * length) / 2 + 16 * a;
}
