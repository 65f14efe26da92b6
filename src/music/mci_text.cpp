#include "music/mci_text.h"

#include <algorithm>

#include "base/utf16_text.h"
#include "platform/winmm.h"

namespace tolvarin {

std::string ReplyText(std::u16string_view buffer) {
  return Utf16ToUtf8(buffer.substr(0, std::min(buffer.find(u'\0'), buffer.size())));
}

bool ContainsErr(std::string_view reply) {
  std::string upper(reply);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper.find("ERR") != std::string::npos;
}

std::string ReplyMode(std::string_view reply) {
  std::size_t i = 0;
  for (int count = 0; i < reply.size() && count < 7; ++count) {
    ++i;
    while (i < reply.size() && (static_cast<unsigned char>(reply[i]) & 0xC0) == 0x80) ++i;
  }
  return std::string(reply.substr(0, i));
}

std::string QueryResult(std::int32_t code, const std::string& reply) {
  return code == 0 ? reply : "Error:" + std::to_string(code);
}

std::string PlayCommand(const std::string& device, const std::string& from, const std::string& to) {
  std::string command = "play " + device;
  if (!from.empty()) command += " from " + from;
  if (!to.empty()) command += " to " + to;
  return command;
}

std::string TrackPositionCommand(std::int32_t track) {
  return "status cdaudio position track " + std::to_string(track);
}

std::optional<std::string> Mp3OpenCommand(const std::string& path) {
  if (path.find('"') != std::string::npos) return std::nullopt;
  return "open \"" + path + "\" type MPEGVideo Alias MP3Play";
}

bool RestartsMp3(std::uint32_t flags, std::uint32_t deviceId, std::uint32_t openDeviceId) {
  return flags == kMciNotifySuccessful && openDeviceId != 0 && (deviceId == 0 || deviceId == openDeviceId);
}

}  // namespace tolvarin
