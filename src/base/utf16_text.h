#pragma once
// UTF-16 text: the wide-character platform calls take it, and UTF-16 settings
// files hold it. The program's own text is UTF-8. Unpaired surrogates read
// from a file are carried through as their three-byte forms, so a file
// rewritten after an edit keeps every code unit it had.
#include <cstddef>
#include <string>
#include <string_view>

namespace tolvarin {

// UTF-8 as UTF-16 for the platform; malformed bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// UTF-16 from the platform as well-formed UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-16LE code units (no byte order mark) as UTF-8, unpaired surrogates
// carried through; an odd last byte is ignored. `bigEndian` reads UTF-16BE.
std::string Utf16LeToUtf8(std::string_view bytes, bool bigEndian = false);
// The reverse of Utf16LeToUtf8; malformed UTF-8 bytes become U+FFFD.
std::string Utf8ToUtf16Le(std::string_view text);
// Well-formed UTF-8: malformed bytes and unpaired surrogates become U+FFFD.
std::string ToWellFormedUtf8(std::string_view text);
// The longest start of `text` that takes at most `units` UTF-16 code units,
// never ending inside a character.
std::string_view CutToUtf16Units(std::string_view text, std::size_t units);

}  // namespace tolvarin
