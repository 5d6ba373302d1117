// The BMP decoder: files made by ImageMagick compared pixel for pixel with
// its own decode, every truncation of them, and hand-built broken streams.
#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/faults.h"
#include "platform/stream.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace platform::gdi::testing {
namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

HBITMAP Decode(const std::vector<std::uint8_t>& bytes) {
  MemoryStream stream(bytes);
  return LoadBitmapFromStream(stream);
}

BITMAP InfoOf(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  return info;
}

// Every pixel's GDI colour, top row first, read through a memory DC.
std::vector<COLORREF> PixelsOf(HBITMAP bitmap) {
  const BITMAP info = InfoOf(bitmap);
  HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < info.bmHeight; ++y)
    for (int x = 0; x < info.bmWidth; ++x) pixels.push_back(GetPixel(dc, x, y));
  SelectObject(dc, previous);
  DeleteDC(dc);
  return pixels;
}

// Decodes BYTES and gives back its pixels, or nothing when refused.
std::optional<std::vector<COLORREF>> DecodedPixels(const std::vector<std::uint8_t>& bytes) {
  HBITMAP bitmap = Decode(bytes);
  if (!bitmap) return std::nullopt;
  std::vector<COLORREF> pixels = PixelsOf(bitmap);
  EXPECT_EQ(DeleteObject(bitmap), TRUE);
  return pixels;
}

struct FileCase {
  const char* name;
  LONG width;
  LONG height;
  WORD storedBits;  // what the decoded bitmap keeps
};

const FileCase kFiles[] = {
    {"bits1", 13, 7, 8},          {"bits4", 13, 7, 8},         {"bits4_topdown", 13, 7, 8},    {"bits8", 13, 7, 8},
    {"bits8_v5", 13, 7, 8},       {"core4", 13, 7, 8},         {"rle4", 13, 7, 8},             {"rle8", 40, 12, 8},
    {"rle8_busy", 13, 7, 8},      {"rle8_escapes", 16, 6, 8},  {"bits24", 13, 7, 24},          {"bits24_topdown", 13, 7, 24},
    {"core24", 13, 7, 24},        {"rgb565", 64, 4, 32},       {"rgb565_bitfields", 64, 4, 32}, {"rgb565_v2", 64, 4, 32},
    {"rgb565_v3", 64, 4, 32},     {"rgb555", 64, 4, 32},       {"rgb555_birgb", 64, 4, 32},    {"bits32", 13, 7, 32},
    {"argb32", 13, 7, 32},        {"argb32_v3", 13, 7, 32},    {"argb32_v4", 13, 7, 32},
};

class ImageMagickFiles : public GdiTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(ImageMagickFiles, DecodeLikeImageMagick) {
  const FileCase& c = GetParam();
  const std::string base = std::string(GDI_TEST_DATA) + c.name;
  const std::vector<std::uint8_t> expected = ReadBytes(base + ".rgb");
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(c.width * c.height * 3)) << "missing " << base << ".rgb";

  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, (base + ".bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(bitmap, nullptr);
  const BITMAP info = InfoOf(bitmap);
  EXPECT_EQ(info.bmWidth, c.width);
  EXPECT_EQ(info.bmHeight, c.height);
  EXPECT_EQ(info.bmBitsPixel, c.storedBits);
  const std::vector<COLORREF> pixels = PixelsOf(bitmap);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    ASSERT_EQ(pixels[i], RGB(expected[3 * i], expected[3 * i + 1], expected[3 * i + 2]))
        << "pixel " << i % c.width << "," << i / c.width;

  const std::vector<std::uint8_t> alpha = ReadBytes(base + ".alpha");
  if (!alpha.empty()) {
    ASSERT_EQ(alpha.size(), pixels.size());
    for (std::size_t i = 0; i < alpha.size(); ++i) {
      const auto* row = static_cast<const std::uint8_t*>(info.bmBits) + (i / c.width) * info.bmWidthBytes;
      ASSERT_EQ(row[(i % c.width) * 4 + 3], alpha[i]) << "alpha of pixel " << i;
    }
  }
  EXPECT_EQ(DeleteObject(bitmap), TRUE);

  // From a stream the BMP starts at the stream's position, not at byte 0.
  std::vector<std::uint8_t> bytes = ReadBytes(base + ".bmp");
  std::vector<std::uint8_t> shifted = {'j', 'u', 'n', 'k'};
  shifted.insert(shifted.end(), bytes.begin(), bytes.end());
  MemoryStream stream(shifted);
  stream.SetPosition(4);
  bitmap = LoadBitmapFromStream(stream);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(PixelsOf(bitmap), pixels);
  DeleteObject(bitmap);

  // Every shorter stream is refused, except that a run-length picture whose
  // rows are all there may lack its end code.
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    const auto prefix = DecodedPixels(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
    if (!prefix) continue;
    ASSERT_EQ(*prefix, pixels) << "a prefix of " << length << " bytes decoded differently";
    ASSERT_GE(length, bytes.size() - 4) << "a prefix of " << length << " bytes was accepted";
  }
}

INSTANTIATE_TEST_SUITE_P(Data, ImageMagickFiles, ::testing::ValuesIn(kFiles),
                         [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

TEST(ImageMagickFileList, CoversEveryFileInTheDataFolder) {
  for (const auto& entry : std::filesystem::directory_iterator(GDI_TEST_DATA)) {
    if (entry.path().extension() != ".bmp") continue;
    const std::string stem = entry.path().stem().string();
    EXPECT_TRUE(std::any_of(std::begin(kFiles), std::end(kFiles), [&](const FileCase& c) { return stem == c.name; }))
        << stem << ".bmp is not tested";
  }
}

// A BMP put together field by field, to be broken on purpose.
struct Bmp {
  std::int32_t width = 3;
  std::int32_t height = 2;
  std::uint16_t bits = 8;
  std::uint32_t compression = BI_RGB;
  std::uint32_t headerSize = 40;
  std::uint32_t coloursUsed = 0;
  std::uint32_t masks[4] = {};            // in headers of 52 bytes and more
  std::vector<std::uint8_t> afterHeader;  // masks of a 40-byte header
  std::vector<std::uint8_t> table;
  std::vector<std::uint8_t> pixels;
  std::optional<std::uint32_t> offBits;
  std::uint16_t magic = 0x4D42;

  std::vector<std::uint8_t> Bytes() const {
    std::vector<std::uint8_t> header(headerSize < 4 ? 4 : headerSize, 0);
    auto put16 = [&](std::size_t at, std::uint16_t v) { if (at + 2 <= header.size()) std::memcpy(&header[at], &v, 2); };
    auto put32 = [&](std::size_t at, std::uint32_t v) { if (at + 4 <= header.size()) std::memcpy(&header[at], &v, 4); };
    put32(0, headerSize);
    if (headerSize == 12) {
      put16(4, static_cast<std::uint16_t>(width));
      put16(6, static_cast<std::uint16_t>(height));
      put16(8, 1);
      put16(10, bits);
    } else {
      put32(4, static_cast<std::uint32_t>(width));
      put32(8, static_cast<std::uint32_t>(height));
      put16(12, 1);
      put16(14, bits);
      put32(16, compression);
      put32(32, coloursUsed);
      for (int i = 0; i < 4; ++i) put32(40 + 4 * i, masks[i]);
    }
    const std::uint32_t off = 14 + static_cast<std::uint32_t>(header.size() + afterHeader.size() + table.size());
    BITMAPFILEHEADER file{magic, 0, 0, 0, offBits.value_or(off)};
    std::vector<std::uint8_t> out(sizeof file);
    std::memcpy(out.data(), &file, sizeof file);
    for (const auto* part : std::initializer_list<const std::vector<std::uint8_t>*>{&header, &afterHeader, &table, &pixels}) out.insert(out.end(), part->begin(), part->end());
    return out;
  }
};

// 3 x 2, 8 bits, black and white: bottom row 0 1 0, top row 1 0 1.
Bmp SmallIndexed() {
  Bmp b;
  b.coloursUsed = 2;
  b.table = {0, 0, 0, 0, 255, 255, 255, 0};
  b.pixels = {0, 1, 0, 0, 1, 0, 1, 0};
  return b;
}

constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
                   kBlue = RGB(0, 0, 255);

using BmpDecoder = GdiTest;

TEST_F(BmpDecoder, RefusesBrokenHeaders) {
  ASSERT_EQ(DecodedPixels(SmallIndexed().Bytes()), (std::vector<COLORREF>{kWhite, kBlack, kWhite, kBlack, kWhite, kBlack}));
  struct Case {
    const char* what;
    void (*breakIt)(Bmp&);
  };
  const Case cases[] = {
      {"magic", [](Bmp& b) { b.magic = 0x4142; }},
      {"header size 0", [](Bmp& b) { b.headerSize = 0; }},
      {"header size 16", [](Bmp& b) { b.headerSize = 16; }},
      {"header size 64", [](Bmp& b) { b.headerSize = 64; }},
      {"header size 41", [](Bmp& b) { b.headerSize = 41; }},
      {"bits 0", [](Bmp& b) { b.bits = 0; }},
      {"bits 2", [](Bmp& b) { b.bits = 2; }},
      {"bits 7", [](Bmp& b) { b.bits = 7; }},
      {"bits 15", [](Bmp& b) { b.bits = 15; }},
      {"bits 64", [](Bmp& b) { b.bits = 64; }},
      {"width 0", [](Bmp& b) { b.width = 0; }},
      {"negative width", [](Bmp& b) { b.width = -3; }},
      {"height 0", [](Bmp& b) { b.height = 0; }},
      {"height INT_MIN", [](Bmp& b) { b.height = INT_MIN; }},
      {"huge both ways", [](Bmp& b) { b.width = b.height = INT_MAX; }},
      {"more pixels than the limit", [](Bmp& b) { b.width = 1 << 16, b.height = 1 << 11; }},
      {"wider than the stream", [](Bmp& b) { b.width = 1 << 20, b.height = 1; }},
      {"taller than the stream", [](Bmp& b) { b.height = 3; }},
      {"top-down taller than the stream", [](Bmp& b) { b.height = -3; }},
      {"pixels past the end", [](Bmp& b) { b.offBits = 4000; }},
      {"pixels inside the header", [](Bmp& b) { b.offBits = 20; }},
      {"RLE8 of 4 bits", [](Bmp& b) { b.compression = BI_RLE8, b.bits = 4; }},
      {"RLE4 of 8 bits", [](Bmp& b) { b.compression = BI_RLE4; }},
      {"top-down RLE", [](Bmp& b) { b.compression = BI_RLE8, b.height = -2; }},
      {"bitfields of 8 bits", [](Bmp& b) { b.compression = BI_BITFIELDS; }},
      {"bitfields of 24 bits", [](Bmp& b) { b.compression = BI_BITFIELDS, b.bits = 24; }},
      {"JPEG", [](Bmp& b) { b.compression = BI_JPEG; }},
      {"PNG", [](Bmp& b) { b.compression = BI_PNG; }},
      {"compression 7", [](Bmp& b) { b.compression = 7; }},
      {"bitfield masks cut off", [](Bmp& b) { b.compression = BI_BITFIELDS, b.bits = 16, b.table.clear(), b.pixels.resize(6); }},
  };
  for (const Case& c : cases) {
    Bmp b = SmallIndexed();
    c.breakIt(b);
    EXPECT_EQ(Decode(b.Bytes()), nullptr) << c.what;
  }
  EXPECT_EQ(Decode({}), nullptr);
}

TEST_F(BmpDecoder, ColourTablesOfAnySize) {
  // More entries declared than 8 bits can use: the first 256 count.
  Bmp many = SmallIndexed();
  many.coloursUsed = 1000;
  many.table.assign(4000, 0);
  many.table[6] = 255;  // entry 1 red
  EXPECT_EQ(DecodedPixels(many.Bytes()), (std::vector<COLORREF>{kRed, kBlack, kRed, kBlack, kRed, kBlack}));

  // No pixel offset: the pixels follow the table the header declares.
  Bmp noOffset = SmallIndexed();
  noOffset.offBits = 0;
  EXPECT_EQ(DecodedPixels(noOffset.Bytes()), DecodedPixels(SmallIndexed().Bytes()));
  Bmp fullTable = SmallIndexed();
  fullTable.coloursUsed = 0;  // 256 entries
  fullTable.table.resize(1024, 0);
  fullTable.offBits = 0;
  EXPECT_EQ(DecodedPixels(fullTable.Bytes()), DecodedPixels(SmallIndexed().Bytes()));
  // A true-colour picture with an optional table before its pixels.
  Bmp trueColour;
  trueColour.width = 1, trueColour.height = 1, trueColour.bits = 24, trueColour.coloursUsed = 2;
  trueColour.table.assign(8, 0x77);
  trueColour.pixels = {0xFF, 0, 0, 0};
  trueColour.offBits = 0;
  EXPECT_EQ(DecodedPixels(trueColour.Bytes()), (std::vector<COLORREF>{kBlue}));

  // A table that would run into the pixels ends there; missing entries are black.
  Bmp cut = SmallIndexed();
  cut.coloursUsed = 0;
  cut.pixels = {5, 1, 0, 0, 1, 0, 1, 0};
  EXPECT_EQ(DecodedPixels(cut.Bytes()), (std::vector<COLORREF>{kWhite, kBlack, kWhite, kBlack, kWhite, kBlack}));

  // The OS/2 header's table has three bytes an entry.
  Bmp core;
  core.headerSize = 12, core.width = 2, core.height = 1, core.bits = 1;
  core.table = {0, 0, 255, 0, 255, 0};
  core.pixels = {0x40, 0, 0, 0};
  EXPECT_EQ(DecodedPixels(core.Bytes()), (std::vector<COLORREF>{kRed, kGreen}));
}

TEST_F(BmpDecoder, MasksOfAnyShapeScaleToEightBits) {
  Bmp b;
  b.width = 4, b.height = 1, b.bits = 32, b.compression = BI_BITFIELDS;
  auto put = [](std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
  };
  put(b.afterHeader, 0x3FF00000);  // 10 bits each
  put(b.afterHeader, 0x000FFC00);
  put(b.afterHeader, 0x000003FF);
  for (std::uint32_t p : {0x3FF00000u | (512u << 10), 0x3FFu, 0xC0000000u, 1u << 20}) put(b.pixels, p);
  EXPECT_EQ(DecodedPixels(b.Bytes()), (std::vector<COLORREF>{RGB(255, 128, 0), kBlue, kBlack, RGB(0, 0, 0)}));

  // Masks in a 56-byte header, alpha included; gaps in a mask still scale.
  Bmp v3;
  v3.headerSize = 56, v3.width = 2, v3.height = 1, v3.bits = 16, v3.compression = BI_BITFIELDS;
  v3.masks[0] = 0x5, v3.masks[1] = 0xF0, v3.masks[2] = 0, v3.masks[3] = 0xF00;
  v3.pixels = {0x04, 0x0F, 0xF5, 0x00};
  HBITMAP bitmap = Decode(v3.Bytes());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(PixelsOf(bitmap), (std::vector<COLORREF>{RGB(146, 0, 0), RGB(182, 255, 0)}));  // 0b100 and 0b101 of 0b101
  const BITMAP info = InfoOf(bitmap);
  EXPECT_EQ(static_cast<const std::uint8_t*>(info.bmBits)[3], 255);  // alpha 15 of 15
  EXPECT_EQ(static_cast<const std::uint8_t*>(info.bmBits)[7], 0);
  DeleteObject(bitmap);

  // 16-bit BI_RGB is 5-5-5 whatever the top bit says; alpha-bitfields keep a fourth mask.
  Bmp rgb16;
  rgb16.width = 2, rgb16.height = 1, rgb16.bits = 16;
  rgb16.pixels = {0xFF, 0x7F, 0xFF, 0xFF};
  EXPECT_EQ(DecodedPixels(rgb16.Bytes()), (std::vector<COLORREF>{kWhite, kWhite}));
  Bmp alpha;
  alpha.width = 1, alpha.height = 1, alpha.bits = 32, alpha.compression = BI_ALPHABITFIELDS;
  for (std::uint32_t m : {0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u}) put(alpha.afterHeader, m);
  put(alpha.pixels, 0x80112233);
  bitmap = Decode(alpha.Bytes());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(PixelsOf(bitmap), (std::vector<COLORREF>{RGB(0x11, 0x22, 0x33)}));
  EXPECT_EQ(static_cast<const std::uint8_t*>(InfoOf(bitmap).bmBits)[3], 0x80);
  DeleteObject(bitmap);
}

Bmp Rle(std::uint32_t compression, std::vector<std::uint8_t> data, std::int32_t width = 4, std::int32_t height = 2) {
  Bmp b;
  b.width = width, b.height = height, b.compression = compression, b.bits = compression == BI_RLE4 ? 4 : 8;
  b.coloursUsed = 4;
  b.table = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};  // black, red, green, blue
  b.pixels = std::move(data);
  return b;
}

TEST_F(BmpDecoder, RunLengthDataIsCheckedAsItIsRead) {
  // Runs that overshoot their row lose the overshoot.
  EXPECT_EQ(DecodedPixels(Rle(BI_RLE8, {6, 1, 0, 0, 0, 5, 1, 2, 3, 2, 3, 0, 0, 1}).Bytes()),
            (std::vector<COLORREF>{kRed, kGreen, kBlue, kGreen, kRed, kRed, kRed, kRed}));
  EXPECT_EQ(DecodedPixels(Rle(BI_RLE4, {0, 3, 0x12, 0x30, 3, 0x12, 0, 1}, 5, 1).Bytes()),
            (std::vector<COLORREF>{kRed, kGreen, kBlue, kRed, kGreen}));
  // A complete picture may leave out its end code.
  EXPECT_NE(Decode(Rle(BI_RLE8, {4, 1, 0, 0, 4, 2, 0, 0}).Bytes()), nullptr);

  const std::vector<std::vector<std::uint8_t>> broken = {
      {4, 1, 0, 0, 4, 1, 0, 0, 1, 1, 0, 1},  // a run above the top row
      {4, 1, 0, 0, 4, 1, 0, 0, 0, 0, 0, 1},  // an end of line above the top row
      {0, 2, 5, 0, 0, 1},                    // a delta past the right edge
      {0, 2, 0, 3, 0, 1},                    // a delta past the top
      {0, 2, 1},                             // a delta cut off
      {4, 1},                                // data ending inside the picture
      {0, 4, 1, 2},                          // a literal stretch cut off
      {},
  };
  for (const auto& data : broken) EXPECT_EQ(Decode(Rle(BI_RLE8, data).Bytes()), nullptr) << ::testing::PrintToString(data);
  EXPECT_EQ(Decode(Rle(BI_RLE4, {0, 5, 0x12, 0x31}).Bytes()), nullptr);  // needs 4 bytes with padding

  // A few bytes cannot ask for a huge picture: the size is bounded by the data.
  EXPECT_EQ(Decode(Rle(BI_RLE8, {0, 1}, 8000, 8000).Bytes()), nullptr);
  HBITMAP blank = Decode(Rle(BI_RLE8, {0, 1}, 2048, 2048).Bytes());
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(InfoOf(blank).bmHeight, 2048);
  DeleteObject(blank);
}

TEST_F(BmpDecoder, LoadImageTakesFilesOnlyAndScalesOnRequest) {
  const std::string path = std::string(GDI_TEST_DATA) + "bits24.bmp";
  HBITMAP original = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  ASSERT_NE(original, nullptr);
  const std::vector<COLORREF> pixels = PixelsOf(original);

  HBITMAP doubled = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 26, 14, LR_LOADFROMFILE));
  ASSERT_NE(doubled, nullptr);
  const std::vector<COLORREF> big = PixelsOf(doubled);
  ASSERT_EQ(big.size(), 26u * 14u);
  for (int y = 0; y < 14; ++y)
    for (int x = 0; x < 26; ++x) ASSERT_EQ(big[y * 26 + x], pixels[(y / 2) * 13 + x / 2]) << x << "," << y;
  HBITMAP small = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 5, 0, LR_LOADFROMFILE));
  ASSERT_NE(small, nullptr);
  const std::vector<COLORREF> narrow = PixelsOf(small);
  ASSERT_EQ(narrow.size(), 5u * 7u);
  EXPECT_EQ(narrow[6 * 5 + 4], pixels[6 * 13 + 4 * 13 / 5]);

  EXPECT_EQ(LoadImageA(nullptr, (std::string(GDI_TEST_DATA) + "missing.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, (std::string(GDI_TEST_DATA) + "bits24.rgb").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, GDI_TEST_DATA, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);  // a folder
  EXPECT_EQ(LoadImageA(nullptr, path.c_str(), 1 /* IMAGE_ICON */, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, 0), nullptr);  // no resources here
  EXPECT_EQ(LoadImageA(nullptr, nullptr, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, -1, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 1 << 14, 1 << 14, LR_LOADFROMFILE), nullptr);

  InjectFault("LoadImageA", E_FAIL);
  EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  InjectFault("LoadBitmapFromStream", E_FAIL);
  EXPECT_EQ(Decode(ReadBytes(path)), nullptr);
  EXPECT_NE(Decode(ReadBytes(path)), nullptr);
  for (HBITMAP b : {original, doubled, small}) EXPECT_EQ(DeleteObject(b), TRUE);
}

}  // namespace
}  // namespace platform::gdi::testing
