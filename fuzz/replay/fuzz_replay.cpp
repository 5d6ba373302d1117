// Feeds arbitrary bytes to the replay reader. Each input is read twice: as
// it is, and with its last four bytes made the right checksum, so that the
// fuzzer gets past the checksum into the structure behind it. A replay the
// reader accepts must encode to a file that reads back the same, and its
// game state is restored and played for up to 50 frames: no accepted file
// may make the game read outside its tables or loop without end.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/replay.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "replay invariant broken: %s\n", what);
  std::abort();
}

TGame& Game() {
  static TGame* game = [] {
    auto* g = new TGame;
    g->CreateSprites();
    g->RegisterShapes(nullptr, nullptr, nullptr);
    g->FillBlockMaxHP();
    g->SetupSounds();
    return g;
  }();
  return *game;
}

void Exercise(const std::vector<std::uint8_t>& bytes) {
  TReplay replay;
  std::string reason;
  if (!DecodeReplay(bytes, replay, reason, true)) {
    Check(!reason.empty() && reason.find('\n') == std::string::npos, "a refusal is one line");
    return;
  }
  std::vector<std::uint8_t> again;
  EncodeReplay(replay, again);
  TReplay reread;
  Check(DecodeReplay(again, reread, reason, true) && reread == replay, "an accepted replay encodes to itself");

  // A few frames of its game; a replay may run for a day.
  if (replay.Pad.size() > 50) replay.Pad.resize(50);
  TReplayRun run(replay, Game());
  if (!run.Start(reason)) return;
  while (run.Step()) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  Exercise(bytes);
  if (size >= 4) {
    const std::uint32_t crc = Crc32(std::span<const std::uint8_t>(bytes).first(size - 4));
    for (std::size_t i = 0; i < 4; ++i) bytes[size - 4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    Exercise(bytes);
  }
  return 0;
}
