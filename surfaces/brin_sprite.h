// The sprite table: the game's object store and its drawing list in one.
//
// A table holds a fixed number of numbered entries (TBrinSprReg) and a fixed
// shape table. A shape names a surface and a source rectangle on it; an entry
// says where and how to draw one shape. Once per frame DrawAll files the
// visible entries by layer (Z) and draws them onto the back buffer of the
// display that owns each shape's surface, with the surface's colour key.
//
// Everything is made at creation: entries, shapes and the per-layer lists
// (sized by SetMaxZ for the worst case, every entry in one layer). Filing
// and drawing a frame allocates nothing, so the game can call DrawAll every
// frame without touching the heap.
//
// On screen a higher layer covers a lower one; within a layer a lower entry
// number covers a higher one (each layer is drawn from its highest entry
// number down). The game keeps everything in layer 0, so entry numbers alone
// decide what lies on top.
//
// Problems with an entry are written to the display's debug log (only with
// broDebugMessage) and the entry is left out of the frame; nothing halts.
// Numbers outside the table are refused rather than trusted: Entry returns
// null, SetShape stores nothing, Width and Height are 0.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ddraw.h"
#include "platform/forms.h"
#include "surfaces/brin_surface.h"

class TBrinSprite;

// One slot of the shape table. The surface is referred to, not owned; a
// shape without one is not drawn.
struct TBrinSpriteShape {
  TBrinGenSurface* Surface = nullptr;
  TRect Rect{0, 0, 0, 0};  // source rectangle on Surface, right and bottom exclusive
};

// One entry of the table. The game reads and writes the fields directly.
class TBrinSprReg : public TObject {
 public:
  explicit TBrinSprReg(TBrinSprite* AOwner) : Owner(AOwner) {}
  TBrinSprReg(const TBrinSprReg&) = delete;
  TBrinSprReg& operator=(const TBrinSprReg&) = delete;

  // Scale factors XNum/XDen and YNum/YDen, used only while ScaleX / ScaleY
  // is set. A zero denominator makes the entry undrawable (size 0).
  std::int32_t XNum = 1, XDen = 1;
  std::int32_t YNum = 1, YDen = 1;
  bool ScaleX = false, ScaleY = false;
  TBrinSprite* Owner;
  // The shape drawn is Owner->Shape[IShape + AnimFrame].
  std::int32_t IShape = 0;
  std::int32_t AnimFrame = 0;
  std::int32_t AnimLast = 0;   // highest frame of the animation
  std::int32_t AnimFirst = 0;  // lowest frame of the animation
  std::int32_t X = 0, Y = 0;   // top-left corner on the back buffer, pixels
  std::int32_t Z = 0;          // layer, 0..Owner->MaxZ
  // Constant source alpha out of 255 (8-bit depth); 0 draws opaque.
  std::uint32_t Alpha = 0;
  bool Visible = false;
  bool PingPong = false;  // Animate runs back and forth instead of wrapping
  bool Reverse = false;   // a ping-pong animation is running backwards

  // Drawn size of the current shape, scaling included; 0 when the current
  // shape number lies outside the shape table.
  std::int32_t Width() const;
  std::int32_t Height() const;
  // Makes the current shape draw H pixels high; its own height switches
  // vertical scaling off. Refused (nothing changes) when the current shape
  // number is outside the table or the shape has no height to scale from.
  void SetHeight(std::int32_t H);
  void Show() { Visible = true; }
  void Hide() { Visible = false; }
  // One animation step: wraps from AnimLast to AnimFirst, or with PingPong
  // turns round at either end, showing each end frame once per turn.
  void Animate();

 private:
  // Owner's shape for IShape + AnimFrame, or null outside the table.
  const TBrinSpriteShape* CurrentShape() const;
};

class TBrinSprite : public TObject {
 public:
  // A table of AEntryCount entries and AShapeCount shapes (negative counts
  // make empty tables), with the single layer 0.
  TBrinSprite(std::int32_t AEntryCount, std::int32_t AShapeCount);
  ~TBrinSprite() override;
  TBrinSprite(const TBrinSprite&) = delete;
  TBrinSprite& operator=(const TBrinSprite&) = delete;

  // The fields below are fixed by creation and SetMaxZ; read them, do not
  // resize or rewrite them.
  std::vector<TBrinSpriteShape> Shape;
  std::vector<std::unique_ptr<TBrinSprReg>> Entries;
  // Effects records passed with stretched draws and with translucent ones
  // (whose constant alpha is set per draw).
  DDBLTFX PlainFx;
  DDBLTFX AlphaFx;
  std::int32_t EntryCount = 0;
  std::int32_t ShapeCount = 0;
  // Per-layer entry lists of the current frame: layer z's list starts at
  // z << SlotShift and holds LayerCounts[z] entry numbers, highest first.
  std::vector<std::int32_t> LayerSlots;
  std::vector<std::int32_t> LayerCounts;
  // The smallest s with 2^s >= EntryCount: one layer can hold every entry.
  std::int32_t SlotShift = 0;
  std::int32_t MaxZ = 0;

  // Entry N, or null when N is outside 0..EntryCount - 1.
  TBrinSprReg* Entry(std::int32_t N);
  // Shape[N] := (ASurface, ARect); ignored when N is outside 0..ShapeCount - 1.
  void SetShape(std::int32_t N, TBrinGenSurface* ASurface, const TRect& ARect);
  // Layers 0..M, lists sized for every entry in one layer. The old lists are
  // replaced only once the new ones exist; a negative M is refused.
  void SetMaxZ(std::int32_t M);
  // Files the visible entries into their layers' lists.
  void SortByZ();
  // Draws layer AZ's list as the last SortByZ filed it.
  void DrawLayer(std::int32_t AZ);
  // The frame's drawing: SortByZ, then every layer from 0 up.
  void DrawAll();

 private:
  void DrawEntry(const TBrinSprReg& entry);
};
