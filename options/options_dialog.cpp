#include "options/options_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <cmath>

#include "core/options.h"
#include "core/text.h"
#include "options/common_dlg.h"
#include "platform/files.h"
#include "platform/ui_service.h"
#include "platform/winops.h"
#include "platform/wstr.h"

namespace zel {

namespace {

// An empty dialog: its controls are made when it opens.
struct DialogTemplate {
  DLGTEMPLATE head;
  WORD menu, window_class, title;
};
alignas(4) const DialogTemplate kTemplate = {
    {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_CONTROLPARENT, 0, 0, 0, 0, 0},
    0,
    0,
    0};

const char* const kFontKinds[3] = {"フォルダツリーのフォント", "ファイルリストのフォント",
                                   "コメント    のフォント"};
const char* const kCheck1Captions[2] = {"GAWK.EXEにＰＡＴＨが通っていません",
                                        "ＪGAWK.EXEにＰＡＴＨが通っていません"};
const char* const kAwkPrograms[2] = {"GAWK.EXE", "JGAWK.EXE"};

std::string TextOf(HWND h) {
  const int n = GetWindowTextLengthW(h);
  std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
  w.resize(static_cast<std::size_t>(std::max(0, GetWindowTextW(h, w.data(), n + 1))));
  return Narrow(w);
}

void SetTextOf(HWND h, const std::string& cp932) { SetWindowTextW(h, Wide(cp932).c_str()); }

bool Ticked(HWND box) { return Button_GetCheck(box) == BST_CHECKED; }

void Tick(HWND box, bool on) { Button_SetCheck(box, on ? BST_CHECKED : BST_UNCHECKED); }

bool SameFont(const FontSetting& a, const FontSetting& b) {
  return a.name == b.name && a.size == b.size && a.bold == b.bold && a.italic == b.italic;
}

std::string Trimmed(const std::string& s) {
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

OptionsDialog::OptionsDialog(OptionsHost host) : host_(std::move(host)) {}

OptionsDialog::~OptionsDialog() {
  if (hwnd_ && !modal_) DestroyWindow(hwnd_);
}

bool OptionsDialog::ShowModal(HINSTANCE instance, HWND owner) {
  modal_ = true;
  confirmed_ = false;
  DialogBoxIndirectParamW(instance, &kTemplate.head, owner, &OptionsDialog::DlgProc,
                          reinterpret_cast<LPARAM>(this));
  return confirmed_;
}

HWND OptionsDialog::Create(HINSTANCE instance, HWND owner) {
  modal_ = false;
  confirmed_ = false;
  HWND h = CreateDialogIndirectParamW(instance, &kTemplate.head, owner, &OptionsDialog::DlgProc,
                                      reinterpret_cast<LPARAM>(this));
  if (h) ShowWindow(h, SW_SHOW);
  return h;
}

INT_PTR CALLBACK OptionsDialog::DlgProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(h, DWLP_USER, lp);
    reinterpret_cast<OptionsDialog*>(lp)->hwnd_ = h;
  }
  auto* self = reinterpret_cast<OptionsDialog*>(GetWindowLongPtrW(h, DWLP_USER));
  if (!self) return FALSE;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(h, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    return FALSE;
  }
  return self->Handle(msg, wp, lp);
}

INT_PTR OptionsDialog::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      dpi_ = DpiOf(hwnd_);
      CreateControls();
      Load();
      SetFocus(cmdOK);
      return FALSE;  // the focus is set
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (HIWORD(wp) != BN_CLICKED) return FALSE;
      if (id == IDOK) {
        OnOK();
      } else if (id == IDCANCEL) {
        OnCancel();
      } else if (id >= kIdOptOption1 && id < kIdOptOption1 + 4) {
        // The boot mode is taken over at once.
        const int k = id - kIdOptOption1;
        if (Ticked(Option1[k]) && host_.settings) host_.settings->Bootmode = static_cast<std::int16_t>(k);
      } else if (id == kIdOptCheck1 || id == kIdOptCheck1 + 1) {
        OnCheck1(id - kIdOptCheck1);
      } else if (id >= kIdOptComand && id <= kIdOptCommand2) {
        ChoosePaneFont(static_cast<PaneFont>(id - kIdOptComand));
      }
      return TRUE;
    }
    case WM_NOTIFY: {
      // Only the tab change is ours; every other notification (the
      // controls' own drawing among them) gets the default answer.
      const auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (hdr->hwndFrom != TabStrip1 || hdr->code != TCN_SELCHANGE) return FALSE;
      ShowTab(static_cast<int>(SendMessageW(TabStrip1, TCM_GETCURSEL, 0, 0)));
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 0);
      return TRUE;
    }
    case WM_VSCROLL: {
      // A spin bar writes its value into its box.
      const HWND bar = reinterpret_cast<HWND>(lp);
      if (LOWORD(wp) == SB_ENDSCROLL || (bar != VScroll1 && bar != VScroll2)) return FALSE;
      const int value = static_cast<int>(SendMessageW(bar, UDM_GETPOS32, 0, 0));
      SetWindowTextW(bar == VScroll1 ? Text1 : Text2, std::to_wstring(value).c_str());
      return TRUE;
    }
  }
  return FALSE;
}

void OptionsDialog::Load() {
  ShowTab(0);
  const PaneFont panes[3] = {PaneFont::kTree, PaneFont::kList, PaneFont::kComment};
  for (int i = 0; i < 3; ++i) {
    if (host_.font) fonts_at_open_[i] = host_.font(panes[i]);
    ShowFontLabel(panes[i], fonts_at_open_[i]);
  }
  const Settings& s = *host_.settings;
  Tick(chkCallwin, s.Callwin);
  Tick(Chkkeepjwctemp, s.KeepJWCTEMP);
  if (s.Bootmode >= 0 && s.Bootmode <= 3) Tick(Option1[static_cast<std::size_t>(s.Bootmode)], true);
  history_count_shown_ = host_.history_count;
  if (history_count_shown_ != 0) SetTextOf(Text1, std::to_string(history_count_shown_));
  scomm49_shown_ = Scomm49Shown(s.Scomm49);
  SetTextOf(Text2, scomm49_shown_);
  SetTextOf(Text3, TextFromAddLine(s.ADDline));
  ScanPathForAwk();
  Tick(Check1[0], s.Gawk == 1);
  Tick(Check1[1], s.Gawk == 2);
  // Both spin bars start at 10, whatever their boxes show.
  for (HWND bar : {VScroll1, VScroll2}) SendMessageW(bar, UDM_SETPOS32, 0, 10);
}

// Each box is offered only when its program is on the PATH, and names the
// folder the system would run it from: the first one in PATH order.
void OptionsDialog::ScanPathForAwk() {
  const DWORD n = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  std::wstring path(n, L'\0');
  path.resize(n ? GetEnvironmentVariableW(L"PATH", path.data(), n) : 0);
  const std::string path_cp932 = Narrow(path);
  for (int k = 0; k < 2; ++k) {
    EnableWindow(Check1[k], FALSE);
    Tick(Check1[k], false);
    SetWindowTextW(Check1[k], WideUtf8(kCheck1Captions[k]).c_str());
    if (auto folder = FirstFolderHolding(path_cp932, kAwkPrograms[k],
                                         [](const std::string& f) { return FileExists(f); })) {
      EnableWindow(Check1[k], TRUE);
      SetTextOf(Check1[k], ForceAwkCaption(*folder, kAwkPrograms[k]));
    }
  }
}

void OptionsDialog::ShowTab(int index) {
  if (index < 0 || index > 2) return;
  RECT r;
  GetWindowRect(TabStrip1, &r);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  SendMessageW(TabStrip1, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  SetWindowPos(FraTab[static_cast<std::size_t>(index)], HWND_TOP, r.left, r.top, r.right - r.left,
               r.bottom - r.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  if (index != current_tab_) ShowWindow(FraTab[static_cast<std::size_t>(current_tab_)], SW_HIDE);
  current_tab_ = index;
  if (SendMessageW(TabStrip1, TCM_GETCURSEL, 0, 0) != index)
    SendMessageW(TabStrip1, TCM_SETCURSEL, index, 0);
}

void OptionsDialog::ShowFontLabel(PaneFont which, const FontSetting& f) {
  const int i = static_cast<int>(which);
  SetTextOf(FontLabel[static_cast<std::size_t>(i)], FontLabelText(J(kFontKinds[i]), f.name, f.size));
}

// The font dialog, preset to the pane's font; what is chosen shows in the
// main window at once.
void OptionsDialog::ChoosePaneFont(PaneFont which) {
  if (!host_.font || !host_.set_font) return;
  const FontSetting now = host_.font(which);
  cCommonDlg dlg;
  dlg.SetCancelError(true);
  dlg.SetForm(hwnd_);
  dlg.SetFontName(now.name);
  dlg.SetFontSize(static_cast<int>(std::nearbyint(now.size)));
  dlg.SetFontBold(now.bold);
  dlg.SetFontItalic(now.italic);
  dlg.SetFlags(CF_SCREENFONTS | CF_LIMITSIZE);
  dlg.SetMin(8);
  dlg.SetMax(24);
  dlg.ShowFont();
  if (dlg.CancelButton()) return;
  FontSetting chosen = now;
  // A face or size the settings file could not give back is not taken.
  if (!dlg.FontName().empty()) chosen.name = dlg.FontName();
  if (dlg.FontSize() >= kMinFontPoints && dlg.FontSize() <= kMaxFontPoints)
    chosen.size = dlg.FontSize();
  chosen.bold = dlg.FontBold();
  chosen.italic = dlg.FontItalic();
  ShowFontLabel(which, chosen);
  host_.set_font(which, chosen);
}

// At most one box is ticked; "Gawk=" follows them at once.
void OptionsDialog::OnCheck1(int k) {
  if (Ticked(Check1[static_cast<std::size_t>(k)])) Tick(Check1[static_cast<std::size_t>(1 - k)], false);
  if (host_.settings)
    host_.settings->Gawk = static_cast<std::int16_t>(GawkFromChecks(Ticked(Check1[0]), Ticked(Check1[1])));
}

void OptionsDialog::OnOK() {
  Settings& s = *host_.settings;
  // Checked before anything is taken over, so a refused OK changes nothing.
  // A value left as it was shown is kept as it is, whatever it holds.
  std::string scomm49 = s.Scomm49;
  const std::string text2 = TextOf(Text2);
  if (Trimmed(text2) != Trimmed(scomm49_shown_) && !Scomm49FromText(text2, scomm49)) {
    Refuse(2, Text2, "S_comm_4 のドット数は、5～30 の数で入力してください。\r\n（空欄は指定なしです）");
    return;
  }
  int n = history_count_shown_;
  const std::string text1 = TextOf(Text1);
  const std::string shown1 = history_count_shown_ ? std::to_string(history_count_shown_) : "";
  if (Trimmed(text1) != shown1 && !ParseHistoryCount(text1, n)) {
    Refuse(1, Text1, "履歴メニューの履歴数は、10～30 の数で入力してください。");
    return;
  }
  s.ADDline = AddLineFromText(TextOf(Text3));
  s.Scomm49 = scomm49;
  s.Callwin = Ticked(chkCallwin);
  s.KeepJWCTEMP = Ticked(Chkkeepjwctemp);
  confirmed_ = true;
  if (host_.save) host_.save();
  // The history count is kept with the history, which is saved at once.
  if (n != history_count_shown_ && host_.set_history_count) host_.set_history_count(n, hwnd_);
  Close();
}

void OptionsDialog::Refuse(int tab, HWND field, const char* message_utf8) {
  ShowMessage(hwnd_, WideUtf8(message_utf8), WideUtf8("ｵﾌﾟｼｮﾝ"), MB_OK | MB_ICONERROR);
  if (!hwnd_) return;
  ShowTab(tab);
  SetFocus(field);
  SendMessageW(field, EM_SETSEL, 0, -1);
}

// The fonts go back to what they were; the boot mode and the awk choice,
// taken over when clicked, stay. Nothing is written.
void OptionsDialog::OnCancel() {
  const PaneFont panes[3] = {PaneFont::kTree, PaneFont::kList, PaneFont::kComment};
  if (host_.font && host_.set_font) {
    for (int i = 0; i < 3; ++i)
      if (!SameFont(host_.font(panes[i]), fonts_at_open_[static_cast<std::size_t>(i)]))
        host_.set_font(panes[i], fonts_at_open_[static_cast<std::size_t>(i)]);
  }
  Close();
}

void OptionsDialog::Close() {
  if (!hwnd_) return;
  if (modal_)
    EndDialog(hwnd_, confirmed_ ? IDOK : IDCANCEL);
  else
    DestroyWindow(hwnd_);
}

}  // namespace zel
