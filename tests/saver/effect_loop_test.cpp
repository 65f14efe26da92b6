#include <algorithm>
#include <vector>

#include "support/sim_fixture.h"

namespace tolvarin::testing {
namespace {

class EffectLoopTest : public SimTest {
 protected:
  // Starts a saver on a small screen; the loop starts at the next ContinueRun.
  void Start(std::int16_t degree) {
    MakeScreen(24, 16);
    Main(*program);
    program->state.settings.effectDegree = degree;
  }
  // ...and lets it draw `frames` refreshes.
  sim::RunOutcome RunFrames(std::int16_t degree, std::int64_t frames) {
    Start(degree);
    sim->windowing.haltAfterRefreshes = frames;
    return sim::ContinueRun(*sim);
  }
  std::vector<std::int32_t> Frames() const {
    std::vector<std::int32_t> frames;
    for (const auto& call : RecordingEffect::Calls()) frames.push_back(call.frame);
    return frames;
  }
};

// Degrees of zero or below always pass frame 0.
TEST_F(EffectLoopTest, FrameNumbersRunFromZeroToTheDegreeThenTheCleanCopyComesBack) {
  struct Case { std::int16_t degree; std::int64_t frames; };
  for (const Case c : {Case{100, 250}, Case{1, 9}, Case{1, 10}, Case{7, 30}, Case{32767, 32771}, Case{0, 20},
                       Case{-5, 20}, Case{-32768, 20}}) {
    SCOPED_TRACE(c.degree);
    EXPECT_TRUE(RunFrames(c.degree, c.frames).halted);
    const std::int32_t last = std::max<std::int32_t>(c.degree, 0);
    std::vector<std::int32_t> expected;  // 0, 1, ..., last, 0, 1, ...
    for (std::int64_t i = 0; i < c.frames; ++i) expected.push_back(std::int32_t(i % (last + 1)));
    EXPECT_EQ(Frames(), expected);
    // The effect reads Master; the screen shows the frame it just drew on
    // Display, or after the last one the exact clean copy.
    EXPECT_EQ(reinterpret_cast<Hdc>(RecordingEffect::Calls().front().source), saver().Master().hDC());
    if (expected.back() == last) {
      EXPECT_EQ(sim->desktop.Screen(), wallpaper);
      EXPECT_EQ(saver().frameCounter(), 0);
    } else {
      EXPECT_EQ(sim->desktop.Screen().at(0, 0), RecordingEffect::Marker(expected.back()));
    }
  }
}

TEST_F(EffectLoopTest, EveryCloseRequestEndsTheRunAndGivesTheCursorBack) {
  enum Path { Key, Shift, Click, Close, EndSession, DeactivateApp, DisplayChange };
  for (Path path : {Key, Shift, Click, Close, EndSession, DeactivateApp, DisplayChange}) {
    SCOPED_TRACE(int(path));
    RunFrames(100, 10);
    ASSERT_EQ(sim->desktop.CursorCounter(), -1);
    sim->windowing.haltAfterRefreshes.reset();
    sim->windowing.haltAt = sim->clock.Now() + 10'000'000;
    switch (path) {
      case Key: sim->windowing.PostKey(0x41); break;
      case Shift: sim->windowing.PostKey(0x10); break;
      case Click: sim->windowing.PostClick(12, 8); break;
      case Close: sim->windowing.PostClose(saver().form().hWnd()); break;
      case EndSession: sim->windowing.PostEndSession(); break;
      case DeactivateApp: sim->windowing.PostDeactivateApp(); break;
      case DisplayChange: sim->windowing.PostDisplayChange(); break;
    }
    const auto outcome = sim::ContinueRun(*sim);
    EXPECT_TRUE(outcome.ended);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(sim->desktop.CursorCounter(), 0);
  }
}

TEST_F(EffectLoopTest, EveryFlushBehaviourKeepsOneFramePerRefreshAndAKeyWithinOne) {
  using Flush = sim::SimWindowing::Flush;
  for (Flush flush : {Flush::Off, Flush::WaitsForRefresh, Flush::ReturnsAtOnce, Flush::Fails}) {
    SCOPED_TRACE(int(flush));
    Start(100);
    sim->windowing.flush = flush;
    sim->windowing.recordRefreshTimes = true;
    sim->windowing.haltAfterRefreshes = 61;
    sim::ContinueRun(*sim);
    const auto& times = sim->windowing.refreshTimes;
    ASSERT_EQ(times.size(), 61u);
    for (std::size_t i = 2; i < times.size(); ++i)
      EXPECT_EQ(times[i] - times[i - 1], sim->windowing.refreshInterval) << i;
    EXPECT_EQ(sim->windowing.flushCalls, flush == Flush::Off ? 0 : 61);
    // A key pressed while the loop waits ends the run within one interval.
    const std::int64_t pressed = sim->clock.Now() + 5'000;
    sim->windowing.haltAfterRefreshes.reset();
    sim->windowing.PostKey(0x20, pressed);
    EXPECT_TRUE(sim::ContinueRun(*sim).ended);
    EXPECT_LE(sim->clock.Now() - pressed, sim->windowing.refreshInterval);
  }
}

TEST_F(EffectLoopTest, FlushThatKeepsBlockingIsGivenUpForTheTimer) {
  Start(100);
  sim->windowing.flush = sim::SimWindowing::Flush::Blocks;
  sim->windowing.haltAfterRefreshes = 10;
  sim::ContinueRun(*sim);
  // Three flushes of 200 ms, then the timer alone: a frame every interval.
  EXPECT_EQ(sim->windowing.flushCalls, std::int64_t(PresentPacing::kSlowFlushesToGiveUp));
  EXPECT_NEAR(double(sim->clock.Now()), 3 * 200'000 + 7 * sim->windowing.refreshInterval, 20'000);
}

TEST_F(EffectLoopTest, DisplayOffStopsDrawingButNotInputMusicOrTheComingBack) {
  Start(100);
  // The close handler stops MP3 music and its poll, which runs every second.
  program->state.settings.musicMode = 2;
  program->state.settings.musicFile = "C:\\m.mp3";
  saver().Timer1().SetEnabled(true);
  sim->windowing.flush = sim::SimWindowing::Flush::ReturnsAtOnce;
  sim->windowing.recordRefreshTimes = true;
  sim->windowing.PostDisplayState(false, 1'000'000);
  sim->windowing.PostDisplayState(true, 6'000'000);
  sim->windowing.haltAt = 7'000'000;
  EXPECT_TRUE(sim::ContinueRun(*sim).halted);
  const auto& times = sim->windowing.refreshTimes;
  const auto dark = std::count_if(times.begin(), times.end(),
                                  [](std::int64_t t) { return t > 1'020'000 && t < 6'000'000; });
  EXPECT_EQ(dark, 0);
  EXPECT_NEAR(double(times.size()), 2 * 60, 3);
  // Woken only by the music poll (at 2, 3, 4 and 5 s) and the display coming back.
  EXPECT_EQ(sim->windowing.waitMessageCalls, 5);
  const auto commands = sim->winmm.Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "status MP3Play mode"), 6);
  // A key in the dark still ends the run at once, through the close handler.
  sim->windowing.PostDisplayState(false, 7'000'000);
  sim->windowing.PostKey(0x41, 9'000'000);
  sim->windowing.haltAt.reset();
  EXPECT_TRUE(sim::ContinueRun(*sim).ended);
  EXPECT_EQ(sim->clock.Now(), 9'000'000);
  EXPECT_EQ(sim->winmm.Commands().back(), "close MP3Play");
}

TEST_F(EffectLoopTest, MovingTheMouseDoesNotEndTheRun) {
  MakeScreen(24, 16);
  for (int i = 0; i < 50; ++i) sim->windowing.PostMouseMove(i % 24, i % 16, i * 20'000);
  sim->windowing.haltAt = 2'000'000;
  const auto outcome = Run();
  EXPECT_TRUE(outcome.halted);
  EXPECT_EQ(sim->windowing.mouseMoves, 50);
  // The loop went on drawing all along.
  EXPECT_GE(sim->windowing.refreshCount, 110);
  EXPECT_EQ(sim->desktop.CursorCounter(), -1);
}

TEST_F(EffectLoopTest, MissingLibraryOrFunctionLeavesTheStillCopy) {
  for (bool libraryPresent : {false, true}) {
    SCOPED_TRACE(libraryPresent);
    // The library is looked for at the first frame.
    Start(100);
    sim->libraries.Remove("r_vold_graphics.dll");
    if (libraryPresent) sim->libraries.Install("r_vold_graphics.dll", {{"GPX_Other", nullptr}});
    sim->windowing.haltAfterRefreshes = 30;
    EXPECT_TRUE(sim::ContinueRun(*sim).halted);
    EXPECT_EQ(sim->desktop.Screen(), wallpaper);
    // Looked for once, not on every frame.
    EXPECT_EQ(sim->libraries.loads.size(), 1u);
    EXPECT_EQ(sim->libraries.lookups.size(), libraryPresent ? 1u : 0u);
  }
}

}  // namespace
}  // namespace tolvarin::testing
