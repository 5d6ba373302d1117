#include "input/brin_input_log.h"

#include <cstdlib>

namespace brin::input {

InputLog& Log() {
  static InputLog log;
  return log;
}

void ResetLog() {
  Log().channel.Reset();
  Log().exceptOnError = false;
}

void DebugLog(const std::string& message) {
  InputLog& log = Log();
  log.channel.Log(message);
  if (log.exceptOnError) throw EBrinIn(message);
}

HRESULT CheckResult(HRESULT code, const std::string& message) {
  if (code == 0) return 0;
  const std::string line = DebugLogChannel::ErrorLine(code, message);
  // The exception switch wins over the halt: DebugLog raises it.
  if (Log().channel.haltOnError && !Log().exceptOnError) Log().channel.LogAndHalt(line);
  DebugLog(line);
  return code;
}

}  // namespace brin::input
