// Building the options window: the tab strip, one frame per tab and the
// controls in them, at design positions in twips converted with the
// window's DPI.
#include "options/options_dialog.h"

#include <commctrl.h>

#include "core/units.h"
#include "platform/wstr.h"

namespace zel {

namespace {

constexpr wchar_t kPageClass[] = L"ZelvantoOptionsPage";

// A tab's frame passes what its controls report on to the dialog, which
// handles them all. A multi-line box (the added lines of tab 3) talks to
// its parent as if that were the dialog: Esc sends WM_CLOSE, Tab sends
// WM_NEXTDLGCTL. Left to the frame, WM_CLOSE would destroy the frame with
// its boxes while the dialog stayed open, and OK would then save them empty.
LRESULT CALLBACK PageProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_VSCROLL:
    case WM_CLOSE:
    case WM_NEXTDLGCTL:
    case DM_GETDEFID:
      return SendMessageW(GetParent(h), msg, wp, lp);
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

void RegisterPageClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = PageProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kPageClass;
  done = RegisterClassExW(&wc) != 0;
}

struct TwipRect {
  int l, t, w, h;
};

// The dialog's client area and the places of the tab strip and buttons.
constexpr int kClientWidth = 7800, kClientHeight = 6660;
constexpr TwipRect kTabStrip{120, 120, 7560, 5760};

}  // namespace

void OptionsDialog::CreateControls() {
  RegisterPageClass();
  HINSTANCE inst = GetModuleHandleW(nullptr);
  auto px = [this](int twips) { return TwipsToPixels(twips, dpi_); };
  auto make = [&](HWND parent, const wchar_t* cls, const char* text_utf8, DWORD style, int id,
                  TwipRect r, DWORD ex = 0) {
    return CreateWindowExW(ex, cls, WideUtf8(text_utf8).c_str(), WS_CHILD | WS_VISIBLE | style,
                           px(r.l), px(r.t), px(r.w), px(r.h), parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
  };
  auto group = [&](HWND parent, const char* text, TwipRect r) {
    return make(parent, L"BUTTON", text, BS_GROUPBOX, -1, r);
  };
  auto label = [&](HWND parent, const char* text, TwipRect r, int id = -1) {
    return make(parent, L"STATIC", text, SS_LEFT, id, r);
  };
  auto check = [&](HWND parent, const char* text, int id, TwipRect r) {
    return make(parent, L"BUTTON", text, BS_AUTOCHECKBOX | WS_TABSTOP, id, r);
  };
  auto edit = [&](HWND parent, int id, TwipRect r, DWORD extra = 0) {
    return make(parent, L"EDIT", "", WS_TABSTOP | WS_BORDER | extra, id, r, WS_EX_CLIENTEDGE);
  };
  auto spin = [&](HWND parent, int id, TwipRect r, int lowest, int highest) {
    HWND h = make(parent, UPDOWN_CLASSW, "", 0, id, r);
    SendMessageW(h, UDM_SETRANGE32, lowest, highest);
    return h;
  };

  // The dialog's size, centred over its owner.
  RECT frame{0, 0, px(kClientWidth), px(kClientHeight)};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi_);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  RECT around;
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (!owner || !GetWindowRect(owner, &around)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
  SetWindowPos(hwnd_, nullptr, (around.left + around.right - w) / 2,
               (around.top + around.bottom - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowTextW(hwnd_, WideUtf8("ｵﾌﾟｼｮﾝ").c_str());

  TabStrip1 = make(hwnd_, WC_TABCONTROLW, "", WS_TABSTOP | WS_CLIPSIBLINGS, kIdOptTabStrip1, kTabStrip);
  const char* tabs[3] = {"全般", "外部変形", "ＪＷＦ"};
  for (int i = 0; i < 3; ++i) {
    std::wstring caption = WideUtf8(tabs[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(TabStrip1, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  for (HWND& page : FraTab) {
    page = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                           10, 10, hwnd_, nullptr, inst, nullptr);
    // Above the tab strip, which would otherwise paint over it.
    SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  // Tab 1, "全般": the boot mode and the display fonts.
  HWND p = FraTab[0];
  FRAME1 = group(p, "起動モード", {120, 60, 7140, 2580});
  const char* modes[4] = {"終了（非常駐モード）", "非表示（タスクトレイに常駐）",
                          "最小化　　　　　　　　　　　　　（タスクバーとトレイに常駐）",
                          "最背面へ移動　　　　　　　　　　（タスクバーとトレイに常駐）"};
  // Shown from mode 3 down to mode 0.
  for (int k = 3, row = 0; k >= 0; --k, ++row) {
    Option1[k] = make(p, L"BUTTON", modes[k],
                      BS_AUTORADIOBUTTON | WS_TABSTOP | (k == 3 ? WS_GROUP : 0), kIdOptOption1 + k,
                      {300, 330 + row * 360, 6800, 330});
  }
  Label8 = make(p, L"STATIC", "※　メニューバー [終了(X)]で終了し、再起動後に有効となります。",
                SS_LEFT | WS_GROUP, -1, {300, 1830, 6800, 660});
  Frame2 = group(p, "表示フォント", {120, 2760, 7140, 1740});
  HWND* font_buttons[3] = {&comand, &Command1, &Command2};
  for (int i = 0; i < 3; ++i) {
    FontLabel[i] = label(p, "", {300, 3060 + i * 450, 6000, 360}, kIdOptFontLabel + i);
    *font_buttons[i] = make(p, L"BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, kIdOptComand + i,
                            {6420, 3030 + i * 450, 660, 390});
  }

  // Tab 2, "外部変形": the awk program, the run switches and the history count.
  p = FraTab[1];
  Frame3 = group(p, "AWK外変を実行するEXEの選択", {120, 60, 7140, 2820});
  Check1[0] = check(p, "GAWK.EXEにＰＡＴＨが通っていません", kIdOptCheck1, {300, 330, 6800, 360});
  Check1[1] = check(p, "ＪGAWK.EXEにＰＡＴＨが通っていません", kIdOptCheck1 + 1, {300, 720, 6800, 360});
  Label6 = label(p,
                 "エンジンが[JGAWK] [GAWK] [GO32+JGAWK]のいずれかの場合 このEXEを使うように、外変バッチ"
                 "ファイルを_VNKtemp.batに書き換えて外変実行します。両方にチェックが無い場合は、元バ"
                 "ッチファイル指定のEXEを使います。",
                 {300, 1140, 6800, 1620});
  Chkkeepjwctemp = check(p, "外変終了時に外変フォルダのJWC_TEMP.TXTを残す", kIdOptChkkeepjwctemp,
                         {180, 3000, 7000, 360});
  chkCallwin = check(p, "Start /WをCallwinに書き換え", kIdOptChkCallwin, {180, 3420, 3600, 360});
  Label1 = label(p, "（Windws95,98でスムーズ起動）", {3840, 3450, 3300, 360});
  Label5 = label(p, "履歴メニューの履歴数", {180, 3930, 2700, 360});
  Text1 = edit(p, kIdOptText1, {2940, 3870, 720, 390}, ES_AUTOHSCROLL);
  VScroll1 = spin(p, kIdOptVScroll1, {3660, 3870, 270, 390}, 10, 30);

  // Tab 3, "ＪＷＦ": what a written-out JW_WIN.JWF gets added.
  p = FraTab[2];
  Frame4 = group(p, "JW_WIN.JWFの書き出しで書き足す物", {120, 60, 7140, 3000});
  Label9 = label(p, "最終行に付け加える行", {300, 330, 6800, 330});
  Text3 = edit(p, kIdOptText3, {300, 690, 6780, 2220},
               ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL);
  Label7 = label(p, " S_comm_4 ⑨読取り点とデータのサーチ範囲のドット数指定(5～30)", {180, 3240, 7000, 360});
  Text2 = edit(p, kIdOptText2, {180, 3660, 720, 390}, ES_AUTOHSCROLL);
  VScroll2 = spin(p, kIdOptVScroll2, {900, 3660, 270, 390}, 5, 30);

  cmdOK = make(hwnd_, L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, kIdOptCmdOK,
               {4680, 6060, 1380, 420});
  cmdCancel = make(hwnd_, L"BUTTON", "ｷｬﾝｾﾙ", BS_PUSHBUTTON | WS_TABSTOP, kIdOptCmdCancel,
                   {6180, 6060, 1500, 420});

  // The system's message font at the dialog's DPI, for every control.
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0, dpi_))
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  font_.reset(CreateFontIndirectW(&ncm.lfMessageFont));
  EnumChildWindows(
      hwnd_,
      [](HWND child, LPARAM f) -> BOOL {
        SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(f), FALSE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font_.get()));
}

}  // namespace zel
