#include "platform/win32/win32_filesystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"
#include "platform/sim/sim_process.h"
#include "settings/settings.h"

namespace tolvarin {
namespace {

std::wstring Long(const std::string& path) { return L"\\\\?\\" + Utf8ToWide(path); }

// Names in `folder`, without "." and "..".
std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((Long(folder) + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(WideToUtf8(name));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

// Removes `path` and everything under it.
void RemoveTree(const std::string& path) {
  for (const std::string& name : NamesIn(path)) RemoveTree(path + "\\" + name);
  SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!DeleteFileW(Long(path).c_str())) RemoveDirectoryW(Long(path).c_str());
}

// A program that lives in a chosen folder.
sim::SimProcess ProgramIn(const std::string& folder) {
  sim::SimProcess process;
  process.appFolder = folder;
  return process;
}

// The real file calls with the application-data folder put elsewhere.
class FilesWithAppData : public Win32FileSystem {
 public:
  explicit FilesWithAppData(std::string folder) : folder_(std::move(folder)) {}
  std::optional<std::string> RoamingAppDataFolder() override { return folder_; }

 private:
  std::string folder_;
};

// A fresh folder with a Japanese name under the temporary folder, removed afterwards.
class Win32FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = WideToUtf8(temp) + "tolvarin_テスト_" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder_).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  }
  void TearDown() override { RemoveTree(folder_); }
  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }
  std::vector<std::string> Names() const { return NamesIn(folder_); }

  std::string folder_;
  Win32FileSystem files;
};

// The folder's path is longer than MAX_PATH.
TEST_F(Win32FileSystemTest, WritesReadsAndReplacesAFileWithAJapaneseNameInADeepFolder) {
  std::string deep = folder_;
  while (deep.size() < 400) {
    deep += "\\フォルダー_folder_of_some_length";
    ASSERT_TRUE(CreateDirectoryW(Long(deep).c_str(), nullptr));
  }
  const std::string ini = deep + "\\設定.ini";
  EXPECT_FALSE(files.CanOpenForReading(ini));
  EXPECT_FALSE(files.ReadFileBytes(ini, 100).has_value());
  const std::string bytes("[Section]\r\n\x93\x78\x8D\x87\x82\xA2= 100\r\n\0end", 28);
  ASSERT_TRUE(ReplaceFileBytes(files, ini, bytes).written);
  EXPECT_EQ(files.ReadFileBytes(ini, 1000), bytes);
  // Large enough to take more than one read; read up to the limit.
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 31 + i / 4096);
  ASSERT_TRUE(ReplaceFileBytes(files, ini, big).written);
  EXPECT_EQ(files.ReadFileBytes(ini, big.size() + 1), big);
  EXPECT_EQ(files.ReadFileBytes(ini, 100000)->size(), 100000u);
  EXPECT_EQ(NamesIn(deep), std::vector<std::string>{"設定.ini"});  // no temporary file left behind
}

TEST_F(Win32FileSystemTest, FoldersAndBadNamesAreNotFiles) {
  ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(Path("sub")).c_str(), nullptr));
  for (const std::string& path : {Path("sub"), std::string(), Path("bad\xFF.ini") /* not UTF-8 */}) {
    EXPECT_FALSE(files.CanOpenForReading(path)) << path;
    EXPECT_FALSE(files.ReadFileBytes(path, 10).has_value()) << path;
    EXPECT_FALSE(ReplaceFileBytes(files, path, "x").written) << path;
  }
  EXPECT_FALSE(ReplaceFileBytes(files, Path("missing\\a.ini"), "x").written);
  ASSERT_TRUE(ReplaceFileBytes(files, Path("a.mp3"), "ID3").written);
  EXPECT_TRUE(files.CanOpenForReading(folder_ + "/a.mp3"));  // made a long path all the same
}

TEST_F(Win32FileSystemTest, ReplaceKeepsAttributesAndRefusesWhatItCannotReplace) {
  const std::string hidden = Path("hidden.ini"), ro = Path("ro.ini"), open = Path("open.ini");
  ASSERT_TRUE(ReplaceFileBytes(files, hidden, "old").written);
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_TRUE(SetFileAttributesW(Utf8ToWide(hidden).c_str(), kept));
  WIN32_FILE_ATTRIBUTE_DATA after{};
  ASSERT_TRUE(ReplaceFileBytes(files, hidden, "new").written);
  ASSERT_TRUE(GetFileAttributesExW(Utf8ToWide(hidden).c_str(), GetFileExInfoStandard, &after));
  EXPECT_EQ(files.ReadFileBytes(hidden, 100), "new");
  EXPECT_EQ(after.dwFileAttributes & kept, kept);

  ASSERT_TRUE(ReplaceFileBytes(files, ro, "old").written);
  ASSERT_TRUE(SetFileAttributesW(Utf8ToWide(ro).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(ReplaceFileBytes(files, ro, "new").written);
  EXPECT_EQ(files.ReadFileBytes(ro, 100), "old");
  // Held elsewhere without delete sharing: still readable, but it cannot be replaced.
  ASSERT_TRUE(ReplaceFileBytes(files, open, "shared").written);
  HANDLE other = CreateFileW(Utf8ToWide(open).c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.ReadFileBytes(open, 100), "shared");
  EXPECT_FALSE(ReplaceFileBytes(files, open, "new").written);
  CloseHandle(other);
  EXPECT_EQ(files.ReadFileBytes(open, 100), "shared");
  // None of our temporary files stays (Wine's ReplaceFileW leaves one of its own, "rf*.tmp").
  for (const std::string& name : Names()) EXPECT_NE(name.rfind("~tlv", 0), 0u) << name;
}

// 150 kana: 150 UTF-16 units, which the file chooser allows, but 300 bytes
// in code page 932, which reads 255 back.
TEST_F(Win32FileSystemTest, ALongJapanesePathIsSavedAndFoundWholeAtTheNextStart) {
  std::string kana;
  for (int i = 0; i < 150; ++i) kana += "ア";
  const std::string music = Path(kana + ".mp3");
  ASSERT_TRUE(ReplaceFileBytes(files, music, "ID3").written);
  ASSERT_TRUE(ReplaceFileBytes(files, Path("Tolvarin.ini"), "[Section]\r\n\x93\x78\x8D\x87\x82\xA2=7\r\n").written);
  FilesWithAppData withAppData(Path("roaming"));  // holds no per-user file
  auto process = ProgramIn(folder_);
  const auto saved = SaveSettings(withAppData, process, {{kKeyMusicMode, " 2"}, {kKeyMusicFile, music}});
  EXPECT_TRUE(saved.saved);
  EXPECT_EQ(saved.file, Path("Tolvarin.ini"));
  SharedSettings settings;
  LoadSettings(withAppData, process, settings);
  EXPECT_EQ(settings.effectDegree, 7);
  EXPECT_EQ(settings.musicMode, MusicMode::SoundFile);
  EXPECT_EQ(settings.musicFile, music);
  // The platform's own application-data folder is there.
  const auto appData = files.RoamingAppDataFolder();
  ASSERT_TRUE(appData.has_value());
  EXPECT_NE(files.GetFileAttributesW(*appData) & kFileAttributeDirectory, 0u);
}

// A folder where no file can be created, holding a file that may be written
// (TOLVARIN_LOCKED_FOLDER/Tolvarin.ini): set up by tests/e2e/files_e2e.sh,
// which runs this without the power to override file permissions and then
// checks that the folder holds the same file and nothing new.
TEST(Win32LockedFolderTest, ExistingFileIsWrittenInPlaceAndNoNewFileAppears) {
  const char* folder = std::getenv("TOLVARIN_LOCKED_FOLDER");
  if (folder == nullptr) GTEST_SKIP() << "needs the folder set up by files_e2e.sh";
  Win32FileSystem files;
  const std::string ini = std::string(folder) + "\\Tolvarin.ini";
  const auto before = files.ReadFileBytes(ini, 1000);
  ASSERT_TRUE(before.has_value());
  const std::vector<IniEntry> save{{kKeyEffectDegree, " 5"}, {kKeyMusicFile, "C:\\Café 노래.mp3"}};
  EXPECT_TRUE(WriteIniStrings(files, kSettingsSection, save, ini, IniWiden::WhenNeeded));
  EXPECT_EQ(ReadIniString(files, kSettingsSection, kKeyEffectDegree, ini), "5");
  EXPECT_EQ(ReadIniString(files, kSettingsSection, kKeyMusicFile, ini), "C:\\Café 노래.mp3");
}

// Folders where no file can be created, one empty and one holding a file
// without write permission, which the platform shows as read-only
// (TOLVARIN_LOCKED_EMPTY and TOLVARIN_LOCKED_READONLY): set up by
// tests/e2e/files_e2e.sh, which checks afterwards that both folders are
// unchanged and that the per-user file it then removes holds the save.
TEST(Win32LockedFolderTest, SettingsGoToThePerUserFileUnlessTheFileIsReadOnly) {
  const char* empty = std::getenv("TOLVARIN_LOCKED_EMPTY");
  const char* readOnly = std::getenv("TOLVARIN_LOCKED_READONLY");
  if (empty == nullptr || readOnly == nullptr) GTEST_SKIP() << "needs the folders set up by files_e2e.sh";
  Win32FileSystem files;
  const auto perUser = PerUserSettingsFilePath(files);
  ASSERT_TRUE(perUser.has_value());
  ASSERT_FALSE(files.PathExists(*perUser));

  auto protectedOnPurpose = ProgramIn(readOnly);
  EXPECT_NE(files.GetFileAttributesW(SettingsFilePath(protectedOnPurpose)) & kFileAttributeReadOnly, 0u);
  const auto refused = SaveSettings(files, protectedOnPurpose, {{kKeyEffectDegree, " 4"}});
  EXPECT_FALSE(refused.saved);
  EXPECT_EQ(refused.file, SettingsFilePath(protectedOnPurpose));
  EXPECT_FALSE(files.PathExists(*perUser));

  auto inProgramFiles = ProgramIn(empty);
  const auto saved = SaveSettings(files, inProgramFiles, {{kKeyEffectDegree, " 5"}});
  EXPECT_TRUE(saved.saved);
  EXPECT_EQ(saved.file, *perUser);
  EXPECT_EQ(SettingsFileToRead(files, inProgramFiles), *perUser);
  SharedSettings settings;
  LoadSettings(files, inProgramFiles, settings);
  EXPECT_EQ(settings.effectDegree, 5);
}

}  // namespace
}  // namespace tolvarin
