#include "core/common_dialog.h"

#include "core/text.h"

namespace zel {

namespace {

struct ErrorText {
  std::int32_t number;
  const char* text;  // UTF-8
};

constexpr ErrorText kErrors[] = {
    {-32768, "関数がダイアログ ボックスをロードできません。"},
    {0x4FFC, "メンバ lpstrFile が指すバッファが小さすぎます。"},
    {0x4FFD, "ファイル名が無効です。"},
    {0x4FFE, "メモリ不足のために、リスト ボックスをサブクラス化できません。"},
    {0x5FFE, "フォントが存在しません。"},
    {0x6FF4, "WIN.INI ファイル内の [devices] セクションに、必要なプリンタについてのエントリがありません。"},
    {0x6FF5, "PrintDlg 関数が情報コンテキストを作成できません。"},
    {0x6FF6, "DevMode データ構造と DevNames データ構造のデータが異なるプリンタを指しています。"},
    {0x6FF7, "通常使うプリンタが設定されていません。"},
    {0x6FF8, "プリンタ ドライバが見つかりません。"},
    {0x6FF9, "PrintDlg 関数を初期化できません。"},
    {0x6FFA, "プリンタ ドライバが DevMode データ構造を初期化できません。"},
    {0x6FFB, "PrintDlg 関数が、指定したプリンタ ドライバをロードできません。"},
    {0x6FFC, "PDReturnDefault フラグが設定されていますが、hDevMode フィールドまたは hDevNames フィールドが 0 ではありません。"},
    {0x6FFF, "PDReturnDefault フラグが設定されていますが、hDevMode フィールドまたは hDevNames フィールドが 0 ではありません。"},
    {0x6FFD, "CommonDialog 関数が WIN.INI の [devices] セクションの文字列を解析できません。"},
    {0x6FFE, "必要なリソースを読み込めません。"},
    {0x7FEF, "Microsoft Windows のヘルプを呼び出せません。"},
    {0x7FF0, "FileName プロパティまたは Filter プロパティにメモリを割り当てられません。"},
    {0x7FF3, "[キャンセル] ボタンが選択されました。"},
    {0x7FF5, "関数が、ハンドルに関連付けられたメモリをロックできません。"},
    {0x7FF6, "関数が、内部のデータ構造にメモリを割り当てられません。"},
    {0x7FF7, "関数が指定したリソースをロックできません。"},
    {0x7FF8, "関数が指定したリソースをロードできません。"},
    {0x7FF9, "関数が指定したリソースをロードできません。"},
    {0x7FFD, "関数を初期化できません。"},
};

}  // namespace

std::string CommonDialogErrorText(std::int32_t number) {
  for (const ErrorText& e : kErrors)
    if (e.number == number) return J(e.text);
  return J("未知のｴﾗｰです。");
}

std::string FilterForDialog(std::string_view filter) {
  // 7C is also a trail byte (ポ is 83 7C): the walk goes by characters.
  std::string out;
  out.reserve(filter.size() + 1);
  for (std::size_t i = 0; i < filter.size();) {
    const std::size_t n = CharLenAt(filter, i);
    if (n == 1 && filter[i] == '|')
      out += '\0';
    else
      out.append(filter.substr(i, n));
    i += n;
  }
  if (out.empty() || out.back() != '\0') out += '\0';
  return out;
}

}  // namespace zel
