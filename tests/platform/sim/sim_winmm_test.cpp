#include "platform/sim/sim_winmm.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/utf16_text.h"
#include "platform/sim/sim_clock.h"

#ifdef _WIN32
#include "platform/win32/win32_winmm.h"
#endif

namespace tolvarin::sim {
namespace {

struct Posted {
  Hwnd window;
  std::uint32_t flags;
  std::uint32_t deviceId;
  std::int64_t at;
  bool operator==(const Posted&) const = default;
};

class SimWinmmTest : public ::testing::Test {
 protected:
  // Sends `command` with a 64-unit buffer: the result and the reply left in it.
  std::pair<std::uint32_t, std::string> Send(const char* command, Hwnd callback = 0) {
    std::u16string reply(64, u'x');
    const std::uint32_t result = winmm.mciSendStringW(Utf8ToUtf16(command).c_str(), reply.data(), 64, callback);
    return {result, Utf16ToUtf8(reply.c_str())};
  }

  SimClock clock;
  std::vector<Posted> posted;
  SimWinmm winmm{clock, [this](Hwnd window, std::uint32_t flags, std::uint32_t id, std::int64_t at) {
                   posted.push_back({window, flags, id, at});
                 }};
};

TEST_F(SimWinmmTest, CommandsAnswerTheirScriptExactTextFirstThenTheLongestPrefix) {
  winmm.ScriptReply("*", 261);
  winmm.ScriptReply("status *", 0, "prefix");
  winmm.ScriptReply("status cd*", 0, "longer prefix");
  winmm.ScriptReply("status cdaudio mode", 0, "exact");
  winmm.ScriptReplies("status cdaudio current track", {{0, "1", {}}, {0, "2", {}}});
  const std::pair<const char*, std::pair<std::uint32_t, std::string>> rows[] = {
      {"status cdaudio mode", {0, "exact"}},
      {"STATUS CDAUDIO MODE", {261, ""}},  // compared exactly; a failure leaves the buffer empty
      {"status cdaudio number of tracks", {0, "longer prefix"}},
      {"status MP3Play mode", {0, "prefix"}},
      {"play cdaudio", {261, ""}},
      {"", {261, ""}},
      {"status cdaudio current track", {0, "1"}},  // one answer per call, the last one stays
      {"status cdaudio current track", {0, "2"}},
      {"status cdaudio current track", {0, "2"}},
  };
  for (const auto& [command, expected] : rows) EXPECT_EQ(Send(command), expected) << command;
  SimWinmm fresh{clock};
  std::u16string reply(4, u'x');
  EXPECT_EQ(fresh.mciSendStringW(u"anything at all", reply.data(), 4, 0), 0u);  // unscripted: success, no text
  EXPECT_EQ(reply[0], u'\0');
}

TEST_F(SimWinmmTest, RepliesAreCutToTheBufferWithoutSplittingASurrogatePair) {
  winmm.ScriptReply("status cdaudio mode", 0, "aあ🎵z");  // 1 + 1 + 2 + 1 code units
  for (const auto& [length, expected] : std::vector<std::pair<std::uint32_t, std::string>>{
           {6, "aあ🎵z"}, {5, "aあ🎵"}, {4, "aあ"}, {3, "aあ"}, {1, ""}}) {
    std::u16string reply(8, u'x');
    EXPECT_EQ(winmm.mciSendStringW(u"status cdaudio mode", reply.data(), length, 0), 0u);
    EXPECT_EQ(Utf16ToUtf8(reply.c_str()), expected) << length;
  }
  EXPECT_EQ(winmm.mciSendStringW(u"status cdaudio mode", nullptr, 0, 0), 0u);
}

// A notification goes to the callback window, only for a command that
// succeeded and named one.
TEST_F(SimWinmmTest, ScriptedNotificationsArePostedToTheCallbackAfterTheirDelay) {
  winmm.ScriptReply("play MP3Play notify", MciAnswer{0, "", MciNotification{kMciNotifySuccessful, 7, 1'500'000}});
  winmm.ScriptReply("play bad notify", MciAnswer{277, "", MciNotification{kMciNotifyFailure, 0, 0}});
  clock.Advance(250'000);
  Send("play MP3Play notify", 0x5A7E);
  Send("play MP3Play notify");
  Send("play bad notify", 0x5A7E);
  EXPECT_EQ(posted, (std::vector<Posted>{{0x5A7E, kMciNotifySuccessful, 7, 1'750'000}}));
}

TEST_F(SimWinmmTest, EveryCallIsRecordedInOrder) {
  winmm.SetDeviceId("MP3Play", 7);
  winmm.SetErrorText(263, "not open");
  winmm.SetWaveOutDevices(2);
  winmm.SetPlaySoundResult(0);
  Send("play MP3Play notify", 23166);
  EXPECT_EQ(winmm.mciSendStringW(u"close MP3Play", nullptr, 0, 0), 0u);
  EXPECT_EQ(winmm.mciGetDeviceIDW(u"MP3Play"), 7u);
  EXPECT_EQ(winmm.mciGetDeviceIDW(u"mp3play"), 0u);
  char16_t text[16];
  EXPECT_EQ(winmm.mciGetErrorStringW(263, text, 16), 1);
  EXPECT_EQ(std::u16string(text), u"not open");
  EXPECT_EQ(winmm.mciGetErrorStringW(264, text, 16), 0);
  EXPECT_EQ(winmm.waveOutGetNumDevs(), 2u);
  EXPECT_EQ(winmm.PlaySoundW(u"C:\\a.wav", 0, kSndAsync | kSndLoop), 0);
  EXPECT_EQ(winmm.PlaySoundW(nullptr, 0, kSndSync), 0);
  EXPECT_EQ(winmm.Lines(),
            (std::vector<std::string>{"play MP3Play notify [64] >23166", "close MP3Play", "mciGetDeviceIDW MP3Play",
                                      "mciGetDeviceIDW mp3play", "mciGetErrorStringW 263 [16]",
                                      "mciGetErrorStringW 264 [16]", "waveOutGetNumDevs", "PlaySoundW C:\\a.wav 0 9",
                                      "PlaySoundW null 0 0"}));
  EXPECT_EQ(winmm.Commands(), (std::vector<std::string>{"play MP3Play notify", "close MP3Play"}));
}

// What both backends do alike: a failed command leaves an empty reply, error
// texts are cut to the buffer, unknown codes have none, and PlaySoundW(NULL)
// stops without a sound playing.
TEST(WinmmContract, FailuresLeaveEmptyRepliesAndErrorTextsAreCutToTheBuffer) {
  SimClock clock;
  SimWinmm simulated{clock};
  simulated.ScriptReply("status tolvarin_nothing mode", 263);
  simulated.SetErrorText(263, "The specified device is not open or is not recognized by MCI.");
  std::vector<std::pair<const char*, Winmm*>> backends{{"sim", &simulated}};
#ifdef _WIN32
  Win32Winmm windows;
  backends.emplace_back("Windows", &windows);
#endif
  for (const auto& [name, winmm] : backends) {
    SCOPED_TRACE(name);
    std::u16string reply(8, u'x');
    EXPECT_NE(winmm->mciSendStringW(u"status tolvarin_nothing mode", reply.data(), 8, 0), 0u);
    EXPECT_EQ(reply[0], u'\0');
    char16_t text[16];
    EXPECT_EQ(winmm->mciGetErrorStringW(263, text, 8), 1);
    EXPECT_EQ(std::u16string(text), u"The spe");
    EXPECT_EQ(winmm->mciGetErrorStringW(263, text, 0), 0);
    for (const std::uint32_t unknown : {0u, 256u, 258u, 999u}) EXPECT_EQ(winmm->mciGetErrorStringW(unknown, text, 16), 0);
    EXPECT_NE(winmm->PlaySoundW(nullptr, 0, 0), 0);
  }
}

#ifdef _WIN32
// Windows' own replies come back through the buffer. The command reaching the
// device whole, a name beyond every ANSI code page in it, is seen in Wine's
// trace by tests/e2e/run_e2e.sh.
TEST(Win32WinmmTest, RepliesComeBackThroughTheBuffer) {
  Win32Winmm winmm;
  std::u16string reply(30, u'x');
  ASSERT_EQ(winmm.mciSendStringW(u"sysinfo all quantity", reply.data(), 30, 0), 0u);
  const std::string count = Utf16ToUtf8(reply.c_str());
  EXPECT_FALSE(count.empty());
  EXPECT_EQ(count.find_first_not_of("0123456789"), std::string::npos) << count;
}
#endif

}  // namespace
}  // namespace tolvarin::sim
