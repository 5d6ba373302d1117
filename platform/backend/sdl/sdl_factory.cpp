#include "platform/backend/sdl/sdl_factory.h"

#include "platform/backend/sdl/sdl_backend.h"

namespace platform {

std::unique_ptr<Backend> CreateSdlBackend(const SdlOptions& options, std::string& error) {
  return sdl::SdlBackend::Create(options, error);
}

}  // namespace platform
