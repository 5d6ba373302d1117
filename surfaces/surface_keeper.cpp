#include "surfaces/surface_keeper.h"

#include <algorithm>
#include <vector>

#include "display/brin.h"
#include "display/debug_log.h"
#include "surfaces/brin_surface.h"

using brin::CheckResult;
using brin::DetailLog;
using brin::Format;

namespace {

// Loads the surface's bitmap again from where it last came from, through the
// surface's own virtual loaders (which record the same names again). A
// surface never loaded keeps whatever its memory holds.
void Reload(TBrinSurface* surface) {
  if (surface->FromArchive) {
    if (!surface->ArchiveName.empty()) surface->LoadFromArchive(surface->ArchiveName, surface->ArchiveID);
  } else if (!surface->FileName.empty()) {
    surface->LoadFromFile(surface->FileName);
  }
}

template <typename Keeper>
int IndexIn(const std::vector<Keeper*>& list, const Keeper* keeper) {
  const auto it = std::find(list.begin(), list.end(), keeper);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

}  // namespace

int TBrinSurfaceKeeper::Index() const { return IndexIn(Owner->SurfaceList(), this); }

void TBrinSurfaceKeeper::RestoreIfLost() {
  if (!Surface->IsLost()) return;
  Surface->DDSurface->Restore();
  DetailLog("サーフェスを復元します");
  Reload(Surface);
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
  // Without a surface (halting off) the object carries on empty, as after a
  // failed creation, until the next rebuild.
  if (!Surface->DDSurface) return;
  DDCOLORKEY key{Surface->ColorKey, Surface->ColorKey};
  Surface->DDSurface->SetColorKey(DDCKEY_SRCBLT, &key);
  Surface->RefreshDescription();
  Surface->AnalysePixelFormat(Surface->Description.ddpfPixelFormat);
  Reload(Surface);
}

int TBrinTextureKeeper::Index() const { return IndexIn(Owner->TextureList(), this); }

void TBrinTextureKeeper::RestoreTexture() {
  Surface->Restore();
  // Reloaded whether or not it was lost.
  Reload(Surface);
}

void TBrinTextureKeeper::ReleaseTexture() {
  DetailLog(Format("DirectDrawオブジェクトの解放に伴い、%d番のテクスチャを解放します", Index()));
  if (Surface->DDSurface) {
    Surface->DDSurface->Release();
    Surface->DDSurface = nullptr;
  }
}

void TBrinTextureKeeper::RebuildTexture() {
  DetailLog(Format("%d番のテクスチャを再構築します", Index()));
  CreateTexture();
  Reload(Surface);
}
