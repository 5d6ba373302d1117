// What the game's tests share: a fresh game with its sprite table and every
// shape registered (on no sheet: shapes have their sizes but nothing is
// drawn), and a pad whose state a test sets frame by frame.
#pragma once

#include <array>
#include <memory>

#include "game/game.h"
#include "surfaces/brin_sprite.h"

namespace game_test {

// A pad the test holds: Poll counts the polls, the rest answers what the
// test last set.
class TScriptedPad : public TGamePad {
 public:
  void Poll() override { ++Polls; }
  int DirectionX() const override { return X; }
  int DirectionY() const override { return Y; }
  bool ButtonDown(int Index) const override {
    return Index >= 0 && Index < static_cast<int>(Buttons.size()) && Buttons[static_cast<std::size_t>(Index)];
  }
  void Release() {
    X = 0;
    Y = 0;
    Buttons.fill(false);
  }

  int X = 0;
  int Y = 0;
  std::array<bool, 3> Buttons{};
  int Polls = 0;
};

// A game as start-up leaves it, minus the display, the sounds and the
// ranking file: sprite table, shapes, block hit points, the title's state.
inline std::unique_ptr<TGame> MakeGame(TScriptedPad& pad) {
  auto game = std::make_unique<TGame>();
  game->CreateSprites();
  game->RegisterShapes(nullptr, nullptr, nullptr);
  game->FillBlockMaxHP();
  game->SetupSounds();  // no sound component: busy times only
  game->Pad = &pad;
  return game;
}

}  // namespace game_test
