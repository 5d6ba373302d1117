// Byte-pair compression in the block format the archive reader expands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bwapack {

// Bytes of input one block takes at most.
inline constexpr std::size_t kMaxBlockInput = 32 * 1024;
// Distinct byte values one block may hold before it is closed, so that codes
// stay free to stand for pairs.
inline constexpr int kMaxBlockLiterals = 200;

// The blocks for DATA: each a pair table, a 4-byte length and the coded bytes.
// Empty input gives no blocks at all.
std::vector<std::uint8_t> CompressBPE(const std::uint8_t* data, std::size_t size);

// Appends the run-coded pair table for LEFT/RIGHT (a code with LEFT equal to
// itself stands for itself) to OUT; the runs land exactly on 256 codes.
void WritePairTable(const std::uint8_t (&left)[256], const std::uint8_t (&right)[256], std::vector<std::uint8_t>& out);

}  // namespace bwapack
