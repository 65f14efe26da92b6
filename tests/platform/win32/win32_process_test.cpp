#include <gtest/gtest.h>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_text.h"

namespace tolvarin {
namespace {

TEST(Win32CommandTail, SkipsTheProgramNameAndTheBlanksAfterIt) {
  EXPECT_EQ(CommandTailOf(L"C:\\WINDOWS\\TOLVAR~1.SCR /s"), L"/s");
  EXPECT_EQ(CommandTailOf(L"Tolvarin.scr \t  /p 1234"), L"/p 1234");
  EXPECT_EQ(CommandTailOf(L"Tolvarin.scr\t/c:5678"), L"/c:5678");
}

TEST(Win32CommandTail, QuotedNameMayHoldBlanks) {
  EXPECT_EQ(CommandTailOf(L"\"C:\\Program Files\\Tolvarin\\Tolvarin.scr\" /p 1234"), L"/p 1234");
  // Windows passes no blank after a quoted name at times.
  EXPECT_EQ(CommandTailOf(L"\"C:\\a b\\Tolvarin.scr\"/s"), L"/s");
  // An unclosed quote takes the whole line as the name.
  EXPECT_EQ(CommandTailOf(L"\"C:\\a b\\Tolvarin.scr /s"), L"");
}

TEST(Win32CommandTail, ArgumentsStayAsTheyAre) {
  EXPECT_EQ(CommandTailOf(L"x.scr /p  12x34  "), L"/p  12x34  ");
  EXPECT_EQ(CommandTailOf(L"x.scr \"/s\""), L"\"/s\"");
  EXPECT_EQ(CommandTailOf(L"x.scr s"), L"s");
}

TEST(Win32CommandTail, NoArguments) {
  EXPECT_EQ(CommandTailOf(L"Tolvarin.scr"), L"");
  EXPECT_EQ(CommandTailOf(L"Tolvarin.scr   "), L"");
  EXPECT_EQ(CommandTailOf(L"\"C:\\x y\\Tolvarin.scr\""), L"");
  EXPECT_EQ(CommandTailOf(L""), L"");
}

TEST(Win32ModuleFolder, FolderWithoutTrailingSeparator) {
  EXPECT_EQ(FolderOfModulePath(L"C:\\Games\\Saver\\Tolvarin.scr"), L"C:\\Games\\Saver");
  EXPECT_EQ(FolderOfModulePath(L"\\\\server\\share\\Tolvarin.scr"), L"\\\\server\\share");
  EXPECT_EQ(FolderOfModulePath(L"\\\\?\\C:\\very\\deep\\Tolvarin.scr"), L"\\\\?\\C:\\very\\deep");
}

TEST(Win32ModuleFolder, DriveRootKeepsItsSeparator) {
  EXPECT_EQ(FolderOfModulePath(L"C:\\Tolvarin.scr"), L"C:\\");
  EXPECT_EQ(FolderOfModulePath(L"D:/Tolvarin.scr"), L"D:\\");
}

TEST(Win32ModuleFolder, NameWithoutFolder) { EXPECT_EQ(FolderOfModulePath(L"Tolvarin.scr"), L""); }

TEST(Win32ModuleFolder, AppFolderHoldsTheRunningProgram) {
  Win32Process process;
  const std::string folder = process.AppFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  const std::wstring module = ModulePath();
  const std::wstring name = module.substr(module.find_last_of(L"\\/") + 1);
  EXPECT_EQ(name, L"tolvarin_tests.exe");
  const std::wstring beside = Utf8ToWide(folder) + L"\\" + name;
  EXPECT_NE(GetFileAttributesW(beside.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32Text, JapaneseRoundTrip) {
  const std::string key = "度合い";
  const std::wstring wide = Utf8ToWide(key);
  EXPECT_EQ(wide, std::wstring(L"\u5EA6\u5408\u3044"));
  EXPECT_EQ(WideToUtf8(wide), key);
  // Half-width katakana and a character outside the basic plane.
  const std::string other = "BGMﾘﾋﾟｰﾄ \U0001F600";
  EXPECT_EQ(WideToUtf8(Utf8ToWide(other)), other);
}

TEST(Win32Text, BadInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToWide(std::string("a\xFF" "b")), std::wstring(L"a\uFFFDb"));
  EXPECT_EQ(WideToUtf8(std::wstring(L"a\xD800" L"b")), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf8ToWide(""), L"");
  EXPECT_EQ(WideToUtf8(L""), "");
}

}  // namespace
}  // namespace tolvarin
