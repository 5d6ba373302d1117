// Byte-pair expansion. Each block is a pair table (runs of codes, each code a
// literal or a pair of codes), a 4-byte length and that many coded bytes.
//
// The work is done in two passes. The first checks everything: every table
// lands exactly on 256 codes and has no cycle, every block fits in the
// source, and the blocks together expand to exactly the expected size (each
// code's expanded length is known from its table, so this costs one table
// look-up per coded byte). Only then is the result allocated, so a damaged
// size cannot make us allocate memory the data could never fill, and the
// second pass can expand without a bounds check per byte.
#include <algorithm>
#include <array>
#include <cstring>

#include "archive/bwarc.h"

namespace brin {
namespace {

const char kTableCut[] = "圧縮データの対応表が途中で切れています";
const char kTableOverrun[] = "圧縮データの対応表が256個のコードを超えています";
const char kLengthCut[] = "圧縮データのブロック長が途中で切れています";

std::string TooDeep(int code) {
  return "圧縮データの対応表の入れ子が深すぎるか循環しています（コード " + std::to_string(code) + "）";
}

std::string BlockCut(std::uint32_t length, std::int64_t left) {
  return "圧縮データのブロックが途中で切れています（ブロック長 " + std::to_string(length) + "、残り " +
         std::to_string(left) + " バイト）";
}

std::string TooLong(std::int32_t expandedSize) {
  return "圧縮データの展開結果が展開後のサイズ " + std::to_string(expandedSize) + " バイトを超えています";
}

std::string TooShort(std::int32_t expandedSize, std::int64_t produced) {
  return "圧縮データの展開結果が展開後のサイズ " + std::to_string(expandedSize) + " バイトに足りません（" +
         std::to_string(produced) + " バイト）";
}

// Expanded lengths stop growing here: far above any 32-bit size, far below
// the point where adding two of them could overflow.
constexpr std::uint64_t kLengthCap = std::uint64_t{1} << 40;

struct TPairTable {
  std::array<std::uint8_t, 256> Left;
  std::array<std::uint8_t, 256> Right;
};

// Reads one pair table starting at DATA[POS]; returns the position after it.
std::size_t ReadPairTable(const std::uint8_t* data, std::size_t pos, std::size_t end, TPairTable& table) {
  for (int c = 0; c < 256; ++c) {
    table.Left[c] = static_cast<std::uint8_t>(c);
    table.Right[c] = 0;
  }
  int counter = 0;
  for (;;) {
    if (pos >= end) throw EBWAError(kTableCut);
    int count = data[pos++];
    if (count > 127) {
      counter += count - 127;
      if (counter > 256) throw EBWAError(kTableOverrun);
      if (counter == 256) return pos;
      count = 0;
    }
    if (counter + count + 1 > 256) throw EBWAError(kTableOverrun);
    for (int i = 0; i <= count; ++i, ++counter) {
      if (pos >= end) throw EBWAError(kTableCut);
      const std::uint8_t left = data[pos++];
      table.Left[counter] = left;
      if (left != counter) {
        if (pos >= end) throw EBWAError(kTableCut);
        table.Right[counter] = data[pos++];
      }
    }
    if (counter == 256) return pos;
  }
}

bool IsLiteral(const TPairTable& table, int code) { return table.Left[code] == code; }

bool AllLiterals(const TPairTable& table) {
  for (int c = 0; c < 256; ++c) {
    if (!IsLiteral(table, c)) return false;
  }
  return true;
}

// Works out, for every code, its expanded length and the most stack bytes its
// expansion needs (a pair pushes right and left, pops left, expands it above
// the waiting right, then expands right). A code met again while its own
// expansion is being worked out lies on a cycle. Without a cycle the need
// stays within kBPEStackSize (a code needs at most one byte more than the
// pairs it reaches, and one code at least is a literal); the depth test
// guards that reasoning rather than data we expect to see.
class TTableCheck {
 public:
  explicit TTableCheck(const TPairTable& table) : table_(table) {
    for (int c = 0; c < 256; ++c) Visit(c);
  }
  std::uint64_t Length(std::uint8_t code) const { return length_[code]; }

 private:
  enum State : std::uint8_t { kNew, kVisiting, kDone };

  void Visit(int code) {
    if (state_[code] == kDone) return;
    if (state_[code] == kVisiting) throw EBWAError(TooDeep(code));
    if (IsLiteral(table_, code)) {
      need_[code] = 0;
      length_[code] = 1;
      state_[code] = kDone;
      return;
    }
    state_[code] = kVisiting;
    const int left = table_.Left[code];
    const int right = table_.Right[code];
    Visit(left);
    Visit(right);
    need_[code] = std::max({2, 1 + need_[left], need_[right]});
    if (need_[code] > kBPEStackSize) throw EBWAError(TooDeep(code));
    length_[code] = std::min(length_[left] + length_[right], kLengthCap);
    state_[code] = kDone;
  }

  const TPairTable& table_;
  std::array<State, 256> state_{};
  std::array<int, 256> need_{};
  std::array<std::uint64_t, 256> length_{};
};

struct TBlockHeader {
  std::size_t CodedStart;
  std::uint32_t CodedLength;
};

// Reads a table and the block length at POS; the table is left in TABLE.
TBlockHeader ReadBlockHeader(const std::uint8_t* data, std::size_t pos, std::size_t end, TPairTable& table) {
  pos = ReadPairTable(data, pos, end, table);
  if (end - pos < 4) throw EBWAError(kLengthCut);
  const std::uint32_t length = static_cast<std::uint32_t>(data[pos]) | static_cast<std::uint32_t>(data[pos + 1]) << 8 |
                               static_cast<std::uint32_t>(data[pos + 2]) << 16 |
                               static_cast<std::uint32_t>(data[pos + 3]) << 24;
  pos += 4;
  if (length > end - pos) throw EBWAError(BlockCut(length, static_cast<std::int64_t>(end - pos)));
  return {pos, length};
}

// The checked pass: raises for anything the expanding pass must not meet.
void CheckBlocks(const std::uint8_t* data, std::size_t pos, std::size_t end, std::int32_t expandedSize) {
  const auto wanted = static_cast<std::uint64_t>(expandedSize);
  std::uint64_t produced = 0;
  TPairTable table;
  while (pos < end) {
    const TBlockHeader block = ReadBlockHeader(data, pos, end, table);
    const TTableCheck check(table);
    const std::uint8_t* coded = data + block.CodedStart;
    for (std::uint32_t i = 0; i < block.CodedLength; ++i) {
      produced += check.Length(coded[i]);
      if (produced > wanted) throw EBWAError(TooLong(expandedSize));
    }
    pos = block.CodedStart + block.CodedLength;
  }
  if (produced < wanted) throw EBWAError(TooShort(expandedSize, static_cast<std::int64_t>(produced)));
}

// Codes that expand to at most this many bytes are expanded once per block
// and then copied whole; a fixed-size copy is far cheaper than walking the
// pairs byte by byte.
constexpr int kShortCode = 32;

// The expansion of every short code of one table, built from the lengths the
// check worked out (a pair's halves are shorter than the pair, so building
// recurses at most kShortCode deep).
class TShortCodes {
 public:
  TShortCodes(const TPairTable& table, const TTableCheck& check) : table_(table) {
    for (int c = 0; c < 256; ++c) {
      const std::uint64_t length = check.Length(static_cast<std::uint8_t>(c));
      length_[c] = length <= kShortCode ? static_cast<std::uint8_t>(length) : 0;
    }
    for (int c = 0; c < 256; ++c) Build(c);
  }
  // 0 for a code longer than kShortCode.
  int Length(std::uint8_t code) const { return length_[code]; }
  const std::uint8_t* Bytes(std::uint8_t code) const { return bytes_[code].data(); }

 private:
  void Build(int code) {
    if (length_[code] == 0 || built_[code]) return;
    built_[code] = true;
    if (IsLiteral(table_, code)) {
      bytes_[code][0] = static_cast<std::uint8_t>(code);
      return;
    }
    const int left = table_.Left[code];
    const int right = table_.Right[code];
    Build(left);
    Build(right);
    std::memcpy(bytes_[code].data(), bytes_[left].data(), length_[left]);
    std::memcpy(bytes_[code].data() + length_[left], bytes_[right].data(), length_[right]);
  }

  const TPairTable& table_;
  std::array<std::uint8_t, 256> length_{};
  std::array<bool, 256> built_{};
  std::array<std::array<std::uint8_t, kShortCode>, 256> bytes_;
};

// The expanding pass over data CheckBlocks accepted, so the output holds
// exactly what the codes produce. Long codes are split on a stack that keeps
// only the waiting right halves (a left half is taken at once); it never
// holds more than kBPEStackSize - 1 bytes.
void ExpandBlocks(const std::uint8_t* data, std::size_t pos, std::size_t end, std::uint8_t* out, std::uint8_t* outEnd) {
  TPairTable table;
  std::uint8_t stack[kBPEStackSize];
  auto put = [&out, outEnd](const std::uint8_t* bytes, int length) {
    if (length == 1)
      *out = bytes[0];
    else if (outEnd - out >= kShortCode)
      std::memcpy(out, bytes, kShortCode);
    else
      std::memcpy(out, bytes, static_cast<std::size_t>(length));
    out += length;
  };
  while (pos < end) {
    const TBlockHeader block = ReadBlockHeader(data, pos, end, table);
    const std::uint8_t* coded = data + block.CodedStart;
    pos = block.CodedStart + block.CodedLength;
    // Data that did not compress comes as blocks of literal codes only.
    if (AllLiterals(table)) {
      if (block.CodedLength != 0) std::memcpy(out, coded, block.CodedLength);
      out += block.CodedLength;
      continue;
    }
    const TTableCheck check(table);
    const TShortCodes shortCodes(table, check);
    const std::uint8_t* codedEnd = coded + block.CodedLength;
    while (coded != codedEnd) {
      std::uint8_t code = *coded++;
      int depth = 0;
      for (;;) {
        const int length = shortCodes.Length(code);
        if (length != 0) {
          put(shortCodes.Bytes(code), length);
          if (depth == 0) break;
          code = stack[--depth];
        } else {
          stack[depth++] = table.Right[code];
          code = table.Left[code];
        }
      }
    }
  }
}

}  // namespace

std::unique_ptr<platform::MemoryStream> ExpandBPE(platform::MemoryStream& Source, std::int32_t ExpandedSize) {
  if (ExpandedSize < 0)
    throw EBWAError("圧縮データの展開後のサイズ " + std::to_string(ExpandedSize) + " が不正です");
  const auto end = static_cast<std::size_t>(Source.Size());
  const auto start = static_cast<std::size_t>(std::min<std::int64_t>(Source.Position(), Source.Size()));
  const std::uint8_t* data = Source.Memory();

  CheckBlocks(data, start, end, ExpandedSize);
  auto result = std::make_unique<platform::MemoryStream>(std::vector<std::uint8_t>(static_cast<std::size_t>(ExpandedSize)));
  ExpandBlocks(data, start, end, result->Memory(), result->Memory() + ExpandedSize);
  Source.SetPosition(Source.Size());
  return result;
}

}  // namespace brin
