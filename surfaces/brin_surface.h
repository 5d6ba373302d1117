// Surfaces: a DirectDraw surface with everything the library needs to use
// it — its size, a cached description, its source colour key, a clip
// rectangle and a breakdown of its pixel format into channel masks.
//
// TBrinGenSurface wraps any surface (the display uses it for the primary
// surface and the back buffer) and carries every drawing, pixel and loading
// operation. TBrinSurface is the off-screen surface an application makes: it
// asks for memory where the display's SurfaceLocation says, enters the
// display's surface list so that it survives losses and mode switches, and
// remembers where its bitmap came from so it can be loaded again.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ddraw.h"
#include "platform/stream.h"

class TBrin;

// Rectangles of the library: left, top, right, bottom; right and bottom exclusive.
using TRect = RECT;
inline TRect Rect(LONG left, LONG top, LONG right, LONG bottom) { return TRect{left, top, right, bottom}; }
// Swaps Left/Right and Top/Bottom where they are the wrong way round.
TRect NormalizeRect(const TRect& rect);

class TBrinGenSurface {
 public:
  // Wraps SURFACE (may be null) of OWNER; does not take ownership of it.
  TBrinGenSurface(TBrin* Owner, IDirectDrawSurface7* DDSurface, std::int32_t Width, std::int32_t Height);
  virtual ~TBrinGenSurface() = default;
  // Loads the BMP file FILENAME into this surface (LoadBMP). A file that
  // cannot be opened is logged with its name.
  virtual void LoadFromFile(const std::string& FileName);
  // Loads the BMP stored as ARCHIVEID in the archive ARCHIVENAME. An archive
  // or member that cannot be read is logged.
  virtual void LoadFromArchive(const std::string& ArchiveName, const std::string& ArchiveID);
  TBrinGenSurface(const TBrinGenSurface&) = delete;
  TBrinGenSurface& operator=(const TBrinGenSurface&) = delete;

  IDirectDrawSurface7* DDSurface = nullptr;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  DDSURFACEDESC2 Description{};
  TBrin* Owner = nullptr;
  std::uint32_t ColorKey = 0;
  TRect ClipRect{};
  bool UseClipRect = false;
  // Why the last load into this surface failed (the message the log got);
  // empty when it succeeded.
  std::string LoadError;
  std::uint32_t AMask = 0, RMask = 0, GMask = 0, BMask = 0;
  std::uint32_t ALoss = 0, RLoss = 0, GLoss = 0, BLoss = 0;
  std::uint32_t AShift = 0, RShift = 0, GShift = 0, BShift = 0;

  HRESULT SetColorKey(std::uint32_t Key);
  std::uint32_t ColorMatch(COLORREF Color);
  std::uint32_t GetPixel(std::int32_t X, std::int32_t Y);
  std::uint32_t MakePixel(std::uint8_t A, std::uint8_t R, std::uint8_t G, std::uint8_t B) const;
  void AnalysePixelFormat(const DDPIXELFORMAT& Format);
  bool IsLost();
  void Restore();
  void RefreshDescription();
  // Reads one BMP from STREAM into this surface, converting its pixels into
  // the surface's format. The BMP's first byte is at stream position 0; the
  // headers are read from the current position. The surface keeps its size:
  // the picture's bottom row lands on the surface's bottom row (true-colour
  // pictures into 8-bit surfaces are anchored top-left instead). Failures
  // are logged, never raised.
  void LoadBMP(platform::Stream& Stream);

  // Clipped blits onto DEST; 0 means drawn or wholly clipped away. The
  // caller's rectangles are never changed.
  static HRESULT Draw(TBrinGenSurface* Dest, TBrinGenSurface* Src, const TRect& DestRect, const TRect& SrcRect,
                      DWORD Flags, DDBLTFX& Fx);
  static HRESULT DrawFast(TBrinGenSurface* Dest, TBrinGenSurface* Src, std::int32_t X, std::int32_t Y,
                          const TRect& SrcRect, DWORD Flags);
  // Draw and DrawFast onto the back buffer of this surface's owner.
  HRESULT DrawToBack(const TRect& DestRect, const TRect& SrcRect, DWORD Flags, DDBLTFX& Fx);
  HRESULT DrawFastToBack(std::int32_t X, std::int32_t Y, const TRect& SrcRect, DWORD Flags);

  // Creates the surface as a texture for the owner's 3D device, in the
  // first format of FORMATWISH ("ARGB4444;RGB565") the device lists, or the
  // library's preferred one; an empty wish asks for the preferred format.
  // Defined with the textures (surfaces/brin_texture.cpp).
  void CreateTexture(std::int32_t Width, std::int32_t Height, const std::string& FormatWish, std::uint32_t ColorKey);

 protected:
  // For derived classes that create their surface themselves: stores the
  // owner and nothing else.
  explicit TBrinGenSurface(TBrin* Owner) : Owner(Owner) {}
  // After a creation attempt: keys the surface (when there is one), takes
  // its description and sets the fields every created surface starts with.
  // The caller analyses the pixel format when its log order wants it.
  void AdoptCreatedSurface(std::int32_t AWidth, std::int32_t AHeight, std::uint32_t AColorKey);
};

class TBrinSurface : public TBrinGenSurface {
 public:
  // Makes a Width x Height off-screen surface on OWNER's display with the
  // given source colour key, and lists it with the display.
  TBrinSurface(TBrin* Owner, std::int32_t Width, std::int32_t Height, std::uint32_t ColorKey);
  ~TBrinSurface() override;
  // Both record the source first, so that the surface list loads it again
  // after a loss or a rebuild, even when this load fails.
  void LoadFromFile(const std::string& FileName) override;
  void LoadFromArchive(const std::string& ArchiveName, const std::string& ArchiveID) override;

  bool FromArchive = false;
  std::string FileName;
  std::string ArchiveName;
  std::string ArchiveID;

 protected:
  // For surfaces made another way (textures): stores the owner only; the
  // surface is neither created nor listed.
  explicit TBrinSurface(TBrin* Owner) : TBrinGenSurface(Owner) {}
};
