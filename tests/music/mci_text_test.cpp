#include "music/mci_text.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/winmm.h"

namespace tolvarin {
namespace {

TEST(MciTextTest, ReplyTextEndsAtTheFirstNulOrTheBuffersEnd) {
  const struct {
    std::u16string buffer;
    const char* text;
  } rows[] = {
      {std::u16string(u"playing\0junk", 12), "playing"},
      {std::u16string(u"\0stopped", 8), ""},
      {u"12", "12"},  // no NUL at all: the whole buffer
      {u"", ""},
      {u"停止🎵", "停止🎵"},
  };
  for (const auto& row : rows) EXPECT_EQ(ReplyText(row.buffer), row.text) << row.text;
}

TEST(MciTextTest, ErrorTestFindsErrInAnyCaseOfAsciiLettersOnly) {
  const struct {
    const char* reply;
    bool err;
  } rows[] = {
      {"Error:263", true}, {"Error:-1", true}, {"terror", true}, {"eRr", true},   {"stopped", false},
      {"", false},         {"ER R", false},    {"3", false},     {"ＥＲＲ", false},  // full-width letters stay
  };
  for (const auto& row : rows) EXPECT_EQ(ContainsErr(row.reply), row.err) << row.reply;
}

TEST(MciTextTest, ModeIsTheFirstSevenCharactersOfTheReply) {
  const struct {
    const char* reply;
    const char* mode;
  } rows[] = {
      {"stopped", "stopped"}, {"playing back", "playing"}, {"paused", "paused"}, {"", ""},
      {"Stopped", "Stopped"},  // compared as it is: not "stopped"
      {"再生中です。再生中", "再生中です。再"},  // characters, not bytes
  };
  for (const auto& row : rows) EXPECT_EQ(ReplyMode(row.reply), row.mode) << row.reply;
}

// The plain forms are in the player's call sequences; here the edges.
TEST(MciTextTest, CommandsAreBuiltWordForWord) {
  const struct {
    std::string built;
    const char* expected;
  } rows[] = {
      {PlayCommand("cdaudio", "", "04:00:00:00"), "play cdaudio to 04:00:00:00"},
      {PlayCommand("cdaudio", "1", "2"), "play cdaudio from 1 to 2"},
      {TrackPositionCommand(-1), "status cdaudio position track -1"},
      {*Mp3OpenCommand("D:\\Café 노래\\表.mp3"), "open \"D:\\Café 노래\\表.mp3\" type MPEGVideo Alias MP3Play"},
  };
  for (const auto& row : rows) EXPECT_EQ(row.built, row.expected);
  // A quote would end the name early and let "x.mp3" be read as a command word.
  for (const char* path : {"C:\\a.mp3\" x.mp3", "\"", "C:\\\"a\".mp3"}) EXPECT_FALSE(Mp3OpenCommand(path)) << path;
}

TEST(MciTextTest, OnlyTheEndOfTheOpenMp3PlayRestartsIt) {
  constexpr std::uint32_t kOpen = 7;
  const struct {
    const char* why;
    std::uint32_t flags;
    std::uint32_t deviceId;
    std::uint32_t openDeviceId;
    bool restarts;
  } rows[] = {
      {"its play ended", kMciNotifySuccessful, kOpen, kOpen, true},
      {"a play ended, no device named (Wine)", kMciNotifySuccessful, 0, kOpen, true},
      {"stopped by a stop or close", kMciNotifyAborted, kOpen, kOpen, false},
      {"replaced by another play", kMciNotifySuperseded, kOpen, kOpen, false},
      {"the device failed", kMciNotifyFailure, kOpen, kOpen, false},
      {"flags together", kMciNotifySuccessful | kMciNotifyAborted, kOpen, kOpen, false},
      {"another device's play ended", kMciNotifySuccessful, kOpen + 1, kOpen, false},
      {"closed, or never opened", kMciNotifySuccessful, kOpen, 0, false},
      {"closed, no device named", kMciNotifySuccessful, 0, 0, false},
  };
  for (const auto& row : rows) EXPECT_EQ(RestartsMp3(row.flags, row.deviceId, row.openDeviceId), row.restarts) << row.why;
}

}  // namespace
}  // namespace tolvarin
