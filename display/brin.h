// TBrin: the display component. It sits on the main form and owns the
// display: the DirectDraw object, the primary surface and back buffer, the
// clipper, the 8-bit palette, and the list of the application's off-screen
// surfaces, which it releases, restores and rebuilds together.
//
// It hooks its form: the display is built when the form raises its create
// event, repaired when the active form is painted, and kept pinned to the
// screen in full screen through a window procedure of its own.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "display/brin_types.h"
#include "platform/ddraw.h"
#include "platform/forms.h"

class TBrinGenSurface;
class TBrinSurface;
class TBrinSurfaceKeeper;
class TBrinTextureKeeper;
struct IDirect3D7;
struct IDirect3DDevice7;
struct IDirect3DRM3;
struct IDirect3DRMDevice3;
struct IDirect3DRMViewport2;
struct IDirect3DRMFrame3;

class TBrin : public TComponent {
 public:
  explicit TBrin(TComponent* AOwner);
  ~TBrin() override;
  void Loaded() override;

  // --- published properties (stored in the form description) ---------------
  TBrinDebugOption DebugOption() const { return debugOption_; }
  // Stores the set and sets the library's log and halt switches from it.
  void SetDebugOption(TBrinDebugOption option);
  int InitialScreenWidth = 640;
  int InitialScreenHeight = 480;
  int InitialBitDepth = 0;  // 0: any depth, and no colour-depth check
  bool InitializeFullScreen = false;
  DWORD BackColor = 0;  // raw pixel value of the back buffer's format
  bool AutoDisplayModeInitialize = true;
  bool DisableScreenSaver() const { return disableScreenSaver_; }
  // Stores the value and turns the system's screen saver off (or on).
  void SetDisableScreenSaver(bool disable);
  bool Use3D = false;
  TD3DOptions D3DOptions{MakeZBuffer};
  bool VsyncAtWindowed = true;
  TBrinSurfaceMemoryType SurfaceLocation = smtDefault;
  TBrinBackBufferMemoryType BackBufferLocationAtWindowed = bmtDefault;

  TBrinInitEvent OnInit;
  TNotifyEvent OnRestore;
  TNotifyEvent OnChangeDisplayMode;
  TNotifyEvent OnCleanUp;
  TNotifyEvent OnEnterMenuLoop;
  TNotifyEvent OnExitMenuLoop;
  TNotifyEvent OnDestroy;

  // --- public state ------------------------------------------------------------
  TBrinGenSurface* PrimarySurface = nullptr;
  TBrinGenSurface* BackBuffer = nullptr;
  IDirectDraw7* DDraw = nullptr;
  std::vector<std::string> DriverList;
  int ScreenWidth = 0;
  int ScreenHeight = 0;
  int ScreenBitDepth = 0;
  bool FullScreen = false;
  int RefreshRate = 0;
  std::array<PALETTEENTRY, 256> PaletteEntries{};

  // The listed off-screen surfaces and textures, in list order.
  const std::vector<TBrinSurfaceKeeper*>& SurfaceList() const { return surfaces_; }
  const std::vector<TBrinTextureKeeper*>& TextureList() const { return textures_; }

  // --- operations --------------------------------------------------------------
  // Bits per pixel of the display, from GDI's information context.
  int GetDisplayBitDepth();
  void InitializeDisplay(bool FullScreen, int Width, int Height, int BitDepth, int RefreshRate,
                         const std::string& DriverName);
  void ReleaseAll();
  bool IsDisplayModeAvailable(int Width, int Height, int BitDepth, int RefreshRate);

  HRESULT Clear();
  void Flip();
  void ChangeToFullScreen(int Width, int Height, int BitDepth, int RefreshRate, const std::string& DriverName);
  void ChangeToWindow(int Width, int Height);
  void RestoreSurfaces();
  void LoadPaletteFromBMP(const std::string& FileName);
  void UpdatePalette();

  void AddSurface(TBrinSurface* Surface);
  void RemoveSurface(TBrinSurface* Surface);
  void AddTexture(TBrinTextureKeeper* Keeper);
  void RemoveTexture(TBrinTextureKeeper* Keeper);

  // Whether hardware 3D was possible at the last initialisation.
  bool HardwareD3D() const { return hardware3D_; }

  // --- 3D (with Use3D; see display/brin_3d.cpp) ------------------------------
  // The kind of device the last 3D set-up made: 0 T&L HAL, 1 HAL, 2 MMX
  // emulation, 3 RGB emulation, 4 Ramp emulation, 5 reference rasterizer. A
  // set-up that makes no device leaves the previous value.
  int DeviceKind = 0;
  // The retained-mode frame a windowed set-up makes its viewport look
  // through; none until the application sets one. Not owned: the viewport
  // takes a reference of its own.
  IDirect3DRMFrame3* CameraFrame = nullptr;
  // The objects of the last set-up (null when not made); not to be released.
  IDirect3D7* Direct3D() const { return d3d_; }
  IDirect3DDevice7* D3DDevice() const { return d3dDevice_; }
  IDirect3DRM3* D3DRM() const { return d3drm_; }
  IDirect3DRMDevice3* D3DRMDevice() const { return rmDevice_; }
  IDirect3DRMViewport2* D3DRMViewport() const { return viewport_; }
  TBrinGenSurface* DepthBuffer() const { return depthBuffer_; }
  // Whether the last set-up made the T&L HAL or HAL device.
  bool HardwareDeviceMade() const { return hardwareDevice_; }
  // The form window this component works with.
  HWND WindowHandle() const { return window_; }

 private:
  TForm* Form() const { return form_; }
  void FormCreateHook(TObject* Sender);
  void FormPaintHook(TObject* Sender);
  void WindowProc(TMessage& message);
  void CheckColorDepth();
  void InstallWindowProc(HWND window);

  void CreateDefaultDirectDraw();
  bool CreateNamedDirectDraw(const std::string& driverName);
  bool Search3DDriver();
  void BuildWindowed(int width, int height);
  void BuildFullScreen(int width, int height, int bitDepth, int refreshRate);
  void AttachClipper();
  void PreparePalette(bool fullScreen);
  void Setup3D();
  bool MakeDepthBuffer(const GUID& device, bool inVideoMemory);
  void Release3DDevices();
  void Release3DBase();

  void RestoreAllLists();
  void ReleaseAllLists();
  void RebuildAllLists();

  TForm* form_ = nullptr;
  HWND window_ = nullptr;
  TNotifyEvent savedOnPaint_;
  TNotifyEvent savedOnCreate_;
  WNDPROC windowProc_ = nullptr;      // routes the window's messages to WindowProc
  WNDPROC previousWindowProc_ = nullptr;
  bool windowProcInstalled_ = false;
  BOOL savedScreenSaverActive_ = FALSE;

  TBrinDebugOption debugOption_{broHaltOnError};
  bool disableScreenSaver_ = true;

  IDirectDrawClipper* clipper_ = nullptr;
  IDirectDrawPalette* palette_ = nullptr;
  bool hardware3D_ = false;

  IDirect3D7* d3d_ = nullptr;
  IDirect3DDevice7* d3dDevice_ = nullptr;
  IDirect3DRM3* d3drm_ = nullptr;  // made once, released only at destruction
  IDirect3DRMDevice3* rmDevice_ = nullptr;
  IDirect3DRMViewport2* viewport_ = nullptr;
  TBrinGenSurface* depthBuffer_ = nullptr;
  bool hardwareDevice_ = false;

  bool notStarted_ = true;
  bool destroying_ = false;
  bool started_ = false;
  bool busy_ = false;

  std::vector<TBrinSurfaceKeeper*> surfaces_;
  std::vector<TBrinTextureKeeper*> textures_;
};
