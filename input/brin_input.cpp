#include "input/brin_input.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr char kCreateFailed[] = "DirectInputの作成に失敗しました";
constexpr char kKeyboardDeviceFailed[] = "DirectInputDevice(キーボード)の作成に失敗しました";
constexpr char kKeyboardFormatFailed[] = "DirectInputDeviceのデータフォーマット(キーボード)の指定に失敗しました";
constexpr char kCooperativeLevelFailed[] = "DirectInputDeviceの協調レベルの設定に失敗しました";
constexpr char kMouseDeviceFailed[] = "DirectInputDevice(マウス)の作成に失敗しました";
constexpr char kMouseFormatFailed[] = "DirectInputDeviceのデータフォーマット(マウス)の指定に失敗しました";
constexpr char kJoystickFormatFailed[] = "DirectInputDeviceのデータフォーマット(ジョイスティック)の指定に失敗しました";
constexpr char kTwoOnOneForm[] = "BrinInputコンポーネントを、同一フォームに2つ以上貼る事はできません";

constexpr DWORD kDirectInputVersion = 0x0500;
constexpr LONG kKeyAxis = 32767;

// Key-map entries 32 to 39: the directions.
enum Direction { kUp = 32, kDown, kLeft, kRight, kUpLeft, kUpRight, kDownLeft, kDownRight };

// Offsets of the eight axes in DIJOYSTATE.
constexpr DWORD kAxisOffsets[] = {DIJOFS_X,  DIJOFS_Y,  DIJOFS_Z,         DIJOFS_RX,
                                  DIJOFS_RY, DIJOFS_RZ, DIJOFS_SLIDER(0), DIJOFS_SLIDER(1)};

LONG Sign(LONG v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

template <typename T>
void Release(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

template <typename T>
void UnacquireAndRelease(T*& device) {
  if (device) device->Unacquire();
  Release(device);
}

}  // namespace

using brin::input::CheckResult;

TBrinInput::TBrinInput(TComponent* AOwner) : TComponent(AOwner) {
  if (ComponentState().Contains(csDesigning) && Owner()) {
    int count = 0;
    for (int i = 0; i < Owner()->ComponentCount(); ++i)
      if (dynamic_cast<TBrinInput*>(Owner()->Components(i))) ++count;
    if (count >= 2) throw platform::Exception(kTwoOnOneForm);
  }
  SetDebugOption({dioHaltOnError});
}

TBrinInput::~TBrinInput() {
  if (!ComponentState().Contains(csDesigning)) ReleaseDevices();
}

void TBrinInput::Loaded() {
  TComponent::Loaded();
  if (ComponentState().Contains(csDesigning)) return;
  SetDebugOption(debugOption_);
  if (AutoInitialize) Initialize();
}

void TBrinInput::SetDebugOption(TBrinInDebugOption option) {
  debugOption_ = option;
  brin::input::InputLog& log = brin::input::Log();
  log.channel.haltOnError = option.Contains(dioHaltOnError);
  log.channel.debugMessage = option.Contains(dioDebugMessage);
  log.exceptOnError = option.Contains(dioExceptOnError);
}

HWND TBrinInput::Window() const {
  auto* form = dynamic_cast<TForm*>(Owner());
  return form ? form->Handle() : nullptr;
}

void TBrinInput::ReleaseDevices() {
  UnacquireAndRelease(keyboard_);
  UnacquireAndRelease(mouse_);
  for (int i = 0; i < joystickCount_; ++i) UnacquireAndRelease(joysticks_[static_cast<size_t>(i)]);
  joystickCount_ = 0;
  joystickNames_.clear();
  joystickForceFeedback_.fill(false);
  Release(directInput_);
}

void TBrinInput::FillKeyMaps() {
  primaryKeys_.fill(0);
  secondaryKeys_.fill(0);
  const DWORD buttons[] = {DIK_Z, DIK_X, DIK_C, DIK_A, DIK_S, DIK_D, DIK_1, DIK_2,
                           DIK_3, DIK_4, DIK_5, DIK_6, DIK_7, DIK_8, DIK_9, DIK_0};
  std::copy(std::begin(buttons), std::end(buttons), primaryKeys_.begin());
  secondaryKeys_[0] = DIK_SPACE;
  secondaryKeys_[1] = DIK_ESCAPE;
  primaryKeys_[kUp] = DIK_UP;
  primaryKeys_[kDown] = DIK_DOWN;
  primaryKeys_[kLeft] = DIK_LEFT;
  primaryKeys_[kRight] = DIK_RIGHT;
  secondaryKeys_[kUp] = DIK_NUMPAD8;
  secondaryKeys_[kDown] = DIK_NUMPAD2;
  secondaryKeys_[kLeft] = DIK_NUMPAD4;
  secondaryKeys_[kRight] = DIK_NUMPAD6;
  secondaryKeys_[kUpLeft] = DIK_NUMPAD7;
  secondaryKeys_[kUpRight] = DIK_NUMPAD9;
  secondaryKeys_[kDownLeft] = DIK_NUMPAD1;
  secondaryKeys_[kDownRight] = DIK_NUMPAD3;
}

void TBrinInput::Initialize() {
  ReleaseDevices();
  FillKeyMaps();
  const HWND window = Window();
  const DWORD access = BackGround ? DISCL_BACKGROUND : DISCL_FOREGROUND;

  CheckResult(DirectInputCreateA(GetModuleHandleA(nullptr), kDirectInputVersion, &directInput_, nullptr),
              kCreateFailed);
  // Without the halt option a failed step is only logged; each later step
  // that needs what it should have made is skipped rather than run on nothing.
  if (!directInput_) return;

  CheckResult(directInput_->CreateDevice(GUID_SysKeyboard, &keyboard_, nullptr), kKeyboardDeviceFailed);
  if (keyboard_) {
    CheckResult(keyboard_->SetDataFormat(&c_dfDIKeyboard), kKeyboardFormatFailed);
    CheckResult(keyboard_->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | access), kCooperativeLevelFailed);
  }
  CheckResult(directInput_->CreateDevice(GUID_SysMouse, &mouse_, nullptr), kMouseDeviceFailed);
  if (mouse_) {
    CheckResult(mouse_->SetDataFormat(&c_dfDIMouse), kMouseFormatFailed);
    CheckResult(mouse_->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), kCooperativeLevelFailed);
  }

  // Force-feedback joysticks first, so that they keep their flag when the
  // ordinary pass lists them again.
  forceFeedbackPass_ = true;
  directInput_->EnumDevices(DIDEVTYPE_JOYSTICK, EnumJoystickCallback, this,
                            DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK);
  forceFeedbackPass_ = false;
  directInput_->EnumDevices(DIDEVTYPE_JOYSTICK, EnumJoystickCallback, this, DIEDFL_ATTACHEDONLY);

  if (keyboard_) keyboard_->Acquire();
  if (mouse_) mouse_->Acquire();
}

BOOL CALLBACK TBrinInput::EnumJoystickCallback(LPCDIDEVICEINSTANCEA instance, LPVOID context) {
  static_cast<TBrinInput*>(context)->EnumJoystick(*instance);
  return DIENUM_CONTINUE;
}

void TBrinInput::EnumJoystick(const DIDEVICEINSTANCEA& instance) {
  if (!forceFeedbackPass_) {
    for (size_t i = 0; i < static_cast<size_t>(joystickCount_); ++i)
      if (joystickForceFeedback_[i] && joystickNames_[i] == instance.tszProductName) return;
  }
  // The table is full: further joysticks are not opened.
  if (joystickCount_ >= kMaxJoysticks) return;
  IDirectInputDeviceA* device = nullptr;
  if (FAILED(directInput_->CreateDevice(instance.guidInstance, &device, nullptr)) || !device) return;
  IDirectInputDevice2A* joystick = nullptr;
  const HRESULT queried = device->QueryInterface(IID_IDirectInputDevice2A, reinterpret_cast<void**>(&joystick));
  device->Release();
  // Without the extended interface there is nothing to poll: skip it too.
  if (FAILED(queried) || !joystick) return;

  const HWND window = Window();
  const DWORD access = BackGround ? DISCL_BACKGROUND : DISCL_FOREGROUND;
  try {
    CheckResult(joystick->SetDataFormat(&c_dfDIJoystick), kJoystickFormatFailed);
    if (FAILED(joystick->SetCooperativeLevel(window, DISCL_EXCLUSIVE | access)))
      CheckResult(joystick->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | access), kCooperativeLevelFailed);
    for (DWORD offset : kAxisOffsets) {
      DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET}, -32768, 32767};
      joystick->SetProperty(DIPROP_RANGE, &range.diph);
    }
    joystick->Acquire();
    joystickNames_.emplace_back(instance.tszProductName);
  } catch (...) {
    // EBrinIn (or a log that could not be written) leaves the table as it
    // was: the half-opened joystick is not kept, so it is not leaked.
    joystick->Release();
    throw;
  }
  joysticks_[static_cast<size_t>(joystickCount_)] = joystick;
  joystickForceFeedback_[static_cast<size_t>(joystickCount_)] = forceFeedbackPass_;
  ++joystickCount_;
}

// --- per frame ----------------------------------------------------------------------------

bool TBrinInput::Update(const int* Devices, std::size_t Count) {
  bool read = false;
  for (std::size_t i = 0; i < Count; ++i)
    if (UpdateDevice(Devices[i], i > 0)) read = true;
  return read;
}

bool TBrinInput::UpdateDevice(int Device, bool Accumulate) {
  if (!Accumulate) state_ = DIJOYSTATE{};
  if (Device == 0) return ReadKeyboard();
  if (Device == 1) return ReadMouse();
  return ReadJoystick(Device - 2, Accumulate);
}

bool TBrinInput::ReadKeyboard() {
  if (!keyboard_) return false;
  BYTE keys[256];
  if (FAILED(keyboard_->GetDeviceState(sizeof(keys), keys))) {
    // Lost to a focus change: take it back and read again at once.
    keyboard_->Acquire();
    if (FAILED(keyboard_->GetDeviceState(sizeof(keys), keys))) return false;
  }
  const auto key = [&](int entry) {
    return static_cast<BYTE>(keys[primaryKeys_[static_cast<size_t>(entry)] & 0xFF] |
                             keys[secondaryKeys_[static_cast<size_t>(entry)] & 0xFF]);
  };
  for (int i = 0; i < 32; ++i) state_.rgbButtons[i] |= key(i);
  const auto pressed = [&](int entry) { return key(entry) >= 0x80; };
  LONG vertical = 0, horizontal = 0;
  if (pressed(kUp) || pressed(kUpLeft) || pressed(kUpRight)) vertical -= kKeyAxis;
  if (pressed(kDown) || pressed(kDownLeft) || pressed(kDownRight)) vertical += kKeyAxis;
  if (pressed(kLeft) || pressed(kUpLeft) || pressed(kDownLeft)) horizontal -= kKeyAxis;
  if (pressed(kRight) || pressed(kUpRight) || pressed(kDownRight)) horizontal += kKeyAxis;
  state_.lX |= horizontal;
  state_.lY |= vertical;
  return true;
}

bool TBrinInput::ReadMouse() {
  if (!mouse_) return false;
  DIMOUSESTATE mouse;
  if (FAILED(mouse_->GetDeviceState(sizeof(mouse), &mouse))) {
    mouse_->Acquire();
    return false;
  }
  state_.lX = mouse.lX;
  state_.lY = mouse.lY;
  state_.lZ = mouse.lZ;
  for (int i = 0; i < 4; ++i) state_.rgbButtons[i] |= mouse.rgbButtons[i];
  return true;
}

bool TBrinInput::ReadJoystick(int index, bool accumulate) {
  if (index < 0 || index >= kMaxJoysticks) return false;
  IDirectInputDevice2A* joystick = joysticks_[static_cast<size_t>(index)];
  if (!joystick) return false;
  joystick->Poll();
  DIJOYSTATE js;
  if (FAILED(joystick->GetDeviceState(sizeof(js), &js))) {
    joystick->Acquire();
    return false;
  }
  LONG* axes[] = {&js.lX, &js.lY, &js.lZ, &js.lRx, &js.lRy, &js.lRz, &js.rglSlider[0], &js.rglSlider[1]};
  for (LONG* axis : axes) *axis = ApplyDeadZone(*axis);
  if (!accumulate) {
    state_ = js;
    return true;
  }
  state_.lX |= js.lX;
  state_.lY |= js.lY;
  state_.lZ |= js.lZ;
  state_.lRx |= js.lRx;
  state_.lRy |= js.lRy;
  state_.lRz |= js.lRz;
  for (int i = 0; i < 2; ++i) state_.rglSlider[i] |= js.rglSlider[i];
  for (int i = 0; i < 4; ++i) state_.rgdwPOV[i] |= js.rgdwPOV[i];
  for (int i = 0; i < 32; ++i) state_.rgbButtons[i] |= js.rgbButtons[i];
  return true;
}

LONG TBrinInput::ApplyDeadZone(LONG Value) const {
  // 64-bit arithmetic gives the 32-bit results for every sensible DeadZone
  // and keeps out-of-range settings from overflowing.
  const std::int64_t dz = DeadZone;
  if (dz == 0) return Value;
  const std::int64_t low = (-dz * 32768) / 100;
  const std::int64_t high = (dz * 32767) / 100;
  if (low <= Value && Value <= high) return 0;
  if (dz >= 100) return 0;
  const std::int64_t stretched = (Value < 0 ? Value - low : Value - high) * 100 / (100 - dz);
  return static_cast<LONG>(std::clamp<std::int64_t>(stretched, INT32_MIN, INT32_MAX));
}

void TBrinInput::GetDirection(TBrinInputDirection& Direction) const {
  Direction.X = Sign(state_.lX);
  Direction.Y = Sign(state_.lY);
  Direction.Z = Sign(state_.lZ);
  Direction.RX = Sign(state_.lRx);
  Direction.RY = Sign(state_.lRy);
  Direction.RZ = Sign(state_.lRz);
  Direction.Slider[0] = Sign(state_.rglSlider[0]);
  Direction.Slider[1] = Sign(state_.rglSlider[1]);
  for (int i = 0; i < 4; ++i) Direction.POV[i] = static_cast<LONG>(state_.rgdwPOV[i]);
}

bool TBrinInput::ButtonDown(int Index) const {
  return Index >= 0 && Index < 32 && state_.rgbButtons[Index] >= 0x80;
}

// --- what the component holds -------------------------------------------------------------

IDirectInputDevice2A* TBrinInput::Joysticks(int index) const {
  return index >= 0 && index < kMaxJoysticks ? joysticks_[static_cast<size_t>(index)] : nullptr;
}

bool TBrinInput::JoystickForceFeedback(int index) const {
  return index >= 0 && index < kMaxJoysticks && joystickForceFeedback_[static_cast<size_t>(index)];
}

DWORD TBrinInput::PrimaryKeys(int index) const {
  return index >= 0 && index < kKeyMapSize ? primaryKeys_[static_cast<size_t>(index)] : 0;
}

DWORD TBrinInput::SecondaryKeys(int index) const {
  return index >= 0 && index < kKeyMapSize ? secondaryKeys_[static_cast<size_t>(index)] : 0;
}
