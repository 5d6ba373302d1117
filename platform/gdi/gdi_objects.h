// GDI's objects and the tables that hand out their handles.
//
// A handle is a slot number with the object's kind and a generation count
// folded in, never a pointer: a foreign or made-up handle finds no object,
// and a stale one finds none until its slot has been reused 256 times, so
// the call fails cleanly instead of touching freed memory. Slots are reused, so GetDC/ReleaseDC and
// temporary memory DCs stop allocating once the tables have grown.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/faults.h"
#include "platform/gdi.h"
#include "platform/pixels.h"
#include "platform/types.h"

namespace platform::gdi {

// A bitmap's pixels: its own memory, stored top row first.
struct BitmapData {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t pitch = 0;
  PixelFormat format{};
  std::vector<std::uint8_t> bits;
  std::array<PALETTEENTRY, 256> colours{};  // colour table of 8-bit bitmaps; unused entries black
  int colourCount = 0;

  PixelView View() const {
    return PixelView{const_cast<std::uint8_t*>(bits.data()), pitch, width, height, format,
                     format.Palettised() ? colours.data() : nullptr};
  }
};

// Allocates a zeroed WIDTH x HEIGHT bitmap of FORMAT; false when the size is
// not positive or exceeds kMaxBitmapPixels.
bool AllocateBitmap(BitmapData& bitmap, std::int32_t width, std::int32_t height, const PixelFormat& format);

struct Bitmap {
  BitmapData data;
  HDC selectedInto = nullptr;
  bool stock = false;
};

struct Palette {
  std::vector<PALETTEENTRY> entries;
  int selections = 0;  // DCs that have it selected
  bool stock = false;
};

enum class DcKind : std::uint8_t {
  Information,  // CreateICA: capabilities only
  Display,      // CreateDCA: the whole display
  Screen,       // GetDC(null)
  Window,       // GetDC(window)
  Memory,       // CreateCompatibleDC: draws into its selected bitmap
  Surface,      // CreateSurfaceDC: draws into someone else's pixel memory
};

struct DeviceContext {
  DcKind kind = DcKind::Information;
  HWND window = nullptr;
  HPALETTE palette = nullptr;
  bool forceBackground = false;
  HBITMAP bitmap = nullptr;  // memory DCs
  PixelView view{};          // surface DCs
};

// The kind of object a handle names, kept in its top bits.
enum class HandleTag : std::uintptr_t { DeviceContext = 1, Palette = 2, Bitmap = 3 };

template <typename T, HandleTag Tag>
class HandleTable {
 public:
  template <typename Handle>
  Handle Add(T value) {
    std::uint32_t index;
    if (!free_.empty()) {
      index = free_.back();
      free_.pop_back();
    } else {
      index = static_cast<std::uint32_t>(slots_.size());
      if (index >= kMaxSlots) return nullptr;
      slots_.emplace_back();
    }
    Slot& slot = slots_[index];
    slot.value = std::move(value);
    slot.used = true;
    return reinterpret_cast<Handle>(Encode(index, slot.generation));
  }

  T* Find(const void* handle) {
    const auto raw = reinterpret_cast<std::uintptr_t>(handle);
    if ((raw >> kTagShift) != static_cast<std::uintptr_t>(Tag)) return nullptr;
    const std::uintptr_t index = (raw & kIndexMask) - 1;
    if (index >= slots_.size()) return nullptr;
    Slot& slot = slots_[index];
    if (!slot.used || Encode(static_cast<std::uint32_t>(index), slot.generation) != raw) return nullptr;
    return &slot.value;
  }

  void Remove(const void* handle) {
    if (!Find(handle)) return;
    const std::uint32_t index = static_cast<std::uint32_t>((reinterpret_cast<std::uintptr_t>(handle) & kIndexMask) - 1);
    Slot& slot = slots_[index];
    slot.value = T{};
    slot.used = false;
    slot.generation = (slot.generation + 1) & kGenerationMask;
    free_.push_back(index);
  }

  // Frees every object but keeps counting generations, so that handles
  // from before the clear do not find objects made after it.
  void Clear() {
    free_.clear();
    for (std::uint32_t i = 0; i < slots_.size(); ++i) {
      Slot& slot = slots_[i];
      if (slot.used) {
        slot.value = T{};
        slot.used = false;
        slot.generation = (slot.generation + 1) & kGenerationMask;
      }
    }
    for (std::uint32_t i = static_cast<std::uint32_t>(slots_.size()); i-- > 0;) free_.push_back(i);
  }

 private:
  static constexpr unsigned kTagShift = 28;
  static constexpr unsigned kGenerationShift = 20;
  static constexpr std::uintptr_t kIndexMask = (std::uintptr_t{1} << kGenerationShift) - 1;
  static constexpr std::uint32_t kGenerationMask = 0xFF;
  static constexpr std::uint32_t kMaxSlots = static_cast<std::uint32_t>(kIndexMask) - 1;

  struct Slot {
    T value{};
    std::uint32_t generation = 0;
    bool used = false;
  };

  static std::uintptr_t Encode(std::uint32_t index, std::uint32_t generation) {
    return (static_cast<std::uintptr_t>(Tag) << kTagShift) | (static_cast<std::uintptr_t>(generation) << kGenerationShift) |
           (static_cast<std::uintptr_t>(index) + 1);
  }

  // A deque keeps references to live objects valid while others are added.
  std::deque<Slot> slots_;
  std::vector<std::uint32_t> free_;
};

struct GdiState {
  HandleTable<DeviceContext, HandleTag::DeviceContext> dcs;
  HandleTable<Palette, HandleTag::Palette> palettes;
  HandleTable<Bitmap, HandleTag::Bitmap> bitmaps;
  HPALETTE defaultPalette = nullptr;  // stock: the 20 static colours
  HBITMAP defaultBitmap = nullptr;    // stock: 1 x 1, what a new memory DC holds

  // The system palette of an 8-bit display and which of its entries a
  // realised palette holds (statics always count as held).
  std::array<PALETTEENTRY, 256> systemPalette{};
  std::array<bool, 256> systemInUse{};
};

// Whether an injected fault fails CALL: any code at all, since GDI calls
// return handles, counts and Booleans rather than result codes.
inline bool Faulted(std::string_view call) { return TakeFault(call) != S_OK; }

// The process-wide GDI state; reset to a fresh one (system palette and stock
// objects only) whenever a back end is installed.
GdiState& State();

DeviceContext* FindDC(HDC dc);
Palette* FindPalette(HPALETTE palette);
Bitmap* FindBitmap(HBITMAP bitmap);

// The 20 static colours: entries 0-9 and 246-255 of the system palette.
constexpr int kStaticColours = 20;
constexpr int kFirstFreeEntry = 10;
constexpr int kLastFreeEntry = 245;
const std::array<PALETTEENTRY, kStaticColours>& StaticColours();
bool IsStaticEntry(int index);
void ResetSystemPalette();

// Whether the emulated screen shows 8-bit palettised pixels now.
bool DisplayPalettised();
// The pixel format of the display in its current mode.
PixelFormat DisplayFormat();

// The pixels a DC draws into, with the colours of 8-bit ones: a bitmap's
// colour table, a surface's own palette, or the system palette for a
// surface that has none.
struct Picture {
  PixelView view{};
  const PALETTEENTRY* colours = nullptr;
  int colourCount = 0;
};
// False (PICTURE untouched) for contexts without pixels.
bool DcPixels(const DeviceContext& dc, Picture& picture);
// The colours of an 8-bit view: its own palette, or the system palette.
const PALETTEENTRY* ViewPalette(const PixelView& view);
// Frees DC and lets go of what it has selected.
void FreeDC(HDC dc);
// COLORREF (including PALETTEINDEX and PALETTERGB forms) to plain RGB.
COLORREF ResolveColour(const DeviceContext& dc, COLORREF colour);

}  // namespace platform::gdi
