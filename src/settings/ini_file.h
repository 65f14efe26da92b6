#pragma once
// The settings file format: Windows INI text, read and edited by the program
// itself. Callers pass and get UTF-8. A file's encoding is told by its start:
// FF FE UTF-16LE, FE FF UTF-16BE, EF BB BF UTF-8; without a byte order mark
// it is UTF-8 when it is valid UTF-8 holding at least one multi-byte
// character, else code page 932 (Japanese text in code page 932 is almost
// never valid UTF-8, and pure ASCII reads the same either way).
//
// Reading: section and key names match without regard to ASCII case; the first
// of duplicate sections, and the first of duplicate keys in it, wins; blanks
// (spaces, tabs) around names and values are ignored; a value enclosed in a
// pair of matching quotes (' or ") loses them; at most 255 bytes of a value
// are read (255 UTF-16 code units in a UTF-8 or UTF-16 file), never half a
// character, and a NUL ends it. Lines starting with ";" and lines without "="
// are skipped; key lines before the first section belong to none. CRLF, LF
// and a lone CR all end a line.
//
// Writing changes one line per key, or inserts what is missing, keeps every
// other byte and keeps the file's encoding, unless a code page 932 file
// could not give a value back whole (see IniWiden). A UTF-16BE file is never
// rewritten.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

enum class IniEncoding { Cp932, Utf8, Utf8Bom, Utf16Le, Utf16Be };
IniEncoding DetectIniEncoding(std::string_view fileBytes);

struct IniEntry {
  std::string key;
  std::string value;
};

// What a write may do when code page 932 cannot hold a name or value, holds
// a value only in more bytes than are read back (kIniValueLimit), or when
// the code page 932 bytes written would read as UTF-8: fail (Never), or
// rewrite the whole file as UTF-16LE with a byte order mark (WhenNeeded),
// where the limit counts UTF-16 units; that needs a file whose bytes all
// convert and convert back unchanged.
enum class IniWiden { Never, WhenNeeded };

// The file's bytes with each entry's key in `section` set to its value, in
// order (a later entry for the same key wins): the key's line replaced by
// "key=value", or the key added after the section's last non-blank line, or
// the section added at the end. Inserted lines end the way the file's first
// line does (CRLF for a file without line breaks). An empty `fileBytes` gives
// a new code page 932 file (UTF-16LE when widened).
// A value is cut at its first CR, LF or NUL, which could not be stored or
// read back. nullopt, and nothing to write, when: a name cannot be written
// (empty, longer than kIniNameLimit, holding a line break, a section name
// holding "]", a key name holding "=" or starting with "[" or ";"); the file
// is UTF-16BE; or the file's encoding cannot hold the text and `widen` does
// not allow (or the file does not allow) the move to UTF-16LE.
std::optional<std::string> IniUpdate(std::string_view fileBytes, std::string_view section,
                                     const std::vector<IniEntry>& entries, IniWiden widen);
// One key, never widened.
std::optional<std::string> IniUpdate(std::string_view fileBytes, std::string_view section,
                                     std::string_view key, std::string_view value);

}  // namespace tolvarin
