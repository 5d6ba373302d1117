// The keyboard's state, and the rules of cooperative levels and
// acquisition: formats first, foreground losses on focus changes,
// exclusive access, refused levels.
#include "tests/platform/dinput/dinput_test_support.h"

namespace dinput_test {
namespace {

class DInputAcquisitionTest : public DInputTest {
 protected:
  void SetUp() override {
    DInputTest::SetUp();
    *di.Out() = MakeInput();
  }
  void TearDown() override {
    di.Reset();
    DInputTest::TearDown();
  }
  Com<IDirectInputA> di;
};

TEST_F(DInputAcquisitionTest, KeysDownReadAs0x80ByScanCode) {
  Com<IDirectInputDevice2A> keyboard(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard));
  Key(DIK_Z, true);
  Key(DIK_UP, true);
  Key(DIK_SPACE, true);
  Key(DIK_SPACE, false);
  BYTE keys[256];
  ASSERT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DI_OK);
  for (int code = 0; code < 256; ++code) {
    const bool down = code == DIK_Z || code == DIK_UP;
    EXPECT_EQ(keys[code], down ? 0x80 : 0) << "scan code " << code;
  }
  EXPECT_EQ(keyboard->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), nullptr), DIERR_INVALIDPARAM);
}

TEST_F(DInputAcquisitionTest, ForegroundDevicesAreLostWithTheFocus) {
  Com<IDirectInputDevice2A> keyboard(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard));
  Key(DIK_X, true);
  Focus(false);
  BYTE keys[256];
  EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DIERR_INPUTLOST);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DIERR_NOTACQUIRED);
  EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO) << "no foreground access in the background";
  Focus(true);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  ASSERT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DI_OK);
  EXPECT_EQ(keys[DIK_X], 0) << "keys held when the focus went are forgotten";
}

TEST_F(DInputAcquisitionTest, AFocusRoundTripBetweenReadsStillLosesTheDevice) {
  Com<IDirectInputDevice2A> keyboard(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard));
  Focus(false);
  Focus(true);
  BYTE keys[256];
  EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DIERR_INPUTLOST);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DI_OK);
}

TEST_F(DInputAcquisitionTest, BackgroundDevicesSurviveFocusChanges) {
  Com<IDirectInputDevice2A> keyboard(
      MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND));
  Focus(false);
  BYTE keys[256];
  EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DI_OK);
  EXPECT_EQ(keyboard->Acquire(), DI_NOEFFECT) << "still acquired";
  EXPECT_EQ(keyboard->Unacquire(), DI_OK);
  EXPECT_EQ(keyboard->Unacquire(), DI_NOEFFECT);
  EXPECT_EQ(keyboard->Acquire(), DI_OK);
}

TEST_F(DInputAcquisitionTest, AcquisitionNeedsAFormatAndFreezesIt) {
  Com<IDirectInputDeviceA> keyboard;
  ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, keyboard.Out(), nullptr), DI_OK);
  BYTE keys[256];
  EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DIERR_NOTACQUIRED);
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  ASSERT_EQ(keyboard->Acquire(), DI_OK) << "the default level is non-exclusive background";
  EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
  EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetEventNotification(nullptr), DIERR_ACQUIRED);
  ASSERT_EQ(keyboard->Unacquire(), DI_OK);
  EXPECT_EQ(keyboard->SetEventNotification(nullptr), DI_OK);
  EXPECT_EQ(keyboard->SetEventNotification(reinterpret_cast<HANDLE>(window)), DIERR_INVALIDPARAM);
}

TEST_F(DInputAcquisitionTest, CooperativeLevelsAreChecked) {
  Com<IDirectInputDeviceA> keyboard;
  ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, keyboard.Out(), nullptr), DI_OK);
  EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
            DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | 0x10), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), E_HANDLE);
  EXPECT_EQ(keyboard->SetCooperativeLevel(reinterpret_cast<HWND>(&keyboard), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
            E_HANDLE);
  EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
  EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);

  Com<IDirectInputDeviceA> mouse;
  ASSERT_EQ(di->CreateDevice(GUID_SysMouse, mouse.Out(), nullptr), DI_OK);
  EXPECT_EQ(mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DIERR_INVALIDPARAM);
}

TEST_F(DInputAcquisitionTest, OnlyOneInstanceHoldsADeviceExclusively) {
  const DWORD exclusive = DISCL_EXCLUSIVE | DISCL_FOREGROUND;
  Com<IDirectInputDevice2A> first(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard, exclusive));
  Com<IDirectInputDevice2A> second(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard, exclusive, false));
  Com<IDirectInputDevice2A> shared(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard));
  EXPECT_EQ(second->Acquire(), DIERR_OTHERAPPHASPRIO);
  ASSERT_EQ(first->Unacquire(), DI_OK);
  EXPECT_EQ(second->Acquire(), DI_OK);
  EXPECT_EQ(first->Acquire(), DIERR_OTHERAPPHASPRIO);
  // A holder that lost the focus holds nothing any more.
  Focus(false);
  Focus(true);
  EXPECT_EQ(first->Acquire(), DI_OK);
}

TEST_F(DInputAcquisitionTest, KeyObjectsAreNamedAndFoundByOffset) {
  Com<IDirectInputDevice2A> keyboard(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard));
  DIDEVICEOBJECTINSTANCEA info{};
  info.dwSize = sizeof(info);
  ASSERT_EQ(keyboard->GetObjectInfo(&info, DIK_ESCAPE, DIPH_BYOFFSET), DI_OK);
  EXPECT_STREQ(info.tszName, "Esc");
  EXPECT_TRUE(info.guidType == GUID_Key);
  EXPECT_EQ(info.dwType, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(DIK_ESCAPE));
  EXPECT_EQ(keyboard->GetObjectInfo(&info, 0, DIPH_BYOFFSET), DIERR_OBJECTNOTFOUND) << "no key has code 0";
  EXPECT_EQ(keyboard->GetObjectInfo(&info, DIK_ESCAPE, DIPH_DEVICE), DIERR_INVALIDPARAM);
}

}  // namespace
}  // namespace dinput_test
