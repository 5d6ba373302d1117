// bmp_viewer FILE [--fullscreen]
//
// Shows one BMP file the way the game shows its sheets: a TForm with a TBrin
// on the SDL back end, the picture loaded into a TBrinSurface by
// LoadFromFile and drawn onto the 640 x 480 back buffer every frame, centred
// (pictures larger than the screen are scaled down to fit). The menu and
// Alt+Enter switch between window and full screen; in full screen an 8-bit
// picture is shown at 8 bits with its own palette, others at 32 bits.
// Escape or closing the window ends it. Loading problems go to brin.debug
// beside the program, as the library reports them (when that folder can be
// written), and a picture that cannot be loaded is reported on stderr with
// the library's reason; the viewer then ends with status 1.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "display/brin.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/program.h"
#include "platform/gdi.h"
#include "platform/system.h"
#include "platform/vk.h"
#include "platform/window.h"
#include "surfaces/brin_surface.h"

namespace {

constexpr int kScreenWidth = 640, kScreenHeight = 480;
constexpr DWORD kFrameMs = 20;
// Larger pictures are refused rather than given a surface nobody can see.
constexpr std::int32_t kLargestSide = 4096;

struct PictureInfo {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int bits = 0;
};

// Reads the size and depth from the headers, so that the surface can be
// made before the library loads the picture into it.
bool ReadPictureInfo(const std::string& path, PictureInfo& info, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  unsigned char header[30] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  if (in.gcount() != sizeof header || header[0] != 'B' || header[1] != 'M') {
    error = path + " is not a BMP file";
    return false;
  }
  auto le32 = [&](int at) {
    return static_cast<std::int32_t>(header[at] | header[at + 1] << 8 | header[at + 2] << 16 |
                                     static_cast<std::uint32_t>(header[at + 3]) << 24);
  };
  info.width = le32(18);
  const std::int64_t height = le32(22);
  info.height = static_cast<std::int32_t>(height < 0 ? -height : height);
  info.bits = header[28] | header[29] << 8;
  if (info.width <= 0 || info.height <= 0 || info.width > kLargestSide || info.height > kLargestSide) {
    error = path + ": a picture of this size cannot be shown";
    return false;
  }
  return true;
}

std::string gPath;
PictureInfo gInfo;
bool gStartFullScreen = false;
// The log is written only where it can be; the reasons reach stderr anyway.
bool gLogWritable = true;
int gExitStatus = 0;

class TViewerForm : public TForm {
 public:
  explicit TViewerForm(TComponent* owner) : TForm(owner) {
    SetCaption("bmp_viewer - " + gPath);
    SetBounds(0, 0, 648, 526);
    SetPosition(poScreenCenter);
    SetBorderIcons({biSystemMenu, biMinimize});
    OnKeyDown = [](TObject*, WORD& key, TShiftState) {
      if (key == VK_ESCAPE) Application->Terminate();
    };
    MainMenu1 = new TMainMenu(this);
    S1 = new TMenuItem(this);
    S1->SetCaption("画面モード(&S)");
    W1 = new TMenuItem(this);
    W1->SetCaption("ウィンドウ内(&W)");
    W1->SetScreenModeRole(platform::MenuRole::WindowMode);
    W1->OnClick = [this](TObject*) { Brin1->ChangeToWindow(kScreenWidth, kScreenHeight); };
    F1 = new TMenuItem(this);
    F1->SetCaption("フルスクリーン(&F)");
    F1->SetScreenModeRole(platform::MenuRole::FullScreenMode);
    F1->OnClick = [this](TObject*) { Brin1->ChangeToFullScreen(kScreenWidth, kScreenHeight, FullScreenDepth(), 0, ""); };
    MainMenu1->Items()->Add(S1);
    S1->Add(W1);
    S1->Add(F1);
    SetMenu(MainMenu1);

    // The form description's part: the component and its stored properties.
    Brin1 = new TBrin(this);
    Brin1->SetDebugOption(gLogWritable ? TBrinDebugOption{broDebugMessage} : TBrinDebugOption{});
    Brin1->InitializeFullScreen = gStartFullScreen;
    Brin1->InitialBitDepth = gStartFullScreen ? FullScreenDepth() : 0;
    Brin1->OnInit = [this](TObject*, bool needChange) { Brin1Init(needChange); };
    Brin1->OnRestore = [this](TObject*) { ApplyPalette(); };
    Brin1->OnChangeDisplayMode = [this](TObject*) { DisplayChanged(); };
  }

 private:
  static int FullScreenDepth() { return gInfo.bits == 8 ? 8 : 32; }

  void Brin1Init(bool needChange) {
    // The full-screen mode asked for is not listed: a window instead.
    if (needChange) Brin1->ChangeToWindow(kScreenWidth, kScreenHeight);
    picture_ = std::make_unique<TBrinSurface>(Brin1, gInfo.width, gInfo.height, 0);
    picture_->LoadFromFile(gPath);
    if (!picture_->LoadError.empty()) {
      std::fprintf(stderr, "bmp_viewer: cannot show %s: %s\n", gPath.c_str(), picture_->LoadError.c_str());
      gExitStatus = 1;
      Application->Terminate();
      return;
    }
    DisplayChanged();
    ShowCursor(FALSE);
    lastTick_ = GetTickCount();
    Application->OnIdle = [this](TObject*, bool& done) {
      DrawFrame();
      FrameWait();
      done = false;
    };
  }

  // An 8-bit display shows the picture's indices through its palette.
  void ApplyPalette() {
    if (Brin1->ScreenBitDepth != 8 || gInfo.bits != 8) return;
    Brin1->LoadPaletteFromBMP(gPath);
    Brin1->UpdatePalette();
  }

  void DisplayChanged() {
    if (!Brin1->FullScreen) {
      SetClientWidth(kScreenWidth);
      SetClientHeight(kScreenHeight);
    }
    ApplyPalette();
    Brin1->BackColor = Brin1->PrimarySurface ? Brin1->PrimarySurface->ColorMatch(RGB(40, 40, 56)) : 0;
  }

  void DrawFrame() {
    Brin1->Clear();
    const TRect source = Rect(0, 0, gInfo.width, gInfo.height);
    if (gInfo.width <= kScreenWidth && gInfo.height <= kScreenHeight) {
      picture_->DrawFastToBack((kScreenWidth - gInfo.width) / 2, (kScreenHeight - gInfo.height) / 2, source,
                               DDBLTFAST_WAIT);
    } else {
      // Scaled to fit, keeping the picture's proportions: whichever side
      // is relatively longer fills the screen.
      const bool wide = static_cast<std::int64_t>(gInfo.width) * kScreenHeight >=
                        static_cast<std::int64_t>(gInfo.height) * kScreenWidth;
      const int fitW = wide ? kScreenWidth : static_cast<int>(static_cast<std::int64_t>(kScreenHeight) * gInfo.width / gInfo.height);
      const int fitH = wide ? static_cast<int>(static_cast<std::int64_t>(kScreenWidth) * gInfo.height / gInfo.width) : kScreenHeight;
      const int left = (kScreenWidth - fitW) / 2, top = (kScreenHeight - fitH) / 2;
      DDBLTFX fx{};
      fx.dwSize = sizeof fx;
      picture_->DrawToBack(Rect(left, top, left + fitW, top + fitH), source, DDBLT_WAIT, fx);
    }
    Brin1->Flip();
  }

  // Sleeps out the rest of the frame's 20 ms rather than spinning.
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
  TBrin* Brin1;
  std::unique_ptr<TBrinSurface> picture_;
  DWORD lastTick_ = 0;
};

TViewerForm* ViewerForm = nullptr;

}  // namespace

constexpr char kUsage[] =
    "usage: bmp_viewer FILE [--fullscreen]\n"
    "Shows the BMP file FILE through the library's own loading, in a window or, with\n"
    "--fullscreen, in full screen; Alt+S or Alt+Enter switches, Escape ends it.\n";

int main(int argc, char** argv) {
  return platform::GuardedMain("bmp_viewer", [&] {
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--help" || arg == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
      }
      if (arg == "--fullscreen") {
        gStartFullScreen = true;
      } else if (arg.size() > 1 && arg[0] == '-') {
        return platform::CommandLineError("bmp_viewer", "unknown option: " + arg, kUsage);
      } else if (gPath.empty()) {
        gPath = arg;
      } else {
        return platform::CommandLineError("bmp_viewer", "one picture at a time: " + arg, kUsage);
      }
    }
    if (gPath.empty()) return platform::CommandLineError("bmp_viewer", "no picture named", kUsage);
    std::string error;
    if (!ReadPictureInfo(gPath, gInfo, error)) {
      std::fprintf(stderr, "bmp_viewer: %s\n", error.c_str());
      return 1;
    }
    const std::string logFolder = platform::ExecutableFolder();
    if (::access(logFolder.c_str(), W_OK) != 0) {
      gLogWritable = false;
      std::fprintf(stderr, "bmp_viewer: brin.debug cannot be written in %s; loading problems are reported here\n",
                   logFolder.c_str());
    }
    const int status = platform::RunProgram("bmp_viewer", ViewerForm);
    return status != 0 ? status : gExitStatus;
  });
}
