// Putting an environment or layer file into effect in Jw_cad: by restarting
// Jw_cad with it as "JW_WIN.JWF", or by making the running Jw_cad read a copy
// through its open dialog.
#include "app/ui_service.h"
#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/filelist.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/jwcad.h"

namespace zel {

namespace {

bool CopyOver(const std::string& from, const std::string& to) {
  return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE) != 0;
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
  JwDialogResult r = DriveJwCadFileDialog(command, button, path);
  if (r == JwDialogResult::kNoJwCad) {
    if (hwnd_)
      ShowMessage(hwnd_, WideUtf8("jwwを起動してください"), L"Zelvanto", MB_OK | MB_ICONWARNING);
    return false;
  }
  return true;
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
    if (!CopyOver(B, TJ)) {
      ReportCopyFailure(B, TJ);
      return false;
    }
    return ZYomikomi(TJ);
  }
  if (answer != IDYES) return false;

  if (FileExists(W) && !CopyOver(W, Wbak)) {
    // Without a backup the user's own start-up environment would be lost.
    ReportCopyFailure(W, Wbak);
    return false;
  }
  if (!CopyOver(B, W)) {
    ReportCopyFailure(B, W);
    return false;
  }
  const std::string X = JoinPath(J, "JW_WIN.EXE");
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWMAXIMIZED;
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + Wide(X) + L"\"";
  bool started = CreateProcessW(Wide(X).c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                nullptr, Wide(J).c_str(), &si, &pi) != 0;
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
  if (FileExists(Wbak)) CopyOver(Wbak, W);
  return started;
}

bool VarnikWindow::ActivateLayerFile() {
  const std::string TL = JoinPath(GetCtlText(Txt_jww), "tmp.jwl");
  if (!CopyOver(selected_file_path_, TL)) {
    ReportCopyFailure(selected_file_path_, TL);
    return false;
  }
  return ZYomikomi(TL);
}

}  // namespace zel
