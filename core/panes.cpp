#include "core/panes.h"

#include <algorithm>
#include <cmath>

namespace zel {
namespace {

// Collects assignments; a negative size is set to 0 and remembered.
class OpList {
 public:
  explicit OpList(PaneLayout& out) : out_(out) {}
  void Set(Pane p, PaneProp prop, double v) {
    if ((prop == PaneProp::kWidth || prop == PaneProp::kHeight) && v < 0) {
      clamped_ = true;
      v = 0;
    }
    out_.ops.push_back({p, prop, v});
  }
  bool clamped() const { return clamped_; }

 private:
  PaneLayout& out_;
  bool clamped_ = false;
};

// Rounds half to even, as the stored positions are whole twips.
double RoundEven(double v) { return std::nearbyint(v); }

}  // namespace

PaneLayout ArrangePanes(const PaneInput& in) {
  PaneLayout out;
  OpList ops(out);
  const double T = kDividerThickness;
  double L = in.L, Y3 = in.Y3;
  const double W = in.W, SW = in.SW, SH = in.SH;
  const bool left = in.TextPosL;

  ops.Set(Pane::kDivider, PaneProp::kTop, 1200);
  ops.Set(Pane::kDivider, PaneProp::kWidth, T);
  if (W > L || L > SW) L = W + 1;
  // The right column keeps 2000 twips, even if that pushes the divider over
  // the toolbar in a narrow window; never past the window's left edge,
  // though, where the divider and the list's left part could not be seen.
  if (SW - L - T < 2000) L = SW - T - 2000;
  if (L < 0) L = 0;
  if (Y3 > SH - 500) Y3 = SH - 500;
  // The comment area stays below the top of the pane it ends: the tree
  // (left) or the list (right), which is then 0 high rather than less.
  const double lowest = left ? kTreeTop + 70 : kListTop + 85;
  if (Y3 < lowest) Y3 = lowest;
  out.L = L;
  out.Y3 = Y3;
  ops.Set(Pane::kDivider, PaneProp::kLeft, L);
  ops.Set(Pane::kCommentArea, PaneProp::kTop, Y3);

  ops.Set(Pane::kDriveList, PaneProp::kLeft, 0);
  ops.Set(Pane::kDriveList, PaneProp::kTop, kListTop);
  ops.Set(Pane::kDriveList, PaneProp::kWidth, L);

  // The comment area sits under the tree (left) or under the list (right);
  // the column it sits in ends above it, the other one at the bottom.
  const double area_left = left ? W : L + T;
  const double area_width = std::max(0.0, left ? std::floor(L - W) : SW - L - T);
  const double tree_height = left ? Y3 - 1540 : SH - 1570;
  const double list_height = left ? SH - 1240 : Y3 - 1240;
  // On the left the comment box goes away when its column is collapsed.
  const bool show_box = !left || area_width > 15;
  ops.Set(Pane::kCommentArea, PaneProp::kLeft, area_left);
  ops.Set(Pane::kCommentArea, PaneProp::kWidth, left ? std::floor(L - W) : SW - L - T);
  ops.Set(Pane::kTree, PaneProp::kLeft, W);
  ops.Set(Pane::kTree, PaneProp::kTop, kTreeTop);
  ops.Set(Pane::kTree, PaneProp::kWidth, L - W);
  ops.Set(Pane::kTree, PaneProp::kHeight, tree_height);
  ops.Set(Pane::kList, PaneProp::kLeft, L + T);
  ops.Set(Pane::kList, PaneProp::kTop, kListTop);
  ops.Set(Pane::kList, PaneProp::kWidth, SW - L - T);
  ops.Set(Pane::kList, PaneProp::kHeight, list_height);
  ops.Set(Pane::kCommentBox, PaneProp::kVisible, show_box ? 1 : 0);
  if (show_box) {
    ops.Set(Pane::kCommentBox, PaneProp::kLeft, area_left);
    ops.Set(Pane::kCommentBox, PaneProp::kTop, Y3 + in.shape_height + in.status_height);
    ops.Set(Pane::kCommentBox, PaneProp::kWidth, area_width);
    ops.Set(Pane::kCommentBox, PaneProp::kHeight,
            SH - Y3 - T - in.shape_height - in.status_height - 50);
    ops.Set(Pane::kShape, PaneProp::kWidth, area_width);
    ops.Set(Pane::kStatusBar, PaneProp::kWidth, area_width);
  }
  out.clamped = ops.clamped();
  // Positions a window too small for its panes forced are not kept.
  if (!out.clamped) {
    out.stored = true;
    out.Frame2left = RoundEven(L);
    out.Frame3Top = RoundEven(Y3);
  }

  ops.Set(Pane::kCommentArea, PaneProp::kHeight, SH - Y3 - T);
  ops.Set(Pane::kToolbar, PaneProp::kWidth, W + 1);
  ops.Set(Pane::kToolbarLabel, PaneProp::kWidth, W + 2);
  out.clamped = ops.clamped();
  return out;
}

double DividerAfterRelease(double L, double toolbar_width) {
  if (L - 2000 < toolbar_width + 2) return toolbar_width + 2;
  return L;
}

PanePlace DropPane(PanePlace now, DragSource what, DropTarget target, double target_left,
                   double target_top, double x, double y, double W) {
  PanePlace p = now;
  if (what == DragSource::kCommentArea) {
    p.Y3 = target_top + y;
    if (target == DropTarget::kList) p.TextPosL = false;
    if (target == DropTarget::kTree) p.TextPosL = true;
    return p;
  }
  switch (target) {
    case DropTarget::kList:
      p.L = target_left + x;
      break;
    case DropTarget::kTree:
      p.L = x > 2000 ? W + x : W + 1;
      break;
    case DropTarget::kCommentBox:
      p.L = x < 2000 && now.TextPosL ? target_left + 2 : target_left + x;
      break;
  }
  return p;
}

}  // namespace zel
