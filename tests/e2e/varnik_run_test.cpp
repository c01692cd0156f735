// Selecting a batch with the keyboard and running it in the stand-in Jw_cad:
// the wrapper batch, the key stroke, and the exchange file carried back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>

#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"
#include "tests/e2e/e2e_rig.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

// The rig with a batch folder named in Japanese and the transformation:
// it keeps a copy of its input and replaces the exchange file with its
// result, using cmd's own commands only.
struct RunRig : VarnikRig {
  RunRig() : VarnikRig(J("外変")) {
    WriteBytes(jww / "JW_WIN.JWF", J("Jw_cad 環境\r\n"));
    Write("upper.bat", J("REM 大文字化 *\r\nREM #jw\r\ncopy JWC_TEMP.TXT before.txt > nul\r\n"
                         "echo transformed> JWC_TEMP.TXT\r\n"));
  }
};

void Key(BYTE vk, bool up) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), up ? KEYEVENTF_KEYUP : 0,
              0);
}

// Down selects the first row (and analyses it on release); Enter runs it.
void SelectFirstRowAndPressEnter(HWND main) {
  HWND list = GetDlgItem(main, kIdListView1);
  SetForegroundWindow(main);
  WaitFor([&] { return GetForegroundWindow() == main; }, 5s);
  Key(VK_DOWN, false);
  Key(VK_DOWN, true);
  WaitFor([&] { return ListView_GetNextItem(list, -1, LVNI_SELECTED) == 0; }, 10s);
  Key(VK_RETURN, false);
  Key(VK_RETURN, true);
}

std::vector<std::string> Lines(const fs::path& p) { return SplitLines(ReadBytes(p)); }

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(VarnikRun, EnterRunsTheBatchInJwCadWithAndWithoutMove) {
  RunRig rig;
  Process standin = rig.StartStandin();
  ASSERT_NE(FindWindowOf(standin.pid(), L"jw_win"), nullptr);

  for (bool move : {true, false}) {
    SCOPED_TRACE(move ? "move on" : "move off");
    WriteBytes(rig.jww / "JWC_TEMP.TXT", "input\r\n");
    fs::remove(rig.jww / "_VNKtemp.bat");
    fs::remove(rig.jww / "before.txt");
    fs::remove(rig.files / "before.txt");
    rig.WriteSettings(move, 0);
    const std::string log_before = rig.Log();
    const auto runs_before = static_cast<std::size_t>(
        std::count(log_before.begin(), log_before.end(), '\n'));

    Process varnik(rig.exe(), rig.files.wstring());
    HWND main = WaitForWindow(varnik.pid(), L"Zelvanto");
    ASSERT_NE(main, nullptr);
    HWND list = GetDlgItem(main, kIdListView1);
    ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 1; }));
    SelectFirstRowAndPressEnter(main);

    // The stand-in runs the wrapper once; quitting after the run is the
    // default after-run mode.
    ASSERT_TRUE(WaitFor([&] {
      std::string log = rig.Log();
      return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')) > runs_before &&
             log.find("run _VNKtemp.bat exit=") != std::string::npos;
    }, 60s)) << rig.Log();
    EXPECT_TRUE(varnik.WaitExit(30s));
    std::string log = rig.Log();
    std::size_t runs = 0;
    for (std::size_t at = log.find("run _VNKtemp.bat"); at != std::string::npos;
         at = log.find("run _VNKtemp.bat", at + 1))
      ++runs;
    EXPECT_EQ(runs, move ? 1u : 2u) << "one Enter must run the batch once";

    std::vector<std::string> wrapper = Lines(rig.jww / "_VNKtemp.bat");
    ASSERT_FALSE(wrapper.empty());
    EXPECT_EQ(wrapper[0], J("@REM   【Zelvanto テンポラリバッチ】通常モード"));
    EXPECT_EQ(wrapper[1], "@echo off");
    EXPECT_TRUE(Contains(wrapper, "echo transformed> JWC_TEMP.TXT"));
    EXPECT_TRUE(Contains(wrapper, ":VNK"));
    const std::string folder = Narrow(ShortUpper(rig.files));
    EXPECT_EQ(Contains(wrapper, "cd \"" + folder + "\""), move);
    EXPECT_TRUE(Contains(wrapper, "del \"" + folder + "\\JWC_TEMP.TXT\""));

    // The result came back to the Jw_cad folder; the batch worked in its
    // own folder only when Move was on.
    EXPECT_EQ(ReadBytes(rig.jww / "JWC_TEMP.TXT").substr(0, 11), "transformed");
    EXPECT_EQ(fs::exists(rig.files / "before.txt"), move);
    EXPECT_EQ(fs::exists(rig.jww / "before.txt"), !move);
    EXPECT_FALSE(fs::exists(rig.files / "JWC_TEMP.TXT"));
  }
}

TEST(VarnikRun, WithoutJwCadTheUserIsToldAndVarnikGoesOn) {
  RunRig rig;
  rig.WriteSettings(true, 0);
  Process varnik(rig.exe(), rig.files.wstring());
  HWND main = WaitForWindow(varnik.pid(), L"Zelvanto");
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kIdListView1);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 1; }));
  SelectFirstRowAndPressEnter(main);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(varnik.pid())) != nullptr; }));
  EXPECT_NE(MessageBoxText(box).find(WideUtf8("jwwを起動してください")), std::wstring::npos);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitFor([&] { return FindMessageBox(varnik.pid()) == nullptr; }));
  EXPECT_FALSE(varnik.WaitExit(2s)) << "Varnik must keep running";
  EXPECT_TRUE(IsWindow(main));
  // The wrapper was written all the same.
  EXPECT_TRUE(fs::exists(rig.jww / "_VNKtemp.bat"));
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kIdCommand1, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(main, kIdCommand1)));
  EXPECT_TRUE(varnik.WaitExit(30s));
}

// Folder names that cmd would otherwise take apart: "&" ends a command and
// starts the next, "%" starts a variable even inside quotes. (Wine's cmd
// expands a variable's value once more, so a folder named after a variable,
// "%PATH%", cannot be run there even when written right; the core tests
// check that text.) The batch calls
// a helper batch found only through the search path (or, with Move, in the
// folder it works in); the helper's output must come back to Jw_cad.
TEST(VarnikRun, BatchFoldersWithCharactersCmdTreatsSpecially) {
  for (const char* name : {"R&D gaihen", "100% (x)"}) {
    SCOPED_TRACE(name);
    VarnikRig rig(name);
    rig.Write("special.bat", J("REM 特殊なフォルダ *\r\nREM #jw\r\nhelper.bat\r\n"));
    rig.Write("helper.bat", "@echo off\r\necho HELPED>> JWC_TEMP.TXT\r\n");
    Process standin = rig.StartStandin();
    ASSERT_NE(FindWindowOf(standin.pid(), L"jw_win"), nullptr);
    for (bool move : {false, true}) {
      SCOPED_TRACE(move ? "move on" : "move off");
      WriteBytes(rig.jww / "JWC_TEMP.TXT", "INPUT\r\n");
      const std::size_t runs_before = rig.Count("run _VNKtemp.bat exit=");
      // The folder comes from the settings as it is: a folder argument
      // would arrive in its short form, without the special characters.
      rig.WriteSettings(move, 0);
      Process varnik(rig.exe(), L"");
      HWND main = WaitForWindow(varnik.pid(), L"Zelvanto");
      ASSERT_NE(main, nullptr);
      HWND list = GetDlgItem(main, kIdListView1);
      ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == 1; }));
      SelectFirstRowAndPressEnter(main);
      ASSERT_TRUE(WaitFor([&] { return rig.Count("run _VNKtemp.bat exit=") > runs_before; }, 60s))
          << rig.Log();
      EXPECT_TRUE(varnik.WaitExit(30s));
      EXPECT_EQ(ReadBytes(rig.jww / "JWC_TEMP.TXT"), "INPUT\r\nHELPED\r\n")
          << ReadBytes(rig.jww / "_VNKtemp.bat");
      EXPECT_FALSE(fs::exists(rig.files / "JWC_TEMP.TXT"));
    }
  }
}

}  // namespace
}  // namespace zel
