// platform/env_files over real Windows files: backups that never replace one
// another, files never taken while another program still writes them, and
// full time stamps.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <set>
#include <string>

#include "core/text.h"
#include "platform/env_files.h"
#include "platform/files.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::string ProgramPath(const fs::path& p) { return Narrow(p.wstring()); }

std::set<std::string> NamesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

TEST(BackupEnvironmentFile, CopiesWithinOneSecondEachKeepTheirOwnName) {
  TempDir dir;
  const fs::path prog = dir.path() / "prog";
  fs::create_directories(prog);
  const fs::path env = dir.path() / test::PathFromCp932(J("表示設定.jwf"));
  const Timestamp t{2004, 3, 7, 9, 5, 12};

  WriteBytes(env, J("一回目\r\n"));
  std::string first, second, third;
  // The folder is made on first use.
  ASSERT_EQ(BackupEnvironmentFile(ProgramPath(prog), ProgramPath(env), t, &first),
            BackupResult::kWritten);
  WriteBytes(env, J("二回目\r\n"));
  ASSERT_EQ(BackupEnvironmentFile(ProgramPath(prog), ProgramPath(env), t, &second),
            BackupResult::kWritten);
  WriteBytes(env, J("三回目\r\n"));
  ASSERT_EQ(BackupEnvironmentFile(ProgramPath(prog), ProgramPath(env), t, &third),
            BackupResult::kWritten);

  const fs::path folder = prog / "JWF_BACKUPs";
  EXPECT_EQ(first, ProgramPath(folder / "20040307090512.jwf"));
  EXPECT_EQ(second, ProgramPath(folder / "20040307090512-2.jwf"));
  EXPECT_EQ(third, ProgramPath(folder / "20040307090512-3.jwf"));
  EXPECT_EQ(ReadBytes(folder / "20040307090512.jwf"), J("一回目\r\n"));
  EXPECT_EQ(ReadBytes(folder / "20040307090512-2.jwf"), J("二回目\r\n"));
  EXPECT_EQ(ReadBytes(folder / "20040307090512-3.jwf"), J("三回目\r\n"));
  // Nothing else is left behind, and the file itself is untouched.
  EXPECT_EQ(NamesIn(folder).size(), 3u);
  EXPECT_EQ(ReadBytes(env), J("三回目\r\n"));

  // A folder named in another letter case is the same folder.
  fs::remove_all(folder);
  fs::create_directories(prog / "jwf_backups");
  ASSERT_EQ(BackupEnvironmentFile(ProgramPath(prog), ProgramPath(env), t),
            BackupResult::kWritten);
  EXPECT_EQ(ReadBytes(prog / "jwf_backups" / "20040307090512.jwf"), J("三回目\r\n"));
}

TEST(BackupEnvironmentFile, NothingToCopyAndNoPlaceToCopyTo) {
  TempDir dir;
  const fs::path prog = dir.path() / "prog";
  fs::create_directories(prog);
  const fs::path env = dir.path() / "JW_WIN.JWF";
  EXPECT_EQ(BackupEnvironmentFile(ProgramPath(prog), ProgramPath(env), LocalNow()),
            BackupResult::kNoFile);
  EXPECT_FALSE(fs::exists(prog / "JWF_BACKUPs"));

  // A file where the folder should be: no backup, and it says so.
  WriteBytes(env, "X\r\n");
  WriteBytes(prog / "JWF_BACKUPs", "not a folder");
  EXPECT_EQ(BackupEnvironmentFile(ProgramPath(prog), ProgramPath(env), LocalNow()),
            BackupResult::kFailed);
  EXPECT_EQ(ReadBytes(prog / "JWF_BACKUPs"), "not a folder");

  // A file that cannot be read is not "missing".
  fs::remove(prog / "JWF_BACKUPs");
  HANDLE lock = CreateFileW(env.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(BackupEnvironmentFile(ProgramPath(prog), ProgramPath(env), LocalNow()),
            BackupResult::kFailed);
  CloseHandle(lock);
}

TEST(EnvFiles, WriteNewFileNeverReplaces) {
  TempDir dir;
  const fs::path p = dir.path() / "a.jwf";
  EXPECT_EQ(WriteNewFile(ProgramPath(p), "first"), NewFileResult::kWritten);
  EXPECT_EQ(WriteNewFile(ProgramPath(p), "second"), NewFileResult::kExists);
  EXPECT_EQ(ReadBytes(p), "first");
  EXPECT_EQ(WriteNewFile(ProgramPath(dir.path() / "no" / "b.jwf"), "x"), NewFileResult::kFailed);
  EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"a.jwf"}));
}

TEST(EnvFiles, FilesBeingWrittenAndTheirTimeStamps) {
  TempDir dir;
  const fs::path p = dir.path() / "T.JWF";
  EXPECT_FALSE(FileWriteTime(ProgramPath(p)));
  EXPECT_FALSE(FileClosedByWriters(ProgramPath(p)));
  EXPECT_TRUE(PathAbsent(ProgramPath(p)));
  EXPECT_FALSE(FileWriteTime(ProgramPath(dir.path())));  // a folder is no file

  // Jw_cad writing: open for writing, others may read.
  HANDLE h = CreateFileW(p.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(PathAbsent(ProgramPath(p)));
  EXPECT_FALSE(FileClosedByWriters(ProgramPath(p)));
  // A time stamp with a fraction of a second is given in full.
  FILETIME ft{};
  const std::uint64_t stamp = 133'500'000'001'234'567ull;
  ft.dwLowDateTime = static_cast<DWORD>(stamp);
  ft.dwHighDateTime = static_cast<DWORD>(stamp >> 32);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
  CloseHandle(h);
  EXPECT_TRUE(FileClosedByWriters(ProgramPath(p)));
  ASSERT_TRUE(FileWriteTime(ProgramPath(p)));
  EXPECT_EQ(*FileWriteTime(ProgramPath(p)), stamp);
}

}  // namespace
}  // namespace zel
