// Builds archive files the reader in archive/bwarc.h reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bwapack {

struct TPackItem {
  std::string ID;  // UTF-8; stored in code page 932
  std::vector<std::uint8_t> Data;
};

// The whole archive: header, entry table, then each item's data in order.
// COMPRESS asks for byte-pair compression. The format has one flag for all
// items, so the header says "compressed" only when that makes the archive
// smaller; otherwise every item is stored as it is. In a compressed archive
// an item that compression would make larger is stored as it is inside one
// block that codes every byte as itself (7 bytes of framing, the least the
// format allows).
// Throws platform::Exception for an ID that is empty, too long, not
// expressible in code page 932 or the same as an earlier one (ignoring
// letter case, as the reader compares), and for items too big for the format.
std::vector<std::uint8_t> BuildArchive(const std::vector<TPackItem>& items, bool compress);

}  // namespace bwapack
