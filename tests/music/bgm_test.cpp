#include "music/bgm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_winmm.h"
#include "state/process_state.h"

namespace tolvarin {
namespace {

using Lines = std::vector<std::string>;

constexpr Hwnd kSaverWindow = 0x5A7E;
constexpr std::uint32_t kMp3Id = 7;
const std::string kToSaver = " >" + std::to_string(kSaverWindow);
// What every CD poll asks first, with the buffer lengths it announces.
const Lines kCdQueries{"status cdaudio current track [512]", "status cdaudio number of tracks [512]",
                       "status cdaudio mode [255]"};

// Every call to the multimedia device is recorded; a command answers what the
// test scripts for it, or success with an empty reply.
class BgmTest : public ::testing::Test {
 protected:
  // The calls since the last look, and a fresh log for the next.
  Lines Calls() {
    Lines lines = winmm.Lines();
    winmm.ClearLog();
    return lines;
  }
  // One CD poll with these replies of the current track and of the mode.
  Lines Poll(const std::string& currentTrack, const std::string& mode) {
    winmm.ScriptReply("status cdaudio current track", 0, currentTrack);
    winmm.ScriptReply("status cdaudio mode", 0, mode);
    bgm.CdPoll();
    return Calls();
  }
  void StartMp3(const std::string& path) {
    state.settings.musicFile = path;
    bgm.Mp3Start(kSaverWindow);
  }

  sim::SimClock clock;
  sim::SimWinmm winmm{clock};
  ProcessState state;
  Bgm bgm{winmm, state};
};

// --- Sending commands ------------------------------------------------------

TEST_F(BgmTest, MciSendReadsTheReplyOrTheErrorTextAndQueryGivesTheCode) {
  winmm.ScriptReply("status cdaudio mode", 0, "playing");
  winmm.ScriptReply("status nothing mode", 263);
  winmm.SetErrorText(263, "The specified device is not open or is not recognized by MCI.");
  const struct {
    const char* command;
    std::int32_t code;
    const char* reply;
    const char* query;
    Lines calls;
  } rows[] = {
      {"status cdaudio mode", 0, "playing", "playing", {"status cdaudio mode [512]"}},
      {"status nothing mode", 263, "The specified device is not open or is not recognized by MCI.", "Error:263",
       {"status nothing mode [512]", "mciGetErrorStringW 263 [256]"}},
      // The platform has no text for the code.
      {"status other mode", 276, "Error (文字列が取れません)", "Error:276",
       {"status other mode [512]", "mciGetErrorStringW 276 [256]"}},
      // Nothing is sent for an empty command.
      {"", -1, "コマンド文字列が指定されていません", "Error:-1", {}},
  };
  winmm.ScriptReply("status other mode", 276);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.command);
    std::string reply;
    state.lastApiResult = 0;
    EXPECT_EQ(bgm.MciSend(row.command, reply), row.code);
    EXPECT_EQ(reply, row.reply);
    EXPECT_EQ(state.lastApiResult, row.code == -1 ? 0 : row.code);  // only what was sent
    EXPECT_EQ(Calls(), row.calls);
    state.lastApiResult = 99;
    EXPECT_EQ(bgm.MciQuery(row.command), row.query);
    EXPECT_EQ(state.lastApiResult, row.code);
    Calls();
  }
}

// --- Audio CD --------------------------------------------------------------

TEST_F(BgmTest, CdOpensAndClosesWithoutReplyBuffers) {
  winmm.ScriptReply("*", 276);  // results are not tested, only kept
  bgm.CdOpen();
  EXPECT_EQ(state.lastApiResult, 276);
  bgm.CdClose();
  EXPECT_EQ(Calls(), (Lines{"open cdaudio", "set cdaudio time format tmst", "stop cdaudio", "close cdaudio"}));
}

// Each row is one poll, in order. Repeat track 0: the disc plays on whenever
// the device stands stopped. Repeat track 3: a poll that finds another track
// current, or the device stopped, plays from the start of track 3 as the
// device gives it. Replies are compared exactly, the track read as a number.
TEST_F(BgmTest, PollPlaysTheStoppedDiscOrJumpsBackToTheRepeatTrack) {
  winmm.ScriptReply("status cdaudio position track 3", 0, "03:00:00:00");
  const Lines play{"play cdaudio [512]"};
  const Lines jump{"status cdaudio position track 3 [512]", "play cdaudio from 03:00:00:00 [512]"};
  const struct {
    std::int16_t repeatTrack;
    const char* track;
    const char* mode;
    Lines then;  // after the queries
  } rows[] = {
      {0, "1", "stopped", play}, {0, "1", "playing", {}}, {0, "2", "paused", {}}, {0, "1", "Stopped", {}},
      {0, "1", "stopped", play},  // the disc reached its end
      {3, "1", "playing", jump}, {3, "3", "playing", {}}, {3, "4", "playing", jump},  // track 4 began
      {3, "3", "stopped", jump}, {3, "03", "paused", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.repeatTrack) + " " + row.track + " " + row.mode);
    state.settings.repeatTrack = row.repeatTrack;
    Lines expected = kCdQueries;
    expected.insert(expected.end(), row.then.begin(), row.then.end());
    EXPECT_EQ(Poll(row.track, row.mode), expected);
    EXPECT_TRUE(state.player.cdPollOk);
  }
}

// A track the disc does not have: the position query fails, and its error
// text goes out as the position of a play the device rejects, on every poll.
TEST_F(BgmTest, RepeatTrackBeyondTheDiscKeepsPollingWithARejectedPlay) {
  state.settings.repeatTrack = 9;
  winmm.ScriptReply("status cdaudio position track 9", 282);
  winmm.ScriptReply("play cdaudio from Error:282", 282);
  for (int poll = 0; poll < 2; ++poll) {
    const Lines calls = Poll("1", "playing");
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.back(), "mciGetErrorStringW 282 [256]");
    EXPECT_EQ(calls[calls.size() - 2], "play cdaudio from Error:282 [512]");
    EXPECT_TRUE(state.player.cdPollOk);
  }
}

// Each row is one poll: the replies it reads and the call it ended on. Which
// replies count as errors is ContainsErr's, how one reads as a number
// ReplyAsNumber's.
TEST_F(BgmTest, EachPollEndsOnAnErrorAndReadsTheCurrentTrackWholeWhenATrackRepeats) {
  const struct {
    const char* command;
    std::uint32_t result;
    const char* reply;
    std::int16_t repeatTrack;
    bool pollOk;
    const char* last;
  } rows[] = {
      // No drive or no disc: the first query fails.
      {"status cdaudio current track", 276, "", 0, false, "mciGetErrorStringW 276 [256]"},
      // Not a number: the poll ends, even while the disc stands stopped.
      {"status cdaudio current track", 0, "3a", 3, false, "status cdaudio mode [255]"},
      // Without a repeat track the reply is never read as a number.
      {"status cdaudio current track", 0, "3a", 0, true, "play cdaudio [512]"},
      {"status cdaudio number of tracks", 276, "", 3, false, "mciGetErrorStringW 276 [256]"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.command) + " " + row.reply + " " + std::to_string(row.repeatTrack));
    winmm.ScriptReply("status cdaudio current track", 0, "3");
    winmm.ScriptReply("status cdaudio number of tracks", 0, "4");
    winmm.ScriptReply("status cdaudio mode", 0, "stopped");
    winmm.ScriptReply(row.command, row.result, row.reply);
    state.settings.repeatTrack = row.repeatTrack;
    bgm.CdPoll();
    EXPECT_EQ(state.player.cdPollOk, row.pollOk);
    EXPECT_EQ(Calls().back(), row.last);
  }
}

// --- MP3 -------------------------------------------------------------------

// The path goes whole inside quotes; the play asks to be told of its end.
TEST_F(BgmTest, Mp3OpensPlaysWithNotificationAndClosesByItsAlias) {
  winmm.SetDeviceId("MP3Play", kMp3Id);
  StartMp3("C:\\My Music\\Café 노래.mp3");
  EXPECT_EQ(Calls(), (Lines{"open \"C:\\My Music\\Café 노래.mp3\" type MPEGVideo Alias MP3Play",
                            "mciGetDeviceIDW MP3Play", "play MP3Play notify" + kToSaver}));
  bgm.Mp3Close();
  EXPECT_EQ(Calls(), (Lines{"stop MP3Play", "close MP3Play"}));
}

// A file that did not open is never played, and no notification restarts it;
// a path with a quote is never sent.
TEST_F(BgmTest, Mp3ThatDidNotOpenIsNeverPlayed) {
  winmm.SetDeviceId("MP3Play", kMp3Id);
  winmm.ScriptReply("open \"C:\\bad.mp3\" type MPEGVideo Alias MP3Play", 277);
  StartMp3("C:\\bad.mp3");
  for (const std::uint32_t id : {0u, kMp3Id}) bgm.Mp3Notify(kMciNotifySuccessful, id);
  EXPECT_EQ(Calls(), (Lines{"open \"C:\\bad.mp3\" type MPEGVideo Alias MP3Play"}));
  StartMp3("C:\\a.mp3\" x.mp3");
  EXPECT_EQ(Calls(), Lines{});
}

// The poll starts the file again from its beginning whenever its mode is not
// "playing": ended, paused, or a status that failed.
TEST_F(BgmTest, Mp3PollRestartsTheFileUnlessItIsPlaying) {
  const Lines restart{"status MP3Play mode [30]", "stop MP3Play", "play MP3Play from 0"};
  const struct {
    std::uint32_t result;
    const char* mode;
    Lines calls;
  } rows[] = {
      {0, "playing", {"status MP3Play mode [30]"}},
      {0, "stopped", restart},
      {0, "paused", restart},
      {0, "Playing", restart},
      {263, "", restart},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.mode);
    winmm.ScriptReply("status MP3Play mode", row.result, row.mode);
    bgm.Mp3Poll();
    EXPECT_EQ(Calls(), row.calls);
  }
}

// The end of the play starts the file over at once, again asking to be told
// and again to the saver window; other notifications (the whole rule is
// RestartsMp3's), and any after the close, do nothing.
TEST_F(BgmTest, Mp3EndNotificationStartsTheFileOverAtOnce) {
  winmm.SetDeviceId("MP3Play", kMp3Id);
  StartMp3("C:\\song.mp3");
  Calls();
  const Lines restart{"stop MP3Play", "play MP3Play from 0 notify" + kToSaver};
  const struct {
    std::uint32_t flags;
    std::uint32_t deviceId;
    Lines calls;
  } rows[] = {
      {kMciNotifySuccessful, kMp3Id, restart},
      {kMciNotifyAborted, kMp3Id, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.flags) + " " + std::to_string(row.deviceId));
    bgm.Mp3Notify(row.flags, row.deviceId);
    EXPECT_EQ(Calls(), row.calls);
  }
  bgm.Mp3Close();
  Calls();
  for (const std::uint32_t id : {kMp3Id, 0u}) bgm.Mp3Notify(kMciNotifySuccessful, id);
  EXPECT_EQ(Calls(), Lines{});
}

// --- WAV -------------------------------------------------------------------

// Characters code page 932 lacks (é, Hangul), one whose code page 932 form
// ends in 0x5C, the path separator's byte (表), and blanks.
constexpr const char* kWav = "D:\\My Café 노래\\表 a.wav";

TEST_F(BgmTest, WavLoopsInTheBackgroundByPathOnlyWithAWaveDevice) {
  state.settings.musicFile = kWav;
  winmm.SetPlaySoundResult(0);
  state.lastApiResult = 99;
  bgm.WavStart();
  EXPECT_EQ(Calls(), (Lines{"waveOutGetNumDevs", std::string("PlaySoundW ") + kWav + " 0 9"}));
  EXPECT_EQ(state.lastApiResult, 0);
  winmm.SetPlaySoundResult(1);
  bgm.WavStop();
  EXPECT_EQ(Calls(), (Lines{"PlaySoundW null 0 0"}));
  EXPECT_EQ(state.lastApiResult, 1);
  // The device count is read as a signed number: an all-ones count is -1.
  for (const std::uint32_t devices : {0u, 0xFFFFFFFFu}) {
    winmm.SetWaveOutDevices(devices);
    bgm.WavStart();
    EXPECT_EQ(Calls(), Lines{"waveOutGetNumDevs"});
  }
}

}  // namespace
}  // namespace tolvarin
