// Exit statuses of the qirvale tool and the error that carries one up to main.
#pragma once

#include <stdexcept>
#include <string>

namespace QIRVALETool {

// Every way the tool can end; main returns the value. Documented in tools/README.md.
enum class ExitStatus : int {
    kOk = 0,
    kSignatureMismatch = 1,  // a well-formed signature that does not verify
    kUsage = 2,              // the command line is wrong
    kInputOutput = 3,        // a file could not be opened, read or written
    kMalformed = 4,          // a key, signature, S-box, cipher-key or ciphertext file is malformed
    kFailure = 5,            // a self-test failed, or the library reported an unexpected failure
};

// Thrown by the commands and caught in main, which prints "qirvale: <message>" on standard
// error and exits with the status. Messages are one line and start with the file they concern.
class ToolError : public std::runtime_error {
  public:
    ToolError(ExitStatus status, const std::string& message)
        : std::runtime_error(message), status_(status) {}
    ExitStatus status() const noexcept { return status_; }

  private:
    ExitStatus status_;
};

[[noreturn]] inline void Fail(ExitStatus status, const std::string& message) {
    throw ToolError(status, message);
}

}  // namespace QIRVALETool
