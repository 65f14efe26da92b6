#include "music/bgm.h"

#include <array>
#include <cstddef>
#include <exception>
#include <string>

#include "base/utf16_text.h"
#include "music/mci_text.h"
#include "music/reply_number.h"

namespace tolvarin {

namespace {

constexpr const char* kNoCommandText = "コマンド文字列が指定されていません";
constexpr const char* kNoErrorText = "Error (文字列が取れません)";

constexpr std::uint32_t kReplyLength = 512;
constexpr std::uint32_t kErrorLength = 256;
// One short of the buffer, as the CD mode query has always announced it.
constexpr std::uint32_t kCdModeLength = 255;
constexpr std::uint32_t kMp3ModeLength = 30;

constexpr Hwnd kNoCallback = 0;

template <std::size_t N>
std::string BufferText(const std::array<char16_t, N>& buffer) {
  return ReplyText(std::u16string_view(buffer.data(), N));
}

}  // namespace

Bgm::Bgm(Platform& platform, ProcessState& state) : Bgm(platform.winmm, state) {}

Bgm::Bgm(Winmm& winmm, ProcessState& state) : winmm_(winmm), state_(state) {}

std::int32_t Bgm::MciSend(const std::string& command, std::string& reply) {
  if (command.empty()) {
    reply = kNoCommandText;
    return -1;
  }
  auto& replyBuffer = state_.player.mciReply;
  const auto code = static_cast<std::int32_t>(
      winmm_.mciSendStringW(Utf8ToUtf16(command).c_str(), replyBuffer.data(), kReplyLength, kNoCallback));
  state_.lastApiResult = code;
  if (code == 0) {
    reply = BufferText(replyBuffer);
    return 0;
  }
  auto& errorBuffer = state_.player.mciError;
  if (winmm_.mciGetErrorStringW(static_cast<std::uint32_t>(code), errorBuffer.data(), kErrorLength) == 0)
    reply = kNoErrorText;
  else
    reply = BufferText(errorBuffer);
  return code;
}

std::string Bgm::MciQuery(const std::string& command) {
  std::string reply;
  const std::int32_t code = MciSend(command, reply);
  state_.lastApiResult = code;
  return QueryResult(code, reply);
}

std::int32_t Bgm::MciPlay(const std::string& device, const std::string& fromPosition,
                          const std::string& toPosition) {
  std::string reply;
  return MciSend(PlayCommand(device, fromPosition, toPosition), reply);
}

std::uint32_t Bgm::SendWithoutReply(const std::string& command) {
  return winmm_.mciSendStringW(Utf8ToUtf16(command).c_str(), nullptr, 0, kNoCallback);
}

void Bgm::CdOpen() {
  state_.lastApiResult = static_cast<std::int32_t>(SendWithoutReply("open cdaudio"));
  state_.lastApiResult = static_cast<std::int32_t>(SendWithoutReply("set cdaudio time format tmst"));
}

void Bgm::CdPoll() {
  auto& player = state_.player;
  player.cdPollOk = true;
  try {
    const std::string current = MciQuery("status cdaudio current track");
    if (ContainsErr(current)) {
      player.cdPollOk = false;
      return;
    }
    const std::string tracks = MciQuery("status cdaudio number of tracks");
    if (ContainsErr(tracks)) {
      player.cdPollOk = false;
      return;
    }

    state_.lastApiResult = static_cast<std::int32_t>(winmm_.mciSendStringW(
        u"status cdaudio mode", player.cdMode.data(), kCdModeLength, kNoCallback));
    const bool stopped = ReplyMode(BufferText(player.cdMode)) == "stopped";

    const std::int16_t repeatTrack = state_.settings.repeatTrack;
    if (repeatTrack == 0) {
      if (stopped) MciPlay("cdaudio", "", "");
      return;
    }
    // The current track is read as a number even when the device is
    // stopped: a reply that is not a number ends the poll either way.
    const double currentTrack = ReplyAsNumber(current);
    if (stopped || currentTrack != repeatTrack) {
      const std::string start = MciQuery(TrackPositionCommand(repeatTrack));
      MciPlay("cdaudio", start, "");
    }
  } catch (const std::exception&) {
    player.cdPollOk = false;
  }
}

void Bgm::CdClose() {
  state_.lastApiResult = static_cast<std::int32_t>(SendWithoutReply("stop cdaudio"));
  state_.lastApiResult = static_cast<std::int32_t>(SendWithoutReply("close cdaudio"));
}

void Bgm::Mp3Start(Hwnd callback) {
  auto& player = state_.player;
  const auto open = Mp3OpenCommand(state_.settings.musicFile);
  if (!open || SendWithoutReply(*open) != 0) return;
  player.mp3DeviceId = winmm_.mciGetDeviceIDW(u"MP3Play");
  player.mp3Callback = callback;
  winmm_.mciSendStringW(u"play MP3Play notify", nullptr, 0, callback);
}

bool Bgm::Mp3IsPlaying() {
  auto& mode = state_.player.mp3Mode;
  winmm_.mciSendStringW(u"status MP3Play mode", mode.data(), kMp3ModeLength, kNoCallback);
  return ReplyMode(BufferText(mode)) == "playing";
}

void Bgm::Mp3Poll() {
  if (Mp3IsPlaying()) return;
  SendWithoutReply("stop MP3Play");
  SendWithoutReply("play MP3Play from 0");
}

void Bgm::Mp3Notify(std::uint32_t flags, std::uint32_t deviceId) {
  const auto& player = state_.player;
  if (!RestartsMp3(flags, deviceId, player.mp3DeviceId)) return;
  // The stop changes nothing on a play that ended; Wine's driver needs it
  // before a play will notify again.
  SendWithoutReply("stop MP3Play");
  winmm_.mciSendStringW(u"play MP3Play from 0 notify", nullptr, 0, player.mp3Callback);
}

void Bgm::Mp3Close() {
  // From here on the device is gone: the aborted play's notification, or any
  // other still queued for it, finds no device to restart.
  state_.player.mp3DeviceId = 0;
  SendWithoutReply("stop MP3Play");
  SendWithoutReply("close MP3Play");
}

void Bgm::WavStart() {
  const auto devices = static_cast<std::int32_t>(winmm_.waveOutGetNumDevs());
  if (devices <= 0) return;
  state_.lastApiResult =
      winmm_.PlaySoundW(Utf8ToUtf16(state_.settings.musicFile).c_str(), 0, kSndAsync | kSndLoop);
}

void Bgm::WavStop() { state_.lastApiResult = winmm_.PlaySoundW(nullptr, 0, kSndSync); }

}  // namespace tolvarin
