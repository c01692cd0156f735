#include "core/analysis.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>
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

// Text equal to an ASCII keyword (an engine name, "rem", a suffix),
// letters compared without regard to case, as EqualsNoCase compares but
// without building upper-case copies: every line meets several keywords.
// Byte by byte is exact here: the first byte of a double-byte character is
// 0x81 or above and equals no keyword byte, so text holding one never
// matches, and a trail byte (the 41 of ア) is never folded into a match.
inline bool IsKeyword(string_view text, string_view keyword) {
  if (text.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (FoldAscii(text[i]) != FoldAscii(keyword[i])) return false;
  return true;
}

// Two names equal without regard to ASCII letter case. Either may hold
// double-byte characters, which compare exactly: ア (83 41) never equals
// ヂ (83 61).
bool SameName(string_view a, string_view b) {
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

bool IsCharBoundary(string_view s, std::size_t at) {
  std::size_t i = 0;
  while (i < at) i += (IsLead(s[i]) && i + 1 < s.size()) ? 2 : 1;
  return i == at;
}

// True when `word` ends in the ASCII `suffix` (any case) and the suffix
// starts on a character boundary: the "L" of "LIB" may not be the trail
// byte of a double-byte character. Only a byte in the lead-byte range just
// before the suffix can make it one, so only then are characters walked.
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
  while (i < n) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x81) {  // most bytes: ASCII
      if (c == ' ') break;
      ++i;
    } else {
      i += (IsLead(s[i]) && i + 1 < n) ? 2 : 1;
    }
  }
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

// A line with more words than the word table holds has at least one byte
// per word and a blank between words; shorter lines need no count.
constexpr std::size_t kMinBytesForTooManyWords = 2 * kMaxWords + 1;

// The words of a line as views into it: the first 31, as the word table
// holds them (missing words are empty), and the count of all.
class LineWords {
 public:
  explicit LineWords(string_view line) : line_(line) {
    ForEachWord(line, [this, line](string_view word) {
      if (total_ < kMaxWords)
        spans_[total_] = {static_cast<std::size_t>(word.data() - line.data()), word.size()};
      ++total_;
      return true;
    });
    count_ = total_ < kMaxWords ? total_ : kMaxWords;
  }
  std::size_t count() const { return count_; }
  std::size_t total() const { return total_; }
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
  std::size_t total_ = 0;
};

// A line's words, split once and only when a rule needs more than the
// first two.
class LazyWords {
 public:
  explicit LazyWords(string_view line) : line_(line) {}
  const LineWords& All() {
    if (!all_) all_.emplace(line_);
    return *all_;
  }

 private:
  string_view line_;
  std::optional<LineWords> all_;
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

// Hash and equality of names compared without regard to ASCII letter case.
// The hash reads eight bytes at a time with bit 5 of every byte cleared,
// which maps a lower-case letter onto its capital: names that SameName finds
// equal hash alike, and the few others it merges (ア and ヂ, "@" and "`")
// merely share a hash, which SameName then tells apart.
struct FoldedHash {
  std::size_t operator()(string_view s) const {
    constexpr std::uint64_t kNoBit5 = ~0x2020202020202020ull;
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    auto load = [&s](std::size_t at) {
      std::uint64_t w;
      std::memcpy(&w, s.data() + at, 8);
      return w & kNoBit5;
    };
    std::uint64_t h = s.size() * kMul;
    if (s.size() >= 8) {
      for (std::size_t i = 0; i + 8 < s.size(); i += 8) h = (h ^ load(i)) * kMul;
      h = (h ^ load(s.size() - 8)) * kMul;  // the last eight, overlapping
    } else {
      std::uint64_t w = 0;
      for (char c : s) w = (w << 8) | static_cast<unsigned char>(c & 0xDF);
      h = (h ^ w) * kMul;
    }
    return static_cast<std::size_t>(h ^ (h >> 32));
  }
};
struct SameNameEqual {
  bool operator()(string_view a, string_view b) const { return SameName(a, b); }
};
// For the engine names, which are ASCII, so a byte-wise comparison serves.
struct KeywordEqual {
  bool operator()(string_view a, string_view b) const { return IsKeyword(a, b); }
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
  std::unordered_map<string_view, EngineName, FoldedHash, KeywordEqual> names_;
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
  display.push_back('\r');
  display.push_back('\n');
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

// The related file names of a batch, each kept once with the number of its
// last mention: a repeated name takes the place of its last mention. A
// batch names few distinct files however often it names them, so they are
// searched in turn; past a few dozen a hash index takes over.
class RelatedNames {
 public:
  void Add(string_view name) {
    const std::size_t hash = FoldedHash()(name);
    const std::size_t mention = mentions_++;
    bool exact = false;
    if (Entry* known = Find(name, hash, exact)) {
      known->last = mention;
      if (!exact) known->name.assign(name);  // the last spelling is listed
      return;
    }
    entries_.push_back({std::string(name), hash, mention});
    if (entries_.size() > kFew) {
      if (by_hash_.empty()) {
        for (std::size_t i = 0; i < entries_.size(); ++i) by_hash_.emplace(entries_[i].hash, i);
      } else {
        by_hash_.emplace(hash, entries_.size() - 1);
      }
    }
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
  static constexpr std::size_t kFew = 32;
  struct Entry {
    std::string name;
    std::size_t hash;
    std::size_t last;
  };

  // The entry of a name; `exact` tells whether it is spelled alike.
  Entry* Find(string_view name, std::size_t hash, bool& exact) {
    auto matches = [&](const Entry& e) {
      if (e.hash != hash) return false;
      exact = e.name == name;
      return exact || SameName(e.name, name);
    };
    if (by_hash_.empty()) {
      for (Entry& e : entries_)
        if (matches(e)) return &e;
      return nullptr;
    }
    const auto [from, to] = by_hash_.equal_range(hash);
    for (auto it = from; it != to; ++it)
      if (matches(entries_[it->second])) return &entries_[it->second];
    return nullptr;
  }

  std::vector<Entry> entries_;
  std::unordered_multimap<std::size_t, std::size_t> by_hash_;  // hash to entry
  std::size_t mentions_ = 0;
};

class BatchAnalyser {
 public:
  BatchAnalyser(AnalysisResult& r, DisplayMode mode) : r_(r), all_(mode == DisplayMode::kAll) {}

  RelatedNames& related() { return related_; }

  // One line after the title; false when the analysis must stop.
  bool Line(string_view line) {
    LazyWords words(line);
    if (line.size() >= kMinBytesForTooManyWords && words.All().total() > kMaxWords) return false;
    // Word 2 is split off only where it matters.
    std::size_t after_first = 0;
    const string_view first = NextWord(line, after_first);
    auto second = [&line, after_first] {
      std::size_t pos = after_first;
      return NextWord(line, pos);
    };

    const string_view trimmed = Trim(line);
    if (IsKeyword(trimmed, "rem #cd") || IsKeyword(trimmed, "rem  #cd")) r_.check_smenu = true;

    bool comment = false;
    if (IsKeyword(first, ":COMENT")) {
      in_block_ = true;
    } else if (IsKeyword(first, "rem")) {
      const string_view w2 = second();
      comment = !w2.empty() && w2[0] != '#';
    } else if (IsKeyword(first, ":END")) {
      in_block_ = false;
    }
    if (all_ || in_block_ || comment) {
      if (++shown_ > kMaxShownLines) return false;
      AppendShown(r_.display, line);
    }

    if (!first.empty()) Engine(words, first, second);
    return true;
  }

 private:
  void AddRelated(string_view name) { related_.Add(name); }
  bool IsUnknown() const { return r_.engine_label.size() == 1 && r_.engine_label[0] == '?'; }

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
  void Start(const LineWords& words) {
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
  void Engine(LazyWords& words, string_view first, const SecondWord& second) {
    if (const EngineName* engine = Engines().Find(first)) {
      const bool unknown = IsUnknown();
      switch (engine->kind) {
        case EngineKind::kStart:
          if (unknown) Start(words.All());
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
          AddScripts(words.All(), engine->row->scripts);
          break;
        case EngineKind::kCscript:
          ScriptingHost(words.All(), "WSH-Cscript");
          break;
        case EngineKind::kWscript:
          ScriptingHost(words.All(), "WSH-Wscript");
          break;
        case EngineKind::kCall:
          if (IsKeyword(second(), "chrawk.bat")) {
            r_.engine_label = Texts().chrawk_call;
            AddAwkFiles(words.All());
          }
          break;
      }
      return;
    }
    if (!IsUnknown()) return;
    if (EndsWith(first, ".EXE")) {
      r_.engine_label = std::string(first);
    } else if (EndsWith(first, ".bat")) {
      r_.engine_label = std::string(first) + Texts().add_call;
    }
  }

  AnalysisResult& r_;
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
    if (!file_exists || !file_exists(companion)) continue;
    ForEachWord(FileNamePart(companion), [&names](string_view w) {
      names.Add(w);
      return true;
    });
  }
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
  bool read_all = true;
  while (read_all && reader.ReadLine(line)) read_all = analyser.Line(line);
  if (!read_all || reader.Failed()) {
    // The names gathered so far stay listed, as the selection keeps them.
    ListRelated(r, analyser.related(), false);
    r.failed = true;
    return r;
  }
  AddCompanions(analyser.related(), batch_path, file_exists);
  if (!ListRelated(r, analyser.related(), true)) {
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
