// Texture formats: wishes and how they are matched, the library's own
// preference nearest the desktop's depth, where textures are placed, the
// failure when nothing fits, and rebuilding after a mode switch with the
// wish a texture was made with.
#include <memory>

#include "platform/d3d.h"
#include "platform/d3d/d3d_kinds.h"
#include "surfaces/brin_texture.h"
#include "tests/display/bitmap_test_support.h"
#include "tests/display/display_fixture.h"

namespace brin::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using platform::d3d::PaletteFormat8;
using platform::d3d::RgbFormat;

DDPIXELFORMAT Flagged(DWORD flags, DWORD bits) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = flags;
  f.dwRGBBitCount = bits;
  f.dwRBitMask = 0xFF;
  return f;
}
const DDPIXELFORMAT kRgb565 = RgbFormat(16, 0xF800, 0x07E0, 0x001F);
const DDPIXELFORMAT kXrgb1555 = RgbFormat(16, 0x7C00, 0x03E0, 0x001F);
const DDPIXELFORMAT kArgb1555 = RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
const DDPIXELFORMAT kArgb4444 = RgbFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000);
const DDPIXELFORMAT kXrgb8888 = RgbFormat(32, 0xFF0000, 0x00FF00, 0x0000FF);
const DDPIXELFORMAT kArgb8565 = RgbFormat(24, 0xF800, 0x07E0, 0x001F, 0xFF0000);

const char kNotFound[] = "希望のテクスチャフォーマットが見つかりませんでした。Brindlewick 推奨のフォーマットを列挙します";

class TextureTest : public DisplayTest {
 protected:
  // A display with a software 3D device (with 3D hardware when HARDWARE) on
  // a desktop of DEPTH bits, its devices listing FORMATS.
  TBrin* Start3D(std::vector<DDPIXELFORMAT> formats, DWORD depth = 32, bool hardware = false) {
    backend.SetDesktopMode({1024, 768, depth, 60});
    backend.SetPrimaryHas3D(hardware);
    platform::Install(&backend);
    platform::d3d::SetTextureFormats(std::move(formats));
    brin = Start([](TBrin* b) {
      b->Use3D = true;
      b->D3DOptions = {};
    });
    NewLogLines();
    return brin;
  }

  std::unique_ptr<TBrinTexture> Make(const std::string& wish) {
    return std::make_unique<TBrinTexture>(brin, 32, 16, wish, 0);
  }

  TBrin* brin = nullptr;
};

TEST_F(TextureTest, AnEarlierWishReplacesALaterOneAndEndsTheSearch) {
  Start3D({kRgb565, kXrgb1555, kArgb4444, kXrgb8888});
  auto texture = Make("ARGB4444;RGB565");
  EXPECT_THAT(NewLogLines(),
              ElementsAre("指定のテクスチャフォーマットを探索します…",
                          "列挙されたテクスチャフォーマット...BitCount=16 Mask=(00000000,0000f800,000007e0,0000001f)",
                          "第2希望 : RGB565 に合致",
                          "列挙されたテクスチャフォーマット...BitCount=16 Mask=(00000000,00007c00,000003e0,0000001f)",
                          "列挙されたテクスチャフォーマット...BitCount=16 Mask=(0000f000,00000f00,000000f0,0000000f)",
                          "第1希望 : ARGB4444 に合致", "テクスチャをシステムメモリに配置します",
                          "PixelFormat: AMask=0000f000 RMask=00000f00 GMask=000000f0 BMask=0000000f"));
  ASSERT_NE(texture->DDSurface, nullptr);
  DDSCAPS2 caps{};
  texture->DDSurface->GetCaps(&caps);
  EXPECT_EQ(caps.dwCaps & (DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY), DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY);
  EXPECT_EQ(texture->Width, 32);
  EXPECT_EQ(texture->Height, 16);
  EXPECT_EQ(texture->AMask, 0xF000u);
  ASSERT_EQ(brin->TextureList().size(), 1u);
}

TEST_F(TextureTest, AmongFormatsOfOneWishTheFirstListedStays) {
  // RGB565 does not look at alpha: both formats satisfy it.
  Start3D({kArgb8565, kRgb565});
  auto withAlphaFirst = Make("RGB565");
  EXPECT_EQ(withAlphaFirst->AMask, 0xFF0000u);
  platform::d3d::SetTextureFormats({kRgb565, kArgb8565});
  auto plainFirst = Make("RGB565");
  EXPECT_EQ(plainFirst->AMask, 0u);
  EXPECT_EQ(plainFirst->RMask, 0xF800u);
}

TEST_F(TextureTest, BlanksAndEmptyPiecesAreNotWishes) {
  Start3D({kRgb565, kXrgb1555});
  auto texture = Make(" ;RGB555 ;");
  const auto lines = NewLogLines();
  EXPECT_THAT(lines, Contains("第1希望 : RGB555 に合致")) << "RGB555 is the one and only wish";
  EXPECT_THAT(lines, Not(Contains(HasSubstr("第2希望"))));
  EXPECT_EQ(texture->RMask, 0x7C00u);
}

TEST_F(TextureTest, WishesThatNameNoFormatFallBackToThePreference) {
  Start3D({PaletteFormat8(), kRgb565, kArgb4444, kXrgb8888});
  // Five digits; letters for digits; the wrong case; ARGB with three
  // digits (a wish with ARGB in it is read as ARGB only); nothing at all.
  for (const char* wish : {"ARGB44444", "RGBabc", "pal8", "ARGB565", ";;"}) {
    auto texture = Make(wish);
    const auto lines = NewLogLines();
    EXPECT_THAT(lines, Contains(kNotFound)) << wish;
    EXPECT_THAT(lines, Not(Contains(HasSubstr("希望 : ")))) << wish;
    EXPECT_EQ(texture->RMask, 0xFF0000u) << wish << ": the preference on a 32-bit desktop";
  }
  auto palette = Make("PAL8");
  EXPECT_THAT(NewLogLines(), Contains("第1希望 : PAL8 に合致"));
  EXPECT_EQ(palette->Description.ddpfPixelFormat.dwRGBBitCount, 8u);
}

TEST_F(TextureTest, ThePreferenceClimbsTowardsTheDesktopDepthInListedOrder) {
  Start3D({PaletteFormat8(), kRgb565, kXrgb1555, kXrgb8888}, 16);
  auto texture = Make("");
  EXPECT_THAT(NewLogLines(),
              ElementsAre("Brindlewick 推奨のテクスチャフォーマットを探索します…",
                          "列挙されたテクスチャフォーマット...BitCount=8 Mask=(00000000,00000000,00000000,00000000)",
                          "このフォーマットは良さそうですね",
                          "列挙されたテクスチャフォーマット...BitCount=16 Mask=(00000000,0000f800,000007e0,0000001f)",
                          "このフォーマットは良さそうですね",
                          "列挙されたテクスチャフォーマット...BitCount=16 Mask=(00000000,00007c00,000003e0,0000001f)",
                          "このフォーマットは不要ですね",
                          "列挙されたテクスチャフォーマット...BitCount=32 Mask=(00000000,00ff0000,0000ff00,000000ff)",
                          "このフォーマットは不要ですね", "テクスチャをシステムメモリに配置します",
                          "PixelFormat: AMask=00000000 RMask=0000f800 GMask=000007e0 BMask=0000001f"));

  // It never goes back to fewer bits, so the listing order decides.
  platform::d3d::SetTextureFormats({kXrgb8888, kRgb565});
  EXPECT_EQ(Make("")->RMask, 0xFF0000u);
  platform::d3d::SetTextureFormats({kRgb565, kXrgb8888});
  EXPECT_EQ(Make("")->RMask, 0xF800u);
}

TEST_F(TextureTest, ThePreferenceTakesNoAlphaAndTheSearchesSkipWhatIsNotColour) {
  const DDPIXELFORMAT luminance = Flagged(DDPF_LUMINANCE, 8);
  const DDPIXELFORMAT fourcc = Flagged(DDPF_FOURCC, 0);
  Start3D({luminance, kArgb8565, fourcc, kArgb4444, kRgb565});
  auto texture = Make("RGB888");
  // The wish search logs every colour format it sees, alpha or not; the
  // preference passes over the alpha formats without a word.
  EXPECT_THAT(NewLogLines(),
              ElementsAre("指定のテクスチャフォーマットを探索します…",
                          "列挙されたテクスチャフォーマット...BitCount=24 Mask=(00ff0000,0000f800,000007e0,0000001f)",
                          "列挙されたテクスチャフォーマット...BitCount=16 Mask=(0000f000,00000f00,000000f0,0000000f)",
                          "列挙されたテクスチャフォーマット...BitCount=16 Mask=(00000000,0000f800,000007e0,0000001f)",
                          kNotFound,
                          "列挙されたテクスチャフォーマット...BitCount=16 Mask=(00000000,0000f800,000007e0,0000001f)",
                          "このフォーマットは良さそうですね", "テクスチャをシステムメモリに配置します",
                          "PixelFormat: AMask=00000000 RMask=0000f800 GMask=000007e0 BMask=0000001f"));
}

TEST_F(TextureTest, NoFormatToTakeIsReportedAsACreationFailure) {
  Start3D({kArgb4444, kArgb1555});
  auto texture = Make("");
  EXPECT_THAT(NewLogLines(), Contains("テクスチャ用サーフェスを作れませんでした(Error Code(88760091))"));
  EXPECT_EQ(texture->DDSurface, nullptr);
  texture->LoadFromFile(BitmapPath("rgb24_bmp3.bmp"));  // nothing to load into: a no-op
  EXPECT_EQ(texture->FileName, BitmapPath("rgb24_bmp3.bmp"));
}

TEST_F(TextureTest, AHardwareDeviceGetsItsTexturesInVideoMemory) {
  Start3D({kRgb565}, 32, true);
  ASSERT_TRUE(brin->HardwareDeviceMade());
  auto texture = Make("RGB565");
  EXPECT_THAT(NewLogLines(), Contains("テクスチャをビデオメモリに配置します"));
  DDSCAPS2 caps{};
  texture->DDSurface->GetCaps(&caps);
  EXPECT_TRUE(caps.dwCaps & DDSCAPS_VIDEOMEMORY);
}

TEST_F(TextureTest, AModeSwitchRebuildsEachTextureWithItsWishAndReloadsIt) {
  Start3D({PaletteFormat8(), kRgb565, kXrgb1555, kArgb1555, kXrgb8888});
  auto wished = Make("ARGB1555");
  wished->SetColorKey(0x8000);
  wished->LoadFromFile(BitmapPath("rgb24_bmp3.bmp"));
  const auto picture = SurfacePixels(*wished);
  auto preferred = Make("");
  EXPECT_EQ(preferred->RMask, 0xFF0000u) << "nearest a 32-bit desktop";
  NewLogLines();

  brin->ChangeToFullScreen(640, 480, 16, 0, "");
  const auto lines = NewLogLines();
  EXPECT_THAT(lines, Contains("DirectDrawオブジェクトの解放に伴い、1番のテクスチャを解放します"));
  EXPECT_THAT(lines, Contains("0番のテクスチャを再構築します"));
  EXPECT_THAT(lines, Contains("第1希望 : ARGB1555 に合致"));
  ASSERT_NE(wished->DDSurface, nullptr);
  EXPECT_EQ(wished->AMask, 0x8000u);
  EXPECT_EQ(wished->ColorKey, 0x8000u);
  DDCOLORKEY key{};
  ASSERT_EQ(wished->DDSurface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  EXPECT_EQ(key.dwColorSpaceLowValue, 0x8000u) << "made again with its colour key";
  EXPECT_EQ(SurfacePixels(*wished), picture) << "same format, same bitmap";
  // Without a wish the preference is asked again, now of a 16-bit desktop.
  ASSERT_NE(preferred->DDSurface, nullptr);
  EXPECT_EQ(preferred->RMask, 0xF800u);
}

TEST_F(TextureTest, TexturesAndTheDisplayMayGoInEitherOrder) {
  Start3D({kRgb565});
  auto first = Make("");
  auto second = Make("");
  ASSERT_EQ(brin->TextureList().size(), 2u);
  first.reset();
  ASSERT_EQ(brin->TextureList().size(), 1u);
  EXPECT_EQ(brin->TextureList()[0]->Surface, second.get());
  delete app;  // the display goes first; the texture lives on without it
  app = nullptr;
  EXPECT_EQ(second->Owner, nullptr);
  EXPECT_EQ(second->DDSurface, nullptr);
  second.reset();
  EXPECT_EQ(platform::LiveObjectCount(), baseObjects);
}

}  // namespace
}  // namespace brin::testing
