// TForm1: start-up, the frame loop, the key and menu handlers, the display
// events and shutdown.
#include "game/main_form.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/system.h"
#include "platform/vk.h"
#include "platform/window.h"
#include "surfaces/brin_sprite.h"

TForm1* Form1 = nullptr;

namespace {

// How long before a frame is due the sleeping wait wakes to poll the tick
// counter: about as late as the SDL back end's sleeps wake (some 40-50 us,
// p50), so that a wake lands close to the tick's turn and little polling is
// left. A wake later than that by less than a millisecond still starts the
// frame on the tick the busy loop would have started it on.
constexpr DWORD kWakeMarginUs = 50;

}  // namespace

TFrameLog::~TFrameLog() {
  if (file_) std::fclose(file_);
}

bool TFrameLog::Open(const std::string& path) {
  if (file_) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "w");
  if (file_) std::setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
  return file_ != nullptr;
}

void TFrameLog::Write() {
  std::fprintf(file_, "%llu\n", static_cast<unsigned long long>(platform::NowMicroseconds()));
  std::fflush(file_);
}

void TJoyPad::Poll() {
  Joy->Update({2, 0});
  Joy->GetDirection(direction_);
}

TForm1::TForm1(TComponent* AOwner, TZornackSettings ASettings) : TForm(AOwner), Settings(std::move(ASettings)) {
  BusyWait = Settings.BusyWait;
  if (!Settings.FrameLogFile.empty() && !FrameLog.Open(Settings.FrameLogFile)) {
    Warn("the frame log " + Settings.FrameLogFile + " cannot be written");
  }
  SetCaption("Zornack");
  SetBounds(0, 0, 648, 526);
  SetPosition(poScreenCenter);
  SetBorderIcons({biSystemMenu, biMinimize});
  // The display component takes these over when it is made and calls them
  // from its own hooks, so they are set first.
  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
  OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
  OnKeyDown = [this](TObject* Sender, WORD& Key, TShiftState Shift) { FormKeyDown(Sender, Key, Shift); };

  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  S1 = new TMenuItem(this);
  S1->Name = "S1";
  S1->SetCaption("画面モード(&S)");
  W1 = new TMenuItem(this);
  W1->Name = "W1";
  W1->SetCaption("ウィンドウ内(&W)");
  W1->SetScreenModeRole(platform::MenuRole::WindowMode);
  W1->OnClick = [this](TObject* Sender) { W1Click(Sender); };
  F1 = new TMenuItem(this);
  F1->Name = "F1";
  F1->SetCaption("フルスクリーン(&F)");
  F1->SetScreenModeRole(platform::MenuRole::FullScreenMode);
  F1->OnClick = [this](TObject* Sender) { F1Click(Sender); };
  MainMenu1->Items()->Add(S1);
  S1->Add(W1);
  S1->Add(F1);
  SetMenu(MainMenu1);

  Brin1 = new TBrin(this);
  Brin1->Name = "Brin1";
  Brin1->SetDebugOption({broHaltOnError});
  Brin1->BackColor = 16;
  Brin1->SetDisableScreenSaver(true);
  Brin1->Use3D = false;
  Brin1->D3DOptions = {};
  Brin1->VsyncAtWindowed = true;
  Brin1->OnInit = [this](TObject* Sender, bool fNeedChange) { Brin1Init(Sender, fNeedChange); };
  Brin1->OnRestore = [this](TObject* Sender) { Brin1Restore(Sender); };
  Brin1->OnChangeDisplayMode = [this](TObject* Sender) { Brin1ChangeDisplayMode(Sender); };

  Joy = new TBrinInput(this);
  Joy->Name = "Joy";
  Joy->SetDebugOption({dioHaltOnError});

  BrinSound1 = new TBrinSound(this);
  BrinSound1->Name = "BrinSound1";
  BrinSound1->SetDebugOption({dsoHaltOnError});
  BrinSound1->ChannelCount = 50;

  pad_.Joy = Joy;
  Game.Pad = &pad_;
  Game.Sound = BrinSound1;
  Game.OnTerminate = [] { Application->Terminate(); };
  Recorder.Keeper.OnWarning = [this](const std::string& line) { Warn(line); };
  Game.OnSoundMissing = [this](const std::string& fileName, const std::string& reason) {
    Warn("the sound " + fileName + " could not be loaded from " + DataDir + " (" + reason + "); playing on without it");
  };
}

TForm1::~TForm1() {
  DoDestroy();
  // The idle handler runs frames on this form; nothing may call it now.
  if (Application) Application->OnIdle = nullptr;
  if (Form1 == this) Form1 = nullptr;
}

// --- start-up ----------------------------------------------------------------------

void TForm1::FormCreate(TObject*) {
  LastTick = GetTickCount();
  DataDir = Settings.DataFolder;
  if (DataDir.empty()) {
    const std::string exeName = Application->ExeName();
    DataDir = exeName.substr(0, exeName.rfind('/') + 1);
  }
  Game.ResetGame();
  Game.PrevAxisX = 0;
  Game.PrevAxisY = 0;
  Game.PrevButtons.fill(false);
}

void TForm1::Brin1Init(TObject*, bool) {
  Sheet1 = LoadSheet(PaletteFileName);
  Sheet2 = LoadSheet("cg2.bmp");
  Sheet3 = LoadSheet("cg3.bmp");
  Brin1->BackColor = Brin1->PrimarySurface->ColorMatch(RGB(0, 0, 0));

  Game.CreateSprites();
  // A wave that cannot be loaded is left out with a warning rather than
  // ending the game: the component raises instead of halting meanwhile.
  if (!BrinSound1->Initialized) Warn("no sound device is available; playing without sound");
  BrinSound1->SetDebugOption({dsoExceptOnError});
  Game.SoundFolder = DataDir;
  Game.SetupSounds();
  BrinSound1->SetDebugOption({dsoHaltOnError});
  Game.RegisterShapes(Sheet1.get(), Sheet2.get(), Sheet3.get());
  Game.FillBlockMaxHP();
  Game.PrepareRanking();
  Recorder.Open();

  // Scene and PrevScene are both the title: the first frame runs it
  // without entering it again.
  Game.ResetGame();
  Game.ResetBombSelect();
  Game.ResetTitle();
  Game.SetupTitle();
  ShowCursor(FALSE);
  Application->OnIdle = [this](TObject* Sender, bool& Done) { AppIdle(Sender, Done); };
}

// --- the frame ----------------------------------------------------------------------

void TForm1::AppIdle(TObject*, bool& Done) {
  Brin1->Clear();
  Game.RunScene();
  // A game's results are written as soon as they enter the ranking, not
  // only when the form is destroyed: a halt on a failed platform call ends
  // the process without that, and would take them along. Tried once per
  // change; the save at the end tries again.
  if (Game.RankingChanged) {
    Game.RankingChanged = false;
    SaveRanking();
  }
  Game.Sprites->DrawAll();
  Brin1->Flip();
  Game.FrameCount += 1;
  Game.UpdateSounds();
  Recorder.FrameDone(Game);
  FrameWait(20);
  FrameLog.Mark();
  Done = false;
}

bool TForm1::WatchReplay(const TReplay& replay, int speed, TReplayTrace* trace, std::string& reason) {
  auto run = std::make_unique<TReplayRun>(replay, Game);
  run->Trace = trace;
  if (!run->Start(reason)) return false;
  watch_ = std::move(run);
  watchSpeed_ = speed;
  Recorder.Enabled = false;
  Application->OnIdle = [this](TObject* Sender, bool& Done) { WatchIdle(Sender, Done); };
  return true;
}

void TForm1::WatchIdle(TObject*, bool& Done) {
  Brin1->Clear();
  for (int i = 0; i < watchSpeed_; ++i) {
    if (!watch_->Step()) break;
  }
  Game.Sprites->DrawAll();
  Brin1->Flip();
  FrameWait(20);
  if (watch_->Done()) Application->Terminate();
  Done = false;
}

void TForm1::FrameWait(std::int32_t Interval) {
  // With BusyWait the wait is all polling until the interval has passed.
  // Otherwise it first gives the processor back until just before the tick
  // that ends it, then polls the same way, so frames start on the same ticks.
  std::uint32_t now = GetTickCount();
  if (!BusyWait && static_cast<std::int64_t>(now - LastTick) < Interval) {
    SleepBeforeTick(LastTick + static_cast<std::uint32_t>(Interval), kWakeMarginUs);
    now = GetTickCount();
  }
  while (static_cast<std::int64_t>(now - LastTick) < Interval) now = GetTickCount();
  LastTick = now;
}

// --- keys and menu ----------------------------------------------------------------

void TForm1::FormKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key != VK_ESCAPE) return;
  if (watch_) {
    Application->Terminate();
    return;
  }
  Recorder.KeyMessage(Key);
  Game.EscapePressed();
}

void TForm1::W1Click(TObject*) { Brin1->ChangeToWindow(640, 480); }

void TForm1::F1Click(TObject*) { Brin1->ChangeToFullScreen(640, 480, 8, 0, ""); }

// --- display events -----------------------------------------------------------------

void TForm1::Brin1Restore(TObject*) {
  Brin1->LoadPaletteFromBMP(DataDir + PaletteFileName);
  Brin1->UpdatePalette();
}

void TForm1::Brin1ChangeDisplayMode(TObject*) {
  // The pixel format may have changed under the first sheet; the others
  // keep the keys they had.
  Sheet1->SetColorKey(Sheet1->GetPixel(0, 0));
  SetClientWidth(640);
  SetClientHeight(480);
}

// --- shutdown -------------------------------------------------------------------------

void TForm1::FormDestroy(TObject*) {
  // A watched replay's results are not the player's.
  if (!watch_) {
    Recorder.Close(Game);
    SaveRanking();
  }
  Game.Sprites.reset();
  Game.FreeSounds();
}

// --- what the player is told ---------------------------------------------------------

void TForm1::Warn(const std::string& line) {
  if (Settings.Warn) {
    Settings.Warn(line);
  } else {
    std::fprintf(stderr, "zornack: warning: %s\n", line.c_str());
  }
}

void TForm1::FailToStart(const std::string& text) {
  std::fprintf(stderr, "zornack: %s\n", text.c_str());
  std::fflush(stderr);
  ::MessageBoxA(Handle(), text.c_str(), "Zornack", MB_OK | MB_ICONERROR);
  std::exit(1);
}

std::unique_ptr<TBrinSurface> TForm1::LoadSheet(const std::string& FileName) {
  auto sheet = std::make_unique<TBrinSurface>(Brin1, 256, 256, 0);
  sheet->LoadFromFile(DataDir + FileName);
  if (!sheet->LoadError.empty()) {
    FailToStart("the picture " + FileName + " could not be loaded from " + DataDir + " (" + sheet->LoadError + ")");
  }
  // The top-left pixel has the colour that is to be transparent.
  sheet->SetColorKey(sheet->GetPixel(0, 0));
  return sheet;
}

void TForm1::SaveRanking() {
  if (Game.DataSave()) return;
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::current_path(error);
  Warn("the ranking could not be saved in " + (folder / "ranking.txt").string());
}
