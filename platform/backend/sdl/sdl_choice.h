// Choices the back end makes once, from what the desktop offers: how the
// picture is drawn (the accelerated renderer or our own software path) and
// at what scale the window opens.
#pragma once

#include <SDL.h>

namespace platform::sdl {

// Whether the display server can hand rendering to a graphics processor:
// on X, it offers direct rendering (DRI3 or DRI2); a server without it (as
// Xvfb) renders GL in software, in the program, at a core's cost. Other
// video drivers are asked for their renderer and judged by it.
bool ServerRendersDirectly(SDL_Window* window);
// Whether a GL renderer string names a rasteriser that runs on the CPU.
bool IsSoftwareRasterizer(const char* glRenderer);
// Whether RENDERER, made as an accelerated one, draws on the CPU after all.
bool RendersInSoftware(SDL_Renderer* renderer);

// The window's scale: REQUESTED when it is 1 or more, else the largest whole
// k at which a CLIENT_WIDTH x CLIENT_HEIGHT client area with its menu bar of
// MENU_HEIGHT, all times k, fits in 90% of the usable area; at least 1.
int WindowScale(int usableWidth, int usableHeight, int clientWidth, int clientHeight, int menuHeight, int requested);

}  // namespace platform::sdl
