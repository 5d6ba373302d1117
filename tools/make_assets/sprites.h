// Drawing routines for the sprites of the first sheet, one per group of
// shapes. Each draws into the cells the shape table gives its shapes.
#pragma once

#include "tools/make_assets/indexed_image.h"

namespace assetgen {

// A cell of IMAGE at shape S's rectangle.
Cell ShapeCellOf(IndexedImage& image, int s);

void DrawPlayerShip(IndexedImage& sheet);
void DrawShieldRings(IndexedImage& sheet);
void DrawMenuCursor(IndexedImage& sheet);

void DrawPlayerShots(IndexedImage& sheet);
void DrawLaser(IndexedImage& sheet);
void DrawShotSparks(IndexedImage& sheet);
void DrawLaserSparks(IndexedImage& sheet);
void DrawBullets(IndexedImage& sheet);
void DrawVanishingBullets(IndexedImage& sheet);
void DrawBurstParticles(IndexedImage& sheet);

void DrawBlocks(IndexedImage& sheet);

// The small ship of the status display's life icon, drawn at (x, y) of CELL
// (12 x 12 pixels).
void DrawLifeIcon(Cell& cell, int x, int y);

}  // namespace assetgen
