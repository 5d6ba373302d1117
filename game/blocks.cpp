// Blocks: the targets of the play field. A block is a square of size 8, 16,
// 24 or 32 in one of four colours (kind = 4 * (size / 8 - 1) + colour). It
// rests where the stage put it until something sets it moving, bounces off
// every screen edge, and when its hit points run out it either breaks into
// smaller blocks of its colour or, at size 8, fires its colour's bullet
// pattern.
#include "game/game.h"
#include "surfaces/brin_sprite.h"

void TGame::SpawnBlock(std::int32_t kind, std::int32_t x, std::int32_t y, std::int32_t speed, double angle) {
  const std::int32_t s = FindFree(kFirstBlock, kLastBlock);
  if (s == -1) return;
  Sprite(s).IShape = BlockShapeBase + kind;
  SpawnSlot(s, x, y);
  SetVelocityPolar(s, speed, angle);
  Slots[static_cast<std::size_t>(s)].Kind = kind;
  BlockHP[static_cast<std::size_t>(s)] = BlockMaxHP[static_cast<std::size_t>(kind)];
}

void TGame::MoveBlocks() {
  for (std::int32_t b = FindActive(kFirstBlock, kLastBlock); b != -1; b = FindActive(b + 1, kLastBlock)) {
    MoveSlot(b);
    TSlotState& slot = Slots[static_cast<std::size_t>(b)];
    const TBrinSprReg& sprite = Sprite(b);
    // Undoing only the axis that crossed an edge keeps the block sliding
    // along the other one.
    if (sprite.X < 0 || sprite.X > kScreenWidth - sprite.Width()) {
      StepBack(b, -1, 0);
      slot.VelX = -slot.VelX;
    }
    if (sprite.Y < 0 || sprite.Y > kScreenHeight - sprite.Height()) {
      StepBack(b, 0, -1);
      slot.VelY = -slot.VelY;
    }
  }
}

namespace {

// A fragment scatters at 1-4 pixels per frame in a whole-degree direction.
// The speed is drawn before the direction: the game's random sequence
// depends on that order.
void SpawnFragment(TGame& game, std::int32_t kind, std::int32_t x, std::int32_t y) {
  const std::int32_t speed = game.Random(3000) + 1000;
  const double angle = TGame::DegToRad(game.Random(360));
  game.SpawnBlock(kind, x, y, speed, angle);
}

}  // namespace

void TGame::CheckBlockDestroyed(std::int32_t b) {
  if (BlockHP[static_cast<std::size_t>(b)] >= 1) return;

  // A destruction within 50 frames of the previous one earns more: up to
  // +200 right after it, +100 when the combo was not running (timer -1 or 0).
  ++ComboHits;
  BlockDestroyed = true;
  Multiplier += (ComboTimer / 5) * 10 + 100;
  ComboTimer = 50;
  Score += Multiplier;

  KillSlot(b);
  const TBrinSprReg& sprite = Sprite(b);
  const std::int32_t x = sprite.X;
  const std::int32_t y = sprite.Y;
  const std::int32_t kind = Slots[static_cast<std::size_t>(b)].Kind;
  const std::int32_t colour = kind % 4;

  // Fragments lie centred in the block they came from. The patterns read the
  // dead slot's sprite, which still holds its last position.
  switch (kind / 4) {
    case 0:
      switch (colour) {
        case 0: FireAimedLine(b); break;
        case 1: FireRing(b); break;
        case 2: FireSpiral(b); break;
        default: FireSpray(b); break;
      }
      break;
    case 1:
      for (int i = 0; i < 4; ++i) SpawnFragment(*this, colour, x + 4, y + 4);
      break;
    case 2:
      SpawnFragment(*this, colour + 4, x + 4, y + 4);
      for (int i = 0; i < 5; ++i) SpawnFragment(*this, colour, x + 8, y + 8);
      break;
    default:
      for (int i = 0; i < 4; ++i) SpawnFragment(*this, colour + 4, x + 8, y + 8);
      break;
  }
}
