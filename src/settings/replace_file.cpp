#include "settings/replace_file.h"

namespace tolvarin {
namespace {

FileWriteResult Written() { return {true, kErrorSuccess}; }
FileWriteResult NotWritten(std::uint32_t error) { return {false, error == kErrorSuccess ? kErrorInvalidData : error}; }

// Platforms that rename rather than replace leave the new file with its own
// attributes: give it the old file's again.
void KeepAttributes(FileSystem& files, const std::string& path, std::uint32_t attributes) {
  if (files.GetFileAttributesW(path) != attributes) files.SetFileAttributesW(path, attributes);
}

// After ReplaceFileW failed: whatever the failure, one whole file ends up
// under `path` when the platform lets it.
FileWriteResult Settle(FileSystem& files, const std::string& path, const std::string& temp, const std::string& backup,
                       std::uint32_t attributes, std::uint32_t error) {
  if (files.PathExists(path)) {
    // The old file kept its name (every failure but the two below, and the
    // first of them when a backup name was given): the copies can go.
    files.DeleteFileW(temp);
    files.DeleteFileW(backup);
    return NotWritten(error);
  }
  // The old file has left its name: under the backup name, or gone. The new
  // bytes are whole in the temporary file, so they take the name.
  if (files.MoveFileExW(temp, path) == kErrorSuccess) {
    KeepAttributes(files, path, attributes);
    files.DeleteFileW(backup);
    return Written();
  }
  // The old file goes back, so the name holds what it held before.
  if (files.IsFile(backup) && files.MoveFileExW(backup, path) == kErrorSuccess) {
    files.DeleteFileW(temp);
    return NotWritten(error);
  }
  // Both are held elsewhere: deleting either could lose the only copy.
  return NotWritten(error);
}

}  // namespace

FileWriteResult ReplaceFileBytes(FileSystem& files, const std::string& path, const std::string& bytes) {
  const std::uint32_t attributes = files.GetFileAttributesW(path);
  const bool exists = attributes != kInvalidFileAttributes;
  // A read-only file is refused as the platform's own writers refuse it (a
  // rename over it would otherwise succeed on some file systems).
  if (exists && (attributes & (kFileAttributeDirectory | kFileAttributeReadOnly))) return NotWritten(kErrorAccessDenied);

  std::string temp;
  if (const std::uint32_t error = files.CreateTempFileBeside(path, temp); error != kErrorSuccess) {
    // The user may change the file but not create files in its folder: the
    // existing file is overwritten where it is.
    if (!exists || error != kErrorAccessDenied) return NotWritten(error);
    const std::uint32_t inPlace = files.WriteExistingFile(path, bytes);
    return inPlace == kErrorSuccess ? Written() : NotWritten(inPlace);
  }
  // From here on the temporary file must go on failure.
  if (const std::uint32_t error = files.WriteExistingFile(temp, bytes); error != kErrorSuccess) {
    files.DeleteFileW(temp);
    return NotWritten(error);
  }
  if (!exists) {
    const std::uint32_t error = files.MoveFileExW(temp, path);
    if (error == kErrorSuccess) return Written();
    files.DeleteFileW(temp);
    return NotWritten(error);
  }
  // A backup name, taken by an empty file of our own, tells where the old
  // file is when the replacement stops halfway.
  std::string backup;
  if (const std::uint32_t error = files.CreateTempFileBeside(path, backup); error != kErrorSuccess) {
    files.DeleteFileW(temp);
    return NotWritten(error);
  }
  const std::uint32_t error = files.ReplaceFileW(path, temp, backup);
  if (error != kErrorSuccess) return Settle(files, path, temp, backup, attributes, error);
  KeepAttributes(files, path, attributes);
  files.DeleteFileW(backup);
  return Written();
}

}  // namespace tolvarin
