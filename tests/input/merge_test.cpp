// Reading the devices: the key maps feeding buttons and axes, joystick and
// keyboard merged, the dead zone, the joystick enumeration and devices lost
// to focus changes.
#include "tests/input/input_fixture.h"

namespace brin_input_test {
namespace {

TBrinInputDirection Direction(const TBrinInput* joy) {
  TBrinInputDirection d{};
  joy->GetDirection(d);
  return d;
}

TEST_F(InputTest, DefaultsAndKeyMaps) {
  TBrinInput* joy = Start([](TBrinInput* j) { j->SetDebugOption({dioHaltOnError}); });
  EXPECT_EQ(joy->DeadZone, 5);
  EXPECT_TRUE(joy->AutoInitialize);
  EXPECT_FALSE(joy->BackGround);
  EXPECT_EQ(joy->DebugOption(), TBrinInDebugOption{dioHaltOnError});
  const DWORD primary[] = {DIK_Z, DIK_X, DIK_C, DIK_A, DIK_S, DIK_D, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                           0x09, 0x0A, 0x0B};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(joy->PrimaryKeys(i), primary[i]) << i;
  for (int i = 16; i < 32; ++i) EXPECT_EQ(joy->PrimaryKeys(i) | joy->SecondaryKeys(i), 0u) << i;
  EXPECT_EQ(joy->SecondaryKeys(0), DIK_SPACE);
  EXPECT_EQ(joy->SecondaryKeys(1), DIK_ESCAPE);
  EXPECT_EQ(joy->SecondaryKeys(2), 0u);
  const DWORD directions[8][2] = {{DIK_UP, 0x48}, {DIK_DOWN, 0x50}, {DIK_LEFT, 0x4B}, {DIK_RIGHT, 0x4D},
                                  {0, 0x47},      {0, 0x49},        {0, 0x4F},        {0, 0x51}};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(joy->PrimaryKeys(32 + i), directions[i][0]) << i;
    EXPECT_EQ(joy->SecondaryKeys(32 + i), directions[i][1]) << i;
  }
  EXPECT_NE(joy->DirectInput(), nullptr);
  EXPECT_NE(joy->KeyboardDevice(), nullptr);
  EXPECT_NE(joy->MouseDevice(), nullptr);
  EXPECT_EQ(joy->JoystickCount(), 0);
}

TEST_F(InputTest, WithoutAJoystickTheKeyboardFillsTheState) {
  TBrinInput* joy = Start();
  Key(DIK_Z, true);
  EXPECT_FALSE(joy->UpdateDevice(2, false));
  EXPECT_TRUE(joy->Update({2, 0}));
  EXPECT_TRUE(joy->ButtonDown(0));
  EXPECT_FALSE(joy->ButtonDown(1));
  EXPECT_FALSE(joy->ButtonDown(32)) << "indexes past the buttons are never down";
  EXPECT_FALSE(joy->ButtonDown(-1));
  Key(DIK_Z, false);
  Key(DIK_SPACE, true);
  ASSERT_TRUE(joy->Update({2, 0}));
  EXPECT_TRUE(joy->ButtonDown(0)) << "Space is the second key of button 0";
  Key(DIK_SPACE, false);
  Key(DIK_ESCAPE, true);
  Key(DIK_0, true);
  ASSERT_TRUE(joy->Update({2, 0}));
  EXPECT_TRUE(joy->ButtonDown(1));
  EXPECT_TRUE(joy->ButtonDown(15));
  EXPECT_FALSE(joy->ButtonDown(0));
  // An empty list reads nothing and keeps what was read.
  EXPECT_FALSE(joy->Update({}));
  EXPECT_TRUE(joy->ButtonDown(1));
  EXPECT_FALSE(joy->UpdateDevice(99, true));
  EXPECT_FALSE(joy->UpdateDevice(-5, true));
}

TEST_F(InputTest, DirectionKeysMakeTheKeyboardAxes) {
  TBrinInput* joy = Start();
  const auto direction = [&](std::initializer_list<std::uint16_t> keys) {
    for (auto k : keys) Key(k, true);
    EXPECT_TRUE(joy->Update({0}));
    for (auto k : keys) Key(k, false);
    const TBrinInputDirection d = Direction(joy);
    return std::pair<LONG, LONG>(d.X, d.Y);
  };
  EXPECT_EQ(direction({DIK_LEFT, DIK_RIGHT}), std::make_pair(0, 0));
  EXPECT_EQ(direction({DIK_NUMPAD7}), std::make_pair(-1, -1));
  EXPECT_EQ(direction({DIK_NUMPAD3}), std::make_pair(1, 1));
  EXPECT_EQ(direction({DIK_UP}), std::make_pair(0, -1));
  EXPECT_EQ(direction({DIK_NUMPAD6, DIK_NUMPAD9}), std::make_pair(1, -1));
  EXPECT_EQ(direction({DIK_UP, DIK_NUMPAD2}), std::make_pair(0, 0));
  Key(DIK_NUMPAD1, true);
  ASSERT_TRUE(joy->Update({0}));
  EXPECT_EQ(joy->State().lX, -32767);
  EXPECT_EQ(joy->State().lY, 32767);
}

TEST_F(InputTest, JoystickAndKeyboardMerge) {
  backend.AddJoystick(Pad("Pad"));
  TBrinInput* joy = Start();
  ASSERT_EQ(joy->JoystickCount(), 1);
  Axis(0, 0, 20000);
  Axis(0, 1, -20000);
  Button(0, 2, true);
  ASSERT_TRUE(joy->Update({2, 0}));
  TBrinInputDirection d = Direction(joy);
  EXPECT_EQ(d.X, 1);
  EXPECT_EQ(d.Y, -1);
  EXPECT_EQ(d.POV[0], -1) << "points of view are copied as they are";
  EXPECT_TRUE(joy->ButtonDown(2));
  Key(DIK_LEFT, true);
  Key(DIK_X, true);
  ASSERT_TRUE(joy->Update({2, 0}));
  d = Direction(joy);
  EXPECT_EQ(d.X, -1) << "a negative value from either source wins the OR";
  EXPECT_TRUE(joy->ButtonDown(1));
  EXPECT_TRUE(joy->ButtonDown(2));
  // The keyboard first, then the joystick over it: the joystick is OR-ed in.
  Button(0, 2, false);
  Button(0, 3, true);
  ASSERT_TRUE(joy->Update({0, 2}));
  EXPECT_TRUE(joy->ButtonDown(1));
  EXPECT_TRUE(joy->ButtonDown(3));
  EXPECT_FALSE(joy->ButtonDown(2));
  // A joystick read first replaces the whole state.
  Key(DIK_LEFT, false);
  Key(DIK_X, false);
  ASSERT_TRUE(joy->UpdateDevice(2, false));
  EXPECT_EQ(joy->State().lX, joy->ApplyDeadZone(20000));
}

TEST_F(InputTest, DeadZoneOnJoystickAxes) {
  backend.AddJoystick(Pad("Pad"));
  TBrinInput* joy = Start();
  const auto x = [&](int value) {
    Axis(0, 0, value);
    EXPECT_TRUE(joy->Update({2}));
    return joy->State().lX;
  };
  EXPECT_EQ(x(1638), 0);
  EXPECT_EQ(x(1639), 1);
  EXPECT_EQ(x(-1638), 0);
  EXPECT_EQ(x(-1639), -1);
  EXPECT_EQ(x(32767), 32767) << "the rest of the travel is stretched to the full range";
  EXPECT_EQ(x(-32768), -32768);
  Axis(0, 7, 1000);
  ASSERT_TRUE(joy->Update({2}));
  EXPECT_EQ(joy->State().rglSlider[1], 0) << "sliders have the dead zone too";
  joy->DeadZone = 0;
  EXPECT_EQ(x(1000), 1000);
  EXPECT_EQ(x(-32768), -32768);
  joy->DeadZone = 100;
  EXPECT_EQ(x(32767), 0);
  EXPECT_EQ(x(-32768), 0);
  joy->DeadZone = 50;
  EXPECT_EQ(x(16383), 0);
  EXPECT_EQ(x(16384), 2);
  // Settings far outside 0..100 do not overflow.
  joy->DeadZone = -2000000000;
  EXPECT_EQ(joy->ApplyDeadZone(32767), 32767);
  joy->DeadZone = 2000000000;
  EXPECT_EQ(joy->ApplyDeadZone(32767), 0);
}

TEST_F(InputTest, JoysticksAreEnumeratedInTwoPasses) {
  backend.AddJoystick(Pad("Plain"));
  backend.AddJoystick(Pad("Rumble", true));
  backend.AddJoystick(Pad("Second Plain"));
  TBrinInput* joy = Start();
  ASSERT_EQ(joy->JoystickCount(), 3);
  EXPECT_EQ(joy->JoystickNames(), (std::vector<std::string>{"Rumble", "Plain", "Second Plain"}));
  EXPECT_TRUE(joy->JoystickForceFeedback(0)) << "kept once, from the force-feedback pass";
  EXPECT_FALSE(joy->JoystickForceFeedback(1));
  EXPECT_FALSE(joy->JoystickForceFeedback(2));
  for (int i = 0; i < 3; ++i) EXPECT_NE(joy->Joysticks(i), nullptr);
  EXPECT_EQ(joy->Joysticks(3), nullptr);
  Axis(0, 0, 30000);  // the back end's first joystick is the second entry
  ASSERT_TRUE(joy->UpdateDevice(3, false));
  EXPECT_GT(joy->State().lX, 0);
  // Initialize again starts from scratch and releases what it held.
  joy->Initialize();
  EXPECT_EQ(joy->JoystickCount(), 3);
}

TEST_F(InputTest, TheTableHoldsSixteenJoysticks) {
  for (int i = 0; i < 20; ++i) backend.AddJoystick(Pad("Pad " + std::to_string(i)));
  TBrinInput* joy = Start();
  EXPECT_EQ(joy->JoystickCount(), 16);
  EXPECT_EQ(joy->JoystickNames().back(), "Pad 15");
  EXPECT_FALSE(joy->UpdateDevice(2 + 16, false));
}

TEST_F(InputTest, TheMouseReplacesTheAxes) {
  TBrinInput* joy = Start();
  platform::Event move;
  move.type = platform::EventType::MouseMove;
  move.mouse = platform::MouseEvent{0, 0, 4, -6, 0, 0};
  backend.QueueEvent(move);
  Pump();
  Key(DIK_RIGHT, true);
  ASSERT_TRUE(joy->Update({0, 1}));
  EXPECT_EQ(joy->State().lX, 4);
  EXPECT_EQ(joy->State().lY, -6);
}

TEST_F(InputTest, ALostDeviceIsAcquiredAgain) {
  backend.AddJoystick(Pad("Pad"));
  TBrinInput* joy = Start();
  Key(DIK_C, true);
  Focus(false);
  Focus(true);
  Key(DIK_C, true);
  // The keyboard's first read fails and the second, after Acquire, works.
  EXPECT_TRUE(joy->UpdateDevice(0, false));
  EXPECT_TRUE(joy->ButtonDown(2));
  // A joystick is reported unread once and read again on the next update.
  Axis(0, 0, 30000);
  EXPECT_FALSE(joy->UpdateDevice(2, false));
  EXPECT_TRUE(joy->UpdateDevice(2, false));
  EXPECT_GT(joy->State().lX, 0);
  // While the window is behind, foreground devices cannot be had at all.
  Focus(false);
  EXPECT_FALSE(joy->Update({2, 0}));
}

TEST_F(InputTest, BackgroundAccessKeepsReadingBehindOtherWindows) {
  backend.AddJoystick(Pad("Pad"));
  TBrinInput* joy = Start([](TBrinInput* j) { j->BackGround = true; });
  Focus(false);
  Axis(0, 1, 30000);
  EXPECT_TRUE(joy->Update({2, 0}));
  EXPECT_EQ(Direction(joy).Y, 1);
  EXPECT_FALSE(joy->UpdateDevice(1, true)) << "the mouse is always a foreground device";
}

}  // namespace
}  // namespace brin_input_test
