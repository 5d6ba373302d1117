// The shape table: every picture the game shows, as cells of the three
// 256 x 256 sheets. Rectangles are written as left, top, width, height.
#include "game/game.h"
#include "surfaces/brin_sprite.h"

namespace {

void Set(TBrinSprite& sprites, std::int32_t shape, TBrinGenSurface* sheet, std::int32_t left, std::int32_t top,
         std::int32_t width, std::int32_t height) {
  sprites.SetShape(shape, sheet, TRect{left, top, left + width, top + height});
}

}  // namespace

void TGame::CreateSprites() { Sprites = std::make_unique<TBrinSprite>(kSlotCount, kShapeCount); }

void TGame::RegisterShapes(TBrinGenSurface* Sheet1, TBrinGenSurface* Sheet2, TBrinGenSurface* Sheet3) {
  TBrinSprite& s = *Sprites;
  Set(s, 0, Sheet1, 0, 0, 16, 16);                                          // the player
  for (int n = 1; n <= 5; ++n) Set(s, n, Sheet1, 16 * n, 0, 16, 16);       // shield, strongest first
  for (int n = 6; n <= 9; ++n) Set(s, n, Sheet1, 8 * (n - 6), 16, 8, 16);  // shot
  for (int n = 10; n <= 17; ++n) {                                           // laser beam, then muzzle
    Set(s, n, Sheet1, 32 + 8 * ((n - 10) % 4), 16 + 8 * ((n - 10) / 4), 8, 8);
  }
  for (int n = 20; n <= 24; ++n) Set(s, n, Sheet1, 96 + 16 * (n - 20), 0, 16, 16);   // shot spark
  for (int n = 25; n <= 27; ++n) Set(s, n, Sheet1, 176 + 16 * (n - 25), 0, 16, 16);  // laser spark
  for (int n = 30; n <= 33; ++n) Set(s, n, Sheet1, 32 + 8 * (n - 30), 32, 8, 8);     // enemy bullet
  for (int n = 34; n <= 38; ++n) Set(s, n, Sheet1, 64 + 8 * (n - 34), 16, 8, 8);     // vanishing bullet
  for (int n = 50; n <= 59; ++n) Set(s, n, Sheet3, 16 * (n - 50), 96, 16, 32);       // large digits
  for (int n = 60; n <= 70; ++n) Set(s, n, Sheet3, 8 * (n - 60), 128, 8, 8);         // small digits, separator
  for (int n = 71; n <= 166; ++n) {                                                    // the 16 x 16 font
    Set(s, n, Sheet3, 16 * ((n - 71) % 16), 16 * ((n - 71) / 16), 16, 16);
  }
  Set(s, 167, Sheet1, 0, 112, 16, 16);                                                  // menu cursor
  Set(s, 168, Sheet2, 0, 0, 256, 96);                                                   // title logo
  for (int n = 169; n <= 176; ++n) Set(s, n, Sheet1, 112 + 16 * (n - 169), 16, 16, 16);  // burst particle
  for (int n = 180; n <= 189; ++n) Set(s, n, Sheet3, 8 * (n - 180), 136, 8, 8);         // combo digits
  Set(s, 190, Sheet3, 80, 136, 40, 8);                                                  // combo label
  BlockShapeBase = 200;
  for (int n = 200; n <= 203; ++n) Set(s, n, Sheet1, 8 * (n - 200), 32, 8, 8);     // blocks, size 8
  for (int n = 204; n <= 207; ++n) Set(s, n, Sheet1, 16 * (n - 204), 40, 16, 16);  // size 16
  for (int n = 208; n <= 211; ++n) Set(s, n, Sheet1, 24 * (n - 208), 56, 24, 24);  // size 24
  for (int n = 212; n <= 215; ++n) Set(s, n, Sheet1, 32 * (n - 212), 80, 32, 32);  // size 32
}

void TGame::FillBlockMaxHP() {
  constexpr std::int32_t kHitPoints[4] = {10, 50, 200, 500};
  for (std::size_t kind = 0; kind < BlockMaxHP.size(); ++kind) BlockMaxHP[kind] = kHitPoints[kind / 4];
}
