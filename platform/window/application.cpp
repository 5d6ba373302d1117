// The application object and its message loop, and the screen.
#include <cstdio>
#include <exception>

#include "platform/files.h"
#include "platform/forms.h"
#include "platform/system.h"
#include "platform/window/window_table.h"

namespace pw = platform::window;

namespace {
TScreen screenObject;

void ResetScreen() { screenObject = TScreen{}; }
const bool registered = (platform::RegisterReset(ResetScreen), true);
}  // namespace

TScreen* const Screen = &screenObject;
TApplication* Application = nullptr;

int TScreen::Width() const { return static_cast<int>(platform::CurrentDisplayMode().width); }
int TScreen::Height() const { return static_cast<int>(platform::CurrentDisplayMode().height); }

TApplication::TApplication() : TComponent(nullptr) {
  if (Application) throw platform::Exception("an application object already exists");
  Application = this;
}

TApplication::~TApplication() {
  // Forms are destroyed while Application still names this object, so that
  // their handlers may use it.
  DestroyComponents();
  Application = nullptr;
}

void TApplication::Initialize() {
  terminated_ = false;
  idleCalls_ = 0;
}

void TApplication::FinishCreation(TForm* form) {
  RaiseEvent([&] { form->Loaded(); });
  for (int i = 0; i < form->ComponentCount(); ++i) {
    TComponent* component = form->Components(i);
    RaiseEvent([&] { component->Loaded(); });
  }
  form->DoCreate();
  if (!mainForm_) {
    mainForm_ = form;
    form->Handle();
  }
}

void TForm::DoCreate() {
  if (OnCreate) RaiseEvent([&] { OnCreate(this); });
}

void TApplication::Run() {
  if (mainForm_ && !terminated_) mainForm_->Show();
  while (!terminated_) HandleMessage();
  // The main form goes first; its destructor takes its components with it.
  TForm* main = mainForm_;
  mainForm_ = nullptr;
  delete main;
  DestroyComponents();
}

void TApplication::Terminate() {
  if (!terminated_) PostQuitMessage(0);
}

void TApplication::HandleMessage() {
  try {
    if (!ProcessMessage()) Idle();
  } catch (const std::exception& e) {
    HandleException(e);
  }
}

void TApplication::ProcessMessages() {
  try {
    while (ProcessMessage()) {
    }
  } catch (const std::exception& e) {
    HandleException(e);
  }
}

int TApplication::RunFor(int idleCalls) {
  const std::uint64_t start = idleCalls_;
  while (!terminated_ && idleCalls_ - start < static_cast<std::uint64_t>(idleCalls)) HandleMessage();
  return static_cast<int>(idleCalls_ - start);
}

bool TApplication::ProcessMessage() {
  pw::PostedMessage posted{};
  if (pw::TakePosted(posted)) {
    if (posted.message == WM_QUIT) {
      terminated_ = true;
    } else if (posted.message != WM_NULL) {
      SendMessageA(posted.window, posted.message, posted.wParam, posted.lParam);
    }
    return true;
  }
  if (!platform::HasBackend()) return false;
  platform::Event event;
  if (platform::CurrentBackend().PollEvent(event)) {
    pw::DispatchEvent(event);
    return true;
  }
  HWND window = nullptr;
  if (pw::TakePaint(window)) {
    SendMessageA(window, WM_PAINT, 0, 0);
    return true;
  }
  return false;
}

void TApplication::Idle() {
  // The menu's own loop holds the thread while a menu is open: no idle
  // calls until it closes.
  if (pw::InMenuLoop()) {
    pw::WaitForMessage();
    return;
  }
  bool done = true;
  ++idleCalls_;
  if (OnIdle) OnIdle(this, done);
  if (done && !terminated_) pw::WaitForMessage();
}

void TApplication::HandleException(const std::exception& error) {
  if (OnException) {
    OnException(this, error);
    return;
  }
  MessageBoxA(mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : nullptr, error.what(),
              Title.empty() ? nullptr : Title.c_str(), MB_OK | MB_ICONERROR);
}

void HandleEventException(const std::exception& error) noexcept {
  try {
    if (Application) {
      Application->HandleException(error);
    } else {
      MessageBoxA(nullptr, error.what(), nullptr, MB_OK | MB_ICONERROR);
    }
  } catch (const std::exception& again) {
    std::fprintf(stderr, "%s\n%s\n", error.what(), again.what());
  } catch (...) {
    std::fprintf(stderr, "%s\n", error.what());
  }
}

std::string TApplication::ExeName() const { return platform::ExecutablePath(); }
