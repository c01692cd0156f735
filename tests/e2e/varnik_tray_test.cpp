// Resident in the tray, and Pocklet, with the real programs and the
// stand-in Jw_cad under Wine: the icon in the resident boot modes, the
// history menu from the icon, from a second start with "/P" and from
// Pocklet, driven with the keyboard once it is open.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/text.h"
#include "platform/wstr.h"
#include "tests/e2e/e2e_rig.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;


// The icons Wine's own tray window shows, left to right.
std::vector<HWND> TrayIcons() {
  std::vector<HWND> icons;
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  if (!tray) return icons;
  for (HWND h = GetWindow(tray, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (IsWindowVisible(h)) icons.push_back(h);
  std::sort(icons.begin(), icons.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.left < rb.left;
  });
  return icons;
}

// A left click on an icon, as the mouse gives it.
void ClickIcon(HWND icon) {
  PostMessageW(icon, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(icon, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

// The popup menu a process has open, or null.
HWND OpenMenuOf(DWORD pid) {
  struct S {
    DWORD pid;
    HWND found;
  } s{pid, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<S*>(lp);
        wchar_t cls[16] = L"";
        GetClassNameW(h, cls, 16);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner != s->pid || wcscmp(cls, L"#32768") != 0 || !IsWindowVisible(h)) return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitForMenu(DWORD pid) {
  HWND menu = nullptr;
  WaitFor([&] { return (menu = OpenMenuOf(pid)) != nullptr; });
  return menu;
}

// Keys to an open menu, which reads them from its program's queue.
void MenuKeys(HWND menu, const std::vector<UINT>& keys) {
  for (UINT vk : keys) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) & 0xFF) << 16;
    PostMessageW(menu, WM_KEYDOWN, vk, scan | 1);
    PostMessageW(menu, WM_KEYUP, vk, scan | 1 | static_cast<LPARAM>(0xC0000000u));
  }
}

// The menu opens with no item chosen; the first Down chooses "キャンセル",
// the next the show entry, and the separator is passed over.
std::vector<UINT> DownToEntry(int n) { return std::vector<UINT>(2 + n, VK_DOWN); }

// A history of two entries whose batches leave a mark in the exchange file.
struct TrayRig : VarnikRig {
  const std::string history = J(
      "TempbakbatNp=1\r\nTempbakbatN=10\r\n 一番\r\nC:\\a\\one.bat\r\n 二番\r\nC:\\a\\two.bat\r\n"
      "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
  TrayRig() {
    WriteBytes(prog / "Taskmnu.ini", history);
    WriteBytes(prog / "TTemp1.bat", "@echo entry one> JWC_TEMP.TXT\r\n");
    WriteBytes(prog / "TTemp2.bat", "@echo entry two> JWC_TEMP.TXT\r\n");
    fs::copy_file(WinePath(ZEL_POCKLET_EXE), prog / "Pocklet.exe");
  }
  std::wstring pocklet() const { return (prog / "Pocklet.exe").wstring(); }
  std::string Exchange() const { return ReadBytes(jww / "JWC_TEMP.TXT"); }
  std::string Np() const { return SplitLines(ReadBytes(prog / "Taskmnu.ini"))[0]; }
  // Waits for the stand-in's next run after `runs` earlier ones.
  bool RanAgain(std::size_t runs) const {
    return WaitFor([&] { return Count("run _VNKtemp.bat exit=") > runs; }, 60s);
  }
};

TEST(VarnikTray, TheIconOpensTheHistoryMenuAndSlashPOpensItToo) {
  TrayRig rig;
  rig.WriteSettings(false, 1);
  Process standin = rig.StartStandin();
  const std::size_t icons_before = TrayIcons().size();
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return TrayIcons().size() == icons_before + 1; }))
      << "boot mode 1 adds the icon";
  HWND tray = FindWindowOf(varnik.pid(), L"frmtask");
  ASSERT_NE(tray, nullptr);

  // A click on the icon, entry 2 chosen with the keyboard: its batch runs,
  // the check moves to it, the order stays.
  ClickIcon(TrayIcons().back());
  HWND menu = WaitForMenu(varnik.pid());
  ASSERT_NE(menu, nullptr) << "no menu opened";
  std::vector<UINT> keys = DownToEntry(2);
  keys.push_back(VK_RETURN);
  MenuKeys(menu, keys);
  ASSERT_TRUE(rig.RanAgain(0)) << rig.Log();
  EXPECT_EQ(ReadBytes(rig.jww / "_VNKtemp.bat"), "@echo entry two> JWC_TEMP.TXT\r\n");
  EXPECT_EQ(rig.Exchange(), "entry two\r\n");
  EXPECT_TRUE(WaitFor([&] { return rig.Np() == "TempbakbatNp=2"; })) << rig.Np();
  EXPECT_EQ(SplitLines(ReadBytes(rig.prog / "Taskmnu.ini"))[2], J(" 一番"));

  // A second start with "/P" opens the running copy's menu at the mouse;
  // the tray window itself stays hidden. Esc closes the menu.
  {
    Process second(rig.exe(), L"/P");
    EXPECT_TRUE(second.WaitExit(30s));
  }
  menu = WaitForMenu(varnik.pid());
  ASSERT_NE(menu, nullptr) << "/P opened no menu";
  EXPECT_FALSE(IsWindowVisible(tray));
  MenuKeys(menu, {VK_ESCAPE});
  ASSERT_TRUE(WaitFor([&] { return OpenMenuOf(varnik.pid()) == nullptr; }));
  EXPECT_TRUE(IsWindow(main));

  // "常駐終了", the last item: the program ends and its icon goes.
  ClickIcon(TrayIcons().back());
  menu = WaitForMenu(varnik.pid());
  ASSERT_NE(menu, nullptr);
  MenuKeys(menu, {VK_UP, VK_RETURN});
  EXPECT_TRUE(varnik.WaitExit(30s));
  EXPECT_TRUE(WaitFor([&] { return TrayIcons().size() == icons_before; }));
}

TEST(VarnikTray, BootModeZeroAddsNoIcon) {
  TrayRig rig;
  rig.WriteSettings(false, 0);
  const std::size_t icons_before = TrayIcons().size();
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(rig.files.wstring(), main);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }));
  WaitFor([] { return false; }, 1s);  // an icon would have come by now
  EXPECT_EQ(TrayIcons().size(), icons_before);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(varnik.WaitExit(30s));
}

TEST(Pocklet, RunsAnEntryAndEndsAndACancelChangesNothing) {
  TrayRig rig;
  rig.WriteSettings(false, 0);
  Process standin = rig.StartStandin();

  // Entry 2 runs; only the check mark changes in the history file.
  {
    Process pocklet(rig.pocklet(), L"");
    HWND menu = WaitForMenu(pocklet.pid());
    ASSERT_NE(menu, nullptr) << "Pocklet opened no menu";
    std::vector<UINT> keys = DownToEntry(2);
    keys.push_back(VK_RETURN);
    MenuKeys(menu, keys);
    ASSERT_TRUE(rig.RanAgain(0)) << rig.Log();
    EXPECT_TRUE(pocklet.WaitExit(30s)) << "Pocklet must end after the run";
    EXPECT_EQ(rig.Exchange(), "entry two\r\n");
    std::string expected = rig.history;
    expected.replace(0, std::string("TempbakbatNp=1").size(), "TempbakbatNp=2");
    EXPECT_EQ(ReadBytes(rig.prog / "Taskmnu.ini"), expected);
  }

  // Cancelled: the history file stays byte for byte.
  const std::string before = ReadBytes(rig.prog / "Taskmnu.ini");
  {
    Process pocklet(rig.pocklet(), L"");
    HWND menu = WaitForMenu(pocklet.pid());
    ASSERT_NE(menu, nullptr);
    MenuKeys(menu, {VK_ESCAPE});
    EXPECT_TRUE(pocklet.WaitExit(30s));
  }
  EXPECT_EQ(ReadBytes(rig.prog / "Taskmnu.ini"), before);

  // Without the Jw_cad folder in "Varnik.ini" an entry cannot run: Pocklet
  // says so and ends.
  fs::remove(rig.ini());
  {
    Process pocklet(rig.pocklet(), L"");
    HWND menu = WaitForMenu(pocklet.pid());
    ASSERT_NE(menu, nullptr);
    std::vector<UINT> keys = DownToEntry(1);
    keys.push_back(VK_RETURN);
    MenuKeys(menu, keys);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(pocklet.pid())) != nullptr; }));
    EXPECT_NE(MessageBoxText(box).find(WideUtf8("Jw_cadのフォルダが分からない")), std::wstring::npos)
        << Narrow(MessageBoxText(box));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(pocklet.WaitExit(30s));
  }
  EXPECT_EQ(ReadBytes(rig.prog / "Taskmnu.ini"), before);
}

// A batch whose first line is a megabyte long gives a history title as
// long: the menu shows its start, opens all the same, and runs the entry;
// the history keeps the title whole.
TEST(Pocklet, AMegabyteTitleIsShownCutAndItsEntryRuns) {
  TrayRig rig;
  rig.WriteSettings(false, 0);
  const std::string title = " " + std::string(1 << 20, 'x');
  std::string history = "TempbakbatNp=2\r\nTempbakbatN=10\r\n" + title + "\r\nC:\\a\\one.bat\r\n" +
                        J(" 二番") + "\r\nC:\\a\\two.bat\r\n";
  for (int i = 0; i < 16; ++i) history += "\r\n";
  WriteBytes(rig.prog / "Taskmnu.ini", history);
  Process standin = rig.StartStandin();
  Process pocklet(rig.pocklet(), L"");
  HWND menu = WaitForMenu(pocklet.pid());
  ASSERT_NE(menu, nullptr) << "Pocklet opened no menu";
  std::vector<UINT> keys = DownToEntry(1);
  keys.push_back(VK_RETURN);
  MenuKeys(menu, keys);
  ASSERT_TRUE(rig.RanAgain(0)) << rig.Log();
  EXPECT_TRUE(pocklet.WaitExit(30s));
  EXPECT_EQ(rig.Exchange(), "entry one\r\n");
  history.replace(0, std::string("TempbakbatNp=2").size(), "TempbakbatNp=1");
  EXPECT_TRUE(ReadBytes(rig.prog / "Taskmnu.ini") == history);
}

TEST(Pocklet, ZelvantoRestoresAMinimisedVarnikOrStartsTheOneBesideIt) {
  TrayRig rig;
  rig.WriteSettings(false, 0);
  const std::vector<UINT> show = {VK_DOWN, VK_DOWN, VK_RETURN};

  // Nothing runs: Pocklet starts the Varnik.exe of its own folder.
  {
    Process pocklet(rig.pocklet(), L"");
    HWND menu = WaitForMenu(pocklet.pid());
    ASSERT_NE(menu, nullptr);
    MenuKeys(menu, show);
    EXPECT_TRUE(pocklet.WaitExit(30s));
  }
  HWND main = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (main = FindWindowOf(0, L"Zelvanto")) != nullptr; }, 60s))
      << "Varnik was not started";
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }));

  // Running minimised: it comes back.
  ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(WaitFor([&] { return IsIconic(main) != 0; }));
  {
    Process pocklet(rig.pocklet(), L"");
    HWND menu = WaitForMenu(pocklet.pid());
    ASSERT_NE(menu, nullptr);
    MenuKeys(menu, show);
    EXPECT_TRUE(pocklet.WaitExit(30s));
  }
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(main) && IsWindowVisible(main); }));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(main); }));
}

}  // namespace
}  // namespace zel
