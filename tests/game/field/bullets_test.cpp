// Enemy bullets, their four patterns, and the particles.
#include <cmath>
#include <numbers>

#include "tests/game/field/field_helpers.h"

namespace {

using field_test::FieldTest;

class BulletsTest : public FieldTest {
 protected:
  // A small block of COLOUR centred at (320, 104), straight above the ship.
  int SmallBlock(int colour) {
    game->SpawnBlock(colour, 316, 100, 0, 0.0);
    return TGame::kFirstBlock;
  }
  double Speed(int b) { return std::hypot(Slot(b).VelX, Slot(b).VelY); }
  double Direction(int b) { return std::atan2(Slot(b).VelY, Slot(b).VelX); }
};

TEST_F(BulletsTest, AimedLinesGrowWithTheRound) {
  const int b = SmallBlock(0);
  game->FireAimedLine(b);
  ASSERT_EQ(Bullets(), 2);
  // At the ship (straight down) to within 0.1 radians, each 100 slower.
  EXPECT_NEAR(Direction(150), std::numbers::pi / 2, 0.1 + 1e-3);
  EXPECT_NEAR(Speed(150) - Speed(151), 100, 1.5);
  EXPECT_GE(Speed(150), 1799);
  EXPECT_LT(Speed(150), 2301);

  game->KillSlots(TGame::kFirstBullet, 400);
  game->RoundNumber = 2;
  game->FireAimedLine(b);
  EXPECT_EQ(Bullets(), 2);

  game->KillSlots(TGame::kFirstBullet, 400);
  game->RoundNumber = 5;
  game->FireAimedLine(b);
  EXPECT_EQ(Bullets(), 4);
  EXPECT_LT(Speed(150), 4301);
}

TEST_F(BulletsTest, RingsSpiralsAndSpraysFollowTheirRules) {
  const int b = SmallBlock(1);
  game->RoundNumber = 3;
  game->FireRing(b);
  ASSERT_EQ(Bullets(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(Speed(150 + i), 2900, 1.5);
  EXPECT_NEAR(std::remainder(Direction(151) - Direction(150), 2 * std::numbers::pi), std::numbers::pi / 2, 1e-3);

  // Spirals turn on from where the last one ended.
  game->KillSlots(TGame::kFirstBullet, 400);
  game->RoundNumber = 1;
  game->FireSpiral(b);
  ASSERT_EQ(Bullets(), 3);
  EXPECT_NEAR(Direction(150), 0.0, 1e-3);
  EXPECT_NEAR(Direction(152), 0.06, 1e-3);
  EXPECT_NEAR(Speed(152), 1500, 1.5);
  EXPECT_DOUBLE_EQ(game->SpiralAngle, 0.12);
  game->FireSpiral(b);
  EXPECT_NEAR(Direction(153), 0.12, 1e-3);

  // A spray draws its direction, then each bullet's speed and offset.
  game->KillSlots(TGame::kFirstBullet, 400);
  TGame reference;
  reference.RandSeed = game->RandSeed;
  game->FireSpray(b);
  ASSERT_EQ(Bullets(), 2);
  const double direction = TGame::DegToRad(reference.Random(360));
  for (int i = 0; i < 2; ++i) {
    const int speed = reference.Random(1000) + 2300;
    const double angle = reference.Random(500) / 1000.0 + direction - 0.25;
    EXPECT_EQ(Slot(150 + i).VelX, static_cast<int>(std::trunc(std::cos(angle) * speed)));
    EXPECT_EQ(Slot(150 + i).VelY, static_cast<int>(std::trunc(std::sin(angle) * speed)));
  }
  EXPECT_EQ(game->RandSeed, reference.RandSeed);
}

TEST_F(BulletsTest, BulletsLeavingTheScreenPayTheCombo) {
  game->ComboHits = 7;
  game->SpawnBullet(636, 200, 3000, 0.0);  // 8 x 8, leaves after its sprite passes x = 640
  game->SpawnBullet(300, 200, 3000, 0.0);
  game->MoveBullets();
  game->MoveBullets();
  EXPECT_EQ(Bullets(), 2);
  EXPECT_EQ(game->Score, 0);
  game->MoveBullets();
  EXPECT_EQ(Bullets(), 1);
  EXPECT_EQ(game->Score, 700);
}

TEST_F(BulletsTest, VanishingBulletsStopAndGoAfterNineFrames) {
  game->SpawnBullet(100, 100, 3000, 1.0);
  game->SpawnBullet(200, 100, 3000, 1.0);
  game->VanishBullets();
  EXPECT_EQ(game->ExitCount, 2);
  EXPECT_EQ(Sprite(150).IShape, 34);
  EXPECT_EQ(Slot(150).VelX, 0);
  // Bullets already vanishing are not counted again.
  game->SpawnBullet(300, 100, 3000, 1.0);
  game->VanishBullets();
  EXPECT_EQ(game->ExitCount, 1);
  for (int frame = 0; frame < 8; ++frame) game->MoveBullets();
  EXPECT_EQ(Bullets(), 3);
  EXPECT_EQ(Sprite(150).X, 96);
  game->MoveBullets();
  EXPECT_EQ(Bullets(), 0);
}

TEST_F(BulletsTest, FullRangesDropNewObjects) {
  for (int i = 0; i < 400; ++i) game->SpawnBullet(320, 240, 0, 0.0);
  ASSERT_EQ(Bullets(), 400);
  game->FireRing(SmallBlock(1));
  EXPECT_EQ(Bullets(), 400);

  for (int i = 0; i < 80; ++i) game->SpawnShotSpark(100, 100);
  EXPECT_EQ(Particles(), 80);
  game->SpawnLaserSpark(200, 200);
  EXPECT_EQ(Particles(), 80);
  EXPECT_EQ(Sprite(149).IShape, 20);
}

TEST_F(BulletsTest, SparksAreCentredAndShortLived) {
  game->SpawnShotSpark(100, 50);
  game->SpawnLaserSpark(200, 60);
  EXPECT_EQ(Sprite(70).X, 92);
  EXPECT_EQ(Sprite(70).Y, 42);
  EXPECT_EQ(Sprite(71).IShape, 25);
  game->MoveParticles();
  game->MoveParticles();
  EXPECT_EQ(Sprite(70).AnimFrame, 2);
  game->MoveParticles();
  EXPECT_FALSE(Slot(71).Active);
  EXPECT_TRUE(Slot(70).Active);
  game->MoveParticles();
  game->MoveParticles();
  EXPECT_FALSE(Slot(70).Active);
}

TEST_F(BulletsTest, BurstsSpreadFromTheShipAndSlowDown) {
  game->SpawnShotSpark(10, 10);
  game->SpawnBurst(false);
  EXPECT_EQ(Particles(), 30);
  EXPECT_NE(Slot(70).Kind, 1);  // the spark made way
  for (int p = 70; p < 100; ++p) {
    EXPECT_EQ(game->CenterX(p), 312);
    EXPECT_EQ(game->CenterY(p), 420);
    EXPECT_GE(Slot(p).Timer, 8);
    EXPECT_LE(Slot(p).Timer, 39);
    EXPECT_EQ(Sprite(p).AnimFrame, Slot(p).Timer % 8);
    EXPECT_GE(Speed(p), 1999);
    EXPECT_LT(Speed(p), 8001);
  }
  // Evenly round the circle: particle 15 of 30 points the other way.
  EXPECT_EQ(Slot(70).VelY, 0);
  EXPECT_GT(Slot(70).VelX, 0);
  EXPECT_LT(Slot(85).VelX, 0);
  const double before = Speed(70);
  game->MoveParticles();
  EXPECT_LT(Speed(70), before);
  for (int frame = 0; frame < 40; ++frame) game->MoveParticles();
  EXPECT_EQ(Particles(), 0);

  game->SpawnBurst(true);
  EXPECT_EQ(Particles(), 50);
}

}  // namespace
