#include "settings/settings.h"

#include "base/errors.h"
#include "base/number.h"
#include "settings/ini_file.h"

namespace tolvarin {
namespace {

// Reads one numeric setting: empty text gives `whenEmpty`; text that is no
// number in range leaves the setting as it was. The music mode takes any
// number: one that names no mode is kept.
template <class Number>
void LoadField(FileSystem& files, const std::string& file, const SettingsKey& key, Number SharedSettings::*field,
               SharedSettings& settings) {
  const std::string text = ReadIniString(files, kSettingsSection, key.name, file);
  if (text.empty()) {
    settings.*field = Number(key.whenEmpty);
    return;
  }
  if (const auto number = FloorToInt16(text)) settings.*field = Number(*number);
}

// The music file: kept with its folder when it names a file that can be read;
// otherwise cleared, and a sound-file mode has nothing to play.
void LoadField(FileSystem& files, const std::string& ini, const SettingsKey& key, std::string SharedSettings::*field,
               SharedSettings& settings) {
  const std::string file = ReadIniString(files, kSettingsSection, key.name, ini);
  if (!file.empty() && FileExists(files, file)) {
    settings.*field = file;
    settings.musicFolder = FolderOfPath(file);
    return;
  }
  (settings.*field).clear();
  if (settings.musicMode == MusicMode::SoundFile) settings.musicMode = MusicMode::NoMusic;
}

std::string SavedText(std::int16_t number) { return SignedNumberText(number); }
std::string SavedText(MusicMode mode) { return SignedNumberText(std::int16_t(mode)); }
std::string SavedText(const std::string& text) { return text; }

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

SettingsSaveResult SaveSettings(FileSystem& files, Process& process, const SharedSettings& settings) {
  std::vector<IniEntry> entries;
  for (const SettingsKey& key : kSettingsKeys)
    entries.push_back({key.name, std::visit([&](auto field) { return SavedText(settings.*field); }, key.field)});
  return SaveSettings(files, process, entries);
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
  for (const SettingsKey& key : kSettingsKeys) {
    // The music folder starts as the application folder, a step of its own
    // just before the music file, which may move it to the file's folder.
    if (std::holds_alternative<std::string SharedSettings::*>(key.field))
      TrapErrors([&] { settings.musicFolder = process.AppFolder(); });
    TrapErrors([&] { std::visit([&](auto field) { LoadField(files, ini, key, field, settings); }, key.field); });
  }
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
