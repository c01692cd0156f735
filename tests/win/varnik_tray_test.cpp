// The tray window's history menu in the real main window hosted in this
// process: an entry runs again from its history batch and keeps its place,
// a missing batch is reported and nothing is sent, "表示" brings the window
// back, "常駐終了" ends it, and nothing runs while another run is under way.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/text.h"
#include "platform/jwcad.h"
#include "platform/ui_service.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"
#include "tests/win/select_run_fixture.h"
#include "tray/history_menu.h"
#include "tray/tray_window.h"

namespace zel {
namespace {

using namespace test;


// A history of three entries with their batches.
const char kHistory[] =
    "TempbakbatNp=1\r\nTempbakbatN=10\r\n 一番\r\nC:\\a\\one.bat\r\n 二番\r\nC:\\a\\two.bat\r\n"
    " 三番\r\nC:\\a\\three.bat\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";

class VarnikTrayTest : public SelectRunFixture {
 protected:
  void SetUp() override {
    SelectRunFixture::SetUp();
    ASSERT_EQ(FindJwCadWindow(), nullptr) << "a window titled jw_win is open on this desktop";
    WriteBytes(prog / "Taskmnu.ini", J(kHistory));
    for (int n = 1; n <= 3; ++n)
      WriteBytes(prog / ("TTemp" + std::to_string(n) + ".bat"),
                 "@echo entry " + std::to_string(n) + "\r\n");
    WriteIni(RunSettings());
  }
  // A left click on the icon as the notification area reports it; the
  // chooser answers the menu.
  void ClickIcon(VarnikWindow& w, UINT choice) {
    menu_choice = choice;
    SendMessageW(w.frmtask()->hwnd(), WM_APP + 1, 0, WM_LBUTTONUP);
  }
};

TEST_F(VarnikTrayTest, AnEntryRunsAgainFromItsBatchAndKeepsItsPlace) {
  FakeJwCad jw;
  ASSERT_NE(jw.hwnd(), nullptr);
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_NE(w.frmtask(), nullptr);
  EXPECT_FALSE(Visible(w.frmtask()->hwnd()));

  // The menu opens reloaded from the file: a history another program saved
  // after the start shows up.
  const std::string later = J(kHistory).replace(J(kHistory).find(J(" 三番")), J(" 三番").size(),
                                                J(" 三番目"));
  WriteBytes(prog / "Taskmnu.ini", later);
  ClickIcon(w, kCmdHistoryFirst + 3);  // entry 3
  ASSERT_EQ(menus.size(), 1u);
  ASSERT_GE(menus[0].size(), 7u);
  EXPECT_EQ(menus[0][0].caption, WideUtf8("キャンセル"));
  EXPECT_EQ(menus[0][1].caption, WideUtf8("表示"));
  EXPECT_EQ(menus[0][5].caption, WideUtf8(" 三番目"));
  EXPECT_EQ(menus[0].back().caption, WideUtf8("常駐終了"));

  EXPECT_EQ(ReadBytes(jww / "_VNKtemp.bat"), "@echo entry 3\r\n");
  EXPECT_TRUE(PumpUntil(w, [&] { return jw.SawKeyUp(VK_CONTROL); }, 10s)) << KeysText(jw.keys());
  EXPECT_TRUE(jw.SawCtrlShiftZ()) << KeysText(jw.keys());
  const std::vector<std::string> lines = SplitLines(ReadBytes(prog / "Taskmnu.ini"));
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[0], "TempbakbatNp=3");
  EXPECT_EQ(lines[2], J(" 一番"));
  EXPECT_EQ(lines[6], J(" 三番目"));
  EXPECT_EQ(w.frmtask()->history().Np, 3);
  EXPECT_TRUE(messages.empty());

  // The right button, a double click and movement open nothing.
  for (LPARAM ignored : {WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE})
    SendMessageW(w.frmtask()->hwnd(), WM_APP + 1, 0, ignored);
  EXPECT_EQ(menus.size(), 1u);
  w.Unload();
}

TEST_F(VarnikTrayTest, AMissingBatchIsReportedAndNothingIsSent) {
  FakeJwCad jw;
  WriteBytes(jww / "_VNKtemp.bat", "@echo the last run\r\n");
  DeleteFileW((prog / "TTemp2.bat").wstring().c_str());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ClickIcon(w, kCmdHistoryFirst + 2);
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_TRUE(TextHas(told[0], "この履歴のバッチファイルがないため、実行できません。"))
      << Narrow(told[0].text);
  EXPECT_EQ(ReadBytes(jww / "_VNKtemp.bat"), "@echo the last run\r\n");
  EXPECT_TRUE(jw.keys().empty()) << KeysText(jw.keys());
  EXPECT_EQ(ReadBytes(prog / "Taskmnu.ini"), J(kHistory)) << "the check stays where it was";
  w.Unload();
}

TEST_F(VarnikTrayTest, WithoutJwCadTheUserIsToldAndTheProgramGoesOn) {
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ClickIcon(w, kCmdHistoryFirst + 1);
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].text, WideUtf8("jwwを起動してください"));
  EXPECT_TRUE(w.alive());
  EXPECT_EQ(ReadBytes(prog / "Taskmnu.ini"), J(kHistory));
  w.Unload();
}

TEST_F(VarnikTrayTest, ShowBringsTheWindowBackAndEndUnloadsIt) {
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ShowWindow(w.hwnd(), SW_MINIMIZE);
  ShowWindow(w.hwnd(), SW_HIDE);
  ClickIcon(w, kCmdHistoryShow);
  EXPECT_TRUE(Visible(w.hwnd()));
  EXPECT_FALSE(IsIconic(w.hwnd()));

  ClickIcon(w, kCmdHistoryCancel);
  EXPECT_TRUE(w.alive());
  ClickIcon(w, kCmdHistoryEnd);
  ASSERT_TRUE(PumpUntil(w, [&] { return !w.alive(); }));
  EXPECT_EQ(ReadBytes(prog / "Taskmnu.ini"), J(kHistory)) << "an unchanged history is not rewritten";
  EXPECT_EQ(SplitLines(ReadBytes(ini())).size(), 162u) << "the settings were saved";
}

TEST_F(VarnikTrayTest, NoEntryRunsWhileAnotherRunIsUnderWay) {
  FakeJwCad jw;
  Write(files, "a.bat", J("REM 外変\r\nREM #jw\r\necho a\r\n"));
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, 0));
  // While the batch run waits for Jw_cad to come forward, the user picks a
  // history entry from the tray menu.
  bool clicked = false;
  jw.on_activated = [&] {
    if (clicked || !w.busy()) return;
    clicked = true;
    PostMessageW(w.frmtask()->hwnd(), WM_APP + 1, 0, WM_LBUTTONUP);
  };
  PostEnter(w);
  ASSERT_TRUE(PumpUntil(w, [&] { return !Visible(w.hwnd()); }));
  ASSERT_TRUE(clicked);
  ASSERT_TRUE(Settle(w));
  EXPECT_EQ(menus.size(), 1u) << "the menu itself opens";
  // The batch ran; the history entry did not replace its wrapper.
  EXPECT_NE(ReadBytes(jww / "_VNKtemp.bat").find("echo a"), std::string::npos);
  EXPECT_EQ(w.frmtask()->history().Np, 1);
  w.Unload();
}

}  // namespace
}  // namespace zel
