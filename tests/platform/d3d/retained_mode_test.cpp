// Retained mode: the object and its IDirect3DRM3, devices from a clipper,
// frames and viewports, what each refuses and who holds whom.
#include "tests/platform/d3d/d3d_test_support.h"

namespace d3d_test {
namespace {

class RetainedMode : public D3DTest {
 public:
  void SetUp() override {
    D3DTest::SetUp();
    window_ = platform::windows::Create(RECT{100, 50, 740, 530});
    dd_ = MakeDDraw();
    ASSERT_EQ(dd_->CreateClipper(0, &clipper_, nullptr), DD_OK);
    ASSERT_EQ(clipper_->SetHWnd(0, window_), DD_OK);
    IDirect3DRM* first = nullptr;
    ASSERT_EQ(Direct3DRMCreate(&first), D3DRM_OK);
    ASSERT_EQ(first->QueryInterface(IID_IDirect3DRM3, reinterpret_cast<void**>(&rm_)), S_OK);
    first->Release();
  }
  void TearDown() override {
    if (rm_) {
      EXPECT_EQ(rm_->Release(), 0u);
    }
    clipper_->Release();
    dd_->Release();
    platform::windows::Destroy(window_);
    D3DTest::TearDown();
  }

  IDirect3DRMDevice3* MakeDevice(LPGUID guid = nullptr, int width = 320, int height = 240) {
    IDirect3DRMDevice3* device = nullptr;
    EXPECT_EQ(rm_->CreateDeviceFromClipper(clipper_, guid, width, height, &device), D3DRM_OK);
    return device;
  }

  HWND window_ = nullptr;
  IDirectDraw7* dd_ = nullptr;
  IDirectDrawClipper* clipper_ = nullptr;
  IDirect3DRM3* rm_ = nullptr;
};

TEST_F(RetainedMode, TheSecondInterfaceOutlivesTheFirstAndEndsAtZero) {
  IDirect3DRM* first = nullptr;
  ASSERT_EQ(rm_->QueryInterface(IID_IDirect3DRM, reinterpret_cast<void**>(&first)), S_OK);
  IDirect3DRM3* again = nullptr;
  ASSERT_EQ(first->QueryInterface(IID_IDirect3DRM3, reinterpret_cast<void**>(&again)), S_OK);
  EXPECT_EQ(again, rm_) << "one IDirect3DRM3 per object";
  EXPECT_EQ(again->Release(), 1u);
  EXPECT_EQ(first->Release(), 1u) << "the IDirect3DRM3 keeps the object";

  IDirect3DRM* none = reinterpret_cast<IDirect3DRM*>(1);
  platform::InjectFault("Direct3DRMCreate", D3DRMERR_BADALLOC);
  EXPECT_EQ(Direct3DRMCreate(&none), D3DRMERR_BADALLOC);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(Direct3DRMCreate(nullptr), D3DRMERR_BADVALUE);
  ASSERT_EQ(Direct3DRMCreate(&none), D3DRM_OK);
  void* third = reinterpret_cast<void*>(1);
  platform::InjectFault("IDirect3DRM::QueryInterface", E_NOINTERFACE);
  EXPECT_EQ(none->QueryInterface(IID_IDirect3DRM3, &third), E_NOINTERFACE);
  EXPECT_EQ(third, nullptr);
  EXPECT_EQ(none->Release(), 0u);
}

TEST_F(RetainedMode, DevicesNeedAWindowASizeAndAKindRetainedModeDrives) {
  IDirect3DRMDevice3* device = reinterpret_cast<IDirect3DRMDevice3*>(1);
  IDirectDrawClipper* bare = nullptr;
  ASSERT_EQ(dd_->CreateClipper(0, &bare, nullptr), DD_OK);
  EXPECT_EQ(rm_->CreateDeviceFromClipper(bare, nullptr, 320, 240, &device), D3DRMERR_BADVALUE);
  EXPECT_EQ(device, nullptr);
  bare->Release();
  EXPECT_EQ(rm_->CreateDeviceFromClipper(nullptr, nullptr, 320, 240, &device), D3DRMERR_BADVALUE);
  EXPECT_EQ(rm_->CreateDeviceFromClipper(clipper_, nullptr, 0, 240, &device), D3DRMERR_BADVALUE);
  GUID tnl = IID_IDirect3DTnLHalDevice;
  GUID hal = IID_IDirect3DHALDevice;
  GUID ramp = IID_IDirect3DRampDevice;
  EXPECT_EQ(rm_->CreateDeviceFromClipper(clipper_, &tnl, 320, 240, &device), D3DRMERR_BADDEVICE);
  EXPECT_EQ(rm_->CreateDeviceFromClipper(clipper_, &hal, 320, 240, &device), D3DRMERR_BADDEVICE)
      << "no 3D hardware on the primary driver";
  platform::InjectFault("IDirect3DRM3::CreateDeviceFromClipper", D3DRMERR_BADDEVICE);
  EXPECT_EQ(rm_->CreateDeviceFromClipper(clipper_, &ramp, 320, 240, &device), D3DRMERR_BADDEVICE);
  EXPECT_EQ(device, nullptr);

  device = MakeDevice(&ramp);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->GetWidth(), 320u);
  EXPECT_EQ(device->GetHeight(), 240u);
  platform::InjectFault("IDirect3DRMDevice3::GetWidth", DDERR_GENERIC);
  EXPECT_EQ(device->GetWidth(), 0u);
  EXPECT_EQ(device->Release(), 0u);

  backend_.SetPrimaryHas3D(true);
  device = MakeDevice(&hal, 640, 480);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(rm_->CreateDeviceFromClipper(clipper_, &tnl, 320, 240, &device), D3DRMERR_BADDEVICE)
      << "retained mode never drives the T&L HAL";
}

TEST_F(RetainedMode, ADeviceHoldsItsClipper) {
  IDirect3DRMDevice3* device = MakeDevice();
  EXPECT_EQ(clipper_->AddRef(), 3u) << "ours, the device's and the new one";
  clipper_->Release();
  IDirect3DRMDevice3* same = nullptr;
  ASSERT_EQ(device->QueryInterface(IID_IDirect3DRMDevice3, reinterpret_cast<void**>(&same)), S_OK);
  EXPECT_EQ(same->Release(), 1u);
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(clipper_->AddRef(), 2u);
  clipper_->Release();
}

TEST_F(RetainedMode, ViewportsLieOnTheirDeviceAndHoldItAndTheCamera) {
  IDirect3DRMDevice3* device = MakeDevice();
  IDirect3DRMFrame3* scene = nullptr;
  ASSERT_EQ(rm_->CreateFrame(nullptr, &scene), D3DRM_OK);
  IDirect3DRMFrame3* camera = nullptr;
  ASSERT_EQ(rm_->CreateFrame(scene, &camera), D3DRM_OK);

  IDirect3DRMViewport2* viewport = reinterpret_cast<IDirect3DRMViewport2*>(1);
  EXPECT_EQ(rm_->CreateViewport(device, nullptr, 0, 0, 320, 240, &viewport), D3DRMERR_BADOBJECT);
  EXPECT_EQ(viewport, nullptr);
  EXPECT_EQ(rm_->CreateViewport(nullptr, camera, 0, 0, 320, 240, &viewport), D3DRMERR_BADOBJECT);
  EXPECT_EQ(rm_->CreateViewport(device, camera, 1, 0, 320, 240, &viewport), D3DRMERR_BADVALUE);
  EXPECT_EQ(rm_->CreateViewport(device, camera, 0, 0xFFFFFFFF, 320, 2, &viewport), D3DRMERR_BADVALUE)
      << "a position that wraps the sum";
  ASSERT_EQ(rm_->CreateViewport(device, camera, 0, 0, device->GetWidth(), device->GetHeight(), &viewport),
            D3DRM_OK);
  EXPECT_EQ(viewport->GetWidth(), 320u);

  EXPECT_EQ(viewport->GetBack(), 100.0f);
  EXPECT_EQ(viewport->SetBack(5000.0f), D3DRM_OK);
  EXPECT_EQ(viewport->GetBack(), 5000.0f);
  EXPECT_EQ(viewport->SetBack(0.5f), D3DRMERR_BADVALUE) << "in front of the front plane";
  EXPECT_EQ(viewport->SetFront(6000.0f), D3DRMERR_BADVALUE);
  EXPECT_EQ(viewport->SetFront(2.0f), D3DRM_OK);
  EXPECT_EQ(viewport->GetBack(), 5000.0f);

  IDirect3DRMFrame3* gotCamera = nullptr;
  ASSERT_EQ(viewport->GetCamera(&gotCamera), D3DRM_OK);
  EXPECT_EQ(gotCamera, camera);
  gotCamera->Release();
  IDirect3DRMDevice3* gotDevice = nullptr;
  ASSERT_EQ(viewport->GetDevice(&gotDevice), D3DRM_OK);
  EXPECT_EQ(gotDevice, device);
  gotDevice->Release();

  EXPECT_EQ(device->Release(), 1u) << "the viewport holds the device";
  EXPECT_EQ(camera->Release(), 2u) << "the scene and the viewport hold the camera";
  EXPECT_EQ(viewport->Release(), 0u);
  EXPECT_EQ(scene->Release(), 0u) << "the last frame takes its child with it";
}

TEST_F(RetainedMode, FramesKnowTheirParentAndScene) {
  IDirect3DRMFrame3* root = nullptr;
  ASSERT_EQ(rm_->CreateFrame(nullptr, &root), D3DRM_OK);
  IDirect3DRMFrame3* child = nullptr;
  ASSERT_EQ(rm_->CreateFrame(root, &child), D3DRM_OK);
  IDirect3DRMFrame3* grandchild = nullptr;
  ASSERT_EQ(rm_->CreateFrame(child, &grandchild), D3DRM_OK);

  IDirect3DRMFrame3* got = nullptr;
  ASSERT_EQ(grandchild->GetParent(&got), D3DRM_OK);
  EXPECT_EQ(got, child);
  got->Release();
  ASSERT_EQ(grandchild->GetScene(&got), D3DRM_OK);
  EXPECT_EQ(got, root);
  got->Release();
  ASSERT_EQ(root->GetParent(&got), D3DRM_OK);
  EXPECT_EQ(got, nullptr);
  platform::InjectFault("IDirect3DRM3::CreateFrame", D3DRMERR_BADALLOC);
  IDirect3DRMFrame3* failed = reinterpret_cast<IDirect3DRMFrame3*>(1);
  EXPECT_EQ(rm_->CreateFrame(root, &failed), D3DRMERR_BADALLOC);
  EXPECT_EQ(failed, nullptr);

  // The root goes first: the children it held are cut loose and live on
  // while someone holds them.
  EXPECT_EQ(root->Release(), 0u);
  ASSERT_EQ(grandchild->GetScene(&got), D3DRM_OK);
  EXPECT_EQ(got, child) << "the child became a root";
  got->Release();
  EXPECT_EQ(child->Release(), 0u);
  ASSERT_EQ(grandchild->GetScene(&got), D3DRM_OK);
  EXPECT_EQ(got, grandchild);
  got->Release();
  EXPECT_EQ(grandchild->Release(), 0u);
}

}  // namespace
}  // namespace d3d_test
