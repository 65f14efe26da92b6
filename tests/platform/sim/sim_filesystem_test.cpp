#include "platform/sim/sim_filesystem.h"
#include "settings/replace_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tolvarin::sim {
namespace {

// Unreadable files, and the write steps and faults, are checked through the
// settings file tests.

// Rows of a path and the bytes read through it; nullptr when it names no readable file.
void ExpectReads(SimFileSystem& files, std::initializer_list<std::pair<const char*, const char*>> rows) {
  for (const auto& [path, bytes] : rows) {
    EXPECT_EQ(files.CanOpenForReading(path), bytes != nullptr) << path;
    EXPECT_EQ(files.ReadFileBytes(path, 100), bytes ? std::optional<std::string>(bytes) : std::nullopt) << path;
  }
}

TEST(SimFileSystem, PathsResolveLikeWindowsPaths) {
  SimFileSystem files;
  files.AddFile("C:\\Music\\A.mp3", "abc");
  files.AddFile("C:\\ａ.txt", "x");
  files.AddFile("D:\\Tunes\\a.mp3", "tunes");
  files.AddFile("D:\\a.mp3", "d root");
  files.AddFile("C:\\a.mp3", "c root");
  files.AddFile("\\\\server\\share\\dir\\a.ini", "unc");
  ExpectReads(files, {{"c:\\music\\a.MP3", "abc"}, {"C:/Music/a.mp3", "abc"}, {"C:\\\\Music\\\\a.mp3", "abc"},
                      {"C:\\Music\\.\\x\\..\\a.mp3", "abc"}, {"C:\\..\\Music\\a.mp3", "abc"},
                      {"C:\\Music\\A.mp", nullptr}, {"D:\\Music\\A.mp3", nullptr},
                      {"C:\\Ａ.txt", nullptr},  // only ASCII letters fold
                      {"a.mp3", "c root"},      // starts in C:\ .
                      {"//SERVER/share/dir/a.ini", "unc"}, {"\\\\server\\share\\dir\\..\\..\\dir\\a.ini", "unc"}});
  files.SetCurrentFolder("d:\\tunes");
  // "D:a.mp3" is in the current folder of drive D; "C:a.mp3" on another drive is in its root.
  ExpectReads(files, {{"a.mp3", "tunes"}, {".\\a.mp3", "tunes"}, {"..\\a.mp3", "d root"}, {"\\a.mp3", "d root"},
                      {"D:a.mp3", "tunes"}, {"C:a.mp3", "c root"}});
  files.SetCurrentFolder("\\\\server\\share\\dir");
  ExpectReads(files, {{"a.ini", "unc"}, {"\\dir\\a.ini", "unc"}});
  EXPECT_TRUE(ReplaceFileBytes(files, "b.ini", "new").written);
  EXPECT_EQ(files.FileBytes("\\\\server\\share\\dir\\b.ini"), "new");
  EXPECT_TRUE(files.IsFolder("\\\\server\\share"));
}

TEST(SimFileSystem, FoldersTrailingSeparatorsAndInvalidNamesAreNoFiles) {
  SimFileSystem files;
  files.AddFile("C:\\Music\\a.mp3", "abc");
  for (const char* path : {"C:\\Music", "C:\\Music\\", "C:\\Music\\a.mp3\\", "C:\\", "C:\\Missing\\s.ini", "",
                           "C:\\a?.mp3", "C:\\a*.mp3", "C:\\a<b", "C:\\a|b", "C:\\a\"b", "C:\\a\x01", "C:\\a:b",
                           "\\\\", "\\\\server"}) {
    EXPECT_FALSE(files.CanOpenForReading(path)) << path;
    EXPECT_FALSE(files.ReadFileBytes(path, 10).has_value()) << path;
    EXPECT_FALSE(ReplaceFileBytes(files, path, "x").written) << path;
  }
  EXPECT_EQ(files.ReadFileBytes("C:\\Music\\a.mp3", 2), "ab");  // up to the limit
  EXPECT_TRUE(files.IsFolder("C:\\Music"));
  EXPECT_EQ(files.FilesIn("C:\\Music"), std::vector<std::string>{"C:\\Music\\a.mp3"});
  for (const char* path : {"C:\\Music", "C:\\Music\\a.mp3\\b", "C:\\a?.mp3"})
    EXPECT_THROW(files.AddFile(path, "x"), std::invalid_argument) << path;
}

}  // namespace
}  // namespace tolvarin::sim
