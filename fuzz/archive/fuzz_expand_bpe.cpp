// Byte-pair blocks into the expander: the first 4 bytes are the expanded
// size, the rest the blocks. Every outcome must be exactly that many bytes or
// an EBWAError.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "archive/bwarc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  std::int32_t expandedSize;
  std::memcpy(&expandedSize, data, 4);
  // Sizes above this only spend the fuzzer's memory without reaching new code.
  if (expandedSize > (16 << 20)) return 0;
  platform::MemoryStream source(std::vector<std::uint8_t>(data + 4, data + size));
  try {
    auto result = brin::ExpandBPE(source, expandedSize);
    if (result->Size() != expandedSize || result->Position() != 0 || source.Position() != source.Size())
      __builtin_trap();
  } catch (const brin::EBWAError&) {
  }
  return 0;
}
