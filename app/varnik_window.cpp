// The main window's message handling: one thunk finds the object, each event
// goes to its handler.
#include "app/resource.h"

#include <windowsx.h>

#include "app/favourites_bar.h"
#include "app/folder_search.h"
#include "app/folder_tree_pane.h"
#include "app/list_prefetch.h"
#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/envcomment.h"
#include "platform/ui_service.h"
#include "platform/winops.h"
#include "tray/tray_window.h"

namespace zel {

namespace {

LRESULT CALLBACK DividerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETCURSOR) {
    SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
    return TRUE;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

// The comment area passes its children's notifications on to the main
// window, which owns every control.
LRESULT CALLBACK FrameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY || msg == WM_COMMAND)
    return SendMessageW(GetParent(h), msg, wp, lp);
  return DefWindowProcW(h, msg, wp, lp);
}

void RegisterClasses(HINSTANCE inst) {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);

  wc.lpfnWndProc = DefWindowProcW;  // replaced per window by the thunk below
  wc.lpszClassName = kMainWindowClass;
  // The window starts with the batch files' picture, the filter most
  // starts show: a window icon set afterwards costs Wine a conversion for
  // the desktop each time.
  wc.hIcon = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(IDI_LIST2_BAT), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON),
                                           GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  wc.hIconSm = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(IDI_LIST2_BAT), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  RegisterClassExW(&wc);

  wc.hIcon = nullptr;
  wc.hIconSm = nullptr;
  wc.lpfnWndProc = DividerProc;
  wc.lpszClassName = L"ZelvantoDivider";
  RegisterClassExW(&wc);

  wc.lpfnWndProc = FrameProc;
  wc.lpszClassName = L"ZelvantoFrame";
  RegisterClassExW(&wc);
}

bool IsDescendant(HWND parent, HWND h) {
  return h == parent || IsChild(parent, h);
}

}  // namespace

VarnikWindow::VarnikWindow(std::string arguments, std::string program_folder)
    : arguments_(std::move(arguments)), program_folder_override_(std::move(program_folder)) {}

VarnikWindow::~VarnikWindow() {
  // The worker stops before the window it reports to goes, unless it is
  // held up in a read that will not break off.
  if (search_) {
    search_->Cancel();
    if (!search_->WaitFor(std::chrono::milliseconds(1000)))
      stalled_searches_.push_back(std::move(search_));
    search_.reset();
  }
  DropEndedStalledSearches();
  // A worker still held up in a read keeps its runner: destroyed, the
  // runner would wait for it. It reports to a window that is gone, which
  // costs nothing, and ends with the program.
  for (auto& stalled : stalled_searches_) {
    stalled->Cancel();
    if (!stalled->WaitFor(std::chrono::milliseconds(200))) (void)stalled.release();
  }
  if (hwnd_) DestroyWindow(hwnd_);
  frmtask_.reset();
  if (context) {
    // The related-file submenu is attached only for batches; detach it so
    // it is destroyed exactly once.
    while (GetMenuItemCount(context) > 0) RemoveMenu(context, 0, MF_BYPOSITION);
    DestroyMenu(context);
  }
  if (files_menu_) DestroyMenu(files_menu_);
  if (tree) DestroyMenu(tree);
  for (HIMAGELIST l : {ImageList1, ImageList3})
    if (l) ImageList_Destroy(l);
}

bool VarnikWindow::Create(HINSTANCE instance) {
  instance_ = instance;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                           ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterClasses(instance);
  StartListPrefetch();
  CreateMenuBar();
  // Created hidden: the load sequence shows it when everything is in place.
  hwnd_ = CreateWindowExW(0, kMainWindowClass, L"Zelvanto",
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                          900, 680, nullptr, menu_bar, instance, nullptr);
  if (!hwnd_) {
    DestroyMenu(menu_bar);
    menu_bar = nullptr;
    return false;
  }
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&VarnikWindow::WndProc));
  dpi_ = DpiOf(hwnd_);
  // Controls and the menu bar arriving resize the hidden window; the load
  // sequence lays it out once, when everything is in place.
  IsLoading = true;
  CreateControls();
  AttachPaneDrag();
  CreateMenus();
  LoadSequence();
  return true;
}

LRESULT CALLBACK VarnikWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<VarnikWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->Handle(msg, wp, lp);
}

LRESULT VarnikWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      OnResize();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_INITMENUPOPUP:
      UpdateSamplesMenu(reinterpret_cast<HMENU>(wp));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focus_before_deactivation_ = focus;
        return 0;
      }
      // Coming back to the window ends a debug run's request, and the keys
      // go where they went before (the list, after a run in Jw_cad).
      debug_run_ = false;
      if (!HIWORD(wp)) {
        HWND back = focus_before_deactivation_ && IsWindow(focus_before_deactivation_)
                        ? focus_before_deactivation_
                        : ListView1;
        SetFocus(back);
      }
      return 0;
    case WM_CLOSE:
      // The title bar's close box unloads; the cancel button and Esc act on
      // the boot mode instead.
      Unload();
      return 0;
    case WM_DESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
    case kLoadTrayMessage:
      LoadTrayWindow();
      return 0;
    case FolderSearchRunner::kProgressMessage:
    case FolderSearchRunner::kDoneMessage:
      OnSearchMessage(msg, wp);
      return 0;
    case WM_TIMER:
      if (wp == FolderSearchRunner::kShowTimer || wp == FolderSearchRunner::kProgressTimer) {
        if (wp == FolderSearchRunner::kShowTimer) KillTimer(hwnd_, wp);
        if (search_) OnSearchMessage(FolderSearchRunner::kProgressMessage, search_->serial());
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (favourites_ && reinterpret_cast<HWND>(wp) == Label6) favourites_->OnPointerOverLabel();
      // While a search runs the window still answers: the pointer says
      // both.
      if (search_ && LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        return TRUE;
      }
      break;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void VarnikWindow::OnCommand(UINT id, UINT code, HWND ctl) {
  if (id >= kCmdToolButtonFirst && id < kCmdToolButtonFirst + kToolButtonCount) {
    OnShortcutClick(static_cast<int>(id - kCmdToolButtonFirst));
    return;
  }
  if (ctl == nullptr || code == BN_CLICKED) {
    if (OnFileCommand(id)) return;
    switch (id) {
      case kCmdFolderseek:
        if (search_) return;  // one search at a time
        ResetFolderTree();
        SearchFolders(tree_pane_->drive(), true);
        return;
      case kCmdChildfoldaseek:
        if (search_) return;
        SearchFolders(current_folder_, false);
        return;
      case kCmdFoldel:
        HideFolder();
        return;
      case kCmdFoldaopen:
        OpenFolderInShell();
        return;
      case kCmdEndd:
        Unload();
        return;
      case kCmdMnuOption:
        ShowOptions();
        return;
      case kCmdMSaisin:
        RefreshFileList();
        return;
      case kCmdDebRun:
        debug_run_ = true;
        RunSelectedFile();
        debug_run_ = false;
        return;
      case kCmdNmuTmpOut:
        write_out_ = true;
        RunSelectedFile();
        write_out_ = false;
        return;
      case kCmdAddcome:
        AddComments(CommentMode::kVersionUp);
        return;
      case kCmdAddcomebubun:
        AddComments(CommentMode::kPartial);
        return;
      case kCmdJwfOut:
        JwfOut();
        return;
      case kIdCommand1:
      case IDCANCEL:
        // During a search the cancel button stops the search.
        if (search_)
          StopSearch();
        else
          CloseByBootMode();
        return;
      case kIdCommand3:
        SelectFilter((FilterIndex() + 1) % 3);
        return;
    }
  }
  switch (id) {
    case kIdCombo1:
      if (code == CBN_SELCHANGE) OnFilterChange();
      return;
    case kIdDrvList:
      if (code == CBN_SELCHANGE) OnDriveChange();
      if (code == CBN_DROPDOWN) FillDriveList();  // a card or share that came since
      return;
    case kIdTxtJww:
      if (code == EN_CHANGE) OnJwwFolderChange();
      // Keys typed into the Jw_cad folder box go to the box alone.
      if (code == EN_SETFOCUS) key_preview_ = false;
      if (code == EN_KILLFOCUS) key_preview_ = true;
      return;
    case kIdTextEdit:
      if (code == EN_SETFOCUS) key_preview_ = false;
      if (code == EN_KILLFOCUS) key_preview_ = true;
      return;
  }
}

LRESULT VarnikWindow::OnNotify(NMHDR* hdr) {
  LRESULT answer = 0;
  if (favourites_ && favourites_->OnNotify(hdr, answer)) return answer;
  if (hdr->hwndFrom == ListView1) {
    switch (hdr->code) {
      case NM_CLICK:
        OnListButton(false);
        if (hwnd_ && ListView_GetItemCount(ListView1) > 0) AnalyseSelectedFile();
        return 0;
      case NM_RCLICK:
        OnListButton(true);
        return 0;
      case NM_DBLCLK:
        RunSelectedFile();
        return 0;
      case LVN_COLUMNCLICK:
        OnColumnClick(reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem);
        return 0;
    }
  }
  if (hdr->hwndFrom == SBar1 && hdr->code == NM_CLICK) {
    // Only the first panel ("Coment") switches the display mode.
    if (reinterpret_cast<NMMOUSE*>(hdr)->dwItemSpec == 0) OnDisplayModePanel();
    return 0;
  }
  if (hdr->hwndFrom == TreeView1) {
    OnTreeNotify(hdr);
    return 0;
  }
  return 0;
}

bool VarnikWindow::PreTranslate(MSG& msg) {
  if (!hwnd_ || !IsDescendant(hwnd_, msg.hwnd)) return false;
  if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) {
    UINT vk = static_cast<UINT>(msg.wParam);
    if (vk == VK_ESCAPE) {
      // Esc ends a drag of the comment area first.
      if (pane_drag_ && pane_drag_->Cancel()) return true;
      // Esc is the cancel key, unless it closes an open drop-down list.
      HWND focus = GetFocus();
      for (HWND box : {Combo1, drvList})
        if (focus && IsDescendant(box, focus) && SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0))
          return false;
      // During a search Esc stops the search, and the window stays.
      if (msg.message == WM_KEYDOWN) {
        if (search_)
          StopSearch();
        else
          CloseByBootMode();
      }
      return true;
    }
    if (vk == VK_TAB && msg.message == WM_KEYDOWN)
      return IsDialogMessageW(hwnd_, &msg) != 0;
    const HWND target = msg.hwnd;
    if (key_preview_) {
      if (msg.message == WM_KEYDOWN)
        OnFormKeyDown(vk, msg.lParam);
      else
        OnFormKeyUp(vk);
    }
    if (msg.message == WM_KEYUP && hwnd_ && target == ListView1) OnListKeyUp(vk);
    if (msg.message == WM_KEYUP && vk == VK_RETURN) enter_ran_on_key_down_ = false;
  }
  return false;
}

void VarnikWindow::OnFormKeyUp(UINT vk) {
  if (vk == VK_CONTROL) ctrl_held_ = false;
  if (vk == VK_SHIFT) shift_held_ = false;
}

}  // namespace zel
