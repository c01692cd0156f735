// Environment files (*.jwf) rebuilt in the layout of Jw_cad's commented
// template "sample.jwf": the template's comment lines, and in place of each
// of its setting lines the file's own line with that keyword, its values
// right-aligned to the template's columns.
//
// Terms, for both files:
//  - a comment line begins with "#" or a TAB;
//  - an end line begins with "END" (any letter case, only those three
//    characters, so "end" and "ENDX" count too);
//  - every other line is a setting line, whose keyword is its first
//    blank-separated word. An empty line of the file being commented is a
//    setting line too, with no keyword.
// The template's lines are tested with their outer blanks removed, the
// file's lines as read.
//
// Everything works on the bytes read (code page 932): a line no rule
// rebuilds reaches the output byte for byte, and lengths count characters,
// a double-byte character as one.
#pragma once

#include <string>
#include <string_view>

namespace zel {

enum class CommentMode {
  // Template settings the file lacks are written in the template's form,
  // marked with the Newline marker, so the user sees what a newer Jw_cad
  // offers.
  kVersionUp,
  // Template settings the file lacks are left out.
  kPartial,
};

// The caption that closes the header line: the main window's title.
inline constexpr std::string_view kCommentHeaderCaption = "Zelvanto";

// The commented file, every line ended by CR LF: the header
// "# " + title + "   Add coments " + "Zelvanto"; the template's comment
// lines; for each template setting line the file's first line with the same
// keyword (letter case ignored), values aligned, missing values "#new#",
// lines of keywords beginning "GCOM_1" or "LAYNAM" exactly as read; the
// file's setting lines no template line took, in their own order (its empty
// lines among them); and one "END". The template's end lines and the line
// after each are not written; its empty lines vanish. The file's comment
// and end lines never reach the output.
//
// `target` and `templ` are whole files (CR LF, CR or LF end a line); any
// number of lines and of words per line is handled. `title` is code page
// 932; a line break in it becomes a blank, so the header stays one line.
std::string InsertEnvironmentComments(const std::string& target, const std::string& templ,
                                      std::string_view title, CommentMode mode);

// The default title offered for a file listed with `list_title` (its first
// line): that text without its first character, which for a commented file
// is the header's "#".
std::string DefaultCommentTitle(std::string_view list_title);

}  // namespace zel
