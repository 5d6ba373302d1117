#include "platform/d3d/d3d_kinds.h"

#include <array>
#include <cstring>

#include "platform/system.h"

namespace platform::d3d {

DDPIXELFORMAT DepthFormat(DWORD bits, DWORD zMask, DWORD stencilBits, DWORD stencilMask) {
  DDPIXELFORMAT f;
  std::memset(&f, 0, sizeof f);
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_ZBUFFER | (stencilBits ? DDPF_STENCILBUFFER : 0);
  f.dwZBufferBitDepth = bits;
  f.dwStencilBitDepth = stencilBits;
  f.dwZBitMask = zMask;
  f.dwStencilBitMask = stencilMask;
  return f;
}

DDPIXELFORMAT RgbFormat(DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a) {
  DDPIXELFORMAT f;
  std::memset(&f, 0, sizeof f);
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0);
  f.dwRGBBitCount = bits;
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = b;
  f.dwRGBAlphaBitMask = a;
  return f;
}

DDPIXELFORMAT PaletteFormat8() {
  DDPIXELFORMAT f;
  std::memset(&f, 0, sizeof f);
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  f.dwRGBBitCount = 8;
  return f;
}

namespace {

constexpr DeviceKind kKinds[] = {
    {&IID_IDirect3DTnLHalDevice, "Direct3D T&L HAL", "T&L HAL", true, true, true},
    {&IID_IDirect3DHALDevice, "Direct3D HAL", "HAL", true, false, true},
    {&IID_IDirect3DMMXDevice, "MMX Emulation", "MMX Emulation", false, false, true},
    {&IID_IDirect3DRGBDevice, "RGB Emulation", "RGB Emulation", false, false, true},
    {&IID_IDirect3DRampDevice, "Ramp Emulation", "Ramp Emulation", false, false, false},
    {&IID_IDirect3DRefDevice, "Reference Rasterizer", "Reference Rasterizer", false, false, true},
};

// Cards keep 24 depth bits above the stencil in a 32-bit word; the
// emulations pack one stencil bit below 15 of depth.
const std::array<DDPIXELFORMAT, 4> kHardwareDepth = {DepthFormat(16, 0xFFFF), DepthFormat(32, 0x00FFFFFF),
                                                     DepthFormat(32, 0xFFFFFF00, 8, 0x000000FF),
                                                     DepthFormat(16, 0xFFFE, 1, 0x0001)};
const std::array<DDPIXELFORMAT, 3> kSoftwareDepth = {DepthFormat(16, 0xFFFF), DepthFormat(32, 0xFFFFFFFF),
                                                     DepthFormat(16, 0xFFFE, 1, 0x0001)};

std::vector<DDPIXELFORMAT> DefaultTextureFormats() {
  return {PaletteFormat8(),
          RgbFormat(16, 0xF800, 0x07E0, 0x001F),
          RgbFormat(16, 0x7C00, 0x03E0, 0x001F),
          RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000),
          RgbFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000),
          RgbFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF),
          RgbFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)};
}

std::vector<DDPIXELFORMAT>& Textures() {
  static std::vector<DDPIXELFORMAT> formats = DefaultTextureFormats();
  return formats;
}

void Reset() { Textures() = DefaultTextureFormats(); }

const bool registered = (RegisterReset(Reset), true);

D3DPRIMCAPS PrimCaps() {
  D3DPRIMCAPS caps;
  std::memset(&caps, 0, sizeof caps);
  caps.dwSize = sizeof caps;
  return caps;
}

}  // namespace

const DeviceKind* FindKind(const GUID& guid) {
  for (const DeviceKind& kind : kKinds)
    if (*kind.guid == guid) return &kind;
  return nullptr;
}

std::span<const DeviceKind> AllKinds() { return kKinds; }

bool Available(const DeviceKind& kind, bool hardware3D) { return kind.direct3D7 && (!kind.hardware || hardware3D); }

std::span<const DDPIXELFORMAT> DepthFormats(const DeviceKind& kind) {
  if (kind.hardware) return kHardwareDepth;
  return kSoftwareDepth;
}

bool TakesDepthFormat(const DeviceKind& kind, const DDPIXELFORMAT& format) {
  const DWORD stencil = (format.dwFlags & DDPF_STENCILBUFFER) ? format.dwStencilBitMask : 0;
  for (const DDPIXELFORMAT& listed : DepthFormats(kind)) {
    const DWORD listedStencil = (listed.dwFlags & DDPF_STENCILBUFFER) ? listed.dwStencilBitMask : 0;
    if (listed.dwZBufferBitDepth == format.dwZBufferBitDepth && listed.dwZBitMask == format.dwZBitMask &&
        listedStencil == stencil)
      return true;
  }
  return false;
}

D3DDEVICEDESC7 Describe(const DeviceKind& kind) {
  D3DDEVICEDESC7 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwDevCaps = D3DDEVCAPS_FLOATTLVERTEX | D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_EXECUTESYSTEMMEMORY |
                   D3DDEVCAPS_TLVERTEXSYSTEMMEMORY | D3DDEVCAPS_DRAWPRIMITIVES2 | D3DDEVCAPS_DRAWPRIMITIVES2EX;
  if (kind.hardware)
    desc.dwDevCaps |= D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_CANRENDERAFTERFLIP;
  else
    desc.dwDevCaps |= D3DDEVCAPS_TEXTURESYSTEMMEMORY;
  if (kind.transformLight) desc.dwDevCaps |= D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  desc.dpcLineCaps = PrimCaps();
  desc.dpcTriCaps = PrimCaps();
  desc.dwDeviceRenderBitDepth = DDBD_16 | DDBD_24 | DDBD_32;
  desc.dwDeviceZBufferBitDepth = DDBD_16 | DDBD_32;
  desc.dwMinTextureWidth = desc.dwMinTextureHeight = 1;
  desc.dwMaxTextureWidth = desc.dwMaxTextureHeight = kind.hardware ? 2048 : 4096;
  desc.dwMaxTextureRepeat = 256;
  desc.dwMaxTextureAspectRatio = kind.hardware ? 2048 : 4096;
  desc.dwMaxAnisotropy = 1;
  desc.dvGuardBandLeft = desc.dvGuardBandTop = -2048.0f;
  desc.dvGuardBandRight = desc.dvGuardBandBottom = 2047.0f;
  desc.wMaxTextureBlendStages = 8;
  desc.wMaxSimultaneousTextures = kind.hardware ? 2 : 8;
  desc.dwMaxActiveLights = kind.transformLight ? 8 : 0xFFFFFFFFu;
  desc.dvMaxVertexW = 1.0e10f;
  desc.deviceGUID = *kind.guid;
  desc.wMaxUserClipPlanes = kind.transformLight ? 6 : 0;
  return desc;
}

const std::vector<DDPIXELFORMAT>& TextureFormats() { return Textures(); }

void SetTextureFormats(std::vector<DDPIXELFORMAT> formats) { Textures() = std::move(formats); }

}  // namespace platform::d3d
