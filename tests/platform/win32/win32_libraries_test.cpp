#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_text.h"

namespace tolvarin {
namespace {

std::wstring AppFolderWide() { return FolderOfModulePath(ModulePath()); }

std::wstring EffectLibraryPath() { return AppFolderWide() + L"\\r_vold_graphics.dll"; }

// A folder of its own under the temporary folder, removed with its files.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"tolvarin_libs_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    for (const std::wstring& file : files_) DeleteFileW(file.c_str());
    RemoveDirectoryW(path_.c_str());
  }
  std::wstring CopyIn(const std::wstring& from, const std::wstring& name) {
    const std::wstring to = path_ + L"\\" + name;
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) return {};
    files_.push_back(to);
    return to;
  }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

class Win32LibrariesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetFileAttributesW(EffectLibraryPath().c_str()) == INVALID_FILE_ATTRIBUTES)
      GTEST_SKIP() << "the effect library is not built beside the tests";
  }
  Win32Libraries libraries;
};

TEST_F(Win32LibrariesTest, FindsTheEffectLibraryInTheProgramFolder) {
  void* library = libraries.LoadAppLibrary(libraries.EffectLibraryFileName());
  ASSERT_NE(library, nullptr);
  EXPECT_NE(libraries.GetProcAddress(library, "GPX_Fragment"), nullptr);
  EXPECT_EQ(libraries.GetProcAddress(library, "GPX_NoSuchEffect"), nullptr);
  EXPECT_EQ(libraries.GetProcAddress(nullptr, "GPX_Fragment"), nullptr);
}

TEST_F(Win32LibrariesTest, LoadsALibraryThatLiesOnlyInTheProgramFolder) {
  // A name the process has not loaded yet, so the folder search really runs.
  const std::wstring copy = AppFolderWide() + L"\\tolvarin_app_probe.dll";
  ASSERT_TRUE(CopyFileW(EffectLibraryPath().c_str(), copy.c_str(), FALSE));
  void* library = libraries.LoadAppLibrary("tolvarin_app_probe.dll");
  EXPECT_NE(library, nullptr);
  if (library) {
    EXPECT_NE(libraries.GetProcAddress(library, "GPX_Fragment"), nullptr);
    FreeLibrary(static_cast<HMODULE>(library));
  }
  DeleteFileW(copy.c_str());
}

TEST_F(Win32LibrariesTest, MissingLibraryIsNull) {
  EXPECT_EQ(libraries.LoadAppLibrary("tolvarin_absent_library.dll"), nullptr);
  EXPECT_EQ(libraries.LoadAppLibrary(""), nullptr);
}

TEST_F(Win32LibrariesTest, NamesWithAFolderAreRefused) {
  // Even a path to the very library that loads by its bare name.
  EXPECT_EQ(libraries.LoadAppLibrary(WideToUtf8(EffectLibraryPath())), nullptr);
  EXPECT_EQ(libraries.LoadAppLibrary(".\\r_vold_graphics.dll"), nullptr);
  EXPECT_EQ(libraries.LoadAppLibrary("../bin/r_vold_graphics.dll"), nullptr);
}

TEST_F(Win32LibrariesTest, ALibraryOnlyInTheCurrentFolderIsNotLoaded) {
  ScratchFolder scratch;
  const std::wstring name = L"tolvarin_cwd_probe.dll";
  ASSERT_FALSE(scratch.CopyIn(EffectLibraryPath(), name).empty());
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(scratch.path().c_str()));

  void* refused = libraries.LoadAppLibrary(WideToUtf8(name));
  // The ordinary search does find it there, so the refusal means something.
  HMODULE planted = LoadLibraryW(name.c_str());

  SetCurrentDirectoryW(previous);
  EXPECT_EQ(refused, nullptr);
  EXPECT_NE(planted, nullptr);
  if (planted) FreeLibrary(planted);
}

TEST_F(Win32LibrariesTest, ALibraryOnlyOnThePathIsNotLoaded) {
  ScratchFolder scratch;
  const std::wstring name = L"tolvarin_path_probe.dll";
  ASSERT_FALSE(scratch.CopyIn(EffectLibraryPath(), name).empty());
  std::wstring oldPath(32767, L'\0');
  oldPath.resize(GetEnvironmentVariableW(L"PATH", oldPath.data(), DWORD(oldPath.size())));
  SetEnvironmentVariableW(L"PATH", (scratch.path() + L";" + oldPath).c_str());

  void* refused = libraries.LoadAppLibrary(WideToUtf8(name));
  HMODULE planted = LoadLibraryW(name.c_str());

  SetEnvironmentVariableW(L"PATH", oldPath.c_str());
  EXPECT_EQ(refused, nullptr);
  EXPECT_NE(planted, nullptr);
  if (planted) FreeLibrary(planted);
}

}  // namespace
}  // namespace tolvarin
