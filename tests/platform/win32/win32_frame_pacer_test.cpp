#include <gtest/gtest.h>

#include "platform/win32/win32_frame_pacer.h"

namespace tolvarin {
namespace {

TEST(Win32FramePacer, RefreshIntervalFollowsTheDisplayRate) {
  EXPECT_EQ(RefreshIntervalMicroseconds(60), 16667);
  EXPECT_EQ(RefreshIntervalMicroseconds(144), 6944);
  // 0 and 1 stand for the hardware's default rate.
  EXPECT_EQ(RefreshIntervalMicroseconds(0), 16667);
  EXPECT_EQ(RefreshIntervalMicroseconds(1), 16667);
  EXPECT_EQ(RefreshIntervalMicroseconds(-5), 16667);
}

}  // namespace
}  // namespace tolvarin
