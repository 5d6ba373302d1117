// Shared set-up for the DirectInput tests: a fresh headless back end and a
// window per test, input delivered the way the window layer delivers it,
// and a holder that releases what a test made.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/dinput.h"
#include "platform/faults.h"
#include "platform/keyboard.h"
#include "platform/system.h"
#include "platform/window_registry.h"

namespace dinput_test {

// Releases its object at the end of the scope.
template <typename T>
class Com {
 public:
  Com() = default;
  explicit Com(T* p) : p_(p) {}
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() { Reset(); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T** Out() {
    Reset();
    return &p_;
  }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

inline platform::JoystickInfo Pad(const std::string& name, int axes = 2, int buttons = 4, int povs = 1,
                                  bool forceFeedback = false) {
  platform::JoystickInfo info;
  info.name = name;
  info.instance = GUID{0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
  info.axes = axes;
  info.buttons = buttons;
  info.povs = povs;
  info.forceFeedback = forceFeedback;
  return info;
}

class DInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Install(&backend);
    window = platform::windows::Create(RECT{0, 0, 640, 480});
    baseObjects = platform::LiveObjectCount();
  }
  void TearDown() override {
    EXPECT_EQ(platform::LiveObjectCount(), baseObjects) << "a test left objects alive";
    platform::Install(nullptr);
  }

  IDirectInputA* MakeInput(DWORD version = 0x0500) {
    IDirectInputA* di = nullptr;
    EXPECT_EQ(DirectInputCreateA(GetModuleHandleA(nullptr), version, &di, nullptr), DI_OK);
    return di;
  }
  // A device with FORMAT and COOPERATION set, acquired when ACQUIRE says so.
  IDirectInputDevice2A* MakeDevice(IDirectInputA* di, const GUID& guid, const DIDATAFORMAT& format,
                                   DWORD cooperation = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, bool acquire = true) {
    IDirectInputDeviceA* device = nullptr;
    EXPECT_EQ(di->CreateDevice(guid, &device, nullptr), DI_OK);
    if (!device) return nullptr;
    IDirectInputDevice2A* device2 = nullptr;
    EXPECT_EQ(device->QueryInterface(IID_IDirectInputDevice2A, reinterpret_cast<void**>(&device2)), S_OK);
    device->Release();
    EXPECT_EQ(device2->SetDataFormat(&format), DI_OK);
    EXPECT_EQ(device2->SetCooperativeLevel(window, cooperation), DI_OK);
    if (acquire) {
      EXPECT_EQ(device2->Acquire(), DI_OK);
    }
    return device2;
  }
  // The instance GUIDs EnumDevices reports for the joysticks, in order.
  static std::vector<GUID> Joysticks(IDirectInputA* di) {
    std::vector<GUID> guids;
    di->EnumDevices(
        DIDEVTYPE_JOYSTICK,
        [](LPCDIDEVICEINSTANCEA d, LPVOID ref) {
          static_cast<std::vector<GUID>*>(ref)->push_back(d->guidInstance);
          return DIENUM_CONTINUE;
        },
        &guids, DIEDFL_ATTACHEDONLY);
    return guids;
  }

  // Input as the message loop hands it on.
  static void Deliver(const platform::Event& e) { platform::keyboard::Deliver(e); }
  static void Key(std::uint16_t scanCode, bool down, bool repeat = false) {
    platform::Event e;
    e.type = down ? platform::EventType::KeyDown : platform::EventType::KeyUp;
    e.key = platform::KeyEvent{scanCode, 0, repeat, false, false, false};
    Deliver(e);
  }
  static void Mouse(platform::EventType type, std::int32_t dx, std::int32_t dy, std::int32_t dz,
                    std::uint8_t button = 0) {
    platform::Event e;
    e.type = type;
    e.mouse = platform::MouseEvent{0, 0, dx, dy, dz, button};
    Deliver(e);
  }
  static void Joy(platform::EventType type, std::int32_t index, std::int32_t control, std::int32_t value) {
    platform::Event e;
    e.type = type;
    e.joystick = platform::JoystickEvent{index, control, value};
    Deliver(e);
  }
  // The window layer's part of a focus change.
  static void Focus(bool active) {
    platform::SetAppActive(active);
    if (!active) platform::keyboard::ReleaseAll();
  }

  platform::HeadlessBackend backend;
  HWND window = nullptr;
  long baseObjects = 0;
};

}  // namespace dinput_test
