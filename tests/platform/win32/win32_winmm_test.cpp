#include "platform/win32/win32_winmm.h"

#include "platform/win32/win32_api.h"

#include <gtest/gtest.h>

#include <string>

#include "base/utf16_text.h"

namespace tolvarin {
namespace {

// A short silent wave file for the waveaudio device: PCM, mono, 11025 Hz,
// 8 bits, 4410 samples.
std::string SilentWave() {
  return std::string("RIFF\x5E\x11\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x11\x2B\0\0\x11\x2B\0\0\x01\0\x08\0data\x3A\x11\0\0", 44) +
         std::string(4410, '\x80');
}

class Win32WinmmTest : public ::testing::Test {
 protected:
  void TearDown() override {
    winmm.mciSendStringW(u"close w", nullptr, 0, 0);
    if (!wavePath.empty()) DeleteFileW(wavePath.c_str());
  }
  std::string Send(const std::string& command, std::uint32_t length) {
    std::u16string reply(600, u'x');
    EXPECT_EQ(winmm.mciSendStringW(Utf8ToUtf16(command).c_str(), reply.data(), length, 0), 0u) << command;
    return Utf16ToUtf8(reply.c_str());
  }

  Win32Winmm winmm;
  std::wstring wavePath;
};

// "é" is not in code page 932; the file opens, so the name reaches the device
// as it is. (Wine's waveaudio driver reads names through the ANSI code page,
// so a name beyond it, Hangul say, cannot be shown here; tests/e2e/run_e2e.sh
// sees it sent whole in Wine's trace.) Failed commands and error texts are
// checked with the simulated backend's in tests/platform/sim.
TEST_F(Win32WinmmTest, UnicodePathsReachTheDeviceAndRepliesComeBack) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  wavePath = std::wstring(temp) + L"Caf\u00e9 song.wav";
  const HANDLE file = CreateFileW(wavePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::string bytes = SilentWave();
  DWORD written = 0;
  WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(file);

  const std::string path = Utf16ToUtf8(reinterpret_cast<const char16_t*>(wavePath.c_str()));
  const std::u16string open = Utf8ToUtf16("open \"" + path + "\" type waveaudio alias w");
  ASSERT_EQ(winmm.mciSendStringW(open.c_str(), nullptr, 0, 0), 0u);
  EXPECT_EQ(Send("status w mode", 30), "stopped");
}

}  // namespace
}  // namespace tolvarin
