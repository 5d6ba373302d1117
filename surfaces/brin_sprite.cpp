#include "surfaces/brin_sprite.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "display/debug_log.h"

namespace {

using brin::DebugLog;
using brin::Format;

// Sizes and positions are worked out in 64 bits so that no field the game
// may write (a stray IShape, a huge scale factor) can overflow; results that
// leave the 32-bit range are pinned to its ends.
std::int32_t Clamp32(std::int64_t value) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// SIZE through NUM/DEN when SCALED, truncating toward zero. False when the
// factor has a zero denominator: such an entry has no drawable size.
bool ScaledExtent(std::int64_t size, bool scaled, std::int32_t num, std::int32_t den, std::int64_t& extent) {
  if (!scaled) {
    extent = size;
    return true;
  }
  if (den == 0) return false;
  // |size| < 2^32 and |num| <= 2^31, so the product stays below 2^63.
  extent = size * num / den;
  return true;
}

// The log routines format into a new string; a game that runs without
// broDebugMessage must not pay for that on every bad entry of every frame.
bool Logging() { return brin::DisplayLogChannel().debugMessage; }

void ReportLayer(std::int32_t z, std::int32_t maxZ) {
  if (Logging()) DebugLog(Format("Z=%dは無効です、Z値は0から%dの範囲にしてください", z, maxZ));
}

DDBLTFX EmptyFx() {
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  return fx;
}

}  // namespace

// --- entries -------------------------------------------------------------------

const TBrinSpriteShape* TBrinSprReg::CurrentShape() const {
  const std::int64_t shape = std::int64_t{IShape} + AnimFrame;
  if (!Owner || shape < 0 || shape >= Owner->ShapeCount) return nullptr;
  return &Owner->Shape[static_cast<std::size_t>(shape)];
}

std::int32_t TBrinSprReg::Width() const {
  const TBrinSpriteShape* shape = CurrentShape();
  if (!shape) return 0;
  std::int64_t width = std::abs(std::int64_t{shape->Rect.right} - shape->Rect.left);
  if (!ScaledExtent(width, ScaleX, XNum, XDen, width)) return 0;
  return Clamp32(width);
}

std::int32_t TBrinSprReg::Height() const {
  const TBrinSpriteShape* shape = CurrentShape();
  if (!shape) return 0;
  std::int64_t height = std::abs(std::int64_t{shape->Rect.bottom} - shape->Rect.top);
  if (!ScaledExtent(height, ScaleY, YNum, YDen, height)) return 0;
  return Clamp32(height);
}

void TBrinSprReg::SetHeight(std::int32_t H) {
  const TBrinSpriteShape* shape = CurrentShape();
  if (!shape) return;
  const std::int64_t own = std::abs(std::int64_t{shape->Rect.bottom} - shape->Rect.top);
  if (H == own) {
    ScaleY = false;
    YNum = 1;
    YDen = 1;
    return;
  }
  // A shape with no height (or one beyond 32 bits) gives no usable
  // denominator; scaling it would only make the entry undrawable.
  if (own == 0 || own > std::numeric_limits<std::int32_t>::max()) return;
  ScaleY = true;
  YNum = H;
  YDen = static_cast<std::int32_t>(own);
}

void TBrinSprReg::Animate() {
  // The steps are taken in 64 bits so that the comparisons cannot overflow;
  // a frame pushed past the 32-bit range (AnimLast - 1 with AnimLast at the
  // lowest value, AnimFirst + 1 at the highest) wraps to the other end of it.
  if (!PingPong) {
    const std::int64_t next = std::int64_t{AnimFrame} + 1;
    AnimFrame = next > AnimLast ? AnimFirst : static_cast<std::int32_t>(next);
  } else if (!Reverse) {
    const std::int64_t next = std::int64_t{AnimFrame} + 1;
    if (next > AnimLast) {
      AnimFrame = static_cast<std::int32_t>(std::int64_t{AnimLast} - 1);
      Reverse = true;
    } else {
      AnimFrame = static_cast<std::int32_t>(next);
    }
  } else {
    const std::int64_t next = std::int64_t{AnimFrame} - 1;
    if (next < AnimFirst) {
      AnimFrame = static_cast<std::int32_t>(std::int64_t{AnimFirst} + 1);
      Reverse = false;
    } else {
      AnimFrame = static_cast<std::int32_t>(next);
    }
  }
}

// --- the table -----------------------------------------------------------------

TBrinSprite::TBrinSprite(std::int32_t AEntryCount, std::int32_t AShapeCount)
    : PlainFx(EmptyFx()), AlphaFx(EmptyFx()) {
  EntryCount = std::max(AEntryCount, 0);
  ShapeCount = std::max(AShapeCount, 0);
  Shape.assign(static_cast<std::size_t>(ShapeCount), TBrinSpriteShape{});
  Entries.reserve(static_cast<std::size_t>(EntryCount));
  for (std::int32_t n = 0; n < EntryCount; ++n) Entries.push_back(std::make_unique<TBrinSprReg>(this));
  SetMaxZ(0);
}

// Entries, shapes and lists go with their containers; the surfaces the
// shapes name belong to the application and stay.
TBrinSprite::~TBrinSprite() = default;

TBrinSprReg* TBrinSprite::Entry(std::int32_t N) {
  if (N < 0 || N >= EntryCount) return nullptr;
  return Entries[static_cast<std::size_t>(N)].get();
}

void TBrinSprite::SetShape(std::int32_t N, TBrinGenSurface* ASurface, const TRect& ARect) {
  if (N < 0 || N >= ShapeCount) return;
  Shape[static_cast<std::size_t>(N)] = TBrinSpriteShape{ASurface, ARect};
}

void TBrinSprite::SetMaxZ(std::int32_t M) {
  if (M < 0) return;
  std::int32_t shift = 0;
  for (std::int64_t capacity = 1; capacity < EntryCount; capacity <<= 1) ++shift;
  const std::size_t layers = static_cast<std::size_t>(M) + 1;
  // Counts start at zero, so a layer drawn before the first SortByZ is
  // simply empty.
  std::vector<std::int32_t> slots(layers << shift);
  std::vector<std::int32_t> counts(layers, 0);
  LayerSlots.swap(slots);
  LayerCounts.swap(counts);
  SlotShift = shift;
  MaxZ = M;
}

void TBrinSprite::SortByZ() {
  std::fill(LayerCounts.begin(), LayerCounts.end(), 0);
  std::int32_t* const slots = LayerSlots.data();
  std::int32_t* const counts = LayerCounts.data();
  // Downwards, so that each list runs from the highest entry number to the
  // lowest and the lowest is drawn last, on top.
  for (std::int32_t n = EntryCount - 1; n >= 0; --n) {
    const TBrinSprReg& entry = *Entries[static_cast<std::size_t>(n)];
    if (!entry.Visible) continue;
    const std::int32_t z = entry.Z;
    if (z < 0 || z > MaxZ) {
      ReportLayer(z, MaxZ);
      continue;
    }
    slots[(static_cast<std::size_t>(z) << SlotShift) + static_cast<std::size_t>(counts[z]++)] = n;
  }
}

void TBrinSprite::DrawLayer(std::int32_t AZ) {
  if (AZ < 0 || AZ > MaxZ) {
    ReportLayer(AZ, MaxZ);
    return;
  }
  const std::int32_t* const list = LayerSlots.data() + (static_cast<std::size_t>(AZ) << SlotShift);
  const std::int32_t count = LayerCounts[static_cast<std::size_t>(AZ)];
  for (std::int32_t i = 0; i < count; ++i) DrawEntry(*Entries[static_cast<std::size_t>(list[i])]);
}

void TBrinSprite::DrawAll() {
  SortByZ();
  for (std::int32_t z = 0; z <= MaxZ; ++z) DrawLayer(z);
}

void TBrinSprite::DrawEntry(const TBrinSprReg& entry) {
  const std::int64_t number = std::int64_t{entry.IShape} + entry.AnimFrame;
  if (number < 0 || number >= ShapeCount) {
    if (Logging())
      DebugLog(Format("BrinSprite.IShape=%lldは無効です、IShapeは0から%dの範囲にしてください",
                      static_cast<long long>(number), ShapeCount - 1));
    return;
  }
  const TBrinSpriteShape& shape = Shape[static_cast<std::size_t>(number)];
  if (!shape.Surface) {
    if (Logging()) DebugLog(Format("BrinSprite.Shape[%lld]に使うサーフェスが見付かりません", static_cast<long long>(number)));
    return;
  }
  const TRect& source = shape.Rect;

  // The common case, unscaled and opaque, takes the fast unscaled blit. Each
  // first attempt goes without a wait flag; only a failed one is repeated
  // with it, and a second failure just leaves the entry out of this frame.
  if (entry.Alpha == 0 && !entry.ScaleX && !entry.ScaleY) {
    if (shape.Surface->DrawFastToBack(entry.X, entry.Y, source, DDBLTFAST_SRCCOLORKEY) != DD_OK)
      shape.Surface->DrawFastToBack(entry.X, entry.Y, source, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    return;
  }

  // Signed extents: a reversed source rectangle or a negative factor gives a
  // reversed destination, which the draw puts back in order.
  std::int64_t width = 0;
  std::int64_t height = 0;
  if (!ScaledExtent(std::int64_t{source.right} - source.left, entry.ScaleX, entry.XNum, entry.XDen, width) ||
      !ScaledExtent(std::int64_t{source.bottom} - source.top, entry.ScaleY, entry.YNum, entry.YDen, height))
    return;
  const TRect dest = Rect(entry.X, entry.Y, Clamp32(entry.X + width), Clamp32(entry.Y + height));

  if (entry.Alpha != 0) {
    AlphaFx.dwAlphaSrcConstBitDepth = 8;
    AlphaFx.dwAlphaSrcConst = entry.Alpha;
    // A device that cannot blend refuses the first attempt; the second
    // draws the entry opaque, still keyed.
    if (shape.Surface->DrawToBack(dest, source, DDBLT_KEYSRC | DDBLT_ALPHASRCCONSTOVERRIDE, AlphaFx) != DD_OK)
      shape.Surface->DrawToBack(dest, source, DDBLT_WAIT | DDBLT_KEYSRC, AlphaFx);
    return;
  }
  if (shape.Surface->DrawToBack(dest, source, DDBLT_KEYSRC, PlainFx) != DD_OK)
    shape.Surface->DrawToBack(dest, source, DDBLT_WAIT | DDBLT_KEYSRC, PlainFx);
}
