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

constexpr std::int64_t kSecond = 1'000'000;

class SimWinmmTest : public ::testing::Test {
 protected:
  // Result and reply of one command, with a generous buffer.
  std::pair<std::uint32_t, std::string> Send(const std::string& command) {
    char reply[64];
    std::memset(reply, 'x', sizeof reply);
    const std::uint32_t result = winmm.mciSendStringA(command.c_str(), reply, sizeof reply, 0);
    return {result, reply};
  }
  std::uint32_t Code(const std::string& command) { return Send(command).first; }
  std::string Reply(const std::string& command) {
    const auto [result, reply] = Send(command);
    EXPECT_EQ(result, 0u) << command;
    return reply;
  }

  SimClock clock;
  SimFileSystem files;
  SimWinmm winmm{clock, files};
};

TEST_F(SimWinmmTest, MalformedCommandsAreRejectedAsWinmmDoes) {
  EXPECT_EQ(Code(""), kMciErrMissingCommandString);
  EXPECT_EQ(Code("open"), kMciErrMissingDeviceName);
  EXPECT_EQ(Code("bogus command"), kMciErrUnrecognizedCommand);
  EXPECT_EQ(Code("open \"C:\\a.mp3 type MPEGVideo"), kMciErrNoClosingQuote);
  EXPECT_EQ(Code("open \"C:\\a\"b.mp3\" type MPEGVideo Alias MP3Play"), kMciErrExtraCharacters);
  EXPECT_EQ(Code("status MP3Play mode"), kMciErrInvalidDeviceName);
  EXPECT_EQ(Code("close cdaudio"), kMciErrInvalidDeviceName);
  // A failed command leaves an empty reply, not what the buffer held.
  EXPECT_EQ(Send("status MP3Play mode").second, "");
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
  EXPECT_EQ(winmm.MciCalls().back().reply, "");
}

TEST_F(SimWinmmTest, CdDriveWithoutDiscOrWithoutDrive) {
  EXPECT_EQ(Code("open cdaudio"), kMciErrCannotLoadDriver);
  EXPECT_EQ(Code("status cdaudio current track"), kMciErrCannotLoadDriver);

  winmm.EmptyCdDrive();
  EXPECT_EQ(Code("open cdaudio"), 0u);
  EXPECT_EQ(Code("open cdaudio"), kMciErrDuplicateAlias);
  EXPECT_EQ(Code("status cdaudio current track"), kMciErrDeviceNotReady);
  EXPECT_EQ(Code("status cdaudio number of tracks"), kMciErrDeviceNotReady);
  EXPECT_EQ(Code("play cdaudio"), kMciErrDeviceNotReady);
  EXPECT_EQ(Reply("status cdaudio mode"), "open");
}

TEST_F(SimWinmmTest, CdPositionsInEachTimeFormat) {
  winmm.InsertDisc({30000, 45500, 60000});  // tracks start at 00:02:00, 00:32:00 and 01:17:37
  ASSERT_EQ(Code("open cdaudio"), 0u);
  EXPECT_EQ(Reply("status cdaudio number of tracks"), "3");
  EXPECT_EQ(Reply("status cdaudio current track"), "1");
  EXPECT_EQ(Reply("status cdaudio mode"), "stopped");
  EXPECT_EQ(Reply("status cdaudio position track 3"), "01:17:37");  // msf until told otherwise
  EXPECT_EQ(Code("set cdaudio time format tmst"), kMciErrUnrecognizedCommand);
  EXPECT_EQ(Reply("status cdaudio position track 3"), "01:17:37");
  ASSERT_EQ(Code("Set CDAudio Time Format TMSF"), 0u);
  EXPECT_EQ(Reply("status cdaudio position track 3"), "03:00:00:00");
  EXPECT_EQ(Reply("status cdaudio length track 2"), "00:45:37");
  ASSERT_EQ(Code("set cdaudio time format milliseconds"), 0u);
  EXPECT_EQ(Reply("status cdaudio position track 2"), "32000");

  for (const char* bad : {"status cdaudio position track 0", "status cdaudio position track 4",
                          "status cdaudio position track -1"})
    EXPECT_EQ(Code(bad), kMciErrOutOfRange) << bad;
  EXPECT_EQ(Code("status cdaudio position track x"), kMciErrBadInteger);
  EXPECT_EQ(Code("status cdaudio"), kMciErrMissingParameter);
  EXPECT_EQ(Code("status cdaudio colour"), kMciErrUnrecognizedCommand);
}

TEST_F(SimWinmmTest, CdPlaysOnTheClockAndGoesBackToTheStartAtItsEnd) {
  winmm.InsertDisc({30000, 30000});
  ASSERT_EQ(Code("open cdaudio"), 0u);
  ASSERT_EQ(Code("set cdaudio time format tmsf"), 0u);
  ASSERT_EQ(Code("play cdaudio from 2:0:20:0"), 0u);
  clock.Advance(5 * kSecond);
  EXPECT_EQ(Reply("status cdaudio mode"), "playing");
  EXPECT_EQ(Reply("status cdaudio position"), "02:00:25:00");

  ASSERT_EQ(Code("pause cdaudio"), 0u);
  clock.Advance(60 * kSecond);
  EXPECT_EQ(Reply("status cdaudio mode"), "paused");
  EXPECT_EQ(Reply("status cdaudio position"), "02:00:25:00");
  ASSERT_EQ(Code("resume cdaudio"), 0u);
  clock.Advance(4 * kSecond);
  EXPECT_EQ(Reply("status cdaudio position"), "02:00:29:00");
  clock.Advance(1 * kSecond);
  EXPECT_EQ(Reply("status cdaudio mode"), "stopped");
  EXPECT_EQ(Reply("status cdaudio position"), "01:00:00:00");

  // A play that ends before the disc does stays where it ended.
  ASSERT_EQ(Code("play cdaudio from 1:0:10:0 to 1:0:12:0"), 0u);
  clock.Advance(3 * kSecond);
  EXPECT_EQ(Reply("status cdaudio mode"), "stopped");
  EXPECT_EQ(Reply("status cdaudio position"), "01:00:12:00");
  ASSERT_EQ(Code("play cdaudio"), 0u);
  EXPECT_EQ(Reply("status cdaudio mode"), "playing");
  ASSERT_EQ(Code("stop cdaudio"), 0u);
  EXPECT_EQ(Reply("status cdaudio mode"), "stopped");
}

TEST_F(SimWinmmTest, CdPlayRejectsPositionsOffTheDisc) {
  winmm.InsertDisc({30000, 30000});
  ASSERT_EQ(Code("open cdaudio"), 0u);
  for (const char* bad : {"play cdaudio from Error:282", "play cdaudio from", "play cdaudio from 1:256",
                          "play cdaudio from -1:0"})
    EXPECT_EQ(Code(bad), kMciErrBadInteger) << bad;
  // msf: the disc holds 00:02:00 up to 01:02:00.
  for (const char* bad : {"play cdaudio from 00:01:74", "play cdaudio from 01:02:00",
                          "play cdaudio from 00:30:00 to 00:10:00"})
    EXPECT_EQ(Code(bad), kMciErrOutOfRange) << bad;
  EXPECT_EQ(Code("play cdaudio from 00:02:00 fast"), kMciErrUnrecognizedCommand);
  EXPECT_EQ(Reply("status cdaudio mode"), "stopped");
  ASSERT_EQ(Code("set cdaudio time format tmsf"), 0u);
  EXPECT_EQ(Code("play cdaudio from 3:0:0:0"), kMciErrOutOfRange);
}

TEST_F(SimWinmmTest, CdAutoOpensForOneCommandInItsOwnTimeFormat) {
  winmm.InsertDisc({30000, 30000});
  EXPECT_EQ(Reply("status cdaudio position track 2"), "00:32:00");
  EXPECT_EQ(Code("set cdaudio time format tmsf"), 0u);
  EXPECT_EQ(Reply("status cdaudio position track 2"), "00:32:00");
  EXPECT_TRUE(winmm.OpenAliases().empty());
}

TEST_F(SimWinmmTest, Mp3OpensOnlyForAFileItCanPlay) {
  files.AddFile("C:\\Music\\a.mp3", "ID3");
  files.AddFile("C:\\Music\\broken.mp3", "junk");
  winmm.SetMediaUnplayable("c:\\music\\BROKEN.mp3");
  EXPECT_EQ(Code("open \"C:\\Music\\none.mp3\" type MPEGVideo Alias MP3Play"), kMciErrFileNotFound);
  EXPECT_EQ(Code("open \"C:\\Music\\broken.mp3\" type MPEGVideo Alias MP3Play"), kMciErrInternal);
  EXPECT_EQ(Code("open \"C:\\Music\\a.mp3\" type WaveAudio Alias MP3Play"), kMciErrInvalidDeviceName);
  EXPECT_EQ(Code("open C:\\Music\\a.mid alias x"), kMciErrExtensionNotFound);
  EXPECT_EQ(Reply("open \"C:\\Music\\a.mp3\" type MPEGVideo Alias MP3Play"), "1");  // the device ID
  EXPECT_EQ(Code("open \"C:\\Music\\a.mp3\" type MPEGVideo Alias mp3play"), kMciErrDuplicateAlias);
  EXPECT_EQ(Reply("status mp3play mode"), "stopped");
  EXPECT_EQ(Code("close MP3PLAY"), 0u);
  EXPECT_EQ(Code("close MP3Play"), kMciErrInvalidDeviceName);
}

TEST_F(SimWinmmTest, Mp3PlaysForItsLengthAndCanBePausedFromOutside) {
  files.AddFile("C:\\a.mp3", "ID3");
  winmm.SetMediaLength("C:\\A.MP3", 10000);
  ASSERT_EQ(Code("open \"C:\\a.mp3\" type MPEGVideo Alias MP3Play"), 0u);
  EXPECT_EQ(Reply("status MP3Play length"), "10000");
  ASSERT_EQ(Code("play MP3Play"), 0u);
  clock.Advance(4 * kSecond);
  EXPECT_TRUE(winmm.PauseDevice("mp3play"));
  EXPECT_FALSE(winmm.PauseDevice("other"));
  clock.Advance(60 * kSecond);
  EXPECT_EQ(Reply("status MP3Play mode"), "paused");
  EXPECT_EQ(Reply("status MP3Play position"), "4000");
  ASSERT_EQ(Code("play MP3Play"), 0u);
  clock.Advance(6 * kSecond);
  EXPECT_EQ(Reply("status MP3Play mode"), "stopped");
  EXPECT_EQ(Reply("status MP3Play position"), "10000");
  EXPECT_EQ(Code("play MP3Play from 10001"), kMciErrOutOfRange);
  EXPECT_EQ(Code("play MP3Play from x"), kMciErrBadInteger);
  ASSERT_EQ(Code("play MP3Play from 0"), 0u);
  EXPECT_EQ(Reply("status MP3Play mode"), "playing");
  EXPECT_EQ(Code("status MP3Play current track"), kMciErrUnsupportedFunction);
}

TEST_F(SimWinmmTest, LogCarriesTheVirtualTime) {
  clock.Advance(1500);
  winmm.mciSendStringA("status cdaudio mode", nullptr, 0, 42);
  ASSERT_EQ(winmm.MciCalls().size(), 1u);
  EXPECT_EQ(winmm.MciCalls()[0].time, 1500);
  EXPECT_EQ(winmm.MciCalls()[0].callback, 42);
  EXPECT_EQ(winmm.MciCalls()[0].result, kMciErrCannotLoadDriver);
}

TEST_F(SimWinmmTest, ErrorTextsFitTheBuffer) {
  char text[16];
  EXPECT_EQ(winmm.mciGetErrorStringA(263, text, 8), 1);
  EXPECT_STREQ(text, "The spe");
  for (const std::uint32_t unknown : {0u, 256u, 258u, 999u}) EXPECT_EQ(winmm.mciGetErrorStringA(unknown, text, 16), 0);
  EXPECT_EQ(winmm.mciGetErrorStringA(263, text, 0), 0);
  EXPECT_EQ(SimWinmm::ErrorText(270), "The specified integer is invalid for this command.");
  EXPECT_EQ(winmm.ErrorTextCalls().size(), 6u);
}

TEST_F(SimWinmmTest, PlaySoundRecordsAndLoops) {
  files.AddFile("C:\\a.wav", "RIFF");
  EXPECT_EQ(winmm.PlaySoundA("C:\\a.wav", 0, kSndSync), 1);
  EXPECT_FALSE(winmm.SoundPlaying());
  EXPECT_EQ(winmm.PlaySoundA("C:\\none.wav", 0, kSndSync), 0);
  EXPECT_EQ(winmm.PlaySoundA("C:\\none.wav", 0, kSndAsync | kSndLoop), 1);
  EXPECT_FALSE(winmm.SoundPlaying());
  EXPECT_EQ(winmm.PlaySoundA("C:\\a.wav", 0, kSndAsync | kSndLoop), 1);
  EXPECT_EQ(winmm.SoundPlaying(), "C:\\a.wav");
  EXPECT_EQ(winmm.PlaySoundA(nullptr, 0, 0), 1);
  EXPECT_FALSE(winmm.SoundPlaying());
  winmm.SetPlaySoundResult(0);
  EXPECT_EQ(winmm.PlaySoundA("C:\\a.wav", 0, kSndAsync), 0);
  EXPECT_EQ(winmm.PlaySoundCalls().size(), 6u);
}

}  // namespace
}  // namespace tolvarin::sim
