#include "music/bgm.h"
#include "music/reply_number.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "base/utf16_text.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_filesystem.h"
#include "platform/sim/sim_winmm.h"
#include "startup/process_state.h"

namespace tolvarin {
namespace {

using sim::MciCall;
using Lines = std::vector<std::string>;

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
  // The commands sent from `first` on, each with the reply buffer length it announced, if any.
  Lines Sent(std::size_t first = 0) const {
    Lines out;
    for (std::size_t i = first; i < winmm.MciCalls().size(); ++i) {
      const MciCall& c = winmm.MciCalls()[i];
      out.push_back(c.replyBuffer || c.returnLength ? c.command + " [" + std::to_string(c.returnLength) + "]" : c.command);
    }
    return out;
  }
  // "<ms> <command>" for each command sent that starts with `prefix`.
  Lines Timed(const std::string& prefix) const {
    Lines out;
    for (const MciCall& call : winmm.MciCalls())
      if (call.command.rfind(prefix, 0) == 0) out.push_back(std::to_string(call.time / kMs) + " " + call.command);
    return out;
  }
  std::string Status(const std::string& command) {
    char16_t reply[128];
    winmm.mciSendStringW(Utf8ToUtf16(command).c_str(), reply, 128, 0);
    return Utf16ToUtf8(reply);
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

TEST_F(BgmTest, SendGivesTheReplyTheErrorTextOrAFixedText) {
  state.lastApiResult = 77;
  std::string reply = "old";
  EXPECT_EQ(bgm.MciSend("", reply), -1);
  EXPECT_EQ(reply, "コマンド文字列が指定されていません");
  EXPECT_EQ(state.lastApiResult, 77);
  EXPECT_EQ(bgm.MciQuery(""), "Error:-1");
  EXPECT_EQ(state.lastApiResult, -1);
  EXPECT_TRUE(winmm.MciCalls().empty());

  winmm.InsertDisc({60000, 60000, 60000});
  winmm.ScriptReply("status cdaudio mode", 0, "停止 🎵");
  EXPECT_EQ(bgm.MciSend("status cdaudio mode", reply), 0);
  EXPECT_EQ(reply, "停止 🎵");
  EXPECT_EQ(state.lastApiResult, 0);
  EXPECT_EQ(Sent(), Lines{"status cdaudio mode [512]"});

  EXPECT_EQ(bgm.MciSend("status MP3Play mode", reply), 263);
  EXPECT_EQ(reply, "The specified device is not open or is not recognized by MCI.");
  EXPECT_EQ(state.lastApiResult, 263);
  ASSERT_EQ(winmm.ErrorTextCalls().size(), 1u);
  EXPECT_EQ(winmm.ErrorTextCalls()[0].length, 256u);
  winmm.SetErrorTextsAvailable(false);
  EXPECT_EQ(bgm.MciSend("status MP3Play mode", reply), 263);
  EXPECT_EQ(reply, "Error (文字列が取れません)");
}

// A query's error code, and a play from it, are checked with a repeat track beyond the disc.
TEST_F(BgmTest, QueryGivesTheReplyAndPlayBuildsItsCommand) {
  winmm.InsertDisc({60000, 60000});
  EXPECT_EQ(bgm.MciQuery("status cdaudio number of tracks"), "2");
  winmm.ClearLog();
  EXPECT_EQ(bgm.MciPlay("cdaudio", "", ""), 0);
  EXPECT_EQ(bgm.MciPlay("cdaudio", "00:02:00", ""), 0);
  EXPECT_EQ(bgm.MciPlay("cdaudio", "", "00:30:00"), 0);
  EXPECT_EQ(bgm.MciPlay("cdaudio", "00:02:00", "00:30:00"), 0);
  EXPECT_EQ(winmm.Commands(), (Lines{"play cdaudio", "play cdaudio from 00:02:00", "play cdaudio to 00:30:00",
                                     "play cdaudio from 00:02:00 to 00:30:00"}));
}

// --- Audio CD --------------------------------------------------------------

TEST_F(BgmTest, WholeDiscPlaysOnStopStartsAgainAtItsEndAndCloses) {
  winmm.InsertDisc({60000, 60000, 60000});
  bgm.CdOpen();
  EXPECT_EQ(state.lastApiResult, 261);  // no device knows "tmst"; the result still lands here
  PollCdUntil(200 * kMs);
  EXPECT_EQ(Sent(), (Lines{"open cdaudio", "set cdaudio time format tmst", "status cdaudio current track [512]",
                           "status cdaudio number of tracks [512]", "status cdaudio mode [255]", "play cdaudio [512]"}));
  EXPECT_EQ(winmm.MciCalls()[4].reply, "stopped");
  // Three minutes of music from 0.2 s on: the disc ends at 180.2 s, on a tick.
  PollCdUntil(181 * 1000 * kMs);
  EXPECT_TRUE(state.player.cdPollOk);
  EXPECT_EQ(Timed("play "), (Lines{"200 play cdaudio", "180200 play cdaudio"}));
  EXPECT_EQ(Status("status cdaudio mode"), "playing");
  // What the close sends is checked with the saver's music.
  bgm.CdClose();
  EXPECT_EQ(state.lastApiResult, 0);
}

TEST_F(BgmTest, RepeatTrackJumpsBackWithinOnePollOfTheNextTrack) {
  // Tracks of 30, 30, 40 and 30 s; track 3 starts 62 s into the disc.
  winmm.InsertDisc({30000, 30000, 40000, 30000});
  state.settings.repeatTrack = 3;
  bgm.CdOpen();
  PollCdUntil(200 * kMs);
  EXPECT_EQ(Sent(2), (Lines{"status cdaudio current track [512]", "status cdaudio number of tracks [512]",
                            "status cdaudio mode [255]", "status cdaudio position track 3 [512]",
                            "play cdaudio from 01:02:00 [512]"}));
  // Track 4 begins 40 s after the play, at 40.2 s: that very tick jumps back.
  PollCdUntil(45 * 1000 * kMs);
  EXPECT_EQ(Timed("play "), (Lines{"200 play cdaudio from 01:02:00", "40200 play cdaudio from 01:02:00"}));
  EXPECT_EQ(Status("status cdaudio current track"), "3");
  EXPECT_TRUE(state.player.cdPollOk);
  // The repeat track already current still plays when the disc stands.
  ASSERT_EQ(Status("stop cdaudio"), "");
  state.settings.repeatTrack = 3;
  winmm.ClearLog();
  bgm.CdPoll();
  EXPECT_EQ(winmm.Commands().back(), "play cdaudio from 01:02:00");
}

TEST_F(BgmTest, RepeatTrackBeyondTheDiscKeepsPollingWithARejectedPlay) {
  winmm.InsertDisc({30000, 30000, 30000, 30000});
  state.settings.repeatTrack = 9;
  bgm.CdOpen();
  PollCdUntil(400 * kMs);
  EXPECT_TRUE(state.player.cdPollOk);
  EXPECT_EQ(Timed("status cdaudio position "), (Lines{"200 status cdaudio position track 9",
                                                      "400 status cdaudio position track 9"}));
  EXPECT_EQ(Timed("play "), (Lines{"200 play cdaudio from Error:282", "400 play cdaudio from Error:282"}));
  EXPECT_EQ(state.lastApiResult, 270);  // the play is rejected
}

TEST_F(BgmTest, NoDriveNoDiscAFailedTrackCountOrAnErrReplyEndPolling) {
  state.settings.repeatTrack = 2;
  for (const std::int32_t code : {266, 276}) {  // no drive (the default), then an empty drive
    if (code == 276) winmm.EmptyCdDrive();
    winmm.ClearLog();
    bgm.CdOpen();
    PollCdUntil(clock.Now() + 2000 * kMs);
    EXPECT_FALSE(state.player.cdPollOk);
    EXPECT_EQ(Sent(2), Lines{"status cdaudio current track [512]"}) << code;
    EXPECT_EQ(state.lastApiResult, code);
  }
  winmm.InsertDisc({30000});
  winmm.ClearLog();
  winmm.ScriptReply("status cdaudio number of tracks", 276, "");
  bgm.CdPoll();
  EXPECT_FALSE(state.player.cdPollOk);
  EXPECT_EQ(winmm.Commands().size(), 2u);
  winmm.ScriptReply("status cdaudio current track", 0, "terror");  // "ERR" in any case
  bgm.CdPoll();
  EXPECT_FALSE(state.player.cdPollOk);
  EXPECT_EQ(winmm.Commands().size(), 3u);
}

TEST(ReplyAsNumberTest, ReadsTheWholeTextAsADecimalNumber) {
  const std::pair<const char*, double> cases[] = {
      {"3", 3},     {"03", 3},   {" 12\t", 12}, {"+3", 3},   {"-2", -2},  {"3.0", 3},     {"3.5", 3.5},
      {".5", 0.5},  {"7.", 7},   {"1e1", 10},   {"1D1", 10}, {"0", 0},    {"25E-1", 2.5}, {"-0", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReplyAsNumber(text), value) << text;
}

TEST(ReplyAsNumberTest, AnythingElseIsATypeMismatchAndTooLargeOverflows) {
  for (const char* text : {"", "  ", "abc", "3a", "a3", "3 4", "0x3", "1e", "1e+", ".", "+", "-", "--3", "inf",
                           "nan", "3:00", "\xef\xbc\x93" /* full-width 3 */, "1e999"}) {
    try {
      ReplyAsNumber(text);
      ADD_FAILURE() << "accepted \"" << text << "\"";
    } catch (const ProgramError& error) {
      EXPECT_EQ(error.number(), std::string(text) == "1e999" ? kErrorOverflow : kErrorTypeMismatch) << text;
    }
  }
}

// How a reply reads as a number is checked with ReplyAsNumber above.
TEST_F(BgmTest, CurrentTrackIsReadWholeAsANumberWhenATrackRepeats) {
  winmm.InsertDisc({30000, 30000, 30000});
  state.settings.repeatTrack = 3;
  // Not a number: the poll ends, even while the device stands stopped.
  winmm.ScriptReply("status cdaudio current track", 0, "3a");
  bgm.CdPoll();
  EXPECT_FALSE(state.player.cdPollOk);
  EXPECT_EQ(winmm.Commands().back(), "status cdaudio mode");
  // Without a repeat track the reply is never read as a number.
  state.settings.repeatTrack = 0;
  bgm.CdPoll();
  EXPECT_TRUE(state.player.cdPollOk);
  EXPECT_EQ(winmm.Commands().back(), "play cdaudio");

  state.settings.repeatTrack = 3;
  for (const auto& [reply, jumps] : std::vector<std::pair<const char*, bool>>{{" 3.0 ", false}, {"3.5", true}}) {
    winmm.ClearLog();
    winmm.ScriptReply("status cdaudio current track", 0, reply);
    bgm.CdPoll();
    EXPECT_TRUE(state.player.cdPollOk) << reply;
    EXPECT_EQ(winmm.Commands().back(), jumps ? "play cdaudio from 01:02:00" : "status cdaudio mode") << reply;
  }
}

// --- MP3 and WAV -------------------------------------------------------------

// Characters code page 932 lacks (é, Hangul), one whose code page 932 form
// ends in 0x5C, the path separator's byte (表), and blanks inside the quotes.
constexpr const char* kWav = "D:\\My Café 노래\\表 a.wav";
constexpr const char* kMp3 = "D:\\My Café 노래\\表 a.mp3";

// The MP3 commands leave no result behind.
TEST_F(BgmTest, Mp3PathReachesTheDeviceWholeAndStartsAgainWithinASecondOfItsEndOrOfAPause) {
  files.AddFile(kMp3, "ID3");
  winmm.SetMediaLength(kMp3, 2500);
  state.lastApiResult = 55;
  StartMp3(kMp3);
  EXPECT_EQ(Sent(), (Lines{std::string("open \"") + kMp3 + kOpenMp3Suffix, "play MP3Play"}));
  winmm.ClearLog();
  PollMp3Until(2000 * kMs);
  EXPECT_EQ(Sent(), (Lines{"status MP3Play mode [30]", "status MP3Play mode [30]"}));
  PollMp3Until(3000 * kMs);
  const Lines restart{"status MP3Play mode [30]", "stop MP3Play", "play MP3Play from 0"};
  EXPECT_EQ(Sent(2), restart);
  EXPECT_EQ(winmm.MciCalls()[2].reply, "stopped");
  EXPECT_EQ(winmm.MciCalls().back().result, 0u);
  EXPECT_TRUE(bgm.Mp3IsPlaying());

  ASSERT_TRUE(winmm.PauseDevice("MP3Play"));
  winmm.ClearLog();
  PollMp3Until(4000 * kMs);
  EXPECT_EQ(Sent(), restart);
  EXPECT_EQ(Status("status MP3Play position"), "0");
  EXPECT_EQ(Status("status MP3Play mode"), "playing");
  EXPECT_EQ(state.lastApiResult, 55);
}

TEST_F(BgmTest, Mp3ThatCannotBeOpenedIsNeverPlayedButStillPolled) {
  files.AddFile("C:\\a.mp3", "ID3");
  state.lastApiResult = 3;
  // A quote would end the name early and let "x.mp3" be read as a command word.
  StartMp3("C:\\a.mp3\" x.mp3");
  EXPECT_TRUE(winmm.MciCalls().empty());
  StartMp3("C:\\missing.mp3");
  EXPECT_EQ(Sent(), Lines{std::string("open \"C:\\missing.mp3") + kOpenMp3Suffix});
  EXPECT_EQ(winmm.MciCalls()[0].result, 275u);
  EXPECT_EQ(state.lastApiResult, 3);
  PollMp3Until(2000 * kMs);
  EXPECT_EQ(Sent(1), (Lines{"status MP3Play mode [30]", "stop MP3Play", "play MP3Play from 0",
                            "status MP3Play mode [30]", "stop MP3Play", "play MP3Play from 0"}));
  for (std::size_t i = 1; i < winmm.MciCalls().size(); ++i) EXPECT_EQ(winmm.MciCalls()[i].result, 263u);
}

TEST_F(BgmTest, WavPlaysByPathStopsWithoutASoundAndNeedsAWaveDevice) {
  files.AddFile(kWav, "RIFF");
  state.settings.musicFile = kWav;
  bgm.WavStart();
  EXPECT_EQ(state.lastApiResult, 1);
  EXPECT_EQ(winmm.SoundPlaying(), kWav);
  // The flags of the start and the stop are checked with the saver's music.
  ASSERT_EQ(winmm.PlaySoundCalls().size(), 1u);
  EXPECT_EQ(winmm.PlaySoundCalls()[0].module, 0);
  state.lastApiResult = 0;
  bgm.WavStop();
  EXPECT_EQ(state.lastApiResult, 1);
  winmm.SetPlaySoundResult(0);
  bgm.WavStart();
  EXPECT_EQ(state.lastApiResult, 0);

  // The device count is read as a signed number: an all-ones count is -1.
  state.lastApiResult = 7;
  for (const std::uint32_t devices : {0u, 0xFFFFFFFFu}) {
    winmm.SetWaveOutDevices(devices);
    bgm.WavStart();
  }
  EXPECT_EQ(winmm.WaveOutGetNumDevsCalls(), 4);
  EXPECT_EQ(winmm.PlaySoundCalls().size(), 3u);
  EXPECT_EQ(state.lastApiResult, 7);
}

}  // namespace
}  // namespace tolvarin
