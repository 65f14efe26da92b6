#pragma once
// File access for the settings file and the music file. Paths are Windows
// paths in UTF-8; relative paths are relative to the current folder.
//
// The calls that change files are the platform's own, one step each, and
// answer with the platform's error code (0 on success): how a file is
// replaced safely, and what is done when a step fails halfway, is decided
// above the seam (settings/replace_file.h).
#include <cstdint>
#include <optional>
#include <string>

namespace tolvarin {

// The platform's error codes that callers tell apart.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidData = 13;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;
// ReplaceFileW: the replaced file could not be deleted; both files keep their names.
inline constexpr std::uint32_t kErrorUnableToRemoveReplaced = 1175;
// ReplaceFileW: the replacement could not be renamed. With a backup name both
// files keep their names; without one the replaced file is gone and the new
// data is still under the replacement's name.
inline constexpr std::uint32_t kErrorUnableToMoveReplacement = 1176;
// ReplaceFileW: the replacement could not be moved. It is still under its own
// name; the replaced file is under the backup name.
inline constexpr std::uint32_t kErrorUnableToMoveReplacement2 = 1177;

inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr std::uint32_t kFileAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True when `path` names a file that can be opened for reading; never a folder.
  virtual bool CanOpenForReading(const std::string& path) = 0;
  // The whole file, or nullopt when it cannot be read (missing, folder, denied).
  // Files larger than `maxBytes` are read up to that size.
  virtual std::optional<std::string> ReadFileBytes(const std::string& path,
                                                   std::uint64_t maxBytes) = 0;

  // GetFileAttributesW: the attributes of a file or folder, kInvalidFileAttributes when nothing is there.
  virtual std::uint32_t GetFileAttributesW(const std::string& path) = 0;
  // SetFileAttributesW.
  virtual std::uint32_t SetFileAttributesW(const std::string& path, std::uint32_t attributes) = 0;
  // A new, empty file with a name of its own in the folder of `besidePath`
  // (CreateFileW with CREATE_NEW under names tried in turn); its full path
  // goes to `created`.
  virtual std::uint32_t CreateTempFileBeside(const std::string& besidePath, std::string& created) = 0;
  // Writes `bytes` over the existing file `path`, cuts it to their length and
  // flushes it to the disk. Room for a longer file is taken first, so a full
  // disk fails before an old byte changes.
  virtual std::uint32_t WriteExistingFile(const std::string& path, const std::string& bytes) = 0;
  // ReplaceFileW(replaced, replacement, backup, REPLACEFILE_IGNORE_MERGE_ERRORS):
  // the replacement takes the replaced file's name, security and attributes;
  // the replaced file goes to `backup` (an existing file there is replaced).
  virtual std::uint32_t ReplaceFileW(const std::string& replaced, const std::string& replacement,
                                     const std::string& backup) = 0;
  // MoveFileExW(from, to, MOVEFILE_WRITE_THROUGH): a rename that never replaces a file.
  virtual std::uint32_t MoveFileExW(const std::string& from, const std::string& to) = 0;
  virtual std::uint32_t DeleteFileW(const std::string& path) = 0;
  virtual std::uint32_t CreateDirectoryW(const std::string& path) = 0;
  // The user's roaming application-data folder (SHGetKnownFolderPath with
  // FOLDERID_RoamingAppData, or SHGetFolderPathW with CSIDL_APPDATA where
  // the former is missing); nullopt when the platform gives none.
  virtual std::optional<std::string> RoamingAppDataFolder() = 0;

  // True when anything (a file, readable or not, or a folder) is at `path`.
  bool PathExists(const std::string& path) { return GetFileAttributesW(path) != kInvalidFileAttributes; }
  // True when a file, not a folder, is at `path`.
  bool IsFile(const std::string& path) {
    const std::uint32_t attributes = GetFileAttributesW(path);
    return attributes != kInvalidFileAttributes && !(attributes & kFileAttributeDirectory);
  }
};

}  // namespace tolvarin
