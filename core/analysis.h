// What a selected file is made of, for the comment view, the engine field
// and the "edit related files" menu.
//
// A batch shows its title line and its comment lines (or every line), names
// the script engine it calls, and collects the script and document files
// that belong to it. An environment or layer file shows its title line and
// its setting lines (or every line). The window code gathers the file, the
// display mode and the batch path, calls one of the two functions below and
// shows the result; nothing here touches a window.
//
// All text is code page 932 bytes as read. Keywords are compared folding
// ASCII letters only, so a trail byte (the 41 of ア, the 61 of ヂ) is never
// taken for a letter.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/linereader.h"

namespace zel {

// kFiltered: only comment lines of a batch, only setting lines of an
// environment or layer file. kAll: every line.
enum class DisplayMode { kFiltered, kAll };

// Why an analysis ended early, so the window can say why a file shows
// nothing new.
enum class AnalysisFailure {
  kNone,
  kUnreadable,      // the file could not be read, or is empty
  kTooManyWords,    // a line after the title has more than 31 words
  kTooManyLines,    // more than kMaxShownLines lines would be shown
  kTooManyRelated,  // more related names than the menu has entries
};

// The comment view is a multi-line edit control, whose layout time grows
// with the square of a line's length: a 2 MB line froze the window for
// minutes, and even short lines cost about 2 s a megabyte under Wine. So
// the text it is given is bounded (256 KB holds thousands of comment lines,
// far more than any batch or environment file has): each shown line keeps its
// first kMaxViewLineChars characters (a double-byte character counts as one
// and is never split) followed by "…（省略）" when it was cut, and the text
// as a whole stays within kMaxViewBytes bytes: a line that would leave no
// room for the closing line "…（以下省略）" gives way to it, and nothing is
// shown after it. Only the view is bounded: the engine, the related files
// and the line count see every line whole, to the end of the file.
constexpr std::size_t kMaxViewLineChars = 4096;
constexpr std::size_t kMaxViewBytes = std::size_t{256} << 10;

struct AnalysisResult {
  // Text for the comment view: each shown line with its trailing blanks
  // removed and CR LF after it, within the bounds above. The title line is
  // always the first.
  std::string display;
  // The engine the batch calls; "?" when none was found. After a failure it
  // holds the label as far as the analysis got (the selection state keeps
  // it), though the engine field keeps showing the old one.
  std::string engine_label = "?";
  // The related file names, each preceded by one space, without duplicates:
  // a name mentioned again (compared without regard to ASCII letter case)
  // takes the place and spelling of its last mention; the ".doc" and ".txt"
  // companions come last. After a failure it holds the names gathered so
  // far, in the same way.
  std::string related_list;
  // Captions of the related-file entries after the batch's own one, in
  // order, in upper case (ASCII letters only).
  std::vector<std::string> related_captions;
  // A "rem #cd" line asks for the move into the batch's folder. Set as soon
  // as such a line is met, so it holds even when the analysis then failed.
  bool check_smenu = false;
  // The related-file menu step completed; only then are the entries after
  // the last caption hidden.
  bool menu_built = false;
  // The analysis ended early: the comment view and the engine field keep
  // what they showed before. `failure` says why.
  bool failed = false;
  AnalysisFailure failure = AnalysisFailure::kNone;
};

// Related-file entries after the batch's own one.
constexpr std::size_t kRelatedMenuSlots = 13;
// Lines after the title that one analysis can show.
constexpr std::size_t kMaxShownLines = 32767;

// Analyses a batch file (filter 0). `batch_path` is the selected file's path
// ("\" separators); `file_exists` tells whether a file can be opened, and is
// asked about the batch's ".doc" and ".txt" companions. `size_hint` is the
// file's size in bytes when known (0 when not): with every line shown, the
// view text is sized for it at once instead of being copied again and again
// as it grows, which for a long file costs more than reading it.
//
// Fails on: an unreadable or empty file, a line after the title with more
// than 31 words, more than kMaxShownLines shown lines, and more than
// kRelatedMenuSlots related names (then the captions filled so far and the
// list up to the name that found no entry stay).
AnalysisResult AnalyseBatch(ByteSource& file, DisplayMode mode, const std::string& batch_path,
                            const std::function<bool(const std::string&)>& file_exists,
                            std::size_t size_hint = 0);

// Analyses an environment (filter 1) or layer (filter 2) file. In the
// filtered mode lines whose first character after leading blanks is "#"
// are hidden. Fails on an unreadable or empty file and on more than
// kMaxShownLines shown lines. `size_hint` as for AnalyseBatch.
AnalysisResult AnalyseSettingsFile(ByteSource& file, DisplayMode mode, std::size_t size_hint = 0);

}  // namespace zel
