// The software path's scaled conversion against plain nearest-neighbour
// sampling, and the choices made once: the window's scale and whether a GL
// renderer draws on the CPU.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/backend/sdl/sdl_choice.h"
#include "platform/backend/sdl/sdl_convert.h"

namespace platform::sdl {
namespace {

constexpr std::uint32_t kUntouched = 0xDEADBEEF;

// A 7 x 5 source in each format, with its pixels as 0x00RRGGBB.
struct Source {
  std::vector<std::uint8_t> bytes;
  FrameView view;
  std::vector<std::uint32_t> xrgb;
};

Source MakeSource(std::uint32_t bits, const PALETTEENTRY* palette) {
  constexpr std::uint32_t w = 7, h = 5;
  Source s;
  const std::uint32_t bytes = bits / 8;
  const std::int32_t pitch = static_cast<std::int32_t>(w * bytes + 3);  // wider than the row
  s.bytes.assign(static_cast<std::size_t>(pitch) * h, 0);
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      const std::uint32_t n = y * w + x;
      std::uint8_t* p = s.bytes.data() + y * static_cast<std::uint32_t>(pitch) + x * bytes;
      std::uint32_t colour = 0;
      if (bits == 8) {
        p[0] = static_cast<std::uint8_t>(n * 7);
        colour = (std::uint32_t{palette[p[0]].peRed} << 16) | (std::uint32_t{palette[p[0]].peGreen} << 8) |
                 palette[p[0]].peBlue;
      } else if (bits == 16) {  // 5-6-5 with full channels only, so widening is exact
        const std::uint16_t v = static_cast<std::uint16_t>((n & 1 ? 0xF800 : 0) | (n & 2 ? 0x07E0 : 0) | (n & 4 ? 0x1F : 0));
        std::memcpy(p, &v, 2);
        colour = (n & 1 ? 0xFF0000u : 0) | (n & 2 ? 0xFF00u : 0) | (n & 4 ? 0xFFu : 0);
      } else {
        colour = n * 0x030507u & 0xFFFFFF;
        for (std::uint32_t b = 0; b < bytes; ++b) p[b] = static_cast<std::uint8_t>(colour >> (8 * b));
      }
      s.xrgb.push_back(colour);
    }
  }
  s.view.pixels = s.bytes.data();
  s.view.pitch = pitch;
  s.view.width = w;
  s.view.height = h;
  s.view.bitsPerPixel = bits;
  if (bits == 16) {
    s.view.redMask = 0xF800, s.view.greenMask = 0x07E0, s.view.blueMask = 0x1F;
  } else if (bits > 16) {
    s.view.redMask = 0xFF0000, s.view.greenMask = 0xFF00, s.view.blueMask = 0xFF;
  }
  s.view.palette = bits == 8 ? palette : nullptr;
  return s;
}

TEST(ScaledConversion, EveryFormatAndSizeIsNearestNeighbourAtPixelCentres) {
  PALETTEENTRY palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = PALETTEENTRY{BYTE(i), BYTE(255 - i), BYTE(i * 5), 0};
  // Same size, whole factors, fractions (as 640 to 1440) and shrinking.
  const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{7, 5}, {14, 10}, {21, 15}, {16, 11}, {30, 9}, {5, 3}};
  for (std::uint32_t bits : {8u, 16u, 24u, 32u}) {
    const Source source = MakeSource(bits, palette);
    for (auto [ow, oh] : sizes) {
      FrameConverter converter;
      const std::uint32_t pitch = ow + 2;  // the two columns past the picture must stay untouched
      std::vector<std::uint32_t> out(pitch * oh, kUntouched);
      converter.ConvertScaled(source.view, ow, oh, PixelArea{0, 0, 7, 5}, reinterpret_cast<std::uint8_t*>(out.data()),
                              static_cast<std::int32_t>(pitch * 4));
      for (std::uint32_t y = 0; y < oh; ++y) {
        for (std::uint32_t x = 0; x < pitch; ++x) {
          const std::uint32_t sx = (2 * x + 1) * 7 / (2 * ow), sy = (2 * y + 1) * 5 / (2 * oh);
          const std::uint32_t want = x < ow ? source.xrgb[sy * 7 + sx] : kUntouched;
          ASSERT_EQ(out[y * pitch + x] & (x < ow ? 0xFFFFFFu : ~0u), want)
              << bits << " bits to " << ow << "x" << oh << " at (" << x << ", " << y << ")";
        }
      }
    }
  }
}

TEST(ScaledConversion, AnAreaFillsOnlyWhereItIsShown) {
  PALETTEENTRY palette[256] = {};
  for (int i = 0; i < 256; ++i) palette[i].peRed = BYTE(i);
  const Source source = MakeSource(8, palette);
  constexpr std::uint32_t ow = 16, oh = 11;
  for (bool wholeFirst : {false, true}) {
    FrameConverter converter;
    std::vector<std::uint32_t> whole(ow * oh, kUntouched), out(ow * oh, kUntouched);
    // Columns 2-4 of rows 2 and 3, alone or after the whole frame.
    if (wholeFirst) {
      converter.ConvertScaled(source.view, ow, oh, PixelArea{0, 0, 7, 5}, reinterpret_cast<std::uint8_t*>(whole.data()), ow * 4);
    }
    converter.ConvertScaled(source.view, ow, oh, PixelArea{2, 2, 5, 4}, reinterpret_cast<std::uint8_t*>(out.data()), ow * 4);
    const PixelArea shown = converter.Scaled(PixelArea{2, 2, 5, 4});
    EXPECT_EQ(shown.top, 4u);  // output rows 4-8 show source rows 2 and 3
    EXPECT_EQ(shown.bottom, 9u);
    EXPECT_EQ(shown.left, 5u);  // output columns 5-10 show source columns 2-4
    EXPECT_EQ(shown.right, 11u);
    for (std::uint32_t y = 0; y < oh; ++y) {
      for (std::uint32_t x = 0; x < ow; ++x) {
        const bool inside = y >= shown.top && y < shown.bottom && x >= shown.left && x < shown.right;
        const std::uint32_t want = source.xrgb[((2 * y + 1) * 5 / (2 * oh)) * 7 + (2 * x + 1) * 7 / (2 * ow)];
        ASSERT_EQ(out[y * ow + x], inside ? want : kUntouched) << "(" << x << ", " << y << ")";
      }
    }
  }
}

TEST(Choices, WindowScaleIsTheLargestThatFitsInNinetyPercent) {
  struct Case {
    int usableWidth, usableHeight, requested, scale;
  } const cases[] = {
      {1920, 1050, 0, 1}, {2560, 1410, 0, 2}, {3840, 2130, 0, 3}, {1280, 1024, 0, 1},
      {800, 600, 0, 1},   {5120, 2880, 0, 5}, {1920, 1050, 2, 2}, {3840, 2130, 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowScale(c.usableWidth, c.usableHeight, 640, 480, 20, c.requested), c.scale)
        << c.usableWidth << "x" << c.usableHeight << " asked " << c.requested;
  }
}

TEST(Choices, SoftwareRasterisersAreKnownByName) {
  for (const char* cpu : {"llvmpipe (LLVM 15.0.6, 256 bits)", "Gallium 0.4 on softpipe", "Software Rasterizer",
                          "Mesa DRI swrast", "SwiftShader Device (Subzero)"}) {
    EXPECT_TRUE(IsSoftwareRasterizer(cpu)) << cpu;
  }
  for (const char* gpu : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)",
                          "NVIDIA GeForce GTX 1060/PCIe/SSE2", ""}) {
    EXPECT_FALSE(IsSoftwareRasterizer(gpu)) << gpu;
  }
  EXPECT_FALSE(IsSoftwareRasterizer(nullptr));
}

}  // namespace
}  // namespace platform::sdl
