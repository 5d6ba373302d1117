// The component framework and the application's message loop: loading
// order, idle calls and their Done flag, termination and destruction order,
// exceptions escaping handlers.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/vk.h"
#include "platform/window.h"
#include "tests/platform/window/window_fixture.h"

namespace platform::testing {
namespace {

using ::testing::ElementsAre;

TEST_F(WindowTest, CreationLoadsEveryComponentThenRaisesOnCreate) {
  MakeForm();
  EXPECT_EQ(app.MainForm(), form);
  // Components are loading while the description plays, get Loaded with
  // their stored values in creation order, and OnCreate comes last.
  EXPECT_THAT(log, ElementsAre("create First loading", "create Second loading", "loaded First value=1",
                               "loaded Second value=2", "OnCreate"));
  EXPECT_FALSE(form->ComponentState().Contains(csLoading));
  EXPECT_FALSE(form->First->ComponentState().Contains(csLoading));
}

// A component that hooks its owner's create event the way the display
// component does: the form's own handler, assigned first, is saved and
// called from the hook.
class THookingComponent : public TComponent {
 public:
  explicit THookingComponent(TForm* owner) : TComponent(owner), form_(owner) {
    saved_ = owner->OnCreate;
    owner->OnCreate = [this](TObject* sender) {
      Log(std::string("hook handle=") + (form_->HandleAllocated() ? "yes" : "no"));
      form_->Handle();
      if (saved_) saved_(sender);
    };
  }

 private:
  TForm* form_;
  TNotifyEvent saved_;
};

class THookedForm : public TForm {
 public:
  explicit THookedForm(TComponent* owner) : TForm(owner) {
    OnCreate = [](TObject*) { Log("FormCreate"); };
    new THookingComponent(this);
  }
};

TEST_F(WindowTest, ComponentsChainTheFormsOwnHandlers) {
  THookedForm* hooked = nullptr;
  app.CreateForm(hooked);
  EXPECT_THAT(log, ElementsAre("hook handle=no", "FormCreate"));
  EXPECT_TRUE(hooked->HandleAllocated());
}

TEST_F(WindowTest, DesignModeReachesOwnedAndLaterComponents) {
  TComponent owner(nullptr);
  auto* early = new TComponent(&owner);
  owner.SetDesigning(true);
  auto* late = new TComponent(&owner);
  EXPECT_TRUE(early->ComponentState().Contains(csDesigning));
  EXPECT_TRUE(late->ComponentState().Contains(csDesigning));
  EXPECT_EQ(owner.ComponentCount(), 2);
  owner.SetDesigning(false);
  EXPECT_FALSE(late->ComponentState().Contains(csDesigning));
  // A component freed on its own leaves its owner's list.
  delete early;
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), late);
  EXPECT_THROW(owner.Components(1), Exception);
}

TEST_F(WindowTest, IdleWithDoneFalseIsCalledAgainAtOnce) {
  MakeForm();
  int calls = 0;
  app.OnIdle = [&](TObject* sender, bool& done) {
    EXPECT_EQ(sender, &app);
    ++calls;
    done = false;
  };
  const std::uint64_t before = backend.NowMicroseconds();
  EXPECT_EQ(app.RunFor(50), 50);
  EXPECT_EQ(calls, 50);
  EXPECT_EQ(backend.NowMicroseconds(), before);  // never waited
}

TEST_F(WindowTest, IdleWithDoneTrueWaitsForTheNextMessage) {
  MakeForm();
  app.OnIdle = [&](TObject*, bool&) {};  // leaves Done true
  const std::uint64_t before = backend.NowMicroseconds();
  EXPECT_EQ(app.RunFor(3), 3);
  EXPECT_GE(backend.NowMicroseconds() - before, 300'000u);  // each call was followed by a wait

  // A message ends the wait at once and is handled before the next idle call.
  int idleAfterKey = -1;
  int idleCalls = 0;
  form->OnKeyDown = [&](TObject*, WORD&, TShiftState) { idleAfterKey = idleCalls; };
  app.OnIdle = [&](TObject*, bool&) { ++idleCalls; };
  backend.QueueKeyPress(VK_SPACE, DIK_SPACE);
  const std::uint64_t t = backend.NowMicroseconds();
  app.RunFor(1);
  EXPECT_EQ(idleAfterKey, 0);
  EXPECT_EQ(backend.NowMicroseconds() - t, 100'000u);  // only the wait after the one idle call
}

TEST_F(WindowTest, TerminateEndsTheLoopThenDestroysFormAndComponentsNewestFirst) {
  MakeForm();
  log.clear();
  int idleCalls = 0;
  app.OnIdle = [&](TObject*, bool& done) {
    done = false;
    if (++idleCalls == 3) app.Terminate();
  };
  app.Run();
  EXPECT_EQ(idleCalls, 3);  // no idle call after Terminate
  EXPECT_EQ(app.MainForm(), nullptr);
  EXPECT_THAT(log, ElementsAre("OnDestroy", "destroy Second", "destroy First"));
  EXPECT_FALSE(backend.Window().visible);
}

TEST_F(WindowTest, EscapeHandlerTerminatingSeesNoFurtherFrames) {
  MakeForm();
  form->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    if (key == VK_ESCAPE) app.Terminate();
  };
  int idleCalls = 0;
  app.OnIdle = [&](TObject*, bool& done) {
    ++idleCalls;
    done = false;
    if (idleCalls == 2) backend.QueueKeyPress(VK_ESCAPE, DIK_ESCAPE);
  };
  app.Run();
  EXPECT_EQ(idleCalls, 2);
}

TEST_F(WindowTest, ClosingTheWindowTerminates) {
  MakeForm();
  app.OnIdle = [](TObject*, bool& done) { done = false; };
  backend.QueueSimple(EventType::Close);
  EXPECT_EQ(app.RunFor(10), 0);
  EXPECT_TRUE(app.Terminated());
}

TEST_F(WindowTest, ExceptionInAHandlerIsShownAndTheLoopGoesOn) {
  MakeForm();
  int calls = 0;
  app.OnIdle = [&](TObject*, bool& done) {
    done = false;
    if (++calls == 1) throw Exception("不正なビットマップです");
  };
  EXPECT_EQ(app.RunFor(3), 3);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].text, "不正なビットマップです");
  EXPECT_EQ(backend.MessageBoxes()[0].icon, MessageBoxIcon::Error);

  std::string seen;
  app.OnException = [&](TObject*, const std::exception& e) { seen = e.what(); };
  app.OnIdle = [&](TObject*, bool&) { throw std::runtime_error("second"); };
  app.RunFor(1);
  EXPECT_EQ(seen, "second");
  EXPECT_EQ(backend.MessageBoxes().size(), 1u);
}

// A component whose Loaded throws, on a form whose every event throws,
// named after the event.
class TThrowingComponent : public TComponent {
 public:
  using TComponent::TComponent;
  void Loaded() override {
    TComponent::Loaded();
    throw Exception("Loaded");
  }
};

class TThrowingForm : public TTestForm {
 public:
  explicit TThrowingForm(TComponent* owner) : TTestForm(owner) {
    OnCreate = [](TObject*) { throw Exception("OnCreate"); };
    OnDestroy = [](TObject*) { throw Exception("OnDestroy"); };
    OnPaint = [](TObject*) { throw Exception("OnPaint"); };
    OnKeyDown = [](TObject*, WORD&, TShiftState) { throw Exception("OnKeyDown"); };
    W1->OnClick = [](TObject*) { throw std::runtime_error("OnClick"); };
    new TThrowingComponent(this);
  }
};

TEST_F(WindowTest, AnExceptionFromAnyEventGoesToTheApplicationAndTheFrameworkCarriesOn) {
  std::vector<std::string> seen;
  app.OnException = [&](TObject*, const std::exception& e) { seen.push_back(e.what()); };
  TThrowingForm* thrower = nullptr;
  app.CreateForm(thrower);
  EXPECT_THAT(seen, ElementsAre("Loaded", "OnCreate"));
  EXPECT_EQ(app.MainForm(), thrower);
  EXPECT_TRUE(thrower->HandleAllocated());

  // A subclassing procedure in front of the form's own.
  const HWND window = thrower->Handle();
  WNDPROC previous = nullptr;
  const WNDPROC thunk = MakeObjectInstance([&](TMessage& m) {
    if (m.Msg == WM_USER) throw Exception("subclass");
    m.Result = CallWindowProcA(previous, window, m.Msg, m.WParam, m.LParam);
  });
  previous = reinterpret_cast<WNDPROC>(SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(thunk)));
  const struct {
    UINT message;
    WPARAM wParam;
    const char* raised;
  } sent[] = {{WM_PAINT, 0, "OnPaint"},
              {WM_KEYDOWN, VK_SPACE, "OnKeyDown"},
              {WM_COMMAND, thrower->W1->Command(), "OnClick"},
              {WM_USER, 0, "subclass"}};
  for (const auto& m : sent) {
    seen.clear();
    SendMessageA(window, m.message, m.wParam, 0);
    EXPECT_THAT(seen, ElementsAre(m.raised));
  }

  seen.clear();
  SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  FreeObjectInstance(thunk);
  delete thrower;
  EXPECT_THAT(seen, ElementsAre("OnDestroy"));
  EXPECT_EQ(app.MainForm(), nullptr);
}

TEST_F(WindowTest, OnlyOneApplicationAtATimeAndExeNameIsThisProgram) {
  EXPECT_THROW(TApplication second, Exception);
  EXPECT_NE(app.ExeName().find("platform_window_tests"), std::string::npos);
  EXPECT_EQ(Application, &app);
}

}  // namespace
}  // namespace platform::testing
