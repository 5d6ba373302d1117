// Screens composed from the sheets' cells the way the game's sprite table
// draws them (colour key 0, later entries under earlier ones), for the
// documentation: they show the sheets in use, not just laid out.
#include <string>
#include <string_view>

#include "game/shape_table.h"
#include "tools/make_assets/assets.h"
#include "tools/make_assets/file_formats.h"
#include "tools/make_assets/int_math.h"
#include "tools/make_assets/palette.h"
#include "tools/make_assets/sheets.h"

namespace assetgen {
namespace {

class Screen {
 public:
  Screen() : image_(640, 480), sheet1_(MakeSheet1()), sheet2_(MakeSheet2()), sheet3_(MakeSheet3()) {}

  // Draws shape S with its top-left at (x, y); HEIGHT stretches it
  // vertically as the laser beam is.
  void Draw(int s, int x, int y, int height = 0) {
    const TShapeCell r = ShapeCell(s);
    if (r.Sheet == 0) return;
    const IndexedImage* sheet = r.Sheet == 1 ? &sheet1_ : (r.Sheet == 2 ? &sheet2_ : &sheet3_);
    const int h = height > 0 ? height : r.Height;
    for (int dy = 0; dy < h; ++dy) {
      const int sy = r.Top + (dy * r.Height) / h;
      for (int dx = 0; dx < r.Width; ++dx) {
        const std::uint8_t c = sheet->Get(r.Left + dx, sy);
        const int px = x + dx;
        const int py = y + dy;
        if (c != 0 && px >= 0 && py >= 0 && px < 640 && py < 480) image_.Set(px, py, c);
      }
    }
  }

  void Text(int x, int y, std::string_view text, int first, int pitch, char separator = 0, int separatorShape = 0) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      const int s = c == separator ? separatorShape : first + (c - (first == shape::kFontFirst ? 32 : '0'));
      if (c != ' ' || first != shape::kFontFirst) Draw(s, x + pitch * static_cast<int>(i), y);
    }
  }

  void CentredText(int y, std::string_view text) {
    Text((640 - 16 * static_cast<int>(text.size())) / 2, y, text, shape::kFontFirst, 16);
  }

  const IndexedImage& Image() const { return image_; }

 private:
  IndexedImage image_;
  IndexedImage sheet1_;
  IndexedImage sheet2_;
  IndexedImage sheet3_;
};

// Top-left of block i of a row centred on x = 320.
int RowX(int size, int n, int gap, int i) {
  const int pitch = size + gap;
  return 320 - ((n - 1) * pitch + size) / 2 + i * pitch;
}

// Where a shot of a volley fired from (x, y) is after FRAMES frames.
void ShotAt(int j, int frames, int x, int y, int& sx, int& sy) {
  const int angle = ((254 + 8 * j) * kFullTurn) / 360;
  sx = x + 2 * j + static_cast<int>((12LL * frames * CosQ15(angle)) >> 15);
  sy = y + static_cast<int>((12LL * frames * SinQ15(angle)) >> 15);
}

IndexedImage PlayScreen() {
  Screen screen;
  const int playerX = 300;
  const int playerY = 392;
  // Bottom to top, as the sprite table draws: player, shield, shots,
  // blocks, bullets, particles, then the status display.
  screen.Draw(shape::kPlayer, playerX, playerY);
  screen.Draw(shape::kShieldFirst + 1, playerX, playerY);
  for (int volley = 0; volley < 5; ++volley) {
    for (int j = 0; j < 5; ++j) {
      int sx = 0;
      int sy = 0;
      ShotAt(j, 2 + 4 * volley, playerX, playerY, sx, sy);
      screen.Draw(shape::kShotFirst + (volley + j) % 4, sx, sy);
    }
  }
  for (int i = 0; i < 8; ++i) screen.Draw(shape::kBlockFirst + 12 + i % 4, RowX(32, 8, 24, i), 64);
  for (int i = 0; i < 10; ++i) screen.Draw(shape::kBlockFirst + 8 + (i + 1) % 4, RowX(24, 10, 16, i), 112);
  for (int i = 0; i < 14; ++i) {
    if (i == 6 || i == 7) continue;  // shot out already
    screen.Draw(shape::kBlockFirst + 4 + (i / 2) % 4, RowX(16, 14, 12, i), 152);
  }
  for (int i = 0; i < 25; ++i) {
    if (i >= 10 && i <= 14) continue;
    screen.Draw(shape::kBlockFirst + (i / 5) % 4, RowX(8, 25, 8, i), 184);
  }
  // Fragments of a freshly split block drifting apart.
  screen.Draw(shape::kBlockFirst + 2, 470, 214);
  screen.Draw(shape::kBlockFirst + 2, 492, 226);
  screen.Draw(shape::kBlockFirst + 6, 452, 236);
  // A ring of bullets opening out, an aimed line, and a spiral arc.
  for (int i = 0; i < 10; ++i) {
    const int a = (kFullTurn * i) / 10;
    screen.Draw(shape::kBulletFirst + i % 4, 180 + ((44 * CosQ15(a)) >> 15), 250 + ((44 * SinQ15(a)) >> 15));
  }
  for (int i = 0; i < 4; ++i) screen.Draw(shape::kBulletFirst + i, 420 - 18 * i + 4 * i, 230 + 26 * i);
  for (int i = 0; i < 7; ++i) {
    const int a = 120 + 40 * i;
    screen.Draw(shape::kBulletFirst + i % 4, 520 + (((30 + 6 * i) * CosQ15(a)) >> 15), 300 + (((30 + 6 * i) * SinQ15(a)) >> 15));
  }
  for (int i = 0; i < 5; ++i) screen.Draw(shape::kVanishFirst + i, 96 + 14 * i, 360 - 8 * i);
  // Sparks where the spread meets the blocks, and a burst dying out.
  screen.Draw(shape::kShotSparkFirst, 306, 172);
  screen.Draw(shape::kShotSparkFirst + 2, 330, 166);
  screen.Draw(shape::kShotSparkFirst + 4, 286, 160);
  for (int i = 0; i < 12; ++i) {
    const int a = (kFullTurn * i) / 12 + 20;
    const int r = 18 + (i % 3) * 10;
    screen.Draw(shape::kBurstFirst + i % 8, 560 + ((r * CosQ15(a)) >> 15), 400 + ((r * SinQ15(a)) >> 15));
  }
  // The status display: score, multiplier, combo, bombs, lives, banner.
  screen.Text(0, 0, "1286450", shape::kLargeDigitFirst, 16);
  screen.Text(0, 32, ":2340", shape::kSmallDigitFirst, 8, ':', shape::kSeparator);
  screen.Text(0, 40, "37:", shape::kComboDigitFirst, 8, ':', shape::kComboLabel);
  screen.Text(0, 464, "BOMB 2", shape::kFontFirst, 16);
  for (int i = 0; i < 3; ++i) screen.Draw(shape::kFontFirst + ('{' - 32), 16 * i, 448);
  screen.CentredText(232, "STAGE 1-13");
  return screen.Image();
}

IndexedImage LaserScreen() {
  Screen screen;
  const int playerX = 312;
  const int playerY = 360;
  // The beams run from the top of the screen down to the ship, over the
  // blocks (they sit in lower sprite entries, which draw on top); the
  // sparks draw over the beams.
  screen.Draw(shape::kPlayer, playerX, playerY);
  for (int i = 0; i < 7; ++i) screen.Draw(shape::kBlockFirst + 12 + i % 4, RowX(32, 7, 16, i), 120);
  for (int i = 0; i < 5; ++i) screen.Draw(shape::kBlockFirst + 4 + i % 4, RowX(16, 5, 40, i), 200);
  for (int i = 0; i < 2; ++i) {
    screen.Draw(shape::kLaserBeamFirst + 1 + i, playerX + 8 * i, 0, playerY);
    screen.Draw(shape::kLaserMuzzleFirst + 1 + i, playerX + 8 * i, playerY);
  }
  screen.Draw(shape::kLaserSparkFirst + 1, playerX - 4, 128);
  screen.Draw(shape::kLaserSparkFirst, playerX + 4, 130);
  screen.Draw(shape::kLaserSparkFirst + 2, playerX, 200);
  screen.Text(0, 0, "88200", shape::kLargeDigitFirst, 16);
  screen.Text(0, 32, ":1100", shape::kSmallDigitFirst, 8, ':', shape::kSeparator);
  screen.Text(0, 40, "6:", shape::kComboDigitFirst, 8, ':', shape::kComboLabel);
  screen.Text(0, 464, "BOMB 3", shape::kFontFirst, 16);
  for (int i = 0; i < 2; ++i) screen.Draw(shape::kFontFirst + ('{' - 32), 16 * i, 448);
  return screen.Image();
}

IndexedImage TitleScreen() {
  Screen screen;
  const char* const items[4] = {"GAMESTART", "RANKING", "EXIT", "<1ST AREA>"};
  for (int i = 0; i < 4; ++i) {
    const std::string_view text = items[i];
    const int x = (656 - 16 * static_cast<int>(text.size())) / 2;
    screen.Text(x, i == 3 ? 260 : 300 + 20 * i, text, shape::kFontFirst, 16);
  }
  screen.Text(200, 460, "PresentedBy KEL", shape::kFontFirst, 16);
  screen.Draw(shape::kCursor, 240, 300);
  screen.Draw(shape::kLogo, 192, 80);
  return screen.Image();
}

}  // namespace

std::vector<AssetFile> GenerateMockups() {
  const Palette& palette = SheetPalette();
  return {
      {"play_screen.bmp", EncodeBmp8(PlayScreen(), palette)},
      {"laser_screen.bmp", EncodeBmp8(LaserScreen(), palette)},
      {"title_screen.bmp", EncodeBmp8(TitleScreen(), palette)},
  };
}

}  // namespace assetgen
