// Keepers: one per listed surface (and texture) of a display. The display
// asks every keeper of its lists to restore, release or rebuild its surface
// when the platform took the surface's memory away or the display is being
// rebuilt for another mode, so the application's surfaces keep working
// without the application noticing.
#pragma once

class TBrin;
class TBrinSurface;

class TBrinSurfaceKeeper {
 public:
  TBrinSurfaceKeeper(TBrin* Owner, TBrinSurface* Surface) : Owner(Owner), Surface(Surface) {}

  TBrin* Owner;
  TBrinSurface* Surface;  // not owned

  void RestoreIfLost();
  void ReleaseSurface();
  void RebuildSurface();

 private:
  int Index() const;
};

// A texture keeper has the same shape; textures themselves come with the 3D
// set-up, which makes the texture and hands its keeper to TBrin::AddTexture.
class TBrinTextureKeeper {
 public:
  virtual ~TBrinTextureKeeper() = default;
  virtual void RestoreTexture() = 0;
  virtual void ReleaseTexture() = 0;
  virtual void RebuildTexture() = 0;
};
