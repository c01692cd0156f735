// Selecting and running files in the real main window hosted in this
// process: the analysis on a click and on the arrow keys, the display-mode
// panel, the list's context menu per filter, the keys of the window's
// key-down handler, running a batch with and without Jw_cad, and putting
// environment and layer files into effect.
//
// Keys are posted to the controls and pumped the way the program's own
// message loop does it: the window sees each message first (its key
// preview), then it is translated and dispatched. Message boxes and popup
// menus are answered by the test, never shown.
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
#include "tests/win/select_run_fixture.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

// What the analysis of kEnBatch shows, with and without the document and
// text files beside it.
void ExpectEnBatchAnalysed(const VarnikWindow& w, const fs::path& folder, bool companions) {
  EXPECT_EQ(w.SelectedFilePath(), ProgramPath(folder) + "\\en.bat");
  EXPECT_EQ(Text(w.Text1), WideUtf8("REM 円を描く\r\nrem 半径を入力\r\n"));
  EXPECT_EQ(Text(w.txtengin), L"JGAWK");
  EXPECT_EQ(w.EngineLabel(), "JGAWK");
  EXPECT_TRUE(Checked(w.chk_smenu)) << "the 'REM #cd' line asks for the move";
  const auto& captions = w.KanrenCaptions();
  const auto& visible = w.KanrenVisible();
  EXPECT_EQ(captions[0], "en.bat");
  EXPECT_EQ(captions[1], "EN.AWK");
  std::size_t shown = 2;
  if (companions) {
    // The document first, then the text, both after the scripts.
    EXPECT_EQ(captions[2], "EN.DOC");
    EXPECT_EQ(captions[3], "EN.TXT");
    EXPECT_EQ(w.RelatedFileList(), " en.awk en.doc en.txt");
    shown = 4;
  } else {
    EXPECT_EQ(w.RelatedFileList(), " en.awk");
  }
  for (std::size_t i = 0; i < visible.size(); ++i)
    EXPECT_EQ(visible[i], i < shown) << "kanrenfile entry " << i;
}

// ===========================================================================
// Selecting: the analysis on a click and on the arrow keys.

class VarnikSelectTest : public SelectRunFixture {};

TEST_F(VarnikSelectTest, ClickOnARowAnalysesTheBatch) {
  Write(files, "en.bat", J(kEnBatch));
  Write(files, "other.bat", Batch("別の外変"));
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(ListView_GetItemCount(w.ListView1), 2);
  ASSERT_FALSE(Checked(w.chk_smenu));
  EXPECT_EQ(w.SelectedFilePath(), "");

  const int row = RowOf(w.ListView1, L"en.bat");
  ASSERT_GE(row, 0);
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, row));
  EXPECT_EQ(SelectedRow(w.ListView1), row);
  ExpectEnBatchAnalysed(w, files, false);

  // A document and a text file beside the batch join the related files on
  // the next click, after the scripts.
  Write(files, "en.doc", "document\r\n");
  Write(files, "en.txt", "text\r\n");
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, row));
  ExpectEnBatchAnalysed(w, files, true);

  // The other row: its own analysis; the move stays checked (the analysis
  // never clears it).
  const int other = RowOf(w.ListView1, L"other.bat");
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, other));
  EXPECT_EQ(SelectedRow(w.ListView1), other);
  EXPECT_EQ(w.SelectedFilePath(), ProgramPath(files) + "\\other.bat");
  EXPECT_EQ(Text(w.Text1), WideUtf8("REM 別の外変 *\r\n"));
  EXPECT_EQ(w.KanrenCaptions()[0], "other.bat");
  EXPECT_EQ(w.KanrenCaptions()[1], "X.AWK");
  EXPECT_FALSE(w.KanrenVisible()[2]);
  EXPECT_TRUE(Checked(w.chk_smenu));
  w.Unload();
}

TEST_F(VarnikSelectTest, ArrowKeyReleaseInTheListAnalysesTheNewRow) {
  Write(files, "en.bat", J(kEnBatch));
  Write(files, "other.bat", Batch("別の外変"));
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const int en = RowOf(w.ListView1, L"en.bat");
  const int other = RowOf(w.ListView1, L"other.bat");
  ASSERT_GE(en, 0);
  ASSERT_GE(other, 0);
  // The rows come in the file system's order: go whichever way leads there.
  const UINT to_en = en > other ? VK_DOWN : VK_UP;
  const UINT to_other = en > other ? VK_UP : VK_DOWN;
  SetFocus(w.ListView1);
  SelectRow(w.ListView1, other);

  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, to_en));
  EXPECT_EQ(SelectedRow(w.ListView1), en);
  ExpectEnBatchAnalysed(w, files, false);

  // The list moves on the key going down; the analysis waits for its
  // release.
  PostKey(w.ListView1, to_other, false);
  ASSERT_TRUE(Settle(w));
  EXPECT_EQ(SelectedRow(w.ListView1), other);
  EXPECT_EQ(w.SelectedFilePath(), ProgramPath(files) + "\\en.bat");
  PostKey(w.ListView1, to_other, true);
  ASSERT_TRUE(Settle(w));
  EXPECT_EQ(w.SelectedFilePath(), ProgramPath(files) + "\\other.bat");
  EXPECT_EQ(Text(w.Text1), WideUtf8("REM 別の外変 *\r\n"));
  EXPECT_EQ(w.KanrenCaptions()[0], "other.bat");
  EXPECT_EQ(w.KanrenCaptions()[1], "X.AWK");

  // And back the other way.
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, to_en));
  EXPECT_EQ(SelectedRow(w.ListView1), en);
  EXPECT_EQ(w.SelectedFilePath(), ProgramPath(files) + "\\en.bat");
  EXPECT_EQ(Text(w.Text1), WideUtf8("REM 円を描く\r\nrem 半径を入力\r\n"));
  w.Unload();
}

// ===========================================================================
// The display-mode panel.

TEST_F(VarnikSelectTest, DisplayModePanelSwitchesBetweenFilteredAndEveryLine) {
  Write(files, "en.bat", J(kEnBatch));
  Write(files, "a.jwf", J("環境Ａ\r\n# 線の色\r\n   #字下げ\r\nPEN=1\r\n"));
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  Panel p = PanelOf(w.SBar1, 0);
  EXPECT_EQ(p.text, WideUtf8("コメント"));
  EXPECT_TRUE(p.raised);
  EXPECT_FALSE(w.ShowsAllLines());

  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"en.bat")));
  const std::wstring comments = WideUtf8("REM 円を描く\r\nrem 半径を入力\r\n");
  const std::wstring every = WideUtf8(kEnBatch);
  ASSERT_EQ(Text(w.Text1), comments);

  ASSERT_NO_FATAL_FAILURE(ClickPanel(w, 0));
  EXPECT_TRUE(w.ShowsAllLines());
  p = PanelOf(w.SBar1, 0);
  EXPECT_EQ(p.text, WideUtf8("全部"));
  EXPECT_FALSE(p.raised);
  EXPECT_EQ(Text(w.Text1), every);

  // Only the first panel switches the mode.
  NMMOUSE second{};
  second.hdr.hwndFrom = w.SBar1;
  second.hdr.idFrom = kIdSBar1;
  second.hdr.code = NM_CLICK;
  second.dwItemSpec = 1;
  SendMessageW(w.Frame3, WM_NOTIFY, kIdSBar1, reinterpret_cast<LPARAM>(&second));
  EXPECT_TRUE(w.ShowsAllLines());
  EXPECT_EQ(PanelOf(w.SBar1, 0).text, WideUtf8("全部"));
  EXPECT_EQ(Text(w.Text1), every);

  ASSERT_NO_FATAL_FAILURE(ClickPanel(w, 0));
  EXPECT_FALSE(w.ShowsAllLines());
  p = PanelOf(w.SBar1, 0);
  EXPECT_EQ(p.text, WideUtf8("コメント"));
  EXPECT_TRUE(p.raised);
  EXPECT_EQ(Text(w.Text1), comments);

  // Environment files: setting lines, or every line; back from every line
  // the panel reads "変数".
  Click(w, kIdCommand3, w.Command3);
  ASSERT_EQ(w.FilterIndex(), 1);
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"a.jwf")));
  EXPECT_EQ(Text(w.Text1), WideUtf8("環境Ａ\r\nPEN=1\r\n"));
  ASSERT_NO_FATAL_FAILURE(ClickPanel(w, 0));
  EXPECT_TRUE(w.ShowsAllLines());
  EXPECT_EQ(PanelOf(w.SBar1, 0).text, WideUtf8("全部"));
  EXPECT_EQ(Text(w.Text1), WideUtf8("環境Ａ\r\n# 線の色\r\n   #字下げ\r\nPEN=1\r\n"));
  ASSERT_NO_FATAL_FAILURE(ClickPanel(w, 0));
  EXPECT_FALSE(w.ShowsAllLines());
  p = PanelOf(w.SBar1, 0);
  EXPECT_EQ(p.text, WideUtf8("変数"));
  EXPECT_TRUE(p.raised);
  EXPECT_EQ(Text(w.Text1), WideUtf8("環境Ａ\r\nPEN=1\r\n"));
  w.Unload();
}

// ===========================================================================
// The list's context menu.

TEST_F(VarnikSelectTest, ContextMenuOfABatchOffersRelatedFilesAndTheDebugRun) {
  Write(files, "en.bat", J(kEnBatch));
  Write(files, "en.doc", "document\r\n");
  Write(files, "en.txt", "text\r\n");
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const int row = RowOf(w.ListView1, L"en.bat");
  SelectRow(w.ListView1, row);
  ASSERT_EQ(w.SelectedFilePath(), "");

  NotifyFromList(w, NM_RCLICK, row);
  ASSERT_EQ(menus.size(), 1u);
  // The right button analysed the row before the menu opened.
  ExpectEnBatchAnalysed(w, files, true);
  const Menu& m = menus[0];
  SCOPED_TRACE(Captions(m));
  const MenuEntry* related = Find(m, "関連ファイル編集");
  ASSERT_NE(related, nullptr);
  EXPECT_EQ(related->submenu,
            (std::vector<std::wstring>{L"en.bat", L"EN.AWK", L"EN.DOC", L"EN.TXT"}));
  ASSERT_NE(Find(m, "ＡＬＬ"), nullptr);
  EXPECT_EQ(Find(m, "ＡＬＬ")->id, static_cast<UINT>(kCmdBatedit));
  ASSERT_NE(Find(m, "デバッグモードで実行"), nullptr);
  EXPECT_EQ(Find(m, "デバッグモードで実行")->id, static_cast<UINT>(kCmdDebRun));
  for (const char* always : {"名称の変更", "最新の情報に更新", "JWC_TEMP.TXTの書き出し"})
    EXPECT_NE(Find(m, always), nullptr) << always;
  for (const char* hidden : {"削除", "コメントを挿入(Ver UP用)", "コメントを挿入(部分有効)"})
    EXPECT_EQ(Find(m, hidden), nullptr) << hidden;
  // Nothing chosen: nothing ran.
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(fs::exists(jww / "_VNKtemp.bat"));
  w.Unload();
}

TEST_F(VarnikSelectTest, ContextMenuOfEnvironmentAndLayerFiles) {
  Write(files, "a.jwf", J("環境Ａ\r\nPEN=1\r\n"));
  Write(files, "layers.jwl", J("レイヤ１\r\nL0=1\r\n"));
  WriteIni(RunSettings());
  VarnikWindow w("/jwf " + ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(w.FilterIndex(), 1);
  SelectRow(w.ListView1, RowOf(w.ListView1, L"a.jwf"));
  NotifyFromList(w, NM_RCLICK, 0);
  ASSERT_EQ(menus.size(), 1u);
  {
    const Menu& m = menus[0];
    SCOPED_TRACE(Captions(m));
    for (const char* shown : {"ＪＷＦ編集", "コメントを挿入(Ver UP用)", "コメントを挿入(部分有効)",
                              "削除", "名称の変更", "最新の情報に更新", "JWC_TEMP.TXTの書き出し"})
      EXPECT_NE(Find(m, shown), nullptr) << shown;
    for (const char* hidden : {"関連ファイル編集", "デバッグモードで実行", "ＡＬＬ", "ＪＷＬ編集"})
      EXPECT_EQ(Find(m, hidden), nullptr) << hidden;
  }
  EXPECT_EQ(Text(w.Text1), WideUtf8("環境Ａ\r\nPEN=1\r\n"));

  Click(w, kIdCommand3, w.Command3);
  ASSERT_EQ(w.FilterIndex(), 2);
  SelectRow(w.ListView1, RowOf(w.ListView1, L"layers.jwl"));
  NotifyFromList(w, NM_RCLICK, 0);
  ASSERT_EQ(menus.size(), 2u);
  {
    const Menu& m = menus[1];
    SCOPED_TRACE(Captions(m));
    for (const char* shown :
         {"ＪＷＬ編集", "削除", "名称の変更", "最新の情報に更新", "JWC_TEMP.TXTの書き出し"})
      EXPECT_NE(Find(m, shown), nullptr) << shown;
    for (const char* hidden : {"関連ファイル編集", "デバッグモードで実行", "コメントを挿入(Ver UP用)",
                               "コメントを挿入(部分有効)", "ＡＬＬ", "ＪＷＦ編集"})
      EXPECT_EQ(Find(m, hidden), nullptr) << hidden;
  }
  w.Unload();
}

TEST_F(VarnikSelectTest, ContextMenuRefreshShowsAFileAddedMeanwhile) {
  Write(files, "en.bat", J(kEnBatch));
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(Column(w.ListView1, 1), (std::vector<std::wstring>{L"en.bat"}));
  Write(files, "new.bat", Batch("新しい"));
  SelectRow(w.ListView1, 0);
  menu_choice = kCmdMSaisin;
  NotifyFromList(w, NM_RCLICK, 0);
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(Rows(w.ListView1), (RowSet{{WideUtf8(" 円を描く"), L"en.bat"},
                                       {WideUtf8(" 新しい"), L"new.bat"}}));
  w.Unload();
}

TEST_F(VarnikSelectTest, ButtonInAnEmptyListMovesTheFocusToTheTree) {
  Write(files, "readme.txt", "not a batch\r\n");
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(ListView_GetItemCount(w.ListView1), 0);
  for (UINT code : {static_cast<UINT>(NM_RCLICK), static_cast<UINT>(NM_CLICK)}) {
    SCOPED_TRACE(code == static_cast<UINT>(NM_RCLICK) ? "right" : "left");
    SetFocus(w.ListView1);
    ASSERT_EQ(GetFocus(), w.ListView1);
    NotifyFromList(w, code, -1);
    EXPECT_EQ(GetFocus(), w.TreeView1);
  }
  EXPECT_TRUE(menus.empty()) << "no menu opens over an empty list";
  EXPECT_EQ(w.SelectedFilePath(), "");
  w.Unload();
}

// ===========================================================================
// The window's key-down handler.

TEST_F(VarnikSelectTest, KeyDownHandlerTogglesTheMoveAndMovesTheFocus) {
  Write(files, "en.bat", J(kEnBatch));
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  SetFocus(w.ListView1);
  ASSERT_TRUE(w.key_preview());
  ASSERT_FALSE(Checked(w.chk_smenu));

  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, 'C'));
  EXPECT_TRUE(Checked(w.chk_smenu));
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, 'C'));
  EXPECT_FALSE(Checked(w.chk_smenu));

  // Left: the folder tree; Right: the file list.
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_LEFT));
  EXPECT_EQ(GetFocus(), w.TreeView1);
  ASSERT_NO_FATAL_FAILURE(Press(w, w.TreeView1, VK_RIGHT));
  EXPECT_EQ(GetFocus(), w.ListView1);
  // The key goes down in the tree too.
  ASSERT_NO_FATAL_FAILURE(Press(w, w.TreeView1, 'C'));
  EXPECT_TRUE(Checked(w.chk_smenu));
  EXPECT_TRUE(messages.empty());
  w.Unload();
}

// ===========================================================================
// Running a batch.

class VarnikRunTest : public SelectRunFixture {};

const char kNormalHeader[] = "@REM   【Zelvanto テンポラリバッチ】通常モード";
const char kDebugHeader[] = "@REM   【Zelvanto テンポラリバッチ】デバッグモード";

TEST_F(VarnikRunTest, EnterWithoutJwCadWritesTheWrapperOnceAndAsksToStartJwCad) {
  ASSERT_EQ(FindJwCadWindow(), nullptr) << "a window titled jw_win is open on this desktop";
  Write(files, "en.bat", J(kEnBatch));
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"en.bat")));
  ASSERT_EQ(w.SelectedFilePath(), ProgramPath(files) + "\\en.bat");

  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u) << "one Enter runs the batch once";
  EXPECT_EQ(told[0].text, WideUtf8("jwwを起動してください"));
  EXPECT_EQ(Icon(told[0]), static_cast<UINT>(MB_ICONWARNING));

  std::vector<std::string> lines = WrapperLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], J(kNormalHeader));
  EXPECT_EQ(lines[1], "@echo off");
  for (const char* own : {"REM 円を描く", "REM #jw", "rem 半径を入力", "jgawk -f %AWKPATH%en.awk"})
    EXPECT_TRUE(Contains(lines, J(own))) << own;
  // Jw_cad did not run it: the window stays as it is.
  EXPECT_TRUE(w.alive());
  EXPECT_TRUE(Visible(w.hwnd()));
  EXPECT_FALSE(IsIconic(w.hwnd()));
  w.Unload();
}

TEST_F(VarnikRunTest, DebugEntryWritesTheDebugWrapper) {
  ASSERT_EQ(FindJwCadWindow(), nullptr) << "a window titled jw_win is open on this desktop";
  Write(files, "en.bat", J(kEnBatch));
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"en.bat")));

  Command(w, kCmdDebRun);
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].text, WideUtf8("jwwを起動してください"));
  std::vector<std::string> lines = WrapperLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], J(kDebugHeader));
  EXPECT_EQ(lines[1], "echo on");
  // The last line, then the one more line end the write adds.
  const std::string bytes = ReadBytes(jww / "_VNKtemp.bat");
  EXPECT_EQ(bytes.substr(bytes.size() - 9), "pause\r\n\r\n");
  EXPECT_TRUE(Contains(lines, J("rem 半径を入力")));

  // The debug request ends with its run: Enter writes the normal wrapper.
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
  told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  lines = WrapperLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], J(kNormalHeader));
  EXPECT_TRUE(Visible(w.hwnd()));
  w.Unload();
}

TEST_F(VarnikRunTest, BatchDeletedAfterSelectionIsReportedAndTheWrapperKept) {
  Write(files, "en.bat", J(kEnBatch));
  WriteIni(RunSettings());
  // A wrapper from an earlier run, an hour old.
  const fs::path wrapper = jww / "_VNKtemp.bat";
  WriteBytes(wrapper, "@REM earlier run\r\n");
  fs::last_write_time(wrapper, fs::last_write_time(wrapper) - std::chrono::hours(1));
  const auto time_before = fs::last_write_time(wrapper);

  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"en.bat")));
  ASSERT_EQ(w.SelectedFilePath(), ProgramPath(files) + "\\en.bat");
  fs::remove(files / "en.bat");

  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_TRUE(TextHas(told[0], " のバッチファイルが無いか、指定が間違ってます"))
      << Narrow(told[0].text);
  EXPECT_NE(told[0].text.find(Wide(w.SelectedFilePath())), std::wstring::npos)
      << "the message names the batch";
  EXPECT_EQ(ReadBytes(wrapper), "@REM earlier run\r\n");
  EXPECT_EQ(fs::last_write_time(wrapper), time_before);
  EXPECT_TRUE(Visible(w.hwnd()));
  w.Unload();
}

TEST_F(VarnikRunTest, EnterWithJwCadSendsTheRunKeysRecordsTheHistoryAndHides) {
  ASSERT_EQ(FindJwCadWindow(), nullptr) << "a window titled jw_win is open on this desktop";
  FakeJwCad jw;
  ASSERT_NE(jw.hwnd(), nullptr);
  ASSERT_TRUE(WaitFor([&] { return Visible(jw.hwnd()); }));
  ASSERT_EQ(FindJwCadWindow(), jw.hwnd());

  Write(files, "en.bat", J(kEnBatch));
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const int row = RowOf(w.ListView1, L"en.bat");
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, row));
  const std::wstring title = Column(w.ListView1, 0)[row];
  ASSERT_EQ(title, WideUtf8(" 円を描く"));

  // The run pumps messages itself while Jw_cad comes to the front, so the
  // end of the run is waited for by what it leaves, not by a mark.
  PostKey(w.ListView1, VK_RETURN, false);
  PostKey(w.ListView1, VK_RETURN, true);
  ASSERT_TRUE(PumpUntil(w, [&] { return !Visible(w.hwnd()); }))
      << "boot mode 1 hides the window after a run";
  EXPECT_TRUE(w.alive());
  EXPECT_TRUE(messages.empty());

  // Jw_cad got Ctrl+Shift+Z, Ctrl and Shift held while Z went down.
  EXPECT_TRUE(PumpUntil(w, [&] { return jw.SawKeyUp(VK_CONTROL); }, 10s))
      << KeysText(jw.keys());
  EXPECT_TRUE(jw.SawCtrlShiftZ()) << KeysText(jw.keys());
  // Ctrl, Shift and Z down, then up in reverse order, nothing else.
  EXPECT_EQ(KeysText(jw.keys()),
            "down 17 ctrl; down 16 ctrl shift; down 90 ctrl shift; up 90 ctrl shift; "
            "up 16 ctrl; up 17; ");

  // The run is history entry 1, its wrapper the history batch 1.
  std::vector<std::string> history = SplitLines(ReadBytes(prog / "Taskmnu.ini"));
  ASSERT_GE(history.size(), 4u);
  EXPECT_EQ(history[0], "TempbakbatNp=1");
  EXPECT_EQ(history[2], Narrow(title));
  EXPECT_EQ(history[3], ProgramPath(files) + "\\en.bat");
  const std::string wrapper = ReadBytes(jww / "_VNKtemp.bat");
  ASSERT_FALSE(wrapper.empty());
  EXPECT_EQ(SplitLines(wrapper)[0], J(kNormalHeader));
  EXPECT_EQ(ReadBytes(prog / "TTemp1.bat"), wrapper);
  w.Unload();
}

// ===========================================================================
// Putting environment and layer files into effect.

class VarnikActivationTest : public SelectRunFixture {};

const char kJwfBytes[] = "環境Ａ\r\n# 線の色\r\nPEN=1\r\n";
const char kJwlBytes[] = "レイヤ１\r\nL0=1\r\n";

TEST_F(VarnikActivationTest, CancelCopiesNothingAndLeavesTheWindowAsItWas) {
  Write(files, "a.jwf", J(kJwfBytes));
  WriteIni(RunSettings());
  VarnikWindow w("/jwf " + ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(w.FilterIndex(), 1);
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"a.jwf")));
  const std::string selected = w.SelectedFilePath();
  ASSERT_EQ(selected, Narrow(ShortUpper(files)) + "\\a.jwf");
  const std::wstring shown = Text(w.Text1);

  answers = {IDCANCEL};
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  const std::string W = ProgramPath(jww) + "\\JW_WIN.JWF";
  EXPECT_EQ(told[0].caption, WideUtf8("JWWを起動しますか？"));
  EXPECT_EQ(told[0].flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONINFORMATION));
  EXPECT_EQ(told[0].text,
            WideUtf8("[はい]の場合、この環境設定ファイルを ") + Wide(W) +
                WideUtf8(" と名称変更してコピーし、JW_WIN を起動します。\r\n"
                         "現在のJW_WIN.JWFはJW_WIN$.JWFにバックアップします。\r\n"
                         "そしてJW_WIN 起動後にバックアップしたJW_WIN$.JWFをまたJW_WIN.JWFにもどします。\r\n"
                         "\r\n"
                         "[いいえ]の場合、現在起動中のJWWに、選択したJWFを読み込ませます。"));
  EXPECT_TRUE(fs::is_empty(jww)) << "nothing is copied into the Jw_cad folder";
  EXPECT_TRUE(Visible(w.hwnd()));
  EXPECT_FALSE(IsIconic(w.hwnd()));
  EXPECT_EQ(w.SelectedFilePath(), selected);
  EXPECT_EQ(Text(w.Text1), shown);
  EXPECT_EQ(ListView_GetItemCount(w.ListView1), 1);
  w.Unload();
}

TEST_F(VarnikActivationTest, NoCopiesTheFileToTempJwfAndAsksToStartJwCad) {
  ASSERT_EQ(FindJwCadWindow(), nullptr) << "a window titled jw_win is open on this desktop";
  Write(files, "a.jwf", J(kJwfBytes));
  WriteIni(RunSettings());
  VarnikWindow w("/jwf " + ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"a.jwf")));

  answers = {IDNO};
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[0].caption, WideUtf8("JWWを起動しますか？"));
  EXPECT_EQ(told[1].text, WideUtf8("jwwを起動してください"));
  EXPECT_EQ(Icon(told[1]), static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(ReadBytes(jww / "temp.JWF"), J(kJwfBytes));
  EXPECT_FALSE(fs::exists(jww / "JW_WIN.JWF"));
  EXPECT_FALSE(fs::exists(jww / "JW_WIN$.JWF"));
  w.Unload();
}

TEST_F(VarnikActivationTest, LayerFileIsCopiedToTmpJwlAndAsksToStartJwCad) {
  ASSERT_EQ(FindJwCadWindow(), nullptr) << "a window titled jw_win is open on this desktop";
  Write(files, "a.jwf", J(kJwfBytes));
  Write(files, "layers.jwl", J(kJwlBytes));
  WriteIni(RunSettings());
  VarnikWindow w("/jwf " + ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  Click(w, kIdCommand3, w.Command3);
  ASSERT_EQ(w.FilterIndex(), 2);
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"layers.jwl")));

  // No question is asked for a layer file.
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].text, WideUtf8("jwwを起動してください"));
  EXPECT_EQ(ReadBytes(jww / "tmp.jwl"), J(kJwlBytes));
  w.Unload();
}

TEST_F(VarnikActivationTest, MissingJwCadFolderIsReportedAndNothingElseHappens) {
  Write(files, "a.jwf", J(kJwfBytes));
  Write(files, "layers.jwl", J(kJwlBytes));
  Settings s = RunSettings();
  const fs::path missing = dir.path() / "nojww";
  s.jwwfolder = ProgramPath(missing);
  WriteIni(s);
  VarnikWindow w("/jwf " + ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"a.jwf")));

  // Environment file, read by the running Jw_cad, and as its start-up
  // environment: the copy fails and the user is told, nothing more.
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDNO ? "no" : "yes");
    answers = {answer};
    ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
    std::vector<MessageRequest> told = TakeMessages();
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].caption, WideUtf8("JWWを起動しますか？"));
    EXPECT_TRUE(TextHas(told[1], "コピーできませんでした")) << Narrow(told[1].text);
    EXPECT_TRUE(Visible(w.hwnd()));
    EXPECT_FALSE(fs::exists(missing));
  }

  Click(w, kIdCommand3, w.Command3);
  ASSERT_EQ(w.FilterIndex(), 2);
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"layers.jwl")));
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_TRUE(TextHas(told[0], "コピーできませんでした")) << Narrow(told[0].text);
  EXPECT_TRUE(Visible(w.hwnd()));
  EXPECT_FALSE(fs::exists(missing));
  w.Unload();
}

}  // namespace
}  // namespace zel
