// Drawing on surfaces: Blt, BltFast and Flip, and showing the result.
// These run every frame: nothing here allocates.
#include <algorithm>
#include <utility>

#include "platform/ddraw/ddraw_clipper.h"
#include "platform/ddraw/ddraw_object.h"
#include "platform/ddraw/ddraw_palette.h"
#include "platform/ddraw/ddraw_surface.h"
#include "platform/faults.h"
#include "platform/gdi/surface_dc.h"
#include "platform/system.h"
#include "platform/window_registry.h"

namespace platform::ddraw {
namespace {

bool Empty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

bool Inside(const RECT& r, const RECT& bounds) {
  return r.left >= bounds.left && r.top >= bounds.top && r.right <= bounds.right && r.bottom <= bounds.bottom;
}

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

RECT Union(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

blit::ColorKey MakeKey(std::uint32_t low, std::uint32_t high, std::uint32_t mask) {
  return blit::ColorKey{low & mask, std::max(high, low) & mask, mask};
}

}  // namespace

struct Surface::BltPlan {
  enum class Kind { Fill, Copy, General };
  Kind kind = Kind::Copy;
  std::uint32_t fill = 0;
  Surface* src = nullptr;
  RECT dst{};
  RECT srcRect{};
  bool keyed = false;
  blit::ColorKey key{};
  std::uint32_t alpha = 255;
  bool mirrorX = false;
  bool mirrorY = false;
};

void Surface::DrawPart(const BltPlan& plan, const RECT& part) {
  switch (plan.kind) {
    case BltPlan::Kind::Fill: blit::Fill(Plane(), part, plan.fill); break;
    case BltPlan::Kind::Copy: {
      const LONG sx = plan.srcRect.left + (part.left - plan.dst.left);
      const LONG sy = plan.srcRect.top + (part.top - plan.dst.top);
      const RECT s{sx, sy, sx + (part.right - part.left), sy + (part.bottom - part.top)};
      if (plan.keyed) {
        blit::CopyKeyed(Plane(), part.left, part.top, plan.src->Plane(), s, plan.key);
      } else {
        blit::Copy(Plane(), part.left, part.top, plan.src->Plane(), s);
      }
      break;
    }
    case BltPlan::Kind::General: {
      blit::Job job;
      job.dst = Plane();
      job.src = plan.src->Plane();
      job.dstFull = plan.dst;
      job.srcFull = plan.srcRect;
      job.dstPart = part;
      job.mirrorX = plan.mirrorX;
      job.mirrorY = plan.mirrorY;
      job.key = plan.keyed ? &plan.key : nullptr;
      job.alpha = plan.alpha;
      job.format = format_.pixels;
      blit::Draw(job);
      break;
    }
  }
}

HRESULT Surface::Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
                     LPDDBLTFX lpDDBltFx) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::Blt")) return fault;
  constexpr DWORD kKnown =
      DDBLT_ALPHADEST | DDBLT_ALPHADESTCONSTOVERRIDE | DDBLT_ALPHADESTNEG | DDBLT_ALPHADESTSURFACEOVERRIDE |
      DDBLT_ALPHAEDGEBLEND | DDBLT_ALPHASRC | DDBLT_ALPHASRCCONSTOVERRIDE | DDBLT_ALPHASRCNEG |
      DDBLT_ALPHASRCSURFACEOVERRIDE | DDBLT_ASYNC | DDBLT_COLORFILL | DDBLT_DDFX | DDBLT_DDROPS | DDBLT_KEYDEST |
      DDBLT_KEYDESTOVERRIDE | DDBLT_KEYSRC | DDBLT_KEYSRCOVERRIDE | DDBLT_ROP | DDBLT_ROTATIONANGLE | DDBLT_ZBUFFER |
      DDBLT_ZBUFFERDESTCONSTOVERRIDE | DDBLT_ZBUFFERDESTOVERRIDE | DDBLT_ZBUFFERSRCCONSTOVERRIDE |
      DDBLT_ZBUFFERSRCOVERRIDE | DDBLT_WAIT | DDBLT_DEPTHFILL | DDBLT_DONOTWAIT | DDBLT_PRESENTATION |
      DDBLT_LAST_PRESENTATION;
  constexpr DWORD kNeedsFx = DDBLT_COLORFILL | DDBLT_DEPTHFILL | DDBLT_DDFX | DDBLT_ROP | DDBLT_KEYSRCOVERRIDE |
                             DDBLT_ALPHASRCCONSTOVERRIDE;
  if ((dwFlags & ~kKnown) || (lpDDBltFx && lpDDBltFx->dwSize != sizeof(DDBLTFX)) ||
      ((dwFlags & kNeedsFx) && !lpDDBltFx))
    return DDERR_INVALIDPARAMS;
  // Only a constant source alpha is blended; per-pixel and destination
  // alpha, destination keys, rotation, z tests and DirectDraw raster
  // operations are not offered (the capabilities say so too).
  if (dwFlags & (DDBLT_ALPHADEST | DDBLT_ALPHADESTCONSTOVERRIDE | DDBLT_ALPHADESTNEG | DDBLT_ALPHADESTSURFACEOVERRIDE |
                 DDBLT_ALPHAEDGEBLEND | DDBLT_ALPHASRC | DDBLT_ALPHASRCSURFACEOVERRIDE))
    return DDERR_NOALPHAHW;
  if (dwFlags & (DDBLT_KEYDEST | DDBLT_KEYDESTOVERRIDE)) return DDERR_UNSUPPORTED;
  if (dwFlags & DDBLT_ROTATIONANGLE) return DDERR_NOROTATIONHW;
  if (dwFlags & (DDBLT_ZBUFFER | DDBLT_ZBUFFERDESTCONSTOVERRIDE | DDBLT_ZBUFFERDESTOVERRIDE |
                 DDBLT_ZBUFFERSRCCONSTOVERRIDE | DDBLT_ZBUFFERSRCOVERRIDE))
    return DDERR_NOZBUFFERHW;
  if (dwFlags & DDBLT_DDROPS) return DDERR_NODDROPSHW;

  BltPlan plan;
  bool needSource = true;
  if ((dwFlags & DDBLT_COLORFILL) && (dwFlags & DDBLT_DEPTHFILL)) return DDERR_INVALIDPARAMS;
  if (dwFlags & DDBLT_COLORFILL) {
    plan.kind = BltPlan::Kind::Fill;
    plan.fill = lpDDBltFx->dwFillColor;
    needSource = false;
  } else if (dwFlags & DDBLT_DEPTHFILL) {
    if (!format_.ZBuffer()) return DDERR_INVALIDPARAMS;
    plan.kind = BltPlan::Kind::Fill;
    plan.fill = lpDDBltFx->dwFillDepth;
    needSource = false;
  } else if (dwFlags & DDBLT_ROP) {
    switch (lpDDBltFx->dwROP) {
      case SRCCOPY: break;
      case BLACKNESS:
      case WHITENESS:
        plan.kind = BltPlan::Kind::Fill;
        plan.fill = lpDDBltFx->dwROP == BLACKNESS ? 0 : format_.KeyMask();
        needSource = false;
        break;
      default: return DDERR_NORASTEROPHW;
    }
  }
  if (needSource && !lpDDSrcSurface) return DDERR_INVALIDPARAMS;

  const RECT bounds = Bounds();
  plan.dst = lpDestRect ? *lpDestRect : bounds;
  if (Empty(plan.dst)) return DDERR_INVALIDRECT;
  if (!clipper_ && !Inside(plan.dst, bounds)) return DDERR_INVALIDRECT;

  Surface* src = needSource ? static_cast<Surface*>(lpDDSrcSurface) : nullptr;
  if (src) {
    plan.src = src;
    plan.srcRect = lpSrcRect ? *lpSrcRect : src->Bounds();
    if (Empty(plan.srcRect) || !Inside(plan.srcRect, src->Bounds())) return DDERR_INVALIDRECT;
    if ((dwFlags & DDBLT_KEYSRC) && (dwFlags & DDBLT_KEYSRCOVERRIDE)) return DDERR_INVALIDPARAMS;
    if (dwFlags & DDBLT_KEYSRC) {
      if (!src->hasSrcKey_) return DDERR_INVALIDPARAMS;  // a key the source does not have
      plan.keyed = true;
      plan.key = src->srcKey_;
    } else if (dwFlags & DDBLT_KEYSRCOVERRIDE) {
      plan.keyed = true;
      plan.key = MakeKey(lpDDBltFx->ddckSrcColorkey.dwColorSpaceLowValue,
                         lpDDBltFx->ddckSrcColorkey.dwColorSpaceHighValue, src->format_.KeyMask());
    }
    if (dwFlags & DDBLT_DDFX) {
      const DWORD fx = lpDDBltFx->dwDDFX;
      if (fx & (DDBLTFX_ROTATE90 | DDBLTFX_ROTATE180 | DDBLTFX_ROTATE270)) return DDERR_NOROTATIONHW;
      if (fx & (DDBLTFX_ZBUFFERRANGE | DDBLTFX_ZBUFFERBASEDEST)) return DDERR_NOZBUFFERHW;
      if (fx & ~(DDBLTFX_MIRRORLEFTRIGHT | DDBLTFX_MIRRORUPDOWN | DDBLTFX_NOTEARING)) return DDERR_UNSUPPORTED;
      plan.mirrorX = (fx & DDBLTFX_MIRRORLEFTRIGHT) != 0;
      plan.mirrorY = (fx & DDBLTFX_MIRRORUPDOWN) != 0;
    }
    if (dwFlags & DDBLT_ALPHASRCCONSTOVERRIDE) {
      // Blending needs colour channels; palette indices have none.
      if (format_.Palettised()) return DDERR_UNSUPPORTED;
      const DWORD depth = lpDDBltFx->dwAlphaSrcConstBitDepth;
      if (depth < 1 || depth > 8) return DDERR_INVALIDPARAMS;
      const std::uint32_t top = (1u << depth) - 1;
      const std::uint32_t value = std::min<std::uint32_t>(lpDDBltFx->dwAlphaSrcConst, top);
      plan.alpha = (value * 255 + top / 2) / top;
      if (dwFlags & DDBLT_ALPHASRCNEG) plan.alpha = 255 - plan.alpha;
    } else if (dwFlags & DDBLT_ALPHASRCNEG) {
      return DDERR_INVALIDPARAMS;
    }
    // With a clipper the destination may span nearly all of LONG.
    const bool stretched =
        plan.srcRect.right - plan.srcRect.left != std::int64_t{plan.dst.right} - plan.dst.left ||
        plan.srcRect.bottom - plan.srcRect.top != std::int64_t{plan.dst.bottom} - plan.dst.top;
    plan.kind = (stretched || plan.mirrorX || plan.mirrorY || plan.alpha != 255) ? BltPlan::Kind::General
                                                                                  : BltPlan::Kind::Copy;
  }

  if (Lost() || (src && src->Lost())) return DDERR_SURFACELOST;
  if (Busy() || (src && src->Busy())) return DDERR_SURFACEBUSY;
  if (src && !format_.SameLayout(src->format_)) return DDERR_UNSUPPORTED;
  // Resampling reads pixels it may already have written.
  if (src && src->block_ == block_ && plan.kind == BltPlan::Kind::General && !Empty(Intersect(plan.dst, plan.srcRect)))
    return DDERR_UNSUPPORTED;

  RECT drawn{};
  bool any = false;
  auto draw = [&](const RECT& clip) {
    const RECT part = Intersect(Intersect(plan.dst, clip), bounds);
    if (Empty(part)) return;
    DrawPart(plan, part);
    drawn = any ? Union(drawn, part) : part;
    any = true;
  };
  if (clipper_) {
    if (!clipper_->ForEachRect(draw)) return DDERR_NOCLIPLIST;
  } else {
    draw(plan.dst);
  }
  if (any) AfterDraw(drawn);
  return DD_OK;
}

HRESULT Surface::BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect,
                         DWORD dwTrans) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::BltFast")) return fault;
  constexpr DWORD kKnown = DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT | DDBLTFAST_DONOTWAIT;
  if (!lpDDSrcSurface || (dwTrans & ~kKnown) ||
      (dwTrans & (DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY)) == (DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY))
    return DDERR_INVALIDPARAMS;
  if (dwTrans & DDBLTFAST_DESTCOLORKEY) return DDERR_UNSUPPORTED;
  // BltFast never clips, so it refuses a surface that asks for clipping.
  if (clipper_) return DDERR_UNSUPPORTED;
  auto* src = static_cast<Surface*>(lpDDSrcSurface);

  const RECT s = lpSrcRect ? *lpSrcRect : src->Bounds();
  if (s.left > s.right || s.top > s.bottom || s.left < 0 || s.top < 0 || s.right > src->Width() ||
      s.bottom > src->Height())
    return DDERR_INVALIDRECT;
  const std::int64_t w = s.right - s.left;
  const std::int64_t h = s.bottom - s.top;
  if (std::int64_t{dwX} + w > Width() || std::int64_t{dwY} + h > Height()) return DDERR_INVALIDRECT;

  if (Lost() || src->Lost()) return DDERR_SURFACELOST;
  if (Busy() || src->Busy()) return DDERR_SURFACEBUSY;
  if (!format_.SameLayout(src->format_)) return DDERR_UNSUPPORTED;
  const bool keyed = (dwTrans & DDBLTFAST_SRCCOLORKEY) != 0;
  if (keyed && !src->hasSrcKey_) return DDERR_INVALIDPARAMS;
  if (w == 0 || h == 0) return DD_OK;

  const auto x = static_cast<std::int32_t>(dwX);
  const auto y = static_cast<std::int32_t>(dwY);
  if (keyed) {
    blit::CopyKeyed(Plane(), x, y, src->Plane(), s, src->srcKey_);
  } else {
    blit::Copy(Plane(), x, y, src->Plane(), s);
  }
  AfterDraw(RECT{x, y, x + static_cast<LONG>(w), y + static_cast<LONG>(h)});
  return DD_OK;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE7 lpDDSurfaceTargetOverride, DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectDrawSurface7::Flip")) return fault;
  constexpr DWORD kInterval = 0x0F000000;
  constexpr DWORD kKnown = DDFLIP_WAIT | DDFLIP_EVEN | DDFLIP_ODD | DDFLIP_NOVSYNC | DDFLIP_STEREO | DDFLIP_DONOTWAIT;
  const DWORD interval = dwFlags & kInterval;
  if ((dwFlags & ~(kKnown | kInterval)) || (interval != 0 && interval != DDFLIP_INTERVAL2 &&
                                            interval != DDFLIP_INTERVAL3 && interval != DDFLIP_INTERVAL4))
    return DDERR_INVALIDPARAMS;
  // Field flips belong to overlays.
  if (dwFlags & (DDFLIP_EVEN | DDFLIP_ODD)) return DDERR_INVALIDPARAMS;
  if (dwFlags & DDFLIP_STEREO) return DDERR_UNSUPPORTED;  // no stereo surfaces exist
  // A chain whose owner has left exclusive mode cannot be flipped until it
  // returns.
  if (role_ != Role::Front || !owner_->IsExclusiveOwner()) return DDERR_NOTFLIPPABLE;

  Surface* target = nullptr;
  if (lpDDSurfaceTargetOverride) {
    target = static_cast<Surface*>(lpDDSurfaceTargetOverride);
    if (std::find(chain_.begin(), chain_.end(), target) == chain_.end()) return DDERR_INVALIDPARAMS;
  }
  if (Lost()) return DDERR_SURFACELOST;
  for (Surface* back : chain_)
    if (back->Lost()) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;
  for (Surface* back : chain_)
    if (back->Busy()) return DDERR_SURFACEBUSY;

  if (target) {
    std::swap(block_, target->block_);
  } else {
    // Every buffer moves one place towards the front; the old front's
    // memory becomes the last back buffer.
    PixelBlock* old = block_;
    block_ = chain_.front()->block_;
    for (size_t i = 0; i + 1 < chain_.size(); ++i) chain_[i]->block_ = chain_[i + 1]->block_;
    chain_.back()->block_ = old;
  }
  Present();
  return DD_OK;
}

void Surface::ShowGdiMemory() {
  if (role_ != Role::Front || block_ == gdiBlock_) return;
  for (Surface* back : chain_) {
    if (back->block_ == gdiBlock_) {
      std::swap(block_, back->block_);
      break;
    }
  }
  Present();
}

void Surface::AfterDraw(const RECT& drawn) {
  block_->Touch();
  if (ShowsScreen()) PresentRect(&drawn);
}

void Surface::Present() { PresentRect(nullptr); }

void Surface::PresentRect(const RECT* drawn) {
  if (!HasBackend() || !ShowsScreen()) return;
  const bool windowed = role_ == Role::Desktop && !owner_->IsExclusiveOwner();
  RECT area = Bounds();
  if (windowed) {
    // A windowed program shows through its window's client area only.
    const HWND window = owner_->Window();
    RECT client;
    POINT origin{0, 0};
    if (!window || !GetClientRect(window, &client) || !ClientToScreen(window, &origin)) return;
    area = Intersect(RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom}, area);
    if (Empty(area) || (drawn && Empty(Intersect(*drawn, area)))) return;
  }
  FrameView frame;
  const std::uint32_t bytes = format_.BytesPerPixel();
  frame.pixels = block_->Bits() + static_cast<std::intptr_t>(area.top) * block_->Pitch() +
                 static_cast<std::intptr_t>(area.left) * bytes;
  frame.pitch = block_->Pitch();
  frame.width = static_cast<std::uint32_t>(area.right - area.left);
  frame.height = static_cast<std::uint32_t>(area.bottom - area.top);
  frame.bitsPerPixel = format_.pixels.bitsPerPixel;
  frame.redMask = format_.pixels.redMask;
  frame.greenMask = format_.pixels.greenMask;
  frame.blueMask = format_.pixels.blueMask;
  if (format_.Palettised()) {
    // The windowed desktop always shows through the system palette; a
    // full-screen program's screen shows its own palette.
    frame.palette = (!windowed && palette_) ? palette_->Entries() : gdi::SystemPaletteEntries();
  }
  if (block_->HoldsGarbage()) {
    // Restored memory nobody has drawn on yet (a palette applied right after
    // a restore shows the screen): the screen shows black, as a freshly set
    // mode does, not the pattern.
    static const std::uint8_t kBlackRow[16384 * 4] = {};
    static const PALETTEENTRY kBlackPalette[256] = {};
    frame.pixels = kBlackRow;
    frame.pitch = 0;
    if (format_.Palettised()) frame.palette = kBlackPalette;
  }
  CurrentBackend().Present(frame);
}

}  // namespace platform::ddraw
