#pragma once
// File access through the wide-character Windows API; paths arrive as UTF-8.
#include "platform/filesystem.h"

namespace tolvarin {

class Win32FileSystem : public FileSystem {
 public:
  bool CanOpenForReading(const std::string& path) override;
  bool PathExists(const std::string& path) override;
  std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) override;
  // Writes a unique temporary file beside `path`, flushes it to the disk and
  // renames it over `path`; on any failure the temporary file is deleted.
  bool ReplaceFileBytes(const std::string& path, const std::string& bytes) override;
};

}  // namespace tolvarin
