#include "tests/input/input_fixture.h"

#include <fstream>
#include <sstream>

#include "platform/files.h"

namespace brin_input_test {

platform::JoystickInfo Pad(const std::string& name, bool forceFeedback) {
  platform::JoystickInfo info;
  info.name = name;
  info.axes = 8;
  info.buttons = 32;
  info.povs = 4;
  info.forceFeedback = forceFeedback;
  return info;
}

void InputTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("brin_input_") + info->test_suite_name() + "_" + info->name();
  for (char& c : name)
    if (c == '/') c = '_';
  logDir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(logDir);
  std::filesystem::create_directories(logDir);
  brin::input::ResetLog();
  brin::input::Log().channel.folder = logDir.string();
  platform::Install(&backend);
  baseObjects = platform::LiveObjectCount();
}

void InputTest::TearDown() {
  delete app;
  app = nullptr;
  EXPECT_EQ(platform::LiveObjectCount(), baseObjects) << "destruction released every device";
  gConfigure = nullptr;
  brin::input::ResetLog();
  platform::Install(nullptr);
  std::filesystem::remove_all(logDir);
}

TBrinInput* InputTest::Start(Configure configure) {
  gConfigure = std::move(configure);
  app = new TApplication();
  app->Initialize();
  app->CreateForm(form);
  return form->Joy;
}

void InputTest::Key(std::uint16_t scanCode, bool down) {
  if (down)
    backend.QueueKeyDown(0, scanCode);
  else
    backend.QueueKeyUp(0, scanCode);
  Pump();
}

void InputTest::Axis(int joystick, int axis, int value) {
  platform::Event e;
  e.type = platform::EventType::JoystickAxis;
  e.joystick = platform::JoystickEvent{joystick, axis, value};
  backend.QueueEvent(e);
  Pump();
}

void InputTest::Button(int joystick, int button, bool down) {
  platform::Event e;
  e.type = platform::EventType::JoystickButton;
  e.joystick = platform::JoystickEvent{joystick, button, down ? 1 : 0};
  backend.QueueEvent(e);
  Pump();
}

void InputTest::Focus(bool active) {
  backend.QueueSimple(active ? platform::EventType::FocusGained : platform::EventType::FocusLost);
  Pump();
}

std::vector<std::string> InputTest::LogLines() const {
  std::vector<std::string> lines;
  const auto path = logDir / "brinin.debug";
  if (!std::filesystem::exists(path)) return lines;
  for (const auto& raw : platform::ReadTextLines(path.string())) {
    const std::string line = platform::Cp932ToUtf8(raw);
    const auto dots = line.find(" ... ");
    lines.push_back(dots == std::string::npos ? line : line.substr(dots + 5));
  }
  return lines;
}

std::string InputTest::LogBytes() const {
  std::ifstream in(logDir / "brinin.debug", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace brin_input_test
