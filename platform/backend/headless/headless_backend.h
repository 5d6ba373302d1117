// The headless back end: everything in memory, deterministic, for tests.
//
// The display, its modes and video memory are whatever the test sets; the
// clock is virtual and moves only when someone sleeps, waits or advances it;
// every presented frame is kept (converted to 0x00RRGGBB) for inspection;
// events are queued by the test, optionally to arrive with a later frame;
// mixed audio is pulled by the test and kept.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/backend/backend.h"

namespace platform {

class HeadlessBackend : public Backend {
 public:
  struct Frame {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row by row
    std::uint64_t timeUs = 0;           // virtual time of the present
    std::uint64_t number = 0;           // 1 for the first frame presented

    std::uint32_t At(std::uint32_t x, std::uint32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  };

  // One message box the program showed.
  struct MessageBoxRecord {
    std::string text;
    std::string caption;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxIcon icon = MessageBoxIcon::None;
  };

  HeadlessBackend();

  // --- set-up by the test --------------------------------------------------
  void SetDesktopMode(const DisplayMode& mode) { desktop_ = mode; }
  void SetDisplayModes(std::vector<DisplayMode> modes) { modes_ = std::move(modes); }
  void SetVideoMemoryBytes(std::uint64_t bytes) { videoMemory_ = bytes; }
  void SetPrimaryHas3D(bool has3D) { primary3D_ = has3D; }
  void AddDriver(const DriverInfo& driver) { drivers_.push_back(driver); }
  void SetAudioAvailable(bool available) { audioAvailable_ = available; }
  void SetRefreshRate(std::uint32_t hz) { refreshHz_ = hz; }
  void SetWindowAvailable(bool available) { windowAvailable_ = available; }
  // The attached joysticks. Neither call queues an event: a test that plays
  // a plug or an unplug queues JoystickAdded or JoystickRemoved itself.
  void AddJoystick(const JoystickInfo& info) { joysticks_.push_back(info); }
  void RemoveJoystick(std::int32_t index) {
    if (index >= 0 && index < JoystickCount()) joysticks_.erase(joysticks_.begin() + index);
  }
  // How many presented frames to keep (the oldest are dropped). Default 16.
  void SetFrameHistory(size_t count);
  // Moves the virtual clock on by US at every read, so that a program that
  // busy-waits on the clock (a frame pace, a tick-count loop) gets there.
  // Default 0: the clock moves only when someone sleeps, waits or advances it.
  void SetClockStepPerRead(std::uint64_t us) { clockStepPerRead_ = us; }
  // Answers for the next message boxes, in order: the index of the button
  // pressed. Without one queued, a box is answered with its first button.
  void QueueMessageBoxAnswer(int button) { messageBoxAnswers_.push_back(button); }

  // --- driving -------------------------------------------------------------
  // Queues EVENT to be delivered once AFTER_FRAMES more frames have been
  // presented (0: at the next poll).
  void QueueEvent(const Event& event, std::uint64_t afterFrames = 0);
  // Shorthands for the usual events. A key press is a key-down followed by
  // its key-up in the same frame unless HOLD_FRAMES says how many frames the
  // key stays down.
  void QueueKeyDown(std::uint16_t virtualKey, std::uint16_t scanCode, std::uint64_t afterFrames = 0);
  void QueueKeyUp(std::uint16_t virtualKey, std::uint16_t scanCode, std::uint64_t afterFrames = 0);
  void QueueKeyPress(std::uint16_t virtualKey, std::uint16_t scanCode, std::uint64_t afterFrames = 0,
                     std::uint64_t holdFrames = 0);
  // The user opens the menu and chooses the item COMMAND_ID: the menu loop's
  // enter and exit, then the command, as the real menu delivers them.
  void QueueMenuChoice(std::uint32_t commandId, std::uint64_t afterFrames = 0);
  void QueueSimple(EventType type, std::uint64_t afterFrames = 0);
  void QueueMove(std::int32_t clientX, std::int32_t clientY, std::uint64_t afterFrames = 0);
  void AdvanceClock(std::uint64_t us) { nowUs_ += us; }
  // Pulls FRAMES frames of audio from the open source into the capture.
  void PullAudio(std::uint32_t frames);

  // --- inspection ----------------------------------------------------------
  std::uint64_t FramesPresented() const { return framesPresented_; }
  // Kept frames, oldest first. Empty until something was presented.
  const std::deque<Frame>& Frames() const { return frames_; }
  const Frame& LastFrame() const;
  const DisplayMode& ShownMode() const { return shownMode_; }
  bool FullScreen() const { return fullScreen_; }
  const WindowDesc& Window() const { return window_; }
  int WindowUpdates() const { return windowUpdates_; }
  const MenuDesc& Menu() const { return menu_; }
  bool CursorVisible() const { return cursorVisible_; }
  bool ScreenSaverEnabled() const { return screenSaver_; }
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }
  int MenuUpdates() const { return menuUpdates_; }
  int FrameRedraws() const { return frameRedraws_; }
  int Raises() const { return raises_; }
  bool AudioOpen() const { return audioSource_ != nullptr; }
  const AudioFormat& OpenedAudioFormat() const { return audioFormat_; }
  const std::vector<std::int16_t>& CapturedAudio() const { return capturedAudio_; }
  size_t PendingEvents() const { return events_.size(); }
  // Reads of the clock so far: a wait that spins reads it thousands of times.
  std::uint64_t ClockReads() const { return clockReads_; }

  // --- Backend -------------------------------------------------------------
  DisplayMode DesktopMode() const override { return desktop_; }
  const std::vector<DisplayMode>& DisplayModes() const override { return modes_; }
  std::uint64_t VideoMemoryBytes() const override { return videoMemory_; }
  bool PrimaryHas3D() const override { return primary3D_; }
  const std::vector<DriverInfo>& ExtraDrivers() const override { return drivers_; }
  bool SetDisplayMode(const DisplayMode& mode, bool fullScreen) override;
  void Present(const FrameView& frame) override;
  bool UpdateWindow(const WindowDesc& window) override;
  void SetMenu(const MenuDesc& menu) override;
  void RedrawFrame() override { ++frameRedraws_; }
  void RaiseWindow() override { ++raises_; }
  void SetCursorVisible(bool visible) override { cursorVisible_ = visible; }
  void SetScreenSaverEnabled(bool enabled) override { screenSaver_ = enabled; }
  int ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                     MessageBoxIcon icon) override;
  bool PollEvent(Event& event) override;
  void WaitEvent(std::uint32_t timeoutMs) override;
  std::int32_t JoystickCount() const override { return static_cast<std::int32_t>(joysticks_.size()); }
  bool GetJoystickInfo(std::int32_t index, JoystickInfo& info) const override;
  bool OpenAudio(const AudioFormat& format, AudioSource* source) override;
  void CloseAudio() override { audioSource_ = nullptr; }
  std::uint64_t NowMicroseconds() override {
    const std::uint64_t now = nowUs_;
    nowUs_ += clockStepPerRead_;
    ++clockReads_;
    return now;
  }
  void SleepMicroseconds(std::uint64_t us) override { nowUs_ += us; }
  std::uint32_t RefreshRateHz() const override { return refreshHz_; }

 private:
  struct Pending {
    Event event;
    std::uint64_t dueFrame;
  };

  DisplayMode desktop_{1024, 768, 32, 60};
  std::vector<DisplayMode> modes_;
  std::uint64_t videoMemory_ = 16u << 20;
  bool primary3D_ = false;
  std::vector<DriverInfo> drivers_;
  bool audioAvailable_ = true;
  bool windowAvailable_ = true;
  std::uint32_t refreshHz_ = 60;
  std::vector<JoystickInfo> joysticks_;

  DisplayMode shownMode_{};
  bool fullScreen_ = false;
  WindowDesc window_;
  int windowUpdates_ = 0;
  MenuDesc menu_;
  int menuUpdates_ = 0;
  int frameRedraws_ = 0;
  int raises_ = 0;
  bool cursorVisible_ = true;
  bool screenSaver_ = true;
  std::vector<MessageBoxRecord> messageBoxes_;
  std::deque<int> messageBoxAnswers_;
  std::uint64_t clockStepPerRead_ = 0;
  std::uint64_t clockReads_ = 0;

  std::deque<Pending> events_;
  std::deque<Frame> frames_;
  size_t frameHistory_ = 16;
  std::uint64_t framesPresented_ = 0;
  std::uint64_t nowUs_ = 0;

  AudioSource* audioSource_ = nullptr;
  AudioFormat audioFormat_{};
  std::vector<std::int16_t> capturedAudio_;
};

}  // namespace platform
