#include <gtest/gtest.h>

#include "platform/win32/win32_frame_pacer.h"

namespace tolvarin {
namespace {

TEST(Win32FramePacer, RefreshIntervalFollowsTheDisplayRate) {
  EXPECT_EQ(RefreshIntervalMicroseconds(60), 16667);
  EXPECT_EQ(RefreshIntervalMicroseconds(144), 6944);
  EXPECT_EQ(RefreshIntervalMicroseconds(75), 13333);
  // 0 and 1 stand for the hardware's default rate.
  EXPECT_EQ(RefreshIntervalMicroseconds(0), 16667);
  EXPECT_EQ(RefreshIntervalMicroseconds(1), 16667);
  EXPECT_EQ(RefreshIntervalMicroseconds(-5), 16667);
}

TEST(Win32FramePacer, NextPresentIsOneIntervalAfterThePrevious) {
  // Work done between two presents does not lengthen the frame.
  EXPECT_EQ(NextPresentTime(1000, 1000, 16667), 17667);
  EXPECT_EQ(NextPresentTime(1000, 9000, 16667), 17667);
  EXPECT_EQ(NextPresentTime(1000, 17666, 16667), 17667);
  // Late frames present at once and do not pile up.
  EXPECT_EQ(NextPresentTime(1000, 17667, 16667), 17667);
  EXPECT_EQ(NextPresentTime(1000, 50000, 16667), 50000);
}

}  // namespace
}  // namespace tolvarin
