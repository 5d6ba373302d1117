// Object slots and their motion: the primitives every other part of the game
// builds on. Slot numbers are trusted (callers pass numbers from the fixed
// ranges in game.h); positions are kept both in the sprite entry (pixels)
// and in the slot (thousandths of a pixel).
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "game/game.h"
#include "surfaces/brin_sprite.h"

TBrinSprReg& TGame::Sprite(std::int32_t i) { return *Sprites->Entries[static_cast<std::size_t>(i)]; }

void TGame::SpawnSlot(std::int32_t i, std::int32_t x, std::int32_t y) {
  TSlotState& slot = Slots[static_cast<std::size_t>(i)];
  slot.Active = true;
  slot.Age = 0;
  slot.AccX = 0;
  slot.AccY = 0;
  TBrinSprReg& sprite = Sprite(i);
  sprite.AnimFrame = 0;
  sprite.Show();
  SetSlotPos(i, x, y);
}

void TGame::SetSlotPos(std::int32_t i, std::int32_t x, std::int32_t y) {
  TBrinSprReg& sprite = Sprite(i);
  sprite.X = x;
  sprite.Y = y;
  TSlotState& slot = Slots[static_cast<std::size_t>(i)];
  slot.FixX = 1000 * x;
  slot.FixY = 1000 * y;
}

void TGame::CenterSlot(std::int32_t i) {
  TBrinSprReg& sprite = Sprite(i);
  SetSlotPos(i, sprite.X - sprite.Width() / 2, sprite.Y - sprite.Height() / 2);
}

void TGame::KillSlot(std::int32_t i) {
  Slots[static_cast<std::size_t>(i)].Active = false;
  Sprite(i).Hide();
}

void TGame::KillSlots(std::int32_t first, std::int32_t count) {
  for (std::int32_t i = first; i < first + count; ++i) KillSlot(i);
}

std::int32_t TGame::FindFree(std::int32_t first, std::int32_t last) const {
  for (std::int32_t i = first; i <= last; ++i) {
    if (!Slots[static_cast<std::size_t>(i)].Active) return i;
  }
  return -1;
}

std::int32_t TGame::FindActive(std::int32_t first, std::int32_t last) const {
  for (std::int32_t i = first; i <= last; ++i) {
    if (Slots[static_cast<std::size_t>(i)].Active) return i;
  }
  return -1;
}

std::int32_t TGame::CountActive(std::int32_t first, std::int32_t last) const {
  std::int32_t count = 0;
  for (std::int32_t i = first; i <= last; ++i) {
    if (Slots[static_cast<std::size_t>(i)].Active) ++count;
  }
  return count;
}

void TGame::MoveSlot(std::int32_t i) {
  ExitCount = 0;
  TSlotState& slot = Slots[static_cast<std::size_t>(i)];
  slot.FixX += slot.VelX;
  slot.FixY += slot.VelY;
  ++slot.Age;
  TBrinSprReg& sprite = Sprite(i);
  sprite.X = static_cast<std::int32_t>(std::trunc(slot.FixX / 1000.0));
  sprite.Y = static_cast<std::int32_t>(std::trunc(slot.FixY / 1000.0));
  const bool onScreenX = -sprite.Width() <= sprite.X && sprite.X <= kScreenWidth;
  const bool onScreenY = -sprite.Height() <= sprite.Y && sprite.Y <= kScreenHeight;
  if (onScreenX && onScreenY) return;
  // Wholly off the screen: the object leaves play.
  slot.Active = false;
  sprite.Hide();
  ExitCount = 1;
}

void TGame::StepBack(std::int32_t i, std::int32_t sx, std::int32_t sy) {
  TSlotState& slot = Slots[static_cast<std::size_t>(i)];
  slot.FixX += sx * slot.VelX;
  slot.FixY += sy * slot.VelY;
  TBrinSprReg& sprite = Sprite(i);
  sprite.X = static_cast<std::int32_t>(std::trunc(slot.FixX / 1000.0));
  sprite.Y = static_cast<std::int32_t>(std::trunc(slot.FixY / 1000.0));
}

void TGame::Accelerate(std::int32_t i) {
  TSlotState& slot = Slots[static_cast<std::size_t>(i)];
  slot.VelX += slot.AccX;
  slot.VelY += slot.AccY;
}

void TGame::SetVelocity(std::int32_t i, std::int32_t vx, std::int32_t vy) {
  TSlotState& slot = Slots[static_cast<std::size_t>(i)];
  slot.VelX = vx;
  slot.VelY = vy;
}

void TGame::SetAcceleration(std::int32_t i, std::int32_t ax, std::int32_t ay) {
  TSlotState& slot = Slots[static_cast<std::size_t>(i)];
  slot.AccX = ax;
  slot.AccY = ay;
}

void TGame::SetVelocityPolar(std::int32_t i, std::int32_t speed, double angle) {
  SetVelocity(i, static_cast<std::int32_t>(std::trunc(std::cos(angle) * speed)),
              static_cast<std::int32_t>(std::trunc(std::sin(angle) * speed)));
}

std::int32_t TGame::CenterX(std::int32_t i) {
  const TBrinSprReg& sprite = Sprite(i);
  return sprite.X + sprite.Width() / 2;
}

std::int32_t TGame::CenterY(std::int32_t i) {
  const TBrinSprReg& sprite = Sprite(i);
  return sprite.Y + sprite.Height() / 2;
}

double TGame::AngleBetween(std::int32_t a, std::int32_t b) {
  return std::atan2(static_cast<double>(CenterY(b) - CenterY(a)), static_cast<double>(CenterX(b) - CenterX(a)));
}

std::int32_t TGame::FindOverlap(std::int32_t a, std::int32_t first, std::int32_t last) {
  const TBrinSprReg& spriteA = Sprite(a);
  const std::int32_t ax = CenterX(a);
  const std::int32_t ay = CenterY(a);
  for (std::int32_t b = FindActive(first, last); b != -1 && b <= last; b = FindActive(b + 1, last)) {
    const TBrinSprReg& spriteB = Sprite(b);
    const std::int32_t hw = (spriteA.Width() + spriteB.Width()) / 2;
    if (std::abs(ax - CenterX(b)) > hw) continue;
    const std::int32_t hh = (spriteA.Height() + spriteB.Height()) / 2;
    if (std::abs(ay - CenterY(b)) > hh) continue;
    return b;
  }
  return -1;
}

std::int32_t TGame::Random(std::int32_t n) {
  RandSeed = RandSeed * 134775813u + 1u;
  // The high half of seed * n lies in 0..n - 1. The game never asks for a
  // negative range; should it, the answer is 0 rather than a number outside it.
  if (n <= 0) return 0;
  const std::uint64_t product = std::uint64_t{RandSeed} * static_cast<std::uint32_t>(n);
  return static_cast<std::int32_t>(product >> 32);
}

double TGame::DegToRad(double d) { return d * std::numbers::pi / 180.0; }
