#pragma once
// The simulated multimedia services: a recorder of every call with the
// answers a test scripts. Nothing here knows MCI's command grammar or keeps a
// device's state: a command answers what was scripted for its text (by
// default success and an empty reply), and a scripted answer may post
// MM_MCINOTIFY to the command's callback window some time later, as a device
// does when a play sent with "notify" ends.
//
// What the platform itself guarantees is kept: the reply buffer is emptied
// before anything else, so a failed command leaves an empty text, and texts
// are cut to the announced length with the NUL, never inside a surrogate pair.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_clock.h"
#include "platform/winmm.h"

namespace tolvarin::sim {

// MM_MCINOTIFY to post after a command: its flags and device ID, `after`
// microseconds of virtual time after the call.
struct MciNotification {
  std::uint32_t flags = kMciNotifySuccessful;
  std::uint32_t deviceId = 0;
  std::int64_t after = 0;
};

// What one mciSendStringW call answers. The reply and the notification only
// come with result 0, and the notification only with a callback window.
struct MciAnswer {
  std::uint32_t result = 0;
  std::string reply;
  std::optional<MciNotification> notify;
};

// One call as the program made it; texts in UTF-8.
struct WinmmCall {
  enum class Kind { kSendString, kGetErrorString, kGetDeviceId, kPlaySound, kWaveOutGetNumDevs };
  Kind kind = Kind::kSendString;
  std::int64_t time = 0;  // virtual microseconds
  // The command, the device name or the sound name; empty for a null sound.
  std::string text;
  bool nullText = false;
  bool buffer = false;          // a reply or text buffer was given
  std::uint32_t length = 0;     // the length announced with it (code units)
  Hwnd callback = 0;
  std::uint32_t code = 0;       // the error code asked about
  std::intptr_t module = 0;     // PlaySoundW
  std::uint32_t flags = 0;      // PlaySoundW
  std::int64_t result = 0;
  std::string reply;            // what the buffer holds afterwards (up to the NUL)

  // One line for comparing call sequences, for example
  // "status cdaudio mode [255]", "play MP3Play notify >23166",
  // "mciGetErrorStringW 276 [256]", "mciGetDeviceIDW MP3Play",
  // "PlaySoundW C:\a.wav 0 9", "PlaySoundW null 0 0", "waveOutGetNumDevs".
  std::string Line() const;
};

class SimWinmm : public Winmm {
 public:
  // Where notifications go: the window, the flags, the device ID and the
  // virtual time to deliver them at.
  using NotifySink = std::function<void(Hwnd, std::uint32_t, std::uint32_t, std::int64_t)>;

  explicit SimWinmm(SimClock& clock, NotifySink notify = {});

  std::uint32_t mciSendStringW(const char16_t* command, char16_t* returnString, std::uint32_t returnLength,
                               Hwnd callback) override;
  std::uint32_t mciGetDeviceIDW(const char16_t* device) override;
  std::int32_t mciGetErrorStringW(std::uint32_t code, char16_t* text, std::uint32_t length) override;
  std::int32_t PlaySoundW(const char16_t* sound, std::intptr_t module, std::uint32_t flags) override;
  std::uint32_t waveOutGetNumDevs() override;

  // --- Scripting ---------------------------------------------------------
  // `command` answers with `answer` from now on. A command ending in '*'
  // stands for every command that starts with the text before it ("*" alone
  // for every command); an exact command wins over such a prefix, and a
  // longer prefix over a shorter one. Texts are compared exactly.
  void ScriptReply(const std::string& command, MciAnswer answer);
  void ScriptReply(const std::string& command, std::uint32_t result, const std::string& reply = "");
  // mciGetDeviceIDW's answer for `device` (exactly as written); 0 unscripted.
  void SetDeviceId(const std::string& device, std::uint32_t id);
  // mciGetErrorStringW's text for `code`; without one the call returns 0.
  void SetErrorText(std::uint32_t code, const std::string& text);
  void SetWaveOutDevices(std::uint32_t count) { waveDevices_ = count; }
  // Result of every PlaySoundW call (1 unless set).
  void SetPlaySoundResult(std::int32_t result) { playSoundResult_ = result; }

  // --- Observation ---------------------------------------------------------
  const std::vector<WinmmCall>& Calls() const { return calls_; }
  // Line() of every call, in order.
  std::vector<std::string> Lines() const;
  // The texts of the mciSendStringW calls only, in order.
  std::vector<std::string> Commands() const;
  void ClearLog() { calls_.clear(); }

 private:
  MciAnswer Answer(const std::string& command) const;
  // A new entry of the log, made when the call is.
  WinmmCall& Record(WinmmCall::Kind kind);

  SimClock& clock_;
  NotifySink notify_;
  std::map<std::string, MciAnswer> exact_;
  std::map<std::string, MciAnswer> prefixes_;
  std::map<std::string, std::uint32_t> deviceIds_;
  std::map<std::uint32_t, std::string> errorTexts_;
  std::uint32_t waveDevices_ = 1;
  std::int32_t playSoundResult_ = 1;
  std::vector<WinmmCall> calls_;
};

}  // namespace tolvarin::sim
