// The file list's order: the column headers with their mark, a click on a
// header, and the order kept over a restart. The rows themselves come from
// RefreshFileList, already in this order.
#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/listorder.h"

namespace zel {

// The order and the captions as the settings left them. The list is in
// that order from the start, so the mark in the header is always true.
void VarnikWindow::RestoreListOrder() {
  list_sort_ = SortFromSettings(settings_.ColumnSortkey, settings_.ColumnSortOrder);
  std::array<std::string, kListColumns> captions =
      CaptionsAtStart({settings_.Column1, settings_.Column2, settings_.Column3}, list_sort_);
  settings_.Column1 = captions[0];
  settings_.Column2 = captions[1];
  settings_.Column3 = captions[2];
  ShowColumnCaptions(captions);
}

void VarnikWindow::ShowColumnCaptions(const std::array<std::string, kListColumns>& captions) {
  for (int i = 0; i < kListColumns; ++i) {
    std::wstring text = Wide(captions[i]);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = text.data();
    SendMessageW(ListView1, LVM_SETCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
  }
}

void VarnikWindow::OnColumnClick(int column) {
  if (column < 0 || column >= kListColumns) return;
  list_sort_ = AfterHeaderClick(list_sort_, column);
  ShowColumnCaptions(SortedCaptions(list_sort_));
  // The list moves its rows itself, so the highlighted row stays
  // highlighted wherever it goes.
  ListView_SortItems(ListView1, &VarnikWindow::CompareListRows, reinterpret_cast<LPARAM>(this));
  const int selected = ListView_GetNextItem(ListView1, -1, LVNI_SELECTED);
  if (selected >= 0) ListView_EnsureVisible(ListView1, selected, FALSE);
}

int CALLBACK VarnikWindow::CompareListRows(LPARAM a, LPARAM b, LPARAM self) {
  const auto* w = reinterpret_cast<const VarnikWindow*>(self);
  const auto count = static_cast<LPARAM>(w->list_rows_.size());
  if (a < 0 || b < 0 || a >= count || b >= count) return 0;
  return CompareRows(w->list_rows_[a], w->list_rows_[b], w->list_sort_);
}

}  // namespace zel
