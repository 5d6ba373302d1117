// The platform demo: the game's window and screen-mode menu over DirectDraw
// on the SDL back end, drawing a moving colour-keyed pattern at 50 frames a
// second; desktop format in a window, 8 bits with a palette in full screen.
// Escape or closing the window ends it.
#include <cstdio>
#include <string>

#include "platform/forms.h"
#include "platform/program.h"
#include "platform/system.h"
#include "platform/vk.h"
#include "platform/window.h"
#include "tools/platform_demo/demo_display.h"

namespace {

constexpr DWORD kFrameMs = 20;

class TDemoForm : public TForm {
 public:
  explicit TDemoForm(TComponent* owner) : TForm(owner) {
    SetCaption("Zornack platform demo");
    SetBounds(0, 0, 648, 526);
    SetPosition(poScreenCenter);
    SetBorderIcons({biSystemMenu, biMinimize});
    OnCreate = [this](TObject*) { FormCreate(); };
    OnPaint = [this](TObject*) { display_.Restore(); };
    OnKeyDown = [](TObject*, WORD& key, TShiftState) {
      if (key == VK_ESCAPE) Application->Terminate();
    };
    MainMenu1 = new TMainMenu(this);
    S1 = new TMenuItem(this);
    S1->SetCaption("画面モード(&S)");
    W1 = new TMenuItem(this);
    W1->SetCaption("ウィンドウ内(&W)");
    W1->SetScreenModeRole(platform::MenuRole::WindowMode);
    W1->OnClick = [this](TObject*) { Switch(false); };
    F1 = new TMenuItem(this);
    F1->SetCaption("フルスクリーン(&F)");
    F1->SetScreenModeRole(platform::MenuRole::FullScreenMode);
    F1->OnClick = [this](TObject*) { Switch(true); };
    MainMenu1->Items()->Add(S1);
    S1->Add(W1);
    S1->Add(F1);
    SetMenu(MainMenu1);
  }

  ~TDemoForm() override {
    display_.Release();
    if (subclassed_) {
      SetWindowLongA(Handle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
      FreeObjectInstance(subclassed_);
    }
  }

 private:
  void FormCreate() {
    Switch(false);
    // The menu loop needs the desktop's picture under the menu in full
    // screen, as a display component does when it subclasses the window.
    subclassed_ = MakeObjectInstance([this](TMessage& m) {
      if (m.Msg == WM_ENTERMENULOOP && display_.DirectDraw()) {
        display_.DirectDraw()->FlipToGDISurface();
        DrawMenuBar(Handle());
        RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME);
      }
      m.Result = CallWindowProcA(previous_, Handle(), m.Msg, m.WParam, m.LParam);
    });
    previous_ = reinterpret_cast<WNDPROC>(SetWindowLongA(Handle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(subclassed_)));
    ShowCursor(FALSE);
    lastTick_ = GetTickCount();
    Application->OnIdle = [this](TObject*, bool& done) {
      display_.DrawFrame(frame_++);
      FrameWait();
      done = false;
    };
  }

  void Switch(bool fullScreen) {
    if (fullScreen) Show();
    const char* failed = "";
    if (!display_.Build(Handle(), fullScreen, failed)) {
      const std::string text = std::string("DirectDraw: ") + failed + " failed";
      MessageBoxA(Handle(), text.c_str(), "platform_demo", MB_OK | MB_ICONWARNING);
      Application->Terminate();
      return;
    }
    if (fullScreen) {
      SetBounds(0, 0, 640, 480);
      BringWindowToTop(Handle());
    } else {
      SetClientWidth(640);
      SetClientHeight(480);
    }
  }

  // Waits out the rest of the frame's 20 ms, sleeping rather than spinning
  // (the machine is shared with the builds that run the tests).
  void FrameWait() {
    for (;;) {
      const DWORD elapsed = GetTickCount() - lastTick_;
      if (elapsed >= kFrameMs) break;
      platform::CurrentBackend().SleepMicroseconds((kFrameMs - elapsed) * 1000);
    }
    lastTick_ = GetTickCount();
  }

  TMainMenu* MainMenu1;
  TMenuItem* S1;
  TMenuItem* W1;
  TMenuItem* F1;
  demo::Display display_;
  WNDPROC subclassed_ = nullptr;
  WNDPROC previous_ = nullptr;
  std::uint32_t frame_ = 0;
  DWORD lastTick_ = 0;
};

TDemoForm* DemoForm = nullptr;

}  // namespace

constexpr char kUsage[] =
    "usage: platform_demo [--help]\n"
    "Shows a window with a moving colour-keyed pattern drawn through the platform's DirectDraw;\n"
    "its menu (Alt+S) or Alt+Enter switches to full screen and back, Escape ends it.\n";

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    return platform::CommandLineError("platform_demo", "unknown argument: " + arg, kUsage);
  }
  return platform::RunProgram("platform_demo", DemoForm);
}
