// The error policy: every message reached through fault injection, what
// is not reported, the log file's lines, halting, EBrinIn, design mode.
#include <cstdio>

#include "platform/files.h"
#include "tests/input/input_fixture.h"

namespace brin_input_test {
namespace {

using platform::FaultMode;
using ::testing::ElementsAreArray;

constexpr HRESULT kFault = static_cast<HRESULT>(0x80040BADu);
constexpr char kSuffix[] = "(Error Code(80040BAD))";

std::string Line(const std::string& message) { return message + kSuffix; }

struct FailureCase {
  const char* call;
  FaultMode mode;
  std::vector<std::string> lines;
  int joysticks;        // kept after the failure (one is attached)
  bool keyboardReads;   // the keyboard still works afterwards
  bool joystickReads;   // and the joystick, once acquired again
};

class InputInitFailureTest : public InputTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(InputInitFailureTest, IsLoggedAndTheComponentCarriesOn) {
  const FailureCase& c = GetParam();
  backend.AddJoystick(Pad("Pad"));
  platform::InjectFault(c.call, kFault, c.mode);
  TBrinInput* joy = Start();
  platform::ClearFaults();
  EXPECT_THAT(LogLines(), ElementsAreArray(c.lines));
  EXPECT_EQ(joy->JoystickCount(), c.joysticks);
  // Whatever is missing, a frame's update reads what there is and no more.
  Key(DIK_Z, true);
  EXPECT_EQ(joy->Update({0}), c.keyboardReads);
  EXPECT_EQ(joy->ButtonDown(0), c.keyboardReads);
  joy->UpdateDevice(2, false);
  EXPECT_EQ(joy->UpdateDevice(2, false), c.joystickReads);
}

const std::string kCreate = Line("DirectInputの作成に失敗しました");
const std::string kKeyboard = Line("DirectInputDevice(キーボード)の作成に失敗しました");
const std::string kMouse = Line("DirectInputDevice(マウス)の作成に失敗しました");
const std::string kKeyboardFormat = Line("DirectInputDeviceのデータフォーマット(キーボード)の指定に失敗しました");
const std::string kMouseFormat = Line("DirectInputDeviceのデータフォーマット(マウス)の指定に失敗しました");
const std::string kJoystickFormat = Line("DirectInputDeviceのデータフォーマット(ジョイスティック)の指定に失敗しました");
const std::string kCooperation = Line("DirectInputDeviceの協調レベルの設定に失敗しました");

INSTANTIATE_TEST_SUITE_P(
    EveryMessage, InputInitFailureTest,
    ::testing::Values(
        FailureCase{"DirectInputCreateA", FaultMode::Once, {kCreate}, 0, false, false},
        FailureCase{"IDirectInputA::CreateDevice", FaultMode::Once, {kKeyboard}, 1, false, true},
        // The joystick that cannot be made is skipped without a word.
        FailureCase{"IDirectInputA::CreateDevice", FaultMode::Always, {kKeyboard, kMouse}, 0, false, false},
        FailureCase{"IDirectInputDeviceA::SetDataFormat", FaultMode::Always,
                    {kKeyboardFormat, kMouseFormat, kJoystickFormat}, 1, false, false},
        // Only the joystick's second, non-exclusive attempt is reported.
        FailureCase{"IDirectInputDeviceA::SetCooperativeLevel", FaultMode::Always,
                    {kCooperation, kCooperation, kCooperation}, 1, true, true},
        // Not reported: the enumeration, the ranges, acquisition, and a
        // joystick without the extended interface (skipped).
        FailureCase{"IDirectInputA::EnumDevices", FaultMode::Always, {}, 0, true, false},
        FailureCase{"IDirectInputDeviceA::SetProperty", FaultMode::Always, {}, 1, true, true},
        FailureCase{"IDirectInputDeviceA::Acquire", FaultMode::Always, {}, 1, true, true},
        FailureCase{"IDirectInputDeviceA::QueryInterface", FaultMode::Always, {}, 0, true, false}));

TEST_F(InputTest, ReadFailuresAreNotReported) {
  backend.AddJoystick(Pad("Pad"));
  TBrinInput* joy = Start();
  platform::InjectFault("IDirectInputDeviceA::GetDeviceState", kFault, FaultMode::Always);
  platform::InjectFault("IDirectInputDevice2A::Poll", kFault, FaultMode::Always);
  EXPECT_FALSE(joy->Update({2, 0, 1}));
  EXPECT_EQ(platform::FaultHits("IDirectInputDeviceA::GetDeviceState"), 4) << "the keyboard reads twice";
  platform::ClearFaults();
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(InputTest, LogLinesAreNumberedInCodePage932) {
  TBrinInput* joy = Start([](TBrinInput* j) { j->AutoInitialize = false; });
  EXPECT_EQ(joy->DirectInput(), nullptr) << "AutoInitialize off: nothing opened";
  platform::InjectFault("DirectInputCreateA", kFault, FaultMode::Always);
  joy->Initialize();
  joy->Initialize();
  const std::string first = platform::Utf8ToCp932("debug#00001 ... " + kCreate) + "\r\n";
  const std::string second = platform::Utf8ToCp932("debug#00002 ... " + kCreate) + "\r\n";
  EXPECT_EQ(LogBytes(), first + second);
  // A new run: the counter starts again and the file is emptied.
  brin::input::Log().channel.lineCounter = 0;
  joy->Initialize();
  EXPECT_EQ(LogBytes(), first);
  platform::ClearFaults();
}

TEST_F(InputTest, WithNoSwitchAFailureIsSilent) {
  TBrinInput* joy = Start([](TBrinInput* j) {
    j->SetDebugOption({});
    platform::InjectFault("IDirectInputA::CreateDevice", kFault, FaultMode::Always);
  });
  platform::ClearFaults();
  EXPECT_FALSE(std::filesystem::exists(logDir / "brinin.debug"));
  EXPECT_EQ(joy->KeyboardDevice(), nullptr);
  EXPECT_FALSE(joy->Update({0, 1, 2}));
}

TEST_F(InputTest, ExceptOnErrorRaisesEBrinInAfterLogging) {
  backend.AddJoystick(Pad("Pad"));
  TBrinInput* joy = Start([](TBrinInput* j) { j->AutoInitialize = false; });
  joy->SetDebugOption({dioHaltOnError, dioDebugMessage, dioExceptOnError});
  platform::InjectFault("DirectInputCreateA", kFault);
  try {
    joy->Initialize();
    FAIL() << "no exception";
  } catch (const EBrinIn& e) {
    EXPECT_EQ(e.Message(), kCreate) << "the exception wins over the halt";
  }
  EXPECT_THAT(LogLines(), ElementsAreArray({kCreate}));

  // Without messages the exception is raised all the same, with no line.
  joy->SetDebugOption({dioExceptOnError});
  platform::InjectFault("IDirectInputDeviceA::SetDataFormat", kFault, FaultMode::Always);
  try {
    joy->Initialize();
    FAIL() << "no exception";
  } catch (const EBrinIn& e) {
    EXPECT_EQ(e.Message(), kKeyboardFormat);
  }
  platform::ClearFaults();
  EXPECT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(joy->JoystickCount(), 0) << "the steps after the exception did not run";

  // The next Initialize starts over from what the interrupted one held.
  joy->Initialize();
  EXPECT_EQ(joy->JoystickCount(), 1);
  EXPECT_TRUE(joy->Update({2, 0}));
}

using InputDeathTest = InputTest;

TEST_F(InputDeathTest, HaltEndsTheProgramWithCodeZeroAfterTheLine) {
  EXPECT_EXIT(
      {
        platform::InjectFault("IDirectInputA::CreateDevice", kFault);
        Start([](TBrinInput* j) { j->SetDebugOption({dioHaltOnError, dioDebugMessage}); });
        std::fprintf(stderr, "still running\n");
      },
      ::testing::ExitedWithCode(1), "^[a-z_]+: DirectInputDevice\\(キーボード\\)の作成に失敗しました\\(Error Code\\(80040BAD\\)\\)\n$");
  EXPECT_THAT(LogLines(), ElementsAreArray({kKeyboard}));
}

TEST_F(InputTest, DesignModeRefusesASecondComponentAndOpensNothing) {
  TForm designed(nullptr);
  designed.SetDesigning(true);
  TBrinInput first(&designed);
  first.Loaded();
  EXPECT_EQ(first.DirectInput(), nullptr);
  try {
    TBrinInput second(&designed);
    FAIL() << "a second component was accepted";
  } catch (const EBrinIn&) {
    FAIL() << "the refusal is the platform's base exception";
  } catch (const platform::Exception& e) {
    EXPECT_STREQ(e.what(), "BrinInputコンポーネントを、同一フォームに2つ以上貼る事はできません");
  }
  EXPECT_EQ(designed.ComponentCount(), 1);
  EXPECT_FALSE(std::filesystem::exists(logDir / "brinin.debug"));
}

}  // namespace
}  // namespace brin_input_test
