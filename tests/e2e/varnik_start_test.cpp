// Varnik.exe started for real under Wine: the window, the list of titles,
// one copy at a time, and the settings file across a restart.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <set>

#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/text.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"
#include "tests/e2e/e2e_rig.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;


std::set<std::wstring> Titles(HWND list) {
  std::set<std::wstring> titles;
  for (const auto& row : ListViewRows(list, 3)) titles.insert(row[0]);
  return titles;
}

HWND Control(HWND main, int id) { return GetDlgItem(main, id); }

void PressCancel(HWND main) {
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kIdCommand1, BN_CLICKED),
               reinterpret_cast<LPARAM>(Control(main, kIdCommand1)));
}

std::vector<std::string> IniLines(const fs::path& ini) {
  return SplitLines(ReadBytes(ini));
}

TEST(VarnikEndToEnd, StartsListsTitlesKeepsOneCopyAndRestoresSettings) {
  VarnikRig rig("gaihen");
  rig.Write("enko.bat", J("REM 円弧を等分割 *\r\nREM #jw\r\njgawk -f a.awk\r\n"));
  rig.Write("moji.bat", J("@REM 文字の置換\r\nrem #JWW\r\n"));
  rig.Write(J("線の変換.bat"), J("rem 線の変換 * \r\nrem #jw\r\n"));
  rig.Write("plain.bat", "@echo off\r\necho no marker\r\n");
  rig.Write("env.jwf", J("標準設定\r\n"));

  // Quoted paths are not unquoted by the program: the folder goes bare.
  Process first(rig.exe(), rig.files.wstring());
  ASSERT_TRUE(first.started());
  HWND main = WaitForWindow(first.pid(), L"Zelvanto");
  ASSERT_NE(main, nullptr) << "the window Zelvanto did not appear";
  HWND list = Control(main, kIdListView1);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 3; }));
  EXPECT_EQ(Titles(list), (std::set<std::wstring>{WideUtf8(" 円弧を等分割"), WideUtf8(" 文字の置換"),
                                                  WideUtf8(" 線の変換")}));
  EXPECT_EQ(WindowText(Control(main, kIdTxtGai)), ShortUpper(rig.files));
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }));
  SetForegroundWindow(main);
  WaitFor([] { return false; }, 500ms);  // let it paint
  EXPECT_TRUE(SaveWindowPng(main, WinePath(ZEL_SHOT_DIR "/e2e_main_window.png")));

  // A second start brings the minimised first copy back and ends.
  ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(WaitFor([&] { return IsIconic(main) != 0; }));
  {
    Process second(rig.exe(), L"");
    ASSERT_TRUE(second.started());
    EXPECT_TRUE(second.WaitExit(30s)) << "the second copy kept running";
    EXPECT_EQ(second.ExitCode(), 0u);
  }
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(main) && IsWindowVisible(main); }));
  EXPECT_EQ(FindWindowOf(0, L"Zelvanto"), main);

  // Change what the settings keep, then close with the cancel button.
  SendMessageW(Control(main, kIdTextEdit), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(WideUtf8("サクラ.exe").c_str()));
  SetWindowPos(main, nullptr, 150, 120, 820, 600, SWP_NOZORDER);
  PressCancel(main);
  ASSERT_TRUE(first.WaitExit(30s));

  std::vector<std::string> lines = IniLines(rig.ini());
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_EQ(ReadBytes(rig.ini()).substr(ReadBytes(rig.ini()).size() - 2), "\r\n");
  EXPECT_EQ(lines[0], J("[Varnik設定ファイル 書き込み順をかえないでね。(^^;]"));
  EXPECT_EQ(lines[1], J("editor=サクラ.exe"));
  EXPECT_EQ(lines[3], "gaihenfolder=" + Narrow(ShortUpper(rig.files)));
  EXPECT_EQ(lines[36], "Tools=20");

  // A restart without arguments reads it all back.
  Process again(rig.exe(), L"");
  main = WaitForWindow(again.pid(), L"Zelvanto");
  ASSERT_NE(main, nullptr);
  list = Control(main, kIdListView1);
  EXPECT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 3; }));
  EXPECT_EQ(WindowText(Control(main, kIdTxtGai)), ShortUpper(rig.files));
  EXPECT_EQ(WindowText(Control(main, kIdTextEdit)), WideUtf8("サクラ.exe"));
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_NEAR(r.left, 150, 2);
  EXPECT_NEAR(r.top, 120, 2);
  EXPECT_NEAR(r.right - r.left, 820, 2);
  // Esc is the cancel key.
  PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(again.WaitExit(30s));
  EXPECT_EQ(IniLines(rig.ini()).size(), 162u);
}

TEST(VarnikEndToEnd, BadSettingsAndEnvironmentMode) {
  VarnikRig rig("gaihen");
  rig.Write("a.jwf", J("環境Ａ\r\n"));
  rig.Write("b.bat", "REM b\r\n#jw\r\n");

  // An empty settings file: the defaults, in environment-file mode.
  WriteBytes(rig.ini(), "");
  {
    Process p(rig.exe(), L"/JWF " + rig.files.wstring());
    HWND main = WaitForWindow(p.pid(), L"Zelvanto");
    ASSERT_NE(main, nullptr);
    HWND list = Control(main, kIdListView1);
    ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 1; }));
    EXPECT_EQ(Titles(list), std::set<std::wstring>{WideUtf8("環境Ａ")});
    EXPECT_TRUE(IsWindowVisible(Control(main, kIdComJwwinjwf)));
    EXPECT_EQ(SendMessageW(Control(main, kIdCombo1), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(WindowText(Control(main, kIdTxtGai)), ShortUpper(rig.files));
    EXPECT_EQ(WindowText(Control(main, kIdTextEdit)), L"Notepad");
    EXPECT_EQ(WindowText(Control(main, kIdTxtJww)), L"C:\\JWW");
    PressCancel(main);
    ASSERT_TRUE(p.WaitExit(30s));
    EXPECT_EQ(IniLines(rig.ini()).size(), 162u);
  }

  // Binary garbage: the window still opens, normal and listing.
  std::string garbage;
  for (int i = 0; i < 3000; ++i) garbage += static_cast<char>((i * 131) % 256);
  WriteBytes(rig.ini(), garbage);
  Process p(rig.exe(), rig.files.wstring());
  HWND main = WaitForWindow(p.pid(), L"Zelvanto");
  ASSERT_NE(main, nullptr);
  HWND list = Control(main, kIdListView1);
  EXPECT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 1; }));
  EXPECT_FALSE(IsWindowVisible(Control(main, kIdComJwwinjwf)));
  PressCancel(main);
  ASSERT_TRUE(p.WaitExit(30s));
  EXPECT_EQ(IniLines(rig.ini()).size(), 162u);
}

// A folder named in a script code page 932 has no place for, passed as
// Explorer passes a dropped folder: the program lists it through its short
// path instead of a name of question marks.
TEST(VarnikEndToEnd, AFolderArgumentCodePage932CannotHoldIsListed) {
  VarnikRig rig("gaihen");
  const fs::path korean = rig.dir.path() / L"\xd55c\xae00 \xb3c4\xba74";
  fs::create_directories(korean);
  WriteBytes(korean / "k.jwf", J("韓国の設定\r\n"));
  Process p(rig.exe(), L"\"" + korean.wstring() + L"\" /jwf");
  HWND main = WaitForWindow(p.pid(), L"Zelvanto");
  ASSERT_NE(main, nullptr);
  HWND list = Control(main, kIdListView1);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 1; }));
  EXPECT_EQ(Titles(list), std::set<std::wstring>{WideUtf8("韓国の設定")});
  EXPECT_EQ(WindowText(Control(main, kIdTxtGai)), ShortUpper(korean));
  EXPECT_EQ(SendMessageW(Control(main, kIdCombo1), CB_GETCURSEL, 0, 0), 1);
  PressCancel(main);
  ASSERT_TRUE(p.WaitExit(30s));
}

TEST(VarnikEndToEnd, UnwritableSettingsAreReportedAndKept) {
  VarnikRig rig("gaihen");
  rig.Write("b.bat", "REM b\r\n#jw\r\n");
  {
    Process p(rig.exe(), rig.files.wstring());
    HWND main = WaitForWindow(p.pid(), L"Zelvanto");
    ASSERT_NE(main, nullptr);
    PressCancel(main);
    ASSERT_TRUE(p.WaitExit(30s));
  }
  const std::string before = ReadBytes(rig.ini());
  ASSERT_EQ(SplitLines(before).size(), 162u);

  Process p(rig.exe(), L"");
  HWND main = WaitForWindow(p.pid(), L"Zelvanto");
  ASSERT_NE(main, nullptr);
  // Another program holds the file open and allows no one to replace it.
  HANDLE lock = CreateFileW(rig.ini().wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  SetWindowPos(main, nullptr, 33, 44, 700, 500, SWP_NOZORDER);
  PressCancel(main);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(p.pid())) != nullptr; }))
      << "no message about the settings";
  EXPECT_NE(MessageBoxText(box).find(WideUtf8("設定を保存できませんでした")), std::wstring::npos);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(p.WaitExit(30s));
  CloseHandle(lock);
  EXPECT_EQ(ReadBytes(rig.ini()), before);
}

// A second start looks for Varnik's own main window: another program's
// window with the same title (a file manager open on a folder named
// "Zelvanto") is not taken for it.
TEST(VarnikEndToEnd, SecondStartShowsTheHiddenMainWindowNotAnotherOfTheSameTitle) {
  VarnikRig rig("gaihen");
  rig.Write("b.bat", "REM b\r\n#jw\r\n");
  rig.WriteSettings(false, 1);  // the cancel button hides the window
  HWND main = nullptr;
  Process first = rig.StartVarnik(rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }));
  PressCancel(main);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) == 0; }));

  // Opened after Varnik hid, so it is above it in the window order.
  HWND other = CreateWindowExW(0, L"STATIC", L"Zelvanto", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60,
                               300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  SetForegroundWindow(other);
  {
    Process second(rig.exe(), L"");
    ASSERT_TRUE(second.started());
    EXPECT_TRUE(second.WaitExit(30s)) << "the second copy kept running";
  }
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }))
      << "the running copy's window stayed hidden";
  DestroyWindow(other);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(first.WaitExit(30s));
}

}  // namespace
}  // namespace zel
