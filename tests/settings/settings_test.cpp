#include "settings/settings.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "base/cp932.h"
#include "base/number.h"
#include "platform/sim/sim_filesystem.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_process.h"

namespace tolvarin {
namespace {

using sim::FileOperation;
using sim::WriteFault;

constexpr const char* kApp = "C:\\Program Files\\Tolvarin";
constexpr const char* kIni = "C:\\Program Files\\Tolvarin\\Tolvarin.ini";

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() {
    process.appFolder = kApp;
    files.AddFolder(kApp);
  }
  // Settings file text, given in UTF-8 and stored in code page 932.
  void SettingsFile(std::string_view text) { files.AddFile(kIni, Utf8ToCp932(text)); }
  SharedSettings Load() {
    SharedSettings settings;
    LoadSettings(files, process, settings);
    return settings;
  }
  std::int32_t Write(const std::string& key, const std::string& value, const std::string& file = kIni) {
    std::int32_t result = -1;
    WriteIniString(files, kSettingsSection, key, value, file, result);
    return result;
  }

  sim::SimFileSystem files;
  sim::SimProcess process;
};

TEST_F(SettingsTest, NoFileGivesTheDefaults) {
  const SharedSettings s = Load();
  EXPECT_EQ(s.effectDegree, 100);
  EXPECT_EQ(s.musicMode, 0);
  EXPECT_EQ(s.repeatTrack, 0);
  EXPECT_EQ(s.musicFile, "");
  EXPECT_EQ(s.musicFolder, kApp);
}

TEST_F(SettingsTest, SectionWithoutKeysGivesTheDefaults) {
  SettingsFile("[Section]\r\n[Other]\r\n度合い=5\r\n");
  const SharedSettings s = Load();
  EXPECT_EQ(s.effectDegree, 100);
  EXPECT_EQ(s.musicFolder, kApp);
}

TEST_F(SettingsTest, EffectDegreeConversion) {
  const struct {
    const char* value;
    int expected;
  } cases[] = {
      {"", 100}, {"   ", 100}, {"abc", 0}, {"12.9", 12}, {"40000", 0}, {" 100", 100},
      {"-5", -5}, {"0", 0}, {"-0.5", -1}, {"1e3", 1000}, {"5 x", 0}, {"'42'", 42},
  };
  for (const auto& c : cases) {
    SettingsFile(std::string("[Section]\r\n度合い=") + c.value + "\r\n");
    EXPECT_EQ(Load().effectDegree, c.expected) << '"' << c.value << '"';
  }
}

TEST_F(SettingsTest, NumbersThatFailLeaveZeroAndTheOthersStillLoad) {
  SettingsFile("[Section]\r\n度合い=x\r\nBGM区分=99999\r\nBGMﾘﾋﾟｰﾄ= 12\r\n");
  const SharedSettings s = Load();
  EXPECT_EQ(s.effectDegree, 0);
  EXPECT_EQ(s.musicMode, 0);
  EXPECT_EQ(s.repeatTrack, 12);
}

TEST_F(SettingsTest, SoundFileModeFallsBackWithoutAUsableFile) {
  for (const char* file : {"", "C:\\Music\\missing.mp3", "C:\\Music"}) {
    files.AddFolder("C:\\Music");
    SettingsFile(std::string("[Section]\r\nBGM区分=2\r\nBGMﾌｧｲﾙ=") + file + "\r\n");
    const SharedSettings s = Load();
    EXPECT_EQ(s.musicMode, 0) << file;
    EXPECT_EQ(s.musicFile, "") << file;
    EXPECT_EQ(s.musicFolder, kApp) << file;
  }
}

TEST_F(SettingsTest, OtherModesStayAsRead) {
  SettingsFile("[Section]\r\nBGM区分=1\r\nBGMﾌｧｲﾙ=C:\\missing.mp3\r\n");
  SharedSettings s = Load();
  EXPECT_EQ(s.musicMode, 1);
  EXPECT_EQ(s.musicFile, "");
  SettingsFile("[Section]\r\nBGM区分=7\r\nBGMﾘﾋﾟｰﾄ=-4\r\n度合い=-100\r\n");
  s = Load();
  EXPECT_EQ(s.musicMode, 7);
  EXPECT_EQ(s.repeatTrack, -4);
  EXPECT_EQ(s.effectDegree, -100);
}

TEST_F(SettingsTest, ExistingMusicFileSetsTheMusicFolder) {
  const struct {
    const char* file;
    const char* folder;
  } cases[] = {
      {"C:\\Music\\a.mp3", "C:\\Music"},
      {"C:\\a.mp3", "C:"},
      {"C:\\ソフト\\表.wav", "C:\\ソフト"},
      // One extra "\" passes the test and is kept; the folder rule then takes the whole name.
      {"C:\\Music\\a.mp3\\", "C:\\Music\\a.mp3"},
  };
  files.AddFile("C:\\Music\\a.mp3", "ID3");
  files.AddFile("C:\\a.mp3", "ID3");
  files.AddFile("C:\\ソフト\\表.wav", "RIFF");
  for (const auto& c : cases) {
    SettingsFile(std::string("[Section]\r\nBGM区分=2\r\nBGMﾌｧｲﾙ=") + c.file + "\r\n");
    const SharedSettings s = Load();
    EXPECT_EQ(s.musicMode, 2) << c.file;
    EXPECT_EQ(s.musicFile, c.file);
    EXPECT_EQ(s.musicFolder, c.folder);
  }
}

TEST_F(SettingsTest, MusicFileThatCannotBeReadIsCleared) {
  files.AddFile("C:\\Music\\a.mp3", "ID3");
  for (const char* file : {"C:\\Music\\a.mp3\\\\", "C:\\Music\\", "C:\\Music\\a.mp3"}) {
    if (std::string(file) == "C:\\Music\\a.mp3") files.SetUnreadable(file);
    SettingsFile(std::string("[Section]\r\nBGM区分=2\r\nBGMﾌｧｲﾙ=") + file + "\r\n");
    const SharedSettings s = Load();
    EXPECT_EQ(s.musicFile, "") << file;
    EXPECT_EQ(s.musicMode, 0) << file;
  }
}

TEST_F(SettingsTest, RelativeMusicFileIsTestedFromTheCurrentFolder) {
  files.AddFile("D:\\Tunes\\a.mp3", "ID3");
  SettingsFile("[Section]\r\nBGM区分=2\r\nBGMﾌｧｲﾙ=a.mp3\r\n");
  EXPECT_EQ(Load().musicFile, "");
  files.SetCurrentFolder("D:\\Tunes");
  const SharedSettings s = Load();
  EXPECT_EQ(s.musicFile, "a.mp3");
  EXPECT_EQ(s.musicFolder, "");  // the folder rule finds no folder in a bare name
}

TEST_F(SettingsTest, UnreadableSettingsFileReadsAsMissing) {
  SettingsFile("[Section]\r\n度合い=5\r\nBGM区分=1\r\n");
  files.SetUnreadable(kIni);
  const SharedSettings s = Load();
  EXPECT_EQ(s.effectDegree, 100);
  EXPECT_EQ(s.musicMode, 0);
}

TEST_F(SettingsTest, UnreadableSettingsFileIsNeverReplaced) {
  const std::string bytes = Utf8ToCp932("[Section]\r\n度合い=5\r\n; keep me\r\n");
  files.AddFile(kIni, bytes);
  files.SetUnreadable(kIni);
  std::int32_t lastApiResult = 1;
  WriteIniString(files, "Section", "BGM区分", " 1", kIni, lastApiResult);
  EXPECT_EQ(lastApiResult, 0);
  EXPECT_EQ(files.FileBytes(kIni), bytes);
}

TEST_F(SettingsTest, SettingsFileInADriveRoot) {
  process.appFolder = "D:\\";
  EXPECT_EQ(SettingsFilePath(process), "D:\\Tolvarin.ini");
  files.AddFile("D:\\Tolvarin.ini", Utf8ToCp932("[Section]\r\n度合い=3\r\n"));
  const SharedSettings s = Load();
  EXPECT_EQ(s.effectDegree, 3);
  EXPECT_EQ(s.musicFolder, "D:\\");
  process.appFolder = kApp;
  EXPECT_EQ(SettingsFilePath(process), kIni);
}

// Fails the n-th read (1-based) of the settings file with an exception.
class FailingRead : public FileSystem {
 public:
  FailingRead(FileSystem& inner, int failAt) : inner_(inner), failAt_(failAt) {}
  bool CanOpenForReading(const std::string& path) override { return inner_.CanOpenForReading(path); }
  bool PathExists(const std::string& path) override { return inner_.PathExists(path); }
  std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) override {
    if (++reads_ == failAt_) throw std::runtime_error("read failed");
    return inner_.ReadFileBytes(path, maxBytes);
  }
  bool ReplaceFileBytes(const std::string& path, const std::string& bytes) override {
    return inner_.ReplaceFileBytes(path, bytes);
  }

 private:
  FileSystem& inner_;
  int failAt_;
  int reads_ = 0;
};

TEST_F(SettingsTest, AFailingStepIsAbandonedAlone) {
  files.AddFile("C:\\Music\\a.mp3", "ID3");
  SettingsFile("[Section]\r\n度合い=50\r\nBGM区分=2\r\nBGMﾘﾋﾟｰﾄ=3\r\nBGMﾌｧｲﾙ=C:\\Music\\a.mp3\r\n");
  {
    FailingRead failing(files, 1);
    SharedSettings s;
    LoadSettings(failing, process, s);
    EXPECT_EQ(s.effectDegree, 0);
    EXPECT_EQ(s.musicMode, 2);
    EXPECT_EQ(s.repeatTrack, 3);
    EXPECT_EQ(s.musicFile, "C:\\Music\\a.mp3");
  }
  {
    FailingRead failing(files, 4);
    SharedSettings s;
    LoadSettings(failing, process, s);
    EXPECT_EQ(s.effectDegree, 50);
    EXPECT_EQ(s.musicMode, 2);  // the step that would check the file never ran
    EXPECT_EQ(s.musicFile, "");
    EXPECT_EQ(s.musicFolder, kApp);
  }
}

TEST_F(SettingsTest, LoadsThroughThePlatform) {
  sim::SimPlatform platform;
  platform.files.AddFile(platform.process.AppFolder() + "\\Tolvarin.ini",
                         Utf8ToCp932("[Section]\r\n度合い=77\r\n"));
  SharedSettings s;
  LoadSettings(platform.platform(), s);
  EXPECT_EQ(s.effectDegree, 77);
  EXPECT_EQ(s.musicFolder, platform.process.AppFolder());
}

// Reading and writing ---------------------------------------------------------

TEST_F(SettingsTest, ReadIniStringGivesEmptyTextForAnythingMissing) {
  EXPECT_EQ(ReadIniString(files, "Section", "度合い", kIni), "");
  SettingsFile("[Section]\r\n度合い= 100\r\n");
  EXPECT_EQ(ReadIniString(files, "Section", "度合い", kIni), "100");
  EXPECT_EQ(ReadIniString(files, "Other", "度合い", kIni), "");
  EXPECT_EQ(ReadIniString(files, "Section", "BGM区分", kIni), "");
  EXPECT_EQ(ReadIniString(files, "Section", "度合い", kApp), "");  // a folder
  EXPECT_EQ(ReadIniString(files, "Section", "度合い", ""), "");
}

TEST_F(SettingsTest, DialogSaveWritesTheExactFile) {
  EXPECT_EQ(Write(kKeyEffectDegree, SignedNumberText(100)), 1);
  EXPECT_EQ(Write(kKeyMusicMode, SignedNumberText(0)), 1);
  EXPECT_EQ(Write(kKeyRepeatTrack, SignedNumberText(0)), 1);
  EXPECT_EQ(Write(kKeyMusicFile, ""), 1);
  const std::string expected =
      "[Section]\r\n"
      "\x93\x78\x8D\x87\x82\xA2= 100\r\n"
      "\x42\x47\x4D\x8B\xE6\x95\xAA= 0\r\n"
      "\x42\x47\x4D\xD8\xCB\xDF\xB0\xC4= 0\r\n"
      "\x42\x47\x4D\xCC\xA7\xB2\xD9=\r\n";
  EXPECT_EQ(files.FileBytes(kIni), expected);

  const SharedSettings s = Load();
  EXPECT_EQ(s.effectDegree, 100);
  EXPECT_EQ(s.musicMode, 0);
  EXPECT_EQ(s.musicFile, "");
}

TEST_F(SettingsTest, SecondSaveChangesOnlyTheValues) {
  files.AddFile("C:\\ソフト\\表.mp3", "ID3");
  Write(kKeyEffectDegree, " 100");
  Write(kKeyMusicMode, " 0");
  Write(kKeyRepeatTrack, " 0");
  Write(kKeyMusicFile, "");
  Write(kKeyEffectDegree, "-3");
  Write(kKeyMusicMode, " 2");
  Write(kKeyRepeatTrack, " 12");
  EXPECT_EQ(Write(kKeyMusicFile, "C:\\ソフト\\表.mp3"), 1);
  EXPECT_EQ(files.FileBytes(kIni),
            Utf8ToCp932("[Section]\r\n度合い=-3\r\nBGM区分= 2\r\nBGMﾘﾋﾟｰﾄ= 12\r\nBGMﾌｧｲﾙ=C:\\ソフト\\表.mp3\r\n"));
  const SharedSettings s = Load();
  EXPECT_EQ(s.effectDegree, -3);
  EXPECT_EQ(s.musicMode, 2);
  EXPECT_EQ(s.repeatTrack, 12);
  EXPECT_EQ(s.musicFile, "C:\\ソフト\\表.mp3");
  EXPECT_EQ(s.musicFolder, "C:\\ソフト");
}

TEST_F(SettingsTest, WriteKeepsTheRestOfAnLfFile) {
  const std::string before = Utf8ToCp932(
      "; hand-made\n[Section]\nBGM区分=1 ; not a comment\nextra=kept\n\n[Mine]\n度合い=9\n");
  files.AddFile(kIni, before);
  EXPECT_EQ(Write(kKeyEffectDegree, " 20"), 1);
  EXPECT_EQ(files.FileBytes(kIni),
            Utf8ToCp932("; hand-made\n[Section]\nBGM区分=1 ; not a comment\nextra=kept\n度合い= 20\n\n[Mine]\n度合い=9\n"));
}

TEST_F(SettingsTest, WriteReplacesTheFileThroughATemporaryFile) {
  SettingsFile("[Section]\r\n度合い=1\r\n");
  files.ClearOperations();
  EXPECT_EQ(Write(kKeyEffectDegree, " 2"), 1);
  const auto& ops = files.Operations();
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ(ops[0].kind, FileOperation::Kind::CreateTemp);
  EXPECT_EQ(ops[1].kind, FileOperation::Kind::WriteTemp);
  EXPECT_EQ(ops[2].kind, FileOperation::Kind::Rename);
  EXPECT_EQ(ops[2].target, kIni);
  EXPECT_EQ(ops[0].path.rfind(std::string(kApp) + "\\", 0), 0u);  // beside the file
  EXPECT_EQ(files.FilesIn(kApp), std::vector<std::string>{kIni});
}

TEST_F(SettingsTest, FailedWriteLeavesTheOldFile) {
  SettingsFile("[Section]\r\n度合い=1\r\n");
  const std::string before = *files.FileBytes(kIni);
  for (WriteFault fault : {WriteFault::CannotCreateTemp, WriteFault::DiskFull, WriteFault::CannotRename}) {
    files.SetWriteFault(kApp, fault);
    EXPECT_EQ(Write(kKeyEffectDegree, " 2"), 0);
    EXPECT_EQ(Write(kKeyMusicFile, "C:\\x.mp3"), 0);
    EXPECT_EQ(files.FileBytes(kIni), before);
    EXPECT_EQ(files.FilesIn(kApp), std::vector<std::string>{kIni});  // no temporary file left
  }
  files.SetWriteFault(kApp, WriteFault::None);
  EXPECT_EQ(Write(kKeyEffectDegree, " 2"), 1);
}

TEST_F(SettingsTest, WriteFailsWithoutTouchingAnything) {
  SettingsFile("[Section]\r\n度合い=1\r\n");
  const std::string before = *files.FileBytes(kIni);
  files.ClearOperations();
  EXPECT_EQ(Write(std::string(128, 'k'), "v"), 0);
  EXPECT_EQ(Write("", "v"), 0);
  EXPECT_EQ(Write("a=b", "v"), 0);
  EXPECT_TRUE(files.Operations().empty());
  EXPECT_EQ(files.FileBytes(kIni), before);
  EXPECT_EQ(Write(kKeyEffectDegree, "1", "C:\\No Such Folder\\Tolvarin.ini"), 0);
  EXPECT_EQ(Write(kKeyEffectDegree, "1", kApp), 0);  // a folder
  EXPECT_TRUE(files.IsFolder(kApp));
  std::int32_t result = -1;
  WriteIniString(files, "a]b", kKeyEffectDegree, "1", kIni, result);
  EXPECT_EQ(result, 0);
}

TEST_F(SettingsTest, FileTooLargeToRewriteIsLeftAlone) {
  std::string huge = Utf8ToCp932("[Section]\r\n度合い=1\r\n");
  huge.resize((64u << 20) + 1, ';');
  files.AddFile(kIni, huge);
  EXPECT_EQ(ReadIniString(files, "Section", "度合い", kIni), "1");
  files.ClearOperations();
  EXPECT_EQ(Write(kKeyEffectDegree, " 2"), 0);
  EXPECT_TRUE(files.Operations().empty());
  EXPECT_EQ(files.FileBytes(kIni)->size(), huge.size());
}

TEST_F(SettingsTest, Utf16SettingsFileRoundTrip) {
  const std::u16string text = u"[Section]\r\n度合い=40\r\nBGMﾌｧｲﾙ=C:\\Music\\a.mp3\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t u : text) bytes += {char(u & 0xFF), char(u >> 8)};
  files.AddFile(kIni, bytes);
  files.AddFile("C:\\Music\\a.mp3", "ID3");
  EXPECT_EQ(Load().effectDegree, 40);
  EXPECT_EQ(Load().musicFile, "C:\\Music\\a.mp3");
  EXPECT_EQ(Write(kKeyEffectDegree, " 100"), 1);
  EXPECT_EQ(Write(kKeyMusicMode, " 2"), 1);
  const std::u16string expected = u"[Section]\r\n度合い= 100\r\nBGMﾌｧｲﾙ=C:\\Music\\a.mp3\r\nBGM区分= 2\r\n";
  std::string expectedBytes = "\xFF\xFE";
  for (char16_t u : expected) expectedBytes += {char(u & 0xFF), char(u >> 8)};
  EXPECT_EQ(files.FileBytes(kIni), expectedBytes);
  EXPECT_EQ(Load().musicMode, 2);
}

// Path functions -----------------------------------------------------------------

TEST(FolderOfPath, TakesTheTextBeforeTheLastSeparator) {
  const struct {
    const char* path;
    const char* folder;
  } cases[] = {
      {"C:\\Music\\a.mp3", "C:\\Music"},
      {"C:\\a.mp3", "C:"},
      {"C:a.mp3", "C:"},
      {"C:\\Music\\", "C:\\Music"},
      {"a.mp3", ""},
      {"", ""},
      {"\\", ""},
      {"C:", "C:"},
      {"\\\\server\\share\\a.mp3", "\\\\server\\share"},
      {"C:\\Music/a.mp3", "C:"},  // "/" is not a separator here
      {"C:\\ソフト\\a.mp3", "C:\\ソフト"},
      {"C:\\表\\能\\a.mp3", "C:\\表\\能"},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
}

TEST(FolderOfPath, PathReadFromCodePage932KeepsItsCharacters) {
  // ソ is 83 5C: a byte scan of the code page text would cut inside it.
  const std::string stored = "C:\\\x83\x5C\x83\x74\x83\x67\\a.mp3";
  EXPECT_EQ(FolderOfPath(Cp932ToUtf8(stored)), "C:\\ソフト");
  EXPECT_EQ(Utf8ToCp932(FolderOfPath(Cp932ToUtf8(stored))), "C:\\\x83\x5C\x83\x74\x83\x67");
}

TEST(FileExists, OpensFilesOnlyAndIgnoresOneTrailingBackslash) {
  sim::SimFileSystem files;
  files.AddFile("C:\\Music\\a.mp3", "ID3");
  files.AddFile("C:\\ソフト\\表.mp3", "ID3");
  EXPECT_TRUE(FileExists(files, "C:\\Music\\a.mp3"));
  EXPECT_TRUE(FileExists(files, "c:\\music\\A.MP3"));
  EXPECT_TRUE(FileExists(files, "C:\\Music\\a.mp3\\"));
  EXPECT_TRUE(FileExists(files, "C:\\ソフト\\表.mp3"));
  EXPECT_FALSE(FileExists(files, "C:\\Music\\a.mp3\\\\"));
  EXPECT_FALSE(FileExists(files, "C:\\Music"));
  EXPECT_FALSE(FileExists(files, "C:\\Music\\"));
  EXPECT_FALSE(FileExists(files, "C:\\Music\\b.mp3"));
  EXPECT_FALSE(FileExists(files, ""));
  EXPECT_FALSE(FileExists(files, "\\"));
  EXPECT_FALSE(FileExists(files, "C:\\Music\\a?.mp3"));
  files.SetUnreadable("C:\\Music\\a.mp3");
  EXPECT_FALSE(FileExists(files, "C:\\Music\\a.mp3"));
}

}  // namespace
}  // namespace tolvarin
