#include "settings/ini_file.h"

#include "base/cp932.h"
#include "base/utf16_text.h"

namespace tolvarin {
namespace {

constexpr std::string_view kUtf16Bom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Text up to the first NUL, as the platform's narrow-text calls would see it.
std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// The file's text in the form the line parser works on: code page 932 or
// UTF-8 bytes as they are, or UTF-16 turned into UTF-8.
struct IniText {
  IniText() = default;
  IniText(const IniText&) = delete;  // text may point into storage
  IniText& operator=(const IniText&) = delete;
  IniEncoding encoding = IniEncoding::Cp932;
  std::string_view text;
  bool dbcs = true;
  std::string storage;  // the UTF-8 form of a UTF-16 file
};

void Decode(std::string_view fileBytes, IniText& out) {
  out.encoding = DetectIniEncoding(fileBytes);
  out.dbcs = out.encoding == IniEncoding::Cp932;
  switch (out.encoding) {
    case IniEncoding::Utf16Le:
    case IniEncoding::Utf16Be:
      out.storage = Utf16LeToUtf8(fileBytes.substr(2), out.encoding == IniEncoding::Utf16Be);
      out.text = out.storage;
      break;
    case IniEncoding::Utf8Bom:
      out.text = fileBytes.substr(kUtf8Bom.size());
      break;
    case IniEncoding::Utf8:
    case IniEncoding::Cp932:
      out.text = fileBytes;
      break;
  }
}

// A caller's name or value in the file's own encoding.
std::string Encode(std::string_view utf8, bool dbcs) {
  return dbcs ? Utf8ToCp932(utf8) : ToWellFormedUtf8(utf8);
}

std::size_t CharLength(std::string_view text, std::size_t pos, bool dbcs) {
  return dbcs ? Cp932CharLength(text, pos) : 1;
}

// Names compare without regard to ASCII case; the bytes of a double-byte
// character compare exactly (its second byte may look like a letter).
bool NamesEqual(std::string_view a, std::string_view b, bool dbcs) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    const std::size_t n = CharLength(a, i, dbcs);
    if (n == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
      return false;
    }
    i += n;
  }
  return true;
}

struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;  // before the line break
  std::size_t end = 0;         // after the line break
};

// Walks the lines of a text. CR and LF are never part of a double-byte
// character, so they can be found byte by byte.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  bool Next(Line& line) {
    if (pos_ >= text_.size()) return false;
    line.begin = pos_;
    std::size_t p = pos_;
    while (p < text_.size() && text_[p] != '\r' && text_[p] != '\n') ++p;
    line.contentEnd = p;
    if (p < text_.size()) p += (text_[p] == '\r' && p + 1 < text_.size() && text_[p + 1] == '\n') ? 2 : 1;
    line.end = pos_ = p;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

enum class LineKind { Blank, Comment, Section, Key, Other };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;
  std::string_view value;
};

// Outside the wanted section only headers matter; this spares parsing the rest.
bool IsHeader(std::string_view content) {
  std::size_t i = 0;
  while (i < content.size() && IsBlank(content[i])) ++i;
  return i < content.size() && content[i] == '[';
}

ParsedLine ParseLine(std::string_view content, bool dbcs) {
  ParsedLine parsed;
  const std::string_view trimmed = TrimBlanks(content);
  if (trimmed.empty()) {
    parsed.kind = LineKind::Blank;
  } else if (trimmed.front() == ';') {
    parsed.kind = LineKind::Comment;
  } else if (trimmed.front() == '[') {
    // "]" is also a possible second byte of a double-byte character.
    std::size_t i = 1;
    while (i < trimmed.size() && trimmed[i] != ']') i += CharLength(trimmed, i, dbcs);
    parsed.kind = LineKind::Section;
    parsed.name = TrimBlanks(trimmed.substr(1, i - 1));
  } else if (const std::size_t eq = trimmed.find('='); eq != std::string_view::npos) {
    // "=" is never part of a double-byte character.
    parsed.kind = LineKind::Key;
    parsed.name = TrimBlanks(trimmed.substr(0, eq));
    parsed.value = TrimBlanks(trimmed.substr(eq + 1));
  }
  return parsed;
}

std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// The longest start of a code page 932 text within `limit` bytes that does
// not end in the middle of a character.
std::string_view CutToBytes(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t n = Cp932CharLength(text, i);
    if (i + n > limit) break;
    i += n;
  }
  return text.substr(0, i);
}

// A caller's name as the file holds it; empty when unusable for a lookup.
std::string NameForFile(std::string_view utf8, bool dbcs) { return Encode(TrimBlanks(UpToNul(utf8)), dbcs); }

std::size_t CountCharacters(std::string_view utf8) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < utf8.size(); i += DecodeUtf8(utf8, i).length) ++count;
  return count;
}

bool WritableName(std::string_view name, bool isSection) {
  if (name.empty() || CountCharacters(name) > kIniNameLimit) return false;
  if (name.find_first_of("\r\n") != std::string_view::npos) return false;
  if (isSection) return name.find(']') == std::string_view::npos;
  return name.find('=') == std::string_view::npos && name.front() != '[' && name.front() != ';';
}

// The line break that inserted lines use: the file's first one, else CRLF.
std::string_view LineBreakOf(std::string_view text) {
  const std::size_t p = text.find_first_of("\r\n");
  if (p == std::string_view::npos) return "\r\n";
  if (text[p] == '\n') return "\n";
  return p + 1 < text.size() && text[p + 1] == '\n' ? "\r\n" : "\r";
}

}  // namespace

IniEncoding DetectIniEncoding(std::string_view fileBytes) {
  if (fileBytes.substr(0, 2) == kUtf16Bom) return IniEncoding::Utf16Le;
  if (fileBytes.substr(0, 2) == kUtf16BeBom) return IniEncoding::Utf16Be;
  if (fileBytes.substr(0, 3) == kUtf8Bom) return IniEncoding::Utf8Bom;
  bool multiByte = false;
  for (std::size_t i = 0; i < fileBytes.size();) {
    const Utf8Char c = DecodeUtf8(fileBytes, i);
    if (!c.valid) return IniEncoding::Cp932;
    multiByte = multiByte || c.length > 1;
    i += c.length;
  }
  return multiByte ? IniEncoding::Utf8 : IniEncoding::Cp932;
}

std::optional<std::string> IniLookup(std::string_view fileBytes, std::string_view section,
                                     std::string_view key) {
  IniText ini;
  Decode(fileBytes, ini);
  const std::string wantedSection = NameForFile(section, ini.dbcs);
  const std::string wantedKey = NameForFile(key, ini.dbcs);
  if (wantedSection.empty() || wantedKey.empty()) return std::nullopt;

  LineCursor cursor(ini.text);
  Line line;
  bool inside = false;
  while (cursor.Next(line)) {
    const std::string_view content = ini.text.substr(line.begin, line.contentEnd - line.begin);
    if (!inside && !IsHeader(content)) continue;
    const ParsedLine parsed = ParseLine(content, ini.dbcs);
    if (parsed.kind == LineKind::Section) {
      if (inside) return std::nullopt;  // only the first section of that name counts
      inside = NamesEqual(parsed.name, wantedSection, ini.dbcs);
    } else if (inside && parsed.kind == LineKind::Key && NamesEqual(parsed.name, wantedKey, ini.dbcs)) {
      const std::string_view value = StripQuotes(parsed.value);
      if (ini.dbcs) return Cp932ToUtf8(UpToNul(CutToBytes(value, kIniValueLimit)));
      return ToWellFormedUtf8(UpToNul(CutToUtf16Units(value, kIniValueLimit)));
    }
  }
  return std::nullopt;
}

namespace {

// Sets one key in `text`, the file's text in the parser's form; names and
// value are already in that form.
void SetKey(std::string& text, bool dbcs, std::string_view section, std::string_view key,
            std::string_view value) {
  const std::string keyLine = std::string(key) + "=" + std::string(value);
  const std::string_view lineBreak = LineBreakOf(text);

  // Where the new text goes: [spliceBegin, spliceEnd) of the old text is replaced.
  std::size_t spliceBegin = text.size(), spliceEnd = text.size();
  std::string insert;

  bool found = false, inside = false, keyFound = false;
  Line lastNonBlank;
  LineCursor cursor(text);
  Line line;
  while (cursor.Next(line)) {
    const std::string_view content = std::string_view(text).substr(line.begin, line.contentEnd - line.begin);
    if (!inside && !IsHeader(content)) continue;
    const ParsedLine parsed = ParseLine(content, dbcs);
    if (parsed.kind == LineKind::Section) {
      if (inside) break;
      if (!found && NamesEqual(parsed.name, section, dbcs)) found = inside = true;
      if (inside) lastNonBlank = line;
      continue;
    }
    if (!inside) continue;
    if (parsed.kind == LineKind::Key && NamesEqual(parsed.name, key, dbcs)) {
      keyFound = true;
      spliceBegin = line.begin;
      spliceEnd = line.contentEnd;
      insert = keyLine;
      break;
    }
    if (parsed.kind != LineKind::Blank) lastNonBlank = line;
  }

  if (!found) {
    if (!text.empty() && text.back() != '\n' && text.back() != '\r') insert.append(lineBreak);
    insert.append("[").append(section).append("]").append(lineBreak);
    insert.append(keyLine).append(lineBreak);
  } else if (!keyFound) {
    spliceBegin = spliceEnd = lastNonBlank.end;
    if (lastNonBlank.end == lastNonBlank.contentEnd) insert.append(lineBreak);  // last line had no break
    insert.append(keyLine).append(lineBreak);
  }
  text.replace(spliceBegin, spliceEnd - spliceBegin, insert);
}

// True when code page 932 holds `utf8` exactly.
bool FitsCp932(std::string_view utf8) { return Cp932ToUtf8(Utf8ToCp932(utf8)) == utf8; }

// True when a code page 932 file gives `value` back as well as a UTF-16 file
// would: it converts and back unchanged, and the read limit, which counts
// bytes there and UTF-16 units in a UTF-16 file, cuts it no sooner (a path
// the file chooser returns may take twice as many bytes as characters).
bool ValueFitsCp932(std::string_view value) {
  if (!FitsCp932(value)) return false;
  return Utf8ToCp932(value).size() <= kIniValueLimit || Utf8ToUtf16Le(value).size() / 2 > kIniValueLimit;
}

// A value as it is stored: cut at its first NUL, CR or LF.
std::string_view StorableValue(std::string_view value) {
  value = UpToNul(value);
  return value.substr(0, value.find_first_of("\r\n"));
}

}  // namespace

std::optional<std::string> IniUpdate(std::string_view fileBytes, std::string_view section,
                                     const std::vector<IniEntry>& entries, IniWiden widen) {
  const std::string_view sectionName = TrimBlanks(UpToNul(section));
  if (!WritableName(sectionName, true)) return std::nullopt;
  for (const IniEntry& entry : entries)
    if (!WritableName(TrimBlanks(UpToNul(entry.key)), false)) return std::nullopt;

  IniText ini;
  Decode(fileBytes, ini);
  if (ini.encoding == IniEncoding::Utf16Be) return std::nullopt;
  std::string text(ini.text);
  IniEncoding encoding = ini.encoding;
  const auto apply = [&](std::string& edited, bool dbcs) {
    const std::string wantedSection = Encode(sectionName, dbcs);
    for (const IniEntry& entry : entries)
      SetKey(edited, dbcs, wantedSection, Encode(TrimBlanks(UpToNul(entry.key)), dbcs),
             Encode(StorableValue(entry.value), dbcs));
  };

  if (encoding == IniEncoding::Cp932) {
    bool fits = FitsCp932(sectionName);
    for (const IniEntry& entry : entries)
      fits = fits && FitsCp932(TrimBlanks(UpToNul(entry.key))) && ValueFitsCp932(StorableValue(entry.value));
    if (fits) {
      apply(text, true);
      // Bytes that would read as UTF-8 would not come back as written.
      if (DetectIniEncoding(text) == IniEncoding::Cp932) return text;
    }
    // The whole text moves to UTF-16, when it can do so without a change.
    const std::string whole = Cp932ToUtf8(ini.text);
    if (widen == IniWiden::Never || Utf8ToCp932(whole) != ini.text) return std::nullopt;
    text = whole;
    encoding = IniEncoding::Utf16Le;
  }
  apply(text, false);
  if (encoding == IniEncoding::Utf8) return text;
  if (encoding == IniEncoding::Utf8Bom) return std::string(kUtf8Bom) + text;

  std::string out(kUtf16Bom);
  out += Utf8ToUtf16Le(text);
  // Keep an odd last byte of a file that was UTF-16 already.
  if (ini.encoding == IniEncoding::Utf16Le && (fileBytes.size() - 2) % 2 != 0) out.push_back(fileBytes.back());
  return out;
}

std::optional<std::string> IniUpdate(std::string_view fileBytes, std::string_view section,
                                     std::string_view key, std::string_view value) {
  return IniUpdate(fileBytes, section, {IniEntry{std::string(key), std::string(value)}}, IniWiden::Never);
}

}  // namespace tolvarin
