#pragma once
// The mode the program was started in, read from its command line.
#include <string>

namespace tolvarin {

// Second character of the command-line tail in upper case; empty when the
// tail is shorter than two characters.
std::string ModeLetter(const std::string& commandTail);

}  // namespace tolvarin
