#include "platform/sim/sim_winmm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_filesystem.h"

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
      char reply[64];
      std::memset(reply, 'x', sizeof reply);
      EXPECT_EQ(winmm.mciSendStringA(step.command, reply, sizeof reply, 0), step.code) << step.command;
      EXPECT_STREQ(reply, step.reply) << step.command;
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

TEST_F(SimWinmmTest, RepliesAreCutToTheBufferWithoutSplittingACharacter) {
  winmm.ScriptReply("status cdaudio mode", 0, "ab\x82\xa0z");  // "abあz"
  char reply[8];
  for (const auto& [length, expected] : std::vector<std::pair<std::uint32_t, std::string>>{
           {6, "ab\x82\xa0z"}, {5, "ab\x82\xa0"}, {4, "ab"}, {3, "ab"}, {1, ""}}) {
    std::memset(reply, 'x', sizeof reply);
    EXPECT_EQ(winmm.mciSendStringA("status cdaudio mode", reply, length, 0), 0u);
    EXPECT_EQ(std::string(reply), expected) << length;
  }
  // No buffer: the command still runs and is logged.
  EXPECT_EQ(winmm.mciSendStringA("STATUS CDAUDIO MODE", nullptr, 0, 0), 0u);
  EXPECT_FALSE(winmm.MciCalls().back().replyBuffer);
}

TEST_F(SimWinmmTest, CdThatIsNotOpenIsOpenedForOneCommandInATimeFormatOfItsOwn) {
  winmm.InsertDisc({30000, 30000});
  Run({{"set cdaudio time format tmsf", 0}, {"status cdaudio position track 2", 0, "00:32:00"},
       {"play cdaudio from 00:02:00 fast", kMciErrUnrecognizedCommand}, {"status cdaudio mode", 0, "stopped"}});
  EXPECT_TRUE(winmm.OpenAliases().empty());
}

TEST_F(SimWinmmTest, Mp3OpensOnlyForAFileItCanPlay) {
  files.AddFile("C:\\Music\\a.mp3", "ID3");
  files.AddFile("C:\\Music\\broken.mp3", "junk");
  winmm.SetMediaUnplayable("c:\\music\\BROKEN.mp3");
  Run({{"open \"C:\\Music\\broken.mp3\" type MPEGVideo Alias MP3Play", kMciErrInternal},
       {"open \"C:\\Music\\a.mp3\" type MPEGVideo Alias MP3Play", 0, "1"},  // the device ID
       {"open \"C:\\Music\\a.mp3\" type MPEGVideo Alias mp3play", kMciErrDuplicateAlias},
       {"close MP3PLAY", 0}, {"close MP3Play", kMciErrInvalidDeviceName}});
}

TEST_F(SimWinmmTest, ErrorTextsAndPlaySound) {
  char text[16];
  EXPECT_EQ(winmm.mciGetErrorStringA(263, text, 8), 1);
  EXPECT_STREQ(text, "The spe");
  for (const std::uint32_t unknown : {0u, 256u, 258u, 999u}) EXPECT_EQ(winmm.mciGetErrorStringA(unknown, text, 16), 0);
  EXPECT_EQ(winmm.mciGetErrorStringA(263, text, 0), 0);

  files.AddFile("C:\\a.wav", "RIFF");
  EXPECT_EQ(winmm.PlaySoundA("C:\\a.wav", 0, kSndSync), 1);
  EXPECT_FALSE(winmm.SoundPlaying());
  EXPECT_EQ(winmm.PlaySoundA("C:\\none.wav", 0, kSndSync), 0);
  // In the background it succeeds before the file is looked for.
  EXPECT_EQ(winmm.PlaySoundA("C:\\none.wav", 0, kSndAsync | kSndLoop), 1);
  EXPECT_FALSE(winmm.SoundPlaying());
  EXPECT_EQ(winmm.PlaySoundA("C:\\a.wav", 0, kSndAsync | kSndLoop), 1);
  EXPECT_EQ(winmm.SoundPlaying(), "C:\\a.wav");
  EXPECT_EQ(winmm.PlaySoundA(nullptr, 0, 0), 1);
  EXPECT_FALSE(winmm.SoundPlaying());
}

}  // namespace
}  // namespace tolvarin::sim
