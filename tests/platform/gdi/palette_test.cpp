// Logical palettes, the system palette of an 8-bit display and what
// realising a palette does to it.
#include <vector>

#include "platform/faults.h"
#include "platform/window_registry.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace platform::gdi::testing {
namespace {

class EightBitDisplay : public GdiTest {
 protected:
  void SetUp() override {
    GdiTest::SetUp();
    ASSERT_TRUE(ChangeDisplayMode(DisplayMode{640, 480, 8, 0}));
    screen_ = GetDC(nullptr);
    ASSERT_NE(screen_, nullptr);
  }
  void TearDown() override {
    ReleaseDC(nullptr, screen_);
    GdiTest::TearDown();
  }

  std::vector<PALETTEENTRY> System() {
    std::vector<PALETTEENTRY> entries(256);
    EXPECT_EQ(GetSystemPaletteEntries(screen_, 0, 256, entries.data()), 256u);
    return entries;
  }

  // Selects and realises a palette of ENTRIES; returns RealizePalette's count.
  UINT Realize(HDC dc, const std::vector<PALETTEENTRY>& entries, BOOL background = FALSE) {
    HPALETTE palette = MakePalette(entries);
    EXPECT_NE(SelectPalette(dc, palette, background), nullptr);
    return RealizePalette(dc);
  }

  HDC screen_ = nullptr;
};

bool SameColour(const PALETTEENTRY& e, BYTE r, BYTE g, BYTE b) { return e.peRed == r && e.peGreen == g && e.peBlue == b; }

TEST_F(EightBitDisplay, SystemPaletteHoldsTheTwentyStaticColours) {
  const std::vector<PALETTEENTRY> system = System();
  for (int i = 0; i < 20; ++i) {
    const int index = i < 10 ? i : 236 + i;
    const auto& c = kDocumentedStatics[i];
    EXPECT_TRUE(SameColour(system[index], c[0], c[1], c[2])) << index;
    EXPECT_EQ(system[index].peFlags, 0) << index;
  }
  for (int i = 10; i < 246; ++i) EXPECT_TRUE(SameColour(system[i], 0, 0, 0)) << i;

  PALETTEENTRY some[10];
  EXPECT_EQ(GetSystemPaletteEntries(screen_, 250, 10, some), 6u);
  EXPECT_TRUE(SameColour(some[5], 255, 255, 255));
  EXPECT_EQ(GetSystemPaletteEntries(screen_, 256, 1, some), 0u);
  EXPECT_EQ(GetSystemPaletteEntries(screen_, 0, 0, nullptr), 256u);  // the palette's size
  EXPECT_EQ(GetSystemPaletteEntries(nullptr, 0, 1, some), 0u);

  // The default palette every context starts with holds the same 20 colours.
  PALETTEENTRY defaults[20];
  ASSERT_EQ(GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, defaults), 20u);
  EXPECT_TRUE(SameColour(defaults[9], 166, 202, 240));
  EXPECT_TRUE(SameColour(defaults[10], 255, 251, 240));

  RestoreDesktopMode();
  EXPECT_EQ(GetSystemPaletteEntries(screen_, 0, 256, some), 0u);  // not palettised
  InjectFault("GetSystemPaletteEntries", E_FAIL);
  ASSERT_TRUE(ChangeDisplayMode(DisplayMode{640, 480, 8, 0}));
  EXPECT_EQ(GetSystemPaletteEntries(screen_, 0, 1, some), 0u);
}

// The windowed display's palette update: blacken the free entries with a
// black palette and the default one, read the system palette, put the
// program's 236 colours over its free entries and realise that.
TEST_F(EightBitDisplay, ForegroundRealisationGivesAnIdentityPalette) {
  std::vector<PALETTEENTRY> colours(256);
  for (int i = 0; i < 256; ++i) colours[i] = Entry(static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), PC_NOCOLLAPSE);
  // Some free entries stop being black first, as another program would leave them.
  EXPECT_EQ(Realize(screen_, {Entry(9, 9, 9, PC_NOCOLLAPSE), Entry(8, 8, 8, PC_NOCOLLAPSE)}), 2u);

  EXPECT_EQ(Realize(screen_, std::vector<PALETTEENTRY>(256, Entry(0, 0, 0, PC_NOCOLLAPSE))), 236u);
  SelectPalette(screen_, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  EXPECT_EQ(RealizePalette(screen_), 0u);

  std::vector<PALETTEENTRY> update = System();
  for (int i = 10; i < 246; ++i) {
    EXPECT_TRUE(SameColour(update[i], 0, 0, 0)) << i;
    update[i] = colours[i];
  }
  HWND window = windows::Create(RECT{0, 0, 640, 480});
  HDC dc = GetDC(window);
  EXPECT_EQ(Realize(dc, update), 236u);
  const std::vector<PALETTEENTRY> system = System();
  for (int i = 10; i < 246; ++i) EXPECT_TRUE(SameColour(system[i], colours[i].peRed, colours[i].peGreen, colours[i].peBlue)) << i;
  EXPECT_TRUE(SameColour(system[0], 0, 0, 0));
  EXPECT_TRUE(SameColour(system[255], 255, 255, 255));
  EXPECT_EQ(ReleaseDC(window, dc), 1);
}

TEST_F(EightBitDisplay, MatchingEntriesCollapseUnlessTheyAskNotTo) {
  EXPECT_EQ(Realize(screen_, {Entry(255, 0, 0),                  // a static colour: shares entry 249
                              Entry(255, 0, 0, PC_NOCOLLAPSE),   // takes 10
                              Entry(1, 2, 3),                    // takes 11
                              Entry(1, 2, 3),                    // shares 11
                              Entry(4, 5, 6, PC_RESERVED),       // takes 12
                              Entry(4, 5, 6, PC_RESERVED),       // takes 13
                              Entry(7, 8, 9, PC_EXPLICIT)}),     // names a system entry: takes none
            4u);
  const std::vector<PALETTEENTRY> system = System();
  EXPECT_TRUE(SameColour(system[10], 255, 0, 0));
  EXPECT_TRUE(SameColour(system[11], 1, 2, 3));
  EXPECT_TRUE(SameColour(system[12], 4, 5, 6));
  EXPECT_TRUE(SameColour(system[13], 4, 5, 6));
  EXPECT_TRUE(SameColour(system[14], 0, 0, 0));
}

TEST_F(EightBitDisplay, BackgroundRealisationKeepsWhatOthersHold) {
  HWND window = windows::Create(RECT{0, 0, 100, 100});
  HDC other = GetDC(window);
  EXPECT_EQ(Realize(screen_, {Entry(1, 1, 1), Entry(2, 2, 2), Entry(3, 3, 3)}), 3u);
  EXPECT_EQ(Realize(other, {Entry(2, 2, 2), Entry(4, 4, 4), Entry(5, 5, 5)}, TRUE), 2u);
  std::vector<PALETTEENTRY> system = System();
  EXPECT_TRUE(SameColour(system[10], 1, 1, 1));
  EXPECT_TRUE(SameColour(system[12], 3, 3, 3));
  EXPECT_TRUE(SameColour(system[13], 4, 4, 4));
  EXPECT_TRUE(SameColour(system[14], 5, 5, 5));

  // An inactive application realises in the background too.
  SetAppActive(false);
  EXPECT_EQ(Realize(other, {Entry(6, 6, 6)}), 1u);
  EXPECT_TRUE(SameColour(System()[15], 6, 6, 6));
  // Back in the foreground the palette takes the free entries from 10 on.
  SetAppActive(true);
  EXPECT_EQ(RealizePalette(other), 1u);
  system = System();
  EXPECT_TRUE(SameColour(system[10], 6, 6, 6));
  EXPECT_EQ(ReleaseDC(window, other), 1);
}

TEST_F(EightBitDisplay, WhenEveryEntryIsHeldTheRestShareTheNearest) {
  std::vector<PALETTEENTRY> many(236);
  for (int i = 0; i < 236; ++i) many[i] = Entry(static_cast<BYTE>(i), 1, 1, PC_NOCOLLAPSE);
  EXPECT_EQ(Realize(screen_, many), 236u);
  HDC other = GetDC(nullptr);
  EXPECT_EQ(Realize(other, {Entry(250, 250, 1), Entry(1, 250, 250)}, TRUE), 0u);
  EXPECT_TRUE(SameColour(System()[245], 235, 1, 1));
  ReleaseDC(nullptr, other);
}

TEST_F(EightBitDisplay, OnlyTheDisplaysContextsTouchTheSystemPalette) {
  HDC memory = CreateCompatibleDC(screen_);
  EXPECT_EQ(Realize(memory, {Entry(1, 2, 3, PC_NOCOLLAPSE)}), 0u);
  SurfaceMemory surface(1, 1, PixelFormat::Indexed8());
  EXPECT_EQ(Realize(surface.dc(), {Entry(1, 2, 3, PC_NOCOLLAPSE)}), 0u);
  EXPECT_TRUE(SameColour(System()[10], 0, 0, 0));
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_EQ(Realize(display, {Entry(1, 2, 3, PC_NOCOLLAPSE)}), 1u);
  DeleteDC(display);
  DeleteDC(memory);

  RestoreDesktopMode();  // 32 bits: nothing is mapped
  EXPECT_EQ(Realize(screen_, {Entry(7, 7, 7, PC_NOCOLLAPSE)}), 0u);
  ASSERT_TRUE(ChangeDisplayMode(DisplayMode{640, 480, 8, 0}));
  EXPECT_TRUE(SameColour(System()[11], 0, 0, 0));

  HDC ic = CreateICA("Display", nullptr, nullptr, nullptr);
  EXPECT_EQ(SelectPalette(ic, MakePalette({Entry(1, 1, 1)}), FALSE), nullptr);
  EXPECT_EQ(RealizePalette(ic), GDI_ERROR);
  DeleteDC(ic);
  InjectFault("RealizePalette", E_FAIL);
  EXPECT_EQ(RealizePalette(screen_), GDI_ERROR);
}

TEST_F(EightBitDisplay, DirectDrawWritesEntriesThatThenStayHeld) {
  const PALETTEENTRY written[3] = {Entry(10, 20, 30, PC_NOCOLLAPSE), Entry(40, 50, 60), Entry(70, 80, 90)};
  SetSystemPaletteEntries(10, 3, written);
  SetSystemPaletteEntries(255, 3, written);  // only entry 255 exists
  SetSystemPaletteEntries(256, 1, written);
  SetSystemPaletteEntries(0, 1, nullptr);
  std::vector<PALETTEENTRY> system = System();
  EXPECT_TRUE(SameColour(system[12], 70, 80, 90));
  EXPECT_EQ(system[10].peFlags, 0);
  EXPECT_TRUE(SameColour(system[255], 10, 20, 30));
  EXPECT_TRUE(SameColour(SystemPaletteEntries()[11], 40, 50, 60));
  EXPECT_EQ(Realize(screen_, {Entry(1, 1, 1)}, TRUE), 1u);
  EXPECT_TRUE(SameColour(System()[13], 1, 1, 1));
}

using Palettes = GdiTest;

TEST_F(Palettes, CreateSelectQueryAndDelete) {
  std::vector<std::uint8_t> storage(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
  logical->palVersion = 0x200;
  logical->palNumEntries = 1;
  EXPECT_EQ(CreatePalette(logical), nullptr);
  logical->palVersion = 0x300;
  logical->palNumEntries = 0;
  EXPECT_EQ(CreatePalette(logical), nullptr);
  logical->palNumEntries = 257;
  EXPECT_EQ(CreatePalette(logical), nullptr);
  EXPECT_EQ(CreatePalette(nullptr), nullptr);

  HPALETTE palette = MakePalette({Entry(255, 0, 0, PC_NOCOLLAPSE), Entry(0, 255, 0), Entry(0, 0, 250)});
  ASSERT_NE(palette, nullptr);
  PALETTEENTRY entries[4] = {};
  EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 3u);
  EXPECT_EQ(GetPaletteEntries(palette, 1, 4, entries), 2u);
  EXPECT_TRUE(SameColour(entries[1], 0, 0, 250));
  EXPECT_EQ(GetPaletteEntries(palette, 3, 1, entries), 0u);
  WORD count = 0;
  EXPECT_EQ(GetObjectA(palette, sizeof count, &count), 2);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(10, 10, 200)), 2u);
  EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(200, 30, 30)), 0u);

  HDC dc = CreateCompatibleDC(nullptr);
  const HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(SelectPalette(dc, palette, FALSE), stock);
  EXPECT_EQ(DeleteObject(palette), FALSE);  // still selected
  EXPECT_EQ(SelectPalette(dc, stock, FALSE), palette);
  EXPECT_EQ(DeleteObject(palette), TRUE);
  EXPECT_EQ(GetNearestPaletteIndex(palette, 0), CLR_INVALID);
  EXPECT_EQ(DeleteObject(stock), TRUE);  // nothing happens to a stock object
  EXPECT_EQ(GetPaletteEntries(stock, 0, 0, nullptr), 20u);

  // A palette selected into a context that is then deleted is free again.
  palette = MakePalette({Entry(1, 1, 1)});
  SelectPalette(dc, palette, FALSE);
  DeleteDC(dc);
  EXPECT_EQ(DeleteObject(palette), TRUE);

  for (const char* call : {"CreatePalette", "SelectPalette", "GetNearestPaletteIndex", "GetPaletteEntries", "GetStockObject"})
    InjectFault(call, E_FAIL);
  EXPECT_EQ(MakePalette({Entry(1, 1, 1)}), nullptr);
  palette = MakePalette({Entry(1, 1, 1)});
  dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectPalette(dc, palette, FALSE), nullptr);
  EXPECT_EQ(GetNearestPaletteIndex(palette, 0), CLR_INVALID);
  EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 0u);
  EXPECT_EQ(GetStockObject(DEFAULT_PALETTE), nullptr);
  EXPECT_EQ(GetNearestPaletteIndex(palette, 0), 0u);
  DeleteDC(dc);
}

}  // namespace
}  // namespace platform::gdi::testing
