// Event objects, as the documented synchronisation functions provide them:
// a handle that one thread signals and another waits on. DirectSound's
// position notifications signal them from the thread that mixes.
//
//   HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
//   ... SetEvent(done) on one thread, WaitForSingleObject(done, 500) on another
//   CloseHandle(done);
//
// Only unnamed events exist; a name is refused (null). An auto-reset event
// (bManualReset FALSE) releases one wait and returns to unsignalled; a
// manual-reset one stays signalled until ResetEvent. Waits time out on the
// real clock (INFINITE never does). A handle stays valid until CloseHandle;
// whoever holds the event itself (platform::FindEvent) keeps it alive after.
#pragma once

#include <memory>

#include "platform/types.h"

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                           LPCSTR lpName);
BOOL WINAPI SetEvent(HANDLE hEvent);
BOOL WINAPI ResetEvent(HANDLE hEvent);
DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
BOOL WINAPI CloseHandle(HANDLE hObject);

namespace platform {

class WaitableEvent {
 public:
  virtual ~WaitableEvent() = default;
  // Signals the event; safe from any thread, allocates nothing.
  virtual void Set() noexcept = 0;
};

// The event behind HANDLE, or null when it is not an open event handle.
std::shared_ptr<WaitableEvent> FindEvent(HANDLE handle);

}  // namespace platform
