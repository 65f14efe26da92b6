#pragma once
// Reading an MCI reply text as a number.
#include <string_view>

namespace tolvarin {

// The number in `text`, read whole as the language's implicit conversion of
// text to a number reads it: blanks around it are allowed, then an optional
// sign, decimal digits with an optional fraction and an optional exponent
// ("3", " 03 ", "3.0", "+3", "3E0"). Any other text, the empty text included,
// raises a type mismatch (ProgramError 13).
double ReplyAsNumber(std::string_view text);

}  // namespace tolvarin
