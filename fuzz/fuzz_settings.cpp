// "Varnik.ini" and "Taskmnu.ini" as read and written back: whatever a file
// holds, reading never fails, and what is written has the file's shape
// (42 + 6n lines; 2 + 2N lines with N within the menus' room).
#include <cstdint>

#include "core/history.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "fuzz/fuzz_input.h"

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitLines(bytes);

  static const Settings kFirstStart = DefaultSettings("C:\\JWW\\GAIHEN", 20);
  Settings s = kFirstStart;
  ParseSettings(&lines, s);
  ApplySettingsFallbacks(s, "C:\\");
  const std::string written = FormatSettings(s);
  fuzz::Require(SplitLines(written).size() == 42 + 6 * s.Tools.size());
  // What was written reads back to the same file.
  Settings again = kFirstStart;
  const std::vector<std::string> written_lines = SplitLines(written);
  ParseSettings(&written_lines, again);
  fuzz::Require(FormatSettings(again) == written);

  History h;
  LoadHistory(&lines, h);
  fuzz::Require(h.N >= 1 && h.N <= kMaxHistory && h.Np >= 0 && h.Np <= h.N);
  const std::string history = FormatHistory(h);
  fuzz::Require(SplitLines(history).size() == 2 + 2 * static_cast<std::size_t>(h.N));
  RecordRun(h, lines.empty() ? std::string() : lines.front(), "C:\\a.bat");
  fuzz::Require(h.Np == 1);
  return 0;
}
