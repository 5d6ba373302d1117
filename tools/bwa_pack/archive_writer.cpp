#include "tools/bwa_pack/archive_writer.h"

#include <cstring>
#include <limits>

#include "archive/bwarc.h"
#include "tools/bwa_pack/bpe_compress.h"

namespace bwapack {
namespace {

void PutLE32(std::uint8_t* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string ToCp932ID(const std::string& id) {
  if (id.empty()) throw platform::Exception("empty ID");
  std::string cp932;
  if (!brin::ArchiveIDToCp932(id, cp932))
    throw platform::Exception("ID '" + id + "' has characters code page 932 cannot hold");
  // One byte stays free for the terminating zero.
  if (static_cast<std::int64_t>(cp932.size()) >= brin::kBWAIDSize)
    throw platform::Exception("ID '" + id + "' is longer than " + std::to_string(brin::kBWAIDSize - 1) + " bytes");
  return cp932;
}

}  // namespace

std::vector<std::uint8_t> BuildArchive(const std::vector<TPackItem>& items, bool compress) {
  constexpr auto kMaxItem = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  if (items.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / brin::kBWAEntrySize))
    throw platform::Exception("too many items");

  std::vector<std::string> ids;
  for (const TPackItem& item : items) {
    std::string id = ToCp932ID(item.ID);
    for (const std::string& earlier : ids) {
      // The reader would only ever find the earlier one.
      if (brin::SameArchiveID(earlier, id)) throw platform::Exception("duplicate ID '" + item.ID + "'");
    }
    if (item.Data.size() > kMaxItem) throw platform::Exception("item '" + item.ID + "' is larger than 2 GiB");
    ids.push_back(std::move(id));
  }

  const std::size_t tableEnd = static_cast<std::size_t>(brin::kBWAHeaderSize + brin::kBWAEntrySize * static_cast<std::int64_t>(items.size()));
  std::vector<std::uint8_t> out(tableEnd, 0);
  PutLE32(out.data(), compress ? brin::kBWACompressedFlag : 0);
  std::memcpy(out.data() + 4, brin::kBWAMagic, sizeof brin::kBWAMagic);
  PutLE32(out.data() + 8, static_cast<std::uint32_t>(items.size()));

  for (std::size_t i = 0; i < items.size(); ++i) {
    const TPackItem& item = items[i];
    const std::size_t offset = out.size();
    if (offset > std::numeric_limits<std::uint32_t>::max())
      throw platform::Exception("archive grows past 4 GiB at item '" + item.ID + "'");
    std::size_t stored = item.Data.size();
    if (compress) {
      const std::vector<std::uint8_t> packed = CompressBPE(item.Data.data(), item.Data.size());
      if (packed.size() > kMaxItem) throw platform::Exception("item '" + item.ID + "' compresses to more than 2 GiB");
      stored = packed.size();
      out.insert(out.end(), packed.begin(), packed.end());
    } else {
      out.insert(out.end(), item.Data.begin(), item.Data.end());
    }
    std::uint8_t* row = out.data() + brin::kBWAHeaderSize + brin::kBWAEntrySize * static_cast<std::int64_t>(i);
    PutLE32(row, static_cast<std::uint32_t>(offset));
    PutLE32(row + 4, static_cast<std::uint32_t>(stored));
    PutLE32(row + 8, static_cast<std::uint32_t>(item.Data.size()));
    std::memcpy(row + 12, ids[i].data(), ids[i].size());
  }
  return out;
}

}  // namespace bwapack
