#pragma once
// Simulated file system: files and folders in memory under Windows paths.
// Paths match without regard to ASCII case, "\" and "/" both separate, a
// doubled separator counts once, "." and ".." are resolved, and relative paths
// ("a.ini", "\a.ini", "C:a.ini") start from the current folder as on Windows.
// A folder is never readable as a file; a path ending in a separator names
// only a folder. Replacing a file goes through a temporary file in the same
// folder and ReplaceFileW or a rename; every call that changes a file is
// logged for the tests.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/filesystem.h"

namespace tolvarin::sim {

// Faults for the calls that change files in one folder. The two halfway
// failures of ReplaceFileW leave the files as the platform documents.
enum class WriteFault {
  None,
  CannotCreateTemp,  // the folder refuses new files (access denied); its files may be written
  AccessDenied,      // the folder refuses new files and its files refuse writing
  DiskFull,          // new files are created, writing any file fails
  CannotRename,      // ReplaceFileW and MoveFileExW fail (sharing violation): nothing moves
  ReplaceStopsBeforeMove,   // ReplaceFileW fails with 1176: with a backup name both files keep
                            // their names, without one the replaced file is gone
  ReplaceStopsAfterBackup,  // ReplaceFileW fails with 1177: the replaced file is under the
                            // backup name, the replacement under its own
  ReplaceStopsAfterBackupNewHeld,  // as above; then the replacement cannot be moved (held)
  ReplaceStopsAfterBackupAllHeld,  // as above; then no file can be moved
};

struct FileOperation {
  enum class Kind { CreateTemp, Write, Replace, Move, Delete, SetAttributes, CreateFolder };
  Kind kind;
  std::string path;    // the file (for Replace: the replacement; for Move: the source)
  std::string target;  // for Replace: the replaced file; for Move: the new name
  std::uint32_t error; // the answer, 0 on success
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
  // Faults for the calls that change files in `folder`.
  void SetWriteFault(const std::string& folder, WriteFault fault);
  // What RoamingAppDataFolder answers (nullopt: the platform gives none).
  std::optional<std::string> roamingAppData = "C:\\Users\\User\\AppData\\Roaming";

  // Inspection.
  std::optional<std::string> FileBytes(const std::string& path) const;
  bool IsFolder(const std::string& path) const;
  // Full paths of the files directly in `folder`, in name order.
  std::vector<std::string> FilesIn(const std::string& folder) const;
  const std::vector<FileOperation>& Operations() const { return operations_; }
  void ClearOperations() { operations_.clear(); }

  // FileSystem
  bool CanOpenForReading(const std::string& path) override;
  std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) override;
  std::uint32_t GetFileAttributesW(const std::string& path) override;
  std::uint32_t SetFileAttributesW(const std::string& path, std::uint32_t attributes) override;
  std::uint32_t CreateTempFileBeside(const std::string& besidePath, std::string& created) override;
  std::uint32_t WriteExistingFile(const std::string& path, const std::string& bytes) override;
  // Windows keeps the replaced file's attributes on the replacement; so does this.
  std::uint32_t ReplaceFileW(const std::string& replaced, const std::string& replacement,
                             const std::string& backup) override;
  std::uint32_t MoveFileExW(const std::string& from, const std::string& to) override;
  std::uint32_t DeleteFileW(const std::string& path) override;
  std::uint32_t CreateDirectoryW(const std::string& path) override;
  std::optional<std::string> RoamingAppDataFolder() override { return roamingAppData; }

 private:
  struct Entry {
    std::string path;  // as first given, resolved
    bool folder = false;
    bool unreadable = false;
    std::string bytes;
    std::uint32_t attributes = 0x20;  // a new file's: archive
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
  WriteFault FaultFor(const Resolved& file) const;
  std::uint32_t Log(FileOperation::Kind kind, const std::string& path, const std::string& target,
                    std::uint32_t error);

  std::map<std::string, Entry> entries_;
  std::map<std::string, WriteFault> writeFaults_;  // by folder key
  std::string currentFolder_ = "C:\\";
  std::vector<FileOperation> operations_;
  unsigned tempCounter_ = 0;
  bool halfwayReplaced_ = false;  // a ReplaceFileW stopped after its backup: later moves may be held
  std::string heldReplacement_;   // that replacement's key
};

}  // namespace tolvarin::sim
