#pragma once
// Saving several keys of the settings file as one change: the file is
// replaced once, with every key set, or not at all.
#include <string>
#include <utility>
#include <vector>

#include "platform/filesystem.h"

namespace tolvarin {

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// Sets each key of `keyValues`, in order, in `section` of the INI file
// `file` (the bytes are those of as many WriteIniString calls) and replaces
// the file once. A value that code page 932 cannot hold turns a code page
// 932 file into UTF-16LE with its byte order mark, every other line's text
// kept. False, with the file untouched, when it cannot be read back whole,
// a name cannot be written, or the replacement fails.
bool WriteIniStrings(FileSystem& files, const std::string& section, const KeyValues& keyValues,
                     const std::string& file);

}  // namespace tolvarin
