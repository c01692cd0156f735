// The options dialog over the real main window hosted in this process:
// opened modeless and driven with real messages, and opened from the menu
// as the modal dialog it is, answered from inside its own message loop.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/text.h"
#include "core/units.h"
#include "options/options_dialog.h"
#include "tests/win/font_dialog_driver.h"
#include "tests/win/modal_driver.h"
#include "tests/win/varnik_fixture.h"
#include "tray/tray_window.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

const char kHistory[] =
    "TempbakbatNp=1\r\nTempbakbatN=12\r\n A\r\nC:\\a\\a.bat\r\n B\r\nC:\\a\\b.bat\r\n"
    "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";

void Press(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
bool Ticked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A click on a tab of the tab strip.
void ClickTab(HWND tabs, int index) {
  RECT r;
  ASSERT_TRUE(TabCtrl_GetItemRect(tabs, index, &r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(tabs, WM_LBUTTONUP, 0, at);
}

// A control of a window, at any depth.
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

int FontHeightOf(HWND control) {
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  return lf.lfHeight;
}

// PATH for the time of a test.
class PathFor {
 public:
  explicit PathFor(const std::wstring& value) {
    wchar_t buf[32767] = L"";
    had_ = GetEnvironmentVariableW(L"PATH", buf, 32767) > 0;
    old_ = buf;
    SetEnvironmentVariableW(L"PATH", value.c_str());
  }
  ~PathFor() { SetEnvironmentVariableW(L"PATH", had_ ? old_.c_str() : nullptr); }

 private:
  bool had_ = false;
  std::wstring old_;
};

class OptionsDialogTest : public VarnikWindowTest {
 protected:
  void SetUp() override {
    VarnikWindowTest::SetUp();
    WriteBytes(prog / "Taskmnu.ini", J(kHistory));
  }
  std::vector<std::string> HistoryLines() const {
    return SplitLines(ReadBytes(prog / "Taskmnu.ini"));
  }
  // The refusal the dialog showed, taken off the list of messages.
  std::wstring TakeMessage() {
    if (messages.size() != 1) return L"(" + std::to_wstring(messages.size()) + L" messages)";
    std::wstring text = messages[0].text;
    EXPECT_EQ(messages[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    messages.clear();
    return text;
  }
};

TEST_F(OptionsDialogTest, OpensWithTheSettingsAndTakesTheBootModeAndAwkChoiceAtOnce) {
  // GAWK.EXE in two PATH folders, JGAWK.EXE in the second.
  const fs::path none = dir.path() / "none", g1 = dir.path() / "g1", g2 = dir.path() / PathFromCp932(J("表示ソフト"));
  for (const auto& d : {none, g1, g2}) fs::create_directories(d);
  WriteBytes(g1 / "GAWK.EXE", "MZ");
  WriteBytes(g2 / "GAWK.EXE", "MZ");
  WriteBytes(g2 / "JGAWK.EXE", "MZ");
  Settings s = Prepared();
  s.Bootmode = 2;
  s.Callwin = true;
  s.Gawk = 2;
  s.Scomm49 = "7 ";
  s.ADDline = J("S_comm_9 = 1 vbCrlf 表示");
  WriteIni(s);
  const std::string before = ReadBytes(ini());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  {
    PathFor path(none.wstring() + L";" + g1.wstring() + L";;" + g2.wstring());
    OptionsDialog dlg(w.OptionsHostOfThisWindow());
    ASSERT_NE(dlg.Create(GetModuleHandleW(nullptr), w.hwnd()), nullptr);
    EXPECT_EQ(Text(dlg.hwnd()), WideUtf8("ｵﾌﾟｼｮﾝ"));
    EXPECT_TRUE(Visible(dlg.FraTab[0]));
    EXPECT_FALSE(Visible(dlg.FraTab[1]));
    EXPECT_FALSE(Visible(dlg.FraTab[2]));
    for (int k = 0; k < 4; ++k) EXPECT_EQ(Ticked(dlg.Option1[k]), k == 2) << k;
    EXPECT_TRUE(Ticked(dlg.chkCallwin));
    EXPECT_FALSE(Ticked(dlg.Chkkeepjwctemp));
    EXPECT_EQ(Text(dlg.Text1), L"12");
    EXPECT_EQ(Text(dlg.Text2), L"7 ");
    EXPECT_EQ(Text(dlg.Text3), WideUtf8("S_comm_9 = 1\r\n表示"));
    EXPECT_EQ(Text(dlg.FontLabel[0]), WideUtf8("フォルダツリーのフォント\tＭＳ ゴシック, 11.25ﾎﾟｲﾝﾄ"));
    EXPECT_EQ(Text(dlg.FontLabel[2]), WideUtf8("コメント    のフォント\tＭＳ ゴシック, 11.25ﾎﾟｲﾝﾄ"));
    // Each box names the first PATH folder that holds its program.
    EXPECT_TRUE(IsWindowEnabled(dlg.Check1[0]));
    EXPECT_EQ(Text(dlg.Check1[0]), g1.wstring() + WideUtf8("に存在する「GAWK.EXE」を強制的に使う"));
    EXPECT_EQ(Text(dlg.Check1[1]), g2.wstring() + WideUtf8("に存在する「JGAWK.EXE」を強制的に使う"));
    EXPECT_FALSE(Ticked(dlg.Check1[0]));
    EXPECT_TRUE(Ticked(dlg.Check1[1]));

    // Taken over when clicked, not on OK.
    Press(dlg.Option1[0]);
    EXPECT_EQ(w.settings().Bootmode, 0);
    Press(dlg.Check1[0]);
    EXPECT_TRUE(Ticked(dlg.Check1[0]));
    EXPECT_FALSE(Ticked(dlg.Check1[1]));
    EXPECT_EQ(w.settings().Gawk, 1);
    Press(dlg.Check1[1]);
    EXPECT_FALSE(Ticked(dlg.Check1[0]));
    EXPECT_EQ(w.settings().Gawk, 2);
    Press(dlg.Check1[1]);
    EXPECT_EQ(w.settings().Gawk, 0);

    // A tab shows its own frame only.
    ClickTab(dlg.TabStrip1, 1);
    EXPECT_TRUE(Visible(dlg.FraTab[1]));
    EXPECT_FALSE(Visible(dlg.FraTab[0]));
    RECT page, tabs;
    GetWindowRect(dlg.FraTab[1], &page);
    GetWindowRect(dlg.TabStrip1, &tabs);
    EXPECT_TRUE(page.left > tabs.left && page.bottom < tabs.bottom);

    // Cancel writes nothing.
    Press(dlg.cmdCancel);
    EXPECT_EQ(dlg.hwnd(), nullptr);
    EXPECT_FALSE(dlg.confirmed());
    EXPECT_EQ(ReadBytes(ini()), before);
  }
  {
    // Neither program on the PATH: both boxes off, as designed.
    PathFor path(none.wstring());
    OptionsDialog dlg(w.OptionsHostOfThisWindow());
    ASSERT_NE(dlg.Create(GetModuleHandleW(nullptr), w.hwnd()), nullptr);
    EXPECT_FALSE(IsWindowEnabled(dlg.Check1[0]));
    EXPECT_FALSE(IsWindowEnabled(dlg.Check1[1]));
    EXPECT_EQ(Text(dlg.Check1[0]), WideUtf8("GAWK.EXEにＰＡＴＨが通っていません"));
    EXPECT_EQ(Text(dlg.Check1[1]), WideUtf8("ＪGAWK.EXEにＰＡＴＨが通っていません"));
    Press(dlg.cmdCancel);
  }
  w.Unload();
}

TEST_F(OptionsDialogTest, OkSavesTheSettingsAndTheHistoryCountAtOnce) {
  WriteIni(Prepared());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  OptionsDialog dlg(w.OptionsHostOfThisWindow());
  ASSERT_NE(dlg.Create(GetModuleHandleW(nullptr), w.hwnd()), nullptr);
  // The spin bar starts at 10 whatever the box shows, and writes its value
  // into the box: a click on its upper arrow.
  RECT spin;
  GetClientRect(dlg.VScroll1, &spin);
  SendMessageW(dlg.VScroll1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(spin.right / 2, 2));
  SendMessageW(dlg.VScroll1, WM_LBUTTONUP, 0, MAKELPARAM(spin.right / 2, 2));
  EXPECT_EQ(Text(dlg.Text1), L"11");
  // The S_comm_4 spin bar goes down to 5: its lower arrow from 10 gives 9.
  GetClientRect(dlg.VScroll2, &spin);
  SendMessageW(dlg.VScroll2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(spin.right / 2, spin.bottom - 2));
  SendMessageW(dlg.VScroll2, WM_LBUTTONUP, 0, MAKELPARAM(spin.right / 2, spin.bottom - 2));
  EXPECT_EQ(Text(dlg.Text2), L"9");

  SetText(dlg.Text1, L"25");
  SetText(dlg.Text2, L"5");
  // Lines typed, and one pasted with a bare line feed.
  SetText(dlg.Text3, WideUtf8("S_comm_9 = 1\r\n表示ソフト\nend"));
  Press(dlg.Chkkeepjwctemp);
  Press(dlg.cmdOK);
  EXPECT_EQ(dlg.hwnd(), nullptr);
  EXPECT_TRUE(dlg.confirmed());

  const std::string bytes = ReadBytes(ini());
  const std::vector<std::string> lines = SplitLines(bytes);
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_EQ(lines[31], "KeepJWCTEMP=True");
  EXPECT_EQ(lines[34], "Scomm49=5 ");
  EXPECT_EQ(lines[35], J("ADDline=S_comm_9 = 1 vbCrlf 表示ソフト vbCrlf end"));
  // Every line ends with CR LF and holds no other line break.
  std::size_t breaks = 0;
  for (char c : bytes) breaks += c == '\n' || c == '\r';
  EXPECT_EQ(breaks, 2 * 162u);

  // The count is in the history file now, the entries as they were, and a
  // reload of the menu keeps it.
  const std::vector<std::string> history = HistoryLines();
  ASSERT_GE(history.size(), 6u);
  EXPECT_EQ(history[1], "TempbakbatN=25");
  EXPECT_EQ(history[2], " A");
  EXPECT_EQ(history[5], "C:\\a\\b.bat");
  EXPECT_EQ(history.size(), 2 + 2 * 25u);
  w.frmtask()->Loadmnu();
  EXPECT_EQ(w.frmtask()->history().N, 25);
  w.Unload();
}

TEST_F(OptionsDialogTest, CountsOutsideTheirRangeAreRefusedAndNothingIsSaved) {
  // A count of 5 from an older history file is kept when left alone.
  WriteBytes(prog / "Taskmnu.ini", "TempbakbatNp=1\r\nTempbakbatN=5\r\n");
  WriteIni(Prepared());
  const std::string before = ReadBytes(ini());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  OptionsDialog dlg(w.OptionsHostOfThisWindow());
  ASSERT_NE(dlg.Create(GetModuleHandleW(nullptr), w.hwnd()), nullptr);
  EXPECT_EQ(Text(dlg.Text1), L"5");
  SetText(dlg.Text3, L"added");

  for (const wchar_t* typed : {L"9", L"31", L"abc", L""}) {
    SCOPED_TRACE(Narrow(typed));
    SetText(dlg.Text1, typed);
    Press(dlg.cmdOK);
    EXPECT_NE(TakeMessage().find(WideUtf8("10～30")), std::wstring::npos);
    ASSERT_NE(dlg.hwnd(), nullptr) << "the dialog closed";
    EXPECT_TRUE(Visible(dlg.FraTab[1]));
    EXPECT_EQ(GetFocus(), dlg.Text1);
  }
  SetText(dlg.Text1, L" 5 ");
  for (const wchar_t* typed : {L"4", L"123", L"x"}) {
    SCOPED_TRACE(Narrow(typed));
    SetText(dlg.Text2, typed);
    Press(dlg.cmdOK);
    EXPECT_NE(TakeMessage().find(WideUtf8("5～30")), std::wstring::npos);
    ASSERT_NE(dlg.hwnd(), nullptr);
    EXPECT_TRUE(Visible(dlg.FraTab[2]));
  }
  EXPECT_EQ(ReadBytes(ini()), before);
  EXPECT_EQ(w.settings().ADDline, "");

  // An empty S_comm_4 box means "not set".
  SetText(dlg.Text2, L"");
  Press(dlg.cmdOK);
  EXPECT_EQ(dlg.hwnd(), nullptr);
  const std::vector<std::string> lines = IniLines();
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_EQ(lines[34], "Scomm49=  ");
  EXPECT_EQ(lines[35], "ADDline=added");
  EXPECT_EQ(HistoryLines()[1], "TempbakbatN=5");
  w.Unload();
}

TEST_F(OptionsDialogTest, FontsShowAtOnceAndCancelGivesThemBack) {
  const std::wstring face = SomeFace();
  ASSERT_FALSE(face.empty());
  Settings s = Prepared();
  s.ListFont = {Narrow(face), 11.25, false, false};
  s.ComeFont = {Narrow(face), 12, false, false};
  WriteIni(s);
  const std::string before = ReadBytes(ini());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const int dpi = w.dpi();
  {
    OptionsDialog dlg(w.OptionsHostOfThisWindow());
    ASSERT_NE(dlg.Create(GetModuleHandleW(nullptr), w.hwnd()), nullptr);
    {
      NextDialog font([](HWND d) {
        PickFontSize(d, L"14");
        PostMessageW(d, WM_COMMAND, IDOK, 0);
      });
      Press(dlg.Command1);
      EXPECT_TRUE(font.acted());
    }
    EXPECT_EQ(FontHeightOf(w.ListView1), FontHeightForPoints(14, dpi));
    EXPECT_EQ(w.settings().ListFont.size, 14);
    EXPECT_EQ(Text(dlg.FontLabel[1]), WideUtf8("ファイルリストのフォント\t") + face + WideUtf8(", 14ﾎﾟｲﾝﾄ"));
    Press(dlg.cmdCancel);
  }
  EXPECT_EQ(w.settings().ListFont.size, 11.25);
  EXPECT_EQ(FontHeightOf(w.ListView1), FontHeightForPoints(11.25, dpi));
  EXPECT_EQ(ReadBytes(ini()), before);
  {
    OptionsDialog dlg(w.OptionsHostOfThisWindow());
    ASSERT_NE(dlg.Create(GetModuleHandleW(nullptr), w.hwnd()), nullptr);
    NextDialog font([](HWND d) {
      PickFontSize(d, L"10");
      PostMessageW(d, WM_COMMAND, IDOK, 0);
    });
    Press(dlg.Command2);
    EXPECT_TRUE(font.acted());
    Press(dlg.cmdOK);
  }
  EXPECT_EQ(FontHeightOf(w.Text1), FontHeightForPoints(10, dpi));
  const std::vector<std::string> lines = IniLines();
  ASSERT_EQ(lines.size(), 162u);
  EXPECT_EQ(lines[18], "ComeFontName=" + Narrow(face));
  EXPECT_EQ(lines[19], "ComeFontSize=10");
  w.Unload();
}

TEST_F(OptionsDialogTest, TheMenuOpensItModalEscCancelsAndEnterConfirms) {
  WriteIni(Prepared());
  const std::string before = ReadBytes(ini());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  bool main_enabled = true;
  std::wstring title;
  {
    NextDialog esc([&](HWND d) {
      main_enabled = IsWindowEnabled(w.hwnd()) != 0;
      title = Text(d);
      PostMessageW(Descendant(d, kIdOptText1), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(kCmdMnuOption, 0), 0);
    EXPECT_TRUE(esc.acted());
  }
  EXPECT_FALSE(main_enabled) << "the main window stayed enabled";
  EXPECT_EQ(title, WideUtf8("ｵﾌﾟｼｮﾝ"));
  EXPECT_TRUE(IsWindowEnabled(w.hwnd()));
  EXPECT_EQ(ReadBytes(ini()), before);
  {
    NextDialog enter([&](HWND d) {
      SetText(Descendant(d, kIdOptText3), L"by enter");
      PostMessageW(Descendant(d, kIdOptText1), WM_KEYDOWN, VK_RETURN, 0);
    });
    SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(kCmdMnuOption, 0), 0);
    EXPECT_TRUE(enter.acted());
  }
  EXPECT_EQ(IniLines()[35], "ADDline=by enter");
  w.Unload();
}

// Runs `then` once, `ms` milliseconds from now, from whatever message loop
// runs then (the dialog's own).
class Later {
 public:
  Later(UINT ms, std::function<void()> then) {
    pending_ = std::move(then);
    timer_ = SetTimer(nullptr, 0, ms, &Later::Tick);
  }
  ~Later() {
    if (timer_) KillTimer(nullptr, timer_);
    pending_ = nullptr;
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto run = std::move(pending_);
    pending_ = nullptr;
    if (run) run();
  }
  static inline std::function<void()> pending_;
  UINT_PTR timer_ = 0;
};

TEST_F(OptionsDialogTest, KeysInTheAddedLinesBoxActOnTheDialog) {
  Settings s = Prepared();
  s.ADDline = "S_comm_9 = 1 vbCrlf END2";
  s.Scomm49 = "7 ";
  WriteIni(s);
  const std::string before = ReadBytes(ini());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));

  // Tab leaves the multi-line box for the next control instead of staying.
  HWND dialog = nullptr;
  bool left_box = false;
  std::unique_ptr<Later> check;
  {
    NextDialog tab([&](HWND d) {
      dialog = d;
      ClickTab(Descendant(d, kIdOptTabStrip1), 2);
      HWND box = Descendant(d, kIdOptText3);
      SetFocus(box);
      PostMessageW(box, WM_KEYDOWN, VK_TAB, 0);
      check = std::make_unique<Later>(500, [&, d, box] {
        left_box = GetFocus() != box && IsChild(d, GetFocus());
        Press(Descendant(d, kIdOptCmdCancel));
      });
    });
    SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(kCmdMnuOption, 0), 0);
    EXPECT_TRUE(tab.acted());
  }
  EXPECT_TRUE(left_box) << "Tab stayed in the added lines box";

  // Esc in the box cancels the whole dialog; the box's tab is not torn
  // out of a dialog that stays open to save it empty.
  bool still_open = false;
  {
    NextDialog esc([&](HWND d) {
      dialog = d;
      ClickTab(Descendant(d, kIdOptTabStrip1), 2);
      HWND box = Descendant(d, kIdOptText3);
      SetFocus(box);
      PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
      check = std::make_unique<Later>(1500, [&, d] {
        if (!IsWindow(d)) return;
        still_open = true;
        Press(Descendant(d, kIdOptCmdOK));
      });
    });
    SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(kCmdMnuOption, 0), 0);
    EXPECT_TRUE(esc.acted());
  }
  check.reset();
  EXPECT_FALSE(still_open) << "Esc in the added lines box left the dialog open";
  EXPECT_EQ(ReadBytes(ini()), before);
  w.Unload();
}

}  // namespace
}  // namespace zel
