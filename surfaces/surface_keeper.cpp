#include "surfaces/surface_keeper.h"

#include <algorithm>

#include "display/brin.h"
#include "display/debug_log.h"
#include "surfaces/brin_surface.h"

using brin::CheckResult;
using brin::DetailLog;
using brin::Format;

int TBrinSurfaceKeeper::Index() const {
  const auto& list = Owner->SurfaceList();
  const auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TBrinSurfaceKeeper::RestoreIfLost() {
  if (!Surface->IsLost()) return;
  Surface->DDSurface->Restore();
  DetailLog("サーフェスを復元します");
}

void TBrinSurfaceKeeper::ReleaseSurface() {
  DetailLog(Format("DirectDrawオブジェクトの解放に伴い、%d番のサーフェスを解放します", Index()));
  if (Surface->DDSurface) {
    Surface->DDSurface->Release();
    Surface->DDSurface = nullptr;
  }
}

void TBrinSurfaceKeeper::RebuildSurface() {
  // The description still holds the size and caps the old surface reported;
  // only those are asked for again, so the new surface takes the display's
  // new pixel format.
  Surface->Description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  DetailLog(Format("%d番のサーフェスを再構築します", Index()));
  if (!Owner->DDraw) return;
  HRESULT hr = Owner->DDraw->CreateSurface(&Surface->Description, &Surface->DDSurface, nullptr);
  if (hr != DD_OK) {
    DetailLog("システムメモリにサーフェスを再構築します");
    Surface->Description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    hr = Owner->DDraw->CreateSurface(&Surface->Description, &Surface->DDSurface, nullptr);
    CheckResult(hr, "サーフェスを作れませんでした");
  }
  if (!Surface->DDSurface) return;
  DDCOLORKEY key{Surface->ColorKey, Surface->ColorKey};
  Surface->DDSurface->SetColorKey(DDCKEY_SRCBLT, &key);
  Surface->RefreshDescription();
  Surface->AnalysePixelFormat(Surface->Description.ddpfPixelFormat);
}
