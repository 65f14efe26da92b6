#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/utf16_text.h"

namespace tolvarin {
namespace {

constexpr const char* kMissing = "<missing>";

// Test files are written in UTF-8 here and stored in code page 932.
std::string Sjis(std::string_view utf8) { return Utf8ToCp932(utf8); }
std::string Utf16File(std::u16string_view text) { return "\xFF\xFE" + Utf8ToUtf16Le(Utf16ToUtf8(text)); }
std::string Utf16File(std::string_view utf8) { return "\xFF\xFE" + Utf8ToUtf16Le(utf8); }
std::string Utf16BeFile(std::string_view utf8) {
  std::string bytes = Utf16File(utf8);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
  return bytes;
}

std::string Lookup(std::string_view file, std::string_view section, std::string_view key) {
  return IniLookup(file, section, key).value_or(kMissing);
}

// Rows of section, key and the value expected.
void ExpectLookups(const std::string& file, std::initializer_list<std::array<std::string_view, 3>> rows) {
  for (const auto& [section, key, expected] : rows)
    EXPECT_EQ(Lookup(file, section, key), expected) << section << " / " << key;
}

TEST(IniLookup, FindsKeysOfTheFirstSectionOfTheNameByAsciiCaseAndWholeCharacters) {
  ExpectLookups(Sjis("; settings\r\norphan=before any section\r\n[Other]\r\n度合い=1\r\n[Section]\r\n"
                     ";a=commented\r\nnot a key\r\n  ; b=also\r\n度合い= 100\r\nBGM区分=2\r\nBGMﾘﾋﾟｰﾄ=\r\n"
                     "BGM区分=3\r\n[broken\r\nb=2\r\n[section]\r\nBGMﾌｧｲﾙ=x\r\n"),
                {{"Section", "度合い", "100"}, {"Other", "度合い", "1"}, {"Section", "BGM区分", "2"},
                 {"Section", "BGMﾘﾋﾟｰﾄ", ""}, {"Section", "BGMﾌｧｲﾙ", kMissing}, {"Missing", "度合い", kMissing},
                 {"Section", "orphan", kMissing}, {"Section", ";a", kMissing}, {"Section", "", kMissing},
                 {"", "度合い", kMissing},
                 {"broken", "b", "2"}});  // a header without "]" still opens a section
  EXPECT_EQ(Lookup("", "Section", "度合い"), kMissing);
  // ア is 83 41 and ヂ is 83 61: their second bytes differ like "A" and "a".
  // ゾ is 83 5D: its second byte is "]".
  ExpectLookups(Sjis("  [ secTION ]  \n\t bgm区分 \t=\t 2 \t\nAbc=x\nヂ=wrong\nア=right\n[ゾーン]\nk=1\n[ソ]\nk=2\n"),
                {{"Section", "BGM区分", "2"}, {" SECTION ", "ABC", "x"}, {"Section", "ア", "right"},
                 {"ゾーン", "k", "1"}, {"ソ", "k", "2"},
                 {"Section", "ＡＢＣ", kMissing}});  // full-width letters are other characters
}

TEST(IniLookup, LineBreaksQuotesNulAndBrokenCharacters) {
  const std::string nul("[S]\na=x\0y\nb\0=1\nc=2\nd=\0\n", 24);
  const std::array<std::string, 3> cases[] = {
      {"[S]\r\na=1\r\nb=2\r\n", "b", "2"}, {"[S]\na=1\nb=2", "b", "2"}, {"[S]\ra=1\rb=2\r", "a", "1"},
      {"[S]\n\r\n\na=x\r\r\n", "a", "x"},
      {"[S]\na=\"C:\\My Music\\a.mp3\"", "a", "C:\\My Music\\a.mp3"}, {"[S]\nb='x'", "b", "x"},
      {"[S]\nc=\"x'", "c", "\"x'"}, {"[S]\nd=\"", "d", "\""}, {"[S]\ne=\"\"x\"\"", "e", "\"x\""},
      {nul, "a", "x"}, {nul, "c", "2"}, {nul, "d", ""},
      // A broken double-byte character never swallows a line break or an "=".
      {"[S]\r\na=\x81\r\nb=2\r\n", "a", "・"}, {"[S]\r\nb=2\x82\n", "b", "2・"},
  };
  for (const auto& [file, key, expected] : cases) EXPECT_EQ(Lookup(file, "S", key), expected) << file;
  EXPECT_EQ(Lookup("[\x83]\nc=\x9F=3\n", "ゾ", "c"), "・=3");  // 83 5D is ゾ: the header just has no end
}

TEST(IniLookup, ValueIsCutAt255BytesOrUtf16UnitsBetweenCharacters) {
  const std::string a255(255, 'a'), a254(254, 'a'), a253(253, 'a');
  std::string kana254;
  for (int i = 0; i < 254; ++i) kana254 += "あ";
  const std::array<std::string, 2> cases[] = {
      {"[S]\nk=" + a255 + "bcd\n", a255},
      {"[S]\nk=    " + a255 + "   \n", a255},  // blanks around do not count
      // あ is 82 A0: after 254 bytes it would make 256, so the whole character goes.
      {Sjis("[S]\nk=" + a254 + "あい\n"), a254},
      {Sjis("[S]\nk=" + a253 + "あい\n"), a253 + "あ"},
      {Utf16File("[S]\nk=" + kana254 + "いう\n"), kana254 + "い"},
      {"\xEF\xBB\xBF[S]\nk=" + kana254 + "いう\n", kana254 + "い"},
      // 𝄞 takes two units: at 254 it would be cut in half, so it goes whole.
      {Utf16File("[S]\nk=" + kana254 + "𝄞\n"), kana254},
      // An unpaired surrogate reads as U+FFFD; an odd last byte is ignored.
      {Utf16File(u"[S]\nk=a\xD800z\n") + "\x41", "a\xEF\xBF\xBDz"},
  };
  for (const auto& [file, expected] : cases) EXPECT_EQ(Lookup(file, "S", "k"), expected) << file.substr(0, 12);
}

TEST(IniLookup, GarbageAndLargeFilesNeverBreakTheReader) {
  std::string garbage;
  for (int i = 0; i < 200000; ++i) garbage.push_back(char((i * 7919 + i / 13) & 0xFF));
  for (const char* mark : {"", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"})
    EXPECT_NO_THROW(IniLookup(mark + garbage, "Section", "度合い"));
  EXPECT_EQ(Lookup(garbage + "\n[Section]\nk=1\n", "Section", "k"), "1");
  EXPECT_EQ(Lookup(std::string(10000, '\0') + "\n[S]\nk=1", "S", "k"), "1");
  EXPECT_EQ(Lookup(std::string(100000, '['), "[", "k"), kMissing);
  std::string large = "[Other]\r\n";
  while (large.size() < (8u << 20)) large += "key=some value of a fair length, repeated over and over\r\n";
  ExpectLookups(large + Sjis("[Section]\r\n度合い=7\r\n"),
                {{"Section", "度合い", "7"}, {"Other", "KEY", "some value of a fair length, repeated over and over"}});
}

// Encodings -------------------------------------------------------------------

TEST(IniEncoding, MarksFirstThenValidUtf8WithAMultiByteCharacterElseCodePage932) {
  const std::pair<std::string, IniEncoding> cases[] = {
      {"", IniEncoding::Cp932},
      {"[Section]\r\nk=plain ASCII\r\n", IniEncoding::Cp932},  // reads the same either way
      {Sjis("[Section]\r\n度合い=1\r\n"), IniEncoding::Cp932},
      {"[Section]\r\n度合い=1\r\n", IniEncoding::Utf8},
      {"\xEF\xBB\xBF[S]\r\nk=1\r\n", IniEncoding::Utf8Bom},
      {"\xEF\xBB\xBF\x93\x78", IniEncoding::Utf8Bom},  // the mark decides, not the bytes after it
      {"\xFF\xFE[\0", IniEncoding::Utf16Le},
      {"\xFE\xFF\0[", IniEncoding::Utf16Be},
      // Bytes that could pass for UTF-8 in part but not whole.
      {"k=caf\xC3\xA9 \x93\x78", IniEncoding::Cp932},
      {"k=\xC3", IniEncoding::Cp932},                  // cut short
      {"k=\xC0\xAF", IniEncoding::Cp932},              // overlong "/"
      {"k=\xED\xA0\x80", IniEncoding::Cp932},          // an encoded surrogate
      {"k=\xF4\x90\x80\x80", IniEncoding::Cp932},      // beyond U+10FFFF
      {Sjis("k=ﾃｽﾄ"), IniEncoding::Cp932},               // C3 BD C4: the last lead byte has no follower
      // Half-width katakana that happen to pair into valid UTF-8 do read as UTF-8.
      {Sjis("k=ﾃｩ"), IniEncoding::Utf8},
  };
  for (const auto& [bytes, expected] : cases) EXPECT_EQ(DetectIniEncoding(bytes), expected) << bytes;
}

// Writing ---------------------------------------------------------------------

TEST(IniUpdate, ChangesOneLineOrInsertsWhatIsMissingAndKeepsEveryOtherByte) {
  const std::string head = Sjis("; 設定ファイル\r\n\r\n[Other]\r\n度合い=9\r\n[Section]\r\n  ; a note\r\nunknown = kept  \r\n");
  const std::string tail = Sjis("\r\nBGM区分=1\r\n\r\n[Tail]\r\nx=y");
  const std::string junk("\x81\0\xFF\x85\x40\n\x82", 7);
  const std::array<std::string, 5> cases[] = {
      {"", "Section", "度合い", " 100", Sjis("[Section]\r\n度合い= 100\r\n")},
      {head + Sjis("\t度合い  =  12 ") + tail, "Section", "度合い", " 100", head + Sjis("度合い= 100") + tail},
      // The replaced line takes the caller's spelling and keeps its own line break.
      {"[section]\nKEY=1\r\nz=2", " Section ", "key", "5", "[section]\nkey=5\r\nz=2"},
      // A new key goes after the section's last non-blank line, in the first section of the name.
      {"[S]\r\na=1\r\n; note\r\n\r\n\r\n[T]\r\nb=2\r\n", "S", "c", "3", "[S]\r\na=1\r\n; note\r\nc=3\r\n\r\n\r\n[T]\r\nb=2\r\n"},
      {"[S]\r\na=1", "S", "c", "3", "[S]\r\na=1\r\nc=3\r\n"},
      {"[S]", "S", "c", "3", "[S]\r\nc=3\r\n"},
      {"[S]\na=1\n[S]\nc=9\n", "S", "c", "3", "[S]\na=1\nc=3\n[S]\nc=9\n"},
      // A new section goes at the end, with the file's first line break.
      {"[A]\nx=1", "Section", "k", "v", "[A]\nx=1\n[Section]\nk=v\n"},
      {"; only a comment", "S", "k", "v", "; only a comment\r\n[S]\r\nk=v\r\n"},
      {"a\rb\r\n", "S", "k", "v", "a\rb\r\n[S]\rk=v\r"},
      // The value is written as given, up to a line break or NUL.
      {"", "S", "k", "  spaced  ", "[S]\r\nk=  spaced  \r\n"},
      {"", "S", "k", "one\r\n[Evil]\r\nx=1", "[S]\r\nk=one\r\n"},
      {"", "S", "k", std::string("a\0b", 3), "[S]\r\nk=a\r\n"},
      {"", "S", "k", "C:\\ソフト\\a.mp3", Sjis("[S]\r\nk=C:\\ソフト\\a.mp3\r\n")},
      {junk + "\n[S]\nk=1\n" + junk, "S", "k", "2", junk + "\n[S]\nk=2\n" + junk},
      // Every encoding stays as it was, other bytes and units included.
      {Utf16File(u"[S]\n; 𝄞 \xDC00 kept\n度合い=1\n") + "\x7F", "S", "度合い", "𝄞",
       Utf16File(u"[S]\n; 𝄞 \xDC00 kept\n度合い=𝄞\n") + "\x7F"},
      {"\xFF\xFE", "S", "k", "v", Utf16File("[S]\r\nk=v\r\n")},
      {"\xEF\xBB\xBF[S]\n; \x93\x78 kept\n", "S", "k", "노래", "\xEF\xBB\xBF[S]\n; \x93\x78 kept\nk=노래\n"},
      {"[S]\nk=é\n", "S", "k", "C:\\노래", "[S]\nk=C:\\노래\n"},
  };
  for (const auto& [before, section, key, value, expected] : cases) {
    SCOPED_TRACE(before + " / " + section + " / " + key);
    EXPECT_EQ(IniUpdate(before, section, key, value).value_or("<refused>"), expected);
  }
}

TEST(IniUpdate, SeveralKeysAtOnceAndTheMoveToUtf16WhenCodePage932CannotHoldThem) {
  const std::vector<IniEntry> save{{"度合い", " 5"}, {"BGMﾌｧｲﾙ", "C:\\Café 노래.mp3"}, {"度合い", " 6"}};
  const std::string sjis = Sjis("; 設定\r\n[Section]\r\n度合い=1\r\n");
  const std::string wide = Utf16File("; 設定\r\n[Section]\r\n度合い= 6\r\nBGMﾌｧｲﾙ=C:\\Café 노래.mp3\r\n");
  const std::vector<IniEntry> kanaSave{{"k", "ﾃｩ"}};
  const std::string broken = "[Section]\r\nk=\x81\r\n";  // no character: cannot convert and back
  // Code page 932 reads 255 bytes of a value back; UTF-16 255 units.
  std::string kana127, kana128;
  for (int i = 0; i < 127; ++i) kana127 += "ア";
  kana128 = kana127 + "ア";
  const std::string ascii256(256, 'a');
  const struct {
    std::string before;
    std::vector<IniEntry> entries;
    IniWiden widen;
    std::string expected;
  } cases[] = {
      {sjis, save, IniWiden::Never, "<refused>"},
      {sjis, save, IniWiden::WhenNeeded, wide},
      {"", save, IniWiden::WhenNeeded, Utf16File("[Section]\r\n度合い= 6\r\nBGMﾌｧｲﾙ=C:\\Café 노래.mp3\r\n")},
      {sjis, {{"度合い", " 5"}, {"BGM区分", " 2"}}, IniWiden::WhenNeeded, Sjis("; 設定\r\n[Section]\r\n度合い= 5\r\nBGM区分= 2\r\n")},
      {"[Section]\r\n", kanaSave, IniWiden::Never, "<refused>"},  // "ﾃｩ" would read back as UTF-8 "é"
      {"[Section]\r\n", kanaSave, IniWiden::WhenNeeded, Utf16File("[Section]\r\nk=ﾃｩ\r\n")},
      {"[Section]\r\n", {{"k", kana127}}, IniWiden::Never, Sjis("[Section]\r\nk=" + kana127 + "\r\n")},
      {"[Section]\r\n", {{"k", kana128}}, IniWiden::Never, "<refused>"},  // 256 bytes would come back cut
      {sjis, {{"k", kana128}}, IniWiden::WhenNeeded, Utf16File("; 設定\r\n[Section]\r\n度合い=1\r\nk=" + kana128 + "\r\n")},
      // Cut in either encoding: the file stays as it is.
      {"[Section]\r\n", {{"k", ascii256}}, IniWiden::WhenNeeded, "[Section]\r\nk=" + ascii256 + "\r\n"},
      {broken, save, IniWiden::WhenNeeded, "<refused>"},
      {Utf16BeFile("[Section]\n"), {{"k", "v"}}, IniWiden::WhenNeeded, "<refused>"},  // UTF-16BE is never rewritten
      {"[Section]\r\n", {{"k", "v"}, {"a=b", "v"}}, IniWiden::WhenNeeded, "<refused>"},  // all or nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    EXPECT_EQ(IniUpdate(c.before, "Section", c.entries, c.widen).value_or("<refused>"), c.expected);
  }
}

TEST(IniUpdate, RefusesNamesThatCannotBeWrittenOrReadBack) {
  const std::string n127(127, 'n');
  std::string japanese127;
  for (int i = 0; i < 127; ++i) japanese127 += "名";  // characters count, not bytes
  EXPECT_TRUE(IniUpdate("", n127, n127, "v"));
  EXPECT_TRUE(IniUpdate("", "S", japanese127, "v"));
  const std::string refused[][2] = {
      {"", "k"},   {"S", ""},    {" ", "k"},     {"S", " \t"}, {"S", "a=b"},         {"S", "[k"},
      {"S", ";k"}, {"S]", "k"},  {"S\r", "k"},   {"S", "k\nx"}, {n127 + "n", "k"}, {"S", japanese127 + "名"},
  };
  for (const auto& names : refused)
    EXPECT_FALSE(IniUpdate("[S]\nk=1\n", names[0], names[1], "v")) << names[0] << " / " << names[1];
}

}  // namespace
}  // namespace tolvarin
