// IDirectDrawClipper: a window whose client area limits blits, or an
// explicit list of rectangles.
#pragma once

#include <vector>

#include "platform/ddraw.h"
#include "platform/unknown.h"

namespace platform::ddraw {

class DirectDraw;

class Clipper final : public RefCounted<IDirectDrawClipper> {
 public:
  // OWNER may be null (DirectDrawCreateClipper); otherwise it is referenced.
  explicit Clipper(DirectDraw* owner);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT GetClipList(LPRECT lpRect, LPRGNDATA lpClipList, LPDWORD lpdwSize) override;
  HRESULT GetHWnd(HWND* lphWnd) override;
  HRESULT Initialize(LPDIRECTDRAW lpDD, DWORD dwFlags) override;
  HRESULT IsClipListChanged(BOOL* lpbChanged) override;
  HRESULT SetClipList(LPRGNDATA lpClipList, DWORD dwFlags) override;
  HRESULT SetHWnd(DWORD dwFlags, HWND hWnd) override;

  // The window set with SetHWnd, or null.
  HWND Window() const { return window_; }

  // What blits clip to, in screen (= primary surface) coordinates: calls
  // VISIT for each rectangle. Returns false when the clipper has neither a
  // window nor a list. A window that is gone or minimised yields nothing.
  template <typename Visit>
  bool ForEachRect(Visit&& visit) const {
    if (window_) {
      RECT client;
      if (WindowOnScreen(&client)) visit(client);
      return true;
    }
    if (!hasList_) return false;
    for (const RECT& r : list_) visit(r);
    return true;
  }

 private:
  ~Clipper() override;
  bool WindowOnScreen(RECT* out) const;

  DirectDraw* owner_;
  HWND window_ = nullptr;
  bool hasList_ = false;
  std::vector<RECT> list_;
  // IsClipListChanged compares against what it last reported: the list's
  // serial number and where the window's client area was.
  unsigned serial_ = 0;
  unsigned seenSerial_ = 0;
  RECT seenWindow_{};
};

}  // namespace platform::ddraw
