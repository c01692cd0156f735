// Every batch of the bad-input corpus run by the real Varnik.exe in the
// stand-in Jw_cad: the wrapper carries its lines whole, cmd runs them (names
// with "&", "%", "^", blanks and 0x5C trail bytes included, and "%0" finds
// the batch again), and each run is recorded in "Taskmnu.ini" and its
// history batch, whole and in order; Pocklet then runs an entry of that
// history again. The corpus folder is left as it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/wstr.h"
#include "tests/badinput/badinput_win.h"
#include "tests/badinput/corpus.h"
#include "tests/e2e/e2e_rig.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

std::string Show(const std::string& cp932) {
  const std::string u = Utf8FromCp932(cp932);
  return u.size() > 80 ? u.substr(0, 80) + "…" : u;
}

int RowOfName(HWND list, const std::wstring& name) {
  const auto rows = ListViewRows(list, 2);
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i][1] == name) return static_cast<int>(i);
  return -1;
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

// The history file's entry n (1-based): its title and batch path lines.
std::pair<std::string, std::string> Entry(const std::vector<std::string>& lines, int n) {
  const std::size_t at = 2 * static_cast<std::size_t>(n);
  return at + 1 < lines.size() ? std::make_pair(lines[at], lines[at + 1])
                               : std::make_pair(std::string("(none)"), std::string("(none)"));
}

TEST(BadInputEndToEnd, EachBatchRunsInJwCadAndIsRecordedInTheHistoryWhole) {
  VarnikRig rig;
  CorpusDir corpus(J("悪い入力"));
  const std::string folder = Narrow(corpus.folder().wstring());
  Settings s = DefaultSettings(folder, kToolButtonCount);
  s.jwwfolder = Narrow(rig.jww.wstring());
  s.Bootmode = 3;  // after a run the window goes to the back and stays
  WriteBytes(rig.ini(), FormatSettings(s));
  // A history of 30 entries, none used yet: room for every run.
  std::string history = "TempbakbatNp=0\r\nTempbakbatN=30\r\n";
  for (int i = 0; i < 60; ++i) history += "\r\n";
  WriteBytes(rig.prog / "Taskmnu.ini", history);
  WriteBytes(rig.jww / "JWC_TEMP.TXT", "INPUT\r\n");
  const FolderSnapshot before = Snapshot(corpus.root());

  std::vector<const CorpusFile*> runs;
  for (const CorpusFile& f : Corpus())
    if (f.listed) runs.push_back(&f);
  ASSERT_LE(runs.size(), 30u);

  Process standin = rig.StartStandin();
  ASSERT_NE(FindWindowOf(standin.pid(), L"jw_win"), nullptr);
  HWND main = nullptr;
  Process varnik = rig.StartVarnik(L"", main);
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kIdListView1);
  ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(list) == static_cast<int>(runs.size()); }))
      << ListView_GetItemCount(list);

  std::vector<std::string> wrappers;
  for (const CorpusFile* f : runs) {
    SCOPED_TRACE(Show(f->stem));
    const std::size_t runs_before = rig.Count("run _VNKtemp.bat exit=");
    const int row = RowOfName(list, Wide(f->stem + ".bat"));
    ASSERT_GE(row, 0);
    ASSERT_TRUE(SelectListViewRow(list, row));
    SetForegroundWindow(main);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }, 10s));
    PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(list, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));

    // Jw_cad ran the wrapper, and the run is entry 1 of the history with
    // the title and path of its row, byte for byte.
    ASSERT_TRUE(WaitFor([&] { return rig.Count("run _VNKtemp.bat exit=") > runs_before; }, 90s))
        << rig.Log();
    ASSERT_TRUE(WaitFor([&] {
      const auto lines = SplitLines(ReadBytes(rig.prog / "Taskmnu.ini"));
      return lines.size() == 62 && Entry(lines, 1).second == Narrow(corpus.File(f->stem, ".bat").wstring());
    }, 30s)) << SplitLines(ReadBytes(rig.prog / "Taskmnu.ini")).size() << " lines, entry 1: "
             << Utf8FromCp932(Entry(SplitLines(ReadBytes(rig.prog / "Taskmnu.ini")), 1).second)
             << "\nwanted: " << Utf8FromCp932(Narrow(corpus.File(f->stem, ".bat").wstring()))
             << "\nmessage: " << WindowText(FindMessageBox(varnik.pid()));
    EXPECT_EQ(FindMessageBox(varnik.pid()), nullptr) << WindowText(FindMessageBox(varnik.pid()));
    const std::string wrapper = ReadBytes(rig.jww / "_VNKtemp.bat");
    EXPECT_TRUE(ReadBytes(rig.prog / "TTemp1.bat") == wrapper);
    // Every line of the batch but those with "%0" stands in it as read.
    const std::vector<std::string> wrapper_lines = SplitLines(wrapper);
    for (const std::string& line : SplitLines(f->bytes)) {
      if (FindText(line, "%0") != std::string::npos) continue;
      EXPECT_NE(std::find(wrapper_lines.begin(), wrapper_lines.end(), line), wrapper_lines.end())
          << Show(line);
    }
    wrappers.push_back(wrapper);
  }

  // The history, newest first: every title and path as its row had it, and
  // every history batch the wrapper of its run.
  const std::vector<std::string> lines = SplitLines(ReadBytes(rig.prog / "Taskmnu.ini"));
  ASSERT_EQ(lines.size(), 62u);
  EXPECT_EQ(lines[0], "TempbakbatNp=1");
  EXPECT_EQ(lines[1], "TempbakbatN=30");
  const int n = static_cast<int>(runs.size());
  for (int k = 1; k <= n; ++k) {
    const CorpusFile& f = *runs[static_cast<std::size_t>(n - k)];
    SCOPED_TRACE("entry " + std::to_string(k) + ": " + Show(f.stem));
    EXPECT_TRUE(Entry(lines, k).first == f.title) << Show(Entry(lines, k).first);
    EXPECT_TRUE(Entry(lines, k).second == Narrow(corpus.File(f.stem, ".bat").wstring()));
    EXPECT_TRUE(ReadBytes(rig.prog / ("TTemp" + std::to_string(k) + ".bat")) ==
                wrappers[static_cast<std::size_t>(n - k)]);
  }
  for (int k = n + 1; k <= 30; ++k) {
    EXPECT_EQ(Entry(lines, k).first, "");
    EXPECT_FALSE(fs::exists(rig.prog / ("TTemp" + std::to_string(k) + ".bat")));
  }

  // cmd ran each batch's lines, and "%0" led back to each batch.
  const std::string exchanged = ReadBytes(rig.jww / "JWC_TEMP.TXT");
  for (const CorpusFile* f : runs) {
    if (f->run_tag.empty()) continue;
    EXPECT_NE(exchanged.find("RAN-" + f->run_tag + "-end"), std::string::npos) << Show(f->stem);
    if (f->bytes.find("SELF-" + f->run_tag) != std::string::npos) {
      EXPECT_NE(exchanged.find("SELF-" + f->run_tag + "-end"), std::string::npos) << Show(f->stem);
    }
  }

  // The close button only sends the window to the back in this boot mode.
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kCmdEndd, 0), 0);
  EXPECT_TRUE(varnik.WaitExit(30s));

  // Pocklet offers this history, megabyte title and broken bytes and all,
  // runs entry 2 again (the batch whose name holds every special
  // character), and keeps every other line of the history as it was.
  const std::string recorded = ReadBytes(rig.prog / "Taskmnu.ini");
  const std::size_t runs_before = rig.Count("run _VNKtemp.bat exit=");
  fs::copy_file(WinePath(ZEL_POCKLET_EXE), rig.prog / "Pocklet.exe");
  {
    Process pocklet((rig.prog / "Pocklet.exe").wstring(), L"");
    HWND menu = WaitForMenu(pocklet.pid());
    ASSERT_NE(menu, nullptr) << "Pocklet opened no menu";
    // No item is chosen at first; Down chooses "キャンセル", then the entry
    // that shows Varnik, then entries 1, 2.
    MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return rig.Count("run _VNKtemp.bat exit=") > runs_before; }, 90s))
        << rig.Log();
    EXPECT_TRUE(pocklet.WaitExit(30s));
  }
  EXPECT_TRUE(ReadBytes(rig.jww / "_VNKtemp.bat") == wrappers[wrappers.size() - 2]);
  const std::string again = ReadBytes(rig.jww / "JWC_TEMP.TXT");
  const std::string mark = "SELF-" + runs[runs.size() - 2]->run_tag + "-end";
  EXPECT_NE(again.find(mark, again.find(mark) + 1), std::string::npos) << "not run again";
  std::string expected = recorded;
  expected.replace(0, std::string("TempbakbatNp=1").size(), "TempbakbatNp=2");
  EXPECT_TRUE(ReadBytes(rig.prog / "Taskmnu.ini") == expected);
  for (int k = 1; k <= n; ++k)
    EXPECT_TRUE(ReadBytes(rig.prog / ("TTemp" + std::to_string(k) + ".bat")) ==
                wrappers[static_cast<std::size_t>(n - k)]);
  EXPECT_EQ(Differences(before, Snapshot(corpus.root())), "");
}

}  // namespace
}  // namespace zel
