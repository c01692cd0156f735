#include "core/envwrite.h"

#include <cstddef>
#include <vector>

#include "core/linereader.h"
#include "core/text.h"

namespace zel {
namespace {

// Byte offset of the n-th (1-based) comma that is a character of its own;
// npos when the line has fewer.
std::size_t NthComma(std::string_view line, int n) {
  std::size_t at = 0;
  for (int i = 0; i < n; ++i) {
    at = FindChar(line, ',', i == 0 ? 0 : at + 1);
    if (at == std::string_view::npos) return at;
  }
  return at;
}

// The sixth field (between the fifth comma and the sixth, or the line's
// end) becomes the wrapper batch's name; the rest of the line stays as
// read, byte for byte.
std::string WithWrapperInSixthField(std::string_view line) {
  const std::size_t fifth = NthComma(line, 5);
  if (fifth == std::string_view::npos) return std::string(line);
  std::size_t sixth = FindChar(line, ',', fifth + 1);
  if (sixth == std::string_view::npos) sixth = line.size();
  std::string out(line.substr(0, fifth + 1));
  out += kWrapperBatchStem;
  out += line.substr(sixth);
  return out;
}

std::string WithFirstPlaceholder(std::string_view line, std::string_view value) {
  const std::size_t at = FindText(line, "#new#");
  if (at == std::string_view::npos) return std::string(line);
  std::string out(line.substr(0, at));
  out += value;
  out += line.substr(at + 5);
  return out;
}

}  // namespace

std::string AddLineText(std::string_view addline) {
  constexpr std::string_view kBreak = " vbCrlf ";
  std::string out;
  out.reserve(addline.size());
  for (std::size_t i = 0; i < addline.size();) {
    if (i + kBreak.size() <= addline.size() &&
        EqualsNoCase(addline.substr(i, kBreak.size()), kBreak)) {
      out += "\r\n";
      i += kBreak.size();
      continue;
    }
    const std::size_t len = CharLenAt(addline, i);
    out.append(addline.substr(i, len));
    i += len;
  }
  return out;
}

std::string PrepareWrittenEnvironment(const std::string& commented, std::string_view scomm49,
                                      std::string_view addline) {
  std::string out;
  out.reserve(commented.size() + addline.size() + 64);
  for (const std::string& read : SplitLines(commented)) {
    std::string line = read;
    if (StartsWithNoCase(line, "GCOM_170")) line = WithWrapperInSixthField(line);
    if (StartsWithNoCase(line, "S_comm_4")) line = WithFirstPlaceholder(line, scomm49);
    if (StartsWithNoCase(line, "END")) {
      out += AddLineText(addline);
      out += "\r\n";
    }
    out += line;
    out += "\r\n";
  }
  return out;
}

bool JwCadWroteFile(const SavedFileCheck& check) {
  if (!check.new_time) return false;
  return !check.old_file_stayed || *check.new_time > check.old_time;
}

}  // namespace zel
