#include "core/wrapper.h"

#include <initializer_list>
#include <string_view>

#include "core/cmdtext.h"
#include "core/pattern.h"
#include "core/text.h"
#include "core/words.h"

namespace zel {
namespace {

constexpr std::string_view kCrLf = "\r\n";

bool EndsWithColon(const std::string& folder) {
  return RightChars(folder, 1) == ":";
}

// A bare drive ("D:") names the drive's current folder, not its root; to go
// to a folder or list it in a search path it needs its "\".
std::string AsFolderToEnter(const std::string& folder) {
  return EndsWithColon(folder) ? folder + "\\" : folder;
}

// Blanks (code 32) trimmed from both ends, on character boundaries.
std::string TrimBlanks(std::string_view s) {
  std::size_t begin = 0;
  while (begin < s.size() && s[begin] == ' ') ++begin;
  std::size_t end = begin;  // end of the last non-blank character
  for (std::size_t i = begin; i < s.size(); i += CharLenAt(s, i))
    if (s[i] != ' ' || CharLenAt(s, i) != 1) end = i + CharLenAt(s, i);
  return std::string(s.substr(begin, end - begin));
}

// "The first n characters of the line are `prefix`", ignoring ASCII case.
bool FirstCharsAre(const std::string& line, std::string_view prefix) {
  return EqualsNoCase(LeftChars(line, CharCount(prefix)), prefix);
}

bool EndsWithNoCase(const std::string& s, std::string_view suffix) {
  std::size_t n = CharCount(suffix);
  return CharCount(s) >= n && EqualsNoCase(RightChars(s, n), suffix);
}

bool IsAnyOf(const std::string& value,
             std::initializer_list<std::string_view> names) {
  for (std::string_view n : names)
    if (EqualsNoCase(value, n)) return true;
  return false;
}

// Every "%0" that starts on a character boundary becomes `path`; the
// inserted path is not searched again.
//
// The path must reach the command as the one value it is. A "%" in it is
// written "%%" wherever it stands. A path with a blank or a character cmd
// treats specially ("D:\R&D\a.bat") goes in double quotes, unless the "%0"
// already stands inside quotes in the line ("call "%0"", "if "%0"==..."),
// where quotes around it would close the line's own and set the "&" free.
// So "call %0" and "call "%0"" both become "call "D:\R&D\a.bat"". That is
// also what %0 holds when a batch is started by a quoted path, so the
// batch's own lines expect it.
std::string ReplacePercentZero(const std::string& line,
                               const std::string& path) {
  const std::string in_quotes = ForCmdInQuotes(path);
  const std::string bare = NeedsCmdQuotes(path) ? "\"" + in_quotes + "\"" : in_quotes;
  std::string out;
  std::size_t from = 0;
  for (;;) {
    std::size_t hit = FindText(line, "%0", from);
    if (hit == std::string::npos) break;
    out.append(line, from, hit - from);
    out += IsInsideCmdQuotes(line, hit) ? in_quotes : bare;
    from = hit + 2;
  }
  out.append(line, from, std::string::npos);
  return out;
}

// The folders of one run, worked out once.
struct Folders {
  std::string J;   // Jw_cad folder, no trailing "\"
  std::string JP;  // J as a folder to enter ("D:\" for a bare drive)
  std::string JD;  // J's drive
  std::string T;   // the wrapper batch
  std::string F;   // current folder, no trailing "\"
  std::string FD;  // F's drive
  std::string P;   // F as a folder to enter
  std::string O;   // F without a trailing "\"
  bool paths_differ = false;   // J differs from P: the search paths grow
  bool folders_differ = false;  // J differs from F: the batch lives elsewhere
};

Folders WorkOutFolders(const WrapperInput& in) {
  Folders f;
  f.J = WithoutTrailingBackslash(in.J);
  f.JP = AsFolderToEnter(f.J);
  f.JD = LeftChars(f.J, 2);
  f.T = WrapperBatchPath(in.J);
  f.F = WithoutTrailingBackslash(in.F);
  f.FD = LeftChars(f.F, 2);
  f.P = AsFolderToEnter(f.F);
  f.O = f.F;
  // The comparison is between folders as entered, so a Jw_cad folder at a
  // drive root ("D:" against "D:\") is not taken for another folder.
  f.paths_differ = !EqualsNoCase(f.JP, f.P);
  f.folders_differ = !EqualsNoCase(f.J, f.F);
  return f;
}

// One line of the user's batch as the wrapper holds it, without its final
// CR LF (a character-set tool line gains "goto VNK" and line ends inside).
std::string RewriteLine(const std::string& read, const WrapperInput& in) {
  // Every rule below that looks at words sees the words of the line as
  // read, even after earlier rules changed the line.
  const Words words = SplitWords(read);
  std::string line = read;

  if (in.Debug) {
    // Debug mode shows every command and keeps the screen.
    std::string trimmed = TrimBlanks(line);
    if (EqualsNoCase(trimmed, "@echo off") || EqualsNoCase(trimmed, "cls"))
      line.clear();
  }

  if (in.Gawk == 2 && IsAnyOf(in.E, {"gawk", "go32+jgawk"})) {
    if (FirstCharsAre(line, "gawk")) {
      line = "J" + line;
    } else if (FirstCharsAre(line, "go32 jgawk")) {
      line = MidChars(line, 5);
    }
  } else if (in.Gawk == 1 && IsAnyOf(in.E, {"jgawk", "go32+jgawk"})) {
    if (FirstCharsAre(line, "jgawk")) {
      line = MidChars(line, 1);
    } else if (FirstCharsAre(line, "go32 jgawk")) {
      line = MidChars(line, 6);
    }
  }

  // After a character-set tool the wrapper skips the rest of the batch and
  // goes on at ":VNK".
  if (IsAnyOf(words[0], {"chrawk.bat", "chrset.exe"}))
    line += std::string(kCrLf) + "goto VNK" + std::string(kCrLf);

  // "qzset" and any batch must return to the wrapper. The two rules are
  // independent: "qzset.bat" gets "call " twice, which cmd accepts.
  if (FirstCharsAre(line, "qzset")) line = "call " + line;
  if (EndsWithNoCase(words[0], ".bat")) line = "call " + line;

  // A header naming a file ("#h/path") gets the file's short path, which
  // the tools reading the header can open whatever its characters. cmd
  // expands "%" in every line, a comment too ("%~" there even ends the
  // batch), so a "%" of the short path is doubled. In a "rem" comment cmd
  // reads nothing else of the line, and a "^" would only become part of the
  // name the header gives; in any other line the special characters are
  // escaped.
  if (StartsWithNoCase(words[1], "#h/")) {
    std::size_t slash = FindChar(line, '/');
    if (slash != std::string::npos && slash + 1 < line.size() &&
        in.short_path_if_exists) {
      std::string head = line.substr(0, slash + 1);
      std::optional<std::string> short_path =
          in.short_path_if_exists(line.substr(slash + 1));
      if (short_path) {
        const bool comment = IsAnyOf(words[0], {"rem", "@rem"});
        line = head + (comment ? ForCmdInQuotes(*short_path) : ForCmdBare(*short_path));
      }
    }
  }

  if (in.Callwin) {
    if (FirstCharsAre(line, "Start /Wait")) {
      line = "Callwin \"" + TrimBlanks(MidChars(line, 11)) + "\"";
    } else if (FirstCharsAre(line, "Start /W")) {
      line = "Callwin \"" + TrimBlanks(MidChars(line, 8)) + "\"";
    }
  }

  // Inside the wrapper "%0" would name the wrapper; it must name the batch.
  if (Match("/(%0)/", line) == "%0") line = ReplacePercentZero(line, in.B0);

  return line;
}

void Add(std::string& text, std::string_view line) {
  text += line;
  text += kCrLf;
}

// A folder or path in double quotes, its "%" doubled: cmd reads it as the
// one literal value, whatever characters it holds.
std::string Quoted(std::string_view s) {
  return "\"" + ForCmdInQuotes(s) + "\"";
}

// "SET name=value". A value with a character cmd treats specially is
// written in the form SET "name=value", quotes around the whole assignment,
// so that "&", "|", "<", ">", "^", "(" and ")" in a folder need no escape
// and the assignment still ends where the line does; "%" in a folder is
// doubled, while the "%PATH%" the line adds stays a variable. A value
// without such characters keeps the plain form.
std::string SetLine(std::string_view name, const std::vector<std::string>& folders,
                    std::string_view tail) {
  bool special = false;
  for (const std::string& folder : folders) special = special || HasCmdSpecial(folder);
  std::string value;
  for (const std::string& folder : folders) {
    if (!value.empty()) value += ';';
    value += special ? ForCmdInQuotes(folder) : folder;
  }
  value += tail;
  if (!special) return "SET " + std::string(name) + "=" + value;
  return "SET \"" + std::string(name) + "=" + value + "\"";
}

}  // namespace

std::string WrapperBatchPath(const std::string& jw_folder) {
  return WithoutTrailingBackslash(jw_folder) + "\\_VNKtemp.bat";
}

std::string BuildWrapper(const WrapperInput& in,
                         const std::vector<std::string>& batch_lines) {
  const Folders f = WorkOutFolders(in);
  const bool awk = IsAnyOf(in.E, {"jgawk", "go32+jgawk", "gawk"});
  const bool ruby = EqualsNoCase(in.E, "Ruby");
  const bool move = in.Move && f.folders_differ;
  std::string text;

  Add(text, in.Debug ? J("@REM   【Zelvanto テンポラリバッチ】デバッグモード")
                     : J("@REM   【Zelvanto テンポラリバッチ】通常モード"));
  Add(text, in.Debug ? "echo on" : "@echo off");
  if (f.paths_differ) {
    Add(text, SetLine("PATH", {f.P, f.JP}, ";%PATH%"));
    if (awk) Add(text, SetLine("AWKPATH", {f.P, f.JP}, ";%AWKPATH%"));
    if (ruby) Add(text, SetLine("Rubylib", {f.P}, ""));
  }
  if (in.Debug) Add(text, J("copy JWC_TEMP.TXT 変形前.txt > nul"));
  if (move) {
    Add(text, "copy JWC_TEMP.TXT " + Quoted(f.O + "\\JWC_TEMP.TXT") + " > nul");
    Add(text, ForCmdBare(f.FD));
    Add(text, "cd " + Quoted(f.P));
  }
  if (in.WriteOut) {
    Add(text, "copy JWC_TEMP.TXT " + Quoted(f.O + "\\JWC_TEMP2.TXT") + " > nul");
    Add(text, "break");
  }
  Add(text, "rem " + std::string(52, '-'));

  for (const std::string& line : batch_lines) Add(text, RewriteLine(line, in));

  Add(text, "rem " + std::string(53, '-'));
  Add(text, ":VNK");
  if (move) {
    Add(text, "copy JWC_TEMP.TXT " + Quoted(f.J + "\\JWC_TEMP.TXT") + " > nul");
    Add(text, ForCmdBare(f.JD));
    Add(text, "cd " + Quoted(f.JP));
  }
  // Without Move the batch folder may still hold a copy from an earlier run
  // with Move, so the line does not depend on it.
  if (f.folders_differ && !in.KeepJWCTEMP)
    Add(text, "del " + Quoted(f.O + "\\JWC_TEMP.TXT"));
  if (in.Debug) {
    const std::string editor = Quoted(in.Editor) + " ";
    Add(text, editor + Quoted(J("変形前.txt")));
    Add(text, editor + Quoted("JWC_TEMP.TXT"));
    Add(text, editor + Quoted(f.T));
    Add(text, "pause");
  }
  text += kCrLf;  // the write ends with one more line end
  return text;
}

bool ReadBatchLines(ByteSource& src, std::vector<std::string>& lines) {
  lines.clear();
  LineReader reader(src, LineEnds::kCrOrLf);
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  return !reader.Failed();
}

}  // namespace zel
