#include "platform/win32/win32_filesystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"

namespace tolvarin {
namespace {

// A fresh folder with a Japanese name under the temporary folder, removed afterwards.
class Win32FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = WideToUtf8(temp) + "tolvarin_テスト_" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder_).c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
  }
  void TearDown() override {
    for (const std::string& name : Names()) {
      const std::wstring path = Utf8ToWide(folder_ + "\\" + name);
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
    }
    RemoveDirectoryW(Utf8ToWide(folder_).c_str());
  }
  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }
  // Names in the folder, without "." and "..".
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Utf8ToWide(folder_ + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") names.push_back(WideToUtf8(name));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
  }

  std::string folder_;
  Win32FileSystem files;
};

TEST_F(Win32FileSystemTest, WritesReadsAndReplacesAFileWithAJapaneseName) {
  const std::string ini = Path("設定.ini");
  EXPECT_FALSE(files.CanOpenForReading(ini));
  EXPECT_FALSE(files.ReadFileBytes(ini, 100).has_value());
  const std::string bytes("[Section]\r\n\x93\x78\x8D\x87\x82\xA2= 100\r\n\0end", 28);
  ASSERT_TRUE(files.ReplaceFileBytes(ini, bytes));
  EXPECT_TRUE(files.CanOpenForReading(ini));
  EXPECT_EQ(files.ReadFileBytes(ini, 1000), bytes);
  EXPECT_EQ(files.ReadFileBytes(ini, 9), "[Section]");
  // Large enough to take more than one read.
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 31 + i / 4096);
  ASSERT_TRUE(files.ReplaceFileBytes(ini, big));
  EXPECT_EQ(files.ReadFileBytes(ini, big.size() + 1), big);
  EXPECT_EQ(files.ReadFileBytes(ini, 100000)->size(), 100000u);
  EXPECT_EQ(Names(), std::vector<std::string>{"設定.ini"});  // no temporary file left behind
}

TEST_F(Win32FileSystemTest, FoldersAndBadNamesAreNotFiles) {
  ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(Path("sub")).c_str(), nullptr));
  for (const std::string& path : {Path("sub"), std::string(), Path("bad\xFF.ini") /* not UTF-8 */}) {
    EXPECT_FALSE(files.CanOpenForReading(path)) << path;
    EXPECT_FALSE(files.ReadFileBytes(path, 10).has_value()) << path;
    EXPECT_FALSE(files.ReplaceFileBytes(path, "x")) << path;
  }
  EXPECT_FALSE(files.ReplaceFileBytes(Path("missing\\a.ini"), "x"));
  ASSERT_TRUE(files.ReplaceFileBytes(Path("a.mp3"), "ID3"));
  EXPECT_TRUE(files.CanOpenForReading(Path("A.MP3")));
  EXPECT_TRUE(files.CanOpenForReading(folder_ + "/a.mp3"));
  EXPECT_EQ(Names().size(), 2u);
}

TEST_F(Win32FileSystemTest, FileThatCannotBeReplacedKeepsItsBytesAndNoTemporaryFileStays) {
  const std::string ro = Path("ro.ini"), open = Path("open.ini");
  ASSERT_TRUE(files.ReplaceFileBytes(ro, "old"));
  ASSERT_TRUE(SetFileAttributesW(Utf8ToWide(ro).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(files.ReplaceFileBytes(ro, "new"));
  EXPECT_EQ(files.ReadFileBytes(ro, 100), "old");

  // Held elsewhere without delete sharing: still readable, but it cannot be renamed over.
  ASSERT_TRUE(files.ReplaceFileBytes(open, "shared"));
  HANDLE other = CreateFileW(Utf8ToWide(open).c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(files.CanOpenForReading(open));
  EXPECT_EQ(files.ReadFileBytes(open, 100), "shared");
  EXPECT_FALSE(files.ReplaceFileBytes(open, "new"));
  CloseHandle(other);
  EXPECT_EQ(files.ReadFileBytes(open, 100), "shared");
  EXPECT_EQ(Names().size(), 2u);
}

}  // namespace
}  // namespace tolvarin
