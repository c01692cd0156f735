// The folder search over a generated tree of 20,000 folders and 100,000
// files, against a floor measured in the same run through the same file
// system layer: a bare recursive listing, plus reading each batch as far as
// the rules must (a batch without a marker to its end, a qualifying one to
// its marker line).
//
// The tree: 100 folders of 199 folders each. Every tenth folder holds a
// qualifying batch (its marker on line 2), 5,000 others one batch of 20 KB
// without a marker; every folder holds five files in all, the rest not
// batches. Built for Windows the search and the floor go through the
// program's own Win32 layer, and "cmd /c dir /s /b *.bat" on the same tree
// is timed too: what a user would type instead, and it only lists.
//
//   bench_foldersearch               makes the tree in a temporary folder
//   bench_foldersearch --make DIR    only makes the tree in DIR
//   bench_foldersearch DIR           searches the tree made before in DIR
//
// Prints the best time of three rounds for each and the ratios; the search
// should stay within 1.3 times the floor.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/filelist.h"
#include "core/foldersearch.h"
#include "tests/support/std_fs.h"
#include "tests/support/tempdir.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/folder_walk.h"
#include "platform/wstr.h"
#endif

using namespace zel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTop = 100, kInner = 199, kFilesPerFolder = 5;
constexpr int kRounds = 3;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Put(const std::filesystem::path& p, const std::string& bytes) { test::WriteBytes(p, bytes); }

// Folder number n (0 .. 19,999) gets: every tenth a qualifying batch, every
// fourth from the second a 20 KB batch without a marker, and files that
// are not batches up to five.
void MakeTree(const std::filesystem::path& root) {
  const std::string qualifying = "REM bench title *\r\nREM #jw\r\njgawk -f a.awk\r\n";
  std::string plain = "@echo off\r\n";
  while (plain.size() < 20 * 1024) plain += "echo " + std::string(70, 'x') + "\r\n";
  const std::string other = "some text that is not a batch\r\n";
  int n = 0;
  for (int t = 0; t < kTop; ++t) {
    const auto top = root / ("top" + std::to_string(t));
    std::filesystem::create_directories(top);
    for (int i = 0; i < kInner + 1; ++i, ++n) {
      // The top folder itself counts as one of the 20,000.
      const auto folder = i == 0 ? top : top / ("f" + std::to_string(i));
      std::filesystem::create_directories(folder);
      int files = 0;
      if (n % 10 == 0) {
        Put(folder / "q.bat", qualifying);
        ++files;
      } else if (n % 4 == 1) {
        Put(folder / "plain.bat", plain);
        ++files;
      }
      for (; files < kFilesPerFolder; ++files)
        Put(folder / ("note" + std::to_string(files) + (files % 2 ? ".awk" : ".txt")), other);
    }
  }
}

std::string ProgramPathOf(const std::filesystem::path& p) { return test::Cp932FromPath(p); }

class Quiet : public SearchObserver {
 public:
  bool Cancelled() override { return false; }
  // As the window's worker does: the path is kept for the progress panel.
  void Reading(const std::string& path, std::size_t, std::size_t) override { last = path; }
  void Found(const std::string&) override { ++found; }
  std::string last;
  std::size_t found = 0;
};

// The unavoidable work: every folder listed once, every batch read as far
// as the rules must.
std::size_t Floor(FolderSource& fs, const std::string& root, std::vector<char>& buf) {
  std::size_t bytes = 0;
  std::vector<std::string> pending{root + "\\"};
  std::vector<FolderEntry> folders;
  std::vector<DirEntry> files;
  while (!pending.empty()) {
    const std::string folder = pending.back();
    pending.pop_back();
    folders.clear();
    files.clear();
    fs.ListFolder(folder, ".bat", folders, files);
    for (const FolderEntry& f : folders) pending.push_back(folder + f.name + "\\");
    for (const DirEntry& f : files) {
      std::unique_ptr<ByteSource> in = fs.OpenRead(folder + f.name);
      if (!in) continue;
      const bool to_end = f.name == "plain.bat";
      for (long long n; (n = in->Read(buf.data(), buf.size())) > 0;) {
        bytes += static_cast<std::size_t>(n);
        if (!to_end) break;  // the marker is on line 2, within the first read
      }
    }
  }
  return bytes;
}

#ifdef _WIN32
// "cmd /c dir /s /b *.bat" in the tree's root, its output thrown away.
double TimeDir(const std::filesystem::path& root) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = nul;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::wstring cl = L"cmd /c dir /s /b *.bat";
  const auto t0 = Clock::now();
  if (!CreateProcessW(nullptr, cl.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      root.wstring().c_str(), &si, &pi)) {
    CloseHandle(nul);
    return -1;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  const double s = Seconds(Clock::now() - t0);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(nul);
  return s;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  std::unique_ptr<test::TempDir> temp;
  std::filesystem::path root;
  if (argc == 3 && std::strcmp(argv[1], "--make") == 0) {
    MakeTree(argv[2]);
    std::printf("tree made in %s\n", argv[2]);
    return 0;
  }
  if (argc == 2) {
    root = argv[1];
  } else {
    temp = std::make_unique<test::TempDir>();
    root = temp->path();
    const auto t0 = Clock::now();
    MakeTree(root);
    std::printf("tree made in %.1f s\n", Seconds(Clock::now() - t0));
  }
  const std::string start = ProgramPathOf(root);

#ifdef _WIN32
  Win32FolderSource fs;
  const char* layer = "Win32";
#else
  test::StdFolderSource fs;
  const char* layer = "standard library";
#endif
  std::vector<char> buf(64 * 1024);
  Floor(fs, start, buf);  // warms the caches for both

  double best_search = 1e9, best_floor = 1e9;
  std::size_t found = 0, read = 0, sink = 0;
  for (int round = 0; round < kRounds; ++round) {
    Quiet q;
    const auto t0 = Clock::now();
    const SearchSummary s = SearchFolders(fs, start, kFilterBatch, q);
    const auto t1 = Clock::now();
    sink += Floor(fs, start, buf);
    const auto t2 = Clock::now();
    found = s.folders_found;
    read = s.folders_read;
    best_search = std::min(best_search, Seconds(t1 - t0));
    best_floor = std::min(best_floor, Seconds(t2 - t1));
  }
  std::printf("folder search (%s): %zu folders read, %zu found in %.3f s; floor (listing + "
              "batch reads) %.3f s\n",
              layer, read, found, best_search, best_floor);
  std::printf("ratio search/floor: %.2f (target <= 1.3)%s\n", best_search / best_floor,
              sink ? "" : " ");
#ifdef _WIN32
  double best_dir = 1e9;
  for (int round = 0; round < kRounds; ++round) best_dir = std::min(best_dir, TimeDir(root));
  std::printf("cmd /c dir /s /b *.bat: %.3f s; ratio search/dir: %.2f (target < 1)\n", best_dir,
              best_search / best_dir);
#endif
  return found == 2000 && read == 20001 ? 0 : 1;  // the start folder too
}
