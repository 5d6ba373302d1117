#include "display/debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/exception.h"
#include "platform/files.h"

namespace brin {

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (length > 0) {
    out.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return out;
}

namespace {
// The library runs on one thread; the audio thread never logs.
int teardownDepth = 0;
}  // namespace

TeardownLogging::TeardownLogging() noexcept { ++teardownDepth; }
TeardownLogging::~TeardownLogging() { --teardownDepth; }
bool TeardownLogging::Active() noexcept { return teardownDepth > 0; }

std::string DebugLogChannel::Path() const {
  return (folder.empty() ? platform::ExecutableFolder() : folder + "/") + fileName_;
}

void DebugLogChannel::Log(const std::string& message) {
  if (!debugMessage) return;
  // The counter moves before the write, as the first line of a run must both
  // truncate the file and carry number 00001.
  const bool first = lineCounter == 0;
  ++lineCounter;
  const std::string line = Format("debug#%.5d ... ", lineCounter) + message;
  try {
    platform::WriteTextLine(Path(), platform::Utf8ToCp932(line), first);
  } catch (const platform::EInOutError&) {
    if (!TeardownLogging::Active()) throw;
  }
}

void DebugLogChannel::Detail(const std::string& message) {
  if (detailedLog) Log(message);
}

std::string DebugLogChannel::ErrorLine(HRESULT code, const std::string& message) {
  return message + Format("(Error Code(%X))", static_cast<std::uint32_t>(code));
}

HRESULT DebugLogChannel::Check(HRESULT code, const std::string& message) {
  if (code == 0) return 0;
  if (haltOnError) LogAndHalt(ErrorLine(code, message));
  Log(ErrorLine(code, message));
  return code;
}

void DebugLogChannel::LogAndHalt(const std::string& line) {
  try {
    Log(line);
  } catch (const platform::Exception&) {
    // The halt still says why, on stderr.
  }
  Halt(line);
}

void Halt(const std::string& message) {
  const std::string program = platform::ExecutablePath();
  std::fprintf(stderr, "%s: %s\n", program.substr(program.rfind('/') + 1).c_str(), message.c_str());
  std::fflush(stderr);
  std::exit(1);
}

void DebugLogChannel::Reset() {
  haltOnError = true;
  debugMessage = true;
  detailedLog = false;
  lineCounter = 0;
  folder.clear();
}

DebugLogChannel& DisplayLogChannel() {
  static DebugLogChannel channel("brin.debug");
  return channel;
}

void DebugLog(const std::string& message) { DisplayLogChannel().Log(message); }
void DetailLog(const std::string& message) { DisplayLogChannel().Detail(message); }
HRESULT CheckResult(HRESULT code, const std::string& message) { return DisplayLogChannel().Check(code, message); }

}  // namespace brin
