// Scoring bookkeeping of each play frame and the status display. Every
// character of the display is one slot laid out by SetupPlay; here only its
// glyph and visibility change (and the banner's positions, to centre it).
// Numbers are formatted into buffers on the stack: a frame allocates nothing.
#include <algorithm>
#include <charconv>
#include <cstring>

#include "game/game.h"
#include "surfaces/brin_sprite.h"

namespace {

// Slot runs of the status display.
constexpr std::int32_t kScoreSlot = 0, kScoreSlots = 16;
constexpr std::int32_t kMultiplierSlot = 16, kMultiplierSlots = 10;
constexpr std::int32_t kBombSlot = 26, kBombSlots = 6;
constexpr std::int32_t kLifeSlot = 32, kLifeSlots = 5;
constexpr std::int32_t kBannerSlot = 37, kBannerSlots = 15;
constexpr std::int32_t kComboSlot = 52, kComboSlots = 8;
constexpr std::int32_t kBannerWidth = 16;  // font glyphs, pixels

// The digit sets: the glyph of character code c is base + (c - '0'). ':'
// follows '9' in code order, so it lands on the glyph after the digits: the
// separator (70) in the multiplier set and the "COMBO" label (190) in the
// combo set. The score set has digits only.
constexpr std::int32_t kScoreDigits = 50;       // 16 x 32
constexpr std::int32_t kMultiplierDigits = 60;  // 8 x 8
constexpr std::int32_t kComboDigits = 180;      // 8 x 8
// The font's "{" (71 + '{' - 32) is drawn as the ship's life icon.
constexpr std::int32_t kLifeIcon = 162;

constexpr std::int32_t kComboBreakCut = 1000;
constexpr std::int32_t kMinMultiplier = 100;

// The digit-set counterpart of ShowText: slots past the text are hidden.
void ShowDigits(TGame& game, std::int32_t first, std::int32_t count, std::int32_t base, const char* text,
                const char* end) {
  const std::int32_t length = static_cast<std::int32_t>(end - text);
  for (std::int32_t i = 0; i < count; ++i) {
    TBrinSprReg& sprite = game.Sprite(first + i);
    if (i < length) {
      sprite.IShape = base + (static_cast<unsigned char>(text[i]) - '0');
      sprite.Show();
    } else {
      sprite.Hide();
    }
  }
}

}  // namespace

void TGame::UpdateCombo() {
  BestComboHits = std::max(BestComboHits, ComboHits);
  BestMultiplier = std::max(BestMultiplier, Multiplier);
  if (BlockDestroyed) {
    // One explosion a frame, however many blocks fell in it.
    RequestSound(0, 10, 0);
    return;
  }
  if (ComboTimer == 0) {
    // The timer stays at 0 after a break, so the cut repeats every frame
    // until the multiplier is down to its floor. While the game is over the
    // combo is frozen: its bullets still score with it.
    if (GameOver) return;
    ComboHits = 0;
    Multiplier -= kComboBreakCut;
    if (Multiplier < kMinMultiplier) {
      Multiplier = kMinMultiplier;
    } else {
      ComboBonusArmed = false;
    }
  } else if (ComboTimer > 0) {
    --ComboTimer;
  }
}

void TGame::DrawHud() {
  char text[32];
  char* const limit = text + sizeof text;

  char* end = std::to_chars(text, limit, Score).ptr;
  ShowDigits(*this, kScoreSlot, kScoreSlots, kScoreDigits, text, end);

  text[0] = ':';
  end = std::to_chars(text + 1, limit, Multiplier).ptr;
  ShowDigits(*this, kMultiplierSlot, kMultiplierSlots, kMultiplierDigits, text, end);

  end = std::to_chars(text, limit - 1, ComboHits).ptr;
  *end++ = ':';
  ShowDigits(*this, kComboSlot, kComboSlots, kComboDigits, text, end);

  constexpr std::string_view kBomb = "BOMB ";
  std::memcpy(text, kBomb.data(), kBomb.size());
  end = std::to_chars(text + kBomb.size(), limit, BombsLeft).ptr;
  ShowText(kBombSlot, kBombSlots, std::string_view(text, static_cast<std::size_t>(end - text)));

  for (std::int32_t m = 0; m < kLifeSlots; ++m) {
    TBrinSprReg& sprite = Sprite(kLifeSlot + m);
    sprite.IShape = kLifeIcon;
    sprite.Visible = m < LivesLeft;
  }

  std::string_view banner = " ";
  if (GameOver) {
    banner = "GAME OVER";
  } else if (StageBannerTime > 0) {
    --StageBannerTime;
    constexpr std::string_view kStage = "STAGE ";
    std::memcpy(text, kStage.data(), kStage.size());
    end = std::to_chars(text + kStage.size(), limit, RoundNumber).ptr;
    *end++ = '-';
    end = std::to_chars(end, limit, StageNumber).ptr;
    banner = std::string_view(text, static_cast<std::size_t>(end - text));
  }
  ShowText(kBannerSlot, kBannerSlots, banner);
  // Centres the text, and places the slot after it too (hidden, it shows
  // nothing). A text longer than the run moves nothing outside it.
  const auto length = static_cast<std::int32_t>(banner.size());
  const std::int32_t last = std::min(length, kBannerSlots - 1);
  for (std::int32_t a = 0; a <= last; ++a) {
    Sprite(kBannerSlot + a).X = (kScreenWidth - kBannerWidth * length) / 2 + kBannerWidth * a;
  }
}
