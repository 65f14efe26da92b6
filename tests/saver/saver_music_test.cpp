#include <algorithm>

#include "base/cp932.h"
#include "support/sim_fixture.h"

namespace tolvarin::testing {
namespace {

class SaverMusicTest : public SimTest {
 protected:
  // Starts a saver whose settings file holds these music settings.
  void Start(int musicMode, int repeatTrack, const std::string& musicFile) {
    sim::SimOptions options;
    options.screenWidth = 16;
    options.screenHeight = 8;
    Make(options);
    if (!musicFile.empty()) sim->files.AddFile(musicFile, "music");
    const std::string ini = "[Section]\r\n度合い= 100\r\nBGM区分= " + std::to_string(musicMode) +
                            "\r\nBGMﾘﾋﾟｰﾄ= " + std::to_string(repeatTrack) + "\r\nBGMﾌｧｲﾙ=" + musicFile + "\r\n";
    sim->files.AddFile(options.appFolder + "\\Tolvarin.ini", Utf8ToCp932(ini));
    Main(*program);
  }
  // Lets the saver run until `micros` of virtual time, then ends it with a key.
  sim::RunOutcome RunThenKey(std::int64_t micros) {
    sim->windowing.PostKey(0x41, micros);
    return sim::ContinueRun(*sim);
  }
  bool Sent(const std::string& command) const {
    const auto commands = sim->winmm.Commands();
    return std::find(commands.begin(), commands.end(), command) != commands.end();
  }
};

TEST_F(SaverMusicTest, AudioCdWithoutADiscStopsPollingAndSkipsTheClose) {
  Start(1, 0, "");
  EXPECT_TRUE(saver().Timer2().Enabled());
  EXPECT_TRUE(Sent("open cdaudio"));
  EXPECT_TRUE(Sent("set cdaudio time format tmst"));
  EXPECT_TRUE(RunThenKey(1'000'000).ended);
  EXPECT_FALSE(saver().Timer2().Enabled());
  EXPECT_FALSE(Sent("stop cdaudio"));
  EXPECT_FALSE(Sent("close cdaudio"));
  // Polled once, at the first 200 ms tick.
  const auto commands = sim->winmm.Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "status cdaudio current track"), 1);
  EXPECT_EQ(sim->desktop.CursorCounter(), 0);
}

TEST_F(SaverMusicTest, AudioCdKeepsPlayingAndIsClosedAtTheEnd) {
  Start(1, 0, "");
  sim->winmm.InsertDisc({60'000, 60'000});
  EXPECT_TRUE(RunThenKey(1'100'000).ended);
  EXPECT_FALSE(saver().Timer2().Enabled());
  const auto& calls = sim->winmm.MciCalls();
  auto play = std::find_if(calls.begin(), calls.end(), [](const sim::MciCall& c) { return c.command == "play cdaudio"; });
  ASSERT_NE(play, calls.end());
  EXPECT_GE(play->time, 200'000);
  EXPECT_LT(play->time, 400'000);
  // Polls every 200 ms while it runs: five ticks in 1.1 s.
  const auto commands = sim->winmm.Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "status cdaudio mode"), 5);
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands[commands.size() - 2], "stop cdaudio");
  EXPECT_EQ(commands.back(), "close cdaudio");
}

TEST_F(SaverMusicTest, Mp3InLowerCaseStartsAndIsPolledEverySecond) {
  Start(2, 0, "C:\\music\\song.mp3");
  EXPECT_TRUE(saver().Timer1().Enabled());
  EXPECT_FALSE(saver().Timer2().Enabled());
  EXPECT_TRUE(Sent("open \"C:\\music\\song.mp3\" type MPEGVideo Alias MP3Play"));
  EXPECT_TRUE(Sent("play MP3Play"));
  EXPECT_TRUE(RunThenKey(3'500'000).ended);
  const auto commands = sim->winmm.Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "status MP3Play mode"), 3);
  EXPECT_FALSE(saver().Timer1().Enabled());
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands[commands.size() - 2], "stop MP3Play");
  EXPECT_EQ(commands.back(), "close MP3Play");
  EXPECT_TRUE(sim->winmm.OpenAliases().empty());
}

TEST_F(SaverMusicTest, WaveFileLoopsUntilTheEnd) {
  Start(2, 0, "C:\\Music\\loop.Wav");
  EXPECT_FALSE(saver().Timer1().Enabled());
  ASSERT_EQ(sim->winmm.PlaySoundCalls().size(), 1u);
  EXPECT_EQ(sim->winmm.PlaySoundCalls()[0].sound, "C:\\Music\\loop.Wav");
  EXPECT_EQ(sim->winmm.PlaySoundCalls()[0].flags, 9u);
  EXPECT_TRUE(RunThenKey(500'000).ended);
  ASSERT_EQ(sim->winmm.PlaySoundCalls().size(), 2u);
  EXPECT_FALSE(sim->winmm.PlaySoundCalls()[1].sound.has_value());
  EXPECT_EQ(sim->winmm.PlaySoundCalls()[1].flags, 0u);
  EXPECT_FALSE(sim->winmm.SoundPlaying().has_value());
}

TEST_F(SaverMusicTest, OtherFilesAndModesPlayNothing) {
  struct Case { int mode; const char* file; };
  for (const Case c : {Case{2, "C:\\Music\\a.wave"}, Case{2, "C:\\Music\\a.ogg"}, Case{7, "C:\\Music\\a.mp3"},
                       Case{0, "C:\\Music\\a.wav"}}) {
    SCOPED_TRACE(c.file);
    Start(c.mode, 0, c.file);
    EXPECT_FALSE(saver().Timer1().Enabled());
    EXPECT_FALSE(saver().Timer2().Enabled());
    EXPECT_TRUE(RunThenKey(1'500'000).ended);
    EXPECT_TRUE(sim->winmm.MciCalls().empty());
    EXPECT_TRUE(sim->winmm.PlaySoundCalls().empty());
  }
}

}  // namespace
}  // namespace tolvarin::testing
