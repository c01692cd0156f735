#include "core/options.h"

#include "core/pattern.h"
#include "core/settings.h"
#include "core/text.h"
#include "core/words.h"

namespace zel {

namespace {

constexpr std::string_view kBreak = " vbCrlf ";

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// A whole number within lo..hi in ASCII digits (at most four of them, so
// nothing overflows).
bool WholeNumberIn(std::string_view text, int lo, int hi, int& out) {
  const std::string_view t = TrimBlanks(text);
  if (t.empty() || t.size() > 4) return false;
  int v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return false;
  out = v;
  return true;
}

}  // namespace

std::string AddLineFromText(std::string_view text) {
  // CR and LF are never trail bytes, so a byte walk touches no character.
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += kBreak;
    } else if (text[i] == '\n') {
      out += kBreak;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string TextFromAddLine(std::string_view value) {
  return Replace("s/( vbCrlf )/\\r\\n/igk", value);
}

bool ParseHistoryCount(std::string_view text, int& out) {
  return WholeNumberIn(text, kMinTypedHistoryCount, kMaxTypedHistoryCount, out);
}

bool Scomm49FromText(std::string_view text, std::string& out) {
  if (TrimBlanks(text).empty()) {
    out = "  ";
    return true;
  }
  int v = 0;
  if (!WholeNumberIn(text, kMinScomm49, kMaxScomm49, v)) return false;
  out = std::to_string(v);
  out.resize(2, ' ');
  return true;
}

std::string Scomm49Shown(std::string_view field) {
  return field == "  " ? std::string() : std::string(field);
}

std::optional<std::string> FirstFolderHolding(
    std::string_view path_variable, std::string_view program,
    const std::function<bool(const std::string& file)>& exists) {
  for (const std::string& folder : SplitFields(path_variable, ';')) {
    if (folder.empty()) continue;
    if (exists(folder + "\\" + std::string(program))) return folder;
  }
  return std::nullopt;
}

std::string ForceAwkCaption(std::string_view folder, std::string_view program) {
  return std::string(folder) + J("に存在する「") + std::string(program) + J("」を強制的に使う");
}

int GawkFromChecks(bool gawk_ticked, bool jgawk_ticked) {
  if (gawk_ticked) return 1;
  if (jgawk_ticked) return 2;
  return 0;
}

std::string FontLabelText(std::string_view kind, std::string_view face, double points) {
  return std::string(kind) + "\t" + std::string(face) + ", " + FormatFontSize(points) +
         J("ﾎﾟｲﾝﾄ");
}

}  // namespace zel
