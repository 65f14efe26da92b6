#include "music/bgm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_filesystem.h"
#include "platform/sim/sim_winmm.h"
#include "startup/process_state.h"

namespace tolvarin {
namespace {

using sim::MciCall;

constexpr std::int64_t kMs = 1000;
constexpr const char* kOpenMp3Suffix = "\" type MPEGVideo Alias MP3Play";

class BgmTest : public ::testing::Test {
 protected:
  // Timer2 of the saver window: every 200 ms, for as long as the poll is ok.
  void PollCdUntil(std::int64_t until) {
    while (clock.Now() < until) {
      clock.Advance(200 * kMs);
      bgm.CdPoll();
      if (!state.player.cdPollOk) return;
    }
  }
  // Timer1: every second.
  void PollMp3Until(std::int64_t until) {
    while (clock.Now() < until) {
      clock.Advance(1000 * kMs);
      bgm.Mp3Poll();
    }
  }
  std::vector<std::string> CommandsFrom(std::size_t first) const {
    const auto all = winmm.Commands();
    return {all.begin() + static_cast<std::ptrdiff_t>(first), all.end()};
  }
  std::vector<MciCall> CallsStartingWith(const std::string& prefix) const {
    std::vector<MciCall> found;
    for (const MciCall& call : winmm.MciCalls())
      if (call.command.rfind(prefix, 0) == 0) found.push_back(call);
    return found;
  }
  std::string Status(const std::string& command) {
    char reply[128];
    winmm.mciSendStringA(command.c_str(), reply, sizeof reply, 0);
    return reply;
  }
  void StartMp3(const std::string& path) {
    state.settings.musicFile = path;
    bgm.Mp3Start();
  }

  sim::SimClock clock;
  sim::SimFileSystem files;
  sim::SimWinmm winmm{clock, files};
  ProcessState state;
  Bgm bgm{winmm, state};
};

// --- MciSend, MciQuery, MciPlay -------------------------------------------

TEST_F(BgmTest, EmptyCommandIsNotSent) {
  state.lastApiResult = 77;
  std::string reply = "old";
  EXPECT_EQ(bgm.MciSend("", reply), -1);
  EXPECT_EQ(reply, "コマンド文字列が指定されていません");
  EXPECT_TRUE(winmm.MciCalls().empty());
  EXPECT_EQ(state.lastApiResult, 77);

  EXPECT_EQ(bgm.MciQuery(""), "Error:-1");
  EXPECT_EQ(state.lastApiResult, -1);
  EXPECT_TRUE(winmm.MciCalls().empty());
}

TEST_F(BgmTest, SendAnnouncesTheReplyBufferAndGivesTheReply) {
  winmm.InsertDisc({60000, 60000, 60000});
  state.lastApiResult = 5;
  std::string reply;
  EXPECT_EQ(bgm.MciSend("status cdaudio number of tracks", reply), 0);
  EXPECT_EQ(reply, "3");
  EXPECT_EQ(state.lastApiResult, 0);
  const MciCall& call = winmm.MciCalls().back();
  EXPECT_TRUE(call.replyBuffer);
  EXPECT_EQ(call.returnLength, 512u);
  EXPECT_EQ(call.callback, 0);
  EXPECT_STREQ(state.player.mciReply.data(), "3");
}

TEST_F(BgmTest, FailureGivesThePlatformsTextOrAFixedOne) {
  std::string reply;
  EXPECT_EQ(bgm.MciSend("status MP3Play mode", reply), 263);
  EXPECT_EQ(reply, "The specified device is not open or is not recognized by MCI.");
  EXPECT_EQ(state.lastApiResult, 263);
  ASSERT_EQ(winmm.ErrorTextCalls().size(), 1u);
  EXPECT_EQ(winmm.ErrorTextCalls()[0].code, 263u);
  EXPECT_EQ(winmm.ErrorTextCalls()[0].length, 256u);

  winmm.SetErrorTextsAvailable(false);
  EXPECT_EQ(bgm.MciSend("status MP3Play mode", reply), 263);
  EXPECT_EQ(reply, "Error (文字列が取れません)");
}

TEST_F(BgmTest, RepliesCrossInCodePage932) {
  winmm.ScriptReply("status cdaudio mode", 0, "\x92\xe2\x8e\x7e");  // 停止
  std::string reply;
  EXPECT_EQ(bgm.MciSend("status cdaudio mode", reply), 0);
  EXPECT_EQ(reply, "停止");
}

TEST_F(BgmTest, QueryGivesTheReplyOrTheCode) {
  winmm.InsertDisc({60000, 60000});
  EXPECT_EQ(bgm.MciQuery("status cdaudio number of tracks"), "2");
  state.lastApiResult = 1;
  EXPECT_EQ(bgm.MciQuery("status cdaudio position track 7"), "Error:282");
  EXPECT_EQ(state.lastApiResult, 282);
  EXPECT_EQ(bgm.MciQuery("status nothing mode"), "Error:263");
}

TEST_F(BgmTest, PlayBuildsTheCommandFromItsParts) {
  winmm.InsertDisc({60000, 60000});
  EXPECT_EQ(bgm.MciPlay("cdaudio", "", ""), 0);
  EXPECT_EQ(bgm.MciPlay("cdaudio", "00:02:00", ""), 0);
  EXPECT_EQ(bgm.MciPlay("cdaudio", "", "00:30:00"), 0);
  EXPECT_EQ(bgm.MciPlay("cdaudio", "00:02:00", "00:30:00"), 0);
  EXPECT_EQ(bgm.MciPlay("cdaudio", "Error:282", ""), 270);
  EXPECT_EQ(winmm.Commands(), (std::vector<std::string>{
                                  "play cdaudio",
                                  "play cdaudio from 00:02:00",
                                  "play cdaudio to 00:30:00",
                                  "play cdaudio from 00:02:00 to 00:30:00",
                                  "play cdaudio from Error:282",
                              }));
  EXPECT_EQ(state.lastApiResult, 270);
}

// --- Audio CD --------------------------------------------------------------

TEST_F(BgmTest, CdOpenSendsTwoCommandsWithoutReply) {
  winmm.InsertDisc({60000});
  bgm.CdOpen();
  ASSERT_EQ(winmm.MciCalls().size(), 2u);
  EXPECT_EQ(winmm.MciCalls()[0].command, "open cdaudio");
  EXPECT_EQ(winmm.MciCalls()[1].command, "set cdaudio time format tmst");
  for (const MciCall& call : winmm.MciCalls()) {
    EXPECT_FALSE(call.replyBuffer);
    EXPECT_EQ(call.returnLength, 0u);
  }
  EXPECT_EQ(winmm.MciCalls()[0].result, 0u);
  // "tmst" is no time format the device knows; the result still lands here.
  EXPECT_EQ(state.lastApiResult, 261);
}

TEST_F(BgmTest, WholeDiscPlaysOnStopAndStartsAgainAtItsEnd) {
  winmm.InsertDisc({60000, 60000, 60000});
  bgm.CdOpen();
  const std::size_t first = winmm.MciCalls().size();
  PollCdUntil(200 * kMs);
  EXPECT_EQ(CommandsFrom(first), (std::vector<std::string>{
                                     "status cdaudio current track",
                                     "status cdaudio number of tracks",
                                     "status cdaudio mode",
                                     "play cdaudio",
                                 }));
  const MciCall& mode = winmm.MciCalls()[first + 2];
  EXPECT_TRUE(mode.replyBuffer);
  EXPECT_EQ(mode.returnLength, 255u);
  EXPECT_EQ(mode.reply, "stopped");
  EXPECT_EQ(winmm.MciCalls()[first].returnLength, 512u);

  // Three minutes of music from 0.2 s on: the disc ends at 180.2 s, on a tick.
  PollCdUntil(181 * 1000 * kMs);
  EXPECT_TRUE(state.player.cdPollOk);
  const auto plays = CallsStartingWith("play ");
  ASSERT_EQ(plays.size(), 2u);
  EXPECT_EQ(plays[0].time, 200 * kMs);
  EXPECT_EQ(plays[1].time, 180200 * kMs);
  EXPECT_EQ(plays[1].command, "play cdaudio");
  EXPECT_EQ(Status("status cdaudio mode"), "playing");
  EXPECT_EQ(Status("status cdaudio current track"), "1");
}

TEST_F(BgmTest, RepeatTrackJumpsBackWithinOnePollOfTheNextTrack) {
  // Tracks of 30, 30, 40 and 30 s; track 3 starts 62 s into the disc.
  winmm.InsertDisc({30000, 30000, 40000, 30000});
  state.settings.repeatTrack = 3;
  bgm.CdOpen();
  const std::size_t first = winmm.MciCalls().size();
  PollCdUntil(200 * kMs);
  EXPECT_EQ(CommandsFrom(first), (std::vector<std::string>{
                                     "status cdaudio current track",
                                     "status cdaudio number of tracks",
                                     "status cdaudio mode",
                                     "status cdaudio position track 3",
                                     "play cdaudio from 01:02:00",
                                 }));
  EXPECT_EQ(Status("status cdaudio current track"), "3");

  // Track 4 begins 40 s after the play, at 40.2 s: that very tick jumps back.
  PollCdUntil(45 * 1000 * kMs);
  const auto jumps = CallsStartingWith("play cdaudio from ");
  ASSERT_EQ(jumps.size(), 2u);
  EXPECT_EQ(jumps[1].time, 40200 * kMs);
  EXPECT_EQ(jumps[1].command, "play cdaudio from 01:02:00");
  EXPECT_EQ(Status("status cdaudio current track"), "3");
  EXPECT_TRUE(state.player.cdPollOk);
}

TEST_F(BgmTest, RepeatTrackOfTheLastTrackStartsAgainWhenTheDiscStops) {
  winmm.InsertDisc({30000, 20000});
  state.settings.repeatTrack = 2;
  bgm.CdOpen();
  PollCdUntil(21 * 1000 * kMs);
  const auto jumps = CallsStartingWith("play cdaudio from ");
  ASSERT_EQ(jumps.size(), 2u);
  EXPECT_EQ(jumps[1].time, 20200 * kMs);
  EXPECT_EQ(Status("status cdaudio current track"), "2");
}

TEST_F(BgmTest, RepeatTrackBeyondTheDiscKeepsPollingWithARejectedPlay) {
  winmm.InsertDisc({30000, 30000, 30000, 30000});
  state.settings.repeatTrack = 9;
  bgm.CdOpen();
  PollCdUntil(600 * kMs);
  EXPECT_TRUE(state.player.cdPollOk);
  const auto plays = CallsStartingWith("play ");
  ASSERT_EQ(plays.size(), 3u);
  for (const MciCall& play : plays) {
    EXPECT_EQ(play.command, "play cdaudio from Error:282");
    EXPECT_EQ(play.result, 270u);
  }
  EXPECT_EQ(CallsStartingWith("status cdaudio position track 9").size(), 3u);
  EXPECT_EQ(state.lastApiResult, 270);
  EXPECT_EQ(Status("status cdaudio mode"), "stopped");
}

TEST_F(BgmTest, NoDiscOrNoDriveEndsPollingOnTheFirstTick) {
  for (const bool drive : {true, false}) {
    SCOPED_TRACE(drive ? "empty drive" : "no drive");
    if (drive)
      winmm.EmptyCdDrive();
    else
      winmm.RemoveCdDrive();
    winmm.ClearLog();
    state.settings.repeatTrack = 2;
    bgm.CdOpen();
    const std::size_t first = winmm.MciCalls().size();
    PollCdUntil(clock.Now() + 2000 * kMs);
    EXPECT_FALSE(state.player.cdPollOk);
    EXPECT_EQ(CommandsFrom(first), std::vector<std::string>{"status cdaudio current track"});
    EXPECT_EQ(state.lastApiResult, drive ? 276 : 266);
  }
}

TEST_F(BgmTest, FailedTrackCountEndsThePoll) {
  winmm.InsertDisc({30000});
  winmm.ScriptReply("status cdaudio number of tracks", 276, "");
  bgm.CdPoll();
  EXPECT_FALSE(state.player.cdPollOk);
  EXPECT_EQ(winmm.Commands().size(), 2u);
}

TEST_F(BgmTest, ReplyContainingErrInAnyCaseEndsThePoll) {
  winmm.InsertDisc({30000});
  winmm.ScriptReply("status cdaudio current track", 0, "terror");
  bgm.CdPoll();
  EXPECT_FALSE(state.player.cdPollOk);
  EXPECT_EQ(winmm.Commands().size(), 1u);
}

TEST_F(BgmTest, CurrentTrackThatIsNotANumberEndsThePollWhenATrackRepeats) {
  winmm.InsertDisc({30000, 30000, 30000});
  state.settings.repeatTrack = 3;
  for (const char* odd : {"3a", "", "three", "0x3"}) {
    SCOPED_TRACE(odd);
    winmm.ClearLog();
    winmm.ScriptReply("status cdaudio current track", 0, odd);
    bgm.CdPoll();
    EXPECT_FALSE(state.player.cdPollOk);
    // Read as a number even though the device stands stopped.
    EXPECT_EQ(winmm.Commands().back(), "status cdaudio mode");
  }

  // Without a repeat track the reply is never read as a number.
  state.settings.repeatTrack = 0;
  bgm.CdPoll();
  EXPECT_TRUE(state.player.cdPollOk);
  EXPECT_EQ(winmm.Commands().back(), "play cdaudio");
}

TEST_F(BgmTest, CurrentTrackIsReadWholeAsANumber) {
  winmm.InsertDisc({30000, 30000, 30000});
  state.settings.repeatTrack = 3;
  bgm.CdPoll();  // plays track 3
  for (const char* same : {"03", " 3 ", "3.0", "+3"}) {
    SCOPED_TRACE(same);
    winmm.ClearLog();
    winmm.ScriptReply("status cdaudio current track", 0, same);
    bgm.CdPoll();
    EXPECT_TRUE(state.player.cdPollOk);
    EXPECT_EQ(winmm.Commands().size(), 3u);  // no jump
  }
  winmm.ScriptReply("status cdaudio current track", 0, "3.5");
  bgm.CdPoll();
  EXPECT_EQ(winmm.Commands().back(), "play cdaudio from 01:02:00");
}

TEST_F(BgmTest, CdCloseStopsAndClosesTheDevice) {
  winmm.InsertDisc({30000});
  bgm.CdOpen();
  bgm.CdPoll();
  winmm.ClearLog();
  state.lastApiResult = 9;
  bgm.CdClose();
  EXPECT_EQ(winmm.Commands(), (std::vector<std::string>{"stop cdaudio", "close cdaudio"}));
  for (const MciCall& call : winmm.MciCalls()) EXPECT_FALSE(call.replyBuffer);
  EXPECT_EQ(state.lastApiResult, 0);
  EXPECT_TRUE(winmm.OpenAliases().empty());
  EXPECT_EQ(Status("status cdaudio mode"), "stopped");
}

// --- MP3 -------------------------------------------------------------------

TEST_F(BgmTest, Mp3WithBlanksInItsPathOpensAndPlays) {
  files.AddFile("C:\\My Music\\a song.mp3", "ID3");
  state.lastApiResult = 55;
  StartMp3("C:\\My Music\\a song.mp3");
  EXPECT_EQ(winmm.Commands(), (std::vector<std::string>{
                                  std::string("open \"C:\\My Music\\a song.mp3") + kOpenMp3Suffix,
                                  "play MP3Play",
                              }));
  for (const MciCall& call : winmm.MciCalls()) {
    EXPECT_FALSE(call.replyBuffer);
    EXPECT_EQ(call.result, 0u);
  }
  EXPECT_EQ(state.lastApiResult, 55);
  EXPECT_TRUE(bgm.Mp3IsPlaying());
  EXPECT_EQ(winmm.MciCalls().back().returnLength, 30u);
}

TEST_F(BgmTest, JapanesePathCrossesInCodePage932) {
  // The second byte of 表 is 0x5C, the path separator's byte.
  files.AddFile("C:\\音楽\\表.mp3", "ID3");
  StartMp3("C:\\音楽\\表.mp3");
  ASSERT_EQ(winmm.MciCalls().size(), 2u);
  EXPECT_EQ(winmm.MciCalls()[0].command,
            std::string("open \"C:\\\x89\xb9\x8a\x79\\\x95\x5c.mp3") + kOpenMp3Suffix);
  EXPECT_EQ(winmm.MciCalls()[0].result, 0u);
  EXPECT_EQ(winmm.MciCalls()[1].command, "play MP3Play");
}

TEST_F(BgmTest, Mp3RestartsWithinASecondOfItsEnd) {
  files.AddFile("C:\\a.mp3", "ID3");
  winmm.SetMediaLength("C:\\a.mp3", 2500);
  StartMp3("C:\\a.mp3");
  winmm.ClearLog();
  PollMp3Until(2000 * kMs);
  EXPECT_EQ(winmm.Commands(), (std::vector<std::string>{"status MP3Play mode", "status MP3Play mode"}));
  PollMp3Until(3000 * kMs);
  EXPECT_EQ(CommandsFrom(2), (std::vector<std::string>{
                                 "status MP3Play mode",
                                 "stop MP3Play",
                                 "play MP3Play from 0",
                             }));
  EXPECT_EQ(winmm.MciCalls()[2].reply, "stopped");
  EXPECT_EQ(winmm.MciCalls().back().result, 0u);
  EXPECT_TRUE(bgm.Mp3IsPlaying());
}

TEST_F(BgmTest, PausedMp3IsStartedAgain) {
  files.AddFile("C:\\a.mp3", "ID3");
  StartMp3("C:\\a.mp3");
  PollMp3Until(5000 * kMs);
  ASSERT_TRUE(winmm.PauseDevice("MP3Play"));
  EXPECT_FALSE(bgm.Mp3IsPlaying());
  winmm.ClearLog();
  PollMp3Until(6000 * kMs);
  EXPECT_EQ(winmm.Commands(), (std::vector<std::string>{
                                  "status MP3Play mode",
                                  "stop MP3Play",
                                  "play MP3Play from 0",
                              }));
  EXPECT_EQ(Status("status MP3Play position"), "0");
}

TEST_F(BgmTest, Mp3ThatFailsToOpenIsNeverPlayedButStillPolled) {
  StartMp3("C:\\missing.mp3");
  EXPECT_EQ(winmm.Commands(),
            std::vector<std::string>{std::string("open \"C:\\missing.mp3") + kOpenMp3Suffix});
  EXPECT_EQ(winmm.MciCalls()[0].result, 275u);
  PollMp3Until(2000 * kMs);
  const auto commands = CommandsFrom(1);
  ASSERT_EQ(commands.size(), 6u);
  EXPECT_EQ(commands[0], "status MP3Play mode");
  EXPECT_EQ(commands[1], "stop MP3Play");
  EXPECT_EQ(commands[2], "play MP3Play from 0");
  for (std::size_t i = 1; i < winmm.MciCalls().size(); ++i) EXPECT_EQ(winmm.MciCalls()[i].result, 263u);
}

TEST_F(BgmTest, PathWithADoubleQuoteIsNeverSent) {
  // Otherwise the quote would close the name and "x.mp3" would be read as a keyword.
  files.AddFile("C:\\a.mp3", "ID3");
  state.lastApiResult = 3;
  StartMp3("C:\\a.mp3\" x.mp3");
  EXPECT_TRUE(winmm.MciCalls().empty());
  EXPECT_EQ(state.lastApiResult, 3);
  PollMp3Until(1000 * kMs);
  EXPECT_EQ(winmm.Commands(), (std::vector<std::string>{
                                  "status MP3Play mode",
                                  "stop MP3Play",
                                  "play MP3Play from 0",
                              }));
}

TEST_F(BgmTest, Mp3CloseStopsAndClosesTheAlias) {
  files.AddFile("C:\\a.mp3", "ID3");
  StartMp3("C:\\a.mp3");
  winmm.ClearLog();
  bgm.Mp3Close();
  EXPECT_EQ(winmm.Commands(), (std::vector<std::string>{"stop MP3Play", "close MP3Play"}));
  EXPECT_EQ(winmm.MciCalls()[1].result, 0u);
  EXPECT_TRUE(winmm.OpenAliases().empty());
}

// --- WAV -------------------------------------------------------------------

TEST_F(BgmTest, WavLoopsInTheBackgroundAndStops) {
  files.AddFile("C:\\音楽\\a.wav", "RIFF");
  state.settings.musicFile = "C:\\音楽\\a.wav";
  bgm.WavStart();
  ASSERT_EQ(winmm.PlaySoundCalls().size(), 1u);
  const sim::PlaySoundCall& start = winmm.PlaySoundCalls()[0];
  EXPECT_EQ(start.sound, std::string("C:\\\x89\xb9\x8a\x79\\a.wav"));
  EXPECT_EQ(start.module, 0);
  EXPECT_EQ(start.flags, 9u);
  EXPECT_EQ(state.lastApiResult, 1);
  EXPECT_TRUE(winmm.SoundPlaying().has_value());

  state.lastApiResult = 0;
  bgm.WavStop();
  ASSERT_EQ(winmm.PlaySoundCalls().size(), 2u);
  const sim::PlaySoundCall& stop = winmm.PlaySoundCalls()[1];
  EXPECT_FALSE(stop.sound.has_value());
  EXPECT_EQ(stop.module, 0);
  EXPECT_EQ(stop.flags, 0u);
  EXPECT_EQ(state.lastApiResult, 1);
  EXPECT_FALSE(winmm.SoundPlaying().has_value());
}

TEST_F(BgmTest, WavFailureLandsInTheLastApiResult) {
  state.settings.musicFile = "C:\\a.wav";
  winmm.SetPlaySoundResult(0);
  state.lastApiResult = 7;
  bgm.WavStart();
  EXPECT_EQ(winmm.PlaySoundCalls().size(), 1u);
  EXPECT_EQ(state.lastApiResult, 0);
}

TEST_F(BgmTest, WavWithoutAWaveDeviceIsNotPlayed) {
  files.AddFile("C:\\a.wav", "RIFF");
  state.settings.musicFile = "C:\\a.wav";
  state.lastApiResult = 7;
  // The count is read as a signed number: an all-ones count is -1.
  for (const std::uint32_t devices : {0u, 0xFFFFFFFFu}) {
    winmm.SetWaveOutDevices(devices);
    bgm.WavStart();
  }
  EXPECT_EQ(winmm.WaveOutGetNumDevsCalls(), 2);
  EXPECT_TRUE(winmm.PlaySoundCalls().empty());
  EXPECT_EQ(state.lastApiResult, 7);
}

}  // namespace
}  // namespace tolvarin
