// platform/files over real Windows files: atomic replace, existence checks
// that must not be fooled by folders, locks or missing drives, short paths,
// the listing's file system, names that code page 932 cannot hold, and
// the second try of a program start Wine lost.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/arguments.h"
#include "core/filelist.h"
#include "core/text.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using test::PathFromCp932;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// A path as the program forms it: code page 932, "\" separators.
std::string ProgramPath(const fs::path& p) { return Narrow(p.wstring()); }

// Another program holding the file open and letting no one else in.
class ExclusiveLock {
 public:
  explicit ExclusiveLock(const fs::path& p)
      : h_(CreateFileW(p.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~ExclusiveLock() {
    if (held()) CloseHandle(h_);
  }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;
  bool held() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

// The temporary files WriteFileAtomic makes ("zel" prefix, ".tmp").
std::vector<std::wstring> TempFilesIn(const fs::path& folder) {
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder / L"zel*.tmp").wstring().c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return found;
  do found.push_back(fd.cFileName);
  while (FindNextFileW(h, &fd));
  FindClose(h);
  return found;
}

std::vector<std::string> NamesOf(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const DirEntry& e : entries) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

// A drive letter with nothing behind it on this machine.
std::string UnmappedDrive() {
  DWORD drives = GetLogicalDrives();
  for (int i = 'Q' - 'A'; i < 26; ++i)
    if (!(drives & (1u << i))) return std::string(1, static_cast<char>('A' + i)) + ":";
  for (int i = 'Q' - 'A' - 1; i >= 3; --i)
    if (!(drives & (1u << i))) return std::string(1, static_cast<char>('A' + i)) + ":";
  return "";
}

// 3 MB of varied bytes: more than one write chunk, and every byte value.
std::string BigContent() {
  std::string s(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>((i * 7919 + i / 251) & 0xFF);
  return s;
}

TEST(WriteFileAtomic, WritesWholeReplacesAndLeavesNoTemporaryFile) {
  TempDir dir;
  const fs::path target = dir.path() / "Varnik.ini";
  const std::string big = BigContent();

  ASSERT_TRUE(WriteFileAtomic(ProgramPath(target), big));
  EXPECT_EQ(ReadBytes(target), big);
  EXPECT_TRUE(TempFilesIn(dir.path()).empty());

  // A shorter content replaces the longer one completely: no tail remains.
  ASSERT_TRUE(WriteFileAtomic(ProgramPath(target), "short\r\n"));
  EXPECT_EQ(ReadBytes(target), "short\r\n");
  EXPECT_TRUE(TempFilesIn(dir.path()).empty());

  // An empty file is a file too.
  ASSERT_TRUE(WriteFileAtomic(ProgramPath(target), ""));
  EXPECT_TRUE(fs::exists(target));
  EXPECT_EQ(fs::file_size(target), 0u);

  // A Japanese file name whose second byte of ソ is "\" in code page 932.
  const std::string name = J("表示ソフト.ini");
  ASSERT_TRUE(WriteFileAtomic(ProgramPath(dir.path()) + "\\" + name, J("設定\r\n")));
  EXPECT_EQ(ReadBytes(dir.path() / PathFromCp932(name)), J("設定\r\n"));

  std::vector<std::wstring> names;
  for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Varnik.ini", WideUtf8("表示ソフト.ini")}));
}

TEST(WriteFileAtomic, AReadOnlyFileIsNeverReplaced) {
  TempDir dir;
  const fs::path target = dir.Write(J("環境.jwf"), J("元の環境\r\n"));
  ASSERT_TRUE(SetFileAttributesW(target.wstring().c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteFileAtomic(ProgramPath(target), "new\r\n"));
  EXPECT_EQ(ReadBytes(target), J("元の環境\r\n"));
  EXPECT_NE(GetFileAttributesW(target.wstring().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_TRUE(TempFilesIn(dir.path()).empty());
  // Writable again, it is replaced as any other.
  ASSERT_TRUE(SetFileAttributesW(target.wstring().c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(WriteFileAtomic(ProgramPath(target), "new\r\n"));
  EXPECT_EQ(ReadBytes(target), "new\r\n");
}

TEST(WriteFileAtomic, LockedTargetFailsAndKeepsTheOldFile) {
  TempDir dir;
  const std::string old = J("[Varnik設定ファイル]\r\neditor=Notepad\r\n") + std::string(1000, 'x');
  const fs::path target = dir.Write("Varnik.ini", old);
  {
    ExclusiveLock lock(target);
    ASSERT_TRUE(lock.held());
    EXPECT_FALSE(WriteFileAtomic(ProgramPath(target), "new content\r\n"));
    EXPECT_TRUE(TempFilesIn(dir.path()).empty())
        << "the temporary file was left behind after the failed replace";
  }
  EXPECT_EQ(ReadBytes(target), old);
  EXPECT_TRUE(TempFilesIn(dir.path()).empty());

  // Once the other program lets go, the same write goes through.
  EXPECT_TRUE(WriteFileAtomic(ProgramPath(target), "new content\r\n"));
  EXPECT_EQ(ReadBytes(target), "new content\r\n");
}

// A program that reads the file for a moment, the way a virus scanner or an
// editor does: sharing reading and writing, not deletion, so no other file
// can be moved over it while it reads.
TEST(WriteFileAtomic, AReaderGlancingAtTheTargetDoesNotMakeTheSaveFail) {
  TempDir dir;
  const fs::path target = dir.Write("tree_rbat.dat", "r:\\old\r\n");
  for (const std::string bytes : {std::string("r:\\new\r\n"), std::string(300000, 'y')}) {
    HANDLE reader = CreateFileW(target.wstring().c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    // While it reads, a plain replace is refused: the case is a real one.
    const fs::path other = dir.Write("other.tmp", "x");
    EXPECT_FALSE(MoveFileExW(other.wstring().c_str(), target.wstring().c_str(),
                             MOVEFILE_REPLACE_EXISTING));
    fs::remove(other);
    HANDLE closer = CreateThread(
        nullptr, 0,
        [](void* h) -> DWORD {
          Sleep(150);
          CloseHandle(static_cast<HANDLE>(h));
          return 0;
        },
        reader, 0, nullptr);
    ASSERT_NE(closer, nullptr);
    const bool saved = WriteFileAtomic(ProgramPath(target), bytes);
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    EXPECT_TRUE(saved);
    EXPECT_EQ(ReadBytes(target), bytes);
    EXPECT_TRUE(TempFilesIn(dir.path()).empty());
  }
  // Waiting out a reader never turns into replacing: a new file still
  // leaves an existing name alone.
  EXPECT_EQ(WriteNewFile(ProgramPath(target), "z"), NewFileResult::kExists);
}

// A process that has been started and not yet run: it counts as running
// until it is ended.
struct SuspendedProcess {
  PROCESS_INFORMATION pi{};
  SuspendedProcess() {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    wchar_t cmd[] = L"cmd.exe /c exit";
    CreateProcessW(nullptr, cmd, nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                   nullptr, nullptr, &si, &pi);
  }
  ~SuspendedProcess() { End(); }
  void End() {
    if (!pi.hProcess) return;
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    pi = {};
  }
};

std::wstring TempName(DWORD pid, int n) {
  wchar_t name[64];
  swprintf(name, 64, L"zel%lx_%x.tmp", static_cast<unsigned long>(pid), n);
  return name;
}

// A save cut off by the end of its program leaves its temporary file; the
// next save in that folder removes it, but never the file of a program that
// is still saving, nor a file that only looks like ours.
TEST(WriteFileAtomic, NextSaveRemovesTheTemporaryFilesOfEndedWriters) {
  TempDir dir;
  SuspendedProcess ended, running;
  ASSERT_NE(ended.pi.hProcess, nullptr);
  ASSERT_NE(running.pi.hProcess, nullptr);
  const DWORD ended_pid = ended.pi.dwProcessId;
  ended.End();
  const std::wstring dead = TempName(ended_pid, 3), alive = TempName(running.pi.dwProcessId, 1),
                     own = TempName(GetCurrentProcessId(), 999);
  for (const std::wstring& n : {dead, alive, own, std::wstring(L"zelnotes.tmp"),
                                std::wstring(L"zel_x.tmp")})
    WriteBytes(dir.path() / n, "half a file");

  ASSERT_TRUE(WriteFileAtomic(ProgramPath(dir.path() / "Taskmnu.ini"), "TempbakbatN=10\r\n"));
  std::vector<std::wstring> left = TempFilesIn(dir.path());
  std::sort(left.begin(), left.end());
  std::vector<std::wstring> expected{alive, own, L"zel_x.tmp", L"zelnotes.tmp"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
  EXPECT_EQ(ReadBytes(dir.path() / "Taskmnu.ini"), "TempbakbatN=10\r\n");

  // The writer that was still running has ended since: its file goes too.
  running.End();
  ASSERT_TRUE(WriteNewFile(ProgramPath(dir.path() / "new.bat"), "x") == NewFileResult::kWritten);
  left = TempFilesIn(dir.path());
  std::sort(left.begin(), left.end());
  expected = {own, L"zel_x.tmp", L"zelnotes.tmp"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
}

TEST(WriteFileAtomic, MissingFolderFailsWithoutCreatingAnything) {
  TempDir dir;
  EXPECT_FALSE(WriteFileAtomic(ProgramPath(dir.path()) + "\\nofolder\\Varnik.ini", "x"));
  EXPECT_FALSE(fs::exists(dir.path() / "nofolder"));
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(FileExists, OnlyReadableFilesCount) {
  TempDir dir;
  const fs::path plain = dir.Write("run.bat", "REM run\r\n#jw\r\n");
  const fs::path japanese = dir.Write(J("表示ソフト.bat"), "REM x\r\n");
  const fs::path empty = dir.Write("empty.bat", "");
  fs::create_directories(dir.path() / "sub.bat");

  // The name must carry a trail byte 0x5C (表, ソ) that is not a separator.
  ASSERT_NE(J("表示ソフト.bat").find('\\'), std::string::npos);
  EXPECT_TRUE(FileExists(ProgramPath(plain)));
  EXPECT_TRUE(FileExists(ProgramPath(japanese)));
  EXPECT_TRUE(FileExists(ProgramPath(empty)));

  EXPECT_FALSE(FileExists(ProgramPath(dir.path() / "sub.bat"))) << "a folder is not a file";
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists(ProgramPath(dir.path() / "missing.bat")));
  const std::string drive = UnmappedDrive();
  ASSERT_FALSE(drive.empty()) << "every drive letter is mapped";
  EXPECT_FALSE(FileExists(drive + "\\nothing\\x.bat"));

  {
    ExclusiveLock lock(plain);
    ASSERT_TRUE(lock.held());
    EXPECT_FALSE(FileExists(ProgramPath(plain))) << "a file locked by another program";
    // The other files are not affected by the lock.
    EXPECT_TRUE(FileExists(ProgramPath(japanese)));
  }
  EXPECT_TRUE(FileExists(ProgramPath(plain)));
}

TEST(ShortFolderPath, ExistingFoldersOnly) {
  TempDir dir;
  const std::string jname = J("表示ソフト用フォルダ");
  const fs::path jfolder = dir.path() / PathFromCp932(jname);
  const fs::path long_folder = dir.path() / "a rather long folder name.d";
  fs::create_directories(jfolder);
  fs::create_directories(long_folder);
  WriteBytes(jfolder / "marker.txt", "j");
  WriteBytes(long_folder / "marker.txt", "l");

  for (const fs::path& folder : {dir.path(), jfolder, long_folder}) {
    SCOPED_TRACE(ProgramPath(folder));
    std::optional<std::string> s = ShortFolderPath(ProgramPath(folder));
    ASSERT_TRUE(s.has_value());
    ASSERT_FALSE(s->empty());
    // Whatever form it takes, it names the same folder.
    EXPECT_TRUE(FolderExists(*s));
    if (folder != dir.path()) {
      EXPECT_EQ(ReadBytes(PathFromCp932(*s + "\\marker.txt")), folder == jfolder ? "j" : "l");
    }
  }

  EXPECT_FALSE(ShortFolderPath(ProgramPath(dir.path() / "missing")).has_value());
  EXPECT_FALSE(ShortFolderPath(ProgramPath(dir.path() / PathFromCp932(J("無い表")))).has_value());
  EXPECT_FALSE(ShortFolderPath("").has_value());
  // A file is not a folder.
  EXPECT_FALSE(ShortFolderPath(ProgramPath(jfolder / "marker.txt")).has_value());
}

TEST(ProgramArguments, NamesCodePage932CannotHoldBecomeShortPathsOfTheSameFolder) {
  TempDir dir;
  // Korean has no place in code page 932: such a name used to reach the
  // program as "?" and name nothing.
  const fs::path spaced = dir.path() / L"\xd55c\xae00 \xb3c4\xba74";
  const fs::path plain = dir.path() / L"\xd55c\xae00";
  for (const fs::path& folder : {spaced, plain}) {
    fs::create_directories(folder);
    WriteBytes(folder / "marker.txt", folder == spaced ? "spaced" : "plain");
  }

  // What code page 932 holds passes byte for byte, blanks and quotes too.
  const std::wstring held = L"\"" + (dir.path() / WideUtf8("外変 フォルダ")).wstring() + L"\"  /jwf";
  EXPECT_EQ(ProgramArguments(held), Narrow(held));
  EXPECT_EQ(ProgramArguments(L"/P"), "/P");
  EXPECT_EQ(ProgramArguments(L""), "");

  const std::wstring line = L"\"" + spaced.wstring() + L"\"  /jwf " + plain.wstring();
  const std::string got = ProgramArguments(line);
  const Words words = SplitStartArguments(got);
  EXPECT_EQ(words[1], "/jwf") << got;
  EXPECT_EQ(words[3], "") << got;
  for (int w : {0, 2}) {
    SCOPED_TRACE(words[w]);
    std::string exact;
    ASSERT_TRUE(NarrowExact(Wide(words[w]), exact));
    EXPECT_EQ(ReadBytes(PathFromCp932(words[w] + "\\marker.txt")), w == 0 ? "spaced" : "plain");
    EXPECT_TRUE(ShortFolderPath(words[w]).has_value());
  }
  EXPECT_NE(got.find("  /jwf"), std::string::npos) << "blanks between words are kept";

  // A word that names nothing stays as unreadable as it was.
  const std::wstring missing = (dir.path() / L"\xd55c\xae00\xd55c").wstring();
  EXPECT_EQ(ProgramArguments(missing), Narrow(missing));
}

TEST(Win32FileSystem, ListsOrdinaryFilesWithTheExactExtension) {
  TempDir dir;
  dir.Write("a.bat", "1");
  dir.Write("UPPER.BAT", "22");
  dir.Write("a.batch", "3");
  dir.Write("b.bat.txt", "4");
  dir.Write("hidden.bat", "5");
  dir.Write("system.bat", "6");
  dir.Write(J("表示ソフト.bat"), "77");
  fs::create_directories(dir.path() / "folder.bat");
  ASSERT_TRUE(SetFileAttributesW((dir.path() / "hidden.bat").wstring().c_str(),
                                 FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesW((dir.path() / "system.bat").wstring().c_str(),
                                 FILE_ATTRIBUTE_SYSTEM));
  // The attributes must stick, or the listing would be tested against nothing.
  ASSERT_NE(GetFileAttributesW((dir.path() / "hidden.bat").wstring().c_str()) &
                FILE_ATTRIBUTE_HIDDEN,
            0u);
  ASSERT_NE(GetFileAttributesW((dir.path() / "system.bat").wstring().c_str()) &
                FILE_ATTRIBUTE_SYSTEM,
            0u);

  Win32FileSystem files;
  std::vector<DirEntry> out;
  ASSERT_TRUE(files.ListFiles(ProgramPath(dir.path()) + "\\*.bat", out));
  EXPECT_EQ(NamesOf(out), (std::vector<std::string>{"UPPER.BAT", "a.bat", J("表示ソフト.bat")}));
  // Windows gives the sizes with the names; the listing relies on them to
  // skip empty files unopened.
  for (const DirEntry& e : out) {
    SCOPED_TRACE(e.name);
    EXPECT_TRUE(e.size_known);
    const std::uint64_t want = e.name == "a.bat" ? 1 : 2;
    EXPECT_EQ(e.size, want);
  }

  // Listing appends: a caller's earlier entries stay.
  std::vector<DirEntry> more(1);
  more[0].name = "kept";
  ASSERT_TRUE(files.ListFiles(ProgramPath(dir.path()) + "\\*.jwf", more));
  ASSERT_EQ(more.size(), 1u);
  EXPECT_EQ(more[0].name, "kept");

  // A folder that cannot be enumerated is a failure, not an empty folder.
  std::vector<DirEntry> none;
  EXPECT_FALSE(files.ListFiles(ProgramPath(dir.path() / "missing") + "\\*.bat", none));
  EXPECT_TRUE(none.empty());
}

TEST(Win32FileSystem, OpenReadGivesBytesSizeAndLocalTime) {
  TempDir dir;
  const fs::path p = dir.Write(J("表示ソフト.bat"), "REM title\r\n#jw\r\n");
  // A fixed local time, so the date the listing shows can be checked.
  SYSTEMTIME local{2021, 3, 0, 14, 15, 9, 26, 0}, utc;
  FILETIME ft;
  ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
  {
    HANDLE h = CreateFileW(p.wstring().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
    CloseHandle(h);
  }

  Win32FileSystem files;
  std::unique_ptr<OpenedFile> f = files.OpenRead(ProgramPath(p));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->size, 16u);
  EXPECT_EQ(FormatListDate(f->modified), "2021/03/14 15:09");
  char buf[64];
  long long got = f->bytes->Read(buf, sizeof buf);
  ASSERT_EQ(got, 16);
  EXPECT_EQ(std::string(buf, 16), "REM title\r\n#jw\r\n");

  EXPECT_EQ(files.OpenRead(ProgramPath(dir.path() / "missing.bat")), nullptr);
  EXPECT_EQ(files.OpenRead(ProgramPath(dir.path())), nullptr);

  // The enumeration gives the same size and local time, and the file's
  // bytes open on their own.
  std::vector<DirEntry> listed;
  ASSERT_TRUE(files.ListFiles(ProgramPath(dir.path()) + "\\*.bat", listed));
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, J("表示ソフト.bat"));
  EXPECT_EQ(listed[0].size, 16u);
  ASSERT_TRUE(listed[0].time_known);
  EXPECT_EQ(FormatListDate(listed[0].modified), "2021/03/14 15:09");
  EXPECT_EQ(listed[0].modified.second, 26);
  std::unique_ptr<ByteSource> bytes = files.OpenBytes(ProgramPath(p));
  ASSERT_NE(bytes, nullptr);
  ASSERT_EQ(bytes->Read(buf, sizeof buf), 16);
  EXPECT_EQ(std::string(buf, 16), "REM title\r\n#jw\r\n");
  EXPECT_EQ(files.OpenBytes(ProgramPath(dir.path() / "missing.bat")), nullptr);
}

// The program names folders by their upper-case short form; their files
// are opened through the folder's long form, and only theirs.
TEST(Win32FileSystem, FilesOfAFolderListedByItsShortNameOpenAsTheirOwn) {
  TempDir dir;
  const fs::path folder = dir.path() / PathFromCp932(J("外部変形 フォルダ long name"));
  fs::create_directories(folder / "sub");
  const fs::path a = folder / "first.bat", b = folder / PathFromCp932(J("表示ソフト.bat"));
  WriteBytes(a, "REM one\r\n#jw\r\n");
  WriteBytes(b, "REM two\r\n#jw\r\n");
  WriteBytes(folder / "sub" / "first.bat", "REM three\r\n#jw\r\n");
  const std::optional<std::string> short_form = ShortFolderPath(ProgramPath(folder));
  ASSERT_TRUE(short_form.has_value());
  const std::string key = AsciiUpper(*short_form);

  Win32FileSystem files;
  FileListing listing = BuildFileList(files, key, kFilterBatch);
  EXPECT_FALSE(listing.stopped);
  std::vector<std::string> titles;
  for (const FileRow& r : listing.rows) titles.push_back(r.title);
  std::sort(titles.begin(), titles.end());
  EXPECT_EQ(titles, (std::vector<std::string>{" one", " two"}));

  char buf[64];
  auto read = [&](const std::string& path) -> std::string {
    std::unique_ptr<ByteSource> bytes = files.OpenBytes(path);
    if (!bytes) return "(none)";
    const long long got = bytes->Read(buf, sizeof buf);
    return got < 0 ? "(failed)" : std::string(buf, static_cast<std::size_t>(got));
  };
  // A file below the listed folder is opened as named, not taken for one
  // of the folder's own.
  EXPECT_EQ(read(key + "\\SUB\\FIRST.BAT"), "REM three\r\n#jw\r\n");
  EXPECT_EQ(read(key + "\\first.bat"), "REM one\r\n#jw\r\n");
  std::unique_ptr<OpenedFile> opened = files.OpenRead(key + "\\" + J("表示ソフト.bat"));
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->size, 14u);
  EXPECT_EQ(read(key + "\\missing.bat"), "(none)");

  // The folder renamed after the listing: its files are gone from both
  // names, and nothing else opens in their place.
  fs::rename(folder, dir.path() / "moved");
  EXPECT_EQ(read(key + "\\first.bat"), "(none)");
}

TEST(BuildFileListOnWindows, LockedFileStopsTheListingKeepingEarlierRows) {
  TempDir dir;
  const std::vector<std::string> names = {"a1.bat", "b2.bat", "c3.bat", "d4.bat", "e5.bat"};
  for (const std::string& n : names) dir.Write(n, "REM " + n + "\r\nREM #jw\r\n");
  const std::string locked = "c3.bat";

  Win32FileSystem files;
  // Without the lock all five are listed.
  FileListing all = BuildFileList(files, ProgramPath(dir.path()), kFilterBatch);
  EXPECT_FALSE(all.stopped);
  ASSERT_EQ(all.rows.size(), names.size());

  // The system's enumeration order decides which rows come before the
  // locked file; take it from the same file system.
  std::vector<DirEntry> order;
  ASSERT_TRUE(files.ListFiles(ProgramPath(dir.path()) + "\\*.bat", order));
  std::vector<std::string> before;
  for (const DirEntry& e : order) {
    if (e.name == locked) break;
    before.push_back(e.name);
  }

  ExclusiveLock lock(dir.path() / locked);
  ASSERT_TRUE(lock.held());
  FileListing partial = BuildFileList(files, ProgramPath(dir.path()), kFilterBatch);
  EXPECT_TRUE(partial.stopped);
  EXPECT_LT(partial.rows.size(), names.size());
  std::vector<std::string> listed;
  for (const FileRow& r : partial.rows) {
    listed.push_back(r.name);
    EXPECT_EQ(r.title, " " + r.name);
  }
  EXPECT_EQ(listed, before);
}

TEST(BuildFileListOnWindows, OnlyALockedFileGivesNoRowsAndStops) {
  TempDir dir;
  const fs::path p = dir.Write(J("表示ソフト.bat"), "REM x\r\nREM #jw\r\n");
  ExclusiveLock lock(p);
  ASSERT_TRUE(lock.held());
  Win32FileSystem files;
  FileListing listing = BuildFileList(files, ProgramPath(dir.path()), kFilterBatch);
  EXPECT_TRUE(listing.stopped);
  EXPECT_TRUE(listing.rows.empty());
}

// "¥" (U+00A5) has no place in code page 932; best fit would make it the
// byte of "\", and a name a path. "〜" (U+301C) would become 81 60, which
// reads back as "～" (U+FF5E), so the name would open nothing.
TEST(Narrow, NeverBestFitsAndTellsWhetherTheTextSurvives) {
  const std::wstring yen = L"a\u00A5..\u00A5b.bat";
  const std::wstring wave = L"x\u301Cy.bat";
  EXPECT_EQ(Narrow(yen), "a?..?b.bat");
  EXPECT_EQ(Narrow(wave), "x?y.bat");
  std::string out;
  EXPECT_FALSE(NarrowExact(yen, out));
  EXPECT_EQ(out, "a?..?b.bat");
  EXPECT_FALSE(NarrowExact(wave, out));
  EXPECT_EQ(out, "x?y.bat");

  // Their full-width relatives are code page 932's own: exact both ways,
  // trail byte 0x5C (表, ソ) included.
  const std::wstring held = WideUtf8("表示ソフト￥～.bat");
  ASSERT_FALSE(held.empty());
  EXPECT_TRUE(NarrowExact(held, out));
  EXPECT_EQ(out, J("表示ソフト￥～.bat"));
  EXPECT_EQ(Wide(out), held);
  EXPECT_TRUE(NarrowExact(L"", out));
  EXPECT_EQ(out, "");
}

// A batch whose title line names it, with the "#jw" marker on line 2.
std::string JwBatch(const std::string& title_utf8) {
  return J("REM " + title_utf8) + "\r\nREM #jw\r\n";
}

// Files named by Windows (UTF-16) names that code page 932 cannot hold are
// listed under their short names, which open the same files; no such name
// reaches a file outside the folder or stops the listing.
TEST(BuildFileListOnWindows, NamesCodePage932CannotHoldAreListedByShortNames) {
  TempDir dir;
  const fs::path folder = dir.path() / "list";
  fs::create_directories(folder);
  // What a narrowed name could reach instead: a "b.bat" beside the odd
  // names, and an "up.bat" in the folder above.
  WriteBytes(dir.path() / "up.bat", JwBatch("上のフォルダ"));

  // Wide name -> contents; the odd ones are written first, so the
  // enumeration tends to return them before the ordinary ones.
  const std::vector<std::pair<std::wstring, std::string>> files = {
      {L"a\u00A5..\u00A5b.bat", JwBatch("円記号の名前")},
      {L"x\u301Cy.bat", JwBatch("波ダッシュの名前")},
      {L"a\u00A5..\u00A5..\u00A5up.bat", JwBatch("上を指す名前")},
      {L"b.bat", JwBatch("同じフォルダのb")},
      {L"c1.bat", JwBatch("普通1")},
      {L"c2.bat", JwBatch("普通2")},
      {WideUtf8("表示ソフト.bat"), JwBatch("普通3")},
      {L"c4.bat", JwBatch("普通4")},
      {L"c5.bat", JwBatch("普通5")},
  };
  std::map<std::string, std::string> bytes_by_title;  // " " + title -> contents
  for (const auto& [name, bytes] : files) {
    WriteBytes(folder / name, bytes);
    ASSERT_EQ(ReadBytes(folder / name), bytes);
    bytes_by_title[" " + bytes.substr(4, bytes.find('\r') - 4)] = bytes;
  }

  Win32FileSystem fsys;
  std::vector<DirEntry> entries;
  ASSERT_TRUE(fsys.ListFiles(ProgramPath(folder) + "\\*.bat", entries));
  ASSERT_EQ(entries.size(), files.size());
  for (const DirEntry& e : entries) {
    SCOPED_TRACE(Utf8FromCp932(e.name));
    std::string exact;
    // Every name the listing gives survives the code page and ends with
    // the extension; the odd ones are short names.
    EXPECT_TRUE(NarrowExact(Wide(e.name), exact));
    ASSERT_GE(e.name.size(), 4u);
    EXPECT_EQ(AsciiUpper(e.name.substr(e.name.size() - 4)), ".BAT");
    EXPECT_EQ(e.name.find('?'), std::string::npos);
  }

  FileListing listing = BuildFileList(fsys, ProgramPath(folder), kFilterBatch);
  EXPECT_FALSE(listing.stopped);
  ASSERT_EQ(listing.rows.size(), files.size());
  std::set<std::string> titles;
  for (const FileRow& row : listing.rows) {
    SCOPED_TRACE(Utf8FromCp932(row.name + " " + row.title));
    titles.insert(row.title);
    ASSERT_EQ(bytes_by_title.count(row.title), 1u) << "a file outside the folder was listed";
    // The listed name opens the very file that was written under the wide
    // name, whatever the listing and the program make of it.
    const std::string path = JoinPath(ProgramPath(folder), row.name);
    EXPECT_TRUE(FileExists(path));
    std::string read;
    ASSERT_TRUE(ReadWholeFile(path, read));
    EXPECT_EQ(read, bytes_by_title[row.title]);
  }
  EXPECT_EQ(titles.size(), files.size());
  EXPECT_EQ(titles.count(J(" 上のフォルダ")), 0u);
}

// The working folder restored when the test ends.
class CurrentFolderGuard {
 public:
  CurrentFolderGuard() {
    wchar_t buf[MAX_PATH * 4];
    DWORD n = GetCurrentDirectoryW(MAX_PATH * 4, buf);
    if (n > 0 && n < MAX_PATH * 4) saved_.assign(buf, n);
  }
  ~CurrentFolderGuard() {
    if (!saved_.empty()) SetCurrentDirectoryW(saved_.c_str());
  }
  CurrentFolderGuard(const CurrentFolderGuard&) = delete;
  CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

 private:
  std::wstring saved_;
};

// A working folder whose long name code page 932 cannot hold is given in
// its short form, which names the same folder: it can be listed and its
// files opened.
TEST(CurrentFolder, AFolderNameCodePage932CannotHoldComesAsItsShortPath) {
  TempDir dir;
  const fs::path odd = dir.path() / (WideUtf8("作業") + L"\u301C" + WideUtf8("フォルダ"));
  fs::create_directories(odd);
  WriteBytes(odd / "run.bat", JwBatch("作業用"));
  CurrentFolderGuard guard;
  ASSERT_TRUE(SetCurrentDirectoryW(odd.wstring().c_str()));

  const std::string here = CurrentFolder();
  SCOPED_TRACE(Utf8FromCp932(here));
  std::string exact;
  EXPECT_TRUE(NarrowExact(Wide(here), exact));
  EXPECT_TRUE(FolderExists(here));
  std::string read;
  ASSERT_TRUE(ReadWholeFile(JoinPath(here, "run.bat"), read));
  EXPECT_EQ(read, JwBatch("作業用"));

  Win32FileSystem fsys;
  FileListing listing = BuildFileList(fsys, here, kFilterBatch);
  EXPECT_FALSE(listing.stopped);
  ASSERT_EQ(listing.rows.size(), 1u);
  EXPECT_EQ(listing.rows[0].name, "run.bat");
  EXPECT_EQ(listing.rows[0].title, J(" 作業用"));

  // The short form of it stays a working path too.
  std::optional<std::string> s = ShortFolderPath(here);
  ASSERT_TRUE(s.has_value());
  EXPECT_TRUE(FolderExists(*s));
  EXPECT_TRUE(SetCurrentFolder(*s));
}

// A start Wine lost while it set the new process up is tried once more;
// any other failure is the user's to hear about at once, and a second lost
// start is reported too rather than tried for ever.
TEST(StartRetryingLostStart, OnlyAStartLostWhileSettingUpIsTriedAgain) {
  auto run = [](std::vector<DWORD> failures, int& tries) {
    tries = 0;
    return StartRetryingLostStart(
        [&] {
          ++tries;
          if (failures.empty()) return true;
          SetLastError(failures.front());
          failures.erase(failures.begin());
          return false;
        },
        1);
  };
  int tries = 0;
  EXPECT_TRUE(run({}, tries));
  EXPECT_EQ(tries, 1);
  EXPECT_TRUE(run({ERROR_INTERNAL_ERROR}, tries));
  EXPECT_EQ(tries, 2);
  EXPECT_FALSE(run({ERROR_INTERNAL_ERROR, ERROR_INTERNAL_ERROR}, tries));
  EXPECT_EQ(tries, 2);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNAL_ERROR));
  for (DWORD other : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_NOT_ENOUGH_MEMORY}) {
    EXPECT_FALSE(run({other, other}, tries));
    EXPECT_EQ(tries, 1) << other;
    EXPECT_EQ(GetLastError(), other);
  }

  // Over the real CreateProcessW: a program that is not there fails once,
  // with the error the editor's message is chosen by.
  TempDir dir;
  std::wstring line = L"\"" + (dir.path() / "none.exe").wstring() + L"\" x";
  PROCESS_INFORMATION pi{};
  EXPECT_FALSE(StartProcess(nullptr, line, nullptr, SW_SHOWNORMAL, pi));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(pi.hProcess, nullptr);
}

}  // namespace
}  // namespace zel
