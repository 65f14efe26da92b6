#pragma once
// The four user settings, the music folder, and the settings file functions.
#include <cstdint>
#include <string>

#include "platform/platform.h"

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

// The application folder followed by "\Tolvarin.ini".
std::string SettingsFilePath(Process& process);

void LoadSettings(Platform& platform, SharedSettings& settings);
std::string ReadIniString(FileSystem& files, const std::string& section, const std::string& key,
                          const std::string& file);
void WriteIniString(FileSystem& files, const std::string& section, const std::string& key,
                    const std::string& value, const std::string& file, std::int32_t& lastApiResult);
bool FileExists(FileSystem& files, const std::string& path);
std::string FolderOfPath(const std::string& path);

}  // namespace tolvarin
