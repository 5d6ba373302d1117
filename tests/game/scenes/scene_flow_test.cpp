// The scenes on a plain game with a scripted pad: layouts, menu input, the
// moves between scenes, the bomb-select demonstration, game over and Escape.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "game/game.h"
#include "surfaces/brin_sprite.h"
#include "tests/game/support/game_fixture.h"

namespace {

using game_test::MakeGame;
using game_test::TScriptedPad;

constexpr std::int32_t kGlyphBase = 71;

class SceneFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game = MakeGame(pad);
    game->OnTerminate = [this] { ++terminateCalls; };
    // Start-up as the form leaves it: the title laid out without entering it.
    game->DefaultRanking();
    game->ResetGame();
    game->ResetBombSelect();
    game->ResetTitle();
    game->SetupTitle();
  }

  // One frame as the form runs it, less the display.
  void Frame() {
    game->RunScene();
    game->FrameCount += 1;
    game->UpdateSounds();
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }
  // One frame with the pad in a state, then one at rest.
  void Tap(int x, int y, int button = -1) {
    pad.Release();
    pad.X = x;
    pad.Y = y;
    if (button >= 0) pad.Buttons[static_cast<std::size_t>(button)] = true;
    Frame();
    pad.Release();
    Frame();
  }
  void Confirm() { Tap(0, 0, 0); }

  TBrinSprReg& Sprite(int i) { return game->Sprite(i); }
  // The visible text of slots FIRST.., up to the first hidden slot.
  std::string Text(int first, int count) {
    std::string text;
    for (int i = first; i < first + count && Sprite(i).Visible; ++i) {
      text += static_cast<char>(Sprite(i).IShape - kGlyphBase + 32);
    }
    return text;
  }
  // Fills every ranking entry with a value that names it: 1000 + index.
  void NumberRanking() {
    for (std::size_t i = 0; i < game->Ranking.size(); ++i) game->Ranking[i] = 1000 + static_cast<std::int64_t>(i);
  }
  std::string Entry(int index, const char* suffix) { return std::to_string(1000 + index) + suffix; }

  TScriptedPad pad;
  std::unique_ptr<TGame> game;
  int terminateCalls = 0;
};

TEST_F(SceneFlowTest, TitleLayout) {
  EXPECT_EQ(Text(0, 10), "GAMESTART");
  EXPECT_EQ(Text(10, 10), "RANKING");
  EXPECT_EQ(Text(20, 10), "EXIT");
  EXPECT_EQ(Text(30, 10), "<1ST AREA>");
  EXPECT_EQ(Text(50, 15), "PresentedBy KEL");
  const struct {
    int slot, x, y;
  } places[] = {{0, 256, 300}, {8, 384, 300}, {10, 272, 320}, {20, 296, 340}, {30, 248, 260},
                {39, 392, 260}, {50, 200, 460}, {64, 424, 460}, {100, 240, 300}, {70, 192, 80}};
  for (const auto& p : places) {
    EXPECT_EQ(Sprite(p.slot).X, p.x) << "slot " << p.slot;
    EXPECT_EQ(Sprite(p.slot).Y, p.y) << "slot " << p.slot;
  }
  EXPECT_FALSE(Sprite(9).Visible);
  EXPECT_EQ(Sprite(100).IShape, 167);
  EXPECT_EQ(Sprite(70).IShape, 168);
  EXPECT_TRUE(Sprite(100).Visible && Sprite(70).Visible);
  EXPECT_EQ(game->Area, 1);
}

TEST_F(SceneFlowTest, FirstFrameRunsTheTitleWithoutEnteringIt) {
  // Anything shown before the first frame survives it: no slot was cleared.
  game->SpawnSlot(300, 10, 10);
  Frame();
  EXPECT_TRUE(Sprite(300).Visible);
  EXPECT_EQ(game->Scene, kSceneTitle);
  EXPECT_EQ(game->PrevScene, kSceneTitle);
  EXPECT_EQ(pad.Polls, 1);
}

TEST_F(SceneFlowTest, HeldDirectionMovesTheCursorOnce) {
  pad.Y = 1;
  Frames(5);
  EXPECT_EQ(game->MenuRow, 1);
  EXPECT_EQ(Sprite(100).Y, 320);
  EXPECT_EQ(Sprite(100).X, 240);
  // Turning round counts as a new move; coming back to rest does too.
  pad.Y = -1;
  Frame();
  EXPECT_EQ(game->MenuRow, 0);
  pad.Y = 0;
  Frame();
  pad.Y = 1;
  Frame();
  pad.Y = 0;
  Frame();
  pad.Y = 1;
  Frame();
  EXPECT_EQ(game->MenuRow, 2);
  EXPECT_EQ(Sprite(100).Y, 340);
}

TEST_F(SceneFlowTest, MenuWrapsBothWaysAndClicks) {
  pad.Y = -1;
  game->RunScene();
  EXPECT_EQ(game->MenuRow, 2);
  EXPECT_EQ(Sprite(100).Y, 340);
  EXPECT_TRUE(game->PlayRequest[12]);
  EXPECT_EQ(game->ChannelBusy[12], 1);
  game->FrameCount += 1;
  game->UpdateSounds();
  EXPECT_FALSE(game->PlayRequest[12]);
  Tap(0, 1);
  EXPECT_EQ(game->MenuRow, 0);
  EXPECT_EQ(Sprite(100).Y, 300);
  // Left from the first area wraps to the second, and back.
  Tap(-1, 0);
  EXPECT_EQ(game->MenuColumn, 1);
  EXPECT_EQ(Text(30, 10), "<2ND AREA>");
  Tap(1, 0);
  EXPECT_EQ(game->MenuColumn, 0);
  EXPECT_EQ(Text(30, 10), "<1ST AREA>");
  EXPECT_EQ(Sprite(30).X, 248);
  EXPECT_EQ(Sprite(30).Y, 260);
}

TEST_F(SceneFlowTest, ConfirmAndCancelTogetherDoNothing) {
  pad.Buttons = {true, true, false};
  game->RunScene();
  EXPECT_EQ(game->MenuDecision, 0);
  EXPECT_EQ(game->Scene, kSceneTitle);
  EXPECT_FALSE(game->PlayRequest[13]);
  // Still held: neither button is new, so the next press of confirm alone
  // needs a release first.
  pad.Buttons = {true, false, false};
  Frame();
  EXPECT_EQ(game->MenuDecision, 0);
  pad.Release();
  Frame();
  Confirm();
  EXPECT_EQ(game->Scene, kSceneBombSelect);
}

TEST_F(SceneFlowTest, CancelOnTheTitleDoesNothingButConfirmClicks) {
  Tap(0, 0, 1);
  EXPECT_EQ(game->Scene, kSceneTitle);
  EXPECT_EQ(terminateCalls, 0);
  pad.Buttons = {true, false, false};
  game->RunScene();
  EXPECT_EQ(game->MenuDecision, 1);
  EXPECT_TRUE(game->PlayRequest[13]);
  EXPECT_EQ(game->ChannelBusy[13], 1);
}

TEST_F(SceneFlowTest, ExitAndEscapeOnTheTitleAskToEnd) {
  Tap(0, -1);
  Confirm();
  EXPECT_EQ(terminateCalls, 1);
  EXPECT_EQ(game->Scene, kSceneTitle);
  game->EscapePressed();
  EXPECT_EQ(terminateCalls, 2);
}

TEST_F(SceneFlowTest, CreditLineScrollsEveryFifteenFrames) {
  Frame();  // frame 0 shows the line from its start, then moves the offset
  EXPECT_EQ(Text(50, 15), "PresentedBy KEL");
  EXPECT_EQ(game->CreditScroll, 1);
  Frame();
  EXPECT_EQ(Text(50, 15), "resentedBy KELP");
  Frames(14);
  EXPECT_EQ(game->CreditScroll, 2);
  Frame();
  EXPECT_EQ(Text(50, 15), "esentedBy KELPr");
}

TEST_F(SceneFlowTest, SecondAreaRankingOpensOnTheFirstTable) {
  NumberRanking();
  Tap(1, 0);
  Tap(0, 1);
  pad.Buttons = {true, false, false};
  Frame();
  // Entered in the same frame.
  EXPECT_EQ(game->Scene, kSceneRanking);
  EXPECT_EQ(game->PrevScene, kSceneRanking);
  EXPECT_EQ(game->Area, 2);
  EXPECT_EQ(game->MenuColumn, 1);
  EXPECT_EQ(game->MenuRow, 0);
  EXPECT_EQ(Text(0, 20), "<NORMAL>");
  EXPECT_EQ(Sprite(0).X, 264);
  EXPECT_EQ(Sprite(0).Y, 45);
  EXPECT_EQ(Text(20, 3), "1.");
  EXPECT_EQ(Text(47, 3), "10.");
  EXPECT_EQ(Sprite(47).X, 170);
  EXPECT_EQ(Sprite(47).Y, 378);
  EXPECT_EQ(Text(80, 20), Entry(0, " PTS"));
  EXPECT_EQ(Text(260, 20), Entry(9, " PTS"));
  EXPECT_EQ(Sprite(260).X, 250);
  EXPECT_EQ(Sprite(260).Y, 378);
  EXPECT_EQ(Text(300, 10), "<1ST AREA>");
  EXPECT_EQ(Sprite(300).X, 248);
  EXPECT_EQ(Sprite(300).Y, 425);
  EXPECT_FALSE(Sprite(70).Visible);  // the title's logo went with it

  // Down: the second area's BASE table.
  pad.Release();
  Frame();
  EXPECT_EQ(Sprite(0).X, 264);  // "<NORMAL>" centred by the frame: where it was
  Tap(0, 1);
  EXPECT_EQ(Text(0, 10), "<BASE>");
  EXPECT_EQ(Sprite(0).X, 280);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Text(80 + 20 * i, 20), Entry(40 + i, " PTS"));
  EXPECT_EQ(Text(300, 10), "<2ND AREA>");
  // Up twice: the COMBO table counts hits.
  Tap(0, -1);
  Tap(0, -1);
  EXPECT_EQ(Text(0, 10), "<COMBO>");
  EXPECT_EQ(Text(80, 20), Entry(50, " HIT"));
}

TEST_F(SceneFlowTest, SecondAreaRankingLeftOrRightShowsTheFirstAreaAgain) {
  NumberRanking();
  for (int direction : {-1, 1}) {
    game->Scene = kSceneTitle;
    game->EnterScene(kSceneTitle);
    game->PrevScene = kSceneTitle;
    Tap(1, 0);
    Tap(0, 1);
    Confirm();
    ASSERT_EQ(game->Scene, kSceneRanking);
    ASSERT_EQ(game->MenuColumn, 1);
    game->Ranking[0] = 5;  // the table is read again, not kept from before
    Tap(direction, 0);
    EXPECT_EQ(game->MenuColumn, 0);
    EXPECT_EQ(Text(80, 20), "5 PTS");
    EXPECT_EQ(Text(100, 20), Entry(1, " PTS"));
    EXPECT_EQ(Text(300, 10), "<1ST AREA>");
    game->Ranking[0] = 1000;
  }
  Confirm();
  EXPECT_EQ(game->Scene, kSceneTitle);
  EXPECT_EQ(Text(0, 10), "GAMESTART");
  EXPECT_EQ(game->Area, 1);
}

TEST_F(SceneFlowTest, LongRankingValuesAreCutAtTheirRun) {
  game->Ranking[30] = INT64_MIN;
  Tap(1, 0);
  Tap(0, 1);
  Confirm();
  Tap(0, 1);
  Tap(0, -1);
  // "-9223372036854775808 PTS" is 24 characters; the run holds 20.
  EXPECT_EQ(Text(80, 20), "-9223372036854775808");
}

class BombSelectTest : public SceneFlowTest {
 protected:
  void SetUp() override {
    SceneFlowTest::SetUp();
    Confirm();
    ASSERT_EQ(game->Scene, kSceneBombSelect);
  }
  int Blocks() { return game->CountActive(TGame::kFirstBlock, TGame::kLastBlock); }
  int BlocksOlderThan(int age) {
    int count = 0;
    for (int b = TGame::kFirstBlock; b <= TGame::kLastBlock; ++b) {
      const TSlotState& slot = game->Slots[static_cast<std::size_t>(b)];
      if (slot.Active && slot.Age > age) ++count;
    }
    return count;
  }
};

TEST_F(BombSelectTest, LayoutAndFirstDemonstration) {
  EXPECT_EQ(Text(0, 11), "BOMB SELECT");
  EXPECT_EQ(Sprite(0).X, 232);
  EXPECT_EQ(Sprite(0).Y, 60);
  EXPECT_EQ(Text(11, 15), "BLOCK STOP");
  EXPECT_EQ(Sprite(11).Y, 160);
  EXPECT_TRUE(Sprite(TGame::kPlayerSlot).Visible);
  EXPECT_EQ(Sprite(TGame::kPlayerSlot).X, 312);
  EXPECT_EQ(Sprite(TGame::kPlayerSlot).Y, 420);
  EXPECT_EQ(Sprite(TGame::kPlayerSlot).IShape, 0);
  // Confirm's release frame already ran the first demonstration frame.
  EXPECT_EQ(game->DemoTime, 1);
  EXPECT_EQ(Blocks(), 32);
  EXPECT_EQ(game->BombsLeft, 3);
  // The name is centred: "BLOCK STOP" is 10 glyphs.
  EXPECT_EQ(Sprite(11).X, 240);
  for (int b = TGame::kFirstBlock; b < TGame::kFirstBlock + 32; ++b) {
    EXPECT_LT(game->Slots[static_cast<std::size_t>(b)].Kind, 8) << b;
    EXPECT_EQ(game->Slots[static_cast<std::size_t>(b)].VelY, 3000) << b;
    EXPECT_EQ(game->Slots[static_cast<std::size_t>(b)].VelX, 0) << b;
  }
  // 30 frames after the restart the chosen bomb goes off.
  Frames(29);
  EXPECT_EQ(game->BombsLeft, 3);
  Frame();
  EXPECT_EQ(game->BombsLeft, 2);
  EXPECT_GT(game->CountActive(TGame::kFirstShot, TGame::kLastShot), 0);
}

TEST_F(BombSelectTest, ChangingTheChoiceRestartsTheDemonstration) {
  Frames(10);
  game->SpawnBullet(100, 100, 0, 0.0);
  const int bullet = game->FindActive(TGame::kFirstBullet, TGame::kLastBullet);
  ASSERT_NE(bullet, -1);
  Tap(0, 1);
  EXPECT_EQ(game->MenuRow, 1);
  EXPECT_EQ(game->BombKind, 1);
  EXPECT_EQ(Text(11, 15), "BULLET ERASE");
  EXPECT_EQ(Sprite(11).X, 224);
  // Restarted in the first of the two frames: every block is new.
  EXPECT_EQ(game->DemoTime, 2);
  EXPECT_EQ(BlocksOlderThan(2), 0);
  EXPECT_GE(Blocks(), 30);
  EXPECT_TRUE(game->Slots[static_cast<std::size_t>(bullet)].Vanishing);
  // Every 100 frames it starts again by itself.
  Frames(98);
  EXPECT_EQ(game->DemoTime, 100);
  EXPECT_GT(BlocksOlderThan(2), 0);
  Frame();
  EXPECT_EQ(game->DemoTime, 1);
  EXPECT_EQ(BlocksOlderThan(1), 0);
}

TEST_F(BombSelectTest, ChoiceWrapsOverTheSixBombs) {
  Tap(0, -1);
  EXPECT_EQ(game->MenuRow, 5);
  EXPECT_EQ(Text(11, 15), "SAME COLOR");
  Tap(0, 1);
  EXPECT_EQ(game->MenuRow, 0);
  Tap(1, 0);  // the column is held at 0
  EXPECT_EQ(game->MenuColumn, 0);
}

TEST_F(BombSelectTest, ConfirmStartsPlayWithTheBombShown) {
  Tap(0, 1);
  Tap(0, 1);
  game->StageNumber = 7;
  game->Score = 99;
  game->LivesLeft = 0;
  game->Multiplier = 900;
  game->RoundNumber = 4;
  game->ShieldTime = 3;
  game->FrameCount = 55;
  pad.Buttons = {true, false, false};
  Frame();
  EXPECT_EQ(game->Scene, kScenePlay);
  EXPECT_EQ(game->BombKind, 2);
  EXPECT_EQ(game->StageNumber, 0);
  EXPECT_EQ(game->Score, 0);
  EXPECT_EQ(game->LivesLeft, 3);
  EXPECT_EQ(game->Multiplier, 100);
  EXPECT_EQ(game->RoundNumber, 1);
  EXPECT_EQ(game->ShieldTime, 250);
  EXPECT_EQ(game->FrameCount, 1);  // reset to 0 when entered, then counted
  EXPECT_EQ(game->BombsLeft, 3);
  EXPECT_EQ(game->Area, 1);
  EXPECT_EQ(Blocks(), 0);  // the demonstration's blocks are gone
  EXPECT_TRUE(Sprite(TGame::kPlayerSlot).Visible);
  EXPECT_EQ(Sprite(TGame::kPlayerSlot).X, 312);
  EXPECT_TRUE(game->Slots[TGame::kShieldSlot].Active);
  EXPECT_EQ(Text(37, 15), "STAGE 1-1");
  EXPECT_EQ(Sprite(52).X, 0);
  EXPECT_EQ(Sprite(59).X, 56);
  EXPECT_EQ(Sprite(59).Y, 40);
  EXPECT_EQ(Sprite(31).Y, 464);
  EXPECT_EQ(Sprite(36).Y, 448);
  EXPECT_EQ(Sprite(25).X, 72);
  EXPECT_EQ(Sprite(25).Y, 32);
  EXPECT_EQ(Sprite(15).X, 240);
}

class PlayTest : public SceneFlowTest {
 protected:
  void SetUp() override {
    SceneFlowTest::SetUp();
    // Confirm's second frame is the first play frame.
    Confirm();
    Confirm();
    ASSERT_EQ(game->PrevScene, kScenePlay);
  }
};

TEST_F(PlayTest, FirstFrameBuildsStageOne) {
  EXPECT_EQ(game->StageNumber, 1);
  EXPECT_EQ(game->CountActive(TGame::kFirstBlock, TGame::kLastBlock), 74);
  EXPECT_EQ(Text(37, 15), "STAGE 1-1");
  EXPECT_EQ(Sprite(37).X, 248);
}

TEST_F(PlayTest, EscapeDuringPlayReturnsToTheTitleWithoutRanking) {
  Frames(3);
  game->Score = 5000000;
  const auto before = game->Ranking;
  game->EscapePressed();
  EXPECT_EQ(game->Scene, kSceneTitle);
  const std::int32_t frames = game->FrameCount;
  Frame();
  // The play frame ran once more, then the title was laid out.
  EXPECT_EQ(game->FrameCount, frames + 1);
  EXPECT_EQ(game->PrevScene, kSceneTitle);
  EXPECT_EQ(Text(0, 10), "GAMESTART");
  EXPECT_EQ(game->CountActive(TGame::kFirstBlock, TGame::kLastBlock), 0);
  EXPECT_FALSE(Sprite(TGame::kPlayerSlot).Visible);
  EXPECT_EQ(game->Ranking, before);
  EXPECT_EQ(terminateCalls, 0);
}

TEST_F(PlayTest, GameOverEntersTheRankingAndReturnsHundredFramesLater) {
  Frame();
  game->Area = 2;
  game->Score = 850000;
  game->BestMultiplier = 5500;
  game->BestComboHits = 75;
  game->LivesLeft = -1;
  const auto before = game->Ranking;
  Frame();
  EXPECT_TRUE(game->GameOver);
  EXPECT_EQ(game->GameOverTime, 100);
  EXPECT_FALSE(game->Slots[TGame::kPlayerSlot].Active);
  EXPECT_FALSE(Sprite(TGame::kPlayerSlot).Visible);
  EXPECT_FALSE(game->Slots[TGame::kShieldSlot].Active);
  EXPECT_FALSE(game->LaserOn);
  EXPECT_EQ(Text(37, 15), "GAME OVER");
  // The ranking takes this game's best values, whatever play added since.
  Frames(99);
  EXPECT_EQ(game->Scene, kScenePlay);
  EXPECT_EQ(game->GameOverTime, 1);
  EXPECT_EQ(game->Ranking, before);
  const std::int64_t score = game->Score;
  const std::int64_t multiplier = game->BestMultiplier;
  const std::int64_t combo = game->BestComboHits;
  Frame();
  EXPECT_EQ(game->Scene, kSceneTitle);
  EXPECT_EQ(game->PrevScene, kSceneTitle);
  EXPECT_EQ(game->Area, 1);
  EXPECT_EQ(Text(0, 10), "GAMESTART");
  // Only the second area's tables changed, each by one entry.
  for (std::size_t i = 0; i < 30; ++i) EXPECT_EQ(game->Ranking[i], before[i]) << i;
  EXPECT_EQ(game->Ranking[31], 900000);
  EXPECT_EQ(game->Ranking[32], score);
  EXPECT_EQ(game->Ranking[33], 800000);
  EXPECT_EQ(game->Ranking[39], 200000);
  EXPECT_EQ(game->Ranking[44], 6000);
  EXPECT_EQ(game->Ranking[45], multiplier);
  EXPECT_EQ(game->Ranking[46], 5000);
  EXPECT_EQ(game->Ranking[52], 80);
  EXPECT_EQ(game->Ranking[53], combo);
  EXPECT_EQ(game->Ranking[54], 70);
}

TEST_F(PlayTest, GameOverIsSetOnce) {
  game->LivesLeft = -1;
  game->CheckGameOver();
  EXPECT_EQ(game->GameOverTime, 100);
  game->GameOverTime = 40;
  game->LivesLeft = -2;
  game->CheckGameOver();
  EXPECT_EQ(game->GameOverTime, 40);
  game->GameOver = false;
  game->LivesLeft = 0;
  game->CheckGameOver();
  EXPECT_FALSE(game->GameOver);
}

TEST_F(SceneFlowTest, UnknownSceneRunsNothingButIsEntered) {
  game->Scene = 5;
  const int polls = pad.Polls;
  Frame();
  EXPECT_EQ(pad.Polls, polls);
  EXPECT_EQ(game->PrevScene, 5);
  EXPECT_FALSE(Sprite(0).Visible);  // entering it cleared every slot
  game->EscapePressed();
  EXPECT_EQ(game->Scene, kSceneTitle);
  Frame();
  EXPECT_EQ(Text(0, 10), "GAMESTART");
}

}  // namespace
