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
