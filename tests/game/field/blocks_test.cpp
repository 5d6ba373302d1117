// Blocks and stages: placement, motion, destruction and the stage tables.
#include <cmath>

#include "tests/game/field/field_helpers.h"

namespace {

using field_test::FieldTest;

class BlocksTest : public FieldTest {};

TEST_F(BlocksTest, RowsAreCentredOnTheScreen) {
  game->PlaceRow(0, 25, 8, 30);
  ASSERT_EQ(Blocks(), 25);
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(Sprite(560 + i).X, 124 + 16 * i);
    EXPECT_EQ(Sprite(560 + i).Y, 30);
  }
  EXPECT_EQ(Sprite(560).IShape, 200);
}

TEST_F(BlocksTest, AFullBlockRangeDropsNewBlocks) {
  for (int i = 0; i < 80; ++i) game->SpawnBlock(0, 8 * (i % 40), 100 + 8 * (i / 40), 0, 0.0);
  ASSERT_EQ(Blocks(), 80);
  game->SpawnBlock(12, 300, 300, 0, 0.0);
  EXPECT_EQ(Blocks(), 80);
  for (int b = TGame::kFirstBlock; b <= TGame::kLastBlock; ++b) EXPECT_EQ(Slot(b).Kind, 0);

  // A block that splits with one slot free leaves one fragment.
  game->KillSlot(600);
  game->SpawnBlock(4, 300, 300, 0, 0.0);
  HP(600) = 0;
  game->CheckBlockDestroyed(600);
  EXPECT_EQ(Blocks(), 80);
  EXPECT_EQ(Slot(600).Kind, 0);
  EXPECT_EQ(Sprite(600).X, 304);
}

TEST_F(BlocksTest, BlocksBounceOffEveryEdgeOnOneAxis) {
  game->SpawnBlock(0, 1, 100, 0, 0.0);  // 8 x 8, moving left and a little down
  game->SetVelocity(560, -3000, 500);
  game->SpawnBlock(4, 100, 463, 0, 0.0);  // 16 x 16, falling onto the bottom
  game->SetVelocity(561, 0, 2000);
  game->SpawnBlock(12, 608, 1, 0, 0.0);  // 32 x 32, up and to the right
  game->SetVelocity(562, 1500, -2500);

  game->MoveBlocks();
  EXPECT_EQ(Sprite(560).X, 1);
  EXPECT_EQ(Slot(560).VelX, 3000);
  EXPECT_EQ(Slot(560).FixY, 100500);  // the vertical motion went on
  EXPECT_EQ(Slot(560).VelY, 500);
  EXPECT_EQ(Sprite(561).Y, 463);
  EXPECT_EQ(Slot(561).VelY, -2000);
  EXPECT_EQ(Sprite(562).X, 608);
  EXPECT_EQ(Sprite(562).Y, 1);
  EXPECT_EQ(Slot(562).VelX, -1500);
  EXPECT_EQ(Slot(562).VelY, 2500);

  // Left alone they keep bouncing round the screen and never leave it.
  for (int frame = 0; frame < 2000; ++frame) game->MoveBlocks();
  EXPECT_EQ(Blocks(), 3);
  for (int b = 560; b <= 562; ++b) {
    EXPECT_GE(Sprite(b).X, 0);
    EXPECT_LE(Sprite(b).X, 640 - Sprite(b).Width());
    EXPECT_GE(Sprite(b).Y, 0);
    EXPECT_LE(Sprite(b).Y, 480 - Sprite(b).Height());
  }
}

TEST_F(BlocksTest, DestructionScoresAndRunsTheCombo) {
  game->SpawnBlock(4, 100, 100, 0, 0.0);
  game->SpawnBlock(4, 200, 100, 0, 0.0);
  HP(560) = 1;
  game->CheckBlockDestroyed(560);
  EXPECT_TRUE(Slot(560).Active);
  EXPECT_EQ(game->Score, 0);
  EXPECT_FALSE(game->BlockDestroyed);

  game->ComboTimer = -1;  // a fresh stage: the combo is not running
  HP(560) = 0;
  game->CheckBlockDestroyed(560);
  EXPECT_EQ(game->Multiplier, 200);
  EXPECT_EQ(game->Score, 200);
  EXPECT_EQ(game->ComboTimer, 50);
  EXPECT_TRUE(game->BlockDestroyed);
  // The second in the same frame earns the full combo step.
  HP(561) = -5;
  game->CheckBlockDestroyed(561);
  EXPECT_EQ(game->Multiplier, 400);
  EXPECT_EQ(game->Score, 600);
  EXPECT_EQ(game->ComboHits, 2);
}

TEST_F(BlocksTest, BigBlocksSplitIntoFragmentsOfTheirColour) {
  game->SpawnBlock(12, 100, 200, 0, 0.0);
  HP(560) = 0;
  // The fragments draw speed, then direction, each in turn.
  TGame reference;
  game->CheckBlockDestroyed(560);
  ASSERT_EQ(Blocks(), 4);
  for (int b = 560; b < 564; ++b) {
    EXPECT_EQ(Slot(b).Kind, 4);
    EXPECT_EQ(HP(b), 50);
    EXPECT_EQ(Sprite(b).X, 108);
    EXPECT_EQ(Sprite(b).Y, 208);
    const std::int32_t speed = reference.Random(3000) + 1000;
    const double angle = TGame::DegToRad(reference.Random(360));
    EXPECT_EQ(Slot(b).VelX, static_cast<std::int32_t>(std::trunc(std::cos(angle) * speed)));
    EXPECT_EQ(Slot(b).VelY, static_cast<std::int32_t>(std::trunc(std::sin(angle) * speed)));
  }
  EXPECT_EQ(Bullets(), 0);

  // Size 24 (colour 2): one of size 16 at +4, then five of size 8 at +8.
  game->KillSlots(TGame::kFirstBlock, 80);
  game->SpawnBlock(10, 300, 100, 0, 0.0);
  HP(560) = 0;
  game->CheckBlockDestroyed(560);
  ASSERT_EQ(Blocks(), 6);
  EXPECT_EQ(Slot(560).Kind, 6);
  EXPECT_EQ(Sprite(560).X, 304);
  for (int b = 561; b < 566; ++b) {
    EXPECT_EQ(Slot(b).Kind, 2);
    EXPECT_EQ(Sprite(b).Y, 108);
    EXPECT_EQ(HP(b), 10);
  }
}

TEST_F(BlocksTest, SmallBlocksReleaseTheirColoursPattern) {
  // Round 1: aimed line 2, ring 3, spiral 3, spray 2 bullets.
  const int expected[4] = {2, 3, 3, 2};
  for (int colour = 0; colour < 4; ++colour) {
    game->KillSlots(TGame::kFirstBullet, 400);
    game->SpawnBlock(colour, 316, 100, 0, 0.0);
    HP(560) = 0;
    game->CheckBlockDestroyed(560);
    EXPECT_EQ(Blocks(), 0);
    EXPECT_EQ(Bullets(), expected[colour]) << "colour " << colour;
    // Fired from the block's centre.
    EXPECT_EQ(game->CenterX(TGame::kFirstBullet), 320);
    EXPECT_EQ(game->CenterY(TGame::kFirstBullet), 104);
  }
}

// Blocks each stage places, from the stage tables.
constexpr int kStageBlocks[2][25] = {
    {74, 20, 45, 25, 30, 28, 58, 50, 27, 29, 29, 29, 58, 61, 64, 34, 46, 55, 20, 39, 39, 28, 56, 56, 32},
    {70, 57, 50, 35, 48, 30, 51, 64, 28, 35, 40, 36, 29, 60, 61, 58, 43, 30, 34, 62, 40, 40, 28, 31, 58},
};

TEST_F(BlocksTest, EveryStageFitsTheScreenAndTheBlockRange) {
  for (int area = 1; area <= 2; ++area) {
    for (int stage = 1; stage <= 25; ++stage) {
      game->KillSlots(TGame::kFirstBlock, 80);
      ASSERT_TRUE(game->BuildStage(area, stage));
      const int count = Blocks();
      EXPECT_EQ(count, kStageBlocks[area - 1][stage - 1]) << "area " << area << " stage " << stage;
      EXPECT_LE(count, 80);
      for (int b : Live(TGame::kFirstBlock, TGame::kLastBlock)) {
        const TBrinSprReg& s = Sprite(b);
        EXPECT_TRUE(s.X >= 0 && s.X + s.Width() <= 640 && s.Y >= 0 && s.Y + s.Height() <= 480)
            << "area " << area << " stage " << stage << " slot " << b;
        EXPECT_EQ(Slot(b).VelX, 0);
        EXPECT_EQ(Slot(b).VelY, 0);
        EXPECT_EQ(HP(b), game->BlockMaxHP[static_cast<std::size_t>(Slot(b).Kind)]);
      }
    }
  }
  game->KillSlots(TGame::kFirstBlock, 80);
  EXPECT_FALSE(game->BuildStage(1, 0));
  EXPECT_FALSE(game->BuildStage(2, 26));
  EXPECT_EQ(Blocks(), 0);
}

TEST_F(BlocksTest, StageLayoutsFollowTheirPlacementOrder) {
  // Area 2 stage 7: a row of 50 small blocks, then one size-24 block.
  game->BuildStage(2, 7);
  EXPECT_EQ(Slot(609).Kind, 2);
  EXPECT_EQ(Slot(610).Kind, 10);
  EXPECT_EQ(Sprite(610).X, 308);
  EXPECT_EQ(Sprite(610).Y, 80);
  EXPECT_EQ(HP(610), 200);

  // Area 1 stage 2: two columns from the top, x 300 and 340.
  game->KillSlots(TGame::kFirstBlock, 80);
  game->BuildStage(1, 2);
  EXPECT_EQ(Sprite(560).X, 296);
  EXPECT_EQ(Sprite(569).Y, 216);
  EXPECT_EQ(Sprite(570).X, 336);
  EXPECT_EQ(Sprite(570).Y, 0);

  // Area 1 stage 19: the first slanted row climbs from y 256.
  game->KillSlots(TGame::kFirstBlock, 80);
  game->BuildStage(1, 19);
  EXPECT_EQ(Sprite(560).Y, 256);
  EXPECT_EQ(Sprite(569).Y, 256 - 9 * 24);
  EXPECT_EQ(Sprite(570).Y, 40);
}

TEST_F(BlocksTest, NextStagePaysTheBonusAndBuildsTheStage) {
  game->Area = 1;
  game->StageNumber = 1;
  game->ComboHits = 5;
  game->Multiplier = 300;
  game->ComboTimer = 12;
  game->ShieldTime = 200;
  for (int i = 0; i < 3; ++i) game->SpawnBullet(100 + 20 * i, 300, 1000, 0.0);
  game->NextStage();
  // The three bullets in flight join the combo before the bonus is paid.
  EXPECT_EQ(game->ComboHits, 8);
  EXPECT_EQ(game->Multiplier, 380);
  EXPECT_TRUE(Slot(TGame::kFirstBullet).Vanishing);
  EXPECT_EQ(game->ComboTimer, -1);
  EXPECT_EQ(game->StageBannerTime, 150);
  EXPECT_EQ(game->ShieldTime, 250);
  EXPECT_TRUE(Slot(TGame::kShieldSlot).Active);
  EXPECT_EQ(Blocks(), 74);

  // A lost bonus is not paid, but armed again for the next stage.
  game->KillSlots(TGame::kFirstBlock, 80);
  game->ComboBonusArmed = false;
  game->StageNumber = 2;
  game->NextStage();
  EXPECT_EQ(game->Multiplier, 380);
  EXPECT_TRUE(game->ComboBonusArmed);
  EXPECT_EQ(Blocks(), 20);
}

}  // namespace
