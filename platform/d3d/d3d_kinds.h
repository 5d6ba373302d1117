// The kinds of Direct3D device, what each needs and what each lists: one
// table that IDirect3D7, its devices and retained mode all read.
#pragma once

#include <span>
#include <vector>

#include "platform/d3d.h"

namespace platform::d3d {

struct DeviceKind {
  const GUID* guid;
  const char* description;  // what EnumDevices reports
  const char* name;
  bool hardware;        // rasterizes on the card: needs 3D hardware and video memory
  bool transformLight;  // transforms and lights on the card (T&L HAL)
  bool direct3D7;       // IDirect3D7 can make it (Ramp is gone since Direct3D 6)
};

// The kind a device GUID names, or null for a GUID that names no device.
const DeviceKind* FindKind(const GUID& guid);
// Every kind, in the order EnumDevices reports them.
std::span<const DeviceKind> AllKinds();
// Whether IDirect3D7 on a driver with (or without) 3D hardware makes KIND.
bool Available(const DeviceKind& kind, bool hardware3D);

// Depth-buffer formats KIND lists, in EnumZBufferFormats' order.
std::span<const DDPIXELFORMAT> DepthFormats(const DeviceKind& kind);
// Whether FORMAT (as a surface describes it) is one of KIND's depth formats.
bool TakesDepthFormat(const DeviceKind& kind, const DDPIXELFORMAT& format);

// The capabilities GetCaps and EnumDevices report for KIND.
D3DDEVICEDESC7 Describe(const DeviceKind& kind);

// Pixel formats as the enumerations report them (and as tests build lists
// of them): a depth buffer, optionally with stencil; an RGB format with an
// optional alpha mask; 8-bit palette indices.
DDPIXELFORMAT DepthFormat(DWORD bits, DWORD zMask, DWORD stencilBits = 0, DWORD stencilMask = 0);
DDPIXELFORMAT RgbFormat(DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a = 0);
DDPIXELFORMAT PaletteFormat8();

// Texture formats every device lists, in EnumTextureFormats' order. Drivers
// differ in what they list; tests choose the list (installing a back end
// puts the default back).
const std::vector<DDPIXELFORMAT>& TextureFormats();
void SetTextureFormats(std::vector<DDPIXELFORMAT> formats);

}  // namespace platform::d3d
