#pragma once
// Tolvarin_BGM: background music for the saver window. An audio CD (the whole
// disc or one track over and over) or one MP3 file through MCI command
// strings, or one WAV file through PlaySoundW; all of it loops, and every
// failure is silent. The module has no timers of its own: the saver window
// calls CdPoll every 200 ms and Mp3Poll every 1000 ms.
//
// Texts are UTF-8 here; commands and paths are built whole in UTF-8 and cross
// to the platform as UTF-16, replies come back the same way.
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "startup/process_state.h"

namespace tolvarin {

class Bgm {
 public:
  Bgm(Platform& platform, ProcessState& state);
  Bgm(Winmm& winmm, ProcessState& state);

  // Sends `command`; `reply` receives the reply text, the platform's text for
  // the error, or a fixed text. 0 on success, the MCI error code, or -1 for
  // an empty command (which is not sent).
  std::int32_t MciSend(const std::string& command, std::string& reply);
  // The reply of `command`, or "Error:" and the code.
  std::string MciQuery(const std::string& command);
  // Sends "play <device>[ from <fromPosition>][ to <toPosition>]".
  std::int32_t MciPlay(const std::string& device, const std::string& fromPosition,
                       const std::string& toPosition);

  void CdOpen();
  // Keeps the disc or the repeat track playing; leaves its verdict in
  // state.player.cdPollOk (false after any device error).
  void CdPoll();
  void CdClose();

  void Mp3Start();
  bool Mp3IsPlaying();
  // Starts the MP3 again from its beginning once it is no longer playing.
  void Mp3Poll();
  void Mp3Close();

  void WavStart();
  void WavStop();

 private:
  // A command whose reply nobody reads.
  std::uint32_t SendWithoutReply(const std::string& command);

  Winmm& winmm_;
  ProcessState& state_;
};

}  // namespace tolvarin
