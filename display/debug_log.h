// The library's debug log and its policy for failed platform calls.
//
// Each component keeps a log of its own beside the executable: the display
// component (shared with surfaces and sprites) writes "brin.debug". A log
// line is "debug#NNNNN ... message" in code page 932, ended by CR LF; the
// first line of a run empties the file. The file is opened and closed for
// every line so the log is complete even if the process ends right after.
//
// CheckResult logs a failed result code and then, with the halt switch on,
// ends the process at once: nothing after the failed call runs. A halt is a
// failure, so it says why as one line on stderr ("zornack: message") and
// ends with exit status 1, whatever the log switches say; a log that cannot
// be written does not keep it from halting.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"

namespace brin {

// printf-style formatting into a std::string, bounded by the result's size.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One component's log file, switches and line counter.
class DebugLogChannel {
 public:
  explicit DebugLogChannel(std::string fileName) : fileName_(std::move(fileName)) {}

  bool haltOnError = true;
  bool debugMessage = true;
  bool detailedLog = false;
  std::int32_t lineCounter = 0;
  // Where the log goes; empty means the running executable's folder. Tests
  // point it at a folder of their own.
  std::string folder;

  // Writes MESSAGE (UTF-8) as the next line, when debugMessage is on.
  // Throws platform::EInOutError when the file cannot be written, except
  // while a TeardownLogging exists: the line is then dropped.
  void Log(const std::string& message);
  // Log, only when detailedLog is on too.
  void Detail(const std::string& message);
  // Returns CODE. A non-zero code is logged with "(Error Code(%X))" appended
  // and then ends the process (Halt) when haltOnError is on.
  HRESULT Check(HRESULT code, const std::string& message);
  // Logs LINE as far as the log can be written, then halts.
  [[noreturn]] void LogAndHalt(const std::string& line);
  // The full line CheckResult writes for CODE (without the number prefix).
  static std::string ErrorLine(HRESULT code, const std::string& message);

  std::string Path() const;
  // Back to the state at program start: switches on/on/off, counter 0.
  void Reset();

 private:
  std::string fileName_;
};

// Ends the process at once with exit status 1 after MESSAGE (UTF-8) as one
// line on stderr, prefixed with the program's name: the library's halt.
[[noreturn]] void Halt(const std::string& message);

// Held by destructors, which must not throw: while one exists (on any
// channel), a log line that cannot be written is dropped rather than raised.
// Teardown goes on without its log then, as nobody is left to tell.
class TeardownLogging {
 public:
  TeardownLogging() noexcept;
  ~TeardownLogging();
  TeardownLogging(const TeardownLogging&) = delete;
  TeardownLogging& operator=(const TeardownLogging&) = delete;
  static bool Active() noexcept;
};

// The display component's channel ("brin.debug") and its three routines,
// used by the display component, surfaces and sprites.
DebugLogChannel& DisplayLogChannel();
void DebugLog(const std::string& message);
void DetailLog(const std::string& message);
HRESULT CheckResult(HRESULT code, const std::string& message);

}  // namespace brin
