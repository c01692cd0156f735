// The stand-in Jw_cad: a small test program, never shipped, that answers the
// few things our system asks of the real Jw_cad, and writes down each thing
// it did so end-to-end tests can check it.
//
// What it does, and why each piece looks the way it does:
//  - Its main window is titled "jw_win", because our system finds Jw_cad by
//    that title.
//  - At start it reads "JW_WIN.JWF" from its own folder (the Jw_cad folder is
//    always the folder of JW_WIN.EXE) and keeps the bytes as its "current
//    environment", as Jw_cad loads its environment at start.
//  - Ctrl+Shift+Z runs "_VNKtemp.bat" from its folder through `cmd /c`, as
//    Jw_cad's external transformation does; the batch exchanges data with it
//    through "JWC_TEMP.TXT", which the tests place themselves.
//  - WM_COMMAND 32923 / 32924 open a modal "#32770" dialog with a direct
//    "Edit" child and a "開く(&O)" / "保存(&S)" button, which our system fills
//    and presses; "open" loads the named file as the current environment,
//    "save" writes the current environment to the named file.
//  - "/late=MS" on its command line makes it open that dialog MS
//    milliseconds after the command (at most a minute), as a busy Jw_cad
//    does; our system must still find the dialog when it comes.
//
// Log: "standin.log" in its folder, UTF-8, one line per action, CR LF. The
// file is opened, appended and closed for every line, so a test may read it
// at any moment and never sees half a line (one WriteFile per line).
//
// It must never hang a test: no message boxes anywhere (not even the
// system's "drive not ready" box), every wait is bounded, and WM_CLOSE ends
// it. A second copy may run; each copy logs to its own folder.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kCmdOpen = 32923;   // read in an environment or layer file
constexpr UINT kCmdSave = 32924;   // write the environment out
constexpr DWORD kBatchLimitMs = 60000;
constexpr UINT kKilledExitCode = 124;  // what a timed-out batch reports
constexpr UINT_PTR kLateDialogTimer = 1;
constexpr unsigned long kLateLimitMs = 60000;

std::wstring g_folder;    // the Jw_cad folder, with a trailing "\"
std::string g_env;        // current environment, bytes as read (code page 932)
bool g_batch_running = false;
unsigned long g_late_ms = 0;  // "/late=MS": delay before a file dialog opens
UINT g_late_command = 0;      // the command whose dialog is still to open

// --- text ----------------------------------------------------------------

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

// The first line of code page 932 bytes, as UTF-8 for the log. Code page 932
// is named explicitly: Jw_cad's files are Shift-JIS whatever the machine's
// ANSI code page is. CR and LF never occur as trail bytes, so cutting at the
// first of them is safe on the bytes.
std::string FirstLineUtf8(const std::string& cp932) {
  std::string line = cp932.substr(0, cp932.find_first_of("\r\n"));
  if (line.empty()) return {};
  int n = MultiByteToWideChar(932, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(932, 0, line.data(), static_cast<int>(line.size()), w.data(), n);
  return Utf8(w);
}

// --- files and log -------------------------------------------------------

bool ReadWhole(const std::wstring& path, std::string* out) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string data;
  char buf[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr) != 0) && got > 0) data.append(buf, got);
  CloseHandle(h);
  if (ok) *out = std::move(data);
  return ok;
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = bytes.empty() ||
            (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
             put == bytes.size());
  return CloseHandle(h) && ok;
}

// Appends one line. Open with sharing for everyone so a test reading the log
// at the same moment neither fails nor blocks us.
void Log(const std::string& line) {
  std::wstring path = g_folder + L"standin.log";
  HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  std::string bytes = line + "\r\n";
  DWORD put = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(h);
}

// --- the external transformation ----------------------------------------

// Runs "_VNKtemp.bat" as Jw_cad does: `cmd /c` in the Jw_cad folder. Standard
// input is NUL so a "pause" in the batch reads end-of-file instead of
// waiting for a person; output goes to NUL too since there is no console.
// While it waits it keeps pumping its own messages, so its window stays
// responsive (a test's SendMessage to it never blocks), and it gives up
// after a minute so a broken batch cannot hang a test.
void RunTemporaryBatch() {
  g_batch_running = true;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = si.hStdOutput = si.hStdError = nul;
  PROCESS_INFORMATION pi{};
  std::wstring cmdline = L"cmd.exe /c _VNKtemp.bat";
  long long code = -1;  // -1: cmd could not be started at all
  if (CreateProcessW(nullptr, cmdline.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                     g_folder.c_str(), &si, &pi)) {
    const ULONGLONG deadline = GetTickCount64() + kBatchLimitMs;
    bool done = false, quit = false;
    WPARAM quit_code = 0;
    while (!done && !quit) {
      ULONGLONG now = GetTickCount64();
      if (now >= deadline) break;
      DWORD r = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE,
                                          static_cast<DWORD>(deadline - now), QS_ALLINPUT);
      if (r == WAIT_OBJECT_0) {
        done = true;
      } else if (r == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
          if (msg.message == WM_QUIT) {
            quit = true;
            quit_code = msg.wParam;
            break;
          }
          TranslateMessage(&msg);
          DispatchMessageW(&msg);
        }
      } else if (r == WAIT_FAILED) {
        break;
      }
    }
    if (!done) {
      TerminateProcess(pi.hProcess, kKilledExitCode);
      WaitForSingleObject(pi.hProcess, 5000);
    }
    DWORD exit_code = 0;
    GetExitCodeProcess(pi.hProcess, &exit_code);
    code = exit_code;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (quit) PostQuitMessage(static_cast<int>(quit_code));  // hand it back to the main loop
  }
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  Log("run _VNKtemp.bat exit=" + std::to_string(code));
  g_batch_running = false;
}

// --- the file dialog -----------------------------------------------------

// An in-memory dialog template, so the stand-in needs no resource file.
// Layout: DLGTEMPLATE, then per control a DWORD-aligned DLGITEMTEMPLATE with
// the predefined class given as an atom (0xFFFF, atom).
class DialogTemplate {
 public:
  DialogTemplate(const wchar_t* title, short cx, short cy) {
    Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER);
    Dword(0);            // extended style
    count_at_ = words_.size();
    Word(0);             // number of controls, filled in by Add
    Word(0), Word(0), Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
    Word(0), Word(0);    // no menu, the standard dialog class
    Text(title);
  }
  // atom: 0x0080 Button, 0x0081 Edit.
  void Add(WORD atom, const wchar_t* text, WORD id, DWORD style, short x, short y, short cx,
           short cy) {
    if (words_.size() % 2) Word(0);  // DWORD alignment
    Dword(WS_CHILD | WS_VISIBLE | style);
    Dword(0);
    Word(static_cast<WORD>(x)), Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF), Word(atom);
    Text(text);
    Word(0);  // no creation data
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
  std::vector<WORD> words_;  // WORD storage keeps the required 2-byte alignment
  size_t count_at_ = 0;
};

// Reads or writes the file named in the dialog's Edit. Our system presses
// the button by posting WM_COMMAND with IDOK, so the work is done on IDOK
// whoever sent it. A failure is logged, never shown: a message box would
// leave a test waiting for a person.
INT_PTR CALLBACK FileDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(dlg, DWLP_USER, lp);  // the command: open or save
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  if (LOWORD(wp) == IDCANCEL) {
    EndDialog(dlg, IDCANCEL);
    return TRUE;
  }
  if (LOWORD(wp) != IDOK) return FALSE;
  HWND edit = FindWindowExW(dlg, nullptr, L"Edit", nullptr);
  std::wstring path(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  path.resize(static_cast<size_t>(GetWindowTextW(edit, path.data(), static_cast<int>(path.size()))));
  if (GetWindowLongPtrW(dlg, DWLP_USER) == static_cast<LONG_PTR>(kCmdOpen)) {
    std::string bytes;
    if (ReadWhole(path, &bytes)) {
      g_env = bytes;
      Log("open " + Utf8(path) + " " + FirstLineUtf8(bytes));
    } else {
      Log("open-failed " + Utf8(path));
    }
  } else {
    Log((WriteWhole(path, g_env) ? "save " : "save-failed ") + Utf8(path));
  }
  EndDialog(dlg, IDOK);
  return TRUE;
}

// Modal and owned by the main window, as Jw_cad's own file dialogs are, so
// our system finds it as a top-level "#32770" window.
void ShowFileDialog(HWND owner, UINT command) {
  const bool open = command == kCmdOpen;
  DialogTemplate t(open ? L"ファイルを開く" : L"名前を付けて保存", 240, 60);
  t.Add(0x0081, L"", 100, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 8, 8, 224, 14);
  t.Add(0x0080, open ? L"開く(&O)" : L"保存(&S)", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 120, 36,
        54, 16);
  t.Add(0x0080, L"キャンセル", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 178, 36, 54, 16);
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner, FileDialogProc, command);
}

// --- the main window -----------------------------------------------------

// Ctrl+Shift+Z. Our system synthesises it with keybd_event and the extended
// flag (so Windows may see the right-hand Ctrl and Shift); GetKeyState of the
// generic VK_CONTROL and VK_SHIFT is down for either hand. WM_SYSKEYDOWN is
// accepted too, in case a system maps the combination that way.
void OnKeyDown(WPARAM key) {
  if (key != 'Z') return;
  if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_SHIFT) >= 0) {
    Log("keys-without-modifiers");
    return;
  }
  // A second Ctrl+Shift+Z while the batch still runs (we pump messages while
  // waiting) is dropped, rather than starting a batch inside a batch.
  if (!g_batch_running) RunTemporaryBatch();
}

LRESULT CALLBACK MainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      OnKeyDown(wp);
      if (msg == WM_KEYDOWN) return 0;
      break;  // keep Alt+F4 and the like working
    case WM_COMMAND:
      if (wp == kCmdOpen || wp == kCmdSave) {
        if (g_late_ms == 0) {
          ShowFileDialog(wnd, static_cast<UINT>(wp));
        } else if (SetTimer(wnd, kLateDialogTimer, g_late_ms, nullptr)) {
          g_late_command = static_cast<UINT>(wp);  // a second command replaces the first
          Log("dialog-delayed " + std::to_string(g_late_ms));
        } else {
          Log("dialog-timer-failed");
        }
        return 0;
      }
      break;
    case WM_TIMER:
      if (wp == kLateDialogTimer) {
        KillTimer(wnd, kLateDialogTimer);
        UINT command = g_late_command;
        g_late_command = 0;
        if (command) ShowFileDialog(wnd, command);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

// "/late=MS" anywhere on the command line; 0 when absent, at most a minute
// so a test cannot leave it waiting for long.
unsigned long LateMs(const wchar_t* cmdline) {
  const wchar_t* at = cmdline ? wcsstr(cmdline, L"/late=") : nullptr;
  if (!at) return 0;
  unsigned long ms = wcstoul(at + 6, nullptr, 10);
  return ms > kLateLimitMs ? kLateLimitMs : ms;
}

std::wstring OwnFolder() {
  std::wstring exe(32768, L'\0');
  exe.resize(GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
  return exe.substr(0, exe.find_last_of(L"\\/") + 1);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR cmdline, int show) {
  // No "insert a disk" or crash boxes: nobody is there to answer them.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  g_folder = OwnFolder();
  g_late_ms = LateMs(cmdline);
  Log("start");
  if (ReadWhole(g_folder + L"JW_WIN.JWF", &g_env))
    Log("startup-jwf " + FirstLineUtf8(g_env));
  else
    Log("startup-jwf-missing");

  WNDCLASSW wc{};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"ZelvantoJwStandin";
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, wc.lpszClassName, L"jw_win", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 400, 300, nullptr, nullptr, inst, nullptr);
  if (!main) return 1;
  // Honour the starter's show command (our system starts Jw_cad maximised);
  // a plain start shows it at its normal size. Never start hidden: our
  // system activates the window by its title.
  ShowWindow(main, show == SW_HIDE ? SW_SHOWNORMAL : show);
  UpdateWindow(main);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
