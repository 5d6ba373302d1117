#include "platform/ddraw/ddraw_blit.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform::ddraw::blit {
namespace {

template <int B>
inline std::uint32_t Load(const std::uint8_t* p) {
  if constexpr (B == 1) {
    return *p;
  } else if constexpr (B == 2) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  } else if constexpr (B == 3) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
  } else {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
}

template <int B>
inline void Store(std::uint8_t* p, std::uint32_t v) {
  if constexpr (B == 1) {
    *p = static_cast<std::uint8_t>(v);
  } else if constexpr (B == 2) {
    const std::uint16_t w = static_cast<std::uint16_t>(v);
    std::memcpy(p, &w, 2);
  } else if constexpr (B == 3) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
  } else {
    std::memcpy(p, &v, 4);
  }
}

// --- fills ---------------------------------------------------------------------

// Writes COUNT pixels of value V from P: single pixels up to a 16-byte
// boundary, then aligned vector stores.
template <int B>
void FillRun(std::uint8_t* p, std::size_t count, std::uint32_t v) {
#if defined(__SSE2__)
  while (count && (reinterpret_cast<std::uintptr_t>(p) & 15)) {
    Store<B>(p, v);
    p += B;
    --count;
  }
  const __m128i wide = _mm_set1_epi32(static_cast<int>(B == 2 ? (v & 0xFFFF) * 0x10001u : v));
  constexpr std::size_t kPerVector = 16 / B;
  while (count >= 4 * kPerVector) {
    _mm_store_si128(reinterpret_cast<__m128i*>(p), wide);
    _mm_store_si128(reinterpret_cast<__m128i*>(p + 16), wide);
    _mm_store_si128(reinterpret_cast<__m128i*>(p + 32), wide);
    _mm_store_si128(reinterpret_cast<__m128i*>(p + 48), wide);
    p += 64;
    count -= 4 * kPerVector;
  }
  while (count >= kPerVector) {
    _mm_store_si128(reinterpret_cast<__m128i*>(p), wide);
    p += 16;
    count -= kPerVector;
  }
#endif
  while (count--) {
    Store<B>(p, v);
    p += B;
  }
}

void FillRun24(std::uint8_t* p, std::size_t count, std::uint32_t v) {
  // 48 bytes hold a whole number of both pixels and vectors.
  std::uint8_t pattern[48];
  for (int i = 0; i < 16; ++i) Store<3>(pattern + 3 * i, v);
  std::size_t bytes = count * 3;
  while (bytes >= 48) {
    std::memcpy(p, pattern, 48);
    p += 48;
    bytes -= 48;
  }
  std::memcpy(p, pattern, bytes);
}

void FillRows(const Plane& dst, std::int32_t x, std::int32_t y, std::size_t width, std::int32_t rows,
              std::uint32_t value) {
  const int b = dst.bytesPerPixel;
  for (std::int32_t row = 0; row < rows; ++row) {
    std::uint8_t* p = dst.At(x, y + row);
    switch (b) {
      case 1: std::memset(p, static_cast<int>(value & 0xFF), width); break;
      case 2: FillRun<2>(p, width, value); break;
      case 3: FillRun24(p, width, value); break;
      default: FillRun<4>(p, width, value); break;
    }
  }
}

// --- keyed copies ----------------------------------------------------------------

bool Overlaps(const Plane& dst, std::int32_t dx, std::int32_t dy, const Plane& src, const RECT& s) {
  if (dst.bits != src.bits) return false;
  const std::int32_t w = s.right - s.left;
  const std::int32_t h = s.bottom - s.top;
  return dx < s.right && s.left < dx + w && dy < s.bottom && s.top < dy + h;
}

template <int B>
void KeyedScalar(const Plane& dst, std::int32_t dx, std::int32_t dy, const Plane& src, const RECT& s,
                 const ColorKey& key) {
  const std::int32_t w = s.right - s.left;
  const std::int32_t h = s.bottom - s.top;
  // For overlapping memory walk away from the destination, like memmove.
  const bool up = dy > s.top;
  const bool leftward = dy == s.top && dx > s.left;
  for (std::int32_t i = 0; i < h; ++i) {
    const std::int32_t row = up ? h - 1 - i : i;
    const std::uint8_t* sp = src.At(s.left, s.top + row);
    std::uint8_t* dp = dst.At(dx, dy + row);
    for (std::int32_t j = 0; j < w; ++j) {
      const std::int32_t col = leftward ? w - 1 - j : j;
      const std::uint32_t v = Load<B>(sp + col * B);
      if (!key.Hides(v)) Store<B>(dp + col * B, v);
    }
  }
}

#if defined(__SSE2__)

// Lane-wise select: DST where the masked source equals the key, else SOURCE.
template <int B, bool Masked>
struct KeyLanes {
  __m128i key;
  __m128i mask;

  KeyLanes(std::uint32_t k, std::uint32_t m) {
    if constexpr (B == 1) {
      key = _mm_set1_epi8(static_cast<char>(k));
      mask = _mm_set1_epi8(static_cast<char>(m));
    } else if constexpr (B == 2) {
      key = _mm_set1_epi16(static_cast<short>(k));
      mask = _mm_set1_epi16(static_cast<short>(m));
    } else {
      key = _mm_set1_epi32(static_cast<int>(k));
      mask = _mm_set1_epi32(static_cast<int>(m));
    }
  }

  __m128i Select(__m128i s, __m128i d) const {
    const __m128i probe = Masked ? _mm_and_si128(s, mask) : s;
    __m128i hidden;
    if constexpr (B == 1) {
      hidden = _mm_cmpeq_epi8(probe, key);
    } else if constexpr (B == 2) {
      hidden = _mm_cmpeq_epi16(probe, key);
    } else {
      hidden = _mm_cmpeq_epi32(probe, key);
    }
    return _mm_or_si128(_mm_and_si128(hidden, d), _mm_andnot_si128(hidden, s));
  }

  void Blend16(std::uint8_t* d, const std::uint8_t* s) const {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), Select(sv, dv));
  }

  void Blend8(std::uint8_t* d, const std::uint8_t* s) const {
    const __m128i sv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
    const __m128i dv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d), Select(sv, dv));
  }
};

// Whole vectors across each row; the last vector may overlap the previous
// one, which is harmless because selecting again yields the same bytes.
template <int B, bool Masked>
void KeyedVector(const Plane& dst, std::int32_t dx, std::int32_t dy, const Plane& src, const RECT& s,
                 const ColorKey& key) {
  const std::int32_t h = s.bottom - s.top;
  const std::int32_t bytes = (s.right - s.left) * B;
  const KeyLanes<B, Masked> lanes(key.low, key.mask);
  const std::uint8_t* sp = src.At(s.left, s.top);
  std::uint8_t* dp = dst.At(dx, dy);
  // Every row's first and last destination line is asked for up front, so
  // their cache misses overlap instead of stalling one row at a time.
  for (std::int32_t row = 0; row < h; ++row) {
    const std::uint8_t* line = dp + static_cast<std::intptr_t>(row) * dst.pitch;
    _mm_prefetch(reinterpret_cast<const char*>(line), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(line + bytes - 1), _MM_HINT_T0);
  }
  if (bytes >= 16) {
    for (std::int32_t row = 0; row < h; ++row, sp += src.pitch, dp += dst.pitch) {
      std::int32_t off = 0;
      for (; off + 16 <= bytes; off += 16) lanes.Blend16(dp + off, sp + off);
      if (off < bytes) lanes.Blend16(dp + bytes - 16, sp + bytes - 16);
    }
  } else if (bytes >= 8) {
    for (std::int32_t row = 0; row < h; ++row, sp += src.pitch, dp += dst.pitch) {
      lanes.Blend8(dp, sp);
      lanes.Blend8(dp + bytes - 8, sp + bytes - 8);
    }
  } else {
    KeyedScalar<B>(dst, dx, dy, src, s, key);
  }
}

#endif

// --- the general path -------------------------------------------------------------

template <int B>
void DrawT(const Job& j) {
  // A clipped destination may span nearly all of LONG: work in 64 bits.
  const std::int64_t dw = std::int64_t{j.dstFull.right} - j.dstFull.left;
  const std::int64_t dh = std::int64_t{j.dstFull.bottom} - j.dstFull.top;
  const std::int64_t sw = std::int64_t{j.srcFull.right} - j.srcFull.left;
  const std::int64_t sh = std::int64_t{j.srcFull.bottom} - j.srcFull.top;
  // Source column of destination column k: floor((2k + 1) * sw / (2 dw)),
  // walked incrementally as quotient and remainder.
  const std::int64_t denom = 2 * dw;
  const std::int64_t k0 = std::int64_t{j.dstPart.left} - j.dstFull.left;
  const std::int64_t n0 = (2 * k0 + 1) * sw;
  const std::int64_t q0 = n0 / denom;
  const std::int64_t r0 = n0 % denom;
  const std::int64_t qStep = (2 * sw) / denom;
  const std::int64_t rStep = (2 * sw) % denom;
  const std::uint32_t alpha = j.alpha;

  for (std::int32_t y = j.dstPart.top; y < j.dstPart.bottom; ++y) {
    const std::int64_t ky = std::int64_t{y} - j.dstFull.top;
    std::int64_t sy = ((2 * ky + 1) * sh) / (2 * dh);
    if (j.mirrorY) sy = sh - 1 - sy;
    const std::uint8_t* srow = j.src.At(j.srcFull.left, j.srcFull.top + static_cast<std::int32_t>(sy));
    std::uint8_t* d = j.dst.At(j.dstPart.left, y);
    std::int64_t q = q0;
    std::int64_t r = r0;
    for (std::int32_t x = j.dstPart.left; x < j.dstPart.right; ++x, d += B) {
      const std::int64_t sx = j.mirrorX ? sw - 1 - q : q;
      std::uint32_t v = Load<B>(srow + sx * B);
      q += qStep;
      r += rStep;
      if (r >= denom) {
        r -= denom;
        ++q;
      }
      if (j.key && j.key->Hides(v)) continue;
      if (alpha < 255) v = BlendPixel(j.format, v, Load<B>(d), alpha);
      Store<B>(d, v);
    }
  }
}

}  // namespace

void Fill(const Plane& dst, const RECT& r, std::uint32_t value) {
  const std::int32_t w = r.right - r.left;
  const std::int32_t h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  // Whole rows of a tightly packed surface are one run.
  if (r.left == 0 && w * dst.bytesPerPixel == dst.pitch) {
    FillRows(dst, 0, r.top, static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 1, value);
    return;
  }
  FillRows(dst, r.left, r.top, static_cast<std::size_t>(w), h, value);
}

void Copy(const Plane& dst, std::int32_t dx, std::int32_t dy, const Plane& src, const RECT& s) {
  const std::int32_t w = s.right - s.left;
  const std::int32_t h = s.bottom - s.top;
  if (w <= 0 || h <= 0) return;
  const std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(dst.bytesPerPixel);
  const std::uint8_t* sp = src.At(s.left, s.top);
  std::uint8_t* dp = dst.At(dx, dy);
  if (dst.bits == src.bits) {
    const bool up = dy > s.top;
    for (std::int32_t i = 0; i < h; ++i) {
      const std::int32_t row = up ? h - 1 - i : i;
      std::memmove(dp + static_cast<std::intptr_t>(row) * dst.pitch, sp + static_cast<std::intptr_t>(row) * src.pitch,
                   bytes);
    }
    return;
  }
  if (bytes == static_cast<std::size_t>(dst.pitch) && dst.pitch == src.pitch) {
    std::memcpy(dp, sp, bytes * static_cast<std::size_t>(h));
    return;
  }
  for (std::int32_t row = 0; row < h; ++row, sp += src.pitch, dp += dst.pitch) std::memcpy(dp, sp, bytes);
}

void CopyKeyed(const Plane& dst, std::int32_t dx, std::int32_t dy, const Plane& src, const RECT& s,
               const ColorKey& key) {
  if (s.right <= s.left || s.bottom <= s.top) return;
  const bool vector = key.Exact() && !Overlaps(dst, dx, dy, src, s);
#if defined(__SSE2__)
  if (vector) {
    switch (dst.bytesPerPixel) {
      case 1: KeyedVector<1, false>(dst, dx, dy, src, s, key); return;
      case 2:
        if ((key.mask & 0xFFFF) == 0xFFFF) {
          KeyedVector<2, false>(dst, dx, dy, src, s, key);
        } else {
          KeyedVector<2, true>(dst, dx, dy, src, s, key);
        }
        return;
      case 4:
        if (key.mask == 0xFFFFFFFFu) {
          KeyedVector<4, false>(dst, dx, dy, src, s, key);
        } else {
          KeyedVector<4, true>(dst, dx, dy, src, s, key);
        }
        return;
      default: break;
    }
  }
#else
  (void)vector;
#endif
  switch (dst.bytesPerPixel) {
    case 1: KeyedScalar<1>(dst, dx, dy, src, s, key); break;
    case 2: KeyedScalar<2>(dst, dx, dy, src, s, key); break;
    case 3: KeyedScalar<3>(dst, dx, dy, src, s, key); break;
    default: KeyedScalar<4>(dst, dx, dy, src, s, key); break;
  }
}

void Draw(const Job& job) {
  if (job.dstPart.right <= job.dstPart.left || job.dstPart.bottom <= job.dstPart.top || job.alpha == 0) return;
  switch (job.dst.bytesPerPixel) {
    case 1: DrawT<1>(job); break;
    case 2: DrawT<2>(job); break;
    case 3: DrawT<3>(job); break;
    default: DrawT<4>(job); break;
  }
}

std::uint32_t BlendPixel(const PixelFormat& format, std::uint32_t src, std::uint32_t dst, std::uint32_t alpha) {
  const std::uint32_t masks[4] = {format.redMask, format.greenMask, format.blueMask, format.alphaMask};
  std::uint32_t out = dst;
  for (std::uint32_t m : masks) {
    if (m == 0) continue;
    const int shift = std::countr_zero(m);
    const std::uint64_t s = (src & m) >> shift;
    const std::uint64_t d = (dst & m) >> shift;
    const std::uint64_t c = (s * alpha + d * (255 - alpha) + 127) / 255;
    out = (out & ~m) | (static_cast<std::uint32_t>(c << shift) & m);
  }
  return out;
}

}  // namespace platform::ddraw::blit
