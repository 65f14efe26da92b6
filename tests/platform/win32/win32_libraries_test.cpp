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

// The effect library loading and its entry point being found are checked by
// tests/e2e/run_e2e.sh, where the effect animates the saver's picture.
class Win32LibrariesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetFileAttributesW(EffectLibraryPath().c_str()) == INVALID_FILE_ATTRIBUTES)
      GTEST_SKIP() << "the effect library is not built beside the tests";
  }

  Win32Libraries libraries;
};

TEST_F(Win32LibrariesTest, MissingNamesAndNamesWithAFolderLoadNothing) {
  // Missing, empty, or with a folder - even one naming the very library.
  for (const std::string& name : {std::string("tolvarin_absent_library.dll"), std::string(),
                                  WideToUtf8(EffectLibraryPath()), std::string(".\\r_vold_graphics.dll"),
                                  std::string("../bin/r_vold_graphics.dll")}) {
    EXPECT_EQ(libraries.LoadAppLibrary(name), nullptr) << name;
  }
}

// A copy of the effect library under a name the process has not loaded, so
// the search really runs: it loads from the program folder, never from the
// current folder or the PATH, though plain LoadLibrary finds it there.
TEST_F(Win32LibrariesTest, BareNamesLoadOnlyFromTheProgramFolder) {
  wchar_t temp[MAX_PATH], previous[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  GetCurrentDirectoryW(MAX_PATH, previous);
  const std::wstring scratch = std::wstring(temp) + L"tolvarin_libs_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(scratch.c_str(), nullptr);
  std::wstring path(32767, L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), DWORD(path.size())));

  enum class Where { ProgramFolder, CurrentFolder, Path };
  for (const Where where : {Where::ProgramFolder, Where::CurrentFolder, Where::Path}) {
    SCOPED_TRACE(int(where));
    const std::wstring name = L"tolvarin_probe_" + std::to_wstring(int(where)) + L".dll";
    const std::wstring copy = (where == Where::ProgramFolder ? AppFolderWide() : scratch) + L"\\" + name;
    ASSERT_TRUE(CopyFileW(EffectLibraryPath().c_str(), copy.c_str(), FALSE));
    if (where == Where::Path) SetEnvironmentVariableW(L"PATH", (scratch + L";" + path).c_str());
    if (where == Where::CurrentFolder) SetCurrentDirectoryW(scratch.c_str());
    void* loaded = libraries.LoadAppLibrary(WideToUtf8(name));
    HMODULE planted = LoadLibraryW(name.c_str());
    SetEnvironmentVariableW(L"PATH", path.c_str());
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(loaded != nullptr, where == Where::ProgramFolder);
    EXPECT_NE(planted, nullptr);
    if (loaded) FreeLibrary(static_cast<HMODULE>(loaded));
    if (planted) FreeLibrary(planted);
    DeleteFileW(copy.c_str());
  }
  RemoveDirectoryW(scratch.c_str());
}

}  // namespace
}  // namespace tolvarin
