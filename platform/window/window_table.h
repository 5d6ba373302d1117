// The window layer's own record of each window: its place, show state,
// procedure chain and the messages waiting for it. Internal to platform/window.
#pragma once

#include <string>

#include "platform/backend/backend.h"
#include "platform/window.h"

namespace platform::window {

enum class ShowState { Normal, Minimised, Maximised };

struct WindowInfo {
  RECT rect{};        // outer bounds on the screen
  RECT normalRect{};  // bounds to go back to from a maximised state
  ShowState show = ShowState::Normal;
  ShowState beforeMinimise = ShowState::Normal;  // what a restore goes back to
  bool visible = false;
  bool hasMenu = false;
  bool needsPaint = false;
  std::string caption;
  WNDPROC procedure = nullptr;
  LONG_PTR userData = 0;
  void* owner = nullptr;  // the form the window belongs to
};

struct PostedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Makes a window with outer bounds RECT; the first window made while no
// other is shown through the back end becomes the back end's window.
HWND CreateWindowHandle(const RECT& rect, const std::string& caption, bool hasMenu, WNDPROC procedure,
                        void* owner);
WindowInfo* Find(HWND window);
// The client area on the screen for a window's outer bounds.
RECT ClientOnScreen(const WindowInfo& info);
// The outer size that holds a client area of the given size.
SIZE OuterSizeFor(std::int32_t clientWidth, std::int32_t clientHeight, bool hasMenu);

// SetWindowPos's and ShowWindow's work. FROM_BACKEND: the back end already
// shows the change, so it is not told again.
bool Place(HWND window, int x, int y, int width, int height, UINT flags);
bool Show(HWND window, int command, bool fromBackend);
void MoveFromBackend(HWND window, std::int32_t clientX, std::int32_t clientY);
bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool Destroy(HWND window);
void SetInMenuLoop(bool inLoop);
// Sends the message to every window.
void Broadcast(UINT message, WPARAM wParam, LPARAM lParam);

void SetCaption(HWND window, const std::string& caption);
void SetHasMenu(HWND window, bool hasMenu);
// Hands the menu bar to the back end when WINDOW is the back end's window.
void SetBackendMenu(HWND window, const MenuDesc& menu);
HWND BackendWindow();

// The message loop's sources, in the order it takes from them.
bool TakePosted(PostedMessage& message);
bool TakePaint(HWND& window);
// Turns one back-end event into messages to the back end's window.
void DispatchEvent(const Event& event);
// True between the menu loop's enter and exit: the loop does not idle then.
bool InMenuLoop();
// Waits for the next event, at most a short while.
void WaitForMessage();

}  // namespace platform::window
