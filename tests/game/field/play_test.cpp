// The play field through whole play frames: stage changes, rounds, lives
// and determinism.
#include <string_view>

#include "tests/game/field/field_helpers.h"

namespace {

using game_test::TScriptedPad;

// A game in the play scene, as the bomb-select screen leaves it.
std::unique_ptr<TGame> StartPlay(TScriptedPad& pad, std::int32_t area, std::int32_t bombKind) {
  auto game = game_test::MakeGame(pad);
  game->Area = area;
  game->BombKind = bombKind;
  game->StageNumber = 0;
  game->Scene = kScenePlay;
  game->PrevScene = kScenePlay;
  game->EnterScene(kScenePlay);
  return game;
}

// What the form does around a scene's frame, minus the display.
void RunFrames(TGame& game, int frames) {
  for (int i = 0; i < frames; ++i) {
    game.RunScene();
    game.FrameCount += 1;
    game.UpdateSounds();
  }
}

std::string BannerText(TGame& game) {
  std::string text;
  for (int s = 37; s <= 51 && game.Sprite(s).Visible; ++s) text += static_cast<char>(game.Sprite(s).IShape - 71 + 32);
  return text;
}

TEST(PlayField, TheFirstFrameBuildsStageOne) {
  TScriptedPad pad;
  auto game = StartPlay(pad, 2, 0);
  RunFrames(*game, 1);
  EXPECT_EQ(game->StageNumber, 1);
  EXPECT_EQ(game->CountActive(TGame::kFirstBlock, TGame::kLastBlock), 70);
  EXPECT_EQ(BannerText(*game), "STAGE 1-1");
  EXPECT_EQ(game->ComboTimer, -1);
}

TEST(PlayField, ClearingStage25StartsRoundTwo) {
  TScriptedPad pad;
  auto game = StartPlay(pad, 1, 0);
  game->StageNumber = 25;
  RunFrames(*game, 1);
  EXPECT_EQ(game->StageNumber, 0);
  EXPECT_EQ(game->RoundNumber, 2);
  EXPECT_EQ(game->CountActive(TGame::kFirstBlock, TGame::kLastBlock), 0);
  RunFrames(*game, 1);
  EXPECT_EQ(game->StageNumber, 1);
  EXPECT_EQ(game->CountActive(TGame::kFirstBlock, TGame::kLastBlock), 74);
  EXPECT_EQ(BannerText(*game), "STAGE 2-1");
  EXPECT_EQ(game->Sprite(37).X, 248);

  // The new round's spiral blocks fire arcs of four.
  game->KillSlots(TGame::kFirstBlock, 80);
  game->SpawnBlock(2, 300, 100, 0, 0.0);
  game->BlockHP[560] = 0;
  game->CheckBlockDestroyed(560);
  EXPECT_EQ(game->CountActive(TGame::kFirstBullet, TGame::kLastBullet), 4);
}

TEST(PlayField, ThreeHitsAreSurvivedAndTheFourthEndsTheGame) {
  TScriptedPad pad;
  auto game = StartPlay(pad, 1, 0);
  RunFrames(*game, 1);
  for (int hit = 1; hit <= 4; ++hit) {
    EXPECT_FALSE(game->GameOver);
    game->ShieldTime = 0;
    game->SpawnBullet(game->PlayerCenterX, game->PlayerCenterY, 0, 0.0);
    RunFrames(*game, 1);
    EXPECT_EQ(game->LivesLeft, 3 - hit);
    EXPECT_EQ(game->Multiplier, 100);  // halved, but never below 100
    EXPECT_EQ(game->ShieldTime, 250);
    // The last hit blows up bigger, with a sound of its own.
    EXPECT_EQ(game->CountActive(TGame::kFirstParticle, TGame::kLastParticle), hit < 4 ? 30 : 50);
    EXPECT_EQ(game->ChannelBusy[11] != 0, hit == 4);
  }
  EXPECT_NE(game->ChannelBusy[10], 0);
  EXPECT_TRUE(game->GameOver);
  EXPECT_FALSE(game->Slots[TGame::kPlayerSlot].Active);
}

// A scripted session: moving, firing both weapons, switching and a bomb.
void ScriptFrame(TScriptedPad& pad, int frame) {
  pad.Release();
  pad.X = (frame / 40) % 3 - 1;
  pad.Y = frame % 200 < 100 ? -1 : 1;
  pad.Buttons[0] = frame % 60 < 50;
  pad.Buttons[1] = frame % 150 == 0;
  pad.Buttons[2] = frame == 300;
}

TEST(PlayField, TheSameInputPlaysTheSameGame) {
  TScriptedPad padA;
  TScriptedPad padB;
  auto a = StartPlay(padA, 1, 2);
  auto b = StartPlay(padB, 1, 2);
  for (int frame = 0; frame < 900; ++frame) {
    ScriptFrame(padA, frame);
    ScriptFrame(padB, frame);
    RunFrames(*a, 1);
    RunFrames(*b, 1);
  }
  // Something happened, so the comparison says something.
  EXPECT_GT(a->Score, 1000);
  EXPECT_GT(a->StageNumber, 1);
  EXPECT_LT(a->BombsLeft, 3);

  EXPECT_EQ(a->Score, b->Score);
  EXPECT_EQ(a->RandSeed, b->RandSeed);
  EXPECT_EQ(a->Multiplier, b->Multiplier);
  EXPECT_EQ(a->ComboHits, b->ComboHits);
  EXPECT_EQ(a->StageNumber, b->StageNumber);
  EXPECT_EQ(a->LivesLeft, b->LivesLeft);
  EXPECT_EQ(a->SpiralAngle, b->SpiralAngle);
  for (int s = 0; s < TGame::kSlotCount; ++s) {
    const TSlotState& x = a->Slots[static_cast<std::size_t>(s)];
    const TSlotState& y = b->Slots[static_cast<std::size_t>(s)];
    ASSERT_TRUE(x.Active == y.Active && x.Kind == y.Kind && x.Age == y.Age && x.FixX == y.FixX &&
                x.FixY == y.FixY && x.VelX == y.VelX && x.VelY == y.VelY && x.Timer == y.Timer)
        << "slot " << s;
    ASSERT_EQ(a->BlockHP[static_cast<std::size_t>(s)], b->BlockHP[static_cast<std::size_t>(s)]) << "slot " << s;
    const TBrinSprReg& p = a->Sprite(s);
    const TBrinSprReg& q = b->Sprite(s);
    ASSERT_TRUE(p.X == q.X && p.Y == q.Y && p.IShape == q.IShape && p.AnimFrame == q.AnimFrame &&
                p.Visible == q.Visible)
        << "sprite " << s;
  }
}

}  // namespace
