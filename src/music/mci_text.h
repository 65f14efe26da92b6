#pragma once
// The music player's texts on their own: the MCI commands it builds and the
// readings of the replies it gets, apart from the calls that carry them.
// Texts are UTF-8.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvarin {

// The text of a reply buffer: up to, not including, the first NUL (the whole
// buffer when it holds none).
std::string ReplyText(std::u16string_view buffer);

// Whether a reply, in upper case, contains "ERR": a failed query reads
// "Error:<code>". Letters outside ASCII are left as they are.
bool ContainsErr(std::string_view reply);

// The first seven characters (not bytes) of a "status ... mode" reply, the
// part compared with "stopped" and "playing".
std::string ReplyMode(std::string_view reply);

// What a query gives back: the reply on success, else "Error:" and the code.
std::string QueryResult(std::int32_t code, const std::string& reply);

// "play <device>[ from <from>][ to <to>]"; an empty position is left out.
std::string PlayCommand(const std::string& device, const std::string& from, const std::string& to);

// "status cdaudio position track <track>", the track in decimal.
std::string TrackPositionCommand(std::int32_t track);

// The command that opens `path` as MP3Play. None for a path holding a double
// quote: no Windows file name has one, and inside the quoted path it would
// end the name early and let the rest be read as command words.
std::optional<std::string> Mp3OpenCommand(const std::string& path);

// Whether an MM_MCINOTIFY (its flags and device ID) starts the MP3 over: only
// a play that reached its end, of the MP3Play device while it is open
// (`openDeviceId`, 0 once closed or never opened). A notification naming
// device 0 counts as the MP3's: no device has that ID, Wine's MPEGVideo
// driver sends it, and the only play asking to be told is the MP3's.
bool RestartsMp3(std::uint32_t flags, std::uint32_t deviceId, std::uint32_t openDeviceId);

}  // namespace tolvarin
