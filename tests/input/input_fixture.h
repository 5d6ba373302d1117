// A headless form like the game's: a TBrinInput named Joy whose stored
// properties a test chooses, the component's log pointed at a folder of the
// test's own, and input queued on the back end and delivered by the
// application's message loop.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "input/brin_input.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/faults.h"
#include "platform/forms.h"
#include "platform/system.h"

namespace brin_input_test {

// Sets the component's stored properties the way a form description would.
using Configure = std::function<void(TBrinInput*)>;
inline Configure gConfigure;

class TInputForm : public TForm {
 public:
  explicit TInputForm(TComponent* owner) : TForm(owner) {
    SetCaption("Zornack");
    Joy = new TBrinInput(this);
    Joy->SetDebugOption({dioDebugMessage});
    if (gConfigure) gConfigure(Joy);
  }
  TBrinInput* Joy;
};

platform::JoystickInfo Pad(const std::string& name, bool forceFeedback = false);

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes the application and the form; Loaded opens the devices.
  TBrinInput* Start(Configure configure = nullptr);
  // Delivers what the back end has queued.
  void Pump() { app->ProcessMessages(); }
  void Key(std::uint16_t scanCode, bool down);
  void Axis(int joystick, int axis, int value);
  void Button(int joystick, int button, bool down);
  void Focus(bool active);

  // The log as UTF-8 lines without their "debug#NNNNN ... " prefix.
  std::vector<std::string> LogLines() const;
  std::string LogBytes() const;

  platform::HeadlessBackend backend;
  TApplication* app = nullptr;
  TInputForm* form = nullptr;
  std::filesystem::path logDir;
  long baseObjects = 0;
};

}  // namespace brin_input_test
