#pragma once
// Replacing a whole file so that, whatever fails, the file's name holds
// either the old bytes or the new ones, never nothing and never a mix.
#include <cstdint>
#include <string>

#include "platform/filesystem.h"

namespace tolvarin {

struct FileWriteResult {
  bool written = false;       // the file holds the new bytes
  std::uint32_t error = 0;    // the platform's reason when not written
  explicit operator bool() const { return written; }
};

// Writes `bytes` to a new file beside `path`, then puts it in place: with
// ReplaceFileW when `path` exists (which keeps the old file's security,
// attributes and creation time; the attributes are put back where the
// platform does not keep them) or with a rename when it does not.
//
// - A read-only file, or a folder, is refused (access denied) and left alone.
// - When the folder takes no new file (access denied) an existing file is
//   overwritten where it is.
// - When ReplaceFileW stops halfway, the old file having left its name, the
//   new file is moved under the name; failing that, the old file is moved
//   back. Only when neither move succeeds does the name stay empty, and then
//   both files are kept under their own names.
// Not written means the old file is what remains. No temporary file is left
// behind except in that last case.
FileWriteResult ReplaceFileBytes(FileSystem& files, const std::string& path, const std::string& bytes);

}  // namespace tolvarin
