// What the in-process window tests of selecting and running share: pumping
// the way the program's own loop does, keys and clicks on the list, the
// status bar's panels, popup menus as the chooser sees them, a stand-in for
// Jw_cad's main window inside the test, and a fixture with a Jw_cad folder
// and scripted answers to message boxes.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui_service.h"
#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/jwcad.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"
#include "tests/win/varnik_fixture.h"

namespace zel::test {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Pumping as the program's loop does.

// A thread message that marks the end of what a test has posted.
constexpr UINT kPumpMark = WM_APP + 0x3A7;

// Set when the mark has been pumped.
inline bool mark_seen = false;

// Handles every message waiting for this thread the way the program's loop
// does (app/entry.cpp): the window's PreTranslate first, then translate and
// dispatch.
inline void PumpPending(VarnikWindow& w) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.hwnd == nullptr && msg.message == kPumpMark) {
      mark_seen = true;
      continue;
    }
    if (w.PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// WaitFor with the program's loop: pumps through PreTranslate until `done`
// holds or `limit` passes.
inline bool PumpUntil(VarnikWindow& w, const std::function<bool()>& done,
               std::chrono::milliseconds limit = 30s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    PumpPending(w);
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

// Pumps until everything posted before the call has been handled. Only for
// steps that do not pump on their own (a pump inside the window would take
// the mark away).
inline bool Settle(VarnikWindow& w) {
  mark_seen = false;
  if (!PostThreadMessageW(GetCurrentThreadId(), kPumpMark, 0, 0)) return false;
  return PumpUntil(w, [] { return mark_seen; });
}

// A key as Windows posts it: repeat count 1, the scan code, and for a key
// going up the previous-state and transition bits.
inline void PostKey(HWND to, UINT vk, bool up) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) & 0xFF) << 16;
  PostMessageW(to, up ? WM_KEYUP : WM_KEYDOWN, vk,
               up ? (scan | 1 | static_cast<LPARAM>(0xC0000000u)) : (scan | 1));
}

// Enter pressed in the list, for a run that pumps on its own: its end is
// waited for by what it leaves, not by Settle.
inline void PostEnter(VarnikWindow& w) {
  SetFocus(w.ListView1);
  PostKey(w.ListView1, VK_RETURN, false);
  PostKey(w.ListView1, VK_RETURN, true);
}

// One press and release, handled to the end.
inline void Press(VarnikWindow& w, HWND to, UINT vk) {
  PostKey(to, vk, false);
  PostKey(to, vk, true);
  ASSERT_TRUE(Settle(w));
}

// ---------------------------------------------------------------------------
// The file list.

inline int RowOf(HWND list, const std::wstring& name) {
  std::vector<std::wstring> names = Column(list, 1);
  auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

inline int SelectedRow(HWND list) { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }

// Selects one row as the list's own keys would: selected and focused.
inline void SelectRow(HWND list, int row) {
  const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
  ListView_SetItemState(list, -1, 0, both);
  ListView_SetItemState(list, row, both, both);
}

// A left click on a row: the list selects it and tells the main window.
inline void ClickRow(VarnikWindow& w, int row) {
  RECT r{};
  ASSERT_TRUE(ListView_GetItemRect(w.ListView1, row, &r, LVIR_LABEL));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(w.ListView1, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(w.ListView1, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(Settle(w));
}

// A notification of the list to the main window, as the list sends it.
inline void NotifyFromList(const VarnikWindow& w, UINT code, int row) {
  NMITEMACTIVATE n{};
  n.hdr.hwndFrom = w.ListView1;
  n.hdr.idFrom = kIdListView1;
  n.hdr.code = code;
  n.iItem = row;
  SendMessageW(w.hwnd(), WM_NOTIFY, kIdListView1, reinterpret_cast<LPARAM>(&n));
}

inline bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

inline void Command(const VarnikWindow& w, UINT id) {
  SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// ---------------------------------------------------------------------------
// The status bar's display-mode panel.

struct Panel {
  std::wstring text;
  bool raised;
};

inline Panel PanelOf(HWND sbar, int part) {
  wchar_t buf[256] = L"";
  const LRESULT r = SendMessageW(sbar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(buf));
  return {buf, (HIWORD(r) & HIWORD(SBT_POPOUT << 16)) != 0};
}

// A left click on a panel of the status bar.
inline void ClickPanel(VarnikWindow& w, int part) {
  RECT r{};
  ASSERT_TRUE(SendMessageW(w.SBar1, SB_GETRECT, part, reinterpret_cast<LPARAM>(&r)));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(w.SBar1, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(w.SBar1, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(Settle(w));
}

// ---------------------------------------------------------------------------
// Popup menus as the chooser sees them.

struct MenuEntry {
  std::wstring caption;
  UINT id;  // 0 for separators and submenus
  std::vector<std::wstring> submenu;
};
using Menu = std::vector<MenuEntry>;

inline Menu ReadMenu(HMENU m) {
  Menu out;
  const int count = GetMenuItemCount(m);
  for (int i = 0; i < count; ++i) {
    wchar_t buf[256] = L"";
    GetMenuStringW(m, i, buf, 256, MF_BYPOSITION);
    MenuEntry e{buf, 0, {}};
    if (HMENU sub = GetSubMenu(m, i)) {
      for (const MenuEntry& s : ReadMenu(sub)) e.submenu.push_back(s.caption);
    } else {
      const UINT id = GetMenuItemID(m, i);
      e.id = id == static_cast<UINT>(-1) ? 0 : id;
    }
    out.push_back(e);
  }
  return out;
}

inline const MenuEntry* Find(const Menu& menu, const char* caption_utf8) {
  const std::wstring want = WideUtf8(caption_utf8);
  for (const MenuEntry& e : menu)
    if (e.caption == want) return &e;
  return nullptr;
}

inline std::string Captions(const Menu& menu) {
  std::string s;
  for (const MenuEntry& e : menu) s += "[" + Narrow(e.caption) + "]";
  return s;
}

// ---------------------------------------------------------------------------
// A stand-in for Jw_cad's main window inside this process: it only records
// the keys it receives and the state of Ctrl and Shift with each. With
// another title it plays any other program's window; told to, it hands the
// foreground on to another window whenever it gets it, as a window that
// keeps stealing the focus does on a busy desktop.

struct KeySeen {
  UINT vk;
  bool up;
  bool ctrl;
  bool shift;
};

class FakeJwCad {
 public:
  explicit FakeJwCad(const wchar_t* title = L"jw_win") {
    static const bool registered = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = &FakeJwCad::Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpszClassName = L"ZelvantoTestFakeJwCad";
      return RegisterClassExW(&wc) != 0;
    }();
    if (registered)
      hwnd_ = CreateWindowExW(0, L"ZelvantoTestFakeJwCad", title,
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 200, nullptr,
                              nullptr, GetModuleHandleW(nullptr), this);
  }
  ~FakeJwCad() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  FakeJwCad(const FakeJwCad&) = delete;
  FakeJwCad& operator=(const FakeJwCad&) = delete;

  HWND hwnd() const { return hwnd_; }
  void PassForegroundTo(HWND other) { pass_to_ = other; }
  // Called whenever the window is activated (a run brings it forward).
  std::function<void()> on_activated;
  const std::vector<KeySeen>& keys() const { return keys_; }
  bool SawCtrlShiftZ() const {
    return std::any_of(keys_.begin(), keys_.end(),
                       [](const KeySeen& k) { return k.vk == 'Z' && !k.up && k.ctrl && k.shift; });
  }
  bool SawKeyUp(UINT vk) const {
    return std::any_of(keys_.begin(), keys_.end(),
                       [vk](const KeySeen& k) { return k.vk == vk && k.up; });
  }

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
      SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(
                                              reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<FakeJwCad*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (self && (msg == WM_KEYDOWN || msg == WM_KEYUP))
      self->keys_.push_back({static_cast<UINT>(wp), msg == WM_KEYUP, GetKeyState(VK_CONTROL) < 0,
                             GetKeyState(VK_SHIFT) < 0});
    if (self && self->on_activated && msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE)
      self->on_activated();
    if (self && self->pass_to_ && msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE)
      PostMessageW(h, kPassForeground, 0, 0);
    if (self && msg == kPassForeground && self->pass_to_) SetForegroundWindow(self->pass_to_);
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    return DefWindowProcW(h, msg, wp, lp);
  }

  static constexpr UINT kPassForeground = WM_APP + 0x51;
  HWND hwnd_ = nullptr;
  HWND pass_to_ = nullptr;
  std::vector<KeySeen> keys_;
};

inline std::string KeysText(const std::vector<KeySeen>& keys) {
  std::string s;
  for (const KeySeen& k : keys)
    s += std::string(k.up ? "up " : "down ") + std::to_string(k.vk) + (k.ctrl ? " ctrl" : "") +
         (k.shift ? " shift" : "") + "; ";
  return s;
}

// ---------------------------------------------------------------------------
// The fixture: the window's own fixture plus a Jw_cad folder, answers for
// the message boxes chosen by the test, and a popup-menu chooser that
// records each menu and picks `menu_choice`.

// The example batch: a title, two header lines, one comment, one engine
// line.
const char kEnBatch[] =
    "REM 円を描く\r\nREM #jw\r\nREM #cd\r\nrem 半径を入力\r\njgawk -f %AWKPATH%en.awk\r\n";

class SelectRunFixture : public VarnikWindowTest {
 protected:
  fs::path jww = dir.path() / "jww";
  std::deque<int> answers;  // buttons for the next message boxes; OK when none is left
  std::vector<Menu> menus;  // every popup menu opened, as it was
  UINT menu_choice = 0;

  void SetUp() override {
    VarnikWindowTest::SetUp();
    fs::create_directories(jww);
    SetMessageAnswerer([this](const MessageRequest& r) {
      messages.push_back(r);
      if (answers.empty()) return IDOK;
      const int a = answers.front();
      answers.pop_front();
      return a;
    });
    SetMenuChooser([this](HMENU m) {
      menus.push_back(ReadMenu(m));
      return menu_choice;
    });
  }

  void TearDown() override {
    SetMenuChooser(nullptr);
    VarnikWindowTest::TearDown();
  }

  // Jw_cad's folder is `jww`; a run hides the window (boot mode 1); the
  // move into the batch folder is off.
  Settings RunSettings() const {
    Settings s = Prepared();
    s.jwwfolder = ProgramPath(jww);
    s.Bootmode = 1;
    s.foldermove = 0;
    return s;
  }

  // The messages so far, taken: the fixture reports any left at the end.
  std::vector<MessageRequest> TakeMessages() {
    std::vector<MessageRequest> m;
    m.swap(messages);
    return m;
  }

  std::vector<std::string> WrapperLines() const {
    return SplitLines(ReadBytes(jww / "_VNKtemp.bat"));
  }
};

inline bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

inline bool TextHas(const MessageRequest& m, const char* utf8) {
  return m.text.find(WideUtf8(utf8)) != std::wstring::npos;
}

inline UINT Icon(const MessageRequest& m) { return m.flags & MB_ICONMASK; }


}  // namespace zel::test
