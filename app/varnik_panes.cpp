// Laying out the panes: core/ computes, this file moves the windows.
#include <algorithm>
#include <map>

#include "app/favourites_bar.h"
#include "app/varnik_window.h"
#include "platform/winops.h"

namespace zel {

int VarnikWindow::ToPx(double twips) const { return TwipsToPixels(twips, dpi_); }

double VarnikWindow::ToTwips(int px) const { return PixelsToTwips(px, dpi_); }

double VarnikWindow::ToolbarButtonWidth() const {
  DWORD size = static_cast<DWORD>(SendMessageW(Toolbar1, TB_GETBUTTONSIZE, 0, 0));
  return ToTwips(LOWORD(size));
}

void VarnikWindow::OnResize() {
  // A minimised window has no client area to lay out; restoring it lays
  // it out again from the saved positions.
  if (IsLoading || !hwnd_ || IsIconic(hwnd_)) return;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const double SW = ToTwips(rc.right), SH = ToTwips(rc.bottom);
  for (HWND line : Line2) {
    RECT lr;
    GetWindowRect(line, &lr);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&lr), 2);
    MoveWindow(line, lr.left, lr.top, ToPx(SW) - lr.left, lr.bottom - lr.top, TRUE);
  }
  // The divider starts from the saved position; in a window shorter than
  // the top strip it has no height.
  frame2_left_ = settings_.Frame2left;
  frame3_top_ = settings_.Frame3Top;
  RECT dr;
  GetWindowRect(Frame2, &dr);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&dr), 2);
  MoveWindow(Frame2, ToPx(frame2_left_), dr.top, ToPx(kDividerThickness),
             std::max(0, ToPx(SH - 1155)), TRUE);
  ArrangePanes();
}

// The divider and the comment area move with the mouse; the layout takes
// the positions they are given as it takes the saved ones.
void VarnikWindow::AttachPaneDrag() {
  PaneDrag::Host host;
  host.main = hwnd_;
  host.divider = Frame2;
  host.comment_area = Frame3;
  host.tree = TreeView1;
  host.list = ListView1;
  host.comment_box = Text1;
  host.to_twips = [this](int px) { return ToTwips(px); };
  host.place = [this] { return PanePlace{frame2_left_, frame3_top_, settings_.TextPosL}; };
  host.button_width = [this] { return ToolbarButtonWidth(); };
  host.arrange = [this](const PanePlace& p) {
    frame2_left_ = p.L;
    frame3_top_ = p.Y3;
    settings_.TextPosL = p.TextPosL;
    ArrangePanes();
  };
  pane_drag_ = std::make_unique<PaneDrag>(std::move(host));
}

void VarnikWindow::ArrangePanes() {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  RECT shape, status;
  GetWindowRect(Shape1, &shape);
  GetWindowRect(SBar1, &status);
  PaneInput in;
  in.SW = ToTwips(rc.right);
  in.SH = ToTwips(rc.bottom);
  in.L = frame2_left_;
  in.Y3 = frame3_top_;
  in.W = ToolbarButtonWidth();
  in.TextPosL = settings_.TextPosL;
  in.shape_height = ToTwips(shape.bottom - shape.top);
  in.status_height = ToTwips(status.bottom - status.top);
  PaneLayout layout = zel::ArrangePanes(in);
  frame2_left_ = layout.L;
  frame3_top_ = layout.Y3;
  ApplyPaneOps(layout);
  if (layout.stored) {
    settings_.Frame2left = static_cast<float>(layout.Frame2left);
    settings_.Frame3Top = static_cast<float>(layout.Frame3Top);
  }
  if (favourites_) {
    RECT bar;
    GetWindowRect(Toolbar1, &bar);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&bar), 2);
    favourites_->FitHeight(rc.bottom - bar.top);
  }
  InvalidateRect(Toolbar1, nullptr, TRUE);
  // The heading is centred: a new width moves all of its text.
  InvalidateRect(Label6, nullptr, TRUE);
}

void VarnikWindow::ApplyPaneOps(const PaneLayout& layout) {
  std::map<Pane, HWND> windows = {
      {Pane::kDivider, Frame2},   {Pane::kDriveList, drvList}, {Pane::kCommentArea, Frame3},
      {Pane::kTree, TreeView1},   {Pane::kList, ListView1},    {Pane::kCommentBox, Text1},
      {Pane::kShape, Shape1},     {Pane::kStatusBar, SBar1},   {Pane::kToolbar, Toolbar1},
      {Pane::kToolbarLabel, Label6},
  };
  // Start from where each pane is now, in pixels of its parent.
  std::map<Pane, RECT> rects;
  for (const auto& [pane, h] : windows) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    rects[pane] = r;
  }
  std::map<Pane, bool> touched;
  for (const PaneOp& op : layout.ops) {
    RECT& r = rects[op.pane];
    const int v = ToPx(op.value);
    switch (op.prop) {
      case PaneProp::kLeft: r.right += v - r.left; r.left = v; break;
      case PaneProp::kTop: r.bottom += v - r.top; r.top = v; break;
      case PaneProp::kWidth: r.right = r.left + v; break;
      case PaneProp::kHeight: r.bottom = r.top + v; break;
      case PaneProp::kVisible:
        ShowWindow(windows[op.pane], op.value != 0 ? SW_SHOWNA : SW_HIDE);
        continue;
    }
    touched[op.pane] = true;
  }
  for (const auto& [pane, moved] : touched) {
    if (!moved) continue;
    const RECT& r = rects[pane];
    MoveWindow(windows[pane], r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }
  // The comment box lies over the comment area.
  SetWindowPos(Text1, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace zel
