#include "tools/bwa_pack/bpe_compress.h"

#include <algorithm>

namespace bwapack {
namespace {

// A pair must occur this often to pay for its table entry (two bytes).
constexpr std::uint32_t kMinPairCount = 3;

void PutLE32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Compresses one block in place: BUF shrinks to the coded bytes, LEFT/RIGHT
// receive the pairs. USED marks codes that stand for a byte of the block or
// for a pair; the others are free to become new pairs. Every new pair takes a
// code nothing refers to yet, so the table can never form a cycle.
void CompressBlock(std::vector<std::uint8_t>& buf, bool (&used)[256], std::uint8_t (&left)[256],
                   std::uint8_t (&right)[256], std::vector<std::uint32_t>& counts) {
  for (;;) {
    const std::size_t n = buf.size();
    if (n < 2) return;
    // Count pairs; in a run of one byte the overlapping pairs are counted
    // once, as many as the replacement below can take.
    std::uint32_t best = 0;
    std::uint32_t bestPair = 0;
    for (std::size_t i = 0; i + 1 < n;) {
      const std::uint32_t pair = static_cast<std::uint32_t>(buf[i]) << 8 | buf[i + 1];
      if (++counts[pair] > best) {
        best = counts[pair];
        bestPair = pair;
      }
      i += (buf[i] == buf[i + 1] && i + 2 < n && buf[i + 2] == buf[i]) ? 2 : 1;
    }
    for (std::size_t i = 0; i + 1 < n; ++i) counts[static_cast<std::uint32_t>(buf[i]) << 8 | buf[i + 1]] = 0;
    if (best < kMinPairCount) return;

    int code = 0;
    while (code < 256 && used[code]) ++code;
    if (code == 256) return;
    const auto a = static_cast<std::uint8_t>(bestPair >> 8);
    const auto b = static_cast<std::uint8_t>(bestPair & 0xFF);
    used[code] = true;
    left[code] = a;
    right[code] = b;

    std::size_t out = 0;
    for (std::size_t i = 0; i < n;) {
      if (i + 1 < n && buf[i] == a && buf[i + 1] == b) {
        buf[out++] = static_cast<std::uint8_t>(code);
        i += 2;
      } else {
        buf[out++] = buf[i++];
      }
    }
    buf.resize(out);
  }
}

// Takes the next block from DATA[POS]: up to kMaxBlockInput bytes, and with
// LIMITLITERALS no more distinct byte values than kMaxBlockLiterals.
std::size_t TakeBlock(const std::uint8_t* data, std::size_t pos, std::size_t size, bool limitLiterals,
                      bool (&used)[256]) {
  std::fill(std::begin(used), std::end(used), false);
  int distinct = 0;
  std::size_t n = 0;
  while (pos + n < size && n < kMaxBlockInput) {
    const std::uint8_t byte = data[pos + n];
    if (!used[byte]) {
      if (limitLiterals && distinct == kMaxBlockLiterals) break;
      used[byte] = true;
      ++distinct;
    }
    ++n;
  }
  return n;
}

}  // namespace

void WritePairTable(const std::uint8_t (&left)[256], const std::uint8_t (&right)[256], std::vector<std::uint8_t>& out) {
  auto literalRun = [&](int from) {
    int run = 0;
    while (from + run < 256 && left[from + run] == from + run) ++run;
    return run;
  };
  auto putEntry = [&](int code) {
    out.push_back(left[code]);
    if (left[code] != code) out.push_back(right[code]);
  };
  int code = 0;
  while (code < 256) {
    const int run = literalRun(code);
    if (run >= 2) {
      // A count above 127 skips count - 127 codes (at most 128); unless that
      // completes the table, exactly one entry follows without a new count.
      const int skip = std::min(run, 128);
      out.push_back(static_cast<std::uint8_t>(127 + skip));
      code += skip;
      if (code == 256) break;
      putEntry(code++);
      continue;
    }
    // A run of entries (at most 128) up to the next stretch of literals
    // worth skipping.
    int n = 1;
    while (code + n < 256 && n < 128 && literalRun(code + n) < 2) ++n;
    out.push_back(static_cast<std::uint8_t>(n - 1));
    for (int i = 0; i < n; ++i) putEntry(code + i);
    code += n;
  }
}

std::vector<std::uint8_t> CompressBPE(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> buf;
  std::vector<std::uint32_t> counts(65536, 0);
  std::size_t pos = 0;
  while (pos < size) {
    bool used[256];
    std::uint8_t left[256];
    std::uint8_t right[256] = {};
    std::size_t n = 0;
    // Data whose pairs do not repeat gains nothing from keeping codes free:
    // then the block takes as much as it may, so fewer tables are written.
    for (const bool limitLiterals : {true, false}) {
      n = TakeBlock(data, pos, size, limitLiterals, used);
      buf.assign(data + pos, data + pos + n);
      for (int c = 0; c < 256; ++c) left[c] = static_cast<std::uint8_t>(c);
      CompressBlock(buf, used, left, right, counts);
      if (buf.size() < n || pos + n == size || n == kMaxBlockInput) break;
    }
    pos += n;

    WritePairTable(left, right, out);
    PutLE32(out, static_cast<std::uint32_t>(buf.size()));
    out.insert(out.end(), buf.begin(), buf.end());
  }
  return out;
}

}  // namespace bwapack
