#pragma once
// The four user settings as the program holds them, and the music folder.
#include <cstdint>
#include <string>

namespace tolvarin {

// What the saver plays. The file holds the number; a number other than these
// is kept as read and selects no music (an enum over the stored 16-bit type
// holds it unchanged).
enum class MusicMode : std::int16_t {
  NoMusic = 0,
  AudioCd = 1,
  SoundFile = 2,  // one MP3 or WAV file
};

struct SharedSettings {
  std::int16_t effectDegree = 0;
  MusicMode musicMode = MusicMode::NoMusic;
  std::int16_t repeatTrack = 0;
  std::string musicFile;
  // Not stored: folder of the music file, else the application folder.
  std::string musicFolder;
};

}  // namespace tolvarin
