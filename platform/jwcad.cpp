#include "platform/jwcad.h"

#include "platform/files.h"
#include "platform/ui_service.h"
#include "platform/wstr.h"

#include <string>

namespace zel {

namespace {

std::wstring TitleOf(HWND h) {
  wchar_t buf[256] = L"";
  GetWindowTextW(h, buf, 256);
  return buf;
}

bool StartsWithJwWin(const std::wstring& title, bool exact) {
  static const wchar_t kName[] = L"jw_win";
  const std::size_t n = 6;
  if (title.size() < n || (exact && title.size() != n)) return false;
  for (std::size_t i = 0; i < n; ++i) {
    wchar_t c = title[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    if (c != kName[i]) return false;
  }
  return true;
}

struct Search {
  bool exact;
  HWND found;
};

}  // namespace

HWND FindJwCadWindow() {
  // An exact title wins over one that only begins with "jw_win".
  for (bool exact : {true, false}) {
    Search s{exact, nullptr};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
          auto* s = reinterpret_cast<Search*>(lp);
          if (!IsWindowVisible(h) || !StartsWithJwWin(TitleOf(h), s->exact)) return TRUE;
          s->found = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
  }
  return nullptr;
}

bool ActivateWindow(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd)) return false;
  if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
  SetForegroundWindow(hwnd);
  return true;
}

void SendRunKeys() {
  const BYTE keys[3] = {VK_CONTROL, VK_SHIFT, 'Z'};
  for (BYTE vk : keys)
    keybd_event(vk, static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), KEYEVENTF_EXTENDEDKEY, 0);
  for (int i = 2; i >= 0; --i)
    keybd_event(keys[i], static_cast<BYTE>(MapVirtualKeyW(keys[i], MAPVK_VK_TO_VSC)),
                KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
}

}  // namespace zel

namespace zel {

void YieldToEventLoop() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

HWND WaitForForeground(HWND hwnd, unsigned limit_ms) {
  // The switch of the foreground window may complete a moment after the
  // request (it does under Wine); wait for it, briefly and bounded.
  const ULONGLONG end = GetTickCount64() + limit_ms;
  HWND front = GetForegroundWindow();
  while (front != hwnd && GetTickCount64() < end) {
    WaitPumping(20);
    front = GetForegroundWindow();
  }
  return front;
}

void WaitPumping(unsigned ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    YieldToEventLoop();
  }
}

namespace {

bool TitleHasJwWin(HWND h) {
  wchar_t buf[251] = L"";
  GetWindowTextW(h, buf, 250);
  std::wstring t = buf;
  for (auto& c : t)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
  return t.find(L"jw_win") != std::wstring::npos;
}

DWORD ProcessOf(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  return pid;
}

// The file-name field of a window: its first direct "Edit" child.
HWND EditChild(HWND d) { return d ? FindWindowExW(d, nullptr, L"Edit", nullptr) : nullptr; }

bool IsDialogClass(HWND h) {
  wchar_t cls[16] = L"";
  return GetClassNameW(h, cls, 16) > 0 && wcscmp(cls, L"#32770") == 0;
}

struct DialogSearch {
  DWORD process;
  HWND dialog;
  HWND edit;
};

// Jw_cad's file dialog: the topmost shown "#32770" window of Jw_cad's
// process with a direct "Edit" child. Looked for afresh from the top of the
// z-order each time: a dialog that opens late lands above everything else,
// and only Jw_cad's windows may ever have their field filled.
bool FindJwCadFileDialog(DWORD jw_process, HWND& dialog, HWND& edit) {
  DialogSearch s{jw_process, nullptr, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<DialogSearch*>(lp);
        if (ProcessOf(h) != s->process || !IsWindowVisible(h) || !IsDialogClass(h)) return TRUE;
        HWND e = EditChild(h);
        if (!e) return TRUE;
        s->dialog = h;
        s->edit = e;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  dialog = s.dialog;
  edit = s.edit;
  return dialog != nullptr;
}

// How long Jw_cad gets to open its dialog before the walk gives up.
constexpr ULONGLONG kDialogWaitMs = 10000;

}  // namespace

JwDialogResult DriveJwCadFileDialog(unsigned command, const std::wstring& button_text,
                                    const std::string& path) {
  HWND jw = FindJwCadWindow();
  if (!jw || !ActivateWindow(jw)) return JwDialogResult::kNoJwCad;
  HWND front = WaitForForeground(jw);
  if (!front || !TitleHasJwWin(front)) return JwDialogResult::kNotInFront;
  if (!PostMessageW(front, WM_COMMAND, command, 0)) return JwDialogResult::kNotInFront;
  const DWORD jw_process = ProcessOf(front);
  YieldToEventLoop();
  WaitPumping(70);

  const ULONGLONG give_up = GetTickCount64() + kDialogWaitMs;
  HWND d = nullptr;
  HWND e = nullptr;
  while (!FindJwCadFileDialog(jw_process, d, e)) {
    if (GetTickCount64() > give_up) return JwDialogResult::kNoDialog;
    YieldToEventLoop();
    WaitPumping(70);
  }
  YieldToEventLoop();
  WaitPumping(70);
  // Jw_cad takes the path in its own code page. A Jw_cad that stops
  // answering must not hang this window with it.
  DWORD_PTR set = 0;
  if (!SendMessageTimeoutA(e, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                           SMTO_ABORTIFHUNG, 5000, &set))
    return JwDialogResult::kNoDialog;
  HWND button = FindWindowExW(d, nullptr, L"Button", button_text.c_str());
  if (!button) return JwDialogResult::kNoButton;
  YieldToEventLoop();
  for (int tries = 0; !PostMessageW(d, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(button)); ++tries) {
    if (tries > 100 || !IsWindow(d)) return JwDialogResult::kNoDialog;
    YieldToEventLoop();
    WaitPumping(100);
  }
  WaitPumping(200);
  return JwDialogResult::kPosted;
}

JwRunResult TriggerJwCadRun() {
  const HWND jw = FindJwCadWindow();
  if (!jw || !ActivateWindow(jw)) return JwRunResult::kNoJwCad;
  WaitForForeground(jw);
  YieldToEventLoop();
  WaitPumping(70);
  if (!IsWindow(jw)) return JwRunResult::kNoJwCad;
  if (GetForegroundWindow() != jw) return JwRunResult::kNotInFront;
  SendRunKeys();
  return JwRunResult::kSent;
}

void ReportJwRunResult(HWND owner, JwRunResult result) {
  switch (result) {
    case JwRunResult::kSent:
      return;
    case JwRunResult::kNoJwCad:
      ShowMessage(owner, WideUtf8("jwwを起動してください"), L"Zelvanto", MB_OK | MB_ICONWARNING);
      return;
    case JwRunResult::kNotInFront:
      ShowMessage(owner,
                  WideUtf8("Jw_cadを前面に出せなかったため、実行しませんでした。\r\n"
                           "Jw_cadの画面を確かめてから、もう一度実行してください。"),
                  L"Zelvanto", MB_OK | MB_ICONWARNING);
      return;
  }
}

bool WriteWrapperBatch(HWND owner, const std::string& path, const std::string& text) {
  if (WriteFileAtomic(path, text)) return true;
  ShowMessage(owner,
              WideUtf8("テンポラリバッチを書き込めませんでした。\r\nJWWフォルダを確かめてください。\r\n\r\n") +
                  Wide(path),
              L"Zelvanto", MB_OK | MB_ICONWARNING);
  return false;
}

}  // namespace zel
