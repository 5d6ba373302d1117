// Where each shape of the game's sprite table lies on the three sheets.
// Drawing code asks for a shape's cell here, so a sprite cannot be drawn
// anywhere the game will not look for it.
#pragma once

namespace assetgen {

enum class Sheet { None, Cg1, Cg2, Cg3 };

struct ShapeRect {
  Sheet sheet = Sheet::None;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

constexpr int kShapeCount = 400;

// The rectangle of shape S; sheet None for the numbers the game leaves empty.
ShapeRect ShapeCell(int s);

// Shape numbers the drawing code refers to.
namespace shape {
constexpr int kPlayer = 0;
constexpr int kShieldFirst = 1;    // 1-5, strongest first
constexpr int kShotFirst = 6;      // 6-9
constexpr int kLaserBeamFirst = 10;   // 10-13
constexpr int kLaserMuzzleFirst = 14; // 14-17
constexpr int kShotSparkFirst = 20;   // 20-24
constexpr int kLaserSparkFirst = 25;  // 25-27
constexpr int kBulletFirst = 30;      // 30-33
constexpr int kVanishFirst = 34;      // 34-38
constexpr int kLargeDigitFirst = 50;  // 50-59
constexpr int kSmallDigitFirst = 60;  // 60-69, separator 70
constexpr int kSeparator = 70;
constexpr int kFontFirst = 71;        // codes 32-127
constexpr int kCursor = 167;
constexpr int kLogo = 168;
constexpr int kBurstFirst = 169;      // 169-176
constexpr int kComboDigitFirst = 180; // 180-189
constexpr int kComboLabel = 190;
constexpr int kBlockFirst = 200;      // 200 + kind, kinds 0-15
}  // namespace shape

}  // namespace assetgen
