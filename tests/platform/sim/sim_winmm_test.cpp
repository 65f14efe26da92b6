#include "platform/sim/sim_winmm.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/utf16_text.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_filesystem.h"

#ifdef _WIN32
#include "platform/win32/win32_winmm.h"
#endif

namespace tolvarin::sim {
namespace {

// One command of a script: it must give `code` and leave `reply` in the
// buffer (empty after a failure).
struct Step {
  const char* command;
  std::uint32_t code;
  const char* reply = "";
};

class SimWinmmTest : public ::testing::Test {
 protected:
  void Run(std::initializer_list<Step> steps) {
    for (const Step& step : steps) {
      std::u16string reply(64, u'x');
      EXPECT_EQ(winmm.mciSendStringW(Utf8ToUtf16(step.command).c_str(), reply.data(), 64, 0), step.code)
          << step.command;
      EXPECT_EQ(Utf16ToUtf8(reply.c_str()), step.reply) << step.command;
    }
  }

  SimClock clock;
  SimFileSystem files;
  SimWinmm winmm{clock, files};
};

TEST_F(SimWinmmTest, MalformedCommandsAndMissingDevicesAreRejectedAsWinmmDoes) {
  Run({{"", kMciErrMissingCommandString}, {"open", kMciErrMissingDeviceName},
       {"bogus command", kMciErrUnrecognizedCommand}, {"open \"C:\\a.mp3 type MPEGVideo", kMciErrNoClosingQuote},
       {"open \"C:\\a\"b.mp3\" type MPEGVideo Alias MP3Play", kMciErrExtraCharacters},
       {"status MP3Play mode", kMciErrInvalidDeviceName}, {"close cdaudio", kMciErrInvalidDeviceName}});
  winmm.EmptyCdDrive();
  Run({{"open cdaudio", 0, "1"}, {"open cdaudio", kMciErrDuplicateAlias}, {"play cdaudio", kMciErrDeviceNotReady},
       {"status cdaudio mode", 0, "open"}});
}

TEST_F(SimWinmmTest, RepliesAreCutToTheBufferWithoutSplittingASurrogatePair) {
  winmm.ScriptReply("status cdaudio mode", 0, "aあ🎵z");  // 1 + 1 + 2 + 1 code units
  for (const auto& [length, expected] : std::vector<std::pair<std::uint32_t, std::string>>{
           {6, "aあ🎵z"}, {5, "aあ🎵"}, {4, "aあ"}, {3, "aあ"}, {1, ""}}) {
    std::u16string reply(8, u'x');
    EXPECT_EQ(winmm.mciSendStringW(u"status cdaudio mode", reply.data(), length, 0), 0u);
    EXPECT_EQ(Utf16ToUtf8(reply.c_str()), expected) << length;
  }
  // A scripted reply answers in any letter case, and without a buffer too.
  EXPECT_EQ(winmm.mciSendStringW(u"STATUS CDAUDIO MODE", nullptr, 0, 0), 0u);
}

TEST_F(SimWinmmTest, CdOpensForOneCommandAndMp3OnlyForAFileItCanPlay) {
  winmm.InsertDisc({30000, 30000});
  files.AddFile("C:\\Music\\a.mp3", "ID3");
  files.AddFile("C:\\Music\\broken.mp3", "junk");
  winmm.SetMediaUnplayable("c:\\music\\BROKEN.mp3");
  // A CD that is not open is opened for one command, in a time format of its own.
  Run({{"set cdaudio time format tmsf", 0}, {"status cdaudio position track 2", 0, "00:32:00"},
       {"play cdaudio from 00:02:00 fast", kMciErrUnrecognizedCommand}, {"status cdaudio mode", 0, "stopped"},
       {"open \"C:\\Music\\broken.mp3\" type MPEGVideo Alias MP3Play", kMciErrInternal},
       {"open \"C:\\Music\\a.mp3\" type MPEGVideo Alias MP3Play", 0, "1"},  // the device ID
       {"close MP3PLAY", 0}, {"close MP3Play", kMciErrInvalidDeviceName}});
  EXPECT_TRUE(winmm.OpenAliases().empty());
}

// What both backends do alike: a failed command leaves an empty reply, error
// texts are cut to the buffer, unknown codes have none, and PlaySoundW(NULL)
// stops without a sound playing. The rest of error texts and PlaySoundW is
// checked through the music player's tests.
TEST(WinmmContract, FailuresLeaveEmptyRepliesAndErrorTextsAreCutToTheBuffer) {
  SimClock clock;
  SimFileSystem files;
  SimWinmm simulated{clock, files};
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
