#include "platform/win32/win32_winmm.h"

#include <gtest/gtest.h>

#include <string>

#include "base/utf16_text.h"

namespace tolvarin {
namespace {

// The command reaching the device whole, a name beyond every ANSI code page
// in it, is seen in Wine's trace by tests/e2e/run_e2e.sh. Failed commands and
// error texts are checked with the simulated backend's in tests/platform/sim.
TEST(Win32WinmmTest, RepliesComeBackThroughTheBuffer) {
  Win32Winmm winmm;
  std::u16string reply(30, u'x');
  ASSERT_EQ(winmm.mciSendStringW(u"sysinfo all quantity", reply.data(), 30, 0), 0u);
  const std::string count = Utf16ToUtf8(reply.c_str());
  EXPECT_FALSE(count.empty());
  EXPECT_EQ(count.find_first_not_of("0123456789"), std::string::npos) << count;
}

}  // namespace
}  // namespace tolvarin
