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
// The sheets and the waves are read from the data folder the program
// resolved at start-up (TZornackSettings); ranking.txt is opened by bare
// name, in the current folder, which the program makes the user folder.
//
// Every game is recorded into replays/ beside ranking.txt
// (replay_recorder.h). A form told to watch a replay plays it instead: its
// game starts from the replay's state, the replay's pad stands in for the
// controls, Escape ends the program, and nothing is recorded or saved.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "display/brin.h"
#include "game/game.h"
#include "game/replay.h"
#include "game/replay_recorder.h"
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

// What the program decided before it made the form.
struct TZornackSettings {
  // The folder of the sheets and waves, with its trailing '/'; empty: the
  // program's own folder.
  std::string DataFolder;
  // One line for the player about something that went wrong but lets the
  // game go on (a sound left out, a ranking not saved); null: stderr.
  std::function<void(const std::string& line)> Warn;
  // FrameWait spins on the tick counter for the whole wait (--busy-wait).
  bool BusyWait = false;
  // Where to write each frame's start time, for measuring the pace from
  // outside (ZORNACK_FRAME_LOG); empty: nowhere.
  std::string FrameLogFile;
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
  explicit TForm1(TComponent* AOwner, TZornackSettings Settings = {});
  // Raises OnDestroy (FormDestroy) while the form's fields still exist;
  // the base class would raise it only after they are gone.
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
  // The folder the sheets and waves are read from, with its trailing '/'.
  std::string DataDir;
  TZornackSettings Settings;
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
  TReplayRecorder Recorder{"replays"};

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

  // --- watching a replay -----------------------------------------------------------
  // From the next frame on, plays REPLAY (which must outlive the form),
  // SPEED frames of it per frame shown, tracing each into TRACE when set;
  // the program ends with the replay. False with REASON when its state
  // cannot be restored. Called once the form is created.
  bool WatchReplay(const TReplay& replay, int speed, TReplayTrace* trace, std::string& reason);
  // The frame while a replay is watched.
  void WatchIdle(TObject* Sender, bool& Done);

  // --- published methods ----------------------------------------------------------
  // Waits until INTERVAL ms have passed since the previous frame's wait
  // ended (32-bit tick arithmetic, so the counter's wrap is harmless):
  // sleeps while more than a fraction of a millisecond remains, unless
  // BusyWait, then polls the tick counter.
  void FrameWait(std::int32_t Interval);
  bool DataLoad() { return Game.DataLoad(); }
  bool DataSave() { return Game.DataSave(); }

 private:
  void Warn(const std::string& line);
  // A sheet that did not load leaves a game without pictures: the player is
  // told in a message box and on stderr, and the program ends with status 1.
  [[noreturn]] void FailToStart(const std::string& text);
  // Loads FILENAME from the data folder into a new 256 x 256 sheet keyed by
  // its top-left pixel, or fails to start.
  std::unique_ptr<TBrinSurface> LoadSheet(const std::string& FileName);
  void SaveRanking();

  TJoyPad pad_;
  std::unique_ptr<TReplayRun> watch_;
  int watchSpeed_ = 1;
};

// The program's main form, while it exists.
extern TForm1* Form1;
