#pragma once
// File access for the settings file and the music file. Paths are Windows
// paths in UTF-8; relative paths are relative to the current folder.
#include <cstdint>
#include <optional>
#include <string>

namespace tolvarin {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True when `path` names a file that can be opened for reading; never a folder.
  virtual bool CanOpenForReading(const std::string& path) = 0;
  // True when anything (a file, readable or not, or a folder) is at `path`.
  virtual bool PathExists(const std::string& path) = 0;
  // The whole file, or nullopt when it cannot be read (missing, folder, denied).
  // Files larger than `maxBytes` are read up to that size.
  virtual std::optional<std::string> ReadFileBytes(const std::string& path,
                                                   std::uint64_t maxBytes) = 0;
  // Replaces the file atomically: writes a temporary file in the same folder,
  // then puts it in place of `path`, keeping what the platform keeps of the
  // old file (security, attributes). On failure the old file stays as it
  // was, except that a folder where no file can be created gets the new
  // bytes written over the existing file in place.
  virtual bool ReplaceFileBytes(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace tolvarin
