#include "platform/win32/win32_winmm.h"

#include "platform/win32/win32_api.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace tolvarin {
namespace {

// A short silent wave file for the waveaudio device: PCM, mono, 11025 Hz,
// 8 bits, 4410 samples.
std::string SilentWave() {
  return std::string("RIFF\x5E\x11\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x11\x2B\0\0\x11\x2B\0\0\x01\0\x08\0data\x3A\x11\0\0", 44) +
         std::string(4410, '\x80');
}

// Wine lower-cases the words of a command, the file name among them.
std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

class Win32WinmmTest : public ::testing::Test {
 protected:
  void TearDown() override {
    winmm.mciSendStringA("close w", nullptr, 0, 0);
    if (!wavePath.empty()) DeleteFileW(wavePath.c_str());
  }

  Win32Winmm winmm;
  std::wstring wavePath;
};

// "§×.wav": two double-byte characters in code page 932 (81 98, 81 7E) that
// also exist in the Western code pages, so the file opens whatever the
// system's ANSI code page is, but only when the bytes are read as code page 932.
TEST_F(Win32WinmmTest, CommandsAndRepliesCrossInCodePage932CutAtWholeCharacters) {
  wchar_t temp[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  ASSERT_GT(length, 0u);
  wavePath = std::wstring(temp) + L"\u00a7\u00d7.wav";
  const HANDLE file = CreateFileW(wavePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::string bytes = SilentWave();
  DWORD written = 0;
  WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(file);
  std::string folder(std::size_t(length) * 2, '\0');
  folder.resize(std::size_t(
      WideCharToMultiByte(932, 0, temp, int(length), folder.data(), int(folder.size()), nullptr, nullptr)));

  const std::string path = folder + "\x81\x98\x81\x7e.wav";
  ASSERT_EQ(winmm.mciSendStringA(("open \"" + path + "\" type waveaudio alias w").c_str(), nullptr, 0, 0), 0u);
  char reply[512];
  ASSERT_EQ(winmm.mciSendStringA("info w file", reply, sizeof reply, 0), 0u);
  EXPECT_EQ(Lower(reply), Lower(path));
  ASSERT_EQ(winmm.mciSendStringA("status w mode", reply, 30, 0), 0u);
  EXPECT_STREQ(reply, "stopped");
  // Room for the folder and three bytes: the second character would be cut in half.
  for (const auto& [extra, name] :
       std::initializer_list<std::pair<std::uint32_t, const char*>>{{4, "\x81\x98"}, {5, "\x81\x98\x81\x7e"}}) {
    std::memset(reply, 'x', sizeof reply);
    winmm.mciSendStringA("info w file", reply, std::uint32_t(folder.size()) + extra, 0);
    EXPECT_EQ(Lower(reply), Lower(folder + name)) << extra;
  }
}

TEST_F(Win32WinmmTest, FailuresLeaveAnEmptyReplyAndHaveTexts) {
  char reply[64];
  std::memset(reply, 'x', sizeof reply);
  EXPECT_NE(winmm.mciSendStringA("status w mode", reply, sizeof reply, 0), 0u);
  EXPECT_STREQ(reply, "");
  EXPECT_EQ(winmm.mciSendStringA("close nothing", nullptr, 0, 0), 263u);

  char text[16];
  EXPECT_EQ(winmm.mciGetErrorStringA(263, text, 8), 1);
  EXPECT_STREQ(text, "The spe");
  EXPECT_EQ(winmm.mciGetErrorStringA(263, text, 0), 0);
  EXPECT_EQ(winmm.mciGetErrorStringA(256, text, sizeof text), 0);
  EXPECT_NE(winmm.PlaySoundA(nullptr, 0, 0), 0);  // stopping with no sound succeeds
}

}  // namespace
}  // namespace tolvarin
