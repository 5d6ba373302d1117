// Creating the SDL2 back end without seeing SDL: programs include this
// header, never sdl_backend.h, so SDL's headers and include paths stay
// inside platform/backend/sdl.
#pragma once

#include <memory>
#include <string>

#include "platform/backend/backend.h"

namespace platform {

// What a program may choose about the SDL back end at start-up.
struct SdlOptions {
  // The window's scale: 1, 2, 3 ... times the program's own size; 0 takes
  // the largest at which a 640 x 480 client area with its menu bar fits in
  // 90% of the desktop's usable area.
  int windowScale = 0;
  // A file of extra pad mappings in SDL's game-controller text format (one
  // pad a line), read at start when it exists. SDL's built-in mappings and
  // the SDL_GAMECONTROLLERCONFIG variable apply as well; for a pad listed in
  // both, the variable's line wins over the file's.
  std::string controllerMappingFile;
};

// Starts SDL's video and returns the back end, or null with ERROR set when
// there is no display.
std::unique_ptr<Backend> CreateSdlBackend(const SdlOptions& options, std::string& error);

}  // namespace platform
