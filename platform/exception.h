// The platform's general exception class. Every exception the library or the
// platform raises derives from it and carries nothing but its message.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace platform {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

 private:
  std::string message_;
};

// Raised when a file cannot be created, opened, read or written.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace platform

using platform::Exception;
