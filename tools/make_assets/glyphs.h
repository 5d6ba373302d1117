// The hand-made pixel font the text sheet is drawn from: 5 x 8 glyphs for
// character codes 32-127 (capitals 7 rows high, row 7 for descenders), and
// the 7 x 15 digits of the score.
#pragma once

#include "tools/make_assets/indexed_image.h"

namespace assetgen {

// The glyph of character code C (32-127) as a 5 x 8 mask; code 123 ("{")
// is blank here, the text sheet draws the life icon in its place.
Mask SmallGlyph(int c);

// The score digit D (0-9) as a 7 x 15 mask.
Mask LargeDigit(int d);

}  // namespace assetgen
