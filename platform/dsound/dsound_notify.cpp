#include "platform/dsound/dsound_notify.h"

#include <new>
#include <vector>

#include "platform/dsound/dsound_buffer.h"
#include "platform/faults.h"

namespace platform::dsound {

Notify::Notify(SoundBuffer* buffer) : buffer_(buffer) { buffer_->AddRef(); }

Notify::~Notify() {
  buffer_->ForgetNotify();
  buffer_->Release();
}

HRESULT Notify::QueryInterface(REFIID riid, void** object) {
  if (object) *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirectSoundNotify::QueryInterface")) return fault;
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirectSoundNotify) {
    AddRef();
    *object = static_cast<IDirectSoundNotify*>(this);
    return DS_OK;
  }
  return buffer_->QueryInterface(riid, object);
}

HRESULT Notify::SetNotificationPositions(DWORD dwPositionNotifies, LPCDSBPOSITIONNOTIFY pcPositionNotifies) {
  if (const HRESULT fault = TakeFault("IDirectSoundNotify::SetNotificationPositions")) return fault;
  if (dwPositionNotifies > DSBNOTIFICATIONS_MAX || (dwPositionNotifies && !pcPositionNotifies))
    return DSERR_INVALIDPARAM;
  std::vector<Notification> list;
  try {
    list.reserve(dwPositionNotifies);
    for (DWORD i = 0; i < dwPositionNotifies; ++i) {
      const DSBPOSITIONNOTIFY& position = pcPositionNotifies[i];
      // The stop position, if any, comes last; the others lie inside.
      const bool stop = position.dwOffset == DSBPN_OFFSETSTOP;
      if (stop ? i + 1 != dwPositionNotifies : position.dwOffset >= buffer_->Bytes()) return DSERR_INVALIDPARAM;
      std::shared_ptr<WaitableEvent> event = FindEvent(position.hEventNotify);
      if (!event) return DSERR_INVALIDPARAM;
      list.push_back(Notification{position.dwOffset, std::move(event)});
    }
  } catch (const std::bad_alloc&) {
    return DSERR_OUTOFMEMORY;
  }
  // Positions are set on a stopped buffer; its documented refusal is a
  // parameter error.
  return buffer_->SetNotifications(list) ? DS_OK : DSERR_INVALIDPARAM;
}

}  // namespace platform::dsound
