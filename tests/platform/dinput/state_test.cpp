// Mouse and joystick state: relative motion, axis ranges, dead zones and
// saturation, points of view, custom data formats and buffered data.
#include "tests/platform/dinput/dinput_test_support.h"

namespace dinput_test {
namespace {

using platform::EventType;

class DInputStateTest : public DInputTest {
 protected:
  void SetUp() override {
    DInputTest::SetUp();
    backend.AddJoystick(Pad("Pad", 8, 16, 2));
    *di.Out() = MakeInput();
    pad = Joysticks(di.get()).at(0);
  }
  void TearDown() override {
    di.Reset();
    DInputTest::TearDown();
  }
  static HRESULT SetRange(IDirectInputDevice2A* device, DWORD how, DWORD obj, LONG min, LONG max) {
    DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), obj, how}, min, max};
    return device->SetProperty(DIPROP_RANGE, &range.diph);
  }
  static HRESULT SetDword(IDirectInputDevice2A* device, REFGUID property, DWORD how, DWORD obj, DWORD value) {
    DIPROPDWORD p{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), obj, how}, value};
    return device->SetProperty(property, &p.diph);
  }
  static DIJOYSTATE Read(IDirectInputDevice2A* device) {
    DIJOYSTATE s{};
    EXPECT_EQ(device->GetDeviceState(sizeof(s), &s), DI_OK);
    return s;
  }

  Com<IDirectInputA> di;
  GUID pad{};
};

TEST_F(DInputStateTest, MouseReportsMotionSinceTheLastReadPerDevice) {
  Com<IDirectInputDevice2A> a(MakeDevice(di.get(), GUID_SysMouse, c_dfDIMouse));
  Com<IDirectInputDevice2A> b(MakeDevice(di.get(), GUID_SysMouse, c_dfDIMouse));
  Mouse(EventType::MouseMove, 5, -3, 0);
  Mouse(EventType::MouseMove, 2, 1, 0);
  Mouse(EventType::MouseWheel, 0, 0, -120);
  Mouse(EventType::MouseButtonDown, 0, 0, 0, 1);
  DIMOUSESTATE s{};
  ASSERT_EQ(a->GetDeviceState(sizeof(s), &s), DI_OK);
  EXPECT_EQ(s.lX, 7);
  EXPECT_EQ(s.lY, -2);
  EXPECT_EQ(s.lZ, -120);
  EXPECT_EQ(s.rgbButtons[0], 0);
  EXPECT_EQ(s.rgbButtons[1], 0x80);
  ASSERT_EQ(a->GetDeviceState(sizeof(s), &s), DI_OK);
  EXPECT_EQ(s.lX, 0) << "motion is reported once";
  Mouse(EventType::MouseMove, 1, 0, 0);
  ASSERT_EQ(b->GetDeviceState(sizeof(s), &s), DI_OK);
  EXPECT_EQ(s.lX, 8) << "the other device has not read yet";

  ASSERT_EQ(b->Unacquire(), DI_OK);
  ASSERT_EQ(SetDword(b.get(), DIPROP_AXISMODE, DIPH_DEVICE, 0, DIPROPAXISMODE_ABS), DI_OK);
  ASSERT_EQ(b->Acquire(), DI_OK);
  Mouse(EventType::MouseMove, 2, 0, 0);
  ASSERT_EQ(b->GetDeviceState(sizeof(s), &s), DI_OK);
  ASSERT_EQ(b->GetDeviceState(sizeof(s), &s), DI_OK);
  EXPECT_EQ(s.lX, 10) << "absolute mode reports the position";
  DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), DIMOFS_X, DIPH_BYOFFSET}, 0, 0};
  ASSERT_EQ(a->GetProperty(DIPROP_RANGE, &range.diph), DI_OK);
  EXPECT_EQ(range.lMin, DIPROPRANGE_NOMIN);
  EXPECT_EQ(SetRange(a.get(), DIPH_BYOFFSET, DIMOFS_X, 0, 100), DIERR_UNSUPPORTED);
}

TEST_F(DInputStateTest, JoystickAxesAreScaledToTheirRange) {
  Com<IDirectInputDevice2A> stick(MakeDevice(di.get(), pad, c_dfDIJoystick));
  Joy(EventType::JoystickAxis, 0, 0, -32768);
  Joy(EventType::JoystickAxis, 0, 1, 32767);
  Joy(EventType::JoystickAxis, 0, 6, 0);
  DIJOYSTATE s = Read(stick.get());
  EXPECT_EQ(s.lX, 0) << "the default range is 0..65535";
  EXPECT_EQ(s.lY, 65535);
  EXPECT_EQ(s.rglSlider[0], 32768);

  ASSERT_EQ(SetRange(stick.get(), DIPH_DEVICE, 0, -32768, 32767), DI_OK);
  for (LONG v : {-32768, -1638, -1, 0, 1, 1639, 32767}) {
    Joy(EventType::JoystickAxis, 0, 0, v);
    EXPECT_EQ(Read(stick.get()).lX, v) << "the back end's own range passes unchanged";
  }
  ASSERT_EQ(SetRange(stick.get(), DIPH_BYOFFSET, DIJOFS_Y, -1000, 1000), DI_OK);
  ASSERT_EQ(SetRange(stick.get(), DIPH_BYID, DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(2), 0, 10), DI_OK);
  Joy(EventType::JoystickAxis, 0, 1, 0);
  Joy(EventType::JoystickAxis, 0, 2, 32767);
  s = Read(stick.get());
  EXPECT_EQ(s.lY, 0);
  EXPECT_EQ(s.lZ, 10);
  DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), DIJOFS_Y, DIPH_BYOFFSET}, 0, 0};
  ASSERT_EQ(stick->GetProperty(DIPROP_RANGE, &range.diph), DI_OK);
  EXPECT_EQ(range.lMin, -1000);
  EXPECT_EQ(range.lMax, 1000);
  EXPECT_EQ(SetRange(stick.get(), DIPH_BYOFFSET, DIJOFS_Y, 5, 5), DIERR_INVALIDPARAM);
  EXPECT_EQ(SetRange(stick.get(), DIPH_BYOFFSET, DIJOFS_BUTTON(0), 0, 5), DIERR_UNSUPPORTED);
  EXPECT_EQ(SetRange(stick.get(), DIPH_BYOFFSET, 2, 0, 5), DIERR_OBJECTNOTFOUND);
  EXPECT_EQ(SetRange(stick.get(), DIPH_DEVICE, 4, 0, 5), DIERR_INVALIDPARAM);
}

TEST_F(DInputStateTest, DeadZoneAndSaturationShapeTheTravel) {
  Com<IDirectInputDevice2A> stick(MakeDevice(di.get(), pad, c_dfDIJoystick));
  ASSERT_EQ(SetRange(stick.get(), DIPH_DEVICE, 0, -10000, 10000), DI_OK);
  ASSERT_EQ(SetDword(stick.get(), DIPROP_DEADZONE, DIPH_BYOFFSET, DIJOFS_X, 1000), DI_OK);
  ASSERT_EQ(SetDword(stick.get(), DIPROP_SATURATION, DIPH_BYOFFSET, DIJOFS_X, 9000), DI_OK);
  const auto x = [&](LONG v) {
    Joy(EventType::JoystickAxis, 0, 0, v);
    return Read(stick.get()).lX;
  };
  EXPECT_EQ(x(3000), 0) << "inside the 10% dead zone";
  EXPECT_EQ(x(-3000), 0);
  EXPECT_EQ(x(30000), 10000) << "beyond 90% saturates";
  EXPECT_EQ(x(-30000), -10000);
  EXPECT_EQ(x(16384), 5000) << "half the travel is half the live part between 10% and 90%";
  EXPECT_EQ(x(-16384), -5000);
  Joy(EventType::JoystickAxis, 0, 1, 3000);
  EXPECT_EQ(Read(stick.get()).lY, 916) << "other axes keep no dead zone";
  DIPROPDWORD dz{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 0};
  ASSERT_EQ(stick->GetProperty(DIPROP_DEADZONE, &dz.diph), DI_OK);
  EXPECT_EQ(dz.dwData, 1000u);
  EXPECT_EQ(SetDword(stick.get(), DIPROP_DEADZONE, DIPH_DEVICE, 0, 10001), DIERR_INVALIDPARAM);
  EXPECT_EQ(SetDword(stick.get(), DIPROP_GRANULARITY, DIPH_DEVICE, 0, 1), DIERR_READONLY);
  EXPECT_EQ(SetDword(stick.get(), DIPROP_AXISMODE, DIPH_DEVICE, 0, DIPROPAXISMODE_REL), DIERR_ACQUIRED);
}

TEST_F(DInputStateTest, ButtonsAndPointsOfView) {
  Com<IDirectInputDevice2A> stick(MakeDevice(di.get(), pad, c_dfDIJoystick));
  DIJOYSTATE s = Read(stick.get());
  EXPECT_EQ(s.rgdwPOV[0], 0xFFFFFFFFu) << "a point of view starts centred";
  EXPECT_EQ(s.rgdwPOV[2], 0u) << "the pad has two";
  Joy(EventType::JoystickButton, 0, 3, 1);
  Joy(EventType::JoystickButton, 0, 15, 1);
  Joy(EventType::JoystickButton, 0, 20, 1);  // the pad has 16 buttons
  Joy(EventType::JoystickHat, 0, 1, 27000);
  s = Read(stick.get());
  EXPECT_EQ(s.rgbButtons[3], 0x80);
  EXPECT_EQ(s.rgbButtons[15], 0x80);
  EXPECT_EQ(s.rgbButtons[20], 0);
  EXPECT_EQ(s.rgdwPOV[1], 27000u);
  Joy(EventType::JoystickButton, 0, 3, 0);
  EXPECT_EQ(Read(stick.get()).rgbButtons[3], 0);
  EXPECT_EQ(stick->Poll(), DI_NOEFFECT);
  ASSERT_EQ(stick->Unacquire(), DI_OK);
  EXPECT_EQ(stick->Poll(), DIERR_NOTACQUIRED);
}

TEST_F(DInputStateTest, CustomFormatsAreMatchedAndChecked) {
  Com<IDirectInputDeviceA> stick;
  ASSERT_EQ(di->CreateDevice(pad, stick.Out(), nullptr), DI_OK);
  // Y then X, then the first button, in a state of their own.
  DIOBJECTDATAFORMAT objects[] = {
      {&GUID_YAxis, 0, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
      {&GUID_XAxis, 4, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
      {nullptr, 8, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
      {&GUID_POV, 12, DIDFT_POV | DIDFT_MAKEINSTANCE(1), 0},
  };
  DIDATAFORMAT format{sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS, 16, 4, objects};
  ASSERT_EQ(stick->SetDataFormat(&format), DI_OK);
  ASSERT_EQ(stick->Acquire(), DI_OK);
  Joy(EventType::JoystickAxis, 0, 0, 32767);
  Joy(EventType::JoystickButton, 0, 0, 1);
  Joy(EventType::JoystickHat, 0, 1, 9000);
  struct {
    LONG y, x;
    BYTE button;
    BYTE pad[3];
    DWORD pov;
  } state{};
  ASSERT_EQ(stick->GetDeviceState(sizeof(state), &state), DI_OK);
  EXPECT_EQ(state.y, 32768);
  EXPECT_EQ(state.x, 65535);
  EXPECT_EQ(state.button, 0x80);
  EXPECT_EQ(state.pov, 9000u);
  ASSERT_EQ(stick->Unacquire(), DI_OK);

  DIOBJECTDATAFORMAT missing[] = {{&GUID_Key, 0, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0}};
  DIDATAFORMAT bad{sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, 4, 1, missing};
  EXPECT_EQ(stick->SetDataFormat(&bad), DIERR_INVALIDPARAM) << "a required object the device lacks";
  DIOBJECTDATAFORMAT overlap[] = {{&GUID_XAxis, 0, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
                                  {nullptr, 2, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0}};
  bad = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, 4, 2, overlap};
  EXPECT_EQ(stick->SetDataFormat(&bad), DIERR_INVALIDPARAM) << "two objects in one place";
  DIOBJECTDATAFORMAT misaligned[] = {{&GUID_XAxis, 2, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0}};
  bad = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, 8, 1, misaligned};
  EXPECT_EQ(stick->SetDataFormat(&bad), DIERR_INVALIDPARAM);
  bad = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, 6, 0, nullptr};
  EXPECT_EQ(stick->SetDataFormat(&bad), DIERR_INVALIDPARAM) << "sizes are whole DWORDs";
  bad = {sizeof(DIDATAFORMAT) - 1, sizeof(DIOBJECTDATAFORMAT), 0, 8, 0, nullptr};
  EXPECT_EQ(stick->SetDataFormat(&bad), DIERR_INVALIDPARAM);
}

struct Named {
  std::vector<std::string> names;
  std::vector<DWORD> offsets;
};

TEST_F(DInputStateTest, ObjectsAreListedWithTheirOffsets) {
  Com<IDirectInputDevice2A> stick(MakeDevice(di.get(), pad, c_dfDIJoystick));
  Named listed;
  ASSERT_EQ(stick->EnumObjects(
                [](LPCDIDEVICEOBJECTINSTANCEA o, LPVOID ref) {
                  static_cast<Named*>(ref)->names.push_back(o->tszName);
                  static_cast<Named*>(ref)->offsets.push_back(o->dwOfs);
                  return DIENUM_CONTINUE;
                },
                &listed, DIDFT_AXIS | DIDFT_POV),
            DI_OK);
  EXPECT_EQ(listed.names, (std::vector<std::string>{"X Axis", "Y Axis", "Z Axis", "X Rotation", "Y Rotation",
                                                    "Z Rotation", "Slider", "Slider", "POV 0", "POV 1"}));
  EXPECT_EQ(listed.offsets, (std::vector<DWORD>{0, 4, 8, 12, 16, 20, 24, 28, 32, 36}));
  DIPROPDWORD granularity{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 0};
  ASSERT_EQ(stick->GetProperty(DIPROP_GRANULARITY, &granularity.diph), DI_OK);
  EXPECT_EQ(granularity.dwData, 1u);
}

TEST_F(DInputStateTest, BufferedDataKeepsEachChangeInOrder) {
  Com<IDirectInputDevice2A> keyboard(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard, DISCL_NONEXCLUSIVE |
                                                DISCL_FOREGROUND, false));
  DIDEVICEOBJECTDATA items[4];
  DWORD count = 4;
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0), DIERR_NOTBUFFERED);
  ASSERT_EQ(keyboard->Unacquire(), DI_OK);
  ASSERT_EQ(SetDword(keyboard.get(), DIPROP_BUFFERSIZE, DIPH_DEVICE, 0, 3), DI_OK);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  Key(DIK_A, true);
  Key(DIK_A, true, true);  // a repeat is no change
  Key(DIK_B, true);
  Key(DIK_A, false);
  Key(DIK_B, false);  // one too many for three items
  count = INFINITE;
  EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &count, DIGDD_PEEK), DI_BUFFEROVERFLOW);
  EXPECT_EQ(count, 3u);
  count = 4;
  EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0), DI_BUFFEROVERFLOW);
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(items[0].dwOfs, DIK_A);
  EXPECT_EQ(items[0].dwData, 0x80u);
  EXPECT_EQ(items[1].dwOfs, DIK_B);
  EXPECT_EQ(items[2].dwOfs, DIK_A);
  EXPECT_EQ(items[2].dwData, 0u);
  EXPECT_LT(items[0].dwSequence, items[1].dwSequence);
  count = 4;
  EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0), DI_OK);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(keyboard->GetDeviceData(8, items, &count, 0), DIERR_INVALIDPARAM);

  Com<IDirectInputDevice2A> stick(MakeDevice(di.get(), pad, c_dfDIJoystick, DISCL_EXCLUSIVE | DISCL_FOREGROUND,
                                             false));
  ASSERT_EQ(SetDword(stick.get(), DIPROP_BUFFERSIZE, DIPH_DEVICE, 0, 8), DI_OK);
  ASSERT_EQ(stick->Acquire(), DI_OK);
  Joy(EventType::JoystickAxis, 0, 1, 32767);
  Joy(EventType::JoystickHat, 0, 0, 4500);
  count = 4;
  ASSERT_EQ(stick->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0), DI_OK);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(items[0].dwOfs, DIJOFS_Y);
  EXPECT_EQ(items[0].dwData, 65535u);
  EXPECT_EQ(items[1].dwOfs, DIJOFS_POV(0));
  EXPECT_EQ(items[1].dwData, 4500u);
}

}  // namespace
}  // namespace dinput_test
