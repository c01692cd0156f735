// Runs do what the user picked and never lose Jw_cad's files: the file run
// is the highlighted one, keys reach Jw_cad only, a second request during a
// run's waits is ignored, and Jw_cad's own environment files can themselves
// be chosen. The real main window in this process, with the stand-in Jw_cad
// where a real program must start.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ui_service.h"
#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/text.h"
#include "platform/jwcad.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"
#include "tests/win/select_run_fixture.h"

namespace zel {
namespace {

using namespace test;

std::string RunBatchText(const std::string& name) {
  return "REM " + name + " *\r\nREM #jw\r\necho run " + name + " %0\r\n";
}

// The stand-in Jw_cad's log in the Jw_cad folder.
std::string StandinLog(const fs::path& jww) { return ReadBytes(jww / "standin.log"); }

// Closes every Jw_cad window on the desktop (a stand-in the window started)
// and waits until none is left, so later tests find none.
void CloseJwCad() {
  for (int i = 0; i < 5; ++i) {
    HWND jw = FindJwCadWindow();
    if (!jw) return;
    PostMessageW(jw, WM_CLOSE, 0, 0);
    WaitFor([jw] { return !IsWindow(jw); }, 20s);
  }
}

class VarnikRunSafetyTest : public SelectRunFixture {
 protected:
  void SetUp() override {
    SelectRunFixture::SetUp();
    ASSERT_EQ(FindJwCadWindow(), nullptr) << "a window titled jw_win is open on this desktop";
  }
  void TearDown() override {
    CloseJwCad();
    SelectRunFixture::TearDown();
  }
  // The stand-in Jw_cad as "JW_WIN.EXE" of the Jw_cad folder.
  void InstallStandin() const {
    fs::copy_file(WinePath(ZEL_STANDIN_EXE), jww / "JW_WIN.EXE");
  }
  // Posts a double click on a row, as the mouse would.
  void PostDoubleClick(const VarnikWindow& w, int row) const {
    RECT r{};
    ListView_GetItemRect(w.ListView1, row, &r, LVIR_LABEL);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(w.ListView1, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(w.ListView1, WM_LBUTTONUP, 0, at);
    PostMessageW(w.ListView1, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(w.ListView1, WM_LBUTTONUP, 0, at);
  }
};

TEST_F(VarnikRunSafetyTest, EnterRunsTheHighlightedRowAndNothingWithoutOne) {
  for (const char* name : {"a.bat", "b.bat", "c.bat"}) Write(files, name, RunBatchText(name));
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(ListView_GetItemCount(w.ListView1), 3);
  const std::vector<std::wstring> names = Column(w.ListView1, 1);

  // The first row is analysed; End moves the highlight to the last one
  // without analysing it; Enter runs the last one, lines, path and all.
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, 0));
  ASSERT_EQ(w.SelectedFilePath(), ProgramPath(files) + "\\" + Narrow(names[0]));
  SetFocus(w.ListView1);
  PostKey(w.ListView1, VK_END, false);
  PostKey(w.ListView1, VK_END, true);
  ASSERT_TRUE(Settle(w));
  ASSERT_EQ(SelectedRow(w.ListView1), 2);
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].text, WideUtf8("jwwを起動してください"));
  const std::string last = Narrow(names[2]);
  const std::vector<std::string> lines = WrapperLines();
  EXPECT_TRUE(Contains(lines, "echo run " + last + " " + ProgramPath(files) + "\\" + last))
      << ReadBytes(jww / "_VNKtemp.bat");
  EXPECT_FALSE(Contains(lines, "REM " + Narrow(names[0]) + " *"));
  EXPECT_EQ(w.SelectedFilePath(), ProgramPath(files) + "\\" + last);

  // The environment filter over a folder without such files: no row, so
  // nothing runs, whatever was selected among the batches.
  Click(w, kIdCommand3, w.Command3);
  ASSERT_EQ(w.FilterIndex(), 1);
  ASSERT_EQ(ListView_GetItemCount(w.ListView1), 0);
  EXPECT_EQ(w.SelectedFilePath(), "") << "a refill forgets the selection";
  answers = {IDNO};
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
  Command(w, kCmdNmuTmpOut);
  EXPECT_TRUE(TakeMessages().empty()) << "no question for a file that is not there";
  EXPECT_FALSE(fs::exists(jww / "temp.JWF"));
  w.Unload();
}

TEST_F(VarnikRunSafetyTest, NoKeysAreSentWhenJwCadDoesNotComeToTheFront) {
  FakeJwCad jw;
  FakeJwCad editor(L"editor");
  ASSERT_NE(jw.hwnd(), nullptr);
  ASSERT_NE(editor.hwnd(), nullptr);
  jw.PassForegroundTo(editor.hwnd());
  Write(files, "a.bat", RunBatchText("a.bat"));
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, 0));

  // The run pumps while it waits for Jw_cad, so its end is waited for by
  // what it leaves.
  PostEnter(w);
  ASSERT_TRUE(PumpUntil(w, [&] { return !messages.empty(); }));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_TRUE(TextHas(told[0], "Jw_cadを前面に出せなかったため、実行しませんでした。"))
      << Narrow(told[0].text);
  EXPECT_EQ(Icon(told[0]), static_cast<UINT>(MB_ICONWARNING));
  ASSERT_TRUE(Settle(w));
  EXPECT_TRUE(editor.keys().empty()) << KeysText(editor.keys());
  EXPECT_FALSE(jw.SawCtrlShiftZ()) << KeysText(jw.keys());
  // Not run: not recorded, and the window stays for another try.
  EXPECT_FALSE(fs::exists(prog / "Taskmnu.ini"));
  EXPECT_FALSE(fs::exists(prog / "TTemp1.bat"));
  EXPECT_TRUE(Visible(w.hwnd()));
  w.Unload();
}

TEST_F(VarnikRunSafetyTest, ASecondRunDuringTheRestartIsIgnored) {
  InstallStandin();
  WriteBytes(jww / "JW_WIN.JWF", "ORIGINAL\r\n");
  Write(files, "new.jwf", "NEW\r\n");
  WriteIni(RunSettings());
  VarnikWindow w("/jwf " + ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(ListView_GetItemCount(w.ListView1), 1);
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, 0));

  // Each question is answered Yes; while the first one is answered, the
  // user double-clicks the row again, which reaches the window while it
  // waits for the new Jw_cad.
  int questions = 0;
  SetMessageAnswerer([&](const MessageRequest& r) {
    if (r.caption != WideUtf8("JWWを起動しますか？")) {
      messages.push_back(r);
      return IDOK;
    }
    if (++questions == 1) PostDoubleClick(w, 0);
    return IDYES;
  });
  PostDoubleClick(w, 0);
  ASSERT_TRUE(PumpUntil(w, [&] { return !Visible(w.hwnd()); }, 60s))
      << "boot mode 1 hides the window after the restart";
  ASSERT_TRUE(Settle(w));
  EXPECT_EQ(questions, 1) << "the second request must be ignored, not queued";
  EXPECT_NE(StandinLog(jww).find("startup-jwf NEW"), std::string::npos) << StandinLog(jww);
  EXPECT_EQ(ReadBytes(jww / "JW_WIN.JWF"), "ORIGINAL\r\n");
  EXPECT_EQ(ReadBytes(jww / "JW_WIN$.JWF"), "ORIGINAL\r\n");
  w.Unload();
}

TEST_F(VarnikRunSafetyTest, JwCadsOwnFilesCanBeChosenAndLoseNothing) {
  InstallStandin();
  WriteBytes(jww / "JW_WIN.JWF", "USUAL\r\n");
  WriteBytes(jww / "JW_WIN$.JWF", "BACKUP\r\n");
  WriteBytes(jww / "temp.JWF", "TEMPENV\r\n");
  WriteBytes(jww / "tmp.jwl", "TEMPLAYERS\r\n");
  WriteIni(RunSettings());
  // The Jw_cad folder itself is listed, in short upper-case form.
  VarnikWindow w("/jwf " + ProgramPath(jww), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(ListView_GetItemCount(w.ListView1), 3);

  // Starting Jw_cad with a file of its folder: it starts with that file,
  // and afterwards both start-up files hold what they held before.
  auto restart_with = [&](const wchar_t* name, const char* expected_start) {
    SCOPED_TRACE(Narrow(name));
    ShowWindow(w.hwnd(), SW_SHOW);
    const int row = RowOf(w.ListView1, name);
    ASSERT_GE(row, 0);
    ASSERT_NO_FATAL_FAILURE(ClickRow(w, row));
    answers = {IDYES};
    PostEnter(w);
    ASSERT_TRUE(PumpUntil(w, [&] { return !Visible(w.hwnd()); }, 60s));
    std::vector<MessageRequest> told = TakeMessages();
    ASSERT_EQ(told.size(), 1u) << Narrow(told.back().text);
    EXPECT_NE(StandinLog(jww).find(std::string("startup-jwf ") + expected_start),
              std::string::npos)
        << StandinLog(jww);
    CloseJwCad();
    fs::remove(jww / "standin.log");
  };
  ASSERT_NO_FATAL_FAILURE(restart_with(L"JW_WIN$.JWF", "BACKUP"));
  EXPECT_EQ(ReadBytes(jww / "JW_WIN.JWF"), "USUAL\r\n");
  EXPECT_EQ(ReadBytes(jww / "JW_WIN$.JWF"), "BACKUP\r\n");
  ASSERT_NO_FATAL_FAILURE(restart_with(L"JW_WIN.JWF", "USUAL"));
  EXPECT_EQ(ReadBytes(jww / "JW_WIN.JWF"), "USUAL\r\n");
  EXPECT_EQ(ReadBytes(jww / "JW_WIN$.JWF"), "USUAL\r\n");

  // The copies a running Jw_cad reads, chosen themselves: read as they are.
  Process standin((jww / "JW_WIN.EXE").wstring(), L"", jww.wstring());
  ASSERT_NE(WaitForWindow(standin.pid(), L"jw_win"), nullptr);
  ShowWindow(w.hwnd(), SW_SHOW);
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"temp.JWF")));
  answers = {IDNO};
  PostEnter(w);
  ASSERT_TRUE(PumpUntil(w, [&] { return StandinLog(jww).find("open ") != std::string::npos; },
                        60s))
      << StandinLog(jww);
  EXPECT_NE(StandinLog(jww).find("TEMPENV"), std::string::npos) << StandinLog(jww);
  EXPECT_EQ(ReadBytes(jww / "temp.JWF"), "TEMPENV\r\n");
  ASSERT_TRUE(PumpUntil(w, [&] { return !Visible(w.hwnd()); }));

  ShowWindow(w.hwnd(), SW_SHOW);
  Click(w, kIdCommand3, w.Command3);
  ASSERT_EQ(w.FilterIndex(), 2);
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"tmp.jwl")));
  PostEnter(w);
  ASSERT_TRUE(PumpUntil(w, [&] { return StandinLog(jww).find("TEMPLAYERS") != std::string::npos; },
                        60s))
      << StandinLog(jww);
  EXPECT_EQ(ReadBytes(jww / "tmp.jwl"), "TEMPLAYERS\r\n");
  ASSERT_TRUE(PumpUntil(w, [&] { return !Visible(w.hwnd()); }));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u) << "only the question for temp.JWF";
  w.Unload();
}

// Jw_cad takes the read-in command but its dialog never opens: once the
// bounded wait gives up, nothing has been read, so the window stays for
// another try instead of hiding as after a run.
TEST_F(VarnikRunSafetyTest, ADialogThatNeverOpensLeavesTheWindowAsItIs) {
  InstallStandin();
  Write(files, "layers.jwl", "LAYERS\r\n");
  WriteIni(RunSettings());
  Process standin((jww / "JW_WIN.EXE").wstring(), L"/late=60000", jww.wstring());
  ASSERT_NE(WaitForWindow(standin.pid(), L"jw_win"), nullptr);
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  Click(w, kIdCommand3, w.Command3);
  Click(w, kIdCommand3, w.Command3);
  ASSERT_EQ(w.FilterIndex(), 2);
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"layers.jwl")));
  PostEnter(w);
  // The drive waits for the dialog, pumping, then gives up.
  ASSERT_TRUE(PumpUntil(w, [&] { return StandinLog(jww).find("dialog-delayed") != std::string::npos; },
                        30s))
      << StandinLog(jww);
  ASSERT_TRUE(PumpUntil(w, [&] { return !w.busy(); }, 60s));
  EXPECT_TRUE(Visible(w.hwnd()));
  EXPECT_EQ(ReadBytes(jww / "tmp.jwl"), "LAYERS\r\n");
  EXPECT_EQ(StandinLog(jww).find("open "), std::string::npos) << StandinLog(jww);
  EXPECT_TRUE(TakeMessages().empty());
  w.Unload();
}

}  // namespace
}  // namespace zel
