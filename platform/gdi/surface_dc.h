// Device contexts over pixel memory owned by someone else. DirectDraw's
// IDirectDrawSurface7::GetDC makes one over the surface's memory and
// ReleaseDC deletes it; GDI calls (GetPixel, SetPixel, BitBlt, palettes)
// then work on it as on any device context.
#pragma once

#include "platform/pixels.h"
#include "platform/types.h"

namespace platform::gdi {

// A device context drawing into VIEW (which must stay valid until deleted).
HDC CreateSurfaceDC(const PixelView& view);
void DeleteSurfaceDC(HDC dc);

}  // namespace platform::gdi

namespace platform::gdi {

// The system palette (256 entries: 0-9 and 246-255 are the 20 static
// colours). An 8-bit windowed desktop is shown through it, so DirectDraw
// reads it when presenting and writes it when a palette is set on the
// windowed primary surface.
const PALETTEENTRY* SystemPaletteEntries();
void SetSystemPaletteEntries(UINT first, UINT count, const PALETTEENTRY* entries);

}  // namespace platform::gdi
