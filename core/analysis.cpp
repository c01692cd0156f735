#include "core/analysis.h"

#include <array>
#include <initializer_list>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/pattern.h"
#include "core/text.h"
#include "core/words.h"

namespace zel {
namespace {

using std::string_view;

// Every byte of every line passes the word scan, so the lead-byte test of
// code page 932 (the ranges IsLeadByte uses) is inlined here.
inline bool IsLead(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

inline char FoldAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// EqualsNoCase without building upper-case copies: the batch loop compares
// the first word of every line with every engine name. Double-byte
// characters compare exactly, so ア (83 41) never equals ヂ (83 61).
bool Same(string_view a, string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    if (IsLead(a[i]) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      i += 2;
    } else {
      if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
      ++i;
    }
  }
  return true;
}

// True when `word` ends in the ASCII `suffix` (any case) and the suffix
// starts on a character boundary: the "L" of "LIB" may not be the trail
// byte of a double-byte character.
bool EndsWith(string_view word, string_view suffix) {
  if (word.size() < suffix.size()) return false;
  const std::size_t at = word.size() - suffix.size();
  std::size_t i = 0;
  while (i < at) i += (IsLead(word[i]) && i + 1 < word.size()) ? 2 : 1;
  return i == at && Same(word.substr(at), suffix);
}

// An ASCII prefix that matches byte for byte is made of whole characters.
bool StartsWith(string_view word, string_view prefix) {
  return word.size() >= prefix.size() && Same(word.substr(0, prefix.size()), prefix);
}

string_view TrimRight(string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

string_view Trim(string_view s) {
  s = TrimRight(s);
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

// Calls f(word) for each blank-separated word of s, in order, split as
// SplitWords splits (blanks are code 32 only; a double-byte character is
// never cut), but without copying and without a limit on the count.
template <typename F>
void ForEachWord(string_view s, F&& f) {
  const std::size_t n = s.size();
  std::size_t i = 0;
  for (;;) {
    while (i < n && s[i] == ' ') ++i;
    if (i == n) return;
    const std::size_t start = i;
    while (i < n && s[i] != ' ') i += (IsLead(s[i]) && i + 1 < n) ? 2 : 1;
    f(s.substr(start, i - start));
  }
}

// The words of one batch line as views into it. `count` counts every word,
// so a line with more words than the word table holds is caught.
struct LineWords {
  std::array<string_view, kMaxWords> w{};
  std::size_t count = 0;

  explicit LineWords(string_view line) {
    ForEachWord(line, [this](string_view word) {
      if (count < kMaxWords) w[count] = word;
      ++count;
    });
  }
  string_view operator[](std::size_t i) const { return i < kMaxWords ? w[i] : string_view(); }
  // The first word, word 1 included, that ends in `suffix`; empty when none.
  string_view FirstEndingIn(string_view suffix) const {
    for (std::size_t i = 0; i < count && i < kMaxWords; ++i)
      if (EndsWith(w[i], suffix)) return w[i];
    return {};
  }
  string_view FirstStartingWith(string_view prefix) const {
    for (std::size_t i = 0; i < count && i < kMaxWords; ++i)
      if (StartsWith(w[i], prefix)) return w[i];
    return {};
  }
};

// Which words of an engine line name related files.
enum class Scripts { kAwk, kDms, kRuby, kPerl };

// An engine whose line always names it: it overwrites the label, so the
// last engine line of a batch names the engine.
struct EngineRow {
  string_view name;
  string_view exe_name;  // the program file's name, or empty
  std::string label;     // cp932
  Scripts scripts;
};

const std::vector<EngineRow>& EngineRows() {
  static const std::vector<EngineRow> rows = {
      {"jgawk", "JGAWK.EXE", "JGAWK", Scripts::kAwk},
      {"gawk", "GAWK.EXE", "GAWK", Scripts::kAwk},
      {"gawk32", "GAWK32.EXE", "GAWK32", Scripts::kAwk},
      {"mgawk32", "MGAWK32.EXE", "mGAWK32", Scripts::kAwk},
      {"GO32", "", "GO32+JGAWK", Scripts::kAwk},
      {"igawk", "iGAWK.EXE", "iGAWK", Scripts::kAwk},
      {"jgawk16", "jGAWK16.EXE", "JGAWK16", Scripts::kAwk},
      {"%awk%", "", "%awk%", Scripts::kAwk},
      {"DM", "DM.EXE", J("DMonkey-コンソール版"), Scripts::kDms},
      {"DMscript", "DMscript.exe", J("DMonkey-通常版"), Scripts::kDms},
      {"RUBY", "", "Ruby", Scripts::kRuby},
      {"DRUBY", "", "DRuby.exe", Scripts::kRuby},
      {"MRUBY", "", "mRuby.exe", Scripts::kRuby},
      {"MRUBYW", "", "mRubyw.exe", Scripts::kRuby},
      {"PERL", "", "Perl", Scripts::kPerl},
      {"chrawk.bat", "", J("CHRW02特別モード"), Scripts::kAwk},
  };
  return rows;
}

struct FixedTexts {
  std::string callwin = J("Callwin → ");
  std::string chrawk_call = J("CHRW03特別モード");
  std::string add_call = J("[Call]を付加");
};

const FixedTexts& Texts() {
  static const FixedTexts texts;
  return texts;
}

// The part of a path after its last "\", by the program's pattern
// component, whose class takes a double-byte character whole, so the 5C
// trail byte of 表 or ソ is not a separator.
std::string FileNamePart(const std::string& path) {
  return Match("/([^\\\\]*)$/", path);
}

void AppendShown(std::string& display, string_view line) {
  display.append(TrimRight(line));
  display.append("\r\n");
}

// Reads the title line, which is always shown and not examined further.
// An empty file fails here like an unreadable one: the list never offers an
// empty file, so it was emptied after listing, and the view keeps what it
// showed rather than blanking itself for a file that is no longer what the
// row says.
bool ReadTitle(LineReader& reader, std::string& line, AnalysisResult& r) {
  if (!reader.ReadLine(line)) {
    r.failed = true;
    return false;
  }
  AppendShown(r.display, line);
  return true;
}

class BatchAnalyser {
 public:
  BatchAnalyser(AnalysisResult& r, DisplayMode mode) : r_(r), all_(mode == DisplayMode::kAll) {}

  // One line after the title; false when the analysis must stop.
  bool Line(string_view line) {
    const LineWords words(line);
    if (words.count > kMaxWords) return false;

    const string_view trimmed = Trim(line);
    if (Same(trimmed, "rem #cd") || Same(trimmed, "rem  #cd")) r_.check_smenu = true;

    bool comment = false;
    if (Same(words[0], ":COMENT")) {
      in_block_ = true;
    } else if (Same(words[0], "rem") && !words[1].empty() && words[1][0] != '#') {
      comment = true;
    } else if (Same(words[0], ":END")) {
      in_block_ = false;
    }
    if (all_ || in_block_ || comment) {
      if (++shown_ > kMaxShownLines) return false;
      AppendShown(r_.display, line);
    }

    Engine(words);
    return true;
  }

 private:
  void AddRelated(string_view name) {
    r_.related_list += ' ';
    r_.related_list.append(name);
  }

  void AddAwkFiles(const LineWords& words) {
    for (std::size_t i = 0; i < words.count; ++i) {
      const string_view w = words[i];
      if (EndsWith(w, ".awk")) {
        string_view name = w;
        if (StartsWith(name, "-f")) name.remove_prefix(2);
        if (StartsWith(name, "%AWKPATH%")) name.remove_prefix(9);
        AddRelated(name);
      }
      if (EndsWith(w, "LIB")) AddRelated(w);
      if (EndsWith(w, ".CFG")) AddRelated(w);
    }
  }

  void AddScripts(const LineWords& words, Scripts scripts) {
    switch (scripts) {
      case Scripts::kAwk:
        AddAwkFiles(words);
        break;
      case Scripts::kDms:
      case Scripts::kPerl: {
        const string_view s = words.FirstEndingIn(scripts == Scripts::kDms ? ".dms" : ".pl");
        if (!s.empty()) AddRelated(s);
        break;
      }
      case Scripts::kRuby: {
        const string_view script = words.FirstEndingIn(".rb");
        if (!script.empty()) AddRelated(script);
        const string_view lib = words.FirstStartingWith("-r");
        if (!lib.empty()) AddRelated(std::string(lib.substr(2)) + ".rb");
        break;
      }
    }
  }

  // The scripting host: the label names the host, refined by the script
  // types found, the last found type winning.
  void ScriptingHost(const LineWords& words, const std::string& host) {
    r_.engine_label = host;
    static constexpr std::pair<string_view, string_view> kTypes[] = {
        {".vbs", "-VBScript"}, {".rb", "-ActiveRuby"}, {".js", "-JScript"}};
    for (const auto& [ext, type] : kTypes) {
      const string_view s = words.FirstEndingIn(ext);
      if (s.empty()) continue;
      r_.engine_label = host;
      r_.engine_label.append(type);
      AddRelated(s);
    }
  }

  // A "start" line, a bare program or a bare batch only fills a label that
  // is still unknown; every other engine line overwrites it.
  void Engine(const LineWords& words) {
    const string_view first = words[0];
    if (first.empty()) return;
    const bool unknown = r_.engine_label == "?";
    if (Same(first, "start")) {
      if (!unknown) return;
      const bool switched = StartsWith(words[1], "/");
      const string_view program = switched ? words[2] : words[1];
      // "start" without a program names no engine; an empty label would
      // read as a known one, so the label stays "?".
      if (program.empty()) return;
      r_.engine_label = switched && StartsWith(words[1], "/W") ? "Start /W " : "";
      r_.engine_label.append(program);
      return;
    }
    if (Same(first, "Callwin") || Same(first, "Callwin.exe")) {
      string_view program = words[1];
      if (!program.empty() && program[0] == '"') program.remove_prefix(1);
      r_.engine_label = Texts().callwin;
      r_.engine_label.append(program);
      return;
    }
    for (const EngineRow& row : EngineRows()) {
      if (Same(first, row.name) || (!row.exe_name.empty() && Same(first, row.exe_name))) {
        r_.engine_label = row.label;
        AddScripts(words, row.scripts);
        return;
      }
    }
    if (Same(first, "CSCRIPT")) return ScriptingHost(words, "WSH-Cscript");
    if (Same(first, "WSCRIPT")) return ScriptingHost(words, "WSH-Wscript");
    if (Same(first, "call")) {
      if (Same(words[1], "chrawk.bat")) {
        r_.engine_label = Texts().chrawk_call;
        AddAwkFiles(words);
      }
      return;
    }
    if (!unknown) return;
    if (EndsWith(first, ".EXE")) {
      r_.engine_label = std::string(first);
    } else if (EndsWith(first, ".bat")) {
      r_.engine_label = std::string(first) + Texts().add_call;
    }
  }

  AnalysisResult& r_;
  const bool all_;
  bool in_block_ = false;
  std::size_t shown_ = 0;
};

// Adds the batch's document and text companions, then rebuilds the related
// list without duplicates and fills the menu captions. False when a name
// finds no menu entry left.
bool BuildRelatedMenu(AnalysisResult& r, const std::string& batch_path,
                      const std::function<bool(const std::string&)>& file_exists) {
  const std::size_t chars = CharCount(batch_path);
  const std::string stem = LeftChars(batch_path, chars >= 3 ? chars - 3 : 0);
  for (const char* ext : {"doc", "txt"}) {
    const std::string companion = stem + ext;
    if (file_exists && file_exists(companion)) {
      r.related_list += ' ';
      r.related_list += FileNamePart(companion);
    }
  }

  // Every name is split off, not only the 31 a word table holds: a batch
  // that names the same script on many engine lines is valid, and names
  // past the 31st would otherwise vanish from the menu unseen.
  const std::string gathered = std::move(r.related_list);
  r.related_list.clear();
  std::vector<string_view> names;
  ForEachWord(gathered, [&names](string_view w) { names.push_back(w); });

  // A repeated name keeps only its last occurrence, so the last mention
  // decides its place. Names have no blanks, so trimming changes nothing.
  std::vector<std::string> keys;
  keys.reserve(names.size());
  std::unordered_map<std::string, std::size_t> last;
  for (std::size_t i = 0; i < names.size(); ++i) {
    keys.push_back(AsciiUpper(names[i]));
    last[keys.back()] = i;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (last[keys[i]] != i) continue;
    r.related_list += ' ';
    r.related_list.append(names[i]);
    if (r.related_captions.size() == kRelatedMenuSlots) return false;
    r.related_captions.push_back(std::move(keys[i]));
  }
  return true;
}

}  // namespace

AnalysisResult AnalyseBatch(ByteSource& file, DisplayMode mode, const std::string& batch_path,
                            const std::function<bool(const std::string&)>& file_exists) {
  AnalysisResult r;
  LineReader reader(file);
  std::string line;
  if (!ReadTitle(reader, line, r)) return r;
  BatchAnalyser analyser(r, mode);
  while (reader.ReadLine(line)) {
    if (!analyser.Line(line)) {
      r.failed = true;
      return r;
    }
  }
  if (reader.Failed()) {
    r.failed = true;
    return r;
  }
  if (!BuildRelatedMenu(r, batch_path, file_exists)) {
    r.failed = true;
    return r;
  }
  r.menu_built = true;
  return r;
}

AnalysisResult AnalyseSettingsFile(ByteSource& file, DisplayMode mode) {
  AnalysisResult r;
  LineReader reader(file);
  std::string line;
  if (!ReadTitle(reader, line, r)) return r;
  std::size_t shown = 0;
  while (reader.ReadLine(line)) {
    if (mode == DisplayMode::kFiltered) {
      const std::size_t first = line.find_first_not_of(' ');
      if (first != std::string::npos && line[first] == '#') continue;
    }
    if (++shown > kMaxShownLines) {
      r.failed = true;
      return r;
    }
    AppendShown(r.display, line);
  }
  if (reader.Failed()) r.failed = true;
  return r;
}

}  // namespace zel
