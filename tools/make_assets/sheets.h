// The three bitmap sheets, each 256 x 256 in the shared palette.
#pragma once

#include "tools/make_assets/indexed_image.h"

namespace assetgen {

constexpr int kSheetSize = 256;

IndexedImage MakeSheet1();  // ship, shield, shots, laser, sparks, bullets, bursts, cursor, blocks
IndexedImage MakeSheet2();  // the title logo
IndexedImage MakeSheet3();  // the font, the digit sets and the combo label

}  // namespace assetgen
