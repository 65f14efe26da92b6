#include <algorithm>
#include <optional>
#include <vector>

#include "gpx_fragment.h"
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
  // A key pressed while the loop waits ends the run within one refresh.
  void ExpectKeyEndsTheRunWithinOneRefresh(std::int32_t key) {
    const std::int64_t pressed = sim->clock.Now() + 5'000;
    sim->windowing.haltAfterRefreshes.reset();
    sim->windowing.PostKey(key, pressed);
    EXPECT_TRUE(sim::ContinueRun(*sim).ended);
    EXPECT_LE(sim->clock.Now() - pressed, sim->windowing.refreshInterval);
  }
  std::vector<std::int32_t> Frames() const {
    std::vector<std::int32_t> frames;
    for (const auto& call : RecordingEffect::Calls()) frames.push_back(call.frame);
    return frames;
  }
};

// A frame depends only on its ghost offset, so within a cycle the effect is
// drawn for frame 0 and wherever the offset moves on; other passes show the
// same picture again without drawing or presenting it. The frame numbered the
// degree is covered by the clean copy at once and is not drawn. Degrees of
// zero or below show the clean copy only.
TEST_F(EffectLoopTest, EachNewOffsetIsDrawnOnceAndTheCleanCopyEndsTheCycle) {
  struct Case { std::int16_t degree; std::int64_t passes; };
  for (const Case c : {Case{100, 250}, Case{1, 9}, Case{1, 10}, Case{7, 30}, Case{32767, 1200}, Case{0, 20},
                       Case{-5, 20}, Case{-32768, 20}}) {
    SCOPED_TRACE(c.degree);
    MakeScreen(320, 200);  // the offset moves every nine frames or so
    Main(*program);
    program->state.settings.effectDegree = c.degree;
    sim->windowing.haltAfterRefreshes = c.passes;
    EXPECT_TRUE(sim::ContinueRun(*sim).halted);
    const std::int32_t last = std::max<std::int32_t>(c.degree, 0);
    const auto offset = [](std::int32_t frame) { return gpx::OffsetForFrame(frame, 320, 200); };
    std::vector<std::int32_t> expected;
    std::int64_t changes = 0;
    for (std::int64_t pass = 0; pass < c.passes; ++pass) {
      const std::int32_t frame = std::int32_t(pass % (last + 1));
      if (frame < last && (frame == 0 || offset(frame) != offset(frame - 1))) expected.push_back(frame), ++changes;
      // The clean copy comes back after a drawn frame, and at the very start.
      if (frame == last && (last > 0 || pass == 0)) ++changes;
    }
    EXPECT_EQ(Frames(), expected);
    EXPECT_EQ(sim->windowing.refreshCount, c.passes);
    EXPECT_EQ(sim->windowing.unchangedRefreshes, c.passes - changes);
    if (!expected.empty()) {
      EXPECT_EQ(reinterpret_cast<Hdc>(RecordingEffect::Calls().front().source), saver().Master().hDC());
    }
    // The screen shows the last frame drawn, or after the cycle's end the exact clean copy.
    const std::int32_t lastFrame = std::int32_t((c.passes - 1) % (last + 1));
    if (lastFrame == last) {
      EXPECT_EQ(sim->desktop.Screen(), wallpaper);
      EXPECT_EQ(saver().frameCounter(), 0);
    } else {
      EXPECT_EQ(sim->desktop.Screen().at(0, 0), RecordingEffect::Marker(expected.back()));
      EXPECT_EQ(saver().frameCounter(), lastFrame + 1);
    }
    // No graphics card here: it was asked for once.
    EXPECT_EQ(sim->windowing.cardOpens, 1);
  }
}

// With a card, every pass presents there the frame's offset (0 for the clean
// copy); the processor draws nothing. A card still busy with the last frame
// gets a refresh of its own and the same frame again: none is dropped.
TEST_F(EffectLoopTest, TheGraphicsCardPresentsEveryFramesOffsetInTurn) {
  for (const std::int64_t busyEvery : {0, 3}) {
    SCOPED_TRACE(busyEvery);
    MakeScreen(320, 200);
    sim->windowing.cardAvailable = true;
    sim->windowing.cardBusyEvery = busyEvery;
    Main(*program);
    program->state.settings.effectDegree = 20;
    sim->windowing.haltAfterRefreshes = 61;  // the last one shows a frame
    EXPECT_TRUE(sim::ContinueRun(*sim).halted);
    const std::int64_t shown = 61 - sim->windowing.cardBusyRefreshes;
    EXPECT_EQ(sim->windowing.cardBusyRefreshes, busyEvery ? 20 : 0);
    std::vector<std::int32_t> expected;
    for (int pass = 0; pass < shown; ++pass) {
      const int frame = pass % 21;
      expected.push_back(frame == 20 ? 0 : gpx::OffsetForFrame(frame, 320, 200));
    }
    EXPECT_EQ(sim->windowing.cardOffsets, expected);
    EXPECT_TRUE(RecordingEffect::Calls().empty());
    EXPECT_EQ(saver().frameCounter(), shown % 21);
    ExpectKeyEndsTheRunWithinOneRefresh(0x41);
  }
}

// A card that fails, at once or later, hands the same frame and all after it
// to the processor, for good. Without the effect library or its function
// (looked for once, at the first frame) the card stays unused and the still
// copy stays, card or not.
TEST_F(EffectLoopTest, AFailingCardOrMissingLibraryLeavesTheProcessorDrawing) {
  enum Library { Present, Missing, WithoutFunction };
  struct Case { const char* name; bool card; std::optional<std::int64_t> failsAfter; Library library; std::int64_t opens; };
  for (const Case c : {Case{"fails at once", true, 0, Present, 1}, Case{"fails after 30 frames", true, 30, Present, 1},
                       Case{"no effect library", true, std::nullopt, Missing, 0},
                       Case{"no card, no effect library", false, std::nullopt, Missing, 0},
                       Case{"no card, no function", false, std::nullopt, WithoutFunction, 0}}) {
    SCOPED_TRACE(c.name);
    MakeScreen(320, 200);
    sim->windowing.cardAvailable = c.card;
    sim->windowing.cardFailsAfter = c.failsAfter;
    Main(*program);
    if (c.library != Present) sim->libraries.Remove("r_vold_graphics.dll");
    if (c.library == WithoutFunction) sim->libraries.Install("r_vold_graphics.dll", {{"GPX_Other", nullptr}});
    program->state.settings.effectDegree = 100;
    sim->windowing.haltAfterRefreshes = 60;
    EXPECT_TRUE(sim::ContinueRun(*sim).halted);
    EXPECT_EQ(sim->windowing.cardOpens, c.opens);
    EXPECT_EQ(sim->libraries.loads.size(), 1u);
    EXPECT_EQ(sim->libraries.lookups.size(), c.library == Missing ? 0u : 1u);
    const std::int64_t onCard = std::int64_t(sim->windowing.cardOffsets.size());
    EXPECT_EQ(onCard, c.failsAfter.value_or(0));
    if (c.library == Present) {
      // The processor takes over at the frame the card could not show.
      ASSERT_FALSE(RecordingEffect::Calls().empty());
      EXPECT_EQ(RecordingEffect::Calls().front().frame, std::int32_t(onCard));
      EXPECT_EQ(sim->desktop.Screen().at(0, 0), RecordingEffect::Marker(RecordingEffect::Calls().back().frame));
    } else {
      EXPECT_EQ(sim->desktop.Screen(), wallpaper);
    }
    EXPECT_EQ(sim->windowing.refreshCount, 60);
    ExpectKeyEndsTheRunWithinOneRefresh(0x41);
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
    ExpectKeyEndsTheRunWithinOneRefresh(0x20);
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
  program->state.settings.musicMode = MusicMode::SoundFile;
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

}  // namespace
}  // namespace tolvarin::testing
