// SDL's events become the platform's: keys with their DirectInput and
// virtual codes, the menu's loop and commands, focus, window changes, mouse
// and pads (these in sdl_pads.cpp). The menu takes its keys and clicks
// before the program.
#include "platform/backend/sdl/sdl_backend.h"
#include "platform/backend/sdl/sdl_keys.h"

namespace platform::sdl {

void SdlBackend::Push(const Event& event) {
  // A full queue drops the newest event rather than grow on the frame path.
  if (queueCount_ == queue_.size()) return;
  queue_[(queueHead_ + queueCount_) % queue_.size()] = event;
  ++queueCount_;
}

void SdlBackend::PushSimple(EventType type) {
  Event e;
  e.type = type;
  Push(e);
}

bool SdlBackend::PollEvent(Event& event) {
  SDL_Event e;
  while (queueCount_ == 0 && SDL_PollEvent(&e)) Translate(e);
  if (queueCount_ == 0) return false;
  event = queue_[queueHead_];
  queueHead_ = (queueHead_ + 1) % queue_.size();
  --queueCount_;
  return true;
}

void SdlBackend::WaitEvent(std::uint32_t timeoutMs) {
  if (queueCount_ > 0) return;
  SDL_Event e;
  if (SDL_WaitEventTimeout(&e, static_cast<int>(timeoutMs))) Translate(e);
}

void SdlBackend::Deliver(const MenuOutcome& outcome) {
  if (outcome.opened) PushSimple(EventType::MenuLoopEnter);
  if (outcome.closed) PushSimple(EventType::MenuLoopExit);
  if (outcome.command) {
    Event e;
    e.type = EventType::MenuCommand;
    e.menu = MenuEvent{outcome.command};
    Push(e);
  }
  if (outcome.opened || outcome.closed || outcome.changed) Render();
}

void SdlBackend::ReportPosition() {
  if (!window_ || fullScreen_ || !haveDesc_) return;
  // The window's place now, not the event's: a move we asked for may
  // overtake the reports of earlier ones.
  int x = 0, y = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  x /= scale_;
  y = y / scale_ + MenuHeight();
  if (x == desc_.client.left && y == desc_.client.top) return;
  const LONG w = desc_.client.right - desc_.client.left, h = desc_.client.bottom - desc_.client.top;
  desc_.client = RECT{x, y, x + w, y + h};
  Event e;
  e.type = EventType::Moved;
  e.window = WindowEvent{x, y};
  Push(e);
}

void SdlBackend::Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      PushSimple(EventType::Close);
      return;
    case SDL_WINDOWEVENT:
      TranslateWindowEvent(e.window);
      return;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      TranslateKey(e.key);
      return;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
      TranslateMouse(e);
      return;
    case SDL_JOYAXISMOTION:
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
    case SDL_JOYHATMOTION:
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED:
    case SDL_CONTROLLERAXISMOTION:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      TranslatePad(e);
      return;
    default:
      return;
  }
}

void SdlBackend::TranslateWindowEvent(const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
      PushSimple(EventType::Close);
      return;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      PushSimple(EventType::FocusGained);
      return;
    case SDL_WINDOWEVENT_FOCUS_LOST: {
      MenuOutcome outcome;
      menu_.Close(outcome);
      Deliver(outcome);
      PushSimple(EventType::FocusLost);
      return;
    }
    case SDL_WINDOWEVENT_EXPOSED:
      redrawAll_ = true;
      Render();
      PushSimple(EventType::Expose);
      return;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      redrawAll_ = true;
      Render();
      return;
    case SDL_WINDOWEVENT_MINIMIZED:
      if (!desc_.minimised) {
        desc_.minimised = true;
        PushSimple(EventType::Minimised);
      }
      return;
    case SDL_WINDOWEVENT_RESTORED:
      if (desc_.minimised) {
        desc_.minimised = false;
        PushSimple(EventType::Restored);
      }
      return;
    case SDL_WINDOWEVENT_MOVED:
      ReportPosition();
      return;
    default:
      return;
  }
}

void SdlBackend::TranslateKey(const SDL_KeyboardEvent& key) {
  const bool down = key.type == SDL_KEYDOWN;
  const bool alt = (key.keysym.mod & KMOD_ALT) != 0;
  // Alt+Enter switches between window and full screen by choosing the menu
  // item for the other mode, as if the user had.
  if (down && alt && !key.repeat && !menu_.IsOpen() &&
      (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER)) {
    const std::uint32_t command = menu_.CommandFor(fullScreen_ ? MenuRole::WindowMode : MenuRole::FullScreenMode);
    if (command) {
      Deliver(MenuOutcome{true, true, command});
      return;
    }
  }
  MenuOutcome outcome;
  if (menu_.HandleKey(key, outcome)) {
    Deliver(outcome);
    return;
  }
  const KeyCodes codes = MapKey(key.keysym.scancode, (key.keysym.mod & KMOD_NUM) != 0);
  if (codes.virtualKey == 0 && codes.scanCode == 0) return;
  Event e;
  e.type = down ? EventType::KeyDown : EventType::KeyUp;
  e.key = KeyEvent{codes.scanCode, codes.virtualKey, key.repeat != 0, (key.keysym.mod & KMOD_SHIFT) != 0,
                   (key.keysym.mod & KMOD_CTRL) != 0, alt};
  Push(e);
}

void SdlBackend::TranslateMouse(const SDL_Event& e) {
  const SDL_Rect picture = PictureRect();
  // Menu coordinates: the bar's top-left is the window's (window) or the
  // picture's top edge (full screen).
  const int menuX = fullScreen_ ? picture.x : 0;
  Event out;
  switch (e.type) {
    case SDL_MOUSEMOTION:
      if (menu_.IsOpen()) {
        if (menu_.HandleMotion(e.motion.x - menuX, e.motion.y)) Render();
        return;
      }
      out.type = EventType::MouseMove;
      out.mouse = MouseEvent{e.motion.x, e.motion.y, e.motion.xrel, e.motion.yrel, 0, 0};
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (e.type == SDL_MOUSEBUTTONDOWN && e.button.button == SDL_BUTTON_LEFT) {
        MenuOutcome outcome;
        const bool barShown = !fullScreen_ && ShownMenuHeight() > 0;
        if (menu_.HandleButton(e.button.x - menuX, e.button.y, barShown, outcome)) {
          Deliver(outcome);
          return;
        }
      }
      if (menu_.IsOpen()) return;
      out.type = e.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseButtonDown : EventType::MouseButtonUp;
      const std::uint8_t button = e.button.button == SDL_BUTTON_RIGHT ? 1 : e.button.button == SDL_BUTTON_MIDDLE ? 2 : 0;
      out.mouse = MouseEvent{e.button.x, e.button.y, 0, 0, 0, button};
      break;
    }
    case SDL_MOUSEWHEEL:
      out.type = EventType::MouseWheel;
      out.mouse = MouseEvent{0, 0, 0, 0, e.wheel.y * 120, 0};
      break;
    default:
      return;
  }
  // Positions in the program's client coordinates: below the bar in a
  // window (at its scale), in the emulated mode's pixels in full screen.
  if (fullScreen_ && picture.w > 0 && picture.h > 0) {
    out.mouse.x = (out.mouse.x - picture.x) * static_cast<int>(shownMode_.width) / picture.w;
    out.mouse.y = (out.mouse.y - picture.y) * static_cast<int>(shownMode_.height) / picture.h;
  } else if (out.type != EventType::MouseWheel) {
    out.mouse.x /= scale_;
    out.mouse.y = out.mouse.y / scale_ - MenuHeight();
  }
  Push(out);
}

}  // namespace platform::sdl
