#include "platform/backend/headless/headless_backend.h"

#include <algorithm>
#include <iterator>

#include "platform/exception.h"
#include "platform/pixels.h"

namespace platform {

HeadlessBackend::HeadlessBackend() {
  // A plain adapter: the usual VGA-era modes at every depth, plus the desktop's.
  for (DWORD bits : {8u, 16u, 24u, 32u}) {
    for (auto [w, h] : {std::pair<DWORD, DWORD>{320, 240}, {640, 480}, {800, 600}, {1024, 768}}) {
      modes_.push_back(DisplayMode{w, h, bits, 60});
    }
  }
  shownMode_ = desktop_;
}

void HeadlessBackend::SetFrameHistory(size_t count) {
  frameHistory_ = count == 0 ? 1 : count;
  while (frames_.size() > frameHistory_) frames_.pop_front();
}

void HeadlessBackend::QueueEvent(const Event& event, std::uint64_t afterFrames) {
  // Kept in due order, queueing order among equals, so that an event queued
  // for a later frame never holds back one that is due sooner.
  const Pending pending{event, framesPresented_ + afterFrames};
  auto at = events_.end();
  while (at != events_.begin() && std::prev(at)->dueFrame > pending.dueFrame) --at;
  events_.insert(at, pending);
}

void HeadlessBackend::QueueKeyDown(std::uint16_t virtualKey, std::uint16_t scanCode, std::uint64_t afterFrames) {
  Event e;
  e.type = EventType::KeyDown;
  e.key = KeyEvent{scanCode, virtualKey, false, false, false, false};
  QueueEvent(e, afterFrames);
}

void HeadlessBackend::QueueKeyUp(std::uint16_t virtualKey, std::uint16_t scanCode, std::uint64_t afterFrames) {
  Event e;
  e.type = EventType::KeyUp;
  e.key = KeyEvent{scanCode, virtualKey, false, false, false, false};
  QueueEvent(e, afterFrames);
}

void HeadlessBackend::QueueKeyPress(std::uint16_t virtualKey, std::uint16_t scanCode, std::uint64_t afterFrames,
                                    std::uint64_t holdFrames) {
  QueueKeyDown(virtualKey, scanCode, afterFrames);
  QueueKeyUp(virtualKey, scanCode, afterFrames + holdFrames);
}

void HeadlessBackend::QueueMenuChoice(std::uint32_t commandId, std::uint64_t afterFrames) {
  QueueSimple(EventType::MenuLoopEnter, afterFrames);
  QueueSimple(EventType::MenuLoopExit, afterFrames);
  Event e;
  e.type = EventType::MenuCommand;
  e.menu = MenuEvent{commandId};
  QueueEvent(e, afterFrames);
}

void HeadlessBackend::QueueSimple(EventType type, std::uint64_t afterFrames) {
  Event e;
  e.type = type;
  QueueEvent(e, afterFrames);
}

void HeadlessBackend::QueueMove(std::int32_t clientX, std::int32_t clientY, std::uint64_t afterFrames) {
  Event e;
  e.type = EventType::Moved;
  e.window = WindowEvent{clientX, clientY};
  QueueEvent(e, afterFrames);
}

void HeadlessBackend::PullAudio(std::uint32_t frames) {
  if (!audioSource_ || frames == 0) return;
  const size_t start = capturedAudio_.size();
  capturedAudio_.resize(start + static_cast<size_t>(frames) * audioFormat_.channels);
  audioSource_->Mix(capturedAudio_.data() + start, frames);
}

const HeadlessBackend::Frame& HeadlessBackend::LastFrame() const {
  if (frames_.empty()) throw Exception("no frame has been presented");
  return frames_.back();
}

bool HeadlessBackend::SetDisplayMode(const DisplayMode& mode, bool fullScreen) {
  shownMode_ = mode;
  fullScreen_ = fullScreen;
  return true;
}

void HeadlessBackend::Present(const FrameView& frame) {
  // Reuse the oldest frame's buffer once the history is full, so a long run
  // settles into no allocation at all. The frames turn round in place: a
  // pop at the front and a push at the back would make the deque take a
  // new block every few frames.
  if (frames_.size() >= frameHistory_) {
    std::rotate(frames_.begin(), frames_.begin() + 1, frames_.end());
  } else {
    frames_.emplace_back();
  }
  Frame& slot = frames_.back();
  slot.width = frame.width;
  slot.height = frame.height;
  slot.pixels.resize(static_cast<size_t>(frame.width) * frame.height);
  slot.timeUs = nowUs_;
  slot.number = ++framesPresented_;
  PixelView view;
  view.bits = const_cast<std::uint8_t*>(frame.pixels);
  view.pitch = frame.pitch;
  view.width = static_cast<std::int32_t>(frame.width);
  view.height = static_cast<std::int32_t>(frame.height);
  view.format = PixelFormat{frame.bitsPerPixel, frame.redMask, frame.greenMask, frame.blueMask, 0};
  view.palette = frame.palette;
  if (frame.pixels) ConvertToXrgb(view, slot.pixels.data());
}

bool HeadlessBackend::UpdateWindow(const WindowDesc& window) {
  if (!windowAvailable_) return false;
  window_ = window;
  ++windowUpdates_;
  return true;
}

void HeadlessBackend::SetMenu(const MenuDesc& menu) {
  menu_ = menu;
  ++menuUpdates_;
}

int HeadlessBackend::ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                                    MessageBoxIcon icon) {
  if (!windowAvailable_) return -1;
  messageBoxes_.push_back(MessageBoxRecord{text, caption, buttons, icon});
  if (messageBoxAnswers_.empty()) return 0;
  const int answer = messageBoxAnswers_.front();
  messageBoxAnswers_.pop_front();
  return answer;
}

bool HeadlessBackend::PollEvent(Event& event) {
  if (events_.empty() || events_.front().dueFrame > framesPresented_) return false;
  event = events_.front().event;
  events_.pop_front();
  return true;
}

void HeadlessBackend::WaitEvent(std::uint32_t timeoutMs) {
  if (!events_.empty() && events_.front().dueFrame <= framesPresented_) return;
  nowUs_ += static_cast<std::uint64_t>(timeoutMs) * 1000;
}

bool HeadlessBackend::GetJoystickInfo(std::int32_t index, JoystickInfo& info) const {
  if (index < 0 || index >= JoystickCount()) return false;
  info = joysticks_[static_cast<size_t>(index)];
  return true;
}

bool HeadlessBackend::OpenAudio(const AudioFormat& format, AudioSource* source) {
  if (!audioAvailable_) return false;
  audioFormat_ = format;
  audioSource_ = source;
  return true;
}

}  // namespace platform
