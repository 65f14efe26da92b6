#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <string>

#include "base/cp932.h"

namespace tolvarin {
namespace {

// Test files are written in UTF-8 here and stored in code page 932.
std::string Sjis(std::string_view utf8) { return Utf8ToCp932(utf8); }

std::string Utf16File(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t u : text) {
    out.push_back(char(u & 0xFF));
    out.push_back(char(u >> 8));
  }
  return out;
}

std::string Lookup(std::string_view file, std::string_view section, std::string_view key) {
  return IniLookup(file, section, key).value_or("<missing>");
}

TEST(IniLookup, FindsKeysOfTheNamedSection) {
  const std::string file = Sjis(
      "; settings\r\n"
      "orphan=before any section\r\n"
      "[Other]\r\n"
      "度合い=1\r\n"
      "[Section]\r\n"
      "度合い= 100\r\n"
      "BGM区分=2\r\n"
      "BGMﾘﾋﾟｰﾄ=\r\n");
  EXPECT_EQ(Lookup(file, "Section", "度合い"), "100");
  EXPECT_EQ(Lookup(file, "Other", "度合い"), "1");
  EXPECT_EQ(Lookup(file, "Section", "BGM区分"), "2");
  EXPECT_EQ(Lookup(file, "Section", "BGMﾘﾋﾟｰﾄ"), "");
  EXPECT_EQ(Lookup(file, "Section", "BGMﾌｧｲﾙ"), "<missing>");
  EXPECT_EQ(Lookup(file, "Missing", "度合い"), "<missing>");
  EXPECT_EQ(Lookup(file, "Section", "orphan"), "<missing>");
  EXPECT_EQ(Lookup(file, "Section", ""), "<missing>");
  EXPECT_EQ(Lookup(file, "", "度合い"), "<missing>");
  EXPECT_EQ(Lookup("", "Section", "度合い"), "<missing>");
}

TEST(IniLookup, NamesIgnoreAsciiCaseAndSurroundingBlanks) {
  const std::string file = Sjis("  [ secTION ]  \n\t bgm区分 \t=\t 2 \t\nAbc=x\n");
  EXPECT_EQ(Lookup(file, "Section", "BGM区分"), "2");
  EXPECT_EQ(Lookup(file, " SECTION ", "ABC"), "x");
  // Full-width letters are other characters, not other cases.
  EXPECT_EQ(Lookup(file, "Section", "ＡＢＣ"), "<missing>");
}

TEST(IniLookup, SecondBytesAreNeverCaseFolded) {
  // ア is 83 41 and ヂ is 83 61: the second bytes differ like "A" and "a".
  const std::string file = Sjis("[S]\nヂ=wrong\nア=right\n");
  EXPECT_EQ(Lookup(file, "S", "ア"), "right");
  EXPECT_EQ(Lookup(Sjis("[S]\nヂ=1\n"), "S", "ア"), "<missing>");
}

TEST(IniLookup, BracketAsSecondByteDoesNotEndTheSectionName) {
  // ゾ is 83 5D: its second byte is "]".
  const std::string file = Sjis("[ゾーン]\nk=1\n[ソ]\nk=2\n");
  EXPECT_EQ(Lookup(file, "ゾーン", "k"), "1");
  EXPECT_EQ(Lookup(file, "ソ", "k"), "2");
}

TEST(IniLookup, FirstOfDuplicatesWins) {
  const std::string file = "[S]\na=1\na=2\n[T]\nb=3\n[s]\na=4\nc=5\n";
  EXPECT_EQ(Lookup(file, "S", "a"), "1");
  EXPECT_EQ(Lookup(file, "S", "c"), "<missing>");  // only the first section of a name counts
  EXPECT_EQ(Lookup(file, "T", "b"), "3");
}

TEST(IniLookup, SkipsCommentsAndLinesWithoutEquals) {
  const std::string file = "[S]\n;a=commented\nnot a key\n  ; b=also\na=1\n[broken\nb=2\n";
  EXPECT_EQ(Lookup(file, "S", "a"), "1");
  EXPECT_EQ(Lookup(file, "S", ";a"), "<missing>");
  EXPECT_EQ(Lookup(file, "broken", "b"), "2");  // a header without "]" still opens a section
}

TEST(IniLookup, EveryLineBreakStyleEndsALine) {
  EXPECT_EQ(Lookup("[S]\r\na=1\r\nb=2\r\n", "S", "b"), "2");
  EXPECT_EQ(Lookup("[S]\na=1\nb=2", "S", "b"), "2");
  EXPECT_EQ(Lookup("[S]\ra=1\rb=2\r", "S", "a"), "1");
  EXPECT_EQ(Lookup("[S]\n\r\n\na=x\r\r\n", "S", "a"), "x");
}

TEST(IniLookup, ValueLosesOnePairOfMatchingQuotes) {
  const std::string file = "[S]\na=\"C:\\My Music\\a.mp3\"\nb='x'\nc=\"x'\nd=\"\ne=\"\"x\"\"\n";
  EXPECT_EQ(Lookup(file, "S", "a"), "C:\\My Music\\a.mp3");
  EXPECT_EQ(Lookup(file, "S", "b"), "x");
  EXPECT_EQ(Lookup(file, "S", "c"), "\"x'");
  EXPECT_EQ(Lookup(file, "S", "d"), "\"");
  EXPECT_EQ(Lookup(file, "S", "e"), "\"x\"");
}

TEST(IniLookup, ValueIsCutAt255BytesBetweenCharacters) {
  const std::string a255(255, 'a');
  EXPECT_EQ(Lookup("[S]\nk=" + a255 + "\n", "S", "k"), a255);
  EXPECT_EQ(Lookup("[S]\nk=" + a255 + "bcd\n", "S", "k"), a255);
  // 254 bytes, then あ (82 A0) would make 256: the whole character goes.
  const std::string a254(254, 'a');
  EXPECT_EQ(Lookup(Sjis("[S]\nk=" + a254 + "あい\n"), "S", "k"), a254);
  const std::string a253(253, 'a');
  EXPECT_EQ(Lookup(Sjis("[S]\nk=" + a253 + "あい\n"), "S", "k"), a253 + "あ");
  // Blanks around the value do not count.
  EXPECT_EQ(Lookup("[S]\nk=    " + a255 + "   \n", "S", "k"), a255);
}

TEST(IniLookup, NulEndsAValue) {
  const std::string file = std::string("[S]\na=x\0y\nb\0=1\nc=2\n", 20);
  EXPECT_EQ(Lookup(file, "S", "a"), "x");
  EXPECT_EQ(Lookup(file, "S", "c"), "2");
  EXPECT_EQ(Lookup(std::string("[S]\na=\0\n", 8), "S", "a"), "");
}

TEST(IniLookup, BrokenDoubleByteCharactersNeverSwallowLineBreaks) {
  const std::string file = "[S]\r\na=\x81\r\nb=2\x82\n[\x83]\nc=\x9F=3\n";
  EXPECT_EQ(Lookup(file, "S", "a"), "・");
  EXPECT_EQ(Lookup(file, "S", "b"), "2・");
  // 83 5D is ゾ: the "]" belongs to it, and the header just has no end.
  EXPECT_EQ(Lookup(file, "ゾ", "c"), "・=3");
}

TEST(IniLookup, Utf16FileIsReadAsUtf16) {
  const std::string file = Utf16File(u"[Section]\r\n度合い= 55\r\nBGMﾌｧｲﾙ=C:\\音楽\\𝄞.mp3\r\n");
  EXPECT_EQ(Lookup(file, "section", "度合い"), "55");
  EXPECT_EQ(Lookup(file, "Section", "BGMﾌｧｲﾙ"), "C:\\音楽\\𝄞.mp3");
  // Without the byte order mark the same bytes are not this file.
  EXPECT_EQ(Lookup(file.substr(2), "Section", "度合い"), "<missing>");
}

TEST(IniLookup, Utf16ValueIsCutAt255UnitsBetweenCharacters) {
  const std::u16string units254(254, u'あ');
  std::string a254;
  for (int i = 0; i < 254; ++i) a254 += "あ";
  EXPECT_EQ(Lookup(Utf16File(u"[S]\nk=" + units254 + u"いう\n"), "S", "k"), a254 + "い");
  // 𝄞 takes two units: at 254 it would be cut in half, so it goes whole.
  EXPECT_EQ(Lookup(Utf16File(u"[S]\nk=" + units254 + u"𝄞\n"), "S", "k"), a254);
  // An unpaired surrogate reads as U+FFFD; an odd last byte is ignored.
  std::string odd = Utf16File(u"[S]\nk=a\xD800z\n");
  odd.push_back('\x41');
  EXPECT_EQ(Lookup(odd, "S", "k"), "a\xEF\xBF\xBDz");
}

TEST(IniLookup, GarbageNeverBreaksTheReader) {
  std::string garbage;
  for (int i = 0; i < 200000; ++i) garbage.push_back(char((i * 7919 + i / 13) & 0xFF));
  EXPECT_NO_THROW(IniLookup(garbage, "Section", "度合い"));
  EXPECT_EQ(Lookup(garbage + "\n[Section]\nk=1\n", "Section", "k"), "1");
  EXPECT_NO_THROW(IniLookup("\xFF\xFE" + garbage, "Section", "k"));
  EXPECT_EQ(Lookup(std::string(10000, '\0') + "\n[S]\nk=1", "S", "k"), "1");
  EXPECT_EQ(Lookup(std::string(100000, '['), "[", "k"), "<missing>");
}

TEST(IniLookup, LargeFileWithTheKeyAtTheEnd) {
  std::string file = "[Other]\r\n";
  const std::string line = "key=some value of a fair length, repeated over and over\r\n";
  file.reserve((8u << 20) + 100);
  while (file.size() < (8u << 20)) file += line;
  file += Sjis("[Section]\r\n度合い=7\r\n");
  EXPECT_EQ(Lookup(file, "Section", "度合い"), "7");
  EXPECT_EQ(Lookup(file, "Other", "KEY"), "some value of a fair length, repeated over and over");
}

// Writing ---------------------------------------------------------------------

std::string Update(std::string_view file, std::string_view section, std::string_view key, std::string_view value) {
  return IniUpdate(file, section, key, value).value_or("<refused>");
}

TEST(IniUpdate, NewFileHasTheSectionThenTheKey) {
  EXPECT_EQ(Update("", "Section", "度合い", " 100"), Sjis("[Section]\r\n度合い= 100\r\n"));
  EXPECT_EQ(Update("", "Section", "BGMﾌｧｲﾙ", ""), Sjis("[Section]\r\nBGMﾌｧｲﾙ=\r\n"));
}

TEST(IniUpdate, ReplacingAValueKeepsEveryOtherByte) {
  const std::string before = Sjis(
      "; 設定ファイル\r\n"
      "\r\n"
      "[Other]\r\n"
      "度合い=9\r\n"
      "[Section]\r\n"
      "  ; a note\r\n"
      "unknown = kept  \r\n"
      "\t度合い  =  12 \r\n"
      "BGM区分=1\r\n"
      "\r\n"
      "[Tail]\r\n"
      "x=y");
  const std::string after = Update(before, "Section", "度合い", " 100");
  const std::string oldLine = Sjis("\t度合い  =  12 ");
  std::string expected = before;
  expected.replace(before.find(oldLine), oldLine.size(), Sjis("度合い= 100"));
  EXPECT_EQ(after, expected);
}

TEST(IniUpdate, ReplacedLineUsesTheCallersSpellingAndKeepsItsBreak) {
  EXPECT_EQ(Update("[section]\nKEY=1\r\nz=2", "Section", "key", "5"), "[section]\nkey=5\r\nz=2");
  EXPECT_EQ(Update("[S]\nk=1", "S", "k", "2"), "[S]\nk=2");
}

TEST(IniUpdate, NewKeyGoesAfterTheSectionsLastNonBlankLine) {
  EXPECT_EQ(Update("[S]\r\na=1\r\n; note\r\n\r\n\r\n[T]\r\nb=2\r\n", "S", "c", "3"),
            "[S]\r\na=1\r\n; note\r\nc=3\r\n\r\n\r\n[T]\r\nb=2\r\n");
  EXPECT_EQ(Update("[S]\r\n\r\n[T]\r\n", "S", "c", "3"), "[S]\r\nc=3\r\n\r\n[T]\r\n");
  EXPECT_EQ(Update("[S]\r\na=1", "S", "c", "3"), "[S]\r\na=1\r\nc=3\r\n");
  EXPECT_EQ(Update("[S]", "S", "c", "3"), "[S]\r\nc=3\r\n");
  // Only the first section of the name is written to.
  EXPECT_EQ(Update("[S]\na=1\n[S]\nc=9\n", "S", "c", "3"), "[S]\na=1\nc=3\n[S]\nc=9\n");
}

TEST(IniUpdate, NewSectionGoesAtTheEnd) {
  EXPECT_EQ(Update("[A]\nx=1\n", "Section", "k", "v"), "[A]\nx=1\n[Section]\nk=v\n");
  EXPECT_EQ(Update("[A]\nx=1", "Section", "k", "v"), "[A]\nx=1\n[Section]\nk=v\n");
  EXPECT_EQ(Update("; only a comment", "S", "k", "v"), "; only a comment\r\n[S]\r\nk=v\r\n");
  EXPECT_EQ(Update("a\rb\r\n", "S", "k", "v"), "a\rb\r\n[S]\rk=v\r");
}

TEST(IniUpdate, ValueIsWrittenAsGivenUpToALineBreak) {
  EXPECT_EQ(Update("", "S", "k", "  spaced  "), "[S]\r\nk=  spaced  \r\n");
  EXPECT_EQ(Update("", "S", "k", "one\r\n[Evil]\r\nx=1"), "[S]\r\nk=one\r\n");
  EXPECT_EQ(Update("", "S", "k", "one\ntwo"), "[S]\r\nk=one\r\n");
  EXPECT_EQ(Update("", "S", "k", std::string("a\0b", 3)), "[S]\r\nk=a\r\n");
  EXPECT_EQ(Update("", "S", "k", "C:\\ソフト\\a.mp3"), Sjis("[S]\r\nk=C:\\ソフト\\a.mp3\r\n"));
}

TEST(IniUpdate, RefusesNamesThatCannotBeWrittenOrReadBack) {
  const std::string name127(127, 'n');
  EXPECT_NE(Update("", name127, name127, "v"), "<refused>");
  std::string japanese127;
  for (int i = 0; i < 127; ++i) japanese127 += "名";
  EXPECT_NE(Update("", "S", japanese127, "v"), "<refused>");  // characters, not bytes
  const char* refused[][2] = {
      {"", "k"},      {"S", ""},     {" ", "k"},     {"S", " \t"},     {"S", "a=b"}, {"S", "[k"},
      {"S", ";k"},    {"S]", "k"},   {"S\r", "k"},   {"S", "k\nx"},
  };
  for (const auto& names : refused)
    EXPECT_EQ(Update("[S]\nk=1\n", names[0], names[1], "v"), "<refused>") << names[0] << "/" << names[1];
  EXPECT_EQ(Update("", std::string(128, 'n'), "k", "v"), "<refused>");
  EXPECT_EQ(Update("", "S", japanese127 + "名", "v"), "<refused>");
}

TEST(IniUpdate, WrittenValuesReadBack) {
  std::string file;
  file = Update(file, "Section", "度合い", " 100");
  file = Update(file, " section ", "度合い", "-3");
  file = Update(file, "Section", "BGMﾌｧｲﾙ", "C:\\ソフト\\表.mp3");
  EXPECT_EQ(Lookup(file, "SECTION", "度合い"), "-3");
  EXPECT_EQ(Lookup(file, "Section", "BGMﾌｧｲﾙ"), "C:\\ソフト\\表.mp3");
  EXPECT_EQ(file, Sjis("[Section]\r\n度合い=-3\r\nBGMﾌｧｲﾙ=C:\\ソフト\\表.mp3\r\n"));
}

TEST(IniUpdate, Utf16FileStaysUtf16AndKeepsItsOtherUnits) {
  const std::string before = Utf16File(u"[Section]\n; 𝄞 \xDC00 kept\n度合い=1\n");
  const std::string after = Update(before, "Section", "度合い", " 100");
  EXPECT_EQ(after, Utf16File(u"[Section]\n; 𝄞 \xDC00 kept\n度合い= 100\n"));
  EXPECT_EQ(Update(after, "Section", "BGMﾌｧｲﾙ", "𝄞"),
            Utf16File(u"[Section]\n; 𝄞 \xDC00 kept\n度合い= 100\nBGMﾌｧｲﾙ=𝄞\n"));
  EXPECT_EQ(Update("\xFF\xFE", "S", "k", "v"), Utf16File(u"[S]\r\nk=v\r\n"));
  std::string odd = Utf16File(u"[S]\nk=1\n");
  odd.push_back('\x7F');
  EXPECT_EQ(Update(odd, "S", "k", "2"), Utf16File(u"[S]\nk=2\n") + "\x7F");
}

TEST(IniUpdate, GarbageAroundTheSectionIsKept) {
  const std::string junk = std::string("\x81\0\xFF\x85\x40\n\x82", 7);
  const std::string before = junk + "\n[S]\nk=1\n" + junk;
  EXPECT_EQ(Update(before, "S", "k", "2"), junk + "\n[S]\nk=2\n" + junk);
  EXPECT_EQ(Update(junk, "S", "k", "2"), junk + "\n[S]\nk=2\n");
}

}  // namespace
}  // namespace tolvarin
