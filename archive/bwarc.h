// BWArc: reads one named item out of a packed data file ("BWA0" archive) and
// hands it back in memory. Items are stored as they are or compressed with
// byte-pair encoding.
//
// Layout (all integers 32-bit little-endian):
//   header, 256 bytes: compression flag (1 = every item compressed), "BWA0",
//     signed entry count, 244 unused bytes;
//   entry table at 256, count x 268 bytes: data offset, stored size,
//     expanded size, 256-byte ID (code page 932 text up to the first zero);
//   item data at each entry's offset.
//
// The reader treats the file as hostile: every size and offset is checked
// against what the file holds before anything is read or allocated, and every
// fault is an EBWAError, never a crash or an access outside a buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/exception.h"
#include "platform/stream.h"

namespace brin {

// The unit's exception: a message and nothing else.
class EBWAError : public platform::Exception {
 public:
  using Exception::Exception;
};

inline constexpr std::int64_t kBWAHeaderSize = 256;
inline constexpr std::int64_t kBWAEntrySize = 268;
inline constexpr std::int64_t kBWAIDSize = 256;
inline constexpr std::uint32_t kBWACompressedFlag = 1;
inline constexpr char kBWAMagic[4] = {'B', 'W', 'A', '0'};
// Bytes the expansion stack holds; the deepest table without a cycle needs
// exactly this many (a left-nested chain through all 255 non-literal codes).
inline constexpr int kBPEStackSize = 256;

// One row of the entry table. ID holds the stored code page 932 bytes.
struct TBWAEntry {
  std::uint32_t DataOffset = 0;
  std::int32_t StoredSize = 0;
  std::int32_t ExpandedSize = 0;
  std::string ID;
};

struct TBWADirectory {
  bool Compressed = false;
  std::vector<TBWAEntry> Entries;
};

// Reads the header and entry table from the start of SOURCE. Raises
// EBWAError when the data is not an archive or its table is cut short.
TBWADirectory ReadArchiveDirectory(platform::Stream& Source);

// The item whose ID matches, positioned at 0; the caller owns it. SOURCE is
// read from its start whatever its position. Raises EBWAError for data that
// is not an archive, an ID that is not found and every damaged item.
std::unique_ptr<platform::MemoryStream> ReadArchiveEntry(platform::Stream& Source, const std::string& ID);

// Opens the file, reads the item and closes the file again, also when reading
// fails. A file that cannot be opened raises platform::EInOutError.
std::unique_ptr<platform::MemoryStream> ExtractFromArchive(const std::string& ArchiveFileName, const std::string& ID);

// Expands the byte-pair blocks from SOURCE's position to its end into exactly
// EXPANDEDSIZE bytes, positioned at 0. SOURCE is left at its end. Blocks that
// are cut short, pair tables that overrun 256 codes or refer to themselves in
// a cycle, and blocks that do not produce exactly EXPANDEDSIZE bytes raise
// EBWAError before the result is allocated.
std::unique_ptr<platform::MemoryStream> ExpandBPE(platform::MemoryStream& Source, std::int32_t ExpandedSize);

// Whether an ID stored in the archive names the requested one. Both are code
// page 932 bytes. ASCII letters compare without regard to case; a lead byte
// and its trail byte compare exactly, so a trail byte in the letter range is
// never folded; everything else compares exactly.
bool SameArchiveID(std::string_view StoredCp932, std::string_view RequestedCp932);

// The requested ID (UTF-8) in code page 932. Returns false when it holds a
// character code page 932 cannot express: such an ID names no stored item.
bool ArchiveIDToCp932(const std::string& ID, std::string& Cp932);

}  // namespace brin
