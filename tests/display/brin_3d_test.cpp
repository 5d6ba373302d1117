// The display's 3D set-up: the order in which device kinds are tried, the
// depth buffer made for each, retained mode in a window, every detail line
// and failure message, what a set-up that makes nothing keeps, and the
// releases with their counts.
#include <algorithm>

#include "platform/d3d.h"
#include "platform/d3drm.h"
#include "tests/display/display_fixture.h"

namespace brin::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Not;

constexpr HRESULT kFault = static_cast<HRESULT>(0x88760BADu);

// Lines a set-up writes for a 16-bit depth buffer without stencil, as each
// device kind's attempt starts with one.
const std::vector<std::string> kZBufferLines = {
    "列挙されたZバッファのフォーマット...ZDepth=16 SDepth=0 Mask=(Z:0000ffff S:00000000 L:00000000)",
    "PixelFormat: AMask=00000000 RMask=00000000 GMask=0000ffff BMask=00000000", "Zバッファを作成しました"};

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class Brin3DTest : public DisplayTest {
 protected:
  // A display with Use3D and OPTIONS, started windowed on the default
  // 32-bit desktop. The log starts afresh after the start-up.
  TBrin* Start3D(TD3DOptions options = {MakeZBuffer}) {
    brin = Start([options](TBrin* b) {
      b->Use3D = true;
      b->D3DOptions = options;
    });
    NewLogLines();
    return brin;
  }

  // The lines of the last set-up: from the first line after the palette
  // step up to the acceleration line. The set-up follows the buffers'
  // "PixelFormat" lines, so it starts at the first line that is neither one
  // of those nor earlier than the clipper's.
  static std::vector<std::string> SetUpLines(const std::vector<std::string>& lines) {
    auto end = std::find_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("ハードウェアアクセラレーション", 0) == 0; });
    if (end == lines.end()) return {};
    // Two "PixelFormat" lines (primary and back buffer) end step 11.
    auto start = lines.begin();
    int wrappers = 0;
    for (auto it = lines.begin(); it != end && wrappers < 2; ++it)
      if (it->rfind("PixelFormat:", 0) == 0) {
        ++wrappers;
        start = it + 1;
      }
    return std::vector<std::string>(start, end + 1);
  }

  // The 3D lines among a switch's release lines, in order.
  static std::vector<std::string> ReleaseLines(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    auto begin = std::find(lines.begin(), lines.end(), "…DirectDraw/3D関連オブジェクトを全て解放します…");
    auto end = std::find(lines.begin(), lines.end(), "…DirectDraw/3D関連オブジェクト、解放終了しました…");
    if (begin == lines.end()) return out;
    for (auto it = begin + 1; it != lines.end() && it != end; ++it)
      if (it->find("3D") != std::string::npos || it->find("ViewPort") != std::string::npos ||
          it->find("Zバッファ") != std::string::npos || it->find("パレット") != std::string::npos ||
          it->find("クリッパー") != std::string::npos)
        out.push_back(*it);
    return out;
  }

  TBrin* brin = nullptr;
};

TEST_F(Brin3DTest, WithoutHardwareTheFirstEmulationIsMadeWithItsDepthBuffer) {
  Start3D();
  brin->ChangeToWindow(640, 480);
  const auto lines = NewLogLines();
  EXPECT_THAT(ReleaseLines(lines),
              ElementsAre("Direct3DRMDeviceを解放しました", "Direct3DDeviceを解放しました", "Zバッファを解放しました",
                          "Direct3Dを解放しました", "クリッパーを解放しました"));
  EXPECT_THAT(SetUpLines(lines), ElementsAreArray(Concat({kZBufferLines,
                                                          {"MMXエミュレーションデバイスを使用します",
                                                           "ハードウェアアクセラレーション不可"}})));
  EXPECT_EQ(brin->DeviceKind, 2);
  EXPECT_FALSE(brin->HardwareDeviceMade());
  ASSERT_NE(brin->D3DDevice(), nullptr);
  D3DDEVICEDESC7 caps;
  ASSERT_EQ(brin->D3DDevice()->GetCaps(&caps), D3D_OK);
  EXPECT_EQ(caps.deviceGUID, IID_IDirect3DMMXDevice);
  ASSERT_NE(brin->D3DRMDevice(), nullptr) << "windowed, and the kind is not the T&L HAL";
  EXPECT_EQ(brin->D3DRMDevice()->GetWidth(), 640u);
  EXPECT_EQ(brin->D3DRMDevice()->GetHeight(), 480u);
  EXPECT_EQ(brin->D3DRMViewport(), nullptr) << "no camera frame was set";

  // The depth buffer is attached to the back buffer, in system memory.
  ASSERT_NE(brin->DepthBuffer(), nullptr);
  DDSCAPS2 want{DDSCAPS_ZBUFFER, 0, 0, {0}};
  IDirectDrawSurface7* attached = nullptr;
  ASSERT_EQ(brin->BackBuffer->DDSurface->GetAttachedSurface(&want, &attached), DD_OK);
  EXPECT_EQ(attached, brin->DepthBuffer()->DDSurface);
  DDSCAPS2 caps2{};
  attached->GetCaps(&caps2);
  EXPECT_TRUE(caps2.dwCaps & DDSCAPS_SYSTEMMEMORY);
  attached->Release();
}

TEST_F(Brin3DTest, NoDepthOptionsMakeDevicesWithoutADepthBuffer) {
  Start3D({});
  brin->ChangeToWindow(640, 480);
  EXPECT_THAT(SetUpLines(NewLogLines()),
              ElementsAre("MMXエミュレーションデバイスを使用します", "ハードウェアアクセラレーション不可"));
  EXPECT_EQ(brin->DepthBuffer(), nullptr);
  EXPECT_NE(brin->D3DDevice(), nullptr);
}

TEST_F(Brin3DTest, AStencilIsAskedForWhenBothBuffersAreWanted) {
  Start3D({MakeZBuffer, MakeStencilBuffer});
  brin->ChangeToWindow(640, 480);
  EXPECT_THAT(SetUpLines(NewLogLines()),
              ElementsAre("列挙されたステンシルバッファのフォーマット...ZDepth=16 SDepth=1 "
                          "Mask=(Z:0000fffe S:00000001 L:00000000)",
                          "PixelFormat: AMask=00000000 RMask=00000001 GMask=0000fffe BMask=00000001",
                          "ステンシルバッファを作成しました", "MMXエミュレーションデバイスを使用します",
                          "ハードウェアアクセラレーション不可"));
  DDPIXELFORMAT format = brin->DepthBuffer()->Description.ddpfPixelFormat;
  EXPECT_EQ(format.dwFlags, DDPF_ZBUFFER | DDPF_STENCILBUFFER);
}

TEST_F(Brin3DTest, HardwareComesFirstAndLeavesRetainedModeOutWithTheTnLHal) {
  backend.SetPrimaryHas3D(true);
  Start3D();
  brin->ChangeToWindow(640, 480);
  EXPECT_THAT(SetUpLines(NewLogLines()),
              ElementsAreArray(Concat({kZBufferLines, {"T&L HALデバイスを使用します", "ハードウェアアクセラレーション可"}})));
  EXPECT_EQ(brin->DeviceKind, 0);
  EXPECT_TRUE(brin->HardwareDeviceMade());
  EXPECT_EQ(brin->D3DRMDevice(), nullptr);
  DDSCAPS2 caps{};
  brin->DepthBuffer()->DDSurface->GetCaps(&caps);
  EXPECT_TRUE(caps.dwCaps & DDSCAPS_VIDEOMEMORY);
}

TEST_F(Brin3DTest, AFailedHardwareDeviceIsLoggedWithItsResultAndTheNextKindTried) {
  backend.SetPrimaryHas3D(true);
  Start3D();
  platform::InjectFault("IDirect3D7::CreateDevice", kFault);
  brin->ChangeToWindow(640, 480);
  EXPECT_THAT(SetUpLines(NewLogLines()),
              ElementsAreArray(Concat({kZBufferLines,
                                       {"T&L HALデバイスが作れません0000000088760BAD"},
                                       kZBufferLines,
                                       {"HALデバイスを使用します", "ハードウェアアクセラレーション可"}})));
  EXPECT_EQ(brin->DeviceKind, 1);
  ASSERT_NE(brin->D3DRMDevice(), nullptr) << "retained mode drives the HAL";
}

TEST_F(Brin3DTest, AHardwareDepthBufferThatCannotBeAttachedSkipsTheKind) {
  backend.SetPrimaryHas3D(true);
  Start3D();
  platform::InjectFault("IDirectDrawSurface7::AddAttachedSurface", kFault);
  brin->ChangeToWindow(640, 480);
  const auto lines = SetUpLines(NewLogLines());
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], "Zバッファのアタッチに失敗しました");
  EXPECT_EQ(lines[2], "T&L HALデバイス用Zバッファが作れません");
  EXPECT_THAT(lines, Contains("HALデバイスを使用します"));
  // The depth buffer that could not be attached was let go: nothing holds
  // DirectDraw past its final release at the next switch.
  brin->ChangeToWindow(640, 480);
  EXPECT_THAT(NewLogLines(), Not(Contains(::testing::HasSubstr("DirectDrawの解放に失敗しました"))));
}

TEST_F(Brin3DTest, HardwareExcludedOrNotPossibleFallsToEmulationAndSaysSo) {
  backend.SetPrimaryHas3D(true);
  Start3D({DontUseTnLHAL, DontUseHAL});
  brin->ChangeToWindow(640, 480);
  EXPECT_THAT(SetUpLines(NewLogLines()),
              ElementsAre("MMXエミュレーションデバイスを使用します", "ハードウェアアクセラレーション不可"));
  DDSCAPS2 caps{};
  brin->BackBuffer->DDSurface->GetCaps(&caps);
  EXPECT_TRUE(caps.dwCaps & DDSCAPS_SYSTEMMEMORY) << "both hardware kinds excluded: a system-memory back buffer";

  // Hardware possible but the display 8 bits deep: no hardware kind is
  // tried, and no kind renders into 8 bits.
  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  EXPECT_FALSE(brin->HardwareD3D());
  EXPECT_EQ(brin->D3DDevice(), nullptr);
}

TEST_F(Brin3DTest, EmulationsAreTriedInOrderAndRampIsNoLongerThere) {
  Start3D({DontUseMMX, DontUseRGBEmulation, MakeZBuffer});
  brin->ChangeToWindow(640, 480);
  // Direct3D 7 lists no depth formats for Ramp, so its depth buffer cannot
  // be made and the kind is passed over; the reference rasterizer follows.
  EXPECT_THAT(SetUpLines(NewLogLines()),
              ElementsAreArray(Concat({{"Zバッファの作成に失敗しました"},
                                       kZBufferLines,
                                       {"リファレンスラスタライザを使用します", "ハードウェアアクセラレーション不可"}})));
  EXPECT_EQ(brin->DeviceKind, 5);
}

TEST_F(Brin3DTest, FullScreenMakesNoRetainedModeDevice) {
  Start3D();
  brin->ChangeToFullScreen(640, 480, 16, 0, "");
  EXPECT_NE(brin->D3DDevice(), nullptr);
  EXPECT_EQ(brin->DeviceKind, 2);
  EXPECT_EQ(brin->D3DRMDevice(), nullptr);
  EXPECT_NE(brin->D3DRM(), nullptr);
}

TEST_F(Brin3DTest, WhenNothingCanBeMadeDeviceKindKeepsItsValue) {
  Start3D();
  ASSERT_EQ(brin->DeviceKind, 2);
  platform::InjectFault("IDirect3D7::CreateDevice", kFault, platform::FaultMode::Always);
  brin->ChangeToWindow(640, 480);
  const auto lines = SetUpLines(NewLogLines());
  EXPECT_THAT(lines, Not(Contains(::testing::HasSubstr("デバイスを使用します"))));
  EXPECT_EQ(lines.back(), "ハードウェアアクセラレーション不可");
  EXPECT_EQ(brin->D3DDevice(), nullptr);
  EXPECT_EQ(brin->DeviceKind, 2);
  // The kept kind is not the T&L HAL, so the retained-mode device is still
  // made, with no device GUID.
  EXPECT_NE(brin->D3DRMDevice(), nullptr);
}

TEST_F(Brin3DTest, DeviceKindStartsAtZeroSoANewDisplayThatMakesNothingHasNoRetainedModeDevice) {
  platform::InjectFault("IDirect3D7::CreateDevice", kFault, platform::FaultMode::Always);
  Start3D();
  EXPECT_EQ(brin->DeviceKind, 0);
  EXPECT_EQ(brin->D3DDevice(), nullptr);
  EXPECT_EQ(brin->D3DRMDevice(), nullptr);
}

TEST_F(Brin3DTest, ACameraFrameGetsAViewportWithItsBackPlaneFarOut) {
  Start3D();
  IDirect3DRMFrame3* scene = nullptr;
  IDirect3DRMFrame3* camera = nullptr;
  ASSERT_EQ(brin->D3DRM()->CreateFrame(nullptr, &scene), D3DRM_OK);
  ASSERT_EQ(brin->D3DRM()->CreateFrame(scene, &camera), D3DRM_OK);
  brin->CameraFrame = camera;
  brin->ChangeToWindow(640, 480);
  ASSERT_NE(brin->D3DRMViewport(), nullptr);
  EXPECT_EQ(brin->D3DRMViewport()->GetBack(), 5000.0f);
  EXPECT_EQ(brin->D3DRMViewport()->GetWidth(), 640u);
  EXPECT_EQ(brin->D3DRMViewport()->GetHeight(), 480u);
  NewLogLines();

  brin->ChangeToWindow(320, 240);
  EXPECT_THAT(ReleaseLines(NewLogLines()),
              ElementsAre("RM用ViewPortを解放しました", "Direct3DRMDeviceを解放しました",
                          "Direct3DDeviceを解放しました", "Zバッファを解放しました", "Direct3Dを解放しました",
                          "クリッパーを解放しました"));
  EXPECT_EQ(brin->D3DRMViewport()->GetWidth(), 320u);
  brin->CameraFrame = nullptr;
  delete app;  // the viewport lets go of the camera with the display
  app = nullptr;
  EXPECT_EQ(camera->Release(), 1u) << "the scene holds it";
  EXPECT_EQ(scene->Release(), 0u);
}

TEST_F(Brin3DTest, TheRetainedModeObjectLivesUntilTheComponentIsDestroyed) {
  Start3D();
  IDirect3DRM3* rm = brin->D3DRM();
  ASSERT_NE(rm, nullptr);
  brin->ChangeToFullScreen(640, 480, 16, 0, "");
  brin->ChangeToWindow(640, 480);
  EXPECT_EQ(brin->D3DRM(), rm);
  EXPECT_THAT(NewLogLines(), Not(Contains("Direct3DRM3を解放しました")));

  delete app;
  app = nullptr;
  EXPECT_THAT(ReleaseLines(NewLogLines()),
              ElementsAre("Direct3DRMDeviceを解放しました", "Direct3DDeviceを解放しました", "Direct3DRM3を解放しました",
                          "Zバッファを解放しました", "Direct3Dを解放しました", "クリッパーを解放しました"));
  EXPECT_EQ(platform::LiveObjectCount(), baseObjects) << "every 3D object went with the display";
}

TEST_F(Brin3DTest, ReferencesLeftOnReleaseAreFailures) {
  Start3D();
  IDirect3DDevice7* device = brin->D3DDevice();
  IDirect3DRMDevice3* rmDevice = brin->D3DRMDevice();
  device->AddRef();
  rmDevice->AddRef();
  brin->ChangeToWindow(640, 480);
  const auto lines = NewLogLines();
  EXPECT_THAT(lines, Contains("Direct3DRMDeviceの解放に失敗しました(Error Code(1))"));
  EXPECT_THAT(lines, Contains("Direct3DDeviceの解放に失敗しました(Error Code(1))"));
  EXPECT_THAT(lines, Contains(::testing::HasSubstr("DirectDrawの解放に失敗しました(Error Code(")))
      << "the device kept holds its render target and Direct3D, and both hold DirectDraw";
  EXPECT_EQ(rmDevice->Release(), 0u);
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(Brin3DTest, ALostHardwareDepthBufferIsRestoredWithTheBuffers) {
  backend.SetPrimaryHas3D(true);
  Start3D();
  brin->ChangeToFullScreen(640, 480, 16, 0, "");
  ASSERT_EQ(brin->DeviceKind, 0);
  platform::SetAppActive(false);
  ASSERT_TRUE(brin->DepthBuffer()->IsLost());
  platform::SetAppActive(true);
  brin->RestoreSurfaces();
  EXPECT_FALSE(brin->DepthBuffer()->IsLost());
}

struct SetUpFailure {
  const char* call;
  const char* message;
};

class Brin3DFailureTest : public Brin3DTest, public ::testing::WithParamInterface<SetUpFailure> {};

TEST_P(Brin3DFailureTest, IsLoggedWithItsCodeAndTheDisplayCarriesOn) {
  Start3D({});
  IDirect3DRMFrame3* camera = nullptr;
  ASSERT_EQ(brin->D3DRM()->CreateFrame(nullptr, &camera), D3DRM_OK);
  brin->CameraFrame = camera;
  // The retained-mode object is made once: a fresh component is needed to
  // see its two failures, so the display is destroyed and made again.
  const bool atCreation = std::string(GetParam().call).rfind("Direct3DRM", 0) == 0 ||
                          std::string(GetParam().call) == "IDirect3DRM::QueryInterface";
  if (atCreation) {
    brin->CameraFrame = nullptr;
    delete app;
    app = nullptr;
    platform::InjectFault(GetParam().call, kFault);
    Start3D({});
  } else {
    platform::InjectFault(GetParam().call, kFault);
    brin->ChangeToWindow(640, 480);
  }
  EXPECT_TRUE(Logged(std::string(GetParam().message) + "(Error Code(88760BAD))"))
      << ::testing::PrintToString(LogLines());
  brin->CameraFrame = nullptr;
  brin->ChangeToWindow(640, 480);
  EXPECT_NE(brin->BackBuffer->DDSurface, nullptr);
  EXPECT_EQ(camera->Release(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryMessage, Brin3DFailureTest,
    ::testing::Values(SetUpFailure{"IDirectDraw7::QueryInterface", "Direct3Dオブジェクトの作成に失敗しました"},
                      SetUpFailure{"Direct3DRMCreate", "Direct3DRMオブジェクトの作成に失敗しました"},
                      SetUpFailure{"IDirect3DRM::QueryInterface", "Direct3DRM3オブジェクトの作成に失敗しました"},
                      SetUpFailure{"IDirect3DRM3::CreateDeviceFromClipper", "Diret3DRMデバイスの作成に失敗しました"},
                      SetUpFailure{"IDirect3DRM3::CreateViewport", "Viewportの作成に失敗しました"}));

}  // namespace
}  // namespace brin::testing
