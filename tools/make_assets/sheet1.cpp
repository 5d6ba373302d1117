#include "tools/make_assets/sheets.h"
#include "tools/make_assets/sprites.h"

namespace assetgen {

IndexedImage MakeSheet1() {
  IndexedImage sheet(kSheetSize, kSheetSize);
  DrawPlayerShip(sheet);
  DrawShieldRings(sheet);
  DrawPlayerShots(sheet);
  DrawLaser(sheet);
  DrawShotSparks(sheet);
  DrawLaserSparks(sheet);
  DrawBullets(sheet);
  DrawVanishingBullets(sheet);
  DrawBurstParticles(sheet);
  DrawMenuCursor(sheet);
  DrawBlocks(sheet);
  return sheet;
}

}  // namespace assetgen
