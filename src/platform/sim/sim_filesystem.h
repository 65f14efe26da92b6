#pragma once
// Simulated file system: files and folders in memory under Windows paths.
// Paths match without regard to ASCII case, "\" and "/" both separate, a
// doubled separator counts once, "." and ".." are resolved, and relative paths
// ("a.ini", "\a.ini", "C:a.ini") start from the current folder as on Windows.
// A folder is never readable as a file; a path ending in a separator names
// only a folder. Replacing a file goes through a temporary file in the same
// folder and a rename (an in-place write when the folder refuses new files),
// and every step is logged for the tests.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/filesystem.h"

namespace tolvarin::sim {

enum class WriteFault {
  None,
  CannotCreateTemp,  // the folder refuses new files (no access): an existing file is written in place
  DiskFull,          // the temporary file is created, writing it fails
  CannotRename,      // the target is locked: the final rename fails
};

struct FileOperation {
  enum class Kind { CreateTemp, WriteTemp, Rename, DeleteTemp, WriteInPlace };
  Kind kind;
  std::string path;    // the temporary file (for WriteInPlace: the file itself)
  std::string target;  // for Rename: the file replaced
  bool succeeded;
};

class SimFileSystem : public FileSystem {
 public:
  SimFileSystem();  // holds the folder "C:\", which is also the current folder

  // Set-up. Parent folders are created as needed; a path that is not a valid
  // Windows path throws std::invalid_argument.
  void AddFile(const std::string& path, std::string bytes);
  void AddFolder(const std::string& path);
  void Remove(const std::string& path);  // a file, or a folder with all it holds
  void SetCurrentFolder(const std::string& path);  // created when missing
  // The file stays but cannot be opened (no access, or opened exclusively elsewhere).
  void SetUnreadable(const std::string& path, bool unreadable = true);
  // Faults for ReplaceFileBytes of files in `folder`.
  void SetWriteFault(const std::string& folder, WriteFault fault);

  // Inspection.
  std::optional<std::string> FileBytes(const std::string& path) const;
  bool IsFile(const std::string& path) const;
  bool IsFolder(const std::string& path) const;
  // Full paths of the files directly in `folder`, in name order.
  std::vector<std::string> FilesIn(const std::string& folder) const;
  const std::vector<FileOperation>& Operations() const { return operations_; }
  void ClearOperations() { operations_.clear(); }

  // FileSystem
  bool CanOpenForReading(const std::string& path) override;
  bool PathExists(const std::string& path) override { return IsFile(path) || IsFolder(path); }
  std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) override;
  bool ReplaceFileBytes(const std::string& path, const std::string& bytes) override;

 private:
  struct Entry {
    std::string path;  // as first given, resolved
    bool folder = false;
    bool unreadable = false;
    std::string bytes;
  };
  struct Resolved {
    std::string path;  // absolute, "\" separators, no trailing separator except a root's
    std::string key;   // path in upper case: the map key
    bool trailingSeparator = false;
  };

  std::optional<Resolved> Resolve(const std::string& path) const;
  Resolved ResolveOrThrow(const std::string& path) const;
  // Length of the root ("C:\" or "\\server\share\") of a resolved path.
  static std::size_t RootLength(const std::string& resolved);
  static std::string ParentKey(const std::string& key);
  void MakeFolders(const Resolved& folder);
  const Entry* Find(const std::string& path) const;
  const Entry* ReadableFile(const std::string& path) const;

  std::map<std::string, Entry> entries_;
  std::map<std::string, WriteFault> writeFaults_;  // by folder key
  std::string currentFolder_ = "C:\\";
  std::vector<FileOperation> operations_;
  unsigned tempCounter_ = 0;
};

}  // namespace tolvarin::sim
