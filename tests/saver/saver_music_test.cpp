#include <algorithm>

#include "base/cp932.h"
#include "support/sim_fixture.h"

namespace tolvarin::testing {
namespace {

using Lines = std::vector<std::string>;

class SaverMusicTest : public SimTest {
 protected:
  // Makes a saver whose settings file holds these music settings (the music
  // file exists: the settings keep no file that is missing).
  void Start(int musicMode, const std::string& musicFile) {
    MakeScreen(16, 8);
    if (!musicFile.empty()) sim->files.AddFile(musicFile, "music");
    const std::string ini = "[Section]\r\n度合い= 100\r\nBGM区分= " + std::to_string(musicMode) +
                            "\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=" + musicFile + "\r\n";
    sim->files.AddFile(sim::SimOptions().appFolder + "\\Tolvarin.ini", Utf8ToCp932(ini));
  }
  // The wave device and PlaySoundW calls, in order.
  Lines Sounds() const {
    Lines out;
    for (const auto& call : sim->winmm.Calls())
      if (call.kind == sim::WinmmCall::Kind::kPlaySound || call.kind == sim::WinmmCall::Kind::kWaveOutGetNumDevs)
        out.push_back(call.Line());
    return out;
  }
};

// What each kind of music sends when the saver starts, while it runs (polls
// counted) and when a key ends the run.
TEST_F(SaverMusicTest, EachKindOfMusicStartsIsPolledAndEndsWithTheRun) {
  const Lines cdOpen{"open cdaudio", "set cdaudio time format tmst"};
  const Lines mp3Open{"open \"C:\\music\\song.mp3\" type MPEGVideo Alias MP3Play", "play MP3Play notify"};
  const struct {
    const char* name;
    int mode;
    const char* file;
    bool disc;
    std::int64_t keyAt;
    bool timer1, timer2;  // enabled once started
    Lines opening;
    const char* poll;
    int polls;
    Lines closing;  // the last commands sent
    Lines sounds;
  } rows[] = {
      // Without a disc the first 200 ms poll fails: no more polls, and no close.
      {"cd without disc", 1, "", false, 1'000'000, false, true, cdOpen, "status cdaudio current track", 1,
       {"status cdaudio current track"}, {}},
      {"cd", 1, "", true, 1'100'000, false, true, cdOpen, "status cdaudio mode", 5, {"stop cdaudio", "close cdaudio"},
       {}},
      // The file's ending in any case; MP3 is polled every second.
      {"mp3", 2, "C:\\music\\song.mp3", false, 3'500'000, true, false, mp3Open, "status MP3Play mode", 3,
       {"stop MP3Play", "close MP3Play"}, {}},
      {"wav", 2, "C:\\Music\\loop.Wav", false, 500'000, false, false, {}, "", 0, {},
       {"waveOutGetNumDevs", "PlaySoundW C:\\Music\\loop.Wav 0 9", "PlaySoundW null 0 0"}},
      {"wave", 2, "C:\\Music\\a.wave", false, 1'500'000, false, false, {}, "", 0, {}, {}},
      {"ogg", 2, "C:\\Music\\a.ogg", false, 1'500'000, false, false, {}, "", 0, {}, {}},
      {"mode 7", 7, "C:\\Music\\a.mp3", false, 1'500'000, false, false, {}, "", 0, {}, {}},
      {"mode 0", 0, "C:\\Music\\a.wav", false, 1'500'000, false, false, {}, "", 0, {}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Start(row.mode, row.file);
    if (!row.disc) sim->winmm.ScriptReply("status cdaudio current track", 276);
    sim->winmm.ScriptReply("status MP3Play mode", 0, "playing");
    Main(*program);
    EXPECT_EQ(saver().Timer1().Enabled(), row.timer1);
    EXPECT_EQ(saver().Timer2().Enabled(), row.timer2);
    EXPECT_EQ(sim->winmm.Commands(), row.opening);
    sim->windowing.PostKey(0x41, row.keyAt);
    EXPECT_TRUE(sim::ContinueRun(*sim).ended);
    EXPECT_FALSE(saver().Timer1().Enabled());
    EXPECT_FALSE(saver().Timer2().Enabled());
    const Lines commands = sim->winmm.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), row.poll), row.polls);
    ASSERT_GE(commands.size(), row.closing.size());
    // The last commands close every device opened, and the sounds end with none.
    EXPECT_EQ(Lines(commands.end() - std::ptrdiff_t(row.closing.size()), commands.end()), row.closing);
    EXPECT_EQ(Sounds(), row.sounds);
  }
}

// The device's end-of-play notification reaches the saver window, which
// starts the file over at that moment, again asking to be told: the file
// loops on notifications alone while the polls find it playing.
TEST_F(SaverMusicTest, Mp3EndNotificationToTheSaverWindowStartsItOverAtOnce) {
  Start(2, "C:\\music\\song.mp3");
  constexpr std::uint32_t kId = 7;
  const sim::MciAnswer endsAfter1500Ms{0, "", sim::MciNotification{kMciNotifySuccessful, kId, 1'500'000}};
  sim->winmm.SetDeviceId("MP3Play", kId);
  sim->winmm.ScriptReply("status MP3Play mode", 0, "playing");
  sim->winmm.ScriptReply("play MP3Play notify", endsAfter1500Ms);
  sim->winmm.ScriptReply("play MP3Play from 0 notify", endsAfter1500Ms);
  Main(*program);
  const Hwnd window = saver().form().hWnd();
  sim->windowing.PostKey(0x41, 3'500'000);
  EXPECT_TRUE(sim::ContinueRun(*sim).ended);

  Lines timed;
  for (const auto& call : sim->winmm.Calls()) {
    if (call.kind != sim::WinmmCall::Kind::kSendString || call.text.rfind("status", 0) == 0) continue;
    timed.push_back(std::to_string(call.time / 1000) + " " + call.text);
    EXPECT_EQ(call.callback, call.text.find("notify") != std::string::npos ? window : 0) << call.text;
  }
  EXPECT_EQ(timed, (Lines{"0 open \"C:\\music\\song.mp3\" type MPEGVideo Alias MP3Play", "0 play MP3Play notify",
                          "1500 stop MP3Play", "1500 play MP3Play from 0 notify", "3000 stop MP3Play",
                          "3000 play MP3Play from 0 notify", "3500 stop MP3Play", "3500 close MP3Play"}));
}

}  // namespace
}  // namespace tolvarin::testing
