// The main window moved to a monitor of another DPI: everything the window
// keeps in twips and points is shown at the new DPI, so it looks the same
// size to the user.
#include "app/favourites_bar.h"
#include "app/varnik_window.h"

namespace zel {

void VarnikWindow::OnDpiChanged(int dpi, const RECT* suggested) {
  if (dpi > 0 && dpi != dpi_) {
    const int old = dpi_;
    // Column widths live in the list in pixels; they keep their twips.
    int widths[3];
    for (int i = 0; i < 3; ++i) widths[i] = MulDiv(ListView_GetColumnWidth(ListView1, i), dpi, old);
    dpi_ = dpi;
    ApplyUiFont();
    ApplyFonts();
    CreateImageLists();
    // The window's icons and the filter button's picture came from the old
    // lists.
    ShowFilterIcons(FilterIndex());
    SendMessageW(Command3, BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(FilterIcon(FilterIndex())));
    // The toolbar measures its buttons (pictures, captions) when they are
    // added.
    favourites_->SetPictures(ImageList3);
    PlaceDesignControls();
    for (int i = 0; i < 3; ++i) ListView_SetColumnWidth(ListView1, i, widths[i]);
  }
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  OnResize();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace zel
