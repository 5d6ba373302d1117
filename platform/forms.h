// The component framework the library's components sit in: components with
// an owner, the application object with its message loop, forms with their
// window, menu bar and events, and the screen's active form.
//
// A program builds its main form the way a stored form description would:
//
//   class TForm1 : public TForm {
//    public:
//     explicit TForm1(TComponent* owner) : TForm(owner) {
//       SetCaption("Zornack");                 // the form's own properties,
//       OnCreate = [this](TObject* s) { ... };  // then its handlers,
//       Brin1 = new TBrin(this);               // then its components, each
//       Brin1->BackColor = 16;                 // with its stored properties
//     }
//   };
//   TApplication app;
//   app.Initialize();
//   app.CreateForm(Form1);  // Loaded on everything, then OnCreate
//   app.Run();              // shows the main form; returns once terminated
//
// While a form's constructor runs, it and every component it makes are
// loading (csLoading); CreateForm then calls Loaded on the form and on each
// of its components in order of creation, and raises the form's OnCreate.
//
// An exception never unwinds through the framework: whatever a handler the
// framework calls throws (Loaded, OnCreate, OnDestroy, a window procedure
// with OnPaint, OnKeyDown and menu clicks, a subclassing window procedure,
// OnIdle) goes to Application->HandleException, and the framework carries
// on with its next step.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/exception.h"
#include "platform/types.h"
#include "platform/window.h"

// A set of enumeration values, each below 32.
template <typename E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E item : items) bits_ |= Bit(item);
  }
  constexpr bool Contains(E item) const { return (bits_ & Bit(item)) != 0; }
  constexpr void Include(E item) { bits_ |= Bit(item); }
  constexpr void Exclude(E item) { bits_ &= ~Bit(item); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr bool operator==(const TSet&) const = default;

 private:
  static constexpr std::uint32_t Bit(E item) { return std::uint32_t{1} << static_cast<std::uint32_t>(item); }
  std::uint32_t bits_ = 0;
};

class TObject {
 public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Hands an exception that a handler threw to the application's exception
// handling (HandleException), or with no application object shows it in an
// error box. Never throws: should the handling itself throw, both messages
// go to the standard error as a last resort.
void HandleEventException(const std::exception& error) noexcept;

// Calls HANDLER, an event the framework or a component raises; an exception
// from it goes to HandleEventException instead of on to the caller. Returns
// whether HANDLER ran to its end. Destructors raise their events this way.
template <typename Handler>
bool RaiseEvent(Handler&& handler) noexcept {
  try {
    handler();
    return true;
  } catch (const std::exception& error) {
    HandleEventException(error);
  } catch (...) {
    HandleEventException(platform::Exception("an exception of an unknown type"));
  }
  return false;
}

// --- components --------------------------------------------------------------
enum TComponentStateItem { csLoading, csDesigning, csDestroying };
using TComponentState = TSet<TComponentStateItem>;

class TComponent : public TObject {
 public:
  // Joins OWNER's components (when given) and takes on its loading and
  // design-mode state.
  explicit TComponent(TComponent* AOwner);
  // Destroys the owned components, the newest first, then leaves the owner.
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  TComponentState ComponentState() const { return state_; }
  // Puts this component and every component it owns in or out of design
  // mode (as a form designer does).
  void SetDesigning(bool designing);
  // Called once the stored properties were applied; ends csLoading.
  virtual void Loaded();
  void DestroyComponents();

  std::string Name;

 protected:
  void SetLoadingState(bool loading);
  void MarkDestroying() { state_.Include(csDestroying); }

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  TComponentState state_;
};

// --- menus ---------------------------------------------------------------------
class TMainMenu;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);  // UTF-8, '&' before the accelerator
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Marks the item that switches to a window or to full screen, so that the
  // back end's own switch shortcut (Alt+Enter) chooses it.
  platform::MenuRole ScreenModeRole() const { return role_; }
  void SetScreenModeRole(platform::MenuRole role);

  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const;
  TMenuItem* Parent() const { return parent_; }
  // The WM_COMMAND id that chooses this item; unique in the process.
  WORD Command() const { return command_; }
  // Raises OnClick (a menu choice does this).
  virtual void Click();

  TNotifyEvent OnClick;

 private:
  friend class TMainMenu;
  void Changed();
  TMenuItem* Find(WORD command);

  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  platform::MenuRole role_ = platform::MenuRole::None;
  TMenuItem* parent_ = nullptr;
  TMainMenu* menu_ = nullptr;  // set on the root item only
  std::vector<TMenuItem*> items_;
  WORD command_ = 0;
};

class TForm;

class TMainMenu : public TComponent {
 public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;
  // The root item: its children are the menu bar's top items.
  TMenuItem* Items() const { return root_; }
  TMenuItem* FindItem(WORD command) const;
  // What the back end draws.
  platform::MenuDesc Describe() const;

 private:
  friend class TMenuItem;
  friend class TForm;
  void Changed();

  TMenuItem* root_;
  TForm* form_ = nullptr;  // the form showing this menu
};

// --- forms ---------------------------------------------------------------------
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition { poDesigned, poScreenCenter };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl };
using TShiftState = TSet<TShiftStateItem>;

// Key is the virtual-key code; a handler may change it (0: handled).
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};
using TWndMethod = std::function<void(TMessage& message)>;

// A window procedure that calls METHOD: how a component that subclasses a
// window routes its messages to itself. At most 64 exist at once; making one
// more throws platform::Exception.
WNDPROC MakeObjectInstance(TWndMethod method);
void FreeObjectInstance(WNDPROC procedure);

class TForm : public TComponent {
 public:
  explicit TForm(TComponent* AOwner);
  // Raises OnDestroy (unless DoDestroy did), destroys the components (newest
  // first), then the window.
  ~TForm() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

  // Outer bounds on the screen (frame, caption and menu bar included).
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int left);
  void SetTop(int top);
  void SetWidth(int width);
  void SetHeight(int height);
  void SetBounds(int left, int top, int width, int height);
  // The client area: the outer bounds less frame, caption and menu bar.
  int ClientWidth() const;
  int ClientHeight() const;
  void SetClientWidth(int width);
  void SetClientHeight(int height);

  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons) { borderIcons_ = icons; }
  // poScreenCenter centres the window on the screen when it is made.
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);

  bool Visible() const;
  // Shows the window and makes the form the active one.
  void Show();
  void Hide();
  // Asks the form to close: the main form ends the application.
  void Close();
  // The window; made at the first call.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnPaint;
  TKeyEvent OnKeyDown;

 protected:
  // The form's own window procedure (the first in its chain).
  virtual void WndProc(TMessage& message);
  // Marks the form as destroying and raises OnDestroy, once. A derived form
  // whose handler needs the derived part calls it from its own destructor.
  void DoDestroy();

 private:
  friend class TApplication;
  friend class TMainMenu;
  static LRESULT BaseWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void DoCreate();
  void MenuChanged();
  void CreateHandle();
  void DestroyHandle();
  RECT Bounds() const;

  std::string caption_;
  RECT bounds_{0, 0, 320, 240};  // while there is no window
  TWindowState windowState_ = wsNormal;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  TMainMenu* menu_ = nullptr;
  bool visible_ = false;
  bool destroyRaised_ = false;
  HWND handle_ = nullptr;
};

// --- the screen and the application ----------------------------------------------
class TScreen {
 public:
  // The form that has the focus, or null while the application is inactive.
  TForm* ActiveForm() const { return activeForm_; }
  void SetActiveForm(TForm* form) { activeForm_ = form; }
  // The screen's size in its current mode.
  int Width() const;
  int Height() const;

 private:
  TForm* activeForm_ = nullptr;
};
extern TScreen* const Screen;

using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
 public:
  // Becomes the process's Application (one at a time).
  TApplication();
  ~TApplication() override;

  void Initialize();
  // Makes a form owned by the application; REFERENCE points at it before
  // its OnCreate runs. The first form made becomes the main form. ARGS go to
  // the form's constructor after its owner.
  template <typename T, typename... Args>
  void CreateForm(T*& reference, Args&&... args) {
    T* form = new T(this, std::forward<Args>(args)...);
    reference = form;
    FinishCreation(form);
  }
  // Shows the main form and runs the message loop until Terminate; then the
  // main form is destroyed, and after it the application's other forms.
  void Run();
  // Ends the message loop once the messages before it were handled.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles one message, or when none is waiting calls the idle event (and
  // when that leaves Done true, waits for the next message).
  void HandleMessage();
  // Handles every waiting message without idling.
  void ProcessMessages();
  // Runs the loop until the idle event was called IDLE_CALLS times or the
  // application was terminated; returns the idle calls made. For tests.
  int RunFor(int idleCalls);
  // Shows an exception's message in a box, or passes it to OnException.
  void HandleException(const std::exception& error);

  TForm* MainForm() const { return mainForm_; }
  // Full path of the program file.
  std::string ExeName() const;
  std::uint64_t IdleCalls() const { return idleCalls_; }

  std::string Title;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;

 private:
  friend class TForm;
  void FinishCreation(TForm* form);
  // A form being destroyed stops being the main form.
  void FormGone(TForm* form) {
    if (mainForm_ == form) mainForm_ = nullptr;
  }
  bool ProcessMessage();
  void Idle();

  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  std::uint64_t idleCalls_ = 0;
};
extern TApplication* Application;
