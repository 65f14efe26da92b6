#include <gtest/gtest.h>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_text.h"

namespace tolvarin {
namespace {

TEST(Win32CommandTail, SkipsTheProgramNameAndTheBlanksAfterIt) {
  const struct {
    const wchar_t* line;
    const wchar_t* tail;
  } rows[] = {
      {L"C:\\WINDOWS\\TOLVAR~1.SCR /s", L"/s"},
      {L"Tolvarin.scr \t  /p 1234", L"/p 1234"},
      {L"Tolvarin.scr\t/c:5678", L"/c:5678"},
      {L"\"C:\\Program Files\\Tolvarin\\Tolvarin.scr\" /p 1234", L"/p 1234"},
      {L"\"C:\\a b\\Tolvarin.scr\"/s", L"/s"},  // Windows at times passes no blank after a quoted name
      {L"\"C:\\a b\\Tolvarin.scr /s", L""},     // an unclosed quote: all of it is the name
      {L"x.scr /p  12x34  ", L"/p  12x34  "},   // arguments stay as they are
      {L"x.scr \"/s\"", L"\"/s\""},
      {L"Tolvarin.scr", L""},
      {L"Tolvarin.scr   ", L""},
      {L"\"C:\\x y\\Tolvarin.scr\"", L""},
      {L"", L""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(WideToUtf8(row.line));
    EXPECT_EQ(CommandTailOf(row.line), row.tail);
  }
}

TEST(Win32ModuleFolder, FolderWithoutTrailingSeparatorExceptARoot) {
  EXPECT_EQ(FolderOfModulePath(L"C:\\Games\\Saver\\Tolvarin.scr"), L"C:\\Games\\Saver");
  EXPECT_EQ(FolderOfModulePath(L"\\\\server\\share\\Tolvarin.scr"), L"\\\\server\\share");
  EXPECT_EQ(FolderOfModulePath(L"\\\\?\\C:\\very\\deep\\Tolvarin.scr"), L"\\\\?\\C:\\very\\deep");
  EXPECT_EQ(FolderOfModulePath(L"C:\\Tolvarin.scr"), L"C:\\");
  EXPECT_EQ(FolderOfModulePath(L"D:/Tolvarin.scr"), L"D:\\");
  EXPECT_EQ(FolderOfModulePath(L"Tolvarin.scr"), L"");

  // The running program lies in its application folder.
  const std::string folder = Win32Process().AppFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  const std::wstring beside = Utf8ToWide(folder) + L"\\tolvarin_tests.exe";
  EXPECT_NE(GetFileAttributesW(beside.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32Text, JapaneseRoundTripAndBadInput) {
  EXPECT_EQ(Utf8ToWide("度合い"), std::wstring(L"\u5EA6\u5408\u3044"));
  // Half-width katakana and a character outside the basic plane.
  const std::string other = "BGMﾘﾋﾟｰﾄ \U0001F600";
  EXPECT_EQ(WideToUtf8(Utf8ToWide(other)), other);
  EXPECT_EQ(Utf8ToWide(std::string("a\xFF" "b")), std::wstring(L"a\uFFFDb"));
  EXPECT_EQ(WideToUtf8(std::wstring(L"a\xD800" L"b")), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf8ToWide(""), L"");
  EXPECT_EQ(WideToUtf8(L""), "");
}

}  // namespace
}  // namespace tolvarin
