#include "tools/bwa_pack/archive_writer.h"

#include <cstring>
#include <limits>
#include <utility>

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

// The item's bytes as they are, in one block whose pair table leaves every
// code standing for itself. Empty data needs no block at all.
std::vector<std::uint8_t> VerbatimBlock(const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> out;
  if (data.empty()) return out;
  std::uint8_t left[256];
  const std::uint8_t right[256] = {};
  for (int c = 0; c < 256; ++c) left[c] = static_cast<std::uint8_t>(c);
  WritePairTable(left, right, out);
  std::uint8_t length[4];
  PutLE32(length, static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), length, length + 4);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

// The stored form of every item when the archive is compressed, or nothing
// when compression would not make the archive smaller.
std::vector<std::vector<std::uint8_t>> CompressedForms(const std::vector<TPackItem>& items) {
  std::vector<std::vector<std::uint8_t>> forms;
  std::size_t plainBytes = 0;
  std::size_t storedBytes = 0;
  for (const TPackItem& item : items) {
    std::vector<std::uint8_t> packed = CompressBPE(item.Data.data(), item.Data.size());
    std::vector<std::uint8_t> verbatim = VerbatimBlock(item.Data);
    if (packed.size() > verbatim.size()) packed = std::move(verbatim);
    plainBytes += item.Data.size();
    storedBytes += packed.size();
    forms.push_back(std::move(packed));
  }
  if (storedBytes >= plainBytes) forms.clear();
  return forms;
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

  const std::vector<std::vector<std::uint8_t>> packed = compress ? CompressedForms(items) : std::vector<std::vector<std::uint8_t>>{};
  const bool compressed = !packed.empty();
  const std::size_t tableEnd = static_cast<std::size_t>(brin::kBWAHeaderSize + brin::kBWAEntrySize * static_cast<std::int64_t>(items.size()));
  std::vector<std::uint8_t> out(tableEnd, 0);
  PutLE32(out.data(), compressed ? brin::kBWACompressedFlag : 0);
  std::memcpy(out.data() + 4, brin::kBWAMagic, sizeof brin::kBWAMagic);
  PutLE32(out.data() + 8, static_cast<std::uint32_t>(items.size()));

  for (std::size_t i = 0; i < items.size(); ++i) {
    const TPackItem& item = items[i];
    const std::size_t offset = out.size();
    if (offset > std::numeric_limits<std::uint32_t>::max())
      throw platform::Exception("archive grows past 4 GiB at item '" + item.ID + "'");
    std::size_t stored = item.Data.size();
    if (compressed) {
      const std::vector<std::uint8_t>& form = packed[i];
      if (form.size() > kMaxItem) throw platform::Exception("item '" + item.ID + "' compresses to more than 2 GiB");
      stored = form.size();
      out.insert(out.end(), form.begin(), form.end());
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
