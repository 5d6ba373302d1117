// LoadBMP against files ImageMagick wrote, checked pixel by pixel against
// ImageMagick's own decode of each file, in every surface format a display
// can give: 8-bit palettised, 16-bit 5-6-5, 24-bit, 32-bit without and with
// an alpha mask.
#include <algorithm>
#include <limits>
#include <memory>

#include "platform/gdi.h"
#include "tests/display/bitmap_test_support.h"
#include "tests/display/display_fixture.h"

namespace brin::testing {
namespace {

// How the file stores its pixels, which decides what the loader can keep of
// ImageMagick's 8-bit channels.
enum class Stored { Indexed, Rgb555, Rgb555TopBitAlpha, Rgb565, Rgb24, Argb32 };

struct FileCase {
  const char* name;
  Stored stored;
  std::int32_t width, height;
};

enum class Target { Indexed8, Rgb565, Rgb888, Xrgb8888, Argb8888 };

const char* TargetName(Target t) {
  switch (t) {
    case Target::Indexed8: return "Indexed8";
    case Target::Rgb565: return "Rgb565";
    case Target::Rgb888: return "Rgb888";
    case Target::Xrgb8888: return "Xrgb8888";
    case Target::Argb8888: return "Argb8888";
  }
  return "";
}

struct Rgba {
  std::uint8_t r, g, b, a;
};

// What a surface pixel must hold for ImageMagick's colour C of a file stored
// as S. 16-bit channels are widened by the loader as value x 8 (5 bits) or
// x 4 (6 bits), so only their stored top bits count.
std::uint32_t Expected(Target t, Stored s, Rgba c) {
  if (s == Stored::Rgb555 || s == Stored::Rgb555TopBitAlpha || s == Stored::Rgb565) {
    c.r &= 0xF8;
    c.g &= s == Stored::Rgb565 ? 0xFC : 0xF8;
    c.b &= 0xF8;
  }
  std::uint32_t alpha = 255;
  if (s == Stored::Argb32) alpha = c.a;
  // ImageMagick writes the unused top bit of x-5-5-5 pixels clear; the
  // loader reads that bit as alpha 0.
  if (s == Stored::Rgb555TopBitAlpha) alpha = 0;
  switch (t) {
    case Target::Rgb565: return (c.r >> 3u) << 11 | (c.g >> 2u) << 5 | c.b >> 3u;
    case Target::Rgb888:
    case Target::Xrgb8888: return static_cast<std::uint32_t>(c.r) << 16 | c.g << 8 | c.b;
    case Target::Argb8888: return alpha << 24 | static_cast<std::uint32_t>(c.r) << 16 | c.g << 8 | c.b;
    case Target::Indexed8: break;
  }
  return 0;
}

int Distance(const PALETTEENTRY& p, Rgba c) {
  const int dr = p.peRed - c.r, dg = p.peGreen - c.g, db = p.peBlue - c.b;
  return dr * dr + dg * dg + db * db;
}

class DecodeTest : public DisplayTest, public ::testing::WithParamInterface<std::tuple<FileCase, Target>> {
 protected:
  // A display whose off-screen surfaces have the target's format, and one
  // surface of WIDTH x HEIGHT in it.
  TBrinGenSurface* MakeSurface(Target target, std::int32_t width, std::int32_t height) {
    const DWORD depth = target == Target::Indexed8 ? 8 : target == Target::Rgb565 ? 16 : target == Target::Rgb888 ? 24 : 32;
    backend.SetDesktopMode({1024, 768, depth, 60});
    platform::Install(&backend);
    brin = Start();
    if (target == Target::Indexed8) {
      // A window on an 8-bit desktop, whose system palette GDI maps colours
      // to: a 3-3-2 colour cube in the entries the application may set.
      for (int i = 0; i < 256; ++i)
        brin->PaletteEntries[i] = PALETTEENTRY{static_cast<BYTE>((i >> 5) * 255 / 7), static_cast<BYTE>(((i >> 2) & 7) * 255 / 7),
                                               static_cast<BYTE>((i & 3) * 255 / 3), PC_NOCOLLAPSE};
      brin->UpdatePalette();
    }
    if (target != Target::Argb8888) {
      listed = std::make_unique<TBrinSurface>(brin, width, height, 0);
      return listed.get();
    }
    alphaSurface = CreateArgbSurface(brin->DDraw, static_cast<DWORD>(width), static_cast<DWORD>(height));
    EXPECT_NE(alphaSurface, nullptr);
    wrapped = std::make_unique<TBrinGenSurface>(brin, alphaSurface, width, height);
    return wrapped.get();
  }

  void TearDown() override {
    wrapped.reset();
    if (alphaSurface) alphaSurface->Release();
    listed.reset();
    DisplayTest::TearDown();
  }

  TBrin* brin = nullptr;
  std::unique_ptr<TBrinSurface> listed;
  std::unique_ptr<TBrinGenSurface> wrapped;
  IDirectDrawSurface7* alphaSurface = nullptr;
};

TEST_P(DecodeTest, EveryPixelMatchesImageMagicksDecode) {
  const auto& [file, target] = GetParam();
  const std::vector<std::uint8_t> bmp = ReadFileBytes(BitmapPath(std::string(file.name) + ".bmp"));
  const std::vector<std::uint8_t> rgba = ReadFileBytes(BitmapPath(std::string(file.name) + ".rgba"));
  ASSERT_EQ(rgba.size(), static_cast<size_t>(file.width) * file.height * 4);
  auto decoded = [&](std::int32_t x, std::int32_t y) {
    const std::uint8_t* p = &rgba[(static_cast<size_t>(y) * file.width + x) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
  };

  // The small pictures fill a surface of their size; the wide ones go into
  // a sheet of the game's size, lower or higher than they are.
  const std::int32_t sw = file.width == 256 ? 256 : file.width;
  const std::int32_t sh = file.width == 256 ? 256 : file.height;
  TBrinGenSurface* surface = MakeSurface(target, sw, sh);
  ASSERT_NE(surface->DDSurface, nullptr);
  FillSurface(*surface, 0x5A5A5A5A);
  const std::vector<std::uint32_t> before = SurfacePixels(*surface);
  NewLogLines();

  surface->LoadFromFile(BitmapPath(std::string(file.name) + ".bmp"));
  EXPECT_THAT(NewLogLines(), ::testing::IsEmpty());
  const std::vector<std::uint32_t> after = SurfacePixels(*surface);
  ASSERT_EQ(after.size(), static_cast<size_t>(sw) * sh);

  // True colour into 8 bits goes through the platform's decoder and is
  // anchored top-left; every other load puts the bottom rows together.
  const bool topLeft = target == Target::Indexed8 && file.stored != Stored::Indexed;
  const std::int32_t shift = topLeft ? 0 : sh - file.height;
  PALETTEENTRY system[256] = {};
  HDC screen = ::GetDC(nullptr);
  ::GetSystemPaletteEntries(screen, 0, 256, system);
  ::ReleaseDC(nullptr, screen);
  const std::uint32_t headerSize = bmp[14] | bmp[15] << 8;

  int wrong = 0;
  for (std::int32_t y = 0; y < sh && wrong < 5; ++y) {
    for (std::int32_t x = 0; x < sw && wrong < 5; ++x) {
      const std::uint32_t got = after[static_cast<size_t>(y) * sw + x];
      const std::int32_t py = y - shift;
      if (py < 0 || py >= file.height || x >= file.width) {
        if (got != before[static_cast<size_t>(y) * sw + x]) ++wrong;
        EXPECT_EQ(got, before[static_cast<size_t>(y) * sw + x]) << "outside the picture at " << x << "," << y;
        continue;
      }
      const Rgba c = decoded(x, py);
      if (target != Target::Indexed8) {
        const std::uint32_t want = Expected(target, file.stored, c);
        if (got != want) ++wrong;
        EXPECT_EQ(got, want) << std::hex << "at " << std::dec << x << "," << y;
      } else if (file.stored == Stored::Indexed) {
        // The index is kept: its entry in the file's colour table is the colour.
        const std::uint8_t* entry = &bmp[14 + headerSize + 4 * got];
        const bool same = entry[2] == c.r && entry[1] == c.g && entry[0] == c.b;
        if (!same) ++wrong;
        EXPECT_TRUE(same) << "index " << got << " at " << x << "," << y;
      } else {
        // Mapped to a nearest colour of the palette.
        int best = std::numeric_limits<int>::max();
        for (const auto& p : system) best = std::min(best, Distance(p, c));
        if (Distance(system[got], c) != best) ++wrong;
        EXPECT_EQ(Distance(system[got], c), best) << "index " << got << " at " << x << "," << y;
      }
    }
  }
}

const FileCase kFiles[] = {
    {"p8_bmp3", Stored::Indexed, 37, 23},
    {"p8_v4", Stored::Indexed, 37, 23},
    {"p8_v5", Stored::Indexed, 37, 23},
    {"p8_topdown", Stored::Indexed, 37, 23},
    {"rgb555_v5", Stored::Rgb555, 37, 23},
    {"rgb555_birgb", Stored::Rgb555TopBitAlpha, 37, 23},
    {"rgb565_v5", Stored::Rgb565, 37, 23},
    {"rgb24_bmp3", Stored::Rgb24, 37, 23},
    {"rgb24_v5", Stored::Rgb24, 37, 23},
    {"rgb24_topdown", Stored::Rgb24, 37, 23},
    {"argb32_bmp3", Stored::Argb32, 37, 23},
    {"argb32_v5", Stored::Argb32, 37, 23},
    {"short_p8", Stored::Indexed, 256, 100},
    {"tall_rgb24", Stored::Rgb24, 256, 300},
};

INSTANTIATE_TEST_SUITE_P(
    ImageMagickFiles, DecodeTest,
    ::testing::Combine(::testing::ValuesIn(kFiles), ::testing::Values(Target::Indexed8, Target::Rgb565, Target::Rgb888,
                                                                      Target::Xrgb8888, Target::Argb8888)),
    [](const ::testing::TestParamInfo<std::tuple<FileCase, Target>>& info) {
      return std::string(std::get<0>(info.param).name) + "_into_" + TargetName(std::get<1>(info.param));
    });

}  // namespace
}  // namespace brin::testing
