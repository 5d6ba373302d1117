// Particles: short-lived decorations in slots 70-149. A shot or the laser
// striking a block leaves a spark; the ship blowing up leaves a burst that
// spreads out, slows down and fades. None of them touches anything.
#include "game/game.h"
#include "surfaces/brin_sprite.h"

namespace {

enum : std::int32_t { kShotSpark = 1, kLaserSpark = 2, kBurstParticle = 3 };

void SpawnSpark(TGame& game, std::int32_t x, std::int32_t y, std::int32_t shape, std::int32_t lastFrame,
                std::int32_t kind, std::int32_t lifetime) {
  const std::int32_t s = game.FindFree(TGame::kFirstParticle, TGame::kLastParticle);
  if (s == -1) return;
  game.SpawnSlot(s, x, y);
  TBrinSprReg& sprite = game.Sprite(s);
  sprite.IShape = shape;
  sprite.AnimFirst = 0;
  sprite.AnimLast = lastFrame;
  sprite.PingPong = false;
  game.SetVelocity(s, 0, 0);
  // Centred on the point struck.
  game.CenterSlot(s);
  TSlotState& slot = game.Slots[static_cast<std::size_t>(s)];
  slot.Kind = kind;
  slot.Timer = lifetime;
  game.SetAcceleration(s, 0, 0);
}

}  // namespace

void TGame::SpawnShotSpark(std::int32_t x, std::int32_t y) { SpawnSpark(*this, x, y, 20, 4, kShotSpark, 5); }

void TGame::SpawnLaserSpark(std::int32_t x, std::int32_t y) { SpawnSpark(*this, x, y, 25, 2, kLaserSpark, 3); }

void TGame::SpawnBurst(bool big) {
  // A burst replaces whatever sparks were still showing.
  KillSlots(kFirstParticle, kLastParticle - kFirstParticle + 1);
  const std::int32_t count = big ? 50 : 30;
  const TBrinSprReg& player = Sprite(kPlayerSlot);
  const std::int32_t x = player.X;
  const std::int32_t y = player.Y;
  std::int32_t s = kFirstParticle - 1;
  for (std::int32_t j = 0; j < count; ++j) {
    s = FindFree(s + 1, kLastParticle);
    if (s == -1) return;
    // The lifetime is drawn before the speed: the random sequence depends on it.
    const std::int32_t life = Random(32) + 8;
    SpawnSlot(s, x, y);
    TBrinSprReg& sprite = Sprite(s);
    sprite.IShape = 169;
    sprite.AnimFrame = life % 8;
    sprite.AnimFirst = 0;
    sprite.AnimLast = 7;
    sprite.PingPong = false;
    const std::int32_t speed = big ? Random(8000) + 2000 : Random(6000) + 2000;
    SetVelocityPolar(s, speed, DegToRad(360.0 * j / count));
    CenterSlot(s);
    TSlotState& slot = Slots[static_cast<std::size_t>(s)];
    slot.Kind = kBurstParticle;
    slot.Timer = life;
    // Each particle loses 1/80 of its starting speed per frame.
    SetAcceleration(s, -slot.VelX / 80, -slot.VelY / 80);
  }
}

void TGame::MoveParticles() {
  for (std::int32_t p = FindActive(kFirstParticle, kLastParticle); p != -1;
       p = FindActive(p + 1, kLastParticle)) {
    MoveSlot(p);
    Accelerate(p);
    Sprite(p).Animate();
    TSlotState& slot = Slots[static_cast<std::size_t>(p)];
    if (slot.Timer != 0) {
      --slot.Timer;
      if (slot.Timer == 0) KillSlot(p);
    }
  }
}
