#include "platform/ddraw/ddraw_clipper.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/ddraw/ddraw_object.h"
#include "platform/faults.h"
#include "platform/system.h"
#include "platform/window_registry.h"

namespace platform::ddraw {
namespace {

bool Empty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

Clipper::Clipper(DirectDraw* owner) : owner_(owner) {
  if (owner_) owner_->AddRef();
}

Clipper::~Clipper() {
  if (owner_) owner_->Release();
}

HRESULT Clipper::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDirectDrawClipper) {
    AddRef();
    *object = static_cast<IDirectDrawClipper*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

bool Clipper::WindowOnScreen(RECT* out) const {
  RECT client;
  POINT origin{0, 0};
  if (!GetClientRect(window_, &client) || !ClientToScreen(window_, &origin) || IsIconic(window_)) return false;
  *out = RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  return !Empty(*out);
}

HRESULT Clipper::GetClipList(LPRECT lpRect, LPRGNDATA lpClipList, LPDWORD lpdwSize) {
  if (const HRESULT fault = TakeFault("IDirectDrawClipper::GetClipList")) return fault;
  if (!lpdwSize) return DDERR_INVALIDPARAMS;
  if (!window_ && !hasList_) return DDERR_NOCLIPLIST;

  // A window's region is what of its client area the screen shows.
  const DisplayMode mode = CurrentDisplayMode();
  const RECT screen{0, 0, static_cast<LONG>(mode.width), static_cast<LONG>(mode.height)};
  const RECT limit = lpRect ? *lpRect : RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  DWORD count = 0;
  RECT bound{0, 0, 0, 0};
  auto visit = [&](const RECT& r, RECT* out) {
    RECT part = Intersect(r, limit);
    if (window_) part = Intersect(part, screen);
    if (Empty(part)) return;
    if (out) std::memcpy(reinterpret_cast<char*>(out) + count * sizeof(RECT), &part, sizeof(RECT));
    bound = count == 0 ? part
                       : RECT{std::min(bound.left, part.left), std::min(bound.top, part.top),
                              std::max(bound.right, part.right), std::max(bound.bottom, part.bottom)};
    ++count;
  };
  ForEachRect([&](const RECT& r) { visit(r, nullptr); });
  const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
  seenSerial_ = serial_;
  if (window_) WindowOnScreen(&seenWindow_);
  if (!lpClipList) {
    *lpdwSize = needed;
    return DD_OK;
  }
  if (*lpdwSize < needed) {
    *lpdwSize = needed;
    return DDERR_REGIONTOOSMALL;
  }
  RGNDATAHEADER header{};
  header.dwSize = sizeof(RGNDATAHEADER);
  header.iType = RDH_RECTANGLES;
  header.nCount = count;
  header.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
  header.rcBound = bound;
  auto* rects = reinterpret_cast<RECT*>(lpClipList->Buffer);
  count = 0;
  ForEachRect([&](const RECT& r) { visit(r, rects); });
  lpClipList->rdh = header;
  return DD_OK;
}

HRESULT Clipper::GetHWnd(HWND* lphWnd) {
  if (lphWnd) *lphWnd = nullptr;
  if (const HRESULT fault = TakeFault("IDirectDrawClipper::GetHWnd")) return fault;
  if (!lphWnd) return DDERR_INVALIDPARAMS;
  *lphWnd = window_;
  return DD_OK;
}

HRESULT Clipper::Initialize(LPDIRECTDRAW, DWORD) {
  if (const HRESULT fault = TakeFault("IDirectDrawClipper::Initialize")) return fault;
  return DDERR_ALREADYINITIALIZED;
}

HRESULT Clipper::IsClipListChanged(BOOL* lpbChanged) {
  if (lpbChanged) *lpbChanged = FALSE;
  if (const HRESULT fault = TakeFault("IDirectDrawClipper::IsClipListChanged")) return fault;
  if (!lpbChanged) return DDERR_INVALIDPARAMS;
  bool changed = serial_ != seenSerial_;
  if (window_) {
    RECT now{};
    WindowOnScreen(&now);
    changed = changed || !SameRect(now, seenWindow_);
    seenWindow_ = now;
  }
  seenSerial_ = serial_;
  *lpbChanged = changed ? TRUE : FALSE;
  return DD_OK;
}

HRESULT Clipper::SetClipList(LPRGNDATA lpClipList, DWORD dwFlags) {
  if (const HRESULT fault = TakeFault("IDirectDrawClipper::SetClipList")) return fault;
  if (dwFlags != 0) return DDERR_INVALIDPARAMS;
  if (window_) return DDERR_CLIPPERISUSINGHWND;
  if (!lpClipList) {
    list_.clear();
    hasList_ = false;
    ++serial_;
    return DD_OK;
  }
  const RGNDATAHEADER& header = lpClipList->rdh;
  if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES) return DDERR_INVALIDCLIPLIST;
  std::vector<RECT> rects;
  try {
    rects.resize(header.nCount);
  } catch (const std::bad_alloc&) {
    return DDERR_OUTOFMEMORY;
  }
  if (header.nCount) std::memcpy(rects.data(), lpClipList->Buffer, header.nCount * sizeof(RECT));
  // Overlapping rectangles would draw their common pixels twice (and blend
  // them twice), so a list must tile its region.
  for (size_t i = 0; i < rects.size(); ++i) {
    if (Empty(rects[i])) return DDERR_INVALIDCLIPLIST;
    for (size_t j = 0; j < i; ++j)
      if (!Empty(Intersect(rects[i], rects[j]))) return DDERR_INVALIDCLIPLIST;
  }
  list_ = std::move(rects);
  hasList_ = true;
  ++serial_;
  return DD_OK;
}

HRESULT Clipper::SetHWnd(DWORD dwFlags, HWND hWnd) {
  if (const HRESULT fault = TakeFault("IDirectDrawClipper::SetHWnd")) return fault;
  if (dwFlags != 0 || (hWnd && !IsWindow(hWnd))) return DDERR_INVALIDPARAMS;
  window_ = hWnd;
  // The window's region replaces any explicit list.
  list_.clear();
  hasList_ = false;
  ++serial_;
  return DD_OK;
}

}  // namespace platform::ddraw
