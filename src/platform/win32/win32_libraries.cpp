#include "platform/win32/win32_libraries.h"

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_text.h"

namespace tolvarin {

void* Win32Libraries::LoadAppLibrary(const std::string& fileName) {
  // A bare file name only: a path would escape the program's folder.
  if (fileName.empty() || fileName.find_first_of("\\/:") != std::string::npos) return nullptr;
  const std::wstring name = Utf8ToWide(fileName);
  // Never the current folder or PATH: a planted DLL there must not be loaded.
  HMODULE module = LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
    // Systems without the search flags: name the file by its full path instead.
    const std::wstring folder = FolderOfModulePath(ModulePath());
    if (folder.empty()) return nullptr;
    std::wstring path = folder;
    if (path.back() != L'\\') path += L'\\';
    path += name;
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return reinterpret_cast<void*>(module);
}

void* Win32Libraries::GetProcAddress(void* library, const std::string& name) {
  if (!library) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
}

std::string Win32Libraries::EffectLibraryFileName() { return "r_vold_graphics.dll"; }

}  // namespace tolvarin
