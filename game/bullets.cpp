// Enemy bullets (slots 150-549): the patterns the smallest blocks release
// when destroyed, one per colour, denser and faster with each round. A
// bullet flies straight until it leaves the screen or is made to vanish;
// a vanishing bullet stays put for nine frames of its fading animation and
// can still hit the ship meanwhile.
#include <cmath>
#include <numbers>

#include "game/game.h"
#include "surfaces/brin_sprite.h"

void TGame::SpawnBullet(std::int32_t x, std::int32_t y, std::int32_t speed, double angle) {
  const std::int32_t s = FindFree(kFirstBullet, kLastBullet);
  if (s == -1) return;
  SpawnSlot(s, x, y);
  TBrinSprReg& sprite = Sprite(s);
  sprite.IShape = 30;
  sprite.AnimFirst = 0;
  sprite.AnimLast = 3;
  sprite.PingPong = true;
  // Centred on the point it is fired from.
  CenterSlot(s);
  SetVelocityPolar(s, speed, angle);
  TSlotState& slot = Slots[static_cast<std::size_t>(s)];
  slot.Vanishing = false;
  slot.Timer = 0;
}

void TGame::MoveBullets() {
  for (std::int32_t b = FindActive(kFirstBullet, kLastBullet); b != -1; b = FindActive(b + 1, kLastBullet)) {
    MoveSlot(b);
    // Every bullet that got away pays out the running combo.
    Score += std::int64_t{ExitCount} * ComboHits * 100;
    if (Slots[static_cast<std::size_t>(b)].Age % 2 == 0) Sprite(b).Animate();
    TSlotState& slot = Slots[static_cast<std::size_t>(b)];
    if (slot.Vanishing) {
      --slot.Timer;
      if (slot.Timer == 0) KillSlot(b);
    }
  }
}

void TGame::VanishBullets() {
  ExitCount = 0;
  for (std::int32_t b = FindActive(kFirstBullet, kLastBullet); b != -1; b = FindActive(b + 1, kLastBullet)) {
    TSlotState& slot = Slots[static_cast<std::size_t>(b)];
    if (slot.Vanishing) continue;
    TBrinSprReg& sprite = Sprite(b);
    sprite.IShape = 34;
    sprite.AnimFirst = 0;
    sprite.AnimLast = 4;
    sprite.AnimFrame = 0;
    slot.VelX = 0;
    slot.VelY = 0;
    slot.Age = 0;
    slot.Vanishing = true;
    slot.Timer = 9;
    ++ExitCount;
  }
}

// --- the shared shapes of the patterns -------------------------------------------
// Every pattern fires from the centre of the destroyed block b.

void TGame::FireStepped(std::int32_t b, std::int32_t n, std::int32_t speed, double angle, std::int32_t dSpeed,
                        double dAngle) {
  const std::int32_t x = CenterX(b);
  const std::int32_t y = CenterY(b);
  for (std::int32_t i = 0; i < n; ++i) {
    SpawnBullet(x, y, speed, angle);
    speed += dSpeed;
    angle += dAngle;
  }
}

void TGame::FireCircle(std::int32_t b, std::int32_t n, std::int32_t speed, double angle) {
  const std::int32_t x = CenterX(b);
  const std::int32_t y = CenterY(b);
  for (std::int32_t i = 0; i < n; ++i) SpawnBullet(x, y, speed, angle + 2.0 * std::numbers::pi * i / n);
}

void TGame::FireScatter(std::int32_t b, std::int32_t n, std::int32_t base, double angle, double spread,
                        double width) {
  const std::int32_t x = CenterX(b);
  const std::int32_t y = CenterY(b);
  for (std::int32_t i = 0; i < n; ++i) {
    // The speed is drawn before the direction.
    const std::int32_t speed = Random(static_cast<std::int32_t>(std::trunc(spread))) + base;
    const double a = Random(static_cast<std::int32_t>(std::trunc(width * 2000))) / 1000.0 + angle - width;
    SpawnBullet(x, y, speed, a);
  }
}

// --- the four patterns -----------------------------------------------------------

void TGame::FireAimedLine(std::int32_t b) {
  const std::int32_t round = RoundNumber;
  // Aimed at the ship to within 0.1 radians; the direction is drawn first.
  const double angle = AngleBetween(b, kPlayerSlot) + (Random(201) - 100) / 1000.0;
  const std::int32_t speed = Random(500 * round) + 1800;
  FireStepped(b, (round - 1) / 2 + 2, speed, angle, -100, 0.0);
}

void TGame::FireRing(std::int32_t b) {
  const std::int32_t round = RoundNumber;
  FireCircle(b, (round - 1) / 2 + 3, 300 * round + 2000, DegToRad(Random(360)));
}

void TGame::FireSpiral(std::int32_t b) {
  const std::int32_t n = RoundNumber / 2 + 3;
  FireStepped(b, n, ((RoundNumber - 1) / 2) * 300 + 1500, SpiralAngle, 0, 0.03);
  // The next spiral block carries on a little past where this arc ended.
  SpiralAngle += (n + 1) * 0.03;
}

void TGame::FireSpray(std::int32_t b) {
  const double angle = DegToRad(Random(360));
  FireScatter(b, RoundNumber / 2 + 2, 2300, angle, ((RoundNumber - 1) / 2) * 500 + 1000, 0.25);
}
