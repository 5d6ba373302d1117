// Scoring, the combo and the status display.
#include <gtest/gtest.h>

#include <string_view>

#include "tests/game/support/game_fixture.h"

namespace {

constexpr std::int32_t kMediumBlock = 4;  // 16 x 16: splits into small blocks, fires nothing

class HudTest : public ::testing::Test {
 protected:
  game_test::TScriptedPad pad;
  std::unique_ptr<TGame> game = game_test::MakeGame(pad);

  // One play frame's scoring: BLOCKS blocks destroyed, then the combo's
  // bookkeeping. Returns what the multiplier gained.
  std::int32_t Frame(int blocks) {
    const std::int32_t before = game->Multiplier;
    game->BlockDestroyed = false;
    for (int n = 0; n < blocks; ++n) {
      game->SpawnBlock(kMediumBlock, 300, 200, 0, 0.0);
      const std::int32_t b = game->FindActive(TGame::kFirstBlock, TGame::kLastBlock);
      game->BlockHP[static_cast<std::size_t>(b)] = 0;
      game->CheckBlockDestroyed(b);
      game->KillSlots(TGame::kFirstBlock, 80);  // fragments are not wanted here
    }
    game->UpdateCombo();
    return game->Multiplier - before;
  }

  // Glyphs and visibility of COUNT slots from FIRST, compared with SHAPES
  // (visible) followed by hidden slots.
  void ExpectGlyphs(std::int32_t first, std::int32_t count, std::initializer_list<std::int32_t> shapes) {
    std::int32_t i = 0;
    for (const std::int32_t shape : shapes) {
      EXPECT_TRUE(game->Sprite(first + i).Visible) << "slot " << first + i;
      EXPECT_EQ(game->Sprite(first + i).IShape, shape) << "slot " << first + i;
      ++i;
    }
    for (; i < count; ++i) EXPECT_FALSE(game->Sprite(first + i).Visible) << "slot " << first + i;
  }

  static std::int32_t Font(char c) { return 71 + (c - 32); }
};

TEST_F(HudTest, ComboRaisesTheMultiplierByHowRecentTheLastBlockWas) {
  game->ComboTimer = -1;  // a new stage
  EXPECT_EQ(Frame(1), 100);
  EXPECT_EQ(game->Score, 200);
  EXPECT_EQ(Frame(1), 200);  // the timer was not counted down in the frame before
  EXPECT_EQ(Frame(0), 0);
  EXPECT_EQ(game->ComboTimer, 49);
  EXPECT_EQ(Frame(1), 190);
  EXPECT_EQ(game->ComboHits, 3);
  EXPECT_EQ(game->BestComboHits, 3);
  EXPECT_EQ(game->BestMultiplier, 590);

  game = game_test::MakeGame(pad);
  EXPECT_EQ(Frame(2), 300);  // 100, then 200 in the same frame
  EXPECT_EQ(game->Score, 200 + 400);
}

TEST_F(HudTest, OneExplosionPerFrameHoweverManyBlocksFell) {
  Frame(3);
  EXPECT_TRUE(game->PlayRequest[0]);
  for (std::size_t c = 1; c < 10; ++c) EXPECT_FALSE(game->PlayRequest[c]);
  // A quiet frame files none.
  game->UpdateSounds();
  Frame(0);
  for (std::size_t c = 0; c < 10; ++c) EXPECT_FALSE(game->PlayRequest[c]);
}

TEST_F(HudTest, BrokenComboCutsTheMultiplierEveryFrameDownToTheFloor) {
  game->Multiplier = 3500;
  game->ComboHits = 12;
  game->ComboTimer = 1;
  game->ComboBonusArmed = true;
  Frame(0);
  EXPECT_EQ(game->Multiplier, 3500);
  EXPECT_EQ(game->ComboTimer, 0);
  EXPECT_EQ(game->ComboHits, 12);
  for (const std::int32_t shown : {2500, 1500, 500, 100, 100}) {
    Frame(0);
    EXPECT_EQ(game->Multiplier, shown);
    EXPECT_FALSE(game->ComboBonusArmed);
    EXPECT_EQ(game->ComboHits, 0);
  }
  EXPECT_EQ(game->BestMultiplier, 3500);
  EXPECT_EQ(game->BestComboHits, 12);

  game->Multiplier = 1000;
  game->ComboBonusArmed = true;
  Frame(0);
  EXPECT_EQ(game->Multiplier, 100);
  EXPECT_TRUE(game->ComboBonusArmed);
}

TEST_F(HudTest, NoBreakWhileTheGameIsOver) {
  game->GameOver = true;
  game->Multiplier = 2000;
  game->ComboHits = 7;
  game->ComboTimer = 0;
  Frame(0);
  EXPECT_EQ(game->Multiplier, 2000);
  EXPECT_EQ(game->ComboHits, 7);
  EXPECT_TRUE(game->ComboBonusArmed);
}

TEST_F(HudTest, StartOfAGameShowsItsValuesInTheirGlyphSets) {
  game->DrawHud();
  ExpectGlyphs(0, 16, {50});                     // score 0, large digits
  ExpectGlyphs(16, 10, {70, 61, 60, 60});        // ":100", separator first
  ExpectGlyphs(52, 8, {180, 190});               // "0" and the label
  ExpectGlyphs(26, 6, {Font('B'), Font('O'), Font('M'), Font('B'), Font(' '), Font('3')});
  ExpectGlyphs(32, 5, {162, 162, 162});          // three spare lives
  ExpectGlyphs(37, 15, {Font(' ')});             // an empty banner
  EXPECT_EQ(game->Sprite(37).X, 312);
  EXPECT_EQ(game->Sprite(38).X, 328);
}

TEST_F(HudTest, LongNumbersFillTheirRunsAndNoMore) {
  game->Score = 12345678901234567;  // 17 digits: the first 16 shown
  game->Multiplier = 123456789;
  game->ComboHits = 9876543;
  game->BombsLeft = 10;  // "BOMB 10" is one character too long
  game->DrawHud();
  ExpectGlyphs(0, 16, {51, 52, 53, 54, 55, 56, 57, 58, 59, 50, 51, 52, 53, 54, 55, 56});
  ExpectGlyphs(16, 10, {70, 61, 62, 63, 64, 65, 66, 67, 68, 69});
  ExpectGlyphs(52, 8, {189, 188, 187, 186, 185, 184, 183, 190});
  ExpectGlyphs(26, 6, {Font('B'), Font('O'), Font('M'), Font('B'), Font(' '), Font('1')});
}

TEST_F(HudTest, LifeIconsShowAtMostFive) {
  game->LivesLeft = 7;
  game->DrawHud();
  ExpectGlyphs(32, 5, {162, 162, 162, 162, 162});
  game->LivesLeft = 0;
  game->DrawHud();
  ExpectGlyphs(32, 5, {});
  EXPECT_EQ(game->Sprite(36).IShape, 162);
}

TEST_F(HudTest, StageBannerIsCentredAndCountsDown) {
  game->StageBannerTime = 150;
  game->RoundNumber = 1;
  game->StageNumber = 1;
  game->DrawHud();
  EXPECT_EQ(game->StageBannerTime, 149);
  constexpr std::string_view stage = "STAGE 1-1";
  for (std::int32_t a = 0; a < 9; ++a) {
    EXPECT_EQ(game->Sprite(37 + a).IShape, Font(stage[static_cast<std::size_t>(a)]));
    EXPECT_EQ(game->Sprite(37 + a).X, 248 + 16 * a);
  }
  EXPECT_EQ(game->Sprite(46).X, 392);  // the slot after the text moves too
  EXPECT_FALSE(game->Sprite(46).Visible);

  game->RoundNumber = 12;
  game->StageNumber = 25;
  game->DrawHud();
  ExpectGlyphs(37, 15, {Font('S'), Font('T'), Font('A'), Font('G'), Font('E'), Font(' '), Font('1'), Font('2'),
                        Font('-'), Font('2'), Font('5')});
  EXPECT_EQ(game->Sprite(37).X, 232);

  game->StageBannerTime = 1;
  game->DrawHud();
  EXPECT_EQ(game->StageBannerTime, 0);
  game->DrawHud();
  ExpectGlyphs(37, 15, {Font(' ')});

  game->StageBannerTime = 50;
  game->GameOver = true;
  game->DrawHud();
  ExpectGlyphs(37, 15, {Font('G'), Font('A'), Font('M'), Font('E'), Font(' '), Font('O'), Font('V'), Font('E'),
                        Font('R')});
  EXPECT_EQ(game->Sprite(37).X, 248);
  EXPECT_EQ(game->StageBannerTime, 50);
}

TEST_F(HudTest, OverlongBannerMovesNothingOutsideItsRun) {
  game->StageBannerTime = 5;
  game->RoundNumber = INT32_MIN;
  game->StageNumber = INT32_MIN;  // "STAGE -2147483648--2147483648"
  game->Sprite(52).X = 0;
  game->DrawHud();
  EXPECT_EQ(game->Sprite(52).X, 0);
  EXPECT_TRUE(game->Sprite(51).Visible);
}

}  // namespace
