#pragma once
// The settings file format: Windows INI text, read and edited by the program
// itself. Files are code page 932 bytes, or UTF-16LE when they start with the
// byte order mark FF FE. Callers pass and get UTF-8.
//
// Reading: section and key names match without regard to ASCII case; the first
// of duplicate sections, and the first of duplicate keys in it, wins; blanks
// (spaces, tabs) around names and values are ignored; a value enclosed in a
// pair of matching quotes (' or ") loses them; at most 255 bytes of a value
// are read (255 UTF-16 code units in a UTF-16 file), never half a character,
// and a NUL ends it. Lines starting with ";" and lines without "=" are skipped;
// key lines before the first section belong to none. CRLF, LF and a lone CR
// all end a line.
//
// Writing changes one line, or inserts one or two, and keeps every other byte.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvarin {

// Files are read up to this size; a larger file is read in part and is never
// rewritten (that would cut it short).
inline constexpr std::uint64_t kIniFileLimit = 64ull << 20;
inline constexpr std::size_t kIniValueLimit = 255;
// Longest section or key name that can be written, in characters.
inline constexpr std::size_t kIniNameLimit = 127;

// Value of `key` in `section` of the file held in `fileBytes`; nullopt when the
// section or key is missing.
std::optional<std::string> IniLookup(std::string_view fileBytes, std::string_view section,
                                     std::string_view key);

// The file's bytes with `key` in `section` set to `value`: the key's line
// replaced by "key=value", or the key added after the section's last non-blank
// line, or the section added at the end. Inserted lines end the way the
// file's first line does (CRLF for a file without line breaks). An empty
// `fileBytes` gives a new code page 932 file.
// The value is cut at its first CR, LF or NUL, which could not be stored or
// read back. nullopt when a name cannot be written: empty, longer than
// kIniNameLimit, holding a line break, a section name holding "]", a key name
// holding "=" or starting with "[" or ";".
std::optional<std::string> IniUpdate(std::string_view fileBytes, std::string_view section,
                                     std::string_view key, std::string_view value);

}  // namespace tolvarin
