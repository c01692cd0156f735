// Varnik's start, from the process created to a shown window with a filled
// list, against the floor: a bare list window (bare_list.exe) that lists
// and reads the same 300 batches. Both are started the same way, in turns,
// several times; the medians are compared.
//   bench_startup [ROUNDS]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/settings.h"

namespace {

namespace fs = std::filesystem;
constexpr int kBatches = 300;

std::wstring WinePath(const std::string& p) {
  if (p.empty() || p[0] != '/') return std::wstring(p.begin(), p.end());
  std::wstring out = L"Z:";
  for (char c : p) out += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return out;
}

std::string Narrow932(const std::wstring& w) {
  const int n = WideCharToMultiByte(932, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(932, 0, w.c_str(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

bool WriteFileBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream f(p, std::ios::binary);
  f << bytes;
  return static_cast<bool>(f);
}

// A batch as users have them: a title, comments, the markers, a call.
std::string Batch(int n) {
  std::string s = "REM \x8a\x4f\x95\x94\x95\xcf\x8c\x60 " + std::to_string(n) + "\r\n";
  for (int i = 0; i < 8; ++i) s += "REM \x90\xe0\x96\xbe\x82\xcc\x8d\x73 " + std::to_string(i) + "\r\n";
  s += "#jw\r\n#cd\r\n#h1\r\n#e\r\nREM #1 \x90\xfc\x82\xf0\x8e\x77\x8e\xa6\r\n";
  s += "jgawk -f x" + std::to_string(n) + ".awk jwc_temp.txt > jwc_temp2.txt\r\n";
  s += "copy jwc_temp2.txt jwc_temp.txt\r\n";
  return s;
}

struct Found {
  DWORD pid;
  HWND main;
};

BOOL CALLBACK FindMain(HWND h, LPARAM lp) {
  auto* f = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != f->pid || !IsWindowVisible(h) || GetWindow(h, GW_OWNER)) return TRUE;
  f->main = h;
  return FALSE;
}

BOOL CALLBACK FindList(HWND h, LPARAM lp) {
  wchar_t cls[64] = L"";
  GetClassNameW(h, cls, 64);
  if (wcscmp(cls, WC_LISTVIEWW) != 0) return TRUE;
  *reinterpret_cast<HWND*>(lp) = h;
  return FALSE;
}

// Milliseconds from the process's creation to its visible window showing
// `kBatches` rows; negative when it did not within 60 s.
double TimeStart(const std::wstring& exe, const std::wstring& args, const std::wstring& cwd) {
  std::wstring cmd = L"\"" + exe + L"\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  // Wine now and then refuses one start of many in a row (error 1359); the
  // start is tried again, and timed from the try that worked.
  bool started = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) {
      Sleep(500);
      QueryPerformanceCounter(&t0);
    }
    started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             cwd.empty() ? nullptr : cwd.c_str(), &si, &pi) != 0;
    if (!started) error = GetLastError();
  }
  if (!started) {
    std::fprintf(stderr, "cannot start %ls (%lu)\n", exe.c_str(), error);
    return -1;
  }
  double ms = -1;
  for (;;) {
    QueryPerformanceCounter(&t1);
    const double now = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                       static_cast<double>(freq.QuadPart);
    if (now > 60000) break;
    Found f{pi.dwProcessId, nullptr};
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(&f));
    HWND list = nullptr;
    if (f.main) EnumChildWindows(f.main, FindList, reinterpret_cast<LPARAM>(&list));
    DWORD_PTR count = 0;
    if (list && IsWindowVisible(list) &&
        SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 1000, &count) &&
        count >= static_cast<DWORD_PTR>(kBatches)) {
      ms = now;
      PostMessageW(f.main, WM_CLOSE, 0, 0);
      break;
    }
    Sleep(1);
  }
  if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ms;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 11;
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const fs::path root = fs::path(tmp) / ("zel_bench_startup_" + std::to_string(GetCurrentProcessId()));
  const fs::path prog = root / "prog", jww = root / "jww", files = root / "gaihen";
  std::error_code ec;
  for (const auto& p : {prog, jww, files}) fs::create_directories(p, ec);
  const std::wstring varnik = WinePath(ZEL_VARNIK_EXE), bare = WinePath(ZEL_BARE_EXE);
  if (!fs::copy_file(varnik, prog / "Varnik.exe", fs::copy_options::overwrite_existing, ec)) {
    std::fprintf(stderr, "cannot copy Varnik.exe\n");
    return 1;
  }
  zel::Settings s = zel::DefaultSettings(Narrow932(files.wstring()), 20);
  s.jwwfolder = Narrow932(jww.wstring());
  bool ok = WriteFileBytes(prog / "Varnik.ini", zel::FormatSettings(s));
  for (int i = 0; i < kBatches && ok; ++i)
    ok = WriteFileBytes(files / ("gaihen" + std::to_string(1000 + i) + ".bat"), Batch(i));
  if (!ok) {
    std::fprintf(stderr, "cannot write the bench files\n");
    return 1;
  }

  const std::wstring folder = L"\"" + files.wstring() + L"\"";
  std::vector<double> tb, tv;
  // One start of each first, not counted: the first start of a program
  // pays for reading it from the disk.
  TimeStart(bare, folder, L"");
  TimeStart((prog / "Varnik.exe").wstring(), folder, prog.wstring());
  for (int r = 0; r < rounds; ++r) {
    // In turns, the order changing each round, so a slow moment of the
    // machine falls on both alike.
    for (int k = 0; k < 2; ++k) {
      const bool varnik_now = (r + k) % 2 == 1;
      const double ms = varnik_now ? TimeStart((prog / "Varnik.exe").wstring(), folder, prog.wstring())
                                   : TimeStart(bare, folder, L"");
      if (ms < 0) {
        std::fprintf(stderr, "%s did not show %d rows\n", varnik_now ? "Varnik" : "bare list",
                     kBatches);
        return 1;
      }
      (varnik_now ? tv : tb).push_back(ms);
    }
  }
  fs::remove_all(root, ec);
  const double mb = Median(tb), mv = Median(tv);
  std::printf("start to a filled list of %d batches, median of %d starts each:\n", kBatches, rounds);
  std::printf("  bare list window (floor): %8.1f ms\n", mb);
  std::printf("  Varnik.exe              : %8.1f ms\n", mv);
  std::printf("  ratio                   : %8.2f\n", mv / mb);
  return 0;
}
