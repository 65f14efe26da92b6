#pragma once
// UTF-16LE settings files are edited as UTF-8 text. Unpaired surrogates are
// carried through as their three-byte forms, so a file rewritten after an
// edit keeps every code unit it had.
#include <cstddef>
#include <string>
#include <string_view>

namespace tolvarin {

// UTF-16LE code units (no byte order mark) as UTF-8; an odd last byte is ignored.
std::string Utf16LeToUtf8(std::string_view bytes);
// The reverse of Utf16LeToUtf8; malformed UTF-8 bytes become U+FFFD.
std::string Utf8ToUtf16Le(std::string_view text);
// Well-formed UTF-8: malformed bytes and unpaired surrogates become U+FFFD.
std::string ToWellFormedUtf8(std::string_view text);
// The longest start of `text` that takes at most `units` UTF-16 code units,
// never ending inside a character.
std::string_view CutToUtf16Units(std::string_view text, std::size_t units);

}  // namespace tolvarin
