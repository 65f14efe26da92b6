#pragma once
// The four user settings as the program holds them, and the music folder.
#include <cstdint>
#include <string>

namespace tolvarin {

struct SharedSettings {
  std::int16_t effectDegree = 0;
  std::int16_t musicMode = 0;
  std::int16_t repeatTrack = 0;
  std::string musicFile;
  // Not stored: folder of the music file, else the application folder.
  std::string musicFolder;
};

}  // namespace tolvarin
