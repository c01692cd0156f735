// The list's file commands: opening the selected file, its related files
// and the fixed files of the Jw_cad folder in the user's editor, renaming
// the selected file and moving it to the Recycle Bin. Each command on the
// selected file acts on the highlighted row.
#include <optional>

#include "app/varnik_window.h"
#include "app/win_text.h"
#include "core/fileops.h"
#include "core/filelist.h"
#include "core/text.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "platform/ui_service.h"
#include "platform/wstr.h"

namespace zel {

namespace {

constexpr wchar_t kCaption[] = L"Zelvanto";

// The Samples menu's entries and the files they open.
struct JwwEntry {
  UINT id;
  JwwFile file;
};
constexpr JwwEntry kJwwEntries[] = {
    {kCmdJwwSmpl, JwwFile::kJwwSmpl},     {kCmdSJwf, JwwFile::kSampleJwf},
    {kCmdSJwl, JwwFile::kSampleJwl},      {kCmdKJwm, JwwFile::kKeisanJwm},
    {kCmdMnuOpt4, JwwFile::kJwOpt4},      {kCmdJwwinTxt, JwwFile::kJwWinTxt},
    {kCmdJwctemp, JwwFile::kJwcTemp},     {kCmdVnkTempBat, JwwFile::kVnkTempBat},
    {kIdComJwwinjwf, JwwFile::kJwWinJwf},
};

bool IsFileIn(const std::string& folder, const char* name) {
  if (folder.empty()) return false;
  const DWORD a = GetFileAttributesW(Wide(JoinPath(folder, name)).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// A message about a file: the text, then the file's path as the user knows
// it.
std::wstring AboutFile(const std::string& path, const char* utf8) {
  return LongPathOf(path) + L"\r\n" + WideUtf8(utf8);
}

}  // namespace

bool VarnikWindow::OnFileCommand(UINT id) {
  for (const JwwEntry& e : kJwwEntries) {
    if (e.id == id) {
      EditJwwFile(e.file);
      return true;
    }
  }
  if (id >= kCmdKanrenfileFirst && id <= kCmdKanrenfileLast) {
    EditRelatedFile(static_cast<int>(id - kCmdKanrenfileFirst));
    return true;
  }
  switch (id) {
    case kCmdBatedit:
      EditAllFiles();
      return true;
    case kCmdMnuRemame:
      RenameSelectedFile();
      return true;
    case kCmdFilekill:
      DeleteSelectedFile();
      return true;
  }
  return false;
}

// Each time the Samples menu opens, its entries for files that may be
// missing are offered only while the file is in the Jw_cad folder.
void VarnikWindow::UpdateSamplesMenu(HMENU menu) {
  if (GetMenuState(menu, kCmdJwwSmpl, MF_BYCOMMAND) == static_cast<UINT>(-1)) return;
  const std::string jww = GetCtlText(Txt_jww);
  for (const JwwEntry& e : kJwwEntries) {
    if (e.file == JwwFile::kJwWinJwf) continue;  // the button, not an entry
    const bool offered = !OfferedOnlyWhenPresent(e.file) || IsFileIn(jww, JwwFileName(e.file));
    EnableMenuItem(menu, e.id, MF_BYCOMMAND | (offered ? MF_ENABLED : MF_GRAYED));
  }
}

bool VarnikWindow::EditorIsSet(std::string& editor) {
  editor = GetCtlText(Text_edit);
  if (editor.find_first_not_of(' ') != std::string::npos) return true;
  ShowMessage(hwnd_, WideUtf8("エディターを指定してください"), kCaption, MB_OK | MB_ICONERROR);
  return false;
}

// The editor gets the file's long path as one quoted argument, so a folder
// with a blank reaches it as one path, and it shows the name the user
// knows. False when it could not be started (the user has been told).
bool VarnikWindow::StartEditor(const std::string& editor, const std::string& file,
                               const std::string& folder) {
  unsigned long error = 0;
  switch (StartWithFile(editor, LongPathOf(file), folder, &error)) {
    case StartResult::kStarted:
      return true;
    case StartResult::kBadCommand:
      ShowMessage(hwnd_, WideUtf8("エディターの指定が間違ってます。"), kCaption,
                  MB_OK | MB_ICONERROR);
      return false;
    case StartResult::kFailed:
      ShowMessage(hwnd_,
                  WideUtf8("エディターを起動できませんでした。\r\n\r\n") + Wide(editor) + L"\r\n" +
                      SystemErrorText(error),
                  kCaption, MB_OK | MB_ICONERROR);
      return false;
  }
  return false;
}

void VarnikWindow::EditJwwFile(JwwFile file) {
  if (!hwnd_) return;
  std::string editor;
  if (!EditorIsSet(editor)) return;
  const std::string jww = GetCtlText(Txt_jww);
  StartEditor(editor, JoinPath(jww, JwwFileName(file)), jww);
}

// kanrenfile(11 + index): the selected file itself, then its related names.
void VarnikWindow::EditRelatedFile(int index) {
  if (!hwnd_ || index < 0 || index >= static_cast<int>(kanren_captions_.size())) return;
  RunGuard::Hold hold(run_guard_);
  if (!hold) return;
  std::string editor;
  if (!EditorIsSet(editor)) return;
  if (!SelectionIsHighlightedRow()) AnalyseSelectedFile();
  if (selected_file_path_.empty() || !kanren_visible_[index] || kanren_captions_[index].empty())
    return;
  const std::string file = index == 0 ? selected_file_path_
                                      : ResolveInFolder(analysed_folder_, kanren_captions_[index]);
  StartEditor(editor, file, analysed_folder_);
}

// "ＡＬＬ", "ＪＷＦ編集", "ＪＷＬ編集": the related files in menu order, then
// the file itself; the first start that fails ends the command.
void VarnikWindow::EditAllFiles() {
  if (!hwnd_) return;
  RunGuard::Hold hold(run_guard_);
  if (!hold) return;
  std::string editor;
  if (!EditorIsSet(editor)) return;
  if (!SelectionIsHighlightedRow()) AnalyseSelectedFile();
  const std::string folder = analysed_folder_;
  for (const std::string& file : FilesToEditAll(folder, related_file_list_, selected_file_path_))
    if (!hwnd_ || !StartEditor(editor, file, folder)) return;
}

void VarnikWindow::RenameSelectedFile() {
  if (!hwnd_) return;
  RunGuard::Hold hold(run_guard_);
  if (!hold) return;
  if (!SelectionIsHighlightedRow()) AnalyseSelectedFile();
  if (selected_file_path_.empty()) {
    ShowMessage(hwnd_,
                WideUtf8("名前を変更するファイルが選ばれていません。\r\n一覧からファイルを選んでください。"),
                kCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  const std::string from = selected_file_path_;
  RenameParts parts = SplitForRename(from);
  // A file listed by its short name (its long name holds characters code
  // page 932 cannot) keeps the extension of its long name: "BAT" of the
  // short name would turn ".bat" into ".BAT".
  {
    const std::wstring long_path = LongPathOf(from);
    const std::size_t slash = long_path.find_last_of(L'\\');
    const std::size_t dot = long_path.find_last_of(L'.');
    std::string long_ext;
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash) &&
        NarrowExact(std::wstring_view(long_path).substr(dot + 1), long_ext) &&
        EqualsNoCase(long_ext, parts.ext))
      parts.ext = long_ext;
  }
  const std::optional<std::wstring> answer =
      ShowInputBox(hwnd_, WideUtf8("ファイル名を入力してください。(拡張子不要）"),
                   WideUtf8("ファイル名の変更"), Wide(parts.base));
  if (!hwnd_ || !answer || answer->empty()) return;
  const std::optional<std::string> name = RenamedFileName(Narrow(*answer), parts.ext);
  if (!name) {
    ShowMessage(hwnd_, WideUtf8("ファイル名が空白だけのため、名前を変更できません。"), kCaption,
                MB_OK | MB_ICONWARNING);
    return;
  }
  const std::string to = JoinPath(parts.folder, *name);
  unsigned long error = 0;
  switch (RenameFileNoReplace(from, to, &error)) {
    case RenameResult::kRenamed:
      RefreshFileList();
      SelectListRow(*name);
      return;
    case RenameResult::kTargetExists:
      ShowMessage(hwnd_,
                  WideUtf8("「") + Wide(*name) +
                      WideUtf8("」という名前のファイルが既にあるため、名前を変更できません。\r\n"
                               "別の名前を入力してください。"),
                  kCaption, MB_OK | MB_ICONWARNING);
      return;
    case RenameResult::kInUse:
      ShowMessage(hwnd_,
                  AboutFile(from, "は使用中か書き込みが禁止されているため、名前を変更できません。"),
                  kCaption, MB_OK | MB_ICONWARNING);
      return;
    case RenameResult::kNotFound:
      ShowMessage(hwnd_, AboutFile(from, "が見つからないため、名前を変更できません。"), kCaption,
                  MB_OK | MB_ICONWARNING);
      RefreshFileList();  // gone already: the list catches up
      return;
    case RenameResult::kFailed:
      ShowMessage(hwnd_,
                  WideUtf8("「") + Wide(*name) + WideUtf8("」に名前を変更できませんでした。\r\n") +
                      SystemErrorText(error),
                  kCaption, MB_OK | MB_ICONWARNING);
      return;
  }
}

void VarnikWindow::DeleteSelectedFile() {
  if (!hwnd_) return;
  RunGuard::Hold hold(run_guard_);
  if (!hold) return;
  if (!SelectionIsHighlightedRow()) AnalyseSelectedFile();
  if (selected_file_path_.empty()) {
    ShowMessage(hwnd_,
                WideUtf8("削除するファイルが選ばれていません。\r\n一覧からファイルを選んでください。"),
                kCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  const std::string path = selected_file_path_;
  if (ShowMessage(hwnd_, LongPathOf(path) + WideUtf8("を削除します\r\nよろしいですか？ "), kCaption,
                  MB_OKCANCEL | MB_ICONWARNING) != IDOK ||
      !hwnd_)
    return;
  switch (MoveToRecycleBin(path)) {
    case RecycleResult::kRemoved:
      RefreshFileList();
      return;
    case RecycleResult::kReadOnly:
      ShowMessage(hwnd_, AboutFile(path, "は読み取り専用のため、削除できません。"), kCaption,
                  MB_OK | MB_ICONWARNING);
      return;
    case RecycleResult::kInUse:
      ShowMessage(hwnd_, AboutFile(path, "は使用中のため、削除できません。"), kCaption,
                  MB_OK | MB_ICONWARNING);
      return;
    case RecycleResult::kNotFound:
      // Gone already: the list catches up.
      ShowMessage(hwnd_, AboutFile(path, "が見つかりません。"), kCaption, MB_OK | MB_ICONWARNING);
      RefreshFileList();
      return;
    case RecycleResult::kFailed:
      ShowMessage(hwnd_, AboutFile(path, "を削除できませんでした。"), kCaption,
                  MB_OK | MB_ICONWARNING);
      return;
  }
}

// Highlights the row of the file `name` (as the list names it) and
// analyses it, as a click on it would.
void VarnikWindow::SelectListRow(const std::string& name) {
  const int count = ListView_GetItemCount(ListView1);
  int found = -1;
  for (int row = 0; row < count && found < 0; ++row) {
    wchar_t buf[1024] = L"";
    ListView_GetItemText(ListView1, row, 1, buf, 1024);
    if (EqualsNoCase(Narrow(buf), name)) found = row;
  }
  if (found < 0) return;
  const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
  ListView_SetItemState(ListView1, -1, 0, both);
  ListView_SetItemState(ListView1, found, both, both);
  ListView_EnsureVisible(ListView1, found, FALSE);
  AnalyseSelectedFile();
}

}  // namespace zel
