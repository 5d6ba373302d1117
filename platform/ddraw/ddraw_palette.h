// IDirectDrawPalette: 2, 4, 16 or 256 colour entries.
#pragma once

#include "platform/ddraw.h"
#include "platform/unknown.h"

namespace platform::ddraw {

class DirectDraw;

class Palette final : public RefCounted<IDirectDrawPalette> {
 public:
  // Checks FLAGS and copies the entries; OWNER is referenced.
  static HRESULT Create(DirectDraw* owner, DWORD flags, const PALETTEENTRY* entries, Palette** out);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT GetCaps(LPDWORD lpdwCaps) override;
  HRESULT GetEntries(DWORD dwFlags, DWORD dwBase, DWORD dwNumEntries, LPPALETTEENTRY lpEntries) override;
  HRESULT Initialize(LPDIRECTDRAW lpDD, DWORD dwFlags, LPPALETTEENTRY lpDDColorTable) override;
  HRESULT SetEntries(DWORD dwFlags, DWORD dwStartingEntry, DWORD dwCount, LPPALETTEENTRY lpEntries) override;

  const PALETTEENTRY* Entries() const { return entries_; }
  DWORD Count() const { return count_; }
  // Whether the application may set all 256 entries of a windowed desktop
  // palette; without it the 20 static colours stay the system's.
  bool Allow256() const { return (caps_ & DDPCAPS_ALLOW256) != 0; }

 private:
  Palette(DirectDraw* owner, DWORD caps, DWORD count);
  ~Palette() override;

  DirectDraw* owner_;
  DWORD caps_;
  DWORD count_;
  PALETTEENTRY entries_[256]{};
};

}  // namespace platform::ddraw
