// Varnik's entry procedure: one copy at a time, then the main window.
#pragma once

#include <windows.h>

#include <string>

namespace zel {

// Runs the program with the arguments after the program name (code page
// 932) and returns its exit code.
int RunVarnik(HINSTANCE instance, const std::string& arguments);

// The command line without the program name, as one text.
std::wstring ArgumentsOf(const wchar_t* command_line);

}  // namespace zel
