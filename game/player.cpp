// The player: the ship (slot 695) steered by the pad, its five-way spread of
// shots (640-689), its laser (550-553: two beams, each with a muzzle), its
// shield (694), and what happens when a block or a bullet reaches it.
#include <algorithm>
#include <limits>

#include "game/game.h"
#include "surfaces/brin_sprite.h"

namespace {

enum : std::int32_t { kShot = 1, kLaserBeam = 2, kLaserMuzzle = 3 };

constexpr std::int32_t kShieldCap = 250;
// Laser slots: a beam at 550 + 2i and its muzzle at 551 + 2i, for i = 0, 1.
constexpr std::int32_t kLaserParts = 4;

}  // namespace

void TGame::PlayerControl() {
  // Buttons 1 and 2 act on the frame they go down, from what the previous
  // poll saw; holding them does nothing more.
  for (std::size_t button = 1; button <= 2; ++button) {
    std::int32_t& held = HeldFrames[button];
    if (!Pad->ButtonDown(static_cast<int>(button))) {
      held = 0;
    } else if (held < std::numeric_limits<std::int32_t>::max()) {
      ++held;
    }
  }
  if (HeldFrames[1] == 1) LaserMode = !LaserMode;
  if (HeldFrames[2] == 1) UseBomb(BombKind);
  // The ship crawls while the laser is firing.
  const std::int32_t speed = LaserMode && Pad->ButtonDown(0) ? 2 : 5;

  Pad->Poll();
  TBrinSprReg& ship = Sprite(kPlayerSlot);
  // The ship's centre stays on the screen.
  ship.X = std::clamp(ship.X + speed * Pad->DirectionX(), -8, kScreenWidth - 8);
  ship.Y = std::clamp(ship.Y + speed * Pad->DirectionY(), -8, kScreenHeight - 8);
  PlayerCenterX = CenterX(kPlayerSlot);
  PlayerCenterY = CenterY(kPlayerSlot);

  bool laserFired = false;
  if (Pad->ButtonDown(0) && ShotCooldown == 0) {
    if (LaserMode) {
      FireLaser();
      laserFired = true;
    } else {
      FireSpread();
    }
  }
  if (!laserFired) StopLaser();
  if (ShotCooldown > 0) --ShotCooldown;
}

void TGame::FireSpread() {
  std::array<std::int32_t, 5> free{};
  std::int32_t s = kFirstShot - 1;
  for (std::int32_t& slot : free) {
    s = FindFree(s + 1, kLastShot);
    // A volley is all five shots or none.
    if (s == -1) return;
    slot = s;
  }
  const TBrinSprReg& ship = Sprite(kPlayerSlot);
  const std::int32_t x = ship.X;
  const std::int32_t y = ship.Y;
  for (std::int32_t j = 0; j < 5; ++j) {
    const std::int32_t shot = free[static_cast<std::size_t>(j)];
    SpawnSlot(shot, x + 2 * j, y);
    TBrinSprReg& sprite = Sprite(shot);
    sprite.IShape = 6;
    sprite.AnimFirst = 0;
    sprite.AnimLast = 3;
    sprite.PingPong = true;
    // A fan from 254 to 286 degrees, 8 degrees apart, straight up in the middle.
    SetVelocityPolar(shot, 12000, DegToRad(254 + 8 * j));
    Slots[static_cast<std::size_t>(shot)].Kind = kShot;
    SetAcceleration(shot, 0, 0);
  }
  ShotCooldown = 4;
}

void TGame::FireLaser() {
  if (LaserOn) return;
  const TBrinSprReg& ship = Sprite(kPlayerSlot);
  for (std::int32_t i = 0; i < 2; ++i) {
    const std::int32_t beam = kFirstLaser + 2 * i;
    const std::int32_t muzzle = beam + 1;
    SpawnSlot(beam, ship.X + 8 * i, 0);
    SpawnSlot(muzzle, ship.X + 8 * i, ship.Y);
    Sprite(beam).IShape = 10;
    Sprite(muzzle).IShape = 14;
    for (const std::int32_t part : {beam, muzzle}) {
      TBrinSprReg& sprite = Sprite(part);
      sprite.AnimFirst = 0;
      sprite.AnimLast = 3;
      sprite.PingPong = true;
      SetVelocity(part, 0, 0);
    }
    Slots[static_cast<std::size_t>(beam)].Kind = kLaserBeam;
    Slots[static_cast<std::size_t>(muzzle)].Kind = kLaserMuzzle;
  }
  LaserOn = true;
}

void TGame::UpdateLaser() {
  if (!LaserOn) return;
  const TBrinSprReg& ship = Sprite(kPlayerSlot);
  for (std::int32_t i = 0; i < kLaserParts; ++i) {
    const std::int32_t part = kFirstLaser + i;
    TSlotState& slot = Slots[static_cast<std::size_t>(part)];
    TBrinSprReg& sprite = Sprite(part);
    ++slot.Age;
    if (slot.Age % 2 != 0) sprite.Animate();
    const std::int32_t x = ship.X + 8 * (i / 2);
    if (slot.Kind == kLaserBeam) {
      // From the top of the screen down to the ship.
      SetSlotPos(part, x, 0);
      sprite.SetHeight(ship.Y);
    } else {
      SetSlotPos(part, x, ship.Y);
    }
  }
}

void TGame::StopLaser() {
  KillSlots(kFirstLaser, 5);
  LaserOn = false;
}

void TGame::MoveShots() {
  for (std::int32_t s = FindActive(kFirstShot, kLastShot); s != -1; s = FindActive(s + 1, kLastShot)) {
    MoveSlot(s);
    if (Slots[static_cast<std::size_t>(s)].Age % 2 != 0) Sprite(s).Animate();
    Accelerate(s);
  }
}

void TGame::ShotsHitBlocks() {
  for (std::int32_t s = FindActive(kFirstShot, kLastShot); s != -1; s = FindActive(s + 1, kLastShot)) {
    const std::int32_t b = FindOverlap(s, kFirstBlock, kLastBlock);
    if (b == -1) continue;
    const TBrinSprReg& shot = Sprite(s);
    SpawnShotSpark(shot.X + 4, shot.Y);
    // One shot hits one block.
    KillSlot(s);
    Score += 10;
    BlockHP[static_cast<std::size_t>(b)] -= 10;
    CheckBlockDestroyed(b);
  }
}

void TGame::LaserHitsBlocks() {
  for (std::int32_t l = FindActive(kFirstLaser, kLastLaser); l != -1; l = FindActive(l + 1, kLastLaser)) {
    // Every part strikes every block it touches: a block under both beams
    // and a muzzle is hit three times.
    for (std::int32_t b = FindOverlap(l, kFirstBlock, kLastBlock); b != -1;
         b = FindOverlap(l, b + 1, kLastBlock)) {
      const TBrinSprReg& block = Sprite(b);
      SpawnLaserSpark(Sprite(l).X + 4, block.Y + block.Height() / 2);
      Score += 10;
      BlockHP[static_cast<std::size_t>(b)] -= 24;
      CheckBlockDestroyed(b);
    }
  }
}

void TGame::AddShield(std::int32_t n) {
  const TBrinSprReg& ship = Sprite(kPlayerSlot);
  SpawnSlot(kShieldSlot, ship.X, ship.Y);
  Sprite(kShieldSlot).IShape = 1;
  ShieldTime = std::min(ShieldTime + n, kShieldCap);
}

void TGame::UpdateShield() {
  --ShieldTime;
  const TBrinSprReg& ship = Sprite(kPlayerSlot);
  SetSlotPos(kShieldSlot, ship.X, ship.Y);
  TBrinSprReg& shield = Sprite(kShieldSlot);
  // It blinks, showing two frames of three, and wears out in five steps.
  shield.Visible = ShieldTime % 3 != 0 && !GameOver;
  shield.IShape = (kShieldCap - ShieldTime) / 50 + 1;
  if (ShieldTime == 0) KillSlot(kShieldSlot);
}

void TGame::CheckBlockHit() {
  // The shielded ship passes through blocks.
  if (ShieldTime != 0) return;
  const std::int32_t b = FindOverlap(kPlayerSlot, kFirstBlock, kLastBlock);
  if (b == -1) return;
  // The ship takes the block with it.
  BlockHP[static_cast<std::size_t>(b)] = 0;
  CheckBlockDestroyed(b);
  AddShield(kShieldCap);
  VanishBullets();
  LoseLife();
}

void TGame::CheckBulletHits() {
  bool shielded = false;
  if (ShieldTime != 0) {
    UpdateShield();
    shielded = true;
  }
  for (std::int32_t b = FindActive(kFirstBullet, kLastBullet); b != -1; b = FindActive(b + 1, kLastBullet)) {
    const std::int64_t dx = PlayerCenterX - CenterX(b);
    const std::int64_t dy = PlayerCenterY - CenterY(b);
    // Centres closer than 4 pixels.
    if (dx * dx + dy * dy >= 16) continue;
    if (shielded) {
      KillSlot(b);
      continue;
    }
    AddShield(kShieldCap);
    VanishBullets();
    LoseLife();
    return;
  }
}

void TGame::LoseLife() {
  // About half the multiplier is kept, rounded down to a multiple of 10.
  Multiplier = std::max((Multiplier / 20) * 10, 100);
  --LivesLeft;
  if (LivesLeft != -1) {
    SpawnBurst(false);
    RequestSound(10, 1, 1);
  } else {
    SpawnBurst(true);
    RequestSound(11, 1, 2);
  }
}
