// Running the selected file: the wrapper batch, the key stroke that makes
// Jw_cad run it, and what the window does afterwards.
#include <windowsx.h>

#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/filelist.h"
#include "core/text.h"
#include "core/wrapper.h"
#include "platform/files.h"
#include "platform/jwcad.h"
#include "platform/ui_service.h"
#include "tray/tray_window.h"

namespace zel {

bool VarnikWindow::OnFormKeyDown(UINT vk, LPARAM flags) {
  const bool repeat = (flags & (1 << 30)) != 0;  // held down: run once only
  switch (vk) {
    case VK_RETURN:
      if (repeat) return false;
      enter_ran_on_key_down_ = true;
      RunSelectedFile();
      return false;
    case VK_SPACE:
      if (!repeat) RunSelectedFile();
      return false;
    case VK_LEFT:
      SetFocus(TreeView1);
      return false;
    case VK_RIGHT:
      SetFocus(ListView1);
      return false;
    case 'C':
      Button_SetCheck(chk_smenu,
                      Button_GetCheck(chk_smenu) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
      return false;
    case VK_CONTROL:
      ctrl_held_ = true;  // register mode of the favourites
      return false;
    case VK_SHIFT:
      shift_held_ = true;  // remove mode of the favourites
      return false;
  }
  return false;
}

void VarnikWindow::RunSelectedFile() {
  if (!hwnd_) return;
  RunGuard::Hold hold(run_guard_);
  if (!hold) return;
  // The file run is always the one highlighted now: the list may have been
  // refilled, or the highlight moved by a key that analyses nothing (Home,
  // End, Page Down), since the last analysis.
  if (!SelectionIsHighlightedRow()) AnalyseSelectedFile();
  if (selected_file_path_.empty()) return;
  switch (FilterIndex()) {
    case kFilterBatch:
      RunBatch();
      return;
    case kFilterJwf:
      if (ActivateEnvironmentFile()) ApplyAfterRunMode();
      return;
    case kFilterJwl:
      if (ActivateLayerFile()) ApplyAfterRunMode();
      return;
  }
}

void VarnikWindow::RunBatch() {
  if (!hwnd_) return;
  const std::string batch = selected_file_path_;
  // The history keeps the title the list found, not what the list can
  // show of it.
  const std::string title = SelectedRowTitle();

  // The whole batch is read before anything is written: a batch that cannot
  // be read leaves "_VNKtemp.bat" and Jw_cad untouched.
  std::vector<std::string> lines;
  Win32FileSystem fs;
  std::unique_ptr<OpenedFile> file = fs.OpenRead(batch);
  if (!file || !ReadBatchLines(*file->bytes, lines)) {
    ShowMessage(hwnd_, Wide(batch) + WideUtf8(" のバッチファイルが無いか、指定が間違ってます"),
                L"Zelvanto", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  file.reset();

  WrapperInput in;
  in.J = GetCtlText(Txt_jww);
  in.F = current_folder_;
  in.B0 = JoinPath(current_folder_, SelectedRowColumn(1));
  in.E = engine_label_;
  in.Move = Button_GetCheck(chk_smenu) == BST_CHECKED;
  in.Debug = debug_run_;
  in.WriteOut = write_out_;
  in.Gawk = settings_.Gawk;
  in.Callwin = settings_.Callwin;
  in.KeepJWCTEMP = settings_.KeepJWCTEMP;
  in.Editor = GetCtlText(Text_edit);
  in.short_path_if_exists = [](const std::string& path) -> std::optional<std::string> {
    if (!FileExists(path)) return std::nullopt;
    std::wstring w = Wide(path);
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetShortPathNameW(w.c_str(), buf, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2) return path;
    return Narrow(std::wstring(buf, n));
  };
  const std::string wrapper = BuildWrapper(in, lines);
  if (!WriteWrapperBatch(hwnd_, wrapper_batch_path_, wrapper)) return;

  // Without Jw_cad in front the run did not happen: nothing is recorded and
  // the window stays as it is, so the user can try again.
  const JwRunResult sent = TriggerJwCadRun();
  if (!hwnd_) return;  // the window went away while Jw_cad came forward
  if (sent != JwRunResult::kSent) {
    ReportJwRunResult(hwnd_, sent);
    return;
  }

  RecordRunInHistory(title, batch, wrapper);
  ApplyAfterRunMode();
}

// The run becomes history entry 1, with the wrapper just written as its
// history batch.
void VarnikWindow::RecordRunInHistory(const std::string& title, const std::string& batch,
                                      const std::string& wrapper) {
  if (!frmtask_ || frmtask_->RecordRun(title, batch, wrapper)) return;
  // The run itself went ahead; only its history entry is missing.
  ShowMessage(hwnd_,
              WideUtf8("実行の履歴を保存できませんでした。\r\n履歴は以前のまま残っています。\r\n\r\n") +
                  Wide(program_folder_),
              L"Zelvanto", MB_OK | MB_ICONWARNING);
}

void VarnikWindow::ApplyAfterRunMode() {
  if (!hwnd_) return;
  switch (settings_.Bootmode) {
    case 0:
      SetCurrentFolder(program_folder_);
      Unload();
      break;
    case 1:
      ShowWindow(hwnd_, SW_HIDE);
      break;
    case 2:
      ShowWindow(hwnd_, SW_MINIMIZE);
      break;
    case 3:
      SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
  }
}

}  // namespace zel
