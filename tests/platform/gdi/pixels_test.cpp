// GetPixel, SetPixel and BitBlt on surface contexts of every format and on
// bitmaps: GDI colours mapped to and from each picture's pixels.
#include <string>

#include "platform/faults.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace platform::gdi::testing {
namespace {

// Brute-force nearest entry, written apart from the platform's own.
int Nearest(const PALETTEENTRY* palette, int count, COLORREF c) {
  int best = 0;
  long bestDistance = LONG_MAX;
  for (int i = 0; i < count; ++i) {
    const long dr = palette[i].peRed - GetRValue(c), dg = palette[i].peGreen - GetGValue(c), db = palette[i].peBlue - GetBValue(c);
    const long d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) bestDistance = d, best = i;
  }
  return best;
}

struct FormatCase {
  const char* name;
  PixelFormat format;
  std::uint32_t valueCount;  // raw values to try: all of them, or every STEP-th
  std::uint32_t step;
};

class TrueColourPixels : public GdiTest, public ::testing::WithParamInterface<FormatCase> {};

// Every raw value reads as a GDI colour that writes back as the same raw
// value, and SetPixel returns the colour that GetPixel then reads.
TEST_P(TrueColourPixels, RawValuesRoundTripThroughGdiColours) {
  const FormatCase& c = GetParam();
  SurfaceMemory surface(2, 1, c.format);
  const std::uint32_t usedBits = c.format.redMask | c.format.greenMask | c.format.blueMask;
  for (std::uint32_t v = 0; v < c.valueCount; v += c.step) {
    const std::uint32_t raw = v & usedBits;
    surface.SetRaw(0, 0, raw | c.format.alphaMask);
    const COLORREF colour = GetPixel(surface.dc(), 0, 0);
    ASSERT_EQ(colour >> 24, 0u);
    ASSERT_EQ(SetPixel(surface.dc(), 1, 0, colour), colour) << std::hex << raw;
    ASSERT_EQ(surface.Raw(1, 0), raw | c.format.alphaMask) << std::hex << raw;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, TrueColourPixels,
                         ::testing::Values(FormatCase{"Rgb565", PixelFormat::Rgb565(), 1u << 16, 1},
                                           FormatCase{"Rgb555", PixelFormat::Rgb555(), 1u << 15, 1},
                                           FormatCase{"Rgb888", PixelFormat::Rgb888(), 1u << 24, 251},
                                           FormatCase{"Xrgb8888", PixelFormat::Xrgb8888(), 1u << 24, 251},
                                           FormatCase{"Argb8888", PixelFormat::Argb8888(), 1u << 24, 251}),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

using SurfacePixels = GdiTest;

TEST_F(SurfacePixels, ColoursLandInTheFormatsOwnBits) {
  SurfaceMemory s565(3, 2, PixelFormat::Rgb565());
  EXPECT_EQ(SetPixel(s565.dc(), 0, 0, RGB(255, 255, 255)), RGB(255, 255, 255));
  EXPECT_EQ(s565.Raw(0, 0), 0xFFFFu);
  EXPECT_EQ(SetPixel(s565.dc(), 1, 0, RGB(8, 4, 8)), RGB(8, 4, 8));
  EXPECT_EQ(s565.Raw(1, 0), (1u << 11) | (1u << 5) | 1u);
  EXPECT_EQ(SetPixel(s565.dc(), 2, 1, RGB(7, 3, 7)), RGB(0, 0, 0));  // below one step of each channel
  s565.SetRaw(0, 1, 0xF800);
  EXPECT_EQ(GetPixel(s565.dc(), 0, 1), RGB(255, 0, 0));

  SurfaceMemory s555(1, 1, PixelFormat::Rgb555());
  SetPixel(s555.dc(), 0, 0, RGB(255, 255, 255));
  EXPECT_EQ(s555.Raw(0, 0), 0x7FFFu);  // the unused top bit stays clear
  s555.SetRaw(0, 0, 0xFFFF);
  EXPECT_EQ(GetPixel(s555.dc(), 0, 0), RGB(255, 255, 255));

  SurfaceMemory s24(1, 1, PixelFormat::Rgb888());
  SetPixel(s24.dc(), 0, 0, RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(s24.view().bits[0], 0x56);  // blue, green, red in memory
  EXPECT_EQ(s24.view().bits[2], 0x12);

  SurfaceMemory x32(1, 1, PixelFormat::Xrgb8888());
  SetPixel(x32.dc(), 0, 0, RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(x32.Raw(0, 0), 0x00123456u);
  SurfaceMemory a32(1, 1, PixelFormat::Argb8888());
  SetPixel(a32.dc(), 0, 0, RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(a32.Raw(0, 0), 0xFF123456u);  // opaque

  // Outside the picture nothing is read or written.
  EXPECT_EQ(GetPixel(x32.dc(), -1, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(x32.dc(), 1, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(x32.dc(), 0, 1), CLR_INVALID);
  EXPECT_EQ(SetPixel(x32.dc(), 0, -1, 0), CLR_INVALID);
  EXPECT_EQ(x32.Raw(0, 0), 0x00123456u);

  InjectFault("GetPixel", E_FAIL);
  EXPECT_EQ(GetPixel(x32.dc(), 0, 0), CLR_INVALID);
  InjectFault("SetPixel", E_FAIL);
  EXPECT_EQ(SetPixel(x32.dc(), 0, 0, 0), CLR_INVALID);
  EXPECT_EQ(x32.Raw(0, 0), 0x00123456u);
}

TEST_F(SurfacePixels, UnusableViewsGetNoContext) {
  std::uint8_t memory[64] = {};
  PixelView view{memory, 8, 2, 2, PixelFormat::Xrgb8888(), nullptr};
  HDC dc = CreateSurfaceDC(view);
  EXPECT_NE(dc, nullptr);
  DeleteSurfaceDC(dc);
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
  EXPECT_EQ(CreateSurfaceDC(PixelView{nullptr, 8, 2, 2, PixelFormat::Xrgb8888(), nullptr}), nullptr);
  EXPECT_EQ(CreateSurfaceDC(PixelView{memory, 4, 2, 2, PixelFormat::Xrgb8888(), nullptr}), nullptr);  // pitch < row
  EXPECT_EQ(CreateSurfaceDC(PixelView{memory, 8, 0, 2, PixelFormat::Xrgb8888(), nullptr}), nullptr);
  EXPECT_EQ(CreateSurfaceDC(PixelView{memory, 8, 2, 2, PixelFormat{12, 0xF00, 0xF0, 0xF, 0}, nullptr}), nullptr);

  // Rows may run upwards in memory (a negative pitch).
  PixelView upwards{memory + 56, -8, 2, 2, PixelFormat::Xrgb8888(), nullptr};
  dc = CreateSurfaceDC(upwards);
  ASSERT_NE(dc, nullptr);
  SetPixel(dc, 1, 1, RGB(1, 2, 3));
  EXPECT_EQ(memory[52], 3);  // row 1 lies 8 bytes before row 0; blue is the first byte
  EXPECT_EQ(memory[54], 1);
  EXPECT_EQ(DeleteDC(dc), FALSE);  // surface contexts go back through DirectDraw
  DeleteSurfaceDC(dc);
}

TEST_F(SurfacePixels, EightBitViewsTakeTheNearestEntryOfTheirPalette) {
  std::array<PALETTEENTRY, 256> palette{};
  palette.fill(Entry(0, 0, 0));
  palette[7] = Entry(200, 10, 10);
  palette[9] = Entry(10, 200, 10);
  palette[200] = Entry(10, 10, 200);
  palette[30] = Entry(90, 90, 90);
  palette[31] = Entry(90, 90, 90);
  SurfaceMemory surface(4, 1, PixelFormat::Indexed8(), palette.data());
  EXPECT_EQ(SetPixel(surface.dc(), 0, 0, RGB(190, 20, 20)), RGB(200, 10, 10));
  EXPECT_EQ(surface.Raw(0, 0), 7u);
  EXPECT_EQ(SetPixel(surface.dc(), 1, 0, RGB(0, 0, 160)), RGB(10, 10, 200));
  EXPECT_EQ(surface.Raw(1, 0), 200u);
  SetPixel(surface.dc(), 2, 0, RGB(95, 95, 95));
  EXPECT_EQ(surface.Raw(2, 0), 30u);  // a tie goes to the lower index
  surface.SetRaw(3, 0, 9);
  EXPECT_EQ(GetPixel(surface.dc(), 3, 0), RGB(10, 200, 10));

  // PALETTEINDEX names an entry of the context's logical palette.
  HPALETTE logical = MakePalette({Entry(1, 1, 1), Entry(12, 190, 12)});
  SelectPalette(surface.dc(), logical, FALSE);
  EXPECT_EQ(SetPixel(surface.dc(), 0, 0, PALETTEINDEX(1)), RGB(10, 200, 10));
  EXPECT_EQ(surface.Raw(0, 0), 9u);
  EXPECT_EQ(SetPixel(surface.dc(), 0, 0, PALETTERGB(200, 10, 10)), RGB(200, 10, 10));
  SelectPalette(surface.dc(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  EXPECT_EQ(DeleteObject(logical), TRUE);
}

TEST_F(SurfacePixels, EightBitViewsWithoutAPaletteUseTheSystemPalette) {
  ASSERT_TRUE(ChangeDisplayMode(DisplayMode{640, 480, 8, 0}));
  SurfaceMemory surface(2, 1, PixelFormat::Indexed8());
  EXPECT_EQ(SetPixel(surface.dc(), 0, 0, RGB(250, 0, 0)), RGB(255, 0, 0));
  EXPECT_EQ(surface.Raw(0, 0), 249u);
  surface.SetRaw(1, 0, 252);
  EXPECT_EQ(GetPixel(surface.dc(), 1, 0), RGB(0, 0, 255));

  // A realised palette changes what the free entries show.
  HDC screen = GetDC(nullptr);
  HPALETTE palette = MakePalette({Entry(17, 34, 51, PC_NOCOLLAPSE)});
  SelectPalette(screen, palette, FALSE);
  EXPECT_EQ(RealizePalette(screen), 1u);
  surface.SetRaw(1, 0, 10);
  EXPECT_EQ(GetPixel(surface.dc(), 1, 0), RGB(17, 34, 51));
  SetPixel(surface.dc(), 0, 0, RGB(17, 34, 50));
  EXPECT_EQ(surface.Raw(0, 0), 10u);
  ReleaseDC(nullptr, screen);
}

using BitBlts = GdiTest;

TEST_F(BitBlts, TrueColourBitmapOntoAnEightBitViewTakesTheNearestEntries) {
  // A 6 x 6 x 6 colour cube and a grey ramp, as an 8-bit display might hold.
  std::array<PALETTEENTRY, 256> palette{};
  for (int i = 0; i < 216; ++i) palette[i] = Entry(static_cast<BYTE>(i / 36 * 51), static_cast<BYTE>(i / 6 % 6 * 51), static_cast<BYTE>(i % 6 * 51));
  for (int i = 216; i < 256; ++i) palette[i] = Entry(static_cast<BYTE>((i - 216) * 6), static_cast<BYTE>((i - 216) * 6), static_cast<BYTE>((i - 216) * 6 + 3));
  SurfaceMemory target(16, 16, PixelFormat::Indexed8(), palette.data());

  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, GDI_TEST_DATA "bits24.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(bitmap, nullptr);
  HDC memory = CreateCompatibleDC(target.dc());
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  ASSERT_EQ(BitBlt(target.dc(), 0, 0, 13, 7, memory, 0, 0, SRCCOPY), TRUE);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      if (x < 13 && y < 7)
        ASSERT_EQ(target.Raw(x, y), static_cast<std::uint32_t>(Nearest(palette.data(), 256, GetPixel(memory, x, y)))) << x << "," << y;
      else
        ASSERT_EQ(target.Raw(x, y), 0xA5u) << x << "," << y;  // outside the copy: untouched
    }
  SelectObject(memory, previous);
  DeleteDC(memory);
  EXPECT_EQ(DeleteObject(bitmap), TRUE);
}

TEST_F(BitBlts, ClipsToBothPictures) {
  SurfaceMemory source(4, 4, PixelFormat::Xrgb8888());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) source.SetRaw(x, y, static_cast<std::uint32_t>(0x010000 * (x + 1) + 0x000100 * (y + 1)));
  SurfaceMemory dest(6, 5, PixelFormat::Xrgb8888());
  auto expectCopy = [&](int dx, int dy, int w, int h, int sx, int sy) {
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) dest.SetRaw(x, y, 0xDEAD);
    ASSERT_EQ(BitBlt(dest.dc(), dx, dy, w, h, source.dc(), sx, sy, SRCCOPY), TRUE);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) {
        const long long fromX = 0LL + x - dx + sx, fromY = 0LL + y - dy + sy;
        const bool inside = x >= dx && x < 0LL + dx + w && y >= dy && y < 0LL + dy + h && fromX >= 0 && fromX < 4 && fromY >= 0 &&
                            fromY < 4;
        ASSERT_EQ(dest.Raw(x, y), inside ? source.Raw(static_cast<int>(fromX), static_cast<int>(fromY)) : 0xDEADu)
            << "copy " << dx << "," << dy << " " << w << "x" << h << " from " << sx << "," << sy << " at " << x << "," << y;
      }
  };
  expectCopy(0, 0, 4, 4, 0, 0);
  expectCopy(4, -1, 10, 10, 1, 0);  // runs off the right and top of the destination
  expectCopy(-2, 3, 5, 5, 0, 0);    // off the left and bottom
  expectCopy(1, 1, 4, 4, -2, -1);   // starts before the source
  expectCopy(0, 0, 9, 9, 3, 3);     // runs off the source
  expectCopy(0, 0, 2, 2, 4, 0);     // wholly outside the source: nothing, but done
  expectCopy(6, 0, 2, 2, 0, 0);     // wholly outside the destination
  expectCopy(0, 0, -3, 2, 0, 0);    // no width
  expectCopy(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0);
  expectCopy(INT_MAX, 0, INT_MAX, 2, INT_MIN, 0);
}

TEST_F(BitBlts, MapsColoursBetweenFormats) {
  SurfaceMemory s565(3, 1, PixelFormat::Rgb565());
  s565.SetRaw(0, 0, 0xF800);
  s565.SetRaw(1, 0, 0x07E0);
  s565.SetRaw(2, 0, 0x8410);
  SurfaceMemory s32(3, 1, PixelFormat::Argb8888());
  ASSERT_EQ(BitBlt(s32.dc(), 0, 0, 3, 1, s565.dc(), 0, 0, SRCCOPY), TRUE);
  EXPECT_EQ(s32.Raw(0, 0), 0xFFFF0000u);
  EXPECT_EQ(s32.Raw(1, 0), 0xFF00FF00u);
  EXPECT_EQ(s32.Raw(2, 0), 0xFF848284u);  // 16, 32, 16 widened by repeating the top bits
  SurfaceMemory s555(3, 1, PixelFormat::Rgb555());
  ASSERT_EQ(BitBlt(s555.dc(), 0, 0, 3, 1, s32.dc(), 0, 0, SRCCOPY), TRUE);
  EXPECT_EQ(s555.Raw(0, 0), 0x7C00u);
  EXPECT_EQ(s555.Raw(1, 0), 0x03E0u);
  EXPECT_EQ(s555.Raw(2, 0), 0x4210u);

  // 8-bit to 8-bit: the same colours keep their indices, even duplicates;
  // other palettes are matched entry by entry.
  std::array<PALETTEENTRY, 256> a{}, b{};
  a[1] = b[77] = Entry(255, 0, 0);
  a[2] = a[3] = b[78] = Entry(0, 0, 255);
  SurfaceMemory fromA(3, 1, PixelFormat::Indexed8(), a.data());
  fromA.SetRaw(0, 0, 1);
  fromA.SetRaw(1, 0, 3);
  fromA.SetRaw(2, 0, 0);
  std::array<PALETTEENTRY, 256> aCopy = a;
  SurfaceMemory toSame(3, 1, PixelFormat::Indexed8(), aCopy.data());
  ASSERT_EQ(BitBlt(toSame.dc(), 0, 0, 3, 1, fromA.dc(), 0, 0, SRCCOPY), TRUE);
  EXPECT_EQ(toSame.Raw(1, 0), 3u);
  SurfaceMemory toB(3, 1, PixelFormat::Indexed8(), b.data());
  ASSERT_EQ(BitBlt(toB.dc(), 0, 0, 3, 1, fromA.dc(), 0, 0, SRCCOPY), TRUE);
  EXPECT_EQ(toB.Raw(0, 0), 77u);
  EXPECT_EQ(toB.Raw(1, 0), 78u);
  EXPECT_EQ(toB.Raw(2, 0), 0u);
  // And 8-bit into true colour through the source's palette.
  ASSERT_EQ(BitBlt(s32.dc(), 0, 0, 3, 1, fromA.dc(), 0, 0, SRCCOPY), TRUE);
  EXPECT_EQ(s32.Raw(0, 0), 0xFFFF0000u);
  EXPECT_EQ(s32.Raw(1, 0), 0xFF0000FFu);
}

TEST_F(BitBlts, CopiesWithinOnePictureAsIfThroughABuffer) {
  SurfaceMemory s(3, 4, PixelFormat::Rgb565());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x) s.SetRaw(x, y, static_cast<std::uint32_t>(10 * y + x));
  ASSERT_EQ(BitBlt(s.dc(), 0, 1, 3, 3, s.dc(), 0, 0, SRCCOPY), TRUE);  // down one row
  for (int y = 1; y < 4; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(s.Raw(x, y), static_cast<std::uint32_t>(10 * (y - 1) + x));
  ASSERT_EQ(BitBlt(s.dc(), 0, 0, 2, 4, s.dc(), 1, 0, SRCCOPY), TRUE);  // left one column
  EXPECT_EQ(s.Raw(0, 3), 21u);
  EXPECT_EQ(s.Raw(1, 3), 22u);
}

TEST_F(BitBlts, FillsWithoutASourceAndRefusesWhatItCannotDo) {
  SurfaceMemory s(2, 2, PixelFormat::Rgb565());
  ASSERT_EQ(BitBlt(s.dc(), 1, 0, 5, 5, nullptr, 0, 0, WHITENESS), TRUE);
  EXPECT_EQ(s.Raw(1, 1), 0xFFFFu);
  EXPECT_EQ(s.Raw(0, 1), 0xA5A5u);
  ASSERT_EQ(BitBlt(s.dc(), -1, 0, 2, 1, nullptr, 0, 0, BLACKNESS), TRUE);
  EXPECT_EQ(s.Raw(0, 0), 0u);
  EXPECT_EQ(s.Raw(1, 0), 0xFFFFu);

  HDC screen = GetDC(nullptr);
  EXPECT_EQ(BitBlt(screen, 0, 0, 1, 1, s.dc(), 0, 0, SRCCOPY), FALSE);  // the screen has no pixels here
  EXPECT_EQ(BitBlt(s.dc(), 0, 0, 1, 1, screen, 0, 0, SRCCOPY), FALSE);
  EXPECT_EQ(BitBlt(s.dc(), 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY), FALSE);
  EXPECT_EQ(BitBlt(s.dc(), 0, 0, 1, 1, s.dc(), 0, 0, 0x00EE0086 /* SRCPAINT */), FALSE);
  InjectFault("BitBlt", E_FAIL);
  EXPECT_EQ(BitBlt(s.dc(), 0, 0, 1, 1, s.dc(), 1, 1, SRCCOPY), FALSE);
  EXPECT_EQ(s.Raw(0, 0), 0u);
  ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace platform::gdi::testing
