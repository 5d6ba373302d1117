// Making surfaces: primaries (the desktop or a full-screen flip chain),
// off-screen surfaces, duplicates; and taking them apart again.
#include <new>

#include "platform/ddraw/ddraw_clipper.h"
#include "platform/ddraw/ddraw_object.h"
#include "platform/ddraw/ddraw_palette.h"
#include "platform/ddraw/ddraw_surface.h"
#include "platform/gdi/surface_dc.h"
#include "platform/system.h"

namespace platform::ddraw {
namespace {

// Sides and sizes beyond these are refused outright rather than attempted:
// they are far past any display this platform shows.
constexpr DWORD kMaxSide = 16384;
constexpr std::uint64_t kMaxBytes = std::uint64_t{256} << 20;
constexpr DWORD kMaxBackBuffers = 8;

constexpr DWORD kMemoryCaps =
    DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM | DDSCAPS_NONLOCALVIDMEM;

}  // namespace

Surface::Surface(DirectDraw* owner, PixelBlock* block, Role role, const DDSCAPS2& caps, const SurfaceFormat& format)
    : owner_(owner), block_(block), role_(role), caps_(caps), format_(format) {
  owner_->AddRef();
  owner_->Register(this);
  focusStamp_ = FocusLossCount();
}

Surface::~Surface() {
  if (dc_) gdi::DeleteSurfaceDC(dc_);
  for (PrivateData& data : private_) FreePrivate(data);
  for (Surface* surface : attached_) surface->Release();
  for (Surface* back : chain_) {
    // A back buffer someone still holds carries on as a plain surface.
    back->front_ = nullptr;
    back->role_ = Role::Offscreen;
    back->caps_.dwCaps &= ~(DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
    back->Release();
  }
  if (clipper_) clipper_->Release();
  if (palette_) palette_->Release();
  owner_->Unregister(this);
  block_->Release();
  owner_->Release();
}

HRESULT Surface::Create(DirectDraw* owner, const DDSURFACEDESC2& desc, Surface** out) {
  *out = nullptr;
  const DWORD flags = desc.dwFlags;
  constexpr DWORD kKnown = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_BACKBUFFERCOUNT |
                           DDSD_ZBUFFERBITDEPTH | DDSD_ALPHABITDEPTH | DDSD_LPSURFACE | DDSD_PIXELFORMAT |
                           DDSD_CKDESTOVERLAY | DDSD_CKDESTBLT | DDSD_CKSRCOVERLAY | DDSD_CKSRCBLT |
                           DDSD_MIPMAPCOUNT | DDSD_REFRESHRATE | DDSD_LINEARSIZE | DDSD_TEXTURESTAGE | DDSD_FVF |
                           DDSD_SRCVBHANDLE | DDSD_DEPTH;
  if (flags & ~kKnown) return DDERR_INVALIDPARAMS;
  // Client memory, mipmaps, volumes, alpha-only and overlay surfaces, and
  // destination keys are not made here. CreateSurface documents no
  // "unsupported": what cannot be described is a parameter or caps error.
  if (flags & (DDSD_LPSURFACE | DDSD_LINEARSIZE | DDSD_MIPMAPCOUNT | DDSD_FVF | DDSD_SRCVBHANDLE | DDSD_DEPTH |
               DDSD_ZBUFFERBITDEPTH | DDSD_ALPHABITDEPTH | DDSD_CKDESTOVERLAY | DDSD_CKSRCOVERLAY | DDSD_CKDESTBLT))
    return DDERR_INVALIDPARAMS;

  const DDSCAPS2 caps = (flags & DDSD_CAPS) ? desc.ddsCaps : DDSCAPS2{};
  if (caps.dwCaps & DDSCAPS_OVERLAY) return DDERR_NOOVERLAYHW;
  if (caps.dwCaps & DDSCAPS_MIPMAP) return DDERR_NOMIPMAPHW;
  if (caps.dwCaps & DDSCAPS_ALPHA) return DDERR_NOALPHAHW;
  if (caps.dwCaps & (DDSCAPS_OPTIMIZED | DDSCAPS_LIVEVIDEO | DDSCAPS_HWCODEC | DDSCAPS_VIDEOPORT | DDSCAPS_OWNDC |
                     DDSCAPS_RESERVED1 | DDSCAPS_RESERVED2 | DDSCAPS_RESERVED3 | DDSCAPS_MODEX |
                     DDSCAPS_STANDARDVGAMODE))
    return DDERR_INVALIDCAPS;
  if (caps.dwCaps2 & DDSCAPS2_CUBEMAP) return DDERR_INVALIDCAPS;
  if ((caps.dwCaps2 & (DDSCAPS2_TEXTUREMANAGE | DDSCAPS2_D3DTEXTUREMANAGE)) && !(caps.dwCaps & DDSCAPS_TEXTURE))
    return DDERR_INVALIDCAPS;

  return (caps.dwCaps & DDSCAPS_PRIMARYSURFACE) ? CreatePrimary(owner, desc, caps, out)
                                                 : CreateOffscreen(owner, desc, caps, out);
}

HRESULT Surface::CreatePrimary(DirectDraw* owner, const DDSURFACEDESC2& desc, const DDSCAPS2& caps, Surface** out) {
  if (owner->Primary()) return DDERR_PRIMARYSURFACEALREADYEXISTS;
  // The screen decides a primary's size.
  if (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH)) return DDERR_INVALIDPARAMS;
  if (caps.dwCaps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_NONLOCALVIDMEM | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_TEXTURE |
                     DDSCAPS_ZBUFFER | DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER))
    return DDERR_INVALIDCAPS;
  const DisplayMode mode = CurrentDisplayMode();
  const SurfaceFormat format = FormatForMode(mode);
  if (desc.dwFlags & DDSD_PIXELFORMAT) {
    SurfaceFormat asked;
    const HRESULT hr = FormatFromDescription(desc.ddpfPixelFormat, &asked);
    if (hr != DD_OK) return hr;
    if (!asked.SameLayout(format)) return DDERR_INVALIDPIXELFORMAT;
  }
  const DWORD shown = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM |
                      (caps.dwCaps & (DDSCAPS_3DDEVICE | DDSCAPS_WRITEONLY));

  if (!(caps.dwCaps & DDSCAPS_FLIP)) {
    if ((desc.dwFlags & DDSD_BACKBUFFERCOUNT) || (caps.dwCaps & DDSCAPS_COMPLEX)) return DDERR_INVALIDCAPS;
    const DesktopView desktop = Desktop();
    if (!desktop.block) return DDERR_OUTOFMEMORY;
    desktop.block->AddRef();
    auto* surface = new (std::nothrow) Surface(owner, desktop.block, Role::Desktop, DDSCAPS2{shown, 0, 0, {0}}, format);
    if (!surface) {
      desktop.block->Release();
      return DDERR_OUTOFMEMORY;
    }
    surface->mode_ = desktop.mode;
    surface->desktopGeneration_ = desktop.generation;
    owner->SetPrimary(surface);
    *out = surface;
    return DD_OK;
  }

  if (!(caps.dwCaps & DDSCAPS_COMPLEX)) return DDERR_INVALIDCAPS;
  if (!(desc.dwFlags & DDSD_BACKBUFFERCOUNT) || desc.dwBackBufferCount == 0 ||
      desc.dwBackBufferCount > kMaxBackBuffers)
    return DDERR_INVALIDPARAMS;
  if (!owner->IsExclusiveOwner()) return DDERR_NOEXCLUSIVEMODE;

  const DWORD count = desc.dwBackBufferCount + 1;
  PixelBlock* blocks[kMaxBackBuffers + 1] = {};
  HRESULT hr = DD_OK;
  for (DWORD i = 0; i < count && hr == DD_OK; ++i)
    hr = PixelBlock::Create(static_cast<std::int32_t>(mode.width), static_cast<std::int32_t>(mode.height),
                            format.pixels.bitsPerPixel, true, &blocks[i]);
  if (hr != DD_OK) {
    for (PixelBlock* block : blocks)
      if (block) block->Release();
    return hr;
  }

  const DWORD chainCaps = DDSCAPS_FLIP | DDSCAPS_COMPLEX | (caps.dwCaps & DDSCAPS_3DDEVICE);
  auto* front = new (std::nothrow)
      Surface(owner, blocks[0], Role::Front, DDSCAPS2{shown | chainCaps | DDSCAPS_FRONTBUFFER, 0, 0, {0}}, format);
  if (!front) {
    for (PixelBlock* block : blocks)
      if (block) block->Release();
    return DDERR_OUTOFMEMORY;
  }
  front->mode_ = mode;
  front->gdiBlock_ = blocks[0];
  // From here the front owns everything made: releasing it cleans up.
  for (DWORD i = 1; i < count; ++i) {
    const DWORD backCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM | chainCaps | (i == 1 ? DDSCAPS_BACKBUFFER : 0);
    auto* back = new (std::nothrow) Surface(owner, blocks[i], Role::Back, DDSCAPS2{backCaps, 0, 0, {0}}, format);
    if (!back) {
      for (DWORD j = i; j < count; ++j) blocks[j]->Release();
      front->Release();
      return DDERR_OUTOFMEMORY;
    }
    back->mode_ = mode;
    back->front_ = front;
    front->chain_.push_back(back);
  }
  owner->SetPrimary(front);
  *out = front;
  return DD_OK;
}

HRESULT Surface::CreateOffscreen(DirectDraw* owner, const DDSURFACEDESC2& desc, const DDSCAPS2& caps,
                                 Surface** out) {
  if (!(desc.dwFlags & DDSD_WIDTH) || !(desc.dwFlags & DDSD_HEIGHT) || desc.dwWidth == 0 || desc.dwHeight == 0)
    return DDERR_INVALIDPARAMS;
  // Larger surfaces than the memory can hold are refused as out of memory,
  // the documented result for them.
  if (desc.dwWidth > kMaxSide || desc.dwHeight > kMaxSide) return DDERR_OUTOFMEMORY;
  if (desc.dwFlags & DDSD_BACKBUFFERCOUNT) return DDERR_INVALIDPARAMS;
  if (caps.dwCaps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER | DDSCAPS_VISIBLE))
    return DDERR_INVALIDCAPS;
  const DWORD memory = caps.dwCaps & kMemoryCaps;
  if ((memory & DDSCAPS_SYSTEMMEMORY) && (memory & ~DDSCAPS_SYSTEMMEMORY)) return DDERR_INVALIDCAPS;
  if ((memory & (DDSCAPS_LOCALVIDMEM | DDSCAPS_NONLOCALVIDMEM)) && !(memory & DDSCAPS_VIDEOMEMORY))
    return DDERR_INVALIDCAPS;
  if ((memory & DDSCAPS_LOCALVIDMEM) && (memory & DDSCAPS_NONLOCALVIDMEM)) return DDERR_INVALIDCAPS;
  // There is no AGP aperture behind the video-memory budget: none of that
  // memory is left.
  if (memory & DDSCAPS_NONLOCALVIDMEM) return DDERR_OUTOFVIDEOMEMORY;

  SurfaceFormat format = FormatForMode(CurrentDisplayMode());
  if (desc.dwFlags & DDSD_PIXELFORMAT) {
    const HRESULT hr = FormatFromDescription(desc.ddpfPixelFormat, &format);
    if (hr != DD_OK) return hr;
  }
  if (format.ZBuffer() != ((caps.dwCaps & DDSCAPS_ZBUFFER) != 0)) return DDERR_INVALIDPIXELFORMAT;
  const std::uint64_t bytes = static_cast<std::uint64_t>(AlignedPitch(static_cast<std::int32_t>(desc.dwWidth),
                                                                      format.pixels.bitsPerPixel)) *
                              desc.dwHeight;
  if (bytes > kMaxBytes) return DDERR_OUTOFMEMORY;

  const auto width = static_cast<std::int32_t>(desc.dwWidth);
  const auto height = static_cast<std::int32_t>(desc.dwHeight);
  const std::uint32_t bits = format.pixels.bitsPerPixel;
  PixelBlock* block = nullptr;
  HRESULT hr;
  if (memory & DDSCAPS_SYSTEMMEMORY) {
    hr = PixelBlock::Create(width, height, bits, false, &block);
  } else {
    hr = PixelBlock::Create(width, height, bits, true, &block);
    if (hr == DDERR_OUTOFVIDEOMEMORY && !(memory & DDSCAPS_VIDEOMEMORY))
      hr = PixelBlock::Create(width, height, bits, false, &block);
  }
  if (hr != DD_OK) return hr;

  DDSCAPS2 finalCaps = caps;
  finalCaps.dwCaps &= ~kMemoryCaps;
  finalCaps.dwCaps |= block->VideoMemory() ? DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM : DDSCAPS_SYSTEMMEMORY;
  if (!(finalCaps.dwCaps & (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_TEXTURE | DDSCAPS_ZBUFFER | DDSCAPS_3DDEVICE)))
    finalCaps.dwCaps |= DDSCAPS_OFFSCREENPLAIN;
  auto* surface = new (std::nothrow) Surface(owner, block, Role::Offscreen, finalCaps, format);
  if (!surface) {
    block->Release();
    return DDERR_OUTOFMEMORY;
  }
  if (desc.dwFlags & DDSD_CKSRCBLT) {
    const DDCOLORKEY& key = desc.ddckCKSrcBlt;
    surface->SetKey(key.dwColorSpaceLowValue, key.dwColorSpaceHighValue >= key.dwColorSpaceLowValue
                                                  ? key.dwColorSpaceHighValue
                                                  : key.dwColorSpaceLowValue);
  }
  *out = surface;
  return DD_OK;
}

HRESULT Surface::Duplicate(DirectDraw* owner, Surface* source, Surface** out) {
  *out = nullptr;
  // The screen's memory and a flip chain's rotating buffers cannot be shared.
  if (source->role_ != Role::Offscreen) return DDERR_CANTDUPLICATE;
  if (source->Lost()) return DDERR_SURFACELOST;
  source->block_->AddRef();
  auto* copy = new (std::nothrow) Surface(owner, source->block_, Role::Offscreen, source->caps_, source->format_);
  if (!copy) {
    source->block_->Release();
    return DDERR_OUTOFMEMORY;
  }
  if (source->hasSrcKey_) copy->SetKey(source->srcKeyRaw_.dwColorSpaceLowValue, source->srcKeyRaw_.dwColorSpaceHighValue);
  *out = copy;
  return DD_OK;
}

}  // namespace platform::ddraw
