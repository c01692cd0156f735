// Listing a folder of 300 one-megabyte batches whose "#jw" marker is on
// line 2, against a floor of opening each file and reading its first two
// lines, measured in the same run on the same files.
//
// Prints the best time of several rounds for each and their ratio; the
// listing should stay within 1.5 times the floor.
#include <algorithm>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/filelist.h"
#include "tests/support/std_fs.h"
#include "tests/support/tempdir.h"

using namespace zel;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The floor: open, read two lines through a buffered stream, close.
std::size_t ReadTwoLines(const std::filesystem::path& folder) {
  std::size_t bytes = 0;
  char line[4096];
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
#ifdef _WIN32
    std::FILE* f = _wfopen(e.path().wstring().c_str(), L"rb");
#else
    std::FILE* f = std::fopen(e.path().string().c_str(), "rb");
#endif
    if (!f) continue;
    for (int i = 0; i < 2 && std::fgets(line, sizeof line, f); ++i) bytes += std::strlen(line);
    std::fclose(f);
  }
  return bytes;
}

}  // namespace

int main() {
  test::TempDir dir;
  const std::string filler_line = std::string(78, 'x') + "\r\n";
  std::string body = "REM benchmark title *\r\nREM #jw\r\n";
  while (body.size() < (1u << 20)) body += filler_line;
  for (int i = 0; i < 300; ++i) dir.Write("bench" + std::to_string(i) + ".bat", body);

  test::StdFileSystem fs;
  double best_list = 1e9, best_floor = 1e9;
  std::size_t rows = 0, sink = 0;
  for (int round = 0; round < 7; ++round) {
    auto t0 = Clock::now();
    FileListing l = BuildFileList(fs, dir.str(), kFilterBatch);
    auto t1 = Clock::now();
    sink += ReadTwoLines(dir.path());
    auto t2 = Clock::now();
    rows = l.rows.size();
    best_list = std::min(best_list, Seconds(t1 - t0));
    best_floor = std::min(best_floor, Seconds(t2 - t1));
  }
  std::printf("file list: %zu rows listed in %.3f ms; floor (open + two lines) %.3f ms\n", rows,
              best_list * 1e3, best_floor * 1e3);
  std::printf("ratio listing/floor: %.2f (target <= 1.5)%s\n", best_list / best_floor,
              sink ? "" : " ");
  return rows == 300 ? 0 : 1;
}
