#include "platform/win32/win32_winmm.h"

#include "platform/win32/win32_api.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tolvarin {
namespace {

// A short silent wave file, for the waveaudio device.
std::vector<unsigned char> SilentWave() {
  std::vector<unsigned char> wave(44 + 4410, 0x80);
  auto put32 = [&](std::size_t at, std::uint32_t value) { std::memcpy(&wave[at], &value, 4); };
  auto put16 = [&](std::size_t at, std::uint16_t value) { std::memcpy(&wave[at], &value, 2); };
  std::memcpy(&wave[0], "RIFF", 4);
  put32(4, std::uint32_t(wave.size() - 8));
  std::memcpy(&wave[8], "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);      // PCM
  put16(22, 1);      // mono
  put32(24, 11025);  // samples per second
  put32(28, 11025);  // bytes per second
  put16(32, 1);
  put16(34, 8);
  std::memcpy(&wave[36], "data", 4);
  put32(40, 4410);
  return wave;
}

// Wine lower-cases the words of a command, the file name among them.
bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] - 'A' + 'a') : a[i];
    const char y = b[i] >= 'A' && b[i] <= 'Z' ? char(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

class Win32WinmmTest : public ::testing::Test {
 protected:
  void TearDown() override {
    winmm.mciSendStringA("close w", nullptr, 0, 0);
    if (!wavePath.empty()) DeleteFileW(wavePath.c_str());
  }
  // Writes the wave file under a name given in UTF-16; returns its folder in
  // code page 932.
  std::string WriteWave(const std::wstring& name) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    EXPECT_GT(length, 0u);
    wavePath = std::wstring(folder) + name;
    const HANDLE file = CreateFileW(wavePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    const auto bytes = SilentWave();
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    std::string narrow(std::size_t(length) * 2 + 1, '\0');
    const int size = WideCharToMultiByte(932, 0, folder, int(length), narrow.data(), int(narrow.size()), nullptr,
                                         nullptr);
    narrow.resize(std::size_t(size > 0 ? size : 0));
    return narrow;
  }

  Win32Winmm winmm;
  std::wstring wavePath;
};

// "§×.wav": two double-byte characters in code page 932 (81 98, 81 7E) that
// also exist in the Western code pages, so the file opens whatever the
// system's ANSI code page is, but only when the bytes are read as code page 932.
TEST_F(Win32WinmmTest, CommandsAndRepliesCrossInCodePage932) {
  const std::string folder = WriteWave(L"\u00a7\u00d7.wav");
  const std::string name = "\x81\x98\x81\x7e.wav";
  const std::string open = "open \"" + folder + name + "\" type waveaudio alias w";
  ASSERT_EQ(winmm.mciSendStringA(open.c_str(), nullptr, 0, 0), 0u);

  char reply[512];
  ASSERT_EQ(winmm.mciSendStringA("info w file", reply, sizeof reply, 0), 0u);
  EXPECT_PRED2(SameIgnoringAsciiCase, std::string(reply), folder + name);
  ASSERT_EQ(winmm.mciSendStringA("status w mode", reply, 30, 0), 0u);
  EXPECT_STREQ(reply, "stopped");
}

TEST_F(Win32WinmmTest, RepliesAreCutAtWholeCharacters) {
  const std::string folder = WriteWave(L"\u00a7\u00d7.wav");
  const std::string open = "open \"" + folder + "\x81\x98\x81\x7e.wav\" type waveaudio alias w";
  ASSERT_EQ(winmm.mciSendStringA(open.c_str(), nullptr, 0, 0), 0u);
  char reply[512];
  const auto length = std::uint32_t(folder.size());
  // Room for the folder and three bytes: the second character would be cut in half.
  std::memset(reply, 'x', sizeof reply);
  winmm.mciSendStringA("info w file", reply, length + 4, 0);
  EXPECT_PRED2(SameIgnoringAsciiCase, std::string(reply), folder + "\x81\x98");
  std::memset(reply, 'x', sizeof reply);
  winmm.mciSendStringA("info w file", reply, length + 5, 0);
  EXPECT_PRED2(SameIgnoringAsciiCase, std::string(reply), folder + "\x81\x98\x81\x7e");
}

TEST_F(Win32WinmmTest, FailuresLeaveAnEmptyReplyAndHaveTexts) {
  char reply[64];
  std::memset(reply, 'x', sizeof reply);
  const std::uint32_t code = winmm.mciSendStringA("status w mode", reply, sizeof reply, 0);
  EXPECT_NE(code, 0u);
  EXPECT_STREQ(reply, "");
  EXPECT_EQ(winmm.mciSendStringA("close nothing", nullptr, 0, 0), 263u);

  char text[16];
  EXPECT_EQ(winmm.mciGetErrorStringA(263, text, 8), 1);
  EXPECT_STREQ(text, "The spe");
  EXPECT_EQ(winmm.mciGetErrorStringA(263, text, 0), 0);
  EXPECT_EQ(winmm.mciGetErrorStringA(256, text, sizeof text), 0);
}

TEST_F(Win32WinmmTest, StoppingWithNoSoundSucceeds) { EXPECT_NE(winmm.PlaySoundA(nullptr, 0, 0), 0); }

}  // namespace
}  // namespace tolvarin
