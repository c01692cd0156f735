// The file list's columns and file commands with the real Varnik.exe under
// Wine: header clicks sort the list and are kept over a restart; files are
// renamed and deleted on disk through the real input box and message
// boxes; the stand-in editor (a copy in a folder with a blank) writes down
// every start, so the test sees the command lines it got.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/ui_service.h"
#include "platform/wstr.h"
#include "tests/e2e/e2e_rig.h"
#include "tests/support/file_commands_driver.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

// A shown window of class `cls` owned by the process, for which `want`
// holds.
template <typename Pred>
HWND FindShown(DWORD pid, const wchar_t* cls, Pred want) {
  struct S {
    DWORD pid;
    const wchar_t* cls;
    Pred* want;
    HWND found;
  } s{pid, cls, &want, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<S*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        wchar_t name[32] = L"";
        GetClassNameW(h, name, 32);
        if (owner != s->pid || wcscmp(name, s->cls) != 0 || !IsWindowVisible(h) || !(*s->want)(h))
          return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

bool IsInputBox(HWND h) { return GetDlgItem(h, kInputBoxFieldId) != nullptr; }

// Waits for Varnik's message box saying `text`, presses `button` and waits
// until the box is gone.
void Answer(const Process& varnik, int button, const char* text) {
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    box = FindShown(varnik.pid(), L"#32770", [](HWND h) { return !IsInputBox(h); });
    return box && MessageBoxText(box).find(WideUtf8(text)) != std::wstring::npos;
  }, 60s)) << text << (box ? " / shown: " + Narrow(MessageBoxText(box)) : std::string());
  PostMessageW(box, WM_COMMAND, button, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
}

// Waits for the rename box, checks what it offers, types `text` and
// presses OK.
void RenameBox(const Process& varnik, const char* offered, const std::wstring& text) {
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindShown(varnik.pid(), L"#32770", IsInputBox)); }, 60s));
  EXPECT_EQ(WindowText(box), WideUtf8("ファイル名の変更"));
  HWND field = GetDlgItem(box, kInputBoxFieldId);
  EXPECT_EQ(WindowText(field), WideUtf8(offered));
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
}

void Key(BYTE vk) {
  const BYTE scan = static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  keybd_event(vk, scan, 0, 0);
  keybd_event(vk, scan, KEYEVENTF_KEYUP, 0);
}

std::vector<std::wstring> Column(HWND list, int column) {
  std::vector<std::wstring> out;
  for (const auto& row : ListViewRows(list, 3)) out.push_back(row[static_cast<std::size_t>(column)]);
  return out;
}

int RowOf(HWND list, const std::wstring& name) {
  const std::vector<std::wstring> names = Column(list, 1);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

// Highlights the row of `name` with the arrow keys, as a person would.
void SelectWithKeys(HWND main, HWND list, const std::wstring& name) {
  const int row = RowOf(list, name);
  ASSERT_GE(row, 0) << Narrow(name);
  SetForegroundWindow(main);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }, 10s));
  for (int guard = 0; guard < 50; ++guard) {
    const int at = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (at == row) return;
    const int before = at;
    Key(at >= 0 && at > row ? VK_UP : VK_DOWN);
    ASSERT_TRUE(WaitFor([&] { return ListView_GetNextItem(list, -1, LVNI_SELECTED) != before; },
                        10s));
  }
  FAIL() << "row " << row << " was not reached";
}

std::vector<std::wstring> Utf8List(std::initializer_list<const char*> texts) {
  std::vector<std::wstring> out;
  for (const char* t : texts) out.push_back(WideUtf8(t));
  return out;
}

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring Long(const fs::path& p) {
  wchar_t buf[MAX_PATH * 2];
  const DWORD n = GetLongPathNameW(p.wstring().c_str(), buf, MAX_PATH * 2);
  return n && n < MAX_PATH * 2 ? std::wstring(buf, n) : p.wstring();
}

void SetWriteTime(const fs::path& p, WORD year, WORD month, WORD day, WORD hour, WORD minute) {
  SYSTEMTIME local{year, month, 0, day, hour, minute, 0, 0}, utc{};
  FILETIME ft{};
  ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
  HANDLE h = CreateFileW(p.wstring().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
  CloseHandle(h);
}

TEST(VarnikFileList, HeaderClicksSortTheListAndTheOrderComesBackAfterARestart) {
  VarnikRig rig;
  rig.Write("b.bat", J("REM 線\r\nREM #jw\r\n"));
  rig.Write("a.bat", J("REM 円弧\r\nREM #jw\r\n"));
  rig.Write(J("表.bat"), J("REM abc\r\nREM #jw\r\n"));
  // Dates whose text order differs from their time order in no locale:
  // the years differ.
  ASSERT_NO_FATAL_FAILURE(SetWriteTime(rig.files / "b.bat", 2010, 5, 1, 12, 0));
  ASSERT_NO_FATAL_FAILURE(SetWriteTime(rig.files / "a.bat", 1999, 12, 31, 23, 59));
  ASSERT_NO_FATAL_FAILURE(SetWriteTime(rig.files / PathFromCp932(J("表.bat")), 2004, 2, 3, 4, 5));
  rig.WriteSettings(false, 0);
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kIdListView1);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 3; }));
  EXPECT_EQ(ListViewHeaderTexts(list), Utf8List({"▲ タイトル", "ファイル名", "日付"}));
  EXPECT_EQ(Column(list, 1), Utf8List({"表.bat", "a.bat", "b.bat"}));

  auto click = [&](int column, std::vector<std::wstring> headers) {
    ASSERT_TRUE(ClickListViewHeader(list, column));
    ASSERT_TRUE(WaitFor([&] { return ListViewHeaderTexts(list) == headers; }, 30s))
        << Narrow(ListViewHeaderTexts(list)[static_cast<std::size_t>(column)]);
  };
  ASSERT_NO_FATAL_FAILURE(click(1, Utf8List({"タイトル", "▲ ファイル名", "日付"})));
  EXPECT_EQ(Column(list, 1), Utf8List({"a.bat", "b.bat", "表.bat"}));
  ASSERT_NO_FATAL_FAILURE(click(1, Utf8List({"タイトル", "▼ ファイル名", "日付"})));
  EXPECT_EQ(Column(list, 1), Utf8List({"表.bat", "b.bat", "a.bat"}));
  // Another column keeps the direction in force.
  ASSERT_NO_FATAL_FAILURE(click(2, Utf8List({"タイトル", "ファイル名", "▼ 日付"})));
  EXPECT_EQ(Column(list, 1), Utf8List({"b.bat", "表.bat", "a.bat"}));
  SaveWindowPng(main, WinePath(ZEL_SHOT_DIR) + L"\\varnik_sorted.png");

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(varnik.WaitExit(30s));
  const std::vector<std::string> lines = SplitLines(ReadBytes(rig.ini()));
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()),
            (std::vector<std::string>{J("Column1=タイトル"), J("Column2=ファイル名"),
                                      J("Column3=▼ 日付"), "ColumnSortkey=2",
                                      "ColumnSortOrder=1"}));

  // A new file, then a restart: the headers as they were left, and every
  // row, the new one too, in that order.
  rig.Write("c.bat", J("REM 腕\r\nREM #jw\r\n"));
  ASSERT_NO_FATAL_FAILURE(SetWriteTime(rig.files / "c.bat", 2007, 1, 1, 0, 0));
  Process again = rig.StartVarnik(L"", main);
  ASSERT_NE(main, nullptr);
  list = GetDlgItem(main, kIdListView1);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 4; }));
  EXPECT_EQ(ListViewHeaderTexts(list), Utf8List({"タイトル", "ファイル名", "▼ 日付"}));
  EXPECT_EQ(Column(list, 1), Utf8List({"b.bat", "c.bat", "表.bat", "a.bat"}));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(again.WaitExit(30s));
}

// Environment files in a folder whose name holds 能, a blank and 表.
TEST(VarnikFileList, FilesAreRenamedAndDeletedOnDisk) {
  VarnikRig rig(J("能 表"));
  rig.Write(J("円弧.jwf"), J("#円弧\r\n"));
  rig.Write("keep.jwf", "#keep\r\n");
  rig.WriteSettings(false, 0);
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(L"/jwf " + rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kIdListView1);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 2; }));

  // Renamed with characters no file name may hold: they become "_", the
  // extension stays, and the renamed row is the highlighted one.
  ASSERT_NO_FATAL_FAILURE(SelectWithKeys(main, list, WideUtf8("円弧.jwf")));
  PostMessageW(main, WM_COMMAND, kCmdMnuRemame, 0);
  ASSERT_NO_FATAL_FAILURE(RenameBox(varnik, "円弧", WideUtf8("ソ<1>")));
  const fs::path renamed = rig.files / PathFromCp932(J("ソ_1_.jwf"));
  ASSERT_TRUE(WaitFor([&] { return RowOf(list, WideUtf8("ソ_1_.jwf")) >= 0; }));
  EXPECT_EQ(ReadBytes(renamed), J("#円弧\r\n"));
  EXPECT_FALSE(fs::exists(rig.files / PathFromCp932(J("円弧.jwf"))));
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), RowOf(list, WideUtf8("ソ_1_.jwf")));

  // The name of the other file: refused, both files whole.
  PostMessageW(main, WM_COMMAND, kCmdMnuRemame, 0);
  ASSERT_NO_FATAL_FAILURE(RenameBox(varnik, "ソ_1_", L"KEEP"));
  ASSERT_NO_FATAL_FAILURE(Answer(varnik, IDOK, "「KEEP.jwf」という名前のファイルが既にあるため"));
  EXPECT_EQ(ReadBytes(renamed), J("#円弧\r\n"));
  EXPECT_EQ(ReadBytes(rig.files / "keep.jwf"), "#keep\r\n");
  EXPECT_EQ(Column(list, 1).size(), 2u);

  // Deleted after the question, which names the file on its first line.
  ASSERT_NO_FATAL_FAILURE(SelectWithKeys(main, list, L"keep.jwf"));
  PostMessageW(main, WM_COMMAND, kCmdFilekill, 0);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    box = FindShown(varnik.pid(), L"#32770", [](HWND h) { return !IsInputBox(h); });
    return box != nullptr;
  }, 60s));
  EXPECT_PRED2(SameIgnoringCase, MessageBoxText(box),
               Long(rig.files / "keep.jwf") + WideUtf8("を削除します\r\nよろしいですか？ "));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 1; }));
  EXPECT_FALSE(fs::exists(rig.files / "keep.jwf"));
  EXPECT_EQ(ReadBytes(renamed), J("#円弧\r\n"));
  EXPECT_NE(TakeFromTrash("#keep\r\n"), TrashCheck::kNotFound) << "not in the Recycle Bin";
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(varnik.WaitExit(30s));
}

// The menu bar's "Samples(&S)" opened by its key, and one of its entries
// chosen by its key. A greyed entry does nothing.
void ChooseSample(HWND main, DWORD pid, wchar_t key) {
  PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 's');
  HWND popup = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    return (popup = FindShown(pid, L"#32768", [](HWND) { return true; })) != nullptr;
  }, 30s)) << "the Samples menu did not open";
  PostMessageW(main, WM_CHAR, key, 0);
  // Whatever the key did, Esc closes what is still open. It goes to the
  // menu itself: sent to the main window after the menu has closed, it
  // would be the window's cancel key.
  auto open = [&] { return FindShown(pid, L"#32768", [](HWND) { return true; }); };
  for (int i = 0; i < 5 && open(); ++i) {
    if (WaitFor([&] { return !open(); }, 2s)) break;
    if (HWND still = open()) PostMessageW(still, WM_KEYDOWN, VK_ESCAPE, 0);
  }
  ASSERT_TRUE(WaitFor([&] { return !open(); }));
}

TEST(VarnikFileList, TheEditorGetsQuotedPathsAndTheSamplesMenuFollowsTheFiles) {
  VarnikRig rig(J("作業 表ソ"));
  const fs::path editor_dir = rig.dir.path() / "ed it";
  const fs::path editor = editor_dir / "editor.exe";
  fs::create_directories(editor_dir);
  fs::copy_file(WinePath(ZEL_EDITOR_STANDIN_EXE), editor);
  rig.Write(J("円.bat"), J("REM 円\r\nREM #jw\r\njgawk -f FIRST.AWK\r\ngawk -f %AWKPATH%SECOND.AWK\r\n"));
  rig.Write("FIRST.AWK", "{}\r\n");
  rig.Write("SECOND.AWK", "{}\r\n");
  WriteBytes(rig.jww / "sample.jwf", "#s\r\n");
  const std::wstring field = L"\"" + editor.wstring() + L"\"";
  Settings s = DefaultSettings(Narrow(rig.files.wstring()), kToolButtonCount);
  s.jwwfolder = Narrow(rig.jww.wstring());
  s.editor = Narrow(field);
  WriteBytes(rig.ini(), FormatSettings(s));
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kIdListView1);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 1; }));
  const std::wstring at = Long(rig.files);
  auto got = [&](const std::wstring& path) { return field + L" \"" + path + L"\""; };

  // "ＡＬＬ": the two scripts in menu order, then the batch, each one path
  // in quotes although the folder holds a blank.
  ASSERT_NO_FATAL_FAILURE(SelectWithKeys(main, list, WideUtf8("円.bat")));
  PostMessageW(main, WM_COMMAND, kCmdBatedit, 0);
  std::vector<EditorRun> runs = WaitForEditorRuns(editor_dir, editor, 3);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_PRED2(SameIgnoringCase, runs[0].command_line, got(at + L"\\FIRST.AWK"));
  EXPECT_PRED2(SameIgnoringCase, runs[1].command_line, got(at + L"\\SECOND.AWK"));
  EXPECT_PRED2(SameIgnoringCase, runs[2].command_line, got(at + WideUtf8("\\円.bat")));

  // "Jww_smpl.bat(&B)" is greyed while the file is missing: choosing it
  // starts nothing, and "JWC_TEMP.TXT(&P)", always offered, starts the
  // only run.
  ASSERT_NO_FATAL_FAILURE(ChooseSample(main, varnik.pid(), L'b'));
  ASSERT_NO_FATAL_FAILURE(ChooseSample(main, varnik.pid(), L'p'));
  runs = WaitForEditorRuns(editor_dir, editor, 4);
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_PRED2(SameIgnoringCase, runs[3].command_line, got(Long(rig.jww) + L"\\JWC_TEMP.TXT"));
  // Once the file is there, the entry opens it the next time.
  WriteBytes(rig.jww / "jww_smpl.bat", "@echo off\r\n");
  ASSERT_NO_FATAL_FAILURE(ChooseSample(main, varnik.pid(), L'b'));
  runs = WaitForEditorRuns(editor_dir, editor, 5);
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_PRED2(SameIgnoringCase, runs[4].command_line, got(Long(rig.jww) + L"\\jww_smpl.bat"));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(varnik.WaitExit(30s));
}

}  // namespace
}  // namespace zel
