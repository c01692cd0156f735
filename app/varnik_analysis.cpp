// Selecting a file: the analysis of the selected row, the list's keys and
// mouse buttons, the display-mode panel and the list's context menu.
#include <windowsx.h>

#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/analysis.h"
#include "core/filelist.h"
#include "core/text.h"
#include "platform/files.h"
#include "platform/ui_service.h"

namespace zel {

namespace {

// One line in the comment view saying why the selected file is not shown,
// so it never goes on showing the text of the file selected before.
const char* FailureLine(AnalysisFailure failure) {
  switch (failure) {
    case AnalysisFailure::kTooManyWords:
      return "（31語を超える行があるため、内容を表示できません）";
    case AnalysisFailure::kTooManyLines:
      return "（32,767行を超えるため、内容を表示できません）";
    case AnalysisFailure::kTooManyRelated:  // the file was read whole: its text is shown
    case AnalysisFailure::kUnreadable:
    case AnalysisFailure::kNone:
      break;
  }
  return "（このファイルを読めないため、内容を表示できません）";
}

}  // namespace

std::string VarnikWindow::SelectedRowColumn(int column) const {
  int row = ListView_GetNextItem(ListView1, -1, LVNI_SELECTED);
  if (row < 0) return {};
  wchar_t buf[1024] = L"";
  ListView_GetItemText(ListView1, row, column, buf, 1024);
  return Narrow(buf);
}

std::string VarnikWindow::SelectedRowTitle() const {
  const int row = ListView_GetNextItem(ListView1, -1, LVNI_SELECTED);
  if (row < 0) return {};
  // The row's own title as the list was built from the file: the text the
  // control holds is what it can show of it, cut at a NUL or at the
  // buffer's end, and bytes code page 932 has no character for do not come
  // back from it as they were.
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (ListView_GetItem(ListView1, &item) && item.lParam >= 0 &&
      static_cast<std::size_t>(item.lParam) < list_rows_.size())
    return list_rows_[static_cast<std::size_t>(item.lParam)].title;
  return SelectedRowColumn(0);
}

void VarnikWindow::ClearSelectionState() {
  selected_file_path_.clear();
  related_file_list_.clear();
  engine_label_ = "?";
  analysed_name_.clear();
  analysed_folder_.clear();
  analysed_filter_ = -1;
}

bool VarnikWindow::SelectionIsHighlightedRow() const {
  if (selected_file_path_.empty()) return false;
  if (ListView_GetNextItem(ListView1, -1, LVNI_SELECTED) < 0) return false;
  return analysed_filter_ == FilterIndex() && analysed_folder_ == current_folder_ &&
         analysed_name_ == SelectedRowColumn(1);
}

void VarnikWindow::AnalyseSelectedFile() {
  const DisplayMode mode = display_all_ ? DisplayMode::kAll : DisplayMode::kFiltered;
  ClearSelectionState();
  if (ListView_GetNextItem(ListView1, -1, LVNI_SELECTED) < 0) return;  // nothing selected

  // Editors are started later with bare file names, which resolve in the
  // current folder.
  selected_drive_ = LeftChars(current_folder_, 2);
  SetCurrentFolder(current_folder_);
  const std::string name = SelectedRowColumn(1);
  selected_file_path_ = JoinPath(current_folder_, name);
  analysed_name_ = name;
  analysed_folder_ = current_folder_;
  analysed_filter_ = FilterIndex();
  kanren_visible_.fill(true);
  kanren_captions_[0] = name;

  Win32FileSystem fs;
  std::unique_ptr<OpenedFile> file = fs.OpenRead(selected_file_path_);
  if (!file) {
    // The views never go on showing another file's text.
    SetCtlText(txtengin, engine_label_);
    SetCtlTextU(Text1, FailureLine(AnalysisFailure::kUnreadable));
    return;
  }
  AnalysisResult result;
  if (FilterIndex() == kFilterBatch) {
    result = AnalyseBatch(*file->bytes, mode, selected_file_path_,
                          [](const std::string& p) { return FileExists(p); },
                          static_cast<std::size_t>(file->size));
  } else {
    result = AnalyseSettingsFile(*file->bytes, mode, static_cast<std::size_t>(file->size));
  }
  // The check box follows a "rem #cd" line even when the analysis stopped later.
  if (result.check_smenu) Button_SetCheck(chk_smenu, BST_CHECKED);
  related_file_list_ = result.related_list;
  for (std::size_t i = 0; i < result.related_captions.size() && i + 1 < kanren_captions_.size(); ++i)
    kanren_captions_[i + 1] = result.related_captions[i];
  if (result.menu_built)
    for (std::size_t i = result.related_captions.size() + 1; i < kanren_visible_.size(); ++i)
      kanren_visible_[i] = false;
  // The engine found so far stays, also when the analysis stopped later:
  // the wrapper's search paths and forced awk depend on it.
  engine_label_ = result.engine_label;
  SetCtlText(txtengin, engine_label_);
  // Too many related names stop only the menu; the text read is the file's
  // own and is shown.
  if (result.failed && result.failure != AnalysisFailure::kTooManyRelated) {
    SetCtlTextU(Text1, FailureLine(result.failure));
    return;
  }
  SetCtlText(Text1, result.display);
}

void VarnikWindow::OnListKeyUp(UINT vk) {
  switch (vk) {
    case VK_RETURN:
      // The window's own key-down handler runs the file on Enter already;
      // one press must not run it twice.
      if (enter_ran_on_key_down_) {
        enter_ran_on_key_down_ = false;
        return;
      }
      RunSelectedFile();
      return;
    case VK_UP:
    case VK_DOWN:
      AnalyseSelectedFile();
      return;
    case VK_LEFT:
      SetFocus(TreeView1);
      return;
  }
}

void VarnikWindow::OnListButton(bool right) {
  if (ListView_GetItemCount(ListView1) == 0) {
    SetFocus(TreeView1);
    return;
  }
  if (!right) return;
  AnalyseSelectedFile();
  SetupContextMenu();
  POINT pt;
  GetCursorPos(&pt);
  if (UINT cmd = ShowPopupMenu(context, TPM_RIGHTBUTTON, pt.x, pt.y, hwnd_))
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
}

void VarnikWindow::OnDisplayModePanel() {
  display_all_ = !display_all_;
  const char* text = display_all_ ? "全部" : FilterIndex() == kFilterBatch ? "コメント" : "変数";
  // A raised panel means the filtered view, an inset one every line.
  SendMessageW(SBar1, SB_SETTEXTW, display_all_ ? 0 : SBT_POPOUT,
               reinterpret_cast<LPARAM>(WideUtf8(text).c_str()));
  AnalyseSelectedFile();
}

void VarnikWindow::RebuildRelatedMenu() {
  if (!files_menu_) return;
  while (GetMenuItemCount(files_menu_) > 0) DeleteMenu(files_menu_, 0, MF_BYPOSITION);
  for (int i = 0; i < 14; ++i)
    if (kanren_visible_[i])
      AppendMenuW(files_menu_, MF_STRING, kCmdKanrenfileFirst + i, Wide(kanren_captions_[i]).c_str());
}

void VarnikWindow::SetupContextMenu() {
  const int filter = FilterIndex();
  while (GetMenuItemCount(context) > 0) RemoveMenu(context, 0, MF_BYPOSITION);
  if (!files_menu_) files_menu_ = CreatePopupMenu();
  RebuildRelatedMenu();
  auto item = [this](UINT id, const char* text) {
    AppendMenuW(context, MF_STRING, id, WideUtf8(text).c_str());
  };
  static const char* kBateditCaptions[3] = {"ＡＬＬ", "ＪＷＦ編集", "ＪＷＬ編集"};
  const bool batch = filter == kFilterBatch, jwf = filter == kFilterJwf;
  if (batch)
    AppendMenuW(context, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(files_menu_),
                WideUtf8("関連ファイル編集").c_str());
  item(kCmdBatedit, kBateditCaptions[filter]);
  AppendMenuW(context, MF_SEPARATOR, 0, nullptr);
  item(kCmdMnuRemame, "名称の変更");
  item(kCmdMSaisin, "最新の情報に更新");
  AppendMenuW(context, MF_SEPARATOR, 0, nullptr);
  if (batch) item(kCmdDebRun, "デバッグモードで実行");
  item(kCmdNmuTmpOut, "JWC_TEMP.TXTの書き出し");
  if (jwf) item(kCmdAddcome, "コメントを挿入(Ver UP用)");
  if (jwf) item(kCmdAddcomebubun, "コメントを挿入(部分有効)");
  if (!batch) item(kCmdFilekill, "削除");
}

}  // namespace zel
