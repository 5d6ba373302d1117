// Expansion speed of the archive reader on a typical compressed bitmap: a
// 256 x 256 8-bit sprite sheet, mostly black with drawn tiles, as a whole
// BMP file. Bytes processed are expanded (output) bytes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "archive/bwarc.h"
#include "tools/bwa_pack/archive_writer.h"
#include "tools/bwa_pack/bpe_compress.h"

namespace {

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// 16 x 16 tiles of 16 x 16 pixels. About a third of the tiles hold a shape
// (ball, ship, block, spark) in a four-shade ramp of one of several colours;
// the rest, and the space around each shape, stay black.
std::vector<std::uint8_t> MakeSpriteSheetBmp() {
  constexpr int kSide = 256;
  constexpr int kTile = 16;
  std::vector<std::uint8_t> pixels(kSide * kSide, 0);
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int ty = 0; ty < kSide / kTile; ++ty) {
    for (int tx = 0; tx < kSide / kTile; ++tx) {
      if (next() % 3 != 0) continue;
      const int shape = static_cast<int>(next() % 4);
      const int ramp = 16 + static_cast<int>(next() % 12) * 4;
      for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
          const double dx = x - 7.5;
          const double dy = y - 7.5;
          const double r = std::sqrt(dx * dx + dy * dy);
          int shade = -1;
          if (shape == 0 && r < 7) shade = static_cast<int>(r) / 2;
          if (shape == 1 && y >= 2 && y < 14 && std::abs(dx) < (y - 1) * 0.6) shade = (y < 8) ? 0 : 1 + (x & 1);
          if (shape == 2 && x >= 1 && x < 15 && y >= 4 && y < 12) shade = (x == 1 || y == 4) ? 0 : (x == 14 || y == 11) ? 3 : 1;
          if (shape == 3 && (std::abs(dx) < 1 || std::abs(dy) < 1) && r < 6) shade = static_cast<int>(r) / 2;
          if (shade >= 0) pixels[(ty * kTile + y) * kSide + tx * kTile + x] = static_cast<std::uint8_t>(ramp + shade);
        }
      }
    }
  }
  std::vector<std::uint8_t> bmp;
  const std::uint32_t offBits = 14 + 40 + 256 * 4;
  bmp.push_back('B');
  bmp.push_back('M');
  PutLE(bmp, offBits + kSide * kSide, 4);
  PutLE(bmp, 0, 4);
  PutLE(bmp, offBits, 4);
  PutLE(bmp, 40, 4);
  PutLE(bmp, kSide, 4);
  PutLE(bmp, kSide, 4);
  PutLE(bmp, 1, 2);
  PutLE(bmp, 8, 2);
  PutLE(bmp, 0, 4);
  PutLE(bmp, kSide * kSide, 4);
  PutLE(bmp, 2835, 4);
  PutLE(bmp, 2835, 4);
  PutLE(bmp, 256, 4);
  PutLE(bmp, 0, 4);
  for (int i = 0; i < 256; ++i) PutLE(bmp, static_cast<std::uint32_t>(i * 0x010101) & 0xFFFFFF, 4);
  // Bottom-up rows, as BMP stores them.
  for (int y = kSide - 1; y >= 0; --y) bmp.insert(bmp.end(), pixels.begin() + y * kSide, pixels.begin() + (y + 1) * kSide);
  return bmp;
}

void BM_ExpandBPE_SpriteSheet(benchmark::State& state) {
  const std::vector<std::uint8_t> bmp = MakeSpriteSheetBmp();
  platform::MemoryStream source(bwapack::CompressBPE(bmp.data(), bmp.size()));
  const auto expandedSize = static_cast<std::int32_t>(bmp.size());
  for (auto _ : state) {
    source.SetPosition(0);
    auto result = brin::ExpandBPE(source, expandedSize);
    benchmark::DoNotOptimize(result->Memory());
  }
  if (brin::ExpandBPE((source.SetPosition(0), source), expandedSize)->Bytes() != bmp) state.SkipWithError("round trip differs");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * expandedSize);
  state.counters["stored_bytes"] = static_cast<double>(source.Size());
  state.counters["expanded_bytes"] = static_cast<double>(expandedSize);
}
BENCHMARK(BM_ExpandBPE_SpriteSheet);

void BM_ReadArchiveEntry_SpriteSheet(benchmark::State& state) {
  const std::vector<std::uint8_t> bmp = MakeSpriteSheetBmp();
  platform::MemoryStream archive(bwapack::BuildArchive({{"Sheet.bmp", bmp}, {"cg1.bmp", bmp}}, true));
  for (auto _ : state) {
    auto result = brin::ReadArchiveEntry(archive, "CG1.BMP");
    benchmark::DoNotOptimize(result->Memory());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bmp.size()));
}
BENCHMARK(BM_ReadArchiveEntry_SpriteSheet);

// Incompressible input: every block is literal codes only.
void BM_ExpandBPE_Random(benchmark::State& state) {
  std::vector<std::uint8_t> data(64 * 1024);
  std::uint32_t seed = 99;
  for (auto& b : data) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(seed >> 24);
  }
  platform::MemoryStream source(bwapack::CompressBPE(data.data(), data.size()));
  for (auto _ : state) {
    source.SetPosition(0);
    auto result = brin::ExpandBPE(source, static_cast<std::int32_t>(data.size()));
    benchmark::DoNotOptimize(result->Memory());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_ExpandBPE_Random);

}  // namespace
