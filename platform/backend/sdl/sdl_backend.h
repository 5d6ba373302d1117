// The SDL2 back end: a real window with the menu bar drawn in it, full
// screen as the desktop's own mode with the picture scaled to fit, keyboard,
// mouse and joysticks, audio output and the clock.
//
// The emulated desktop is the real one: its size is the desktop mode, and the
// window registry's client rectangle is the window's real client position
// less the menu bar drawn at its top. A full-screen display mode is emulated:
// DirectDraw reports it; the picture is scaled (nearest neighbour, aspect
// kept, centred) onto a full-screen window in the desktop's own mode.
//
// Joysticks are shown as ports (sdl_pads.cpp): port 0 exists from the start
// even with nothing plugged in, pads fill the ports as they come and go, and
// pads SDL's game-controller database knows all show one button layout.
#pragma once

#include <SDL.h>

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend/backend.h"
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
  static std::unique_ptr<SdlBackend> Create(std::string& error, const SdlOptions& options = {});
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
  // Converts and uploads FRAME into the picture texture without showing it
  // (the part of Present the benchmark measures).
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
  bool Start(std::string& error, const SdlOptions& options);
  bool MakeWindow(const WindowDesc& desc);
  void ApplyWindowedGeometry();
  int MenuHeight() const;
  // Draws the last picture, the menu bar and the open menu, and shows them.
  void Render();
  SDL_Rect PictureRect() const;

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

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* picture_ = nullptr;
  int textureWidth_ = 0, textureHeight_ = 0;
  int pictureWidth_ = 0, pictureHeight_ = 0;  // of the last frame
  int pictureX_ = 0, pictureY_ = 0;           // its place in the client area
  FrameConverter converter_;
  MenuBar menu_;
  bool menuFont_ = false;

  DisplayMode desktop_{};
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
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace platform::sdl
