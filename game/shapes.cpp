// The sprite table and its shapes: every picture the game shows, registered
// from the shape table's cells.
#include "game/game.h"
#include "game/shape_table.h"
#include "surfaces/brin_sprite.h"

void TGame::CreateSprites() { Sprites = std::make_unique<TBrinSprite>(kSlotCount, kShapeCount); }

void TGame::RegisterShapes(TBrinGenSurface* Sheet1, TBrinGenSurface* Sheet2, TBrinGenSurface* Sheet3) {
  TBrinGenSurface* const sheets[] = {nullptr, Sheet1, Sheet2, Sheet3};
  for (const TShapeRange& range : kShapeRanges) {
    for (std::int32_t n = range.First; n <= range.Last; ++n) {
      const TShapeCell cell = ShapeCellIn(range, n);
      Sprites->SetShape(n, sheets[cell.Sheet], TRect{cell.Left, cell.Top, cell.Left + cell.Width, cell.Top + cell.Height});
    }
  }
  BlockShapeBase = shape::kBlockFirst;
}

void TGame::FillBlockMaxHP() {
  constexpr std::int32_t kHitPoints[4] = {10, 50, 200, 500};
  for (std::size_t kind = 0; kind < BlockMaxHP.size(); ++kind) BlockMaxHP[kind] = kHitPoints[kind / 4];
}
