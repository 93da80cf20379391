#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "TestSupport.h"
#include "scan/FileError.h"

namespace obitrak::test {
namespace {

TEST(FileError, MessagesFollowTheErrorCode) {
  TempDir dir;
  const std::string inFolder = dir.file("x.dm2");
  const std::string inMissingFolder = dir.file("missing/x.dm2");
  struct Case {
    int err;
    std::string path;
    std::string message;
  };
  for (const Case& c :
       {Case{ENOENT, inFolder, "File not found"}, Case{ENOENT, inMissingFolder, "Folder not found"},
        Case{ENOTDIR, inFolder, "Not a folder"}, Case{ENAMETOOLONG, inFolder, "File name too long"},
        Case{EINVAL, inFolder, "Invalid filename"},
        Case{ELOOP, inFolder, "Too many levels of symbolic links"},
        Case{EMFILE, inFolder, "Too many open files"}, Case{EACCES, inFolder, "File access denied"},
        Case{EISDIR, inFolder, "Is a folder"}, Case{EROFS, inFolder, "Read-only file system"},
        Case{ENOSPC, inFolder, "Disk full"}, Case{EIO, inFolder, "I/O error 5: Input/output error"},
        Case{EFBIG, inFolder, "I/O error 27: File too large"}}) {
    EXPECT_EQ(std::string(fileErrorFromErrno(c.err, c.path).what()), c.message) << c.err;
  }
  for (int code : {2, 3, 4, 5, 100, 101, 106}) {
    EXPECT_EQ(std::string(FileError(code).what()), fileErrorMessage(code));
  }
  EXPECT_EQ(fileErrorMessage(100), "Read beyond end of file");
  EXPECT_EQ(fileErrorMessage(106), "Invalid numeric input");
  EXPECT_EQ(fileErrorMessage(32), "I/O error 32: Broken pipe");
}

}  // namespace
}  // namespace obitrak::test
