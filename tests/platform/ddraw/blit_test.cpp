// Blt and BltFast: exact colour keys in every format, fills, rectangle
// rules, stretching, clipping, mirroring and constant alpha.
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/platform/ddraw/ddraw_test_support.h"

namespace ddraw_test {
namespace {

struct FormatCase {
  const char* name;
  DDPIXELFORMAT format;
  std::uint32_t key;
  std::uint32_t marker;     // what the destination holds before the blit
  std::uint32_t unusedBit;  // a bit outside the format's channels, or 0
};

std::vector<FormatCase> Formats() {
  return {
      {"8", Indexed8(), 0x40, 0xEE, 0},
      {"565", Rgb565(), 0x1234, 0xEEEE, 0},
      {"555", Rgb555(), 0x1234, 0x6EEE, 0x8000},
      {"888", Rgb888(), 0x123456, 0xEEEEEE, 0},
      {"X8888", Xrgb8888(), 0x00123456, 0x00EEEEEE, 0xFF000000},
      {"A8888", Argb8888(), 0x80123456, 0x00EEEEEE, 0},
  };
}

class ExactKeys : public DDrawTest, public ::testing::WithParamInterface<FormatCase> {};

// Rows of WIDTH pixels cycling through key - 1, key, key + 1 (and, where
// the format has one, the key with an unused bit set): only the key's own
// pixels may stay transparent.
TEST_P(ExactKeys, OnlyTheKeyValueIsTransparentInBothBlits) {
  const FormatCase& c = GetParam();
  IDirectDraw7* dd = MakeDDraw();
  for (DWORD width : {1u, 3u, 5u, 8u, 17u, 40u}) {
    for (bool fast : {true, false}) {
      IDirectDrawSurface7* src = MakeSurface(dd, width, 2, &c.format);
      IDirectDrawSurface7* dst = MakeSurface(dd, width + 2, 3, &c.format);
      DDCOLORKEY key{c.key, c.key};
      ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
      const std::uint32_t cycle[] = {c.key - 1, c.key, c.key + 1, c.key | c.unusedBit};
      for (int y = 0; y < 2; ++y)
        for (DWORD x = 0; x < width; ++x) SetPixel(src, static_cast<int>(x), y, cycle[(x + y) % 4]);
      ASSERT_EQ(FillRect(dst, nullptr, c.marker), DD_OK);

      if (fast) {
        ASSERT_EQ(dst->BltFast(1, 1, src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
      } else {
        RECT to{1, 1, static_cast<LONG>(width) + 1, 3};
        ASSERT_EQ(dst->Blt(&to, src, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
      }
      for (int y = 0; y < 2; ++y) {
        for (DWORD x = 0; x < width; ++x) {
          const std::uint32_t s = cycle[(x + y) % 4];
          const bool hidden = s == c.key || (c.unusedBit && s == (c.key | c.unusedBit));
          EXPECT_EQ(Pixel(dst, static_cast<int>(x) + 1, y + 1), hidden ? c.marker : s)
              << c.name << (fast ? " BltFast" : " Blt") << " width " << width << " at " << x << "," << y;
        }
      }
      EXPECT_EQ(Pixel(dst, 0, 1), c.marker);
      EXPECT_EQ(Pixel(dst, static_cast<int>(width) + 1, 2), c.marker);
      src->Release();
      dst->Release();
    }
  }
  EXPECT_EQ(dd->Release(), 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, ExactKeys, ::testing::ValuesIn(Formats()),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string("Bits") + info.param.name; });

class Fills : public DDrawTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(Fills, AColourFillWritesTheRawValueInsideTheRectangleOnly) {
  const FormatCase& c = GetParam();
  IDirectDraw7* dd = MakeDDraw();
  IDirectDrawSurface7* s = MakeSurface(dd, 37, 9, &c.format);
  ASSERT_EQ(FillRect(s, nullptr, c.marker), DD_OK);
  RECT r{3, 2, 36, 8};
  ASSERT_EQ(FillRect(s, &r, c.key), DD_OK);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 37; ++x) {
      const bool inside = x >= 3 && x < 36 && y >= 2 && y < 8;
      ASSERT_EQ(Pixel(s, x, y), inside ? c.key : c.marker) << c.name << " at " << x << "," << y;
    }
  s->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, Fills, ::testing::ValuesIn(Formats()),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string("Bits") + info.param.name; });

using Rectangles = DDrawTest;

TEST_F(Rectangles, BltFastNeverClipsAndRefusesWhatFallsOutside) {
  IDirectDraw7* dd = MakeDDraw();
  IDirectDrawSurface7* src = MakeSurface(dd, 16, 16);
  IDirectDrawSurface7* dst = MakeSurface(dd, 32, 32);
  ASSERT_EQ(FillRect(src, nullptr, 0x00FF0000), DD_OK);
  RECT all{0, 0, 16, 16};
  EXPECT_EQ(dst->BltFast(17, 0, src, &all, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->BltFast(0, 17, src, &all, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->BltFast(static_cast<DWORD>(-1), 0, src, &all, 0), DDERR_INVALIDRECT);
  RECT past{8, 8, 17, 16};
  EXPECT_EQ(dst->BltFast(0, 0, src, &past, 0), DDERR_INVALIDRECT);
  RECT negative{-1, 0, 4, 4};
  EXPECT_EQ(dst->BltFast(0, 0, src, &negative, 0), DDERR_INVALIDRECT);
  RECT reversed{8, 0, 4, 4};
  EXPECT_EQ(dst->BltFast(0, 0, src, &reversed, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(Pixel(dst, 16, 0), 0u) << "a refused blit draws nothing";

  // A zero-width rectangle, even one at the far edge, is fine and draws nothing.
  RECT empty{16, 0, 16, 16};
  EXPECT_EQ(dst->BltFast(32, 0, src, &empty, DDBLTFAST_SRCCOLORKEY & 0), DD_OK);
  RECT flat{0, 4, 16, 4};
  EXPECT_EQ(dst->BltFast(0, 0, src, &flat, 0), DD_OK);
  EXPECT_EQ(Pixel(dst, 0, 0), 0u);
  EXPECT_EQ(dst->BltFast(16, 16, src, nullptr, DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(Pixel(dst, 31, 31), 0x00FF0000u);

  EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dst->BltFast(0, 0, nullptr, nullptr, 0), DDERR_INVALIDPARAMS);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(dst->SetClipper(clipper), DD_OK);
  EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, 0), DDERR_UNSUPPORTED);
  clipper->Release();
  src->Release();
  dst->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(Rectangles, BltWithoutAClipperRefusesReversedEmptyAndOutsideRectangles) {
  IDirectDraw7* dd = MakeDDraw();
  IDirectDrawSurface7* src = MakeSurface(dd, 16, 16);
  IDirectDrawSurface7* dst = MakeSurface(dd, 32, 32);
  RECT inside{0, 0, 8, 8};
  for (RECT bad : {RECT{8, 0, 0, 8}, RECT{0, 8, 8, 0}, RECT{4, 4, 4, 8}, RECT{0, 0, 33, 8}, RECT{-1, 0, 8, 8}}) {
    EXPECT_EQ(dst->Blt(&bad, src, &inside, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT)
        << bad.left << "," << bad.top << "," << bad.right << "," << bad.bottom;
    EXPECT_EQ(dst->Blt(&inside, src, &bad, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  }
  RECT beyondSource{8, 8, 17, 16};
  EXPECT_EQ(dst->Blt(&inside, src, &beyondSource, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  DDBLTFX oldSize = Fx();
  oldSize.dwSize = 100;  // the 32-bit size
  EXPECT_EQ(dst->Blt(&inside, nullptr, nullptr, DDBLT_COLORFILL, &oldSize), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dst->Blt(&inside, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dst->Blt(&inside, nullptr, &inside, DDBLT_WAIT, nullptr), DDERR_INVALIDPARAMS);

  const DDPIXELFORMAT other = Rgb565();
  IDirectDrawSurface7* narrow = MakeSurface(dd, 16, 16, &other);
  EXPECT_EQ(dst->Blt(&inside, narrow, &inside, DDBLT_WAIT, nullptr), DDERR_UNSUPPORTED);
  EXPECT_EQ(dst->BltFast(0, 0, narrow, nullptr, 0), DDERR_UNSUPPORTED);
  narrow->Release();
  src->Release();
  dst->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(Rectangles, CopiesWithinOneSurfaceBehaveAsIfTheSourceWereReadFirst) {
  IDirectDraw7* dd = MakeDDraw();
  const DDPIXELFORMAT format = Indexed8();
  IDirectDrawSurface7* s = MakeSurface(dd, 8, 8, &format);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) SetPixel(s, x, y, static_cast<std::uint32_t>(y * 8 + x));
  RECT from{0, 0, 6, 6};
  ASSERT_EQ(s->BltFast(2, 1, s, &from, 0), DD_OK);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(Pixel(s, x + 2, y + 1), static_cast<std::uint32_t>(y * 8 + x));

  // The same with a key, scrolling left and up this time.
  DDCOLORKEY key{200, 200};
  ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) SetPixel(s, x, y, static_cast<std::uint32_t>(y * 8 + x));
  RECT lower{1, 1, 8, 8};
  ASSERT_EQ(s->BltFast(0, 0, s, &lower, DDBLTFAST_SRCCOLORKEY), DD_OK);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(Pixel(s, x, y), static_cast<std::uint32_t>((y + 1) * 8 + x + 1));
  s->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

class Stretching : public DDrawTest {
 public:
  // A W x H 8-bit surface whose pixel (x, y) holds y * W + x + 1.
  IDirectDrawSurface7* Numbered(IDirectDraw7* dd, DWORD w, DWORD h) {
    const DDPIXELFORMAT format = Indexed8();
    IDirectDrawSurface7* s = MakeSurface(dd, w, h, &format);
    for (DWORD y = 0; y < h; ++y)
      for (DWORD x = 0; x < w; ++x) SetPixel(s, static_cast<int>(x), static_cast<int>(y), y * w + x + 1);
    return s;
  }

  // The source index a destination pixel samples: the source pixel under
  // the destination pixel's centre.
  static int Sample(int k, int sourceSize, int destSize) {
    return static_cast<int>((k + 0.5) * sourceSize / destSize);
  }
};

TEST_F(Stretching, EnlargingAndShrinkingSampleThePixelUnderEachCentre) {
  IDirectDraw7* dd = MakeDDraw();
  IDirectDrawSurface7* src = Numbered(dd, 5, 3);
  const DDPIXELFORMAT format = Indexed8();
  IDirectDrawSurface7* dst = MakeSurface(dd, 40, 40, &format);
  const int sizes[][2] = {{10, 6}, {15, 9}, {13, 7}, {2, 1}, {3, 2}, {5, 3}, {1, 1}, {37, 2}};
  for (const auto& size : sizes) {
    ASSERT_EQ(FillRect(dst, nullptr, 0), DD_OK);
    RECT to{2, 3, 2 + size[0], 3 + size[1]};
    ASSERT_EQ(dst->Blt(&to, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < size[1]; ++y)
      for (int x = 0; x < size[0]; ++x) {
        const std::uint32_t want = static_cast<std::uint32_t>(Sample(y, 3, size[1]) * 5 + Sample(x, 5, size[0]) + 1);
        ASSERT_EQ(Pixel(dst, x + 2, y + 3), want) << size[0] << "x" << size[1] << " at " << x << "," << y;
      }
    EXPECT_EQ(Pixel(dst, 1, 3), 0u);
    EXPECT_EQ(Pixel(dst, 2 + size[0], 3), 0u);
    EXPECT_EQ(Pixel(dst, 2, 3 + size[1]), 0u);
  }
  src->Release();
  dst->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(Stretching, AClippedStretchShowsExactlyThePixelsOfTheWholeOne) {
  IDirectDraw7* dd = MakeDDraw();
  IDirectDrawSurface7* src = Numbered(dd, 7, 5);
  const DDPIXELFORMAT format = Indexed8();
  IDirectDrawSurface7* dst = MakeSurface(dd, 16, 12, &format);
  ASSERT_EQ(FillRect(dst, nullptr, 0xFF), DD_OK);

  // Two rectangles that tile an L shape; the blit also hangs off the
  // surface's top-left corner, which a clipper allows.
  struct {
    RGNDATAHEADER rdh;
    RECT rects[2];
  } region{{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 2, 2 * sizeof(RECT), {0, 0, 16, 12}},
           {{0, 0, 5, 12}, {5, 6, 14, 9}}};
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetClipList(reinterpret_cast<RGNDATA*>(&region), 0), DD_OK);
  ASSERT_EQ(dst->SetClipper(clipper), DD_OK);
  RECT to{-5, -3, 18, 14};  // 23 x 17 from 7 x 5
  ASSERT_EQ(dst->Blt(&to, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);

  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool visible = x < 5 || (x < 14 && y >= 6 && y < 9);
      const std::uint32_t whole =
          static_cast<std::uint32_t>(Sample(y + 3, 5, 17) * 7 + Sample(x + 5, 7, 23) + 1);
      ASSERT_EQ(Pixel(dst, x, y), visible ? whole : 0xFFu) << x << "," << y;
    }

  // A destination spanning all of LONG keeps its arithmetic exact:
  // every visible pixel samples the source's middle pixel (3, 2).
  RECT huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  ASSERT_EQ(dst->Blt(&huge, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Pixel(dst, 0, 0), 2u * 7 + 3 + 1);
  EXPECT_EQ(Pixel(dst, 13, 8), 2u * 7 + 3 + 1);
  EXPECT_EQ(Pixel(dst, 15, 0), 0xFFu);

  // A clipper with neither window nor list has nothing to clip by.
  IDirectDrawClipper* empty = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &empty, nullptr), DD_OK);
  ASSERT_EQ(dst->SetClipper(empty), DD_OK);
  EXPECT_EQ(dst->Blt(&to, src, nullptr, DDBLT_WAIT, nullptr), DDERR_NOCLIPLIST);
  empty->Release();
  clipper->Release();
  src->Release();
  dst->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(Stretching, MirroringReversesTheSourceEvenWhenScaled) {
  IDirectDraw7* dd = MakeDDraw();
  IDirectDrawSurface7* src = Numbered(dd, 4, 2);
  const DDPIXELFORMAT format = Indexed8();
  IDirectDrawSurface7* dst = MakeSurface(dd, 8, 4, &format);
  DDBLTFX fx = Fx();
  fx.dwDDFX = DDBLTFX_MIRRORLEFTRIGHT | DDBLTFX_MIRRORUPDOWN;
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_DDFX, &fx), DD_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(Pixel(dst, x, y), static_cast<std::uint32_t>((1 - y / 2) * 4 + (3 - x / 2) + 1)) << x << "," << y;
  fx.dwDDFX = DDBLTFX_ROTATE90;
  EXPECT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_DDFX, &fx), DDERR_NOROTATIONHW);
  src->Release();
  dst->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

using ConstantAlpha = DDrawTest;

void ExpectNear(std::uint32_t got, std::uint32_t want, std::uint32_t mask, const char* what) {
  const int shift = __builtin_ctz(mask);
  const int g = static_cast<int>((got & mask) >> shift);
  const int w = static_cast<int>((want & mask) >> shift);
  EXPECT_LE(std::abs(g - w), 1) << what << std::hex << " got " << got << " want " << want;
}

TEST_F(ConstantAlpha, BlendsEachChannelInSixteenTwentyFourAndThirtyTwoBits) {
  IDirectDraw7* dd = MakeDDraw();
  struct Case {
    DDPIXELFORMAT format;
    std::uint32_t src, dst, half;
    std::uint32_t masks[3];
  };
  const Case cases[] = {
      {Rgb565(), 0xF800, 0x001F, 0x780F, {0xF800, 0x07E0, 0x001F}},
      {Rgb555(), 0x7C00, 0x03FF, 0x3DEF, {0x7C00, 0x03E0, 0x001F}},
      {Rgb888(), 0xFF2000, 0x0040FF, 0x80307F, {0xFF0000, 0x00FF00, 0x0000FF}},
      {Xrgb8888(), 0x00FF2000, 0xAB0040FF, 0xAB80307F, {0xFF0000, 0x00FF00, 0x0000FF}},
  };
  for (const Case& c : cases) {
    IDirectDrawSurface7* src = MakeSurface(dd, 4, 1, &c.format);
    IDirectDrawSurface7* dst = MakeSurface(dd, 4, 1, &c.format);
    ASSERT_EQ(FillRect(src, nullptr, c.src), DD_OK);
    DDBLTFX fx = Fx();
    fx.dwAlphaSrcConstBitDepth = 8;
    for (DWORD alpha : {0u, 128u, 255u}) {
      ASSERT_EQ(FillRect(dst, nullptr, c.dst), DD_OK);
      fx.dwAlphaSrcConst = alpha;
      ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_ALPHASRCCONSTOVERRIDE | DDBLT_WAIT, &fx), DD_OK);
      const std::uint32_t got = Pixel(dst, 3, 0);
      const std::uint32_t channels = c.masks[0] | c.masks[1] | c.masks[2];
      if (alpha == 0) {
        EXPECT_EQ(got, c.dst);
      } else if (alpha == 255) {
        EXPECT_EQ(got, c.src) << "full weight is a plain copy";
      } else {
        for (std::uint32_t m : c.masks) ExpectNear(got, c.half, m, "half");
        // Bits outside the channels (the X byte) keep the destination's value.
        EXPECT_EQ(got & ~channels, c.dst & ~channels);
      }
    }
    src->Release();
    dst->Release();
  }
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(ConstantAlpha, HonoursTheBitDepthAndTheKeyAndRefusesPalettes) {
  IDirectDraw7* dd = MakeDDraw();
  IDirectDrawSurface7* src = MakeSurface(dd, 2, 1);
  IDirectDrawSurface7* dst = MakeSurface(dd, 2, 1);
  SetPixel(src, 0, 0, 0x00FFFFFF);
  SetPixel(src, 1, 0, 0x00010203);
  DDCOLORKEY key{0x00010203, 0x00010203};
  ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  ASSERT_EQ(FillRect(dst, nullptr, 0), DD_OK);
  DDBLTFX fx = Fx();
  fx.dwAlphaSrcConstBitDepth = 4;
  fx.dwAlphaSrcConst = 15;  // full weight at four bits
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_ALPHASRCCONSTOVERRIDE | DDBLT_KEYSRC, &fx), DD_OK);
  EXPECT_EQ(Pixel(dst, 0, 0), 0x00FFFFFFu);
  EXPECT_EQ(Pixel(dst, 1, 0), 0u) << "the key still hides";
  fx.dwAlphaSrcConstBitDepth = 0;
  EXPECT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_ALPHASRCCONSTOVERRIDE, &fx), DDERR_INVALIDPARAMS);

  const DDPIXELFORMAT indexed = Indexed8();
  IDirectDrawSurface7* a = MakeSurface(dd, 2, 1, &indexed);
  IDirectDrawSurface7* b = MakeSurface(dd, 2, 1, &indexed);
  fx.dwAlphaSrcConstBitDepth = 8;
  fx.dwAlphaSrcConst = 128;
  EXPECT_EQ(b->Blt(nullptr, a, nullptr, DDBLT_ALPHASRCCONSTOVERRIDE, &fx), DDERR_UNSUPPORTED);
  a->Release();
  b->Release();
  src->Release();
  dst->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

using Clippers = DDrawTest;

struct TwoRects {
  RGNDATAHEADER rdh;
  RECT rects[2];
};

TEST_F(Clippers, AWindowClipperReportsTheVisibleClientAreaAndNoticesMoves) {
  HWND window = platform::windows::Create(RECT{600, 400, 700, 500});  // hangs off the 640 x 480 screen
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(DirectDrawCreateClipper(0, &clipper, nullptr), DD_OK);
  DWORD size = 0;
  EXPECT_EQ(clipper->GetClipList(nullptr, nullptr, &size), DDERR_NOCLIPLIST);
  ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
  ASSERT_EQ(clipper->GetClipList(nullptr, nullptr, &size), DD_OK);
  EXPECT_EQ(size, sizeof(RGNDATAHEADER) + sizeof(RECT));
  TwoRects region{};
  DWORD tooSmall = sizeof(RGNDATAHEADER);
  EXPECT_EQ(clipper->GetClipList(nullptr, reinterpret_cast<RGNDATA*>(&region), &tooSmall), DDERR_REGIONTOOSMALL);
  EXPECT_EQ(tooSmall, size);
  ASSERT_EQ(clipper->GetClipList(nullptr, reinterpret_cast<RGNDATA*>(&region), &size), DD_OK);
  ASSERT_EQ(region.rdh.nCount, 1u);
  EXPECT_EQ(region.rects[0].left, 600);
  EXPECT_EQ(region.rects[0].right, 640);
  EXPECT_EQ(region.rects[0].bottom, 480);

  BOOL changed = TRUE;
  ASSERT_EQ(clipper->IsClipListChanged(&changed), DD_OK);
  EXPECT_FALSE(changed);
  platform::windows::SetClientOnScreen(window, RECT{0, 0, 100, 100});
  ASSERT_EQ(clipper->IsClipListChanged(&changed), DD_OK);
  EXPECT_TRUE(changed);
  EXPECT_EQ(clipper->SetClipList(reinterpret_cast<RGNDATA*>(&region), 0), DDERR_CLIPPERISUSINGHWND);
  HWND got = nullptr;
  ASSERT_EQ(clipper->GetHWnd(&got), DD_OK);
  EXPECT_EQ(got, window);
  EXPECT_EQ(clipper->Release(), 0u);
  platform::windows::Destroy(window);
}

TEST_F(Clippers, AClipListMustTileItsRegion) {
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(DirectDrawCreateClipper(0, &clipper, nullptr), DD_OK);
  TwoRects overlapping{{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 2, 0, {}}, {{0, 0, 10, 10}, {5, 5, 15, 15}}};
  EXPECT_EQ(clipper->SetClipList(reinterpret_cast<RGNDATA*>(&overlapping), 0), DDERR_INVALIDCLIPLIST);
  TwoRects empty{{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 2, 0, {}}, {{0, 0, 10, 10}, {20, 20, 20, 30}}};
  EXPECT_EQ(clipper->SetClipList(reinterpret_cast<RGNDATA*>(&empty), 0), DDERR_INVALIDCLIPLIST);
  TwoRects tiles{{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 2, 0, {}}, {{0, 0, 10, 10}, {10, 0, 20, 10}}};
  ASSERT_EQ(clipper->SetClipList(reinterpret_cast<RGNDATA*>(&tiles), 0), DD_OK);
  RECT limit{5, 2, 12, 4};
  TwoRects out{};
  DWORD size = sizeof(out);
  ASSERT_EQ(clipper->GetClipList(&limit, reinterpret_cast<RGNDATA*>(&out), &size), DD_OK);
  ASSERT_EQ(out.rdh.nCount, 2u);
  EXPECT_EQ(out.rects[0].left, 5);
  EXPECT_EQ(out.rects[1].right, 12);
  EXPECT_EQ(out.rdh.rcBound.top, 2);
  EXPECT_EQ(out.rdh.rcBound.bottom, 4);
  EXPECT_EQ(clipper->Release(), 0u);
}

}  // namespace
}  // namespace ddraw_test
