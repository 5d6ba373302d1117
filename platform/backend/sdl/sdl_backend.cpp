// Start-up, display, window, presentation, audio, joysticks and the clock.
#include "platform/backend/sdl/sdl_backend.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace platform::sdl {

std::unique_ptr<SdlBackend> SdlBackend::Create(std::string& error, const SdlOptions& options) {
  std::unique_ptr<SdlBackend> backend(new SdlBackend);
  if (!backend->Start(error, options)) return nullptr;
  return backend;
}

bool SdlBackend::Start(std::string& error, const SdlOptions& options) {
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
  const DWORD refresh = desktop.refresh_rate > 0 ? static_cast<DWORD>(desktop.refresh_rate) : 60;
  // The desktop shows 32-bit pixels even where X reports a depth of 24.
  desktop_ = DisplayMode{static_cast<DWORD>(desktop.w), static_cast<DWORD>(desktop.h),
                         SDL_BYTESPERPIXEL(desktop.format) == 2 ? 16u : 32u, refresh};
  shownMode_ = desktop_;
  // Any mode can be shown, since full screen scales the picture: offer the
  // usual ones that fit the desktop, at every depth, and the desktop's own.
  for (DWORD bits : {8u, 16u, 32u}) {
    for (auto [w, h] : {std::pair<DWORD, DWORD>{320, 240}, {640, 480}, {800, 600}, {1024, 768}}) {
      if (w <= desktop_.width && h <= desktop_.height) modes_.push_back(DisplayMode{w, h, bits, refresh});
    }
  }
  modes_.push_back(desktop_);
  if (pads) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) OpenPad(i);
  }
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
  if (window_) SDL_DestroyWindow(window_);
  SDL_Quit();
}

// --- window ------------------------------------------------------------------

int SdlBackend::MenuHeight() const { return desc_.hasMenu && !menu_.Empty() ? WindowMetrics::kMenuBar : 0; }

bool SdlBackend::MakeWindow(const WindowDesc& desc) {
  const int w = std::max<int>(desc.client.right - desc.client.left, 1);
  const int h = std::max<int>(desc.client.bottom - desc.client.top, 1) + (desc.hasMenu ? WindowMetrics::kMenuBar : 0);
  window_ = SDL_CreateWindow(desc.caption.c_str(), desc.client.left,
                             desc.client.top - (desc.hasMenu ? WindowMetrics::kMenuBar : 0), w, h,
                             SDL_WINDOW_HIDDEN);
  if (!window_) return false;
  // No vertical sync here: the program waits for the vertical blank itself.
  // The software renderer by default: the picture is small, and uploading
  // it to a GPU texture through a software GL (as under Xvfb) costs more
  // than the whole software path. SDL_RENDER_DRIVER still chooses another.
  SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_DEFAULT);
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    return false;
  }
  menuFont_ = menu_.Init(renderer_);
  return true;
}

void SdlBackend::ApplyWindowedGeometry() {
  if (!window_ || fullScreen_ || !haveDesc_) return;
  const int w = std::max<int>(desc_.client.right - desc_.client.left, 1);
  const int h = std::max<int>(desc_.client.bottom - desc_.client.top, 1) + MenuHeight();
  int cw = 0, ch = 0;
  SDL_GetWindowSize(window_, &cw, &ch);
  if (cw != w || ch != h) SDL_SetWindowSize(window_, w, h);
  int x = 0, y = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  const int wantX = desc_.client.left, wantY = desc_.client.top - MenuHeight();
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

void SdlBackend::Upload(const FrameView& frame) {
  if (!renderer_ || !frame.pixels || frame.width == 0 || frame.height == 0) return;
  const int w = static_cast<int>(frame.width), h = static_cast<int>(frame.height);
  if (!picture_ || w > textureWidth_ || h > textureHeight_) {
    // Grows only: a picture of another size reuses the texture's corner.
    if (picture_) SDL_DestroyTexture(picture_);
    textureWidth_ = std::max(w, textureWidth_);
    textureHeight_ = std::max(h, textureHeight_);
    picture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, textureWidth_,
                                 textureHeight_);
    if (!picture_) return;
    SDL_SetTextureScaleMode(picture_, SDL_ScaleModeNearest);
  }
  const SDL_Rect area{0, 0, w, h};
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(picture_, &area, &pixels, &pitch) != 0) return;
  converter_.Convert(frame, static_cast<std::uint8_t*>(pixels), pitch);
  SDL_UnlockTexture(picture_);
  pictureWidth_ = w;
  pictureHeight_ = h;
  pictureX_ = frame.clientX;
  pictureY_ = frame.clientY;
}

void SdlBackend::Present(const FrameView& frame) {
  Upload(frame);
  Render();
}

std::uint32_t SdlBackend::ReadBackPixel(int x, int y) {
  if (!renderer_) return 0;
  Render();
  std::uint32_t pixel = 0;
  const SDL_Rect one{x, y, 1, 1};
  if (SDL_RenderReadPixels(renderer_, &one, SDL_PIXELFORMAT_RGB888, &pixel, 4) != 0) return 0;
  return pixel & 0xFFFFFF;
}

SDL_Rect SdlBackend::PictureRect() const {
  if (!fullScreen_) return SDL_Rect{pictureX_, MenuHeight() + pictureY_, pictureWidth_, pictureHeight_};
  int ow = 0, oh = 0;
  SDL_GetRendererOutputSize(renderer_, &ow, &oh);
  // The emulated mode's picture, scaled to fit with its aspect kept.
  const int pw = static_cast<int>(shownMode_.width), ph = static_cast<int>(shownMode_.height);
  if (pw <= 0 || ph <= 0) return SDL_Rect{0, 0, ow, oh};
  int w = ow, h = static_cast<int>(static_cast<long long>(ow) * ph / pw);
  if (h > oh) {
    h = oh;
    w = static_cast<int>(static_cast<long long>(oh) * pw / ph);
  }
  return SDL_Rect{(ow - w) / 2, (oh - h) / 2, w, h};
}

void SdlBackend::Render() {
  if (!renderer_ || !haveDesc_ || !desc_.visible) return;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  const SDL_Rect dst = PictureRect();
  if (picture_ && pictureWidth_ > 0) {
    const SDL_Rect src{0, 0, pictureWidth_, pictureHeight_};
    SDL_RenderCopy(renderer_, picture_, &src, &dst);
  }
  if (!fullScreen_) {
    int ow = 0, oh = 0;
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    if (MenuHeight() > 0) menu_.Draw(0, 0, ow, true);
  } else {
    // In full screen the bar shows only while a menu is open.
    menu_.Draw(dst.x, 0, dst.w, false);
  }
  SDL_RenderPresent(renderer_);
}

// --- audio, clock -------------------------------------------------------

void SdlBackend::AudioCallback(void* self, Uint8* stream, int length) noexcept {
  auto* backend = static_cast<SdlBackend*>(self);
  // Two bytes a sample; the source fills whole frames of every channel.
  const std::uint32_t channels = backend->audioChannels_;
  const auto frames = static_cast<std::uint32_t>(length) / (2 * channels);
  if (backend->audioSource_) {
    backend->audioSource_->Mix(reinterpret_cast<std::int16_t*>(stream), frames);
  } else {
    std::memset(stream, 0, static_cast<std::size_t>(length));
  }
}

bool SdlBackend::OpenAudio(const AudioFormat& format, AudioSource* source) {
  CloseAudio();
  if (format.channels < 1 || format.channels > 8) return false;
  audioChannels_ = format.channels;
  if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(format.rate);
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(format.channels);
  want.samples = 1024;
  want.callback = &SdlBackend::AudioCallback;
  want.userdata = this;
  audioSource_ = source;
  audio_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (audio_ == 0) {
    audioSource_ = nullptr;
    return false;
  }
  SDL_PauseAudioDevice(audio_, 0);
  return true;
}

void SdlBackend::CloseAudio() {
  if (audio_) SDL_CloseAudioDevice(audio_);
  audio_ = 0;
  audioSource_ = nullptr;
}

std::uint64_t SdlBackend::NowMicroseconds() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count());
}

void SdlBackend::SleepMicroseconds(std::uint64_t us) { std::this_thread::sleep_for(std::chrono::microseconds(us)); }

}  // namespace platform::sdl
