#include <algorithm>

#include "dialog/settings_dialog.h"
#include "support/sim_fixture.h"

namespace tolvarin::testing {
namespace {

class EntryTest : public SimTest {
 protected:
  std::vector<std::string> CursorCalls() const {
    std::vector<std::string> calls;
    for (const std::string& call : sim->desktop.calls)
      if (call.rfind("ShowCursor", 0) == 0) calls.push_back(call);
    return calls;
  }
  bool SettingsLoaded() const { return program->state.settings.effectDegree == 100; }
};

// The runs below check the letters of the saver, settings, preview and other tails.
TEST(ModeLetterTest, SecondCharacterInUpperCase) {
  // Characters, not bytes: a double-byte first character is skipped whole.
  EXPECT_EQ(ModeLetter("／s"), "S");
  EXPECT_EQ(ModeLetter("/ｓ"), "ｓ");
}

// Every tail loads the settings, then starts the saver, the settings dialog or
// nothing; a key (Escape, the dialog's cancel) ends what started. Only the
// saver's letter hides the cursor, and gives it back at the end. Opening and
// closing the dialog are the dialog tests'.
TEST_F(EntryTest, EachTailStartsItsModeAfterLoadingTheSettings) {
  using Lines = std::vector<std::string>;
  const Lines hidden{"ShowCursor(0)=-1", "ShowCursor(-1)=0"};
  const struct {
    const char* tail;
    bool saver, dialog;
    Lines cursorCalls;
  } rows[] = {
      {"/S", true, false, hidden},  {"/s", true, false, hidden},   {"-s", true, false, hidden},
      {"xs", true, false, hidden},  {"/s and more", true, false, hidden},
      {"", true, false, {}},        {"/c:1234", false, true, {}},  {"/C", false, true, {}},
      {"s", false, false, {}},      {"/a", false, false, {}},      {"/x 12", false, false, {}},
      {"/", false, false, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tail);
    MakeScreen(64, 48, row.tail);
    sim->windowing.PostKey(27, 1000);
    const auto outcome = Run();
    EXPECT_TRUE(outcome.ended);
    EXPECT_FALSE(outcome.errorReported);
    EXPECT_TRUE(SettingsLoaded());
    EXPECT_EQ(bool(program->saverWindow), row.saver);
    EXPECT_EQ(bool(program->settingsDialog), row.dialog);
    EXPECT_EQ(CursorCalls(), row.cursorCalls);
  }
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
      EXPECT_TRUE(CursorCalls().empty());
      // Both titles are always looked for, in this order.
      ASSERT_GE(sim->desktop.calls.size(), 2u);
      EXPECT_EQ(sim->desktop.calls[0], "FindWindowA(Tolvarin_Main)");
      EXPECT_EQ(sim->desktop.calls[1], "FindWindowA(<Tolvarin>)");
    }
  }
}

}  // namespace
}  // namespace tolvarin::testing
