#pragma once
// File access through the wide-character Windows API; paths arrive as UTF-8
// and are used in their "\\?\" form, so long folder paths work.
#include "platform/filesystem.h"

namespace tolvarin {

class Win32FileSystem : public FileSystem {
 public:
  bool CanOpenForReading(const std::string& path) override;
  bool PathExists(const std::string& path) override;
  std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) override;
  // Writes a unique temporary file beside `path` and flushes it to the disk,
  // then puts it in place with ReplaceFileW when `path` exists (which keeps
  // the file's security, attributes and creation time) or MoveFileExW when it
  // does not; on any failure the temporary file is deleted. When no file can
  // be created in the folder, an existing file is overwritten in place.
  // A read-only file is refused.
  bool ReplaceFileBytes(const std::string& path, const std::string& bytes) override;
};

}  // namespace tolvarin
