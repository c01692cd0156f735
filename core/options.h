// What the options dialog decides without a window: the lines to add to a
// written-out environment file as the one-line setting "ADDline=", the
// typed history count and S_comm_4 dot count, which awk program the PATH
// offers, and the texts the dialog shows.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// "ADDline=" keeps its line breaks as " vbCrlf " so the value stays on one
// line of the positional "Varnik.ini". Every line break of the text box
// becomes " vbCrlf ": CR LF, and also a lone CR or LF (pasted text), which
// would otherwise reach the file as a blank and come back as one line.
std::string AddLineFromText(std::string_view text);
// The value shown in the text box: " vbCrlf " (any letter case) back to CR LF.
std::string TextFromAddLine(std::string_view value);

// The history count the dialog accepts: a whole number of 10 to 30, with
// blanks around it allowed. False for anything else; `out` is then untouched.
constexpr int kMinTypedHistoryCount = 10;
constexpr int kMaxTypedHistoryCount = 30;
bool ParseHistoryCount(std::string_view text, int& out);

// The "Scomm49=" field from the text box: a whole number of 5 to 30 (blanks
// around it allowed) as its digits padded with a blank to two characters
// ("5 ", "12"); an empty or blank box as two blanks, the field's "not set".
// False for anything else; `out` is then untouched.
constexpr int kMinScomm49 = 5;
constexpr int kMaxScomm49 = 30;
bool Scomm49FromText(std::string_view text, std::string& out);
// What the text box shows for the field: nothing when it is two blanks.
std::string Scomm49Shown(std::string_view field);

// The first folder of `path_variable` (folders separated by ";", in the
// order the system searches them) that holds `program`, as `exists` says of
// the folder, "\" and the program. Empty entries are no folder.
std::optional<std::string> FirstFolderHolding(
    std::string_view path_variable, std::string_view program,
    const std::function<bool(const std::string& file)>& exists);

// "<folder>に存在する「<program>」を強制的に使う", code page 932.
std::string ForceAwkCaption(std::string_view folder, std::string_view program);

// "Gawk=" from the two boxes: 1 when the GAWK box is ticked, else 2 when
// the JGAWK box is, else 0.
int GawkFromChecks(bool gawk_ticked, bool jgawk_ticked);

// A font's label: the kind word, a tab, the face, ", ", the size and
// "ﾎﾟｲﾝﾄ". `kind` and `face` are code page 932.
std::string FontLabelText(std::string_view kind, std::string_view face, double points);

}  // namespace zel
