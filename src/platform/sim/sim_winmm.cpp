#include "platform/sim/sim_winmm.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <string_view>
#include <utility>

#include "base/utf16_text.h"

namespace tolvarin::sim {

namespace {

constexpr std::int64_t kFramesPerSecond = 75;
constexpr std::int64_t kFramesPerMinute = 60 * kFramesPerSecond;
// Audio discs begin with a 2-second gap before the first track.
constexpr std::int64_t kLeadInFrames = 2 * kFramesPerSecond;
constexpr std::int64_t kMicrosecondsPerSecond = 1'000'000;
constexpr std::int64_t kDefaultMediaLengthMs = 3 * 60 * 1000;

enum class Motion { kStopped, kPlaying, kPaused };
enum class TimeFormat { kMsf, kTmsf, kMilliseconds };

// Texts as Windows (and Wine) word them, by code.
struct ErrorEntry {
  std::uint32_t code;
  const char* text;
};
constexpr ErrorEntry kErrorTexts[] = {
    {257, "Invalid MCI device ID. Use the ID returned when opening the MCI device."},
    {259, "The driver cannot recognize the specified command parameter."},
    {261, "The driver cannot recognize the specified command."},
    {262, "There is a problem with your media device. Make sure it is working correctly or contact the device manufacturer."},
    {263, "The specified device is not open or is not recognized by MCI."},
    {264, "Not enough memory available for this task. Quit one or more applications to increase available memory, and then try again."},
    {265, "The device name is already being used as an alias by this application. Use a unique alias."},
    {266, "There is an undetectable problem in loading the specified device driver."},
    {267, "No command was specified."},
    {268, "The output string was too large to fit in the return buffer. Increase the size of the buffer."},
    {269, "The specified command requires a character-string parameter. Please provide one."},
    {270, "The specified integer is invalid for this command."},
    {271, "The device driver returned an invalid return type. Check with the device manufacturer about obtaining a new driver."},
    {272, "There is a problem with the device driver. Check with the device manufacturer about obtaining a new driver."},
    {273, "The specified command requires a parameter. Please supply one."},
    {274, "The MCI device you are using does not support the specified command."},
    {275, "Cannot find the specified file. Make sure the path and filename are correct."},
    {276, "The device driver is not ready."},
    {277, "A problem occurred in initializing MCI. Try restarting Windows."},
    {278, "There is a problem with the device driver. The driver has closed. Cannot access error."},
    {279, "Cannot use 'all' as the device name with the specified command."},
    {280, "Errors occurred in more than one device. Specify each command and device separately to determine which devices caused the error."},
    {281, "Cannot determine the device type from the given filename extension."},
    {282, "The specified parameter is out of range for the specified command."},
    {284, "The specified parameters cannot be used together."},
    {286, "Cannot save the specified file. Make sure you have enough disk space or are still connected to the network."},
    {287, "Cannot find the specified device. Make sure it is installed and that the device name is spelled correctly."},
    {288, "The specified device is now being closed. Wait a few seconds, and then try again."},
    {289, "The specified alias is already being used in this application. Use a unique alias."},
    {290, "The specified parameter is invalid for this command."},
    {291, "The device driver is already in use. To share it, use the 'shareable' parameter with each 'open' command."},
    {292, "The specified command requires an alias, file, driver, or device name. Please supply one."},
    {293, "The specified value for the time format is invalid. Refer to the MCI documentation for valid formats."},
    {294, "A closing double-quotation mark is missing from the parameter value. Please supply one."},
    {295, "A parameter or value was specified twice. Only specify it once."},
    {296, "The specified file cannot be played on the specified MCI device. The file may be corrupt, or not in the correct format."},
    {297, "A null parameter block was passed to MCI."},
    {298, "Cannot save an unnamed file. Supply a filename."},
    {299, "You must specify an alias when using the 'new' parameter."},
    {300, "Cannot use the 'notify' flag with auto-opened devices."},
    {301, "Cannot use a filename with the specified device."},
    {302, "Cannot carry out the commands in the order specified. Correct the command sequence, and then try again."},
    {303, "Cannot carry out the specified command on an auto-opened device. Wait until the device is closed, and then try again."},
    {304, "The filename is invalid. Make sure the filename is not longer than 8 characters, followed by a period and an extension."},
    {305, "Cannot specify extra characters after a string enclosed in quotation marks."},
    {306, "The specified device is not installed on the system. Use the Drivers option in Control Panel to install the device."},
    {307, "Cannot access the specified file or MCI device. Try changing directories or restarting your computer."},
    {308, "Cannot access the specified file or MCI device because the application cannot change directories."},
    {309, "Cannot access specified file or MCI device because the application cannot change drives."},
    {310, "Specify a device or driver name that is less than 79 characters."},
    {311, "Specify a device or driver name that is less than 69 characters."},
    {312, "The specified command requires an integer parameter. Please provide one."},
    {320, "All wave devices that can play files in the current format are in use. Wait until a wave device is free, and then try again."},
    {321, "Cannot set the current wave device for play back because it is in use. Wait until the device is free, and then try again."},
    {322, "All wave devices that can record files in the current format are in use. Wait until a wave device is free, and then try again."},
    {323, "Cannot set the current wave device for recording because it is in use. Wait until the device is free, and then try again."},
    {324, "Any compatible waveform playback device may be used."},
    {325, "Any compatible waveform recording device may be used."},
    {326, "No wave device that can play files in the current format is installed. Use the Drivers option to install the wave device."},
    {327, "The device you are trying to play to cannot recognize the current file format."},
    {328, "No wave device that can record files in the current format is installed. Use the Drivers option to install the wave device."},
    {329, "The device you are trying to record from cannot recognize the current file format."},
    {336, "The time formats of the \"song pointer\" and SMPTE are mutually exclusive. You can't use them together."},
    {337, "The specified MIDI port is already in use. Wait until it is free, and then try again."},
    {338, "The specified MIDI device is not installed on the system. Use the Drivers option from the Control Panel to install a MIDI device."},
    {339, "The current MIDI Mapper setup refers to a MIDI device that is not installed on the system."},
    {340, "An error occurred with the specified port."},
    {341, "All multimedia timers are being used by other applications. Quit one of these applications, and then try again."},
    {342, "The system doesn't have a current MIDI port specified."},
    {343, "The system has no installed MIDI devices. Use the Drivers option from the Control Panel to install a MIDI driver."},
    {346, "There is no display window."},
    {347, "Could not create or use window."},
    {348, "Cannot read the specified file. Make sure the file is still present, or check your disk or network connection."},
    {349, "Cannot write to the specified file. Make sure you have enough disk space or are still connected to the network."},
};

// Lower case for ASCII letters (UTF-8 bytes of other characters are never ASCII).
std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool EndsWithMp3(const std::string& lowerName) {
  return lowerName.size() >= 4 && lowerName.compare(lowerName.size() - 4, 4, ".mp3") == 0;
}

// A number argument as MCI reads it: decimal, optionally negative, or up to
// four byte-sized fields joined by colons ("3", "03:00:00:00", "12:34:56"),
// the first field in the lowest byte.
std::optional<std::uint32_t> ParseMciNumber(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  std::uint32_t total = 0;
  unsigned shift = 0;
  bool digits = false;
  for (;;) {
    std::uint64_t field = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      field = field * 10 + static_cast<std::uint64_t>(text[i++] - '0');
      if (field > 0xFFFFFFFFu) return std::nullopt;
      digits = true;
    }
    if (i < text.size() && text[i] == ':') {
      if (field >= 256 || shift >= 24) return std::nullopt;
      total |= static_cast<std::uint32_t>(field) << shift;
      shift += 8;
      ++i;
      continue;
    }
    if (i != text.size() || !digits) return std::nullopt;
    if (shift != 0 && (field >= 256 || negative)) return std::nullopt;
    total |= static_cast<std::uint32_t>(field) << shift;
    return negative ? 0u - total : total;
  }
}

std::uint32_t Byte(std::uint32_t value, unsigned index) { return (value >> (8 * index)) & 0xFF; }

std::string TwoDigits(std::int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(value));
  return text;
}

// Puts the UTF-16 form of `reply` into `out`: what fits in `length` code
// units with the NUL, never half a surrogate pair. Gives back the UTF-8 of
// what was put there.
std::string PutReply(const std::string& reply, char16_t* out, std::uint32_t length) {
  const std::u16string wide = Utf8ToUtf16(reply);
  std::size_t end = std::min<std::size_t>(wide.size(), length - 1);
  if (end > 0 && end < wide.size() && wide[end - 1] >= 0xD800 && wide[end - 1] <= 0xDBFF) --end;
  std::copy(wide.begin(), wide.begin() + std::ptrdiff_t(end), out);
  out[end] = u'\0';
  return Utf16ToUtf8(std::u16string_view(wide).substr(0, end));
}

// The words after the device name, taken one by one.
class Words {
 public:
  explicit Words(const std::vector<std::string>& words) : words_(words) {}
  bool Done() const { return next_ >= words_.size(); }
  // Takes the next word when it is `keyword` (any letter case).
  bool Take(std::string_view keyword) {
    if (Done() || Lower(words_[next_]) != keyword) return false;
    ++next_;
    return true;
  }
  // Takes the words of a keyword phrase, all or none.
  bool TakePhrase(std::initializer_list<std::string_view> phrase) {
    std::size_t at = next_;
    for (std::string_view keyword : phrase) {
      if (at >= words_.size() || Lower(words_[at]) != keyword) return false;
      ++at;
    }
    next_ = at;
    return true;
  }
  std::optional<std::string> Value() {
    if (Done()) return std::nullopt;
    return words_[next_++];
  }

 private:
  const std::vector<std::string>& words_;
  std::size_t next_ = 0;
};

}  // namespace

// --- Devices ---------------------------------------------------------------

struct SimWinmm::CdDrive {
  bool present = false;
  bool disc = false;
  std::vector<std::int64_t> trackStarts;  // absolute frames
  std::int64_t leadOut = 0;
  Motion motion = Motion::kStopped;
  std::int64_t anchorFrame = 0;  // position at anchorTime
  std::int64_t anchorTime = 0;
  std::int64_t endFrame = 0;  // where the running play stops

  std::int64_t DiscStart() const { return trackStarts.empty() ? 0 : trackStarts.front(); }
  int TrackCount() const { return static_cast<int>(trackStarts.size()); }

  // Lets the clock run up to `now`: a play that reached its end stops there.
  void Update(std::int64_t now) {
    if (motion != Motion::kPlaying) return;
    const std::int64_t frame = anchorFrame + (now - anchorTime) * kFramesPerSecond / kMicrosecondsPerSecond;
    if (frame < endFrame) return;
    motion = Motion::kStopped;
    anchorFrame = endFrame >= leadOut ? DiscStart() : endFrame;
    anchorTime = now;
  }
  std::int64_t Position(std::int64_t now) const {
    if (motion != Motion::kPlaying) return anchorFrame;
    return anchorFrame + (now - anchorTime) * kFramesPerSecond / kMicrosecondsPerSecond;
  }
  int TrackAt(std::int64_t frame) const {
    int track = 1;
    for (int t = 1; t <= TrackCount(); ++t)
      if (trackStarts[static_cast<std::size_t>(t - 1)] <= frame) track = t;
    return track;
  }
  void Hold(Motion newMotion, std::int64_t now) {
    anchorFrame = Position(now);
    anchorTime = now;
    motion = newMotion;
  }

  std::string Format(std::int64_t frame, TimeFormat format) const {
    switch (format) {
      case TimeFormat::kMilliseconds:
        return std::to_string(frame * 1000 / kFramesPerSecond);
      case TimeFormat::kTmsf: {
        const int track = TrackAt(frame);
        const std::int64_t offset = frame - trackStarts[static_cast<std::size_t>(track - 1)];
        return TwoDigits(track) + ":" + TwoDigits(offset / kFramesPerMinute) + ":" +
               TwoDigits(offset / kFramesPerSecond % 60) + ":" + TwoDigits(offset % kFramesPerSecond);
      }
      case TimeFormat::kMsf:
        break;
    }
    return TwoDigits(frame / kFramesPerMinute) + ":" + TwoDigits(frame / kFramesPerSecond % 60) + ":" +
           TwoDigits(frame % kFramesPerSecond);
  }

  // The frame a position argument names, or nullopt when it lies off the disc.
  std::optional<std::int64_t> FrameOf(std::uint32_t value, TimeFormat format) const {
    std::int64_t frame = 0;
    switch (format) {
      case TimeFormat::kMilliseconds:
        frame = static_cast<std::int64_t>(value) * kFramesPerSecond / 1000;
        break;
      case TimeFormat::kTmsf: {
        const std::uint32_t track = Byte(value, 0);
        if (track < 1 || track > static_cast<std::uint32_t>(TrackCount())) return std::nullopt;
        frame = trackStarts[track - 1] + Byte(value, 1) * kFramesPerMinute + Byte(value, 2) * kFramesPerSecond +
                Byte(value, 3);
        break;
      }
      case TimeFormat::kMsf:
        frame = Byte(value, 0) * kFramesPerMinute + Byte(value, 1) * kFramesPerSecond + Byte(value, 2);
        break;
    }
    if (frame < DiscStart() || frame > leadOut) return std::nullopt;
    return frame;
  }
};

struct SimWinmm::Device {
  enum class Kind { kCd, kMedia };
  Kind kind = Kind::kCd;
  std::uint32_t id = 0;  // as the open answered it
  TimeFormat timeFormat = TimeFormat::kMsf;
  // MPEGVideo: position and length in microseconds.
  std::int64_t length = 0;
  Motion motion = Motion::kStopped;
  std::int64_t anchorPosition = 0;
  std::int64_t anchorTime = 0;

  void Update(std::int64_t now) {
    if (motion != Motion::kPlaying || Position(now) < length) return;
    motion = Motion::kStopped;
    anchorPosition = length;
    anchorTime = now;
  }
  std::int64_t Position(std::int64_t now) const {
    if (motion != Motion::kPlaying) return anchorPosition;
    return std::min(length, anchorPosition + (now - anchorTime));
  }
  void Hold(Motion newMotion, std::int64_t now) {
    anchorPosition = Position(now);
    anchorTime = now;
    motion = newMotion;
  }
};

struct SimWinmm::Command {
  std::string verb;    // lower case
  std::string device;  // as written, without quotes
  std::vector<std::string> words;
};

namespace {

const char* ModeText(Motion motion) {
  switch (motion) {
    case Motion::kPlaying:
      return "playing";
    case Motion::kPaused:
      return "paused";
    case Motion::kStopped:
      break;
  }
  return "stopped";
}

// Splits a command string into verb, device and the words after them.
// A quoted word keeps its blanks and must be followed by a blank or the end.
std::uint32_t ParseCommand(const std::string& text, std::string& verb, std::string& device,
                           std::vector<std::string>& after) {
  if (text.empty()) return kMciErrMissingCommandString;
  const std::size_t blank = text.find(' ');
  if (blank == std::string::npos) return kMciErrMissingDeviceName;
  verb = Lower(text.substr(0, blank));
  std::vector<std::string> words;
  std::size_t i = blank + 1;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    if (text[i] == '"') {
      const std::size_t close = text.find('"', i + 1);
      if (close == std::string::npos) return kMciErrNoClosingQuote;
      if (close + 1 < text.size() && text[close + 1] != ' ') return kMciErrExtraCharacters;
      words.push_back(text.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    const std::size_t end = std::min(text.find(' ', i), text.size());
    words.push_back(text.substr(i, end - i));
    i = end;
  }
  if (words.empty()) return kMciErrMissingDeviceName;
  device = words.front();
  after.assign(words.begin() + 1, words.end());
  return 0;
}

bool KnownVerb(const std::string& verb) {
  static const char* const kVerbs[] = {"open", "close", "play", "stop", "pause", "resume", "status", "set"};
  return std::any_of(std::begin(kVerbs), std::end(kVerbs), [&](const char* known) { return verb == known; });
}

}  // namespace

// --- SimWinmm --------------------------------------------------------------

SimWinmm::SimWinmm(SimClock& clock, FileSystem& files)
    : clock_(clock), files_(files), drive_(std::make_unique<CdDrive>()) {}

SimWinmm::~SimWinmm() = default;

std::uint32_t SimWinmm::mciSendStringW(const char16_t* command, char16_t* returnString,
                                       std::uint32_t returnLength, Hwnd callback) {
  const bool buffer = returnString != nullptr && returnLength > 0;
  if (buffer) returnString[0] = u'\0';
  MciCall call;
  call.time = clock_.Now();
  call.command = command ? Utf16ToUtf8(command) : "";
  call.replyBuffer = returnString != nullptr;
  call.returnLength = returnLength;
  call.callback = callback;

  std::string reply;
  call.result = Execute(call.command, reply);
  if (call.result == 0 && buffer) call.reply = PutReply(reply, returnString, returnLength);
  mciCalls_.push_back(call);
  return call.result;
}

std::uint32_t SimWinmm::mciGetDeviceIDW(const char16_t* device) {
  const auto found = devices_.find(Lower(device ? Utf16ToUtf8(device) : ""));
  return found != devices_.end() ? found->second->id : 0;
}

std::int32_t SimWinmm::mciGetErrorStringW(std::uint32_t code, char16_t* text, std::uint32_t length) {
  std::int32_t result = 0;
  const std::string message = ErrorText(code);
  if (errorTexts_ && text != nullptr && length > 0 && !message.empty()) {
    PutReply(message, text, length);
    result = 1;
  }
  errorTextCalls_.push_back({clock_.Now(), code, length, result});
  return result;
}

std::int32_t SimWinmm::PlaySoundW(const char16_t* sound, std::intptr_t module, std::uint32_t flags) {
  PlaySoundCall call;
  call.time = clock_.Now();
  call.module = module;
  call.flags = flags;
  if (sound == nullptr) {
    soundPlaying_.reset();
    call.result = 1;
  } else {
    call.sound = Utf16ToUtf8(sound);
    const bool readable = files_.CanOpenForReading(*call.sound);
    const bool async = (flags & kSndAsync) != 0;
    // In the background the call succeeds before the file is even looked for.
    call.result = playSoundResult_.value_or(readable || async ? 1 : 0);
    // A sound played synchronously is over by the time the call returns.
    if (call.result != 0 && async && readable)
      soundPlaying_ = *call.sound;
    else
      soundPlaying_.reset();
  }
  playSoundCalls_.push_back(call);
  return call.result;
}

std::uint32_t SimWinmm::waveOutGetNumDevs() {
  ++waveOutCalls_;
  return waveDevices_;
}

void SimWinmm::RemoveCdDrive() {
  *drive_ = CdDrive{};
  for (auto it = devices_.begin(); it != devices_.end();)
    it = it->second->kind == Device::Kind::kCd ? devices_.erase(it) : std::next(it);
}

void SimWinmm::EmptyCdDrive() {
  *drive_ = CdDrive{};
  drive_->present = true;
}

void SimWinmm::InsertDisc(const std::vector<std::int64_t>& trackLengthsMs) {
  EmptyCdDrive();
  if (trackLengthsMs.empty()) return;
  drive_->disc = true;
  std::int64_t frame = kLeadInFrames;
  for (std::int64_t lengthMs : trackLengthsMs) {
    drive_->trackStarts.push_back(frame);
    frame += std::max<std::int64_t>(1, lengthMs * kFramesPerSecond / 1000);
  }
  drive_->leadOut = frame;
  drive_->anchorFrame = drive_->DiscStart();
  drive_->anchorTime = clock_.Now();
}

void SimWinmm::SetMediaLength(const std::string& utf8Path, std::int64_t milliseconds) {
  mediaLengths_[Lower(utf8Path)] = milliseconds;
}

void SimWinmm::SetMediaUnplayable(const std::string& utf8Path) { unplayable_[Lower(utf8Path)] = true; }

bool SimWinmm::PauseDevice(const std::string& alias) {
  const auto found = devices_.find(Lower(alias));
  if (found == devices_.end()) return false;
  const std::int64_t now = clock_.Now();
  Device& device = *found->second;
  if (device.kind == Device::Kind::kCd) {
    drive_->Update(now);
    if (drive_->motion == Motion::kPlaying) drive_->Hold(Motion::kPaused, now);
  } else {
    device.Update(now);
    if (device.motion == Motion::kPlaying) device.Hold(Motion::kPaused, now);
  }
  return true;
}

void SimWinmm::ScriptReply(const std::string& command, std::uint32_t result, const std::string& reply) {
  scriptedReplies_[Lower(command)] = ScriptedReply{result, reply};
}

void SimWinmm::SetWaveOutDevices(std::uint32_t count) { waveDevices_ = count; }

void SimWinmm::SetErrorTextsAvailable(bool available) { errorTexts_ = available; }

void SimWinmm::SetPlaySoundResult(std::int32_t result) { playSoundResult_ = result; }

std::vector<std::string> SimWinmm::Commands() const {
  std::vector<std::string> commands;
  for (const MciCall& call : mciCalls_) commands.push_back(call.command);
  return commands;
}

void SimWinmm::ClearLog() {
  mciCalls_.clear();
  errorTextCalls_.clear();
  playSoundCalls_.clear();
  waveOutCalls_ = 0;
}

std::vector<std::string> SimWinmm::OpenAliases() const {
  std::vector<std::string> aliases;
  for (const auto& [alias, device] : devices_) aliases.push_back(alias);
  return aliases;
}

std::string SimWinmm::ErrorText(std::uint32_t code) {
  for (const ErrorEntry& entry : kErrorTexts)
    if (entry.code == code) return entry.text;
  return {};
}

// --- The interpreter -------------------------------------------------------

std::uint32_t SimWinmm::Execute(const std::string& text, std::string& reply) {
  const auto scripted = scriptedReplies_.find(Lower(text));
  if (scripted != scriptedReplies_.end()) {
    if (scripted->second.result == 0) reply = scripted->second.reply;
    return scripted->second.result;
  }

  Command command;
  if (const std::uint32_t error = ParseCommand(text, command.verb, command.device, command.words)) return error;
  if (!KnownVerb(command.verb)) return kMciErrUnrecognizedCommand;
  if (command.verb == "open") return Open(command, reply);

  const std::string alias = Lower(command.device);
  const auto found = devices_.find(alias);
  if (found != devices_.end()) {
    const std::uint32_t result = OnDevice(*found->second, command, reply);
    if (result == 0 && command.verb == "close") devices_.erase(found);
    return result;
  }
  if (command.verb == "close" || alias != "cdaudio") return kMciErrInvalidDeviceName;
  // The CD device opens on the fly for the one command, in its own time format.
  if (!drive_->present) return kMciErrCannotLoadDriver;
  Device autoOpened;
  return OnDevice(autoOpened, command, reply);
}

std::uint32_t SimWinmm::Open(const Command& command, std::string& reply) {
  Words words(command.words);
  std::optional<std::string> type;
  std::optional<std::string> alias;
  while (!words.Done()) {
    if (words.Take("type")) {
      type = words.Value();
      if (!type) return kMciErrMissingParameter;
    } else if (words.Take("alias")) {
      alias = words.Value();
      if (!alias) return kMciErrMissingParameter;
    } else if (!words.Take("shareable") && !words.Take("wait")) {
      return kMciErrUnrecognizedCommand;
    }
  }

  const std::string element = Lower(command.device);
  Device::Kind kind;
  if (type) {
    const std::string lowerType = Lower(*type);
    if (lowerType == "mpegvideo")
      kind = Device::Kind::kMedia;
    else if (lowerType == "cdaudio")
      kind = Device::Kind::kCd;
    else
      return kMciErrInvalidDeviceName;
  } else if (element == "cdaudio") {
    kind = Device::Kind::kCd;
  } else if (EndsWithMp3(element)) {
    kind = Device::Kind::kMedia;
  } else {
    return kMciErrExtensionNotFound;
  }

  const std::string key = alias ? Lower(*alias) : element;
  if (devices_.count(key) != 0) return kMciErrDuplicateAlias;

  auto device = std::make_unique<Device>();
  device->kind = kind;
  if (kind == Device::Kind::kCd) {
    if (!drive_->present) return kMciErrCannotLoadDriver;
  } else {
    const std::string& path = command.device;
    if (!files_.CanOpenForReading(path)) return kMciErrFileNotFound;
    if (unplayable_.count(Lower(path)) != 0) return kMciErrInternal;
    const auto length = mediaLengths_.find(Lower(path));
    const std::int64_t lengthMs = length != mediaLengths_.end() ? length->second : kDefaultMediaLengthMs;
    device->timeFormat = TimeFormat::kMilliseconds;
    device->length = lengthMs * 1000;
    device->anchorTime = clock_.Now();
  }
  // An open answers with the new device's ID.
  device->id = ++lastDeviceId_;
  reply = std::to_string(device->id);
  devices_[key] = std::move(device);
  return 0;
}

std::uint32_t SimWinmm::OnDevice(Device& device, const Command& command, std::string& reply) {
  return device.kind == Device::Kind::kCd ? OnCd(device, command, reply) : OnMedia(device, command, reply);
}

namespace {

// The words of a status command: one item, optionally a track number.
struct StatusRequest {
  enum class Item { kNone, kMode, kCurrentTrack, kNumberOfTracks, kPosition, kLength };
  Item item = Item::kNone;
  std::optional<std::uint32_t> track;
};

std::uint32_t ParseStatus(const std::vector<std::string>& list, StatusRequest& request) {
  using Item = StatusRequest::Item;
  Words words(list);
  while (!words.Done()) {
    Item item = Item::kNone;
    if (words.Take("mode"))
      item = Item::kMode;
    else if (words.TakePhrase({"current", "track"}))
      item = Item::kCurrentTrack;
    else if (words.TakePhrase({"number", "of", "tracks"}))
      item = Item::kNumberOfTracks;
    else if (words.Take("position"))
      item = Item::kPosition;
    else if (words.Take("length"))
      item = Item::kLength;
    else if (words.Take("track")) {
      const auto value = words.Value();
      const auto number = value ? ParseMciNumber(*value) : std::nullopt;
      if (!number) return kMciErrBadInteger;
      request.track = *number;
      continue;
    } else if (words.Take("wait")) {
      continue;
    } else {
      return kMciErrUnrecognizedCommand;
    }
    request.item = item;
  }
  if (request.item == Item::kNone) return kMciErrMissingParameter;
  return 0;
}

struct PlayRequest {
  std::optional<std::uint32_t> from;
  std::optional<std::uint32_t> to;
};

std::uint32_t ParsePlay(const std::vector<std::string>& list, PlayRequest& request) {
  Words words(list);
  while (!words.Done()) {
    std::optional<std::uint32_t>* target = nullptr;
    if (words.Take("from"))
      target = &request.from;
    else if (words.Take("to"))
      target = &request.to;
    else if (words.Take("wait") || words.Take("notify"))
      continue;
    else
      return kMciErrUnrecognizedCommand;
    const auto value = words.Value();
    const auto number = value ? ParseMciNumber(*value) : std::nullopt;
    if (!number) return kMciErrBadInteger;
    *target = *number;
  }
  return 0;
}

// Commands with nothing after the device but "wait".
std::uint32_t ParseBare(const std::vector<std::string>& list) {
  Words words(list);
  while (words.Take("wait")) {
  }
  return words.Done() ? 0 : kMciErrUnrecognizedCommand;
}

// "set <device> time format <name>": the format named, or an error.
std::uint32_t ParseSetTimeFormat(const std::vector<std::string>& list, bool cd, TimeFormat& format) {
  Words words(list);
  if (words.Done()) return kMciErrMissingParameter;
  std::optional<TimeFormat> chosen;
  while (!words.Done()) {
    if (words.Take("wait")) continue;
    if (!words.TakePhrase({"time", "format"})) return kMciErrUnrecognizedCommand;
    if (words.Take("milliseconds") || words.Take("ms"))
      chosen = TimeFormat::kMilliseconds;
    else if (cd && words.Take("msf"))
      chosen = TimeFormat::kMsf;
    else if (cd && words.Take("tmsf"))
      chosen = TimeFormat::kTmsf;
    else
      return kMciErrUnrecognizedCommand;
  }
  if (!chosen) return kMciErrMissingParameter;
  format = *chosen;
  return 0;
}

}  // namespace

std::uint32_t SimWinmm::OnCd(Device& device, const Command& command, std::string& reply) {
  CdDrive& drive = *drive_;
  const std::int64_t now = clock_.Now();
  drive.Update(now);
  const std::string& verb = command.verb;

  if (verb == "status") {
    StatusRequest request;
    if (const std::uint32_t error = ParseStatus(command.words, request)) return error;
    using Item = StatusRequest::Item;
    if (request.item == Item::kMode) {
      reply = drive.disc ? ModeText(drive.motion) : "open";
      return 0;
    }
    if (!drive.disc) return kMciErrDeviceNotReady;
    switch (request.item) {
      case Item::kCurrentTrack:
        reply = std::to_string(drive.TrackAt(drive.Position(now)));
        return 0;
      case Item::kNumberOfTracks:
        reply = std::to_string(drive.TrackCount());
        return 0;
      case Item::kPosition:
        if (request.track) {
          if (*request.track < 1 || *request.track > static_cast<std::uint32_t>(drive.TrackCount()))
            return kMciErrOutOfRange;
          reply = drive.Format(drive.trackStarts[*request.track - 1], device.timeFormat);
        } else {
          reply = drive.Format(drive.Position(now), device.timeFormat);
        }
        return 0;
      case Item::kLength: {
        std::int64_t frames = drive.leadOut - drive.DiscStart();
        if (request.track) {
          const std::uint32_t track = *request.track;
          if (track < 1 || track > static_cast<std::uint32_t>(drive.TrackCount())) return kMciErrOutOfRange;
          const std::int64_t end =
              track == static_cast<std::uint32_t>(drive.TrackCount()) ? drive.leadOut : drive.trackStarts[track];
          frames = end - drive.trackStarts[track - 1];
        }
        // Lengths are durations: tmsf has no track to give them.
        reply = drive.Format(frames, device.timeFormat == TimeFormat::kTmsf ? TimeFormat::kMsf : device.timeFormat);
        return 0;
      }
      case Item::kMode:
      case Item::kNone:
        break;
    }
    return kMciErrMissingParameter;
  }

  if (verb == "set") {
    TimeFormat format = device.timeFormat;
    if (const std::uint32_t error = ParseSetTimeFormat(command.words, true, format)) return error;
    device.timeFormat = format;
    return 0;
  }

  if (verb == "play") {
    PlayRequest request;
    if (const std::uint32_t error = ParsePlay(command.words, request)) return error;
    if (!drive.disc) return kMciErrDeviceNotReady;
    std::int64_t from = drive.Position(now);
    if (request.from) {
      const auto frame = drive.FrameOf(*request.from, device.timeFormat);
      if (!frame || *frame >= drive.leadOut) return kMciErrOutOfRange;
      from = *frame;
    }
    std::int64_t to = drive.leadOut;
    if (request.to) {
      const auto frame = drive.FrameOf(*request.to, device.timeFormat);
      if (!frame) return kMciErrOutOfRange;
      to = *frame;
    }
    if (to < from) return kMciErrOutOfRange;
    drive.anchorFrame = from;
    drive.anchorTime = now;
    drive.endFrame = to;
    drive.motion = from == to ? Motion::kStopped : Motion::kPlaying;
    return 0;
  }

  if (const std::uint32_t error = ParseBare(command.words)) return error;
  if (verb == "stop" || verb == "close") {
    if (drive.motion != Motion::kStopped) drive.Hold(Motion::kStopped, now);
    return 0;
  }
  if (verb == "pause") {
    if (drive.motion == Motion::kPlaying) drive.Hold(Motion::kPaused, now);
    return 0;
  }
  if (verb == "resume") {
    if (drive.motion == Motion::kPaused) drive.Hold(Motion::kPlaying, now);
    return 0;
  }
  return kMciErrUnrecognizedCommand;
}

std::uint32_t SimWinmm::OnMedia(Device& device, const Command& command, std::string& reply) {
  const std::int64_t now = clock_.Now();
  device.Update(now);
  const std::string& verb = command.verb;

  if (verb == "status") {
    StatusRequest request;
    if (const std::uint32_t error = ParseStatus(command.words, request)) return error;
    using Item = StatusRequest::Item;
    switch (request.item) {
      case Item::kMode:
        reply = ModeText(device.motion);
        return 0;
      case Item::kPosition:
        reply = std::to_string(device.Position(now) / 1000);
        return 0;
      case Item::kLength:
        reply = std::to_string(device.length / 1000);
        return 0;
      default:
        return kMciErrUnsupportedFunction;
    }
  }

  if (verb == "set") {
    TimeFormat format = device.timeFormat;
    return ParseSetTimeFormat(command.words, false, format);
  }

  if (verb == "play") {
    PlayRequest request;
    if (const std::uint32_t error = ParsePlay(command.words, request)) return error;
    std::int64_t from = device.Position(now);
    if (request.from) {
      if (*request.from > device.length / 1000) return kMciErrOutOfRange;
      from = static_cast<std::int64_t>(*request.from) * 1000;
    }
    if (request.to) return kMciErrUnsupportedFunction;
    device.anchorPosition = from;
    device.anchorTime = now;
    device.motion = Motion::kPlaying;
    device.Update(now);
    return 0;
  }

  if (const std::uint32_t error = ParseBare(command.words)) return error;
  if (verb == "stop" || verb == "close") {
    if (device.motion != Motion::kStopped) device.Hold(Motion::kStopped, now);
    return 0;
  }
  if (verb == "pause") {
    if (device.motion == Motion::kPlaying) device.Hold(Motion::kPaused, now);
    return 0;
  }
  if (verb == "resume") {
    if (device.motion == Motion::kPaused) device.Hold(Motion::kPlaying, now);
    return 0;
  }
  return kMciErrUnrecognizedCommand;
}

}  // namespace tolvarin::sim
