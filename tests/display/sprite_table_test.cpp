// The sprite table without a display: creation, layer lists and their
// filing, numbers outside the table, entry sizes and scaling, animation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "surfaces/brin_sprite.h"

namespace {

using ::testing::ElementsAre;

TEST(SpriteTable, CreationStartsEveryEntryAndShapeEmpty) {
  TBrinSprite table(720, 400);
  EXPECT_EQ(table.EntryCount, 720);
  EXPECT_EQ(table.ShapeCount, 400);
  ASSERT_EQ(table.Entries.size(), 720u);
  ASSERT_EQ(table.Shape.size(), 400u);
  for (std::int32_t n = 0; n < 720; ++n) {
    TBrinSprReg* e = table.Entry(n);
    ASSERT_EQ(e, table.Entries[static_cast<std::size_t>(n)].get());
    EXPECT_EQ(e->Owner, &table);
    EXPECT_EQ(e->XNum, 1);
    EXPECT_EQ(e->XDen, 1);
    EXPECT_EQ(e->YNum, 1);
    EXPECT_EQ(e->YDen, 1);
    EXPECT_FALSE(e->ScaleX || e->ScaleY || e->Visible || e->PingPong || e->Reverse);
    EXPECT_EQ(e->IShape | e->AnimFrame | e->AnimFirst | e->AnimLast | e->X | e->Y | e->Z, 0);
    EXPECT_EQ(e->Alpha, 0u);
  }
  for (const TBrinSpriteShape& s : table.Shape) {
    EXPECT_EQ(s.Surface, nullptr);
    EXPECT_EQ(s.Rect.left | s.Rect.top | s.Rect.right | s.Rect.bottom, 0);
  }
  // The effects records are sized for this platform and otherwise zero.
  static_assert(sizeof(DDBLTFX) == 128);
  DDBLTFX blank;
  std::memset(&blank, 0, sizeof blank);
  blank.dwSize = sizeof blank;
  EXPECT_EQ(std::memcmp(&table.PlainFx, &blank, sizeof blank), 0);
  EXPECT_EQ(std::memcmp(&table.AlphaFx, &blank, sizeof blank), 0);
  // One layer of 1024 slots, empty until the first SortByZ.
  EXPECT_EQ(table.MaxZ, 0);
  EXPECT_EQ(table.SlotShift, 10);
  EXPECT_EQ(table.LayerSlots.size(), 1024u);
  EXPECT_THAT(table.LayerCounts, ElementsAre(0));
}

TEST(SpriteTable, LayerListsHoldEveryEntryInAPowerOfTwo) {
  const struct {
    std::int32_t entries, shift;
  } cases[] = {{0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {720, 10}, {1024, 10}, {1025, 11}};
  for (const auto& c : cases) {
    TBrinSprite table(c.entries, 1);
    EXPECT_EQ(table.SlotShift, c.shift) << c.entries;
    EXPECT_EQ(table.LayerSlots.size(), std::size_t{1} << c.shift) << c.entries;
  }
  TBrinSprite table(720, 1);
  table.SetMaxZ(2);
  EXPECT_EQ(table.MaxZ, 2);
  EXPECT_EQ(table.LayerSlots.size(), 3u * 1024u);
  EXPECT_THAT(table.LayerCounts, ElementsAre(0, 0, 0));
}

TEST(SpriteTable, SortByZFilesVisibleEntriesHighestNumberFirst) {
  TBrinSprite table(720, 1);
  table.SetMaxZ(2);
  for (std::int32_t n : {3, 700, 15, 16, 400, 719, 0}) table.Entry(n)->Show();
  table.Entry(15)->Z = 2;
  table.Entry(400)->Z = 2;
  table.Entry(16)->Z = 1;
  table.Entry(5)->Z = 1;  // invisible: not filed
  table.SortByZ();
  EXPECT_THAT(table.LayerCounts, ElementsAre(4, 1, 2));
  const auto layer = [&](int z, int i) { return table.LayerSlots[static_cast<std::size_t>((z << table.SlotShift) + i)]; };
  EXPECT_EQ(layer(0, 0), 719);
  EXPECT_EQ(layer(0, 1), 700);
  EXPECT_EQ(layer(0, 2), 3);
  EXPECT_EQ(layer(0, 3), 0);
  EXPECT_EQ(layer(1, 0), 16);
  EXPECT_EQ(layer(2, 0), 400);
  EXPECT_EQ(layer(2, 1), 15);
  // The next frame starts its lists afresh.
  table.Entry(719)->Hide();
  table.Entry(400)->Hide();
  table.SortByZ();
  EXPECT_THAT(table.LayerCounts, ElementsAre(3, 1, 1));
  // Every entry in one layer fits: the lists are sized for the worst case.
  for (auto& e : table.Entries) {
    e->Show();
    e->Z = 1;
  }
  table.SortByZ();
  EXPECT_THAT(table.LayerCounts, ElementsAre(0, 720, 0));
  EXPECT_EQ(layer(1, 719), 0);
}

TEST(SpriteTable, NumbersOutsideTheTableAreRefused) {
  TBrinGenSurface sheet(nullptr, nullptr, 64, 64);
  TBrinSprite table(720, 400);
  EXPECT_EQ(table.Entry(-1), nullptr);
  EXPECT_EQ(table.Entry(720), nullptr);
  EXPECT_EQ(table.Entry(std::numeric_limits<std::int32_t>::min()), nullptr);
  table.SetShape(-1, &sheet, Rect(0, 0, 8, 8));
  table.SetShape(400, &sheet, Rect(0, 0, 8, 8));
  for (const TBrinSpriteShape& s : table.Shape) EXPECT_EQ(s.Surface, nullptr);
  table.SetShape(399, &sheet, Rect(0, 0, 8, 8));
  EXPECT_EQ(table.Shape[399].Surface, &sheet);

  // A negative layer range would leave no list to file into: refused.
  table.SetMaxZ(3);
  table.SetMaxZ(-1);
  EXPECT_EQ(table.MaxZ, 3);
  EXPECT_EQ(table.LayerCounts.size(), 4u);

  // Negative counts make an empty table that still files and draws nothing.
  TBrinSprite empty(-5, -1);
  EXPECT_EQ(empty.EntryCount, 0);
  EXPECT_EQ(empty.ShapeCount, 0);
  EXPECT_EQ(empty.Entry(0), nullptr);
  empty.SetShape(0, &sheet, Rect(0, 0, 8, 8));
  EXPECT_TRUE(empty.Shape.empty());
  empty.SortByZ();
  EXPECT_THAT(empty.LayerCounts, ElementsAre(0));
}

class SpriteSize : public ::testing::Test {
 protected:
  void SetUp() override {
    table.SetShape(0, &sheet, Rect(0, 0, 16, 16));
    table.SetShape(1, &sheet, Rect(16, 0, 48, 8));     // 32 x 8
    table.SetShape(2, &sheet, Rect(40, 30, 10, 20));   // reversed: 30 x 10
    table.SetShape(3, &sheet, Rect(0, 50, 20, 50));    // no height
    entry = table.Entry(5);
  }
  TBrinGenSurface sheet{nullptr, nullptr, 64, 64};
  TBrinSprite table{10, 4};
  TBrinSprReg* entry = nullptr;
};

TEST_F(SpriteSize, WidthAndHeightFollowTheCurrentFrameAndItsScale) {
  EXPECT_EQ(entry->Width(), 16);
  entry->AnimFrame = 1;
  EXPECT_EQ(entry->Width(), 32);
  EXPECT_EQ(entry->Height(), 8);
  entry->IShape = 1;  // frame 1 of shape 1 is shape 2, its rectangle reversed
  EXPECT_EQ(entry->Width(), 30);
  EXPECT_EQ(entry->Height(), 10);
  // Factors apply only while their axis is scaled, and truncate.
  entry->XNum = 2;
  entry->XDen = 3;
  EXPECT_EQ(entry->Width(), 30);
  entry->ScaleX = true;
  EXPECT_EQ(entry->Width(), 20);
  entry->XNum = -1;
  entry->XDen = 4;
  EXPECT_EQ(entry->Width(), -7);
  EXPECT_EQ(entry->Height(), 10);
  // A zero denominator leaves the entry without a drawable size.
  entry->XDen = 0;
  EXPECT_EQ(entry->Width(), 0);
  // Factors far beyond the picture pin the size to the 32-bit range.
  entry->XNum = std::numeric_limits<std::int32_t>::max();
  entry->XDen = 1;
  EXPECT_EQ(entry->Width(), std::numeric_limits<std::int32_t>::max());
  // Shape numbers outside the table have no size.
  entry->IShape = 3;
  EXPECT_EQ(entry->Width(), 0);
  EXPECT_EQ(entry->Height(), 0);
  entry->IShape = -2;
  EXPECT_EQ(entry->Height(), 0);
  entry->IShape = std::numeric_limits<std::int32_t>::max();  // the sum passes 32 bits
  EXPECT_EQ(entry->Height(), 0);
}

TEST_F(SpriteSize, SetHeightScalesTheCurrentShapeAndItsOwnHeightUndoesIt) {
  entry->SetHeight(40);
  EXPECT_TRUE(entry->ScaleY);
  EXPECT_EQ(entry->YNum, 40);
  EXPECT_EQ(entry->YDen, 16);
  EXPECT_EQ(entry->Height(), 40);
  EXPECT_EQ(entry->Width(), 16);
  entry->SetHeight(16);
  EXPECT_FALSE(entry->ScaleY);
  EXPECT_EQ(entry->YNum, 1);
  EXPECT_EQ(entry->YDen, 1);
  EXPECT_EQ(entry->Height(), 16);
  // The denominator is the height of the shape shown now.
  entry->AnimFrame = 1;
  entry->SetHeight(2);
  EXPECT_EQ(entry->YDen, 8);
  EXPECT_EQ(entry->Height(), 2);
  // A shape of no height has nothing to scale from: only its own height is
  // taken, and switches scaling off.
  entry->AnimFrame = 3;
  entry->SetHeight(5);
  EXPECT_TRUE(entry->ScaleY);
  EXPECT_EQ(entry->YNum, 2);
  EXPECT_EQ(entry->YDen, 8);
  entry->SetHeight(0);
  EXPECT_FALSE(entry->ScaleY);
  // Outside the shape table nothing changes.
  entry->AnimFrame = 0;
  entry->SetHeight(40);
  entry->AnimFrame = 9;
  entry->SetHeight(16);
  EXPECT_TRUE(entry->ScaleY);
  EXPECT_EQ(entry->YNum, 40);
  EXPECT_EQ(entry->YDen, 16);
}

std::vector<std::int32_t> Steps(TBrinSprReg& e, int count) {
  std::vector<std::int32_t> frames;
  for (int i = 0; i < count; ++i) {
    e.Animate();
    frames.push_back(e.AnimFrame);
  }
  return frames;
}

TEST(SpriteAnimation, WrapsFromTheLastFrameToTheFirst) {
  TBrinSprite table(1, 1);
  TBrinSprReg& e = *table.Entry(0);
  e.AnimLast = 3;
  EXPECT_THAT(Steps(e, 6), ElementsAre(1, 2, 3, 0, 1, 2));
  e.AnimFirst = 2;
  e.AnimLast = 4;
  EXPECT_THAT(Steps(e, 4), ElementsAre(3, 4, 2, 3));
  // A frame written past the end goes back to the first on the next step.
  e.AnimFrame = 9;
  EXPECT_THAT(Steps(e, 2), ElementsAre(2, 3));
  e.AnimFrame = std::numeric_limits<std::int32_t>::max();
  EXPECT_THAT(Steps(e, 1), ElementsAre(2));
  EXPECT_FALSE(e.Reverse);
}

TEST(SpriteAnimation, PingPongShowsEachEndOncePerTurn) {
  TBrinSprite table(1, 1);
  TBrinSprReg& e = *table.Entry(0);
  e.PingPong = true;
  e.AnimLast = 3;
  EXPECT_THAT(Steps(e, 9), ElementsAre(1, 2, 3, 2, 1, 0, 1, 2, 3));
  EXPECT_FALSE(e.Reverse);
  e.Animate();
  EXPECT_EQ(e.AnimFrame, 2);
  EXPECT_TRUE(e.Reverse);
  // From frame 3 going forwards: back to 2, now reversing.
  e.AnimFrame = 3;
  e.Reverse = false;
  e.Animate();
  EXPECT_EQ(e.AnimFrame, 2);
  EXPECT_TRUE(e.Reverse);
  // A frame written below the range turns round at the first frame.
  e.AnimFrame = -4;
  e.Animate();
  EXPECT_EQ(e.AnimFrame, 1);
  EXPECT_FALSE(e.Reverse);
}

}  // namespace
