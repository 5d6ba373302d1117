// Archive bytes straight into the reader. Every outcome must be an item or an
// EBWAError; any other exception, crash or sanitizer report is a finding.
#include <cstddef>
#include <cstdint>

#include "archive/bwarc.h"
#include "platform/files.h"

namespace {

// Items may expand to any 32-bit size; larger ones than this only spend the
// fuzzer's memory without reaching new code.
constexpr std::int32_t kMaxExpanded = 16 << 20;

void TryRead(platform::MemoryStream& source, const std::string& id) {
  try {
    auto item = brin::ReadArchiveEntry(source, id);
    if (item->Position() != 0) __builtin_trap();
  } catch (const brin::EBWAError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::MemoryStream source(std::vector<std::uint8_t>(data, data + size));
  brin::TBWADirectory directory;
  try {
    directory = brin::ReadArchiveDirectory(source);
  } catch (const brin::EBWAError&) {
    TryRead(source, "cg1.bmp");
    return 0;
  }
  for (const brin::TBWAEntry& entry : directory.Entries) {
    if (entry.ExpandedSize > kMaxExpanded) return 0;
  }
  TryRead(source, "cg1.bmp");
  // The first stored ID, so that matching and the item paths are reached
  // without the fuzzer having to guess a name.
  if (!directory.Entries.empty()) TryRead(source, platform::Cp932ToUtf8(directory.Entries.front().ID));
  return 0;
}
