// Values written into the lines of a batch file, so that cmd reads each as
// the one literal value it is.
//
// cmd gives a meaning to some characters of a batch line: "&" and "|" end a
// command, "<" and ">" redirect, "^" escapes the next character, "(" and
// ")" open and close blocks, and "%" starts a variable (expanded before
// anything else, inside double quotes too). A folder may hold any of them
// ("D:\R&D\gaihen", "C:\Program Files (x86)\Jww", "D:\p%PATH%q"). Inside
// double quotes only "%" needs care: a literal "%" is written "%%".
// Outside quotes each of the others is escaped with "^" as well.
//
// Values are code page 932 bytes and are walked by characters: a trail byte
// that equals "|" or "^" (ポ is 83 7C, タ is 83 5E) is part of its
// character, never a special character, and is never escaped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zel {

// The value holds a character cmd treats specially: & | < > ^ ( ) %.
bool HasCmdSpecial(std::string_view value);

// The value must stand in double quotes to be one argument: it holds a
// special character or a blank.
bool NeedsCmdQuotes(std::string_view value);

// The value for use inside double quotes: each "%" doubled.
std::string ForCmdInQuotes(std::string_view value);

// The value for use outside quotes: & | < > ^ ( ) escaped with "^", each
// "%" doubled.
std::string ForCmdBare(std::string_view value);

// True when byte offset `at` (a character boundary) of a batch line lies
// inside double quotes as cmd reads the line: each '"' opens or closes
// quotes, except a '"' escaped by "^" outside quotes.
bool IsInsideCmdQuotes(std::string_view line, std::size_t at);

}  // namespace zel
