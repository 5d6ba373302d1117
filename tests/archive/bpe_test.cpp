// Byte-pair expansion on hand-built blocks: the table's run format, nesting,
// several blocks, and every rejection with its message.
#include <map>

#include "archive_test_util.h"

namespace archive_test {
namespace {

using namespace std::string_literals;

const Bytes kIdentity = {0xFF, 0x80, 0xFE};  // skip 128, code 128 as itself, skip 127

// A table written as two runs of 128 entries (no skips), unlike the packer.
Bytes FullTable(const std::map<int, std::pair<int, int>>& pairs) {
  Bytes table;
  for (int code = 0; code < 256; ++code) {
    if (code % 128 == 0) table.push_back(127);
    const auto pair = pairs.find(code);
    if (pair == pairs.end()) {
      table.push_back(static_cast<std::uint8_t>(code));
    } else {
      table.push_back(static_cast<std::uint8_t>(pair->second.first));
      table.push_back(static_cast<std::uint8_t>(pair->second.second));
    }
  }
  return table;
}

Bytes Block(const Bytes& table, const Bytes& coded) { return Cat({table, LE32(static_cast<std::uint32_t>(coded.size())), coded}); }

TEST(ExpandBPE, IdentityTablesYieldTheCodedBytes) {
  const Bytes coded = B("hello\0\xFF"s);
  EXPECT_EQ(Expand(Block(kIdentity, coded), 7), coded);
  EXPECT_EQ(Expand(Block(FullTable({}), coded), 7), coded);
  EXPECT_EQ(Expand({}, 0), Bytes{});
  EXPECT_EQ(Expand(Block(kIdentity, {}), 0), Bytes{});
}

TEST(ExpandBPE, PairsExpandLeftFirstAndEachBlockHasItsOwnTable) {
  // Code 'X' (88) = "ab": skip 88, one entry, skip 128, code 217 as itself, skip 38.
  const Bytes xIsAB = {127 + 88, 'a', 'b', 0xFF, 217, 127 + 38};
  EXPECT_EQ(Expand(Block(xIsAB, B("XcX")), 5), B("abcab"));
  const Bytes nested = Block(FullTable({{1, {'a', 2}}, {2, {'b', 'c'}}}), {1, 'x', 1});
  EXPECT_EQ(Expand(nested, 7), B("abcxabc"));
  const Bytes xIsCD = Block(FullTable({{'X', {'c', 'd'}}}), B("XX"));
  EXPECT_EQ(Expand(Cat({Block(xIsAB, B("XcX")), nested, xIsCD}), 16), B("abcababcxabccdcd"));

  platform::MemoryStream source(Cat({B("junk"), xIsCD}));
  source.SetPosition(4);
  EXPECT_EQ(brin::ExpandBPE(source, 4)->Bytes(), B("cdcd"));
}

TEST(ExpandBPE, DeepestNestingFillsTheWholeStack) {
  // Code k stands for (k - 1, 0): expanding 255 holds 256 bytes on the stack.
  std::map<int, std::pair<int, int>> leftChain, rightChain;
  for (int k = 1; k < 256; ++k) {
    leftChain[k] = {k - 1, 0};
    rightChain[k] = {0, k - 1};
  }
  EXPECT_EQ(Expand(Block(FullTable(leftChain), {255, 255}), 512), Bytes(512, 0));
  EXPECT_EQ(Expand(Block(FullTable(rightChain), {255}), 256), Bytes(256, 0));
  // Long enough to be split on the stack: code k >= 128 is (k - 1, k - 128).
  std::map<int, std::pair<int, int>> counting;
  Bytes expected = {127};
  for (int k = 128; k < 256; ++k) {
    counting[k] = {k - 1, k - 128};
    expected.push_back(static_cast<std::uint8_t>(k - 128));
  }
  EXPECT_EQ(Expand(Block(FullTable(counting), {255, 'x'}), 130), Cat({expected, B("x")}));
}

TEST(ExpandBPE, RejectsTablesThatOverrunTruncateOrCycle) {
  const std::string overrun = "圧縮データの対応表が256個のコードを超えています";
  const std::string cut = "圧縮データの対応表が途中で切れています";
  const std::string cycle = "圧縮データの対応表の入れ子が深すぎるか循環しています（コード 1）";
  const std::vector<std::pair<Bytes, std::string>> cases = {
      {{0xFF, 0x80, 0xFF}, overrun},              // a skip from 129 past 256
      {{0xFF, 0x80, 127}, overrun},               // 128 entries from 129
      {{0xFF}, cut},
      {{0xFF, 0x80}, cut},
      {{127, 'a'}, cut},                          // code 0 as a pair lacks its right byte
      {Block(FullTable({{1, {2, 0}}, {2, {1, 0}}}), {}), cycle},
      {Block(FullTable({{1, {0, 1}}}), {0}), cycle},  // unused, still refused
      {Cat({kIdentity, B("\1\0"s)}), "圧縮データのブロック長が途中で切れています"},
      {Cat({kIdentity, LE32(10), B("abc")}), "圧縮データのブロックが途中で切れています（ブロック長 10、残り 3 バイト）"},
      {Cat({Block(kIdentity, B("abc")), {0xFF}}), cut},
  };
  for (const auto& [blocks, message] : cases) EXPECT_EQ(ErrorOf([&] { Expand(blocks, 3); }), message);
}

TEST(ExpandBPE, RejectsOutputOfAnyOtherThanTheExpandedSize) {
  const Bytes hello = Block(kIdentity, B("hello"));
  EXPECT_EQ(ErrorOf([&] { Expand(hello, 4); }), "圧縮データの展開結果が展開後のサイズ 4 バイトを超えています");
  EXPECT_EQ(ErrorOf([&] { Expand(hello, 6); }), "圧縮データの展開結果が展開後のサイズ 6 バイトに足りません（5 バイト）");
  EXPECT_EQ(ErrorOf([&] { Expand(hello, 0x7FFFFFFF); }),
            "圧縮データの展開結果が展開後のサイズ 2147483647 バイトに足りません（5 バイト）");
  EXPECT_EQ(ErrorOf([&] { Expand({}, 1); }), "圧縮データの展開結果が展開後のサイズ 1 バイトに足りません（0 バイト）");
  EXPECT_EQ(ErrorOf([&] { Expand(hello, -1); }), "圧縮データの展開後のサイズ -1 が不正です");
  // Code k = (k - 1, k - 1) doubles at every level: 2^100 bytes from one code.
  std::map<int, std::pair<int, int>> doubling;
  for (int k = 1; k <= 100; ++k) doubling[k] = {k - 1, k - 1};
  EXPECT_EQ(ErrorOf([&] { Expand(Block(FullTable(doubling), {100, 100}), 0x7FFFFFFF); }),
            "圧縮データの展開結果が展開後のサイズ 2147483647 バイトを超えています");
}

}  // namespace
}  // namespace archive_test
