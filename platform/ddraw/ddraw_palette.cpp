#include "platform/ddraw/ddraw_palette.h"

#include <cstring>
#include <new>
#include <utility>

#include "platform/ddraw/ddraw_object.h"
#include "platform/faults.h"

namespace platform::ddraw {

Palette::Palette(DirectDraw* owner, DWORD caps, DWORD count) : owner_(owner), caps_(caps), count_(count) {
  owner_->AddRef();
}

Palette::~Palette() { owner_->Release(); }

HRESULT Palette::Create(DirectDraw* owner, DWORD flags, const PALETTEENTRY* entries, Palette** out) {
  *out = nullptr;
  constexpr DWORD kKnown = DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BIT | DDPCAPS_8BITENTRIES |
                           DDPCAPS_PRIMARYSURFACE | DDPCAPS_PRIMARYSURFACELEFT | DDPCAPS_ALLOW256 | DDPCAPS_VSYNC |
                           DDPCAPS_ALPHA;
  if (flags & ~kKnown) return DDERR_INVALIDPARAMS;
  DWORD count = 0;
  int sizes = 0;
  for (const auto& [flag, entries] : {std::pair<DWORD, DWORD>{DDPCAPS_1BIT, 2}, {DDPCAPS_2BIT, 4}, {DDPCAPS_4BIT, 16},
                                     {DDPCAPS_8BIT, 256}}) {
    if (flags & flag) {
      count = entries;
      ++sizes;
    }
  }
  if (sizes != 1) return DDERR_INVALIDPARAMS;
  if ((flags & DDPCAPS_ALLOW256) && count != 256) return DDERR_INVALIDPARAMS;
  // Index palettes into another palette and stereo primaries need surfaces
  // this implementation does not make.
  if (flags & (DDPCAPS_8BITENTRIES | DDPCAPS_PRIMARYSURFACELEFT)) return DDERR_UNSUPPORTED;
  auto* palette = new (std::nothrow) Palette(owner, flags, count);
  if (!palette) return DDERR_OUTOFMEMORY;
  std::memcpy(palette->entries_, entries, count * sizeof(PALETTEENTRY));
  *out = palette;
  return DD_OK;
}

HRESULT Palette::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDirectDrawPalette) {
    AddRef();
    *object = static_cast<IDirectDrawPalette*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT Palette::GetCaps(LPDWORD lpdwCaps) {
  if (lpdwCaps) *lpdwCaps = 0;
  if (const HRESULT fault = TakeFault("IDirectDrawPalette::GetCaps")) return fault;
  if (!lpdwCaps) return DDERR_INVALIDPARAMS;
  *lpdwCaps = caps_;
  return DD_OK;
}

HRESULT Palette::GetEntries(DWORD dwFlags, DWORD dwBase, DWORD dwNumEntries, LPPALETTEENTRY lpEntries) {
  if (const HRESULT fault = TakeFault("IDirectDrawPalette::GetEntries")) return fault;
  if (dwFlags != 0 || !lpEntries || dwBase >= count_ || dwNumEntries > count_ - dwBase) return DDERR_INVALIDPARAMS;
  std::memcpy(lpEntries, entries_ + dwBase, dwNumEntries * sizeof(PALETTEENTRY));
  return DD_OK;
}

HRESULT Palette::Initialize(LPDIRECTDRAW, DWORD, LPPALETTEENTRY) {
  if (const HRESULT fault = TakeFault("IDirectDrawPalette::Initialize")) return fault;
  return DDERR_ALREADYINITIALIZED;
}

HRESULT Palette::SetEntries(DWORD dwFlags, DWORD dwStartingEntry, DWORD dwCount, LPPALETTEENTRY lpEntries) {
  if (const HRESULT fault = TakeFault("IDirectDrawPalette::SetEntries")) return fault;
  if (dwFlags != 0 || !lpEntries || dwStartingEntry >= count_ || dwCount > count_ - dwStartingEntry)
    return DDERR_INVALIDPARAMS;
  std::memcpy(entries_ + dwStartingEntry, lpEntries, dwCount * sizeof(PALETTEENTRY));
  owner_->PaletteChanged(this);
  return DD_OK;
}

}  // namespace platform::ddraw
