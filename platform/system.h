// The platform's process-wide state: the installed back end, the emulated
// screen's current mode, the application's focus and the window table.
//
// Everything here is per process, as the services it stands for are. A test
// starts from a clean slate by installing a fresh back end: Install resets
// every module that registered a reset function (faults, windows, palettes,
// DirectDraw's exclusive owner, ...).
#pragma once

#include <cstdint>

#include "platform/backend/backend.h"
#include "platform/exception.h"
#include "platform/types.h"

namespace platform {

// Installs BACKEND (not owned; must outlive its use) and resets all platform
// state. Passing nullptr uninstalls.
void Install(Backend* backend);
bool HasBackend();
// The installed back end. Throws platform::Exception when none is installed.
Backend& CurrentBackend();

// Modules with process-wide state register a reset; Install calls them all.
void RegisterReset(void (*reset)());

// --- the emulated screen -----------------------------------------------------
// The mode the screen is in: the desktop's, or the one a full-screen program
// set with SetDisplayMode. GDI's BITSPIXEL of "Display" follows it.
DisplayMode CurrentDisplayMode();
bool DisplayModeChanged();  // a program's mode is in force
// Switches the screen (and the back end) to MODE; false when refused.
bool ChangeDisplayMode(const DisplayMode& mode);
// Returns to the desktop's mode.
void RestoreDesktopMode();

// --- focus -------------------------------------------------------------------
// Whether the application's window is the active one. The window layer calls
// SetAppActive on focus events; DirectDraw watches FocusLossCount to lose the
// surfaces of an exclusive full-screen owner.
bool AppActive();
void SetAppActive(bool active);
std::uint32_t FocusLossCount();

// --- time ----------------------------------------------------------------------
std::uint64_t NowMicroseconds();

}  // namespace platform
