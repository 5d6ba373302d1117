// Window procedures and the messages the library relies on, the form's
// geometry, its menu and keys, and focus.
#include <gtest/gtest.h>

#include "platform/keyboard.h"
#include "platform/vk.h"
#include "platform/window.h"
#include "tests/platform/window/window_fixture.h"

namespace platform::testing {
namespace {

using ::testing::ElementsAre;

// A subclassing procedure that records every message and passes it on.
struct Recorded {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Recorded>* gMessages = nullptr;
WNDPROC gPrevious = nullptr;
// When set, WM_GETMINMAXINFO is answered the way the display component does
// in full screen.
bool gPinTo640 = false;

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (gMessages) gMessages->push_back(Recorded{message, wParam, lParam});
  if (message == WM_GETMINMAXINFO && gPinTo640) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMaxSize = POINT{640, 480};
    info->ptMinTrackSize = POINT{640, 480};
    info->ptMaxTrackSize = POINT{640, 480};
    info->ptMaxPosition = POINT{0, 0};
  }
  return CallWindowProcA(gPrevious, window, message, wParam, lParam);
}

class MessageTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    backend.SetDesktopMode(DisplayMode{1280, 1024, 32, 60});
    Install(&backend);
    MakeForm();
    window = form->Handle();
    gMessages = &messages;
    gPinTo640 = false;
    gPrevious = reinterpret_cast<WNDPROC>(SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
  }
  void TearDown() override {
    gMessages = nullptr;
    WindowTest::TearDown();
  }
  std::vector<Recorded> Of(UINT message) const {
    std::vector<Recorded> out;
    for (const auto& m : messages) {
      if (m.message == message) out.push_back(m);
    }
    return out;
  }

  HWND window = nullptr;
  std::vector<Recorded> messages;
};

TEST_F(MessageTest, FormIsCentredWithA640By480ClientBelowTheMenuBar) {
  EXPECT_EQ(form->Width(), 648);
  EXPECT_EQ(form->Height(), 526);
  EXPECT_EQ(form->Left(), (1280 - 648) / 2);
  EXPECT_EQ(form->Top(), (1024 - 526) / 2);
  EXPECT_EQ(form->ClientWidth(), 640);
  EXPECT_EQ(form->ClientHeight(), 480);
  RECT client{};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  POINT origin{0, 0};
  ASSERT_TRUE(ClientToScreen(window, &origin));
  EXPECT_EQ(origin.x, form->Left() + 4);
  EXPECT_EQ(origin.y, form->Top() + 4 + 18 + 20);
  // The back end's window is told the same client area.
  EXPECT_EQ(backend.Window().client.left, origin.x);
  EXPECT_EQ(backend.Window().client.top, origin.y);
  EXPECT_EQ(backend.Window().client.right - backend.Window().client.left, 640);
  EXPECT_EQ(backend.Window().caption, "Zornack");
  EXPECT_TRUE(backend.Window().hasMenu);

  // Setting the client size goes through the outer bounds.
  form->SetClientWidth(320);
  form->SetClientHeight(200);
  EXPECT_EQ(form->Width(), 328);
  EXPECT_EQ(form->Height(), 246);
  EXPECT_EQ(form->ClientHeight(), 200);
}

TEST_F(MessageTest, SetWindowLongReturnsThePreviousProcedureAndChainsIt) {
  // Our procedure is in front; a second one in front of it gets the
  // messages first and ours still sees them through CallWindowProcA.
  static std::vector<UINT>* outer = nullptr;
  static WNDPROC outerPrevious = nullptr;
  std::vector<UINT> outerSeen;
  outer = &outerSeen;
  WNDPROC outerProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    outer->push_back(m);
    return CallWindowProcA(outerPrevious, w, m, wp, lp);
  };
  outerPrevious = reinterpret_cast<WNDPROC>(SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(outerProc)));
  EXPECT_EQ(outerPrevious, &RecordingProc);
  EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(outerProc));
  SendMessageA(window, WM_USER + 5, 7, 9);
  EXPECT_THAT(outerSeen, ElementsAre(WM_USER + 5));
  ASSERT_EQ(Of(WM_USER + 5).size(), 1u);
  EXPECT_EQ(Of(WM_USER + 5)[0].wParam, 7u);
  // Putting the previous one back unhooks the outer procedure.
  EXPECT_EQ(SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(outerPrevious)),
            reinterpret_cast<LONG_PTR>(outerProc));
  SendMessageA(window, WM_USER + 6, 0, 0);
  EXPECT_EQ(outerSeen.size(), 1u);
  // Unknown windows and a null procedure are refused.
  EXPECT_EQ(SetWindowLongA(nullptr, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(outerProc)), 0);
  EXPECT_EQ(SetWindowLongA(window, GWL_WNDPROC, 0), 0);
  outer = nullptr;
}

TEST_F(MessageTest, ObjectInstancesRouteToTheirMethod) {
  std::vector<UINT> seen;
  WNDPROC thunk = MakeObjectInstance([&](TMessage& m) {
    seen.push_back(m.Msg);
    m.Result = CallWindowProcA(gPrevious, window, m.Msg, m.WParam, m.LParam) + 40;
  });
  WNDPROC other = MakeObjectInstance([](TMessage& m) { m.Result = 1; });
  EXPECT_NE(thunk, other);
  SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(thunk));
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 40);
  EXPECT_THAT(seen, ElementsAre(WM_USER));
  SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc));
  FreeObjectInstance(thunk);
  FreeObjectInstance(other);
  // Every slot can be taken and the one after that is refused.
  std::vector<WNDPROC> all;
  for (int i = 0; i < 64; ++i) all.push_back(MakeObjectInstance([](TMessage&) {}));
  EXPECT_THROW(MakeObjectInstance([](TMessage&) {}), Exception);
  for (WNDPROC p : all) FreeObjectInstance(p);
}

TEST_F(MessageTest, MovingAndSizingReportClientOriginAndSize) {
  messages.clear();
  form->SetBounds(100, 50, 648, 526);
  ASSERT_EQ(Of(WM_MOVE).size(), 1u);
  EXPECT_EQ(GET_X_LPARAM(Of(WM_MOVE)[0].lParam), 104);
  EXPECT_EQ(GET_Y_LPARAM(Of(WM_MOVE)[0].lParam), 50 + 42);
  EXPECT_TRUE(Of(WM_SIZE).empty());  // same size
  EXPECT_EQ(Of(WM_GETMINMAXINFO).size(), 1u);

  messages.clear();
  form->SetBounds(-4, -42, 500, 400);  // signed positions survive the packing
  EXPECT_EQ(GET_X_LPARAM(Of(WM_MOVE)[0].lParam), 0);
  EXPECT_EQ(GET_Y_LPARAM(Of(WM_MOVE)[0].lParam), 0);
  ASSERT_EQ(Of(WM_SIZE).size(), 1u);
  EXPECT_EQ(Of(WM_SIZE)[0].wParam, SIZE_RESTORED);
  EXPECT_EQ(LOWORD(Of(WM_SIZE)[0].lParam), 492);
  EXPECT_EQ(HIWORD(Of(WM_SIZE)[0].lParam), 354);

  // The same bounds again send nothing.
  messages.clear();
  form->SetBounds(-4, -42, 500, 400);
  EXPECT_TRUE(messages.empty());
}

TEST_F(MessageTest, MinMaxInfoChangedByTheProcedureIsHonoured) {
  gPinTo640 = true;
  form->SetBounds(0, 0, 800, 600);
  EXPECT_EQ(form->Width(), 640);
  EXPECT_EQ(form->Height(), 480);
  form->SetBounds(0, 0, 100, 100);
  EXPECT_EQ(form->Width(), 640);

  messages.clear();
  form->SetWindowState(wsMaximized);
  EXPECT_EQ(form->WindowState(), wsMaximized);
  EXPECT_EQ(form->Left(), 0);
  EXPECT_EQ(form->Top(), 0);
  EXPECT_EQ(form->Width(), 640);
  ASSERT_FALSE(Of(WM_SIZE).empty());
  EXPECT_EQ(Of(WM_SIZE).back().wParam, SIZE_MAXIMIZED);

  // Without the procedure's say the default maximum is the screen plus frame.
  gPinTo640 = false;
  form->SetWindowState(wsNormal);
  EXPECT_EQ(form->WindowState(), wsNormal);
  form->SetWindowState(wsMaximized);
  EXPECT_EQ(form->Left(), -4);
  EXPECT_EQ(form->Width(), 1280 + 8);
  form->SetWindowState(wsNormal);
  EXPECT_EQ(form->Width(), 640);  // back to the bounds before maximising
}

TEST_F(MessageTest, MinimiseAndRestoreFromTheBackEnd) {
  messages.clear();
  backend.QueueSimple(EventType::Minimised);
  app.ProcessMessages();
  EXPECT_EQ(form->WindowState(), wsMinimized);
  EXPECT_TRUE(IsIconic(window));
  ASSERT_EQ(Of(WM_SIZE).size(), 1u);
  EXPECT_EQ(Of(WM_SIZE)[0].wParam, SIZE_MINIMIZED);

  int paints = 0;
  form->OnPaint = [&](TObject* sender) {
    EXPECT_EQ(sender, form);
    ++paints;
  };
  form->Show();
  backend.QueueSimple(EventType::Restored);
  app.ProcessMessages();
  EXPECT_EQ(form->WindowState(), wsNormal);
  EXPECT_EQ(Of(WM_SIZE).back().wParam, SIZE_RESTORED);
  EXPECT_EQ(LOWORD(Of(WM_SIZE).back().lParam), 640);
  EXPECT_EQ(paints, 1);  // one paint after the restore
}

TEST_F(MessageTest, ExposeRaisesOnPaintOncePerBurst) {
  form->Show();
  app.ProcessMessages();
  messages.clear();
  int paints = 0;
  form->OnPaint = [&](TObject*) { ++paints; };
  backend.QueueSimple(EventType::Expose);
  backend.QueueSimple(EventType::Expose);
  app.ProcessMessages();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(Of(WM_PAINT).size(), 1u);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(paints, 2);
}

TEST_F(MessageTest, BackEndMovesFollowTheRealWindow) {
  messages.clear();
  backend.QueueMove(300, 200);
  app.ProcessMessages();
  EXPECT_EQ(form->Left(), 296);
  EXPECT_EQ(form->Top(), 200 - 42);
  ASSERT_EQ(Of(WM_MOVE).size(), 1u);
  EXPECT_EQ(GET_X_LPARAM(Of(WM_MOVE)[0].lParam), 300);
  POINT p{0, 0};
  ClientToScreen(window, &p);
  EXPECT_EQ(p.x, 300);
  EXPECT_EQ(p.y, 200);
  // Told by the back end, so not sent back to it.
  const int updates = backend.WindowUpdates();
  backend.QueueMove(300, 200);
  app.ProcessMessages();
  EXPECT_EQ(backend.WindowUpdates(), updates);
}

TEST_F(MessageTest, MenuChoiceRunsTheMenuLoopThenOnClick) {
  // The back end draws what the form's menu holds.
  ASSERT_EQ(backend.Menu().tops.size(), 1u);
  EXPECT_EQ(backend.Menu().tops[0].caption, "画面モード(&S)");
  ASSERT_EQ(backend.Menu().tops[0].items.size(), 2u);
  EXPECT_EQ(backend.Menu().tops[0].items[1].caption, "フルスクリーン(&F)");
  EXPECT_EQ(backend.Menu().tops[0].items[1].commandId, form->F1->Command());
  EXPECT_EQ(backend.Menu().tops[0].items[1].role, MenuRole::FullScreenMode);

  log.clear();
  messages.clear();
  int idleInLoop = 0;
  app.OnIdle = [&](TObject*, bool& done) {
    done = false;
    if (!Of(WM_ENTERMENULOOP).empty() && Of(WM_EXITMENULOOP).empty()) ++idleInLoop;
  };
  backend.QueueMenuChoice(form->F1->Command());
  app.RunFor(2);
  EXPECT_THAT(log, ElementsAre("F1Click"));
  EXPECT_EQ(idleInLoop, 0);
  std::vector<UINT> order;
  for (const auto& m : messages) {
    if (m.message == WM_ENTERMENULOOP || m.message == WM_EXITMENULOOP || m.message == WM_COMMAND) {
      order.push_back(m.message);
    }
  }
  EXPECT_THAT(order, ElementsAre(WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_COMMAND));
  EXPECT_EQ(Of(WM_ENTERMENULOOP)[0].wParam, static_cast<WPARAM>(FALSE));
  EXPECT_EQ(LOWORD(Of(WM_COMMAND)[0].wParam), form->F1->Command());

  // A disabled item does nothing; a changed caption reaches the back end.
  log.clear();
  form->W1->SetEnabled(false);
  backend.QueueMenuChoice(form->W1->Command());
  app.ProcessMessages();
  EXPECT_TRUE(log.empty());
  form->W1->SetCaption("窓(&W)");
  EXPECT_EQ(backend.Menu().tops[0].items[0].caption, "窓(&W)");
  EXPECT_FALSE(backend.Menu().tops[0].items[0].enabled);
}

TEST_F(MessageTest, NoIdleCallsWhileTheMenuIsOpen) {
  int idle = 0;
  app.OnIdle = [&](TObject*, bool& done) {
    done = false;
    ++idle;
  };
  backend.QueueSimple(EventType::MenuLoopEnter);
  app.ProcessMessages();
  app.HandleMessage();
  app.HandleMessage();
  EXPECT_EQ(idle, 0);
  backend.QueueSimple(EventType::MenuLoopExit);
  app.ProcessMessages();
  app.HandleMessage();
  EXPECT_EQ(idle, 1);
}

TEST_F(MessageTest, KeysReachOnKeyDownAsVirtualKeysWithTheShiftState) {
  std::vector<std::pair<WORD, bool>> keys;
  form->OnKeyDown = [&](TObject* sender, WORD& key, TShiftState shift) {
    EXPECT_EQ(sender, form);
    keys.emplace_back(key, shift.Contains(ssShift));
  };
  backend.QueueKeyPress(VK_ESCAPE, DIK_ESCAPE);
  backend.QueueKeyPress('Z', DIK_Z);
  backend.QueueKeyDown(VK_SHIFT, DIK_LSHIFT);
  Event up;
  up.type = EventType::KeyDown;
  up.key = KeyEvent{DIK_UP, VK_UP, false, true, false, false};
  backend.QueueEvent(up);
  Event pad;
  pad.type = EventType::KeyDown;
  pad.key = KeyEvent{DIK_NUMPAD8, VK_NUMPAD8, false, false, false, false};
  backend.QueueEvent(pad);
  app.ProcessMessages();
  ASSERT_EQ(keys.size(), 5u);
  EXPECT_EQ(keys[0], std::make_pair(WORD{27}, false));
  EXPECT_EQ(keys[1], std::make_pair(WORD{'Z'}, false));
  EXPECT_EQ(keys[2], std::make_pair(VK_SHIFT, true));
  EXPECT_EQ(keys[3], std::make_pair(VK_UP, true));
  EXPECT_EQ(keys[4].first, VK_NUMPAD8);

  // The message carries the scan code, extended for the arrow keys.
  const auto downs = Of(WM_KEYDOWN);
  ASSERT_GE(downs.size(), 4u);
  EXPECT_EQ((downs[0].lParam >> 16) & 0xFF, DIK_ESCAPE);
  EXPECT_EQ((downs[3].lParam >> 16) & 0xFF, DIK_UP & 0x7F);
  EXPECT_NE(downs[3].lParam & (1 << 24), 0);
  EXPECT_EQ(Of(WM_KEYUP).size(), 2u);

  // The down table follows: Z released, the arrow and shift held.
  EXPECT_FALSE(keyboard::ScanCodeDown(DIK_Z));
  EXPECT_TRUE(keyboard::ScanCodeDown(DIK_UP));
  EXPECT_TRUE(keyboard::ScanCodeDown(DIK_NUMPAD8));
  EXPECT_TRUE(keyboard::VirtualKeyDown(VK_UP));
  EXPECT_TRUE(keyboard::ScanCodeTable()[DIK_LSHIFT]);
}

TEST_F(MessageTest, AltKeysAndF10AreSystemKeys) {
  std::vector<bool> alt;
  form->OnKeyDown = [&](TObject*, WORD&, TShiftState shift) { alt.push_back(shift.Contains(ssAlt)); };
  Event e;
  e.type = EventType::KeyDown;
  e.key = KeyEvent{DIK_S, 'S', false, false, false, true};
  backend.QueueEvent(e);
  backend.QueueKeyDown(VK_F10, DIK_F10);
  app.ProcessMessages();
  EXPECT_EQ(Of(WM_SYSKEYDOWN).size(), 2u);
  EXPECT_TRUE(Of(WM_KEYDOWN).empty());
  ASSERT_EQ(alt.size(), 2u);
  EXPECT_TRUE(alt[0]);
  EXPECT_FALSE(alt[1]);
  EXPECT_NE(Of(WM_SYSKEYDOWN)[0].lParam & (1 << 29), 0);  // context code: Alt held
}

TEST_F(MessageTest, FocusChangesTheActiveFormAndTheApplicationsState) {
  form->Show();
  EXPECT_EQ(Screen->ActiveForm(), form);
  backend.QueueKeyDown('X', DIK_X);
  backend.QueueSimple(EventType::FocusLost);
  std::vector<EventType> watched;
  auto watcher = [](const Event& e, void* context) { static_cast<std::vector<EventType>*>(context)->push_back(e.type); };
  ASSERT_TRUE(keyboard::AddInputWatcher(watcher, &watched));
  app.ProcessMessages();
  EXPECT_FALSE(AppActive());
  EXPECT_EQ(FocusLossCount(), 1u);
  EXPECT_EQ(Screen->ActiveForm(), nullptr);
  EXPECT_FALSE(keyboard::ScanCodeDown(DIK_X));  // keys released elsewhere are forgotten
  EXPECT_EQ(GetActiveWindow(), nullptr);
  ASSERT_EQ(Of(WM_ACTIVATEAPP).size(), 1u);
  EXPECT_EQ(Of(WM_ACTIVATEAPP)[0].wParam, static_cast<WPARAM>(FALSE));
  EXPECT_THAT(watched, ElementsAre(EventType::KeyDown));

  messages.clear();
  backend.QueueSimple(EventType::FocusGained);
  app.ProcessMessages();
  EXPECT_TRUE(AppActive());
  EXPECT_EQ(Screen->ActiveForm(), form);
  EXPECT_EQ(GetActiveWindow(), window);
  EXPECT_EQ(Of(WM_QUERYNEWPALETTE).size(), 1u);
  EXPECT_EQ(Of(WM_ACTIVATE)[0].wParam, WA_ACTIVE);
  keyboard::RemoveInputWatcher(watcher, &watched);
}

TEST_F(MessageTest, MenuBarAndFrameRedrawsAndBringToTop) {
  const int frames = backend.FrameRedraws();
  EXPECT_TRUE(DrawMenuBar(window));
  EXPECT_EQ(backend.FrameRedraws(), frames + 1);
  messages.clear();
  EXPECT_TRUE(RedrawWindow(window, nullptr, nullptr, RDW_FRAME));
  EXPECT_EQ(backend.FrameRedraws(), frames + 2);
  EXPECT_EQ(Of(WM_NCPAINT).size(), 1u);
  const int raises = backend.Raises();
  EXPECT_TRUE(BringWindowToTop(window));
  EXPECT_EQ(backend.Raises(), raises + 1);
  EXPECT_FALSE(BringWindowToTop(nullptr));
  EXPECT_FALSE(DrawMenuBar(nullptr));
  // Without a menu there is no bar to draw, and the client area grows.
  form->SetMenu(nullptr);
  EXPECT_FALSE(DrawMenuBar(window));
  EXPECT_EQ(form->ClientHeight(), 500);
  EXPECT_FALSE(backend.Window().hasMenu);
}

}  // namespace
}  // namespace platform::testing
