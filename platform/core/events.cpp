#include "platform/events.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <unordered_map>

#include "platform/faults.h"

namespace platform {
namespace {

class EventObject final : public WaitableEvent {
 public:
  EventObject(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}

  void Set() noexcept override {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      signalled_ = true;
    }
    changed_.notify_all();
  }
  void Reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    signalled_ = false;
  }
  DWORD Wait(DWORD milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto ready = [this] { return signalled_; };
    if (milliseconds == INFINITE) {
      changed_.wait(lock, ready);
    } else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), ready)) {
      return WAIT_TIMEOUT;
    }
    if (!manualReset_) signalled_ = false;
    return WAIT_OBJECT_0;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  const bool manualReset_;
  bool signalled_;
};

// Open handles. Events outlive their handle while anyone holds them, so a
// buffer's notification can never signal freed memory.
struct Handles {
  std::mutex mutex;
  std::unordered_map<HANDLE, std::shared_ptr<EventObject>> open;
};

Handles& Table() {
  static Handles* handles = new Handles;  // never destroyed: any thread may ask while the process ends
  return *handles;
}

std::shared_ptr<EventObject> Find(HANDLE handle) {
  Handles& table = Table();
  std::lock_guard<std::mutex> guard(table.mutex);
  const auto it = table.open.find(handle);
  return it == table.open.end() ? nullptr : it->second;
}

}  // namespace

std::shared_ptr<WaitableEvent> FindEvent(HANDLE handle) { return Find(handle); }

}  // namespace platform

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName) {
  if (platform::TakeFault("CreateEventA")) return nullptr;
  if (lpName) return nullptr;
  auto event = std::make_shared<platform::EventObject>(bManualReset != FALSE, bInitialState != FALSE);
  HANDLE handle = event.get();
  platform::Handles& table = platform::Table();
  std::lock_guard<std::mutex> guard(table.mutex);
  table.open.emplace(handle, std::move(event));
  return handle;
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
  const auto event = platform::Find(hEvent);
  if (!event) return FALSE;
  event->Set();
  return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
  const auto event = platform::Find(hEvent);
  if (!event) return FALSE;
  event->Reset();
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  const auto event = platform::Find(hHandle);
  return event ? event->Wait(dwMilliseconds) : WAIT_FAILED;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  platform::Handles& table = platform::Table();
  std::shared_ptr<platform::EventObject> closing;  // freed outside the lock
  std::lock_guard<std::mutex> guard(table.mutex);
  const auto it = table.open.find(hObject);
  if (it == table.open.end()) return FALSE;
  closing = std::move(it->second);
  table.open.erase(it);
  return TRUE;
}
