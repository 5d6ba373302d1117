#include "platform/window_registry.h"

#include <cstdint>
#include <map>

#include "platform/system.h"

namespace platform::windows {
namespace {

struct WindowEntry {
  RECT client{};
  bool minimised = false;
  bool visible = false;
};

struct Table {
  std::map<std::uintptr_t, WindowEntry> windows;
  std::uintptr_t next = 0x10010;  // handles look like small even numbers, never 0
};

Table& Windows() {
  static Table table;
  return table;
}

void Reset() { Windows() = Table{}; }
const bool registered = (RegisterReset(Reset), true);

WindowEntry* Find(HWND window) {
  auto& t = Windows().windows;
  auto it = t.find(reinterpret_cast<std::uintptr_t>(window));
  return it == t.end() ? nullptr : &it->second;
}

}  // namespace

HWND Create(const RECT& client) {
  auto& t = Windows();
  const std::uintptr_t handle = t.next;
  t.next += 0x10;
  t.windows[handle] = WindowEntry{client, false, false};
  return reinterpret_cast<HWND>(handle);
}

void Destroy(HWND window) { Windows().windows.erase(reinterpret_cast<std::uintptr_t>(window)); }

void SetClientOnScreen(HWND window, const RECT& client) {
  if (auto* w = Find(window)) w->client = client;
}

void SetMinimised(HWND window, bool minimised) {
  if (auto* w = Find(window)) w->minimised = minimised;
}

void SetVisible(HWND window, bool visible) {
  if (auto* w = Find(window)) w->visible = visible;
}

}  // namespace platform::windows

using platform::windows::Find;

BOOL IsWindow(HWND window) { return Find(window) ? TRUE : FALSE; }

BOOL IsIconic(HWND window) {
  const auto* w = Find(window);
  return w && w->minimised ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window) {
  const auto* w = Find(window);
  return w && w->visible ? TRUE : FALSE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  const auto* w = Find(window);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
  const auto* w = Find(window);
  if (!w || !point) return FALSE;
  point->x += w->client.left;
  point->y += w->client.top;
  return TRUE;
}
