// The player: steering, the spread, the laser, the shield and lives.
#include <cmath>

#include "tests/game/field/field_helpers.h"

namespace {

using field_test::FieldTest;

class PlayerTest : public FieldTest {
 protected:
  // The player's part of a play frame.
  void Frame() {
    game->PlayerControl();
    game->UpdateLaser();
  }
  bool LaserShown() { return Slot(550).Active && Slot(551).Active && Slot(552).Active && Slot(553).Active; }
  // An 8 x 8 bullet centred DX, DY from the ship's centre.
  void BulletAt(int dx, int dy) { game->SpawnBullet(game->PlayerCenterX + dx, game->PlayerCenterY + dy, 0, 0.0); }
};

TEST_F(PlayerTest, TheShipMovesAndStaysOnTheScreen) {
  pad.X = 1;
  pad.Y = -1;
  Frame();
  EXPECT_EQ(Sprite(695).X, 317);
  EXPECT_EQ(Sprite(695).Y, 415);
  EXPECT_EQ(game->PlayerCenterX, 325);
  EXPECT_EQ(game->PlayerCenterY, 423);
  EXPECT_EQ(pad.Polls, 1);
  for (int i = 0; i < 200; ++i) Frame();
  EXPECT_EQ(Sprite(695).X, 632);
  EXPECT_EQ(Sprite(695).Y, -8);
  pad.X = -1;
  pad.Y = 1;
  for (int i = 0; i < 200; ++i) Frame();
  EXPECT_EQ(Sprite(695).X, -8);
  EXPECT_EQ(Sprite(695).Y, 472);

  // Firing the laser slows the ship to 2 pixels a frame.
  game->LaserMode = true;
  pad.Buttons[0] = true;
  pad.Y = -1;
  Frame();
  EXPECT_EQ(Sprite(695).Y, 470);
}

TEST_F(PlayerTest, HeldFireShootsAVolleyEveryFourFrames) {
  pad.Buttons[0] = true;
  std::vector<int> volleys;
  for (int frame = 0; frame < 13; ++frame) {
    const int before = Shots();
    game->PlayerControl();
    if (Shots() != before) volleys.push_back(frame);
  }
  EXPECT_EQ(volleys, (std::vector<int>{0, 4, 8, 12}));
  EXPECT_EQ(Shots(), 20);

  // A fan of five from 254 to 286 degrees at 12 pixels a frame, from the ship.
  for (int j = 0; j < 5; ++j) {
    const int s = 640 + j;
    const double angle = TGame::DegToRad(254 + 8 * j);
    EXPECT_EQ(Sprite(s).X, 312 + 2 * j);
    EXPECT_EQ(Sprite(s).Y, 420);
    EXPECT_EQ(Slot(s).VelX, static_cast<int>(std::trunc(std::cos(angle) * 12000)));
    EXPECT_EQ(Slot(s).VelY, static_cast<int>(std::trunc(std::sin(angle) * 12000)));
    EXPECT_EQ(Sprite(s).IShape, 6);
  }
  EXPECT_EQ(Slot(642).VelX, 0);
  EXPECT_EQ(Slot(642).VelY, -12000);
}

TEST_F(PlayerTest, AVolleyNeedsFiveFreeShotSlots) {
  for (int s = 640; s < 686; ++s) game->SpawnSlot(s, 10, 10);
  pad.Buttons[0] = true;
  game->PlayerControl();
  EXPECT_EQ(Shots(), 46);
  EXPECT_EQ(game->ShotCooldown, 0);
  game->KillSlot(650);
  game->PlayerControl();
  EXPECT_EQ(Shots(), 50);
  EXPECT_TRUE(Slot(650).Active);
  EXPECT_EQ(Sprite(689).X, 320);
}

TEST_F(PlayerTest, ShotsFlyAndHitOneBlockEach) {
  pad.Buttons[0] = true;
  game->PlayerControl();
  for (int i = 0; i < 3; ++i) game->MoveShots();
  EXPECT_EQ(Sprite(642).Y, 384);
  // Shots leave at the screen's top.
  for (int i = 0; i < 40; ++i) game->MoveShots();
  EXPECT_EQ(Shots(), 0);

  // Two blocks under one shot: only the first is struck.
  game->SpawnBlock(4, 100, 100, 0, 0.0);
  game->SpawnBlock(4, 104, 100, 0, 0.0);
  game->SpawnSlot(640, 104, 100);
  game->ShotsHitBlocks();
  EXPECT_FALSE(Slot(640).Active);
  EXPECT_EQ(HP(560), 40);
  EXPECT_EQ(HP(561), 50);
  EXPECT_EQ(game->Score, 10);
  // The spark is centred on the shot's tip.
  ASSERT_EQ(Particles(), 1);
  EXPECT_EQ(game->CenterX(70), 108);
  EXPECT_EQ(game->CenterY(70), 100);
}

TEST_F(PlayerTest, LaserReachesFromTheTopToTheShipAndHitsEveryThirdFrame) {
  game->LaserMode = true;
  pad.Buttons[0] = true;
  Frame();
  ASSERT_TRUE(game->LaserOn);
  ASSERT_TRUE(LaserShown());
  EXPECT_EQ(Sprite(550).X, 312);
  EXPECT_EQ(Sprite(552).X, 320);
  EXPECT_EQ(Sprite(550).Y, 0);
  EXPECT_EQ(Sprite(550).Height(), 420);
  EXPECT_EQ(Sprite(553).Y, 420);
  EXPECT_EQ(game->ShotCooldown, 0);

  // The beams follow the ship.
  pad.Y = -1;
  Frame();
  EXPECT_EQ(Sprite(552).Height(), 418);
  EXPECT_EQ(Sprite(551).Y, 418);

  // A 16-wide block under both beams takes 24 from each.
  game->SpawnBlock(4, 312, 100, 0, 0.0);
  game->LaserHitsBlocks();
  EXPECT_EQ(HP(560), 2);
  EXPECT_EQ(game->Score, 20);
  EXPECT_EQ(Particles(), 2);
  EXPECT_EQ(game->CenterY(70), 108);
  // Its fragments are born under the beams and go in the same sweep.
  game->LaserHitsBlocks();
  EXPECT_EQ(Blocks(), 0);
  EXPECT_EQ(game->ComboHits, 5);
  EXPECT_EQ(Bullets(), 8);

  // Letting go of fire switches the laser off.
  pad.Buttons[0] = false;
  Frame();
  EXPECT_FALSE(game->LaserOn);
  EXPECT_FALSE(Slot(550).Active);
  EXPECT_FALSE(Sprite(553).Visible);
}

TEST_F(PlayerTest, SwitchingWeaponsWhileFiring) {
  game->LaserMode = true;
  pad.Buttons[0] = true;
  Frame();
  ASSERT_TRUE(LaserShown());
  // Laser to spread: the laser goes and a volley leaves in the same frame.
  pad.Buttons[1] = true;
  Frame();
  EXPECT_FALSE(game->LaserMode);
  EXPECT_FALSE(game->LaserOn);
  EXPECT_FALSE(Slot(550).Active);
  EXPECT_EQ(Shots(), 5);
  // Holding the switch does not switch again.
  Frame();
  EXPECT_FALSE(game->LaserMode);
  // Spread to laser: the laser waits for the cooldown.
  pad.Buttons[1] = false;
  Frame();
  pad.Buttons[1] = true;
  Frame();
  EXPECT_TRUE(game->LaserMode);
  EXPECT_FALSE(game->LaserOn);
  EXPECT_EQ(game->ShotCooldown, 0);
  Frame();
  EXPECT_TRUE(game->LaserOn);
  EXPECT_EQ(Shots(), 5);
}

TEST_F(PlayerTest, TheBombButtonActsOncePerPress) {
  game->BombKind = 1;
  pad.Buttons[2] = true;
  for (int i = 0; i < 5; ++i) Frame();
  EXPECT_EQ(game->BombsLeft, 2);
  EXPECT_EQ(game->BombTime, 200);
  for (int press = 0; press < 3; ++press) {
    pad.Buttons[2] = false;
    Frame();
    pad.Buttons[2] = true;
    Frame();
  }
  EXPECT_EQ(game->BombsLeft, 0);
  // With none left the button does nothing.
  game->BombTime = 0;
  pad.Buttons[2] = false;
  Frame();
  pad.Buttons[2] = true;
  Frame();
  EXPECT_EQ(game->BombTime, 0);
  EXPECT_EQ(game->BombsLeft, 0);
}

TEST_F(PlayerTest, BulletsHitWithinFourPixelsOfTheShipsCentre) {
  BulletAt(3, 3);  // d2 = 18
  BulletAt(-3, 3);
  BulletAt(4, 0);  // d2 = 16
  game->CheckBulletHits();
  EXPECT_EQ(game->LivesLeft, 3);
  EXPECT_EQ(Bullets(), 3);

  BulletAt(2, 3);  // d2 = 13
  game->Multiplier = 3500;
  game->CheckBulletHits();
  EXPECT_EQ(game->LivesLeft, 2);
  EXPECT_EQ(game->ShieldTime, 250);
  EXPECT_EQ(game->Multiplier, 1750);
  EXPECT_TRUE(Slot(150).Vanishing);
  EXPECT_TRUE(Slot(153).Vanishing);
  EXPECT_EQ(Particles(), 30);
  EXPECT_TRUE(game->PlayRequest[10]);
}

TEST_F(PlayerTest, TheShieldAbsorbsBulletsAndBlinks) {
  game->AddShield(250);
  BulletAt(0, 0);
  BulletAt(1, -1);
  game->CheckBulletHits();
  EXPECT_EQ(Bullets(), 0);
  EXPECT_EQ(game->LivesLeft, 3);
  EXPECT_EQ(game->Score, 0);
  EXPECT_EQ(game->ShieldTime, 249);

  // Two frames shown out of three, wearing through five shapes.
  std::string blink;
  for (int i = 0; i < 9; ++i) {
    game->CheckBulletHits();
    blink += Sprite(694).Visible ? 'o' : '.';
  }
  EXPECT_EQ(blink, "oo.oo.oo.");
  EXPECT_EQ(Sprite(694).IShape, 1);
  game->ShieldTime = 50;
  game->CheckBulletHits();
  EXPECT_EQ(Sprite(694).IShape, 5);
  // It follows the ship and goes at the end.
  game->SetSlotPos(695, 100, 100);
  while (game->ShieldTime != 0) game->CheckBulletHits();
  EXPECT_EQ(Sprite(694).X, 100);
  EXPECT_FALSE(Slot(694).Active);
  EXPECT_FALSE(Sprite(694).Visible);

  // Once the game is over it is never shown.
  game->AddShield(100);
  game->GameOver = true;
  for (int i = 0; i < 6; ++i) {
    game->CheckBulletHits();
    EXPECT_FALSE(Sprite(694).Visible);
  }
}

TEST_F(PlayerTest, BlocksPassThroughTheShieldAndCostALifeWithout) {
  game->SpawnBlock(4, 316, 420, 0, 0.0);
  game->AddShield(10);
  game->CheckBlockHit();
  EXPECT_TRUE(Slot(560).Active);
  EXPECT_EQ(game->LivesLeft, 3);

  game->ShieldTime = 0;
  game->CheckBlockHit();
  EXPECT_EQ(game->LivesLeft, 2);
  EXPECT_EQ(game->ComboHits, 1);  // the ship destroyed it
  EXPECT_EQ(game->ShieldTime, 250);
  // Its fragments appear on the ship, which the fresh shield protects.
  EXPECT_EQ(Blocks(), 4);
  game->CheckBlockHit();
  EXPECT_EQ(game->LivesLeft, 2);
}

}  // namespace
