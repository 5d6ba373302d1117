// Depth-buffer and texture formats: what each kind lists, that DirectDraw
// makes what is listed (stencil included), and the checks on depth formats
// with a stencil.
#include "tests/platform/d3d/d3d_test_support.h"

namespace d3d_test {
namespace {

using DepthFormats = D3DTest;
using TextureFormats = D3DTest;

TEST_F(DepthFormats, EachKindListsItsOwnAndDirectDrawMakesThemAll) {
  backend_.SetPrimaryHas3D(true);
  IDirectDraw7* dd = MakeDDraw();
  IDirect3D7* d3d = Direct3DOf(dd);
  FormatList software;
  ASSERT_EQ(d3d->EnumZBufferFormats(IID_IDirect3DRGBDevice, &FormatList::Add, &software), D3D_OK);
  ASSERT_EQ(software.formats.size(), 3u);
  EXPECT_EQ(software.formats[0].dwFlags, DDPF_ZBUFFER);
  EXPECT_EQ(software.formats[0].dwZBufferBitDepth, 16u);
  EXPECT_EQ(software.formats[2].dwFlags, DDPF_ZBUFFER | DDPF_STENCILBUFFER);
  EXPECT_EQ(software.formats[2].dwStencilBitDepth, 1u);

  FormatList hardware;
  ASSERT_EQ(d3d->EnumZBufferFormats(IID_IDirect3DHALDevice, &FormatList::Add, &hardware), D3D_OK);
  ASSERT_EQ(hardware.formats.size(), 4u);
  const DDPIXELFORMAT& d24s8 = hardware.formats[2];
  EXPECT_EQ(d24s8.dwFlags, DDPF_ZBUFFER | DDPF_STENCILBUFFER);
  EXPECT_EQ(d24s8.dwZBufferBitDepth, 32u);
  EXPECT_EQ(d24s8.dwStencilBitDepth, 8u);
  EXPECT_EQ(d24s8.dwZBitMask, 0xFFFFFF00u);
  EXPECT_EQ(d24s8.dwStencilBitMask, 0x000000FFu);

  // Every listed format is a depth surface DirectDraw makes, and describes
  // back exactly as listed.
  for (const auto& list : {software.formats, hardware.formats}) {
    for (const DDPIXELFORMAT& format : list) {
      IDirectDrawSurface7* depth = MakeDepth(dd, format, DDSCAPS_SYSTEMMEMORY);
      ASSERT_NE(depth, nullptr);
      DDSURFACEDESC2 desc;
      std::memset(&desc, 0, sizeof desc);
      desc.dwSize = sizeof desc;
      ASSERT_EQ(depth->GetSurfaceDesc(&desc), DD_OK);
      EXPECT_EQ(std::memcmp(&desc.ddpfPixelFormat, &format, sizeof format), 0) << format.dwZBitMask;
      depth->Release();
    }
  }
  d3d->Release();
  dd->Release();
}

TEST_F(DepthFormats, EnumerationStopsAndRefusesAsAsked) {
  IDirectDraw7* dd = MakeDDraw();
  IDirect3D7* d3d = Direct3DOf(dd);
  FormatList first;
  first.stopAfter = 1;
  ASSERT_EQ(d3d->EnumZBufferFormats(IID_IDirect3DMMXDevice, &FormatList::Add, &first), D3D_OK);
  EXPECT_EQ(first.formats.size(), 1u);
  FormatList none;
  EXPECT_EQ(d3d->EnumZBufferFormats(IID_IDirect3DHALDevice, &FormatList::Add, &none), D3DERR_INVALID_DEVICE)
      << "no hardware on this driver";
  EXPECT_EQ(d3d->EnumZBufferFormats(IID_IDirectDraw7, &FormatList::Add, &none), DDERR_INVALIDPARAMS);
  EXPECT_EQ(d3d->EnumZBufferFormats(IID_IDirect3DRGBDevice, nullptr, nullptr), DDERR_INVALIDPARAMS);
  platform::InjectFault("IDirect3D7::EnumZBufferFormats", DDERR_GENERIC);
  EXPECT_EQ(d3d->EnumZBufferFormats(IID_IDirect3DRGBDevice, &FormatList::Add, &none), DDERR_GENERIC);
  EXPECT_TRUE(none.formats.empty());
  d3d->Release();
  dd->Release();
}

TEST_F(DepthFormats, AStencilMustSitBesideTheDepthBits) {
  IDirectDraw7* dd = MakeDDraw();
  const DWORD caps = DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY;
  DDPIXELFORMAT stencilOnly = DepthFormat(16, 0xFFFE, 1, 0x0001);
  stencilOnly.dwFlags = DDPF_STENCILBUFFER;
  EXPECT_EQ(MakeSurface(dd, caps, &stencilOnly, DDERR_INVALIDPIXELFORMAT), nullptr);
  const DDPIXELFORMAT wrongDepth = DepthFormat(32, 0xFFFFFF00, 4, 0x000000FF);
  EXPECT_EQ(MakeSurface(dd, caps, &wrongDepth, DDERR_INVALIDPIXELFORMAT), nullptr) << "8 bits named 4";
  const DDPIXELFORMAT overlapping = DepthFormat(32, 0xFFFFFFF0, 8, 0x000000FF);
  EXPECT_EQ(MakeSurface(dd, caps, &overlapping, DDERR_INVALIDPIXELFORMAT), nullptr);
  const DDPIXELFORMAT outside = DepthFormat(16, 0x7FFF, 1, 0x10000);
  EXPECT_EQ(MakeSurface(dd, caps, &outside, DDERR_INVALIDPIXELFORMAT), nullptr);

  // Without a depth mask the depth takes the bits the stencil leaves.
  const DDPIXELFORMAT unmasked = DepthFormat(32, 0, 8, 0xFF000000);
  IDirectDrawSurface7* s = MakeSurface(dd, caps, &unmasked);
  ASSERT_NE(s, nullptr);
  DDPIXELFORMAT got;
  std::memset(&got, 0, sizeof got);
  got.dwSize = sizeof got;
  ASSERT_EQ(s->GetPixelFormat(&got), DD_OK);
  EXPECT_EQ(got.dwZBitMask, 0x00FFFFFFu);
  EXPECT_EQ(got.dwStencilBitMask, 0xFF000000u);
  EXPECT_EQ(got.dwStencilBitDepth, 8u);
  s->Release();
  dd->Release();
}

TEST_F(TextureFormats, DevicesListTheDefaultsUntilATestChoosesOthers) {
  IDirectDraw7* dd = MakeDDraw();
  IDirect3D7* d3d = Direct3DOf(dd);
  IDirectDrawSurface7* target = MakeTarget(dd);
  IDirect3DDevice7* device = nullptr;
  ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, target, &device), D3D_OK);

  FormatList listed;
  ASSERT_EQ(device->EnumTextureFormats(&FormatList::Add, &listed), D3D_OK);
  ASSERT_EQ(listed.formats.size(), 7u);
  EXPECT_TRUE(listed.formats[0].dwFlags & DDPF_PALETTEINDEXED8);
  EXPECT_EQ(listed.formats[1].dwRBitMask, 0xF800u);
  EXPECT_EQ(listed.formats[4].dwRGBAlphaBitMask, 0xF000u);
  EXPECT_EQ(listed.formats[5].dwRGBBitCount, 32u);
  // Each default is a texture DirectDraw makes.
  for (const DDPIXELFORMAT& format : listed.formats) {
    IDirectDrawSurface7* texture = MakeSurface(dd, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY, &format);
    ASSERT_NE(texture, nullptr) << format.dwRGBBitCount;
    texture->Release();
  }

  platform::d3d::SetTextureFormats({RgbFormat(32, 0xFF0000, 0xFF00, 0xFF), RgbFormat(16, 0xF800, 0x07E0, 0x1F)});
  FormatList chosen;
  chosen.stopAfter = 5;
  ASSERT_EQ(device->EnumTextureFormats(&FormatList::Add, &chosen), D3D_OK);
  ASSERT_EQ(chosen.formats.size(), 2u);
  EXPECT_EQ(chosen.formats[0].dwRGBBitCount, 32u);
  FormatList first;
  first.stopAfter = 1;
  ASSERT_EQ(device->EnumTextureFormats(&FormatList::Add, &first), D3D_OK);
  EXPECT_EQ(first.formats.size(), 1u);
  EXPECT_EQ(device->EnumTextureFormats(nullptr, nullptr), DDERR_INVALIDPARAMS);
  platform::InjectFault("IDirect3DDevice7::EnumTextureFormats", DDERR_GENERIC);
  EXPECT_EQ(device->EnumTextureFormats(&FormatList::Add, &first), DDERR_GENERIC);

  device->Release();
  target->Release();
  d3d->Release();
  dd->Release();
  platform::Install(&backend_);
  EXPECT_EQ(platform::d3d::TextureFormats().size(), 7u) << "installing a back end restores the defaults";
}

}  // namespace
}  // namespace d3d_test
