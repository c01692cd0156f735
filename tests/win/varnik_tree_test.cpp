// The folder tree in the real main window hosted in this process: loading
// its cache, a click on a node, hiding folders, the tree's popup menu, the
// search below a folder, and a search that is stopped, refused or outlived
// by what the user does meanwhile. The search's file system can be held at
// one folder, so a test knows the search is running when it acts.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/folder_tree_pane.h"
#include "core/text.h"
#include "platform/wstr.h"
#include "tests/win/tree_fixture.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

bool EndsWith(const std::wstring& s, const std::wstring& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

bool HasItemEndingWith(HWND tree, const std::wstring& end) {
  for (const std::wstring& p : TreePaths(tree))
    if (EndsWith(p, end)) return true;
  return false;
}

// The paths of texts from the drive down to `folder`, each a node.
std::vector<std::wstring> NodesDownTo(const fs::path& folder) {
  std::vector<std::wstring> out;
  const std::wstring line = CacheLine(folder);
  for (std::size_t at = line.find(L'\\'); at != std::wstring::npos; at = line.find(L'\\', at + 1))
    out.push_back(line.substr(0, at));
  out.push_back(line);
  return out;
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

TEST_F(TreeFixture, TheCacheBuildsTheTreeAClickChoosesAFolderAndHiddenFoldersStayHidden) {
  MakeQualifying(files / "a", "a.bat");
  MakeQualifying(files / "b", "b.bat");
  MakeQualifying(files / "gone");
  WriteCache({CacheLine(files / "a"), CacheLine(files / "gone"), CacheLine(files / "b")});
  fs::remove_all(files / "gone");
  WriteIni(TreeSettings());

  std::vector<std::wstring> expected = NodesDownTo(files);
  expected.push_back(CacheLine(files / "a"));
  expected.push_back(CacheLine(files / "b"));
  {
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    // A folder that has gone hides only itself, not the lines after it.
    EXPECT_EQ(TreePaths(w.TreeView1), expected);
    ASSERT_NE(TreeView_GetSelection(w.TreeView1), nullptr);
    EXPECT_EQ(ItemText(w.TreeView1, TreeView_GetSelection(w.TreeView1)), L"gaihen");

    ASSERT_NO_FATAL_FAILURE(ClickItem(w, ItemAt(w.TreeView1, CacheLine(files / "a"))));
    EXPECT_EQ(Text(w.txt_gai), KeyOf(files / "a"));
    EXPECT_EQ(Wide(w.CurrentFolder()), KeyOf(files / "a"));
    EXPECT_EQ(Wide(w.settings().gaihenfolder), KeyOf(files / "a"));
    EXPECT_EQ(w.FolderDisplayName(), "a");
    EXPECT_EQ(Rows(w.ListView1), (RowSet{{L" q", L"a.bat"}}));
    EXPECT_EQ(GetFocus(), w.TreeView1);
    EXPECT_EQ(Text(w.Text1), L"");

    // The right button opens the tree's menu; hiding acts on the current
    // folder and selects its parent.
    menu_choice = kCmdFoldel;
    ASSERT_NO_FATAL_FAILURE(ClickItem(w, ItemAt(w.TreeView1, CacheLine(files / "a")), true));
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(Captions(menus[0]), Narrow(WideUtf8(
                                      "[フォルダを開く][][下位フォルダ追加検索][フォルダ非表示]")));
    EXPECT_EQ(ItemAt(w.TreeView1, CacheLine(files / "a")), nullptr);
    EXPECT_EQ(Text(w.txt_gai), KeyOf(files));
    EXPECT_EQ(ItemText(w.TreeView1, TreeView_GetSelection(w.TreeView1)), L"gaihen");
    EXPECT_EQ(CacheLines(), std::vector<std::wstring>{CacheLine(files / "b")});

    // Hiding the last child makes its parent a leaf of the cache.
    ASSERT_NO_FATAL_FAILURE(ClickItem(w, ItemAt(w.TreeView1, CacheLine(files / "b"))));
    Command(w, kCmdFoldel);
    EXPECT_EQ(CacheLines(), std::vector<std::wstring>{CacheLine(files)});

    // The drive node cannot be hidden.
    ASSERT_NO_FATAL_FAILURE(ClickItem(w, ItemAt(w.TreeView1, DriveOf(files))));
    EXPECT_EQ(Text(w.txt_gai), DriveOf(files));
    Command(w, kCmdFoldel);
    std::vector<MessageRequest> told = TakeMessages();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].text, WideUtf8("ドライブのルートフォルダは消せません"));
    EXPECT_EQ(CacheLines(), std::vector<std::wstring>{CacheLine(files)});
    w.Unload();
  }
  // Hidden folders stay away after a restart.
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  EXPECT_EQ(TreePaths(w.TreeView1), NodesDownTo(files));
  w.Unload();
}

TEST_F(TreeFixture, ASearchBelowTheCurrentFolderFindsItsFoldersAndWritesTheCache) {
  Write(files, "top.bat", Batch("上"));
  MakeQualifying(files / "sub1");
  MakeQualifying(files / "sub1" / "deep");
  MakeQualifying(files / "with blank");
  MakeQualifying(files / "secret");
  MakeQualifying(files / "secret" / "inner");
  ASSERT_TRUE(SetFileAttributesW((files / "secret").wstring().c_str(), FILE_ATTRIBUTE_HIDDEN));
  fs::create_directories(files / "noq");
  WriteBytes(files / "noq" / "x.bat", "REM none\r\necho hi\r\n");
  WriteIni(TreeSettings());

  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  EXPECT_EQ(TreePaths(w.TreeView1), std::vector<std::wstring>{DriveOf(files)});
  Command(w, kCmdChildfoldaseek);
  EXPECT_TRUE(w.searching());
  ASSERT_TRUE(SearchEnds(w));

  const std::wstring start = Text(w.txt_gai) + L"\\";
  std::vector<std::wstring> shown = Lines(Text(w.Text1));
  ASSERT_EQ(shown.size(), 5u) << Narrow(Text(w.Text1));
  EXPECT_EQ(shown[0], start);
  EXPECT_EQ(shown[1], start + L"sub1\\");
  EXPECT_EQ(shown[2], start + L"sub1\\deep\\");
  EXPECT_EQ(shown[3], L"");
  EXPECT_EQ(shown[4], WideUtf8("検索終了"));
  EXPECT_EQ(PanelOf(w.SBar1, 1).text, L"");

  EXPECT_TRUE(HasItemEndingWith(w.TreeView1, L"\\sub1\\deep"));
  for (const std::wstring& p : TreePaths(w.TreeView1)) {
    EXPECT_EQ(p.find(L"blank"), std::wstring::npos) << Narrow(p);
    EXPECT_EQ(p.find(L"secret"), std::wstring::npos) << Narrow(p);
    EXPECT_EQ(p.find(L"noq"), std::wstring::npos) << Narrow(p);
  }
  const std::vector<std::wstring> cached = CacheLines();
  ASSERT_EQ(cached.size(), 1u);
  EXPECT_TRUE(EndsWith(cached[0], L"\\sub1\\deep")) << Narrow(cached[0]);
  w.Unload();
}

TEST_F(TreeFixture, EscStopsASearchKeepsWhatItFoundAndASecondSearchWaits) {
  Write(files, "top.bat", Batch("上"));
  for (const char* f : {"f0", "f1", "f2", "f3", "f4"}) MakeQualifying(files / f);
  WriteIni(TreeSettings());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));

  // Held at the third folder below the start: two have been found by then
  // (the order of folders is the file system's).
  gate.block_at = 4;
  Command(w, kCmdChildfoldaseek);
  ASSERT_TRUE(PumpUntil(w, [&] { return gate.reached.load() && Lines(Text(w.Text1)).size() >= 4; }));
  ASSERT_TRUE(w.searching());
  // The panel says how many folders were read and found, and which one is
  // read now, while the search is held there.
  EXPECT_TRUE(PumpUntil(w, [&] {
    const std::wstring info = PanelOf(w.SBar1, 1).text;
    return info.rfind(WideUtf8("読込 3 / 該当 3  ") + Text(w.txt_gai) + L"\\", 0) == 0;
  })) << Narrow(PanelOf(w.SBar1, 1).text);
  const std::vector<std::wstring> before = TreePaths(w.TreeView1);
  ASSERT_GE(before.size(), 2u);

  // Neither a search of the drive nor another one below the folder starts.
  Command(w, kCmdFolderseek);
  Command(w, kCmdChildfoldaseek);
  EXPECT_EQ(TreePaths(w.TreeView1), before);
  EXPECT_EQ(gate.folders.load(), 4);

  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_ESCAPE));
  EXPECT_FALSE(w.searching());
  EXPECT_TRUE(w.alive());
  EXPECT_TRUE(Visible(w.hwnd())) << "Esc closed the window";
  std::vector<std::wstring> shown = Lines(Text(w.Text1));
  EXPECT_EQ(shown.back(), WideUtf8("検索を中止しました"));
  ASSERT_EQ(shown.size(), 5u);  // three folders, a blank line and the end
  const std::vector<std::wstring> found = TreePaths(w.TreeView1);
  int leaves = 0;
  for (const char* f : {"\\f0", "\\f1", "\\f2", "\\f3", "\\f4"})
    leaves += HasItemEndingWith(w.TreeView1, Wide(f)) ? 1 : 0;
  EXPECT_EQ(leaves, 2);
  EXPECT_EQ(CacheLines().size(), 2u) << "the found part is saved";

  // The cancel button stops a search the same way, and the window stays
  // (its boot mode would hide it).
  gate.folders = 0;
  gate.reached = false;
  gate.aborted = false;
  gate.block_at = 2;
  Command(w, kCmdChildfoldaseek);
  ASSERT_TRUE(PumpUntil(w, [&] { return gate.reached.load(); }));
  Click(w, kIdCommand1, w.Command1);
  EXPECT_FALSE(w.searching());
  EXPECT_TRUE(Visible(w.hwnd()));
  EXPECT_EQ(Lines(Text(w.Text1)).back(), WideUtf8("検索を中止しました"));

  // Esc with no search running is the cancel key again.
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_ESCAPE));
  EXPECT_FALSE(Visible(w.hwnd()));
  w.Unload();
}

TEST_F(TreeFixture, ARunDuringASearchRunsAndItsUnloadEndsTheSearchSafely) {
  Write(files, "run.bat", Batch("実行"));
  for (const char* f : {"f0", "f1", "f2"}) MakeQualifying(files / f);
  Settings s = TreeSettings();
  s.Bootmode = 0;  // the window unloads after a run
  WriteIni(s);
  FakeJwCad jw;
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  gate.block_at = 3;
  Command(w, kCmdChildfoldaseek);
  ASSERT_TRUE(PumpUntil(w, [&] { return gate.reached.load(); }));

  SelectRow(w.ListView1, 0);
  PostEnter(w);
  ASSERT_TRUE(PumpUntil(w, [&] { return !w.alive(); })) << "the run did not end the window";
  EXPECT_TRUE(jw.SawCtrlShiftZ());
  EXPECT_TRUE(fs::exists(jww / "_VNKtemp.bat"));
  // The unload stopped the search and kept its find.
  const std::vector<std::wstring> cached = CacheLines();
  ASSERT_EQ(cached.size(), 1u);
  // The start folder and the first folder below it had been found.
  EXPECT_TRUE(EndsWith(cached[0], L"\\f0") || EndsWith(cached[0], L"\\f1") ||
              EndsWith(cached[0], L"\\f2"))
      << Narrow(cached[0]);
}

TEST_F(TreeFixture, AFilterChangeDuringASearchSavesItsFindToItsOwnCache) {
  for (const char* f : {"f0", "f1", "f2"}) MakeQualifying(files / f);
  WriteIni(TreeSettings());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  gate.block_at = 3;
  Command(w, kCmdChildfoldaseek);
  ASSERT_TRUE(PumpUntil(w, [&] { return gate.reached.load() && Lines(Text(w.Text1)).size() >= 2; }));
  Click(w, kIdCommand3, w.Command3);
  EXPECT_FALSE(w.searching());
  EXPECT_EQ(w.FilterIndex(), 1);
  EXPECT_EQ(CacheLines("bat").size(), 1u);
  EXPECT_FALSE(fs::exists(Cache("jwf")));
  EXPECT_EQ(TreePaths(w.TreeView1), std::vector<std::wstring>{DriveOf(files)});
  w.Unload();
}

TEST_F(TreeFixture, ADriveThatIsNotReadyEndsTheSearchAndLeavesTreeAndCache) {
  MakeQualifying(files / "a");
  WriteCache({CacheLine(files / "a")});
  const std::string cache_before = ReadBytes(Cache());
  WriteIni(TreeSettings());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const std::vector<std::wstring> tree_before = TreePaths(w.TreeView1);
  gate.not_ready = true;
  Command(w, kCmdFolderseek);
  ASSERT_TRUE(SearchEnds(w));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].text, WideUtf8("ドライブが用意できていません。"));
  EXPECT_EQ(Icon(told[0]), static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(TreePaths(w.TreeView1), tree_before);
  EXPECT_EQ(ReadBytes(Cache()), cache_before);

  // The drive goes after some folders were read: the part found does not
  // take the place of the whole tree and its cache.
  for (const char* f : {"b", "c", "d"}) MakeQualifying(files / f);
  gate.not_ready = false;
  gate.folders = 0;
  gate.not_ready_from = 4;
  Command(w, kCmdFolderseek);
  ASSERT_TRUE(SearchEnds(w));
  told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].text, WideUtf8("ドライブが用意できていません。"));
  EXPECT_GE(gate.folders.load(), 4);
  EXPECT_EQ(TreePaths(w.TreeView1), tree_before);
  EXPECT_EQ(ReadBytes(Cache()), cache_before);
  w.Unload();
}

TEST_F(TreeFixture, AStopDoesNotWaitForAReadThatWillNotBreakOff) {
  for (const char* f : {"f0", "f1", "f2", "f3"}) MakeQualifying(files / f);
  WriteIni(TreeSettings());
  {
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    gate.block_at = 4;
    gate.deaf = true;
    Command(w, kCmdChildfoldaseek);
    ASSERT_TRUE(PumpUntil(w, [&] { return gate.reached.load(); }));
    ASSERT_TRUE(PumpUntil(w, [&] { return Lines(Text(w.Text1)).size() >= 3; }));

    // Esc ends the search on the window's side at once; the tree keeps
    // what was found and the cache is written.
    ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_ESCAPE));
    EXPECT_FALSE(w.searching());
    EXPECT_TRUE(Visible(w.hwnd()));
    EXPECT_EQ(Lines(Text(w.Text1)).back(), WideUtf8("検索を中止しました"));
    EXPECT_EQ(CacheLines().size(), 2u);
    EXPECT_FALSE(gate.left.load()) << "the held read ended by itself";

    // The window answers, and a new search may start and end while the
    // old worker is still held.
    Click(w, kIdCommand3, w.Command3);
    EXPECT_EQ(w.FilterIndex(), 1);
    Click(w, kIdCommand3, w.Command3);
    Click(w, kIdCommand3, w.Command3);
    gate.block_at = 0;
    Command(w, kCmdChildfoldaseek);
    ASSERT_TRUE(SearchEnds(w));
    EXPECT_EQ(CacheLines().size(), 4u);

    // The held read ends at last: its runner goes without a trace.
    gate.Open();
    ASSERT_TRUE(PumpUntil(w, [&] { return gate.left.load(); }));
    w.Unload();
  }

  // A window closed while a read is held does not wait for it either.
  gate.folders = 0;
  gate.reached = false;
  gate.left = false;
  gate.open = false;
  gate.aborted = false;
  {
    VarnikWindow w(ProgramPath(files), prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    gate.block_at = 2;
    Command(w, kCmdChildfoldaseek);
    ASSERT_TRUE(PumpUntil(w, [&] { return gate.reached.load(); }));
    w.Unload();
    EXPECT_FALSE(w.alive());
  }
  // The worker, left to end by itself, must not outlive the gate it reads.
  gate.Open();
  for (int i = 0; i < 500 && !gate.left.load(); ++i) Sleep(10);
  EXPECT_TRUE(gate.left.load());
}

TEST_F(TreeFixture, ACacheThatCannotBeWrittenIsReportedOnce) {
  MakeQualifying(files / "a");
  MakeQualifying(files / "b");
  fs::create_directories(Cache());  // a folder where the file should go
  WriteIni(TreeSettings());
  VarnikWindow w(ProgramPath(files), prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  Command(w, kCmdChildfoldaseek);
  ASSERT_TRUE(SearchEnds(w));
  std::vector<MessageRequest> told = TakeMessages();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_TRUE(TextHas(told[0], "フォルダツリーを保存できませんでした"));
  ASSERT_TRUE(HasItemEndingWith(w.TreeView1, L"\\a"));
  // Hiding a folder writes the cache again: no second message.
  for (const TreeItem& i : TreeItems(w.TreeView1)) {
    if (EndsWith(i.path, L"\\a")) ASSERT_NO_FATAL_FAILURE(ClickItem(w, i.item));
  }
  Command(w, kCmdFoldel);
  EXPECT_FALSE(HasItemEndingWith(w.TreeView1, L"\\a"));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_TRUE(fs::is_directory(Cache()));
  w.Unload();
}

TEST(FolderKeys, EachFolderHasOneKeyWhateverItsSpellingAndTheSameOneEachTime) {
  TempDir dir;
  const fs::path a = dir.path() / "gaihen folder number one";
  const fs::path b = dir.path() / "gaihen folder number two";
  const fs::path x = dir.path() / "jww" / "x";
  for (const auto& p : {a, b, x}) fs::create_directories(p);
  WriteBytes(dir.path() / "file.bat", "x");
  const auto ka = FolderKeyPath(ProgramPath(a));
  const auto kb = FolderKeyPath(ProgramPath(b));
  ASSERT_TRUE(ka && kb);
  EXPECT_NE(*ka, *kb);
  EXPECT_EQ(AsciiUpper(*ka), *ka);
  EXPECT_EQ(FolderKeyPath(ProgramPath(a)), ka);
  EXPECT_EQ(FolderKeyPath(ProgramPath(a) + "\\"), ka);
  // Two spellings of one folder.
  const std::string lower = ProgramPath(dir.path()) + "\\jww\\x";
  const std::string upper = ProgramPath(dir.path()) + "\\JWW\\X";
  ASSERT_TRUE(FolderKeyPath(lower).has_value());
  EXPECT_EQ(FolderKeyPath(lower), FolderKeyPath(upper));
  // The key names the folder it was made for.
  EXPECT_EQ(LongPath(PathFromCp932(*ka)), LongPath(a));
  EXPECT_FALSE(FolderKeyPath(ProgramPath(dir.path() / "missing")).has_value());
  EXPECT_FALSE(FolderKeyPath(ProgramPath(dir.path() / "file.bat")).has_value());
  // A name holding a NUL (a broken cache line) is no folder, though the
  // path before the NUL is one.
  const std::string before_nul = ProgramPath(dir.path()) + "\\jww";
  ASSERT_TRUE(FolderKeyPath(before_nul).has_value());
  EXPECT_FALSE(FolderKeyPath(before_nul + std::string("\\\0x", 3)).has_value());
  EXPECT_FALSE(FolderKeyPath(before_nul + std::string("\0\\x", 3)).has_value());
  EXPECT_FALSE(FolderKeyOf(AsciiUpper(before_nul), std::string("\0", 1)).has_value());
  EXPECT_FALSE(FolderKeyOf(AsciiUpper(before_nul), std::string("x\0", 2)).has_value());
}

}  // namespace
}  // namespace zel

