// Analysing a batch of 32,767 lines with every line shown, against a floor
// of opening the same file and reading it line by line, measured in the same
// run on the same file.
//
// The batch looks like a real one grown long: a title, the "#jw" marker, a
// ":COMENT" block, then steps of twenty lines each with "rem" comments, an
// engine line naming a script, a library and a settings file, and many
// plain command lines, some with Japanese text. Prints the best time of
// several rounds for the analysis and for two floors (fgets and LineReader)
// and the ratio to the faster floor; the analysis should stay within 2
// times it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/analysis.h"
#include "core/linereader.h"
#include "core/text.h"
#include "tests/support/std_fs.h"
#include "tests/support/tempdir.h"

using namespace zel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kLines = 32767;
constexpr int kRounds = 31;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// One step of a long transformation batch: twenty lines, of which two are
// comments, one calls the engine with a script, a library and a settings
// file, and the rest are plain commands, headers and blank lines.
std::string Step(int n) {
  const std::string k = std::to_string(n);
  const std::string lines[] = {
      J("rem ----- 第") + k + J("段階: 分割数を入力 -----   "),
      J("echo 処理中 ") + k,
      "jgawk -f %AWKPATH%step" + std::to_string(n % 7) +
          ".awk lib\\JWLIB jw.cfg JWC_TEMP.TXT > ~tmp.txt",
      "if errorlevel 1 goto error",
      "copy ~tmp.txt JWC_TEMP.TXT > nul   ",
      "del ~tmp.txt",
      "set PARAM" + std::to_string(n % 13) + "=%1 %2 %3",
      "",
      J("REM #h1  半径"),
      "@echo off",
      J("rem 図形を選択してから実行してください"),
      "if exist ~tmp.txt del ~tmp.txt",
      "set /a COUNT=COUNT+1",
      J("echo %COUNT% 件"),
      ":LOOP" + k,
      "if \"%1\"==\"\" goto LOOP" + k,
      J("copy JWC_TEMP.TXT 変形前.txt > nul"),
      "type nul > ~log.txt",
      "",
      "goto NEXT" + k,
  };
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

// A title, the marker, a comment block, then steps up to kLines lines.
std::string MakeBatch() {
  std::string b = J("REM 円弧を多角形に変換 *\r\nREM #jw\r\nREM #cd\r\n");
  b += J(":COMENT\r\n  円弧を指定した分割数の多角形に変換します。\r\n:END\r\n");
  int lines = 6;
  for (int n = 0; lines + 20 <= kLines; ++n, lines += 20) b += Step(n);
  for (; lines < kLines; ++lines) b += "echo.\r\n";
  return b;
}

// Floor 1: open, read every line through a buffered stream, close.
std::size_t ReadLinesFgets(const std::filesystem::path& p) {
#ifdef _WIN32
  std::FILE* f = _wfopen(p.wstring().c_str(), L"rb");
#else
  std::FILE* f = std::fopen(p.string().c_str(), "rb");
#endif
  if (!f) return 0;
  std::size_t bytes = 0;
  char line[4096];
  while (std::fgets(line, sizeof line, f)) bytes += std::strlen(line);
  std::fclose(f);
  return bytes;
}

// Floor 2: open as the analysis opens, read every line with the same reader.
std::size_t ReadLinesReader(test::StdFileSystem& fs, const std::string& path) {
  auto file = fs.OpenRead(path);
  if (!file) return 0;
  LineReader reader(*file->bytes);
  std::string line;
  std::size_t bytes = 0;
  while (reader.ReadLine(line)) bytes += line.size();
  return bytes;
}

}  // namespace

int main() {
  test::TempDir dir;
  const std::string batch = MakeBatch();
  const std::filesystem::path path = dir.Write("long.bat", batch);
  dir.Write("long.doc", "");
  // The program's paths use "\" separators; the native file system maps them back.
  std::string program_path = test::Cp932FromPath(path);
#ifndef _WIN32
  std::replace(program_path.begin(), program_path.end(), '/', '\\');
#endif
  auto exists = [](const std::string& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(test::PathFromCp932(test::NativePath(p)), ec);
  };

  test::StdFileSystem fs;
  double best_analysis = 1e9, best_fgets = 1e9, best_reader = 1e9;
  std::size_t sink = 0;
  AnalysisResult last;
  for (int round = 0; round < kRounds; ++round) {
    // The view takes the text and the result goes, as in the program.
    last = AnalysisResult();
    auto t0 = Clock::now();
    auto file = fs.OpenRead(program_path);
    if (!file) return 1;
    last = AnalyseBatch(*file->bytes, DisplayMode::kAll, program_path, exists, file->size);
    file.reset();
    auto t1 = Clock::now();
    sink += ReadLinesFgets(path);
    auto t2 = Clock::now();
    sink += ReadLinesReader(fs, program_path);
    auto t3 = Clock::now();
    best_analysis = std::min(best_analysis, Seconds(t1 - t0));
    best_fgets = std::min(best_fgets, Seconds(t2 - t1));
    best_reader = std::min(best_reader, Seconds(t3 - t2));
  }
  const double floor = std::min(best_fgets, best_reader);
  std::printf("batch: %d lines, %zu bytes; shown %zu bytes, engine %s, %zu related names\n", kLines,
              batch.size(), last.display.size(), last.engine_label.c_str(),
              last.related_captions.size());
  std::printf("analysis %.3f ms; floor fgets %.3f ms, LineReader %.3f ms\n", best_analysis * 1e3,
              best_fgets * 1e3, best_reader * 1e3);
  std::printf("ratio analysis/floor: %.2f (target <= 2)%s\n", best_analysis / floor,
              sink ? "" : " ");
  // Every line is shown with its trailing blanks removed and CR LF after it,
  // until the view is full: then the closing line, and nothing more.
  std::string expected;
  const std::string rest = J("…（以下省略）") + "\r\n";
  for (const std::string& line : SplitLines(batch)) {
    const std::size_t keep = line.find_last_not_of(' ') + 1;
    if (expected.size() + keep + 2 + rest.size() > kMaxViewBytes) {
      expected += rest;
      break;
    }
    expected.append(line, 0, keep);
    expected += "\r\n";
  }
  const bool sound =
      !last.failed && last.menu_built && last.engine_label == "JGAWK" && last.display == expected;
  if (!sound) std::printf("the analysis did not give the expected result\n");
  return sound ? 0 : 1;
}
