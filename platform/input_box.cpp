// The input box: a small modal dialog built from an in-memory template, so
// the program needs no dialog resource for it.
#include <vector>

#include "platform/ui_service.h"
#include "platform/wstr.h"

namespace zel {

namespace {

InputAnswerer& Answerer() {
  static InputAnswerer answerer;
  return answerer;
}

constexpr int kPromptId = 1001;

// Dialog units of the layout; the prompt grows downwards when its text
// needs more lines, and the field and the box's bottom move with it.
constexpr short kWidth = 264, kMargin = 7;
constexpr short kButtonWidth = 50, kButtonHeight = 14;
constexpr short kPromptWidth = kWidth - 3 * kMargin - kButtonWidth, kPromptHeight = 48;
constexpr short kFieldY = kMargin + kPromptHeight + 6, kFieldHeight = 13;
constexpr short kHeight = kFieldY + kFieldHeight + kMargin;

// DLGTEMPLATE and its items, laid out as Windows reads them: WORDs, each
// item DWORD-aligned, predefined classes given by their atoms.
class DialogTemplate {
 public:
  DialogTemplate(const std::wstring& title, short cx, short cy) {
    Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT);
    Dword(0);
    count_at_ = words_.size();
    Word(0);
    Word(0), Word(0), Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
    Word(0), Word(0);  // no menu, the standard dialog class
    Text(title.c_str());
    Word(9);  // the font: 9 points, the shell's dialog face
    Text(L"MS Shell Dlg");
  }
  // atom: 0x0080 Button, 0x0081 Edit, 0x0082 Static.
  void Add(WORD atom, const std::wstring& text, WORD id, DWORD style, short x, short y, short cx,
           short cy) {
    if (words_.size() % 2) Word(0);
    Dword(WS_CHILD | WS_VISIBLE | style);
    Dword(0);
    Word(static_cast<WORD>(x)), Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF), Word(atom);
    Text(text.c_str());
    Word(0);
    ++words_[count_at_];
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD w) { words_.push_back(w); }
  void Dword(DWORD d) { Word(LOWORD(d)), Word(HIWORD(d)); }
  void Text(const wchar_t* s) {
    for (; *s; ++s) Word(static_cast<WORD>(*s));
    Word(0);
  }
  std::vector<WORD> words_;
  std::size_t count_at_ = 0;
};

struct InputState {
  const InputRequest* request;
  std::wstring answer;
  HFONT font = nullptr;
};

// The dialog's own face may lack Japanese glyphs; the controls use the
// system's message font, as the main window does.
HFONT MessageFont() {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) return nullptr;
  return CreateFontIndirectW(&ncm.lfMessageFont);
}

// Makes the prompt as tall as its text and moves the field and the bottom
// of the box down by as much.
void FitPrompt(HWND dlg, HFONT font) {
  HWND prompt = GetDlgItem(dlg, kPromptId);
  RECT box{};
  GetWindowRect(prompt, &box);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&box), 2);
  const int len = GetWindowTextLengthW(prompt);
  std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(prompt, text.data(), len + 1)));
  HDC dc = GetDC(prompt);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  RECT need{0, 0, box.right - box.left, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
            DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(prompt, dc);
  const int grow = (need.bottom - need.top) - (box.bottom - box.top);
  if (grow <= 0) return;
  SetWindowPos(prompt, nullptr, 0, 0, box.right - box.left, need.bottom - need.top,
               SWP_NOMOVE | SWP_NOZORDER);
  HWND field = GetDlgItem(dlg, kInputBoxFieldId);
  RECT f{};
  GetWindowRect(field, &f);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&f), 2);
  SetWindowPos(field, nullptr, f.left, f.top + grow, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT w{};
  GetWindowRect(dlg, &w);
  SetWindowPos(dlg, nullptr, w.left, w.top - grow / 2, w.right - w.left, w.bottom - w.top + grow,
               SWP_NOZORDER);
}

INT_PTR CALLBACK InputProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<InputState*>(lp);
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      state->font = MessageFont();
      if (state->font)
        for (int id : {kPromptId, kInputBoxFieldId, IDOK, IDCANCEL})
          SendDlgItemMessageW(dlg, id, WM_SETFONT, reinterpret_cast<WPARAM>(state->font), FALSE);
      SetDlgItemTextW(dlg, kPromptId, state->request->prompt.c_str());
      SetDlgItemTextW(dlg, kInputBoxFieldId, state->request->default_text.c_str());
      FitPrompt(dlg, state->font);
      HWND field = GetDlgItem(dlg, kInputBoxFieldId);
      SendMessageW(field, EM_SETSEL, 0, -1);
      SetFocus(field);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      if (!state) return FALSE;
      if (LOWORD(wp) == IDOK) {
        HWND field = GetDlgItem(dlg, kInputBoxFieldId);
        const int len = GetWindowTextLengthW(field);
        state->answer.assign(static_cast<std::size_t>(len) + 1, L'\0');
        state->answer.resize(
            static_cast<std::size_t>(GetWindowTextW(field, state->answer.data(), len + 1)));
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

std::optional<std::wstring> ShowInputBox(HWND owner, const std::wstring& prompt,
                                         const std::wstring& title,
                                         const std::wstring& default_text) {
  InputRequest request{owner, prompt, title, default_text};
  if (Answerer()) return Answerer()(request);

  DialogTemplate t(title, kWidth, kHeight);
  t.Add(0x0082, L"", kPromptId, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, kMargin, kMargin,
        kPromptWidth, kPromptHeight);
  t.Add(0x0080, L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, kWidth - kMargin - kButtonWidth,
        kMargin, kButtonWidth, kButtonHeight);
  t.Add(0x0080, WideUtf8("キャンセル"), IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP,
        kWidth - kMargin - kButtonWidth, kMargin + kButtonHeight + 4, kButtonWidth, kButtonHeight);
  t.Add(0x0081, L"", kInputBoxFieldId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kMargin, kFieldY,
        kWidth - 2 * kMargin, kFieldHeight);

  InputState state{&request, {}, nullptr};
  const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner,
                                                 InputProc, reinterpret_cast<LPARAM>(&state));
  if (state.font) DeleteObject(state.font);
  if (result != IDOK) return std::nullopt;
  return state.answer;
}

void SetInputAnswerer(InputAnswerer answerer) { Answerer() = std::move(answerer); }

}  // namespace zel
