// cCommonDlg: the platform's font dialog behind properties, so a window can
// show it with a font preset and read back what the user chose. It also
// carries the properties of a general common-dialog wrapper (filter, title,
// error text), of which only the font dialog is used.
//
// Texts are code page 932, as everywhere in the program; the dialog itself
// is the wide-character one.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace zel {

class cCommonDlg {
 public:
  // The action that shows the font dialog.
  static constexpr int kActionShowFont = 4;

  cCommonDlg();

  // The owner of the dialog. Setting it also takes the owner's own font
  // (name, size, bold, italic) into the font properties.
  HWND Form() const { return form_; }
  void SetForm(HWND form);

  const std::string& FontName() const { return font_name_; }
  void SetFontName(const std::string& strNewFontName) { font_name_ = strNewFontName; }
  int FontSize() const { return font_size_; }  // points
  void SetFontSize(int intNewFontSize) { font_size_ = intNewFontSize; }
  bool FontBold() const { return font_bold_; }
  void SetFontBold(bool blnNewFontBold) { font_bold_ = blnNewFontBold; }
  bool FontItalic() const { return font_italic_; }
  void SetFontItalic(bool blnNewFontItalic) { font_italic_ = blnNewFontItalic; }
  bool FontUnderline() const { return font_underline_; }
  void SetFontUnderline(bool blnNewFontUnderline) { font_underline_ = blnNewFontUnderline; }
  bool FontStrikethru() const { return font_strikethru_; }
  void SetFontStrikethru(bool blnNewFontStrikethru) { font_strikethru_ = blnNewFontStrikethru; }

  // CHOOSEFONT flags; CF_INITTOLOGFONTSTRUCT is always added.
  void SetFlags(std::int32_t lngNewFlags) { flags_ = lngNewFlags; }
  // Smallest and largest size offered, in points.
  std::int32_t Min() const { return min_; }
  void SetMin(std::int32_t lngNewMin) { min_ = lngNewMin; }
  std::int32_t Max() const { return max_; }
  void SetMax(std::int32_t lngNewMax) { max_ = lngNewMax; }

  // True after a ShowFont that the user cancelled or that failed.
  bool CancelButton() const { return cancel_button_; }
  // CommDlgExtendedError after a failed ShowFont (0 when cancelled), and
  // its message.
  std::int32_t ErrNumber() const { return err_number_; }
  std::string ErrDescription() const;
  // Kept only: ShowFont reports through CancelButton whatever it holds.
  bool CancelError() const { return cancel_error_; }
  void SetCancelError(bool v) { cancel_error_ = v; }

  // Setting 4 shows the font dialog; other values are only kept.
  int Action() const { return action_; }
  void SetAction(int v);

  // As given, and in the form the file dialogs take ("|" as NUL, NUL at
  // the end).
  const std::string& Filter() const { return filter_; }
  const std::string& FilterForDialog() const { return filter_nul_; }
  void SetFilter(const std::string& strNewFilter);
  void SetDialogTitle(const std::string& strNewDialogTitle) { dialog_title_ = strNewDialogTitle; }

  // Shows the modal font dialog owned by Form and updates the properties:
  // the chosen font after OK; after a cancel or a failure CancelButton is
  // set and every font property is cleared (so read CancelButton first).
  void ShowFont();

 private:
  HWND form_ = nullptr;
  std::string font_name_;
  int font_size_ = 0;
  bool font_bold_ = false, font_italic_ = false, font_underline_ = false,
       font_strikethru_ = false;
  std::int32_t flags_ = 0, min_ = 0, max_ = 0;
  bool cancel_button_ = false;
  std::int32_t err_number_ = 0;
  bool cancel_error_ = false;
  int action_ = 0;
  std::string filter_, filter_nul_;
  std::string dialog_title_ = "Open File";
  // Kept as a general common-dialog wrapper keeps them; nothing reads them.
  std::string initial_folder_;
  int max_file_name_ = 255;
  std::string file_name_ = std::string(254, ' ');
  COLORREF color_ = 0;
};

}  // namespace zel
