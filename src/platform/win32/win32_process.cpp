#include "platform/win32/win32_process.h"

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"

namespace tolvarin {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::wstring_view CommandTailOf(std::wstring_view commandLine) {
  std::size_t i = 0;
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
  if (i < commandLine.size() && commandLine[i] == L'"') {
    // A quoted name ends at the closing quote, blanks inside included.
    const std::size_t close = commandLine.find(L'"', i + 1);
    i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
  }
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
  return commandLine.substr(i);
}

std::wstring FolderOfModulePath(std::wstring_view modulePath) {
  const std::size_t slash = modulePath.find_last_of(L"\\/");
  if (slash == std::wstring_view::npos) return {};
  std::wstring folder(modulePath.substr(0, slash));
  // "C:" alone would mean the drive's current folder, not its root.
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  return folder;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length == 0) return {};
    // A cut-off path fills the whole buffer; try again with more room.
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string Win32Process::CommandTail() {
  const wchar_t* line = GetCommandLineW();
  return WideToUtf8(CommandTailOf(line ? std::wstring_view(line) : std::wstring_view()));
}

std::string Win32Process::AppFolder() { return WideToUtf8(FolderOfModulePath(ModulePath())); }

void Win32Process::EndProcess() { ExitProcess(0); }

void Win32Process::ErrorReport(const std::string& message) { ReportErrorAndExit(message); }

void ReportErrorAndExit(const std::string& message) {
  const std::wstring text = Utf8ToWide(message);
  MessageBoxW(nullptr, text.c_str(), L"Tolvarin", MB_OK | MB_ICONERROR | MB_TOPMOST);
  ExitProcess(1);
}

}  // namespace tolvarin
