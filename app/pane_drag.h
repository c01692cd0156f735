// Moving the panes of the main window with the mouse: the divider Frame2
// follows the pointer while its button is held (the panes are laid out
// again at every move) and snaps on release; the comment area Frame3 is
// dragged by its bare strips as an outline and dropped on the folder tree,
// the file list or the comment box. Where the panes go is decided in
// core/panes.h; this class reads the mouse and hands the new positions to
// the main window.
#pragma once

#include <windows.h>

#include <functional>

#include "core/panes.h"

namespace zel {

class PaneDrag {
 public:
  struct Host {
    HWND main = nullptr;
    HWND divider = nullptr;       // Frame2
    HWND comment_area = nullptr;  // Frame3
    HWND tree = nullptr, list = nullptr, comment_box = nullptr;
    std::function<double(int)> to_twips;     // pixels of the window to twips
    std::function<PanePlace()> place;        // where the panes are now
    std::function<double()> button_width;    // W of the favourites toolbar
    std::function<void(const PanePlace&)> arrange;  // put them there, lay out
  };

  // Takes the mouse messages of the divider and the comment area.
  explicit PaneDrag(Host host);
  ~PaneDrag();
  PaneDrag(const PaneDrag&) = delete;
  PaneDrag& operator=(const PaneDrag&) = delete;

  // Ends a drag of the comment area without dropping it (Esc). True when
  // one was under way.
  bool Cancel();
  bool dragging() const { return divider_drag_ || area_drag_; }
  // The outline that follows the pointer while the comment area is dragged.
  HWND outline() const { return outline_; }

 private:
  static LRESULT CALLBACK DividerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR self);
  static LRESULT CALLBACK AreaProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                   DWORD_PTR self);
  LRESULT OnDivider(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnArea(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  void MoveDivider(int x);
  void ReleaseDivider();
  void ShowOutline(POINT screen);
  void EndAreaDrag();
  void DropArea(POINT screen);

  Host host_;
  bool divider_drag_ = false;
  bool area_drag_ = false;
  POINT grab_{};  // where the comment area was taken, in its own pixels
  HWND outline_ = nullptr;
};

}  // namespace zel
