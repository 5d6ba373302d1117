#include "platform/gdi/bmp_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>
#include <exception>
#include <vector>

#include "platform/gdi.h"

namespace platform::gdi {
namespace {

static_assert(std::endian::native == std::endian::little, "headers are read by copying their bytes");

// Reads the BMP through a small buffer, so that run-length data can be taken
// two bytes at a time without a stream call each. Offsets are counted from
// the BMP's first byte, as the file header counts them.
class ByteReader {
 public:
  explicit ByteReader(Stream& stream) : stream_(stream), base_(stream.Position()) {
    const std::int64_t size = stream.Size();
    size_ = size > base_ ? size - base_ : 0;
  }

  std::int64_t Size() const { return size_; }
  std::int64_t Position() const { return position_; }

  bool Read(void* out, std::int64_t count) {
    auto* dst = static_cast<std::uint8_t*>(out);
    while (count > 0) {
      if (next_ == end_) {
        next_ = 0;
        end_ = stream_.Read(buffer_.data(), static_cast<std::int64_t>(buffer_.size()));
        if (end_ <= 0) {
          end_ = 0;
          return false;
        }
      }
      const std::int64_t n = std::min(count, end_ - next_);
      std::memcpy(dst, buffer_.data() + next_, static_cast<std::size_t>(n));
      dst += n;
      next_ += n;
      count -= n;
      position_ += n;
    }
    return true;
  }

  bool SeekTo(std::int64_t offset) {
    if (offset < 0 || offset > size_) return false;
    stream_.Seek(base_ + offset, SeekOrigin::Begin);
    position_ = offset;
    next_ = end_ = 0;
    return true;
  }

 private:
  Stream& stream_;
  std::int64_t base_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  std::array<std::uint8_t, 4096> buffer_;
  std::int64_t next_ = 0;
  std::int64_t end_ = 0;
};

// One colour channel of a 16 or 32-bit pixel, widened to 8 bits by
// repeating its top bits (5-bit 31 becomes 255, 16 becomes 132), as pixel
// formats widen everywhere on the platform; channels wider than 8 bits keep
// their top 8. A mask with gaps counts from its lowest to its highest bit.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int width = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (m) {
      shift = std::countr_zero(m);
      width = std::bit_width(m >> shift);
    }
  }

  std::uint32_t Scale(std::uint32_t raw) const {
    if (!width) return 0;
    const std::uint32_t v = (raw & mask) >> shift;
    if (width >= 8) return v >> (width - 8);
    std::uint32_t wide = v << (8 - width);
    for (int filled = width; filled < 8; filled += width) wide |= wide >> width;
    return wide & 0xFF;
  }
};

struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;  // rows, always positive
  bool topDown = false;
  std::uint32_t bits = 0;
  std::uint32_t compression = BI_RGB;
  std::uint32_t coloursUsed = 0;
  std::uint32_t entrySize = 4;  // RGBQUAD, or RGBTRIPLE in the OS/2 header
  std::uint32_t masks[4] = {};  // red, green, blue, alpha
  std::int64_t tableStart = 0;
};

std::uint32_t Dword(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

bool ReadHeader(ByteReader& in, Header& h) {
  std::array<std::uint8_t, sizeof(BITMAPV5HEADER)> raw{};
  if (!in.Read(raw.data(), 4)) return false;
  const std::uint32_t size = Dword(raw.data());
  if (size != sizeof(BITMAPCOREHEADER) && size != sizeof(BITMAPINFOHEADER) && size != BITMAPV2INFOHEADER_SIZE &&
      size != BITMAPV3INFOHEADER_SIZE && size != sizeof(BITMAPV4HEADER) && size != sizeof(BITMAPV5HEADER))
    return false;
  if (!in.Read(raw.data() + 4, size - 4)) return false;

  if (size == sizeof(BITMAPCOREHEADER)) {
    BITMAPCOREHEADER core;
    std::memcpy(&core, raw.data(), sizeof core);
    h.width = core.bcWidth;
    h.height = core.bcHeight;
    h.bits = core.bcBitCount;
    h.entrySize = sizeof(RGBTRIPLE);
  } else {
    BITMAPINFOHEADER info;
    std::memcpy(&info, raw.data(), sizeof info);
    h.width = info.biWidth;
    h.height = info.biHeight;
    h.bits = info.biBitCount;
    h.compression = info.biCompression;
    h.coloursUsed = info.biClrUsed;
    if (size >= BITMAPV2INFOHEADER_SIZE)
      for (int i = 0; i < 3; ++i) h.masks[i] = Dword(raw.data() + 40 + 4 * i);
    if (size >= BITMAPV3INFOHEADER_SIZE) h.masks[3] = Dword(raw.data() + 52);
  }
  if (h.height < 0) {
    h.topDown = true;
    h.height = -h.height;  // 64-bit: INT_MIN is just too tall
  }
  h.tableStart = static_cast<std::int64_t>(sizeof(BITMAPFILEHEADER)) + size;

  if (h.width <= 0 || h.height <= 0 || h.height > INT_MAX) return false;
  if (h.width * h.height > kMaxBitmapPixels) return false;
  switch (h.bits) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  switch (h.compression) {
    case BI_RGB:
      if (h.bits == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
      } else if (h.bits == 32) {
        h.masks[0] = 0xFF0000, h.masks[1] = 0x00FF00, h.masks[2] = 0x0000FF;
      }
      h.masks[3] = 0;  // a BI_RGB picture has no alpha, whatever the header holds
      break;
    // Run-length rows only go bottom-up.
    case BI_RLE8: return h.bits == 8 && !h.topDown;
    case BI_RLE4: return h.bits == 4 && !h.topDown;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS: {
      if (h.bits != 16 && h.bits != 32) return false;
      // The 40-byte header keeps its masks right after it.
      if (size == sizeof(BITMAPINFOHEADER)) {
        const int count = h.compression == BI_ALPHABITFIELDS ? 4 : 3;
        std::uint8_t masks[16];
        if (!in.Read(masks, 4 * count)) return false;
        for (int i = 0; i < count; ++i) h.masks[i] = Dword(masks + 4 * i);
        h.tableStart += 4 * count;
      }
      break;
    }
    default: return false;
  }
  return true;
}

void ExpandIndices(const std::uint8_t* row, std::uint32_t bits, std::int64_t width, std::uint8_t* out) {
  if (bits == 8) {
    std::memcpy(out, row, static_cast<std::size_t>(width));
    return;
  }
  const std::uint32_t perByte = 8 / bits;
  const std::uint32_t mask = (1u << bits) - 1;
  for (std::int64_t x = 0; x < width; ++x) {
    const std::uint32_t shift = 8 - bits * (1 + static_cast<std::uint32_t>(x % perByte));
    out[x] = static_cast<std::uint8_t>((row[x / perByte] >> shift) & mask);
  }
}

bool DecodeRows(ByteReader& in, const Header& h, BitmapData& out) {
  const std::int64_t rowBytes = (h.width * h.bits + 31) / 32 * 4;
  if (rowBytes * h.height > in.Size() - in.Position()) return false;  // truncated

  const Channel channels[4] = {Channel(h.masks[0]), Channel(h.masks[1]), Channel(h.masks[2]), Channel(h.masks[3])};
  std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
  for (std::int64_t r = 0; r < h.height; ++r) {
    if (!in.Read(row.data(), rowBytes)) return false;
    std::uint8_t* dst = out.bits.data() + static_cast<std::size_t>(h.topDown ? r : h.height - 1 - r) * out.pitch;
    switch (h.bits) {
      case 1:
      case 4:
      case 8: ExpandIndices(row.data(), h.bits, h.width, dst); break;
      case 24: std::memcpy(dst, row.data(), static_cast<std::size_t>(h.width) * 3); break;
      default: {
        const bool alpha = h.masks[3] != 0;
        for (std::int64_t x = 0; x < h.width; ++x) {
          std::uint32_t raw;
          if (h.bits == 16) {
            std::uint16_t v;
            std::memcpy(&v, row.data() + 2 * x, 2);
            raw = v;
          } else {
            std::memcpy(&raw, row.data() + 4 * x, 4);
          }
          const std::uint32_t pixel = (alpha ? channels[3].Scale(raw) << 24 : 0) | (channels[0].Scale(raw) << 16) |
                                      (channels[1].Scale(raw) << 8) | channels[2].Scale(raw);
          std::memcpy(dst + 4 * x, &pixel, 4);
        }
        break;
      }
    }
  }
  return true;
}

// Run-length data: pairs of (count, index) runs and escapes (0, code):
// 0 ends a row, 1 ends the picture, 2 moves right and up by the next two
// bytes, 3 and more stores that many literal pixels padded to a 16-bit
// boundary. Pixels not written stay index 0. Runs that overshoot their row
// lose the overshoot; a picture that runs out of data, writes above its top
// row or moves outside itself is refused.
bool DecodeRle(ByteReader& in, const Header& h, BitmapData& out) {
  const bool four = h.compression == BI_RLE4;
  std::int64_t x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](std::uint32_t index) {
    if (x < h.width) out.bits[static_cast<std::size_t>(h.height - 1 - y) * out.pitch + static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(index);
    ++x;
  };
  std::uint8_t literal[256];
  for (;;) {
    std::uint8_t code[2];
    if (!in.Read(code, 2)) return y >= h.height;  // only a complete picture may omit its end code
    if (code[0] > 0) {
      if (y >= h.height) return false;
      for (std::uint32_t i = 0; i < code[0]; ++i) put(four ? (i & 1 ? code[1] & 0x0F : code[1] >> 4) : code[1]);
      continue;
    }
    switch (code[1]) {
      case 0:
        x = 0;
        if (++y > h.height) return false;
        break;
      case 1: return true;
      case 2: {
        std::uint8_t delta[2];
        if (!in.Read(delta, 2)) return false;
        x += delta[0];
        y += delta[1];
        if (x > h.width || y > h.height) return false;
        break;
      }
      default: {
        const std::uint32_t count = code[1];
        const std::uint32_t bytes = four ? (count + 1) / 2 : count;
        if (y >= h.height || !in.Read(literal, (bytes + 1) & ~1u)) return false;
        for (std::uint32_t i = 0; i < count; ++i) put(four ? (i & 1 ? literal[i / 2] & 0x0F : literal[i / 2] >> 4) : literal[i]);
        break;
      }
    }
  }
}

bool Decode(Stream& stream, BitmapData& out) {
  ByteReader in(stream);
  BITMAPFILEHEADER file;
  if (!in.Read(&file, sizeof file) || file.bfType != 0x4D42) return false;
  Header h;
  if (!ReadHeader(in, h)) return false;

  const bool indexed = h.bits <= 8;
  // Where the pixels start: the header says so, or else right after the
  // colour table. They may not overlap the headers.
  const std::int64_t declaredEntries = indexed && h.coloursUsed == 0 ? (std::int64_t{1} << h.bits) : h.coloursUsed;
  std::int64_t pixelOffset = file.bfOffBits;
  if (pixelOffset == 0) pixelOffset = h.tableStart + declaredEntries * h.entrySize;
  if (pixelOffset < h.tableStart || pixelOffset > in.Size()) return false;

  if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
    const std::int64_t stored = in.Size() - pixelOffset;
    if (h.width * h.height > std::max(kRleFreePixels, stored * kRlePixelsPerByte)) return false;
  }
  PixelFormat format = PixelFormat::Xrgb8888();
  if (indexed) format = PixelFormat::Indexed8();
  else if (h.bits == 24) format = PixelFormat::Rgb888();
  else if (h.masks[3]) format = PixelFormat::Argb8888();
  if (!AllocateBitmap(out, static_cast<std::int32_t>(h.width), static_cast<std::int32_t>(h.height), format)) return false;

  if (indexed) {
    // A table that would run into the pixels is cut short there; entries
    // it does not hold stay black.
    std::int64_t entries = std::min<std::int64_t>(declaredEntries, std::int64_t{1} << h.bits);
    entries = std::min<std::int64_t>(entries, (pixelOffset - h.tableStart) / h.entrySize);
    std::array<std::uint8_t, 256 * 4> table;
    if (!in.Read(table.data(), entries * h.entrySize)) return false;
    for (std::int64_t i = 0; i < entries; ++i) {
      const std::uint8_t* e = table.data() + i * h.entrySize;
      out.colours[i] = PALETTEENTRY{e[2], e[1], e[0], 0};
    }
    out.colourCount = static_cast<int>(std::max<std::int64_t>(entries, 1));
  }

  if (!in.SeekTo(pixelOffset)) return false;
  if (h.compression == BI_RLE8 || h.compression == BI_RLE4) return DecodeRle(in, h, out);
  return DecodeRows(in, h, out);
}

}  // namespace

bool DecodeBmp(Stream& stream, BitmapData& bitmap) {
  try {
    return Decode(stream, bitmap);
  } catch (const std::exception&) {
    // A stream that fails to seek or read, or memory that runs out, is just
    // a bitmap that cannot be loaded.
    return false;
  }
}

}  // namespace platform::gdi
