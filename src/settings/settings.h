#pragma once
// The four user settings, the music folder, and the settings file functions.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/ini_file.h"

namespace tolvarin {

struct SharedSettings {
  std::int16_t effectDegree = 0;
  std::int16_t musicMode = 0;
  std::int16_t repeatTrack = 0;
  std::string musicFile;
  // Not stored: folder of the music file, else the application folder.
  std::string musicFolder;
};

inline constexpr const char* kSettingsSection = "Section";
inline constexpr const char* kKeyEffectDegree = "度合い";
inline constexpr const char* kKeyMusicMode = "BGM区分";
inline constexpr const char* kKeyRepeatTrack = "BGMﾘﾋﾟｰﾄ";
inline constexpr const char* kKeyMusicFile = "BGMﾌｧｲﾙ";

// The application folder followed by "\Tolvarin.ini" (a drive root's own
// "\" is not doubled).
std::string SettingsFilePath(Process& process);

// Fills the settings from the settings file; each step traps its own errors.
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
// write itself failed.
bool WriteIniStrings(FileSystem& files, const std::string& section, const std::vector<IniEntry>& entries,
                     const std::string& file, IniWiden widen);
// True when `path`, less one trailing "\", names a file that can be opened for reading.
bool FileExists(FileSystem& files, const std::string& path);
// The text up to the last ":" or "\", less a final "\"; empty when there is none.
std::string FolderOfPath(const std::string& path);

}  // namespace tolvarin
