// Joysticks and pads as ports.
//
// The platform numbers joysticks by port. Ports never go away, and port 0
// exists from the start even with nothing plugged in: a program that opens
// its joysticks once, when it starts, still reads a pad plugged in later.
// Devices fill the ports in the order they arrive; when one goes, those in
// later ports move down one, so port 0 holds a device while any is
// connected. A port without a device reads centred with no button held.
//
// A device SDL's game-controller database knows (its built-in mappings, the
// SDL_GAMECONTROLLERCONFIG variable, the program's mapping file) shows one
// layout whatever its make: X and Y from the left stick, where a held D-pad
// direction overrules the stick at full deflection; buttons 0 to 7 are the
// south, east, west and north face buttons, the left and right shoulders,
// Back and Start. Other joysticks show their own axes, buttons and hats.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "platform/backend/sdl/sdl_backend.h"

namespace platform::sdl {
namespace {

// The pad layout's buttons, in the platform's numbering.
constexpr SDL_GameControllerButton kPadButtons[] = {
    SDL_CONTROLLER_BUTTON_A,    SDL_CONTROLLER_BUTTON_B,     SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,    SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_START,
};

// D-pad directions, one bit each, indexed from SDL_CONTROLLER_BUTTON_DPAD_UP.
constexpr std::uint8_t kUp = 1, kDown = 2, kLeft = 4, kRight = 8;
constexpr std::uint8_t kDpadBits[] = {kUp, kDown, kLeft, kRight};

std::uint8_t DpadBit(int button) {
  const int d = button - SDL_CONTROLLER_BUTTON_DPAD_UP;
  return d >= 0 && d < 4 ? kDpadBits[d] : 0;
}

int PadButtonIndex(int button) {
  for (int i = 0; i < static_cast<int>(std::size(kPadButtons)); ++i)
    if (kPadButtons[i] == button) return i;
  return -1;
}

// One axis of the pad layout: a D-pad direction held alone is full
// deflection; with neither (or both) held, the stick says.
std::int32_t PadAxis(std::int32_t stick, bool negative, bool positive) {
  if (negative == positive) return stick;
  return negative ? -32768 : 32767;
}

// A hat's position as a point-of-view angle: hundredths of a degree
// clockwise from up, -1 when centred.
std::int32_t HatDirection(Uint8 hat) {
  switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return -1;
  }
}

void SetBit(std::uint32_t& bits, int bit, bool on) {
  if (on) {
    bits |= 1u << bit;
  } else {
    bits &= ~(1u << bit);
  }
}

}  // namespace

std::int32_t SdlBackend::JoystickCount() const { return portCount_; }

bool SdlBackend::GetJoystickInfo(std::int32_t index, JoystickInfo& info) const {
  if (index < 0 || index >= portCount_) return false;
  const Port& port = ports_[static_cast<std::size_t>(index)];
  const char* name = port.pad ? SDL_GameControllerName(port.pad) : port.joystick ? SDL_JoystickName(port.joystick) : nullptr;
  info.name = name ? name : "Joystick";
  info.instance = GUID{};
  if (port.joystick) {
    const SDL_JoystickGUID guid = SDL_JoystickGetGUID(port.joystick);
    static_assert(sizeof(guid.data) == sizeof(GUID));
    std::memcpy(&info.instance, guid.data, sizeof(GUID));
  }
  info.axes = kPortAxes;
  info.buttons = kPortButtons;
  info.povs = kPortHats;
  info.forceFeedback = false;
  return true;
}

int SdlBackend::PortOf(SDL_JoystickID instance, bool pad) const {
  for (int i = 0; i < boundPorts_; ++i)
    if (ports_[i].instance == instance) return (ports_[i].pad != nullptr) == pad ? i : -1;
  return -1;
}

void SdlBackend::OpenPad(int deviceIndex) {
  const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  // Devices present at start are announced again by SDL's first events.
  if (instance < 0 || PortOf(instance, true) >= 0 || PortOf(instance, false) >= 0) return;
  if (boundPorts_ == kPorts) return;
  Port& port = ports_[static_cast<std::size_t>(boundPorts_)];
  port.pad = SDL_IsGameController(deviceIndex) ? SDL_GameControllerOpen(deviceIndex) : nullptr;
  port.joystick = port.pad ? SDL_GameControllerGetJoystick(port.pad) : SDL_JoystickOpen(deviceIndex);
  if (!port.joystick) {
    if (port.pad) SDL_GameControllerClose(port.pad);
    port.pad = nullptr;
    return;
  }
  port.instance = instance;
  const int index = boundPorts_++;
  if (index >= portCount_) {
    portCount_ = index + 1;
    Event added;
    added.type = EventType::JoystickAdded;
    added.joystick = JoystickEvent{index, 0, 0};
    Push(added);
  }
  Refresh(index);
}

void SdlBackend::ClosePad(SDL_JoystickID instance) {
  int index = PortOf(instance, true);
  if (index < 0) index = PortOf(instance, false);
  if (index < 0) return;
  Port& gone = ports_[static_cast<std::size_t>(index)];
  if (gone.pad) {
    SDL_GameControllerClose(gone.pad);
  } else {
    SDL_JoystickClose(gone.joystick);
  }
  for (int i = index; i < boundPorts_; ++i) {
    Port& port = ports_[static_cast<std::size_t>(i)];
    const Port* next = i + 1 < boundPorts_ ? &ports_[static_cast<std::size_t>(i + 1)] : nullptr;
    port.pad = next ? next->pad : nullptr;
    port.joystick = next ? next->joystick : nullptr;
    port.instance = next ? next->instance : -1;
    Refresh(i);
  }
  --boundPorts_;
}

void SdlBackend::Refresh(int index) {
  Port& port = ports_[static_cast<std::size_t>(index)];
  port.held = Controls{};
  port.dpad = 0;
  if (port.pad) {
    port.held.axes[0] = SDL_GameControllerGetAxis(port.pad, SDL_CONTROLLER_AXIS_LEFTX);
    port.held.axes[1] = SDL_GameControllerGetAxis(port.pad, SDL_CONTROLLER_AXIS_LEFTY);
    for (int i = 0; i < static_cast<int>(std::size(kPadButtons)); ++i)
      SetBit(port.held.buttons, i, SDL_GameControllerGetButton(port.pad, kPadButtons[i]) != 0);
    for (int b = SDL_CONTROLLER_BUTTON_DPAD_UP; b <= SDL_CONTROLLER_BUTTON_DPAD_RIGHT; ++b)
      if (SDL_GameControllerGetButton(port.pad, static_cast<SDL_GameControllerButton>(b))) port.dpad |= DpadBit(b);
  } else if (port.joystick) {
    const int axes = std::min(SDL_JoystickNumAxes(port.joystick), kPortAxes);
    for (int i = 0; i < axes; ++i) port.held.axes[static_cast<std::size_t>(i)] = SDL_JoystickGetAxis(port.joystick, i);
    const int buttons = std::min(SDL_JoystickNumButtons(port.joystick), kPortButtons);
    for (int i = 0; i < buttons; ++i) SetBit(port.held.buttons, i, SDL_JoystickGetButton(port.joystick, i) != 0);
    const int hats = std::min(SDL_JoystickNumHats(port.joystick), kPortHats);
    for (int i = 0; i < hats; ++i)
      port.held.hats[static_cast<std::size_t>(i)] = HatDirection(SDL_JoystickGetHat(port.joystick, i));
  }
  Publish(index);
}

void SdlBackend::Publish(int index) {
  Port& port = ports_[static_cast<std::size_t>(index)];
  Controls now = port.held;
  if (port.pad) {
    now.axes[0] = PadAxis(now.axes[0], port.dpad & kLeft, port.dpad & kRight);
    now.axes[1] = PadAxis(now.axes[1], port.dpad & kUp, port.dpad & kDown);
  }
  Event e;
  for (int i = 0; i < kPortAxes; ++i) {
    const std::int32_t value = now.axes[static_cast<std::size_t>(i)];
    if (value == port.shown.axes[static_cast<std::size_t>(i)]) continue;
    e.type = EventType::JoystickAxis;
    e.joystick = JoystickEvent{index, i, value};
    Push(e);
  }
  // The changed bits first: GCC 12 at -O2 drops presses from a loop that
  // compares each bit of the two masks as bools.
  const std::uint32_t changed = now.buttons ^ port.shown.buttons;
  for (int i = 0; i < kPortButtons; ++i) {
    if (((changed >> i) & 1u) == 0) continue;
    e.type = EventType::JoystickButton;
    e.joystick = JoystickEvent{index, i, static_cast<std::int32_t>((now.buttons >> i) & 1u)};
    Push(e);
  }
  for (int i = 0; i < kPortHats; ++i) {
    const std::int32_t value = now.hats[static_cast<std::size_t>(i)];
    if (value == port.shown.hats[static_cast<std::size_t>(i)]) continue;
    e.type = EventType::JoystickHat;
    e.joystick = JoystickEvent{index, i, value};
    Push(e);
  }
  port.shown = now;
}

void SdlBackend::TranslatePad(const SDL_Event& e) {
  int index = -1;
  switch (e.type) {
    case SDL_JOYDEVICEADDED:
      OpenPad(e.jdevice.which);
      return;
    case SDL_JOYDEVICEREMOVED:
      ClosePad(e.jdevice.which);
      return;
    case SDL_CONTROLLERAXISMOTION: {
      index = PortOf(e.caxis.which, true);
      const bool stick = e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX || e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY;
      if (index < 0 || !stick) return;
      ports_[static_cast<std::size_t>(index)].held.axes[e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX ? 0 : 1] =
          e.caxis.value;
      break;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      index = PortOf(e.cbutton.which, true);
      if (index < 0) return;
      Port& port = ports_[static_cast<std::size_t>(index)];
      const bool down = e.cbutton.state == SDL_PRESSED;
      if (const std::uint8_t bit = DpadBit(e.cbutton.button)) {
        port.dpad = static_cast<std::uint8_t>(down ? (port.dpad | bit) : (port.dpad & ~bit));
      } else if (const int button = PadButtonIndex(e.cbutton.button); button >= 0) {
        SetBit(port.held.buttons, button, down);
      } else {
        return;
      }
      break;
    }
    case SDL_JOYAXISMOTION:
      index = PortOf(e.jaxis.which, false);
      if (index < 0 || e.jaxis.axis >= kPortAxes) return;
      ports_[static_cast<std::size_t>(index)].held.axes[e.jaxis.axis] = e.jaxis.value;
      break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      index = PortOf(e.jbutton.which, false);
      if (index < 0 || e.jbutton.button >= kPortButtons) return;
      SetBit(ports_[static_cast<std::size_t>(index)].held.buttons, e.jbutton.button, e.jbutton.state == SDL_PRESSED);
      break;
    case SDL_JOYHATMOTION:
      index = PortOf(e.jhat.which, false);
      if (index < 0 || e.jhat.hat >= kPortHats) return;
      ports_[static_cast<std::size_t>(index)].held.hats[e.jhat.hat] = HatDirection(e.jhat.value);
      break;
    default:
      return;
  }
  Publish(index);
}

}  // namespace platform::sdl
