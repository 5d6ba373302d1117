// LoadBMP's edge cases and every line of its failure table, on bitmaps
// written field by field; LoadFromFile and LoadFromArchive with the source
// a TBrinSurface records.
#include <memory>

#include "platform/gdi.h"
#include "tests/display/bitmap_test_support.h"
#include "tests/display/display_fixture.h"

namespace brin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kMarker = 0x00123456;
constexpr HRESULT kFault = static_cast<HRESULT>(0x88760BADu);

// A 24-bit picture of WIDTH x HEIGHT, stored bottom row first, whose pixel
// (x, y) (y from the top) is 0x00RRGGBB = 0x010000 * (x + 1) + (y + 1).
std::vector<std::uint8_t> Rows24(std::int32_t width, std::int32_t height) {
  std::vector<std::uint8_t> out;
  for (std::int32_t y = height - 1; y >= 0; --y) {
    for (std::int32_t x = 0; x < width; ++x) out.insert(out.end(), {static_cast<std::uint8_t>(y + 1), 0, static_cast<std::uint8_t>(x + 1)});
    while (out.size() % 4) out.push_back(0);
  }
  return out;
}
std::uint32_t Pixel24(std::int32_t x, std::int32_t y) { return 0x010000u * (x + 1) + (y + 1); }

BmpLayout Picture24(std::int32_t width, std::int32_t height) {
  BmpLayout s;
  s.width = width;
  s.height = height;
  s.bits = 24;
  s.pixels = Rows24(width, height);
  return s;
}

class LoadTest : public DisplayTest {
 protected:
  TBrin* StartAt(DWORD depth) {
    backend.SetDesktopMode({1024, 768, depth, 60});
    platform::Install(&backend);
    return brin = Start();
  }
  std::unique_ptr<TBrinSurface> Sheet(std::int32_t width, std::int32_t height, std::uint32_t fill = kMarker) {
    auto sheet = std::make_unique<TBrinSurface>(brin, width, height, 0);
    FillSurface(*sheet, fill);
    NewLogLines();
    return sheet;
  }
  void Load(TBrinGenSurface& surface, const BmpLayout& layout) {
    platform::MemoryStream stream(MakeBmp(layout));
    surface.LoadBMP(stream);
  }
  static bool Untouched(TBrinGenSurface& surface, std::uint32_t fill = kMarker) {
    for (std::uint32_t v : SurfacePixels(surface))
      if (v != fill) return false;
    return true;
  }

  TBrin* brin = nullptr;
};

TEST_F(LoadTest, SixteenBitPixelsWidenByEightAndTheirTopBitIsAlpha) {
  StartAt(16);
  auto sheet = Sheet(2, 1);
  BmpLayout s;
  s.width = 2;
  s.bits = 16;
  s.pixels = WordRows({{0x7FFF, 0x801F}});
  Load(*sheet, s);
  // White 0x7FFF: each channel 31 x 8 = 248, packed 5-6-5.
  EXPECT_THAT(SurfacePixels(*sheet), ElementsAre(0xFFDFu, 0x001Fu));

  IDirectDrawSurface7* argb = CreateArgbSurface(brin->DDraw, 2, 1);
  ASSERT_NE(argb, nullptr);
  {
    TBrinGenSurface alpha(brin, argb, 2, 1);
    Load(alpha, s);
    EXPECT_THAT(SurfacePixels(alpha), ElementsAre(0x00F8F8F8u, 0xFF0000F8u));
  }
  argb->Release();
}

TEST_F(LoadTest, BitfieldBitmapsWithTheUsualMasksLoadAsTheirMasksSay) {
  StartAt(32);
  auto sheet = Sheet(2, 1);
  IDirectDrawSurface7* argb = CreateArgbSurface(brin->DDraw, 2, 1);
  ASSERT_NE(argb, nullptr);
  TBrinGenSurface alpha(brin, argb, 2, 1);
  NewLogLines();
  auto masks = [](std::initializer_list<std::uint32_t> m) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t v : m) PutLe(out, v, 4);
    return out;
  };

  // 5-6-5 with its masks after a 40-byte header: green keeps six bits.
  BmpLayout s;
  s.width = 2;
  s.bits = 16;
  s.compression = BI_BITFIELDS;
  s.extra = masks({0xF800, 0x07E0, 0x001F});
  s.pixels = WordRows({{0xFFFF, 0x07E0}});
  Load(*sheet, s);
  EXPECT_THAT(SurfacePixels(*sheet), ElementsAre(0x00F8FCF8u, 0x0000FC00u));

  // x-5-5-5 without an alpha mask is opaque whatever its top bit says; with
  // the alpha mask 0x8000 (four masks) the top bit is alpha.
  s.extra = masks({0x7C00, 0x03E0, 0x001F});
  s.pixels = WordRows({{0x7C00, 0x801F}});
  Load(alpha, s);
  EXPECT_THAT(SurfacePixels(alpha), ElementsAre(0xFFF80000u, 0xFF0000F8u));
  s.compression = BI_ALPHABITFIELDS;
  s.extra = masks({0x7C00, 0x03E0, 0x001F, 0x8000});
  Load(alpha, s);
  EXPECT_THAT(SurfacePixels(alpha), ElementsAre(0x00F80000u, 0xFF0000F8u));

  // 32 bits: the fourth byte is alpha only when the masks say so.
  s.bits = 32;
  s.compression = BI_BITFIELDS;
  s.extra = masks({0xFF0000, 0xFF00, 0xFF});
  s.pixels = {0x11, 0x22, 0x33, 0x00, 0x44, 0x55, 0x66, 0x80};
  Load(alpha, s);
  EXPECT_THAT(SurfacePixels(alpha), ElementsAre(0xFF332211u, 0xFF665544u));
  s.headerSize = 56;  // a header with room for the alpha mask
  s.extra.clear();
  BmpLayout v3 = s;
  auto bytes = MakeBmp(v3);
  const auto m = masks({0xFF0000, 0xFF00, 0xFF, 0xFF000000});
  std::copy(m.begin(), m.end(), bytes.begin() + 14 + 40);
  platform::MemoryStream stream(bytes);
  alpha.LoadBMP(stream);
  EXPECT_THAT(SurfacePixels(alpha), ElementsAre(0x00332211u, 0x80665544u));
  argb->Release();
  EXPECT_THAT(NewLogLines(), IsEmpty());
}

TEST_F(LoadTest, CompressedRowsAndOtherMasksAreRefusedAsInvalid) {
  StartAt(32);
  auto sheet = Sheet(37, 23);
  sheet->LoadFromFile(BitmapPath("rle8_bmp3.bmp"));  // run-length, as ImageMagick writes it
  BmpLayout s = Picture24(2, 1);
  s.compression = BI_JPEG;
  Load(*sheet, s);
  s.bits = 16;
  s.compression = BI_BITFIELDS;
  for (std::uint32_t m : {0x0F00u, 0x00F0u, 0x000Fu}) PutLe(s.extra, m, 4);  // 4-4-4
  Load(*sheet, s);
  s.bits = 32;
  s.extra.clear();
  for (std::uint32_t m : {0xFFu, 0xFF00u, 0xFF0000u}) PutLe(s.extra, m, 4);  // blue on top
  Load(*sheet, s);
  EXPECT_THAT(NewLogLines(), ElementsAre("不正なBMPファイルです", "不正なBMPファイルです", "不正なBMPファイルです",
                                         "不正なBMPファイルです"));
  EXPECT_TRUE(Untouched(*sheet));
}

TEST_F(LoadTest, DepthOutsideEightToThirtyTwoBitsIsRefusedWithCodeOne) {
  StartAt(32);
  auto sheet = Sheet(37, 23);
  sheet->LoadFromFile(BitmapPath("p4_bmp3.bmp"));  // 4 bits, as ImageMagick writes it
  BmpLayout s = Picture24(1, 1);
  s.bits = 1;
  Load(*sheet, s);
  s.bits = 33;
  Load(*sheet, s);
  const std::string line = "色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください(Error Code(1))";
  EXPECT_THAT(NewLogLines(), ElementsAre(line, line, line));
  EXPECT_TRUE(Untouched(*sheet));
}

using LoadDeathTest = LoadTest;

TEST_F(LoadDeathTest, DepthRefusalHaltsWithTheHaltOption) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        StartAt(32);
        brin->SetDebugOption({broHaltOnError, broDebugMessage});
        auto sheet = Sheet(37, 23);
        sheet->LoadFromFile(BitmapPath("p4_bmp3.bmp"));
        std::exit(3);
      },
      ::testing::ExitedWithCode(1), ": 色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください\\(Error Code\\(1\\)\\)\n$");
  ASSERT_FALSE(LogLines().empty());
  EXPECT_EQ(LogLines().back(), "色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください(Error Code(1))");
}

TEST_F(LoadTest, MissingFileIsLoggedByNameAndTheSurfaceKeepsTheName) {
  StartAt(32);
  auto sheet = Sheet(4, 4);
  const std::string path = (logDir / "nosuch.bmp").string();
  sheet->LoadFromFile(path);
  EXPECT_THAT(NewLogLines(), ElementsAre(path + "が、見つかりません"));
  EXPECT_EQ(sheet->LoadError, path + "が、見つかりません");
  EXPECT_EQ(sheet->FileName, path);
  EXPECT_FALSE(sheet->FromArchive);
  EXPECT_TRUE(Untouched(*sheet));

  // The plain wrapper loads files too; it records nothing.
  const std::string good = (logDir / "good.bmp").string();
  WriteFileBytes(good, MakeBmp(Picture24(3, 2)));
  brin->BackBuffer->LoadFromFile(good);
  EXPECT_EQ(brin->BackBuffer->GetPixel(2, 478), Pixel24(2, 0));
  EXPECT_EQ(brin->BackBuffer->GetPixel(0, 479), Pixel24(0, 1));
  EXPECT_THAT(NewLogLines(), IsEmpty());
  // A load that succeeds clears the reason of the one before.
  sheet->LoadFromFile(good);
  EXPECT_EQ(sheet->LoadError, "");
}

TEST_F(LoadTest, BrokenHeadersAreLoggedAndLoadNothing) {
  StartAt(32);
  auto sheet = Sheet(4, 4);
  BmpLayout notBm = Picture24(2, 2);
  notBm.magic[1] = 'A';
  Load(*sheet, notBm);
  const auto whole = MakeBmp(Picture24(2, 2));
  for (size_t cut : {10u, 30u}) {  // inside the file header, inside the information header
    platform::MemoryStream stream(std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<long>(cut)));
    sheet->LoadBMP(stream);
  }
  // A 12-byte header keeps its fields elsewhere: refused, not misread.
  BmpLayout core = Picture24(8, 8);
  core.headerSize = 12;
  Load(*sheet, core);
  EXPECT_THAT(NewLogLines(), ElementsAre("不正なBMPファイルです", "ビットマップの読みこみ中に、エラーが発生しました",
                                         "LoadBMP中に、読み込みエラーが発生しました", "不正なBMPファイルです"));
  EXPECT_TRUE(Untouched(*sheet));
}

TEST_F(LoadTest, StreamEndingInsideTheRowsStopsWithTheRowsReadSoFar) {
  StartAt(32);
  auto sheet = Sheet(4, 4);
  auto bytes = MakeBmp(Picture24(4, 4));
  bytes.resize(bytes.size() - 12 - 6);  // the top row and half the one below it are missing
  platform::MemoryStream stream(bytes);
  sheet->LoadBMP(stream);
  EXPECT_THAT(NewLogLines(), ElementsAre("LoadBMP中に、読み込みエラーが発生しました"));
  EXPECT_EQ(sheet->LoadError, "LoadBMP中に、読み込みエラーが発生しました");
  // The two bottom rows are there; nothing was repeated above them, and the
  // surface was unlocked (it can be read).
  const auto pixels = SurfacePixels(*sheet);
  ASSERT_EQ(pixels.size(), 16u);
  for (std::int32_t y = 0; y < 4; ++y)
    for (std::int32_t x = 0; x < 4; ++x) EXPECT_EQ(pixels[static_cast<size_t>(y * 4 + x)], y >= 2 ? Pixel24(x, y) : kMarker);
}

TEST_F(LoadTest, AbsurdSizesAreRefusedBeforeAnythingIsAllocated) {
  StartAt(32);
  auto sheet = Sheet(4, 4);
  BmpLayout wide = Picture24(1, 1);
  wide.width = 0x7FFFFFFF;  // one row of 6 GB in a stream of 58 bytes
  Load(*sheet, wide);
  wide.bits = 32;
  wide.width = 0x40000001;  // a row length past 32 bits
  Load(*sheet, wide);
  BmpLayout odd = Picture24(1, 1);
  odd.width = -5;
  Load(*sheet, odd);
  odd.width = 1;
  odd.height = 0;
  Load(*sheet, odd);
  auto far = MakeBmp(Picture24(1, 1));
  far[12] = 0x10;  // pixels at 1 MB in a file of 58 bytes
  platform::MemoryStream farStream(far);
  sheet->LoadBMP(farStream);
  EXPECT_THAT(NewLogLines(), ElementsAre("不正なBMPファイルです", "不正なBMPファイルです", "不正なBMPファイルです",
                                         "不正なBMPファイルです", "不正なBMPファイルです"));
  EXPECT_TRUE(Untouched(*sheet));

  // Rows that fit but far more of them than the stream holds: the rows
  // there are loaded, then the load stops. Top row first, the rows above
  // the surface cannot even be skipped.
  BmpLayout tall = Picture24(4, 2);
  tall.height = 0x7FFFFFFF;
  Load(*sheet, tall);
  tall.height = static_cast<std::int32_t>(0x80000000u);
  Load(*sheet, tall);
  EXPECT_THAT(NewLogLines(), ElementsAre("LoadBMP中に、読み込みエラーが発生しました", "LoadBMP中に、読み込みエラーが発生しました"));
  EXPECT_EQ(sheet->GetPixel(3, 3), Pixel24(3, 1));
  EXPECT_EQ(sheet->GetPixel(3, 2), Pixel24(3, 0));
  EXPECT_EQ(sheet->GetPixel(3, 1), kMarker);
}

TEST_F(LoadTest, LockAndUnlockFailuresAreReported) {
  StartAt(32);
  auto sheet = Sheet(3, 2);
  platform::InjectFault("IDirectDrawSurface7::Lock", kFault);
  Load(*sheet, Picture24(3, 2));
  EXPECT_THAT(NewLogLines(), ElementsAre("LoadBMP中にサーフェスがロックできませんでした(Error Code(88760BAD))"));
  EXPECT_TRUE(Untouched(*sheet));
  platform::InjectFault("IDirectDrawSurface7::Unlock", kFault);
  Load(*sheet, Picture24(3, 2));
  EXPECT_THAT(NewLogLines(), ElementsAre("LoadBMP中にサーフェスがアンロックできませんでした(Error Code(88760BAD))"));
  sheet->DDSurface->Unlock(nullptr);
  EXPECT_EQ(sheet->GetPixel(2, 1), Pixel24(2, 1));
}

// A 24-bit picture into an 8-bit surface: the platform maps its colours to
// the palette and the picture sits at the top-left corner.
TEST_F(LoadTest, TrueColourIntoEightBitsIsMappedAndAnchoredTopLeft) {
  StartAt(8);  // a window on an 8-bit desktop: the palette reaches GDI's system palette
  for (auto& e : brin->PaletteEntries) e = PALETTEENTRY{10, 10, 10, PC_NOCOLLAPSE};
  brin->PaletteEntries[100] = PALETTEENTRY{0x01, 0x00, 0x01, PC_NOCOLLAPSE};
  brin->PaletteEntries[101] = PALETTEENTRY{0xF0, 0x10, 0x30, PC_NOCOLLAPSE};
  brin->PaletteEntries[102] = PALETTEENTRY{0x20, 0x30, 0xE0, PC_NOCOLLAPSE};
  brin->UpdatePalette();
  auto sheet = Sheet(8, 8, 7);
  BmpLayout s;
  s.width = 2;
  s.height = 2;
  s.pixels = {0x30, 0x10, 0xF0, 0xE0, 0x30, 0x20, 0, 0,   // bottom row: entries 101 and 102
              0x01, 0x00, 0x01, 0x01, 0x00, 0x01, 0, 0};  // top row: dark purple twice
  Load(*sheet, s);
  EXPECT_THAT(NewLogLines(), IsEmpty());
  const auto pixels = SurfacePixels(*sheet);
  EXPECT_EQ(pixels[0], 100u);
  EXPECT_EQ(pixels[1], 100u);
  EXPECT_EQ(pixels[8], 101u);
  EXPECT_EQ(pixels[9], 102u);
  EXPECT_EQ(pixels[2], 7u);
  EXPECT_EQ(pixels[16], 7u);
  EXPECT_EQ(pixels[63], 7u);

  FillSurface(*sheet, 7);
  platform::InjectFault("IDirectDrawSurface7::GetDC", kFault);
  Load(*sheet, s);
  auto cut = MakeBmp(s);
  cut.resize(cut.size() - 4);  // the decoder refuses a picture with rows missing
  platform::MemoryStream stream(cut);
  sheet->LoadBMP(stream);
  EXPECT_THAT(NewLogLines(), ElementsAre("サーフェスのデバイスコンテキストの取得に失敗しました(Error Code(88760BAD))",
                                         "不正なビットマップです"));
  EXPECT_TRUE(Untouched(*sheet, 7));
}

// Eight-bit rows are copied whole: the stored padding after the last index
// lands on the surface when it is wider. Converted rows stop at the picture.
TEST_F(LoadTest, NarrowPicturesKeepTheRestOfTheRowAsDesigned) {
  StartAt(32);
  auto sheet = Sheet(8, 3);
  BmpLayout s;
  s.width = 5;
  s.height = 1;
  s.bits = 8;
  s.table.assign(1024, 0);
  for (int i = 0; i < 256; ++i) s.table[static_cast<size_t>(4 * i + 2)] = static_cast<std::uint8_t>(i);  // red = index
  s.pixels = {1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE};
  Load(*sheet, s);
  EXPECT_THAT(SurfacePixels(*sheet), ElementsAre(kMarker, kMarker, kMarker, kMarker, kMarker, kMarker, kMarker, kMarker,  //
                                                 kMarker, kMarker, kMarker, kMarker, kMarker, kMarker, kMarker, kMarker,  //
                                                 0x010000u, 0x020000u, 0x030000u, 0x040000u, 0x050000u, kMarker, kMarker, kMarker));

  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  auto indexed = Sheet(8, 2, 9);
  Load(*indexed, s);
  EXPECT_THAT(SurfacePixels(*indexed), ElementsAre(9u, 9u, 9u, 9u, 9u, 9u, 9u, 9u, 1u, 2u, 3u, 4u, 5u, 0xEEu, 0xEEu, 0xEEu));
}

TEST_F(LoadTest, LostSurfaceLoadsNothingAndSaysNothing) {
  StartAt(32);
  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  auto sheet = Sheet(4, 4, 0);
  platform::SetAppActive(false);
  ASSERT_TRUE(sheet->IsLost());
  const std::string path = (logDir / "good.bmp").string();
  WriteFileBytes(path, MakeBmp(Picture24(4, 4)));
  platform::InjectFault("IDirectDrawSurface7::Lock", kFault, platform::FaultMode::Always);
  sheet->LoadFromFile(path);
  EXPECT_EQ(platform::FaultHits("IDirectDrawSurface7::Lock"), 0);
  EXPECT_THAT(NewLogLines(), IsEmpty());
  EXPECT_EQ(sheet->FileName, path);  // recorded all the same, for the reload
  platform::ClearFaults();
  platform::SetAppActive(true);
}

TEST_F(LoadTest, ArchiveMembersLoadAndEveryArchiveFailureIsOneLine) {
  StartAt(32);
  auto sheet = Sheet(3, 2);
  const std::string archive = (logDir / "sheets.bwa").string();
  WriteFileBytes(archive, MakeArchive({{"other", {1, 2, 3}}, {"Sheet.bmp", MakeBmp(Picture24(3, 2))}}));
  sheet->LoadFromArchive(archive, "SHEET.BMP");
  EXPECT_THAT(NewLogLines(), IsEmpty());
  EXPECT_TRUE(sheet->FromArchive);
  EXPECT_EQ(sheet->ArchiveName, archive);
  EXPECT_EQ(sheet->ArchiveID, "SHEET.BMP");
  EXPECT_EQ(sheet->GetPixel(2, 1), Pixel24(2, 1));

  FillSurface(*sheet, kMarker);
  sheet->LoadFromArchive(archive, "nosuch");
  EXPECT_EQ(sheet->ArchiveID, "nosuch");  // recorded before the load is tried
  sheet->LoadFromArchive((logDir / "nosuch.bwa").string(), "Sheet.bmp");
  sheet->LoadFromArchive(BitmapPath("p8_bmp3.bmp"), "Sheet.bmp");  // not an archive
  sheet->LoadFromArchive(archive, "other");                        // an archive member that is no bitmap
  const std::string line = "アーカイブからのビットマップの読み取りに失敗しました";
  EXPECT_THAT(NewLogLines(), ElementsAre(line, line, line, "ビットマップの読みこみ中に、エラーが発生しました"));
  EXPECT_TRUE(Untouched(*sheet));
}

}  // namespace
}  // namespace brin::testing
