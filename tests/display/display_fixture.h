// A headless display set up like the game's: a form that owns a TBrin whose
// stored properties a test chooses, the log pointed at a folder of the
// test's own, and helpers to read the log back as UTF-8 lines.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "display/brin.h"
#include "display/debug_log.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/faults.h"
#include "platform/forms.h"
#include "platform/system.h"
#include "surfaces/brin_surface.h"

namespace brin::testing {

// What happened, in order, across the form's and the component's events.
inline std::vector<std::string>* gEvents = nullptr;
inline void Event(const std::string& what) {
  if (gEvents) gEvents->push_back(what);
}

// Sets a TBrin's stored properties the way a form description would.
using Configure = std::function<void(TBrin*)>;
inline Configure gConfigure;

class TDisplayForm : public TForm {
 public:
  explicit TDisplayForm(TComponent* owner) : TForm(owner) {
    SetCaption("Zornack");
    SetBounds(0, 0, 648, 526);
    SetPosition(poScreenCenter);
    OnCreate = [](TObject*) { Event("FormCreate"); };
    OnPaint = [](TObject*) { Event("FormPaint"); };
    Brin1 = new TBrin(this);
    Brin1->SetDebugOption({broDebugMessage, broDetailedLog});
    Brin1->OnInit = [](TObject*, bool needChange) { Event(needChange ? "OnInit need" : "OnInit"); };
    Brin1->OnRestore = [](TObject*) { Event("OnRestore"); };
    Brin1->OnChangeDisplayMode = [](TObject*) { Event("OnChangeDisplayMode"); };
    Brin1->OnCleanUp = [](TObject*) { Event("OnCleanUp"); };
    Brin1->OnDestroy = [](TObject*) { Event("OnDestroy"); };
    if (gConfigure) gConfigure(Brin1);
  }
  TBrin* Brin1;
};

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gEvents = &events;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    logDir = std::filesystem::temp_directory_path() /
             (std::string("brin_display_") + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(logDir);
    std::filesystem::create_directories(logDir);
    DisplayLogChannel().Reset();
    DisplayLogChannel().folder = logDir.string();
    platform::Install(&backend);
    baseObjects = platform::LiveObjectCount();
  }
  void TearDown() override {
    delete app;
    app = nullptr;
    gConfigure = nullptr;
    gEvents = nullptr;
    DisplayLogChannel().Reset();
    platform::Install(nullptr);
    std::filesystem::remove_all(logDir);
  }

  // Makes the application and the form; the display is built on the way.
  TBrin* Start(Configure configure = nullptr) {
    gConfigure = std::move(configure);
    app = new TApplication();
    app->Initialize();
    app->CreateForm(form);
    return form->Brin1;
  }

  // The log file as UTF-8 lines without their "debug#NNNNN ... " prefix.
  std::vector<std::string> LogLines() const;
  // Lines logged since the last call (to check one step at a time).
  std::vector<std::string> NewLogLines();
  bool Logged(const std::string& text) const;

  platform::HeadlessBackend backend;
  TApplication* app = nullptr;
  TDisplayForm* form = nullptr;
  std::vector<std::string> events;
  std::filesystem::path logDir;
  long baseObjects = 0;
  size_t linesSeen = 0;
};

}  // namespace brin::testing
