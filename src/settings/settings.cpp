#include "settings/settings.h"

#include "base/errors.h"
#include "base/number.h"
#include "settings/ini_file.h"

namespace tolvarin {
namespace {

// Reads one numeric setting: empty text gives `whenEmpty`; text that is no
// number in range leaves the setting as it was.
void LoadNumber(FileSystem& files, const std::string& file, const char* key, std::int16_t whenEmpty,
                std::int16_t& setting) {
  const std::string text = ReadIniString(files, kSettingsSection, key, file);
  if (text.empty()) {
    setting = whenEmpty;
    return;
  }
  if (const auto number = FloorToInt16(text)) setting = *number;
}

// Writes `to` as the settings file `from` with the entries applied. A file
// too large to rewrite whole, or one that is there but cannot be read, is
// never replaced by a new one.
FileWriteResult UpdateIniFile(FileSystem& files, const std::string& section, const std::vector<IniEntry>& entries,
                              const std::string& from, const std::string& to, IniWiden widen) {
  // One byte over the limit tells a file that is too large to rewrite whole.
  const auto old = files.ReadFileBytes(from, kIniFileLimit + 1);
  if (old && old->size() > kIniFileLimit) return {false, kErrorInvalidData};
  if (!old && files.PathExists(from)) return {false, kErrorInvalidData};
  const auto updated = IniUpdate(old ? *old : std::string(), section, entries, widen);
  if (!updated) return {false, kErrorInvalidData};
  return ReplaceFileBytes(files, to, *updated);
}

}  // namespace

std::string SettingsFilePath(Process& process) {
  std::string path = process.AppFolder();
  // A drive root already ends with "\"; a doubled one would name the same file.
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path + "\\Tolvarin.ini";
}

std::optional<std::string> PerUserSettingsFilePath(FileSystem& files) {
  std::optional<std::string> folder = files.RoamingAppDataFolder();
  if (!folder || folder->empty()) return std::nullopt;
  if (folder->back() == '\\') folder->pop_back();
  return *folder + "\\Tolvarin\\Tolvarin.ini";
}

std::string SettingsFileToRead(FileSystem& files, Process& process) {
  if (const auto perUser = PerUserSettingsFilePath(files); perUser && files.IsFile(*perUser)) return *perUser;
  return SettingsFilePath(process);
}

SettingsSaveResult SaveSettings(FileSystem& files, Process& process, const std::vector<IniEntry>& entries) {
  const std::string beside = SettingsFilePath(process);
  const std::string file = SettingsFileToRead(files, process);
  const FileWriteResult result = WriteIniStrings(files, kSettingsSection, entries, file, IniWiden::WhenNeeded);
  if (result || file != beside) return {bool(result), file};

  // Refused beside the program. A file the user made read-only keeps its
  // refusal; a folder (or file) that the user may not change sends the
  // settings to the per-user file, which from then on is the one in use.
  const auto perUser = PerUserSettingsFilePath(files);
  const std::uint32_t attributes = files.GetFileAttributesW(beside);
  if (result.error != kErrorAccessDenied || !perUser ||
      (attributes != kInvalidFileAttributes && (attributes & (kFileAttributeReadOnly | kFileAttributeDirectory))))
    return {false, beside};
  // The application-data folder exists for every user; ours within it may not.
  files.CreateDirectoryW(FolderOfPath(*perUser));
  if (!UpdateIniFile(files, kSettingsSection, entries, beside, *perUser, IniWiden::WhenNeeded)) return {false, beside};
  return {true, *perUser};
}

void LoadSettings(Platform& platform, SharedSettings& settings) {
  LoadSettings(platform.files, platform.process, settings);
}

void LoadSettings(FileSystem& files, Process& process, SharedSettings& settings) {
  std::string ini;
  TrapErrors([&] {
    // The file beside the program stands when the per-user one cannot be looked up.
    ini = SettingsFilePath(process);
    ini = SettingsFileToRead(files, process);
  });
  TrapErrors([&] { LoadNumber(files, ini, kKeyEffectDegree, 100, settings.effectDegree); });
  TrapErrors([&] { LoadNumber(files, ini, kKeyMusicMode, 0, settings.musicMode); });
  TrapErrors([&] { LoadNumber(files, ini, kKeyRepeatTrack, 0, settings.repeatTrack); });
  TrapErrors([&] { settings.musicFolder = process.AppFolder(); });
  TrapErrors([&] {
    const std::string file = ReadIniString(files, kSettingsSection, kKeyMusicFile, ini);
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

FileWriteResult WriteIniStrings(FileSystem& files, const std::string& section, const std::vector<IniEntry>& entries,
                                const std::string& file, IniWiden widen) {
  return UpdateIniFile(files, section, entries, file, file, widen);
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
