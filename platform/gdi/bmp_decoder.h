// The BMP decoder behind LoadImageA and LoadBitmapFromStream.
#pragma once

#include "platform/gdi/gdi_objects.h"
#include "platform/stream.h"

namespace platform::gdi {

// Decodes the BMP that starts at STREAM's position into BITMAP. False, with
// BITMAP in no particular state, for anything truncated, inconsistent or
// too large; never throws.
bool DecodeBmp(Stream& stream, BitmapData& bitmap);

// Run-length pictures can describe far more pixels than they store (one
// end-of-bitmap code leaves the rest blank), so their size is bounded by
// their data as well: at most kRlePixelsPerByte pixels per stored byte, or
// kRleFreePixels whatever the data, so that a few bytes cannot demand a
// large allocation.
constexpr std::int64_t kRlePixelsPerByte = 1024;
constexpr std::int64_t kRleFreePixels = std::int64_t{1} << 22;

}  // namespace platform::gdi
