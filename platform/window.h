// The window layer's Windows-style functions: window procedures and their
// messages, the window's place and show state, menu bar and frame redraws,
// message boxes, the screen-saver setting, the cursor and the tick counter.
//
// Windows are made by the forms of platform/forms.h; these functions work on
// any window handle they hand out. Messages go through each window's chain of
// procedures: SetWindowLongA (GWL_WNDPROC) installs a procedure and returns
// the previous one, which the new one passes messages on to with
// CallWindowProcA. Everything runs on the thread of the message loop.
#pragma once

#include <cstdint>

#include "platform/types.h"
#include "platform/window_registry.h"  // IsWindow, IsIconic, GetClientRect, ClientToScreen

using LONG_PTR = std::intptr_t;
using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
struct HRGN__;
using HRGN = HRGN__*;

// --- messages (with the parameters the layer sends) ---------------------------
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;            // lParam: client origin on screen, x low word, y high word (signed)
constexpr UINT WM_SIZE = 0x0005;            // wParam SIZE_*; lParam: client width low, height high
constexpr UINT WM_ACTIVATE = 0x0006;        // wParam WA_ACTIVE / WA_INACTIVE
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SHOWWINDOW = 0x0018;      // wParam TRUE shown / FALSE hidden
constexpr UINT WM_SETTINGCHANGE = 0x001A;   // wParam: the SPI_* action that changed
constexpr UINT WM_ACTIVATEAPP = 0x001C;     // wParam TRUE activated / FALSE deactivated
constexpr UINT WM_GETMINMAXINFO = 0x0024;   // lParam: MINMAXINFO* the procedure may change
constexpr UINT WM_NCPAINT = 0x0085;
constexpr UINT WM_KEYDOWN = 0x0100;         // wParam virtual key; lParam repeat, scan code, flags
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSKEYDOWN = 0x0104;      // with Alt held, and F10
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_COMMAND = 0x0111;         // wParam: command id low word, 0 high word (from a menu)
constexpr UINT WM_ENTERMENULOOP = 0x0211;   // wParam FALSE (a menu bar, not a pop-up)
constexpr UINT WM_EXITMENULOOP = 0x0212;    // wParam FALSE
constexpr UINT WM_QUERYNEWPALETTE = 0x030F;
constexpr UINT WM_USER = 0x0400;

constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(std::int32_t low, std::int32_t high) {
  return static_cast<LPARAM>((static_cast<std::uint32_t>(low) & 0xFFFF) |
                             ((static_cast<std::uint32_t>(high) & 0xFFFF) << 16));
}
constexpr WPARAM MAKEWPARAM(std::uint32_t low, std::uint32_t high) {
  return static_cast<WPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}
// The signed coordinates of WM_MOVE and the mouse messages.
constexpr std::int32_t GET_X_LPARAM(LPARAM v) { return static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(v))); }
constexpr std::int32_t GET_Y_LPARAM(LPARAM v) { return static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(v))); }

struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;       // size of the maximised window
  POINT ptMaxPosition;   // position of the maximised window
  POINT ptMinTrackSize;  // smallest size the window may take
  POINT ptMaxTrackSize;  // largest size the window may take
};

// --- window procedures -------------------------------------------------------
constexpr int GWL_WNDPROC = -4;
constexpr int GWL_USERDATA = -21;

// Sets a window value and returns the previous one; 0 for an unknown window
// or index. On the 32-bit ABI the library was written for a LONG holds a
// procedure's address; here the value is pointer-sized so that it still can.
LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongA(HWND window, int index);
// Calls PROCEDURE (when not null) with the message and returns its result.
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Delivers the message to the window's current procedure at once.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message for the message loop.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// What a window does with a message nobody handled: WM_CLOSE destroys it.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL DestroyWindow(HWND window);

// --- place and show state ----------------------------------------------------
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// The window's outer rectangle on the screen.
BOOL GetWindowRect(HWND window, RECT* rect);
// Moves and sizes the window's outer rectangle. A new size is first offered
// to the procedure in WM_GETMINMAXINFO and kept within the tracking sizes it
// leaves; then WM_MOVE and WM_SIZE report what changed.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
// Returns whether the window was visible before.
BOOL ShowWindow(HWND window, int command);
BOOL IsZoomed(HWND window);
BOOL BringWindowToTop(HWND window);
HWND GetActiveWindow();

// --- drawing -----------------------------------------------------------------
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_INTERNALPAINT = 0x0002;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_FRAME = 0x0400;

BOOL DrawMenuBar(HWND window);
// RDW_FRAME redraws the frame and menu bar (WM_NCPAINT); RDW_INVALIDATE
// queues a WM_PAINT, delivered at once with RDW_UPDATENOW.
BOOL RedrawWindow(HWND window, const RECT* update, HRGN region, UINT flags);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);

// --- message boxes -----------------------------------------------------------
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a modal box (UTF-8 TEXT and CAPTION; a null caption is "Error") and
// waits for a button. Returns the button's ID*, or 0 when no box can be shown.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// --- system settings -----------------------------------------------------------
constexpr UINT SPI_GETSCREENSAVEACTIVE = 0x0010;  // pvParam: BOOL* receiving the setting
constexpr UINT SPI_SETSCREENSAVEACTIVE = 0x0011;  // uiParam: TRUE or FALSE
constexpr UINT SPIF_UPDATEINIFILE = 0x0001;
constexpr UINT SPIF_SENDWININICHANGE = 0x0002;    // every window gets WM_SETTINGCHANGE

// Only the screen-saver setting is kept; other actions fail (FALSE).
BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* pvParam, UINT winIni);

// --- cursor and clock --------------------------------------------------------------
// Adds 1 (SHOW true) or takes 1 from the display count and returns the new
// count; the cursor is visible while the count is 0 or more. It starts at 0.
int ShowCursor(BOOL show);
// Milliseconds since the back end started, wrapping at 2^32 (after 49.7 days).
DWORD GetTickCount();
// Ours, not a Windows function: gives the processor back until MARGIN_US
// microseconds before GetTickCount first reads TICK, sleeping on the
// monotonic clock the tick counter reads. TICK counts as ahead when it is
// less than 2^31 ms ahead; a tick already reached, or nearer than the
// margin, returns at once.
void SleepBeforeTick(DWORD tick, DWORD marginUs);
