// Code page 932 <-> UTF-16 at the Windows call. The program keeps text as
// code page 932 bytes whatever the machine's ANSI code page is, so Varnik and
// Pocklet always agree on their files.
#pragma once

#include <string>
#include <string_view>

namespace zel {

std::wstring Wide(std::string_view cp932);
// A character code page 932 cannot hold becomes "?". Never a look-alike:
// best fit would turn "¥" (U+00A5) into "\" and so a name into a path.
std::string Narrow(std::wstring_view wide);
// Narrow, and true only when the bytes convert back to exactly `wide`. A
// name that does not round-trip would open another file, or none.
bool NarrowExact(std::wstring_view wide, std::string& out);
// For fixed texts written in the source as UTF-8.
std::wstring WideUtf8(std::string_view utf8);

}  // namespace zel
