// TForm1: the game's one window. It carries the library's three components
// (display, input, sound) and the screen-mode menu, owns the game state, and
// runs the game from the application's idle event, one frame per call,
// paced to 20 ms on the tick counter.
//
// The constructor plays the part of the stored form description: the form's
// own properties and handlers first, then each component with its stored
// properties. The display component builds the display when the form raises
// its create event and then calls Brin1Init, which loads the sheets, the
// sprite table, the sounds and the ranking and starts the frames.
//
// The sheets cg2/cg3, the waves and ranking.txt are opened by bare name, so
// the program runs in its own folder (tools/run starts it there); cg1.bmp is
// read from the program's folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "display/brin.h"
#include "game/game.h"
#include "input/brin_input.h"
#include "platform/forms.h"
#include "sound/brin_sound.h"
#include "surfaces/brin_surface.h"

// The game's controls read through the input component: the first joystick
// with the keyboard merged over it.
class TJoyPad : public TGamePad {
 public:
  void Poll() override;
  int DirectionX() const override { return static_cast<int>(direction_.X); }
  int DirectionY() const override { return static_cast<int>(direction_.Y); }
  bool ButtonDown(int Index) const override { return Joy->ButtonDown(Index); }

  // The component read; set by the form once it has made it.
  TBrinInput* Joy = nullptr;

 private:
  TBrinInputDirection direction_{};
};

// Frame-start times, for measuring the pace from outside: once opened, each
// frame's start (the end of the wait before it) is written as microseconds
// on the back end's clock, a line each and flushed at once, so a reader can
// follow a running game. Nothing is allocated after Open.
class TFrameLog {
 public:
  TFrameLog() = default;
  ~TFrameLog();
  TFrameLog(const TFrameLog&) = delete;
  TFrameLog& operator=(const TFrameLog&) = delete;

  // False when the file cannot be made.
  bool Open(const std::string& path);
  void Mark() {
    if (file_) Write();
  }

 private:
  void Write();
  std::FILE* file_ = nullptr;
  char buffer_[64] = {};
};

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* AOwner);
  // Runs FormDestroy while the form's fields still exist (the framework's
  // own OnDestroy comes from the base class, after they are gone).
  ~TForm1() override;

  // --- components and menu ------------------------------------------------------
  TMainMenu* MainMenu1;
  TMenuItem* S1;
  TMenuItem* W1;
  TMenuItem* F1;
  TBrin* Brin1;
  TBrinInput* Joy;
  TBrinSound* BrinSound1;

  // --- fields -------------------------------------------------------------------------
  std::unique_ptr<TBrinSurface> Sheet1;
  std::unique_ptr<TBrinSurface> Sheet2;
  std::unique_ptr<TBrinSurface> Sheet3;
  // The program file's folder, with its trailing separator.
  std::string ExeDir;
  // Tick count (ms) at which the previous frame's wait ended.
  std::uint32_t LastTick = 0;
  // FrameWait spins on the tick counter for the whole wait instead of
  // sleeping until just before the frame is due. Frames start on the same
  // ticks either way; spinning keeps a core busy.
  bool BusyWait = false;
  TFrameLog FrameLog;
  // The first sheet, and the palette of the 8-bit full-screen mode.
  std::string PaletteFileName = "cg1.bmp";
  TGame Game;

  // --- handlers ---------------------------------------------------------------------
  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void Brin1Init(TObject* Sender, bool fNeedChange);
  void Brin1Restore(TObject* Sender);
  void Brin1ChangeDisplayMode(TObject* Sender);
  void W1Click(TObject* Sender);
  void F1Click(TObject* Sender);
  // One frame; leaves Done false so the application calls again at once.
  void AppIdle(TObject* Sender, bool& Done);

  // --- published methods ----------------------------------------------------------
  // Waits until INTERVAL ms have passed since the previous frame's wait
  // ended (32-bit tick arithmetic, so the counter's wrap is harmless):
  // sleeps while more than a fraction of a millisecond remains, unless
  // BusyWait, then polls the tick counter.
  void FrameWait(std::int32_t Interval);
  bool DataLoad() { return Game.DataLoad(); }
  bool DataSave() { return Game.DataSave(); }

 private:
  TJoyPad pad_;
  bool destroyed_ = false;
};

// The program's main form, while it exists.
extern TForm1* Form1;
