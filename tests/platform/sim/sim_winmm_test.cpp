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
  SimClock clock;
  std::vector<Posted> posted;
  SimWinmm winmm{clock, [this](Hwnd window, std::uint32_t flags, std::uint32_t id, std::int64_t at) {
                   posted.push_back({window, flags, id, at});
                 }};
};

// A command answers its own script, else the longest prefix scripted for it,
// else success with no text; the reply is cut to the buffer, never inside a
// surrogate pair, and a failure leaves the buffer empty.
TEST_F(SimWinmmTest, CommandsAnswerTheirScriptCutToTheBuffer) {
  winmm.ScriptReply("*", 261);
  winmm.ScriptReply("status *", 0, "prefix");
  winmm.ScriptReply("status cd*", 0, "aあ🎵z");  // 1 + 1 + 2 + 1 code units
  winmm.ScriptReply("status cdaudio mode", 0, "exact");
  const struct {
    const char* command;
    std::uint32_t length;
    std::uint32_t result;
    const char* reply;
  } rows[] = {
      {"status cdaudio mode", 8, 0, "exact"},
      {"STATUS CDAUDIO MODE", 8, 261, ""},  // compared exactly
      {"status MP3Play mode", 8, 0, "prefix"},
      {"play cdaudio", 8, 261, ""},
      {"", 8, 261, ""},
      {"status cdaudio current track", 6, 0, "aあ🎵z"},
      {"status cdaudio current track", 5, 0, "aあ🎵"},
      {"status cdaudio current track", 4, 0, "aあ"},
      {"status cdaudio current track", 1, 0, ""},
  };
  for (const auto& row : rows) {
    std::u16string reply(8, u'x');
    EXPECT_EQ(winmm.mciSendStringW(Utf8ToUtf16(row.command).c_str(), reply.data(), row.length, 0), row.result)
        << row.command;
    EXPECT_EQ(Utf16ToUtf8(reply.c_str()), row.reply) << row.command << " " << row.length;
  }
  SimWinmm unscripted{clock};
  std::u16string reply(4, u'x');
  EXPECT_EQ(unscripted.mciSendStringW(u"anything at all", reply.data(), 4, 0), 0u);
  EXPECT_EQ(reply[0], u'\0');
}

// A notification goes to the callback window, only for a command that
// succeeded and named one.
TEST_F(SimWinmmTest, ScriptedNotificationsArePostedToTheCallbackAfterTheirDelay) {
  winmm.ScriptReply("play MP3Play notify", MciAnswer{0, "", MciNotification{kMciNotifySuccessful, 7, 1'500'000}});
  winmm.ScriptReply("play bad notify", MciAnswer{277, "", MciNotification{kMciNotifyFailure, 0, 0}});
  clock.Advance(250'000);
  for (const Hwnd callback : {Hwnd(0x5A7E), Hwnd(0)}) {
    winmm.mciSendStringW(u"play MP3Play notify", nullptr, 0, callback);
    winmm.mciSendStringW(u"play bad notify", nullptr, 0, callback);
  }
  EXPECT_EQ(posted, (std::vector<Posted>{{0x5A7E, kMciNotifySuccessful, 7, 1'750'000}}));
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
