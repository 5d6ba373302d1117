// IDirectSoundNotify of a buffer made with DSBCAPS_CTRLPOSITIONNOTIFY. Holds
// its buffer; the positions live in the buffer, where the mixer reads them.
#pragma once

#include "platform/dsound.h"
#include "platform/unknown.h"

namespace platform::dsound {

class SoundBuffer;

class Notify final : public RefCounted<IDirectSoundNotify> {
 public:
  explicit Notify(SoundBuffer* buffer);
  ~Notify() override;

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT SetNotificationPositions(DWORD dwPositionNotifies, LPCDSBPOSITIONNOTIFY pcPositionNotifies) override;

 private:
  SoundBuffer* buffer_;
};

}  // namespace platform::dsound
