// Putting an environment or layer file into effect in Jw_cad: by restarting
// Jw_cad with it as "JW_WIN.JWF", or by making the running Jw_cad read a copy
// through its open dialog.
#include <optional>

#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/filelist.h"
#include "platform/file_identity.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/jwcad.h"
#include "platform/ui_service.h"

namespace zel {

namespace {

// The copy a running Jw_cad reads: the selected file's bytes put in place
// whole. When the selection is that very copy (the user picked "temp.JWF"
// in the Jw_cad folder), there is nothing to copy, and copying a file onto
// itself would only fail.
bool PlaceCopy(const std::string& from, const std::string& to) {
  if (SameFile(from, to)) return true;
  std::string bytes;
  return ReadWholeFile(from, bytes) && WriteFileAtomic(to, bytes);
}

}  // namespace

bool VarnikWindow::ZYomikomi(const std::string& path) {
  return DriveJwCadDialog(kJwCadOpenCommand, WideUtf8("開く(&O)"), path);
}

bool VarnikWindow::ZKakikomi(const std::string& path) {
  return DriveJwCadDialog(kJwCadSaveCommand, WideUtf8("保存(&S)"), path);
}

bool VarnikWindow::DriveJwCadDialog(unsigned command, const std::wstring& button,
                                    const std::string& path) {
  switch (DriveJwCadFileDialog(command, button, path)) {
    case JwDialogResult::kNoJwCad:
      if (hwnd_) ReportJwRunResult(hwnd_, JwRunResult::kNoJwCad);
      return false;
    case JwDialogResult::kNotInFront:
    case JwDialogResult::kNoDialog:
      // Nothing reached Jw_cad: the window stays where the user can try
      // again.
      return false;
    case JwDialogResult::kNoButton:  // the path waits in Jw_cad's dialog
    case JwDialogResult::kPosted:
      return true;
  }
  return false;
}

void VarnikWindow::ReportCopyFailure(const std::string& from, const std::string& to) {
  ShowMessage(hwnd_,
              WideUtf8("ファイルをコピーできませんでした。\r\n\r\n") + Wide(from) + L"\r\n→ " +
                  Wide(to),
              L"Zelvanto", MB_OK | MB_ICONEXCLAMATION);
}

// Returns false when the user cancelled or nothing reached Jw_cad, so the
// window stays as it is.
bool VarnikWindow::ActivateEnvironmentFile() {
  const std::string J = GetCtlText(Txt_jww);
  const std::string B = selected_file_path_;
  const std::string W = JoinPath(J, "JW_WIN.JWF");
  const std::string Wbak = JoinPath(J, "JW_WIN$.JWF");
  std::wstring text = WideUtf8("[はい]の場合、この環境設定ファイルを ") + Wide(W) +
                      WideUtf8(" と名称変更してコピーし、JW_WIN を起動します。\r\n"
                               "現在のJW_WIN.JWFはJW_WIN$.JWFにバックアップします。\r\n"
                               "そしてJW_WIN 起動後にバックアップしたJW_WIN$.JWFをまたJW_WIN.JWFにもどします。\r\n"
                               "\r\n"
                               "[いいえ]の場合、現在起動中のJWWに、選択したJWFを読み込ませます。");
  int answer = ShowMessage(hwnd_, text, WideUtf8("JWWを起動しますか？"),
                           MB_YESNOCANCEL | MB_ICONINFORMATION);
  if (answer == IDNO) {
    const std::string TJ = JoinPath(J, "temp.JWF");
    if (!PlaceCopy(B, TJ)) {
      ReportCopyFailure(B, TJ);
      return false;
    }
    return ZYomikomi(TJ);
  }
  if (answer != IDYES) return false;
  return RestartJwCadWith(B, J);
}

// Jw_cad reads "JW_WIN.JWF" when it starts: the chosen file takes its place
// for the start, and the user's own start-up environment goes back
// afterwards, with a copy kept as "JW_WIN$.JWF". Every file is read before
// any is written, so choosing "JW_WIN.JWF" or "JW_WIN$.JWF" itself works
// and loses neither: whatever the choice, both hold what they held before
// once Jw_cad has started.
bool VarnikWindow::RestartJwCadWith(const std::string& B, const std::string& J) {
  const std::string W = JoinPath(J, "JW_WIN.JWF");
  const std::string Wbak = JoinPath(J, "JW_WIN$.JWF");
  std::string chosen;
  if (!ReadWholeFile(B, chosen)) {
    ReportCopyFailure(B, W);
    return false;
  }
  // What "JW_WIN.JWF" gets back after the start: the user's own file, or
  // when there is none, the backup an earlier restart left.
  std::optional<std::string> restore;
  if (FileExists(W)) {
    std::string own;
    if (!ReadWholeFile(W, own)) {
      ReportCopyFailure(W, Wbak);
      return false;
    }
    // The backup is written before anything is replaced; without it the
    // user's start-up environment would rest on memory alone. When the
    // choice is the backup itself, it stays as it is.
    if (!SameFile(B, Wbak) && !WriteFileAtomic(Wbak, own)) {
      ReportCopyFailure(W, Wbak);
      return false;
    }
    restore = std::move(own);
  } else if (FileExists(Wbak)) {
    std::string earlier;
    if (ReadWholeFile(Wbak, earlier)) restore = std::move(earlier);
  }
  if (!SameFile(B, W) && !WriteFileAtomic(W, chosen)) {
    ReportCopyFailure(B, W);
    return false;
  }

  const std::string X = JoinPath(J, "JW_WIN.EXE");
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + Wide(X) + L"\"";
  const bool started =
      StartProcess(Wide(X).c_str(), command, Wide(J).c_str(), SW_SHOWMAXIMIZED, pi);
  if (started) {
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    // Jw_cad reads "JW_WIN.JWF" while it starts; give it its window first.
    WaitForInputIdle(pi.hProcess, 5000);
    if (HWND jw = FindJwCadWindow()) ActivateWindow(jw);
    WaitPumping(1000);
  } else {
    ShowMessage(hwnd_, Wide(X) + WideUtf8("\r\nを起動できませんでした。"), L"Zelvanto",
                MB_OK | MB_ICONEXCLAMATION);
  }
  // The user's own start-up environment goes back in place, also when
  // Jw_cad could not be started.
  if (restore && *restore != chosen && !WriteFileAtomic(W, *restore)) {
    ShowMessage(hwnd_,
                Wide(W) + WideUtf8("\r\nを元に戻せませんでした。\r\n元の内容は ") + Wide(Wbak) +
                    WideUtf8(" に残っています。"),
                L"Zelvanto", MB_OK | MB_ICONWARNING);
  }
  return started;
}

bool VarnikWindow::ActivateLayerFile() {
  const std::string TL = JoinPath(GetCtlText(Txt_jww), "tmp.jwl");
  if (!PlaceCopy(selected_file_path_, TL)) {
    ReportCopyFailure(selected_file_path_, TL);
    return false;
  }
  return ZYomikomi(TL);
}

}  // namespace zel
