// Device contexts: information and display contexts, the screen's and
// windows', memory contexts and those DirectDraw makes over its surfaces.
#include <cctype>
#include <cstdint>
#include <cstring>

#include "platform/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/surface_dc.h"
#include "platform/system.h"
#include "platform/window_registry.h"

namespace platform::gdi {
namespace {

bool NamesTheDisplay(LPCSTR name) {
  if (!name) return false;
  constexpr char kDisplay[] = "display";
  if (std::strlen(name) != sizeof(kDisplay) - 1) return false;
  for (std::size_t i = 0; i < sizeof(kDisplay) - 1; ++i)
    if (std::tolower(static_cast<unsigned char>(name[i])) != kDisplay[i]) return false;
  return true;
}

HDC AddDC(DcKind kind, HWND window = nullptr, HBITMAP bitmap = nullptr, const PixelView& view = {}) {
  GdiState& s = State();
  DeviceContext dc;
  dc.kind = kind;
  dc.window = window;
  dc.bitmap = bitmap;
  dc.view = view;
  if (kind != DcKind::Information) {
    dc.palette = s.defaultPalette;
    if (Palette* palette = FindPalette(s.defaultPalette)) ++palette->selections;
  }
  return s.dcs.Add<HDC>(dc);
}

bool UsableView(const PixelView& view) {
  const std::uint32_t bits = view.format.bitsPerPixel;
  if (!view.bits || view.width <= 0 || view.height <= 0) return false;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  const std::int64_t rowBytes = static_cast<std::int64_t>(view.width) * (bits / 8);
  const std::int64_t pitch = view.pitch < 0 ? -static_cast<std::int64_t>(view.pitch) : view.pitch;
  return pitch >= rowBytes;
}

}  // namespace

HDC CreateSurfaceDC(const PixelView& view) {
  if (!UsableView(view)) return nullptr;
  return AddDC(DcKind::Surface, nullptr, nullptr, view);
}

void DeleteSurfaceDC(HDC hdc) {
  const DeviceContext* dc = FindDC(hdc);
  if (dc && dc->kind == DcKind::Surface) FreeDC(hdc);
}

}  // namespace platform::gdi

using namespace platform::gdi;

HDC CreateICA(LPCSTR driver, LPCSTR, LPCSTR, const DEVMODEA*) {
  if (Faulted("CreateICA")) return nullptr;
  if (!NamesTheDisplay(driver)) return nullptr;
  return AddDC(DcKind::Information);
}

HDC CreateDCA(LPCSTR driver, LPCSTR, LPCSTR, const DEVMODEA*) {
  if (Faulted("CreateDCA")) return nullptr;
  if (!NamesTheDisplay(driver)) return nullptr;
  return AddDC(DcKind::Display);
}

int GetDeviceCaps(HDC hdc, int index) {
  if (Faulted("GetDeviceCaps")) return 0;
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return 0;
  const platform::DisplayMode mode = platform::CurrentDisplayMode();
  int width = static_cast<int>(mode.width);
  int height = static_cast<int>(mode.height);
  // A 5-5-5 display still reports 16 bits, as the documented call does.
  int bits = mode.bitsPerPixel == 15 ? 16 : static_cast<int>(mode.bitsPerPixel);
  if (dc->kind == DcKind::Surface) {
    width = dc->view.width;
    height = dc->view.height;
    bits = static_cast<int>(dc->view.format.bitsPerPixel);
  }
  const bool palettised = bits == 8;
  constexpr int kDotsPerInch = 96;
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZSIZE: return static_cast<int>(std::int64_t{width} * 254 / (kDotsPerInch * 10));  // millimetres
    case VERTSIZE: return static_cast<int>(std::int64_t{height} * 254 / (kDotsPerInch * 10));
    case HORZRES: return width;
    case VERTRES: return height;
    case BITSPIXEL: return bits;
    case PLANES: return 1;
    case NUMCOLORS: return palettised ? kStaticColours : -1;
    case RASTERCAPS: return RC_BITBLT | RC_BITMAP64 | RC_GDI20_OUTPUT | (palettised ? RC_PALETTE : 0);
    case ASPECTX:
    case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case LOGPIXELSX:
    case LOGPIXELSY: return kDotsPerInch;
    case SIZEPALETTE: return palettised ? 256 : 0;
    case NUMRESERVED: return palettised ? kStaticColours : 0;
    case COLORRES: return palettised ? 24 : 0;
    case VREFRESH:
      if (mode.refreshRate) return static_cast<int>(mode.refreshRate);
      return platform::HasBackend() ? static_cast<int>(platform::CurrentBackend().RefreshRateHz()) : 0;
    case DESKTOPHORZRES: return static_cast<int>(mode.width);
    case DESKTOPVERTRES: return static_cast<int>(mode.height);
    default: return 0;
  }
}

BOOL DeleteDC(HDC hdc) {
  if (Faulted("DeleteDC")) return FALSE;
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (dc->kind != DcKind::Information && dc->kind != DcKind::Display && dc->kind != DcKind::Memory) return FALSE;
  FreeDC(hdc);
  return TRUE;
}

HDC GetDC(HWND window) {
  if (Faulted("GetDC")) return nullptr;
  if (window && !IsWindow(window)) return nullptr;
  return AddDC(window ? DcKind::Window : DcKind::Screen, window);
}

int ReleaseDC(HWND window, HDC hdc) {
  if (Faulted("ReleaseDC")) return 0;
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || (dc->kind != DcKind::Screen && dc->kind != DcKind::Window) || dc->window != window) return 0;
  FreeDC(hdc);
  return 1;
}

HDC CreateCompatibleDC(HDC hdc) {
  if (Faulted("CreateCompatibleDC")) return nullptr;
  if (hdc && !FindDC(hdc)) return nullptr;
  return AddDC(DcKind::Memory, nullptr, State().defaultBitmap);
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  if (Faulted("SelectObject")) return nullptr;
  DeviceContext* dc = FindDC(hdc);
  const HBITMAP hbitmap = static_cast<HBITMAP>(object);
  Bitmap* bitmap = FindBitmap(hbitmap);
  if (!dc || !bitmap || dc->kind != DcKind::Memory) return nullptr;
  if (!bitmap->stock && bitmap->selectedInto && bitmap->selectedInto != hdc) return nullptr;
  const HBITMAP previous = dc->bitmap;
  if (Bitmap* old = FindBitmap(previous); old && !old->stock) old->selectedInto = nullptr;
  if (!bitmap->stock) bitmap->selectedInto = hdc;
  dc->bitmap = hbitmap;
  return previous;
}

HGDIOBJ GetStockObject(int which) {
  if (Faulted("GetStockObject")) return nullptr;
  return which == DEFAULT_PALETTE ? State().defaultPalette : nullptr;
}
