#include "surfaces/brin_texture.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/brin.h"
#include "display/debug_log.h"
#include "platform/d3d.h"

using brin::CheckResult;
using brin::DetailLog;
using brin::Format;

namespace {

constexpr DWORD kNotColour = DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV;

// What both enumeration callbacks work on.
struct TextureSearch {
  DDPIXELFORMAT chosen;  // dwRGBBitCount 0: nothing chosen yet
  int desktopDepth = 0;
  int chosenWish = -1;
  std::vector<std::string> wishes;
};

DDPIXELFORMAT EmptyFormat() {
  DDPIXELFORMAT format;
  std::memset(&format, 0, sizeof format);
  format.dwSize = sizeof format;
  return format;
}

// Splits at ";", trims each piece of blanks and control characters, drops
// the empty ones.
std::vector<std::string> WishList(const std::string& wish) {
  std::vector<std::string> list;
  size_t start = 0;
  while (start <= wish.size()) {
    size_t end = wish.find(';', start);
    if (end == std::string::npos) end = wish.size();
    size_t first = start;
    size_t last = end;
    while (first < last && static_cast<unsigned char>(wish[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(wish[last - 1]) <= ' ') --last;
    if (last > first) list.push_back(wish.substr(first, last - first));
    start = end + 1;
  }
  return list;
}

// The COUNT characters after PREFIX in WISH as one-digit bit counts; false
// when PREFIX is absent, when not exactly COUNT characters follow it, or
// when one of them is not a digit.
bool BitCounts(const std::string& wish, const char* prefix, size_t count, int* out) {
  const size_t at = wish.find(prefix);
  if (at == std::string::npos) return false;
  const size_t first = at + std::strlen(prefix);
  if (wish.size() - first != count) return false;
  for (size_t i = 0; i < count; ++i) {
    const char c = wish[first + i];
    if (c < '0' || c > '9') return false;
    out[i] = c - '0';
  }
  return true;
}

int Bits(DWORD mask) { return std::popcount(mask); }

bool Matches(const std::string& wish, const DDPIXELFORMAT& format) {
  if (wish == "PAL8") return (format.dwFlags & DDPF_PALETTEINDEXED8) != 0;
  int counts[4];
  if (wish.find("ARGB") != std::string::npos) {
    return BitCounts(wish, "ARGB", 4, counts) && Bits(format.dwRGBAlphaBitMask) == counts[0] &&
           Bits(format.dwRBitMask) == counts[1] && Bits(format.dwGBitMask) == counts[2] &&
           Bits(format.dwBBitMask) == counts[3];
  }
  return BitCounts(wish, "RGB", 3, counts) && Bits(format.dwRBitMask) == counts[0] &&
         Bits(format.dwGBitMask) == counts[1] && Bits(format.dwBBitMask) == counts[2];
}

void LogListed(const DDPIXELFORMAT& format) {
  DetailLog(Format("列挙されたテクスチャフォーマット...BitCount=%d Mask=(%.8x,%.8x,%.8x,%.8x)",
                   static_cast<int>(format.dwRGBBitCount), format.dwRGBAlphaBitMask, format.dwRBitMask,
                   format.dwGBitMask, format.dwBBitMask));
}

HRESULT CALLBACK TakeWished(LPDDPIXELFORMAT format, LPVOID context) {
  auto* search = static_cast<TextureSearch*>(context);
  if ((format->dwFlags & kNotColour) || (format->dwFlags & DDPF_FOURCC)) return D3DENUMRET_OK;
  LogListed(*format);
  for (int i = 0; i < static_cast<int>(search->wishes.size()); ++i) {
    if (!Matches(search->wishes[i], *format)) continue;
    if (search->chosenWish != -1 && i >= search->chosenWish) continue;
    search->chosenWish = i;
    search->chosen = *format;
    DetailLog("第" + std::to_string(i + 1) + "希望 : " + search->wishes[i] + " に合致");
  }
  return search->chosenWish == 0 ? D3DENUMRET_CANCEL : D3DENUMRET_OK;
}

HRESULT CALLBACK TakePreferred(LPDDPIXELFORMAT format, LPVOID context) {
  auto* search = static_cast<TextureSearch*>(context);
  const DWORD flags = format->dwFlags;
  const int bits = static_cast<int>(format->dwRGBBitCount);
  if ((flags & kNotColour) || (flags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) || bits < 8) return D3DENUMRET_OK;
  if (bits <= 8 && !(flags & (DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8))) return D3DENUMRET_OK;
  if (bits > 8 && !(flags & DDPF_RGB)) return D3DENUMRET_OK;
  LogListed(*format);
  const int chosenBits = static_cast<int>(search->chosen.dwRGBBitCount);
  // Never fewer bits than the current choice: the result follows the order
  // in which the device lists its formats.
  if (chosenBits == 0 || (bits >= chosenBits && std::abs(bits - search->desktopDepth) <
                                                    std::abs(chosenBits - search->desktopDepth))) {
    search->chosen = *format;
    DetailLog("このフォーマットは良さそうですね");
  } else {
    DetailLog("このフォーマットは不要ですね");
  }
  return D3DENUMRET_OK;
}

void SearchPreferred(TBrin* owner, IDirect3DDevice7* device, TextureSearch& search) {
  search.desktopDepth = owner->GetDisplayBitDepth();
  search.chosen = EmptyFormat();
  if (device) device->EnumTextureFormats(TakePreferred, &search);
}

const char* PlacementMessage(DWORD caps) {
  if ((caps & DDSCAPS_VIDEOMEMORY) && (caps & DDSCAPS_NONLOCALVIDMEM)) return "テクスチャをノンローカルビデオメモリに配置します";
  if (caps & DDSCAPS_VIDEOMEMORY) return "テクスチャをビデオメモリに配置します";
  if (caps & DDSCAPS_SYSTEMMEMORY) return "テクスチャをシステムメモリに配置します";
  return "テクスチャをドライバのデフォルトの位置(おそらくビデオメモリ)に配置します";
}

}  // namespace

void TBrinGenSurface::CreateTexture(std::int32_t AWidth, std::int32_t AHeight, const std::string& AFormatWish,
                                    std::uint32_t AColorKey) {
  // A second creation replaces the surface rather than leaking it.
  if (DDSurface) {
    DDSurface->Release();
    DDSurface = nullptr;
  }
  std::memset(&Description, 0, sizeof Description);
  Description.dwSize = sizeof Description;
  Description.dwWidth = static_cast<DWORD>(AWidth);
  Description.dwHeight = static_cast<DWORD>(AHeight);
  Description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
  const bool hardware = Owner && Owner->HardwareDeviceMade();
  Description.ddsCaps.dwCaps = DDSCAPS_TEXTURE | (hardware ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);

  IDirect3DDevice7* device = Owner ? Owner->D3DDevice() : nullptr;
  TextureSearch search;
  search.chosen = EmptyFormat();
  if (!AFormatWish.empty()) {
    DetailLog("指定のテクスチャフォーマットを探索します…");
    search.wishes = WishList(AFormatWish);
    search.chosenWish = -1;
    if (device) device->EnumTextureFormats(TakeWished, &search);
    if (search.chosenWish == -1 && Owner) {
      DetailLog("希望のテクスチャフォーマットが見つかりませんでした。Brindlewick 推奨のフォーマットを列挙します");
      SearchPreferred(Owner, device, search);
    }
  } else if (Owner) {
    DetailLog("Brindlewick 推奨のテクスチャフォーマットを探索します…");
    SearchPreferred(Owner, device, search);
  }
  Description.ddpfPixelFormat = search.chosen;

  DetailLog(PlacementMessage(Description.ddsCaps.dwCaps));
  // Without a display (halting off after it failed) the texture carries on
  // empty, as an off-screen surface does.
  if (Owner && Owner->DDraw)
    CheckResult(Owner->DDraw->CreateSurface(&Description, &DDSurface, nullptr), "テクスチャ用サーフェスを作れませんでした");
  AdoptCreatedSurface(AWidth, AHeight, AColorKey);
  AnalysePixelFormat(Description.ddpfPixelFormat);
}

TBrinTexture::TBrinTexture(TBrin* AOwner, std::int32_t AWidth, std::int32_t AHeight, const std::string& AFormatWish,
                           std::uint32_t AColorKey)
    : TBrinSurface(AOwner), FormatWish(AFormatWish) {
  CreateTexture(AWidth, AHeight, AFormatWish, AColorKey);
  keeper_ = new TBrinWishTextureKeeper(AOwner, this);
  AOwner->AddTexture(keeper_);
}

TBrinTexture::~TBrinTexture() {
  // A display destroyed first has freed the keeper and cleared Owner.
  if (Owner) Owner->RemoveTexture(keeper_);
  keeper_ = nullptr;
}

void TBrinWishTextureKeeper::CreateTexture() {
  texture_->CreateTexture(texture_->Width, texture_->Height, texture_->FormatWish, texture_->ColorKey);
}
