// Every DirectInput call can be made to fail with a chosen code, after its
// out-parameters were cleared.
#include <functional>

#include "tests/platform/dinput/dinput_test_support.h"

namespace dinput_test {
namespace {

constexpr HRESULT kFault = static_cast<HRESULT>(0x8007BADu);

using Call = std::function<HRESULT(IDirectInputA*, IDirectInputDevice2A*)>;
struct FaultCase {
  const char* name;
  Call call;
};

class DInputFaultTest : public DInputTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(DInputFaultTest, InjectedFaultIsReturned) {
  Com<IDirectInputA> di(MakeInput());
  Com<IDirectInputDevice2A> keyboard(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard));
  platform::InjectFault(GetParam().name, kFault);
  EXPECT_EQ(GetParam().call(di.get(), keyboard.get()), kFault);
  EXPECT_EQ(platform::FaultHits(GetParam().name), 1);
  platform::ClearFaults();
}

BOOL CALLBACK Any(LPCDIDEVICEINSTANCEA, LPVOID) { return DIENUM_CONTINUE; }
BOOL CALLBACK AnyObject(LPCDIDEVICEOBJECTINSTANCEA, LPVOID) { return DIENUM_CONTINUE; }
BOOL CALLBACK AnyEffect(LPCDIEFFECTINFOA, LPVOID) { return DIENUM_CONTINUE; }
BOOL CALLBACK AnyCreated(LPDIRECTINPUTEFFECT, LPVOID) { return DIENUM_CONTINUE; }

INSTANTIATE_TEST_SUITE_P(
    EveryCall, DInputFaultTest,
    ::testing::Values(
        FaultCase{"DirectInputCreateA",
                  [](IDirectInputA*, IDirectInputDevice2A*) {
                    IDirectInputA* di = reinterpret_cast<IDirectInputA*>(1);
                    const HRESULT hr = DirectInputCreateA(GetModuleHandleA(nullptr), 0x0500, &di, nullptr);
                    EXPECT_EQ(di, nullptr);
                    return hr;
                  }},
        FaultCase{"IDirectInputA::CreateDevice",
                  [](IDirectInputA* di, IDirectInputDevice2A*) {
                    IDirectInputDeviceA* d = reinterpret_cast<IDirectInputDeviceA*>(1);
                    const HRESULT hr = di->CreateDevice(GUID_SysMouse, &d, nullptr);
                    EXPECT_EQ(d, nullptr);
                    return hr;
                  }},
        FaultCase{"IDirectInputA::EnumDevices",
                  [](IDirectInputA* di, IDirectInputDevice2A*) { return di->EnumDevices(0, Any, nullptr, 0); }},
        FaultCase{"IDirectInputA::GetDeviceStatus",
                  [](IDirectInputA* di, IDirectInputDevice2A*) { return di->GetDeviceStatus(GUID_SysMouse); }},
        FaultCase{"IDirectInputA::QueryInterface",
                  [](IDirectInputA* di, IDirectInputDevice2A*) {
                    void* p = nullptr;
                    return di->QueryInterface(IID_IDirectInputA, &p);
                  }},
        FaultCase{"IDirectInputDeviceA::QueryInterface",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    void* p = reinterpret_cast<void*>(1);
                    const HRESULT hr = d->QueryInterface(IID_IDirectInputDevice2A, &p);
                    EXPECT_EQ(p, nullptr);
                    return hr;
                  }},
        FaultCase{"IDirectInputDeviceA::GetCapabilities",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    DIDEVCAPS caps{};
                    caps.dwSize = sizeof(caps);
                    caps.dwAxes = 9;
                    const HRESULT hr = d->GetCapabilities(&caps);
                    EXPECT_EQ(caps.dwAxes, 0u);
                    return hr;
                  }},
        FaultCase{"IDirectInputDeviceA::EnumObjects",
                  [](IDirectInputA*, IDirectInputDevice2A* d) { return d->EnumObjects(AnyObject, nullptr, 0); }},
        FaultCase{"IDirectInputDeviceA::GetProperty",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    DIPROPDWORD p{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 7};
                    const HRESULT hr = d->GetProperty(DIPROP_BUFFERSIZE, &p.diph);
                    EXPECT_EQ(p.dwData, 0u);
                    return hr;
                  }},
        FaultCase{"IDirectInputDeviceA::SetProperty",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    DIPROPDWORD p{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 7};
                    return d->SetProperty(DIPROP_BUFFERSIZE, &p.diph);
                  }},
        FaultCase{"IDirectInputDeviceA::Acquire", [](IDirectInputA*, IDirectInputDevice2A* d) { return d->Acquire(); }},
        FaultCase{"IDirectInputDeviceA::Unacquire",
                  [](IDirectInputA*, IDirectInputDevice2A* d) { return d->Unacquire(); }},
        FaultCase{"IDirectInputDeviceA::GetDeviceState",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    BYTE keys[256];
                    keys[7] = 1;
                    const HRESULT hr = d->GetDeviceState(sizeof(keys), keys);
                    EXPECT_EQ(keys[7], 0);
                    return hr;
                  }},
        FaultCase{"IDirectInputDeviceA::GetDeviceData",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    DWORD count = 5;
                    const HRESULT hr = d->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &count, 0);
                    EXPECT_EQ(count, 0u);
                    return hr;
                  }},
        FaultCase{"IDirectInputDeviceA::SetDataFormat",
                  [](IDirectInputA*, IDirectInputDevice2A* d) { return d->SetDataFormat(&c_dfDIKeyboard); }},
        FaultCase{"IDirectInputDeviceA::SetEventNotification",
                  [](IDirectInputA*, IDirectInputDevice2A* d) { return d->SetEventNotification(nullptr); }},
        FaultCase{"IDirectInputDeviceA::SetCooperativeLevel",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    return d->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
                  }},
        FaultCase{"IDirectInputDeviceA::GetObjectInfo",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    DIDEVICEOBJECTINSTANCEA o{};
                    o.dwSize = sizeof(o);
                    o.tszName[0] = 'x';
                    const HRESULT hr = d->GetObjectInfo(&o, DIK_A, DIPH_BYOFFSET);
                    EXPECT_EQ(o.tszName[0], '\0');
                    return hr;
                  }},
        FaultCase{"IDirectInputDeviceA::GetDeviceInfo",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    DIDEVICEINSTANCEA i{};
                    i.dwSize = sizeof(i);
                    return d->GetDeviceInfo(&i);
                  }},
        FaultCase{"IDirectInputDeviceA::RunControlPanel",
                  [](IDirectInputA*, IDirectInputDevice2A* d) { return d->RunControlPanel(nullptr, 0); }},
        FaultCase{"IDirectInputDeviceA::Initialize",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    return d->Initialize(GetModuleHandleA(nullptr), 0x0500, GUID_SysKeyboard);
                  }},
        FaultCase{"IDirectInputDevice2A::CreateEffect",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    LPDIRECTINPUTEFFECT e = reinterpret_cast<LPDIRECTINPUTEFFECT>(1);
                    const HRESULT hr = d->CreateEffect(GUID_Unknown, nullptr, &e, nullptr);
                    EXPECT_EQ(e, nullptr);
                    return hr;
                  }},
        FaultCase{"IDirectInputDevice2A::EnumEffects",
                  [](IDirectInputA*, IDirectInputDevice2A* d) { return d->EnumEffects(AnyEffect, nullptr, 0); }},
        FaultCase{"IDirectInputDevice2A::GetEffectInfo",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    DIEFFECTINFOA info{};
                    info.dwSize = sizeof(info);
                    return d->GetEffectInfo(&info, GUID_Unknown);
                  }},
        FaultCase{"IDirectInputDevice2A::GetForceFeedbackState",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    DWORD state = 3;
                    const HRESULT hr = d->GetForceFeedbackState(&state);
                    EXPECT_EQ(state, 0u);
                    return hr;
                  }},
        FaultCase{"IDirectInputDevice2A::SendForceFeedbackCommand",
                  [](IDirectInputA*, IDirectInputDevice2A* d) { return d->SendForceFeedbackCommand(DISFFC_RESET); }},
        FaultCase{"IDirectInputDevice2A::EnumCreatedEffectObjects",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    return d->EnumCreatedEffectObjects(AnyCreated, nullptr, 0);
                  }},
        FaultCase{"IDirectInputDevice2A::Escape",
                  [](IDirectInputA*, IDirectInputDevice2A* d) { return d->Escape(nullptr); }},
        FaultCase{"IDirectInputDevice2A::Poll", [](IDirectInputA*, IDirectInputDevice2A* d) { return d->Poll(); }},
        FaultCase{"IDirectInputDevice2A::SendDeviceData",
                  [](IDirectInputA*, IDirectInputDevice2A* d) {
                    DWORD count = 0;
                    return d->SendDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &count, 0);
                  }}),
    [](const ::testing::TestParamInfo<FaultCase>& info) {
      std::string name = info.param.name;
      for (char& c : name)
        if (c == ':') c = '_';
      return name;
    });

TEST_F(DInputTest, DevicesWithoutForceFeedbackRefuseEffects) {
  Com<IDirectInputA> di(MakeInput());
  Com<IDirectInputDevice2A> keyboard(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard));
  LPDIRECTINPUTEFFECT effect = nullptr;
  EXPECT_EQ(keyboard->CreateEffect(GUID_Unknown, nullptr, &effect, nullptr), DIERR_DEVICENOTREG);
  int listed = 0;
  EXPECT_EQ(keyboard->EnumEffects(
                [](LPCDIEFFECTINFOA, LPVOID ref) {
                  ++*static_cast<int*>(ref);
                  return DIENUM_CONTINUE;
                },
                &listed, DIEFT_ALL),
            DI_OK);
  EXPECT_EQ(listed, 0);
  EXPECT_EQ(keyboard->SendForceFeedbackCommand(DISFFC_RESET | DISFFC_STOPALL), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SendForceFeedbackCommand(DISFFC_STOPALL), DIERR_UNSUPPORTED);
  DWORD none = 0;
  EXPECT_EQ(keyboard->SendDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &none, 0), DI_OK);
}

}  // namespace
}  // namespace dinput_test
