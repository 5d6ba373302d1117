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
  DebugLog(DebugLogChannel::ErrorLine(code, message));
  if (Log().channel.haltOnError) std::exit(0);
  return code;
}

void CheckRelease(ULONG remaining, const std::string& message) noexcept {
  if (remaining == 0) return;
  try {
    Log().channel.Log(DebugLogChannel::ErrorLine(static_cast<HRESULT>(remaining), message));
  } catch (const platform::Exception&) {
    // A log that cannot be written has nowhere to report to from here.
  }
  if (Log().channel.haltOnError) std::exit(0);
}

}  // namespace brin::sound
