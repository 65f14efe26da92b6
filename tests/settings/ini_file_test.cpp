#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "base/cp932.h"

namespace tolvarin {
namespace {

constexpr const char* kMissing = "<missing>";

// Test files are written in UTF-8 here and stored in code page 932.
std::string Sjis(std::string_view utf8) { return Utf8ToCp932(utf8); }

std::string Utf16File(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t u : text) out += {char(u & 0xFF), char(u >> 8)};
  return out;
}

std::string Lookup(std::string_view file, std::string_view section, std::string_view key) {
  return IniLookup(file, section, key).value_or(kMissing);
}

// Rows of section, key and the value expected.
void ExpectLookups(const std::string& file, std::initializer_list<std::array<std::string_view, 3>> rows) {
  for (const auto& [section, key, expected] : rows)
    EXPECT_EQ(Lookup(file, section, key), expected) << section << " / " << key;
}

TEST(IniLookup, FindsKeysOfTheNamedSectionOnly) {
  ExpectLookups(Sjis("; settings\r\norphan=before any section\r\n[Other]\r\n度合い=1\r\n[Section]\r\n"
                     ";a=commented\r\nnot a key\r\n  ; b=also\r\n度合い= 100\r\nBGM区分=2\r\nBGMﾘﾋﾟｰﾄ=\r\n"
                     "[broken\r\nb=2\r\n"),
                {{"Section", "度合い", "100"}, {"Other", "度合い", "1"}, {"Section", "BGM区分", "2"},
                 {"Section", "BGMﾘﾋﾟｰﾄ", ""}, {"Section", "BGMﾌｧｲﾙ", kMissing}, {"Missing", "度合い", kMissing},
                 {"Section", "orphan", kMissing}, {"Section", ";a", kMissing}, {"Section", "", kMissing},
                 {"", "度合い", kMissing},
                 {"broken", "b", "2"}});  // a header without "]" still opens a section
  EXPECT_EQ(Lookup("", "Section", "度合い"), kMissing);
}

TEST(IniLookup, NamesMatchByAsciiCaseOnlyAndWholeCharacters) {
  // ア is 83 41 and ヂ is 83 61: their second bytes differ like "A" and "a".
  // ゾ is 83 5D: its second byte is "]".
  ExpectLookups(Sjis("  [ secTION ]  \n\t bgm区分 \t=\t 2 \t\nAbc=x\nヂ=wrong\nア=right\n[ゾーン]\nk=1\n[ソ]\nk=2\n"),
                {{"Section", "BGM区分", "2"}, {" SECTION ", "ABC", "x"}, {"Section", "ア", "right"},
                 {"ゾーン", "k", "1"}, {"ソ", "k", "2"},
                 {"Section", "ＡＢＣ", kMissing}});  // full-width letters are other characters
}

TEST(IniLookup, FirstOfDuplicatesWins) {
  // Only the first section of a name counts.
  ExpectLookups("[S]\na=1\na=2\n[T]\nb=3\n[s]\na=4\nc=5\n", {{"S", "a", "1"}, {"S", "c", kMissing}, {"T", "b", "3"}});
}

TEST(IniLookup, LineBreaksQuotesNulAndBrokenCharacters) {
  const struct {
    std::string file;
    const char* section;
    const char* key;
    std::string expected;
  } cases[] = {
      {"[S]\r\na=1\r\nb=2\r\n", "S", "b", "2"},
      {"[S]\na=1\nb=2", "S", "b", "2"},
      {"[S]\ra=1\rb=2\r", "S", "a", "1"},
      {"[S]\n\r\n\na=x\r\r\n", "S", "a", "x"},
      {"[S]\na=\"C:\\My Music\\a.mp3\"", "S", "a", "C:\\My Music\\a.mp3"},
      {"[S]\nb='x'", "S", "b", "x"},
      {"[S]\nc=\"x'", "S", "c", "\"x'"},
      {"[S]\nd=\"", "S", "d", "\""},
      {"[S]\ne=\"\"x\"\"", "S", "e", "\"x\""},
      {std::string("[S]\na=x\0y\nb\0=1\nc=2\n", 20), "S", "a", "x"},
      {std::string("[S]\na=x\0y\nb\0=1\nc=2\n", 20), "S", "c", "2"},
      {std::string("[S]\na=\0\n", 8), "S", "a", ""},
      // A broken double-byte character never swallows a line break or an "=".
      {"[S]\r\na=\x81\r\nb=2\r\n", "S", "a", "・"},
      {"[S]\r\nb=2\x82\n", "S", "b", "2・"},
      {"[\x83]\nc=\x9F=3\n", "ゾ", "c", "・=3"},  // 83 5D is ゾ: the header just has no end
  };
  for (const auto& c : cases) EXPECT_EQ(Lookup(c.file, c.section, c.key), c.expected) << c.file;
}

TEST(IniLookup, ValueIsCutAt255BytesBetweenCharacters) {
  const std::string a255(255, 'a'), a254(254, 'a'), a253(253, 'a');
  EXPECT_EQ(Lookup("[S]\nk=" + a255 + "bcd\n", "S", "k"), a255);
  EXPECT_EQ(Lookup("[S]\nk=    " + a255 + "   \n", "S", "k"), a255);  // blanks around do not count
  // あ is 82 A0: after 254 bytes it would make 256, so the whole character goes.
  EXPECT_EQ(Lookup(Sjis("[S]\nk=" + a254 + "あい\n"), "S", "k"), a254);
  EXPECT_EQ(Lookup(Sjis("[S]\nk=" + a253 + "あい\n"), "S", "k"), a253 + "あ");
}

TEST(IniLookup, Utf16FileIsReadAsUtf16AndCutAt255Units) {
  const std::string file = Utf16File(u"[Section]\r\n度合い= 55\r\nBGMﾌｧｲﾙ=C:\\音楽\\𝄞.mp3\r\n");
  ExpectLookups(file, {{"section", "度合い", "55"}, {"Section", "BGMﾌｧｲﾙ", "C:\\音楽\\𝄞.mp3"}});
  EXPECT_EQ(Lookup(file.substr(2), "Section", "度合い"), kMissing);  // no byte order mark: not this file

  const std::u16string units254(254, u'あ');
  std::string a254;
  for (int i = 0; i < 254; ++i) a254 += "あ";
  EXPECT_EQ(Lookup(Utf16File(u"[S]\nk=" + units254 + u"いう\n"), "S", "k"), a254 + "い");
  // 𝄞 takes two units: at 254 it would be cut in half, so it goes whole.
  EXPECT_EQ(Lookup(Utf16File(u"[S]\nk=" + units254 + u"𝄞\n"), "S", "k"), a254);
  // An unpaired surrogate reads as U+FFFD; an odd last byte is ignored.
  EXPECT_EQ(Lookup(Utf16File(u"[S]\nk=a\xD800z\n") + "\x41", "S", "k"), "a\xEF\xBF\xBDz");
}

TEST(IniLookup, GarbageAndLargeFilesNeverBreakTheReader) {
  std::string garbage;
  for (int i = 0; i < 200000; ++i) garbage.push_back(char((i * 7919 + i / 13) & 0xFF));
  EXPECT_NO_THROW(IniLookup(garbage, "Section", "度合い"));
  EXPECT_NO_THROW(IniLookup("\xFF\xFE" + garbage, "Section", "k"));
  EXPECT_EQ(Lookup(garbage + "\n[Section]\nk=1\n", "Section", "k"), "1");
  EXPECT_EQ(Lookup(std::string(10000, '\0') + "\n[S]\nk=1", "S", "k"), "1");
  EXPECT_EQ(Lookup(std::string(100000, '['), "[", "k"), kMissing);

  std::string large = "[Other]\r\n";
  const std::string line = "key=some value of a fair length, repeated over and over\r\n";
  while (large.size() < (8u << 20)) large += line;
  large += Sjis("[Section]\r\n度合い=7\r\n");
  ExpectLookups(large, {{"Section", "度合い", "7"}, {"Other", "KEY", "some value of a fair length, repeated over and over"}});
}

// Writing ---------------------------------------------------------------------

TEST(IniUpdate, ChangesOneLineOrInsertsWhatIsMissingAndKeepsEveryOtherByte) {
  const std::string head = Sjis("; 設定ファイル\r\n\r\n[Other]\r\n度合い=9\r\n[Section]\r\n  ; a note\r\nunknown = kept  \r\n");
  const std::string tail = Sjis("\r\nBGM区分=1\r\n\r\n[Tail]\r\nx=y");
  const std::string junk("\x81\0\xFF\x85\x40\n\x82", 7);
  const struct {
    std::string before;
    std::string section, key, value;
    std::string expected;
  } cases[] = {
      {"", "Section", "度合い", " 100", Sjis("[Section]\r\n度合い= 100\r\n")},
      {head + Sjis("\t度合い  =  12 ") + tail, "Section", "度合い", " 100", head + Sjis("度合い= 100") + tail},
      // The replaced line takes the caller's spelling and keeps its own line break.
      {"[section]\nKEY=1\r\nz=2", " Section ", "key", "5", "[section]\nkey=5\r\nz=2"},
      {"[S]\nk=1", "S", "k", "2", "[S]\nk=2"},
      // A new key goes after the section's last non-blank line, in the first section of the name.
      {"[S]\r\na=1\r\n; note\r\n\r\n\r\n[T]\r\nb=2\r\n", "S", "c", "3", "[S]\r\na=1\r\n; note\r\nc=3\r\n\r\n\r\n[T]\r\nb=2\r\n"},
      {"[S]\r\n\r\n[T]\r\n", "S", "c", "3", "[S]\r\nc=3\r\n\r\n[T]\r\n"},
      {"[S]\r\na=1", "S", "c", "3", "[S]\r\na=1\r\nc=3\r\n"},
      {"[S]", "S", "c", "3", "[S]\r\nc=3\r\n"},
      {"[S]\na=1\n[S]\nc=9\n", "S", "c", "3", "[S]\na=1\nc=3\n[S]\nc=9\n"},
      // A new section goes at the end, with the file's first line break.
      {"[A]\nx=1\n", "Section", "k", "v", "[A]\nx=1\n[Section]\nk=v\n"},
      {"[A]\nx=1", "Section", "k", "v", "[A]\nx=1\n[Section]\nk=v\n"},
      {"; only a comment", "S", "k", "v", "; only a comment\r\n[S]\r\nk=v\r\n"},
      {"a\rb\r\n", "S", "k", "v", "a\rb\r\n[S]\rk=v\r"},
      // The value is written as given, up to a line break or NUL.
      {"", "S", "k", "  spaced  ", "[S]\r\nk=  spaced  \r\n"},
      {"", "S", "k", "one\r\n[Evil]\r\nx=1", "[S]\r\nk=one\r\n"},
      {"", "S", "k", "one\ntwo", "[S]\r\nk=one\r\n"},
      {"", "S", "k", std::string("a\0b", 3), "[S]\r\nk=a\r\n"},
      {"", "S", "k", "C:\\ソフト\\a.mp3", Sjis("[S]\r\nk=C:\\ソフト\\a.mp3\r\n")},
      // UTF-16 stays UTF-16 and keeps its other units, even unpaired ones and an odd last byte.
      {Utf16File(u"[Section]\n; 𝄞 \xDC00 kept\n度合い=1\n"), "Section", "度合い", " 100",
       Utf16File(u"[Section]\n; 𝄞 \xDC00 kept\n度合い= 100\n")},
      {Utf16File(u"[S]\n; \xDC00\n"), "S", "BGMﾌｧｲﾙ", "𝄞", Utf16File(u"[S]\n; \xDC00\nBGMﾌｧｲﾙ=𝄞\n")},
      {"\xFF\xFE", "S", "k", "v", Utf16File(u"[S]\r\nk=v\r\n")},
      {Utf16File(u"[S]\nk=1\n") + "\x7F", "S", "k", "2", Utf16File(u"[S]\nk=2\n") + "\x7F"},
      {junk + "\n[S]\nk=1\n" + junk, "S", "k", "2", junk + "\n[S]\nk=2\n" + junk},
      {junk, "S", "k", "2", junk + "\n[S]\nk=2\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before + " / " + c.section + " / " + c.key);
    EXPECT_EQ(IniUpdate(c.before, c.section, c.key, c.value).value_or("<refused>"), c.expected);
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
