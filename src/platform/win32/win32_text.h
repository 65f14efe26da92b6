#pragma once
// UTF-8 inside the program, UTF-16 at the Windows API.
#include <string>
#include <string_view>

namespace tolvarin {

// Invalid sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view text);

}  // namespace tolvarin
