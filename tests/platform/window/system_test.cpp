// Message boxes, the screen-saver setting, the cursor, the tick counter and
// a missing display.
#include <gtest/gtest.h>

#include "platform/system.h"
#include "platform/window.h"
#include "tests/platform/window/window_fixture.h"

namespace platform::testing {
namespace {

TEST_F(WindowTest, WarningBoxWithOkWaitsForTheAnswer) {
  MakeForm();
  const char* text = "画面モードが不適切です。色数を 8 ビットに設定して、起動しなおしてください。";
  EXPECT_EQ(MessageBoxA(form->Handle(), text, "Zornack", MB_OK | MB_ICONWARNING), IDOK);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].text, text);
  EXPECT_EQ(backend.MessageBoxes()[0].caption, "Zornack");
  EXPECT_EQ(backend.MessageBoxes()[0].buttons, MessageBoxButtons::Ok);
  EXPECT_EQ(backend.MessageBoxes()[0].icon, MessageBoxIcon::Warning);

  // Other layouts answer with their own ids; a null caption is "Error".
  backend.QueueMessageBoxAnswer(1);
  EXPECT_EQ(MessageBoxA(nullptr, "?", nullptr, MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(backend.MessageBoxes()[1].caption, "Error");
  backend.QueueMessageBoxAnswer(2);
  EXPECT_EQ(MessageBoxA(nullptr, "?", nullptr, MB_YESNOCANCEL), IDCANCEL);
  // An answer past the box's buttons, an unknown layout or no box at all is 0.
  backend.QueueMessageBoxAnswer(1);
  EXPECT_EQ(MessageBoxA(nullptr, "?", nullptr, MB_OK), 0);
  EXPECT_EQ(MessageBoxA(nullptr, "?", nullptr, 0x0F), 0);
  backend.SetWindowAvailable(false);
  EXPECT_EQ(MessageBoxA(nullptr, "?", nullptr, MB_OK), 0);
}

TEST_F(WindowTest, ScreenSaverSettingFollowsSystemParametersInfo) {
  MakeForm();
  BOOL active = FALSE;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0));
  EXPECT_TRUE(active);
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, nullptr, 0));

  static int settingChanges = 0;
  static WNDPROC previous = nullptr;
  settingChanges = 0;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongA(
      form->Handle(), GWL_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_SETTINGCHANGE && wp == SPI_SETSCREENSAVEACTIVE) ++settingChanges;
        return CallWindowProcA(previous, w, m, wp, lp);
      })));

  ASSERT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_SENDWININICHANGE));
  EXPECT_FALSE(backend.ScreenSaverEnabled());
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  EXPECT_FALSE(active);
  EXPECT_EQ(settingChanges, 1);
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0));
  EXPECT_TRUE(backend.ScreenSaverEnabled());
  EXPECT_EQ(settingChanges, 1);  // not told without SPIF_SENDWININICHANGE
  EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, nullptr, 0));
}

TEST_F(WindowTest, CursorHidesBelowZeroAndCounts) {
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_FALSE(backend.CursorVisible());
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_FALSE(backend.CursorVisible());
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_TRUE(backend.CursorVisible());
}

TEST_F(WindowTest, TickCountIsMillisecondsAndWraps) {
  backend.AdvanceClock(1'234'567);
  EXPECT_EQ(GetTickCount(), 1234u);
  // 2^32 ms after the start the counter is back near zero, and unsigned
  // differences across the wrap still give the elapsed time.
  backend.AdvanceClock(4'294'967'295'000ull - 1'234'567 - 5'000);
  const DWORD before = GetTickCount();
  EXPECT_EQ(before, 4'294'967'290u);
  backend.AdvanceClock(20'000);
  const DWORD after = GetTickCount();
  EXPECT_EQ(after, 14u);
  EXPECT_EQ(static_cast<DWORD>(after - before), 20u);
}

TEST_F(WindowTest, BusyWaitOnTheTickCountEndsOnTheHeadlessClock) {
  backend.SetClockStepPerRead(1000);
  const DWORD start = GetTickCount();
  DWORD now = start;
  int reads = 0;
  while (now - start < 20) {
    now = GetTickCount();
    ++reads;
  }
  EXPECT_EQ(reads, 20);
}

TEST_F(WindowTest, SleepBeforeTickWakesTheMarginBeforeTheCounterTurns) {
  constexpr std::uint64_t kWrapUs = 4'294'967'296'000ull;  // the counter is 0 again here
  struct Case {
    std::uint64_t nowUs;  // in rising order: the clock only moves on
    DWORD tick;
    DWORD marginUs;
    std::uint64_t wakeUs;
  } const cases[] = {
      {10'300, 30, 250, 29'750},                              // mid-millisecond: tick 30 turns at 30'000
      {40'300, 40, 250, 40'300},                              // reached already
      {50'300, 45, 250, 50'300},                              // passed
      {60'900, 61, 250, 60'900},                              // nearer than the margin
      {70'000, 90, 0, 90'000},                                // no margin
      {kWrapUs - 5'500, 14, 250, kWrapUs + 13'750},           // ahead across the wrap
      {kWrapUs + 20'000, 0xFFFFFFF0u, 250, kWrapUs + 20'000}, // behind across the wrap
  };
  for (const Case& c : cases) {
    backend.AdvanceClock(c.nowUs - NowMicroseconds());
    SleepBeforeTick(c.tick, c.marginUs);
    EXPECT_EQ(NowMicroseconds(), c.wakeUs) << "from " << c.nowUs << " to tick " << c.tick;
  }
}

TEST_F(WindowTest, NoDisplayIsOneLineOnStderrAndAFailingExit) {
  backend.SetWindowAvailable(false);
  EXPECT_EXIT(MakeForm(), ::testing::ExitedWithCode(1), "no display is available to show the window\n");
}

}  // namespace
}  // namespace platform::testing
