// TBrin: building the display for one mode, tearing it down, and asking
// the driver about its modes.
//
// With the halt option off a failed step leaves its object missing; every
// later step that needs that object is then skipped rather than run on
// nothing.
#include <cstring>
#include <vector>

#include "display/brin.h"
#include "display/debug_log.h"
#include "platform/gdi.h"
#include "surfaces/brin_surface.h"

using brin::CheckResult;
using brin::DetailLog;
using brin::Format;

namespace {

DDSURFACEDESC2 Description(DWORD flags, DWORD caps) {
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = flags;
  desc.ddsCaps.dwCaps = caps;
  return desc;
}

DDCAPS EmptyCaps() {
  DDCAPS caps;
  std::memset(&caps, 0, sizeof caps);
  caps.dwSize = sizeof caps;
  return caps;
}

// Caps of the windowed back buffer besides DDSCAPS_OFFSCREENPLAIN.
DWORD BackBufferPlacement(bool use3D, TBrinBackBufferMemoryType location, TD3DOptions options, bool hardware3D) {
  if (!use3D) {
    switch (location) {
      case bmtCompatible:
      case bmtSystemMemory: return DDSCAPS_SYSTEMMEMORY;
      default: return DDSCAPS_VIDEOMEMORY;
    }
  }
  switch (location) {
    case bmtSystemMemory: return DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY;
    case bmtVideoMemory: return DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
    default:
      if (options.Contains(DontUseHAL) && options.Contains(DontUseTnLHAL)) return DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY;
      return DDSCAPS_3DDEVICE | (hardware3D ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
  }
}

struct NamedLookup {
  TBrin* self;
  std::string wanted;
  bool found = false;
};

BOOL FindNamedDriver(GUID* guid, LPSTR description, LPSTR name, LPVOID context) {
  auto* lookup = static_cast<NamedLookup*>(context);
  const std::string text = Format("%s (%s)", description ? description : "", name ? name : "");
  if (text != lookup->wanted) return TRUE;
  IDirectDraw7* dd = nullptr;
  if (DirectDrawCreateEx(guid, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr) != DD_OK || !dd)
    return TRUE;  // a match that cannot be made is passed over
  lookup->self->DDraw = dd;
  lookup->found = true;
  DetailLog("DirectDrawオブジェクトを作成しました");
  DetailLog(Format("Created DDraw Driver ... %s %p", text.c_str(), static_cast<void*>(dd)));
  return FALSE;
}

struct Search3D {
  TBrin* self;
  bool adopted = false;
};

BOOL Try3DDriver(GUID* guid, LPSTR description, LPSTR, LPVOID context) {
  auto* search = static_cast<Search3D*>(context);
  DetailLog(Format("Enumerated DDraw Driver ... %s", description ? description : ""));
  if (!guid) return TRUE;  // the primary display driver is not a 3D card of its own
  IDirectDraw7* dd = nullptr;
  const HRESULT hr = DirectDrawCreateEx(guid, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr);
  if (CheckResult(hr, "DirectDrawオブジェクトの作成に失敗しました") != DD_OK || !dd) return TRUE;
  DetailLog("DirectDrawオブジェクトをテスト作成しました");
  DDCAPS driverCaps = EmptyCaps();
  DDCAPS emulationCaps = EmptyCaps();
  if (dd->GetCaps(&driverCaps, &emulationCaps) == DD_OK && (driverCaps.dwCaps & DDCAPS_3D) &&
      (driverCaps.ddsCaps.dwCaps & DDSCAPS_3DDEVICE)) {
    search->self->DDraw = dd;
    search->adopted = true;
    DetailLog("テスト作成されたDirectDrawオブジェクトを採用します");
    return FALSE;
  }
  dd->Release();
  DetailLog("テスト用DirectDrawオブジェクトを解放しました");
  return TRUE;
}

// The enumeration keeps only the first 256 modes the driver reports.
constexpr size_t kModesKept = 256;

HRESULT KeepMode(LPDDSURFACEDESC2 desc, LPVOID context) {
  auto* modes = static_cast<std::vector<DDSURFACEDESC2>*>(context);
  modes->push_back(*desc);
  return modes->size() >= kModesKept ? DDENUMRET_CANCEL : DDENUMRET_OK;
}

}  // namespace

void TBrin::InitializeDisplay(bool AFullScreen, int Width, int Height, int BitDepth, int ARefreshRate,
                              const std::string& DriverName) {
  DetailLog(Format("スクリーンモード%d x %d x %d として初期化を開始します", Width, Height, BitDepth));
  if (AFullScreen && form_) form_->Show();
  busy_ = true;
  ReleaseAll();
  if (form_ && form_->Handle() != window_) InstallWindowProc(form_->Handle());

  if (!AFullScreen) {
    DetailLog("ウィンドウモードで初期化を開始します");
    CreateDefaultDirectDraw();
  } else {
    DetailLog("フルスクリーンで初期化を開始します");
    if (!DriverName.empty()) {
      DetailLog("指定されたドライバ " + DriverName + " を使用します");
      if (!CreateNamedDirectDraw(DriverName)) {
        DetailLog("指定されたドライバが見つからなかったので、デフォルトのドライバを使用します");
        CreateDefaultDirectDraw();
      }
    } else {
      DetailLog("デフォルトのドライバを使用します");
      if (!(Use3D && Search3DDriver())) CreateDefaultDirectDraw();
    }
  }

  DDCAPS driverCaps = EmptyCaps();
  DDCAPS emulationCaps = EmptyCaps();
  if (DDraw) {
    DDraw->GetCaps(&driverCaps, &emulationCaps);
    DetailLog(Format("Caps:%016X", driverCaps.dwCaps));
  }
  const bool caps3D = (driverCaps.dwCaps & DDCAPS_3D) != 0;

  IDirectDrawSurface7* primary = nullptr;
  IDirectDrawSurface7* back = nullptr;
  if (DDraw) {
    if (!AFullScreen) {
      CheckResult(DDraw->SetCooperativeLevel(window_, DDSCL_NORMAL), "協調レベルの設定に失敗しました");
      hardware3D_ = caps3D && GetDisplayBitDepth() > 8;
      DDSURFACEDESC2 desc = Description(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
      CheckResult(DDraw->CreateSurface(&desc, &primary, nullptr), "プライマリ・サーフェスの作成に失敗しました");
      DWORD caps = DDSCAPS_OFFSCREENPLAIN | BackBufferPlacement(Use3D, BackBufferLocationAtWindowed, D3DOptions, hardware3D_);
      desc = Description(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH, caps);
      desc.dwWidth = static_cast<DWORD>(Width);
      desc.dwHeight = static_cast<DWORD>(Height);
      HRESULT hr = DDraw->CreateSurface(&desc, &back, nullptr);
      if (hr != DD_OK) {
        caps &= ~DDSCAPS_VIDEOMEMORY;
        desc.ddsCaps.dwCaps = caps;
        hr = DDraw->CreateSurface(&desc, &back, nullptr);
        CheckResult(hr, "バックバッファの作成に失敗しました");
      }
      if (caps & DDSCAPS_VIDEOMEMORY)
        DetailLog("バックバッファをビデオメモリに配置します");
      else if (caps & DDSCAPS_SYSTEMMEMORY)
        DetailLog("バックバッファをシステムメモリに配置します");
      else
        DetailLog("バックバッファをドライバのデフォルトの位置(おそらくビデオメモリ)に配置します");
    } else {
      if (form_) form_->SetBounds(0, 0, Width, Height);
      CheckResult(DDraw->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_ALLOWMODEX),
                  "協調レベルの設定に失敗しました");
      CheckResult(DDraw->SetDisplayMode(static_cast<DWORD>(Width), static_cast<DWORD>(Height), static_cast<DWORD>(BitDepth),
                                        static_cast<DWORD>(ARefreshRate), 0),
                  Format("画面モード%dx%dx%dの初期化に失敗しました", Width, Height, BitDepth));
      hardware3D_ = caps3D && GetDisplayBitDepth() > 8;
      DDSURFACEDESC2 desc = Description(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                                        DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | (Use3D ? DDSCAPS_3DDEVICE : 0));
      desc.dwBackBufferCount = 1;
      CheckResult(DDraw->CreateSurface(&desc, &primary, nullptr), "プライマリ・サーフェスの作成に失敗しました");
      if (primary) {
        DDSCAPS2 caps{};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        CheckResult(primary->GetAttachedSurface(&caps, &back), "バックバッファの作成に失敗しました");
      }
      if (form_) {
        form_->SetWidth(Screen->Width());
        form_->SetHeight(Screen->Height());
        ::BringWindowToTop(window_);
      }
    }
    // Only the attachment needs the primary; the clipper and its window do
    // not, so a display without a primary still makes and releases them.
    CheckResult(DDraw->CreateClipper(0, &clipper_, nullptr), "Clipperオブジェクトの作成に失敗しました");
    if (clipper_) {
      CheckResult(clipper_->SetHWnd(0, window_), "Clipperのフォームへの割り当てに失敗しました");
      if (primary) CheckResult(primary->SetClipper(clipper_), "Clipperのプライマリサーフェスへの割り当てに失敗しました");
    }
  }

  ScreenBitDepth = GetDisplayBitDepth();
  FullScreen = AFullScreen;
  RefreshRate = ARefreshRate;
  ScreenWidth = Width;
  ScreenHeight = Height;

  delete PrimarySurface;
  delete BackBuffer;
  PrimarySurface = new TBrinGenSurface(this, primary, Width, Height);
  BackBuffer = new TBrinGenSurface(this, back, Width, Height);

  PreparePalette(AFullScreen);
  if (Use3D) Setup3D();

  busy_ = false;
  if (started_) {
    RebuildAllLists();
    if (OnChangeDisplayMode) OnChangeDisplayMode(this);
  }
}

void TBrin::CreateDefaultDirectDraw() {
  const HRESULT hr = DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&DDraw), IID_IDirectDraw7, nullptr);
  CheckResult(hr, "DirectDrawオブジェクトが作成できません");
  if (hr == DD_OK && DDraw) DetailLog("DirectDrawオブジェクトを作成しました");
}

bool TBrin::CreateNamedDirectDraw(const std::string& driverName) {
  NamedLookup lookup{this, driverName.substr(0, 255)};
  DirectDrawEnumerateA(FindNamedDriver, &lookup);
  return lookup.found;
}

bool TBrin::Search3DDriver() {
  Search3D search{this};
  DirectDrawEnumerateA(Try3DDriver, &search);
  return search.adopted;
}

void TBrin::PreparePalette(bool fullScreen) {
  if (palette_) {
    palette_->Release();
    palette_ = nullptr;
  }
  if (Use3D && !fullScreen) {
    HDC screen = ::GetDC(nullptr);
    ::GetSystemPaletteEntries(screen, 0, 256, PaletteEntries.data());
    ::ReleaseDC(nullptr, screen);
    for (int i = 0; i < 256; ++i) PaletteEntries[i].peFlags = (i < 10 || i > 245) ? 0x40 : PC_RESERVED;
  } else if (Use3D) {
    for (int i = 0; i < 256; ++i) {
      PaletteEntries[i].peRed = static_cast<BYTE>(((i >> 5) & 7) * 255 / 7);
      PaletteEntries[i].peGreen = static_cast<BYTE>(((i >> 2) & 7) * 255 / 7);
      PaletteEntries[i].peBlue = static_cast<BYTE>((i & 3) * 255 / 3);
      PaletteEntries[i].peFlags = 0x40;
    }
  } else {
    for (auto& entry : PaletteEntries) entry.peFlags = PC_NOCOLLAPSE;
  }
  if (GetDisplayBitDepth() != 8 || !DDraw) return;
  CheckResult(DDraw->CreatePalette(DDPCAPS_8BIT, PaletteEntries.data(), &palette_, nullptr),
              "DirectDrawPaletteの作成に失敗しました");
  if (!palette_) return;
  if (PrimarySurface->DDSurface)
    CheckResult(PrimarySurface->DDSurface->SetPalette(palette_), "DirectDrawPaletteのFrontBufferへの割り当てに失敗しました");
  if (BackBuffer->DDSurface)
    CheckResult(BackBuffer->DDSurface->SetPalette(palette_), "DirectDrawPaletteのBackBufferへの割り当てに失敗しました");
}

void TBrin::ReleaseAll() {
  busy_ = true;
  if (notStarted_) return;
  DetailLog("…DirectDraw/3D関連オブジェクトを全て解放します…");
  if (started_) {
    ReleaseAllLists();
    DetailLog("オフスクリーンサーフェスを全て解放しました");
    if (OnCleanUp) {
      if (destroying_) {
        RaiseEvent([&] { OnCleanUp(this); });
      } else {
        OnCleanUp(this);
      }
    }
  }
  Release3DDevices();
  if (palette_) {
    DetailLog("パレットを解放しました");
    palette_->Release();
    palette_ = nullptr;
  }
  Release3DBase();
  if (clipper_) {
    clipper_->Release();
    clipper_ = nullptr;
    DetailLog("クリッパーを解放しました");
  }
  if (BackBuffer) {
    if (BackBuffer->DDSurface) BackBuffer->DDSurface->Release();
    delete BackBuffer;
    BackBuffer = nullptr;
    DetailLog("バックバッファを解放しました");
  }
  if (PrimarySurface) {
    if (PrimarySurface->DDSurface) PrimarySurface->DDSurface->Release();
    delete PrimarySurface;
    PrimarySurface = nullptr;
    DetailLog("プライマリサーフェスを解放しました");
  }
  if (DDraw) {
    if (FullScreen) DDraw->RestoreDisplayMode();
    const ULONG remaining = DDraw->Release();
    DDraw = nullptr;
    CheckResult(static_cast<HRESULT>(remaining), "DirectDrawの解放に失敗しました");
    DetailLog("DirectDrawを解放しました");
  }
  DetailLog("…DirectDraw/3D関連オブジェクト、解放終了しました…");
}

bool TBrin::IsDisplayModeAvailable(int Width, int Height, int BitDepth, int ARefreshRate) {
  if (!DDraw) return false;
  std::vector<DDSURFACEDESC2> modes;
  modes.reserve(kModesKept);
  DDSURFACEDESC2 filter;
  std::memset(&filter, 0, sizeof filter);
  filter.dwSize = sizeof filter;
  DDraw->EnumDisplayModes(0, &filter, &modes, KeepMode);
  auto matches = [](int wanted, DWORD actual) { return wanted == 0 || static_cast<DWORD>(wanted) == actual; };
  for (const DDSURFACEDESC2& mode : modes) {
    if (matches(Width, mode.dwWidth) && matches(Height, mode.dwHeight) &&
        matches(BitDepth, mode.ddpfPixelFormat.dwRGBBitCount) && matches(ARefreshRate, mode.dwRefreshRate))
      return true;
  }
  return false;
}
