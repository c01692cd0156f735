// Control text in code page 932, the program's own text form.
#pragma once

#include <windows.h>

#include <string>

#include "platform/wstr.h"

namespace zel {

inline std::string GetCtlText(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::wstring w(n + 1, L'\0');
  int got = GetWindowTextW(h, w.data(), n + 1);
  w.resize(got > 0 ? got : 0);
  return Narrow(w);
}

inline void SetCtlText(HWND h, const std::string& cp932) {
  SetWindowTextW(h, Wide(cp932).c_str());
}

// For the program's fixed texts, written in the source as UTF-8.
inline void SetCtlTextU(HWND h, const char* utf8) {
  SetWindowTextW(h, WideUtf8(utf8).c_str());
}

}  // namespace zel
