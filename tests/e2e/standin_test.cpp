// The stand-in Jw_cad (JW_WIN.exe) driven the way our system drives Jw_cad:
// it reads JW_WIN.JWF at start, runs _VNKtemp.bat on Ctrl+Shift+Z, and
// loads or writes files through its "#32770" dialogs. The other end-to-end
// tests rely on it behaving exactly so.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

// A Jw_cad folder of its own holding a copy of the stand-in.
struct JwFolder {
  TempDir dir;
  fs::path jw = dir.path() / "jww";
  JwFolder() {
    fs::create_directories(jw);
    fs::copy_file(WinePath(ZEL_STANDIN_EXE), jw / "JW_WIN.exe");
  }
  void Write(const std::string& cp932_name, const std::string& bytes) const {
    WriteBytes(jw / PathFromCp932(cp932_name), bytes);
  }
  std::string Read(const std::string& cp932_name) const {
    return ReadBytes(jw / PathFromCp932(cp932_name));
  }
  Process Start() const { return Process((jw / "JW_WIN.exe").wstring(), L""); }
  // The complete lines of its log (UTF-8); a line still being written has
  // no CR LF yet and is left out.
  std::vector<std::string> Log() const {
    std::string text = ReadBytes(jw / "standin.log");
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
      lines.push_back(text.substr(at, end - at));
    return lines;
  }
  bool Logged(const std::string& line) const {
    auto lines = Log();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool WaitLogged(const std::string& line) const {
    return WaitFor([&] { return Logged(line); }, 60s);
  }
};

std::string Utf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

HWND StartedWindow(const Process& p) {
  HWND main = WaitForWindow(p.pid(), L"jw_win");
  if (main) WaitFor([&] { return IsWindowVisible(main) != 0; });
  return main;
}

// Finding the stand-in's file dialog: from the first "#32770" window in the
// z-order down, the first with a direct "Edit" child. Only windows of the
// stand-in count, so nothing else on the display can match.
HWND FindFileDialog(DWORD pid, HWND* edit) {
  for (HWND d = FindWindowW(L"#32770", nullptr); d; d = GetWindow(d, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(d, &owner);
    wchar_t cls[64] = L"";
    GetClassNameW(d, cls, 64);
    if (owner != pid || wcscmp(cls, L"#32770") != 0) continue;
    if ((*edit = FindWindowExW(d, nullptr, L"Edit", nullptr)) != nullptr) return d;
  }
  return nullptr;
}

// Posts the command to the main window and returns the dialog it opened.
// The dialog a button closed may still be on the screen for a moment after
// its work is logged; it must be gone first, or it would be taken for the
// new one.
HWND OpenFileDialog(HWND main, DWORD pid, UINT command, HWND* edit) {
  HWND old_edit = nullptr;
  if (!WaitFor([&] { return FindFileDialog(pid, &old_edit) == nullptr; })) return nullptr;
  if (!PostMessageW(main, WM_COMMAND, command, 0)) return nullptr;
  HWND d = nullptr;
  WaitFor([&] { return (d = FindFileDialog(pid, edit)) != nullptr && IsWindowVisible(d); }, 60s);
  return d;
}

// Presses the button as our system does: WM_COMMAND 1 with the button's
// handle, posted to the dialog.
bool PressButton(HWND dialog, const std::string& utf8_text) {
  HWND button = FindWindowExW(dialog, nullptr, L"Button", WideUtf8(utf8_text).c_str());
  if (!button || GetDlgCtrlID(button) != IDOK) return false;
  return PostMessageW(dialog, WM_COMMAND, 1, reinterpret_cast<LPARAM>(button)) != 0;
}

void SetPath(HWND edit, const std::wstring& path) {
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

// Key strokes as our system sends them: extended flag on every key.
void Key(BYTE vk, bool up) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyW(vk, 0)),
              KEYEVENTF_EXTENDEDKEY | (up ? KEYEVENTF_KEYUP : 0), 0);
}

void SendCtrlShiftZ() {
  Key(VK_CONTROL, false);
  Key(VK_SHIFT, false);
  Key('Z', false);
  Key('Z', true);
  Key(VK_SHIFT, true);
  Key(VK_CONTROL, true);
}

bool BringToFront(HWND main) {
  SetForegroundWindow(main);
  return WaitFor([&] { return GetForegroundWindow() == main; }, 30s);
}

TEST(StandinEndToEnd, ReadsJwWinJwfAtStart) {
  JwFolder with;
  with.Write("JW_WIN.JWF", J("# 標準の環境設定\r\nGCOM_170 = 0 0 0 0 0 _VNKtemp\r\n"));
  Process p = with.Start();
  ASSERT_TRUE(p.started());
  HWND main = StartedWindow(p);
  ASSERT_NE(main, nullptr) << "no window titled jw_win";
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(GetParent(main));
  ASSERT_TRUE(with.WaitLogged("startup-jwf # 標準の環境設定"));
  EXPECT_EQ(with.Log().front(), "start");

  // A second copy may run beside the first; this one finds no file.
  JwFolder without;
  Process q = without.Start();
  ASSERT_NE(StartedWindow(q), nullptr);
  ASSERT_TRUE(without.WaitLogged("startup-jwf-missing"));
  EXPECT_EQ(without.Log(), (std::vector<std::string>{"start", "startup-jwf-missing"}));

  // WM_CLOSE ends it.
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitExit(30s));
}

TEST(StandinEndToEnd, CtrlShiftZRunsTheTemporaryBatch) {
  JwFolder jw;
  const std::string exchange = J("hl 0 0 100 0\r\nch 0 0 1 0 \"線\r\n");
  jw.Write("JWC_TEMP.TXT", exchange);
  // Copies the exchange file aside and answers with a new one; the "pause"
  // must not wait for a person.
  jw.Write("_VNKtemp.bat",
           "@echo off\r\ncopy JWC_TEMP.TXT out.txt\r\npause\r\necho done> JWC_TEMP.TXT\r\n");
  Process p = jw.Start();
  HWND main = StartedWindow(p);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(jw.WaitLogged("startup-jwf-missing"));
  ASSERT_TRUE(BringToFront(main)) << "the stand-in did not come to the front";

  // Z alone runs nothing.
  Key('Z', false);
  Key('Z', true);
  ASSERT_TRUE(jw.WaitLogged("keys-without-modifiers"));
  EXPECT_EQ(jw.Log().size(), 3u);
  EXPECT_EQ(jw.Read("JWC_TEMP.TXT"), exchange);

  SendCtrlShiftZ();
  ASSERT_TRUE(jw.WaitLogged("run _VNKtemp.bat exit=0")) << "log: " << jw.Log().back();
  EXPECT_EQ(jw.Read("out.txt"), exchange);
  EXPECT_EQ(jw.Read("JWC_TEMP.TXT"), "done\r\n");

  // Each stroke runs the batch (as it then is) again.
  jw.Write("_VNKtemp.bat", "copy JWC_TEMP.TXT again.txt\r\n");
  ASSERT_TRUE(BringToFront(main));
  SendCtrlShiftZ();
  ASSERT_TRUE(WaitFor([&] { return jw.Log().size() == 5u; }, 60s));
  EXPECT_EQ(jw.Log().back(), "run _VNKtemp.bat exit=0");
  EXPECT_EQ(jw.Read("again.txt"), "done\r\n");
}

TEST(StandinEndToEnd, OpenDialogLoadsTheNamedFile) {
  JwFolder jw;
  const std::string startup = J("起動時の環境\r\n");
  jw.Write("JW_WIN.JWF", startup);
  const std::string loaded = J("読み込んだ環境\r\nGCOM_170 = 1\r\n") + "\x81\xff\r\n";
  jw.Write(J("temp表.JWF"), loaded);
  Process p = jw.Start();
  HWND main = StartedWindow(p);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(jw.WaitLogged("startup-jwf 起動時の環境"));

  HWND edit = nullptr;
  HWND dialog = OpenFileDialog(main, p.pid(), 32923, &edit);
  ASSERT_NE(dialog, nullptr) << "no file dialog with an Edit child";
  EXPECT_EQ(WindowText(dialog), WideUtf8("ファイルを開く"));
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
  EXPECT_EQ(GetParent(edit), dialog);
  const std::wstring path = (jw.jw / WideUtf8("temp表.JWF")).wstring();
  SetPath(edit, path);
  EXPECT_EQ(WindowText(edit), path);
  ASSERT_TRUE(PressButton(dialog, "開く(&O)"));
  ASSERT_TRUE(jw.WaitLogged("open " + Utf8(path) + " 読み込んだ環境"));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

  // The loaded file is now the environment: saving writes its bytes.
  dialog = OpenFileDialog(main, p.pid(), 32924, &edit);
  ASSERT_NE(dialog, nullptr);
  const std::wstring out = (jw.jw / L"T.JWF").wstring();
  SetPath(edit, out);
  ASSERT_TRUE(PressButton(dialog, "保存(&S)"));
  ASSERT_TRUE(jw.WaitLogged("save " + Utf8(out)));
  EXPECT_EQ(jw.Read("T.JWF"), loaded);

  // A file that is not there: logged, the environment kept.
  dialog = OpenFileDialog(main, p.pid(), 32923, &edit);
  ASSERT_NE(dialog, nullptr);
  const std::wstring missing = (jw.jw / L"none.JWF").wstring();
  SetPath(edit, missing);
  ASSERT_TRUE(PressButton(dialog, "開く(&O)"));
  ASSERT_TRUE(jw.WaitLogged("open-failed " + Utf8(missing)));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
}

TEST(StandinEndToEnd, SaveDialogWritesTheCurrentEnvironment) {
  JwFolder jw;
  // Bytes that are not valid Shift-JIS must come back unchanged too.
  const std::string jwf = J("現在の環境\r\nGCOM_170 = 0 0 0 0 0 _VNKtemp\r\n") + "\xa0\xfd\r\n";
  jw.Write("JW_WIN.JWF", jwf);
  Process p = jw.Start();
  HWND main = StartedWindow(p);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(jw.WaitLogged("startup-jwf 現在の環境"));

  // Cancel: nothing written, nothing logged.
  HWND edit = nullptr;
  HWND dialog = OpenFileDialog(main, p.pid(), 32924, &edit);
  ASSERT_NE(dialog, nullptr) << "no file dialog with an Edit child";
  EXPECT_EQ(WindowText(dialog), WideUtf8("名前を付けて保存"));
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
  EXPECT_EQ(FindWindowExW(dialog, nullptr, L"Button", WideUtf8("開く(&O)").c_str()), nullptr);
  HWND cancel = FindWindowExW(dialog, nullptr, L"Button", WideUtf8("キャンセル").c_str());
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(GetDlgCtrlID(cancel), IDCANCEL);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(cancel));
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(jw.Log().size(), 2u);

  // The path goes in as our system sends it: code page 932 through the ANSI
  // message (the machine's ANSI code page is 932 here).
  dialog = OpenFileDialog(main, p.pid(), 32924, &edit);
  ASSERT_NE(dialog, nullptr);
  const std::string path = Cp932FromPath(jw.jw / WideUtf8("書き出し.JWF"));
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  ASSERT_TRUE(PressButton(dialog, "保存(&S)"));
  ASSERT_TRUE(jw.WaitLogged("save " + Utf8(Wide(path))));
  EXPECT_EQ(jw.Read(J("書き出し.JWF")), jwf);
  EXPECT_EQ(jw.Log().size(), 3u);

  // A folder that does not exist: logged as a failure.
  dialog = OpenFileDialog(main, p.pid(), 32924, &edit);
  ASSERT_NE(dialog, nullptr);
  const std::wstring bad = (jw.jw / L"no such folder" / L"T.JWF").wstring();
  SetPath(edit, bad);
  ASSERT_TRUE(PressButton(dialog, "保存(&S)"));
  ASSERT_TRUE(jw.WaitLogged("save-failed " + Utf8(bad)));
}

}  // namespace
}  // namespace zel
