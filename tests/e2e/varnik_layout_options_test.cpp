// Varnik.exe under Wine: the divider and the comment area moved with real
// mouse messages and kept across a restart, the options dialog as a person
// uses it, and the main window at 144 dots per inch.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "core/text.h"
#include "core/units.h"
#include "options/options_dialog.h"
#include "platform/wstr.h"
#include "tests/e2e/e2e_rig.h"
#include "tests/support/win_driver.h"

namespace zel {
namespace {

using namespace test;

// A control of another process's window, at any depth, by its identifier.
HWND Descendant(HWND root, int id) {
  struct S { int id; HWND found; } st{id, nullptr};
  EnumChildWindows(
      root,
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<S*>(lp);
        if (GetDlgCtrlID(h) != s->id) return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&st));
  return st.found;
}

RECT RectIn(HWND main, HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// A sent message is handled before any posted one: this one comes back
// once the window has taken every message sent to it before.
void Settle(HWND h) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
}

void Button(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

// The window that holds the mouse in the thread of `main`, if any.
HWND CaptureOf(HWND main) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(main, nullptr);
  return thread && GetGUIThreadInfo(thread, &info) ? info.hwndCapture : nullptr;
}

// A drag with the mouse itself, from `from` to `to` in the client
// coordinates of `main`: the system sends the window the messages a person
// makes, in their order. A mouse message goes to the window under the
// pointer unless a window holds the mouse, so the moves wait until the
// pressed window has taken it, as a person's hand is slower than a busy
// window; and the next drag waits until it is let go. A window that
// follows the pointer while the button is held (the divider) shows
// `followed` once it has taken the last move, and is released only then:
// a move still on its way would otherwise come after the release.
void Drag(HWND main, POINT from, POINT to, const std::function<bool()>& followed = nullptr) {
  ClientToScreen(main, &from);
  ClientToScreen(main, &to);
  SetCursorPos(from.x, from.y);
  Button(MOUSEEVENTF_LEFTDOWN);
  WaitFor([&] { return CaptureOf(main) != nullptr; }, std::chrono::seconds(10));
  SetCursorPos((from.x + to.x) / 2, (from.y + to.y) / 2);
  SetCursorPos(to.x, to.y);
  if (followed) WaitFor(followed, std::chrono::seconds(10));
  Button(MOUSEEVENTF_LEFTUP);
  WaitFor([&] { return CaptureOf(main) == nullptr; }, std::chrono::seconds(10));
}

// True while the window or one of its controls waits to be painted.
bool PaintPending(HWND h) {
  if (GetUpdateRect(h, nullptr, FALSE)) return true;
  bool pending = false;
  EnumChildWindows(
      h,
      [](HWND child, LPARAM lp) -> BOOL {
        if (!GetUpdateRect(child, nullptr, FALSE)) return TRUE;
        *reinterpret_cast<bool*>(lp) = true;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&pending));
  return pending;
}

// Painted before it is shot.
bool Shoot(HWND h, const char* name) {
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  EXPECT_TRUE(WaitFor([&] { return !PaintPending(h); }, 10s)) << name << " was not painted";
  return SaveWindowPng(h, WinePath(std::string(ZEL_SHOT_DIR "/") + name));
}

std::vector<std::string> Lines(const std::filesystem::path& p) { return SplitLines(ReadBytes(p)); }

TEST(VarnikEndToEnd, DividerAndCommentAreaMovedWithTheMouseSurviveARestart) {
  VarnikRig rig("gaihen");
  rig.Write("b.bat", "REM b\r\n#jw\r\n");
  rig.WriteSettings(false, 0);
  HWND main = nullptr;
  Process p = rig.StartVarnik(rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }));
  HWND divider = FindWindowExW(main, nullptr, L"ZelvantoDivider", nullptr);
  HWND area = FindWindowExW(main, nullptr, L"ZelvantoFrame", nullptr);
  HWND tree = GetDlgItem(main, kIdTreeView1), list = GetDlgItem(main, kIdListView1);
  HWND toolbar = GetDlgItem(main, kIdToolbar1);
  ASSERT_TRUE(divider && area && tree && list && toolbar);

  // Dragged right, its left edge goes to the pointer.
  auto left_of = [&](HWND h) { return RectIn(main, h).left; };
  const RECT d0 = RectIn(main, divider);
  Drag(main, {d0.left + 3, d0.top + 20}, {d0.left + 83, d0.top + 20},
       [&] { return std::abs(left_of(divider) - (d0.left + 83)) <= 1; });
  EXPECT_TRUE(WaitFor([&] { return std::abs(left_of(divider) - (d0.left + 83)) <= 1; }))
      << left_of(divider);
  // Released close to the toolbar, the left column collapses beside it.
  RECT d = RectIn(main, divider);
  const int near_toolbar = RectIn(main, toolbar).right + 20;
  Drag(main, {d.left + 3, d.top + 20}, {near_toolbar, d.top + 20},
       [&] { return std::abs(left_of(divider) - near_toolbar) <= 1; });
  EXPECT_TRUE(WaitFor([&] { return std::abs(left_of(divider) - RectIn(main, toolbar).right) <= 1; }))
      << left_of(divider);
  // And out again, far enough to stay.
  d = RectIn(main, divider);
  Drag(main, {d.left + 3, d.top + 20}, {d.left + 203, d.top + 20},
       [&] { return std::abs(left_of(divider) - (d.left + 203)) <= 1; });
  EXPECT_TRUE(WaitFor([&] { return std::abs(left_of(divider) - (d.left + 203)) <= 1; }))
      << left_of(divider);
  d = RectIn(main, divider);

  // The comment area dropped on the tree moves to the left column.
  const RECT t = RectIn(main, tree), a = RectIn(main, area);
  const POINT drop{(t.left + t.right) / 2, t.top + 90};
  Drag(main, {a.left + 40, a.top + 1}, drop);
  EXPECT_TRUE(WaitFor([&] { return left_of(area) == left_of(tree); })) << left_of(area);
  const RECT moved = RectIn(main, area);
  EXPECT_NEAR(moved.top, drop.y, 1);
  EXPECT_TRUE(Shoot(main, "e2e_layout_moved.png"));

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(p.WaitExit(30s));
  std::vector<std::string> lines = Lines(rig.ini());
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_EQ(lines[30], "TextPosL=True");
  for (int i : {28, 29}) {
    const std::string v = lines[static_cast<std::size_t>(i)].substr(lines[static_cast<std::size_t>(i)].find('=') + 1);
    EXPECT_EQ(v.find_first_not_of("0123456789"), std::string::npos) << lines[static_cast<std::size_t>(i)];
  }

  // A restart shows both where they were left.
  Process again = rig.StartVarnik(L"", main);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }));
  divider = FindWindowExW(main, nullptr, L"ZelvantoDivider", nullptr);
  area = FindWindowExW(main, nullptr, L"ZelvantoFrame", nullptr);
  EXPECT_NEAR(RectIn(main, divider).left, d.left, 1);
  const RECT back = RectIn(main, area);
  EXPECT_NEAR(back.left, moved.left, 1);
  EXPECT_NEAR(back.top, moved.top, 1);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(again.WaitExit(30s));
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void SetText(HWND h, const std::wstring& text) {
  SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND OpenOptions(HWND main, DWORD pid) {
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kCmdMnuOption, 0), 0);
  return WaitForWindow(pid, WideUtf8("ｵﾌﾟｼｮﾝ"));
}

TEST(VarnikEndToEnd, OptionsDialogSavesWhatItChangesAndCancelLeavesTheFile) {
  VarnikRig rig("gaihen");
  rig.WriteSettings(false, 0);
  WriteBytes(rig.prog / "Taskmnu.ini", "TempbakbatNp=0\r\nTempbakbatN=10\r\n");
  HWND main = nullptr;
  Process p = rig.StartVarnik(rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }));
  // The file as Varnik writes it.
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kCmdMnuOption, 0), 0);
  HWND dlg = WaitForWindow(p.pid(), WideUtf8("ｵﾌﾟｼｮﾝ"));
  ASSERT_NE(dlg, nullptr) << "no options window";
  EXPECT_FALSE(IsWindowEnabled(main)) << "the main window is not disabled";
  Click(Descendant(dlg, kIdOptCmdOK));
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dlg); }));
  const std::string before = ReadBytes(rig.ini());
  ASSERT_EQ(SplitLines(before).size(), 162u);

  // Every tab, shot; then changes, and Esc: nothing is written.
  dlg = OpenOptions(main, p.pid());
  ASSERT_NE(dlg, nullptr);
  HWND tabs = Descendant(dlg, kIdOptTabStrip1);
  const int shown_by_tab[3] = {kIdOptOption1, kIdOptText1, kIdOptText3};
  for (int tab = 0; tab < 3; ++tab) {
    SendMessageW(tabs, TCM_SETCURFOCUS, tab, 0);
    HWND control = Descendant(dlg, shown_by_tab[tab]);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(control) != 0; })) << "tab " << tab;
    EXPECT_TRUE(Shoot(dlg, ("e2e_options_tab" + std::to_string(tab + 1) + ".png").c_str()));
  }
  Click(Descendant(dlg, kIdOptOption1 + 1));
  SetText(Descendant(dlg, kIdOptText3), L"cancelled");
  Settle(dlg);
  PostMessageW(Descendant(dlg, kIdOptText1), WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dlg); })) << "Esc did not close the options";
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(ReadBytes(rig.ini()), before);

  // Boot mode, history count and the added lines, confirmed with OK.
  dlg = OpenOptions(main, p.pid());
  ASSERT_NE(dlg, nullptr);
  Click(Descendant(dlg, kIdOptOption1 + 1));
  SetText(Descendant(dlg, kIdOptText1), L"20");
  SetText(Descendant(dlg, kIdOptText3), WideUtf8("ADD1\r\n表示ソフト"));
  Click(Descendant(dlg, kIdOptCmdOK));
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dlg); }));
  std::vector<std::string> lines = Lines(rig.ini());
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_EQ(lines[32], "Bootmode=1");
  EXPECT_EQ(lines[35], J("ADDline=ADD1 vbCrlf 表示ソフト"));
  std::vector<std::string> history = Lines(rig.prog / "Taskmnu.ini");
  ASSERT_GE(history.size(), 2u);
  EXPECT_EQ(history[1], "TempbakbatN=20");

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(p.WaitExit(30s));
  lines = Lines(rig.ini());
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_EQ(lines[32], "Bootmode=1");
}

// Wine's screen DPI for the programs started while it lives.
class LogPixelsFor {
 public:
  explicit LogPixelsFor(DWORD dpi) {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    DWORD size = sizeof old_;
    had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_),
                            &size) == ERROR_SUCCESS;
    RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  }
  ~LogPixelsFor() { Restore(); }
  void Restore() {
    if (!key_) return;
    if (had_)
      RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
    else
      RegDeleteValueW(key_, L"LogPixels");
    RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD old_ = 0;
};

TEST(VarnikEndToEnd, MainWindowAt144DotsPerInch) {
  VarnikRig rig("gaihen");
  rig.Write("b.bat", "REM b\r\n#jw\r\n");
  rig.WriteSettings(false, 0);
  HWND main = nullptr;
  Process p;
  {
    LogPixelsFor dpi(144);
    p = rig.StartVarnik(rig.files.wstring(), main);
  }
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }));
  // The layout in twips at 144 dots per inch.
  EXPECT_NEAR(RectIn(main, GetDlgItem(main, kIdTxtGai)).left, TwipsToPixels(1620, 144), 1);
  EXPECT_NEAR(RectIn(main, GetDlgItem(main, kIdListView1)).top, TwipsToPixels(1155, 144), 1);
  EXPECT_TRUE(Shoot(main, "e2e_main_144dpi.png"));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitExit(30s));
}

}  // namespace
}  // namespace zel
