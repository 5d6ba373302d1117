// The window table: which window handles exist and where their client areas
// lie on the screen. The window layer creates and moves windows through it;
// DirectDraw's clipper and the windowed Flip read it through the ordinary
// window functions declared here.
#pragma once

#include "platform/types.h"

namespace platform::windows {

// Makes a new window handle whose client area is CLIENT in screen coordinates.
HWND Create(const RECT& client);
void Destroy(HWND window);
void SetClientOnScreen(HWND window, const RECT& client);
void SetMinimised(HWND window, bool minimised);
void SetVisible(HWND window, bool visible);

}  // namespace platform::windows

// Window functions with their documented behaviour.
BOOL IsWindow(HWND window);
BOOL IsIconic(HWND window);
BOOL IsWindowVisible(HWND window);
// Client rectangle in client coordinates: (0, 0, width, height).
BOOL GetClientRect(HWND window, RECT* rect);
// Moves POINT from the window's client coordinates to screen coordinates.
BOOL ClientToScreen(HWND window, POINT* point);
