// What a back end must provide to the platform layer.
//
// The platform layer (DirectDraw, GDI, the window layer, DirectInput,
// DirectSound) is plain software; a back end is the only code that talks to
// the outside world. Two exist: backend/sdl (a real window, audio device and
// joysticks through SDL2) and backend/headless (memory only, driven by tests).
// The real program installs the SDL one with platform::Install; tests make a
// HeadlessBackend and install that.
//
// Calls come from the thread that runs the message loop. Nothing here may
// allocate on the per-frame paths (Present, PollEvent, clock, joystick state).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace platform {

// A display mode as DirectDraw enumerates it.
struct DisplayMode {
  DWORD width = 0;
  DWORD height = 0;
  DWORD bitsPerPixel = 0;
  DWORD refreshRate = 0;  // Hz; 0 = the adapter's default
};

// A DirectDraw driver besides the primary display driver (which always exists
// and has no GUID). Secondary drivers exist only where the back end declares
// them; they let tests drive the named-driver and 3D-driver searches.
struct DriverInfo {
  GUID guid{};
  std::string description;
  std::string name;
  bool hardware3D = false;  // DDCAPS_3D in its caps and DDSCAPS_3DDEVICE in its surface caps
};

// One image handed to the back end for display. Pixels are in the format the
// emulated display has (8-bit indices with a palette, 16, 24 or 32 bits with
// the given masks); the back end converts while presenting.
struct FrameView {
  const std::uint8_t* pixels = nullptr;
  // Where the image's top-left pixel lies in the client area. Non-zero only
  // when part of the client area is off the desktop and was clipped away.
  std::int32_t clientX = 0;
  std::int32_t clientY = 0;
  std::int32_t pitch = 0;  // bytes from one row to the next
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t redMask = 0, greenMask = 0, blueMask = 0;
  const PALETTEENTRY* palette = nullptr;  // 256 entries when bitsPerPixel is 8
};

// Input and window events, delivered in order by PollEvent.
enum class EventType : std::uint8_t {
  None,
  KeyDown,         // key: scanCode (DirectInput numbering), virtualKey (VK_*), repeat
  KeyUp,           // key
  MouseMove,       // mouse: x, y in client coordinates; dx, dy relative motion
  MouseButtonDown, // mouse: button 0 left, 1 right, 2 middle
  MouseButtonUp,
  MouseWheel,      // mouse: dz in wheel units (120 a notch)
  JoystickAxis,    // joystick: index, axis (0 x, 1 y, 2 z, 3 rx, 4 ry, 5 rz), value -32768..32767
  JoystickButton,  // joystick: index, button, pressed
  JoystickHat,     // joystick: index, hat, value in hundredths of a degree clockwise from up, -1 centred
  JoystickAdded,
  JoystickRemoved,
  FocusGained,     // the application's window became active
  FocusLost,
  Minimised,
  Restored,
  Expose,          // the window needs painting
  Close,           // the user asked to close the window
  MenuCommand,     // menu: the command id of the chosen item
  MenuLoopEnter,   // a menu was opened (mouse, Alt, F10)
  MenuLoopExit,    // the menu closed; a chosen item's MenuCommand follows
  Moved,           // window: the client area's new origin on the desktop (windowed only)
};

struct KeyEvent {
  std::uint16_t scanCode;    // DIK_* numbering (0x01 Escape, 0xC8 up arrow, ...)
  std::uint16_t virtualKey;  // VK_* code (27 Escape, 0x26 up arrow, 'A'...)
  bool repeat;
  bool shift, control, alt;
};

struct MouseEvent {
  std::int32_t x, y;
  std::int32_t dx, dy, dz;
  std::uint8_t button;
};

struct JoystickEvent {
  std::int32_t index;
  std::int32_t control;  // axis or button number
  std::int32_t value;    // axis position, or 1/0 for a button
};

struct MenuEvent {
  std::uint32_t commandId;
};

struct WindowEvent {
  std::int32_t x, y;
};

struct Event {
  EventType type = EventType::None;
  union {
    KeyEvent key;
    MouseEvent mouse;
    JoystickEvent joystick;
    MenuEvent menu;
    WindowEvent window;
  };
  Event() : key{} {}
};

// Menu bar description the window layer gives the back end to draw.
//
// A screen-mode role marks the items that switch between window and full
// screen: the back end's own shortcut for that switch (Alt+Enter on SDL)
// chooses the item, so the application sees exactly what a menu choice does.
enum class MenuRole : std::uint8_t { None, WindowMode, FullScreenMode };

struct MenuItemDesc {
  std::string caption;  // UTF-8, '&' marks the accelerator
  std::uint32_t commandId = 0;
  bool checked = false;
  bool enabled = true;
  MenuRole role = MenuRole::None;
};
struct MenuTopDesc {
  std::string caption;  // UTF-8 with '&'
  bool enabled = true;
  std::vector<MenuItemDesc> items;
};
struct MenuDesc {
  std::vector<MenuTopDesc> tops;  // left to right; empty: no menu bar
};

// The emulated window frame. The window layer's outer bounds are the client
// area grown by these; the back end draws the menu bar at this height so that
// the client area it reports lies right below the bar it shows.
struct WindowMetrics {
  static constexpr std::int32_t kBorder = 4;        // left, right and bottom frame
  static constexpr std::int32_t kCaption = 18;      // title bar, above the top frame
  static constexpr std::int32_t kMenuBar = 20;      // one line of menu bar
};

// Where the main window is and what it shows. Coordinates are on the
// emulated desktop; in full screen the back end shows the display mode's
// picture instead and keeps these for the return to the window.
struct WindowDesc {
  std::string caption;   // UTF-8
  RECT client{};         // client area in screen coordinates (below the menu bar)
  bool visible = false;
  bool minimised = false;
  bool hasMenu = false;
};

// Message box buttons and answers, with the window layer's numbering.
enum class MessageBoxButtons : std::uint8_t { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MessageBoxIcon : std::uint8_t { None, Information, Warning, Error, Question };

struct JoystickInfo {
  std::string name;
  GUID instance{};
  std::int32_t axes = 0;
  std::int32_t buttons = 0;
  std::int32_t povs = 0;
  bool forceFeedback = false;  // the device can play force-feedback effects
};

// Pulled by the back end whenever it needs audio: fills FRAMES frames of
// interleaved signed 16-bit samples at the opened rate and channel count.
// Called on the back end's audio thread, so it must not throw.
class AudioSource {
 public:
  virtual ~AudioSource() = default;
  virtual void Mix(std::int16_t* out, std::uint32_t frames) noexcept = 0;
  // The same mix as it is before the clamp to 16 bits: for a back end whose
  // output stage brings loud sums down itself, where a sound card would.
  virtual void MixWide(std::int32_t* out, std::uint32_t frames) noexcept = 0;
};

struct AudioFormat {
  std::uint32_t rate = 44100;
  std::uint32_t channels = 2;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // --- display -----------------------------------------------------------
  // The desktop's mode: the size and depth of the emulated screen while no
  // program holds a full-screen mode.
  virtual DisplayMode DesktopMode() const = 0;
  // Modes DirectDraw enumerates, in the order reported.
  virtual const std::vector<DisplayMode>& DisplayModes() const = 0;
  // Bytes of video memory surfaces may occupy; 0 means none at all.
  virtual std::uint64_t VideoMemoryBytes() const = 0;
  // Whether the primary display driver reports DDCAPS_3D and DDSCAPS_3DDEVICE.
  virtual bool PrimaryHas3D() const = 0;
  virtual const std::vector<DriverInfo>& ExtraDrivers() const = 0;
  // The display is switched to MODE (fullScreen) or back to the desktop.
  // Returns false when the back end cannot show it.
  virtual bool SetDisplayMode(const DisplayMode& mode, bool fullScreen) = 0;
  // Shows FRAME in the main window's client area (or the whole screen in
  // full screen). Called after something was drawn onto the visible surface.
  virtual void Present(const FrameView& frame) = 0;

  // --- window ------------------------------------------------------------
  // Creates or updates the main window. Returns false when no window can be
  // shown (no display): the platform then reports it and the program stops.
  virtual bool UpdateWindow(const WindowDesc& window) = 0;
  // Sets and redraws the menu bar.
  virtual void SetMenu(const MenuDesc& menu) = 0;
  // Redraws the window frame and menu bar (the picture is left as it is).
  virtual void RedrawFrame() = 0;
  // Puts the window above the others.
  virtual void RaiseWindow() = 0;
  virtual void SetCursorVisible(bool visible) = 0;
  virtual void SetScreenSaverEnabled(bool enabled) = 0;
  // Shows a modal box and waits for an answer. Returns the index of the
  // button pressed (0 the first, in the order the buttons are named), or -1
  // when no box could be shown.
  virtual int ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                             MessageBoxIcon icon) = 0;

  // --- events ------------------------------------------------------------
  virtual bool PollEvent(Event& event) = 0;
  // Blocks until an event is queued or TIMEOUT_MS passed.
  virtual void WaitEvent(std::uint32_t timeoutMs) = 0;

  // --- joysticks ---------------------------------------------------------
  virtual std::int32_t JoystickCount() const = 0;
  virtual bool GetJoystickInfo(std::int32_t index, JoystickInfo& info) const = 0;

  // --- audio -------------------------------------------------------------
  // Opens the output device and starts pulling from SOURCE. Returns false
  // when no device exists.
  virtual bool OpenAudio(const AudioFormat& format, AudioSource* source) = 0;
  virtual void CloseAudio() = 0;

  // --- clock -------------------------------------------------------------
  // Microseconds since the back end started; never goes backwards.
  virtual std::uint64_t NowMicroseconds() = 0;
  virtual void SleepMicroseconds(std::uint64_t us) = 0;
  // Refresh rate of the current display, for vertical-blank timing.
  virtual std::uint32_t RefreshRateHz() const = 0;
};

}  // namespace platform
