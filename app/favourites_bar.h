// The favourites column: the label `Label6` heading a column of 20 buttons,
// the toolbar `Toolbar1`, each button a favourite folder or free. The bar
// keeps the buttons' values (saved with the settings) and shows them; the
// main window decides what a click does.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/favourites.h"
#include "core/settings.h"

namespace zel {

class FavouritesBar {
 public:
  static constexpr int kButtons = 20;

  // `first_command` is the command of button 1; the others follow it.
  FavouritesBar(HWND toolbar, HWND label, HIMAGELIST pictures, UINT first_command);
  ~FavouritesBar();
  FavouritesBar(const FavouritesBar&) = delete;
  FavouritesBar& operator=(const FavouritesBar&) = delete;

  // The values the settings file gave; missing ones are free buttons.
  void Load(const std::vector<ToolButtonSetting>& tools);
  const std::vector<ToolButtonSetting>& buttons() const { return buttons_; }

  RegisterResult Register(int index, const std::string& folder, int filter_index,
                          const std::string& caption);
  void Free(int index);
  std::optional<FavouriteTarget> Target(int index) const;

  // The buttons' tooltips and their frames. True when the notification was
  // the bar's; `result` is then the answer to it.
  bool OnNotify(NMHDR* hdr, LRESULT& result);

  // The width of one button in pixels, as the toolbar reports it: the
  // widest caption, and never less than the label's widest line.
  int ButtonWidth() const;

  // New pictures (the window's DPI changed): the buttons are measured anew
  // with them and with the label's new font. The list holds a place for
  // each picture; `load` puts a picture in its place the first time a
  // button shows it (false when it could not).
  void SetPictures(HIMAGELIST pictures);
  void SetPictureLoader(std::function<bool(HIMAGELIST pictures, int picture)> load);

  // The pointer came over the heading `Label6` (its WM_SETCURSOR): its
  // tooltip starts to follow the pointer there.
  void OnPointerOverLabel();

  // Makes the buttons no taller than `available` pixels of column allow
  // for 20, down to the height of a picture or a caption: in a shorter
  // window all 20 stay in sight and readable.
  void FitHeight(int available);

 private:
  void Show();

  HWND toolbar_, label_;
  void LoadShownPictures();

  HIMAGELIST pictures_;
  std::function<bool(HIMAGELIST, int)> load_picture_;
  unsigned loaded_pictures_ = 0;  // a bit for each picture in the list
  UINT first_command_;
  HWND label_tip_ = nullptr;
  void ApplyHeight();
  int pad_x_ = 0, pad_y_ = 0;  // the toolbar's own padding
  int natural_height_ = 0;  // as the toolbar measures its buttons
  int fitted_for_ = 0;      // the column's height, once it is known
  std::vector<ToolButtonSetting> buttons_;
  std::array<std::wstring, kButtons> tips_;
  std::array<std::wstring, kButtons> captions_;
};

}  // namespace zel
