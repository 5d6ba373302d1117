// Sprite text: every character on screen is one slot showing a glyph of the
// 16 x 16 font (shapes 71-166, character code c is shape 71 + c - 32). A
// text fills a run of slots the scene has already placed.
#include "game/game.h"
#include "surfaces/brin_sprite.h"

namespace {

constexpr std::int32_t kFontBase = 71;

std::int32_t GlyphOf(char c) { return kFontBase + static_cast<unsigned char>(c) - 32; }

}  // namespace

void TGame::ShowText(std::int32_t First, std::int32_t Count, std::string_view Text) {
  for (std::int32_t i = 0; i < Count; ++i) {
    TBrinSprReg& sprite = Sprite(First + i);
    if (static_cast<std::size_t>(i) < Text.size()) {
      sprite.IShape = GlyphOf(Text[static_cast<std::size_t>(i)]);
      sprite.Show();
    } else {
      sprite.Hide();
    }
  }
}

void TGame::ShowScrollingText(std::int32_t First, std::int32_t Count, std::int32_t Offset, std::string_view Text) {
  // An empty text has nothing to scroll through.
  if (Text.empty()) return;
  const std::int64_t length = static_cast<std::int64_t>(Text.size());
  for (std::int32_t k = 0; k < Count; ++k) {
    std::int64_t at = (std::int64_t{Offset} + k) % length;
    if (at < 0) at += length;
    Sprite(First + k).IShape = GlyphOf(Text[static_cast<std::size_t>(at)]);
  }
}
