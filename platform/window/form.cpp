// Forms: the window, its bounds and menu bar, and the events it raises.
#include <algorithm>

#include "platform/forms.h"
#include "platform/keyboard.h"
#include "platform/system.h"
#include "platform/vk.h"
#include "platform/window/window_table.h"

namespace pw = platform::window;

TForm::TForm(TComponent* AOwner) : TComponent(AOwner) {
  // The constructor of the derived form plays the stored description.
  SetLoadingState(true);
}

TForm::~TForm() {
  DoDestroy();
  if (Application) Application->FormGone(this);
  if (Screen->ActiveForm() == this) Screen->SetActiveForm(nullptr);
  DestroyComponents();
  if (menu_) menu_->form_ = nullptr;
  DestroyHandle();
}

void TForm::DoDestroy() {
  MarkDestroying();
  if (destroyRaised_) return;
  destroyRaised_ = true;
  if (OnDestroy) RaiseEvent([&] { OnDestroy(this); });
}

void TForm::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (handle_) pw::SetCaption(handle_, caption);
}

RECT TForm::Bounds() const {
  RECT r = bounds_;
  if (handle_) GetWindowRect(handle_, &r);
  return r;
}

int TForm::Left() const { return Bounds().left; }
int TForm::Top() const { return Bounds().top; }
int TForm::Width() const { return Bounds().right - Bounds().left; }
int TForm::Height() const { return Bounds().bottom - Bounds().top; }

void TForm::SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
void TForm::SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
void TForm::SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
void TForm::SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }

void TForm::SetBounds(int left, int top, int width, int height) {
  if (handle_) {
    const RECT r = Bounds();
    // Unchanged bounds are not set again: a handler of WM_MOVE that puts the
    // form where it is must not start another round.
    if (r.left == left && r.top == top && r.right - r.left == width && r.bottom - r.top == height) return;
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    bounds_ = RECT{left, top, left + width, top + height};
  }
}

int TForm::ClientWidth() const {
  if (handle_) {
    RECT c{};
    GetClientRect(handle_, &c);
    return c.right;
  }
  return std::max(0, Width() - pw::OuterSizeFor(0, 0, menu_ != nullptr).cx);
}

int TForm::ClientHeight() const {
  if (handle_) {
    RECT c{};
    GetClientRect(handle_, &c);
    return c.bottom;
  }
  return std::max(0, Height() - pw::OuterSizeFor(0, 0, menu_ != nullptr).cy);
}

void TForm::SetClientWidth(int width) {
  SetWidth(pw::OuterSizeFor(width, 0, menu_ != nullptr).cx);
}

void TForm::SetClientHeight(int height) {
  SetHeight(pw::OuterSizeFor(0, height, menu_ != nullptr).cy);
}

TWindowState TForm::WindowState() const {
  if (!handle_) return windowState_;
  if (IsIconic(handle_)) return wsMinimized;
  return IsZoomed(handle_) ? wsMaximized : wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
  windowState_ = state;
  if (!handle_) return;
  const int command = state == wsMinimized ? SW_MINIMIZE : state == wsMaximized ? SW_MAXIMIZE : SW_RESTORE;
  if (WindowState() != state) ShowWindow(handle_, command);
}

void TForm::SetMenu(TMainMenu* menu) {
  if (menu_ == menu) return;
  if (menu_) menu_->form_ = nullptr;
  menu_ = menu;
  if (menu_) menu_->form_ = this;
  if (handle_) {
    pw::SetHasMenu(handle_, menu_ != nullptr);
    MenuChanged();
  }
}

void TForm::MenuChanged() {
  if (!handle_ || ComponentState().Contains(csDestroying)) return;
  pw::SetBackendMenu(handle_, menu_ ? menu_->Describe() : platform::MenuDesc{});
}

bool TForm::Visible() const { return handle_ ? IsWindowVisible(handle_) != FALSE : visible_; }

void TForm::Show() {
  visible_ = true;
  const HWND window = Handle();
  if (windowState_ != wsNormal && WindowState() == wsNormal) SetWindowState(windowState_);
  ShowWindow(window, SW_SHOW);
  BringWindowToTop(window);
  if (platform::AppActive()) Screen->SetActiveForm(this);
}

void TForm::Hide() {
  visible_ = false;
  if (handle_) ShowWindow(handle_, SW_HIDE);
  if (Screen->ActiveForm() == this) Screen->SetActiveForm(nullptr);
}

void TForm::Close() {
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else {
    Hide();
  }
}

HWND TForm::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TForm::CreateHandle() {
  RECT r = bounds_;
  if (position_ == poScreenCenter) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    r.left = (Screen->Width() - w) / 2;
    r.top = (Screen->Height() - h) / 2;
    r.right = r.left + w;
    r.bottom = r.top + h;
  }
  handle_ = pw::CreateWindowHandle(r, caption_, menu_ != nullptr, &TForm::BaseWindowProc, this);
  MenuChanged();
  if (windowState_ != wsNormal) SetWindowState(windowState_);
}

void TForm::DestroyHandle() {
  if (!handle_) return;
  const HWND window = handle_;
  bounds_ = Bounds();
  handle_ = nullptr;
  DestroyWindow(window);
}

LRESULT TForm::BaseWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The form is found through the window's record, not its user data, which
  // belongs to whoever sets it.
  const auto* info = pw::Find(window);
  TForm* form = info ? static_cast<TForm*>(info->owner) : nullptr;
  if (!form) return DefWindowProcA(window, message, wParam, lParam);
  TMessage m{message, wParam, lParam, 0};
  RaiseEvent([&] { form->WndProc(m); });
  return m.Result;
}

void TForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      if (OnPaint) OnPaint(this);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      if (!OnKeyDown) return;
      WORD key = static_cast<WORD>(message.WParam);
      TShiftState shift;
      if (platform::keyboard::VirtualKeyDown(VK_SHIFT)) shift.Include(ssShift);
      if (platform::keyboard::VirtualKeyDown(VK_CONTROL)) shift.Include(ssCtrl);
      if (platform::keyboard::VirtualKeyDown(VK_MENU)) shift.Include(ssAlt);
      OnKeyDown(this, key, shift);
      return;
    }
    case WM_COMMAND:
      if (HIWORD(message.WParam) == 0 && menu_) {
        if (TMenuItem* item = menu_->FindItem(LOWORD(message.WParam))) item->Click();
      }
      return;
    case WM_ACTIVATE:
      if (LOWORD(message.WParam) != WA_INACTIVE) {
        Screen->SetActiveForm(this);
      } else if (Screen->ActiveForm() == this) {
        Screen->SetActiveForm(nullptr);
      }
      return;
    case WM_CLOSE:
      Close();
      return;
    default:
      message.Result = DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
      return;
  }
}
