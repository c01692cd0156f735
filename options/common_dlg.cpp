#include "options/common_dlg.h"

#include <commdlg.h>

#include <cstring>
#include <cwchar>

#include "core/common_dialog.h"
#include "core/units.h"
#include "platform/files.h"
#include "platform/wstr.h"

namespace zel {

namespace {

// The dots per inch the font dialog converts sizes with: those of the
// owner's device context, the screen's when there is no owner.
int LogPixelsY(HWND owner) {
  HDC dc = GetDC(owner);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ReleaseDC(owner, dc);
  return dpi > 0 ? dpi : 96;
}

// The face name as the record holds it: 32 characters, the last of them
// the terminating NUL.
void PutFaceName(LOGFONTW& lf, const std::string& name) {
  const std::wstring face = Wide(name);
  std::wmemset(lf.lfFaceName, L'\0', LF_FACESIZE);
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
}

std::string FaceNameOf(const LOGFONTW& lf) {
  return Narrow(std::wstring(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE)));
}

}  // namespace

cCommonDlg::cCommonDlg() : initial_folder_(CurrentFolder()) {
  SetFilter(std::string("All Files (*.*)") + '\0' + "*.*" + '\0');
}

void cCommonDlg::SetForm(HWND form) {
  form_ = form;
  if (!form) return;
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(form, WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  LOGFONTW lf{};
  if (!GetObjectW(font, sizeof lf, &lf)) return;
  font_bold_ = lf.lfWeight >= 500;
  font_italic_ = lf.lfItalic != 0;
  font_name_ = FaceNameOf(lf);
  font_size_ = LogHeightToPoints(lf.lfHeight, LogPixelsY(form));
}

std::string cCommonDlg::ErrDescription() const { return CommonDialogErrorText(err_number_); }

void cCommonDlg::SetAction(int v) {
  action_ = v;
  if (v == kActionShowFont) ShowFont();
}

void cCommonDlg::SetFilter(const std::string& strNewFilter) {
  filter_ = strNewFilter;
  filter_nul_ = zel::FilterForDialog(strNewFilter);
}

void cCommonDlg::ShowFont() {
  const int dpi = LogPixelsY(form_);
  LOGFONTW lf{};
  lf.lfHeight = PointsToLogHeight(font_size_, dpi);
  lf.lfWeight = font_bold_ ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = font_italic_ ? 1 : 0;
  lf.lfUnderline = font_underline_ ? 1 : 0;
  lf.lfStrikeOut = font_strikethru_ ? 1 : 0;
  PutFaceName(lf, font_name_);

  // The record travels in a moveable block of its own; without one nothing
  // changes.
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(LOGFONTW));
  if (!block) return;
  auto* locked = static_cast<LOGFONTW*>(GlobalLock(block));
  if (!locked) {
    GlobalFree(block);
    return;
  }
  std::memcpy(locked, &lf, sizeof lf);

  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = form_;
  cf.lpLogFont = locked;
  cf.Flags = static_cast<DWORD>(flags_) | CF_INITTOLOGFONTSTRUCT;
  cf.rgbColors = color_;
  cf.nSizeMin = min_;
  cf.nSizeMax = max_;
  const bool chosen = ChooseFontW(&cf) != FALSE;
  cancel_button_ = !chosen;
  err_number_ = chosen ? 0 : static_cast<std::int32_t>(CommDlgExtendedError());

  std::memcpy(&lf, locked, sizeof lf);
  GlobalUnlock(block);
  GlobalFree(block);

  if (!chosen) {
    font_bold_ = font_italic_ = font_underline_ = font_strikethru_ = false;
    font_name_.clear();
    font_size_ = 0;
    color_ = 0;
    return;
  }
  font_bold_ = lf.lfWeight >= 500;
  font_italic_ = lf.lfItalic != 0;
  font_underline_ = lf.lfUnderline != 0;
  font_strikethru_ = lf.lfStrikeOut != 0;
  font_name_ = FaceNameOf(lf);
  font_size_ = LogHeightToPoints(lf.lfHeight, dpi);
  color_ = cf.rgbColors;
}

}  // namespace zel
