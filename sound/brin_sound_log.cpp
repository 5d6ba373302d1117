#include "sound/brin_sound_log.h"

#include <cstdlib>

namespace brin::sound {

SoundLog& Log() {
  static SoundLog log;
  return log;
}

void ResetLog() {
  Log().channel.Reset();
  Log().exceptOnError = false;
}

void DebugLog(const std::string& message) {
  SoundLog& log = Log();
  log.channel.Log(message);
  if (log.exceptOnError) throw EBrinSound(message);
}

HRESULT CheckResult(HRESULT code, const std::string& message) {
  if (code == 0) return 0;
  const std::string line = DebugLogChannel::ErrorLine(code, message);
  // The exception switch wins over the halt: DebugLog raises it.
  if (Log().channel.haltOnError && !Log().exceptOnError) Log().channel.LogAndHalt(line);
  DebugLog(line);
  return code;
}

void CheckRelease(ULONG remaining, const std::string& message) noexcept {
  if (remaining == 0) return;
  const std::string line = DebugLogChannel::ErrorLine(static_cast<HRESULT>(remaining), message);
  if (Log().channel.haltOnError) Log().channel.LogAndHalt(line);
  try {
    Log().channel.Log(line);
  } catch (const platform::Exception&) {
    // A log that cannot be written has nowhere to report to from here.
  }
}

}  // namespace brin::sound
