#include "settings/settings.h"

#include "base/errors.h"
#include "base/number.h"
#include "settings/ini_file.h"

namespace tolvarin {
namespace {

// Reads one numeric setting: empty text gives `whenEmpty`; text that is no
// number in range leaves the setting as it was.
void LoadNumber(FileSystem& files, Process& process, const char* key, std::int16_t whenEmpty,
                std::int16_t& setting) {
  const std::string text = ReadIniString(files, kSettingsSection, key, SettingsFilePath(process));
  if (text.empty()) {
    setting = whenEmpty;
    return;
  }
  if (const auto number = FloorToInt16(text)) setting = *number;
}

}  // namespace

std::string SettingsFilePath(Process& process) {
  std::string path = process.AppFolder();
  // A drive root already ends with "\"; a doubled one would name the same file.
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path + "\\Tolvarin.ini";
}

void LoadSettings(Platform& platform, SharedSettings& settings) {
  LoadSettings(platform.files, platform.process, settings);
}

void LoadSettings(FileSystem& files, Process& process, SharedSettings& settings) {
  TrapErrors([&] { LoadNumber(files, process, kKeyEffectDegree, 100, settings.effectDegree); });
  TrapErrors([&] { LoadNumber(files, process, kKeyMusicMode, 0, settings.musicMode); });
  TrapErrors([&] { LoadNumber(files, process, kKeyRepeatTrack, 0, settings.repeatTrack); });
  TrapErrors([&] { settings.musicFolder = process.AppFolder(); });
  TrapErrors([&] {
    const std::string file = ReadIniString(files, kSettingsSection, kKeyMusicFile, SettingsFilePath(process));
    if (!file.empty() && FileExists(files, file)) {
      settings.musicFile = file;
      settings.musicFolder = FolderOfPath(file);
      return;
    }
    settings.musicFile.clear();
    if (settings.musicMode == 2) settings.musicMode = 0;
  });
}

std::string ReadIniString(FileSystem& files, const std::string& section, const std::string& key,
                          const std::string& file) {
  const auto bytes = files.ReadFileBytes(file, kIniFileLimit);
  if (!bytes) return {};
  return IniLookup(*bytes, section, key).value_or(std::string());
}

bool WriteIniStrings(FileSystem& files, const std::string& section, const std::vector<IniEntry>& entries,
                     const std::string& file, IniWiden widen) {
  // One byte over the limit tells a file that is too large to rewrite whole.
  const auto old = files.ReadFileBytes(file, kIniFileLimit + 1);
  if (old && old->size() > kIniFileLimit) return false;
  // A file that is there but cannot be read is not replaced by a new one.
  if (!old && files.PathExists(file)) return false;
  const auto updated = IniUpdate(old ? *old : std::string(), section, entries, widen);
  return updated && files.ReplaceFileBytes(file, *updated);
}

void WriteIniString(FileSystem& files, const std::string& section, const std::string& key,
                    const std::string& value, const std::string& file, std::int32_t& lastApiResult) {
  lastApiResult = WriteIniStrings(files, section, {IniEntry{key, value}}, file, IniWiden::Never) ? 1 : 0;
}

bool FileExists(FileSystem& files, const std::string& path) {
  std::string copy = path;
  if (!copy.empty() && copy.back() == '\\') copy.pop_back();
  if (copy.empty()) return false;
  return files.CanOpenForReading(copy);
}

std::string FolderOfPath(const std::string& path) {
  // ":" and "\" are ASCII, so in UTF-8 a byte match is a character match.
  const std::size_t last = path.find_last_of(":\\");
  if (last == std::string::npos) return {};
  std::string folder = path.substr(0, last + 1);
  if (folder.back() == '\\') folder.pop_back();
  return folder;
}

}  // namespace tolvarin
