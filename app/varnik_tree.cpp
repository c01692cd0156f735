// The folder tree and the drive list of the main window: loading and saving
// the tree cache, the folder search, a click on a node, hiding a folder,
// opening it in the shell, and changing the drive.
#include "app/folder_search.h"
#include "app/folder_tree_pane.h"
#include "platform/ui_service.h"
#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/filelist.h"
#include "core/foldertree.h"
#include "core/text.h"
#include "platform/files.h"
#include "platform/folder_walk.h"

#include <shellapi.h>

#include <chrono>

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
  search_shown_ = SearchShown{};
  search_shown_.cache_path = TreeCachePath();
  search_shown_.tree_was_reset = tree_was_reset;
  try {
    search_ = std::make_unique<FolderSearchRunner>(hwnd_, ++search_serial_, MakeFolderSource(),
                                                   start, FilterIndex());
  } catch (const std::exception&) {
    return;  // no thread to run it on: nothing was started
  }
  SetCtlTextU(Text1, "ファイル検索中...");
  SetTimer(hwnd_, FolderSearchRunner::kProgressTimer, 250, nullptr);
  SendMessageW(Text1, EM_SETLIMITTEXT, 0, 0);  // as long as the found folders need
  if (PointerOver(hwnd_)) SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
}

// Adds what the search found to the tree and the found-folders text, for a
// slice of time at most unless `everything`. True when all that was found
// so far is shown.
bool VarnikWindow::ShowSearchProgress(bool everything) {
  using Clock = std::chrono::steady_clock;
  // Thousands of folders found at once would keep the window from
  // answering; a slice leaves time for the user between two.
  constexpr auto kSlice = std::chrono::milliseconds(30);
  constexpr std::size_t kStep = 64;
  const Clock::time_point began = Clock::now();
  FolderSearchRunner::Progress p;
  do {
    p = search_->Take(everything ? static_cast<std::size_t>(-1) : kStep);
    tree_pane_->AddFolderPaths(p.found);
    for (const std::string& folder : p.found) {
      search_shown_.text += folder;
      search_shown_.text += "\r\n";
      search_shown_.unshown += folder;
      search_shown_.unshown += "\r\n";
    }
  } while (p.more_found && (everything || Clock::now() - began < kSlice));

  // The text grows by appending, a few times a second: laid out anew for
  // every folder found, it would keep the window busy for minutes.
  const bool caught_up = !p.more_found;
  if (!search_shown_.unshown.empty() &&
      (caught_up || Clock::now() - search_shown_.shown_at > std::chrono::milliseconds(250))) {
    const int length = GetWindowTextLengthW(Text1);
    if (search_shown_.text1_length >= 0 && length == search_shown_.text1_length) {
      SendMessageW(Text1, EM_SETSEL, length, length);
      SendMessageW(Text1, EM_REPLACESEL, FALSE,
                   reinterpret_cast<LPARAM>(Wide(search_shown_.unshown).c_str()));
    } else {
      SetCtlText(Text1, search_shown_.text);  // the box showed something else meanwhile
    }
    search_shown_.text1_length = GetWindowTextLengthW(Text1);
    search_shown_.unshown.clear();
    search_shown_.shown_at = Clock::now();
  }
  if (!p.done) {
    SetInfoPanel(SBar1, WideUtf8("読込 ") + std::to_wstring(p.folders_read) +
                            WideUtf8(" / 該当 ") + std::to_wstring(p.folders_found) + L"  " +
                            Wide(p.reading));
  }
  return caught_up;
}

void VarnikWindow::DropEndedStalledSearches() {
  std::erase_if(stalled_searches_, [](const std::unique_ptr<FolderSearchRunner>& r) {
    return r->Finished();
  });
}

void VarnikWindow::OnSearchMessage(UINT msg, WPARAM serial) {
  if (msg == FolderSearchRunner::kDoneMessage) DropEndedStalledSearches();
  if (!search_ || search_->serial() != serial) return;  // left over from an earlier search
  if (msg == FolderSearchRunner::kDoneMessage) search_shown_.done = true;
  if (!ShowSearchProgress(false)) {
    // More to show: the rest comes after what the user does meanwhile.
    SetTimer(hwnd_, FolderSearchRunner::kShowTimer, 10, nullptr);
    return;
  }
  if (search_shown_.done) FinishSearch();
}

void VarnikWindow::StopSearch() {
  if (!search_) return;
  search_->Cancel();
  // A worker stops at its next folder or file at once; one held up in a
  // stalled network drive may not, and the window does not wait for it.
  FinishSearch(!search_->WaitFor(std::chrono::milliseconds(1000)));
}

void VarnikWindow::FinishSearch(bool stalled) {
  if (!stalled) search_->Wait();
  ShowSearchProgress(true);
  SearchSummary summary = search_->Take(0).summary;
  if (stalled) {
    summary.end = SearchEnd::kCancelled;
    stalled_searches_.push_back(std::move(search_));
  }
  search_.reset();
  KillTimer(hwnd_, FolderSearchRunner::kProgressTimer);
  if (PointerOver(hwnd_)) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  SetInfoPanel(SBar1, L"");
  const std::string end =
      "\r\n" + J(summary.end == SearchEnd::kCancelled ? "検索を中止しました" : "検索終了");
  const int length = GetWindowTextLengthW(Text1);
  if (search_shown_.text1_length >= 0 && length == search_shown_.text1_length) {
    SendMessageW(Text1, EM_SETSEL, length, length);
    SendMessageW(Text1, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(end).c_str()));
  } else {
    SetCtlText(Text1, search_shown_.text + end);
  }
  if (summary.end == SearchEnd::kNotReady) {
    ShowMessage(hwnd_, WideUtf8("ドライブが用意できていません。"), L"Zelvanto",
                MB_OK | MB_ICONWARNING);
    // A drive lost part way leaves a part of a tree: after a reset it would
    // take the place of a whole one, so the tree and its cache stay as they
    // were. A search below one folder only adds to the tree, which is kept.
    if (summary.folders_read == 0 || search_shown_.tree_was_reset) {
      if (search_shown_.tree_was_reset)
        tree_pane_->LoadCache(tree_pane_->drive(), search_shown_.cache_path);
      return;
    }
  }
  SaveTreeTo(search_shown_.cache_path);
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
  ShellExecuteW(hwnd_, L"Explore", Wide(current_folder_).c_str(), nullptr, nullptr, SW_RESTORE);
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
