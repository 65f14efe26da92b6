#include "platform/sim/sim_winmm.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "base/utf16_text.h"

namespace tolvarin::sim {

namespace {

// Puts the UTF-16 form of `text` into `out`: what fits in `length` code units
// with the NUL, never half a surrogate pair. Gives back the UTF-8 of what was
// put there.
std::string PutText(const std::string& text, char16_t* out, std::uint32_t length) {
  const std::u16string wide = Utf8ToUtf16(text);
  std::size_t end = std::min<std::size_t>(wide.size(), length - 1);
  if (end > 0 && end < wide.size() && wide[end - 1] >= 0xD800 && wide[end - 1] <= 0xDBFF) --end;
  std::copy(wide.begin(), wide.begin() + std::ptrdiff_t(end), out);
  out[end] = u'\0';
  return Utf16ToUtf8(std::u16string_view(wide).substr(0, end));
}

std::string Text(const char16_t* text) { return text ? Utf16ToUtf8(text) : std::string(); }

}  // namespace

std::string WinmmCall::Line() const {
  const std::string shownLength = buffer ? " [" + std::to_string(length) + "]" : "";
  switch (kind) {
    case Kind::kSendString:
      return text + shownLength + (callback != 0 ? " >" + std::to_string(callback) : "");
    case Kind::kGetErrorString:
      return "mciGetErrorStringW " + std::to_string(code) + shownLength;
    case Kind::kGetDeviceId:
      return "mciGetDeviceIDW " + text;
    case Kind::kPlaySound:
      return "PlaySoundW " + (nullText ? std::string("null") : text) + " " + std::to_string(module) + " " +
             std::to_string(flags);
    case Kind::kWaveOutGetNumDevs:
      break;
  }
  return "waveOutGetNumDevs";
}

SimWinmm::SimWinmm(SimClock& clock, NotifySink notify) : clock_(clock), notify_(std::move(notify)) {}

WinmmCall& SimWinmm::Record(WinmmCall::Kind kind) {
  WinmmCall& call = calls_.emplace_back();
  call.kind = kind;
  call.time = clock_.Now();
  return call;
}

std::uint32_t SimWinmm::mciSendStringW(const char16_t* command, char16_t* returnString,
                                       std::uint32_t returnLength, Hwnd callback) {
  const bool buffer = returnString != nullptr && returnLength > 0;
  if (buffer) returnString[0] = u'\0';
  WinmmCall& call = Record(WinmmCall::Kind::kSendString);
  call.text = Text(command);
  call.buffer = returnString != nullptr;
  call.length = returnLength;
  call.callback = callback;
  const MciAnswer answer = Answer(call.text);
  call.result = answer.result;
  if (answer.result == 0) {
    if (buffer) call.reply = PutText(answer.reply, returnString, returnLength);
    if (answer.notify && callback != 0 && notify_)
      notify_(callback, answer.notify->flags, answer.notify->deviceId, call.time + answer.notify->after);
  }
  return answer.result;
}

std::uint32_t SimWinmm::mciGetDeviceIDW(const char16_t* device) {
  WinmmCall& call = Record(WinmmCall::Kind::kGetDeviceId);
  call.text = Text(device);
  const auto found = deviceIds_.find(call.text);
  call.result = found != deviceIds_.end() ? found->second : 0;
  return static_cast<std::uint32_t>(call.result);
}

std::int32_t SimWinmm::mciGetErrorStringW(std::uint32_t code, char16_t* text, std::uint32_t length) {
  WinmmCall& call = Record(WinmmCall::Kind::kGetErrorString);
  call.code = code;
  call.buffer = text != nullptr;
  call.length = length;
  const auto found = errorTexts_.find(code);
  if (text != nullptr && length > 0 && found != errorTexts_.end()) {
    call.reply = PutText(found->second, text, length);
    call.result = 1;
  }
  return static_cast<std::int32_t>(call.result);
}

std::int32_t SimWinmm::PlaySoundW(const char16_t* sound, std::intptr_t module, std::uint32_t flags) {
  WinmmCall& call = Record(WinmmCall::Kind::kPlaySound);
  call.text = Text(sound);
  call.nullText = sound == nullptr;
  call.module = module;
  call.flags = flags;
  call.result = playSoundResult_;
  return playSoundResult_;
}

std::uint32_t SimWinmm::waveOutGetNumDevs() {
  Record(WinmmCall::Kind::kWaveOutGetNumDevs).result = waveDevices_;
  return waveDevices_;
}

void SimWinmm::ScriptReply(const std::string& command, MciAnswer answer) {
  if (!command.empty() && command.back() == '*')
    prefixes_[command.substr(0, command.size() - 1)] = std::move(answer);
  else
    exact_[command] = std::move(answer);
}

void SimWinmm::ScriptReply(const std::string& command, std::uint32_t result, const std::string& reply) {
  ScriptReply(command, MciAnswer{result, reply, std::nullopt});
}

void SimWinmm::SetDeviceId(const std::string& device, std::uint32_t id) { deviceIds_[device] = id; }

void SimWinmm::SetErrorText(std::uint32_t code, const std::string& text) { errorTexts_[code] = text; }

std::vector<std::string> SimWinmm::Lines() const {
  std::vector<std::string> lines;
  for (const WinmmCall& call : calls_) lines.push_back(call.Line());
  return lines;
}

std::vector<std::string> SimWinmm::Commands() const {
  std::vector<std::string> commands;
  for (const WinmmCall& call : calls_)
    if (call.kind == WinmmCall::Kind::kSendString) commands.push_back(call.text);
  return commands;
}

MciAnswer SimWinmm::Answer(const std::string& command) const {
  if (const auto found = exact_.find(command); found != exact_.end()) return found->second;
  // Prefixes of one text sort shorter first, so the last match is the longest.
  MciAnswer answer;
  for (const auto& [prefix, scripted] : prefixes_)
    if (command.compare(0, prefix.size(), prefix) == 0) answer = scripted;
  return answer;
}

}  // namespace tolvarin::sim
