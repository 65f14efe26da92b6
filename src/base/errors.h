#pragma once
// Run-time errors of the program and the per-step error trap.
#include <stdexcept>
#include <string>

namespace tolvarin {

// An error raised by the program's own rules (an overflow, a bad conversion).
class ProgramError : public std::runtime_error {
 public:
  ProgramError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

inline constexpr int kErrorTypeMismatch = 13;
inline constexpr int kErrorOverflow = 6;
inline constexpr int kErrorOutOfMemory = 7;
inline constexpr int kErrorInvalidPropertyValue = 380;

[[noreturn]] inline void RaiseOverflow() { throw ProgramError(kErrorOverflow, "Overflow"); }
[[noreturn]] inline void RaiseInvalidPropertyValue() {
  throw ProgramError(kErrorInvalidPropertyValue, "Invalid property value");
}
[[noreturn]] inline void RaiseTypeMismatch() { throw ProgramError(kErrorTypeMismatch, "Type mismatch"); }

// The text of the error report for an error that nobody trapped.
inline std::string ErrorReportText(const std::exception& error) {
  if (auto* own = dynamic_cast<const ProgramError*>(&error))
    return "Run-time error '" + std::to_string(own->number()) + "':\n\n" + own->what();
  return std::string("Run-time error:\n\n") + error.what();
}

// Runs one step that traps its own errors: a failure of the step is dropped
// and the caller goes on with the next step. The end of the process is not a
// failure (it is not a std::exception) and passes through.
template <class Step>
void TrapErrors(Step&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

}  // namespace tolvarin
