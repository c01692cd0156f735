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

// Every byte of every line passes the word scan; the character walks below
// use CharLenAt (inline in core/text.h), so a lone lead byte before a blank
// or a "." is a character of its own here as everywhere else.
inline bool IsLead(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

inline char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Text equal to an ASCII keyword (an engine name, "rem", a suffix), letters
// compared without regard to case, as EqualsNoCase compares but without
// building upper-case copies: every line meets several keywords. Byte by
// byte is exact here: the first byte of a double-byte character is 0x81 or
// above and equals no keyword byte, so text holding one never matches, and
// a trail byte (the 41 of ア) is never folded into a match.
inline bool IsKeyword(string_view text, string_view keyword) {
  if (text.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (FoldAscii(text[i]) != FoldAscii(keyword[i])) return false;
  return true;
}

bool IsCharBoundary(string_view s, std::size_t at) {
  std::size_t i = 0;
  while (i < at) i += CharLenAt(s, i);
  return i == at;
}

// `word` ends in the ASCII `suffix` (any case), and the suffix starts on a
// character boundary: the "L" of "LIB" may not be the trail byte of キ. Only
// a lead-range byte just before the suffix can make it so; only then are the
// characters walked.
inline bool EndsWith(string_view word, string_view suffix) {
  if (word.size() < suffix.size() || FoldAscii(word.back()) != FoldAscii(suffix.back()))
    return false;
  const std::size_t at = word.size() - suffix.size();
  return IsKeyword(word.substr(at), suffix) &&
         (at == 0 || !IsLead(word[at - 1]) || IsCharBoundary(word, at));
}

// An ASCII prefix that matches byte for byte is made of whole characters.
inline bool StartsWith(string_view word, string_view prefix) {
  return word.size() >= prefix.size() && IsKeyword(word.substr(0, prefix.size()), prefix);
}

string_view TrimRight(string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

// The word at or after byte offset `pos` (a character boundary), with `pos`
// moved past it; empty when none is left. Split as SplitWords splits (blanks
// are code 32 only; a double-byte character is never cut), without copying.
inline string_view NextWord(string_view s, std::size_t& pos) {
  const std::size_t n = s.size();
  std::size_t i = pos;
  while (i < n && s[i] == ' ') ++i;
  const std::size_t start = i;
  while (i < n) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x81) {  // most bytes: ASCII
      if (c == ' ') break;
      ++i;
    } else {
      i += CharLenAt(s, i);
    }
  }
  pos = i;
  return s.substr(start, i - start);
}

// Calls f(word) for every word of s, in order; no limit on the count.
template <typename F>
void ForEachWord(string_view s, F&& f) {
  std::size_t pos = 0;
  for (string_view w = NextWord(s, pos); !w.empty(); w = NextWord(s, pos)) f(w);
}

// The words of a batch line as views into it: the first 31, as the word
// table holds them (missing words are empty), and the count of all. Split on
// first use, since most lines need only their first word.
class LineWords {
 public:
  explicit LineWords(string_view line) : line_(line) {}

  std::size_t Total() {
    if (!split_) Split();
    return total_;
  }
  std::size_t Count() { return std::min(Total(), kMaxWords); }
  string_view operator[](std::size_t i) {
    return i < Count() ? line_.substr(spans_[i].at, spans_[i].size) : string_view();
  }
  // The first word, word 1 included, that `fits`; empty when none.
  template <typename Pred>
  string_view First(Pred fits) {
    for (std::size_t i = 0; i < Count(); ++i)
      if (fits((*this)[i])) return (*this)[i];
    return {};
  }
  string_view FirstEndingIn(string_view suffix) {
    return First([suffix](string_view w) { return EndsWith(w, suffix); });
  }

 private:
  void Split() {
    split_ = true;
    ForEachWord(line_, [this](string_view w) {
      if (total_ < kMaxWords)
        spans_[total_] = {static_cast<std::size_t>(w.data() - line_.data()), w.size()};
      ++total_;
    });
  }

  // Plain offsets, left unset past the words: clearing a table of views for
  // every line of a long batch cost more than reading the line.
  struct Span {
    std::size_t at, size;
  };
  string_view line_;
  bool split_ = false;
  std::size_t total_ = 0;
  std::array<Span, kMaxWords> spans_;
};

// A line with more words than the word table holds has at least one byte
// per word and a blank between words; shorter lines need no count.
constexpr std::size_t kMinBytesForTooManyWords = 2 * kMaxWords + 1;

// Which words of an engine line name related files.
enum class Scripts { kAwk, kDms, kRuby, kPerl };
// What a first word that names an engine asks for. kRow engines always
// overwrite the label, so the last engine line of a batch names the engine.
enum class EngineKind { kStart, kCallwin, kRow, kCscript, kWscript, kCall };

struct Engine {
  string_view name;  // ASCII, compared without regard to case
  EngineKind kind;
  std::string label;  // cp932, for kRow
  Scripts scripts = Scripts::kAwk;
};

// Every engine name with its label, found by the first word of a line. Few
// lines of a batch start with an engine, so the first two letters of every
// name are kept in a bit table that turns most first words away before any
// comparison.
class EngineTable {
 public:
  std::string callwin = J("Callwin → ");
  std::string chrawk_call = J("CHRW03特別モード");
  std::string add_call = J("[Call]を付加");

  EngineTable() {
    using K = EngineKind;
    using S = Scripts;
    // clang-format off
    engines_ = {
        {"start", K::kStart, ""},                {"Callwin", K::kCallwin, ""},
        {"Callwin.exe", K::kCallwin, ""},        {"CSCRIPT", K::kCscript, ""},
        {"WSCRIPT", K::kWscript, ""},            {"call", K::kCall, ""},
        {"jgawk", K::kRow, "JGAWK"},             {"JGAWK.EXE", K::kRow, "JGAWK"},
        {"gawk", K::kRow, "GAWK"},               {"GAWK.EXE", K::kRow, "GAWK"},
        {"gawk32", K::kRow, "GAWK32"},           {"GAWK32.EXE", K::kRow, "GAWK32"},
        {"mgawk32", K::kRow, "mGAWK32"},         {"MGAWK32.EXE", K::kRow, "mGAWK32"},
        {"GO32", K::kRow, "GO32+JGAWK"},
        {"igawk", K::kRow, "iGAWK"},             {"iGAWK.EXE", K::kRow, "iGAWK"},
        {"jgawk16", K::kRow, "JGAWK16"},         {"jGAWK16.EXE", K::kRow, "JGAWK16"},
        {"%awk%", K::kRow, "%awk%"},
        {"DM", K::kRow, J("DMonkey-コンソール版"), S::kDms},
        {"DM.EXE", K::kRow, J("DMonkey-コンソール版"), S::kDms},
        {"DMscript", K::kRow, J("DMonkey-通常版"), S::kDms},
        {"DMscript.exe", K::kRow, J("DMonkey-通常版"), S::kDms},
        {"RUBY", K::kRow, "Ruby", S::kRuby},     {"DRUBY", K::kRow, "DRuby.exe", S::kRuby},
        {"MRUBY", K::kRow, "mRuby.exe", S::kRuby}, {"MRUBYW", K::kRow, "mRubyw.exe", S::kRuby},
        {"PERL", K::kRow, "Perl", S::kPerl},
        {"chrawk.bat", K::kRow, J("CHRW02特別モード"), S::kAwk},
    };
    // clang-format on
    for (const Engine& e : engines_) starts_.set(Start(e.name));
  }

  const Engine* Find(string_view word) const {
    if (word.size() < 2 || !starts_[Start(word)]) return nullptr;
    for (const Engine& e : engines_)
      if (IsKeyword(word, e.name)) return &e;
    return nullptr;
  }

 private:
  // The first two bytes, letters folded: a filter only, so folding a trail
  // byte here can only let a word through to the exact comparison.
  static std::size_t Start(string_view w) {
    return static_cast<unsigned char>(FoldAscii(w[0])) * 256u +
           static_cast<unsigned char>(FoldAscii(w[1]));
  }
  std::vector<Engine> engines_;
  std::bitset<65536> starts_;
};

const EngineTable& Engines() {
  static const EngineTable table;
  return table;
}

// The part of a path after its last "\", by the program's pattern
// component, whose class takes a double-byte character whole, so the 5C
// trail byte of 表 or ソ is not a separator.
std::string FileNamePart(const std::string& path) { return Match("/([^\\\\]*)$/", path); }

void Fail(AnalysisResult& r, AnalysisFailure why) {
  r.failed = true;
  r.failure = why;
}

// The comment view's text, within the bounds of kMaxViewLineChars and
// kMaxViewBytes (see core/analysis.h).
class ViewText {
 public:
  explicit ViewText(std::string& text) : text_(text) {}

  // A shown line, its trailing blanks already removed: cut where it is too
  // long, and CR LF added, unless the view is full.
  void Add(string_view trimmed) {
    if (full_) return;
    const Markers& m = Marks();
    bool cut = false;
    // A line of no more bytes than the limit has no more characters either.
    if (trimmed.size() > kMaxViewLineChars) {
      const std::size_t end = ByteOffsetOfChar(trimmed, kMaxViewLineChars);
      cut = end < trimmed.size();
      trimmed = trimmed.substr(0, end);
    }
    const std::size_t need = trimmed.size() + (cut ? m.cut.size() : 0) + 2;
    if (text_.size() + need + m.rest.size() > kMaxViewBytes) {
      text_ += m.rest;
      full_ = true;
      return;
    }
    text_.append(trimmed);
    if (cut) text_ += m.cut;
    text_.push_back('\r');
    text_.push_back('\n');
  }

 private:
  struct Markers {
    std::string cut = J("…（省略）");
    std::string rest = J("…（以下省略）") + "\r\n";
  };
  static const Markers& Marks() {
    static const Markers markers;
    return markers;
  }

  std::string& text_;
  bool full_ = false;
};

// Reads the title line, which is always shown and not examined further.
// An empty file fails here like an unreadable one: the list never offers an
// empty file, so it was emptied after listing, and the view keeps what it
// showed rather than blanking itself for a file that is no longer what the
// row says.
bool ReadTitle(LineReader& reader, std::string& line, AnalysisResult& r, ViewText& view,
               DisplayMode mode, std::size_t size_hint) {
  // With every line shown the view text is about the file's size. Lines
  // ended by a CR or an LF alone add a byte each; past the margin the text
  // grows as it must. The view never holds more than kMaxViewBytes.
  if (mode == DisplayMode::kAll && size_hint > 0)
    r.display.reserve(std::min(size_hint + size_hint / 16 + 2, kMaxViewBytes));
  if (!reader.ReadLine(line)) {
    Fail(r, AnalysisFailure::kUnreadable);
    return false;
  }
  view.Add(TrimRight(line));
  return true;
}

// The related file names of a batch, each kept once with the number of its
// last mention, so that a repeated name takes the place (and the spelling)
// of its last mention. Names are matched by their upper-case form, which
// folds ASCII letters only.
class RelatedNames {
 public:
  void Add(string_view name) {
    key_.assign(name);  // the form AsciiUpper gives, in a reused buffer
    for (std::size_t i = 0; i < key_.size(); i += CharLenAt(key_, i))
      key_[i] = FoldAscii(key_[i]);  // a lead byte is no letter: unchanged
    const auto it = index_.find(key_);
    if (it == index_.end()) {
      index_.emplace(key_, entries_.size());
      entries_.push_back({std::string(name), mentions_++});
      return;
    }
    Entry& known = entries_[it->second];
    known.last = mentions_++;
    if (known.name != name) known.name.assign(name);
  }

  // The names in the order of their last mentions.
  std::vector<const std::string*> InOrder() const {
    std::vector<const Entry*> sorted;
    for (const Entry& e : entries_) sorted.push_back(&e);
    std::sort(sorted.begin(), sorted.end(),
              [](const Entry* a, const Entry* b) { return a->last < b->last; });
    std::vector<const std::string*> names;
    for (const Entry* e : sorted) names.push_back(&e->name);
    return names;
  }

 private:
  struct Entry {
    std::string name;
    std::size_t last;
  };
  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t> index_;  // upper-case name to entry
  std::string key_;
  std::size_t mentions_ = 0;
};

class BatchAnalyser {
 public:
  BatchAnalyser(AnalysisResult& r, ViewText& view, DisplayMode mode)
      : r_(r), view_(view), all_(mode == DisplayMode::kAll) {}

  RelatedNames& related() { return related_; }

  // One line after the title; false when the analysis must stop.
  bool Line(string_view line) {
    LineWords words(line);
    if (line.size() >= kMinBytesForTooManyWords && words.Total() > kMaxWords) {
      Fail(r_, AnalysisFailure::kTooManyWords);
      return false;
    }
    std::size_t after_first = 0;
    const string_view first = NextWord(line, after_first);

    const string_view shown = TrimRight(line);
    bool comment = false;
    if (IsKeyword(first, ":COMENT")) {
      in_block_ = true;
    } else if (IsKeyword(first, "rem")) {
      // A comment when word 2 exists and does not begin with "#": its first
      // byte tells, so the comment text itself is not walked.
      const std::size_t second = line.find_first_not_of(' ', after_first);
      comment = second != string_view::npos && line[second] != '#';
      const string_view trimmed =
          shown.substr(static_cast<std::size_t>(first.data() - line.data()));
      if (IsKeyword(trimmed, "rem #cd") || IsKeyword(trimmed, "rem  #cd")) r_.check_smenu = true;
    } else if (IsKeyword(first, ":END")) {
      in_block_ = false;
    }
    if (all_ || in_block_ || comment) {
      if (++shown_ > kMaxShownLines) {
        Fail(r_, AnalysisFailure::kTooManyLines);
        return false;
      }
      view_.Add(shown);
    }

    if (const Engine* engine = engines_.Find(first)) {
      NameEngine(*engine, words);
    } else if (IsUnknown() && !first.empty()) {
      // A bare program or batch only fills a label that is still unknown.
      if (EndsWith(first, ".EXE")) {
        r_.engine_label = std::string(first);
      } else if (EndsWith(first, ".bat")) {
        r_.engine_label = std::string(first) + engines_.add_call;
      }
    }
    return true;
  }

 private:
  bool IsUnknown() const { return r_.engine_label.size() == 1 && r_.engine_label[0] == '?'; }

  void AddAwkFiles(LineWords& words) {
    for (std::size_t i = 0; i < words.Count(); ++i) {
      const string_view w = words[i];
      if (EndsWith(w, ".awk")) {
        string_view name = w;
        if (StartsWith(name, "-f")) name.remove_prefix(2);
        if (StartsWith(name, "%AWKPATH%")) name.remove_prefix(9);
        related_.Add(name);
      }
      if (EndsWith(w, "LIB")) related_.Add(w);
      if (EndsWith(w, ".CFG")) related_.Add(w);
    }
  }

  void AddScripts(LineWords& words, Scripts scripts) {
    switch (scripts) {
      case Scripts::kAwk:
        AddAwkFiles(words);
        break;
      case Scripts::kDms:
      case Scripts::kPerl: {
        const string_view s = words.FirstEndingIn(scripts == Scripts::kDms ? ".dms" : ".pl");
        if (!s.empty()) related_.Add(s);
        break;
      }
      case Scripts::kRuby: {
        const string_view script = words.FirstEndingIn(".rb");
        if (!script.empty()) related_.Add(script);
        const string_view lib = words.First([](string_view w) { return StartsWith(w, "-r"); });
        if (!lib.empty()) related_.Add(std::string(lib.substr(2)) + ".rb");
        break;
      }
    }
  }

  // The scripting host: the label names the host, refined by the script
  // types found, the last found type winning.
  void ScriptingHost(LineWords& words, const std::string& host) {
    r_.engine_label = host;
    static constexpr std::pair<string_view, string_view> kTypes[] = {
        {".vbs", "-VBScript"}, {".rb", "-ActiveRuby"}, {".js", "-JScript"}};
    for (const auto& [ext, type] : kTypes) {
      const string_view s = words.FirstEndingIn(ext);
      if (s.empty()) continue;
      r_.engine_label = host;
      r_.engine_label.append(type);
      related_.Add(s);
    }
  }

  void NameEngine(const Engine& engine, LineWords& words) {
    switch (engine.kind) {
      case EngineKind::kStart: {
        // Only fills an unknown label, with the program started: word 3
        // after a switch. Without a program it names nothing, and the
        // label stays "?" rather than turning empty (which would read as
        // an engine found).
        const bool switched = StartsWith(words[1], "/");
        const string_view program = switched ? words[2] : words[1];
        if (!IsUnknown() || program.empty()) break;
        r_.engine_label = switched && StartsWith(words[1], "/W") ? "Start /W " : "";
        r_.engine_label.append(program);
        break;
      }
      case EngineKind::kCallwin: {
        string_view program = words[1];
        if (!program.empty() && program[0] == '"') program.remove_prefix(1);
        r_.engine_label = engines_.callwin;
        r_.engine_label.append(program);
        break;
      }
      case EngineKind::kRow:
        r_.engine_label = engine.label;
        AddScripts(words, engine.scripts);
        break;
      case EngineKind::kCscript:
        ScriptingHost(words, "WSH-Cscript");
        break;
      case EngineKind::kWscript:
        ScriptingHost(words, "WSH-Wscript");
        break;
      case EngineKind::kCall:
        if (IsKeyword(words[1], "chrawk.bat")) {
          r_.engine_label = engines_.chrawk_call;
          AddAwkFiles(words);
        }
        break;
    }
  }

  AnalysisResult& r_;
  ViewText& view_;
  const EngineTable& engines_ = Engines();
  RelatedNames related_;
  const bool all_;
  bool in_block_ = false;
  std::size_t shown_ = 0;
};

// The related list (each name after a blank) and, when asked, the menu
// captions. False when a name finds no menu entry left; the list then ends
// with that name.
bool ListRelated(AnalysisResult& r, const RelatedNames& names, bool captions) {
  for (const std::string* name : names.InOrder()) {
    r.related_list += ' ';
    r.related_list += *name;
    if (!captions) continue;
    if (r.related_captions.size() == kRelatedMenuSlots) return false;
    r.related_captions.push_back(AsciiUpper(*name));
  }
  return true;
}

// The batch's document and then its text file, where they exist: the batch
// path with its last three characters replaced. A name is split at blanks
// as every related name is.
void AddCompanions(RelatedNames& names, const std::string& batch_path,
                   const std::function<bool(const std::string&)>& file_exists) {
  const std::size_t chars = CharCount(batch_path);
  const std::string stem = LeftChars(batch_path, chars >= 3 ? chars - 3 : 0);
  for (const char* ext : {"doc", "txt"}) {
    const std::string companion = stem + ext;
    if (file_exists && file_exists(companion))
      ForEachWord(FileNamePart(companion), [&names](string_view w) { names.Add(w); });
  }
}

}  // namespace

AnalysisResult AnalyseBatch(ByteSource& file, DisplayMode mode, const std::string& batch_path,
                            const std::function<bool(const std::string&)>& file_exists,
                            std::size_t size_hint) {
  AnalysisResult r;
  ViewText view(r.display);
  LineReader reader(file);
  std::string line;
  if (!ReadTitle(reader, line, r, view, mode, size_hint)) return r;
  BatchAnalyser analyser(r, view, mode);
  bool read_all = true;
  while (read_all && reader.ReadLine(line)) read_all = analyser.Line(line);
  if (!read_all || reader.Failed()) {
    if (!r.failed) Fail(r, AnalysisFailure::kUnreadable);
    // The names gathered so far stay listed, as the selection keeps them.
    ListRelated(r, analyser.related(), false);
    return r;
  }
  AddCompanions(analyser.related(), batch_path, file_exists);
  if (!ListRelated(r, analyser.related(), true)) {
    Fail(r, AnalysisFailure::kTooManyRelated);
    return r;
  }
  r.menu_built = true;
  return r;
}

AnalysisResult AnalyseSettingsFile(ByteSource& file, DisplayMode mode, std::size_t size_hint) {
  AnalysisResult r;
  ViewText view(r.display);
  LineReader reader(file);
  std::string line;
  if (!ReadTitle(reader, line, r, view, mode, size_hint)) return r;
  std::size_t shown = 0;
  while (reader.ReadLine(line)) {
    if (mode == DisplayMode::kFiltered) {
      const std::size_t first = line.find_first_not_of(' ');
      if (first != std::string::npos && line[first] == '#') continue;
    }
    if (++shown > kMaxShownLines) {
      Fail(r, AnalysisFailure::kTooManyLines);
      return r;
    }
    view.Add(TrimRight(line));
  }
  if (reader.Failed()) Fail(r, AnalysisFailure::kUnreadable);
  return r;
}

}  // namespace zel
