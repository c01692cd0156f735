// Varnik.exe started for real under Wine on a drive of the test's own: the
// folder search of the whole drive, the tree cache across a restart, a
// hidden folder, the filter button, a favourite folder, a drive that is
// not ready, and Esc during a long search.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/wstr.h"
#include "tests/e2e/e2e_drive.h"
#include "tests/e2e/e2e_rig.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

HWND Control(HWND main, int id) { return GetDlgItem(main, id); }

void Post(HWND main, UINT id, HWND from = nullptr) {
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(from));
}

void Key(HWND to, UINT vk, bool up) {
  PostMessageW(to, up ? WM_KEYUP : WM_KEYDOWN, vk, up ? static_cast<LPARAM>(0xC0000001u) : 1);
}

// The whole text of a control of another process, however long.
std::wstring AllText(HWND h) {
  LRESULT n = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000,
                           reinterpret_cast<PDWORD_PTR>(&n)))
    return L"";
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  LRESULT got = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, reinterpret_cast<PDWORD_PTR>(&got));
  text.resize(static_cast<std::size_t>(got));
  return text;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(L"\r\n", start);
    out.push_back(text.substr(start, end == std::wstring::npos ? end : end - start));
    if (end == std::wstring::npos) return out;
    start = end + 2;
  }
}

std::set<std::wstring> Paths(HWND tree) {
  std::set<std::wstring> out;
  for (const RemoteTreeItem& i : TreeViewItems(tree)) out.insert(i.path);
  return out;
}

// A click on the tree node with this path of texts.
bool ClickNode(HWND tree, const std::wstring& path) {
  for (const RemoteTreeItem& i : TreeViewItems(tree)) {
    if (i.path != path) continue;
    const LPARAM at = MAKELPARAM(i.text_rect.left + 3, (i.text_rect.top + i.text_rect.bottom) / 2);
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tree, WM_LBUTTONUP, 0, at);
    return true;
  }
  return false;
}

std::set<std::wstring> Names(HWND list) {
  std::set<std::wstring> names;
  for (const auto& row : ListViewRows(list, 3)) names.insert(row[1]);
  return names;
}

std::set<std::wstring> CacheLines(const fs::path& file) {
  std::set<std::wstring> out;
  for (const std::string& l : SplitLines(ReadBytes(file))) out.insert(Wide(l));
  return out;
}

void MakeFile(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  WriteBytes(p, bytes);
}

const char kJw[] = "REM found\r\nREM #jw\r\n";

// `count` folders, each with a batch that qualifies it, made with the
// plain Windows calls (several times faster under Wine than the streams).
bool MakeManyBatchFolders(const fs::path& under, int count) {
  if (!CreateDirectoryW(under.wstring().c_str(), nullptr)) return false;
  for (int i = 0; i < count; ++i) {
    const std::wstring folder = (under / ("d" + std::to_string(i))).wstring();
    if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
    HANDLE f = CreateFileW((folder + L"\\q.bat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD wrote = 0;
    const bool ok = WriteFile(f, kJw, sizeof kJw - 1, &wrote, nullptr) && wrote == sizeof kJw - 1;
    CloseHandle(f);
    if (!ok) return false;
  }
  return true;
}

TEST(VarnikNavigation, SearchTheDriveRestartHideFilterFavouriteAndADriveNotReady) {
  MappedDrive r(L'r', true), q(L'q', false);
  ASSERT_TRUE(r.ok()) << "no drive r: mapped (is WINEPREFIX set?)";
  ASSERT_TRUE(q.ok());
  const fs::path R(r.root());
  MakeFile(R / "root.bat", kJw);  // the root qualifies, and gets no node
  MakeFile(R / "jww" / "gaihen" / "a.bat", kJw);
  MakeFile(R / "jww" / "gaihen" / "a.jwf", J("環境Ａ\r\n"));
  MakeFile(R / "jww" / "gaihen" / "a.jwl", J("レイヤＡ\r\n"));
  MakeFile(R / "jww" / "gaihen" / "sub" / "s.bat", kJw);
  MakeFile(R / "tools" / "t.bat", kJw);
  MakeFile(R / "Program Files" / "x" / "p.bat", kJw);
  MakeFile(R / ".hidden" / "h.bat", kJw);
  MakeFile(R / "plain" / "n.bat", "REM no marker\r\n");

  VarnikRig rig;
  Settings s = DefaultSettings("R:\\JWW\\GAIHEN", kToolButtonCount);
  s.jwwfolder = Narrow(rig.jww.wstring());
  s.Frame2left = 5200;
  s.Frame3Top = 3120;
  s.Width = 12000;
  s.Height = 9000;
  s.Top = 600;
  s.Left = 600;
  WriteBytes(rig.ini(), FormatSettings(s));
  const fs::path cache = rig.prog / "tree_rbat.dat";

  HWND main = nullptr;
  {
    Process p = rig.StartVarnik(L"", main);
    ASSERT_NE(main, nullptr);
    HWND tree = Control(main, kIdTreeView1), list = Control(main, kIdListView1);
    HWND text1 = Control(main, kIdText1), gai = Control(main, kIdTxtGai);
    EXPECT_EQ(ComboItems(Control(main, kIdDrvList)).empty(), false);
    EXPECT_EQ(Paths(tree), std::set<std::wstring>{L"r:"});

    Post(main, kCmdFolderseek);
    ASSERT_TRUE(WaitFor([&] { return Lines(AllText(text1)).back() == WideUtf8("検索終了"); }))
        << Narrow(WindowText(text1));
    const std::vector<std::wstring> found = Lines(AllText(text1));
    EXPECT_EQ(std::set<std::wstring>(found.begin(), found.end()),
              (std::set<std::wstring>{L"r:\\", L"r:\\jww\\gaihen\\", L"r:\\jww\\gaihen\\sub\\",
                                      L"r:\\tools\\", L"", WideUtf8("検索終了")}));
    EXPECT_EQ(Paths(tree), (std::set<std::wstring>{L"r:", L"r:\\jww", L"r:\\jww\\gaihen",
                                                   L"r:\\jww\\gaihen\\sub", L"r:\\tools"}));
    EXPECT_EQ(CacheLines(cache),
              (std::set<std::wstring>{L"r:\\jww\\gaihen\\sub", L"r:\\tools"}));

    // A click on a node lists its folder; the filter button shows the same
    // folder's environment and layer files.
    ASSERT_TRUE(ClickNode(tree, L"r:\\jww\\gaihen"));
    ASSERT_TRUE(WaitFor([&] { return WindowText(gai) == L"R:\\JWW\\GAIHEN"; }));
    EXPECT_TRUE(WaitFor([&] { return Names(list) == std::set<std::wstring>{L"a.bat"}; }));
    Post(main, kIdCommand3, Control(main, kIdCommand3));
    EXPECT_TRUE(WaitFor([&] { return Names(list) == std::set<std::wstring>{L"a.jwf"}; }));
    EXPECT_EQ(Paths(tree), std::set<std::wstring>{L"r:"});  // no environment tree yet
    Post(main, kIdCommand3, Control(main, kIdCommand3));
    EXPECT_TRUE(WaitFor([&] { return Names(list) == std::set<std::wstring>{L"a.jwl"}; }));
    Post(main, kIdCommand3, Control(main, kIdCommand3));
    EXPECT_TRUE(WaitFor([&] { return Names(list) == std::set<std::wstring>{L"a.bat"}; }));
    EXPECT_TRUE(WaitFor([&] { return Paths(tree).size() == 5; }));

    // Hiding r:\tools takes it out of the cache.
    ASSERT_TRUE(ClickNode(tree, L"r:\\tools"));
    ASSERT_TRUE(WaitFor([&] { return WindowText(gai) == L"R:\\TOOLS"; }));
    Post(main, kCmdFoldel);
    EXPECT_TRUE(WaitFor([&] { return CacheLines(cache).count(L"r:\\tools") == 0; }))
        << "message shown: " << [&] {
             HWND shown = FindMessageBox(p.pid());
             return shown ? Narrow(MessageBoxText(shown)) : std::string("none");
           }();

    // Ctrl+click on the first favourites button registers the folder.
    ASSERT_TRUE(ClickNode(tree, L"r:\\jww\\gaihen"));
    ASSERT_TRUE(WaitFor([&] { return WindowText(gai) == L"R:\\JWW\\GAIHEN"; }));
    Key(list, VK_CONTROL, false);
    Post(main, kCmdToolButtonFirst, Control(main, kIdToolbar1));
    Key(list, VK_CONTROL, true);
    HWND toolbar = Control(main, kIdToolbar1);
    EXPECT_TRUE(WaitFor([&] {
      return SendMessageW(toolbar, TB_GETBUTTONTEXTW, kCmdToolButtonFirst, 0) == 6;  // "gaihen"
    }));
    SetForegroundWindow(main);
    WaitFor([] { return false; }, 500ms);  // let it paint
    EXPECT_TRUE(SaveWindowPng(main, WinePath(ZEL_SHOT_DIR "/e2e_folder_tree.png")));

    // A drive that is not ready: the message, and back to the drive and
    // folder shown before.
    HWND drives = Control(main, kIdDrvList);
    const std::vector<std::wstring> letters = ComboItems(drives);
    const auto at = std::find(letters.begin(), letters.end(), q.drive());
    ASSERT_NE(at, letters.end());
    SendMessageW(drives, CB_SETCURSEL, at - letters.begin(), 0);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(kIdDrvList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drives));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(p.pid())) != nullptr; }));
    EXPECT_NE(MessageBoxText(box).find(WideUtf8("ドライブが用意できていません。")),
              std::wstring::npos);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] {
      const LRESULT i = SendMessageW(drives, CB_GETCURSEL, 0, 0);
      return i >= 0 && static_cast<std::size_t>(i) < letters.size() && letters[i] == L"r:";
    }));
    EXPECT_TRUE(WaitFor([&] { return WindowText(gai) == L"R:\\JWW\\GAIHEN"; }));
    EXPECT_TRUE(WaitFor([&] { return Names(list) == std::set<std::wstring>{L"a.bat"}; }));

    Post(main, kIdCommand1, Control(main, kIdCommand1));  // closes: boot mode 0
    ASSERT_TRUE(p.WaitExit(30s));
  }

  // A restart shows the tree from its cache, without the hidden folder, and
  // the favourite jumps back to its folder and type.
  Process p = rig.StartVarnik(L"", main);
  ASSERT_NE(main, nullptr);
  HWND tree = Control(main, kIdTreeView1), list = Control(main, kIdListView1);
  HWND gai = Control(main, kIdTxtGai), text1 = Control(main, kIdText1);
  EXPECT_TRUE(WaitFor([&] {
    return Paths(tree) == std::set<std::wstring>{L"r:", L"r:\\jww", L"r:\\jww\\gaihen",
                                                 L"r:\\jww\\gaihen\\sub"};
  }));
  ASSERT_TRUE(ClickNode(tree, L"r:"));
  ASSERT_TRUE(WaitFor([&] { return WindowText(gai) == L"r:"; }));
  Post(main, kIdCommand3, Control(main, kIdCommand3));
  ASSERT_TRUE(WaitFor([&] { return SendMessageW(Control(main, kIdCombo1), CB_GETCURSEL, 0, 0) == 1; }));
  Post(main, kCmdToolButtonFirst, Control(main, kIdToolbar1));
  EXPECT_TRUE(WaitFor([&] { return SendMessageW(Control(main, kIdCombo1), CB_GETCURSEL, 0, 0) == 0; }));
  EXPECT_TRUE(WaitFor([&] { return Narrow(WindowText(gai)) == "R:\\JWW\\GAIHEN"; }));
  EXPECT_TRUE(WaitFor([&] { return Names(list) == std::set<std::wstring>{L"a.bat"}; }));

  // Esc during a long search: the window stays, with what was found.
  constexpr int kMany = 3000;
  ASSERT_TRUE(MakeManyBatchFolders(R / "many", kMany));
  Post(main, kCmdFolderseek);
  ASSERT_TRUE(WaitFor([&] { return Lines(AllText(text1))[0] == L"r:\\"; }));
  Key(list, VK_ESCAPE, false);
  Key(list, VK_ESCAPE, true);
  ASSERT_TRUE(WaitFor([&] {
    const std::wstring last = Lines(AllText(text1)).back();
    return last == WideUtf8("検索を中止しました") || last == WideUtf8("検索終了");
  })) << Lines(AllText(text1)).size() << " " << Narrow(Lines(AllText(text1)).back());
  EXPECT_EQ(Lines(AllText(text1)).back(), WideUtf8("検索を中止しました"))
      << "the search ended before Esc came";
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(FindWindowOf(p.pid(), L"Zelvanto"), main);
  const std::set<std::wstring> kept = CacheLines(cache);
  EXPECT_LT(kept.size(), static_cast<std::size_t>(kMany));
  const std::set<std::wstring> shown = Paths(tree);
  for (const std::wstring& line : kept) EXPECT_TRUE(shown.count(line)) << Narrow(line);
  Post(main, kIdCommand1, Control(main, kIdCommand1));
  EXPECT_TRUE(p.WaitExit(30s));
}

}  // namespace
}  // namespace zel
