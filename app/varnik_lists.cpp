// The file list of the main window.
#include "app/list_prefetch.h"
#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/filelist.h"
#include "core/listorder.h"
#include "core/text.h"
#include "platform/files.h"

namespace zel {

void VarnikWindow::RefreshFileList() {
  auto finish = [this] {
    InvalidateRect(ListView1, nullptr, TRUE);
    // A hidden window (still loading, or resident in the tray) is not
    // activated for it: focusing it costs Wine an activation of its own,
    // and the load sequence and the restore give the list the focus.
    if (IsWindowVisible(hwnd_)) SetFocus(ListView1);
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
  std::optional<FileListing> prefetched;
  if (list_prefetch_) prefetched = list_prefetch_->Take(current_folder_, FilterIndex());
  list_prefetch_.reset();
  FileListing listing;
  if (prefetched) {
    listing = std::move(*prefetched);
  } else {
    Win32FileSystem fs;
    listing = BuildFileList(fs, current_folder_, FilterIndex());
  }
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
