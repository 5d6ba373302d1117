#include "archive/bwarc.h"

#include <algorithm>
#include <cstring>

#include "platform/files.h"

namespace brin {
namespace {

const char kNotArchive[] = "Brindlewick Archiveの扱えるデータではありません";
const char kHeaderCut[] = "Brindlewick Archiveのヘッダが途中で切れています";
const char kReadFailed[] = "Brindlewick Archiveの読み込みに失敗しました";

std::string NotFound(const std::string& id) {
  return "アーカイブ内には指定されたID '" + id + "' を持つデータが見つかりません";
}

std::string TableCut(std::int32_t count) {
  return "Brindlewick Archiveのエントリ表が途中で切れています（エントリ数 " + std::to_string(count) + "）";
}

std::string BadSize(const std::string& id, const TBWAEntry& entry) {
  return "アーカイブ内のID '" + id + "' のデータのサイズが不正です（格納サイズ " + std::to_string(entry.StoredSize) +
         "、展開後のサイズ " + std::to_string(entry.ExpandedSize) + "）";
}

std::string PastEnd(const std::string& id, std::uint32_t offset, std::int64_t size, std::int64_t fileSize) {
  return "アーカイブ内のID '" + id + "' のデータがファイルの終わりを超えています（位置 " + std::to_string(offset) +
         "、サイズ " + std::to_string(size) + "、ファイルサイズ " + std::to_string(fileSize) + "）";
}

std::uint32_t LoadLE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Reads exactly COUNT bytes. Sizes are checked against the stream before any
// read, so a short read here means the file changed under us or the device
// failed; either way the data cannot be trusted.
void ReadExactly(platform::Stream& source, void* buffer, std::int64_t count) {
  if (count > 0 && source.Read(buffer, count) != count) throw EBWAError(kReadFailed);
}

bool IsLeadByte(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

std::uint8_t FoldAscii(std::uint8_t b) { return (b >= 'A' && b <= 'Z') ? static_cast<std::uint8_t>(b + 32) : b; }

}  // namespace

bool SameArchiveID(std::string_view StoredCp932, std::string_view RequestedCp932) {
  if (StoredCp932.size() != RequestedCp932.size()) return false;
  const std::size_t n = StoredCp932.size();
  std::size_t i = 0;
  while (i < n) {
    const auto s = static_cast<std::uint8_t>(StoredCp932[i]);
    const auto r = static_cast<std::uint8_t>(RequestedCp932[i]);
    if (IsLeadByte(s) && i + 1 < n) {
      // Equal lead bytes make both sides double-byte here, so the two walks
      // stay in step.
      if (s != r || StoredCp932[i + 1] != RequestedCp932[i + 1]) return false;
      i += 2;
    } else {
      if (FoldAscii(s) != FoldAscii(r)) return false;
      ++i;
    }
  }
  return true;
}

bool ArchiveIDToCp932(const std::string& ID, std::string& Cp932) {
  Cp932 = platform::Utf8ToCp932(ID);
  // The conversion writes '?' for what it cannot express; a '?' it added
  // would otherwise match a stored '?'.
  return std::count(Cp932.begin(), Cp932.end(), '?') == std::count(ID.begin(), ID.end(), '?');
}

TBWADirectory ReadArchiveDirectory(platform::Stream& Source) {
  Source.SetPosition(0);
  const std::int64_t fileSize = Source.Size();
  std::uint8_t header[kBWAHeaderSize] = {};
  const std::int64_t headerBytes = std::min<std::int64_t>(fileSize, kBWAHeaderSize);
  ReadExactly(Source, header, headerBytes);
  if (headerBytes < 8 || std::memcmp(header + 4, kBWAMagic, sizeof kBWAMagic) != 0) throw EBWAError(kNotArchive);
  if (headerBytes < kBWAHeaderSize) throw EBWAError(kHeaderCut);

  TBWADirectory directory;
  directory.Compressed = LoadLE32(header) == kBWACompressedFlag;
  const auto count = static_cast<std::int32_t>(LoadLE32(header + 8));
  if (count <= 0) return directory;

  // Checked before anything is allocated: a damaged count must not make us
  // reserve gigabytes for a table the file cannot hold.
  const std::int64_t tableBytes = static_cast<std::int64_t>(count) * kBWAEntrySize;
  if (tableBytes > fileSize - kBWAHeaderSize) throw EBWAError(TableCut(count));

  std::vector<std::uint8_t> table(static_cast<std::size_t>(tableBytes));
  ReadExactly(Source, table.data(), tableBytes);
  directory.Entries.resize(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint8_t* row = table.data() + static_cast<std::size_t>(i) * kBWAEntrySize;
    TBWAEntry& entry = directory.Entries[static_cast<std::size_t>(i)];
    entry.DataOffset = LoadLE32(row);
    entry.StoredSize = static_cast<std::int32_t>(LoadLE32(row + 4));
    entry.ExpandedSize = static_cast<std::int32_t>(LoadLE32(row + 8));
    const char* id = reinterpret_cast<const char*>(row + 12);
    entry.ID.assign(id, strnlen(id, kBWAIDSize));
  }
  return directory;
}

std::unique_ptr<platform::MemoryStream> ReadArchiveEntry(platform::Stream& Source, const std::string& ID) {
  const TBWADirectory directory = ReadArchiveDirectory(Source);

  // The first match decides, even when its offset is 0 (which means "absent").
  const TBWAEntry* found = nullptr;
  std::string wanted;
  if (ArchiveIDToCp932(ID, wanted)) {
    for (const TBWAEntry& entry : directory.Entries) {
      if (SameArchiveID(entry.ID, wanted)) {
        found = &entry;
        break;
      }
    }
  }
  if (found == nullptr || found->DataOffset == 0) throw EBWAError(NotFound(ID));

  const TBWAEntry& entry = *found;
  const std::int64_t fileSize = Source.Size();
  if (entry.ExpandedSize < 0 || (directory.Compressed && entry.StoredSize < 0)) throw EBWAError(BadSize(ID, entry));
  const std::int64_t dataBytes = directory.Compressed ? entry.StoredSize : entry.ExpandedSize;
  if (static_cast<std::int64_t>(entry.DataOffset) + dataBytes > fileSize)
    throw EBWAError(PastEnd(ID, entry.DataOffset, dataBytes, fileSize));

  Source.SetPosition(entry.DataOffset);
  auto data = std::make_unique<platform::MemoryStream>(std::vector<std::uint8_t>(static_cast<std::size_t>(dataBytes)));
  ReadExactly(Source, data->Memory(), dataBytes);
  if (!directory.Compressed) return data;

  try {
    return ExpandBPE(*data, entry.ExpandedSize);
  } catch (const EBWAError& error) {
    throw EBWAError("アーカイブ内のID '" + ID + "' のデータを展開できません: " + error.Message());
  }
}

std::unique_ptr<platform::MemoryStream> ExtractFromArchive(const std::string& ArchiveFileName, const std::string& ID) {
  platform::FileStream file(ArchiveFileName);
  return ReadArchiveEntry(file, ID);
}

}  // namespace brin
