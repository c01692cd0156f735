// The environment file tools with the real Varnik.exe and the stand-in
// Jw_cad: comments inserted into a listed environment file, and Jw_cad's
// environment written out as a new "JW_WIN.JWF". The test answers the real
// message boxes and types into the real input box.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ui_service.h"
#include "app/varnik_window.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/wstr.h"
#include "tests/e2e/e2e_rig.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

const char kTemplate[] = "# 見本\r\nPEN_W   0   0\r\nS_comm_4   5\r\n";

bool IsInputBox(HWND h) { return GetDlgItem(h, kInputBoxFieldId) != nullptr; }

// A shown "#32770" window of the process: an input box or a message box.
HWND FindDialog(DWORD pid, bool input_box) {
  struct S {
    DWORD pid;
    bool input;
    HWND found;
  } s{pid, input_box, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<S*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        wchar_t cls[16] = L"";
        GetClassNameW(h, cls, 16);
        if (owner != s->pid || wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(h) ||
            IsInputBox(h) != s->input)
          return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// Waits for Varnik's message box saying `text`, presses `button` and waits
// until the box is gone.
void Answer(const Process& varnik, int button, const char* text) {
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    box = FindDialog(varnik.pid(), false);
    return box && MessageBoxText(box).find(WideUtf8(text)) != std::wstring::npos;
  }, 60s)) << text << (box ? " / shown: " + Narrow(MessageBoxText(box)) : std::string());
  PostMessageW(box, WM_COMMAND, button, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
}

// Waits for Varnik's input box; returns it with the text of its field.
HWND WaitForInputBox(const Process& varnik) {
  HWND box = nullptr;
  WaitFor([&] { return (box = FindDialog(varnik.pid(), true)) != nullptr; }, 60s);
  return box;
}

// Types into the input box and presses OK.
void TypeAndOk(HWND box, const std::wstring& text) {
  HWND field = GetDlgItem(box, kInputBoxFieldId);
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

std::vector<fs::path> Backups(const VarnikRig& rig) {
  std::vector<fs::path> out;
  if (fs::exists(rig.prog / "JWF_BACKUPs"))
    for (const auto& e : fs::directory_iterator(rig.prog / "JWF_BACKUPs")) out.push_back(e.path());
  return out;
}

void Key(BYTE vk) {
  const BYTE scan = static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  keybd_event(vk, scan, 0, 0);
  keybd_event(vk, scan, KEYEVENTF_KEYUP, 0);
}

TEST(VarnikEnvTools, CommentsAreInsertedIntoAListedFile) {
  VarnikRig rig;
  WriteBytes(rig.jww / "sample.jwf", J(kTemplate));
  rig.Write("env.jwf", J("#古い題\r\nPEN_W 7 8\r\nMINE ソ\r\n"));
  rig.WriteSettings(false, 3);
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(L"/jwf " + rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kIdListView1);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 1; }));
  SetForegroundWindow(main);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }, 10s));
  Key(VK_DOWN);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetNextItem(list, -1, LVNI_SELECTED) == 0; }, 10s));

  // The context menu's "コメントを挿入(Ver UP用)".
  PostMessageW(main, WM_COMMAND, kCmdAddcome, 0);
  HWND box = WaitForInputBox(varnik);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(MessageBoxText(box).find(WideUtf8("　にコメントを挿入します。")), std::wstring::npos);
  EXPECT_EQ(WindowText(GetDlgItem(box, kInputBoxFieldId)), WideUtf8("古い題"));
  TypeAndOk(box, WideUtf8("新しい題"));
  Answer(varnik, IDOK, "コメントを挿入しました。");

  EXPECT_EQ(ReadBytes(rig.files / "env.jwf"),
            J("# 新しい題   Add coments Zelvanto\r\n# 見本\r\nPEN_W   7   8\r\n"
              "S_comm_4   5  #←－－－－－－－－－－－－☆☆Newline☆☆\r\nMINE ソ\r\nEND\r\n"));
  const std::vector<fs::path> saved = Backups(rig);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(ReadBytes(saved[0]), J("#古い題\r\nPEN_W 7 8\r\nMINE ソ\r\n"));
  EXPECT_FALSE(fs::exists(rig.jww / "temp.jwf"));
  EXPECT_TRUE(WaitFor([&] {
    auto rows = ListViewRows(list, 1);
    return rows.size() == 1 && rows[0][0] == WideUtf8("# 新しい題   Add coments Zelvanto");
  }));
  SaveWindowPng(main, WinePath(ZEL_SHOT_DIR) + L"\\varnik_addcome.png");
}

// Without Jw_cad the write-out fails and "JW_WIN.JWF" stays as it was.
// Then Jw_cad (the stand-in, whose environment is JW_WIN.JWF as it was at
// its start) saves its environment to "T.JWF"; the result, commented and
// adjusted, replaces "JW_WIN.JWF" after a backup. "T.JWF" is written within
// the second of the request, which must count as written.
TEST(VarnikEnvTools, WriteOutNeedsJwCadAndReplacesJwWinJwfAfterABackup) {
  VarnikRig rig;
  const std::string env = J("#起動時の設定\r\nPEN_W 1 2\r\nS_comm_4\r\nGCOM_170,a,b,c,d,e,f\r\nEND\r\n");
  WriteBytes(rig.jww / "JW_WIN.JWF", env);
  WriteBytes(rig.jww / "sample.jwf", J(kTemplate));
  Settings s = DefaultSettings(Narrow(rig.files.wstring()), kToolButtonCount);
  s.jwwfolder = Narrow(rig.jww.wstring());
  s.Bootmode = 3;
  s.Scomm49 = "12";
  s.ADDline = J("追加１ vbCrlf 追加２");
  WriteBytes(rig.ini(), FormatSettings(s));
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);

  // The settings menu's "JW_WIN.JWFの書出し", with no Jw_cad.
  PostMessageW(main, WM_COMMAND, kCmdJwfOut, 0);
  Answer(varnik, IDYES, "JW_CAD for Windowsを起動していますか？");
  HWND box = WaitForInputBox(varnik);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), WideUtf8("JW_WIN.JWFの書出し"));
  EXPECT_EQ(WindowText(GetDlgItem(box, kInputBoxFieldId)), L"");
  TypeAndOk(box, L"t");
  Answer(varnik, IDOK, "jwwを起動してください");
  Answer(varnik, IDOK, "jw_win.jwfのを書出しに失敗しました。jw_winを起動してください。");
  EXPECT_EQ(ReadBytes(rig.jww / "JW_WIN.JWF"), env);
  EXPECT_FALSE(fs::exists(rig.jww / "T.JWF"));
  EXPECT_FALSE(fs::exists(rig.jww / "temp.jwf"));

  // With Jw_cad running.
  Process standin = rig.StartStandin();
  PostMessageW(main, WM_COMMAND, kCmdJwfOut, 0);
  Answer(varnik, IDYES, "JW_CAD for Windowsを起動していますか？");
  box = WaitForInputBox(varnik);
  ASSERT_NE(box, nullptr);
  TypeAndOk(box, WideUtf8("書出しの題"));
  Answer(varnik, IDOK, "JW_WIN.JWFを書き出しました。");
  EXPECT_EQ(ReadBytes(rig.jww / "JW_WIN.JWF"),
            J("# 書出しの題   Add coments Zelvanto\r\n# 見本\r\nPEN_W   1   2\r\n"
              "S_comm_4    12\r\nGCOM_170,a,b,c,d,_VNKtemp,f\r\n追加１\r\n追加２\r\nEND\r\n"));
  EXPECT_EQ(ReadBytes(rig.jww / "T.JWF"), env);  // left as Jw_cad wrote it
  EXPECT_FALSE(fs::exists(rig.jww / "temp.jwf"));
  EXPECT_EQ(rig.Count("save " + Utf8FromCp932(Narrow((rig.jww / "T.JWF").wstring()))), 1u)
      << rig.Log();
  // Each attempt backed up the JW_WIN.JWF it found, the failed one too.
  const std::vector<fs::path> saved = Backups(rig);
  ASSERT_EQ(saved.size(), 2u);
  for (const fs::path& p : saved) EXPECT_EQ(ReadBytes(p), env) << p;
  EXPECT_TRUE(IsWindow(main));
}

}  // namespace
}  // namespace zel
