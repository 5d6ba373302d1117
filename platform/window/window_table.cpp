// Windows, their procedure chains, their place and show state, and the
// queue of posted messages.
#include "platform/window/window_table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"
#include "platform/window_registry.h"

namespace platform::window {
namespace {

constexpr std::size_t kQueueSize = 256;

struct LayerState {
  std::map<HWND, WindowInfo> windows;
  HWND backendWindow = nullptr;
  std::array<PostedMessage, kQueueSize> queue{};
  std::size_t queueHead = 0;
  std::size_t queueCount = 0;
  bool inMenuLoop = false;
};

LayerState& State() {
  static LayerState state;
  return state;
}

void Reset() { State() = LayerState{}; }
const bool registered = (RegisterReset(Reset), true);

std::int32_t TopInset(bool hasMenu) {
  return WindowMetrics::kBorder + WindowMetrics::kCaption + (hasMenu ? WindowMetrics::kMenuBar : 0);
}

// The platform failing, not a call the program could handle: say so and stop.
[[noreturn]] void NoDisplay() {
  std::string program = ExecutablePath();
  program = program.substr(program.rfind('/') + 1);
  std::fprintf(stderr, "%s: no display is available to show the window\n", program.c_str());
  std::exit(1);
}

void SyncBackend(HWND window) {
  auto& s = State();
  if (window != s.backendWindow || !HasBackend()) return;
  const WindowInfo* info = Find(window);
  WindowDesc desc;
  desc.caption = info->caption;
  desc.client = ClientOnScreen(*info);
  desc.visible = info->visible;
  desc.minimised = info->show == ShowState::Minimised;
  desc.hasMenu = info->hasMenu;
  if (!CurrentBackend().UpdateWindow(desc)) NoDisplay();
}

void SyncRegistry(HWND window, const WindowInfo& info) {
  windows::SetClientOnScreen(window, ClientOnScreen(info));
  windows::SetMinimised(window, info.show == ShowState::Minimised);
  windows::SetVisible(window, info.visible);
}

}  // namespace

HWND CreateWindowHandle(const RECT& rect, const std::string& caption, bool hasMenu, WNDPROC procedure,
                        void* owner) {
  auto& s = State();
  WindowInfo info;
  info.rect = rect;
  info.normalRect = rect;
  info.caption = caption;
  info.hasMenu = hasMenu;
  info.procedure = procedure;
  info.owner = owner;
  const HWND window = windows::Create(ClientOnScreen(info));
  s.windows[window] = info;
  if (!s.backendWindow || !Find(s.backendWindow)) s.backendWindow = window;
  SyncBackend(window);
  return window;
}

WindowInfo* Find(HWND window) {
  auto& w = State().windows;
  auto it = w.find(window);
  return it == w.end() ? nullptr : &it->second;
}

RECT ClientOnScreen(const WindowInfo& info) {
  RECT c{info.rect.left + WindowMetrics::kBorder, info.rect.top + TopInset(info.hasMenu),
         info.rect.right - WindowMetrics::kBorder, info.rect.bottom - WindowMetrics::kBorder};
  if (info.show == ShowState::Minimised) c.right = c.left, c.bottom = c.top;
  c.right = std::max(c.right, c.left);
  c.bottom = std::max(c.bottom, c.top);
  return c;
}

SIZE OuterSizeFor(std::int32_t clientWidth, std::int32_t clientHeight, bool hasMenu) {
  return SIZE{clientWidth + 2 * WindowMetrics::kBorder, clientHeight + TopInset(hasMenu) + WindowMetrics::kBorder};
}

void SetCaption(HWND window, const std::string& caption) {
  if (auto* info = Find(window)) {
    info->caption = caption;
    SyncBackend(window);
  }
}

void SetHasMenu(HWND window, bool hasMenu) {
  auto* info = Find(window);
  if (!info || info->hasMenu == hasMenu) return;
  // The outer bounds stay; the client area gives up or takes back the bar.
  info->hasMenu = hasMenu;
  SyncRegistry(window, *info);
  SyncBackend(window);
  const RECT c = ClientOnScreen(*info);
  SendMessageA(window, WM_SIZE, info->show == ShowState::Maximised ? SIZE_MAXIMIZED : SIZE_RESTORED,
               MAKELPARAM(c.right - c.left, c.bottom - c.top));
}

void SetBackendMenu(HWND window, const MenuDesc& menu) {
  if (window == State().backendWindow && HasBackend()) CurrentBackend().SetMenu(menu);
}

HWND BackendWindow() { return State().backendWindow; }

bool TakePosted(PostedMessage& message) {
  auto& s = State();
  if (s.queueCount == 0) return false;
  message = s.queue[s.queueHead];
  s.queueHead = (s.queueHead + 1) % kQueueSize;
  --s.queueCount;
  return true;
}

bool TakePaint(HWND& window) {
  for (auto& [handle, info] : State().windows) {
    if (info.needsPaint && info.visible && info.show != ShowState::Minimised) {
      info.needsPaint = false;
      window = handle;
      return true;
    }
  }
  return false;
}

bool InMenuLoop() { return State().inMenuLoop; }

void SetInMenuLoop(bool inLoop) { State().inMenuLoop = inLoop; }

// --- placing -------------------------------------------------------------------

namespace {

MINMAXINFO DefaultMinMax() {
  const DisplayMode screen = CurrentDisplayMode();
  const auto w = static_cast<LONG>(screen.width), h = static_cast<LONG>(screen.height);
  const LONG b = WindowMetrics::kBorder;
  MINMAXINFO m{};
  m.ptMaxSize = POINT{w + 2 * b, h + 2 * b};
  m.ptMaxPosition = POINT{-b, -b};
  m.ptMinTrackSize = POINT{112, 27};
  m.ptMaxTrackSize = POINT{w + 2 * b, h + 2 * b};
  return m;
}

MINMAXINFO AskMinMax(HWND window) {
  MINMAXINFO m = DefaultMinMax();
  SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&m));
  return m;
}

// Sets the outer bounds and reports the change: WM_MOVE with the client
// origin, WM_SIZE with the client size.
void Apply(HWND window, const RECT& rect, bool fromBackend) {
  WindowInfo* info = Find(window);
  if (!info) return;
  const RECT oldClient = ClientOnScreen(*info);
  info->rect = rect;
  const RECT client = ClientOnScreen(*info);
  SyncRegistry(window, *info);
  if (!fromBackend) SyncBackend(window);
  const ShowState show = info->show;
  if (client.left != oldClient.left || client.top != oldClient.top) {
    SendMessageA(window, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  }
  const bool sized = client.right - client.left != oldClient.right - oldClient.left ||
                     client.bottom - client.top != oldClient.bottom - oldClient.top;
  if (sized && show != ShowState::Minimised) {
    SendMessageA(window, WM_SIZE, show == ShowState::Maximised ? SIZE_MAXIMIZED : SIZE_RESTORED,
                 MAKELPARAM(client.right - client.left, client.bottom - client.top));
  }
}

}  // namespace

void MoveFromBackend(HWND window, std::int32_t clientX, std::int32_t clientY) {
  WindowInfo* info = Find(window);
  if (!info) return;
  const RECT client = ClientOnScreen(*info);
  const LONG dx = clientX - client.left, dy = clientY - client.top;
  if (dx == 0 && dy == 0) return;
  const RECT r{info->rect.left + dx, info->rect.top + dy, info->rect.right + dx, info->rect.bottom + dy};
  Apply(window, r, true);
}

bool Place(HWND window, int x, int y, int width, int height, UINT flags) {
  WindowInfo* info = Find(window);
  if (!info) return false;
  const RECT old = info->rect;
  if (flags & SWP_NOMOVE) x = old.left, y = old.top;
  if (flags & SWP_NOSIZE) {
    width = old.right - old.left;
    height = old.bottom - old.top;
  } else {
    const MINMAXINFO m = AskMinMax(window);
    if (!(info = Find(window))) return false;  // destroyed by its own procedure
    width = std::clamp<int>(width, m.ptMinTrackSize.x, std::max(m.ptMinTrackSize.x, m.ptMaxTrackSize.x));
    height = std::clamp<int>(height, m.ptMinTrackSize.y, std::max(m.ptMinTrackSize.y, m.ptMaxTrackSize.y));
  }
  Apply(window, RECT{x, y, x + width, y + height}, false);
  if (flags & SWP_SHOWWINDOW) ShowWindow(window, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
  return true;
}

bool Show(HWND window, int command, bool fromBackend) {
  WindowInfo* info = Find(window);
  if (!info) return false;
  const bool wasVisible = info->visible;
  const ShowState before = info->show;
  auto setVisible = [&](bool visible) {
    if (info->visible == visible) return;
    info->visible = visible;
    SyncRegistry(window, *info);
    if (!fromBackend) SyncBackend(window);
    SendMessageA(window, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
    if ((info = Find(window)) && visible) info->needsPaint = true;
  };
  switch (command) {
    case SW_HIDE:
      setVisible(false);
      break;
    case SW_SHOW:
      setVisible(true);
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      if (before != ShowState::Minimised) {
        info->beforeMinimise = before;
        info->show = ShowState::Minimised;
        if (command == SW_SHOWMINIMIZED) info->visible = true;
        SyncRegistry(window, *info);
        if (!fromBackend) SyncBackend(window);
        SendMessageA(window, WM_SIZE, SIZE_MINIMIZED, 0);
      }
      break;
    case SW_MAXIMIZE: {
      if (before == ShowState::Maximised) break;
      if (before == ShowState::Normal) info->normalRect = info->rect;
      const MINMAXINFO m = AskMinMax(window);
      if (!(info = Find(window))) return wasVisible;
      info->show = ShowState::Maximised;
      info->visible = true;
      const RECT r{m.ptMaxPosition.x, m.ptMaxPosition.y, m.ptMaxPosition.x + m.ptMaxSize.x,
                   m.ptMaxPosition.y + m.ptMaxSize.y};
      // The size report must say maximised even when the bounds did not change.
      info->rect = RECT{r.left, r.top, r.left, r.top};
      Apply(window, r, fromBackend);
      if ((info = Find(window))) info->needsPaint = true;
      break;
    }
    case SW_SHOWNORMAL:
    case SW_RESTORE:
      if (before == ShowState::Minimised) {
        info->show = info->beforeMinimise;
        info->visible = true;
        SyncRegistry(window, *info);
        if (!fromBackend) SyncBackend(window);
        const RECT c = ClientOnScreen(*info);
        SendMessageA(window, WM_SIZE, info->show == ShowState::Maximised ? SIZE_MAXIMIZED : SIZE_RESTORED,
                     MAKELPARAM(c.right - c.left, c.bottom - c.top));
        if ((info = Find(window))) info->needsPaint = true;
      } else if (before == ShowState::Maximised) {
        info->show = ShowState::Normal;
        Apply(window, info->normalRect, fromBackend);
        if ((info = Find(window))) info->needsPaint = true;
      } else {
        setVisible(true);
      }
      break;
    default:
      break;
  }
  return wasVisible;
}

// --- posting and destruction -------------------------------------------------------

bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& s = State();
  if (s.queueCount == kQueueSize) return false;
  s.queue[(s.queueHead + s.queueCount) % kQueueSize] = PostedMessage{window, message, wParam, lParam};
  ++s.queueCount;
  return true;
}

void Broadcast(UINT message, WPARAM wParam, LPARAM lParam) {
  // Copied first: a procedure may make or destroy windows.
  std::vector<HWND> handles;
  for (const auto& entry : State().windows) handles.push_back(entry.first);
  for (HWND window : handles) SendMessageA(window, message, wParam, lParam);
}

bool Destroy(HWND window) {
  auto& s = State();
  if (!Find(window)) return false;
  SendMessageA(window, WM_DESTROY, 0, 0);
  s.windows.erase(window);
  windows::Destroy(window);
  if (s.backendWindow == window) {
    if (HasBackend()) CurrentBackend().UpdateWindow(WindowDesc{});
    s.backendWindow = nullptr;
    s.inMenuLoop = false;
  }
  // Messages still queued for the window are dropped with it.
  for (std::size_t i = 0; i < s.queueCount; ++i) {
    auto& m = s.queue[(s.queueHead + i) % kQueueSize];
    if (m.window == window && m.message != WM_QUIT) m.message = WM_NULL;
  }
  return true;
}

}  // namespace platform::window
