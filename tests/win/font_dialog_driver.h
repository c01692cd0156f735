// The platform's font dialog in tests: a face this machine has, and picking
// a size in the open dialog as a click in its size list does.
#pragma once

#include <windows.h>

#include <string>

namespace zel::test {

// cmb3 of the font dialog: the size list.
constexpr int kFontDialogSizeBox = 0x472;

// A TrueType face this machine has, as the system names it.
inline std::wstring SomeFace() {
  std::wstring face;
  LOGFONTW want{};
  want.lfCharSet = DEFAULT_CHARSET;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(
      dc, &want,
      [](const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM lp) -> int {
        if (!(type & TRUETYPE_FONTTYPE) || lf->lfFaceName[0] == L'@') return 1;
        *reinterpret_cast<std::wstring*>(lp) = lf->lfFaceName;
        return 0;
      },
      reinterpret_cast<LPARAM>(&face), 0);
  ReleaseDC(nullptr, dc);
  return face;
}

inline void PickFontSize(HWND dialog, const wchar_t* size) {
  HWND sizes = GetDlgItem(dialog, kFontDialogSizeBox);
  SendMessageW(sizes, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(size));
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFontDialogSizeBox, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(sizes));
}

}  // namespace zel::test
