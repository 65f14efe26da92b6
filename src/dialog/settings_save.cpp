#include "dialog/settings_save.h"

#include "base/cp932.h"
#include "settings/ini_file.h"
#include "settings/utf16_text.h"

namespace tolvarin {
namespace {

bool FitsCodePage932(const std::string& text) { return Cp932ToUtf8(Utf8ToCp932(text)) == text; }

bool IsUtf16File(const std::string& bytes) { return bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0; }

}  // namespace

bool WriteIniStrings(FileSystem& files, const std::string& section, const KeyValues& keyValues,
                     const std::string& file) {
  // One byte over the limit tells a file that is too large to rewrite whole.
  const auto old = files.ReadFileBytes(file, kIniFileLimit + 1);
  if (old && old->size() > kIniFileLimit) return false;
  // A file that is there but cannot be read is not replaced by a new one.
  if (!old && files.PathExists(file)) return false;
  std::string bytes = old ? *old : std::string();

  bool needsUnicode = !FitsCodePage932(section);
  for (const auto& [key, value] : keyValues) needsUnicode = needsUnicode || !FitsCodePage932(key) || !FitsCodePage932(value);
  if (needsUnicode && !IsUtf16File(bytes)) bytes = "\xFF\xFE" + Utf8ToUtf16Le(Cp932ToUtf8(bytes));

  for (const auto& [key, value] : keyValues) {
    const auto updated = IniUpdate(bytes, section, key, value);
    if (!updated) return false;
    bytes = *updated;
  }
  return files.ReplaceFileBytes(file, bytes);
}

}  // namespace tolvarin
