// A headless back end with an application object and a form shaped like the
// game's: 648 x 526 outer bounds, centred, one menu with two items.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/forms.h"
#include "platform/system.h"

namespace platform::testing {

inline std::vector<std::string>* gLog = nullptr;
inline void Log(const std::string& line) {
  if (gLog) gLog->push_back(line);
}

// A component that writes its life into the log.
class TLoggedComponent : public TComponent {
 public:
  TLoggedComponent(TComponent* owner, std::string name) : TComponent(owner) {
    Name = std::move(name);
    Log("create " + Name + (ComponentState().Contains(csLoading) ? " loading" : ""));
  }
  ~TLoggedComponent() override { Log("destroy " + Name); }
  void Loaded() override {
    TComponent::Loaded();
    Log("loaded " + Name + " value=" + std::to_string(Value));
  }
  int Value = 0;
};

class TTestForm : public TForm {
 public:
  explicit TTestForm(TComponent* owner) : TForm(owner) {
    SetCaption("Zornack");
    SetBounds(10, 10, 648, 526);
    SetPosition(poScreenCenter);
    SetBorderIcons({biSystemMenu, biMinimize});
    OnCreate = [](TObject*) { Log("OnCreate"); };
    OnDestroy = [](TObject*) { Log("OnDestroy"); };
    First = new TLoggedComponent(this, "First");
    First->Value = 1;
    Second = new TLoggedComponent(this, "Second");
    Second->Value = 2;
    MainMenu1 = new TMainMenu(this);
    S1 = new TMenuItem(this);
    S1->SetCaption("画面モード(&S)");
    W1 = new TMenuItem(this);
    W1->SetCaption("ウィンドウ内(&W)");
    W1->SetScreenModeRole(MenuRole::WindowMode);
    W1->OnClick = [](TObject*) { Log("W1Click"); };
    F1 = new TMenuItem(this);
    F1->SetCaption("フルスクリーン(&F)");
    F1->SetScreenModeRole(MenuRole::FullScreenMode);
    F1->OnClick = [](TObject*) { Log("F1Click"); };
    MainMenu1->Items()->Add(S1);
    S1->Add(W1);
    S1->Add(F1);
    SetMenu(MainMenu1);
  }

  TLoggedComponent* First;
  TLoggedComponent* Second;
  TMainMenu* MainMenu1;
  TMenuItem* S1;
  TMenuItem* W1;
  TMenuItem* F1;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gLog = &log;
    Install(&backend);
  }
  void TearDown() override {
    gLog = nullptr;
    Install(nullptr);
  }
  // Creates the form through the application, as a program does.
  TTestForm* MakeForm() {
    app.Initialize();
    app.CreateForm(form);
    return form;
  }

  HeadlessBackend backend;
  std::vector<std::string> log;
  TApplication app;
  TTestForm* form = nullptr;
};

}  // namespace platform::testing
