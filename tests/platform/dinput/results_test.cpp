// Failures report a code from the call's documented result list: each row is
// a call refused for a reason the list has no code of its own for.
#include <functional>

#include "tests/platform/dinput/dinput_test_support.h"

namespace dinput_test {
namespace {

TEST_F(DInputTest, RefusalsUseTheCodesEachCallDocuments) {
  Com<IDirectInputA> di(MakeInput());
  Com<IDirectInputDevice2A> keyboard(MakeDevice(di.get(), GUID_SysKeyboard, c_dfDIKeyboard));
  Com<IDirectInputDevice2A> stale(MakeDevice(di.get(), GUID_SysMouse, c_dfDIMouse));
  LPDIRECTINPUTEFFECT effect = nullptr;
  DIDEVICEOBJECTDATA data{};
  DWORD count = 1;
  struct Row {
    const char* call;
    std::function<HRESULT()> run;
    HRESULT expected;
  };
  const Row rows[] = {
      {"SendDeviceData to a device without output",
       [&] { return keyboard->SendDeviceData(sizeof data, &data, &count, 0); }, DIERR_REPORTFULL},
      {"CreateEffect aggregated",
       [&] { return keyboard->CreateEffect(GUID_Unknown, nullptr, &effect, reinterpret_cast<LPUNKNOWN>(0x10)); },
       DIERR_INVALIDPARAM},
      {"Unacquire after a reinstall", [&] {
         platform::HeadlessBackend other;
         platform::Install(&other);
         const HRESULT hr = stale->Unacquire();
         platform::Install(&backend);
         return hr;
       }, DI_NOEFFECT},
  };
  for (const Row& row : rows) EXPECT_EQ(row.run(), row.expected) << row.call;
  EXPECT_EQ(effect, nullptr);
}

}  // namespace
}  // namespace dinput_test
