// Feeds arbitrary bytes to LoadBMP into a 256 x 256 surface: 32-bit with an
// alpha mask (FUZZ_SURFACE_BITS 32: every row converted) or 8-bit
// (FUZZ_SURFACE_BITS 8: indices copied, true colour through the platform's
// decoder and BitBlt). The library's halt option is off, so a refused file
// is logged and the process carries on; the log itself is off too, as
// writing a file per refusal would only slow the run.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "display/debug_log.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/ddraw.h"
#include "platform/stream.h"
#include "platform/system.h"
#include "surfaces/brin_surface.h"

namespace {

constexpr DWORD kSide = 256;

IDirectDrawSurface7* MakeSurface(IDirectDraw7* ddraw, DWORD bits) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = kSide;
  desc.dwHeight = kSide;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  desc.ddpfPixelFormat.dwSize = sizeof desc.ddpfPixelFormat;
  desc.ddpfPixelFormat.dwRGBBitCount = bits;
  if (bits == 8) {
    desc.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  } else {
    desc.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_ALPHAPIXELS;
    desc.ddpfPixelFormat.dwRBitMask = 0xFF0000;
    desc.ddpfPixelFormat.dwGBitMask = 0xFF00;
    desc.ddpfPixelFormat.dwBBitMask = 0xFF;
    desc.ddpfPixelFormat.dwRGBAlphaBitMask = 0xFF000000;
  }
  IDirectDrawSurface7* surface = nullptr;
  if (ddraw->CreateSurface(&desc, &surface, nullptr) != DD_OK) std::abort();
  return surface;
}

struct Harness {
  platform::HeadlessBackend backend;
  TBrinGenSurface* surface = nullptr;

  Harness() {
    platform::Install(&backend);
    auto& log = brin::DisplayLogChannel();
    log.haltOnError = false;
    log.debugMessage = false;
    IDirectDraw7* ddraw = nullptr;
    if (DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&ddraw), IID_IDirectDraw7, nullptr) != DD_OK) std::abort();
    if (ddraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK) std::abort();
    // Kept for the life of the process, as the surface that uses it is.
    surface = new TBrinGenSurface(nullptr, MakeSurface(ddraw, FUZZ_SURFACE_BITS), kSide, kSide);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Harness harness;
  platform::MemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  harness.surface->LoadBMP(stream);
  return 0;
}
