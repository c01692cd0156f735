// The comment view shows the selected file only: a file that cannot be
// shown says why in one line instead of leaving the previous file's text,
// the engine found before an analysis stopped stays for the run, and very
// long lines or files are shown cut while the run still takes them whole.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/analysis.h"
#include "core/linereader.h"
#include "core/text.h"
#include "platform/jwcad.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/win/select_run_fixture.h"

namespace zel {
namespace {

using namespace test;

// The whole text of a control, however long.
std::wstring FullText(HWND h) {
  const int length = GetWindowTextLengthW(h);
  std::wstring all(static_cast<std::size_t>(length) + 1, L'\0');
  all.resize(static_cast<std::size_t>(GetWindowTextW(h, all.data(), length + 1)));
  return all;
}

class VarnikCommentViewTest : public SelectRunFixture {
 protected:
  void SetUp() override {
    SelectRunFixture::SetUp();
    ASSERT_EQ(FindJwCadWindow(), nullptr) << "a window titled jw_win is open on this desktop";
  }
  // Enter on the highlighted row without Jw_cad: the wrapper is written and
  // the user is asked to start Jw_cad.
  void RunWithoutJwCad(VarnikWindow& w) {
    ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
    std::vector<MessageRequest> told = TakeMessages();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].text, WideUtf8("jwwを起動してください"));
  }
};

TEST_F(VarnikCommentViewTest, AFileThatCannotBeShownSaysWhyAndKeepsItsEngine) {
  Write(files, "a_plain.bat", J("REM 普通の外変\r\nREM #jw\r\nrem 説明の行\r\n"));
  // An awk engine line, then a line of 40 words: the analysis stops there.
  std::string words;
  for (int i = 0; i < 40; ++i) words += " w" + std::to_string(i);
  Write(files, "b_words.bat", "REM words\r\nREM #jw\r\ngawk -f x.awk\r\necho" + words + "\r\n");
  // More lines than the view can count.
  std::string lines = "REM lines\r\nREM #jw\r\n";
  for (int i = 0; i < 33000; ++i) lines += "rem line\r\n";
  Write(files, "c_lines.bat", lines);
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(ListView_GetItemCount(w.ListView1), 3);

  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"a_plain.bat")));
  ASSERT_EQ(Text(w.Text1), WideUtf8("REM 普通の外変\r\nrem 説明の行\r\n"));

  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"b_words.bat")));
  EXPECT_EQ(Text(w.Text1), WideUtf8("（31語を超える行があるため、内容を表示できません）"));
  EXPECT_EQ(w.EngineLabel(), "GAWK");
  EXPECT_EQ(Text(w.txtengin), L"GAWK");
  // The run still sets up the awk search path for the engine found.
  ASSERT_NO_FATAL_FAILURE(RunWithoutJwCad(w));
  const std::vector<std::string> wrapper = WrapperLines();
  EXPECT_TRUE(Contains(wrapper, "SET AWKPATH=" + ProgramPath(files) + ";" + ProgramPath(jww) +
                                    ";%AWKPATH%"))
      << ReadBytes(jww / "_VNKtemp.bat");
  EXPECT_TRUE(Contains(wrapper, "echo" + words));

  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"c_lines.bat")));
  EXPECT_EQ(Text(w.Text1), WideUtf8("（32,767行を超えるため、内容を表示できません）"));
  EXPECT_EQ(Text(w.txtengin), L"?");

  // A file removed after it was listed.
  fs::remove(files / "a_plain.bat");
  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"a_plain.bat")));
  EXPECT_EQ(Text(w.Text1), WideUtf8("（このファイルを読めないため、内容を表示できません）"));
  w.Unload();
}

TEST_F(VarnikCommentViewTest, LongLinesAreShownCutAndRunWhole) {
  // A comment line of 2 MB: the view shows its start, the run all of it.
  const std::string long_line = "rem " + std::string(2 << 20, 'x');
  Write(files, "long.bat", "REM long\r\nREM #jw\r\n" + long_line + "\r\necho done\r\n");
  // Many ordinary comment lines, 400 KB in all: the view ends at its bound.
  std::string many = "REM many\r\nREM #jw\r\n";
  for (int i = 0; i < 4000; ++i) many += "rem " + std::string(96, 'y') + "\r\n";
  Write(files, "many.bat", many);
  WriteIni(RunSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));

  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"long.bat")));
  const std::wstring shown = FullText(w.Text1);
  EXPECT_EQ(shown, L"REM long\r\nrem " + std::wstring(4092, L'x') + WideUtf8("…（省略）") + L"\r\n");
  ASSERT_NO_FATAL_FAILURE(RunWithoutJwCad(w));
  EXPECT_TRUE(Contains(WrapperLines(), long_line)) << "the run takes the line whole";

  ASSERT_NO_FATAL_FAILURE(ClickRow(w, RowOf(w.ListView1, L"many.bat")));
  const std::wstring all = FullText(w.Text1);
  EXPECT_LE(all.size(), kMaxViewBytes);
  EXPECT_GT(all.size(), kMaxViewBytes - 200);
  EXPECT_EQ(all.substr(all.size() - 9), WideUtf8("…（以下省略）") + L"\r\n");
  w.Unload();
}

}  // namespace
}  // namespace zel
