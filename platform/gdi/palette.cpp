// Logical palettes and the system palette of an 8-bit display.
#include <algorithm>

#include "platform/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/surface_dc.h"
#include "platform/system.h"

namespace platform::gdi {
namespace {

bool RealizesIntoSystemPalette(DcKind kind) {
  return kind == DcKind::Screen || kind == DcKind::Window || kind == DcKind::Display;
}

int HeldEntryOf(const GdiState& s, const PALETTEENTRY& e) {
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY& p = s.systemPalette[i];
    if (s.systemInUse[i] && p.peRed == e.peRed && p.peGreen == e.peGreen && p.peBlue == e.peBlue) return i;
  }
  return -1;
}

}  // namespace

const PALETTEENTRY* SystemPaletteEntries() { return State().systemPalette.data(); }

// Written by DirectDraw for a palette set on the windowed primary surface:
// those entries are then held, so a background realisation leaves them be.
void SetSystemPaletteEntries(UINT first, UINT count, const PALETTEENTRY* entries) {
  if (!entries || first >= 256) return;
  GdiState& s = State();
  const UINT n = std::min<UINT>(count, 256 - first);
  for (UINT i = 0; i < n; ++i) {
    s.systemPalette[first + i] = PALETTEENTRY{entries[i].peRed, entries[i].peGreen, entries[i].peBlue, 0};
    s.systemInUse[first + i] = true;
  }
}

}  // namespace platform::gdi

using namespace platform::gdi;

HPALETTE CreatePalette(const LOGPALETTE* logical) {
  if (Faulted("CreatePalette")) return nullptr;
  if (!logical || logical->palVersion != 0x300) return nullptr;
  if (logical->palNumEntries == 0 || logical->palNumEntries > 256) return nullptr;
  Palette palette;
  palette.entries.assign(logical->palPalEntry, logical->palPalEntry + logical->palNumEntries);
  return State().palettes.Add<HPALETTE>(std::move(palette));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE hpalette, BOOL forceBackground) {
  if (Faulted("SelectPalette")) return nullptr;
  DeviceContext* dc = FindDC(hdc);
  Palette* palette = FindPalette(hpalette);
  if (!dc || !palette || dc->kind == DcKind::Information) return nullptr;
  const HPALETTE previous = dc->palette;
  if (Palette* old = FindPalette(previous)) --old->selections;
  ++palette->selections;
  dc->palette = hpalette;
  dc->forceBackground = forceBackground != FALSE;
  return previous;
}

UINT RealizePalette(HDC hdc) {
  if (Faulted("RealizePalette")) return GDI_ERROR;
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return GDI_ERROR;
  const Palette* palette = FindPalette(dc->palette);
  if (!palette) return GDI_ERROR;
  if (!RealizesIntoSystemPalette(dc->kind) || !DisplayPalettised()) return 0;

  GdiState& s = State();
  // The foreground palette owns the system palette: everything another
  // palette held is given up first. The colours stay where they are until a
  // new entry overwrites them, which is what lets a program blacken the free
  // entries by realising a black palette and then the default one.
  if (!dc->forceBackground && platform::AppActive())
    for (int i = kFirstFreeEntry; i <= kLastFreeEntry; ++i) s.systemInUse[i] = false;

  UINT taken = 0;
  int nextFree = kFirstFreeEntry;
  for (const PALETTEENTRY& e : palette->entries) {
    if (e.peFlags & PC_EXPLICIT) continue;  // names a system entry directly
    const bool ownEntry = (e.peFlags & (PC_NOCOLLAPSE | PC_RESERVED)) != 0;
    if (!ownEntry && HeldEntryOf(s, e) >= 0) continue;
    while (nextFree <= kLastFreeEntry && s.systemInUse[nextFree]) ++nextFree;
    if (nextFree > kLastFreeEntry) continue;  // shares the nearest colour
    s.systemPalette[nextFree] = PALETTEENTRY{e.peRed, e.peGreen, e.peBlue, 0};
    s.systemInUse[nextFree] = true;
    ++taken;
  }
  return taken;
}

UINT GetSystemPaletteEntries(HDC hdc, UINT first, UINT count, LPPALETTEENTRY entries) {
  if (Faulted("GetSystemPaletteEntries")) return 0;
  if (!FindDC(hdc) || !DisplayPalettised()) return 0;
  if (!entries) return 256;
  if (first >= 256) return 0;
  const UINT n = std::min<UINT>(count, 256 - first);
  const GdiState& s = State();
  for (UINT i = 0; i < n; ++i) {
    const PALETTEENTRY& e = s.systemPalette[first + i];
    entries[i] = PALETTEENTRY{e.peRed, e.peGreen, e.peBlue, 0};
  }
  return n;
}

UINT GetPaletteEntries(HPALETTE hpalette, UINT first, UINT count, LPPALETTEENTRY entries) {
  if (Faulted("GetPaletteEntries")) return 0;
  const Palette* palette = FindPalette(hpalette);
  if (!palette) return 0;
  const UINT size = static_cast<UINT>(palette->entries.size());
  if (!entries) return size;
  if (first >= size) return 0;
  const UINT n = std::min<UINT>(count, size - first);
  std::copy_n(palette->entries.begin() + first, n, entries);
  return n;
}

UINT GetNearestPaletteIndex(HPALETTE hpalette, COLORREF colour) {
  if (Faulted("GetNearestPaletteIndex")) return CLR_INVALID;
  const Palette* palette = FindPalette(hpalette);
  if (!palette) return CLR_INVALID;
  return static_cast<UINT>(platform::NearestPaletteIndex(palette->entries.data(), static_cast<int>(palette->entries.size()),
                                                         GetRValue(colour), GetGValue(colour), GetBValue(colour)));
}
