// The drive list, the folder tree and the file list of the main window.
#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/filelist.h"
#include "core/listorder.h"
#include "core/text.h"
#include "platform/files.h"

namespace zel {

void VarnikWindow::FillDriveList() {
  SendMessageW(drvList, CB_RESETCONTENT, 0, 0);
  DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    wchar_t name[3] = {static_cast<wchar_t>(L'a' + i), L':', 0};
    SendMessageW(drvList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
}

void VarnikWindow::SelectDrive(const std::string& drive) {
  if (SendMessageW(drvList, CB_GETCOUNT, 0, 0) == 0) FillDriveList();
  std::wstring want = Wide(AsciiLower(drive));
  LRESULT i = SendMessageW(drvList, CB_FINDSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(want.c_str()));
  if (i != CB_ERR) SendMessageW(drvList, CB_SETCURSEL, i, 0);
}

// The tree from its cache file is not read yet: the tree holds the drive of
// the current folder and the current folder itself, so the folder can be
// selected and shown.
void VarnikWindow::LoadTreeCache() {
  TreeView_DeleteAllItems(TreeView1);
  tree_nodes_.clear();
  std::string drive = AsciiLower(LeftChars(current_folder_, 2));
  if (drive.size() != 2 || drive[1] != ':') return;
  std::wstring text = Wide(drive);
  TVINSERTSTRUCTW ins{};
  ins.hParent = TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  ins.item.pszText = text.data();
  ins.item.iImage = ins.item.iSelectedImage = 0;
  HTREEITEM root = TreeView_InsertItem(TreeView1, &ins);
  tree_nodes_[AsciiUpper(drive)] = root;

  std::string key = AsciiUpper(current_folder_);
  std::size_t last = FindLastChar(key, '\\');
  if (last != std::string::npos && last + 1 == key.size()) key.resize(last);
  if (key.size() <= 2) return;
  // The node shows the folder's own long name; its key stays the short form.
  std::wstring long_path = Wide(current_folder_);
  wchar_t buf[MAX_PATH * 2];
  DWORD n = GetLongPathNameW(long_path.c_str(), buf, MAX_PATH * 2);
  if (n > 0 && n < MAX_PATH * 2) long_path.assign(buf, n);
  while (!long_path.empty() && long_path.back() == L'\\') long_path.pop_back();
  std::wstring name = long_path.substr(long_path.find_last_of(L'\\') + 1);
  ins.hParent = root;
  ins.item.pszText = name.data();
  ins.item.iImage = 1;
  ins.item.iSelectedImage = 2;
  tree_nodes_[key] = TreeView_InsertItem(TreeView1, &ins);
  TreeView_Expand(TreeView1, root, TVE_EXPAND);
}

void VarnikWindow::SelectTreeNode(const std::string& key) {
  auto it = tree_nodes_.find(AsciiUpper(key));
  if (it == tree_nodes_.end()) return;
  TreeView_SelectItem(TreeView1, it->second);
  TreeView_EnsureVisible(TreeView1, it->second);
}

void VarnikWindow::RefreshFileList() {
  auto finish = [this] {
    InvalidateRect(ListView1, nullptr, TRUE);
    SetFocus(ListView1);
  };
  // The folder must be reachable before the old rows go: a drive that is
  // not ready keeps the previous listing.
  if (!SetCurrentFolder(current_folder_)) {
    finish();
    return;
  }
  SendMessageW(ListView1, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(ListView1);
  // The rows the selection was taken from are gone.
  ClearSelectionState();
  Win32FileSystem fs;
  FileListing listing = BuildFileList(fs, current_folder_, FilterIndex());
  // The rows come in the order the headers show; each keeps its index into
  // list_rows_, by which a header click reorders them.
  SortRows(listing.rows, list_sort_);
  list_rows_ = std::move(listing.rows);
  int row = 0;
  for (const FileRow& r : list_rows_) {
    std::wstring title = Wide(r.title), name = Wide(r.name), date = Wide(r.date);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.lParam = row;
    item.pszText = title.data();
    int at = static_cast<int>(SendMessageW(ListView1, LVM_INSERTITEMW, 0,
                                           reinterpret_cast<LPARAM>(&item)));
    if (at < 0) break;
    ListView_SetItemText(ListView1, at, 1, name.data());
    ListView_SetItemText(ListView1, at, 2, date.data());
    ++row;
  }
  SendMessageW(ListView1, WM_SETREDRAW, TRUE, 0);
  finish();
}

}  // namespace zel
