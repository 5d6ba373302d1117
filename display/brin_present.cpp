// TBrin: what the application uses while it runs — clearing and presenting
// the back buffer, switching between window and full screen, restoring lost
// surfaces, the 8-bit palette, and the colour-depth check made at start.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "display/brin.h"
#include "display/debug_log.h"
#include "platform/gdi.h"
#include "platform/stream.h"
#include "surfaces/brin_surface.h"

using brin::CheckResult;
using brin::DebugLog;
using brin::Format;

namespace {

DDBLTFX EmptyFx() {
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  return fx;
}

std::uint32_t ReadLE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

HRESULT TBrin::Clear() {
  if (!BackBuffer || !BackBuffer->DDSurface) return DDERR_INVALIDOBJECT;
  RECT rect{0, 0, ScreenWidth, ScreenHeight};
  DDBLTFX fx = EmptyFx();
  fx.dwFillColor = BackColor;
  return BackBuffer->DDSurface->Blt(&rect, nullptr, &rect, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

void TBrin::Flip() {
  if (!PrimarySurface || !PrimarySurface->DDSurface || !BackBuffer || !BackBuffer->DDSurface) return;
  if (FullScreen && PrimarySurface->DDSurface->Flip(nullptr, DDFLIP_WAIT) == DD_OK) return;

  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  BackBuffer->DDSurface->GetSurfaceDesc(&desc);
  RECT source{0, 0, static_cast<LONG>(desc.dwWidth), static_cast<LONG>(desc.dwHeight)};
  RECT dest{};
  ::GetClientRect(window_, &dest);
  POINT origin{0, 0};
  ::ClientToScreen(window_, &origin);
  dest.left += origin.x;
  dest.right += origin.x;
  dest.top += origin.y;
  dest.bottom += origin.y;
  if (VsyncAtWindowed && DDraw) DDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
  DDBLTFX fx = EmptyFx();
  PrimarySurface->DDSurface->Blt(&dest, BackBuffer->DDSurface, &source, DDBLT_WAIT, &fx);
}

void TBrin::ChangeToFullScreen(int Width, int Height, int BitDepth, int ARefreshRate, const std::string& DriverName) {
  InitializeDisplay(true, Width, Height, BitDepth, ARefreshRate, DriverName);
}

void TBrin::ChangeToWindow(int Width, int Height) { InitializeDisplay(false, Width, Height, ScreenBitDepth, 0, ""); }

void TBrin::RestoreSurfaces() {
  if (PrimarySurface) PrimarySurface->Restore();
  if (!FullScreen && BackBuffer) BackBuffer->Restore();
  if (Use3D && depthBuffer_) depthBuffer_->Restore();
  RestoreAllLists();
}

void TBrin::LoadPaletteFromBMP(const std::string& FileName) {
  std::unique_ptr<platform::FileStream> file;
  try {
    file = std::make_unique<platform::FileStream>(FileName);
  } catch (const platform::EInOutError&) {
    DebugLog(FileName + "が見つかりません");
    return;
  }
  std::uint8_t fileHeader[14] = {};
  if (file->Read(fileHeader, sizeof fileHeader) != sizeof fileHeader || fileHeader[0] != 'B' || fileHeader[1] != 'M') {
    if (brin::DisplayLogChannel().haltOnError) brin::Halt(FileName + ": 不正なビットマップです");
    throw ExBrin("不正なビットマップです");
  }
  std::uint8_t infoHeader[40] = {};
  file->Read(infoHeader, sizeof infoHeader);
  std::uint32_t colors = ReadLE32(infoHeader + 32);
  if (colors == 0) colors = 256;
  // The table holds 256 entries whatever the file claims; a short file
  // gives what it has.
  if (colors > 256) colors = 256;
  file->SetPosition(14 + 40);
  for (std::uint32_t i = 0; i < colors; ++i) {
    std::uint8_t quad[4];
    if (file->Read(quad, 4) != 4) break;
    PaletteEntries[i] = PALETTEENTRY{quad[2], quad[1], quad[0], PC_NOCOLLAPSE};
  }
}

void TBrin::UpdatePalette() {
  if (ScreenBitDepth != 8) return;
  if (FullScreen) {
    if (palette_) CheckResult(palette_->SetEntries(0, 0, 256, PaletteEntries.data()), "パレットが更新できませんでした");
    return;
  }
  // A logical palette of 256 entries: LOGPALETTE declares one, the rest follow.
  struct {
    LOGPALETTE header;
    PALETTEENTRY more[255];
  } logical;
  logical.header.palVersion = 0x300;
  logical.header.palNumEntries = 256;
  PALETTEENTRY* entries = logical.header.palPalEntry;
  for (int i = 0; i < 256; ++i) entries[i] = PALETTEENTRY{0, 0, 0, PC_NOCOLLAPSE};

  HDC screen = ::GetDC(nullptr);
  if (HPALETTE black = ::CreatePalette(&logical.header)) {
    HPALETTE previous = ::SelectPalette(screen, black, FALSE);
    ::RealizePalette(screen);
    ::SelectPalette(screen, previous, FALSE);
    ::RealizePalette(screen);
    ::DeleteObject(black);
  }
  ::GetSystemPaletteEntries(screen, 0, 256, entries);
  ::ReleaseDC(nullptr, screen);
  for (int i = 10; i <= 245; ++i) entries[i] = PaletteEntries[i];

  if (HPALETTE wanted = ::CreatePalette(&logical.header)) {
    HDC dc = ::GetDC(window_);
    ::SelectPalette(dc, wanted, FALSE);
    ::RealizePalette(dc);
    ::ReleaseDC(window_, dc);
    ::DeleteObject(wanted);
  }
}

void TBrin::CheckColorDepth() {
  if (!AutoDisplayModeInitialize || InitializeFullScreen || InitialBitDepth == 0) return;
  if (GetDisplayBitDepth() == InitialBitDepth) return;
  const std::string text =
      Format("画面モードが不適切です。色数を %d ビットに設定して、起動しなおしてください。", InitialBitDepth);
  ::MessageBoxA(window_, text.c_str(), "警告", MB_OK | MB_ICONWARNING);
  brin::Halt(text);
}
