// The packer's compressor and archive builder, checked through the reader
// and through a block walk written here from the format.
#include <random>

#include "archive_test_util.h"
#include "tools/bwa_pack/archive_writer.h"
#include "tools/bwa_pack/bpe_compress.h"

namespace archive_test {
namespace {

Bytes Compress(const Bytes& data) { return bwapack::CompressBPE(data.data(), data.size()); }

// Number of blocks; fails the test when a table does not land on 256.
int CountBlocks(const Bytes& b) {
  std::size_t pos = 0;
  int blocks = 0;
  while (pos < b.size()) {
    int counter = 0;
    while (counter < 256) {
      int count = b.at(pos++);
      if (count > 127) {
        counter += count - 127;
        count = 0;
        if (counter >= 256) break;
      }
      for (int i = 0; i <= count; ++i, ++counter) pos += b.at(pos) != counter ? 2 : 1;
    }
    EXPECT_EQ(counter, 256);
    pos += 4 + (b.at(pos) | b.at(pos + 1) << 8 | b.at(pos + 2) << 16 | b.at(pos + 3) << 24);
    ++blocks;
  }
  return blocks;
}

TEST(PackRoundTrip, StoredAndCompressedItemsComeBackExactly) {
  Bytes text;
  for (int i = 0; text.size() < 3 * bwapack::kMaxBlockInput + 17; ++i) {
    const Bytes line = B("sprite " + std::to_string(i) + " at tile " + std::to_string(i * 7 % 64) + "\r\n");
    text.insert(text.end(), line.begin(), line.end());
  }
  Bytes every;
  for (int i = 0; i < 4096; ++i) every.push_back(static_cast<std::uint8_t>(i * 37));
  const std::vector<bwapack::TPackItem> items = {
      {"empty.bin", {}},          {"one.bin", {0x42}},           {"random.bin", RandomBytes(100000, 256, 1)},
      {"zeros.bin", Bytes(200000, 0)}, {"text.txt", text},       {"every.bin", every},
      {"画像.bmp", RandomBytes(5000, 6, 2, 40)},
  };
  for (const bool compress : {false, true}) {
    const Bytes archive = bwapack::BuildArchive(items, compress);
    EXPECT_EQ(archive[0], compress ? 1 : 0);
    for (const auto& item : items) EXPECT_EQ(Read(archive, item.ID), item.Data) << item.ID << " compress " << compress;
  }
}

TEST(PackCompression, CompressesWellInBlocksOfBoundedSize) {
  const Bytes zeros = Compress(Bytes(200000, 0));
  EXPECT_LT(zeros.size(), 400u);
  EXPECT_EQ(CountBlocks(zeros), 7);  // 200000 bytes in blocks of 32 KiB
  const Bytes random = Compress(RandomBytes(100000, 256, 3));
  EXPECT_LE(random.size(), 100000u + 4 * 8);  // four literal-only blocks
  EXPECT_EQ(CountBlocks(random), 4);
  const Bytes skewed = Compress(RandomBytes(60000, 16, 4, 30));
  EXPECT_LT(skewed.size(), 60000u / 4);
  EXPECT_EQ(Compress({}), Bytes{});
}

TEST(PackCompression, InputsOfEveryAlphabetAndLengthRoundTrip) {
  std::mt19937 random(5);
  for (int i = 0; i < 150; ++i) {
    const std::size_t size = random() % 3000;
    const Bytes data = RandomBytes(size, 1 + static_cast<int>(random() % 256), random(), static_cast<int>(random() % 60));
    const Bytes blocks = Compress(data);
    CountBlocks(blocks);
    EXPECT_EQ(Expand(blocks, static_cast<std::int32_t>(size)), data) << "case " << i;
  }
}

TEST(PackPairTable, WrittenTablesReadBackCodeForCode) {
  std::uint8_t left[256], right[256] = {};
  for (int c = 0; c < 256; ++c) left[c] = static_cast<std::uint8_t>(c);
  Bytes identity;
  bwapack::WritePairTable(left, right, identity);
  EXPECT_EQ(identity, (Bytes{0xFF, 0x80, 0xFE}));

  std::mt19937 random(6);
  for (int round = 0; round < 50; ++round) {
    // Pairs refer only to lower codes with short expansions, so no cycle.
    std::vector<Bytes> expansion(256);
    const int pairPercent = static_cast<int>(random() % 101);
    for (int c = 0; c < 256; ++c) {
      left[c] = static_cast<std::uint8_t>(c);
      const int l = c > 0 ? static_cast<int>(random() % c) : 0;
      const int r = c > 0 ? static_cast<int>(random() % c) : 0;
      if (c > 0 && static_cast<int>(random() % 100) < pairPercent && expansion[l].size() + expansion[r].size() <= 64) {
        left[c] = static_cast<std::uint8_t>(l);
        right[c] = static_cast<std::uint8_t>(r);
        expansion[c] = Cat({expansion[l], expansion[r]});
      } else {
        expansion[c] = {static_cast<std::uint8_t>(c)};
      }
    }
    Bytes blocks, coded, expected;
    bwapack::WritePairTable(left, right, blocks);
    for (int c = 0; c < 256; ++c) {
      coded.push_back(static_cast<std::uint8_t>(c));
      expected.insert(expected.end(), expansion[c].begin(), expansion[c].end());
    }
    blocks = Cat({blocks, LE32(256), coded});
    EXPECT_EQ(Expand(blocks, static_cast<std::int32_t>(expected.size())), expected) << "round " << round;
  }
}

TEST(PackBuild, RefusesIDsTheReaderCouldNotFind) {
  auto refusal = [](const std::vector<bwapack::TPackItem>& items) {
    try {
      bwapack::BuildArchive(items, false);
    } catch (const platform::Exception& error) {
      return std::string(error.what());
    }
    return std::string("accepted");
  };
  EXPECT_EQ(refusal({{"a.bmp", {}}, {"b", {}}, {"A.BMP", {}}}), "duplicate ID 'A.BMP'");
  EXPECT_EQ(refusal({{"", {}}}), "empty ID");
  EXPECT_EQ(refusal({{std::string(256, 'x'), {}}}), "ID '" + std::string(256, 'x') + "' is longer than 255 bytes");
  EXPECT_EQ(refusal({{"😀", {}}}), "ID '😀' has characters code page 932 cannot hold");
  EXPECT_EQ(refusal({{std::string(255, 'x'), {}}, {"ア", {}}, {"ヂ", {}}}), "accepted");
}

}  // namespace
}  // namespace archive_test
