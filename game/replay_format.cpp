// The replay file: writing it into a buffer, and reading it back with every
// length, count and value checked before it is trusted (see replay.h for
// the layout).
#include <cstring>
#include <fstream>
#include <limits>

#include "game/replay.h"
#include "platform/vk.h"

const std::string_view kProgramVersion = ZORNACK_VERSION;

namespace {

constexpr char kMagic[4] = {'Z', 'R', 'P', 'L'};
constexpr std::size_t kMaxVersionLength = 64;
constexpr std::int32_t kBombKinds = 6;
// Bigger files cannot be replays this program wrote: a day of frames that
// all differ needs 10 MB.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

// --- writing ---------------------------------------------------------------------------

void PutU8(std::vector<std::uint8_t>& out, std::uint8_t v) { out.push_back(v); }

void PutLittle(std::vector<std::uint8_t>& out, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutVarint(std::vector<std::uint8_t>& out, std::uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<std::uint8_t>(v | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<std::uint8_t>(v));
}

void PutBytes(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
  PutLittle(out, bytes.size(), 4);
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// --- reading ----------------------------------------------------------------------------

// Reads from a byte span; the first read past its end sets Cut and answers 0.
struct TReader {
  std::span<const std::uint8_t> Bytes;
  std::size_t At = 0;
  bool Cut = false;

  std::size_t Left() const { return Bytes.size() - At; }
  std::uint64_t Little(int bytes) {
    if (Left() < static_cast<std::size_t>(bytes)) {
      Cut = true;
      At = Bytes.size();
      return 0;
    }
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint64_t{Bytes[At++]} << (8 * i);
    return v;
  }
  std::uint64_t Varint() {
    std::uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      const auto byte = static_cast<std::uint8_t>(Little(1));
      if (Cut) return 0;
      v |= std::uint64_t{byte & 0x7Fu} << shift;
      if ((byte & 0x80) == 0) return v;
    }
    // Ten bytes of continuation: no value we write.
    return std::numeric_limits<std::uint64_t>::max();
  }
  std::span<const std::uint8_t> Block(std::size_t size) {
    if (Left() < size) {
      Cut = true;
      At = Bytes.size();
      return {};
    }
    const auto block = Bytes.subspan(At, size);
    At += size;
    return block;
  }
};

bool ValidPad(TPadState state) { return (state & 0x03) != 3 && (state & 0x0C) != 0x0C && (state & 0x80) == 0; }

bool Fail(std::string& reason, std::string text) {
  reason = std::move(text);
  return false;
}

}  // namespace

TPadState PackPad(int x, int y, bool b0, bool b1, bool b2) {
  const auto sign = [](int v) { return v > 0 ? 1 : v < 0 ? 2 : 0; };
  return static_cast<TPadState>(sign(x) | sign(y) << 2 | b0 << 4 | b1 << 5 | b2 << 6);
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const std::uint8_t b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::size_t EncodedSizeLimit(const TReplay& replay) {
  // A run of L frames takes a state byte and a varint of L: never more
  // than 2 bytes a frame. A key takes two varints of at most 5 and 3 bytes.
  return 96 + replay.ProgramVersion.size() + replay.Snapshot.size() + 2 * replay.Pad.size() + 8 * replay.Keys.size();
}

void EncodeReplay(const TReplay& replay, std::vector<std::uint8_t>& out) {
  out.clear();
  for (const char c : kMagic) PutU8(out, static_cast<std::uint8_t>(c));
  PutLittle(out, kReplayFormatVersion, 2);
  PutU8(out, static_cast<std::uint8_t>(replay.ProgramVersion.size()));
  out.insert(out.end(), replay.ProgramVersion.begin(), replay.ProgramVersion.end());
  PutLittle(out, static_cast<std::uint64_t>(replay.Date), 8);
  PutU8(out, static_cast<std::uint8_t>(replay.Area));
  PutU8(out, static_cast<std::uint8_t>(replay.BombKind));
  PutU8(out, static_cast<std::uint8_t>(replay.End));
  PutU8(out, replay.Entered);
  PutLittle(out, static_cast<std::uint64_t>(replay.Results.Score), 8);
  PutLittle(out, static_cast<std::uint32_t>(replay.Results.BestMultiplier), 4);
  PutLittle(out, static_cast<std::uint32_t>(replay.Results.BestCombo), 4);
  for (const std::int64_t value : replay.EnteredValues) PutLittle(out, static_cast<std::uint64_t>(value), 8);
  PutLittle(out, replay.Pad.size(), 4);
  PutBytes(out, replay.Snapshot);

  // The pad's runs; their size is known once written.
  const std::size_t runsAt = out.size();
  PutLittle(out, 0, 4);
  for (std::size_t i = 0; i < replay.Pad.size();) {
    std::size_t j = i + 1;
    while (j < replay.Pad.size() && replay.Pad[j] == replay.Pad[i]) ++j;
    PutU8(out, replay.Pad[i]);
    PutVarint(out, j - i);
    i = j;
  }
  const std::size_t runsSize = out.size() - runsAt - 4;
  for (int i = 0; i < 4; ++i) out[runsAt + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(runsSize >> (8 * i));

  PutLittle(out, replay.Keys.size(), 4);
  std::uint32_t frame = 0;
  for (const TReplayKey& key : replay.Keys) {
    PutVarint(out, key.Frame - frame);
    PutVarint(out, key.VirtualKey);
    frame = key.Frame;
  }
  PutLittle(out, Crc32(out), 4);
}

bool DecodeReplay(std::span<const std::uint8_t> bytes, TReplay& replay, std::string& reason, bool anyVersion) {
  TReader in{bytes};
  const auto magic = in.Block(4);
  if (in.Cut || std::memcmp(magic.data(), kMagic, 4) != 0) return Fail(reason, "not a replay file");
  const auto format = static_cast<std::uint16_t>(in.Little(2));
  if (in.Cut) return Fail(reason, "cut short");
  if (format != kReplayFormatVersion) {
    return Fail(reason, "replay format version " + std::to_string(format) + ", this program reads version " +
                            std::to_string(kReplayFormatVersion));
  }
  const auto version = in.Block(static_cast<std::size_t>(in.Little(1)));
  replay.ProgramVersion.assign(version.begin(), version.end());
  replay.Date = static_cast<std::int64_t>(in.Little(8));
  replay.Area = static_cast<std::int32_t>(in.Little(1));
  replay.BombKind = static_cast<std::int32_t>(in.Little(1));
  const auto end = static_cast<std::uint8_t>(in.Little(1));
  replay.End = static_cast<TReplayEnd>(end);
  replay.Entered = static_cast<std::uint8_t>(in.Little(1));
  replay.Results.Score = static_cast<std::int64_t>(in.Little(8));
  replay.Results.BestMultiplier = static_cast<std::int32_t>(in.Little(4));
  replay.Results.BestCombo = static_cast<std::int32_t>(in.Little(4));
  for (std::int64_t& value : replay.EnteredValues) value = static_cast<std::int64_t>(in.Little(8));
  const auto frames = static_cast<std::uint32_t>(in.Little(4));
  if (in.Cut) return Fail(reason, "cut short");
  if (frames == 0 || frames > kMaxReplayFrames) return Fail(reason, "absurd length: " + std::to_string(frames) + " frames");

  const auto snapshotSize = static_cast<std::uint32_t>(in.Little(4));
  if (snapshotSize > kMaxSnapshotBytes) {
    return Fail(reason, "absurd length: a snapshot of " + std::to_string(snapshotSize) + " bytes");
  }
  const auto snapshot = in.Block(snapshotSize);
  replay.Snapshot.assign(snapshot.begin(), snapshot.end());

  // Runs are expanded only as far as the frame count allows.
  TReader runs{in.Block(static_cast<std::size_t>(in.Little(4)))};
  if (in.Cut) return Fail(reason, "cut short");
  replay.Pad.clear();
  while (runs.Left() > 0) {
    const auto state = static_cast<TPadState>(runs.Little(1));
    const std::uint64_t length = runs.Varint();
    if (runs.Cut || !ValidPad(state) || length == 0) return Fail(reason, "damaged pad record");
    if (length > frames - replay.Pad.size()) return Fail(reason, "absurd length: the pad record runs past its frames");
    replay.Pad.insert(replay.Pad.end(), static_cast<std::size_t>(length), state);
  }
  if (replay.Pad.size() != frames) return Fail(reason, "damaged pad record");

  const auto keys = static_cast<std::uint32_t>(in.Little(4));
  if (in.Cut) return Fail(reason, "cut short");
  if (keys > kMaxReplayKeys || keys > in.Left()) return Fail(reason, "absurd length: " + std::to_string(keys) + " keys");
  replay.Keys.clear();
  std::uint64_t frame = 0;
  for (std::uint32_t k = 0; k < keys && !in.Cut; ++k) {
    frame += in.Varint();
    const std::uint64_t key = in.Varint();
    if (in.Cut) break;
    // A key comes after the confirm frame and at most after the last one.
    if (frame == 0 || frame > frames || key != VK_ESCAPE) return Fail(reason, "damaged key record");
    replay.Keys.push_back({static_cast<std::uint32_t>(frame), static_cast<std::uint16_t>(key)});
  }
  const std::size_t checked = in.At;
  const auto crc = static_cast<std::uint32_t>(in.Little(4));
  if (in.Cut) return Fail(reason, "cut short");
  if (in.Left() != 0) return Fail(reason, "damaged (bytes after the end)");
  if (crc != Crc32(bytes.first(checked))) return Fail(reason, "damaged (checksum mismatch)");

  if (!anyVersion && replay.ProgramVersion != kProgramVersion) {
    return Fail(reason, "recorded by version " + replay.ProgramVersion + ", this is version " +
                            std::string(kProgramVersion));
  }
  if (replay.Area < 1 || replay.Area > 2 || replay.BombKind >= kBombKinds || end > 2 || replay.Entered > 7 ||
      version.size() > kMaxVersionLength) {
    return Fail(reason, "damaged header");
  }
  return true;
}

bool LoadReplayFile(const std::string& path, TReplay& replay, std::string& reason, bool anyVersion) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return Fail(reason, "cannot be opened: " + std::string(std::strerror(errno)));
  const std::streamoff size = file.tellg();
  if (size < 0 || static_cast<std::uintmax_t>(size) > kMaxFileBytes) {
    return Fail(reason, "absurd length: " + std::to_string(size) + " bytes");
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) return Fail(reason, "cannot be read");
  if (!DecodeReplay(bytes, replay, reason, anyVersion)) return false;
  // The state must be one this program could have saved, of the game the
  // header names.
  TGame scratch;
  scratch.CreateSprites();
  if (!RestoreGameState(replay.Snapshot, scratch, reason)) return false;
  if (scratch.Area != replay.Area || scratch.BombKind != replay.BombKind) {
    return Fail(reason, "damaged (the header and the game state disagree)");
  }
  return true;
}
