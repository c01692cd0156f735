// The words of Varnik's command line: a start folder, "/jwf" and "/P".
#pragma once

#include <string_view>

#include "core/words.h"

namespace zel {

// Splits the command line after the program name as SplitWords does, except
// that a run in double quotes belongs to one word and the quotes are dropped.
// Windows quotes a dropped or "Open with" folder whose path holds a blank
// ("C:\My Drawings\外変"); a path never contains a quote, so an argument
// without quotes splits exactly as before. An unclosed quote runs to the end
// of the line.
Words SplitStartArguments(std::string_view text);

}  // namespace zel
