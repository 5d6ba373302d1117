// IDirect3D7 and its devices: getting the object from DirectDraw, which
// kinds of device a driver makes or refuses and why, what a device needs of
// its render target and depth buffer, and who holds whom.
#include <string>

#include "tests/platform/d3d/d3d_test_support.h"

namespace d3d_test {
namespace {

using Direct3DObject = D3DTest;
using DeviceCreation = D3DTest;

struct Listed {
  std::vector<std::string> names;
  std::vector<D3DDEVICEDESC7> descs;
  bool stopAtFirst = false;
  static HRESULT CALLBACK Add(LPSTR, LPSTR name, LPD3DDEVICEDESC7 desc, LPVOID context) {
    auto* self = static_cast<Listed*>(context);
    self->names.emplace_back(name);
    self->descs.push_back(*desc);
    return self->stopAtFirst ? D3DENUMRET_CANCEL : D3DENUMRET_OK;
  }
};

TEST_F(Direct3DObject, ComesFromDirectDrawAndKeepsItAlive) {
  IDirectDraw7* dd = MakeDDraw();
  IDirect3D7* d3d = Direct3DOf(dd);
  ASSERT_NE(d3d, nullptr);
  EXPECT_EQ(d3d->AddRef(), 2u);
  EXPECT_EQ(d3d->Release(), 1u);

  IDirectDraw7* back = nullptr;
  ASSERT_EQ(d3d->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&back)), S_OK);
  EXPECT_EQ(back, dd);
  EXPECT_EQ(back->Release(), 2u) << "the caller's and the Direct3D object's references remain";
  IDirect3D7* same = nullptr;
  ASSERT_EQ(d3d->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&same)), S_OK);
  EXPECT_EQ(same, d3d);
  same->Release();
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(d3d->QueryInterface(IID_IDirect3DDevice7, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);

  EXPECT_EQ(dd->Release(), 1u) << "the Direct3D object still holds DirectDraw";
  EXPECT_EQ(d3d->Release(), 0u);
}

TEST_F(Direct3DObject, QueryFailuresClearTheOutParameter) {
  IDirectDraw7* dd = MakeDDraw();
  void* object = reinterpret_cast<void*>(1);
  platform::InjectFault("IDirectDraw7::QueryInterface", DDERR_OUTOFMEMORY);
  EXPECT_EQ(dd->QueryInterface(IID_IDirect3D7, &object), DDERR_OUTOFMEMORY);
  EXPECT_EQ(object, nullptr);
  object = reinterpret_cast<void*>(1);
  EXPECT_EQ(dd->QueryInterface(IID_IDirect3DRM, &object), E_NOINTERFACE) << "DirectDraw is no retained-mode object";
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(dd->QueryInterface(IID_IDirect3D7, nullptr), E_POINTER);
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(Direct3DObject, EnumeratesTheKindsTheDriverCanMake) {
  IDirectDraw7* dd = MakeDDraw();
  IDirect3D7* d3d = Direct3DOf(dd);
  Listed software;
  ASSERT_EQ(d3d->EnumDevices(&Listed::Add, &software), D3D_OK);
  EXPECT_EQ(software.names, (std::vector<std::string>{"MMX Emulation", "RGB Emulation", "Reference Rasterizer"}));
  for (const auto& desc : software.descs) EXPECT_FALSE(desc.dwDevCaps & D3DDEVCAPS_HWRASTERIZATION);
  EXPECT_EQ(software.descs[1].deviceGUID, IID_IDirect3DRGBDevice);
  d3d->Release();
  dd->Release();

  backend_.SetPrimaryHas3D(true);
  dd = MakeDDraw();
  d3d = Direct3DOf(dd);
  Listed hardware;
  ASSERT_EQ(d3d->EnumDevices(&Listed::Add, &hardware), D3D_OK);
  ASSERT_EQ(hardware.names.size(), 5u);
  EXPECT_EQ(hardware.names[0], "T&L HAL");
  EXPECT_TRUE(hardware.descs[0].dwDevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  EXPECT_EQ(hardware.names[1], "HAL");
  EXPECT_TRUE(hardware.descs[1].dwDevCaps & D3DDEVCAPS_HWRASTERIZATION);
  EXPECT_FALSE(hardware.descs[1].dwDevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);

  Listed first{{}, {}, true};
  EXPECT_EQ(d3d->EnumDevices(&Listed::Add, &first), D3D_OK);
  EXPECT_EQ(first.names.size(), 1u);
  EXPECT_EQ(d3d->EnumDevices(nullptr, nullptr), DDERR_INVALIDPARAMS);
  platform::InjectFault("IDirect3D7::EnumDevices", DDERR_GENERIC);
  Listed none;
  EXPECT_EQ(d3d->EnumDevices(&Listed::Add, &none), DDERR_GENERIC);
  EXPECT_TRUE(none.names.empty());
  d3d->Release();
  dd->Release();
}

TEST_F(Direct3DObject, ASecondDriverBringsItsOwnHardware) {
  const GUID card{0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
  backend_.AddDriver({card, "Second Card", "second", true});
  GUID guid = card;
  IDirectDraw7* dd = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(&guid, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
  ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
  IDirect3D7* d3d = Direct3DOf(dd);
  IDirectDrawSurface7* target = MakeTarget(dd, DDSCAPS_VIDEOMEMORY);
  IDirect3DDevice7* device = nullptr;
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, target, &device), D3D_OK);
  ASSERT_NE(device, nullptr);
  device->Release();
  target->Release();
  d3d->Release();
  dd->Release();
}

TEST_F(DeviceCreation, KindsWithoutHardwareOrOutsideDirect3D7AreRefused) {
  IDirectDraw7* dd = MakeDDraw();
  IDirect3D7* d3d = Direct3DOf(dd);
  IDirectDrawSurface7* target = MakeTarget(dd);
  IDirect3DDevice7* device = reinterpret_cast<IDirect3DDevice7*>(1);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DTnLHalDevice, target, &device), D3DERR_INVALID_DEVICE);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, target, &device), D3DERR_INVALID_DEVICE);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DRampDevice, target, &device), D3DERR_INVALID_DEVICE);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3D7, target, &device), DDERR_INVALIDPARAMS) << "not a device GUID";
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, nullptr, &device), DDERR_INVALIDPARAMS);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, target, nullptr), DDERR_INVALIDPARAMS);
  for (const GUID* kind : {&IID_IDirect3DMMXDevice, &IID_IDirect3DRGBDevice, &IID_IDirect3DRefDevice}) {
    ASSERT_EQ(d3d->CreateDevice(*kind, target, &device), D3D_OK);
    D3DDEVICEDESC7 caps;
    ASSERT_EQ(device->GetCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.deviceGUID, *kind);
    EXPECT_EQ(device->Release(), 0u);
  }
  target->Release();
  d3d->Release();
  dd->Release();
}

TEST_F(DeviceCreation, TheRenderTargetMustBeA3DDeviceSurfaceOfTheSameObjectInColour) {
  backend_.SetPrimaryHas3D(true);
  IDirectDraw7* dd = MakeDDraw();
  IDirect3D7* d3d = Direct3DOf(dd);
  IDirect3DDevice7* device = nullptr;

  IDirectDrawSurface7* plain = MakeSurface(dd, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, plain, &device), DDERR_INVALIDCAPS);
  DDPIXELFORMAT indexed;
  std::memset(&indexed, 0, sizeof indexed);
  indexed.dwSize = sizeof indexed;
  indexed.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  indexed.dwRGBBitCount = 8;
  IDirectDrawSurface7* palettised =
      MakeSurface(dd, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY, &indexed);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, palettised, &device), DDERR_INVALIDPIXELFORMAT);
  IDirectDrawSurface7* system = MakeTarget(dd);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, system, &device), D3DERR_SURFACENOTINVIDMEM);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DTnLHalDevice, system, &device), D3DERR_SURFACENOTINVIDMEM);
  IDirectDraw7* otherDD = MakeDDraw();
  IDirectDrawSurface7* foreign = MakeTarget(otherDD, DDSCAPS_VIDEOMEMORY);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, foreign, &device), DDERR_INVALIDPARAMS);
  EXPECT_EQ(device, nullptr);

  IDirectDrawSurface7* video = MakeTarget(dd, DDSCAPS_VIDEOMEMORY);
  ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, video, &device), D3D_OK);
  device->Release();
  ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, video, &device), D3D_OK) << "emulation renders anywhere";
  device->Release();

  for (IDirectDrawSurface7* s : {plain, palettised, system, video, foreign}) s->Release();
  otherDD->Release();
  d3d->Release();
  dd->Release();
}

TEST_F(DeviceCreation, AnAttachedDepthBufferMustSuitTheKind) {
  backend_.SetPrimaryHas3D(true);
  IDirectDraw7* dd = MakeDDraw();
  IDirect3D7* d3d = Direct3DOf(dd);
  IDirectDrawSurface7* target = MakeTarget(dd, DDSCAPS_VIDEOMEMORY);
  IDirect3DDevice7* device = nullptr;
  const DDPIXELFORMAT d16 = DepthFormat(16, 0xFFFF);

  IDirectDrawSurface7* systemDepth = MakeDepth(dd, d16, DDSCAPS_SYSTEMMEMORY);
  ASSERT_EQ(target->AddAttachedSurface(systemDepth), DD_OK);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, target, &device), D3DERR_ZBUFF_NEEDS_VIDEOMEMORY);
  ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, target, &device), D3D_OK);
  device->Release();
  ASSERT_EQ(target->DeleteAttachedSurface(0, systemDepth), DD_OK);

  IDirectDrawSurface7* videoDepth = MakeDepth(dd, d16, DDSCAPS_VIDEOMEMORY);
  ASSERT_EQ(target->AddAttachedSurface(videoDepth), DD_OK);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, target, &device), D3DERR_ZBUFF_NEEDS_SYSTEMMEMORY);
  ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DTnLHalDevice, target, &device), D3D_OK);
  device->Release();
  ASSERT_EQ(target->DeleteAttachedSurface(0, videoDepth), DD_OK);

  // 24 depth bits in 32 are a card's format; the emulations do not list it.
  IDirectDrawSurface7* cardDepth = MakeDepth(dd, DepthFormat(32, 0x00FFFFFF), DDSCAPS_SYSTEMMEMORY);
  ASSERT_EQ(target->AddAttachedSurface(cardDepth), DD_OK);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, target, &device), DDERR_INVALIDPIXELFORMAT);
  EXPECT_EQ(device, nullptr);

  for (IDirectDrawSurface7* s : {systemDepth, videoDepth, cardDepth}) s->Release();
  target->Release();
  d3d->Release();
  dd->Release();
}

TEST_F(DeviceCreation, InjectedFaultsComeBackWithNothingMade) {
  IDirectDraw7* dd = MakeDDraw();
  IDirect3D7* d3d = Direct3DOf(dd);
  IDirectDrawSurface7* target = MakeTarget(dd);
  IDirect3DDevice7* device = reinterpret_cast<IDirect3DDevice7*>(1);
  platform::InjectFault("IDirect3D7::CreateDevice", D3DERR_INITFAILED);
  EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, target, &device), D3DERR_INITFAILED);
  EXPECT_EQ(device, nullptr);
  ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, target, &device), D3D_OK) << "the fault was for once";

  D3DDEVICEDESC7 caps;
  caps.dwDevCaps = 0xFFFFFFFF;
  platform::InjectFault("IDirect3DDevice7::GetCaps", DDERR_GENERIC);
  EXPECT_EQ(device->GetCaps(&caps), DDERR_GENERIC);
  EXPECT_EQ(caps.dwDevCaps, 0u);
  IDirect3DVertexBuffer7* buffer = reinterpret_cast<IDirect3DVertexBuffer7*>(1);
  EXPECT_EQ(d3d->CreateVertexBuffer(nullptr, &buffer, 0), D3DERR_VBUF_CREATE_FAILED);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(d3d->EvictManagedTextures(), D3D_OK);
  device->Release();
  target->Release();
  d3d->Release();
  dd->Release();
}

TEST_F(DeviceCreation, ADeviceHoldsItsTargetAndDirect3DUntilItGoes) {
  IDirectDraw7* dd = MakeDDraw();
  IDirect3D7* d3d = Direct3DOf(dd);
  IDirectDrawSurface7* target = MakeTarget(dd);
  IDirect3DDevice7* device = nullptr;
  ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, target, &device), D3D_OK);

  IDirectDrawSurface7* got = nullptr;
  ASSERT_EQ(device->GetRenderTarget(&got), D3D_OK);
  EXPECT_EQ(got, target);
  EXPECT_EQ(got->Release(), 2u) << "the caller's and the device's";
  IDirect3D7* owner = nullptr;
  ASSERT_EQ(device->GetDirect3D(&owner), D3D_OK);
  EXPECT_EQ(owner, d3d);
  EXPECT_EQ(owner->Release(), 2u);
  IDirect3DDevice7* same = nullptr;
  ASSERT_EQ(device->QueryInterface(IID_IDirect3DDevice7, reinterpret_cast<void**>(&same)), S_OK);
  EXPECT_EQ(same->Release(), 1u);

  // Released in the display's order: nothing stays behind and DirectDraw's
  // last release reports 0.
  EXPECT_EQ(target->Release(), 1u);
  EXPECT_EQ(d3d->Release(), 1u);
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(dd->Release(), 0u);
}

}  // namespace
}  // namespace d3d_test
