#include "music/bgm.h"
#include "music/reply_number.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_filesystem.h"
#include "platform/sim/sim_winmm.h"
#include "state/process_state.h"

namespace tolvarin {
namespace {

using sim::MciCall;
using Lines = std::vector<std::string>;

constexpr std::int64_t kMs = 1000;
constexpr Hwnd kSaverWindow = 0x5A7E;

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
  void StartMp3(const std::string& path) {
    state.settings.musicFile = path;
    bgm.Mp3Start(kSaverWindow);
  }

  sim::SimClock clock;
  sim::SimFileSystem files;
  sim::SimWinmm winmm{clock, files};
  ProcessState state;
  Bgm bgm{winmm, state};
};

// --- Audio CD --------------------------------------------------------------

TEST_F(BgmTest, WholeDiscPlaysOnStopAndStartsAgainAtItsEnd) {
  winmm.InsertDisc({60000, 60000, 60000});
  bgm.CdOpen();
  PollCdUntil(200 * kMs);
  EXPECT_EQ(Sent(), (Lines{"open cdaudio", "set cdaudio time format tmst", "status cdaudio current track [512]",
                           "status cdaudio number of tracks [512]", "status cdaudio mode [255]", "play cdaudio [512]"}));
  // Three minutes of music from 0.2 s on: the disc ends at 180.2 s, on a tick.
  PollCdUntil(181 * 1000 * kMs);
  EXPECT_TRUE(state.player.cdPollOk);
  EXPECT_EQ(Timed("play "), (Lines{"200 play cdaudio", "180200 play cdaudio"}));
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
  EXPECT_TRUE(state.player.cdPollOk);
  // The repeat track already current still plays when the disc stands.
  ASSERT_EQ(winmm.mciSendStringW(u"stop cdaudio", nullptr, 0, 0), 0u);
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
  // Each play starts from the failed position query's reply.
  EXPECT_EQ(Timed("play "), (Lines{"200 play cdaudio from Error:282", "400 play cdaudio from Error:282"}));
}

TEST(ReplyAsNumberTest, ReadsTheWholeTextAsADecimalNumberOrRaises) {
  const std::pair<const char*, double> cases[] = {
      {"3", 3},     {"03", 3},   {" 12\t", 12}, {"+3", 3},   {"-2", -2},  {"3.0", 3},     {"3.5", 3.5},
      {".5", 0.5},  {"7.", 7},   {"1e1", 10},   {"1D1", 10}, {"0", 0},    {"25E-1", 2.5}, {"-0", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReplyAsNumber(text), value) << text;
  // Anything else is a type mismatch, and a number too large overflows.
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

// The replies a poll reads, one after another on one disc, with the command
// each poll ended on. How a reply reads as a number is ReplyAsNumber's (above);
// a missing drive or disc is the saver's music table's and the run under Wine's.
TEST_F(BgmTest, EachPollEndsOnAnErrorAndReadsTheCurrentTrackWholeWhenATrackRepeats) {
  winmm.InsertDisc({30000, 30000, 30000});
  const struct {
    const char* command;
    std::uint32_t result;
    const char* reply;
    std::int16_t repeatTrack;
    bool pollOk;
    const char* last;
  } rows[] = {
      {"status cdaudio current track", 0, "terror", 3, false, "status cdaudio current track"},  // "ERR" in any case
      // Not a number: the poll ends, even while the disc stands stopped.
      {"status cdaudio current track", 0, "3a", 3, false, "status cdaudio mode"},
      // Without a repeat track the reply is never read as a number.
      {"status cdaudio current track", 0, "3a", 0, true, "play cdaudio"},
      {"status cdaudio current track", 0, " 3.0 ", 3, true, "status cdaudio mode"},
      {"status cdaudio current track", 0, "3.5", 3, true, "play cdaudio from 01:02:00"},
      {"status cdaudio number of tracks", 276, "", 3, false, "status cdaudio number of tracks"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.reply) + " " + std::to_string(row.repeatTrack));
    winmm.ScriptReply(row.command, row.result, row.reply);
    state.settings.repeatTrack = row.repeatTrack;
    bgm.CdPoll();
    EXPECT_EQ(state.player.cdPollOk, row.pollOk);
    EXPECT_EQ(winmm.Commands().back(), row.last);
  }
}

// --- MP3 and WAV -------------------------------------------------------------

// What the saver sends to open and close an MP3 is its music table's; that a
// path no ANSI code page holds reaches the device whole, and that a file that
// cannot be opened is never played but still polled, the run under Wine checks.
TEST_F(BgmTest, Mp3StartsAgainWithinASecondOfItsEndOrOfAPause) {
  files.AddFile("C:\\song.mp3", "ID3");
  winmm.SetMediaLength("C:\\song.mp3", 2500);
  StartMp3("C:\\song.mp3");
  winmm.ClearLog();
  PollMp3Until(2000 * kMs);
  EXPECT_EQ(Sent(), (Lines{"status MP3Play mode [30]", "status MP3Play mode [30]"}));
  PollMp3Until(3000 * kMs);
  const Lines restart{"status MP3Play mode [30]", "stop MP3Play", "play MP3Play from 0"};
  EXPECT_EQ(Sent(2), restart);

  ASSERT_TRUE(winmm.PauseDevice("MP3Play"));
  winmm.ClearLog();
  PollMp3Until(4000 * kMs);
  EXPECT_EQ(Sent(), restart);
}

// The play asks to be told of its end, and the end starts the file over at
// once instead of at the next poll, again asking to be told.
TEST_F(BgmTest, Mp3EndNotificationStartsTheFileOverAtOnce) {
  files.AddFile("C:\\song.mp3", "ID3");
  winmm.SetMediaLength("C:\\song.mp3", 2000);
  StartMp3("C:\\song.mp3");
  const std::uint32_t id = winmm.mciGetDeviceIDW(u"MP3Play");
  ASSERT_NE(id, 0u);
  ASSERT_EQ(winmm.MciCalls().size(), 2u);
  EXPECT_EQ(winmm.MciCalls()[1].command, "play MP3Play notify");
  EXPECT_EQ(winmm.MciCalls()[1].callback, kSaverWindow);

  // The device's own ID, or none at all as Wine's driver sends it.
  for (const std::uint32_t named : {id, 0u}) {
    SCOPED_TRACE(named);
    clock.Advance(2000 * kMs);
    winmm.ClearLog();
    bgm.Mp3Notify(kMciNotifySuccessful, named);
    EXPECT_EQ(Sent(), (Lines{"stop MP3Play", "play MP3Play from 0 notify"}));
    ASSERT_EQ(winmm.MciCalls().size(), 2u);
    EXPECT_EQ(winmm.MciCalls()[1].callback, kSaverWindow);
    EXPECT_EQ(winmm.MciCalls()[1].result, 0u);
    // Playing again, so the next poll leaves it alone.
    PollMp3Until(clock.Now() + 1000 * kMs);
    EXPECT_EQ(Sent(2), (Lines{"status MP3Play mode [30]"}));
  }
}

// Only a play of the open MP3 device that reached its end restarts it.
TEST_F(BgmTest, Mp3NotificationsOfOtherOutcomesOrDevicesDoNothing) {
  files.AddFile("C:\\song.mp3", "ID3");
  StartMp3("C:\\song.mp3");
  const std::uint32_t id = winmm.mciGetDeviceIDW(u"MP3Play");
  ASSERT_NE(id, 0u);
  const struct {
    const char* why;
    std::uint32_t flags;
    std::uint32_t deviceId;
  } rows[] = {
      {"stopped by a stop or close", kMciNotifyAborted, id},
      {"replaced by another play", kMciNotifySuperseded, id},
      {"the device failed", kMciNotifyFailure, id},
      {"another device's play ended", kMciNotifySuccessful, id + 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    winmm.ClearLog();
    bgm.Mp3Notify(row.flags, row.deviceId);
    EXPECT_EQ(Sent(), Lines{});
  }
  // Once closed, even its own successful end finds nothing to start.
  bgm.Mp3Close();
  winmm.ClearLog();
  for (const std::uint32_t named : {id, 0u}) bgm.Mp3Notify(kMciNotifySuccessful, named);
  EXPECT_EQ(Sent(), Lines{});
}

// A file that did not open was never played: no notification is asked for,
// and none can restart it.
TEST_F(BgmTest, Mp3ThatDidNotOpenIsNeverRestartedByANotification) {
  files.AddFile("C:\\bad.mp3", "junk");
  winmm.SetMediaUnplayable("C:\\bad.mp3");
  StartMp3("C:\\bad.mp3");
  EXPECT_EQ(Sent(), (Lines{"open \"C:\\bad.mp3\" type MPEGVideo Alias MP3Play"}));
  for (const std::uint32_t id : {0u, 1u}) bgm.Mp3Notify(kMciNotifySuccessful, id);
  EXPECT_EQ(winmm.MciCalls().size(), 1u);
}

// A quote would end the name early and let "x.mp3" be read as a command word.
TEST_F(BgmTest, Mp3PathWithAQuoteIsNeverSent) {
  files.AddFile("C:\\a.mp3", "ID3");
  StartMp3("C:\\a.mp3\" x.mp3");
  EXPECT_TRUE(winmm.MciCalls().empty());
}

// Characters code page 932 lacks (é, Hangul), one whose code page 932 form
// ends in 0x5C, the path separator's byte (表), and blanks.
constexpr const char* kWav = "D:\\My Café 노래\\表 a.wav";

// The flags of the start and the stop are checked with the saver's music.
TEST_F(BgmTest, WavPlaysByPathAndNeedsAWaveDevice) {
  files.AddFile(kWav, "RIFF");
  state.settings.musicFile = kWav;
  bgm.WavStart();
  EXPECT_EQ(winmm.SoundPlaying(), kWav);
  ASSERT_EQ(winmm.PlaySoundCalls().size(), 1u);
  EXPECT_EQ(winmm.PlaySoundCalls()[0].module, 0);
  // The device count is read as a signed number: an all-ones count is -1.
  for (const std::uint32_t devices : {0u, 0xFFFFFFFFu}) {
    winmm.SetWaveOutDevices(devices);
    bgm.WavStart();
  }
  EXPECT_EQ(winmm.PlaySoundCalls().size(), 1u);
}

}  // namespace
}  // namespace tolvarin
