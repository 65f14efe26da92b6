#include "state/command_line.h"

namespace tolvarin {

std::string ModeLetter(const std::string& commandTail) {
  // Characters, not bytes: the tail is UTF-8.
  std::size_t start = 0, count = 0;
  for (std::size_t i = 0; i < commandTail.size(); ++i) {
    if ((static_cast<unsigned char>(commandTail[i]) & 0xC0) == 0x80) continue;
    if (++count == 2) {
      start = i;
      std::size_t end = i + 1;
      while (end < commandTail.size() && (static_cast<unsigned char>(commandTail[end]) & 0xC0) == 0x80) ++end;
      std::string letter = commandTail.substr(start, end - start);
      if (letter.size() == 1 && letter[0] >= 'a' && letter[0] <= 'z') letter[0] = char(letter[0] - 'a' + 'A');
      return letter;
    }
  }
  return "";
}

}  // namespace tolvarin
