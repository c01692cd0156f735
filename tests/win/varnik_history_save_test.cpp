// The run history stays in step with its batches: when "Taskmnu.ini" or a
// history batch cannot be written (another program holds it open), the
// history is left exactly as it was and the user is told once; the next run
// that can be saved is recorded as usual.
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
#include "platform/handles.h"
#include "platform/jwcad.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"
#include "tests/win/select_run_fixture.h"

namespace zel {
namespace {

using namespace test;

// Holds a file open as an editor or a virus scanner does: reading and
// writing shared, but not its removal or replacement.
UniqueFile HoldOpen(const fs::path& p) {
  return UniqueFile(CreateFileW(p.wstring().c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

class VarnikHistorySaveTest : public SelectRunFixture {
 protected:
  // Runs the only batch and waits for the run's end: the window hides in
  // boot mode 1 (a message box, if any, has been answered by then).
  void RunTheBatch(VarnikWindow& w) {
    ShowWindow(w.hwnd(), SW_SHOW);
    ASSERT_NO_FATAL_FAILURE(ClickRow(w, 0));
    PostEnter(w);
    ASSERT_TRUE(PumpUntil(w, [&] { return !Visible(w.hwnd()); }));
    ASSERT_TRUE(Settle(w));
  }

  std::string Batch(int n) const {
    const fs::path p = prog / ("TTemp" + std::to_string(n) + ".bat");
    return fs::exists(p) ? ReadBytes(p) : "(none)";
  }
};

TEST_F(VarnikHistorySaveTest, AHistoryThatCannotBeSavedStaysAsItWas) {
  ASSERT_EQ(FindJwCadWindow(), nullptr) << "a window titled jw_win is open on this desktop";
  FakeJwCad jw;
  ASSERT_NE(jw.hwnd(), nullptr);
  const std::string history = J(
      "TempbakbatNp=2\r\nTempbakbatN=10\r\n 古い一\r\nC:\\old\\one.bat\r\n 古い二\r\n"
      "C:\\old\\two.bat\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
  WriteBytes(prog / "Taskmnu.ini", history);
  WriteBytes(prog / "TTemp1.bat", "old one\r\n");
  WriteBytes(prog / "TTemp2.bat", "old two\r\n");
  Write(files, "new.bat", J("REM 新しい外変\r\nREM #jw\r\necho new\r\n"));
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));

  const auto expect_unchanged = [&] {
    EXPECT_EQ(ReadBytes(prog / "Taskmnu.ini"), history);
    EXPECT_EQ(Batch(1), "old one\r\n");
    EXPECT_EQ(Batch(2), "old two\r\n");
    for (int n = 3; n <= 10; ++n) EXPECT_EQ(Batch(n), "(none)") << n;
  };
  const auto expect_told_once = [&] {
    std::vector<MessageRequest> told = TakeMessages();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(TextHas(told[0], "実行の履歴を保存できませんでした。")) << Narrow(told[0].text);
    EXPECT_EQ(Icon(told[0]), static_cast<UINT>(MB_ICONWARNING));
  };

  {
    // The history file is held open: the new batches go back.
    UniqueFile held = HoldOpen(prog / "Taskmnu.ini");
    ASSERT_TRUE(held);
    ASSERT_NO_FATAL_FAILURE(RunTheBatch(w));
    EXPECT_TRUE(jw.SawCtrlShiftZ()) << "the run itself went ahead";
    expect_told_once();
  }
  expect_unchanged();
  {
    // A history batch the rotation must replace is held open: neither the
    // batches already moved nor the file change.
    UniqueFile held = HoldOpen(prog / "TTemp2.bat");
    ASSERT_TRUE(held);
    ASSERT_NO_FATAL_FAILURE(RunTheBatch(w));
    expect_told_once();
  }
  expect_unchanged();

  // Nothing held: the run becomes entry 1, the others move down with their
  // batches, and an entry without a batch stays without one.
  ASSERT_NO_FATAL_FAILURE(RunTheBatch(w));
  EXPECT_TRUE(messages.empty());
  const std::vector<std::string> lines = SplitLines(ReadBytes(prog / "Taskmnu.ini"));
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[0], "TempbakbatNp=1");
  EXPECT_EQ(lines[2], J(" 新しい外変"));
  EXPECT_EQ(lines[4], J(" 古い一"));
  EXPECT_EQ(lines[6], J(" 古い二"));
  EXPECT_EQ(Batch(1), ReadBytes(jww / "_VNKtemp.bat"));
  EXPECT_EQ(Batch(2), "old one\r\n");
  EXPECT_EQ(Batch(3), "old two\r\n");
  EXPECT_EQ(Batch(4), "(none)");
  w.Unload();
}

// The list shows what it can of a title; the history keeps the title
// itself: bytes code page 932 has no character for, a NUL, and more
// characters than a row's text is read with.
TEST_F(VarnikHistorySaveTest, TheHistoryKeepsTheRowsTitleByteForByte) {
  ASSERT_EQ(FindJwCadWindow(), nullptr) << "a window titled jw_win is open on this desktop";
  FakeJwCad jw;
  ASSERT_NE(jw.hwnd(), nullptr);
  const std::string title = J("題") + "\x80\xFD\x81\x7F" + std::string(1, '\0') + "x" +
                            std::string(3000, 'y') + J("表");
  Write(files, "odd.bat", "REM " + title + "\r\nREM #jw\r\necho odd\r\n");
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  for (int run = 0; run < 2; ++run) {
    ASSERT_NO_FATAL_FAILURE(RunTheBatch(w));
    EXPECT_TRUE(messages.empty());
    const std::vector<std::string> lines = SplitLines(ReadBytes(prog / "Taskmnu.ini"));
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_TRUE(lines[2] == " " + title) << Utf8FromCp932(lines[2].substr(0, 40));
    EXPECT_EQ(lines[3], ProgramPath(files) + "\\odd.bat");
    // A second run of the same row finds its entry by that title.
    EXPECT_EQ(lines[4], "");
  }
  w.Unload();
}

}  // namespace
}  // namespace zel
