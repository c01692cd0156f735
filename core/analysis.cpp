#include "core/analysis.h"

#include <algorithm>
#include <array>
#include <bitset>
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
bool SameChars(string_view a, string_view b) {
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

// Most comparisons fail on the length or the first byte, so those tests
// stay inline. (A lead byte is never folded, so its test agrees with
// SameChars.)
inline bool Same(string_view a, string_view b) {
  return a.size() == b.size() &&
         (a.empty() || (FoldAscii(a[0]) == FoldAscii(b[0]) && SameChars(a, b)));
}

bool IsCharBoundary(string_view s, std::size_t at) {
  std::size_t i = 0;
  while (i < at) i += (IsLead(s[i]) && i + 1 < s.size()) ? 2 : 1;
  return i == at;
}

// True when `word` ends in the ASCII `suffix` (any case) and the suffix
// starts on a character boundary: the "L" of "LIB" may not be the trail
// byte of a double-byte character.
bool EndsWith(string_view word, string_view suffix) {
  if (word.size() < suffix.size()) return false;
  const std::size_t at = word.size() - suffix.size();
  return Same(word.substr(at), suffix) && IsCharBoundary(word, at);
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

// Calls f(word) for the blank-separated words of s, in order, while it
// returns true. Split as SplitWords splits (blanks are code 32 only; a
// double-byte character is never cut), but without copying and without a
// limit on the count.
// The word at or after byte offset `pos` (a character boundary), with `pos`
// moved past it; empty when none is left.
string_view NextWord(string_view s, std::size_t& pos) {
  const std::size_t n = s.size();
  std::size_t i = pos;
  while (i < n && s[i] == ' ') ++i;
  const std::size_t start = i;
  while (i < n && s[i] != ' ') i += (IsLead(s[i]) && i + 1 < n) ? 2 : 1;
  pos = i;
  return s.substr(start, i - start);
}

template <typename F>
void ForEachWord(string_view s, F&& f) {
  std::size_t pos = 0;
  for (;;) {
    const string_view word = NextWord(s, pos);
    if (word.empty() || !f(word)) return;
  }
}

// More words than the word table holds. A line never has more words than
// blanks plus one, so a count of its blanks clears almost every line
// without walking its characters.
bool TooManyWords(string_view line) {
  if (static_cast<std::size_t>(std::count(line.begin(), line.end(), ' ')) < kMaxWords)
    return false;
  std::size_t n = 0;
  ForEachWord(line, [&n](string_view) { return ++n <= kMaxWords; });
  return n > kMaxWords;
}

// The first `wanted` words of a line (at most the 31 of the word table) as
// views into it; missing words are empty. Most lines need only two.
class LineWords {
 public:
  LineWords(string_view line, std::size_t wanted) : line_(line) {
    ForEachWord(line, [this, line, wanted](string_view word) {
      spans_[count_++] = {static_cast<std::size_t>(word.data() - line.data()), word.size()};
      return count_ < wanted && count_ < kMaxWords;
    });
  }
  std::size_t count() const { return count_; }
  string_view operator[](std::size_t i) const {
    return i < count_ ? line_.substr(spans_[i].at, spans_[i].size) : string_view();
  }
  // The first word, word 1 included, that ends in `suffix`; empty when none.
  string_view FirstEndingIn(string_view suffix) const {
    for (std::size_t i = 0; i < count_; ++i)
      if (EndsWith((*this)[i], suffix)) return (*this)[i];
    return {};
  }
  string_view FirstStartingWith(string_view prefix) const {
    for (std::size_t i = 0; i < count_; ++i)
      if (StartsWith((*this)[i], prefix)) return (*this)[i];
    return {};
  }

 private:
  // Plain offsets, left unset past count_: clearing a table of views for
  // every line of a long batch cost more than reading the line.
  struct Span {
    std::size_t at;
    std::size_t size;
  };
  string_view line_;
  std::array<Span, kMaxWords> spans_;
  std::size_t count_ = 0;
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

// Hash and equality of names compared without regard to ASCII letter case,
// folding only single-byte characters as Same does.
struct FoldedHash {
  std::size_t operator()(string_view s) const {
    std::size_t h = 14695981039346656037ull;  // FNV-1a
    for (std::size_t i = 0; i < s.size(); ++i) {
      const bool lead = IsLead(s[i]) && i + 1 < s.size();
      h = (h ^ static_cast<unsigned char>(lead ? s[i] : FoldAscii(s[i]))) * 1099511628211ull;
      if (lead) h = (h ^ static_cast<unsigned char>(s[++i])) * 1099511628211ull;
    }
    return h;
  }
};
struct FoldedEqual {
  bool operator()(string_view a, string_view b) const { return Same(a, b); }
};

// What a first word that names an engine asks for.
enum class EngineKind { kStart, kCallwin, kRow, kCscript, kWscript, kCall };

struct EngineName {
  EngineKind kind;
  const EngineRow* row;  // for kRow
};

// Every engine name, found by the first word of a line. Almost no line of a
// batch starts with an engine, so the first two letters of every name are
// kept in a bit table that turns most first words away before any lookup.
class EngineIndex {
 public:
  EngineIndex() {
    for (string_view name : {"start"}) Add(name, {EngineKind::kStart, nullptr});
    for (string_view name : {"Callwin", "Callwin.exe"}) Add(name, {EngineKind::kCallwin, nullptr});
    Add("CSCRIPT", {EngineKind::kCscript, nullptr});
    Add("WSCRIPT", {EngineKind::kWscript, nullptr});
    Add("call", {EngineKind::kCall, nullptr});
    for (const EngineRow& row : EngineRows()) {
      Add(row.name, {EngineKind::kRow, &row});
      if (!row.exe_name.empty()) Add(row.exe_name, {EngineKind::kRow, &row});
    }
  }
  const EngineName* Find(string_view word) const {
    if (word.size() < 2 || !starts_[Start(word)]) return nullptr;
    const auto it = names_.find(word);
    return it == names_.end() ? nullptr : &it->second;
  }

 private:
  // The first two bytes, letters folded: a filter only, so folding a trail
  // byte here can only let a word through to the exact lookup.
  static std::size_t Start(string_view w) {
    return static_cast<unsigned char>(FoldAscii(w[0])) * 256u +
           static_cast<unsigned char>(FoldAscii(w[1]));
  }
  void Add(string_view name, EngineName what) {
    names_.emplace(name, what);
    starts_.set(Start(name));
  }
  std::unordered_map<string_view, EngineName, FoldedHash, FoldedEqual> names_;
  std::bitset<65536> starts_;
};

const EngineIndex& Engines() {
  static const EngineIndex index;
  return index;
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
bool ReadTitle(LineReader& reader, std::string& line, AnalysisResult& r, DisplayMode mode,
               std::size_t size_hint) {
  // Every line shown: the view text is the file's bytes with CR LF ends.
  // Lines ended by a CR alone add a byte each; past the margin the text
  // still grows as it must. The cap keeps a huge hint from reserving what
  // a short file never needs.
  constexpr std::size_t kMaxReserve = std::size_t{64} << 20;
  if (mode == DisplayMode::kAll && size_hint > 0)
    r.display.reserve(std::min(size_hint + size_hint / 16 + 2, kMaxReserve));
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
    if (TooManyWords(line)) return false;
    // Word 2 is split off only where it matters.
    std::size_t after_first = 0;
    const string_view first = NextWord(line, after_first);
    auto second = [&line, after_first] {
      std::size_t pos = after_first;
      return NextWord(line, pos);
    };

    const string_view trimmed = Trim(line);
    if (Same(trimmed, "rem #cd") || Same(trimmed, "rem  #cd")) r_.check_smenu = true;

    bool comment = false;
    if (Same(first, ":COMENT")) {
      in_block_ = true;
    } else if (Same(first, "rem")) {
      const string_view w2 = second();
      comment = !w2.empty() && w2[0] != '#';
    } else if (Same(first, ":END")) {
      in_block_ = false;
    }
    if (all_ || in_block_ || comment) {
      if (++shown_ > kMaxShownLines) return false;
      AppendShown(r_.display, line);
    }

    if (!first.empty()) Engine(line, first, second);
    return true;
  }

 private:
  void AddRelated(string_view name) {
    r_.related_list += ' ';
    r_.related_list.append(name);
  }

  void AddAwkFiles(const LineWords& words) {
    for (std::size_t i = 0; i < words.count(); ++i) {
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

  // A "start" line names the program it starts: word 3 after a switch.
  void Start(string_view line) {
    const LineWords words(line, 3);
    const bool switched = StartsWith(words[1], "/");
    const string_view program = switched ? words[2] : words[1];
    // "start" without a program names no engine; an empty label would read
    // as a known one, so the label stays "?".
    if (program.empty()) return;
    r_.engine_label = switched && StartsWith(words[1], "/W") ? "Start /W " : "";
    r_.engine_label.append(program);
  }

  // A "start" line, a bare program or a bare batch only fills a label that
  // is still unknown; every other engine line overwrites it.
  template <typename SecondWord>
  void Engine(string_view line, string_view first, const SecondWord& second) {
    const bool unknown = r_.engine_label == "?";
    if (const EngineName* engine = Engines().Find(first)) {
      switch (engine->kind) {
        case EngineKind::kStart:
          if (unknown) Start(line);
          break;
        case EngineKind::kCallwin: {
          string_view program = second();
          if (!program.empty() && program[0] == '"') program.remove_prefix(1);
          r_.engine_label = Texts().callwin;
          r_.engine_label.append(program);
          break;
        }
        case EngineKind::kRow:
          r_.engine_label = engine->row->label;
          AddScripts(LineWords(line, kMaxWords), engine->row->scripts);
          break;
        case EngineKind::kCscript:
          ScriptingHost(LineWords(line, kMaxWords), "WSH-Cscript");
          break;
        case EngineKind::kWscript:
          ScriptingHost(LineWords(line, kMaxWords), "WSH-Wscript");
          break;
        case EngineKind::kCall:
          if (Same(second(), "chrawk.bat")) {
            r_.engine_label = Texts().chrawk_call;
            AddAwkFiles(LineWords(line, kMaxWords));
          }
          break;
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
  ForEachWord(gathered, [&names](string_view w) {
    names.push_back(w);
    return true;
  });

  // A repeated name keeps only its last occurrence, so the last mention
  // decides its place. Names have no blanks, so trimming changes nothing.
  std::unordered_map<string_view, std::size_t, FoldedHash, FoldedEqual> last;
  std::vector<const std::size_t*> slots;  // each name's entry in `last`
  slots.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::size_t& slot = last[names[i]];
    slot = i;
    slots.push_back(&slot);
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (*slots[i] != i) continue;
    r.related_list += ' ';
    r.related_list.append(names[i]);
    if (r.related_captions.size() == kRelatedMenuSlots) return false;
    r.related_captions.push_back(AsciiUpper(names[i]));
  }
  return true;
}

}  // namespace

AnalysisResult AnalyseBatch(ByteSource& file, DisplayMode mode, const std::string& batch_path,
                            const std::function<bool(const std::string&)>& file_exists,
                            std::size_t size_hint) {
  AnalysisResult r;
  LineReader reader(file);
  std::string line;
  if (!ReadTitle(reader, line, r, mode, size_hint)) return r;
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

AnalysisResult AnalyseSettingsFile(ByteSource& file, DisplayMode mode, std::size_t size_hint) {
  AnalysisResult r;
  LineReader reader(file);
  std::string line;
  if (!ReadTitle(reader, line, r, mode, size_hint)) return r;
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
