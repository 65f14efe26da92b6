#pragma once
// File access through the wide-character Windows API; paths arrive as UTF-8
// and are used in their "\\?\" form, so long folder paths work. Each call
// forwards to the one platform call it is named after.
#include "platform/filesystem.h"

namespace tolvarin {

class Win32FileSystem : public FileSystem {
 public:
  bool CanOpenForReading(const std::string& path) override;
  std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) override;
  std::uint32_t GetFileAttributesW(const std::string& path) override;
  std::uint32_t SetFileAttributesW(const std::string& path, std::uint32_t attributes) override;
  // Names "~tlvXXXXXXXX.tmp", tried until one is free.
  std::uint32_t CreateTempFileBeside(const std::string& besidePath, std::string& created) override;
  std::uint32_t WriteExistingFile(const std::string& path, const std::string& bytes) override;
  std::uint32_t ReplaceFileW(const std::string& replaced, const std::string& replacement,
                             const std::string& backup) override;
  std::uint32_t MoveFileExW(const std::string& from, const std::string& to) override;
  std::uint32_t DeleteFileW(const std::string& path) override;
  std::uint32_t CreateDirectoryW(const std::string& path) override;
  std::optional<std::string> RoamingAppDataFolder() override;
};

}  // namespace tolvarin
