// The folder tree and the drive list of the main window: loading and saving
// the tree cache, the folder search, a click on a node, hiding a folder,
// opening it in the shell, and changing the drive.
#include "app/folder_search.h"
#include "app/folder_tree_pane.h"
#include "app/ui_service.h"
#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/filelist.h"
#include "core/foldertree.h"
#include "core/text.h"
#include "platform/files.h"
#include "platform/folder_walk.h"

#include <shellapi.h>

namespace zel {

namespace {

void SetInfoPanel(HWND status, const std::wstring& text) {
  SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(text.c_str()));
}

// Whether the mouse is over the window or one of its controls.
bool PointerOver(HWND window) {
  POINT pt;
  if (!GetCursorPos(&pt)) return false;
  HWND under = WindowFromPoint(pt);
  return under && (under == window || IsChild(window, under));
}

}  // namespace

void VarnikWindow::FillDriveList() {
  const std::string keep = DriveListDrive();
  SendMessageW(drvList, CB_RESETCONTENT, 0, 0);
  const DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    wchar_t name[3] = {static_cast<wchar_t>(L'a' + i), L':', 0};
    SendMessageW(drvList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  if (keep.empty()) return;
  const std::wstring want = Wide(keep);
  const LRESULT i = SendMessageW(drvList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(want.c_str()));
  if (i != CB_ERR) SendMessageW(drvList, CB_SETCURSEL, i, 0);
}

std::string VarnikWindow::DriveListDrive() const {
  const LRESULT i = SendMessageW(drvList, CB_GETCURSEL, 0, 0);
  if (i == CB_ERR) return {};
  wchar_t buf[64] = L"";
  if (SendMessageW(drvList, CB_GETLBTEXTLEN, i, 0) >= 64) return {};
  SendMessageW(drvList, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
  return LeftChars(Narrow(buf), 2);
}

bool VarnikWindow::SelectDrive(const std::string& drive) {
  if (SendMessageW(drvList, CB_GETCOUNT, 0, 0) == 0) FillDriveList();
  const std::wstring want = Wide(AsciiLower(LeftChars(drive, 2)));
  LRESULT i = SendMessageW(drvList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(want.c_str()));
  if (i == CB_ERR) {
    // A drive that came after the list was made (a card, a mapped share).
    FillDriveList();
    i = SendMessageW(drvList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(want.c_str()));
  }
  if (i == CB_ERR) return false;
  SendMessageW(drvList, CB_SETCURSEL, i, 0);
  return true;
}

// The drive list's drive; before the list has one, the current folder's.
std::string VarnikWindow::TreeDrive() const {
  std::string drive = DriveListDrive();
  if (drive.empty()) drive = AsciiLower(LeftChars(current_folder_, 2));
  return drive;
}

std::string VarnikWindow::TreeCachePath() const {
  return program_folder_ + "\\" + TreeCacheFileName(TreeDrive(), FilterPattern(FilterIndex()));
}

void VarnikWindow::ResetFolderTree() {
  StopSearch();
  tree_pane_->Reset(TreeDrive());
}

void VarnikWindow::LoadTreeCache() {
  // What a running search found belongs to the tree shown now: it is kept
  // and saved before another tree takes its place.
  StopSearch();
  tree_pane_->LoadCache(TreeDrive(), TreeCachePath());
}

void VarnikWindow::SelectTreeNode(const std::string& key) { tree_pane_->Select(key); }

void VarnikWindow::savetree() { SaveTreeTo(TreeCachePath()); }

void VarnikWindow::SaveTreeTo(const std::string& path) {
  if (tree_pane_->SaveCache(path)) {
    tree_save_failure_reported_ = false;
    return;
  }
  // The old file is still whole. A program folder that cannot be written
  // fails every time: the user hears of it once.
  if (tree_save_failure_reported_) return;
  tree_save_failure_reported_ = true;
  ShowMessage(hwnd_,
              WideUtf8("フォルダツリーを保存できませんでした。\r\n"
                       "以前のツリーファイルはそのまま残っています。\r\n\r\n") +
                  Wide(path),
              L"Zelvanto", MB_OK | MB_ICONWARNING);
}

void VarnikWindow::SearchFolders(const std::string& start, bool tree_was_reset) {
  if (search_ || !hwnd_) return;  // one search at a time
  search_cache_path_ = TreeCachePath();
  search_reset_tree_ = tree_was_reset;
  found_text_.clear();
  try {
    search_ = std::make_unique<FolderSearchRunner>(hwnd_, ++search_serial_,
                                                   MakeFolderSource(), start,
                                                   FilterIndex());
  } catch (const std::exception&) {
    return;  // no thread to run it on: nothing was started
  }
  SetCtlTextU(Text1, "ファイル検索中...");
  if (PointerOver(hwnd_)) SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
}

void VarnikWindow::ApplySearchProgress() {
  FolderSearchRunner::Progress p = search_->Take();
  for (const std::string& folder : p.found) {
    found_text_ += folder;
    found_text_ += "\r\n";
    tree_pane_->AddFolderPath(folder);
  }
  if (!p.found.empty()) SetCtlText(Text1, found_text_);
  if (!p.done) {
    SetInfoPanel(SBar1, WideUtf8("読込 ") + std::to_wstring(p.folders_read) +
                            WideUtf8(" / 該当 ") + std::to_wstring(p.folders_found) + L"  " +
                            Wide(p.reading));
  }
}

void VarnikWindow::OnSearchMessage(UINT msg, WPARAM serial) {
  if (!search_ || search_->serial() != serial) return;  // left over from an earlier search
  if (msg == FolderSearchRunner::kProgressMessage) {
    ApplySearchProgress();
    return;
  }
  FinishSearch();
}

void VarnikWindow::StopSearch() {
  if (!search_) return;
  search_->Cancel();
  FinishSearch();
}

void VarnikWindow::FinishSearch() {
  search_->Wait();
  ApplySearchProgress();
  const SearchSummary summary = search_->Take().summary;
  search_.reset();
  if (PointerOver(hwnd_)) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  SetInfoPanel(SBar1, L"");
  const char* end = summary.end == SearchEnd::kCancelled ? "検索を中止しました" : "検索終了";
  SetCtlText(Text1, found_text_ + "\r\n" + J(end));
  if (summary.end == SearchEnd::kNotReady) {
    ShowMessage(hwnd_, WideUtf8("ドライブが用意できていません。"), L"Zelvanto",
                MB_OK | MB_ICONWARNING);
    if (summary.folders_read == 0) {
      // Nothing was searched: the tree and its cache stay as they were.
      if (search_reset_tree_) tree_pane_->LoadCache(tree_pane_->drive(), search_cache_path_);
      return;
    }
  }
  SaveTreeTo(search_cache_path_);
}

void VarnikWindow::OnNodeClick(HTREEITEM item) {
  const std::optional<FolderTreePane::Node> node = tree_pane_->NodeOf(item);
  if (!node) return;
  current_folder_ = node->key;
  SetCtlText(Text1, "");
  selected_file_path_.clear();
  related_file_list_.clear();
  SetCtlText(txtengin, "");
  folder_display_name_ = node->text;
  SetCtlText(txt_gai, current_folder_);
  settings_.gaihenfolder = current_folder_;
  RefreshFileList();
  SetFocus(TreeView1);
}

void VarnikWindow::OnTreeNotify(NMHDR* hdr) {
  switch (hdr->code) {
    case TVN_SELCHANGEDW: {
      auto* nm = reinterpret_cast<NMTREEVIEWW*>(hdr);
      // A selection made by the program (a reload, a jump) is no click.
      if (nm->action == TVC_BYMOUSE) tree_selected_by_mouse_ = true;
      if (nm->action == TVC_BYMOUSE || nm->action == TVC_BYKEYBOARD)
        OnNodeClick(nm->itemNew.hItem);
      return;
    }
    case NM_CLICK: {
      // A click on the node that is selected already changes no selection,
      // and is a click on it all the same.
      const bool handled = tree_selected_by_mouse_;
      tree_selected_by_mouse_ = false;
      if (handled) return;
      const DWORD pos = GetMessagePos();
      TVHITTESTINFO hit{};
      hit.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
      ScreenToClient(TreeView1, &hit.pt);
      HTREEITEM item = TreeView_HitTest(TreeView1, &hit);
      if (item && (hit.flags & TVHT_ONITEM) && item == TreeView_GetSelection(TreeView1))
        OnNodeClick(item);
      return;
    }
    case NM_RCLICK: {
      POINT pt;
      GetCursorPos(&pt);
      if (UINT cmd = ShowPopupMenu(tree, TPM_RIGHTBUTTON, pt.x, pt.y, hwnd_))
        SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
      return;
    }
  }
}

void VarnikWindow::HideFolder() {
  if (RightChars(current_folder_, 1) == ":") {
    ShowMessage(hwnd_, WideUtf8("ドライブのルートフォルダは消せません"), L"Zelvanto",
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const std::optional<std::string> parent = tree_pane_->Hide(current_folder_);
  if (!parent) return;  // the current folder has no node
  current_folder_ = *parent;
  tree_pane_->Select(current_folder_);
  SetCtlText(txt_gai, current_folder_);
  RefreshFileList();
  savetree();
}

void VarnikWindow::OpenFolderInShell() {
  // Opened for the user to look at; whether the shell managed is not
  // something this window can act on.
  ShellExecuteW(hwnd_, L"explore", Wide(current_folder_).c_str(), nullptr, nullptr, SW_RESTORE);
}

void VarnikWindow::OnDriveChange() {
  if (IsLoading) return;
  related_file_list_.clear();
  const std::string drive = DriveListDrive();
  switch (EnterDrive(drive)) {
    case DriveProblem::kNone:
      break;
    case DriveProblem::kBadName:
      ShowMessage(hwnd_, WideUtf8("ファイル名が間違っています。"), L"Zelvanto",
                  MB_OK | MB_ICONERROR);
      return;
    case DriveProblem::kNotReady: {
      ShowMessage(hwnd_, WideUtf8("ドライブが用意できていません。"), L"Zelvanto",
                  MB_OK | MB_ICONWARNING);
      // Back to the drive and folder the window showed last; selecting it
      // again by program runs no change, so a saved folder on the same
      // missing drive cannot make this go round for ever.
      const std::string saved = settings_.gaihenfolder;
      if (!SelectDrive(LeftChars(saved, 2))) return;
      LoadTreeCache();
      current_folder_ = saved;
      SetCtlText(txt_gai, current_folder_);
      SelectTreeNode(current_folder_);
      RefreshFileList();
      SetFocus(TreeView1);
      return;
    }
    case DriveProblem::kOther:
      return;
  }
  current_folder_ = drive + "\\";
  SetCtlText(txt_gai, current_folder_);
  LoadTreeCache();
  RefreshFileList();
  SetFocus(TreeView1);
}

// Moves the drive list to `drive`, with the drive change when it is another
// drive. False when the list has no such drive or the change did not take.
bool VarnikWindow::ChangeDrive(const std::string& drive) {
  if (EqualsNoCase(DriveListDrive(), LeftChars(drive, 2))) return true;
  if (!SelectDrive(drive)) return false;
  OnDriveChange();
  return EqualsNoCase(DriveListDrive(), LeftChars(drive, 2));
}

}  // namespace zel
