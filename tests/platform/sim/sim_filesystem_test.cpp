#include "platform/sim/sim_filesystem.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tolvarin::sim {
namespace {

TEST(SimFileSystem, PathsMatchLikeWindowsPaths) {
  SimFileSystem files;
  files.AddFile("C:\\Music\\A.mp3", "abc");
  for (const char* path : {"C:\\Music\\A.mp3", "c:\\music\\a.MP3", "C:/Music/a.mp3", "C:\\\\Music\\\\a.mp3",
                           "C:\\Music\\.\\x\\..\\a.mp3", "C:\\..\\Music\\a.mp3"}) {
    EXPECT_TRUE(files.CanOpenForReading(path)) << path;
    EXPECT_EQ(files.ReadFileBytes(path, 100), "abc") << path;
  }
  EXPECT_FALSE(files.CanOpenForReading("C:\\Music\\A.mp"));
  EXPECT_FALSE(files.CanOpenForReading("D:\\Music\\A.mp3"));
  // Only ASCII letters fold: full-width ones are other names.
  files.AddFile("C:\\ａ.txt", "x");
  EXPECT_FALSE(files.CanOpenForReading("C:\\Ａ.txt"));
}

TEST(SimFileSystem, FoldersAndTrailingSeparatorsAreNotFiles) {
  SimFileSystem files;
  files.AddFile("C:\\Music\\a.mp3", "abc");
  EXPECT_TRUE(files.IsFolder("C:\\Music"));
  EXPECT_FALSE(files.CanOpenForReading("C:\\Music"));
  EXPECT_FALSE(files.ReadFileBytes("C:\\Music\\", 10).has_value());
  EXPECT_FALSE(files.CanOpenForReading("C:\\Music\\a.mp3\\"));
  EXPECT_FALSE(files.CanOpenForReading("C:\\"));
  EXPECT_THROW(files.AddFile("C:\\Music", "x"), std::invalid_argument);
  EXPECT_THROW(files.AddFile("C:\\Music\\a.mp3\\b", "x"), std::invalid_argument);
}

TEST(SimFileSystem, RelativePathsStartFromTheCurrentFolder) {
  SimFileSystem files;
  files.AddFile("D:\\Tunes\\a.mp3", "tunes");
  files.AddFile("D:\\a.mp3", "d root");
  files.AddFile("C:\\a.mp3", "c root");
  EXPECT_EQ(files.ReadFileBytes("a.mp3", 10), "c root");  // starts in C:\ .
  files.SetCurrentFolder("d:\\tunes");
  EXPECT_EQ(files.ReadFileBytes("a.mp3", 10), "tunes");
  EXPECT_EQ(files.ReadFileBytes(".\\a.mp3", 10), "tunes");
  EXPECT_EQ(files.ReadFileBytes("..\\a.mp3", 10), "d root");
  EXPECT_EQ(files.ReadFileBytes("\\a.mp3", 10), "d root");
  EXPECT_EQ(files.ReadFileBytes("D:a.mp3", 10), "tunes");   // the current folder of drive D
  EXPECT_EQ(files.ReadFileBytes("C:a.mp3", 10), "c root");  // another drive: its root
}

TEST(SimFileSystem, NetworkPaths) {
  SimFileSystem files;
  files.AddFile("\\\\server\\share\\dir\\a.ini", "unc");
  EXPECT_EQ(files.ReadFileBytes("//SERVER/share/dir/a.ini", 10), "unc");
  EXPECT_EQ(files.ReadFileBytes("\\\\server\\share\\dir\\..\\..\\dir\\a.ini", 10), "unc");
  EXPECT_TRUE(files.IsFolder("\\\\server\\share"));
  files.SetCurrentFolder("\\\\server\\share\\dir");
  EXPECT_EQ(files.ReadFileBytes("a.ini", 10), "unc");
  EXPECT_EQ(files.ReadFileBytes("\\dir\\a.ini", 10), "unc");
  EXPECT_TRUE(files.ReplaceFileBytes("b.ini", "new"));
  EXPECT_EQ(files.FileBytes("\\\\server\\share\\dir\\b.ini"), "new");
}

TEST(SimFileSystem, InvalidNamesNameNothing) {
  SimFileSystem files;
  for (const char* path : {"", "C:\\a?.mp3", "C:\\a*.mp3", "C:\\a<b", "C:\\a|b", "C:\\a\"b", "C:\\a\x01",
                           "C:\\a:b", "\\\\", "\\\\server"}) {
    EXPECT_FALSE(files.CanOpenForReading(path)) << path;
    EXPECT_FALSE(files.ReplaceFileBytes(path, "x")) << path;
  }
  EXPECT_THROW(files.AddFile("C:\\a?.mp3", "x"), std::invalid_argument);
}

TEST(SimFileSystem, ReadsUpToTheLimitAndHonoursUnreadable) {
  SimFileSystem files;
  files.AddFile("C:\\f.bin", "0123456789");
  EXPECT_EQ(files.ReadFileBytes("C:\\f.bin", 4), "0123");
  EXPECT_EQ(files.ReadFileBytes("C:\\f.bin", 0), "");
  files.SetUnreadable("c:\\F.BIN");
  EXPECT_FALSE(files.CanOpenForReading("C:\\f.bin"));
  EXPECT_FALSE(files.ReadFileBytes("C:\\f.bin", 100).has_value());
  EXPECT_TRUE(files.IsFile("C:\\f.bin"));
  files.SetUnreadable("C:\\f.bin", false);
  EXPECT_TRUE(files.CanOpenForReading("C:\\f.bin"));
}

TEST(SimFileSystem, ReplaceWritesATemporaryFileThenRenamesIt) {
  SimFileSystem files;
  files.AddFile("C:\\App\\s.ini", "old");
  EXPECT_TRUE(files.ReplaceFileBytes("c:/app/S.INI", "new"));
  EXPECT_EQ(files.FileBytes("C:\\App\\s.ini"), "new");
  const auto& ops = files.Operations();
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ(ops[0].kind, FileOperation::Kind::CreateTemp);
  EXPECT_EQ(ops[1].kind, FileOperation::Kind::WriteTemp);
  EXPECT_EQ(ops[2].kind, FileOperation::Kind::Rename);
  EXPECT_EQ(ops[0].path, ops[2].path);
  EXPECT_EQ(ops[0].path.rfind("C:\\App\\", 0), 0u);
  for (const auto& op : ops) EXPECT_TRUE(op.succeeded);
  EXPECT_EQ(files.FilesIn("C:\\App").size(), 1u);
  // A new file in an existing folder.
  EXPECT_TRUE(files.ReplaceFileBytes("C:\\App\\n.ini", ""));
  EXPECT_EQ(files.FileBytes("C:\\App\\n.ini"), "");
}

TEST(SimFileSystem, ReplaceFailuresKeepTheOldFileAndLeaveNoTemporaryFile) {
  const struct {
    WriteFault fault;
    std::vector<FileOperation::Kind> steps;
  } cases[] = {
      {WriteFault::CannotCreateTemp, {FileOperation::Kind::CreateTemp}},
      {WriteFault::DiskFull,
       {FileOperation::Kind::CreateTemp, FileOperation::Kind::WriteTemp, FileOperation::Kind::DeleteTemp}},
      {WriteFault::CannotRename,
       {FileOperation::Kind::CreateTemp, FileOperation::Kind::WriteTemp, FileOperation::Kind::Rename,
        FileOperation::Kind::DeleteTemp}},
  };
  for (const auto& c : cases) {
    SimFileSystem files;
    files.AddFile("C:\\App\\s.ini", "old");
    files.SetWriteFault("C:\\App", c.fault);
    EXPECT_FALSE(files.ReplaceFileBytes("C:\\App\\s.ini", "new"));
    EXPECT_EQ(files.FileBytes("C:\\App\\s.ini"), "old");
    EXPECT_EQ(files.FilesIn("C:\\App"), std::vector<std::string>{"C:\\App\\s.ini"});
    std::vector<FileOperation::Kind> steps;
    for (const auto& op : files.Operations()) steps.push_back(op.kind);
    EXPECT_EQ(steps, c.steps);
    // Other folders are not affected.
    files.AddFolder("C:\\Other");
    EXPECT_TRUE(files.ReplaceFileBytes("C:\\Other\\s.ini", "new"));
  }
}

TEST(SimFileSystem, ReplaceNeedsAnExistingFolderAndAFileName) {
  SimFileSystem files;
  files.AddFolder("C:\\App\\Sub");
  EXPECT_FALSE(files.ReplaceFileBytes("C:\\Missing\\s.ini", "x"));
  EXPECT_FALSE(files.ReplaceFileBytes("C:\\App\\Sub", "x"));
  EXPECT_FALSE(files.ReplaceFileBytes("C:\\App\\s.ini\\", "x"));
  EXPECT_FALSE(files.ReplaceFileBytes("C:\\", "x"));
  EXPECT_TRUE(files.IsFolder("C:\\App\\Sub"));
  EXPECT_TRUE(files.FilesIn("C:\\App").empty());
}

TEST(SimFileSystem, RemoveTakesAFolderWithItsContents) {
  SimFileSystem files;
  files.AddFile("C:\\A\\B\\c.txt", "x");
  files.AddFile("C:\\AB\\d.txt", "y");
  files.Remove("c:\\a");
  EXPECT_FALSE(files.IsFile("C:\\A\\B\\c.txt"));
  EXPECT_FALSE(files.IsFolder("C:\\A"));
  EXPECT_TRUE(files.IsFile("C:\\AB\\d.txt"));  // a name that only starts the same stays
}

}  // namespace
}  // namespace tolvarin::sim
