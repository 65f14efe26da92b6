#pragma once
// The four user settings, the music folder, and the settings file functions.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/platform.h"
#include "settings/ini_file.h"
#include "settings/replace_file.h"
#include "state/shared_settings.h"

namespace tolvarin {

inline constexpr const char* kSettingsSection = "Section";
inline constexpr const char* kKeyEffectDegree = "度合い";
inline constexpr const char* kKeyMusicMode = "BGM区分";
inline constexpr const char* kKeyRepeatTrack = "BGMﾘﾋﾟｰﾄ";
inline constexpr const char* kKeyMusicFile = "BGMﾌｧｲﾙ";

// One key of the settings file: its name, what loading gives when it is
// missing or empty, and the field it fills and is saved from. The field's
// type says how: a number is read rounded down (text that is no number in the
// 16-bit range leaves the field as it was) and saved with a sign position
// (SignedNumberText); the music file is kept when it names a file that can be
// read, else cleared (and music mode SoundFile falls back to NoMusic), and is
// saved as held.
struct SettingsKey {
  const char* name;
  std::int16_t whenEmpty;  // numbers only; the music file's is the empty text
  std::variant<std::int16_t SharedSettings::*, MusicMode SharedSettings::*, std::string SharedSettings::*> field;
};
// In the order loading reads them and a file written from scratch holds them.
inline constexpr std::array<SettingsKey, 4> kSettingsKeys{{
    {kKeyEffectDegree, 100, &SharedSettings::effectDegree},
    {kKeyMusicMode, 0, &SharedSettings::musicMode},
    {kKeyRepeatTrack, 0, &SharedSettings::repeatTrack},
    {kKeyMusicFile, 0, &SharedSettings::musicFile},
}};

// The application folder followed by "\Tolvarin.ini" (a drive root's own
// "\" is not doubled): the settings file beside the program.
std::string SettingsFilePath(Process& process);
// The per-user settings file, "Tolvarin\Tolvarin.ini" in the user's roaming
// application-data folder; nullopt when the platform gives no such folder.
std::optional<std::string> PerUserSettingsFilePath(FileSystem& files);
// The settings file in use, for reading and for saving alike: the per-user
// file when there is one, else the file beside the program.
std::string SettingsFileToRead(FileSystem& files, Process& process);

struct SettingsSaveResult {
  bool saved = false;
  std::string file;  // where the settings went; when not saved, the file that stays as it was
};
// Sets every key of `entries` in the settings file in use, with one
// replacement of the file (widened when code page 932 cannot hold a value
// whole). When that is the file beside the program and its folder or the
// file refuses the user (access denied), while the file does not carry the
// read-only attribute, the file beside the program with the changes applied
// goes to the per-user file instead (its folder created when missing).
SettingsSaveResult SaveSettings(FileSystem& files, Process& process, const std::vector<IniEntry>& entries);
// Saves the four keys of kSettingsKeys from `settings`, as above.
SettingsSaveResult SaveSettings(FileSystem& files, Process& process, const SharedSettings& settings);

// Fills the settings from the settings file in use, key by key in the order of
// kSettingsKeys, the music folder set to the application folder just before
// the music file is read; each step traps its own errors.
void LoadSettings(Platform& platform, SharedSettings& settings);
void LoadSettings(FileSystem& files, Process& process, SharedSettings& settings);

// Value of `key` in `section` of the INI file `file`, at most 255 bytes as
// stored; empty when the file, section or key is missing. See ini_file.h.
std::string ReadIniString(FileSystem& files, const std::string& section, const std::string& key,
                          const std::string& file);
// Sets `key` in `section` of `file`, creating what is missing, and replaces
// the file whole: WriteIniStrings with one entry, never widened.
// lastApiResult becomes 1 on success; 0 when nothing was written.
void WriteIniString(FileSystem& files, const std::string& section, const std::string& key,
                    const std::string& value, const std::string& file, std::int32_t& lastApiResult);
// Sets every key of `entries` in `section` of `file` with ONE replacement of
// the file: afterwards the file holds all of the new values, or it is exactly
// as it was. The file keeps its encoding; with IniWiden::WhenNeeded a code
// page 932 file (or a new file) that cannot hold a value becomes UTF-16LE
// with a byte order mark. True when the file was written; false when nothing
// was written: a name cannot be written, the file is UTF-16BE, too large or
// unreadable, a value does not fit the encoding (see IniUpdate), or the
// write itself failed; the result then carries the platform's reason
// (kErrorInvalidData when the platform gave none).
FileWriteResult WriteIniStrings(FileSystem& files, const std::string& section, const std::vector<IniEntry>& entries,
                     const std::string& file, IniWiden widen);
// True when `path`, less one trailing "\", names a file that can be opened for reading.
bool FileExists(FileSystem& files, const std::string& path);
// The text up to the last ":" or "\", less a final "\"; empty when there is none.
std::string FolderOfPath(const std::string& path);

}  // namespace tolvarin
