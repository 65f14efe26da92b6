#include <gtest/gtest.h>

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

// The settings file beside the running program, found through its folder, is
// read and written by tests/e2e/dialog_e2e.sh.
TEST(Win32ModuleFolder, FolderWithoutTrailingSeparatorExceptARoot) {
  EXPECT_EQ(FolderOfModulePath(L"\\\\server\\share\\Tolvarin.scr"), L"\\\\server\\share");
  EXPECT_EQ(FolderOfModulePath(L"\\\\?\\C:\\very\\deep\\Tolvarin.scr"), L"\\\\?\\C:\\very\\deep");
  EXPECT_EQ(FolderOfModulePath(L"C:\\Tolvarin.scr"), L"C:\\");
  EXPECT_EQ(FolderOfModulePath(L"D:/Tolvarin.scr"), L"D:\\");
  EXPECT_EQ(FolderOfModulePath(L"Tolvarin.scr"), L"");
}

}  // namespace
}  // namespace tolvarin
