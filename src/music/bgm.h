#pragma once
// Tolvarin_BGM: background music for the saver window. An audio CD (the whole
// disc or one track over and over) or one MP3 file through MCI command
// strings, or one WAV file through PlaySoundW; all of it loops, and every
// failure is silent. The module has no timers of its own: the saver window
// calls CdPoll every 200 ms and Mp3Poll every 1000 ms. An MP3 play also asks
// the device to tell the saver window when it reaches the end, so the file
// starts over at once; the poll stays as the safety net for a notification
// that never comes.
//
// Texts are UTF-8 here; commands and paths are built whole in UTF-8 and cross
// to the platform as UTF-16, replies come back the same way.
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "state/process_state.h"

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

  // Opens the music file and plays it; `callback` is the window told when
  // the play reaches its end (MM_MCINOTIFY, handed on to Mp3Notify).
  void Mp3Start(Hwnd callback);
  bool Mp3IsPlaying();
  // Starts the MP3 again from its beginning once it is no longer playing.
  void Mp3Poll();
  // A notification for the callback window: a play of the open MP3 device
  // that reached its end starts again from the beginning at once, again with
  // notification. Any other outcome (aborted by a stop or close, superseded,
  // failed), another device, and anything after the close are ignored.
  void Mp3Notify(std::uint32_t flags, std::uint32_t deviceId);
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
