// TBrin: the Direct3D device a display with Use3D renders into the back
// buffer with, its depth buffer, and retained mode.
//
// Device kinds are tried hardware first; a kind whose depth buffer or device
// cannot be made is a detail line and the next kind is tried, never a halt.
// When nothing can be made, DeviceKind keeps the previous set-up's value and
// the windowed retained-mode device is still made from it, as designed.
// The retained-mode object is made once and lives until the component is
// destroyed; everything else is made again at every initialisation.
#include <cstring>

#include "display/brin.h"
#include "display/debug_log.h"
#include "platform/d3d.h"
#include "platform/d3drm.h"
#include "surfaces/brin_surface.h"

using brin::CheckResult;
using brin::DetailLog;
using brin::Format;

namespace {

struct DeviceAttempt {
  int kind;
  const GUID* guid;
  bool depthInVideoMemory;
  const char* made;
  const char* noDepthBuffer;  // null: a failure writes nothing
  const char* noDevice;       // followed by the result in 16 hexadecimal digits
};

const DeviceAttempt kAttempts[] = {
    {0, &IID_IDirect3DTnLHalDevice, true, "T&L HALデバイスを使用します", "T&L HALデバイス用Zバッファが作れません",
     "T&L HALデバイスが作れません"},
    {1, &IID_IDirect3DHALDevice, true, "HALデバイスを使用します", "HALデバイス用Zバッファが作れません",
     "HALデバイスが作れません"},
    {2, &IID_IDirect3DMMXDevice, false, "MMXエミュレーションデバイスを使用します", nullptr, nullptr},
    {3, &IID_IDirect3DRGBDevice, false, "RGBエミュレーションデバイスを使用します", nullptr, nullptr},
    {4, &IID_IDirect3DRampDevice, false, "Rampエミュレーションデバイスを使用します", nullptr, nullptr},
    {5, &IID_IDirect3DRefDevice, false, "リファレンスラスタライザを使用します", nullptr, nullptr},
};

bool Wanted(int kind, TD3DOptions options, bool hardware3D) {
  switch (kind) {
    case 0: return !options.Contains(DontUseTnLHAL) && hardware3D;
    case 1: return !options.Contains(DontUseHAL) && hardware3D;
    case 2: return !options.Contains(DontUseMMX);
    case 3: return !options.Contains(DontUseRGBEmulation);
    default: return true;
  }
}

// The depth buffer's messages: with a stencil or without.
struct DepthMessages {
  DWORD flags;  // the pixel-format flags a listed format must have, exactly
  const char* enumerated;
  const char* notCreated;
  const char* notAttached;
  const char* made;
};

const DepthMessages kStencil = {
    DDPF_ZBUFFER | DDPF_STENCILBUFFER,
    "列挙されたステンシルバッファのフォーマット...ZDepth=%d SDepth=%d Mask=(Z:%.8x S:%.8x L:%.8x)",
    "ステンシルバッファの作成に失敗しました", "ステンシルバッファのアタッチに失敗しました",
    "ステンシルバッファを作成しました"};
const DepthMessages kZBuffer = {
    DDPF_ZBUFFER, "列挙されたZバッファのフォーマット...ZDepth=%d SDepth=%d Mask=(Z:%.8x S:%.8x L:%.8x)",
    "Zバッファの作成に失敗しました", "Zバッファのアタッチに失敗しました", "Zバッファを作成しました"};

struct DepthSearch {
  const DepthMessages* messages;
  DDPIXELFORMAT* format;
};

HRESULT CALLBACK TakeDepthFormat(LPDDPIXELFORMAT format, LPVOID context) {
  auto* search = static_cast<DepthSearch*>(context);
  if (format->dwFlags != search->messages->flags) return D3DENUMRET_OK;
  *search->format = *format;
  DetailLog(Format(search->messages->enumerated, static_cast<int>(format->dwZBufferBitDepth),
                   static_cast<int>(format->dwStencilBitDepth), format->dwZBitMask, format->dwStencilBitMask,
                   format->dwRGBZBitMask));
  return D3DENUMRET_CANCEL;
}

// Releases OBJECT and reports a count left behind as a failure.
template <typename Interface>
void ReleaseChecked(Interface*& object, const char* failure, const char* released) {
  if (!object) return;
  const ULONG remaining = object->Release();
  object = nullptr;
  CheckResult(static_cast<HRESULT>(remaining), failure);
  DetailLog(released);
}

}  // namespace

void TBrin::Setup3D() {
  hardwareDevice_ = false;
  if (DDraw)
    CheckResult(DDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&d3d_)),
                "Direct3Dオブジェクトの作成に失敗しました");
  if (!d3drm_) {
    IDirect3DRM* first = nullptr;
    CheckResult(Direct3DRMCreate(&first), "Direct3DRMオブジェクトの作成に失敗しました");
    if (first) {
      CheckResult(first->QueryInterface(IID_IDirect3DRM3, reinterpret_cast<void**>(&d3drm_)),
                  "Direct3DRM3オブジェクトの作成に失敗しました");
      first->Release();
    }
  }

  const GUID* chosen = nullptr;
  IDirectDrawSurface7* target = BackBuffer ? BackBuffer->DDSurface : nullptr;
  if (d3d_ && target) {
    for (const DeviceAttempt& attempt : kAttempts) {
      if (d3dDevice_) break;
      if (!Wanted(attempt.kind, D3DOptions, hardware3D_)) continue;
      if (!MakeDepthBuffer(*attempt.guid, attempt.depthInVideoMemory)) {
        if (attempt.noDepthBuffer) DetailLog(attempt.noDepthBuffer);
        continue;
      }
      const HRESULT hr = d3d_->CreateDevice(*attempt.guid, target, &d3dDevice_);
      if (hr == D3D_OK && d3dDevice_) {
        DeviceKind = attempt.kind;
        hardwareDevice_ = attempt.kind <= 1;
        chosen = attempt.guid;
        DetailLog(attempt.made);
      } else if (attempt.noDevice) {
        DetailLog(attempt.noDevice + Format("%016X", static_cast<std::uint32_t>(hr)));
      }
    }
  }

  if (!FullScreen && DeviceKind != 0 && d3drm_ && clipper_) {
    GUID guid = chosen ? *chosen : GUID{};
    CheckResult(d3drm_->CreateDeviceFromClipper(clipper_, chosen ? &guid : nullptr, ScreenWidth, ScreenHeight,
                                                &rmDevice_),
                "Diret3DRMデバイスの作成に失敗しました");
    if (CameraFrame && rmDevice_) {
      CheckResult(d3drm_->CreateViewport(rmDevice_, CameraFrame, 0, 0, rmDevice_->GetWidth(),
                                         rmDevice_->GetHeight(), &viewport_),
                  "Viewportの作成に失敗しました");
      if (viewport_) viewport_->SetBack(5000.0f);
    }
  }
  DetailLog(hardwareDevice_ ? "ハードウェアアクセラレーション可" : "ハードウェアアクセラレーション不可");
}

bool TBrin::MakeDepthBuffer(const GUID& device, bool inVideoMemory) {
  if (depthBuffer_) {
    IDirectDrawSurface7* old = depthBuffer_->DDSurface;
    delete depthBuffer_;
    depthBuffer_ = nullptr;
    if (old) {
      if (BackBuffer && BackBuffer->DDSurface) BackBuffer->DDSurface->DeleteAttachedSurface(0, old);
      old->Release();
    }
  }
  const DepthMessages* messages = D3DOptions.Contains(MakeStencilBuffer) ? &kStencil
                                  : D3DOptions.Contains(MakeZBuffer)     ? &kZBuffer
                                                                         : nullptr;
  if (!messages) return true;

  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  desc.dwWidth = static_cast<DWORD>(ScreenWidth);
  desc.dwHeight = static_cast<DWORD>(ScreenHeight);
  desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | (inVideoMemory ? 0 : DDSCAPS_SYSTEMMEMORY);
  // With no format listed the description keeps an empty one and the
  // creation below reports the failure.
  DepthSearch search{messages, &desc.ddpfPixelFormat};
  if (d3d_) d3d_->EnumZBufferFormats(device, TakeDepthFormat, &search);

  IDirectDrawSurface7* surface = nullptr;
  if (!DDraw || DDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK || !surface) {
    DetailLog(messages->notCreated);
    return false;
  }
  if (!BackBuffer || !BackBuffer->DDSurface || BackBuffer->DDSurface->AddAttachedSurface(surface) != DD_OK) {
    DetailLog(messages->notAttached);
    // Kept, it would hold DirectDraw past its final release.
    surface->Release();
    return false;
  }
  depthBuffer_ = new TBrinGenSurface(this, surface, ScreenWidth, ScreenHeight);
  DetailLog(messages->made);
  return true;
}

void TBrin::Release3DDevices() {
  if (viewport_) {
    viewport_->Release();
    viewport_ = nullptr;
    DetailLog("RM用ViewPortを解放しました");
  }
  ReleaseChecked(rmDevice_, "Direct3DRMDeviceの解放に失敗しました", "Direct3DRMDeviceを解放しました");
  ReleaseChecked(d3dDevice_, "Direct3DDeviceの解放に失敗しました", "Direct3DDeviceを解放しました");
}

void TBrin::Release3DBase() {
  if (destroying_) ReleaseChecked(d3drm_, "Direct3DRM3の解放に失敗しました", "Direct3DRM3を解放しました");
  if (depthBuffer_) {
    if (depthBuffer_->DDSurface) depthBuffer_->DDSurface->Release();
    DetailLog("Zバッファを解放しました");
    delete depthBuffer_;
    depthBuffer_ = nullptr;
  }
  if (d3d_) {
    d3d_->Release();
    d3d_ = nullptr;
    DetailLog("Direct3Dを解放しました");
  }
}
