// Start-up, the window, display modes, joysticks and the clock.
#include "platform/backend/sdl/sdl_backend.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

#if defined(__linux__)
#include <sys/prctl.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "platform/backend/sdl/sdl_choice.h"

namespace platform::sdl {

std::unique_ptr<SdlBackend> SdlBackend::Create(const SdlOptions& options, std::string& error) {
  std::unique_ptr<SdlBackend> backend(new SdlBackend);
  if (!backend->Start(options, error)) return nullptr;
  return backend;
}

bool SdlBackend::Start(const SdlOptions& options, std::string& error) {
  // The system's screen saver stays as the user has it until the program
  // says otherwise through SystemParametersInfoA.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Losing the focus in full screen must not minimise the window: the
  // program sees the focus loss and its surfaces are lost, as designed.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // Pads name their face buttons by place (south, east, west, north),
  // whatever is printed on them, so button 1 is under the same thumb on
  // every make.
  SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
  // The pads' state stays true while the window is behind others: whether a
  // program in the background may read them is DirectInput's business, and
  // a release missed meanwhile would leave a button held.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  // SDL reads the mapping file when its game-controller part starts, before
  // the SDL_GAMECONTROLLERCONFIG variable, so the variable's lines win. When
  // the user named a file of their own in SDL_GAMECONTROLLERCONFIG_FILE, that
  // one keeps the hint and ours is added after the start.
  const std::string& mappings = options.controllerMappingFile;
  const bool mappingsByHint =
      mappings.empty() || SDL_SetHint(SDL_HINT_GAMECONTROLLERCONFIG_FILE, mappings.c_str()) == SDL_TRUE;
  // The software path draws into the window's own surface, which the window
  // system copies to the screen. Without this SDL would put that surface in
  // a GL texture, loading a software GL where there is no graphics
  // processor: some 90 MB and a core's worth of drawing for nothing.
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    return false;
  }
  // Without a display SDL falls back to a driver that shows nothing; a
  // player would face an invisible window, so that is no display at all,
  // unless the driver was asked for by name (the back end's own tests).
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* wanted = SDL_getenv("SDL_VIDEODRIVER");
  const bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
  if (invisible && (!wanted || std::strcmp(wanted, driver) != 0)) {
    error = std::string("only SDL's ") + driver + " video driver is available";
    SDL_Quit();
    return false;
  }
  // Without it the program runs on, with only the keyboard.
  const bool pads = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  if (pads && !mappingsByHint) SDL_GameControllerAddMappingsFromFile(mappings.c_str());
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
    error = SDL_GetError();
    SDL_Quit();
    return false;
  }
  SDL_Rect usable{0, 0, desktop.w, desktop.h};
  SDL_GetDisplayUsableBounds(0, &usable);
  scale_ = sdl::WindowScale(usable.w, usable.h, 640, 480, WindowMetrics::kMenuBar, options.windowScale);
  const DWORD refresh = desktop.refresh_rate > 0 ? static_cast<DWORD>(desktop.refresh_rate) : 60;
  // The desktop shows 32-bit pixels even where X reports a depth of 24.
  const DWORD bits = SDL_BYTESPERPIXEL(desktop.format) == 2 ? 16u : 32u;
  desktop_ = DisplayMode{static_cast<DWORD>(desktop.w / scale_), static_cast<DWORD>(desktop.h / scale_), bits, refresh};
  shownMode_ = desktop_;
  // Any mode can be shown, since full screen scales the picture: offer the
  // usual ones that fit the screen, at every depth, and the desktop's own.
  for (DWORD modeBits : {8u, 16u, 32u}) {
    for (auto [w, h] : {std::pair<DWORD, DWORD>{320, 240}, {640, 480}, {800, 600}, {1024, 768}}) {
      if (w <= static_cast<DWORD>(desktop.w) && h <= static_cast<DWORD>(desktop.h)) {
        modes_.push_back(DisplayMode{w, h, modeBits, refresh});
      }
    }
  }
  modes_.push_back(desktop_);
  if (pads) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) OpenPad(i);
  }
#if defined(__linux__)
  // Sleeps of this thread (the frame pace, the vertical blank) wake when
  // asked, not up to the default 50 us later.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
#if defined(__GLIBC__)
  // Pixel memory comes and goes in blocks of megabytes with every switch
  // between a window and full screen (the emulated desktop, the window's
  // surface). Taken from the system and given back directly, such blocks
  // leave no holes in the heap for the process to grow by; the C library
  // would otherwise raise this threshold after the first one.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
  if (const char* log = std::getenv("BRIN_SDL_SLEEP_LOG")) sleepLog_ = log;
  return true;
}

SdlBackend::~SdlBackend() {
  CloseAudio();
  for (int i = 0; i < boundPorts_; ++i) {
    if (ports_[i].pad) {
      SDL_GameControllerClose(ports_[i].pad);
    } else {
      SDL_JoystickClose(ports_[i].joystick);
    }
  }
  if (picture_) SDL_DestroyTexture(picture_);
  menu_.Release();  // its textures belong to the renderer
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (staging_) SDL_FreeSurface(staging_);
  if (window_) SDL_DestroyWindow(window_);
  SDL_Quit();
  if (!sleepLog_.empty()) {
    if (std::FILE* file = std::fopen(sleepLog_.c_str(), "w")) {
      // Lateness in microseconds, to the 10 us step, at the given shares.
      std::uint64_t count = 0;
      for (std::uint32_t n : sleepLateness_) count += n;
      std::fprintf(file, "sleeps %llu\n", static_cast<unsigned long long>(count));
      for (double share : {0.5, 0.99, 1.0}) {
        std::uint64_t seen = 0;
        std::size_t bin = 0;
        while (bin + 1 < sleepLateness_.size() && (seen += sleepLateness_[bin]) < share * static_cast<double>(count)) ++bin;
        std::fprintf(file, "late_us_%s %zu\n", share == 0.5 ? "p50" : share == 1.0 ? "max" : "p99", bin * 10);
      }
      std::fclose(file);
    }
  }
}

// --- window ------------------------------------------------------------------

int SdlBackend::MenuHeight() const { return desc_.hasMenu && !menu_.Empty() ? WindowMetrics::kMenuBar : 0; }

bool SdlBackend::MakeWindow(const WindowDesc& desc) {
  const int menu = desc.hasMenu ? WindowMetrics::kMenuBar : 0;
  const int w = std::max<int>(desc.client.right - desc.client.left, 1) * scale_;
  const int h = (std::max<int>(desc.client.bottom - desc.client.top, 1) + menu) * scale_;
  window_ = SDL_CreateWindow(desc.caption.c_str(), desc.client.left * scale_, (desc.client.top - menu) * scale_, w, h,
                             SDL_WINDOW_HIDDEN);
  if (!window_) return false;
  if (!MakeRenderer()) {
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    return false;
  }
  menuFont_ = menu_.Init(renderer_);
  menu_.SetScale(scale_);
  return true;
}

void SdlBackend::ApplyWindowedGeometry() {
  if (!window_ || fullScreen_ || !haveDesc_) return;
  const int w = std::max<int>(desc_.client.right - desc_.client.left, 1) * scale_;
  const int h = std::max<int>(desc_.client.bottom - desc_.client.top, 1) * scale_ + ShownMenuHeight();
  int cw = 0, ch = 0;
  SDL_GetWindowSize(window_, &cw, &ch);
  if (cw != w || ch != h) SDL_SetWindowSize(window_, w, h);
  int x = 0, y = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  const int wantX = desc_.client.left * scale_, wantY = desc_.client.top * scale_ - ShownMenuHeight();
  if (x != wantX || y != wantY) SDL_SetWindowPosition(window_, wantX, wantY);
}

bool SdlBackend::UpdateWindow(const WindowDesc& desc) {
  const bool wasVisible = haveDesc_ && desc_.visible;
  const bool wasMinimised = haveDesc_ && desc_.minimised;
  const std::string oldCaption = desc_.caption;
  desc_ = desc;
  haveDesc_ = true;
  if (!window_) {
    if (!desc.visible && desc.caption.empty()) return true;  // nothing to show yet
    if (!MakeWindow(desc)) return false;
  }
  if (desc.caption != oldCaption) SDL_SetWindowTitle(window_, desc.caption.c_str());
  ApplyWindowedGeometry();
  if (desc.visible && !wasVisible) {
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
  } else if (!desc.visible && wasVisible) {
    SDL_HideWindow(window_);
  }
  if (desc.minimised && !wasMinimised) SDL_MinimizeWindow(window_);
  if (!desc.minimised && wasMinimised) SDL_RestoreWindow(window_);
  Render();
  return true;
}

void SdlBackend::SetMenu(const MenuDesc& menu) {
  const int before = MenuHeight();
  menu_.Set(menu);
  if (MenuHeight() != before) ApplyWindowedGeometry();
  Render();
}

void SdlBackend::RaiseWindow() {
  if (window_) SDL_RaiseWindow(window_);
}

void SdlBackend::SetCursorVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void SdlBackend::SetScreenSaverEnabled(bool enabled) {
  if (enabled) {
    SDL_EnableScreenSaver();
  } else {
    SDL_DisableScreenSaver();
  }
}

int SdlBackend::ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                               MessageBoxIcon icon) {
  static const char* const kNames[][3] = {
      {"OK", nullptr, nullptr},          {"OK", "キャンセル", nullptr},        {"はい", "いいえ", nullptr},
      {"はい", "いいえ", "キャンセル"}, {"再試行", "キャンセル", nullptr}, {"中止", "再試行", "無視"},
  };
  const auto& names = kNames[static_cast<int>(buttons)];
  SDL_MessageBoxButtonData data[3]{};
  int count = 0;
  for (int i = 0; i < 3 && names[i]; ++i, ++count) {
    data[i].buttonid = i;
    data[i].text = names[i];
  }
  data[0].flags = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
  data[count - 1].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  SDL_MessageBoxData box{};
  box.flags = icon == MessageBoxIcon::Error     ? SDL_MESSAGEBOX_ERROR
              : icon == MessageBoxIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                                : SDL_MESSAGEBOX_INFORMATION;
  // Over a full-screen picture a box would be hidden: show it on its own.
  box.window = fullScreen_ ? nullptr : window_;
  box.title = caption.c_str();
  box.message = text.c_str();
  box.numbuttons = count;
  box.buttons = data;
  int pressed = -1;
  if (SDL_ShowMessageBox(&box, &pressed) != 0) return -1;
  // Closing the box counts as its escape button.
  return pressed < 0 ? count - 1 : pressed;
}

// --- display -------------------------------------------------------------------

bool SdlBackend::SetDisplayMode(const DisplayMode& mode, bool fullScreen) {
  shownMode_ = fullScreen ? mode : desktop_;
  if (fullScreen == fullScreen_) return true;
  fullScreen_ = fullScreen;
  if (window_) {
    if (SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
      fullScreen_ = !fullScreen;
      shownMode_ = fullScreen_ ? mode : desktop_;
      return false;
    }
    if (!fullScreen) ApplyWindowedGeometry();
  }
  MenuOutcome outcome;
  menu_.Close(outcome);
  Deliver(outcome);
  redrawAll_ = true;
  Render();
  return true;
}

std::uint32_t SdlBackend::RefreshRateHz() const {
  SDL_DisplayMode mode{};
  const int display = window_ ? std::max(SDL_GetWindowDisplayIndex(window_), 0) : 0;
  if (SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0) {
    return static_cast<std::uint32_t>(mode.refresh_rate);
  }
  return 60;
}

std::uint64_t SdlBackend::NowMicroseconds() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count());
}

void SdlBackend::SleepMicroseconds(std::uint64_t us) {
  const auto due = std::chrono::steady_clock::now() + std::chrono::microseconds(us);
  std::this_thread::sleep_until(due);
  const auto late = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - due);
  const auto bin = std::clamp<std::int64_t>(late.count() / 10, 0, static_cast<std::int64_t>(sleepLateness_.size()) - 1);
  ++sleepLateness_[static_cast<std::size_t>(bin)];
}

}  // namespace platform::sdl
