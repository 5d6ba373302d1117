// The six bombs.
#include <cmath>

#include "tests/game/field/field_helpers.h"

namespace {

using field_test::FieldTest;

class BombsTest : public FieldTest {
 protected:
  void Detonate(int kind) {
    game->BombKind = kind;
    game->UseBomb(kind);
    game->UpdateBomb();
  }
};

TEST_F(BombsTest, BombsAreCountedAndLastByKind) {
  const int lasts[6] = {500, 200, 1, 1, 1, 1};
  for (int kind = 0; kind < 6; ++kind) {
    game->BombsLeft = 3;
    game->UseBomb(kind);
    EXPECT_EQ(game->BombTime, lasts[kind]);
    EXPECT_EQ(game->BombsLeft, 2);
  }
  game->BombsLeft = 0;
  game->BombTime = 0;
  game->UseBomb(0);
  EXPECT_EQ(game->BombTime, 0);
  EXPECT_EQ(game->BombsLeft, 0);
}

TEST_F(BombsTest, BlockStopHoldsBlocksForItsWholeTime) {
  game->SpawnBlock(4, 100, 100, 3000, 0.5);
  Detonate(0);
  EXPECT_EQ(Slot(560).VelX, 0);
  EXPECT_EQ(Slot(560).VelY, 0);
  // Blocks born while it lasts are stopped too.
  game->SpawnBlock(4, 200, 100, 3000, 0.5);
  game->UpdateBomb();
  EXPECT_EQ(Slot(561).VelX, 0);
  EXPECT_EQ(game->BombTime, 498);
  game->BombTime = 1;
  game->UpdateBomb();
  game->SpawnBlock(4, 300, 100, 3000, 0.5);
  game->UpdateBomb();
  EXPECT_NE(Slot(562).VelX, 0);
}

TEST_F(BombsTest, BulletEraseKeepsErasing) {
  game->SpawnBullet(100, 100, 2000, 0.0);
  Detonate(1);
  EXPECT_TRUE(Slot(150).Vanishing);
  game->SpawnBullet(200, 100, 2000, 0.0);
  game->UpdateBomb();
  EXPECT_TRUE(Slot(151).Vanishing);
  EXPECT_EQ(game->BombTime, 198);
}

TEST_F(BombsTest, KeepAwaySetsRestingBlocksMoving) {
  game->BuildStage(1, 4);  // 25 blocks of size 16 above the ship
  game->SpawnBullet(320, 300, 1000, 0.0);
  Detonate(2);
  for (int b : Live(TGame::kFirstBlock, TGame::kLastBlock)) {
    const double away = game->AngleBetween(TGame::kPlayerSlot, b);
    EXPECT_NEAR(std::hypot(Slot(b).VelX, Slot(b).VelY), 2000, 1.5);
    EXPECT_EQ(Slot(b).VelX, static_cast<int>(std::trunc(std::cos(away) * 2000)));
    EXPECT_LT(Slot(b).VelY, 0);  // up, away from the ship below
  }
  EXPECT_EQ(Slot(150).VelY, -5000);
  EXPECT_EQ(game->BombTime, 0);
  // They bounce round the screen from then on.
  int bounces = 0;
  for (int frame = 0; frame < 500; ++frame) {
    const bool up = Slot(560).VelY < 0;
    game->MoveBlocks();
    if (up != (Slot(560).VelY < 0)) ++bounces;
  }
  EXPECT_EQ(Blocks(), 25);
  EXPECT_GE(bounces, 2);
}

TEST_F(BombsTest, ConcentrateDrawsEverythingToTheShip) {
  game->SpawnBlock(12, 100, 100, 0, 0.0);
  game->SpawnBullet(500, 428, 1000, 3.0);
  Detonate(3);
  const double towards = game->AngleBetween(560, TGame::kPlayerSlot);
  EXPECT_EQ(Slot(560).VelX, static_cast<int>(std::trunc(std::cos(towards) * 2000)));
  EXPECT_GT(Slot(560).VelY, 0);
  EXPECT_EQ(Slot(150).VelX, -2000);
  EXPECT_EQ(Slot(150).VelY, 0);
}

TEST_F(BombsTest, AllDamageStrikesOneGeneration) {
  game->SpawnBlock(4, 100, 100, 0, 0.0);   // 50: destroyed
  game->SpawnBlock(12, 200, 100, 0, 0.0);  // 500: damaged
  game->SpawnBlock(0, 300, 100, 0, 0.0);   // 10: destroyed, fires
  game->MoveBlocks();
  game->SpawnBlock(8, 400, 100, 0, 0.0);  // not moved yet: spared
  Detonate(4);
  EXPECT_EQ(HP(561), 450);
  EXPECT_FALSE(Slot(562).Active);
  EXPECT_EQ(game->ComboHits, 2);
  EXPECT_EQ(Bullets(), 2);
  // The four fragments of the first block took slots 560, 564, 565, 566.
  EXPECT_EQ(Blocks(), 6);
  EXPECT_EQ(HP(563), 200);
  for (int b : {560, 564, 565, 566}) {
    EXPECT_EQ(Slot(b).Kind, 0);
    EXPECT_EQ(HP(b), 10);
  }
}

TEST_F(BombsTest, SameColorKeepsSizesAndHitPoints) {
  const int kinds[5] = {1, 6, 11, 12, 3};
  for (int i = 0; i < 5; ++i) game->SpawnBlock(kinds[i], 40 * i, 100, 0, 0.0);
  HP(561) = 7;
  TGame reference;
  reference.RandSeed = game->RandSeed;
  const int colour = reference.Random(4);
  Detonate(5);
  for (int i = 0; i < 5; ++i) {
    const int b = 560 + i;
    EXPECT_EQ(Slot(b).Kind, kinds[i] / 4 * 4 + colour);
    EXPECT_EQ(Sprite(b).IShape, 200 + Slot(b).Kind);
    EXPECT_EQ(Sprite(b).Width(), 8 * (kinds[i] / 4 + 1));
  }
  EXPECT_EQ(HP(561), 7);
  EXPECT_EQ(HP(563), 500);
  // The family now ends in the new colour's pattern.
  const int patternBullets[4] = {2, 3, 3, 2};
  HP(560) = 0;
  game->CheckBlockDestroyed(560);
  EXPECT_EQ(Bullets(), patternBullets[colour]);
}

TEST_F(BombsTest, BombNamesAreCentred) {
  EXPECT_STREQ(TGame::BombName(2), "KEEP AWAY");
  EXPECT_STREQ(TGame::BombName(6), "");
  for (int i = 0; i < 15; ++i) game->SpawnSlot(11 + i, 240 + 16 * i, 160);
  game->MenuRow = 1;
  game->ShowBombName();
  // "BULLET ERASE": 12 characters from x = 224.
  EXPECT_EQ(Sprite(11).X, 224);
  EXPECT_EQ(Sprite(22).X, 400);
  EXPECT_EQ(Sprite(11).IShape, 71 + 'B' - 32);
  EXPECT_TRUE(Sprite(22).Visible);
  EXPECT_FALSE(Sprite(23).Visible);
  game->MenuRow = 2;
  game->ShowBombName();
  EXPECT_EQ(Sprite(11).X, 248);
  EXPECT_FALSE(Sprite(20).Visible);
}

}  // namespace
