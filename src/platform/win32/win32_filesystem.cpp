#include "platform/win32/win32_filesystem.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "platform/win32/win32_api.h"

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

// A new, empty file beside `path` (a full path in the long form), opened for
// writing; its name goes to `tempPath`.
HANDLE CreateTempBeside(const std::wstring& path, std::wstring& tempPath) {
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
  const unsigned base = unsigned(GetTickCount()) ^ (unsigned(GetCurrentProcessId()) << 16);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    wchar_t name[32];
    swprintf(name, 32, L"~tlv%08X.tmp", base + attempt * 7919u);
    tempPath = folder + name;
    const HANDLE file = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
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

  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;

  std::wstring temp;
  Handle file(CreateTempBeside(*wide, temp));
  if (!file.valid()) {
    // No new file can be made in the folder (no right to, or a full
    // directory), so the existing file is overwritten where it is.
    if (!exists) return false;
    Handle target(CreateFileW(wide->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    return target.valid() && WriteAll(target.get(), bytes) && SetEndOfFile(target.get()) &&
           FlushFileBuffers(target.get()) && target.Close();
  }
  // From here on the temporary file must go on failure.
  bool ok = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get()) && file.Close();
  if (ok && exists) {
    // Keeps the old file's security, attributes, creation time and streams.
    ok = ReplaceFileW(wide->c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    // Not every implementation keeps the attributes (Wine does not): put them back.
    if (ok && GetFileAttributesW(wide->c_str()) != attributes) SetFileAttributesW(wide->c_str(), attributes);
  } else if (ok) {
    ok = MoveFileExW(temp.c_str(), wide->c_str(), MOVEFILE_WRITE_THROUGH);
  }
  if (!ok) {
    if (file.valid()) file.Close();
    DeleteFileW(temp.c_str());
  }
  return ok;
}

}  // namespace tolvarin
