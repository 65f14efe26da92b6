#include <algorithm>

#include "dialog/settings_dialog.h"
#include "support/sim_fixture.h"

namespace tolvarin::testing {
namespace {

class EntryTest : public SimTest {
 protected:
  sim::RunOutcome Start(const std::string& tail) {
    MakeScreen(64, 48, tail);
    // Stop the saver's endless loop after a few frames.
    sim->windowing.haltAfterRefreshes = 3;
    return Run();
  }
  int CursorCalls() const {
    return int(std::count_if(sim->desktop.calls.begin(), sim->desktop.calls.end(),
                             [](const std::string& c) { return c.rfind("ShowCursor", 0) == 0; }));
  }
  bool SettingsLoaded() const { return program->state.settings.effectDegree == 100; }
};

// The runs below check the letters of the saver, settings, preview and other tails.
TEST(ModeLetterTest, SecondCharacterInUpperCase) {
  // Characters, not bytes: a double-byte first character is skipped whole.
  EXPECT_EQ(ModeLetter("／s"), "S");
  EXPECT_EQ(ModeLetter("/ｓ"), "ｓ");
}

TEST_F(EntryTest, SaverTailsHideTheCursor) {
  for (const char* tail : {"/S", "/s", "-s", "xs", "/s and more"}) {
    SCOPED_TRACE(tail);
    const auto outcome = Start(tail);
    EXPECT_TRUE(outcome.halted);
    ASSERT_TRUE(program->saverWindow);
    EXPECT_TRUE(SettingsLoaded());
    EXPECT_EQ(sim->desktop.CursorCounter(), -1);
    EXPECT_EQ(program->state.savedCursorValue, -1);
  }
}

TEST_F(EntryTest, EmptyTailStartsTheSaverWithTheCursorVisible) {
  Start("");
  ASSERT_TRUE(program->saverWindow);
  EXPECT_EQ(CursorCalls(), 0);
  EXPECT_FALSE(program->state.savedCursorValue.has_value());
  // Nor is there a cursor call when that run ends.
  sim->windowing.haltAfterRefreshes.reset();
  sim->windowing.PostKey(0x41);
  const auto outcome = sim::ContinueRun(*sim);
  EXPECT_TRUE(outcome.ended);
  EXPECT_EQ(CursorCalls(), 0);
  EXPECT_EQ(sim->desktop.CursorCounter(), 0);
}

TEST_F(EntryTest, OtherTailsEndAfterLoadingTheSettings) {
  for (const char* tail : {"s", "/a", "/x 12", "/"}) {
    SCOPED_TRACE(tail);
    const auto outcome = Start(tail);
    EXPECT_TRUE(outcome.ended);
    EXPECT_FALSE(outcome.errorReported);
    EXPECT_FALSE(program->saverWindow);
    EXPECT_TRUE(SettingsLoaded());
    EXPECT_EQ(CursorCalls(), 0);
    EXPECT_EQ(sim->windowing.LiveForms(), 0u);
  }
}

// Opening and closing the dialog are the dialog tests'; here the run ends with it.
TEST_F(EntryTest, SettingsModeShowsTheDialogAndEndsWhenItCloses) {
  MakeScreen(1024, 768, "/c:1234");
  sim->windowing.PostKey(27, 1000);  // Escape, the cancel button
  const auto outcome = Run();
  EXPECT_TRUE(outcome.ended);
  EXPECT_FALSE(outcome.errorReported);
  EXPECT_TRUE(SettingsLoaded());
  EXPECT_FALSE(program->saverWindow);
  ASSERT_TRUE(program->settingsDialog);
  EXPECT_EQ(sim->desktop.animations.size(), 2u);  // opened and closed
  EXPECT_EQ(CursorCalls(), 0);
}

TEST_F(EntryTest, SecondInstanceEndsAtOnceInEveryMode) {
  for (const char* title : {"Tolvarin_Main", "<Tolvarin>"}) {
    for (const char* tail : {"/s", "/c", "/p 1234", ""}) {
      SCOPED_TRACE(std::string(title) + " " + tail);
      MakeScreen(1024, 768, tail);
      sim->AddForeignWindow(title, RectL{0, 0, 10, 10});
      const auto outcome = Run();
      EXPECT_TRUE(outcome.ended);
      EXPECT_FALSE(outcome.errorReported);
      EXPECT_EQ(sim->windowing.LiveForms(), 0u);
      EXPECT_FALSE(SettingsLoaded());
      EXPECT_EQ(CursorCalls(), 0);
      // Both titles are always looked for, in this order.
      ASSERT_GE(sim->desktop.calls.size(), 2u);
      EXPECT_EQ(sim->desktop.calls[0], "FindWindowA(Tolvarin_Main)");
      EXPECT_EQ(sim->desktop.calls[1], "FindWindowA(<Tolvarin>)");
    }
  }
}

TEST_F(EntryTest, ChildWindowWithTheSaverTitleIsNotASecondInstance) {
  MakeScreen(32, 24);
  const Hwnd host = sim->AddForeignWindow("Host", RectL{0, 0, 10, 10});
  const Hwnd child = sim->AddForeignWindow("Tolvarin_Main", RectL{0, 0, 5, 5});
  sim->desktop.SetParent(child, host);
  sim->windowing.haltAfterRefreshes = 1;
  EXPECT_TRUE(Run().halted);
  EXPECT_TRUE(program->saverWindow);
}

}  // namespace
}  // namespace tolvarin::testing
