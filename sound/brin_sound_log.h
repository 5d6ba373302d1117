// The sound component's copy of the library's log and error policy.
//
// Its own file ("brinsound.debug" beside the executable), its own line
// counter and its own switches, which belong to the module rather than to a
// component: the last DebugOption set applies to every TBrinSound, wave and
// 3D parameter set. The lines are those of the display component's log; what
// differs is the exception switch: DebugLog raises EBrinSound with its
// message after writing the line (or without one, when messages are off).
// Because that happens inside CheckResult's logging, an exception wins over a
// halt. There is no detail level.
#pragma once

#include <string>

#include "display/debug_log.h"
#include "platform/exception.h"
#include "platform/types.h"

// The sound component's exception: nothing but its message.
class EBrinSound : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

namespace brin::sound {

struct SoundLog {
  DebugLogChannel channel{"brinsound.debug"};  // haltOnError and debugMessage
  bool exceptOnError = false;
};

// The module's log, switches and counter.
SoundLog& Log();
// Back to the state at program start: halt and messages on, no exception,
// counter 0, the executable's folder.
void ResetLog();

void DebugLog(const std::string& message);
// Returns CODE; a non-zero code is logged with "(Error Code(%X))" appended,
// then raises EBrinSound (exception switch) or ends the process (halt switch).
HRESULT CheckResult(HRESULT code, const std::string& message);
// CheckResult for a destructor, which must not throw: the line is written
// (if the log can be written at all) and the halt switch applies, but no
// exception leaves.
void CheckRelease(ULONG remaining, const std::string& message) noexcept;

}  // namespace brin::sound
