// Kept apart from the rest of the back end: the window-system header SDL's
// window information brings in defines names (None, Status) that clash with
// the platform's.
#include "platform/backend/sdl/sdl_choice.h"

#include <SDL_syswm.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace platform::sdl {

bool ServerRendersDirectly(SDL_Window* window) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) return false;
#if defined(SDL_VIDEO_DRIVER_X11)
  if (std::strcmp(driver, "x11") != 0) return true;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
  // SDL has libX11 loaded already; this only looks the function up.
  void* x11 = SDL_LoadObject("libX11.so.6");
  if (!x11) return true;
  using QueryExtension = int (*)(Display*, const char*, int*, int*, int*);
  auto query = reinterpret_cast<QueryExtension>(SDL_LoadFunction(x11, "XQueryExtension"));
  bool direct = true;
  if (query) {
    int opcode = 0, event = 0, error = 0;
    direct = query(info.info.x11.display, "DRI3", &opcode, &event, &error) ||
             query(info.info.x11.display, "DRI2", &opcode, &event, &error);
  }
  SDL_UnloadObject(x11);
  return direct;
#else
  (void)window;
  return true;
#endif
}

bool IsSoftwareRasterizer(const char* glRenderer) {
  if (!glRenderer) return false;
  std::string name(glRenderer);
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const char* cpu : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "lavapipe", "swiftshader"}) {
    if (name.find(cpu) != std::string::npos) return true;
  }
  return false;
}

bool RendersInSoftware(SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name) return false;
  if (std::strcmp(info.name, "software") == 0) return true;
  if (std::strncmp(info.name, "opengl", 6) != 0) return false;
  // The renderer's GL context is current once it is made.
  using GetString = const unsigned char* (*)(unsigned int);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  constexpr unsigned int kGlRenderer = 0x1F01;
  return getString && IsSoftwareRasterizer(reinterpret_cast<const char*>(getString(kGlRenderer)));
}

int WindowScale(int usableWidth, int usableHeight, int clientWidth, int clientHeight, int menuHeight, int requested) {
  if (requested >= 1) return requested;
  const int fitWidth = usableWidth * 9 / 10, fitHeight = usableHeight * 9 / 10;
  int k = 1;
  while ((k + 1) * clientWidth <= fitWidth && (k + 1) * (clientHeight + menuHeight) <= fitHeight) ++k;
  return k;
}

}  // namespace platform::sdl
