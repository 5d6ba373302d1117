// LoadBMP: one BMP read from a stream into an existing surface of any pixel
// format the display may have.
//
// Three ways in, by the bitmap's bytes per pixel (SrcBytes) and the
// surface's (DstBytes):
//   A  true colour into 8 bits: the platform's decoder and BitBlt, which map
//      colours to the palette; anchored at the top-left corner;
//   B  8 bits into 8 bits: the indices are copied as they are, the display's
//      palette gives them their colours;
//   C  anything into 16, 24 or 32 bits: every pixel packed by MakePixel.
// B and C read the rows themselves: one row buffer, the surface locked only
// while rows are written, the bitmap's bottom row on the surface's bottom
// row.
//
// The file is outside data. Before anything is allocated or locked, sizes
// are checked against what the stream holds, and layouts the rows cannot be
// read as (run-length data, unusual channel masks, headers shorter than 40
// bytes) are refused as not a valid bitmap.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "display/debug_log.h"
#include "platform/gdi.h"
#include "surfaces/brin_surface.h"

namespace {

using brin::CheckResult;
using brin::DebugLog;

constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::int64_t kInfoHeaderSize = 40;
constexpr std::int64_t kColorTableSize = 1024;

constexpr const char* kInvalidFile = "不正なBMPファイルです";
constexpr const char* kFileHeaderError = "ビットマップの読みこみ中に、エラーが発生しました";
constexpr const char* kReadError = "LoadBMP中に、読み込みエラーが発生しました";

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// How a stored pixel turns into alpha, red, green and blue.
enum class SourceKind {
  Indexed,      // one byte: an entry of the colour table
  Word1555,     // 16 bits x-5-5-5; the top bit is alpha: 255 when set, 0 when clear
  Word555,      // 16 bits x-5-5-5 by its masks, no alpha: 255
  Word565,      // 16 bits 5-6-5 by its masks: alpha 255
  Bgr,          // three bytes blue, green, red: alpha 255
  Bgra,         // four bytes blue, green, red, alpha
  Bgrx,         // four bytes blue, green, red and one unused by its masks: alpha 255
};

// What the two headers say, after the checks every path needs.
struct BitmapHeader {
  std::uint32_t pixelOffset = 0;  // from stream position 0
  std::uint32_t headerSize = 0;
  std::int32_t width = 0;
  std::uint32_t height = 0;  // as stored: negative heights read as large numbers
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
};

// The row layout of paths B and C, or false when the rows cannot be read
// as rows of plain pixels (the caller refuses the file).
struct RowLayout {
  SourceKind kind = SourceKind::Indexed;
  std::int64_t srcBytes = 0;
  std::int64_t srcRow = 0;         // stored row length, padded to 4 bytes
  std::int64_t rowCount = 0;       // rows the bitmap has
  bool topDown = false;
  std::int64_t colorTableAt = 0;   // stream position of the colour table
};

// Masks of a bitfield bitmap decide whether its rows are read: only the
// layouts the loader converts exactly are accepted.
bool KindFromMasks(std::uint16_t bits, const std::uint32_t masks[4], SourceKind& kind) {
  const std::uint32_t r = masks[0], g = masks[1], b = masks[2], a = masks[3];
  if (bits == 16) {
    if (r == 0x7C00 && g == 0x03E0 && b == 0x001F && a == 0) return kind = SourceKind::Word555, true;
    if (r == 0x7C00 && g == 0x03E0 && b == 0x001F && a == 0x8000) return kind = SourceKind::Word1555, true;
    if (r == 0xF800 && g == 0x07E0 && b == 0x001F && a == 0) return kind = SourceKind::Word565, true;
    return false;
  }
  if (bits == 32 && r == 0x00FF0000 && g == 0x0000FF00 && b == 0x000000FF) {
    if (a == 0) return kind = SourceKind::Bgrx, true;
    if (a == 0xFF000000) return kind = SourceKind::Bgra, true;
  }
  return false;
}

// Works out the row layout; reads the channel masks of bitfield bitmaps,
// which follow the first 40 bytes of the information header. Throws
// platform::EInOutError when the stream ends inside them.
bool PlanRows(platform::Stream& stream, std::int64_t start, const BitmapHeader& h, RowLayout& layout) {
  layout.srcBytes = h.bitCount / 8;
  std::int64_t masksSize = 0;
  switch (h.compression) {
    case BI_RGB: {
      static constexpr SourceKind kByBytes[] = {SourceKind::Indexed, SourceKind::Indexed, SourceKind::Word1555,
                                                SourceKind::Bgr, SourceKind::Bgra};
      layout.kind = kByBytes[layout.srcBytes];
      break;
    }
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS: {
      if (h.bitCount != 16 && h.bitCount != 32) return false;
      const bool alphaMask = h.compression == BI_ALPHABITFIELDS || h.headerSize >= BITMAPV3INFOHEADER_SIZE;
      std::uint8_t raw[16] = {};
      stream.ReadBuffer(raw, alphaMask ? 16 : 12);
      const std::uint32_t masks[4] = {Le32(raw), Le32(raw + 4), Le32(raw + 8), alphaMask ? Le32(raw + 12) : 0};
      if (!KindFromMasks(h.bitCount, masks, layout.kind)) return false;
      // A 40-byte header keeps its masks after it, in front of the table.
      if (h.headerSize == kInfoHeaderSize) masksSize = alphaMask ? 16 : 12;
      break;
    }
    default:
      return false;  // run-length and embedded pictures are not rows
  }

  // A picture whose one row cannot fit in the stream is not a picture; it is
  // refused before its row is allocated. Heights of up to 2^31 either way.
  const std::int64_t signedHeight = static_cast<std::int32_t>(h.height);
  if (h.width <= 0 || signedHeight == 0) return false;
  layout.topDown = signedHeight < 0;
  layout.rowCount = layout.topDown ? -signedHeight : signedHeight;
  layout.srcRow = (static_cast<std::int64_t>(h.width) * layout.srcBytes + 3) / 4 * 4;
  const std::int64_t available = stream.Size() - h.pixelOffset;
  if (layout.srcRow > std::numeric_limits<std::uint32_t>::max() || layout.srcRow > available) return false;
  layout.colorTableAt = start + kFileHeaderSize + h.headerSize + masksSize;
  return true;
}

// Packs pixels of one stored row into the surface's format: N bytes each,
// little-endian, the low bytes of MakePixel's value.
class RowConverter {
 public:
  RowConverter(const TBrinGenSurface& surface, SourceKind kind, const std::uint8_t* colorTable)
      : surface_(surface), kind_(kind) {
    if (kind == SourceKind::Indexed) {
      for (int i = 0; i < 256; ++i) {
        const std::uint8_t* quad = colorTable + 4 * i;
        indexed_[static_cast<std::size_t>(i)] = surface.MakePixel(255, quad[2], quad[1], quad[0]);
      }
    }
  }

  void Convert(const std::uint8_t* src, std::uint8_t* dst, std::int64_t count, std::int64_t dstBytes) const {
    switch (dstBytes) {
      case 2: Store<2>(src, dst, count); break;
      case 3: Store<3>(src, dst, count); break;
      case 4: Store<4>(src, dst, count); break;
      default: break;
    }
  }

 private:
  template <std::size_t N>
  void Store(const std::uint8_t* src, std::uint8_t* dst, std::int64_t count) const {
    if (kind_ == SourceKind::Indexed) {
      // The sheets' case: one table look-up a pixel.
      for (std::int64_t i = 0; i < count; ++i, dst += N) std::memcpy(dst, &indexed_[src[i]], N);
      return;
    }
    for (std::int64_t i = 0; i < count; ++i, dst += N) {
      const std::uint32_t value = Pixel(src, i);
      std::memcpy(dst, &value, N);  // little-endian: the low N bytes
    }
  }

  std::uint32_t Pixel(const std::uint8_t* src, std::int64_t i) const {
    switch (kind_) {
      case SourceKind::Indexed: return indexed_[src[i]];
      case SourceKind::Word1555:
      case SourceKind::Word555: {
        const std::uint32_t w = Le16(src + 2 * i);
        const std::uint8_t alpha = kind_ == SourceKind::Word555 || (w >> 15) ? 255 : 0;
        return surface_.MakePixel(alpha, static_cast<std::uint8_t>(((w >> 10) & 31) * 8),
                                  static_cast<std::uint8_t>(((w >> 5) & 31) * 8), static_cast<std::uint8_t>((w & 31) * 8));
      }
      case SourceKind::Word565: {
        const std::uint32_t w = Le16(src + 2 * i);
        return surface_.MakePixel(255, static_cast<std::uint8_t>(((w >> 11) & 31) * 8),
                                  static_cast<std::uint8_t>(((w >> 5) & 63) * 4), static_cast<std::uint8_t>((w & 31) * 8));
      }
      case SourceKind::Bgr: {
        const std::uint8_t* p = src + 3 * i;
        return surface_.MakePixel(255, p[2], p[1], p[0]);
      }
      case SourceKind::Bgra:
      case SourceKind::Bgrx: {
        const std::uint8_t* p = src + 4 * i;
        return surface_.MakePixel(kind_ == SourceKind::Bgra ? p[3] : 255, p[2], p[1], p[0]);
      }
    }
    return 0;
  }

  const TBrinGenSurface& surface_;
  SourceKind kind_;
  std::array<std::uint32_t, 256> indexed_{};
};

DDSURFACEDESC2 EmptyDescription() {
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  return desc;
}

std::int64_t BytesOf(const DDPIXELFORMAT& format) {
  return (format.dwFlags & DDPF_PALETTEINDEXED8) ? 1 : format.dwRGBBitCount / 8;
}

}  // namespace

void TBrinGenSurface::LoadBMP(platform::Stream& Stream) {
  LoadError.clear();
  // Every way a load fails is logged and kept in LoadError for the caller.
  const auto fail = [this](const std::string& message) {
    LoadError = message;
    DebugLog(message);
  };
  const auto check = [this](HRESULT result, const char* message) {
    if (result != DD_OK) LoadError = message;
    return CheckResult(result, message);
  };
  if (!DDSurface || IsLost()) {
    LoadError = "the surface is missing or lost";
    return;
  }

  const std::int64_t start = Stream.Position();
  std::uint8_t fileHeader[kFileHeaderSize];
  try {
    Stream.ReadBuffer(fileHeader, sizeof fileHeader);
  } catch (const platform::Exception&) {
    fail(kFileHeaderError);
    return;
  }
  if (Le16(fileHeader) != 0x4D42) {
    fail(kInvalidFile);
    return;
  }
  std::uint8_t info[kInfoHeaderSize];
  try {
    Stream.ReadBuffer(info, sizeof info);
  } catch (const platform::Exception&) {
    fail(kReadError);
    return;
  }
  BitmapHeader header;
  header.pixelOffset = Le32(fileHeader + 10);
  header.headerSize = Le32(info);
  header.width = static_cast<std::int32_t>(Le32(info + 4));
  header.height = Le32(info + 8);
  header.bitCount = Le16(info + 14);
  header.compression = Le32(info + 16);
  // A shorter header (the 12-byte one) has its fields elsewhere: read as
  // this layout it would give a depth and size made of other bytes.
  if (header.headerSize < kInfoHeaderSize) {
    fail(kInvalidFile);
    return;
  }
  if (header.bitCount < 8 || header.bitCount > 32) {
    check(1, "色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください");
    return;
  }

  const std::int64_t srcBytes = header.bitCount / 8;
  const std::int64_t dstBytes = BytesOf(Description.ddpfPixelFormat);
  if (dstBytes < 1 || dstBytes > 4) {  // no format to write (a surface never described)
    LoadError = "the surface has no pixel format";
    return;
  }

  if (dstBytes == 1 && srcBytes > 1) {
    // Path A. The decoder reads the whole stream from its first byte.
    Stream.SetPosition(0);
    HBITMAP bitmap = platform::gdi::LoadBitmapFromStream(Stream);
    if (!bitmap) {
      fail("不正なビットマップです");
      return;
    }
    HDC dc = nullptr;
    if (check(DDSurface->GetDC(&dc), "サーフェスのデバイスコンテキストの取得に失敗しました") == DD_OK && dc) {
      BITMAP size{};
      ::GetObjectA(bitmap, sizeof size, &size);
      HDC memory = ::CreateCompatibleDC(dc);
      HGDIOBJ previous = ::SelectObject(memory, bitmap);
      ::BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
      ::SelectObject(memory, previous);
      ::DeleteDC(memory);
      DDSurface->ReleaseDC(dc);
    }
    ::DeleteObject(bitmap);
    return;
  }

  // Paths B and C.
  RowLayout layout;
  std::array<std::uint8_t, kColorTableSize> colorTable{};
  try {
    if (!PlanRows(Stream, start, header, layout)) {
      fail(kInvalidFile);
      return;
    }
    // Always the whole table's room; a short stream leaves the rest black.
    Stream.SetPosition(layout.colorTableAt);
    Stream.Read(colorTable.data(), kColorTableSize);
    Stream.SetPosition(header.pixelOffset);
  } catch (const platform::Exception&) {
    fail(kReadError);
    return;
  }

  std::vector<std::uint8_t> row(static_cast<std::size_t>(layout.srcRow));
  const RowConverter converter(*this, layout.kind, colorTable.data());

  DDSURFACEDESC2 locked = EmptyDescription();
  if (check(DDSurface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), "LoadBMP中にサーフェスがロックできませんでした") != DD_OK)
    return;
  // The description the pixels were planned for must be the memory's own.
  if (BytesOf(locked.ddpfPixelFormat) == dstBytes && locked.lpSurface) {
    const std::int64_t surfaceRows = locked.dwHeight;
    const std::int64_t rows = std::min(surfaceRows, layout.rowCount);
    const std::int64_t pitch = locked.lPitch;
    const std::int64_t pixels = std::min<std::int64_t>(header.width, locked.dwWidth);
    const std::int64_t dstRow = (static_cast<std::int64_t>(header.width) * dstBytes + 3) / 4 * 4;
    auto* base = static_cast<std::uint8_t*>(locked.lpSurface);
    // Bottom-up rows fill the surface from its last row upwards; top-down
    // rows skip the ones above the surface's top and fill downwards, so both
    // show the same picture.
    std::int64_t y = layout.topDown ? surfaceRows - rows : surfaceRows - 1;
    const std::int64_t step = layout.topDown ? 1 : -1;
    try {
      if (layout.topDown) {
        // Rows the stream cannot hold end the load here, before the product
        // of two large numbers could overflow.
        const std::int64_t skip = layout.rowCount - rows;
        if (skip > Stream.Size() / layout.srcRow) throw platform::EInOutError("stream read error");
        Stream.Seek(skip * layout.srcRow, platform::SeekOrigin::Current);
      }
      for (std::int64_t i = 0; i < rows; ++i, y += step) {
        Stream.ReadBuffer(row.data(), layout.srcRow);
        std::uint8_t* dst = base + y * pitch;
        if (dstBytes == 1) {
          // The stored padding after the last index comes along when the
          // surface is wider, as the row is copied whole.
          std::memcpy(dst, row.data(), static_cast<std::size_t>(std::min(dstRow, pitch)));
        } else {
          converter.Convert(row.data(), dst, pixels, dstBytes);
        }
      }
    } catch (const platform::Exception&) {
      fail(kReadError);  // the rows written so far stay
    }
  }
  check(DDSurface->Unlock(nullptr), "LoadBMP中にサーフェスがアンロックできませんでした");
}
