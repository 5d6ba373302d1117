// The graphics device interface: the display's capabilities, device contexts
// on the screen, on windows, on DirectDraw surfaces and on bitmaps in memory,
// logical palettes and the system palette of an 8-bit display, GetPixel and
// SetPixel, BitBlt with colour mapping, and a BMP decoder.
//
// What this GDI does and does not hold:
// - Screen and window device contexts (GetDC) carry a palette but no pixel
//   memory of their own: the picture on the screen belongs to DirectDraw's
//   primary surface. GetPixel on them returns CLR_INVALID, SetPixel -1 and
//   BitBlt to or from them FALSE.
// - Every bitmap behaves as a device-independent section: it keeps its own
//   format and colour table whatever the display's depth, so selecting it
//   into any memory DC works. Loaded bitmaps are kept as 8-bit indices with
//   their colour table (1, 4 and 8-bit and run-length files), 24-bit
//   blue-green-red (24-bit files) or 32-bit 0xAARRGGBB (16 and 32-bit files,
//   whatever their masks). GetObjectA reports that storage; bmBits points at
//   the top row, rows follow top to bottom bmWidthBytes apart.
// - BitBlt knows SRCCOPY, BLACKNESS and WHITENESS; other raster operations
//   are refused (FALSE).
// - Each call asks platform::TakeFault under its own name first; an injected
//   fault makes it return what it returns on failure.
#pragma once

#include <cstdint>

#include "platform/stream.h"
#include "platform/types.h"

// --- structures of the BMP format and of GDI -----------------------------------
// Packed exactly as stored in files and in the documented API, so that a
// header read byte for byte lands in the right fields.
#pragma pack(push, 2)
struct BITMAPFILEHEADER {
  WORD bfType;  // "BM" (0x4D42)
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;  // from the start of this header to the first pixel row
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14);

#pragma pack(push, 1)
struct RGBTRIPLE {
  BYTE rgbtBlue;
  BYTE rgbtGreen;
  BYTE rgbtRed;
};
#pragma pack(pop)
static_assert(sizeof(RGBTRIPLE) == 3);

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};
static_assert(sizeof(RGBQUAD) == 4);

// The 12-byte OS/2 header: unsigned sizes, rows always bottom-up, and a
// colour table of RGBTRIPLEs.
struct BITMAPCOREHEADER {
  DWORD bcSize;
  WORD bcWidth;
  WORD bcHeight;
  WORD bcPlanes;
  WORD bcBitCount;
};
static_assert(sizeof(BITMAPCOREHEADER) == 12);

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // negative: rows stored top row first
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

using FXPT2DOT30 = LONG;
struct CIEXYZ {
  FXPT2DOT30 ciexyzX;
  FXPT2DOT30 ciexyzY;
  FXPT2DOT30 ciexyzZ;
};
struct CIEXYZTRIPLE {
  CIEXYZ ciexyzRed;
  CIEXYZ ciexyzGreen;
  CIEXYZ ciexyzBlue;
};

struct BITMAPV4HEADER {
  DWORD bV4Size;
  LONG bV4Width;
  LONG bV4Height;
  WORD bV4Planes;
  WORD bV4BitCount;
  DWORD bV4V4Compression;
  DWORD bV4SizeImage;
  LONG bV4XPelsPerMeter;
  LONG bV4YPelsPerMeter;
  DWORD bV4ClrUsed;
  DWORD bV4ClrImportant;
  DWORD bV4RedMask;
  DWORD bV4GreenMask;
  DWORD bV4BlueMask;
  DWORD bV4AlphaMask;
  DWORD bV4CSType;
  CIEXYZTRIPLE bV4Endpoints;
  DWORD bV4GammaRed;
  DWORD bV4GammaGreen;
  DWORD bV4GammaBlue;
};
static_assert(sizeof(BITMAPV4HEADER) == 108);

struct BITMAPV5HEADER {
  DWORD bV5Size;
  LONG bV5Width;
  LONG bV5Height;
  WORD bV5Planes;
  WORD bV5BitCount;
  DWORD bV5Compression;
  DWORD bV5SizeImage;
  LONG bV5XPelsPerMeter;
  LONG bV5YPelsPerMeter;
  DWORD bV5ClrUsed;
  DWORD bV5ClrImportant;
  DWORD bV5RedMask;
  DWORD bV5GreenMask;
  DWORD bV5BlueMask;
  DWORD bV5AlphaMask;
  DWORD bV5CSType;
  CIEXYZTRIPLE bV5Endpoints;
  DWORD bV5GammaRed;
  DWORD bV5GammaGreen;
  DWORD bV5GammaBlue;
  DWORD bV5Intent;
  DWORD bV5ProfileData;
  DWORD bV5ProfileSize;
  DWORD bV5Reserved;
};
static_assert(sizeof(BITMAPV5HEADER) == 124);

// Sizes of the two headers between the 40-byte one and the V4 header: the
// 52-byte one adds the three colour masks, the 56-byte one the alpha mask.
constexpr DWORD BITMAPV2INFOHEADER_SIZE = 52;
constexpr DWORD BITMAPV3INFOHEADER_SIZE = 56;

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct BITMAP {
  LONG bmType;  // 0
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

struct LOGPALETTE {
  WORD palVersion;  // 0x300
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[1];  // palNumEntries entries follow the header
};

// biCompression
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;
constexpr DWORD BI_JPEG = 4;
constexpr DWORD BI_PNG = 5;
constexpr DWORD BI_ALPHABITFIELDS = 6;

// --- handles and constants -----------------------------------------------------
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
struct DEVMODEA;  // only null is accepted: a DC never changes the display's mode

// GetDeviceCaps indices
constexpr int DRIVERVERSION = 0;
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int ASPECTX = 40;
constexpr int ASPECTY = 42;
constexpr int ASPECTXY = 44;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int NUMRESERVED = 106;
constexpr int COLORRES = 108;
constexpr int VREFRESH = 116;
constexpr int DESKTOPVERTRES = 117;
constexpr int DESKTOPHORZRES = 118;

constexpr int DT_RASDISPLAY = 1;

// RASTERCAPS bits
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_BITMAP64 = 0x0008;
constexpr int RC_GDI20_OUTPUT = 0x0010;
constexpr int RC_PALETTE = 0x0100;

// BitBlt's raster operations (SRCCOPY, BLACKNESS, WHITENESS) are in
// platform/types.h, shared with DirectDraw's DDBLTFX.

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr UINT GDI_ERROR = 0xFFFFFFFF;

// COLORREF forms besides plain RGB: an index into the DC's logical palette,
// and an RGB value to be matched in it.
constexpr COLORREF PALETTEINDEX(WORD index) { return 0x01000000u | index; }
constexpr COLORREF PALETTERGB(BYTE r, BYTE g, BYTE b) { return 0x02000000u | RGB(r, g, b); }

// Stock objects
constexpr int DEFAULT_PALETTE = 15;

// LoadImageA
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;

// --- device contexts -------------------------------------------------------------
// An information context on the display: only GetDeviceCaps and DeleteDC
// work on it. DRIVER is "Display" (any case); anything else gives null.
HDC CreateICA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode);
// A device context on the whole display, deleted with DeleteDC.
HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode);
// What the device can do. Display contexts follow the emulated screen's
// current mode (platform::CurrentDisplayMode), so BITSPIXEL reads 8 while a
// full-screen 8-bit mode is set and the desktop's depth again after the
// restore. A surface DC reports its surface's size and depth. 0 for an
// unknown index or handle.
int GetDeviceCaps(HDC dc, int index);
// Deletes a context made by CreateICA, CreateDCA or CreateCompatibleDC.
// Those from GetDC are given back with ReleaseDC, those of surfaces through
// DirectDraw; DeleteDC refuses them.
BOOL DeleteDC(HDC dc);

// The screen's (WINDOW null) or a window's device context. Null for a
// window that does not exist.
HDC GetDC(HWND window);
// 1 when DC was WINDOW's context from GetDC and is now released, else 0.
int ReleaseDC(HWND window, HDC dc);

// A memory DC with the stock 1 x 1 bitmap selected; DC null means one
// compatible with the screen.
HDC CreateCompatibleDC(HDC dc);
// A zeroed bitmap in DC's format: the display's for screen contexts, the
// surface's for surface contexts (with a copy of its palette), the selected
// bitmap's for memory contexts. A zero size gives the stock 1 x 1 bitmap.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// Selects a bitmap into a memory DC and returns the one it replaces. A
// bitmap can be selected into one DC at a time. Palettes go through
// SelectPalette; anything else gives null.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// BITMAP for bitmaps, the entry count (a WORD) for palettes. With BUFFER null
// returns the size needed; else the bytes written, or 0 on failure.
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
// Deletes a palette or bitmap. Refused (FALSE) while it is selected into a DC;
// stock objects are never deleted (TRUE, nothing happens).
BOOL DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int which);

// --- pixels ------------------------------------------------------------------------
// COLORREF of the pixel at (X, Y): CLR_INVALID outside the picture or on a
// context without pixels. 8-bit pictures give the colour of their palette
// entry: a bitmap's colour table, a surface's own palette, or the system
// palette for a surface that has none.
COLORREF GetPixel(HDC dc, int x, int y);
// Sets the pixel to the nearest colour the picture can hold (the nearest
// palette entry on 8-bit pictures) and returns that colour; -1 on failure.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
// Copies WIDTH x HEIGHT pixels from SOURCE at (SX, SY) to DEST at (X, Y),
// mapping colours between the two formats (into 8-bit pictures through the
// nearest entry of the destination's palette). Clipped to both pictures.
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop);

// --- palettes ------------------------------------------------------------------------
// A logical palette of palNumEntries (1 to 256) entries; palVersion must be 0x300.
HPALETTE CreatePalette(const LOGPALETTE* palette);
// Selects PALETTE into DC (any context but an information context) and
// returns the previous one. FORCE_BACKGROUND realises it in the background.
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
// Maps the DC's logical palette into the system palette. Only screen and
// window contexts on an 8-bit display touch it: in the foreground (the
// application active, not forced to the background) every non-static entry
// is freed first; each entry that does not match a colour already there
// (PC_NOCOLLAPSE and PC_RESERVED entries always) takes the next free entry of
// 10-245; entries left over when none is free share the nearest colour.
// Returns how many entries took an entry of the system palette: 0 on a
// display deeper than 8 bits, on other contexts, or in the background when
// nothing is free.
UINT RealizePalette(HDC dc);
// Copies COUNT entries of the system palette from FIRST into ENTRIES (flags
// 0). 0 on a display that is not palettised, as the documented API does;
// with ENTRIES null, the palette's size (256).
UINT GetSystemPaletteEntries(HDC dc, UINT first, UINT count, LPPALETTEENTRY entries);
UINT GetPaletteEntries(HPALETTE palette, UINT first, UINT count, LPPALETTEENTRY entries);
// The index of PALETTE's entry nearest to COLOR; CLR_INVALID on failure.
UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF color);

// --- bitmaps from BMP files -----------------------------------------------------------
// IMAGE_BITMAP with LR_LOADFROMFILE: NAME is a path. WIDTH and HEIGHT 0 keep
// the picture's size; other sizes scale it (nearest pixel). Null when the
// file is missing or not a bitmap this decoder accepts.
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags);

namespace platform::gdi {

// Decodes the BMP that starts at STREAM's position into a bitmap. Accepts
// 1, 4, 8, 16, 24 and 32 bits per pixel; headers of 12, 40, 52, 56, 108 and
// 124 bytes; BI_RGB, BI_BITFIELDS and BI_ALPHABITFIELDS with any masks,
// BI_RLE8 and BI_RLE4; rows bottom-up or top-down. Null for anything
// truncated, inconsistent or too large (more than kMaxBitmapPixels), without
// allocating more than the picture needs. The stream is left wherever
// reading stopped.
HBITMAP LoadBitmapFromStream(Stream& stream);

// The largest picture the decoder and CreateCompatibleBitmap accept.
constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 26;

}  // namespace platform::gdi
