#pragma once
#include <stdexcept>
#include <string>

namespace qtk {

// An error of the toolkit or the platform; what() is the text shown to the user (code page 932).
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws Error with the system's message for GetLastError(), prefixed by `what`.
[[noreturn]] void ThrowLastError(const std::string& what);
// Throws Error with `what`, then on a line of its own the system call that failed and the
// system's text for GetLastError() (the call alone when it left no code).
[[noreturn]] void ThrowCallFailed(const std::string& what, const char* call);
// The system's text for an error code, without the trailing line break.
std::string SystemMessage(unsigned long code);

}  // namespace qtk
