#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "base/cp932.h"
#include "base/utf16_text.h"
#include "platform/sim/sim_filesystem.h"
#include "platform/sim/sim_process.h"

namespace tolvarin {
namespace {

using sim::FileOperation;
using sim::WriteFault;

constexpr const char* kApp = "C:\\Program Files\\Tolvarin";
constexpr const char* kIni = "C:\\Program Files\\Tolvarin\\Tolvarin.ini";

// Degree, mode, repeat track, music file, music folder.
using Fields = std::tuple<int, int, int, std::string, std::string>;
Fields Of(const SharedSettings& s) {
  return {s.effectDegree, int(s.musicMode), s.repeatTrack, s.musicFile, s.musicFolder};
}

std::string Utf16File(std::string_view utf8) { return "\xFF\xFE" + Utf8ToUtf16Le(utf8); }

// Can make one read fail with an exception, to see each load step trap its own errors.
class FlakyFiles : public sim::SimFileSystem {
 public:
  void FailRead(int n) { failAt_ = reads_ + n; }
  std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) override {
    if (++reads_ == failAt_) throw std::runtime_error("read failed");
    return SimFileSystem::ReadFileBytes(path, maxBytes);
  }

 private:
  int reads_ = 0, failAt_ = 0;
};

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
  std::int32_t Write(const std::string& key, const std::string& value, const std::string& file = kIni,
                     const std::string& section = kSettingsSection) {
    std::int32_t result = -1;
    WriteIniString(files, section, key, value, file, result);
    return result;
  }

  FlakyFiles files;
  sim::SimProcess process;
};


TEST_F(SettingsTest, LoadConvertsNumbersAndChecksTheMusicFile) {
  files.AddFile("C:\\Music\\a.mp3", "ID3");
  files.AddFile("D:\\Tunes\\b.mp3", "ID3");
  files.SetCurrentFolder("D:\\Tunes");
  const struct {
    const char* lines;
    Fields expected;
  } cases[] = {
      {"度合い=", {100, 0, 0, "", kApp}},      {"度合い=   ", {100, 0, 0, "", kApp}},
      {"度合い=abc", {0, 0, 0, "", kApp}},     {"度合い=12.9", {12, 0, 0, "", kApp}},
      {"度合い=-0.5", {-1, 0, 0, "", kApp}},   {"度合い=40000", {0, 0, 0, "", kApp}},
      {"度合い=x\r\nBGM区分=99999\r\nBGMﾘﾋﾟｰﾄ= 12", {0, 0, 12, "", kApp}},
      // Sound file mode falls back to none without a file that opens.
      {"BGM区分=2\r\nBGMﾌｧｲﾙ=", {100, 0, 0, "", kApp}},  {"BGM区分=2", {100, 0, 0, "", kApp}},
      {"BGM区分=2\r\nBGMﾌｧｲﾙ=C:\\Music\\missing.mp3", {100, 0, 0, "", kApp}},
      {"BGM区分=1\r\nBGMﾌｧｲﾙ=C:\\missing.mp3", {100, 1, 0, "", kApp}},
      {"BGM区分=7\r\nBGMﾘﾋﾟｰﾄ=-4\r\n度合い=-100", {-100, 7, -4, "", kApp}},
      {"BGM区分=2\r\nBGMﾌｧｲﾙ=C:\\Music\\a.mp3", {100, 2, 0, "C:\\Music\\a.mp3", "C:\\Music"}},
      // One extra "\" passes the test and is kept; the folder is then the whole name.
      {"BGM区分=2\r\nBGMﾌｧｲﾙ=C:\\Music\\a.mp3\\", {100, 2, 0, "C:\\Music\\a.mp3\\", "C:\\Music\\a.mp3"}},
      // Tested from the current folder; a bare name has no folder.
      {"BGM区分=2\r\nBGMﾌｧｲﾙ=b.mp3", {100, 2, 0, "b.mp3", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    SettingsFile(std::string("[Section]\r\n") + c.lines + "\r\n");
    EXPECT_EQ(Of(Load()), c.expected);
  }
}

TEST_F(SettingsTest, NoFileGivesTheDefaultsAndADriveRootHoldsTheFile) {
  EXPECT_EQ(Of(Load()), (Fields{100, 0, 0, "", kApp}));
  EXPECT_EQ(SettingsFilePath(process), kIni);
  process.appFolder = "D:\\";
  EXPECT_EQ(SettingsFilePath(process), "D:\\Tolvarin.ini");
  files.AddFile("D:\\Tolvarin.ini", Utf8ToCp932("[Section]\r\n度合い=3\r\n"));
  EXPECT_EQ(Of(Load()), (Fields{3, 0, 0, "", "D:\\"}));
}

TEST_F(SettingsTest, AFailingStepIsAbandonedAlone) {
  files.AddFile("C:\\Music\\a.mp3", "ID3");
  SettingsFile("[Section]\r\n度合い=50\r\nBGM区分=2\r\nBGMﾘﾋﾟｰﾄ=3\r\nBGMﾌｧｲﾙ=C:\\Music\\a.mp3\r\n");
  files.FailRead(1);
  EXPECT_EQ(Of(Load()), (Fields{0, 2, 3, "C:\\Music\\a.mp3", "C:\\Music"}));
  // The fourth read is the music file's: the step that would check it never ran.
  files.FailRead(4);
  EXPECT_EQ(Of(Load()), (Fields{50, 2, 3, "", kApp}));
}

std::vector<FileOperation::Kind> Steps(const sim::SimFileSystem& files) {
  std::vector<FileOperation::Kind> steps;
  for (const auto& op : files.Operations()) steps.push_back(op.kind);
  return steps;
}

// Saving the settings: the four keys in their order, the numbers with a sign
// position, the music file as held (empty too), in one replacement of the file.
TEST_F(SettingsTest, SavingTheSettingsWritesTheExactFileThenChangesOnlyTheValues) {
  SharedSettings settings;
  settings.effectDegree = 100;
  settings.musicFolder = "not saved";
  EXPECT_TRUE(SaveSettings(files, process, settings).saved);
  EXPECT_EQ(files.FileBytes(kIni),
            "[Section]\r\n"
            "\x93\x78\x8D\x87\x82\xA2= 100\r\n"
            "\x42\x47\x4D\x8B\xE6\x95\xAA= 0\r\n"
            "\x42\x47\x4D\xD8\xCB\xDF\xB0\xC4= 0\r\n"
            "\x42\x47\x4D\xCC\xA7\xB2\xD9=\r\n");
  EXPECT_EQ(Of(Load()), (Fields{100, 0, 0, "", kApp}));

  files.AddFile("C:\\ソフト\\表.mp3", "ID3");
  files.ClearOperations();
  settings = {-3, MusicMode::SoundFile, 12, "C:\\ソフト\\表.mp3", ""};
  EXPECT_TRUE(SaveSettings(files, process, settings).saved);
  // The file existed: a temporary file, written, put in place by ReplaceFileW
  // with the old file going to a backup name, which is then deleted.
  using K = FileOperation::Kind;
  EXPECT_EQ(Steps(files), (std::vector{K::CreateTemp, K::Write, K::CreateTemp, K::Replace, K::Delete}));
  EXPECT_EQ(files.Operations()[3].target, kIni);
  EXPECT_EQ(files.FilesIn(kApp), std::vector<std::string>{kIni});
  EXPECT_EQ(files.FileBytes(kIni),
            Utf8ToCp932("[Section]\r\n度合い=-3\r\nBGM区分= 2\r\nBGMﾘﾋﾟｰﾄ= 12\r\nBGMﾌｧｲﾙ=C:\\ソフト\\表.mp3\r\n"));
  EXPECT_EQ(Of(Load()), (Fields{-3, 2, 12, "C:\\ソフト\\表.mp3", "C:\\ソフト"}));
  // A mode that names none goes to the file and comes back as it is.
  settings.musicMode = MusicMode(-7);
  EXPECT_TRUE(SaveSettings(files, process, settings).saved);
  EXPECT_EQ(ReadIniString(files, kSettingsSection, kKeyMusicMode, kIni), "-7");
  EXPECT_EQ(Load().musicMode, MusicMode(-7));

  // A file name code page 932 cannot hold: refused as it is, or the file becomes UTF-16.
  files.AddFile("C:\\Café 노래\\a.mp3", "ID3");
  EXPECT_EQ(Write(kKeyMusicFile, "C:\\Café 노래\\a.mp3"), 0);
  settings.musicMode = MusicMode::SoundFile;
  settings.musicFile = "C:\\Café 노래\\a.mp3";
  EXPECT_TRUE(SaveSettings(files, process, settings).saved);
  EXPECT_EQ(files.FileBytes(kIni)->substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Of(Load()), (Fields{-3, 2, 12, "C:\\Café 노래\\a.mp3", "C:\\Café 노래"}));
}

TEST_F(SettingsTest, FailedWriteLeavesTheOldFileAndAFolderWithoutNewFilesIsWrittenInPlace) {
  SettingsFile("[Section]\r\n度合い=1\r\n");
  const std::string before = *files.FileBytes(kIni);
  for (WriteFault fault : {WriteFault::DiskFull, WriteFault::CannotRename}) {
    files.SetWriteFault(kApp, fault);
    EXPECT_EQ(Write(kKeyEffectDegree, " 2"), 0);
    EXPECT_EQ(files.FileBytes(kIni), before);
    EXPECT_EQ(files.FilesIn(kApp), std::vector<std::string>{kIni});  // no temporary file left
  }
  files.SetWriteFault(kApp, WriteFault::CannotCreateTemp);
  files.ClearOperations();
  EXPECT_EQ(Write(kKeyEffectDegree, " 2"), 1);
  EXPECT_EQ(Steps(files), (std::vector{FileOperation::Kind::CreateTemp, FileOperation::Kind::Write}));
  EXPECT_EQ(files.Operations().back().path, kIni);
  EXPECT_EQ(files.FileBytes(kIni), Utf8ToCp932("[Section]\r\n度合い= 2\r\n"));
  // A new file cannot be made there at all.
  EXPECT_EQ(Write(kKeyEffectDegree, " 2", std::string(kApp) + "\\new.ini"), 0);
  EXPECT_EQ(files.FilesIn(kApp), std::vector<std::string>{kIni});
}

// ReplaceFileW may stop halfway, an antivirus holding a file at the wrong
// moment: the name then holds the new file, else the old one, and only the
// old one counts as a failure.
TEST_F(SettingsTest, ReplacementStoppedHalfwayLeavesTheOldOrTheNewFileNeverNone) {
  const std::string oldBytes = Utf8ToCp932("[Section]\r\n度合い=1\r\n");
  const std::string newBytes = Utf8ToCp932("[Section]\r\n度合い= 2\r\n");
  std::vector<std::string> both{oldBytes, newBytes};
  std::sort(both.begin(), both.end());
  const struct {
    WriteFault fault;
    bool written;
    const std::string* under;  // what the file's name holds afterwards
    bool bothBeside;           // ...or both files are kept beside it
  } rows[] = {
      {WriteFault::ReplaceStopsBeforeMove, false, &oldBytes, false},   // both kept their names
      {WriteFault::ReplaceStopsAfterBackup, true, &newBytes, false},   // the new file is moved in
      {WriteFault::ReplaceStopsAfterBackupNewHeld, false, &oldBytes, false},  // the old one goes back
      {WriteFault::ReplaceStopsAfterBackupAllHeld, false, nullptr, true},     // under their own names
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(int(row.fault));
    files.Remove(kApp);
    SettingsFile("[Section]\r\n度合い=1\r\n");
    ASSERT_EQ(files.SetFileAttributesW(kIni, 0x22), 0u);  // hidden: kept on the new file
    files.SetWriteFault(kApp, row.fault);
    EXPECT_EQ(Write(kKeyEffectDegree, " 2"), row.written ? 1 : 0);
    EXPECT_EQ(files.FileBytes(kIni), row.under ? std::optional(*row.under) : std::nullopt);
    if (row.under) {
      EXPECT_EQ(files.GetFileAttributesW(kIni), 0x22u);
    }
    std::vector<std::string> kept;
    for (const std::string& path : files.FilesIn(kApp))
      if (path != kIni) kept.push_back(*files.FileBytes(path));
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, row.bothBeside ? both : std::vector<std::string>{});
  }
}

// Beside a program in a folder the user may not write, the settings go to
// the user's own application-data folder, which reading then prefers.
TEST_F(SettingsTest, ASaveRefusedBesideTheProgramGoesToThePerUserFile) {
  const std::string perUser = "C:\\Users\\User\\AppData\\Roaming\\Tolvarin\\Tolvarin.ini";
  files.AddFolder("C:\\Users\\User\\AppData\\Roaming");
  EXPECT_EQ(PerUserSettingsFilePath(files), perUser);
  const std::vector<IniEntry> save{{kKeyEffectDegree, " 5"}};
  const std::string beside = Utf8ToCp932("; 手で\r\n[Section]\r\n度合い=1\r\nBGM区分=1\r\n");
  const struct {
    const char* what;
    WriteFault fault;
    bool fileBeside, readOnly;
    bool saved;
    const char* where;  // "beside" or "user"
  } rows[] = {
      {"no file, folder refuses new files", WriteFault::CannotCreateTemp, false, false, true, "user"},
      {"file and folder refuse the user", WriteFault::AccessDenied, true, false, true, "user"},
      {"folder refuses new files, file written in place", WriteFault::CannotCreateTemp, true, false, true, "beside"},
      {"file made read-only on purpose", WriteFault::AccessDenied, true, true, false, "beside"},
      {"read-only file in a writable folder", WriteFault::None, true, true, false, "beside"},
      {"disk full is no matter of access", WriteFault::DiskFull, true, false, false, "beside"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    files.Remove(kApp);
    files.Remove("C:\\Users\\User\\AppData\\Roaming\\Tolvarin");
    files.AddFolder(kApp);
    if (row.fileBeside) files.AddFile(kIni, beside);
    if (row.readOnly) files.SetFileAttributesW(kIni, kFileAttributeReadOnly);
    files.SetWriteFault(kApp, row.fault);
    const SettingsSaveResult result = SaveSettings(files, process, save);
    EXPECT_EQ(result.saved, row.saved);
    EXPECT_EQ(result.file, std::string(row.where) == "user" ? perUser : kIni);
    EXPECT_EQ(files.IsFile(perUser), std::string(row.where) == "user");
    if (std::string(row.where) == "user") {
      // The file beside the program with the change applied; that file stays as it was.
      EXPECT_EQ(files.FileBytes(perUser),
                Utf8ToCp932(row.fileBeside ? "; 手で\r\n[Section]\r\n度合い= 5\r\nBGM区分=1\r\n" : "[Section]\r\n度合い= 5\r\n"));
      EXPECT_EQ(files.FileBytes(kIni), row.fileBeside ? std::optional(beside) : std::nullopt);
      EXPECT_EQ(SettingsFileToRead(files, process), perUser);
      EXPECT_EQ(Load().effectDegree, 5);
    }
  }

  // Once there, the per-user file takes every save, even where the program's folder is writable.
  files.SetWriteFault(kApp, WriteFault::None);
  files.AddFile(kIni, beside);
  files.AddFile(perUser, Utf8ToCp932("[Section]\r\n度合い=9\r\n"));
  EXPECT_EQ(Load().effectDegree, 9);
  const auto again = SaveSettings(files, process, {{kKeyEffectDegree, " 6"}});
  EXPECT_TRUE(again.saved);
  EXPECT_EQ(again.file, perUser);
  EXPECT_EQ(files.FileBytes(kIni), beside);
  EXPECT_EQ(Load().effectDegree, 6);
  // A folder in its place, or no application-data folder at all: the file beside the program.
  files.Remove(perUser);
  files.AddFolder(perUser);
  EXPECT_EQ(SettingsFileToRead(files, process), kIni);
  files.roamingAppData.reset();
  EXPECT_EQ(PerUserSettingsFilePath(files), std::nullopt);
  files.SetWriteFault(kApp, WriteFault::AccessDenied);
  EXPECT_EQ(SaveSettings(files, process, save).saved, false);
  EXPECT_EQ(Load().effectDegree, 1);
}

TEST_F(SettingsTest, WriteThatCannotBeDoneTouchesNothing) {
  SettingsFile("[Section]\r\n度合い=1\r\n");
  std::string before = *files.FileBytes(kIni);
  files.ClearOperations();
  EXPECT_EQ(Write(std::string(128, 'k'), "v"), 0);  // a name that cannot be written
  EXPECT_EQ(Write(kKeyEffectDegree, "1", kIni, "a]b"), 0);
  EXPECT_TRUE(files.Operations().empty());
  EXPECT_EQ(files.FileBytes(kIni), before);
  EXPECT_EQ(Write(kKeyEffectDegree, "1", "C:\\No Such Folder\\Tolvarin.ini"), 0);
  EXPECT_EQ(Write(kKeyEffectDegree, "1", kApp), 0);  // a folder
  EXPECT_TRUE(files.IsFolder(kApp));

  // Read as well as can be, never rewritten: a file too large to be read
  // whole, UTF-16BE, and a file that cannot be read at all.
  std::string huge = before, be = Utf16File("[Section]\r\n度合い=1\r\n");
  huge.resize((64u << 20) + 1, ';');
  for (std::size_t i = 0; i + 1 < be.size(); i += 2) std::swap(be[i], be[i + 1]);
  for (const std::string* bytes : {&huge, &be, &before}) {
    files.AddFile(kIni, *bytes);
    files.SetUnreadable(kIni, bytes == &before);
    EXPECT_EQ(Load().effectDegree, bytes == &before ? 100 : 1);
    EXPECT_FALSE(WriteIniStrings(files, kSettingsSection, {{kKeyEffectDegree, " 2"}}, kIni, IniWiden::WhenNeeded));
    EXPECT_EQ(Write(kKeyEffectDegree, " 2"), 0);
    EXPECT_EQ(files.FileBytes(kIni), *bytes);
  }
}

TEST(FolderOfPath, TakesTheTextBeforeTheLastSeparator) {
  const char* cases[][2] = {
      {"C:\\Music\\a.mp3", "C:\\Music"}, {"C:\\a.mp3", "C:"},   {"C:a.mp3", "C:"},
      {"C:\\Music\\", "C:\\Music"},      {"a.mp3", ""},         {"", ""},
      {"\\", ""},                        {"C:", "C:"},          {"\\\\server\\share\\a.mp3", "\\\\server\\share"},
      {"C:\\Music/a.mp3", "C:"},  // "/" is not a separator here
      // ソ, 表 and 能 end in 0x5C in code page 932; the path is scanned by character.
      {"C:\\ソフト\\a.mp3", "C:\\ソフト"}, {"C:\\表\\能\\a.mp3", "C:\\表\\能"},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderOfPath(c[0]), c[1]) << c[0];
}

TEST(FileExists, OpensFilesOnlyAndIgnoresOneTrailingBackslash) {
  sim::SimFileSystem files;
  files.AddFile("C:\\Music\\a.mp3", "ID3");
  files.AddFile("C:\\ソフト\\表.mp3", "ID3");
  files.AddFile("C:\\Music\\locked.mp3", "ID3");
  files.SetUnreadable("C:\\Music\\locked.mp3");
  for (const char* path : {"C:\\Music\\a.mp3", "c:\\music\\A.MP3", "C:\\Music\\a.mp3\\", "C:\\ソフト\\表.mp3"})
    EXPECT_TRUE(FileExists(files, path)) << path;
  for (const char* path : {"C:\\Music\\a.mp3\\\\", "C:\\Music", "C:\\Music\\", "C:\\Music\\b.mp3", "", "\\",
                           "C:\\Music\\a?.mp3", "C:\\Music\\locked.mp3"})
    EXPECT_FALSE(FileExists(files, path)) << path;
}

}  // namespace
}  // namespace tolvarin
