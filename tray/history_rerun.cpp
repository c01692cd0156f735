#include "tray/history_rerun.h"

#include "core/history.h"
#include "core/wrapper.h"
#include "platform/files.h"
#include "platform/jwcad.h"
#include "platform/ui_service.h"
#include "platform/wstr.h"

namespace zel {

bool RerunHistoryEntry(HWND owner, const std::string& program_folder,
                       const std::string& jww_folder, int n) {
  if (jww_folder.empty()) {
    ShowMessage(owner,
                WideUtf8("Jw_cadのフォルダが分からないため、実行できません。\r\n"
                         "Varnikの設定ファイル(Varnik.ini)の3行目 jwwfolder= を確かめてください。"),
                L"Zelvanto", MB_OK | MB_ICONWARNING);
    return false;
  }
  const std::string batch = program_folder + "\\" + HistoryBatchName(n);
  std::string text;
  if (!ReadWholeFile(batch, text)) {
    ShowMessage(owner,
                WideUtf8("この履歴のバッチファイルがないため、実行できません。\r\n"
                         "外部変形をもう一度Varnikから実行してください。\r\n\r\n") +
                    Wide(batch),
                L"Zelvanto", MB_OK | MB_ICONWARNING);
    return false;
  }
  if (!WriteWrapperBatch(owner, WrapperBatchPath(jww_folder), text)) return false;
  const JwRunResult sent = TriggerJwCadRun();
  ReportJwRunResult(owner, sent);
  return sent == JwRunResult::kSent;
}

}  // namespace zel
