// The SDL2 back end: a real window with the menu bar drawn in it, full
// screen as the desktop's own mode with the picture scaled to fit, keyboard,
// mouse and joysticks, audio output and the clock.
//
// The emulated desktop is the real one seen at the window's scale: on a
// large desktop the window opens at a whole multiple k of the program's size
// (its menu bar too), and the program sees a desktop k times smaller, so its
// 640 x 480 client area is shown at 640k x 480k. The window registry's client
// rectangle is the window's real client position, divided by k, less the
// menu bar drawn at its top. A full-screen display mode is emulated:
// DirectDraw reports it; the picture is scaled (nearest neighbour, aspect
// kept, centred) onto a full-screen window in the desktop's own mode.
//
// The picture is drawn one of two ways, chosen once when the window is made:
// where the display has a graphics processor, by SDL's accelerated renderer,
// which scales it; elsewhere (Xvfb, a machine with only a software GL) by our
// own software path, which converts and scales straight into the window's
// surface, only the rows that changed since the last frame, and has the
// window system copy just those. SDL_RENDER_DRIVER still chooses a renderer.
//
// Joysticks are shown as ports (sdl_pads.cpp): port 0 exists from the start
// even with nothing plugged in, pads fill the ports as they come and go, and
// pads SDL's game-controller database knows all show one button layout.
#pragma once

#include <SDL.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/backend/sdl/sdl_audio.h"
#include "platform/backend/sdl/sdl_convert.h"
#include "platform/backend/sdl/sdl_factory.h"
#include "platform/backend/sdl/sdl_menu.h"

namespace platform::sdl {

class SdlBackend : public Backend {
 public:
  // What a port offers, whatever is bound to it: as much as DirectInput's
  // joystick state holds, so that a device made for the port reads any pad
  // bound to it later.
  static constexpr int kPorts = 16;
  static constexpr int kPortAxes = 8;
  static constexpr int kPortButtons = 32;
  static constexpr int kPortHats = 4;

  // Starts SDL's video. Returns null with ERROR set when there is no display.
  static std::unique_ptr<SdlBackend> Create(const SdlOptions& options, std::string& error);
  ~SdlBackend() override;

  DisplayMode DesktopMode() const override { return desktop_; }
  const std::vector<DisplayMode>& DisplayModes() const override { return modes_; }
  std::uint64_t VideoMemoryBytes() const override { return 32u << 20; }
  bool PrimaryHas3D() const override { return false; }
  const std::vector<DriverInfo>& ExtraDrivers() const override { return drivers_; }
  bool SetDisplayMode(const DisplayMode& mode, bool fullScreen) override;
  void Present(const FrameView& frame) override;

  bool UpdateWindow(const WindowDesc& window) override;
  void SetMenu(const MenuDesc& menu) override;
  void RedrawFrame() override { Render(); }
  void RaiseWindow() override;
  void SetCursorVisible(bool visible) override;
  void SetScreenSaverEnabled(bool enabled) override;
  int ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                     MessageBoxIcon icon) override;

  bool PollEvent(Event& event) override;
  void WaitEvent(std::uint32_t timeoutMs) override;

  std::int32_t JoystickCount() const override;
  bool GetJoystickInfo(std::int32_t index, JoystickInfo& info) const override;

  bool OpenAudio(const AudioFormat& format, AudioSource* source) override;
  void CloseAudio() override;

  std::uint64_t NowMicroseconds() override;
  void SleepMicroseconds(std::uint64_t us) override;
  std::uint32_t RefreshRateHz() const override;

  bool FullScreen() const { return fullScreen_; }
  // The window's scale (1, 2, 3 ...).
  int WindowScale() const { return scale_; }
  // Whether the picture goes through SDL's accelerated renderer rather than
  // the software path.
  bool Accelerated() const { return accelerated_; }
  // Converts FRAME into what the next Render shows without showing it (the
  // part of Present the benchmark measures).
  void Upload(const FrameView& frame);
  // The colour (0x00RRGGBB) of the window's pixel (X, Y) as last shown,
  // menu bar included; for tests.
  std::uint32_t ReadBackPixel(int x, int y);

 private:
  // The controls of one port, in the platform's numbering.
  struct Controls {
    std::array<std::int32_t, kPortAxes> axes{};  // -32768..32767
    std::uint32_t buttons = 0;                   // bit n: button n held
    std::array<std::int32_t, kPortHats> hats{-1, -1, -1, -1};  // hundredths of a degree, -1 centred
  };
  // One joystick as the platform sees it, and the SDL device bound to it.
  struct Port {
    SDL_GameController* pad = nullptr;  // set when the database knows the device
    SDL_Joystick* joystick = nullptr;   // set whenever a device is bound
    SDL_JoystickID instance = -1;
    // What the device holds now: for a pad, the left stick in axes 0 and 1
    // and the layout's buttons, with the D-pad apart; otherwise its own.
    Controls held;
    std::uint8_t dpad = 0;
    Controls shown;  // what the platform was last told
  };

  SdlBackend() = default;
  bool Start(const SdlOptions& options, std::string& error);
  bool MakeWindow(const WindowDesc& desc);
  bool MakeRenderer();
  void ApplyWindowedGeometry();
  // The menu bar's height in the program's pixels, and in the window's.
  int MenuHeight() const;
  int ShownMenuHeight() const { return MenuHeight() * scale_; }
  // Draws the last picture, the menu bar and the open menu, and shows them.
  void Render();
  SDL_Rect PictureRect() const;
  void OutputSize(int& width, int& height) const;
  // Software path: the window's surface, with a renderer on it for the menu
  // (both made again when the window's size changes).
  bool AttachSurface();
  // Software path: keeps FRAME's pixels and palette; true when anything
  // besides pixels changed (size, place, format, palette), and in any case
  // sets dirty_ to areas that cover the pixels that differ.
  bool KeepFrame(const FrameView& frame);
  // Software path: converts an area of the kept frame into the surface.
  void DrawArea(const PixelArea& area, const SDL_Rect& picture);
  void LogSleep(std::int64_t lateUs);

  // Events.
  void Translate(const SDL_Event& e);
  void TranslateWindowEvent(const SDL_WindowEvent& e);
  void TranslateKey(const SDL_KeyboardEvent& e);
  void TranslateMouse(const SDL_Event& e);
  void Deliver(const MenuOutcome& outcome);
  void Push(const Event& event);
  void PushSimple(EventType type);
  void ReportPosition();
  // SDL's audio thread calls it; nothing may escape into SDL.
  static void AudioCallback(void* self, Uint8* stream, int length) noexcept;

  // Pads (sdl_pads.cpp).
  void TranslatePad(const SDL_Event& e);
  // Binds SDL's device DEVICE_INDEX to the first free port.
  void OpenPad(int deviceIndex);
  // Lets the device go; the pads in later ports move down one.
  void ClosePad(SDL_JoystickID instance);
  // The port the device is bound to, when bound as a pad (PAD) or as a raw
  // joystick; -1 otherwise.
  int PortOf(SDL_JoystickID instance, bool pad) const;
  // Reads the bound device's whole state, then publishes it.
  void Refresh(int port);
  // Tells the platform what changed on PORT since it was last told.
  void Publish(int port);
  void Tap(std::uint32_t frames);

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;  // on the window, or on surface_ in the software path
  bool accelerated_ = false;
  FrameConverter converter_;
  MenuBar menu_;
  bool menuFont_ = false;
  int scale_ = 1;

  // Accelerated path: the picture at its own size, scaled by the renderer.
  SDL_Texture* picture_ = nullptr;
  int textureWidth_ = 0, textureHeight_ = 0;
  int pictureWidth_ = 0, pictureHeight_ = 0;  // of the last frame
  int pictureX_ = 0, pictureY_ = 0;           // its place in the client area

  // Software path: the surface drawn on, the last frame kept (pixels and
  // palette) for redrawing and for finding what changed, and the areas that
  // cover what changed: a few rows each, as wide as their changes.
  SDL_Surface* surface_ = nullptr;
  int surfaceWidth_ = 0, surfaceHeight_ = 0;
  void* surfacePixels_ = nullptr;
  SDL_Surface* staging_ = nullptr;  // when the surface is not 32-bit X8R8G8B8
  std::vector<std::uint8_t> kept_;
  std::array<PALETTEENTRY, 256> keptPalette_{};
  FrameView keptFrame_{};
  static constexpr std::size_t kMaxAreas = 64;
  std::array<PixelArea, kMaxAreas> dirty_{};
  std::size_t dirtyCount_ = 0;
  bool redrawAll_ = true;

  DisplayMode desktop_{};  // as the program sees it: the real one divided by the scale
  std::vector<DisplayMode> modes_;
  std::vector<DriverInfo> drivers_;
  DisplayMode shownMode_{};
  bool fullScreen_ = false;
  WindowDesc desc_;
  bool haveDesc_ = false;

  std::array<Event, 256> queue_{};
  std::size_t queueHead_ = 0, queueCount_ = 0;

  std::array<Port, kPorts> ports_{};
  int boundPorts_ = 0;  // ports 0 .. boundPorts_ - 1 have a device
  int portCount_ = 1;   // ports the platform was told of; never shrinks
  SDL_AudioDeviceID audio_ = 0;
  AudioSource* audioSource_ = nullptr;
  std::uint32_t audioChannels_ = 2;
  std::vector<std::int32_t> audioSums_;
  std::vector<std::int16_t> tapSamples_;
  std::FILE* audioTap_ = nullptr;
  OutputLimiter limiter_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();

  // How late sleeps woke, in 10 us steps up to 20 ms; written on exit to the
  // file BRIN_SDL_SLEEP_LOG names, when it is set.
  std::array<std::uint32_t, 2001> sleepLateness_{};
  std::string sleepLog_;
};

}  // namespace platform::sdl
