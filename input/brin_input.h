// TBrinInput: the input component. It opens the keyboard, the mouse and
// every attached joystick through DirectInput and folds whichever devices
// the caller names into one state laid out like DIJOYSTATE, so that the game
// reads button 0 or the X axis without caring whether a key or a joystick
// produced it.
//
// Device numbers: 0 is the keyboard, 1 the mouse, 2 + n joystick n. The game
// calls Update({2, 0}) once per frame (the first joystick, then the
// keyboard over it) and then reads GetDirection and ButtonDown; none of the
// three allocates.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "input/brin_input_log.h"
#include "platform/dinput.h"
#include "platform/forms.h"

enum TBrinInDebugOptionItem { dioHaltOnError, dioDebugMessage, dioExceptOnError };
using TBrinInDebugOption = TSet<TBrinInDebugOptionItem>;

// GetDirection's answer: the signs (-1, 0, +1) of the merged state's eight
// axes, then its four points of view as they are.
struct TBrinInputDirection {
  LONG X;
  LONG Y;
  LONG Z;
  LONG RX;
  LONG RY;
  LONG RZ;
  LONG Slider[2];
  LONG POV[4];
};

class TBrinInput : public TComponent {
 public:
  static constexpr int kMaxJoysticks = 16;
  static constexpr int kKeyMapSize = 40;  // 32 buttons, then up, down, left, right and the diagonals

  explicit TBrinInput(TComponent* AOwner);
  ~TBrinInput() override;
  void Loaded() override;

  // --- published properties (stored in the form description) ---------------
  TBrinInDebugOption DebugOption() const { return debugOption_; }
  // Stores the set and sets the module's halt, message and exception
  // switches from it: the last value set applies to every instance.
  void SetDebugOption(TBrinInDebugOption option);
  int DeadZone = 5;  // percent, applied to the joystick axes
  bool AutoInitialize = true;
  bool BackGround = false;  // keyboard and joysticks also read while the window is behind

  // --- operations --------------------------------------------------------------
  // Opens every device, releasing what an earlier call opened.
  void Initialize();
  // Polls the devices in order into State: the first clears it, the others
  // add to it. True when at least one was read; an empty list changes nothing.
  bool Update(std::initializer_list<int> Devices) { return Update(Devices.begin(), Devices.size()); }
  bool Update(const int* Devices, std::size_t Count);
  // Polls one device; false when it does not exist or could not be read.
  bool UpdateDevice(int Device, bool Accumulate);
  void GetDirection(TBrinInputDirection& Direction) const;
  // Whether button INDEX (0 to 31) is down in State.
  bool ButtonDown(int Index) const;
  // The joystick dead zone on one axis value (DeadZone percent of the
  // travel, the rest stretched back to the full range).
  LONG ApplyDeadZone(LONG Value) const;

  // --- what the component holds --------------------------------------------------
  const DIJOYSTATE& State() const { return state_; }
  IDirectInputA* DirectInput() const { return directInput_; }
  IDirectInputDeviceA* KeyboardDevice() const { return keyboard_; }
  IDirectInputDeviceA* MouseDevice() const { return mouse_; }
  int JoystickCount() const { return joystickCount_; }
  IDirectInputDevice2A* Joysticks(int index) const;
  const std::vector<std::string>& JoystickNames() const { return joystickNames_; }
  bool JoystickForceFeedback(int index) const;
  DWORD PrimaryKeys(int index) const;
  DWORD SecondaryKeys(int index) const;

 private:
  static BOOL CALLBACK EnumJoystickCallback(LPCDIDEVICEINSTANCEA instance, LPVOID context);
  void EnumJoystick(const DIDEVICEINSTANCEA& instance);
  void ReleaseDevices();
  void FillKeyMaps();
  HWND Window() const;
  bool ReadKeyboard();
  bool ReadMouse();
  bool ReadJoystick(int index, bool accumulate);

  TBrinInDebugOption debugOption_;
  IDirectInputA* directInput_ = nullptr;
  IDirectInputDeviceA* keyboard_ = nullptr;
  IDirectInputDeviceA* mouse_ = nullptr;
  std::array<IDirectInputDevice2A*, kMaxJoysticks> joysticks_{};
  int joystickCount_ = 0;
  std::vector<std::string> joystickNames_;
  std::array<bool, kMaxJoysticks> joystickForceFeedback_{};
  bool forceFeedbackPass_ = false;
  std::array<DWORD, kKeyMapSize> primaryKeys_{};
  std::array<DWORD, kKeyMapSize> secondaryKeys_{};
  DIJOYSTATE state_{};
};
