// The window functions of platform/window.h over the window table.
#include <iterator>
#include <string>

#include "platform/system.h"
#include "platform/window.h"
#include "platform/window/window_table.h"

using platform::window::Find;

namespace {

struct SystemSettings {
  bool screenSaverActive = true;
  int cursorCount = 0;
};

SystemSettings& Settings() {
  static SystemSettings settings;
  return settings;
}

void ResetSettings() { Settings() = SystemSettings{}; }
const bool registered = (platform::RegisterReset(ResetSettings), true);

}  // namespace

LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value) {
  auto* info = Find(window);
  if (!info) return 0;
  LONG_PTR previous = 0;
  switch (index) {
    case GWL_WNDPROC:
      // A null procedure would leave the window deaf; the call fails instead.
      if (value == 0) return 0;
      previous = reinterpret_cast<LONG_PTR>(info->procedure);
      info->procedure = reinterpret_cast<WNDPROC>(value);
      return previous;
    case GWL_USERDATA:
      previous = info->userData;
      info->userData = value;
      return previous;
    default:
      return 0;
  }
}

LONG_PTR GetWindowLongA(HWND window, int index) {
  const auto* info = Find(window);
  if (!info) return 0;
  if (index == GWL_WNDPROC) return reinterpret_cast<LONG_PTR>(info->procedure);
  if (index == GWL_USERDATA) return info->userData;
  return 0;
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return procedure ? procedure(window, message, wParam, lParam) : 0;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* info = Find(window);
  if (!info) return 0;
  return CallWindowProcA(info->procedure, window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !Find(window)) return FALSE;
  return platform::window::Post(window, message, wParam, lParam) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode) {
  platform::window::Post(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

BOOL DestroyWindow(HWND window) { return platform::window::Destroy(window) ? TRUE : FALSE; }

BOOL GetWindowRect(HWND window, RECT* rect) {
  const auto* info = Find(window);
  if (!info || !rect) return FALSE;
  *rect = info->rect;
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags) {
  return platform::window::Place(window, x, y, width, height, flags) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  if (!platform::window::Place(window, x, y, width, height, SWP_NOZORDER)) return FALSE;
  if (repaint) InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
  return platform::window::Show(window, command, false) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND window) {
  const auto* info = Find(window);
  return info && info->show == platform::window::ShowState::Maximised ? TRUE : FALSE;
}

BOOL BringWindowToTop(HWND window) {
  if (!Find(window)) return FALSE;
  if (window == platform::window::BackendWindow() && platform::HasBackend()) {
    platform::CurrentBackend().RaiseWindow();
  }
  return TRUE;
}

HWND GetActiveWindow() {
  return platform::AppActive() ? platform::window::BackendWindow() : nullptr;
}

BOOL DrawMenuBar(HWND window) {
  const auto* info = Find(window);
  if (!info || !info->hasMenu) return FALSE;
  if (window == platform::window::BackendWindow() && platform::HasBackend()) {
    platform::CurrentBackend().RedrawFrame();
  }
  return TRUE;
}

BOOL RedrawWindow(HWND window, const RECT*, HRGN, UINT flags) {
  if (!Find(window)) return FALSE;
  if (flags & RDW_FRAME) {
    if (window == platform::window::BackendWindow() && platform::HasBackend()) {
      platform::CurrentBackend().RedrawFrame();
    }
    SendMessageA(window, WM_NCPAINT, 1, 0);
  }
  if (flags & (RDW_INVALIDATE | RDW_INTERNALPAINT)) {
    if (auto* info = Find(window)) info->needsPaint = true;
    if (flags & RDW_UPDATENOW) {
      if (auto* info = Find(window)) info->needsPaint = false;
      SendMessageA(window, WM_PAINT, 0, 0);
    }
  }
  return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL) {
  auto* info = Find(window);
  if (!info) return FALSE;
  info->needsPaint = true;
  return TRUE;
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  using platform::MessageBoxButtons;
  using platform::MessageBoxIcon;
  if (!platform::HasBackend()) return 0;
  struct Layout {
    MessageBoxButtons buttons;
    int ids[3];
  };
  static constexpr Layout kLayouts[] = {
      {MessageBoxButtons::Ok, {IDOK, 0, 0}},
      {MessageBoxButtons::OkCancel, {IDOK, IDCANCEL, 0}},
      {MessageBoxButtons::AbortRetryIgnore, {IDABORT, IDRETRY, IDIGNORE}},
      {MessageBoxButtons::YesNoCancel, {IDYES, IDNO, IDCANCEL}},
      {MessageBoxButtons::YesNo, {IDYES, IDNO, 0}},
      {MessageBoxButtons::RetryCancel, {IDRETRY, IDCANCEL, 0}},
  };
  const UINT kind = type & 0x0F;
  if (kind >= std::size(kLayouts)) return 0;
  const Layout& layout = kLayouts[kind];
  MessageBoxIcon icon = MessageBoxIcon::None;
  switch (type & 0xF0) {
    case MB_ICONHAND: icon = MessageBoxIcon::Error; break;
    case MB_ICONQUESTION: icon = MessageBoxIcon::Question; break;
    case MB_ICONEXCLAMATION: icon = MessageBoxIcon::Warning; break;
    case MB_ICONASTERISK: icon = MessageBoxIcon::Information; break;
    default: break;
  }
  const int pressed = platform::CurrentBackend().ShowMessageBox(text ? text : "", caption ? caption : "Error",
                                                                layout.buttons, icon);
  if (pressed < 0 || pressed > 2 || layout.ids[pressed] == 0) return 0;
  return layout.ids[pressed];
}

BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* pvParam, UINT winIni) {
  auto& s = Settings();
  switch (action) {
    case SPI_GETSCREENSAVEACTIVE:
      if (!pvParam) return FALSE;
      *static_cast<BOOL*>(pvParam) = s.screenSaverActive ? TRUE : FALSE;
      return TRUE;
    case SPI_SETSCREENSAVEACTIVE: {
      s.screenSaverActive = uiParam != 0;
      if (platform::HasBackend()) platform::CurrentBackend().SetScreenSaverEnabled(s.screenSaverActive);
      if (winIni & SPIF_SENDWININICHANGE) platform::window::Broadcast(WM_SETTINGCHANGE, SPI_SETSCREENSAVEACTIVE, 0);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

int ShowCursor(BOOL show) {
  auto& s = Settings();
  const bool wasVisible = s.cursorCount >= 0;
  s.cursorCount += show ? 1 : -1;
  const bool visible = s.cursorCount >= 0;
  if (visible != wasVisible && platform::HasBackend()) platform::CurrentBackend().SetCursorVisible(visible);
  return s.cursorCount;
}

DWORD GetTickCount() { return static_cast<DWORD>(platform::NowMicroseconds() / 1000); }

void SleepBeforeTick(DWORD tick, DWORD marginUs) {
  platform::Backend& backend = platform::CurrentBackend();
  const std::uint64_t now = backend.NowMicroseconds();
  const auto ahead = static_cast<std::int32_t>(tick - static_cast<DWORD>(now / 1000));
  if (ahead <= 0) return;
  // The tick counter turns to TICK at this microsecond.
  const std::uint64_t turn = (now / 1000 + static_cast<std::uint64_t>(ahead)) * 1000;
  if (turn - now > marginUs) backend.SleepMicroseconds(turn - now - marginUs);
}
