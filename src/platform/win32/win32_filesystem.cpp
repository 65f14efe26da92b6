#include "platform/win32/win32_filesystem.h"

#include <algorithm>
#include <climits>

#include "platform/win32/win32_api.h"

namespace tolvarin {
namespace {

// Strict conversion: a path that is not valid UTF-8 names no file.
std::optional<std::wstring> WidePath(const std::string& path) {
  if (path.empty() || path.size() > std::size_t(INT_MAX)) return std::nullopt;
  const int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), int(path.size()), nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(std::size_t(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), int(path.size()), wide.data(), length);
  if (wide.find(L'\0') != std::wstring::npos) return std::nullopt;
  return wide;
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

// The folder that holds `path`, for the temporary file: "." for a bare name,
// "C:" for "C:name", the root itself for "C:\name".
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : L".";
  if (cut == 0 || (cut == 2 && path[1] == L':')) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

}  // namespace

bool Win32FileSystem::CanOpenForReading(const std::string& path) {
  const auto wide = WidePath(path);
  if (!wide) return false;
  QuietErrors quiet;
  Handle file(OpenExistingFileForReading(*wide));
  return file.valid();
}

bool Win32FileSystem::PathExists(const std::string& path) {
  const auto wide = WidePath(path);
  if (!wide) return false;
  QuietErrors quiet;
  return GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES;
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

bool Win32FileSystem::ReplaceFileBytes(const std::string& path, const std::string& bytes) {
  const auto wide = WidePath(path);
  if (!wide) return false;
  QuietErrors quiet;
  const DWORD attributes = GetFileAttributesW(wide->c_str());
  // A read-only file is refused as the platform's own writers refuse it (a
  // rename over it would otherwise succeed on some file systems).
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    return false;

  wchar_t temp[MAX_PATH];
  if (GetTempFileNameW(FolderOf(*wide).c_str(), L"tlv", 0, temp) == 0) return false;
  // GetTempFileNameW has created the file; from here on it must go on failure.
  bool ok = false;
  {
    Handle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = file.valid() && WriteAll(file.get(), bytes) && FlushFileBuffers(file.get()) && file.Close();
  }
  ok = ok && MoveFileExW(temp, wide->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(temp);
  return ok;
}

}  // namespace tolvarin
