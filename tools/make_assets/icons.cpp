// The program's icon: the ship under a field of blocks, drawn from the
// sheets' own cells on a 32 x 32 canvas with rounded corners, and scaled by
// whole numbers (pixel art stays sharp) to the sizes a desktop asks for.
#include <string>

#include "game/shape_table.h"
#include "tools/make_assets/assets.h"
#include "tools/make_assets/file_formats.h"
#include "tools/make_assets/palette.h"
#include "tools/make_assets/sheets.h"

namespace assetgen {
namespace {

constexpr int kCanvas = 32;

// Copies shape S of SHEET onto CANVAS at (X, Y), its colour key left out.
void Draw(IndexedImage& canvas, const IndexedImage& sheet, int s, int x, int y) {
  const TShapeCell cell = ShapeCell(s);
  for (int dy = 0; dy < cell.Height; ++dy) {
    for (int dx = 0; dx < cell.Width; ++dx) {
      const std::uint8_t c = sheet.Get(cell.Left + dx, cell.Top + dy);
      const int px = x + dx, py = y + dy;
      if (c != kTransparent && px >= 0 && py >= 0 && px < kCanvas && py < kCanvas) canvas.Set(px, py, c);
    }
  }
}

IndexedImage IconCanvas() {
  const IndexedImage sheet1 = MakeSheet1();
  IndexedImage canvas(kCanvas, kCanvas);
  // A dark panel with its corners cut round (radius 4).
  for (int y = 0; y < kCanvas; ++y) {
    for (int x = 0; x < kCanvas; ++x) {
      const int cx = x < 4 ? 4 - x : (x > kCanvas - 5 ? x - (kCanvas - 5) : 0);
      const int cy = y < 4 ? 4 - y : (y > kCanvas - 5 ? y - (kCanvas - 5) : 0);
      if (cx * cx + cy * cy <= 16) canvas.Set(x, y, Shade(Ramp::Steel, y < kCanvas / 2 ? 1 : 0));
    }
  }
  // Two shots flying up into a field of blocks of three colours and sizes,
  // a spark where one hits; the ship below.
  Draw(canvas, sheet1, shape::kShotFirst, 9, 4);
  Draw(canvas, sheet1, shape::kShotFirst + 1, 15, 2);
  Draw(canvas, sheet1, shape::kBlockFirst + 4 + 0, 2, 2);    // 16-pixel red
  Draw(canvas, sheet1, shape::kBlockFirst + 0 + 1, 21, 3);   // 8-pixel blue
  Draw(canvas, sheet1, shape::kBlockFirst + 0 + 3, 23, 12);  // 8-pixel gold
  Draw(canvas, sheet1, shape::kShotSparkFirst + 1, 7, 9);
  Draw(canvas, sheet1, shape::kPlayer, 8, 16);
  return canvas;
}

IndexedImage Scaled(const IndexedImage& image, int factor) {
  IndexedImage out(image.Width() * factor, image.Height() * factor);
  for (int y = 0; y < out.Height(); ++y) {
    for (int x = 0; x < out.Width(); ++x) out.Set(x, y, image.Get(x / factor, y / factor));
  }
  return out;
}

}  // namespace

std::vector<AssetFile> GenerateIcons() {
  const IndexedImage canvas = IconCanvas();
  std::vector<AssetFile> files;
  for (int size : {32, 64, 128, 256}) {
    files.push_back({"zornack-" + std::to_string(size) + ".png", EncodePng8(Scaled(canvas, size / kCanvas), SheetPalette())});
  }
  return files;
}

}  // namespace assetgen
