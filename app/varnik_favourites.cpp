// A click on a favourites button: Ctrl registers the current folder, Shift
// frees the button, a plain click jumps to the button's folder and type.
#include "app/favourites_bar.h"
#include "app/folder_tree_pane.h"
#include "platform/ui_service.h"
#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/text.h"
#include "platform/files.h"
#include "platform/folder_walk.h"

namespace zel {

void VarnikWindow::OnShortcutClick(int index) {
  selected_file_path_.clear();
  related_file_list_.clear();
  SetCtlText(txtengin, "");
  SetCtlText(Text1, "");
  if (ctrl_held_) {
    // With Shift held too, a click registers.
    switch (favourites_->Register(index, current_folder_, FilterIndex(), folder_display_name_)) {
      case RegisterResult::kRegistered:
        ctrl_held_ = false;  // one registration per Ctrl press
        break;
      case RegisterResult::kDuplicate:
        ctrl_held_ = false;
        shift_held_ = false;
        ShowMessage(hwnd_, WideUtf8("すでに登録されてます。"), L"Zelvanto",
                    MB_OK | MB_ICONINFORMATION);
        return;
      case RegisterResult::kNoSuchButton:
        return;
    }
  } else if (!shift_held_) {
    const std::optional<FavouriteTarget> target = favourites_->Target(index);
    if (!target) return;  // a free button
    if (target->filter_index != FilterIndex()) SelectFilter(target->filter_index);
    if (!ChangeDrive(target->folder)) return;
    // The folder's short form as the tree keys it (upper case; the long
    // path where a short name is shared), so the current folder is exactly
    // its node's key, as after a click on the node.
    const std::optional<std::string> folder = FolderKeyPath(target->folder);
    if (!folder) return;  // gone from the disk
    if (!tree_pane_->Has(*folder)) {
      // Hidden from the tree since it was registered. The window keeps
      // showing the folder it lists: a current folder other than the one
      // listed would run and edit files of the wrong folder.
      ShowMessage(hwnd_,
                  WideUtf8("登録されているフォルダがありません。\r\n登録を削除します。"),
                  L"Zelvanto", MB_OK | MB_ICONINFORMATION);
      favourites_->Free(index);
      ArrangePanes();
      return;
    }
    current_folder_ = *folder;
    tree_pane_->Select(current_folder_);
    SetCtlText(txt_gai, current_folder_);
    RefreshFileList();
  } else {
    favourites_->Free(index);
    shift_held_ = false;
  }
  // A new caption may change the column's width.
  ArrangePanes();
  UpdateWindow(Toolbar1);
}

}  // namespace zel
