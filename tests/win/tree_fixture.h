// The folder tree as a test sees it: its items by their paths of texts,
// clicks on them as the mouse makes them, cache lines for real folders, and
// a file system for the search that a test can hold at one folder.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/folder_search.h"
#include "platform/folder_walk.h"
#include "tests/win/select_run_fixture.h"

namespace zel::test {

struct TreeItem {
  HTREEITEM item;
  std::wstring path;  // the texts from the drive node down, joined by "\"
};

inline std::wstring ItemText(HWND tree, HTREEITEM item) {
  wchar_t buf[512] = L"";
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_HANDLE;
  tv.hItem = item;
  tv.pszText = buf;
  tv.cchTextMax = 512;
  TreeView_GetItem(tree, &tv);
  return buf;
}

inline void CollectItems(HWND tree, HTREEITEM first, const std::wstring& above,
                         std::vector<TreeItem>& out) {
  for (HTREEITEM i = first; i; i = TreeView_GetNextSibling(tree, i)) {
    const std::wstring path = above.empty() ? ItemText(tree, i) : above + L"\\" + ItemText(tree, i);
    out.push_back({i, path});
    CollectItems(tree, TreeView_GetChild(tree, i), path, out);
  }
}

// Every item in display order.
inline std::vector<TreeItem> TreeItems(HWND tree) {
  std::vector<TreeItem> out;
  CollectItems(tree, TreeView_GetRoot(tree), L"", out);
  return out;
}

inline std::vector<std::wstring> TreePaths(HWND tree) {
  std::vector<std::wstring> out;
  for (const TreeItem& i : TreeItems(tree)) out.push_back(i.path);
  return out;
}

inline HTREEITEM ItemAt(HWND tree, const std::wstring& path) {
  for (const TreeItem& i : TreeItems(tree))
    if (i.path == path) return i.item;
  return nullptr;
}

// A click of the mouse button on the item's text.
inline void ClickItem(VarnikWindow& w, HTREEITEM item, bool right = false) {
  ASSERT_NE(item, nullptr);
  TreeView_EnsureVisible(w.TreeView1, item);
  RECT r{};
  ASSERT_TRUE(TreeView_GetItemRect(w.TreeView1, item, &r, TRUE));
  // Near the text's left end: a long name deep down the tree may end
  // beyond the pane's right edge.
  const LPARAM at = MAKELPARAM(r.left + 3, (r.top + r.bottom) / 2);
  PostMessageW(w.TreeView1, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN,
               right ? MK_RBUTTON : MK_LBUTTON, at);
  PostMessageW(w.TreeView1, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(Settle(w));
}

// The folder's long path as Windows spells it.
inline std::wstring LongPath(const std::filesystem::path& p) {
  wchar_t buf[MAX_PATH * 2];
  const DWORD n = GetLongPathNameW(p.wstring().c_str(), buf, MAX_PATH * 2);
  return n && n < MAX_PATH * 2 ? std::wstring(buf, n) : p.wstring();
}

// The drive as the drive list gives it: "c:".
inline std::wstring DriveOf(const std::filesystem::path& p) {
  std::wstring d = LongPath(p).substr(0, 2);
  d[0] = static_cast<wchar_t>(towlower(d[0]));
  return d;
}

// The folder as a line of a tree cache: the drive as the drive list gives
// it, then the long names.
inline std::wstring CacheLine(const std::filesystem::path& p) {
  return DriveOf(p) + LongPath(p).substr(2);
}

// The key the tree gives the folder.
inline std::wstring KeyOf(const std::filesystem::path& p) {
  return Wide(FolderKeyPath(ProgramPath(p)).value_or("?"));
}

// A place where a search can be held: the search's file system stops at
// its `block_at`-th folder until the test opens the gate or the search is
// stopped.
struct Gate {
  std::mutex m;
  std::condition_variable cv;
  int block_at = 0;  // 0: never
  std::atomic<int> folders{0};
  std::atomic<bool> reached{false};
  bool open = false, aborted = false;
  bool not_ready = false;  // every folder: the drive is not ready
  int not_ready_from = 0;  // from this folder on the drive is gone (0: never)
  // The held folder does not give up when the search is stopped, as a read
  // of a stalled network drive may not; only Open ends it.
  bool deaf = false;
  std::atomic<bool> left{false};  // the held folder's listing has returned

  void Open() {
    std::lock_guard<std::mutex> lock(m);
    open = true;
    cv.notify_all();
  }
};

class GateSource : public FolderSource {
 public:
  explicit GateSource(Gate& gate) : gate_(gate) {}
  ListResult ListFolder(const std::string& folder, const std::string& extension,
                        std::vector<FolderEntry>& folders, std::vector<DirEntry>& files) override {
    if (gate_.not_ready) return ListResult::kNotReady;
    const int n = ++gate_.folders;
    if (gate_.not_ready_from > 0 && n >= gate_.not_ready_from) return ListResult::kNotReady;
    if (n == gate_.block_at) {
      bool aborted = false;
      {
        std::unique_lock<std::mutex> lock(gate_.m);
        gate_.reached = true;
        gate_.cv.wait(lock, [&] { return gate_.open || (gate_.aborted && !gate_.deaf); });
        aborted = gate_.aborted;
      }
      // The last the gate hears of this call: a test may end once it is set.
      gate_.left = true;
      if (aborted) return ListResult::kUnreadable;
    }
    return inner_.ListFolder(folder, extension, folders, files);
  }
  std::unique_ptr<ByteSource> OpenRead(const std::string& path) override {
    return inner_.OpenRead(path);
  }
  void Abort() override {
    std::lock_guard<std::mutex> lock(gate_.m);
    gate_.aborted = true;
    gate_.cv.notify_all();
  }

 private:
  Gate& gate_;
  Win32FolderSource inner_;
};

// The window's fixture with the search's file system behind a gate.
class TreeFixture : public SelectRunFixture {
 protected:
  Gate gate;

  void SetUp() override {
    SelectRunFixture::SetUp();
    SetFolderSourceFactory([this] { return std::make_unique<GateSource>(gate); });
  }
  void TearDown() override {
    SetFolderSourceFactory(nullptr);
    SelectRunFixture::TearDown();
  }

  // Settings for a run, with a left column wide enough for the temporary
  // folders' deep paths.
  Settings TreeSettings() const {
    Settings s = RunSettings();
    s.Frame2left = 6000;
    return s;
  }

  std::filesystem::path Cache(const char* type = "bat") const {
    return prog / (L"tree_" + DriveOf(files).substr(0, 1) + WideUtf8(type) + L".dat");
  }
  void WriteCache(const std::vector<std::wstring>& lines, const char* type = "bat") const {
    std::string bytes;
    for (const std::wstring& l : lines) bytes += Narrow(l) + "\r\n";
    WriteBytes(Cache(type), bytes);
  }
  std::vector<std::wstring> CacheLines(const char* type = "bat") const {
    std::vector<std::wstring> out;
    for (const std::string& l : SplitLines(ReadBytes(Cache(type)))) out.push_back(Wide(l));
    return out;
  }
  static void MakeQualifying(const std::filesystem::path& folder, const char* name = "q.bat") {
    std::filesystem::create_directories(folder);
    WriteBytes(folder / name, "REM q\r\nREM #jw\r\n");
  }
  // Waits for the search to end, pumping as the program does.
  static bool SearchEnds(VarnikWindow& w) {
    return PumpUntil(w, [&] { return !w.searching(); }, std::chrono::seconds(60));
  }
};

}  // namespace zel::test
