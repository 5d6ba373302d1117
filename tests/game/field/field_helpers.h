// What the play-field tests share: a game with the ship in its starting
// place, and short ways to read slots.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/game.h"
#include "surfaces/brin_sprite.h"
#include "tests/game/support/game_fixture.h"

namespace field_test {

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game = game_test::MakeGame(pad);
    // The ship where a game starts it, with no shield unless a test wants one.
    game->SpawnSlot(TGame::kPlayerSlot, 312, 420);
    game->Sprite(TGame::kPlayerSlot).IShape = 0;
    game->ShieldTime = 0;
    RefreshPlayerCentre();
  }

  void RefreshPlayerCentre() {
    game->PlayerCenterX = game->CenterX(TGame::kPlayerSlot);
    game->PlayerCenterY = game->CenterY(TGame::kPlayerSlot);
  }

  TSlotState& Slot(int i) { return game->Slots[static_cast<std::size_t>(i)]; }
  TBrinSprReg& Sprite(int i) { return game->Sprite(i); }
  std::int32_t& HP(int i) { return game->BlockHP[static_cast<std::size_t>(i)]; }

  std::vector<int> Live(int first, int last) {
    std::vector<int> live;
    for (int i = first; i <= last; ++i) {
      if (Slot(i).Active) live.push_back(i);
    }
    return live;
  }
  int Blocks() { return game->CountActive(TGame::kFirstBlock, TGame::kLastBlock); }
  int Bullets() { return game->CountActive(TGame::kFirstBullet, TGame::kLastBullet); }
  int Shots() { return game->CountActive(TGame::kFirstShot, TGame::kLastShot); }
  int Particles() { return game->CountActive(TGame::kFirstParticle, TGame::kLastParticle); }

  game_test::TScriptedPad pad;
  std::unique_ptr<TGame> game;
};

}  // namespace field_test
