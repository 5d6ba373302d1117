// TBrin: construction, the form hooks, the window procedure, destruction,
// properties and the surface list.
#include "display/brin.h"

#include <algorithm>

#include "display/debug_log.h"
#include "platform/gdi.h"
#include "surfaces/brin_surface.h"
#include "surfaces/surface_keeper.h"

using brin::DetailLog;
using brin::Format;

namespace {

BOOL CALLBACK_AddDriver(GUID*, LPSTR description, LPSTR name, LPVOID context) {
  auto* self = static_cast<TBrin*>(context);
  self->DriverList.push_back(Format("%s (%s)", description ? description : "", name ? name : ""));
  DetailLog("Enumerated DDraw Driver ... " + self->DriverList.back());
  return TRUE;
}

}  // namespace

TBrin::TBrin(TComponent* AOwner) : TComponent(AOwner) {
  if (ComponentState().Contains(csDesigning) && Owner()) {
    int count = 0;
    for (int i = 0; i < Owner()->ComponentCount(); ++i)
      if (dynamic_cast<TBrin*>(Owner()->Components(i))) ++count;
    if (count >= 2) throw Exception("Brinコンポーネントを、同一フォームに2つ以上貼る事はできません");
  }
  busy_ = false;
  if (ComponentState().Contains(csDesigning)) return;

  destroying_ = false;
  notStarted_ = true;
  started_ = false;
  form_ = dynamic_cast<TForm*>(AOwner);
  if (form_) {
    savedOnPaint_ = form_->OnPaint;
    form_->OnPaint = [this](TObject* Sender) { FormPaintHook(Sender); };
    savedOnCreate_ = form_->OnCreate;
    form_->OnCreate = [this](TObject* Sender) { FormCreateHook(Sender); };
  }
  ::SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &savedScreenSaverActive_, 0);
  DDraw = nullptr;
  PrimarySurface = nullptr;
  BackBuffer = nullptr;
  clipper_ = nullptr;
  palette_ = nullptr;
  RefreshRate = 0;
  DirectDrawEnumerateA(CALLBACK_AddDriver, this);
  windowProc_ = MakeObjectInstance([this](TMessage& message) { WindowProc(message); });
}

TBrin::~TBrin() {
  // Nothing may leave a destructor: the log's failures are dropped and the
  // handlers' exceptions go to the application (see ReleaseAll too).
  const brin::TeardownLogging teardown;
  destroying_ = true;
  if (!ComponentState().Contains(csDesigning)) {
    DriverList.clear();
    SetDisableScreenSaver(!savedScreenSaverActive_);
    if (OnDestroy) RaiseEvent([&] { OnDestroy(this); });
    ReleaseAll();
    if (windowProcInstalled_ && ::IsWindow(window_))
      ::SetWindowLongA(window_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(previousWindowProc_));
    windowProcInstalled_ = false;
    if (windowProc_) FreeObjectInstance(windowProc_);
    windowProc_ = nullptr;
    // Textures, like surfaces, may outlive the display.
    for (auto* keeper : textures_) {
      keeper->Surface->Owner = nullptr;
      delete keeper;
    }
    textures_.clear();
    // Surfaces still listed outlive their keepers: they must not reach back
    // into a display that is gone.
    for (auto* keeper : surfaces_) {
      keeper->Surface->Owner = nullptr;
      delete keeper;
    }
    surfaces_.clear();
    // Give the form its own handlers back, as if this component never was.
    if (form_) {
      form_->OnPaint = savedOnPaint_;
      form_->OnCreate = savedOnCreate_;
    }
  }
}

void TBrin::Loaded() {
  TComponent::Loaded();
  if (ComponentState().Contains(csDesigning)) return;
  SetDisableScreenSaver(disableScreenSaver_);
  SetDebugOption(debugOption_);
}

void TBrin::SetDebugOption(TBrinDebugOption option) {
  debugOption_ = option;
  auto& log = brin::DisplayLogChannel();
  log.haltOnError = option.Contains(broHaltOnError);
  log.debugMessage = option.Contains(broDebugMessage);
  log.detailedLog = option.Contains(broDetailedLog);
}

void TBrin::SetDisableScreenSaver(bool disable) {
  disableScreenSaver_ = disable;
  ::SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, disable ? FALSE : TRUE, nullptr, SPIF_SENDWININICHANGE);
}

int TBrin::GetDisplayBitDepth() {
  HDC dc = ::CreateICA("Display", nullptr, nullptr, nullptr);
  const int bits = ::GetDeviceCaps(dc, BITSPIXEL);
  ::DeleteDC(dc);
  return bits;
}

void TBrin::FormCreateHook(TObject* Sender) {
  window_ = form_->Handle();
  CheckColorDepth();
  InitializeDisplay(false, 128, 128, GetDisplayBitDepth(), 0, "");
  if (AutoDisplayModeInitialize) {
    ScreenWidth = InitialScreenWidth;
    ScreenHeight = InitialScreenHeight;
    FullScreen = InitializeFullScreen;
    ScreenBitDepth = InitialBitDepth;
  }
  if (!notStarted_) return;
  notStarted_ = false;
  bool needChange = true;
  if (AutoDisplayModeInitialize) {
    needChange = false;
    if (FullScreen) needChange = !IsDisplayModeAvailable(ScreenWidth, ScreenHeight, ScreenBitDepth, 0);
    if (!needChange) InitializeDisplay(FullScreen, ScreenWidth, ScreenHeight, ScreenBitDepth, 0, "");
  }
  if (savedOnCreate_) savedOnCreate_(form_);
  started_ = true;
  if (OnInit) OnInit(Sender, needChange);
  InstallWindowProc(form_->Handle());
}

void TBrin::InstallWindowProc(HWND window) {
  window_ = window;
  previousWindowProc_ =
      reinterpret_cast<WNDPROC>(::SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc_)));
  windowProcInstalled_ = true;
}

void TBrin::FormPaintHook(TObject*) {
  if (!form_ || Screen->ActiveForm() != form_) return;
  if (savedOnPaint_) savedOnPaint_(form_);
  if (busy_) return;
  RestoreSurfaces();
  UpdatePalette();
  if (OnRestore) OnRestore(this);
}

void TBrin::WindowProc(TMessage& message) {
  switch (message.Msg) {
    case WM_MOVE:
      if (FullScreen && (GET_X_LPARAM(message.LParam) != 0 || GET_Y_LPARAM(message.LParam) != 0)) {
        form_->SetLeft(0);
        form_->SetTop(0);
      }
      break;
    case WM_SIZE:
      if (FullScreen && form_->WindowState() == wsMaximized) {
        form_->SetWindowState(wsNormal);
        form_->SetHeight(Screen->Height());
        form_->SetWidth(Screen->Width());
      }
      break;
    case WM_GETMINMAXINFO:
      if (FullScreen && message.LParam) {
        auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
        const POINT size{Screen->Width(), Screen->Height()};
        info->ptMaxSize = size;
        info->ptMinTrackSize = size;
        info->ptMaxTrackSize = size;
        info->ptMaxPosition = POINT{0, 0};
      }
      break;
    case WM_ENTERMENULOOP:
      if (FullScreen) {
        form_->SetTop(0);
        form_->SetLeft(0);
        form_->SetWidth(Screen->Width());
        form_->SetHeight(Screen->Height());
      }
      if (DDraw) DDraw->FlipToGDISurface();
      ::DrawMenuBar(window_);
      ::RedrawWindow(window_, nullptr, nullptr, RDW_FRAME);
      if (OnEnterMenuLoop) OnEnterMenuLoop(this);
      break;
    case WM_EXITMENULOOP:
      if (OnExitMenuLoop) OnExitMenuLoop(this);
      break;
    case WM_QUERYNEWPALETTE:
      UpdatePalette();
      break;
    default:
      break;
  }
  message.Result = ::CallWindowProcA(previousWindowProc_, window_, message.Msg, message.WParam, message.LParam);
}

void TBrin::AddSurface(TBrinSurface* Surface) {
  const auto it = std::find_if(surfaces_.begin(), surfaces_.end(), [&](auto* k) { return k->Surface == Surface; });
  if (it != surfaces_.end()) {
    delete *it;
    surfaces_.erase(it);
  }
  surfaces_.push_back(new TBrinSurfaceKeeper(this, Surface));
  DetailLog(Format("サーフェスリストの%d番に追加しました", static_cast<int>(surfaces_.size()) - 1));
}

void TBrin::RemoveSurface(TBrinSurface* Surface) {
  const auto it = std::find_if(surfaces_.begin(), surfaces_.end(), [&](auto* k) { return k->Surface == Surface; });
  if (it == surfaces_.end()) return;
  const int index = static_cast<int>(it - surfaces_.begin());
  Surface->DDSurface = nullptr;
  delete *it;
  surfaces_.erase(it);
  DetailLog(Format("サーフェスリストの%d番が解放されました", index));
}

void TBrin::AddTexture(TBrinTextureKeeper* Keeper) { textures_.push_back(Keeper); }

void TBrin::RemoveTexture(TBrinTextureKeeper* Keeper) {
  const auto it = std::find(textures_.begin(), textures_.end(), Keeper);
  if (it == textures_.end()) return;
  delete *it;
  textures_.erase(it);
}

void TBrin::RestoreAllLists() {
  for (auto* keeper : surfaces_) keeper->RestoreIfLost();
  for (auto* keeper : textures_) keeper->RestoreTexture();
}

void TBrin::ReleaseAllLists() {
  for (auto* keeper : textures_) keeper->ReleaseTexture();
  for (auto* keeper : surfaces_) keeper->ReleaseSurface();
}

void TBrin::RebuildAllLists() {
  for (auto* keeper : textures_) keeper->RebuildTexture();
  for (auto* keeper : surfaces_) keeper->RebuildSurface();
}
