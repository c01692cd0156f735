// The real main window hosted in this process and driven with real
// messages: the load sequence, the filter button, refreshing, the settings
// file it reads and writes, and closing by the boot mode. Message boxes are
// answered by the test, never shown.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <map>
#include <string>
#include <vector>

#include "platform/ui_service.h"
#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/winops.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"
#include "tests/win/varnik_fixture.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

void MenuCommand(const VarnikWindow& w, UINT id) {
  SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bm{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bm.bmWidth;
}

int ComboIndex(const VarnikWindow& w) {
  return static_cast<int>(SendMessageW(w.Combo1, CB_GETCURSEL, 0, 0));
}

// Top-level windows of this process titled "frmtask" (the tray window).
int TrayWindowsOfThisProcess() {
  struct S { int count; } st{0};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == GetCurrentProcessId() && WindowText(h) == L"frmtask")
          ++reinterpret_cast<S*>(lp)->count;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&st));
  return st.count;
}

TEST_F(VarnikWindowTest, LoadsTheFolderArgumentAndFocusesTheList) {
  Write(files, "enko.bat", Batch("円弧を等分割"));
  Write(files, "moji.bat", J("@REM 文字の置換\r\nrem #JWW\r\n"));
  Write(files, J("表示ソフト.bat"), Batch("表示"));
  Write(files, "plain.bat", "@echo off\r\necho no marker\r\n");
  Write(files, "env.jwf", J("標準設定\r\n"));

  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  EXPECT_EQ(Text(w.hwnd()), L"Zelvanto");
  EXPECT_EQ(Text(w.txt_gai), ShortUpper(files));
  EXPECT_EQ(Wide(w.CurrentFolder()), ShortUpper(files));
  EXPECT_EQ(Rows(w.ListView1), (RowSet{{WideUtf8(" 円弧を等分割"), L"enko.bat"},
                                       {WideUtf8(" 文字の置換"), L"moji.bat"},
                                       {WideUtf8(" 表示"), WideUtf8("表示ソフト.bat")}}));
  for (const std::wstring& date : Column(w.ListView1, 2))
    EXPECT_EQ(date.size(), 16u) << "yyyy/mm/dd hh:nn expected, got " << Narrow(date);
  // The keys go to the list once the window is active: at once where
  // showing it activated it, or when the user (here: the test) does.
  if (GetActiveWindow() != w.hwnd()) SetForegroundWindow(w.hwnd());
  ASSERT_TRUE(WaitFor([&] { return GetActiveWindow() == w.hwnd(); }));
  EXPECT_EQ(GetFocus(), w.ListView1);

  EXPECT_EQ(ComboIndex(w), 0);
  EXPECT_EQ(w.FilterIndex(), 0);
  EXPECT_EQ(Text(w.label2), WideUtf8("外部変形フォルダ"));
  EXPECT_FALSE(Visible(w.Com_jwwinjwf));
  EXPECT_TRUE(Visible(w.chk_smenu));
  EXPECT_TRUE(Visible(w.txtengin));
  EXPECT_TRUE(Visible(w.Label5));
  // No settings file: the first-start values.
  EXPECT_EQ(Text(w.Text_edit), L"Notepad");
  EXPECT_EQ(Text(w.Txt_jww), L"C:\\JWW");

  w.Unload();
  EXPECT_FALSE(w.alive());
  EXPECT_EQ(IniLines().size(), 162u);
}

TEST_F(VarnikWindowTest, JwfArgumentInEitherPlaceChoosesEnvironmentFiles) {
  Write(files, "a.jwf", J("環境Ａ\r\n"));
  Write(files, "b.jwf", J("環境Ｂ\r\nsecond line\r\n"));
  Write(files, "run.bat", Batch("外変"));
  const std::string folder = ProgramPath(files);
  for (const std::string& args :
       std::vector<std::string>{"/jwf " + folder, folder + " /JWF", "/Jwf"}) {
    SCOPED_TRACE(args);
    WriteIni(Prepared());
    VarnikWindow w(args, prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    EXPECT_EQ(ComboIndex(w), 1);
    EXPECT_EQ(Text(w.label2), WideUtf8("環境設定フォルダ"));
    EXPECT_TRUE(Visible(w.Com_jwwinjwf));
    EXPECT_FALSE(Visible(w.chk_smenu));
    EXPECT_FALSE(Visible(w.txtengin));
    EXPECT_FALSE(Visible(w.Label5));
    EXPECT_EQ(Rows(w.ListView1),
              (RowSet{{WideUtf8("環境Ａ"), L"a.jwf"}, {WideUtf8("環境Ｂ"), L"b.jwf"}}));
    w.Unload();
    EXPECT_FALSE(w.alive());
  }
  // "/jwf" as a third word is not looked at.
  VarnikWindow w("x y /jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  EXPECT_EQ(ComboIndex(w), 0);
  EXPECT_FALSE(Visible(w.Com_jwwinjwf));
  w.Unload();
}

TEST_F(VarnikWindowTest, SecondFolderArgumentWinsAndMissingFoldersChangeNothing) {
  // A Japanese folder name whose ソ has the trail byte "\".
  const fs::path second = dir.path() / PathFromCp932(J("外変ソフト"));
  fs::create_directories(second);
  Write(files, "first.bat", Batch("最初"));
  Write(second, "second.bat", Batch("二番目"));

  {
    VarnikWindow w(ProgramPath(files) + " " + ProgramPath(second), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    EXPECT_EQ(Text(w.txt_gai), ShortUpper(second));
    EXPECT_EQ(Rows(w.ListView1), (RowSet{{WideUtf8(" 二番目"), L"second.bat"}}));
    w.Unload();
  }

  // A saved folder, then a folder argument that does not exist: the saved
  // folder stays exactly as written.
  Settings s = Prepared();
  s.gaihenfolder = ProgramPath(files);
  WriteIni(s);
  {
    VarnikWindow w(ProgramPath(dir.path() / "missing"), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    EXPECT_EQ(Text(w.txt_gai), files.wstring());
    EXPECT_EQ(Rows(w.ListView1), (RowSet{{WideUtf8(" 最初"), L"first.bat"}}));
    w.Unload();
  }
  // A missing folder second does not undo a good first one.
  WriteIni(s);
  {
    VarnikWindow w(ProgramPath(second) + " " + ProgramPath(dir.path() / "missing"), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    EXPECT_EQ(Text(w.txt_gai), ShortUpper(second));
    w.Unload();
  }
}

TEST_F(VarnikWindowTest, QuotedFolderArgumentWithABlankIsOneFolder) {
  // As Windows passes a dropped folder whose path holds a blank.
  const fs::path spaced = dir.path() / PathFromCp932(J("my 外変"));
  fs::create_directories(spaced);
  Write(spaced, "env.jwf", J("設定\r\n"));
  VarnikWindow w("\"" + ProgramPath(spaced) + "\" /jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  EXPECT_EQ(Text(w.txt_gai), ShortUpper(spaced));
  EXPECT_EQ(w.FilterIndex(), 1);
  EXPECT_EQ(Rows(w.ListView1), (RowSet{{WideUtf8("設定"), L"env.jwf"}}));
  w.Unload();
}

TEST_F(VarnikWindowTest, Command3CyclesTheFilterAndRefillsTheList) {
  Write(files, "run.bat", Batch("外変"));
  Write(files, "notjw.bat", "REM nothing\r\n");
  Write(files, "a.jwf", J("環境Ａ\r\n"));
  Write(files, "b.jwf", J("環境Ｂ\r\n"));
  Write(files, "layers.jwl", J("レイヤ１\r\n"));

  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const RowSet batches{{WideUtf8(" 外変"), L"run.bat"}};
  const RowSet envs{{WideUtf8("環境Ａ"), L"a.jwf"}, {WideUtf8("環境Ｂ"), L"b.jwf"}};
  const RowSet layers{{WideUtf8("レイヤ１"), L"layers.jwl"}};
  ASSERT_EQ(Rows(w.ListView1), batches);
  // At the start the window shows its class's pictures, the batch files'
  // ones at both sizes, and the filter button the big one.
  EXPECT_EQ(SendMessageW(w.hwnd(), WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(GetClassLongPtrW(w.hwnd(), GCLP_HICONSM))),
            GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(GetClassLongPtrW(w.hwnd(), GCLP_HICON))),
            GetSystemMetrics(SM_CXICON));
  EXPECT_NE(SendMessageW(w.Command3, BM_GETIMAGE, IMAGE_ICON, 0), 0);

  struct Step {
    int index;
    const char* label;
    const RowSet* rows;
  };
  const Step steps[] = {{1, "環境設定フォルダ", &envs},
                        {2, "ＪＷＬフォルダ", &layers},
                        {0, "外部変形フォルダ", &batches},
                        {1, "環境設定フォルダ", &envs}};
  // The window's icon and the filter button's picture tell the three types
  // apart, and are the same picture.
  std::map<int, LRESULT> icons;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.index);
    Click(w, kIdCommand3, w.Command3);
    EXPECT_EQ(ComboIndex(w), step.index);
    EXPECT_EQ(Text(w.label2), WideUtf8(step.label));
    EXPECT_EQ(Rows(w.ListView1), *step.rows);
    EXPECT_EQ(Visible(w.Com_jwwinjwf), step.index == 1);
    for (HWND h : {w.chk_smenu, w.txtengin, w.Label5}) EXPECT_EQ(Visible(h), step.index == 0);
    const LRESULT icon = SendMessageW(w.hwnd(), WM_GETICON, ICON_BIG, 0);
    EXPECT_NE(icon, 0);
    EXPECT_EQ(SendMessageW(w.Command3, BM_GETIMAGE, IMAGE_ICON, 0), icon);
    // The caption's small icon is the picture drawn for that size.
    const HICON small = reinterpret_cast<HICON>(SendMessageW(w.hwnd(), WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(IconWidth(small), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(icon)), GetSystemMetrics(SM_CXICON));
    if (icons.count(step.index)) EXPECT_EQ(icons[step.index], icon);
    icons[step.index] = icon;
  }
  ASSERT_EQ(icons.size(), 3u);
  EXPECT_NE(icons[0], icons[1]);
  EXPECT_NE(icons[1], icons[2]);
  EXPECT_NE(icons[0], icons[2]);
  w.Unload();
}

TEST_F(VarnikWindowTest, RefreshCommandShowsFilesChangedAfterLoad) {
  Write(files, "old.bat", Batch("古い"));
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(Rows(w.ListView1), (RowSet{{WideUtf8(" 古い"), L"old.bat"}}));

  Write(files, "new.bat", Batch("新しい"));
  fs::remove(files / "old.bat");
  // Nothing watches the folder: the list changes on the command only.
  EXPECT_EQ(ListView_GetItemCount(w.ListView1), 1);
  MenuCommand(w, kCmdMSaisin);
  EXPECT_EQ(Rows(w.ListView1), (RowSet{{WideUtf8(" 新しい"), L"new.bat"}}));
  EXPECT_EQ(GetFocus(), w.ListView1);
  w.Unload();
}

TEST_F(VarnikWindowTest, ListHoldsAtMost300Rows) {
  for (int i = 0; i < 301; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "b%03d.bat", i);
    Write(files, name, "REM batch " + std::to_string(i) + "\r\n#jw\r\n");
  }
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  EXPECT_EQ(ListView_GetItemCount(w.ListView1), 300);
  // One fewer qualifying file: all are listed.
  fs::remove(files / "b150.bat");
  MenuCommand(w, kCmdMSaisin);
  EXPECT_EQ(ListView_GetItemCount(w.ListView1), 300);
  fs::remove(files / "b000.bat");
  MenuCommand(w, kCmdMSaisin);
  EXPECT_EQ(ListView_GetItemCount(w.ListView1), 299);
  w.Unload();
}

TEST_F(VarnikWindowTest, WindowSavedOffTheScreenComesBackToASafePlace) {
  struct Case {
    float top, left;
    bool moved;
  };
  // Just beyond the 10-twip tolerance the window is moved to 1000,1000
  // twips; at the tolerance it stays where the file put it. The tolerance
  // applies to the saved value: at 96 dpi -10 twips is -1 px, and that
  // pixel read back is -15 twips, which must not count as off the screen.
  for (const Case c : {Case{-11, 1500, true}, Case{1200, -11, true}, Case{-10, 1500, false},
                       Case{1200, -10, false}}) {
    SCOPED_TRACE("Top=" + FormatSingle(c.top) + " Left=" + FormatSingle(c.left));
    Settings s = Prepared();
    s.win = 0;
    s.Top = c.top;
    s.Left = c.left;
    WriteIni(s);
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    const int dpi = DpiOf(w.hwnd());
    RECT r;
    GetWindowRect(w.hwnd(), &r);
    const int want_top = TwipsToPixels(c.moved ? 1000 : c.top, dpi);
    const int want_left = TwipsToPixels(c.moved ? 1000 : c.left, dpi);
    EXPECT_NEAR(r.top, want_top, 1);
    EXPECT_NEAR(r.left, want_left, 1);
    // The size is the saved one either way.
    EXPECT_NEAR(r.right - r.left, TwipsToPixels(12000, dpi), 1);
    EXPECT_NEAR(r.bottom - r.top, TwipsToPixels(9000, dpi), 1);
    w.Unload();
  }
}

TEST_F(VarnikWindowTest, WindowNoMonitorShowsOrTooSmallOpensWhereItCanBeUsed) {
  struct Case {
    const char* what;
    float top, left, height, width;
    bool moved, default_size;
  };
  for (const Case c : {Case{"far below", 99999999.0f, 1500, 9000, 12000, true, false},
                       Case{"far left", 1200, -99999, 9000, 12000, true, false},
                       Case{"negative height", 1200, 1500, -500, 12000, false, true},
                       Case{"a sliver", 1200, 1500, 300, 1500, false, true}}) {
    SCOPED_TRACE(c.what);
    Settings s = Prepared();
    s.win = 0;
    s.Top = c.top;
    s.Left = c.left;
    s.Height = c.height;
    s.Width = c.width;
    WriteIni(s);
    {
      VarnikWindow w(ProgramPath(files), prog_arg());
      ASSERT_NO_FATAL_FAILURE(Start(w));
      const int dpi = DpiOf(w.hwnd());
      RECT r;
      GetWindowRect(w.hwnd(), &r);
      EXPECT_NE(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr);
      RECT work = PrimaryWorkArea();
      RECT seen;
      ASSERT_TRUE(IntersectRect(&seen, &r, &work));
      EXPECT_EQ(seen.right - seen.left, r.right - r.left) << "wholly on the screen";
      const int want_w = TwipsToPixels(c.default_size ? 13500 : c.width, dpi);
      const int want_h = TwipsToPixels(c.default_size ? 10200 : c.height, dpi);
      EXPECT_NEAR(r.right - r.left, want_w, 1);
      EXPECT_NEAR(r.bottom - r.top, want_h, 1);
      if (!c.moved) {
        EXPECT_NEAR(r.top, TwipsToPixels(c.top, dpi), 1);
        EXPECT_NEAR(r.left, TwipsToPixels(c.left, dpi), 1);
      }
      w.Unload();
    }
    // What is saved opens the same way next time.
    std::vector<std::string> lines = IniLines();
    ASSERT_GE(lines.size(), 10u);
    float top = 0, height = 0;
    ASSERT_TRUE(ParseSingle(lines[6].substr(4), top));
    ASSERT_TRUE(ParseSingle(lines[8].substr(7), height));
    EXPECT_LT(top, 20000);
    EXPECT_GT(height, 4000);
  }
}

TEST_F(VarnikWindowTest, SavedColumnWidthsAndOrder) {
  Write(files, "run.bat", Batch("外変"));
  // One width missing: the saved widths are not used, every column gets
  // 2000 twips.
  {
    Settings s = Prepared();
    s.ColumnHead1W = 3000;
    s.ColumnHead2W = 0;
    s.ColumnHead3W = 1500;
    s.ColumnPos = "3 1 2     ";
    WriteIni(s);
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    const int want = TwipsToPixels(2000, DpiOf(w.hwnd()));
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(ListView_GetColumnWidth(w.ListView1, i), want, 1) << i;
    int order[3] = {-1, -1, -1};
    ASSERT_TRUE(ListView_GetColumnOrderArray(w.ListView1, 3, order));
    EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{0, 1, 2}));
    w.Unload();
  }
  // All widths given: they apply, and the positions "3 1 2" put the title
  // column last, the file name first and the date second.
  {
    Settings s = Prepared();
    s.ColumnHead1W = 3000;
    s.ColumnHead2W = 1500;
    s.ColumnHead3W = 2400;
    s.ColumnPos = "3 1 2     ";
    WriteIni(s);
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    const int dpi = DpiOf(w.hwnd());
    EXPECT_NEAR(ListView_GetColumnWidth(w.ListView1, 0), TwipsToPixels(3000, dpi), 1);
    EXPECT_NEAR(ListView_GetColumnWidth(w.ListView1, 1), TwipsToPixels(1500, dpi), 1);
    EXPECT_NEAR(ListView_GetColumnWidth(w.ListView1, 2), TwipsToPixels(2400, dpi), 1);
    int order[3] = {-1, -1, -1};
    ASSERT_TRUE(ListView_GetColumnOrderArray(w.ListView1, 3, order));
    EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{1, 2, 0}));
    w.Unload();
    // Saved back as it was shown.
    std::vector<std::string> lines = IniLines();
    ASSERT_EQ(lines.size(), 162u);
    EXPECT_EQ(lines[27], "ColumnPos=3 1 2     ");
  }
}

// Whole twips, as the divider and comment positions are stored.
bool IsWholeNumberLine(const std::string& line, const std::string& key) {
  if (line.compare(0, key.size(), key) != 0) return false;
  const std::string v = line.substr(key.size());
  if (v.empty()) return false;
  for (char ch : v)
    if (ch < '0' || ch > '9') return false;
  return true;
}

TEST_F(VarnikWindowTest, MissingDividerPositionFallsBackToDefaults) {
  // The window is large enough that the layout keeps the defaults.
  Settings s = Prepared();
  s.Frame2left = 0;
  s.Frame3Top = 5000;
  WriteIni(s);
  {
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    EXPECT_EQ(w.settings().Frame2left, 2790.0f);
    EXPECT_EQ(w.settings().Frame3Top, 3120.0f);
    w.Unload();
  }
  std::vector<std::string> lines = IniLines();
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_EQ(lines[28], "Frame2left=2790");
  EXPECT_EQ(lines[29], "Frame3Top=3120");

  // Fractional positions from an edited file: the layout stores them as
  // whole twips, and the whole values are what the file keeps.
  s.Frame2left = 3000.5f;
  s.Frame3Top = 4000.25f;
  WriteIni(s);
  {
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    EXPECT_EQ(w.settings().Frame2left, std::round(w.settings().Frame2left));
    EXPECT_EQ(w.settings().Frame3Top, std::round(w.settings().Frame3Top));
    w.Unload();
  }
  lines = IniLines();
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_TRUE(IsWholeNumberLine(lines[28], "Frame2left=")) << lines[28];
  EXPECT_TRUE(IsWholeNumberLine(lines[29], "Frame3Top=")) << lines[29];
}

TEST_F(VarnikWindowTest, JwwFolderBoxSetsTheWrapperBatchPathAndDrive) {
  Settings s = Prepared();
  s.jwwfolder = "E:\\JWW7";
  WriteIni(s);
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  EXPECT_EQ(Text(w.Txt_jww), L"E:\\JWW7");
  EXPECT_EQ(w.WrapperBatchPath(), "E:\\JWW7\\_VNKtemp.bat");
  EXPECT_EQ(w.JwwDrive(), "E:");

  SetText(w.Txt_jww, L"D:\\JW");
  EXPECT_EQ(w.WrapperBatchPath(), "D:\\JW\\_VNKtemp.bat");
  EXPECT_EQ(w.JwwDrive(), "D:");

  // The drive is two characters, not two bytes.
  SetText(w.Txt_jww, WideUtf8("表示ソフト\\jw"));
  EXPECT_EQ(w.JwwDrive(), J("表示"));
  EXPECT_EQ(w.WrapperBatchPath(), J("表示ソフト\\jw\\_VNKtemp.bat"));
  w.Unload();
}

TEST_F(VarnikWindowTest, KeyPreviewIsOffWhileTypingInTheTextBoxes) {
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  EXPECT_TRUE(w.key_preview());
  SetFocus(w.Text_edit);
  ASSERT_EQ(GetFocus(), w.Text_edit);
  EXPECT_FALSE(w.key_preview());
  SetFocus(w.ListView1);
  ASSERT_EQ(GetFocus(), w.ListView1);
  EXPECT_TRUE(w.key_preview());
  SetFocus(w.Txt_jww);
  ASSERT_EQ(GetFocus(), w.Txt_jww);
  EXPECT_FALSE(w.key_preview());
  // From one box straight to the other: still off.
  SetFocus(w.Text_edit);
  EXPECT_FALSE(w.key_preview());
  SetFocus(w.TreeView1);
  EXPECT_TRUE(w.key_preview());
  w.Unload();
}

TEST_F(VarnikWindowTest, UnloadSavesTheBoxesToVarnikIni) {
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  SetText(w.Text_edit, WideUtf8("サクラ.exe"));
  SetText(w.Txt_jww, WideUtf8("D:\\表示ソフト"));
  SendMessageW(w.chk_smenu, BM_SETCHECK, BST_CHECKED, 0);
  w.Unload();
  EXPECT_FALSE(w.alive());

  const std::string bytes = ReadBytes(ini());
  std::vector<std::string> lines = SplitLines(bytes);
  ASSERT_EQ(lines.size(), 162u);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  EXPECT_EQ(lines[0], J("[Varnik設定ファイル 書き込み順をかえないでね。(^^;]"));
  EXPECT_EQ(lines[1], J("editor=サクラ.exe"));
  EXPECT_EQ(lines[2], J("jwwfolder=D:\\表示ソフト"));
  EXPECT_EQ(lines[3], "gaihenfolder=" + Narrow(ShortUpper(files)));
  EXPECT_EQ(lines[4], "foldermove=1");
  EXPECT_EQ(lines[5], "win=0");
  EXPECT_EQ(lines[36], "Tools=20");

  // What was saved is what the next start reads.
  VarnikWindow again("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(again));
  EXPECT_EQ(Text(again.Text_edit), WideUtf8("サクラ.exe"));
  EXPECT_EQ(Text(again.Txt_jww), WideUtf8("D:\\表示ソフト"));
  EXPECT_EQ(Text(again.txt_gai), ShortUpper(files));
  EXPECT_EQ(SendMessageW(again.chk_smenu, BM_GETCHECK, 0, 0), BST_CHECKED);
  again.Unload();
}

TEST_F(VarnikWindowTest, UnloadWithLockedSettingsWarnsOnceAndKeepsTheFile) {
  WriteIni(Prepared());
  const std::string before = ReadBytes(ini());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  SetText(w.Text_edit, L"changed.exe");
  {
    // Another program holds the file open and lets no one replace it.
    HANDLE lock = CreateFileW(ini().wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    w.Unload();
    CloseHandle(lock);
  }
  EXPECT_FALSE(w.alive());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find(WideUtf8("設定を保存できませんでした")), std::wstring::npos)
      << Narrow(messages[0].text);
  EXPECT_EQ(messages[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
  messages.clear();
  EXPECT_EQ(ReadBytes(ini()), before);
  // No half-written temporary file is left beside it.
  for (const auto& e : fs::directory_iterator(prog))
    EXPECT_EQ(e.path().filename(), L"Varnik.ini") << "left behind: " << Narrow(e.path().wstring());
}

TEST_F(VarnikWindowTest, Command1ActsOnTheBootMode) {
  Write(files, "run.bat", Batch("外変"));
  // 1: the window hides and stays alive.
  {
    Settings s = Prepared();
    s.Bootmode = 1;
    WriteIni(s);
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    Click(w, kIdCommand1, w.Command1);
    EXPECT_TRUE(WaitFor([&] { return !Visible(w.hwnd()); }, 10s));
    EXPECT_TRUE(w.alive());
    EXPECT_TRUE(IsWindow(w.hwnd()));
    // The settings were saved on the way.
    EXPECT_EQ(IniLines().size(), 162u);
    w.Unload();
    EXPECT_FALSE(w.alive());
  }
  // 2: minimised.
  {
    Settings s = Prepared();
    s.Bootmode = 2;
    WriteIni(s);
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    Click(w, kIdCommand1, w.Command1);
    EXPECT_TRUE(WaitFor([&] { return IsIconic(w.hwnd()) != 0; }, 10s));
    EXPECT_TRUE(w.alive());
    w.Unload();
  }
  // 0: the window goes, the settings are saved.
  {
    Settings s = Prepared();
    s.Bootmode = 0;
    s.editor = "before.exe";
    WriteIni(s);
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    SetText(w.Text_edit, L"after.exe");
    Click(w, kIdCommand1, w.Command1);
    EXPECT_FALSE(w.alive());
    std::vector<std::string> lines = IniLines();
    ASSERT_EQ(lines.size(), 162u);
    EXPECT_EQ(lines[1], "editor=after.exe");
    EXPECT_EQ(lines[32], "Bootmode=0");
  }
}

TEST_F(VarnikWindowTest, DestroyingTheWindowTakesTheTrayWindowAlong) {
  const int before = TrayWindowsOfThisProcess();
  {
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    EXPECT_EQ(TrayWindowsOfThisProcess(), before + 1);
    // The title bar's close box unloads.
    SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(w.alive());
    EXPECT_EQ(TrayWindowsOfThisProcess(), before);
  }
  {
    // Dropped without an unload, as a host that simply lets it go.
    auto w = std::make_unique<VarnikWindow>(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(*w));
    EXPECT_EQ(TrayWindowsOfThisProcess(), before + 1);
    w.reset();
    EXPECT_EQ(TrayWindowsOfThisProcess(), before)
        << "the tray window outlived its main window";
  }
}

}  // namespace
}  // namespace zel
