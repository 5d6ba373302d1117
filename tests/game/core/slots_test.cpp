// The primitives every part of the game stands on: object slots and their
// motion, the random generator, sprite text and sound requests.
#include <gtest/gtest.h>

#include <string_view>

#include "tests/game/support/game_fixture.h"

namespace {

constexpr std::int32_t kPlayerShape = 0;  // 16 x 16
constexpr std::int32_t kBulletShape = 30;  // 8 x 8

class SlotsTest : public ::testing::Test {
 protected:
  game_test::TScriptedPad pad;
  std::unique_ptr<TGame> game = game_test::MakeGame(pad);

  void Place(std::int32_t i, std::int32_t shape, std::int32_t x, std::int32_t y) {
    game->Sprite(i).IShape = shape;
    game->SpawnSlot(i, x, y);
  }
};

TEST_F(SlotsTest, FullRangeFindsNoFreeSlotUntilOneIsKilled) {
  for (std::int32_t i = TGame::kFirstBullet; i <= TGame::kLastBullet; ++i) Place(i, kBulletShape, 0, 0);
  EXPECT_EQ(game->FindFree(TGame::kFirstBullet, TGame::kLastBullet), -1);
  EXPECT_EQ(game->CountActive(TGame::kFirstBullet, TGame::kLastBullet), 400);
  EXPECT_EQ(game->FindActive(TGame::kFirstBlock, TGame::kLastBlock), -1);

  game->KillSlot(300);
  EXPECT_EQ(game->FindFree(TGame::kFirstBullet, TGame::kLastBullet), 300);
  EXPECT_FALSE(game->Sprite(300).Visible);
  EXPECT_EQ(game->FindFree(10, 9), -1);

  game->KillSlots(150, 0);
  EXPECT_TRUE(game->Slots[150].Active);
  game->KillSlots(150, 2);
  EXPECT_FALSE(game->Slots[151].Active);
  EXPECT_TRUE(game->Slots[152].Active);
}

TEST_F(SlotsTest, SpawnResetsMotionButKeepsWhatTheSpawnerOwns) {
  TSlotState& slot = game->Slots[200];
  slot = {false, 7, 33, 0, 0, 5, 6, 1, 2, true, 9};
  game->Sprite(200).AnimFrame = 3;
  game->SpawnSlot(200, 10, -20);
  EXPECT_TRUE(slot.Active);
  EXPECT_EQ(slot.Age, 0);
  EXPECT_EQ(slot.AccX, 0);
  EXPECT_EQ(slot.AccY, 0);
  EXPECT_EQ(slot.FixX, 10000);
  EXPECT_EQ(slot.FixY, -20000);
  EXPECT_EQ(slot.Kind, 7);
  EXPECT_EQ(slot.VelX, 5);
  EXPECT_TRUE(slot.Vanishing);
  EXPECT_EQ(slot.Timer, 9);
  EXPECT_EQ(game->Sprite(200).AnimFrame, 0);
  EXPECT_TRUE(game->Sprite(200).Visible);
}

TEST_F(SlotsTest, ObjectLeavesPlayOnlyWhenWhollyOffScreen) {
  Place(200, kPlayerShape, 639, 100);
  game->SetVelocity(200, 1000, 0);
  game->MoveSlot(200);
  EXPECT_EQ(game->Sprite(200).X, 640);
  EXPECT_TRUE(game->Slots[200].Active);
  EXPECT_EQ(game->ExitCount, 0);
  game->MoveSlot(200);
  EXPECT_EQ(game->Sprite(200).X, 641);
  EXPECT_FALSE(game->Slots[200].Active);
  EXPECT_FALSE(game->Sprite(200).Visible);
  EXPECT_EQ(game->ExitCount, 1);

  // The left and top edges allow the sprite's own size.
  Place(201, kPlayerShape, -15, -15);
  game->SetVelocity(201, -1000, -1000);
  game->MoveSlot(201);
  EXPECT_TRUE(game->Slots[201].Active);
  game->MoveSlot(201);
  EXPECT_FALSE(game->Slots[201].Active);
}

TEST_F(SlotsTest, PositionsTruncateTowardZeroAndStepBackUndoesOneAxis) {
  Place(200, kPlayerShape, 0, 10);
  game->SetVelocity(200, -500, 1500);
  game->MoveSlot(200);
  EXPECT_EQ(game->Sprite(200).X, 0);  // -0.5 pixel
  EXPECT_EQ(game->Sprite(200).Y, 11);
  EXPECT_EQ(game->Slots[200].Age, 1);
  game->StepBack(200, 0, -1);
  EXPECT_EQ(game->Slots[200].FixY, 10000);
  EXPECT_EQ(game->Slots[200].FixX, -500);

  game->SetVelocityPolar(200, 12000, TGame::DegToRad(270));
  EXPECT_EQ(game->Slots[200].VelX, 0);
  EXPECT_EQ(game->Slots[200].VelY, -12000);
}

TEST_F(SlotsTest, CenterSlotAndAngles) {
  Place(200, kPlayerShape, 100, 100);
  game->CenterSlot(200);
  EXPECT_EQ(game->Sprite(200).X, 92);
  EXPECT_EQ(game->Sprite(200).Y, 92);
  EXPECT_EQ(game->Slots[200].FixX, 92000);

  Place(201, kPlayerShape, 92, 192);
  EXPECT_EQ(game->CenterX(201), 100);
  EXPECT_EQ(game->CenterY(201), 200);
  EXPECT_NEAR(game->AngleBetween(200, 201), TGame::DegToRad(90), 1e-12);
  EXPECT_NEAR(game->AngleBetween(201, 200), TGame::DegToRad(-90), 1e-12);
}

TEST_F(SlotsTest, BoxesThatOnlyTouchOverlap) {
  Place(150, kBulletShape, 100, 100);
  Place(151, kBulletShape, 108, 100);  // centres exactly 8 apart
  Place(152, kBulletShape, 100, 109);  // 9 apart
  EXPECT_EQ(game->FindOverlap(150, 151, 152), 151);
  EXPECT_EQ(game->FindOverlap(150, 152, 152), -1);
  game->KillSlot(151);
  EXPECT_EQ(game->FindOverlap(150, 151, 152), -1);
  Place(152, kBulletShape, 100, 92);  // 8 above: the vertical test touches too
  EXPECT_EQ(game->FindOverlap(150, 151, 152), 152);
}

TEST_F(SlotsTest, RandomFollowsTheFixedGeneratorFromSeedZero) {
  // seed 1, 134775814, 3698175007, 870078620: the high half of seed * 1000.
  EXPECT_EQ(game->Random(1000), 0);
  EXPECT_EQ(game->Random(1000), 31);
  EXPECT_EQ(game->Random(1000), 861);
  EXPECT_EQ(game->Random(1000), 202);

  TGame other;
  EXPECT_EQ(other.Random(0), 0);
  EXPECT_EQ(other.RandSeed, 1u);  // still advanced
  EXPECT_EQ(other.Random(1000), 31);
  for (int k = 0; k < 100; ++k) ASSERT_EQ(other.Random(1), 0);
  for (int k = 0; k < 1000; ++k) {
    const std::int32_t r = other.Random(360);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 360);
  }
}

// Slot i's glyph is the font's shape for the character code.
std::int32_t Glyph(char c) { return 71 + (static_cast<unsigned char>(c) - 32); }

TEST_F(SlotsTest, ShowTextHidesTheRestOfItsRun) {
  auto expectText = [&](std::string_view text) {
    for (std::int32_t i = 0; i < 15; ++i) {
      const TBrinSprReg& sprite = game->Sprite(37 + i);
      const bool shown = static_cast<std::size_t>(i) < text.size();
      EXPECT_EQ(sprite.Visible, shown) << "slot " << 37 + i;
      if (shown) {
        EXPECT_EQ(sprite.IShape, Glyph(text[static_cast<std::size_t>(i)])) << "slot " << 37 + i;
      }
    }
  };
  game->ShowText(37, 15, "GAME OVER");
  expectText("GAME OVER");
  EXPECT_EQ(game->Sprite(37).IShape, 110);  // 'G' is code 71
  game->ShowText(37, 15, "STAGE 1-1");
  expectText("STAGE 1-1");
  game->ShowText(37, 15, "X");
  game->ShowText(37, 15, "PresentedBy KEL");
  expectText("PresentedBy KEL");
}

TEST_F(SlotsTest, ScrollingTextWrapsAndLeavesVisibilityAlone) {
  constexpr std::string_view credit = "PresentedBy KEL";
  game->ShowText(50, 15, credit);
  for (std::int32_t i = 50; i < 65; ++i) EXPECT_TRUE(game->Sprite(i).Visible);

  game->Sprite(52).Hide();
  game->ShowScrollingText(50, 15, 3, credit);
  for (std::int32_t k = 0; k < 15; ++k) EXPECT_EQ(game->Sprite(50 + k).IShape, Glyph(credit[(3 + k) % 15]));
  EXPECT_FALSE(game->Sprite(52).Visible);
  EXPECT_TRUE(game->Sprite(53).Visible);

  game->ShowScrollingText(50, 15, 15, credit);
  for (std::int32_t k = 0; k < 15; ++k) EXPECT_EQ(game->Sprite(50 + k).IShape, Glyph(credit[k]));
}

TEST_F(SlotsTest, ExplosionsSpreadOverTenChannelsAndTheEleventhIsDropped) {
  for (std::int32_t frame = 0; frame < 10; ++frame) {
    game->RequestSound(0, 10, 0);
    for (std::int32_t c = 0; c < 10; ++c) EXPECT_EQ(game->PlayRequest[c], c == frame) << "frame " << frame;
    EXPECT_EQ(game->ChannelBusy[frame], 30);
    game->UpdateSounds();
    EXPECT_FALSE(game->PlayRequest[frame]);
    EXPECT_EQ(game->ChannelBusy[frame], 29);
  }
  game->RequestSound(0, 10, 0);
  for (std::int32_t c = 0; c < 14; ++c) EXPECT_FALSE(game->PlayRequest[c]);

  // Channel 0 served its 30 frames at the end of frame 29.
  for (std::int32_t frame = 10; frame < 30; ++frame) game->UpdateSounds();
  EXPECT_EQ(game->ChannelBusy[0], 0);
  EXPECT_EQ(game->ChannelBusy[1], 1);
  game->RequestSound(0, 10, 0);
  EXPECT_TRUE(game->PlayRequest[0]);
}

TEST_F(SlotsTest, MenuSoundOnConsecutiveFramesIsAccepted) {
  game->RequestSound(12, 1, 3);
  EXPECT_TRUE(game->PlayRequest[12]);
  game->UpdateSounds();
  game->RequestSound(12, 1, 3);
  EXPECT_TRUE(game->PlayRequest[12]);
  game->RequestSound(10, 0, 1);
  EXPECT_FALSE(game->PlayRequest[10]);
  EXPECT_EQ(game->ChannelBusy[10], 0);
}

}  // namespace
