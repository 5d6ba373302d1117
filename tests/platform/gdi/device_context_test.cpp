// Device contexts: the display's capabilities, screen and window contexts,
// memory contexts with their bitmaps, and the handle checks every call makes.
#include <climits>

#include "platform/faults.h"
#include "platform/window_registry.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace platform::gdi::testing {
namespace {

using DisplayCaps = GdiTest;
using DeviceContexts = GdiTest;
using MemoryContexts = GdiTest;

TEST_F(DisplayCaps, FollowTheDisplayModeThroughChangeAndRestore) {
  HDC ic = CreateICA("Display", nullptr, nullptr, nullptr);
  ASSERT_NE(ic, nullptr);
  EXPECT_EQ(GetDeviceCaps(ic, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(ic, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(ic, HORZRES), 1024);
  EXPECT_EQ(GetDeviceCaps(ic, VERTRES), 768);
  EXPECT_EQ(GetDeviceCaps(ic, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetDeviceCaps(ic, SIZEPALETTE), 0);
  EXPECT_EQ(GetDeviceCaps(ic, NUMRESERVED), 0);
  EXPECT_EQ(GetDeviceCaps(ic, NUMCOLORS), -1);

  ASSERT_TRUE(ChangeDisplayMode(DisplayMode{640, 480, 8, 0}));
  EXPECT_EQ(GetDeviceCaps(ic, BITSPIXEL), 8);
  EXPECT_EQ(GetDeviceCaps(ic, HORZRES), 640);
  EXPECT_EQ(GetDeviceCaps(ic, VERTRES), 480);
  EXPECT_NE(GetDeviceCaps(ic, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_NE(GetDeviceCaps(ic, RASTERCAPS) & RC_BITBLT, 0);
  EXPECT_EQ(GetDeviceCaps(ic, SIZEPALETTE), 256);
  EXPECT_EQ(GetDeviceCaps(ic, NUMRESERVED), 20);
  EXPECT_EQ(GetDeviceCaps(ic, NUMCOLORS), 20);
  EXPECT_EQ(GetDeviceCaps(ic, VREFRESH), 60);  // mode without a rate: the back end's

  RestoreDesktopMode();
  EXPECT_EQ(GetDeviceCaps(ic, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(ic, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetDeviceCaps(ic, 9999), 0);
  EXPECT_EQ(DeleteDC(ic), TRUE);
  EXPECT_EQ(GetDeviceCaps(ic, BITSPIXEL), 0);  // a deleted context is no context
  EXPECT_EQ(DeleteDC(ic), FALSE);

  UseDesktopDepth(16);
  HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 16);
  EXPECT_EQ(DeleteDC(dc), TRUE);
}

TEST_F(DisplayCaps, OnlyTheDisplayDriverIsKnownAndFaultsFailEachCall) {
  for (const char* name : {"Display", "DISPLAY", "display"}) {
    HDC ic = CreateICA(name, nullptr, nullptr, nullptr);
    EXPECT_NE(ic, nullptr) << name;
    DeleteDC(ic);
  }
  EXPECT_EQ(CreateICA("Printer", nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateICA("Displays", nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateICA(nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateDCA("WINSPOOL", nullptr, nullptr, nullptr), nullptr);

  InjectFault("CreateICA", E_FAIL);
  EXPECT_EQ(CreateICA("Display", nullptr, nullptr, nullptr), nullptr);
  HDC ic = CreateICA("Display", nullptr, nullptr, nullptr);
  ASSERT_NE(ic, nullptr);
  InjectFault("GetDeviceCaps", E_FAIL);
  EXPECT_EQ(GetDeviceCaps(ic, BITSPIXEL), 0);
  EXPECT_EQ(GetDeviceCaps(ic, BITSPIXEL), 32);
  InjectFault("DeleteDC", S_FALSE);  // any code at all fails a Boolean call
  EXPECT_EQ(DeleteDC(ic), FALSE);
  EXPECT_EQ(DeleteDC(ic), TRUE);
  InjectFault("CreateDCA", E_FAIL);
  EXPECT_EQ(CreateDCA("Display", nullptr, nullptr, nullptr), nullptr);
}

TEST_F(DeviceContexts, ScreenAndWindowContextsCarryPalettesButNoPixels) {
  ASSERT_TRUE(ChangeDisplayMode(DisplayMode{640, 480, 8, 0}));
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 8);
  EXPECT_EQ(GetPixel(screen, 0, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(screen, 0, 0, RGB(1, 2, 3)), CLR_INVALID);
  HPALETTE palette = MakePalette({Entry(1, 2, 3)});
  EXPECT_EQ(SelectPalette(screen, palette, FALSE), GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(SelectPalette(screen, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE), palette);

  HWND window = windows::Create(RECT{10, 10, 650, 490});
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 0);  // not the screen's
  EXPECT_EQ(DeleteDC(dc), FALSE);         // given back with ReleaseDC only
  EXPECT_EQ(ReleaseDC(window, dc), 1);
  EXPECT_EQ(ReleaseDC(window, dc), 0);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_EQ(DeleteObject(palette), TRUE);

  windows::Destroy(window);
  EXPECT_EQ(GetDC(window), nullptr);
  InjectFault("GetDC", E_FAIL);
  EXPECT_EQ(GetDC(nullptr), nullptr);
  screen = GetDC(nullptr);
  InjectFault("ReleaseDC", E_FAIL);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 0);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST_F(DeviceContexts, HandlesOfOneKindAreNeverTakenForAnother) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPALETTE palette = MakePalette({Entry(1, 2, 3)});
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(DeleteObject(dc), FALSE);
  EXPECT_EQ(DeleteDC(reinterpret_cast<HDC>(palette)), FALSE);
  EXPECT_EQ(DeleteDC(reinterpret_cast<HDC>(bitmap)), FALSE);
  EXPECT_EQ(SelectObject(dc, palette), nullptr);  // palettes go through SelectPalette
  EXPECT_EQ(SelectPalette(dc, reinterpret_cast<HPALETTE>(bitmap), FALSE), nullptr);
  EXPECT_EQ(GetPixel(reinterpret_cast<HDC>(0x12345678), 0, 0), CLR_INVALID);
  EXPECT_EQ(DeleteObject(reinterpret_cast<HGDIOBJ>(~std::uintptr_t{0})), FALSE);
  EXPECT_EQ(DeleteObject(nullptr), FALSE);
  EXPECT_EQ(DeleteObject(palette), TRUE);
  EXPECT_EQ(DeleteObject(palette), FALSE);  // already gone, even if its slot is reused
  HPALETTE reused = MakePalette({Entry(4, 5, 6)});
  EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(4, 5, 6)), CLR_INVALID);
  EXPECT_EQ(GetNearestPaletteIndex(reused, RGB(4, 5, 6)), 0u);
  EXPECT_EQ(DeleteObject(bitmap), TRUE);
  EXPECT_EQ(DeleteDC(dc), TRUE);
}

TEST_F(DeviceContexts, InstallingABackEndDropsEverythingLeftOver) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPALETTE palette = MakePalette({Entry(1, 2, 3)});
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 4);
  ASSERT_NE(SelectObject(dc, bitmap), nullptr);
  UseDesktopDepth(8);
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
  EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), 0);
  EXPECT_EQ(DeleteObject(palette), FALSE);
  EXPECT_EQ(DeleteDC(dc), FALSE);
  // The stock palette is there again for new contexts.
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(SelectPalette(screen, palette, FALSE), nullptr);
  EXPECT_NE(GetStockObject(DEFAULT_PALETTE), nullptr);
  EXPECT_EQ(RealizePalette(screen), 0u);  // the default palette: only static colours
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST_F(MemoryContexts, BitmapsSelectIntoOneContextAtATime) {
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(first);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  // A new memory context holds the stock 1 x 1 black bitmap.
  EXPECT_EQ(GetPixel(first, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(first, 1, 0), CLR_INVALID);

  HBITMAP bitmap = CreateCompatibleBitmap(first, 5, 3);  // compatible with the stock bitmap: 8-bit
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(GetObjectA(bitmap, sizeof info - 1, &info), 0);
  ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(info.bmWidth, 5);
  EXPECT_EQ(info.bmHeight, 3);
  EXPECT_EQ(info.bmBitsPixel, 8);
  EXPECT_EQ(info.bmWidthBytes, 8);
  EXPECT_EQ(info.bmPlanes, 1);
  EXPECT_NE(info.bmBits, nullptr);

  const HGDIOBJ stock = SelectObject(first, bitmap);
  ASSERT_NE(stock, nullptr);
  EXPECT_EQ(SelectObject(second, bitmap), nullptr);  // already in FIRST
  EXPECT_EQ(SelectObject(second, stock), stock);     // the stock bitmap may be in both
  EXPECT_EQ(DeleteObject(bitmap), FALSE);             // selected
  EXPECT_EQ(SetPixel(first, 4, 2, RGB(255, 255, 255)), RGB(255, 255, 255));
  EXPECT_EQ(static_cast<std::uint8_t*>(info.bmBits)[2 * info.bmWidthBytes + 4], 1);  // white, the stock table's entry 1
  EXPECT_EQ(DeleteDC(first), TRUE);  // lets go of the bitmap
  EXPECT_EQ(SelectObject(second, bitmap), stock);
  EXPECT_EQ(GetPixel(second, 4, 2), RGB(255, 255, 255));
  EXPECT_EQ(SelectObject(second, stock), bitmap);
  EXPECT_EQ(DeleteObject(bitmap), TRUE);
  EXPECT_EQ(DeleteObject(stock), TRUE);  // stock objects are never deleted
  EXPECT_EQ(GetPixel(second, 0, 0), RGB(0, 0, 0));

  InjectFault("SelectObject", E_FAIL);
  EXPECT_EQ(SelectObject(second, stock), nullptr);
  InjectFault("CreateCompatibleDC", E_FAIL);
  EXPECT_EQ(CreateCompatibleDC(nullptr), nullptr);
  EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(0x10000001)), nullptr);
  EXPECT_EQ(DeleteDC(second), TRUE);
}

TEST_F(MemoryContexts, CompatibleBitmapsTakeTheContextsFormat) {
  auto bitsOf = [](HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    DeleteObject(bitmap);
    return info.bmBitsPixel;
  };
  SurfaceMemory surface(4, 4, PixelFormat::Rgb565());
  EXPECT_EQ(bitsOf(CreateCompatibleBitmap(surface.dc(), 3, 3)), 16);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(bitsOf(CreateCompatibleBitmap(screen, 3, 3)), 32);
  ASSERT_TRUE(ChangeDisplayMode(DisplayMode{640, 480, 8, 0}));
  EXPECT_EQ(bitsOf(CreateCompatibleBitmap(screen, 3, 3)), 8);
  EXPECT_EQ(CreateCompatibleBitmap(screen, -1, 3), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(screen, 1 << 14, 1 << 14), nullptr);  // past the size limit
  HBITMAP stock = CreateCompatibleBitmap(screen, 0, 5);
  EXPECT_EQ(bitsOf(stock), 8);
  EXPECT_EQ(GetObjectA(stock, 0, nullptr), static_cast<int>(sizeof(BITMAP)));  // survives DeleteObject
  InjectFault("CreateCompatibleBitmap", E_FAIL);
  EXPECT_EQ(CreateCompatibleBitmap(screen, 3, 3), nullptr);
  ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace platform::gdi::testing
