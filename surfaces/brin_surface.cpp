#include "surfaces/brin_surface.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>

#include "archive/bwarc.h"
#include "display/brin.h"
#include "display/debug_log.h"
#include "platform/gdi.h"
#include "platform/stream.h"

namespace {

using brin::CheckResult;
using brin::DebugLog;
using brin::DetailLog;
using brin::Format;

// The description every wrapper starts from: zeroed, with its size set.
DDSURFACEDESC2 EmptyDescription() {
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  return desc;
}

// Caps a new off-screen surface asks for, by the display's SurfaceLocation.
DWORD PlacementCaps(TBrin* owner) {
  switch (owner->SurfaceLocation) {
    case smtDefault: {
      DDSCAPS2 caps{};
      if (owner->BackBuffer && owner->BackBuffer->DDSurface) owner->BackBuffer->DDSurface->GetCaps(&caps);
      return (caps.dwCaps & DDSCAPS_VIDEOMEMORY) ? DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY
                                                 : DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    }
    case smtCompatible:
      return owner->FullScreen ? DDSCAPS_OFFSCREENPLAIN : DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    case smtSystemMemory: return DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    case smtVideoMemory: return DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
    case smtNonLocalVideoMemory: return DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY | DDSCAPS_NONLOCALVIDMEM;
  }
  return DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
}

const char* PlacementMessage(DWORD caps) {
  if ((caps & DDSCAPS_VIDEOMEMORY) && (caps & DDSCAPS_NONLOCALVIDMEM)) return "サーフェスをノンローカルビデオメモリに配置します";
  if (caps & DDSCAPS_VIDEOMEMORY) return "サーフェスをビデオメモリに配置します";
  if (caps & DDSCAPS_SYSTEMMEMORY) return "サーフェスをシステムメモリに配置します";
  return "サーフェスをドライバのデフォルトの位置(おそらくビデオメモリ)に配置します";
}

// Coordinates are 32-bit and the clipping works in 32 bits, as designed;
// sums and differences wrap instead of overflowing, so a sprite thrown to
// the far end of the coordinate range is clipped away or refused by the
// blit, never undefined.
LONG Add(LONG a, LONG b) { return static_cast<LONG>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b)); }
LONG Sub(LONG a, LONG b) { return static_cast<LONG>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b)); }

// One axis of DrawFast's clipping: P the destination coordinate, S0..S1 the
// source span, C0..C1 the clip span. False when the span misses the clip.
bool ClipFastAxis(LONG& p, LONG& s0, LONG& s1, LONG c0, LONG c1) {
  const LONG e = Add(p, Sub(s1, s0));
  if (p > c1 || e < c0) return false;
  if (e > c1) s1 = Add(s0, Sub(c1, p));
  if (p < c0) {
    s0 = Add(s0, Sub(c0, p));
    p = c0;
  }
  return true;
}

// One axis of Draw's clipping, scaling the source in proportion to what the
// clip takes off the destination. Products are 32-bit and wrap as such;
// division truncates toward zero.
bool ClipAxis(LONG& d0, LONG& d1, LONG& s0, LONG& s1, LONG c0, LONG c1) {
  const LONG sw = Sub(s1, s0);
  const LONG dw = Sub(d1, d0);
  if (c1 < d0 || c0 > d1) return false;
  const LONG savedS1 = s1;
  const LONG savedD1 = d1;
  auto scaled = [&](LONG amount) -> LONG {
    if (dw == 0) return 0;
    const std::int32_t product = static_cast<std::int32_t>(static_cast<std::uint32_t>(amount) * static_cast<std::uint32_t>(sw));
    // INT_MIN / -1 is the one quotient that does not fit.
    if (product == INT32_MIN && dw == -1) return product;
    return product / dw;
  };
  if (c1 < d1) {
    s1 = Add(s0, scaled(Sub(c1, d0)));
    d1 = c1;
  }
  if (c0 > d0) {
    s0 = Sub(savedS1, scaled(Sub(savedD1, c0)));
    d0 = c0;
  }
  return true;
}

TRect ClipOf(const TBrinGenSurface* dest) {
  return NormalizeRect(dest->UseClipRect ? dest->ClipRect : Rect(0, 0, dest->Width, dest->Height));
}

}  // namespace

TRect NormalizeRect(const TRect& rect) {
  TRect r = rect;
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}

TBrinGenSurface::TBrinGenSurface(TBrin* AOwner, IDirectDrawSurface7* ASurface, std::int32_t AWidth, std::int32_t AHeight)
    : DDSurface(ASurface), Width(AWidth), Height(AHeight), Owner(AOwner) {
  Description = EmptyDescription();
  if (DDSurface) {
    DDSurface->GetSurfaceDesc(&Description);
  } else {
    Description.dwFlags = 0x1FF9EE;
  }
  AnalysePixelFormat(Description.ddpfPixelFormat);
}

HRESULT TBrinGenSurface::SetColorKey(std::uint32_t Key) {
  ColorKey = Key;
  if (!DDSurface) return DDERR_INVALIDOBJECT;
  DDCOLORKEY key{Key, Key};
  return DDSurface->SetColorKey(DDCKEY_SRCBLT, &key);
}

std::uint32_t TBrinGenSurface::ColorMatch(COLORREF Color) {
  if (!DDSurface || IsLost()) return 0;
  HDC dc = nullptr;
  COLORREF remembered = 0;
  if (CheckResult(DDSurface->GetDC(&dc), "ColorMatchに失敗しました、サーフェスのデバイスコンテキストのハンドルが得られません") == 0) {
    remembered = ::GetPixel(dc, 0, 0);
    ::SetPixel(dc, 0, 0, Color);
    DDSurface->ReleaseDC(dc);
  }
  std::uint32_t value = 0;
  DDSURFACEDESC2 desc = EmptyDescription();
  if (CheckResult(DDSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), "ColorMatchに失敗しました、サーフェスがロックできません") == 0) {
    // Only the format's own bits: a 16-bit surface's neighbour pixel must not
    // leak into the value. 32-bit formats keep all four bytes.
    const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    const size_t bytes = std::min<size_t>(4, std::max<DWORD>(bits, 8) / 8);
    std::memcpy(&value, desc.lpSurface, bytes);
    if (bits < 32) value &= (std::uint32_t{1} << bits) - 1;
    DDSurface->Unlock(nullptr);
  }
  if (CheckResult(DDSurface->GetDC(&dc), "ColorMatchに失敗しました、サーフェスのデバイスコンテキストのハンドルが得られません") == 0) {
    ::SetPixel(dc, 0, 0, remembered);
    DDSurface->ReleaseDC(dc);
  }
  return value;
}

std::uint32_t TBrinGenSurface::GetPixel(std::int32_t X, std::int32_t Y) {
  if (X < 0 || X > Width - 1 || Y < 0 || Y > Height - 1) {
    DebugLog("サーフェス外のピクセルを参照しようとしました");
    return 0;
  }
  if (!DDSurface) return 0;
  DDSURFACEDESC2 desc = EmptyDescription();
  if (DDSurface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) return 0;
  // The lock may describe a surface smaller than Width x Height (a surface
  // rebuilt smaller); never read outside the memory it hands out.
  std::uint32_t value = 0;
  const DWORD bytes = desc.ddpfPixelFormat.dwRGBBitCount / 8;
  if (static_cast<DWORD>(X) < desc.dwWidth && static_cast<DWORD>(Y) < desc.dwHeight && bytes >= 1 && bytes <= 4) {
    const auto* p = static_cast<const std::uint8_t*>(desc.lpSurface) + static_cast<std::intptr_t>(Y) * desc.lPitch +
                    static_cast<std::intptr_t>(X) * bytes;
    for (DWORD i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(p[i]) << (8 * i);
  }
  DDSurface->Unlock(nullptr);
  return value;
}

std::uint32_t TBrinGenSurface::MakePixel(std::uint8_t A, std::uint8_t R, std::uint8_t G, std::uint8_t B) const {
  auto channel = [](std::uint8_t v, std::uint32_t loss, std::uint32_t shift) -> std::uint32_t {
    return (static_cast<std::uint32_t>(v) >> (loss & 31)) << (shift & 31);
  };
  // An empty mask has loss 8, so its channel is 0 whatever its shift.
  return channel(A, ALoss, AShift) | channel(R, RLoss, RShift) | channel(G, GLoss, GShift) | channel(B, BLoss, BShift);
}

void TBrinGenSurface::AnalysePixelFormat(const DDPIXELFORMAT& Format) {
  auto analyse = [](std::uint32_t mask, std::uint32_t& shift, std::uint32_t& loss) {
    shift = mask == 0 ? 32 : static_cast<std::uint32_t>(std::countr_zero(mask));
    const std::uint32_t run = shift >= 32 ? 0 : static_cast<std::uint32_t>(std::countr_one(mask >> shift));
    loss = run >= 8 ? 0 : 8 - run;
  };
  AMask = Format.dwRGBAlphaBitMask;
  RMask = Format.dwRBitMask;
  GMask = Format.dwGBitMask;
  BMask = Format.dwBBitMask;
  analyse(AMask, AShift, ALoss);
  analyse(RMask, RShift, RLoss);
  analyse(GMask, GShift, GLoss);
  analyse(BMask, BShift, BLoss);
  DetailLog(brin::Format("PixelFormat: AMask=%.8x RMask=%.8x GMask=%.8x BMask=%.8x", AMask, RMask, GMask, BMask));
}

bool TBrinGenSurface::IsLost() { return DDSurface && DDSurface->IsLost() != DD_OK; }

void TBrinGenSurface::Restore() {
  if (IsLost()) DDSurface->Restore();
}

void TBrinGenSurface::RefreshDescription() {
  Description = EmptyDescription();
  if (!DDSurface) return;
  const HRESULT hr = DDSurface->GetSurfaceDesc(&Description);
  if (hr != DD_OK) {
    Description = EmptyDescription();
    CheckResult(hr, "サーフェス情報の取得に失敗しました");
  }
}

HRESULT TBrinGenSurface::Draw(TBrinGenSurface* Dest, TBrinGenSurface* Src, const TRect& DestRect, const TRect& SrcRect,
                              DWORD Flags, DDBLTFX& Fx) {
  if (!Dest || !Dest->DDSurface) return DD_OK;
  IDirectDrawSurface7* source = Src ? Src->DDSurface : nullptr;
  TRect dst = NormalizeRect(DestRect);
  TRect src = NormalizeRect(SrcRect);
  // The primary surface has a clipper that keeps the picture in the window;
  // clipping here would cut it to the window's size instead.
  if (Dest->Owner && Dest == Dest->Owner->PrimarySurface) {
    dst = DestRect;
    src = SrcRect;
    return Dest->DDSurface->Blt(&dst, source, Src ? &src : nullptr, Flags, &Fx);
  }
  const TRect clip = ClipOf(Dest);
  if (!ClipAxis(dst.left, dst.right, src.left, src.right, clip.left, clip.right)) return DD_OK;
  if (!ClipAxis(dst.top, dst.bottom, src.top, src.bottom, clip.top, clip.bottom)) return DD_OK;
  return Dest->DDSurface->Blt(&dst, source, Src ? &src : nullptr, Flags, &Fx);
}

HRESULT TBrinGenSurface::DrawFast(TBrinGenSurface* Dest, TBrinGenSurface* Src, std::int32_t X, std::int32_t Y,
                                  const TRect& SrcRect, DWORD Flags) {
  if (!Dest || !Dest->DDSurface || !Src || !Src->DDSurface) return DD_OK;
  TRect src = NormalizeRect(SrcRect);
  const TRect clip = ClipOf(Dest);
  LONG x = X;
  LONG y = Y;
  if (!ClipFastAxis(x, src.left, src.right, clip.left, clip.right)) return DD_OK;
  if (!ClipFastAxis(y, src.top, src.bottom, clip.top, clip.bottom)) return DD_OK;
  return Dest->DDSurface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), Src->DDSurface, &src, Flags);
}

HRESULT TBrinGenSurface::DrawToBack(const TRect& DestRect, const TRect& SrcRect, DWORD Flags, DDBLTFX& Fx) {
  return Draw(Owner ? Owner->BackBuffer : nullptr, this, DestRect, SrcRect, Flags, Fx);
}

HRESULT TBrinGenSurface::DrawFastToBack(std::int32_t X, std::int32_t Y, const TRect& SrcRect, DWORD Flags) {
  return DrawFast(Owner ? Owner->BackBuffer : nullptr, this, X, Y, SrcRect, Flags);
}

void TBrinGenSurface::LoadFromFile(const std::string& AFileName) {
  std::unique_ptr<platform::FileStream> file;
  try {
    file = std::make_unique<platform::FileStream>(AFileName);
  } catch (const platform::EInOutError&) {
    LoadError = AFileName + "が、見つかりません";
    DebugLog(LoadError);
    return;
  }
  LoadBMP(*file);
}

void TBrinGenSurface::LoadFromArchive(const std::string& AArchiveName, const std::string& AArchiveID) {
  std::unique_ptr<platform::MemoryStream> member;
  try {
    member = brin::ExtractFromArchive(AArchiveName, AArchiveID);
  } catch (const std::exception&) {
    // A missing archive, data that is not an archive, an unknown ID and a
    // damaged member all end here.
    LoadError = "アーカイブからのビットマップの読み取りに失敗しました";
    DebugLog(LoadError);
    return;
  }
  LoadBMP(*member);
}

TBrinSurface::TBrinSurface(TBrin* AOwner, std::int32_t AWidth, std::int32_t AHeight, std::uint32_t AColorKey)
    : TBrinGenSurface(AOwner) {
  FileName.clear();
  Description = EmptyDescription();
  Description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  Description.dwWidth = static_cast<DWORD>(AWidth);
  Description.dwHeight = static_cast<DWORD>(AHeight);
  Description.ddsCaps.dwCaps = PlacementCaps(AOwner);
  DetailLog(PlacementMessage(Description.ddsCaps.dwCaps));

  if (AOwner->DDraw) {
    HRESULT hr = AOwner->DDraw->CreateSurface(&Description, &DDSurface, nullptr);
    if (hr != DD_OK) {
      Description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
      hr = AOwner->DDraw->CreateSurface(&Description, &DDSurface, nullptr);
      CheckResult(hr, "サーフェスを作れませんでした");
    }
  }
  // Without a surface (creation failed with halting off, or no display) the
  // object carries on empty: every operation on it is a no-op.
  AdoptCreatedSurface(AWidth, AHeight, AColorKey);
  // The list's line comes before the pixel format's.
  AOwner->AddSurface(this);
  AnalysePixelFormat(Description.ddpfPixelFormat);
}

void TBrinGenSurface::AdoptCreatedSurface(std::int32_t AWidth, std::int32_t AHeight, std::uint32_t AColorKey) {
  if (DDSurface) {
    DDCOLORKEY key{AColorKey, AColorKey};
    DDSurface->SetColorKey(DDCKEY_SRCBLT, &key);
    RefreshDescription();
  }
  Width = AWidth;
  Height = AHeight;
  ColorKey = AColorKey;
  UseClipRect = false;
  ClipRect = Rect(0, 0, AWidth, AHeight);
}

TBrinSurface::~TBrinSurface() {
  const brin::TeardownLogging teardown;
  if (DDSurface) {
    const ULONG remaining = DDSurface->Release();
    DDSurface = nullptr;
    CheckResult(static_cast<HRESULT>(remaining), "サーフェスの解放に失敗しました");
  }
  if (Owner) Owner->RemoveSurface(this);
}

void TBrinSurface::LoadFromFile(const std::string& AFileName) {
  FileName = AFileName;
  FromArchive = false;
  TBrinGenSurface::LoadFromFile(AFileName);
}

void TBrinSurface::LoadFromArchive(const std::string& AArchiveName, const std::string& AArchiveID) {
  ArchiveName = AArchiveName;
  ArchiveID = AArchiveID;
  FromArchive = true;
  TBrinGenSurface::LoadFromArchive(AArchiveName, AArchiveID);
}
