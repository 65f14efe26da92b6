// Any bytes as a settings file: reading never fails, written values read
// back, writing twice changes nothing more, other keys keep their values, and
// the file keeps its encoding unless it had to move to UTF-16LE.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp932.h"
#include "settings/ini_file.h"

namespace {

using tolvarin::IniEncoding;
using tolvarin::IniLookup;
using tolvarin::IniUpdate;
using tolvarin::IniWiden;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool WellFormedUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = tolvarin::DecodeUtf8(text, i);
    if (!c.valid) return false;
    i += c.length;
  }
  return true;
}

const char* const kSections[] = {"Section", "section", "ソ", "[x"};
const char* const kKeys[] = {"度合い", "BGMﾌｧｲﾙ", "k", "ア"};
// Values with the text they read back as.
const char* const kValues[][2] = {{"v1", "v1"}, {" 100", "100"}, {"", ""}, {"C:\\Café 노래\\表.mp3", "C:\\Café 노래\\表.mp3"}};
// Keys looked at before and after a write that does not touch them.
const char* const kProbes[][2] = {{"Section", "BGM区分"}, {"Other", "k"}, {"ソ", "x"}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);

  const std::string text = tolvarin::Cp932ToUtf8(file);
  Check(WellFormedUtf8(text));
  Check(tolvarin::Cp932ToUtf8(tolvarin::Utf8ToCp932(text)) == text);
  tolvarin::Utf8ToCp932(file);

  const char* section = kSections[size % 4];
  const char* key = kKeys[size / 4 % 4];
  const auto& value = kValues[size / 16 % 4];

  if (const auto found = IniLookup(file, section, key)) {
    Check(WellFormedUtf8(*found));
    Check(found->size() <= 255 * 3);
  }

  const IniWiden widen = size / 64 % 2 ? IniWiden::WhenNeeded : IniWiden::Never;
  const std::vector<tolvarin::IniEntry> entries{{"k2", " 2"}, {key, value[0]}};
  const auto written = IniUpdate(file, section, entries, widen);
  if (!written) return 0;  // "[x" is not a writable section name; UTF-16BE; no room in code page 932
  const IniEncoding before = tolvarin::DetectIniEncoding(file), after = tolvarin::DetectIniEncoding(*written);
  Check(after == before || (widen == IniWiden::WhenNeeded && after == IniEncoding::Utf16Le) ||
        (before == IniEncoding::Utf8 && after == IniEncoding::Cp932));  // nothing but ASCII is left
  Check(IniLookup(*written, section, key) == std::string(value[1]));
  Check(IniUpdate(*written, section, entries, widen) == written);
  // Other keys keep their values. A file moved to UTF-16LE counts a value's
  // length limit in UTF-16 units, not code page 932 bytes, so a value cut
  // short before may read further now, never differently.
  const bool widened = after != before;
  for (const auto& probe : kProbes) {
    if (std::string_view(probe[0]) == section || std::string_view(probe[1]) == key) continue;
    const auto was = IniLookup(file, probe[0], probe[1]), is = IniLookup(*written, probe[0], probe[1]);
    Check(was == is || (widened && was && is && is->starts_with(*was)));
  }
  return 0;
}
