#include "platform/system.h"

#include <vector>

namespace platform {
namespace {

struct SystemState {
  Backend* backend = nullptr;
  DisplayMode mode{};
  bool modeChanged = false;
  bool active = true;
  std::uint32_t focusLosses = 0;
};

SystemState& State() {
  static SystemState state;
  return state;
}

std::vector<void (*)()>& Resets() {
  static std::vector<void (*)()> resets;
  return resets;
}

}  // namespace

void RegisterReset(void (*reset)()) { Resets().push_back(reset); }

void Install(Backend* backend) {
  auto& s = State();
  s = SystemState{};
  s.backend = backend;
  if (backend) s.mode = backend->DesktopMode();
  for (auto reset : Resets()) reset();
}

bool HasBackend() { return State().backend != nullptr; }

Backend& CurrentBackend() {
  if (!State().backend) throw Exception("no platform back end installed");
  return *State().backend;
}

DisplayMode CurrentDisplayMode() {
  // Without a mode of a program's in force the screen is the desktop, which
  // the back end may report differently over time (a test sets it, a user
  // changes it).
  const auto& s = State();
  if (!s.modeChanged && s.backend) return s.backend->DesktopMode();
  return s.mode;
}
bool DisplayModeChanged() { return State().modeChanged; }

bool ChangeDisplayMode(const DisplayMode& mode) {
  auto& s = State();
  if (!CurrentBackend().SetDisplayMode(mode, true)) return false;
  s.mode = mode;
  s.modeChanged = true;
  return true;
}

void RestoreDesktopMode() {
  auto& s = State();
  if (!s.backend) return;
  const DisplayMode desktop = s.backend->DesktopMode();
  if (s.modeChanged) s.backend->SetDisplayMode(desktop, false);
  s.mode = desktop;
  s.modeChanged = false;
}

bool AppActive() { return State().active; }

void SetAppActive(bool active) {
  auto& s = State();
  if (s.active && !active) ++s.focusLosses;
  s.active = active;
}

std::uint32_t FocusLossCount() { return State().focusLosses; }

std::uint64_t NowMicroseconds() { return CurrentBackend().NowMicroseconds(); }

}  // namespace platform
