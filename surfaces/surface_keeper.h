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

// A texture keeper has the same shape. Its surface is a texture: a surface
// with the source fields of a TBrinSurface, made for the 3D device in a
// format of its own. Making that texture belongs to the 3D support, which
// derives a keeper supplying CreateTexture and hands it to TBrin::AddTexture.
class TBrinTextureKeeper {
 public:
  TBrinTextureKeeper(TBrin* Owner, TBrinSurface* Surface) : Owner(Owner), Surface(Surface) {}
  virtual ~TBrinTextureKeeper() = default;

  TBrin* Owner;
  TBrinSurface* Surface;  // the texture, not owned

  void RestoreTexture();
  void ReleaseTexture();
  void RebuildTexture();

 protected:
  // Creates the texture afresh with its stored width, height, format wish
  // and colour key, exactly as when it was first made, and analyses its new
  // pixel format.
  virtual void CreateTexture() = 0;

 private:
  int Index() const;
};
