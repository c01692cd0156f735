// The environment file tools: the template's comments inserted into the
// selected environment file, and Jw_cad's current environment written out
// as a new "JW_WIN.JWF". Both back the file up before replacing it, and
// replace it whole or not at all.
#include "platform/ui_service.h"
#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/envcomment.h"
#include "core/envwrite.h"
#include "core/filelist.h"
#include "platform/env_files.h"
#include "platform/file_identity.h"
#include "platform/files.h"
#include "platform/jwcad.h"

namespace zel {

namespace {

constexpr wchar_t kCaption[] = L"Zelvanto";

// How long Jw_cad gets to write "T.JWF" once its save button is pressed.
constexpr ULONGLONG kSavedFileWaitMs = 5000;

// A message naming the file it is about.
std::wstring About(const char* utf8, const std::string& path) {
  return WideUtf8(utf8) + L"\r\n\r\n" + Wide(path);
}

// The process's working folder, put back when the command ends.
struct WorkingFolderScope {
  std::string before = CurrentFolder();
  ~WorkingFolderScope() { SetCurrentFolder(before); }
};

bool ReadEnvironmentTemplate(HWND owner, const std::string& jww, std::string& bytes) {
  const std::string path = JoinPath(jww, "sample.jwf");
  if (ReadWholeFile(path, bytes)) return true;
  ShowMessage(owner,
              About("コメントの見本になる sample.jwf が見つからないか、読めません。\r\n"
                    "JWWフォルダに sample.jwf があるか確かめてください。",
                    path),
              kCaption, MB_OK | MB_ICONWARNING);
  return false;
}

// A backup of `path` in the program folder; false, after saying so, when
// none could be made, so the file it should protect stays as it is.
bool BackUpBeforeReplacing(HWND owner, const std::string& program_folder, const std::string& path,
                           bool missing_is_fine) {
  const BackupResult r = BackupEnvironmentFile(program_folder, path, LocalNow());
  if (r == BackupResult::kWritten || (r == BackupResult::kNoFile && missing_is_fine)) return true;
  ShowMessage(owner,
              About("バックアップを作れなかったため、ファイルは書き換えていません。\r\n"
                    "バックアップ先のフォルダを確かめてください。",
                    path) +
                  L"\r\n→ " + Wide(JoinPath(program_folder, std::string(kBackupFolderName))),
              kCaption, MB_OK | MB_ICONWARNING);
  return false;
}

// Waits, keeping the windows responsive, until Jw_cad has written "T.JWF"
// and closed it, the time is up, or `gone` says the window went away.
template <typename Gone>
bool WaitForSavedEnvironment(const std::string& path, SavedFileCheck& check, Gone gone) {
  const ULONGLONG give_up = GetTickCount64() + kSavedFileWaitMs;
  for (;;) {
    check.new_time = FileWriteTime(path);
    if (JwCadWroteFile(check) && FileClosedByWriters(path)) return true;
    if (gone() || GetTickCount64() > give_up) return false;
    WaitPumping(50);
  }
}

}  // namespace

void VarnikWindow::AddComments(CommentMode mode) {
  if (!hwnd_) return;
  RunGuard::Hold hold(run_guard_);
  if (!hold) return;
  // The command acts on the highlighted row, also when the list changed
  // since it was analysed.
  if (!SelectionIsHighlightedRow()) AnalyseSelectedFile();
  if (selected_file_path_.empty() || FilterIndex() != kFilterJwf) {
    ShowMessage(hwnd_,
                WideUtf8("環境設定ファイルが選ばれていません。\r\n一覧からファイルを選んでください。"),
                kCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  const std::string target_path = selected_file_path_;
  const std::string listed_name = SelectedRowColumn(1);
  const std::wstring prompt =
      Wide(target_path) + WideUtf8("　にコメントを挿入します。\r\n"
                                   "環境設定ファイルのタイトルを入力してください。\r\n"
                                   "行頭に # は不要です。");
  const std::optional<std::wstring> answer =
      ShowInputBox(hwnd_, prompt, kCaption, Wide(DefaultCommentTitle(SelectedRowColumn(0))));
  if (!hwnd_ || !answer || answer->empty()) return;
  const std::string title = Narrow(*answer);

  // Both files are read before anything is written: a command that cannot
  // finish leaves no trace but its message.
  const std::string jww = GetCtlText(Txt_jww);
  std::string templ, target;
  if (!ReadEnvironmentTemplate(hwnd_, jww, templ)) return;
  if (!ReadWholeFile(target_path, target)) {
    ShowMessage(hwnd_, About("環境設定ファイルを読めません。", target_path), kCaption,
                MB_OK | MB_ICONWARNING);
    return;
  }
  if (!BackUpBeforeReplacing(hwnd_, program_folder_, target_path, false)) return;
  const std::string out = InsertEnvironmentComments(target, templ, title, mode);

  // The result goes to "temp.jwf" of the Jw_cad folder first and then over
  // the chosen file, each written whole. When the chosen file is that very
  // "temp.jwf", it is written once and stays.
  const std::string temp = JoinPath(jww, "temp.jwf");
  const bool chosen_is_temp = SameFile(target_path, temp);
  if (!chosen_is_temp && !WriteFileAtomic(temp, out)) {
    ShowMessage(hwnd_,
                About("作業ファイルを書き込めなかったため、ファイルは書き換えていません。", temp),
                kCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  const bool replaced = WriteFileAtomic(target_path, out);
  if (!chosen_is_temp) RemoveFileIfPresent(temp);
  if (!replaced) {
    ShowMessage(hwnd_, About("ファイルを書き換えられませんでした。元の内容のままです。", target_path),
                kCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  RefreshFileList();
  // The file stays selected, and the comment pane shows what it now holds
  // instead of the text it had before.
  SelectListRow(listed_name);
  ShowMessage(hwnd_, WideUtf8("コメントを挿入しました。"), kCaption, MB_OK | MB_ICONINFORMATION);
}

void VarnikWindow::JwfOut() {
  if (!hwnd_) return;
  RunGuard::Hold hold(run_guard_);
  if (!hold) return;
  const std::string jww = GetCtlText(Txt_jww);
  WorkingFolderScope working_folder;
  SetCurrentFolder(jww);

  if (ShowMessage(hwnd_,
                  WideUtf8("JW_CAD for Windowsを起動していますか？\r\n"
                           "最小化表示で起動している場合は、最大化表示か通常表示状態で待機しておいてください。"),
                  kCaption, MB_YESNO | MB_ICONINFORMATION) != IDYES) {
    if (hwnd_)
      ShowMessage(hwnd_, WideUtf8("Jw_cad for Windowsを起動してください。"), kCaption,
                  MB_OK | MB_ICONWARNING);
    return;
  }
  const std::optional<std::wstring> answer = ShowInputBox(
      hwnd_,
      WideUtf8("タイトルを入力してください.（現在のJW_WIN.JWFはJWF_BACKsフォルダに「日付.JWF」として"
               "パックアップします）"),
      WideUtf8("JW_WIN.JWFの書出し"));
  if (!hwnd_ || !answer || answer->empty()) return;
  const std::string title = Narrow(*answer);

  // The template is needed at the end; without it Jw_cad is not troubled.
  std::string templ;
  if (!ReadEnvironmentTemplate(hwnd_, jww, templ)) return;
  const std::string T = JoinPath(jww, "T.JWF");
  const std::string J = JoinPath(jww, "JW_WIN.JWF");
  if (!BackUpBeforeReplacing(hwnd_, program_folder_, J, true)) return;

  // An old "T.JWF" goes first, so a file there afterwards is Jw_cad's new
  // one whatever its time stamp says; one that cannot go must be followed
  // by a newer time stamp.
  SavedFileCheck check;
  if (!RemoveFileIfPresent(T)) {
    check.old_file_stayed = true;
    check.old_time = FileWriteTime(T).value_or(0);
  }
  const bool reached_jw = ZKakikomi(T);
  if (!hwnd_) return;
  ActivateWindow(hwnd_);
  if (!(reached_jw && WaitForSavedEnvironment(T, check, [this] { return !hwnd_; }))) {
    if (hwnd_)
      ShowMessage(hwnd_,
                  WideUtf8("jw_win.jwfのを書出しに失敗しました。jw_winを起動してください。"),
                  kCaption, MB_OK | MB_ICONERROR);
    return;
  }

  std::string saved;
  if (!ReadWholeFile(T, saved)) {
    ShowMessage(hwnd_, About("Jw_cadが書き出した環境設定ファイルを読めません。", T), kCaption,
                MB_OK | MB_ICONWARNING);
    return;
  }
  const std::string commented =
      InsertEnvironmentComments(saved, templ, title, CommentMode::kVersionUp);
  const std::string temp = JoinPath(jww, "temp.jwf");
  if (!WriteFileAtomic(temp, commented)) {
    ShowMessage(hwnd_,
                About("作業ファイルを書き込めなかったため、JW_WIN.JWFは書き換えていません。", temp),
                kCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  const bool written =
      WriteFileAtomic(J, PrepareWrittenEnvironment(commented, settings_.Scomm49, settings_.ADDline));
  RemoveFileIfPresent(temp);
  if (!written) {
    ShowMessage(hwnd_, About("JW_WIN.JWFを書き込めませんでした。元の内容のままです。", J), kCaption,
                MB_OK | MB_ICONWARNING);
    return;
  }
  ShowMessage(hwnd_, WideUtf8("JW_WIN.JWFを書き出しました。"), kCaption, MB_OK | MB_ICONINFORMATION);
}

}  // namespace zel
