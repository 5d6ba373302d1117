// The SDL back end: pixel conversion in every display format, the key table,
// and the menu and window events it makes from SDL's (on the offscreen
// video driver).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/backend/sdl/sdl_backend.h"
#include "platform/backend/sdl/sdl_keys.h"
#include "platform/vk.h"

namespace platform::sdl {
namespace {

FrameView View(const void* pixels, std::int32_t pitch, std::uint32_t w, std::uint32_t h, std::uint32_t bits,
               std::uint32_t r = 0, std::uint32_t g = 0, std::uint32_t b = 0) {
  FrameView f;
  f.pixels = static_cast<const std::uint8_t*>(pixels);
  f.pitch = pitch;
  f.width = w;
  f.height = h;
  f.bitsPerPixel = bits;
  f.redMask = r;
  f.greenMask = g;
  f.blueMask = b;
  return f;
}

TEST(FrameConverter, EveryFormatGivesTheSameColours) {
  FrameConverter converter;
  std::vector<std::uint32_t> out(8, 0xDEADBEEF);
  // 8 bits through the palette, with a pitch wider than the row.
  PALETTEENTRY palette[256] = {};
  palette[3] = PALETTEENTRY{255, 128, 1, 0};
  palette[250] = PALETTEENTRY{0, 0, 255, 0};
  const std::uint8_t indexed[] = {3, 250, 0, 9, 9, 0, 0, 250, 3, 3};  // 2 rows of 3 in a pitch of 5
  FrameView f8 = View(indexed, 5, 3, 2, 8);
  f8.palette = palette;
  std::vector<std::uint32_t> grid(8, 0xDEADBEEF);
  converter.Convert(f8, reinterpret_cast<std::uint8_t*>(grid.data()), 4 * 4);
  EXPECT_EQ(grid[0], 0xFF8001u);
  EXPECT_EQ(grid[1], 0x0000FFu);
  EXPECT_EQ(grid[2], 0u);
  EXPECT_EQ(grid[3], 0xDEADBEEFu);  // past the row: untouched
  EXPECT_EQ(grid[4], 0u);           // second row starts at source offset 5
  EXPECT_EQ(grid[5], 0u);
  EXPECT_EQ(grid[6], 0x0000FFu);

  // 5-6-5 and 5-5-5: full channels widen to 255, and a mid value repeats its bits.
  const std::uint16_t rgb565[] = {0xF800, 0x07E0, 0x001F, 0x8410};
  converter.Convert(View(rgb565, 8, 4, 1, 16, 0xF800, 0x07E0, 0x001F), reinterpret_cast<std::uint8_t*>(out.data()), 32);
  EXPECT_EQ(out[0], 0xFF0000u);
  EXPECT_EQ(out[1], 0x00FF00u);
  EXPECT_EQ(out[2], 0x0000FFu);
  EXPECT_EQ(out[3], 0x848284u);
  const std::uint16_t rgb555[] = {0x7C00, 0x03E0};
  converter.Convert(View(rgb555, 4, 2, 1, 16, 0x7C00, 0x03E0, 0x001F), reinterpret_cast<std::uint8_t*>(out.data()), 32);
  EXPECT_EQ(out[0], 0xFF0000u);
  EXPECT_EQ(out[1], 0x00FF00u);

  // 24 bits are blue, green, red in memory; 32 bits drop the top byte.
  const std::uint8_t rgb24[] = {0x01, 0x02, 0x03, 0xFF, 0x00, 0x80};
  converter.Convert(View(rgb24, 6, 2, 1, 24, 0xFF0000, 0xFF00, 0xFF), reinterpret_cast<std::uint8_t*>(out.data()), 32);
  EXPECT_EQ(out[0], 0x030201u);
  EXPECT_EQ(out[1], 0x8000FFu);
  const std::uint32_t xrgb[] = {0xFF123456, 0x00ABCDEF};
  converter.Convert(View(xrgb, 8, 2, 1, 32, 0xFF0000, 0xFF00, 0xFF), reinterpret_cast<std::uint8_t*>(out.data()), 32);
  EXPECT_EQ(out[0] & 0xFFFFFF, 0x123456u);
  EXPECT_EQ(out[1] & 0xFFFFFF, 0xABCDEFu);
  // 32 bits in another channel order go through the masks.
  const std::uint32_t xbgr[] = {0x00563412};
  converter.Convert(View(xbgr, 4, 1, 1, 32, 0xFF, 0xFF00, 0xFF0000), reinterpret_cast<std::uint8_t*>(out.data()), 32);
  EXPECT_EQ(out[0], 0x123456u);
}

TEST(KeyTable, ScanCodesFollowDirectInputAndVirtualKeysFollowNumLock) {
  EXPECT_EQ(MapKey(SDL_SCANCODE_ESCAPE, false).scanCode, DIK_ESCAPE);
  EXPECT_EQ(MapKey(SDL_SCANCODE_ESCAPE, false).virtualKey, 27);
  EXPECT_EQ(MapKey(SDL_SCANCODE_Z, false).scanCode, DIK_Z);
  EXPECT_EQ(MapKey(SDL_SCANCODE_Z, false).virtualKey, 'Z');
  EXPECT_EQ(MapKey(SDL_SCANCODE_Q, false).scanCode, DIK_Q);
  EXPECT_EQ(MapKey(SDL_SCANCODE_1, false).scanCode, DIK_1);
  EXPECT_EQ(MapKey(SDL_SCANCODE_0, false).virtualKey, '0');
  EXPECT_EQ(MapKey(SDL_SCANCODE_UP, false).scanCode, DIK_UP);
  EXPECT_EQ(MapKey(SDL_SCANCODE_UP, false).virtualKey, VK_UP);
  EXPECT_EQ(MapKey(SDL_SCANCODE_F10, false).scanCode, DIK_F10);
  EXPECT_EQ(MapKey(SDL_SCANCODE_F12, false).virtualKey, VK_F12);
  EXPECT_EQ(MapKey(SDL_SCANCODE_KP_8, true).virtualKey, VK_NUMPAD8);
  EXPECT_EQ(MapKey(SDL_SCANCODE_KP_8, false).virtualKey, VK_UP);
  EXPECT_EQ(MapKey(SDL_SCANCODE_KP_8, false).scanCode, DIK_NUMPAD8);
  EXPECT_EQ(MapKey(SDL_SCANCODE_RSHIFT, false).virtualKey, VK_SHIFT);
  EXPECT_EQ(MapKey(SDL_SCANCODE_RALT, false).scanCode, DIK_RMENU);
  EXPECT_EQ(MapKey(SDL_SCANCODE_KP_ENTER, false).scanCode, DIK_NUMPADENTER);
  EXPECT_EQ(MapKey(SDL_SCANCODE_KP_ENTER, false).virtualKey, VK_RETURN);
}

// A 640 x 480 8-bit picture in colour 7 (0x0A141E) whose top-left pixel is
// colour 9 (0xC80000).
struct TwoColourPicture {
  TwoColourPicture() {
    pixels[0] = 9;
    palette[7] = PALETTEENTRY{10, 20, 30, 0};
    palette[9] = PALETTEENTRY{200, 0, 0, 0};
  }
  FrameView View() const {
    FrameView f = ::platform::sdl::View(pixels.data(), 640, 640, 480, 8);
    f.palette = palette;
    return f;
  }
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(640 * 480, 7);
  PALETTEENTRY palette[256] = {};
};

class LiveBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string error;
    SdlOptions options;
    options.windowScale = scale;
    backend = SdlBackend::Create(options, error);
    if (!backend) GTEST_SKIP() << "no offscreen video driver: " << error;
    WindowDesc desc;
    desc.caption = "Zornack";
    desc.client = RECT{100, 100, 740, 580};
    desc.visible = true;
    desc.hasMenu = true;
    ASSERT_TRUE(backend->UpdateWindow(desc));
    MenuDesc menu;
    MenuTopDesc top{"画面モード(&S)", true, {}};
    top.items.push_back(MenuItemDesc{"ウィンドウ内(&W)", 11, false, true, MenuRole::WindowMode});
    top.items.push_back(MenuItemDesc{"フルスクリーン(&F)", 12, false, true, MenuRole::FullScreenMode});
    menu.tops.push_back(top);
    backend->SetMenu(menu);
    Drain();
  }
  void TearDown() override { unsetenv("SDL_VIDEODRIVER"); }

  void Key(SDL_Keycode sym, SDL_Scancode code, Uint16 mod, bool down = true) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = code;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
  }
  std::vector<Event> Drain() {
    std::vector<Event> events;
    Event e;
    while (backend->PollEvent(e)) events.push_back(e);
    return events;
  }
  static std::vector<EventType> Types(const std::vector<Event>& events) {
    std::vector<EventType> t;
    for (const auto& e : events) {
      if (e.type != EventType::Expose && e.type != EventType::Moved && e.type != EventType::FocusGained) t.push_back(e.type);
    }
    return t;
  }

  std::unique_ptr<SdlBackend> backend;
  int scale = 0;  // the desktop's choice
};

// The same window at twice its size.
class ScaledLiveBackend : public LiveBackend {
 protected:
  void SetUp() override {
    scale = 2;
    LiveBackend::SetUp();
  }
};

constexpr std::uint32_t kHighlight = 0x0A246A;  // the highlighted item's face

TEST_F(LiveBackend, DesktopModesAndClock) {
  const DisplayMode desktop = backend->DesktopMode();
  EXPECT_GT(desktop.width, 0u);
  EXPECT_TRUE(desktop.bitsPerPixel == 16 || desktop.bitsPerPixel == 32);
  EXPECT_GT(backend->RefreshRateHz(), 0u);
  bool has640x8 = false;
  for (const auto& m : backend->DisplayModes()) has640x8 |= m.width == 640 && m.height == 480 && m.bitsPerPixel == 8;
  EXPECT_TRUE(has640x8 || desktop.width < 640);
  const std::uint64_t t0 = backend->NowMicroseconds();
  backend->SleepMicroseconds(2000);
  EXPECT_GE(backend->NowMicroseconds() - t0, 2000u);
}

TEST_F(LiveBackend, KeysCarryScanCodesAndVirtualKeys) {
  Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE);
  Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE, false);
  Key(SDLK_LEFT, SDL_SCANCODE_LEFT, KMOD_LSHIFT);
  const auto events = Drain();
  ASSERT_EQ(Types(events), (std::vector<EventType>{EventType::KeyDown, EventType::KeyUp, EventType::KeyDown}));
  EXPECT_EQ(events[0].key.virtualKey, VK_ESCAPE);
  EXPECT_EQ(events[0].key.scanCode, DIK_ESCAPE);
  EXPECT_EQ(events[2].key.scanCode, DIK_LEFT);
  EXPECT_TRUE(events[2].key.shift);
}

TEST_F(LiveBackend, MenuOpensWithAltAndChoosesByAcceleratorArrowsOrEscape) {
  // Alt+S opens, F chooses full screen: enter, exit, then the command.
  Key(SDLK_s, SDL_SCANCODE_S, KMOD_LALT);
  Key(SDLK_f, SDL_SCANCODE_F, KMOD_NONE);
  auto events = Drain();
  ASSERT_EQ(Types(events),
            (std::vector<EventType>{EventType::MenuLoopEnter, EventType::MenuLoopExit, EventType::MenuCommand}));
  EXPECT_EQ(events.back().menu.commandId, 12u);

  // F10, Down, Enter: the second item is chosen (the first is highlighted on opening).
  Key(SDLK_F10, SDL_SCANCODE_F10, KMOD_NONE);
  Key(SDLK_DOWN, SDL_SCANCODE_DOWN, KMOD_NONE);
  Key(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_NONE);
  events = Drain();
  ASSERT_EQ(Types(events).size(), 3u);
  EXPECT_EQ(events.back().menu.commandId, 12u);

  // Escape closes without a command; the keys in between never reach the program.
  Key(SDLK_s, SDL_SCANCODE_S, KMOD_LALT);
  Key(SDLK_UP, SDL_SCANCODE_UP, KMOD_NONE);
  Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE);
  events = Drain();
  EXPECT_EQ(Types(events), (std::vector<EventType>{EventType::MenuLoopEnter, EventType::MenuLoopExit}));
  // Alt with a letter no menu has is an ordinary key.
  Key(SDLK_q, SDL_SCANCODE_Q, KMOD_LALT);
  events = Drain();
  ASSERT_EQ(Types(events), (std::vector<EventType>{EventType::KeyDown}));
  EXPECT_TRUE(events[0].key.alt);
}

TEST_F(LiveBackend, MenuHighlightIsRedrawnAsTheArrowsMoveIt) {
  // The left end of the second item's row (before its caption), in the
  // window and (the bar at the picture's top edge) in full screen.
  const auto secondItem = [this] {
    const int y = WindowMetrics::kMenuBar + 3 + 18 + 9;
    int x = 5;
    if (backend->FullScreen()) {
      const DisplayMode screen = backend->DesktopMode();
      x += (static_cast<int>(screen.width) - std::min<int>(screen.width, screen.height * 640 / 480)) / 2;
    }
    return backend->ReadBackPixel(x, y);
  };
  for (bool fullScreen : {false, true}) {
    if (fullScreen) {
      ASSERT_TRUE(backend->SetDisplayMode(DisplayMode{640, 480, 8, 0}, true));
    }
    Key(SDLK_s, SDL_SCANCODE_S, KMOD_LALT);
    Drain();
    EXPECT_NE(secondItem(), kHighlight) << fullScreen;
    Key(SDLK_DOWN, SDL_SCANCODE_DOWN, KMOD_NONE);
    Drain();
    EXPECT_EQ(secondItem(), kHighlight) << fullScreen;
    Key(SDLK_UP, SDL_SCANCODE_UP, KMOD_NONE);
    Drain();
    EXPECT_NE(secondItem(), kHighlight) << fullScreen;
    Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE);
    Drain();
  }
}

TEST_F(LiveBackend, MouseOpensTheMenuAndChoosesAnItem) {
  auto click = [](int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = SDL_PRESSED;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
  };
  click(10, 10);   // the top item
  click(30, 20 + 3 + 18 / 2);  // its first item, just below the bar
  const auto events = Drain();
  ASSERT_EQ(Types(events),
            (std::vector<EventType>{EventType::MenuLoopEnter, EventType::MenuLoopExit, EventType::MenuCommand}));
  EXPECT_EQ(events.back().menu.commandId, 11u);
}

TEST_F(LiveBackend, AltEnterChoosesTheItemForTheOtherMode) {
  Key(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
  auto events = Drain();
  ASSERT_EQ(Types(events),
            (std::vector<EventType>{EventType::MenuLoopEnter, EventType::MenuLoopExit, EventType::MenuCommand}));
  EXPECT_EQ(events.back().menu.commandId, 12u);
  ASSERT_TRUE(backend->SetDisplayMode(DisplayMode{640, 480, 8, 0}, true));
  EXPECT_TRUE(backend->FullScreen());
  Drain();
  Key(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
  events = Drain();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().menu.commandId, 11u);
  ASSERT_TRUE(backend->SetDisplayMode(backend->DesktopMode(), false));
  EXPECT_FALSE(backend->FullScreen());
}

TEST_F(LiveBackend, PresentShowsThePictureBelowTheMenuBarAndScalesInFullScreen) {
  TwoColourPicture picture;
  const FrameView f = picture.View();
  backend->Present(f);
  EXPECT_EQ(backend->ReadBackPixel(0, WindowMetrics::kMenuBar), 0xC80000u);
  EXPECT_EQ(backend->ReadBackPixel(639, WindowMetrics::kMenuBar + 479), 0x0A141Eu);
  EXPECT_EQ(backend->ReadBackPixel(600, 5), 0xD4D0C8u);  // the bar's face

  // Full screen: the 640 x 480 picture fills the screen's height or width,
  // centred, with black bars; the top-left pixel grows into a block.
  ASSERT_TRUE(backend->SetDisplayMode(DisplayMode{640, 480, 8, 0}, true));
  backend->Present(f);
  const DisplayMode screen = backend->DesktopMode();
  const int scaledW = std::min<int>(screen.width, screen.height * 640 / 480);
  const int left = (static_cast<int>(screen.width) - scaledW) / 2;
  const int top = (static_cast<int>(screen.height) - scaledW * 480 / 640) / 2;
  EXPECT_EQ(backend->ReadBackPixel(left, top), 0xC80000u);
  EXPECT_EQ(backend->ReadBackPixel(left + scaledW / 640 - 1, top), 0xC80000u);
  EXPECT_EQ(backend->ReadBackPixel(left + scaledW / 2, top + 100), 0x0A141Eu);
  if (left > 0) {
    EXPECT_EQ(backend->ReadBackPixel(left - 1, top + 100), 0u);
  }
  ASSERT_TRUE(backend->SetDisplayMode(screen, false));
}

TEST_F(ScaledLiveBackend, PictureMenuAndMouseAreAtTheWindowsScale) {
  ASSERT_EQ(backend->WindowScale(), 2);
  // The program sees a desktop half the size and its client area as it set it.
  TwoColourPicture picture;
  picture.pixels.back() = 9;
  const FrameView f = picture.View();
  backend->Present(f);
  const int bar = 2 * WindowMetrics::kMenuBar;
  EXPECT_EQ(backend->ReadBackPixel(1, bar + 1), 0xC80000u);  // one pixel is two by two
  EXPECT_EQ(backend->ReadBackPixel(2, bar), 0x0A141Eu);
  EXPECT_EQ(backend->ReadBackPixel(1278, bar + 958), 0xC80000u);
  EXPECT_EQ(backend->ReadBackPixel(1200, 5), 0xD4D0C8u);  // the bar, twice as high
  EXPECT_EQ(backend->ReadBackPixel(1200, 35), 0xD4D0C8u);

  // A click on the scaled menu lands on its item; the mouse moves in the
  // program's pixels.
  auto mouse = [](Uint32 type, int x, int y) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
      e.motion.x = x;
      e.motion.y = y;
    } else {
      e.button.button = SDL_BUTTON_LEFT;
      e.button.state = SDL_PRESSED;
      e.button.x = x;
      e.button.y = y;
    }
    SDL_PushEvent(&e);
  };
  mouse(SDL_MOUSEBUTTONDOWN, 20, 20);
  mouse(SDL_MOUSEBUTTONDOWN, 60, 2 * (20 + 3 + 18 + 9));  // the second item
  mouse(SDL_MOUSEMOTION, 200, 140);
  const auto events = Drain();
  ASSERT_EQ(Types(events), (std::vector<EventType>{EventType::MenuLoopEnter, EventType::MenuLoopExit,
                                                   EventType::MenuCommand, EventType::MouseMove}));
  EXPECT_EQ(events[2].menu.commandId, 12u);
  EXPECT_EQ(events[3].mouse.x, 100);
  EXPECT_EQ(events[3].mouse.y, 70 - WindowMetrics::kMenuBar);
}

}  // namespace
}  // namespace platform::sdl
