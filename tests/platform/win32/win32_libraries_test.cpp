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

class Win32LibrariesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetFileAttributesW(EffectLibraryPath().c_str()) == INVALID_FILE_ATTRIBUTES)
      GTEST_SKIP() << "the effect library is not built beside the tests";
  }

  Win32Libraries libraries;
};

TEST_F(Win32LibrariesTest, LoadsBareNamesFromTheProgramFolder) {
  void* library = libraries.LoadAppLibrary(libraries.EffectLibraryFileName());
  ASSERT_NE(library, nullptr);
  EXPECT_NE(libraries.GetProcAddress(library, "GPX_Fragment"), nullptr);
  EXPECT_EQ(libraries.GetProcAddress(library, "GPX_NoSuchEffect"), nullptr);
  EXPECT_EQ(libraries.GetProcAddress(nullptr, "GPX_Fragment"), nullptr);

  // A name not loaded yet, lying only in the program folder.
  const std::wstring copy = AppFolderWide() + L"\\tolvarin_app_probe.dll";
  ASSERT_TRUE(CopyFileW(EffectLibraryPath().c_str(), copy.c_str(), FALSE));
  void* probe = libraries.LoadAppLibrary("tolvarin_app_probe.dll");
  EXPECT_NE(probe, nullptr);
  if (probe) FreeLibrary(static_cast<HMODULE>(probe));
  DeleteFileW(copy.c_str());

  // Missing, empty, or with a folder - even one naming the very library.
  for (const std::string& name : {std::string("tolvarin_absent_library.dll"), std::string(),
                                  WideToUtf8(EffectLibraryPath()), std::string(".\\r_vold_graphics.dll"),
                                  std::string("../bin/r_vold_graphics.dll")}) {
    EXPECT_EQ(libraries.LoadAppLibrary(name), nullptr) << name;
  }
}

TEST_F(Win32LibrariesTest, NeverFromTheCurrentFolderOrThePath) {
  wchar_t temp[MAX_PATH], previous[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  GetCurrentDirectoryW(MAX_PATH, previous);
  const std::wstring scratch = std::wstring(temp) + L"tolvarin_libs_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(scratch.c_str(), nullptr);
  std::wstring path(32767, L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), DWORD(path.size())));

  // Names the process has not loaded, so the search really runs; plain
  // LoadLibrary does find them, so the refusal means something.
  for (const bool viaPath : {false, true}) {
    const std::wstring name = viaPath ? L"tolvarin_path_probe.dll" : L"tolvarin_cwd_probe.dll";
    const std::wstring copy = scratch + L"\\" + name;
    ASSERT_TRUE(CopyFileW(EffectLibraryPath().c_str(), copy.c_str(), FALSE));
    if (viaPath)
      SetEnvironmentVariableW(L"PATH", (scratch + L";" + path).c_str());
    else
      SetCurrentDirectoryW(scratch.c_str());
    void* refused = libraries.LoadAppLibrary(WideToUtf8(name));
    HMODULE planted = LoadLibraryW(name.c_str());
    SetEnvironmentVariableW(L"PATH", path.c_str());
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(refused, nullptr) << viaPath;
    EXPECT_NE(planted, nullptr) << viaPath;
    if (planted) FreeLibrary(planted);
    DeleteFileW(copy.c_str());
  }
  RemoveDirectoryW(scratch.c_str());
}

}  // namespace
}  // namespace tolvarin
