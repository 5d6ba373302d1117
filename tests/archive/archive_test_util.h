// Hand-built archive bytes, written here from the format itself rather than
// by the packer, so a fault shared by packer and reader cannot hide.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "archive/bwarc.h"

namespace archive_test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

// SIZE bytes from ALPHABET values; RUNCHANCE percent of them start a run.
inline Bytes RandomBytes(std::size_t size, int alphabet = 256, std::uint32_t seed = 1, int runChance = 0) {
  std::mt19937 random(seed);
  Bytes out;
  while (out.size() < size) {
    const auto byte = static_cast<std::uint8_t>(random() % static_cast<std::uint32_t>(alphabet));
    const std::size_t run = (runChance != 0 && random() % 100 < static_cast<std::uint32_t>(runChance)) ? random() % 300 : 1;
    out.insert(out.end(), std::min(run, size - out.size()), byte);
  }
  return out;
}

inline void PutLE32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

inline Bytes LE32(std::uint32_t value) {
  Bytes out(4);
  PutLE32(out, 0, value);
  return out;
}

struct RawItem {
  std::string ID;  // stored bytes as they are
  Bytes Data;
  std::int32_t ExpandedSize = -1;  // -1: the data's size
};

// Header with FLAG and the item count, the table, then the items in order.
inline Bytes MakeArchive(std::uint32_t flag, const std::vector<RawItem>& items) {
  Bytes out(256 + 268 * items.size(), 0);
  PutLE32(out, 0, flag);
  out[4] = 'B', out[5] = 'W', out[6] = 'A', out[7] = '0';
  PutLE32(out, 8, static_cast<std::uint32_t>(items.size()));
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::size_t row = 256 + 268 * i;
    PutLE32(out, row, static_cast<std::uint32_t>(out.size()));
    PutLE32(out, row + 4, static_cast<std::uint32_t>(items[i].Data.size()));
    const auto expanded = items[i].ExpandedSize < 0 ? items[i].Data.size() : static_cast<std::size_t>(items[i].ExpandedSize);
    PutLE32(out, row + 8, static_cast<std::uint32_t>(expanded));
    std::copy(items[i].ID.begin(), items[i].ID.end(), out.begin() + static_cast<std::ptrdiff_t>(row + 12));
    out.insert(out.end(), items[i].Data.begin(), items[i].Data.end());
  }
  return out;
}

// The message of the EBWAError RUN raises; fails the test when it raises
// nothing or something else.
inline std::string ErrorOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const brin::EBWAError& error) {
    return error.Message();
  } catch (const std::exception& error) {
    ADD_FAILURE() << "not an EBWAError: " << error.what();
    return {};
  }
  ADD_FAILURE() << "nothing raised";
  return {};
}

inline Bytes Read(const Bytes& archive, const std::string& id) {
  platform::MemoryStream source(archive);
  auto item = brin::ReadArchiveEntry(source, id);
  EXPECT_EQ(item->Position(), 0);
  return item->Bytes();
}

inline Bytes Expand(const Bytes& blocks, std::int32_t expandedSize) {
  platform::MemoryStream source(blocks);
  auto result = brin::ExpandBPE(source, expandedSize);
  EXPECT_EQ(result->Position(), 0);
  EXPECT_EQ(source.Position(), source.Size());
  return result->Bytes();
}

}  // namespace archive_test
