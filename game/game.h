// TGame: the whole of Zornack's state and rules, apart from the window.
//
// The game keeps everything in fixed tables: one slot per object (0-719),
// which is at once the object's entry in the sprite table and its record in
// Slots. Ranges of slot numbers stand for kinds of object:
//
//     0-59     text and the status display      550-559  laser parts
//     70-149   particles (sparks, bursts)        560-639  blocks
//     150-549  enemy bullets                     640-689  player shots
//     694      the player's shield               695      the player
//
// The sprite table draws lower entry numbers over higher ones, so text lies
// over everything and the ship lies under everything.
//
// Units: positions and speeds in thousandths of a pixel (per frame), angles
// in radians with y pointing down (3*pi/2 points up), durations in frames.
//
// The form (main_form.h) owns one TGame and wires it to the library's
// components: the sprite table, a pad (the input component) and the sound
// component. A test builds a fresh game in one line and gives it a table and
// a scripted pad; nothing here touches the display.
//
// The routines are split over several files by subject:
//   slots.cpp          object slots, motion, overlap, angles, Random
//   sprite_text.cpp    ShowText, ShowScrollingText
//   ranking.cpp        the ranking tables and ranking.txt
//   sound_requests.cpp SetupSounds, RequestSound, UpdateSounds, FreeSounds
//   hud.cpp            UpdateCombo, DrawHud
//   blocks.cpp         blocks: spawning, motion, destruction
//   stages.cpp         NextStage, placement routines, the two stage tables
//   player.cpp         PlayerControl, shots, laser, shield, hits, lives
//   bullets.cpp        enemy bullets and their four patterns
//   bombs.cpp          UseBomb, UpdateBomb, ShowBombName
//   particles.cpp      sparks and bursts
//   scenes.cpp         the four scenes and the menu input
//   shapes.cpp         the sprite table and its shapes (cells in shape_table.h)
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "game/shape_table.h"

class TBrinSprite;
class TBrinSprReg;
class TBrinSound;
class TBrinSoundWaveData;
class TBrinGenSurface;

// What the game reads from its controls: the first joystick with the
// keyboard merged over it. The form's pad reads the input component; tests
// script one.
class TGamePad {
 public:
  virtual ~TGamePad() = default;
  // Reads the devices once; the answers below hold until the next Poll.
  virtual void Poll() = 0;
  // Signs (-1, 0, +1) of the X and Y axes.
  virtual int DirectionX() const = 0;
  virtual int DirectionY() const = 0;
  // Button 0 fires and confirms, 1 switches spread and laser (and cancels
  // in menus), 2 sets off a bomb.
  virtual bool ButtonDown(int Index) const = 0;
};

// The game state of one slot (the drawn state lives in its sprite entry).
struct TSlotState {
  bool Active = false;
  std::int32_t Kind = 0;   // meaning set by the owner of the range
  std::int32_t Age = 0;    // motion steps since spawned
  std::int32_t FixX = 0;   // top-left, thousandths of a pixel
  std::int32_t FixY = 0;
  std::int32_t VelX = 0;   // thousandths of a pixel per step
  std::int32_t VelY = 0;
  std::int32_t AccX = 0;   // added to the velocity by Accelerate
  std::int32_t AccY = 0;
  bool Vanishing = false;  // an enemy bullet playing its vanishing animation
  std::int32_t Timer = 0;  // frames of life left (0: no limit)
};

// Scene numbers.
enum : std::int32_t { kSceneTitle = 0, kSceneRanking = 2, kSceneBombSelect = 9, kScenePlay = 10 };

class TGame {
 public:
  static constexpr int kSlotCount = 720;
  static constexpr int kShapeCount = shape::kCount;
  static constexpr int kScreenWidth = 640;
  static constexpr int kScreenHeight = 480;

  // Slot ranges.
  static constexpr int kFirstParticle = 70, kLastParticle = 149;
  static constexpr int kFirstBullet = 150, kLastBullet = 549;
  static constexpr int kFirstLaser = 550, kLastLaser = 559;
  static constexpr int kFirstBlock = 560, kLastBlock = 639;
  static constexpr int kFirstShot = 640, kLastShot = 689;
  static constexpr int kShieldSlot = 694;
  static constexpr int kPlayerSlot = 695;

  static constexpr int kSoundCount = 5;
  static constexpr int kWaveCount = 10;
  static constexpr int kRankingSize = 60;

  TGame();
  ~TGame();
  TGame(const TGame&) = delete;
  TGame& operator=(const TGame&) = delete;

  // --- wiring -----------------------------------------------------------------
  // The sprite table: 720 entries, 400 shapes. Made by CreateSprites; the
  // game owns it.
  std::unique_ptr<TBrinSprite> Sprites;
  // Where input comes from; must be set before a menu or play frame runs.
  TGamePad* Pad = nullptr;
  // The sound component; null runs the game silent (requests are still
  // counted, nothing is played).
  TBrinSound* Sound = nullptr;
  // The folder the waves are read from, with its trailing '/'; empty: the
  // current folder.
  std::string SoundFolder;
  // Told of a wave that could not be loaded (its file name and the sound
  // component's reason); the game plays on without that sound.
  std::function<void(const std::string& FileName, const std::string& Reason)> OnSoundMissing;
  // Called when the game asks the program to end (the title's EXIT, Escape
  // on the title). The form tells the application to terminate.
  std::function<void()> OnTerminate;

  // --- shape table (shapes.cpp) ----------------------------------------------
  // Sprites := a new table of 720 entries and 400 shapes.
  void CreateSprites();
  // Registers every shape of the game on the three sheets (null sheets give
  // shapes with a size that are never drawn, which is what logic tests need).
  void RegisterShapes(TBrinGenSurface* Sheet1, TBrinGenSurface* Sheet2, TBrinGenSurface* Sheet3);
  // BlockMaxHP by kind: 10, 50, 200, 500 for each size.
  void FillBlockMaxHP();

  // --- slots and motion (slots.cpp) --------------------------------------------
  TBrinSprReg& Sprite(std::int32_t i);
  void SpawnSlot(std::int32_t i, std::int32_t x, std::int32_t y);
  void SetSlotPos(std::int32_t i, std::int32_t x, std::int32_t y);
  void CenterSlot(std::int32_t i);
  void KillSlot(std::int32_t i);
  void KillSlots(std::int32_t first, std::int32_t count);
  std::int32_t FindFree(std::int32_t first, std::int32_t last) const;
  std::int32_t FindActive(std::int32_t first, std::int32_t last) const;
  std::int32_t CountActive(std::int32_t first, std::int32_t last) const;
  void MoveSlot(std::int32_t i);
  void StepBack(std::int32_t i, std::int32_t sx, std::int32_t sy);
  void Accelerate(std::int32_t i);
  void SetVelocity(std::int32_t i, std::int32_t vx, std::int32_t vy);
  void SetAcceleration(std::int32_t i, std::int32_t ax, std::int32_t ay);
  void SetVelocityPolar(std::int32_t i, std::int32_t speed, double angle);
  std::int32_t CenterX(std::int32_t i);
  std::int32_t CenterY(std::int32_t i);
  double AngleBetween(std::int32_t a, std::int32_t b);
  std::int32_t FindOverlap(std::int32_t a, std::int32_t first, std::int32_t last);
  // 0 <= r < n from the game's fixed generator (seed 0 at start).
  std::int32_t Random(std::int32_t n);
  static double DegToRad(double d);

  // --- sprite text (sprite_text.cpp) ------------------------------------------
  // Texts are single-byte codes 32-127. Callers that build a text each frame
  // format it into a fixed buffer: a frame allocates nothing.
  void ShowText(std::int32_t First, std::int32_t Count, std::string_view Text);
  void ShowScrollingText(std::int32_t First, std::int32_t Count, std::int32_t Offset, std::string_view Text);

  // --- ranking (ranking.cpp) ------------------------------------------------------
  // The file's name; a bare name, so it lives in the current directory.
  std::string RankingFileName = "ranking.txt";
  void DefaultRanking();
  // Reads the file into Ranking; false when it cannot be read as exactly 60
  // decimal lines. Every valid line is kept, the rest get their defaults.
  bool DataLoad();
  // Writes Ranking to the file; false when it could not be written whole
  // (the old file is then left as it was).
  bool DataSave();
  // Start-up: creates the file with the defaults when missing, then loads it.
  void PrepareRanking();
  void InsertRanking(std::int32_t mode, std::int64_t value);

  // --- sounds (sound_requests.cpp) -----------------------------------------------
  // Loads the five waves onto their channels. A wave the component refuses
  // (with its exception switch on) or loads without a buffer is left out and
  // reported to OnSoundMissing; its channels stay silent.
  void SetupSounds();
  void RequestSound(std::int32_t FirstChannel, std::int32_t ChannelCount, std::int32_t SoundNumber);
  void UpdateSounds();
  void FreeSounds();

  // --- scoring and status display (hud.cpp) ------------------------------------
  void UpdateCombo();
  void DrawHud();

  // --- blocks and stages (blocks.cpp, stages.cpp) ------------------------------
  void SpawnBlock(std::int32_t kind, std::int32_t x, std::int32_t y, std::int32_t speed, double angle);
  void MoveBlocks();
  void CheckBlockDestroyed(std::int32_t b);
  void NextStage();
  void PlaceRow(std::int32_t kind, std::int32_t n, std::int32_t gap, std::int32_t y);
  void PlaceColumn(std::int32_t kind, std::int32_t n, std::int32_t gap, std::int32_t x, std::int32_t y);
  void PlaceSlantedRow(std::int32_t kind, std::int32_t n, std::int32_t gap, std::int32_t y, std::int32_t dy);
  // Places the blocks of stage STAGE (1-25) of AREA (1 or 2); false for any
  // other stage number.
  bool BuildStage(std::int32_t area, std::int32_t stage);

  // --- player, shots, laser, shield (player.cpp) -------------------------------
  void PlayerControl();
  void FireSpread();
  void FireLaser();
  void UpdateLaser();
  void StopLaser();
  void MoveShots();
  void ShotsHitBlocks();
  void LaserHitsBlocks();
  void AddShield(std::int32_t n);
  void UpdateShield();
  void CheckBlockHit();
  void CheckBulletHits();
  void LoseLife();

  // --- particles (particles.cpp) ------------------------------------------------
  void SpawnShotSpark(std::int32_t x, std::int32_t y);
  void SpawnLaserSpark(std::int32_t x, std::int32_t y);
  void SpawnBurst(bool big);
  void MoveParticles();

  // --- bombs (bombs.cpp) ---------------------------------------------------------
  void UseBomb(std::int32_t kind);
  void UpdateBomb();
  void ShowBombName();
  static const char* BombName(std::int32_t kind);

  // --- enemy bullets (bullets.cpp) ---------------------------------------------
  void SpawnBullet(std::int32_t x, std::int32_t y, std::int32_t speed, double angle);
  void MoveBullets();
  void VanishBullets();
  void FireAimedLine(std::int32_t b);
  void FireRing(std::int32_t b);
  void FireSpiral(std::int32_t b);
  void FireSpray(std::int32_t b);
  void FireStepped(std::int32_t b, std::int32_t n, std::int32_t speed, double angle, std::int32_t dSpeed,
                   double dAngle);
  void FireCircle(std::int32_t b, std::int32_t n, std::int32_t speed, double angle);
  void FireScatter(std::int32_t b, std::int32_t n, std::int32_t base, double angle, double spread, double width);

  // --- scenes (scenes.cpp) --------------------------------------------------------
  // Runs the current scene's frame, then enters a new scene if it changed:
  // steps 2-4 of the form's frame.
  void RunScene();
  void EnterScene(std::int32_t s);
  void ReadMenuInput(std::int32_t MaxColumn, std::int32_t MaxRow);
  void ResetGame();
  void ResetTitle();
  void SetupTitle();
  void TitleFrame();
  void ResetRanking();
  void SetupRanking();
  void RankingFrame();
  void ShowRankingMode(std::int32_t y);
  void ResetBombSelect();
  void SetupBombSelect();
  void BombSelectFrame();
  void SetupPlay();
  void PlayFrame();
  void CheckGameOver();
  void UpdateGameOver();
  // Escape: back to the title, or on the title ask the program to end.
  void EscapePressed();

  // --- state ---------------------------------------------------------------------
  std::array<TSlotState, kSlotCount> Slots{};
  std::uint32_t RandSeed = 0;
  std::int32_t ExitCount = 0;

  std::int32_t Scene = kSceneTitle;
  std::int32_t PrevScene = kSceneTitle;
  std::int32_t FrameCount = 0;

  // Menus.
  std::int32_t MenuColumn = 0;
  std::int32_t MenuRow = 0;
  std::int32_t MenuDecision = 0;
  std::int32_t PrevAxisX = 0;
  std::int32_t PrevAxisY = 0;
  std::array<bool, 16> PrevButtons{};
  std::int32_t Area = 1;
  std::int32_t CreditScroll = 0;
  std::int32_t DemoTime = 0;

  // Blocks and stages.
  std::array<std::int32_t, 16> BlockMaxHP{};
  std::array<std::int32_t, kSlotCount> BlockHP{};  // used for 560-639
  std::int32_t BlockShapeBase = 200;
  std::int32_t StageNumber = 0;
  std::int32_t RoundNumber = 1;
  std::int32_t BlocksLeft = 0;

  // Player.
  std::int32_t PlayerCenterX = 0;
  std::int32_t PlayerCenterY = 0;
  std::array<std::int32_t, 3> HeldFrames{};  // 1 and 2 used
  bool LaserMode = false;
  bool LaserOn = false;
  std::int32_t ShotCooldown = 0;
  std::int32_t ShieldTime = 250;
  std::int32_t LivesLeft = 3;
  std::int32_t BombKind = 0;
  std::int32_t BombsLeft = 3;
  std::int32_t BombTime = 0;
  double SpiralAngle = 0.0;
  bool GameOver = false;
  std::int32_t GameOverTime = 0;

  // Scoring.
  std::int64_t Score = 0;
  std::int32_t Multiplier = 100;
  std::int32_t ComboHits = 0;
  std::int32_t ComboTimer = 0;
  bool ComboBonusArmed = true;
  std::int32_t BestMultiplier = 0;
  std::int32_t BestComboHits = 0;
  bool BlockDestroyed = false;
  std::int32_t StageBannerTime = 0;

  // Ranking: 30 * (area - 1) + 10 * mode + rank.
  std::array<std::int64_t, kRankingSize> Ranking{};
  // The last DataLoad found a file it could not take over whole; the next
  // DataSave keeps a copy of it (RankingFileName + ".bad") before replacing it.
  bool RankingDamaged = false;
  // A game's result entered a table since the form last looked; the form
  // writes the file then, and clears the flag.
  bool RankingChanged = false;

  // Sounds.
  std::array<TBrinSoundWaveData*, kWaveCount> Waves{};
  std::array<std::int32_t, kSoundCount> SoundLength{};
  std::array<std::int32_t, 51> ChannelBusy{};
  std::array<bool, 52> PlayRequest{};
};
