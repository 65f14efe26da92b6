#include "platform/win32/win32_filesystem.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"

#include <objbase.h>

namespace tolvarin {
namespace {

// The form of a path that no MAX_PATH limit applies to: made full, then
// given the "\\?\" prefix ("\\?\UNC\" for a network path). Device paths
// ("\\.\") and paths that have the prefix already stay as they are.
std::optional<std::wstring> LongForm(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) return path;
  std::wstring full(std::size_t(MAX_PATH), L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (length == 0) return std::nullopt;
    if (length < full.size()) {
      full.resize(length);
      break;
    }
    full.assign(length, L'\0');
  }
  if (full.rfind(L"\\\\.\\", 0) == 0) return full;  // a device name such as NUL
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// Strict conversion: a path that is not valid UTF-8 names no file.
std::optional<std::wstring> WidePath(const std::string& path) {
  if (path.empty() || path.size() > std::size_t(INT_MAX)) return std::nullopt;
  const int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), int(path.size()), nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(std::size_t(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), int(path.size()), wide.data(), length);
  if (wide.find(L'\0') != std::wstring::npos) return std::nullopt;
  return LongForm(wide);
}

// No "insert a disk" boxes from a missing removable drive.
class QuietErrors {
 public:
  QuietErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
  ~QuietErrors() { SetThreadErrorMode(old_, nullptr); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  DWORD old_ = 0;
};

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool Close() {
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

HANDLE OpenExistingFileForReading(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return INVALID_HANDLE_VALUE;
  return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The error a failed call left, never 0 (a call that fails without one
// still failed).
std::uint32_t LastError() {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : std::uint32_t(error);
}

std::uint32_t Result(BOOL ok) { return ok ? ERROR_SUCCESS : LastError(); }

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    done += written;
  }
  return true;
}

using KnownFolderPathFn = HRESULT(WINAPI*)(REFGUID, DWORD, HANDLE, PWSTR*);
using FolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

// FOLDERID_RoamingAppData, {3EB685DB-65F9-4CF6-A03A-E3EF65729F3D}.
constexpr GUID kRoamingAppData = {0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};
constexpr int kCsidlAppData = 0x001A;

// Without a trailing "\" (a drive root keeps its own).
std::optional<std::string> FolderText(const wchar_t* folder) {
  std::wstring text(folder);
  if (text.empty()) return std::nullopt;
  if (text.size() > 3 && text.back() == L'\\') text.pop_back();
  return WideToUtf8(text);
}

}  // namespace

bool Win32FileSystem::CanOpenForReading(const std::string& path) {
  const auto wide = WidePath(path);
  if (!wide) return false;
  QuietErrors quiet;
  Handle file(OpenExistingFileForReading(*wide));
  return file.valid();
}

std::optional<std::string> Win32FileSystem::ReadFileBytes(const std::string& path, std::uint64_t maxBytes) {
  const auto wide = WidePath(path);
  if (!wide) return std::nullopt;
  QuietErrors quiet;
  Handle file(OpenExistingFileForReading(*wide));
  if (!file.valid()) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return std::nullopt;
  std::string bytes;
  bytes.reserve(std::size_t(std::min<std::uint64_t>(std::uint64_t(size.QuadPart), maxBytes)));
  // Read to the end rather than to the size seen: the file may change meanwhile.
  char buffer[64 * 1024];
  while (bytes.size() < maxBytes) {
    const DWORD want = DWORD(std::min<std::uint64_t>(sizeof buffer, maxBytes - bytes.size()));
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, want, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  return bytes;
}

std::uint32_t Win32FileSystem::GetFileAttributesW(const std::string& path) {
  const auto wide = WidePath(path);
  if (!wide) return kInvalidFileAttributes;
  QuietErrors quiet;
  return ::GetFileAttributesW(wide->c_str());
}

std::uint32_t Win32FileSystem::SetFileAttributesW(const std::string& path, std::uint32_t attributes) {
  const auto wide = WidePath(path);
  if (!wide) return ERROR_INVALID_NAME;
  QuietErrors quiet;
  return Result(::SetFileAttributesW(wide->c_str(), attributes));
}

std::uint32_t Win32FileSystem::CreateTempFileBeside(const std::string& besidePath, std::string& created) {
  const auto wide = WidePath(besidePath);
  if (!wide) return ERROR_INVALID_NAME;
  QuietErrors quiet;
  const std::wstring folder = wide->substr(0, wide->find_last_of(L'\\') + 1);
  const unsigned base = unsigned(GetTickCount()) ^ (unsigned(GetCurrentProcessId()) << 16);
  DWORD error = ERROR_FILE_EXISTS;
  for (unsigned attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
    wchar_t name[32];
    swprintf(name, 32, L"~tlv%08X.tmp", base + attempt * 7919u);
    const std::wstring path = folder + name;
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid()) {
      created = WideToUtf8(path);
      return ERROR_SUCCESS;
    }
    error = GetLastError();
  }
  return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
}

std::uint32_t Win32FileSystem::WriteExistingFile(const std::string& path, const std::string& bytes) {
  const auto wide = WidePath(path);
  if (!wide) return ERROR_INVALID_NAME;
  QuietErrors quiet;
  Handle file(CreateFileW(wide->c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return LastError();
  LARGE_INTEGER size{}, wanted{}, start{};
  wanted.QuadPart = LONGLONG(bytes.size());
  if (!GetFileSizeEx(file.get(), &size)) return LastError();
  if (wanted.QuadPart > size.QuadPart &&
      !(SetFilePointerEx(file.get(), wanted, nullptr, FILE_BEGIN) && SetEndOfFile(file.get())))
    return LastError();
  if (!(SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) && WriteAll(file.get(), bytes) &&
        SetEndOfFile(file.get()) && FlushFileBuffers(file.get())))
    return LastError();
  return Result(file.Close());
}

std::uint32_t Win32FileSystem::ReplaceFileW(const std::string& replaced, const std::string& replacement,
                                            const std::string& backup) {
  const auto target = WidePath(replaced), source = WidePath(replacement), spare = WidePath(backup);
  if (!target || !source || !spare) return ERROR_INVALID_NAME;
  QuietErrors quiet;
  return Result(::ReplaceFileW(target->c_str(), source->c_str(), spare->c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                               nullptr, nullptr));
}

std::uint32_t Win32FileSystem::MoveFileExW(const std::string& from, const std::string& to) {
  const auto source = WidePath(from), target = WidePath(to);
  if (!source || !target) return ERROR_INVALID_NAME;
  QuietErrors quiet;
  return Result(::MoveFileExW(source->c_str(), target->c_str(), MOVEFILE_WRITE_THROUGH));
}

std::uint32_t Win32FileSystem::DeleteFileW(const std::string& path) {
  const auto wide = WidePath(path);
  if (!wide) return ERROR_INVALID_NAME;
  QuietErrors quiet;
  return Result(::DeleteFileW(wide->c_str()));
}

std::uint32_t Win32FileSystem::CreateDirectoryW(const std::string& path) {
  const auto wide = WidePath(path);
  if (!wide) return ERROR_INVALID_NAME;
  QuietErrors quiet;
  return Result(::CreateDirectoryW(wide->c_str(), nullptr));
}

std::optional<std::string> Win32FileSystem::RoamingAppDataFolder() {
  // The known-folder call is looked up because systems before it have only
  // the older one; shell32 comes from the system folder only.
  HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
  if (shell32 == nullptr) {
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    shell32 = LoadLibraryW((std::wstring(system, length) + L"\\shell32.dll").c_str());
    if (shell32 == nullptr) return std::nullopt;
  }
  if (const auto known = reinterpret_cast<KnownFolderPathFn>(
          reinterpret_cast<void*>(GetProcAddress(shell32, "SHGetKnownFolderPath")))) {
    PWSTR folder = nullptr;
    const HRESULT hr = known(kRoamingAppData, 0, nullptr, &folder);
    std::optional<std::string> text;
    if (SUCCEEDED(hr) && folder != nullptr) text = FolderText(folder);
    CoTaskMemFree(folder);
    return text;
  }
  const auto older = reinterpret_cast<FolderPathFn>(reinterpret_cast<void*>(GetProcAddress(shell32, "SHGetFolderPathW")));
  wchar_t folder[MAX_PATH] = {};
  if (older == nullptr || FAILED(older(nullptr, kCsidlAppData, nullptr, 0, folder))) return std::nullopt;
  return FolderText(folder);
}

}  // namespace tolvarin
