// The four scenes (title, ranking, bomb select, play), the menu input they
// share, and the moves between them. A scene lays itself out once when it is
// entered and then only rewrites what changes; numbers are formatted into
// fixed buffers, so no frame allocates.
#include <charconv>
#include <cstdint>
#include <string_view>

#include "game/game.h"
#include "surfaces/brin_sprite.h"

namespace {

// Shapes the scenes place themselves.
constexpr std::int32_t kShapePlayer = 0;
constexpr std::int32_t kShapeCursor = 167;
constexpr std::int32_t kShapeLogo = 168;

// Title slots.
constexpr std::int32_t kTitleAreaText = 30;
constexpr std::int32_t kTitleCredit = 50;
constexpr std::int32_t kTitleCursor = 100;
constexpr std::int32_t kTitleLogo = 70;
constexpr std::string_view kCredit = "PresentedBy KEL";

// Ranking slots.
constexpr std::int32_t kRankingMode = 0;
constexpr std::int32_t kRankingNumbers = 20;
constexpr std::int32_t kRankingValues = 80;
constexpr std::int32_t kRankingArea = 300;

// Play slots of the status display.
constexpr std::int32_t kHudScore = 0;
constexpr std::int32_t kHudMultiplier = 16;
constexpr std::int32_t kHudBombs = 26;
constexpr std::int32_t kHudLives = 32;
constexpr std::int32_t kHudBanner = 37;
constexpr std::int32_t kHudCombo = 52;

constexpr std::string_view AreaText(std::int32_t column) { return column == 0 ? "<1ST AREA>" : "<2ND AREA>"; }

constexpr std::string_view kRankingModeNames[3] = {"<NORMAL>", "<BASE>", "<COMBO>"};
constexpr std::string_view kRankingSuffixes[3] = {" PTS", " PTS", " HIT"};

// Left edge that centres a text of LENGTH glyphs. The menus use a centre
// 8 pixels right of the screen's (656 wide); the rest use the screen's own.
constexpr std::int32_t MenuCentred(std::size_t length) { return (656 - 16 * static_cast<std::int32_t>(length)) / 2; }

// A decimal number followed by SUFFIX, in a buffer of its own.
class TNumberText {
 public:
  TNumberText(std::int64_t value, std::string_view suffix) {
    const auto [end, error] = std::to_chars(buffer_, buffer_ + kDigits, value);
    length_ = error == std::errc{} ? static_cast<std::size_t>(end - buffer_) : 0;
    for (char c : suffix) {
      if (length_ < sizeof buffer_) buffer_[length_++] = c;
    }
  }
  std::string_view View() const { return {buffer_, length_}; }

 private:
  static constexpr std::size_t kDigits = 20;  // every int64, sign included
  char buffer_[kDigits + 8] = {};
  std::size_t length_ = 0;
};

}  // namespace

// --- the frame and the scene changes ---------------------------------------------

void TGame::RunScene() {
  switch (Scene) {
    case kSceneTitle: TitleFrame(); break;
    case kSceneRanking: RankingFrame(); break;
    case kSceneBombSelect: BombSelectFrame(); break;
    case kScenePlay: PlayFrame(); break;
    default: break;
  }
  // A change made by the frame, or by a key handler since the last frame,
  // is laid out now so the new scene shows in this very frame.
  if (Scene != PrevScene) EnterScene(Scene);
  PrevScene = Scene;
}

void TGame::EnterScene(std::int32_t s) {
  KillSlots(0, kSlotCount);
  switch (s) {
    case kSceneTitle:
      ResetTitle();
      SetupTitle();
      break;
    case kSceneRanking:
      ResetRanking();
      SetupRanking();
      break;
    case kSceneBombSelect:
      ResetBombSelect();
      SetupBombSelect();
      break;
    case kScenePlay:
      ResetGame();
      SetupPlay();
      break;
    default: break;
  }
}

void TGame::EscapePressed() {
  if (Scene != kSceneTitle) {
    // A running game is abandoned: nothing enters the ranking.
    Scene = kSceneTitle;
  } else if (OnTerminate) {
    OnTerminate();
  }
}

// --- menu input ------------------------------------------------------------------------

void TGame::ReadMenuInput(std::int32_t MaxColumn, std::int32_t MaxRow) {
  Pad->Poll();
  const std::int32_t x = Pad->DirectionX();
  const std::int32_t y = Pad->DirectionY();
  // A held direction moves once: it has to come back to rest (or turn
  // round) before it moves the choice again.
  if (x != PrevAxisX && x != 0) {
    RequestSound(12, 1, 3);
    MenuColumn += x;
    if (MenuColumn < 0) MenuColumn = MaxColumn;
    if (MenuColumn > MaxColumn) MenuColumn = 0;
  }
  if (y != PrevAxisY && y != 0) {
    RequestSound(12, 1, 3);
    MenuRow += y;
    if (MenuRow < 0) MenuRow = MaxRow;
    if (MenuRow > MaxRow) MenuRow = 0;
  }
  const bool buttons[3] = {Pad->ButtonDown(0), Pad->ButtonDown(1), Pad->ButtonDown(2)};
  // Confirm and cancel pressed together cancel out.
  MenuDecision = 0;
  if (buttons[0] && !PrevButtons[0]) MenuDecision += 1;
  if (buttons[1] && !PrevButtons[1]) MenuDecision -= 1;
  if (MenuDecision == 1) RequestSound(13, 1, 4);
  PrevAxisX = x;
  PrevAxisY = y;
  for (std::size_t b = 0; b < 3; ++b) PrevButtons[b] = buttons[b];
}

// --- title -----------------------------------------------------------------------------------

void TGame::ResetTitle() {
  MenuColumn = 0;
  MenuRow = 0;
  CreditScroll = 0;
  Area = 1;
}

void TGame::SetupTitle() {
  constexpr std::string_view kItems[4] = {"GAMESTART", "RANKING", "EXIT", "<1ST AREA>"};
  for (std::int32_t i = 0; i < 4; ++i) {
    const std::string_view text = kItems[i];
    for (std::int32_t j = 0; j < 10; ++j) SpawnSlot(10 * i + j, 16 * j + MenuCentred(text.size()), 300 + 20 * i);
    ShowText(10 * i, 10, text);
  }
  // The area choice sits above the menu, not below it.
  for (std::int32_t i = kTitleAreaText; i < kTitleAreaText + 10; ++i) SetSlotPos(i, Sprite(i).X, 260);
  for (std::int32_t j = 0; j < 15; ++j) SpawnSlot(kTitleCredit + j, 200 + 16 * j, 460);
  ShowText(kTitleCredit, 15, kCredit);
  SpawnSlot(kTitleCursor, 240, 300);
  Sprite(kTitleCursor).IShape = kShapeCursor;
  SpawnSlot(kTitleLogo, 192, 80);
  Sprite(kTitleLogo).IShape = kShapeLogo;
}

void TGame::TitleFrame() {
  const std::int32_t column = MenuColumn;
  ReadMenuInput(1, 2);
  if (MenuColumn != column) ShowText(kTitleAreaText, 10, AreaText(MenuColumn));
  Sprite(kTitleCursor).Y = 300 + 20 * MenuRow;
  if (MenuDecision == 1) {
    Area = MenuColumn + 1;
    switch (MenuRow) {
      case 0: Scene = kSceneBombSelect; break;
      case 1: Scene = kSceneRanking; break;
      case 2:
        if (OnTerminate) OnTerminate();
        break;
      default: break;
    }
  }
  ShowScrollingText(kTitleCredit, 15, CreditScroll, kCredit);
  if (FrameCount % 15 == 0) CreditScroll += 1;
}

// --- ranking -----------------------------------------------------------------------------

void TGame::ResetRanking() {
  // The column keeps the area chosen on the title.
  MenuRow = 0;
}

void TGame::SetupRanking() {
  for (std::int32_t i = 0; i < 20; ++i) SpawnSlot(kRankingMode + i, 264 + 16 * i, 45);
  ShowText(kRankingMode, 20, kRankingModeNames[0]);
  for (std::int32_t i = 0; i < 10; ++i) {
    const std::int32_t first = kRankingNumbers + 3 * i;
    for (std::int32_t j = 0; j < 3; ++j) SpawnSlot(first + j, 170 + 16 * j, 90 + 32 * i);
    ShowText(first, 3, TNumberText(i + 1, ".").View());
  }
  // The screen always opens on the first area's NORMAL table.
  for (std::int32_t i = 0; i < 10; ++i) {
    const std::int32_t first = kRankingValues + 20 * i;
    for (std::int32_t j = 0; j < 20; ++j) SpawnSlot(first + j, 250 + 16 * j, 90 + 32 * i);
    ShowText(first, 20, TNumberText(Ranking[static_cast<std::size_t>(i)], kRankingSuffixes[0]).View());
  }
  for (std::int32_t i = 0; i < 10; ++i) SpawnSlot(kRankingArea + i, 248 + 16 * i, 425);
  ShowText(kRankingArea, 10, AreaText(0));
}

void TGame::ShowRankingMode(std::int32_t y) {
  const std::string_view text = kRankingModeNames[MenuRow];
  ShowText(kRankingMode, 10, text);
  for (std::int32_t i = 0; i < 10; ++i) SetSlotPos(kRankingMode + i, 16 * i + MenuCentred(text.size()), y);
}

void TGame::RankingFrame() {
  const std::int32_t row = MenuRow;
  const std::int32_t column = MenuColumn;
  ReadMenuInput(1, 2);
  if (MenuDecision == 1) Scene = kSceneTitle;
  ShowRankingMode(45);
  if (MenuRow == row && MenuColumn == column) return;
  const std::size_t table = static_cast<std::size_t>(30 * MenuColumn + 10 * MenuRow);
  for (std::int32_t i = 0; i < 10; ++i) {
    const std::int64_t value = Ranking[table + static_cast<std::size_t>(i)];
    ShowText(kRankingValues + 20 * i, 20, TNumberText(value, kRankingSuffixes[MenuRow]).View());
  }
  ShowText(kRankingArea, 10, AreaText(MenuColumn));
}

// --- bomb select -----------------------------------------------------------------------

void TGame::ResetBombSelect() {
  MenuRow = 0;
  BombsLeft = 3;
  BombKind = 0;
  BombTime = 0;
  DemoTime = 100;  // the demonstration starts with the first frame
}

void TGame::SetupBombSelect() {
  for (std::int32_t i = 0; i < 11; ++i) SpawnSlot(i, 232 + 16 * i, 60);
  for (std::int32_t i = 0; i < 15; ++i) SpawnSlot(11 + i, 240 + 16 * i, 160);
  ShowText(0, 11, "BOMB SELECT");
  ShowText(11, 15, "BLOCK STOP");
  SpawnSlot(kPlayerSlot, 312, 420);
  Sprite(kPlayerSlot).IShape = kShapePlayer;
}

void TGame::BombSelectFrame() {
  const std::int32_t row = MenuRow;
  ReadMenuInput(0, 5);
  ShowBombName();
  if (MenuDecision == 1) {
    StageNumber = 0;
    BombKind = MenuRow;
    Scene = kScenePlay;
  }
  BombKind = MenuRow;
  // A new choice restarts the demonstration at once, as its end does.
  if (MenuRow != row || DemoTime == 100) {
    KillSlots(kFirstBlock, kLastBlock - kFirstBlock + 1);
    VanishBullets();
    DemoTime = 0;
    BombTime = 0;
    BombsLeft = 3;
    for (int n = 0; n < 32; ++n) {
      const std::int32_t y = Random(100) + 50;
      const std::int32_t x = Random(624);
      const std::int32_t kind = Random(8);
      SpawnBlock(kind, x, y, 3000, DegToRad(90));
    }
  }
  if (DemoTime == 30) UseBomb(MenuRow);
  DemoTime += 1;
  if (FrameCount % 5 == 0) FireSpread();
  UpdateBomb();
  MoveShots();
  MoveBlocks();
  MoveBullets();
  MoveParticles();
  BlockDestroyed = false;
  ShotsHitBlocks();
}

// --- play ----------------------------------------------------------------------------------

void TGame::ResetGame() {
  Score = 0;
  FrameCount = 0;
  ShotCooldown = 0;
  LaserMode = false;
  LaserOn = false;
  SpiralAngle = 0.0;
  ShieldTime = 250;
  Multiplier = 100;
  ComboTimer = 0;
  ComboHits = 0;
  ComboBonusArmed = true;
  BestComboHits = 0;
  BestMultiplier = 0;
  LivesLeft = 3;
  GameOver = false;
  GameOverTime = 0;
  StageBannerTime = 0;
  BombsLeft = 3;
  BombTime = 0;
  RoundNumber = 1;
}

void TGame::SetupPlay() {
  SpawnSlot(kPlayerSlot, 312, 420);
  Sprite(kPlayerSlot).IShape = kShapePlayer;
  AddShield(250);
  for (std::int32_t i = 0; i < 16; ++i) SpawnSlot(kHudScore + i, 16 * i, 0);
  for (std::int32_t i = 0; i < 10; ++i) SpawnSlot(kHudMultiplier + i, 8 * i, 32);
  for (std::int32_t i = 0; i < 6; ++i) SpawnSlot(kHudBombs + i, 16 * i, 464);
  for (std::int32_t i = 0; i < 5; ++i) SpawnSlot(kHudLives + i, 16 * i, 448);
  for (std::int32_t i = 0; i < 15; ++i) SpawnSlot(kHudBanner + i, 264 + 16 * i, 232);
  ShowText(kHudBanner, 15, "STAGE 1-1");
  for (std::int32_t i = 0; i < 8; ++i) SpawnSlot(kHudCombo + i, 8 * i, 40);
}

void TGame::PlayFrame() {
  BlocksLeft = CountActive(kFirstBlock, kLastBlock);
  if (BlocksLeft == 0) {
    StageNumber += 1;
    NextStage();
  }
  if (GameOver) {
    UpdateGameOver();
  } else {
    PlayerControl();
  }
  UpdateBomb();
  MoveShots();
  UpdateLaser();
  MoveBlocks();
  MoveBullets();
  MoveParticles();
  BlockDestroyed = false;
  ShotsHitBlocks();
  if (FrameCount % 3 == 0) LaserHitsBlocks();
  UpdateCombo();
  CheckBlockHit();
  CheckBulletHits();
  CheckGameOver();
  DrawHud();
}

void TGame::CheckGameOver() {
  if (GameOver || LivesLeft >= 0) return;
  GameOver = true;
  GameOverTime = 100;
  KillSlot(kPlayerSlot);
  KillSlot(kShieldSlot);
  StopLaser();
}

void TGame::UpdateGameOver() {
  GameOverTime -= 1;
  if (GameOverTime != 0) return;
  InsertRanking(0, Score);
  InsertRanking(1, BestMultiplier);
  InsertRanking(2, BestComboHits);
  Scene = kSceneTitle;
}
