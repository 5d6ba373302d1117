// Stages: the fixed block arrangements of the two areas and the bookkeeping
// of a stage change. Each stage is a list of placements, run in order; the
// order decides which slot each block gets, and so the order blocks are
// scanned in (which block a shot or the laser meets first).
#include "game/game.h"

namespace {

enum class TPlaceHow : std::uint8_t { Row, Column, SlantedRow };

// One call of a placement routine. A and B are (y, unused) for a row,
// (x, y) for a column and (y, dy) for a slanted row.
struct TPlacement {
  TPlaceHow How;
  std::int32_t Kind;
  std::int32_t Count;
  std::int32_t Gap;
  std::int32_t A;
  std::int32_t B;
};

struct TStagePlacement {
  std::int32_t Stage;
  TPlacement Place;
};

constexpr TPlacement R(std::int32_t kind, std::int32_t n, std::int32_t gap, std::int32_t y) {
  return {TPlaceHow::Row, kind, n, gap, y, 0};
}
constexpr TPlacement C(std::int32_t kind, std::int32_t n, std::int32_t gap, std::int32_t x, std::int32_t y) {
  return {TPlaceHow::Column, kind, n, gap, x, y};
}
constexpr TPlacement S(std::int32_t kind, std::int32_t n, std::int32_t gap, std::int32_t y, std::int32_t dy) {
  return {TPlaceHow::SlantedRow, kind, n, gap, y, dy};
}

// R(kind, count, gap, y), C(kind, count, gap, x, y), S(kind, count, gap, y, dy).
constexpr TStagePlacement kFirstArea[] = {
    {1, R(0, 25, 8, 30)}, {1, R(0, 24, 8, 38)}, {1, R(0, 25, 8, 46)},
    {2, C(1, 10, 16, 300, 0)}, {2, C(1, 10, 16, 340, 0)},
    {3, R(0, 20, 8, 40)}, {3, R(1, 25, 3, 90)},
    {4, R(4, 5, 0, 50)}, {4, R(4, 5, 0, 66)}, {4, R(4, 5, 0, 82)}, {4, R(4, 5, 0, 98)}, {4, R(4, 5, 0, 114)},
    {5, R(0, 15, 12, 40)}, {5, R(4, 15, 10, 70)},
    {6, R(5, 7, 16, 20)}, {6, R(5, 6, 16, 36)}, {6, R(5, 5, 16, 52)}, {6, R(5, 4, 16, 68)}, {6, R(5, 3, 16, 84)},
    {6, R(5, 2, 16, 100)}, {6, R(5, 1, 16, 116)},
    {7, R(2, 14, 8, 50)}, {7, R(2, 15, 8, 58)}, {7, R(2, 14, 8, 66)}, {7, R(2, 15, 8, 74)},
    {8, R(0, 10, 16, 30)}, {8, R(1, 10, 16, 46)}, {8, R(2, 10, 16, 62)}, {8, R(4, 20, 0, 90)},
    {9, C(6, 3, 12, 40, 60)}, {9, C(6, 3, 12, 110, 68)}, {9, C(6, 3, 12, 180, 60)}, {9, C(6, 3, 12, 250, 68)},
    {9, C(6, 3, 12, 320, 60)}, {9, C(6, 3, 12, 390, 68)}, {9, C(6, 3, 12, 460, 60)}, {9, C(6, 3, 12, 530, 68)},
    {9, C(6, 3, 12, 600, 60)},
    {10, R(4, 14, 16, 40)}, {10, R(6, 15, 16, 40)},
    {11, R(5, 14, 16, 80)}, {11, R(6, 15, 16, 80)},
    {12, R(4, 14, 16, 120)}, {12, R(5, 15, 16, 120)},
    {13, R(4, 14, 16, 60)}, {13, R(5, 14, 16, 160)}, {13, R(6, 15, 16, 60)}, {13, R(6, 15, 16, 160)},
    {14, R(3, 30, 8, 200)}, {14, R(3, 31, 8, 192)},
    {15, R(0, 8, 0, 50)}, {15, R(3, 8, 1, 70)}, {15, R(3, 8, 4, 90)}, {15, R(3, 8, 9, 110)}, {15, R(3, 8, 16, 130)},
    {15, R(3, 8, 25, 150)}, {15, R(3, 8, 36, 170)}, {15, R(3, 8, 49, 190)},
    {16, C(5, 2, 0, 288, 42)}, {16, C(5, 4, 0, 320, 10)}, {16, C(5, 2, 0, 352, 42)}, {16, R(5, 5, 0, 74)},
    {16, R(5, 5, 0, 100)}, {16, R(5, 3, 16, 116)}, {16, R(5, 5, 0, 132)}, {16, R(5, 3, 16, 148)}, {16, R(5, 5, 0, 164)},
    {17, C(6, 12, 4, 100, 50)}, {17, S(6, 11, 16, 50, 20)}, {17, C(7, 12, 4, 540, 50)}, {17, S(7, 11, 16, 70, 20)},
    {18, S(3, 10, 16, 40, 16)}, {18, S(3, 9, 16, 64, 16)}, {18, S(3, 8, 16, 88, 16)}, {18, S(3, 7, 16, 112, 16)},
    {18, S(3, 6, 16, 136, 16)}, {18, S(3, 5, 16, 160, 16)}, {18, S(3, 4, 16, 184, 16)}, {18, S(3, 3, 16, 208, 16)},
    {18, S(3, 2, 16, 232, 16)}, {18, S(3, 1, 16, 256, 16)},
    {19, S(4, 10, 8, 256, -24)}, {19, S(4, 10, 8, 40, 24)},
    {20, R(8, 5, 24, 100)}, {20, R(6, 3, 60, 150)}, {20, R(2, 15, 12, 50)}, {20, R(2, 16, 12, 200)},
    {21, R(0, 16, 0, 30)}, {21, R(4, 13, 8, 80)}, {21, R(8, 10, 16, 130)},
    {22, R(9, 9, 32, 20)}, {22, R(5, 10, 40, 56)}, {22, R(9, 9, 32, 84)},
    {23, R(0, 8, 52, 40)}, {23, R(1, 8, 52, 80)}, {23, R(2, 8, 52, 120)}, {23, R(3, 8, 52, 160)},
    {23, R(0, 8, 52, 200)}, {23, R(1, 8, 52, 240)}, {23, R(2, 8, 52, 280)},
    {24, R(7, 8, 40, 40)}, {24, R(6, 8, 40, 80)}, {24, R(5, 8, 40, 120)}, {24, R(4, 8, 40, 160)},
    {24, R(7, 8, 40, 200)}, {24, R(6, 8, 40, 240)}, {24, R(5, 8, 40, 280)},
    {25, R(8, 8, 32, 40)}, {25, R(9, 8, 32, 100)}, {25, R(10, 8, 32, 160)}, {25, R(11, 8, 32, 220)},
};

constexpr TStagePlacement kSecondArea[] = {
    {1, R(0, 35, 0, 40)}, {1, R(0, 35, 0, 48)},
    {2, R(2, 3, 16, 20)}, {2, R(2, 7, 16, 36)}, {2, R(2, 11, 16, 52)}, {2, R(2, 15, 16, 68)}, {2, R(2, 11, 16, 84)},
    {2, R(2, 7, 16, 100)}, {2, R(2, 3, 16, 116)},
    {3, R(1, 10, 0, 40)}, {3, R(1, 10, 16, 60)}, {3, R(1, 10, 0, 80)}, {3, R(1, 10, 16, 100)}, {3, R(1, 10, 0, 120)},
    {4, R(3, 7, 2, 50)}, {4, R(3, 7, 2, 60)}, {4, R(3, 7, 2, 70)}, {4, R(3, 7, 2, 80)}, {4, R(3, 7, 2, 90)},
    {5, R(0, 12, 4, 40)}, {5, R(1, 12, 8, 56)}, {5, R(2, 12, 12, 72)}, {5, R(3, 12, 16, 88)},
    {6, R(4, 8, 16, 30)}, {6, R(4, 7, 16, 46)}, {6, R(4, 8, 16, 62)}, {6, R(4, 7, 16, 78)},
    {7, R(2, 50, 2, 30)}, {7, R(10, 1, 40, 80)},
    {8, R(2, 10, 36, 30)}, {8, R(2, 11, 36, 38)}, {8, R(2, 10, 36, 46)}, {8, R(9, 2, 100, 62)}, {8, R(2, 10, 36, 94)},
    {8, R(2, 11, 36, 102)}, {8, R(2, 10, 36, 110)},
    {9, R(4, 22, 12, 96)}, {9, C(11, 3, 32, 304, 64)}, {9, C(11, 3, 32, 336, 64)},
    {10, C(5, 5, 16, 128, 30)}, {10, C(5, 5, 16, 192, 42)}, {10, C(5, 5, 16, 256, 54)}, {10, C(5, 5, 16, 320, 66)},
    {10, C(5, 5, 16, 384, 78)}, {10, C(5, 5, 16, 448, 90)}, {10, C(5, 5, 16, 512, 102)},
    {11, C(6, 8, 8, 224, 40)}, {11, C(6, 8, 8, 272, 40)}, {11, C(6, 8, 8, 320, 40)}, {11, C(6, 8, 8, 368, 40)},
    {11, C(6, 8, 8, 416, 40)},
    {12, C(6, 1, 8, 80, 70)}, {12, C(6, 1, 8, 128, 70)}, {12, C(6, 2, 8, 176, 70)}, {12, C(6, 2, 8, 224, 70)},
    {12, C(6, 3, 8, 272, 70)}, {12, C(6, 3, 8, 320, 70)}, {12, C(6, 4, 8, 368, 70)}, {12, C(6, 4, 8, 416, 70)},
    {12, C(6, 5, 8, 464, 70)}, {12, C(6, 5, 8, 512, 70)}, {12, C(6, 6, 8, 560, 70)},
    {13, R(5, 14, 16, 50)}, {13, R(7, 15, 16, 50)},
    {14, R(4, 20, 4, 30)}, {14, R(4, 20, 4, 62)}, {14, R(4, 20, 4, 94)},
    {15, R(4, 14, 16, 50)}, {15, R(7, 15, 16, 50)}, {15, R(4, 14, 16, 66)}, {15, R(7, 15, 16, 66)},
    {15, R(14, 3, 48, 90)},
    {16, R(4, 14, 16, 80)}, {16, R(5, 15, 16, 80)}, {16, R(6, 14, 16, 110)}, {16, R(7, 15, 16, 110)},
    {17, R(3, 1, 0, 20)}, {17, R(3, 5, 0, 28)}, {17, R(3, 1, 0, 36)}, {17, R(3, 3, 0, 44)}, {17, R(3, 5, 0, 60)},
    {17, R(3, 2, 24, 68)}, {17, R(3, 5, 0, 76)}, {17, R(7, 5, 0, 100)}, {17, R(7, 3, 16, 116)}, {17, R(7, 5, 0, 132)},
    {17, R(7, 3, 16, 148)}, {17, R(7, 5, 0, 164)},
    {18, C(4, 9, 8, 40, 20)}, {18, C(6, 9, 8, 600, 20)}, {18, R(8, 12, 14, 40)},
    {19, R(13, 3, 16, 40)}, {19, R(7, 14, 8, 80)}, {19, R(13, 4, 16, 104)}, {19, R(7, 13, 8, 144)},
    {20, R(4, 15, 0, 30)}, {20, R(5, 16, 0, 46)}, {20, R(6, 15, 0, 62)}, {20, R(7, 16, 0, 78)},
    {21, R(0, 10, 32, 20)}, {21, R(4, 10, 24, 60)}, {21, R(8, 10, 16, 100)}, {21, R(12, 10, 8, 140)},
    {22, R(9, 10, 14, 30)}, {22, R(10, 10, 14, 90)}, {22, R(11, 10, 14, 150)}, {22, R(12, 10, 14, 210)},
    {23, R(2, 10, 24, 50)}, {23, R(5, 8, 24, 90)}, {23, R(8, 6, 24, 130)}, {23, R(11, 4, 24, 170)},
    {24, R(14, 10, 0, 30)}, {24, R(14, 11, 0, 62)}, {24, R(14, 10, 0, 94)},
    {25, R(0, 20, 12, 30)}, {25, R(15, 8, 0, 60)}, {25, R(15, 9, 0, 100)}, {25, R(15, 10, 0, 140)},
    {25, R(15, 11, 0, 180)},
};

constexpr std::int32_t kStagesPerArea = 25;

// Size of a block of KIND, in pixels.
std::int32_t BlockSize(std::int32_t kind) { return 8 * (kind / 4 + 1); }

}  // namespace

void TGame::PlaceRow(std::int32_t kind, std::int32_t n, std::int32_t gap, std::int32_t y) {
  PlaceSlantedRow(kind, n, gap, y, 0);
}

void TGame::PlaceColumn(std::int32_t kind, std::int32_t n, std::int32_t gap, std::int32_t x, std::int32_t y) {
  const std::int32_t size = BlockSize(kind);
  const std::int32_t pitch = size + gap;
  for (std::int32_t i = 0; i < n; ++i) SpawnBlock(kind, x - size / 2, y + i * pitch, 0, 0.0);
}

void TGame::PlaceSlantedRow(std::int32_t kind, std::int32_t n, std::int32_t gap, std::int32_t y, std::int32_t dy) {
  const std::int32_t size = BlockSize(kind);
  const std::int32_t pitch = size + gap;
  // Centred on the middle of the screen.
  const std::int32_t half = ((n - 1) * pitch + size) / 2;
  for (std::int32_t i = 0; i < n; ++i) SpawnBlock(kind, kScreenWidth / 2 - half + i * pitch, y + i * dy, 0, 0.0);
}

bool TGame::BuildStage(std::int32_t area, std::int32_t stage) {
  if (stage < 1 || stage > kStagesPerArea) return false;
  const auto run = [this, stage](const auto& table) {
    for (const TStagePlacement& entry : table) {
      if (entry.Stage != stage) continue;
      const TPlacement& p = entry.Place;
      switch (p.How) {
        case TPlaceHow::Row: PlaceRow(p.Kind, p.Count, p.Gap, p.A); break;
        case TPlaceHow::Column: PlaceColumn(p.Kind, p.Count, p.Gap, p.A, p.B); break;
        case TPlaceHow::SlantedRow: PlaceSlantedRow(p.Kind, p.Count, p.Gap, p.A, p.B); break;
      }
    }
  };
  if (area == 2) {
    run(kSecondArea);
  } else {
    run(kFirstArea);
  }
  return true;
}

void TGame::NextStage() {
  // Bullets still flying when the field is cleared count as hits of the
  // running combo.
  VanishBullets();
  ComboHits += ExitCount;
  if (ComboBonusArmed) Multiplier += 10 * ComboHits;
  ComboBonusArmed = true;
  // The combo does not run out before the first block of the new stage falls.
  ComboTimer = -1;
  StageBannerTime = 150;
  AddShield(100);
  // Past the last stage the area starts again one round harder; the field is
  // left empty, so the next frame builds stage 1.
  if (!BuildStage(Area, StageNumber)) {
    StageNumber = 0;
    ++RoundNumber;
  }
}
