// The run history and the activation of environment and layer files, with
// the real Varnik.exe and the stand-in Jw_cad.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>

#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/jwcad.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"
#include "tests/e2e/e2e_rig.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;


void Key(BYTE vk) {
  const BYTE scan = static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  keybd_event(vk, scan, 0, 0);
  keybd_event(vk, scan, KEYEVENTF_KEYUP, 0);
}

// Selects the row titled `title` with the keyboard (Home, then Down; Up on
// the first row) so that its release analyses it, then presses Enter.
void RunRowTitled(HWND main, const std::wstring& title) {
  HWND list = GetDlgItem(main, kIdListView1);
  auto rows = ListViewRows(list, 3);
  int index = -1;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i][0] == title) index = static_cast<int>(i);
  ASSERT_GE(index, 0) << "no row titled " << Narrow(title);
  SetForegroundWindow(main);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }, 10s));
  Key(VK_HOME);
  if (index == 0) Key(VK_UP);
  for (int i = 0; i < index; ++i) Key(VK_DOWN);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetNextItem(list, -1, LVNI_SELECTED) == index; }, 10s));
  WaitFor([] { return false; }, 300ms);  // the release analyses the row
  Key(VK_RETURN);
}

std::vector<std::string> Lines(const fs::path& p) { return SplitLines(ReadBytes(p)); }

bool Has(const fs::path& p, const std::string& line) {
  auto lines = Lines(p);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(VarnikHistory, RunsAreKeptNewestFirstAndARepeatMovesToTheTop) {
  VarnikRig rig;
  const char* names[3] = {"a.bat", "b.bat", "c.bat"};
  const char* titles[3] = {"一番目", "二番目", "三番目"};
  for (int i = 0; i < 3; ++i)
    WriteBytes(rig.files / names[i], J(std::string("REM ") + titles[i] + "\r\nREM #jw\r\necho run " +
                                       names[i] + "\r\n"));
  rig.WriteSettings(false, 3);  // after a run the window goes to the back and stays
  Process standin = rig.StartStandin();
  ASSERT_NE(FindWindowOf(standin.pid(), L"jw_win"), nullptr);
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(GetDlgItem(main, kIdListView1)) == 3; }));

  auto run = [&](int i) {
    const std::size_t before = rig.Count("run _VNKtemp.bat");
    RunRowTitled(main, WideUtf8(" ") + WideUtf8(titles[i]));
    ASSERT_TRUE(WaitFor([&] { return rig.Count("run _VNKtemp.bat") == before + 1; }, 60s))
        << rig.Log();
    ASSERT_TRUE(WaitFor([&] { return fs::exists(rig.prog / "Taskmnu.ini"); }));
  };
  for (int i : {0, 1, 2}) run(i);
  // Newest first: c, b, a.
  auto wait_title = [&](int line, int title) {
    return WaitFor([&] {
      auto l = Lines(rig.prog / "Taskmnu.ini");
      return l.size() > static_cast<std::size_t>(line) && l[line] == J(std::string(" ") + titles[title]);
    });
  };
  ASSERT_TRUE(wait_title(2, 2));
  std::vector<std::string> ini = Lines(rig.prog / "Taskmnu.ini");
  ASSERT_EQ(ini.size(), 2u + 2 * 10);  // a first start keeps ten entries
  EXPECT_EQ(ini[0], "TempbakbatNp=1");
  EXPECT_EQ(ini[1], "TempbakbatN=10");
  EXPECT_EQ(ini[2], J(std::string(" ") + titles[2]));
  EXPECT_EQ(ini[3], Narrow(ShortUpper(rig.files)) + "\\c.bat");
  EXPECT_EQ(ini[4], J(std::string(" ") + titles[1]));
  EXPECT_EQ(ini[6], J(std::string(" ") + titles[0]));
  EXPECT_EQ(ini[8], "");
  EXPECT_TRUE(Has(rig.prog / "TTemp1.bat", "echo run c.bat"));
  EXPECT_TRUE(Has(rig.prog / "TTemp2.bat", "echo run b.bat"));
  EXPECT_TRUE(Has(rig.prog / "TTemp3.bat", "echo run a.bat"));

  // The second one again: it moves to the top, the others move down.
  run(1);
  ASSERT_TRUE(wait_title(2, 1));
  ini = Lines(rig.prog / "Taskmnu.ini");
  EXPECT_EQ(ini[4], J(std::string(" ") + titles[2]));
  EXPECT_EQ(ini[6], J(std::string(" ") + titles[0]));
  EXPECT_EQ(ini[8], "");
  EXPECT_TRUE(Has(rig.prog / "TTemp1.bat", "echo run b.bat"));
  EXPECT_TRUE(Has(rig.prog / "TTemp2.bat", "echo run c.bat"));
  EXPECT_TRUE(Has(rig.prog / "TTemp3.bat", "echo run a.bat"));
}

// Finds Varnik's question box and answers it with `button`.
void Answer(const Process& varnik, int button, const std::string& expected_text) {
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(varnik.pid())) != nullptr; }));
  EXPECT_NE(MessageBoxText(box).find(WideUtf8(expected_text)), std::wstring::npos)
      << Narrow(MessageBoxText(box));
  PostMessageW(box, WM_COMMAND, button, 0);
}

TEST(VarnikActivation, EnvironmentFileAnsweredNoIsReadByTheRunningJwCad) {
  VarnikRig rig;
  WriteBytes(rig.files / "env.jwf", J("設定Ａ\r\nX=1\r\n"));
  rig.WriteSettings(false, 3);
  Process standin = rig.StartStandin();
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(L"/jwf " + rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(GetDlgItem(main, kIdListView1)) == 1; }));
  RunRowTitled(main, WideUtf8("設定Ａ"));
  Answer(varnik, IDNO, "[いいえ]の場合、現在起動中のJWWに、選択したJWFを読み込ませます。");
  const std::string copy = Narrow((rig.jww / "temp.JWF").wstring());
  ASSERT_TRUE(WaitFor([&] { return rig.Log().find("open ") != std::string::npos; }, 60s)) << rig.Log();
  EXPECT_NE(rig.Log().find(Utf8FromCp932("open " + copy + " " + J("設定Ａ"))), std::string::npos)
      << rig.Log();
  EXPECT_EQ(ReadBytes(rig.jww / "temp.JWF"), J("設定Ａ\r\nX=1\r\n"));
}

TEST(VarnikActivation, EnvironmentFileAnsweredYesStartsJwCadWithItAndRestoresTheOld) {
  VarnikRig rig;
  WriteBytes(rig.files / "env.jwf", J("新しい設定\r\n"));
  WriteBytes(rig.jww / "JW_WIN.JWF", J("いつもの設定\r\n"));
  rig.WriteSettings(false, 3);
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(L"/jwf " + rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(GetDlgItem(main, kIdListView1)) == 1; }));
  RunRowTitled(main, WideUtf8("新しい設定"));
  Answer(varnik, IDYES, "JW_WIN$.JWFにバックアップします。");
  ASSERT_TRUE(WaitFor([&] { return rig.Log().find("startup-jwf") != std::string::npos; }, 60s));
  EXPECT_NE(rig.Log().find("startup-jwf 新しい設定"), std::string::npos) << rig.Log();
  // Afterwards the user's own start-up environment is back.
  EXPECT_TRUE(WaitFor([&] { return ReadBytes(rig.jww / "JW_WIN.JWF") == J("いつもの設定\r\n"); }));
  EXPECT_EQ(ReadBytes(rig.jww / "JW_WIN$.JWF"), J("いつもの設定\r\n"));
  HWND jw = FindWindowOf(0, L"jw_win");
  if (jw) PostMessageW(jw, WM_CLOSE, 0, 0);
}

TEST(VarnikActivation, LayerFileIsReadInAndWithoutJwCadTheUserIsTold) {
  VarnikRig rig;
  WriteBytes(rig.files / "layer.jwl", J("レイヤ設定\r\n"));
  rig.WriteSettings(false, 3);
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  // The layer filter: the type button twice (batches, environment, layers).
  for (int i = 0; i < 2; ++i)
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(kIdCommand3, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(main, kIdCommand3)));
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(GetDlgItem(main, kIdListView1)) == 1; }));

  // No Jw_cad: the copy is made, the read-in is refused with a message.
  RunRowTitled(main, WideUtf8("レイヤ設定"));
  Answer(varnik, IDOK, "jwwを起動してください");
  EXPECT_EQ(ReadBytes(rig.jww / "tmp.jwl"), J("レイヤ設定\r\n"));
  ASSERT_TRUE(WaitFor([&] { return FindMessageBox(varnik.pid()) == nullptr; }));
  EXPECT_TRUE(IsWindow(main));

  // With Jw_cad running it reads the copy through its open dialog.
  Process standin = rig.StartStandin();
  RunRowTitled(main, WideUtf8("レイヤ設定"));
  const std::string copy = Narrow((rig.jww / "tmp.jwl").wstring());
  ASSERT_TRUE(WaitFor([&] { return rig.Log().find("open ") != std::string::npos; }, 60s)) << rig.Log();
  EXPECT_NE(rig.Log().find(Utf8FromCp932("open " + copy + " " + J("レイヤ設定"))), std::string::npos)
      << rig.Log();
}

// The save dialog as the environment write-out will use it: Jw_cad writes
// its current environment to the path put into its own dialog, a Japanese
// name included; with no Jw_cad nothing is waited for.
TEST(JwCadDialogs, SaveDialogWritesTheEnvironmentToTheGivenPath) {
  VarnikRig rig;
  const std::string env = J("起動時の設定\r\nX=1\r\n");
  WriteBytes(rig.jww / "JW_WIN.JWF", env);
  const std::string target = Narrow((rig.jww / PathFromCp932(J("書出し.JWF"))).wstring());
  EXPECT_EQ(DriveJwCadFileDialog(kJwCadSaveCommand, WideUtf8("保存(&S)"), target),
            JwDialogResult::kNoJwCad);

  Process standin = rig.StartStandin();
  ASSERT_NE(FindWindowOf(standin.pid(), L"jw_win"), nullptr);
  EXPECT_EQ(DriveJwCadFileDialog(kJwCadSaveCommand, WideUtf8("保存(&S)"), target),
            JwDialogResult::kPosted);
  ASSERT_TRUE(WaitFor([&] { return rig.Log().find("save ") != std::string::npos; }, 30s))
      << rig.Log();
  EXPECT_EQ(ReadBytes(PathFromCp932(target)), env);
}

}  // namespace
}  // namespace zel
