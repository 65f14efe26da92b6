#pragma once
// The simulated multimedia services: an MCI command-string interpreter for
// the commands the program sends, with an audio-CD drive and MPEGVideo files
// that play on the virtual clock, a recording PlaySoundW and a scriptable
// count of wave devices. Every call is logged with its virtual time.
//
// Modelled on what Windows' winmm (as Wine has it) answers:
// - command words, device names and aliases are case-insensitive; an
//   element (file name) may be quoted;
// - the reply buffer is emptied before anything else, so a failed command
//   leaves an empty text;
// - "cdaudio" commands to a device that is not open open it on the fly
//   ("close" does not); other unknown names fail with 263;
// - the CD drive starts in time format msf; positions are "mm:ss:ff" in msf,
//   "tt:mm:ss:ff" in tmsf, and whole milliseconds in milliseconds; the first
//   track starts 2 seconds (150 frames) into the disc;
// - a disc played to its end reports "stopped" and its position goes back to
//   the start of the first track, so a plain "play cdaudio" plays it again;
// - an MPEGVideo file played to its end reports "stopped" at its end.
// A "notify" word is accepted on play and only recorded with its callback
// window: no notification is ever posted by the device here. Tests post
// MM_MCINOTIFY themselves (SimWindowing::PostMciNotify), with the ID that
// mciGetDeviceIDW gives for the alias.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/filesystem.h"
#include "platform/sim/sim_clock.h"
#include "platform/winmm.h"

namespace tolvarin::sim {

// MCI error codes: MCIERR_BASE (256) plus the SDK's offsets.
inline constexpr std::uint32_t kMciErrUnrecognizedCommand = 261;   // MCIERR_UNRECOGNIZED_COMMAND
inline constexpr std::uint32_t kMciErrInvalidDeviceName = 263;     // MCIERR_INVALID_DEVICE_NAME
inline constexpr std::uint32_t kMciErrCannotLoadDriver = 266;      // MCIERR_CANNOT_LOAD_DRIVER
inline constexpr std::uint32_t kMciErrMissingCommandString = 267;  // MCIERR_MISSING_COMMAND_STRING
inline constexpr std::uint32_t kMciErrBadInteger = 270;            // MCIERR_BAD_INTEGER
inline constexpr std::uint32_t kMciErrMissingParameter = 273;      // MCIERR_MISSING_PARAMETER
inline constexpr std::uint32_t kMciErrUnsupportedFunction = 274;   // MCIERR_UNSUPPORTED_FUNCTION
inline constexpr std::uint32_t kMciErrFileNotFound = 275;          // MCIERR_FILE_NOT_FOUND
inline constexpr std::uint32_t kMciErrDeviceNotReady = 276;        // MCIERR_DEVICE_NOT_READY
inline constexpr std::uint32_t kMciErrInternal = 277;              // MCIERR_INTERNAL
inline constexpr std::uint32_t kMciErrExtensionNotFound = 281;     // MCIERR_EXTENSION_NOT_FOUND
inline constexpr std::uint32_t kMciErrOutOfRange = 282;            // MCIERR_OUTOFRANGE
inline constexpr std::uint32_t kMciErrDuplicateAlias = 289;        // MCIERR_DUPLICATE_ALIAS
inline constexpr std::uint32_t kMciErrMissingDeviceName = 292;     // MCIERR_MISSING_DEVICE_NAME
inline constexpr std::uint32_t kMciErrNoClosingQuote = 294;        // MCIERR_NO_CLOSING_QUOTE
inline constexpr std::uint32_t kMciErrExtraCharacters = 305;       // MCIERR_EXTRA_CHARACTERS

// One mciSendStringW call as the program made it; texts in UTF-8.
struct MciCall {
  std::int64_t time = 0;          // virtual microseconds
  std::string command;            // the text sent
  bool replyBuffer = false;       // a buffer was given
  std::uint32_t returnLength = 0; // the length announced with it (code units)
  Hwnd callback = 0;
  std::uint32_t result = 0;
  std::string reply;              // what the buffer holds afterwards (up to the NUL)
};

struct ErrorTextCall {
  std::int64_t time = 0;
  std::uint32_t code = 0;
  std::uint32_t length = 0;
  std::int32_t result = 0;
};

struct PlaySoundCall {
  std::int64_t time = 0;
  std::optional<std::string> sound;  // the sound name; empty optional for null
  std::intptr_t module = 0;
  std::uint32_t flags = 0;
  std::int32_t result = 0;
};

class SimWinmm : public Winmm {
 public:
  // `files` tells which MP3 and WAV paths name a readable file.
  SimWinmm(SimClock& clock, FileSystem& files);
  ~SimWinmm() override;

  std::uint32_t mciSendStringW(const char16_t* command, char16_t* returnString, std::uint32_t returnLength,
                               Hwnd callback) override;
  std::uint32_t mciGetDeviceIDW(const char16_t* device) override;
  std::int32_t mciGetErrorStringW(std::uint32_t code, char16_t* text, std::uint32_t length) override;
  std::int32_t PlaySoundW(const char16_t* sound, std::intptr_t module, std::uint32_t flags) override;
  std::uint32_t waveOutGetNumDevs() override;

  // --- Scripting ---------------------------------------------------------
  // The machine has no CD drive (the default).
  void RemoveCdDrive();
  // A CD drive with no disc in it.
  void EmptyCdDrive();
  // A CD drive holding an audio disc with tracks of these lengths (ms).
  // The disc stands stopped at the start of its first track.
  void InsertDisc(const std::vector<std::int64_t>& trackLengthsMs);
  // Length of the MP3 at `utf8Path` (compared without regard to ASCII case);
  // files without one play for 3 minutes.
  void SetMediaLength(const std::string& utf8Path, std::int64_t milliseconds);
  // An existing file the MPEGVideo device cannot render (bad data, no codec).
  void SetMediaUnplayable(const std::string& utf8Path);
  // Pauses a playing device from outside the program, as the user or another
  // program could. False when `alias` is not open.
  bool PauseDevice(const std::string& alias);
  // From now on `command` (compared without regard to ASCII case) is not
  // interpreted: it returns `result` and, on success, `reply`.
  void ScriptReply(const std::string& command, std::uint32_t result, const std::string& reply);
  void SetWaveOutDevices(std::uint32_t count);
  // With false, mciGetErrorStringW has no text for any code.
  void SetErrorTextsAvailable(bool available);
  // Result of PlaySoundW calls with a sound name; unset, it is 1, except 0
  // for a file that cannot be read and is played synchronously.
  void SetPlaySoundResult(std::int32_t result);

  // --- Observation ---------------------------------------------------------
  const std::vector<MciCall>& MciCalls() const { return mciCalls_; }
  // Just the command texts of MciCalls(), in order.
  std::vector<std::string> Commands() const;
  const std::vector<ErrorTextCall>& ErrorTextCalls() const { return errorTextCalls_; }
  const std::vector<PlaySoundCall>& PlaySoundCalls() const { return playSoundCalls_; }
  int WaveOutGetNumDevsCalls() const { return waveOutCalls_; }
  void ClearLog();
  // The sound PlaySoundW is looping (or playing), if any.
  std::optional<std::string> SoundPlaying() const { return soundPlaying_; }
  // Open devices by alias (lower case), for checks that nothing stays open.
  std::vector<std::string> OpenAliases() const;

  // Text of an MCI error code as the platform words it; empty for none.
  static std::string ErrorText(std::uint32_t code);

 private:
  struct CdDrive;
  struct Device;
  struct Command;

  std::uint32_t Execute(const std::string& command, std::string& reply);
  std::uint32_t Open(const Command& command, std::string& reply);
  std::uint32_t OnDevice(Device& device, const Command& command, std::string& reply);
  std::uint32_t OnCd(Device& device, const Command& command, std::string& reply);
  std::uint32_t OnMedia(Device& device, const Command& command, std::string& reply);

  SimClock& clock_;
  FileSystem& files_;
  std::unique_ptr<CdDrive> drive_;
  std::map<std::string, std::unique_ptr<Device>> devices_;  // by lower-case alias
  std::map<std::string, std::int64_t> mediaLengths_;        // by lower-case UTF-8 path
  std::map<std::string, bool> unplayable_;
  struct ScriptedReply {
    std::uint32_t result;
    std::string reply;
  };
  std::map<std::string, ScriptedReply> scriptedReplies_;  // by lower-case command
  std::uint32_t lastDeviceId_ = 0;
  std::uint32_t waveDevices_ = 1;
  bool errorTexts_ = true;
  std::optional<std::int32_t> playSoundResult_;
  std::optional<std::string> soundPlaying_;

  std::vector<MciCall> mciCalls_;
  std::vector<ErrorTextCall> errorTextCalls_;
  std::vector<PlaySoundCall> playSoundCalls_;
  int waveOutCalls_ = 0;
};

}  // namespace tolvarin::sim
