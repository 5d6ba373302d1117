// Making DirectInput objects and devices: argument checks, reference
// counts, interfaces, enumeration and device status.
#include <cstring>

#include "tests/platform/dinput/dinput_test_support.h"

namespace dinput_test {
namespace {

TEST_F(DInputTest, CreationChecksItsArguments) {
  IDirectInputA* di = reinterpret_cast<IDirectInputA*>(1);
  const HINSTANCE module = GetModuleHandleA(nullptr);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
  EXPECT_EQ(DirectInputCreateA(nullptr, 0x0500, &di, nullptr), DIERR_INVALIDPARAM);
  EXPECT_EQ(di, nullptr) << "the out-parameter is cleared first";
  EXPECT_EQ(DirectInputCreateA(module, 0x0500, nullptr, nullptr), DIERR_INVALIDPARAM);
  EXPECT_EQ(DirectInputCreateA(module, 0, &di, nullptr), DIERR_NOTINITIALIZED);
  EXPECT_EQ(DirectInputCreateA(module, 0x0700, &di, nullptr), DIERR_OLDDIRECTINPUTVERSION);
  EXPECT_EQ(DirectInputCreateA(module, 0x0400, &di, nullptr), DIERR_BETADIRECTINPUTVERSION);
  IUnknown* outer = reinterpret_cast<IUnknown*>(&di);
  EXPECT_EQ(DirectInputCreateA(module, 0x0500, &di, outer), DIERR_INVALIDPARAM);
  platform::Install(nullptr);
  EXPECT_EQ(DirectInputCreateA(module, 0x0500, &di, nullptr), DIERR_GENERIC);
  platform::Install(&backend);
  EXPECT_EQ(di, nullptr);
}

TEST_F(DInputTest, DevicesHoldTheirDirectInputObject) {
  IDirectInputA* di = MakeInput();
  IDirectInputDeviceA* keyboard = nullptr;
  ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
  EXPECT_EQ(di->AddRef(), 3u);
  EXPECT_EQ(di->Release(), 2u);
  // The device's reference keeps the object alive past its creator's release.
  EXPECT_EQ(di->Release(), 1u);
  IDirectInputDevice2A* extended = nullptr;
  ASSERT_EQ(keyboard->QueryInterface(IID_IDirectInputDevice2A, reinterpret_cast<void**>(&extended)), S_OK);
  EXPECT_EQ(static_cast<IDirectInputDeviceA*>(extended), keyboard);
  EXPECT_EQ(extended->Release(), 1u);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(keyboard->QueryInterface(IID_IDirectInputA, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(keyboard->Release(), 0u);
  EXPECT_EQ(platform::LiveObjectCount(), baseObjects);
}

TEST_F(DInputTest, CreateDeviceKnowsOnlyItsDevices) {
  Com<IDirectInputA> di(MakeInput());
  Com<IDirectInputDeviceA> device;
  EXPECT_EQ(di->CreateDevice(GUID_Joystick, device.Out(), nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(di->CreateDevice(GUID_SysMouse, nullptr, nullptr), DIERR_INVALIDPARAM);
  EXPECT_EQ(di->CreateDevice(GUID_SysMouse, device.Out(), reinterpret_cast<IUnknown*>(di.get())),
            DIERR_INVALIDPARAM);
  EXPECT_EQ(di->GetDeviceStatus(GUID_SysMouse), DI_OK);
  EXPECT_EQ(di->GetDeviceStatus(GUID_XAxis), DIERR_DEVICENOTREG);
  void* twoA = nullptr;
  EXPECT_EQ(di->QueryInterface(IID_IDirectInput2A, &twoA), E_NOINTERFACE);
  EXPECT_EQ(di->Initialize(GetModuleHandleA(nullptr), 0x0500), DI_OK);
  EXPECT_EQ(di->Initialize(GetModuleHandleA(nullptr), 0x0300), DIERR_ALREADYINITIALIZED);
  EXPECT_EQ(di->RunControlPanel(nullptr, 0), DIERR_UNSUPPORTED);
}

TEST_F(DInputTest, ObjectsFromBeforeAReinstallAreNotInitialised) {
  IDirectInputA* di = MakeInput();
  IDirectInputDevice2A* keyboard = MakeDevice(di, GUID_SysKeyboard, c_dfDIKeyboard);
  platform::HeadlessBackend other;
  platform::Install(&other);
  BYTE keys[256];
  EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DIERR_NOTINITIALIZED);
  EXPECT_EQ(keyboard->Acquire(), DIERR_NOTINITIALIZED);
  IDirectInputDeviceA* device = nullptr;
  EXPECT_EQ(di->CreateDevice(GUID_SysMouse, &device, nullptr), DIERR_NOTINITIALIZED);
  keyboard->Release();
  EXPECT_EQ(di->Release(), 0u);
  platform::Install(&backend);
}

struct Listed {
  std::vector<std::string> names;
  std::vector<DWORD> types;
  std::vector<DWORD> sizes;
  int stopAfter = 0;
};

BOOL CALLBACK Collect(LPCDIDEVICEINSTANCEA d, LPVOID ref) {
  auto* listed = static_cast<Listed*>(ref);
  listed->names.push_back(d->tszProductName);
  listed->types.push_back(d->dwDevType);
  listed->sizes.push_back(d->dwSize);
  return static_cast<int>(listed->names.size()) == listed->stopAfter ? DIENUM_STOP : DIENUM_CONTINUE;
}

TEST_F(DInputTest, EnumerationListsTheSystemDevicesThenTheJoysticks) {
  backend.AddJoystick(Pad("Pad One"));
  backend.AddJoystick(Pad("Rumble Pad", 2, 4, 0, true));
  Com<IDirectInputA> di(MakeInput());
  Listed all;
  ASSERT_EQ(di->EnumDevices(0, Collect, &all, DIEDFL_ATTACHEDONLY), DI_OK);
  EXPECT_EQ(all.names, (std::vector<std::string>{"Mouse", "Keyboard", "Pad One", "Rumble Pad"}));
  EXPECT_EQ(GET_DIDEVICE_TYPE(all.types[0]), DIDEVTYPE_MOUSE);
  EXPECT_EQ(GET_DIDEVICE_TYPE(all.types[1]), DIDEVTYPE_KEYBOARD);
  EXPECT_EQ(GET_DIDEVICE_TYPE(all.types[2]), DIDEVTYPE_JOYSTICK);
  EXPECT_EQ(all.sizes[0], sizeof(DIDEVICEINSTANCEA));

  Listed feedback;
  ASSERT_EQ(di->EnumDevices(DIDEVTYPE_JOYSTICK, Collect, &feedback, DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK),
            DI_OK);
  EXPECT_EQ(feedback.names, std::vector<std::string>{"Rumble Pad"});
  Listed stopped;
  stopped.stopAfter = 1;
  ASSERT_EQ(di->EnumDevices(DIDEVTYPE_JOYSTICK, Collect, &stopped, 0), DI_OK);
  EXPECT_EQ(stopped.names, std::vector<std::string>{"Pad One"});
  Listed none;
  EXPECT_EQ(di->EnumDevices(DIDEVTYPE_DEVICE, Collect, &none, 0), DI_OK);
  EXPECT_TRUE(none.names.empty());
  EXPECT_EQ(di->EnumDevices(5, Collect, &none, 0), DIERR_INVALIDPARAM);
  EXPECT_EQ(di->EnumDevices(0, Collect, &none, 0x10000), DIERR_INVALIDPARAM);
  EXPECT_EQ(di->EnumDevices(0, nullptr, &none, 0), DIERR_INVALIDPARAM);

  Com<IDirectInputA> old(MakeInput(0x0300));
  Listed dx3;
  ASSERT_EQ(old->EnumDevices(DIDEVTYPE_KEYBOARD, Collect, &dx3, 0), DI_OK);
  EXPECT_EQ(dx3.sizes, std::vector<DWORD>{sizeof(DIDEVICEINSTANCE_DX3A)});
}

TEST_F(DInputTest, JoysticksComeAndGoWithTheBackEnd) {
  backend.AddJoystick(Pad("First"));
  Com<IDirectInputA> di(MakeInput());
  const std::vector<GUID> before = Joysticks(di.get());
  ASSERT_EQ(before.size(), 1u);
  backend.AddJoystick(Pad("Second"));
  Joy(platform::EventType::JoystickAdded, 1, 0, 0);
  const std::vector<GUID> after = Joysticks(di.get());
  ASSERT_EQ(after.size(), 2u);
  EXPECT_TRUE(after[0] == before[0]) << "a joystick keeps its instance GUID";
  EXPECT_FALSE(after[1] == before[0]);

  Com<IDirectInputDevice2A> first(MakeDevice(di.get(), before[0], c_dfDIJoystick));
  backend.RemoveJoystick(0);
  Joy(platform::EventType::JoystickRemoved, 0, 0, 0);
  EXPECT_EQ(di->GetDeviceStatus(before[0]), DI_NOTATTACHED);
  EXPECT_EQ(di->GetDeviceStatus(after[1]), DI_OK);
  DIJOYSTATE state;
  EXPECT_EQ(first->GetDeviceState(sizeof(state), &state), DIERR_INPUTLOST);
  EXPECT_EQ(first->GetDeviceState(sizeof(state), &state), DIERR_NOTACQUIRED);
  EXPECT_EQ(first->Acquire(), DIERR_INVALIDPARAM);
  Com<IDirectInputDeviceA> gone;
  EXPECT_EQ(di->CreateDevice(before[0], gone.Out(), nullptr), DIERR_DEVICENOTREG);
}

TEST_F(DInputTest, DeviceDescriptionsAndCapabilities) {
  backend.AddJoystick(Pad("Stick", 8, 12, 2, true));
  Com<IDirectInputA> di(MakeInput());
  const GUID guid = Joysticks(di.get()).at(0);
  Com<IDirectInputDevice2A> stick(MakeDevice(di.get(), guid, c_dfDIJoystick));
  DIDEVCAPS caps{};
  caps.dwSize = sizeof(caps);
  ASSERT_EQ(stick->GetCapabilities(&caps), DI_OK);
  EXPECT_EQ(caps.dwFlags, DIDC_ATTACHED | DIDC_FORCEFEEDBACK);
  EXPECT_EQ(caps.dwAxes, 8u);
  EXPECT_EQ(caps.dwButtons, 12u);
  EXPECT_EQ(caps.dwPOVs, 2u);
  DIDEVICEINSTANCEA info{};
  info.dwSize = sizeof(info);
  ASSERT_EQ(stick->GetDeviceInfo(&info), DI_OK);
  EXPECT_TRUE(info.guidInstance == guid);
  EXPECT_TRUE(info.guidProduct == Pad("").instance);
  EXPECT_STREQ(info.tszProductName, "Stick");
  caps.dwSize = 12;
  EXPECT_EQ(stick->GetCapabilities(&caps), DIERR_INVALIDPARAM);

  Com<IDirectInputDevice2A> keyboard(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard));
  DIDEVCAPS_DX3 small{};
  small.dwSize = sizeof(small);
  ASSERT_EQ(keyboard->GetCapabilities(reinterpret_cast<LPDIDEVCAPS>(&small)), DI_OK);
  EXPECT_EQ(GET_DIDEVICE_TYPE(small.dwDevType), DIDEVTYPE_KEYBOARD);
  EXPECT_GT(small.dwButtons, 100u);
  EXPECT_EQ(small.dwAxes, 0u);
  EXPECT_EQ(keyboard->Initialize(GetModuleHandleA(nullptr), 0x0500, GUID_SysKeyboard), S_FALSE);
  EXPECT_EQ(keyboard->Initialize(GetModuleHandleA(nullptr), 0x0500, GUID_SysMouse), DIERR_ACQUIRED);
}

}  // namespace
}  // namespace dinput_test
