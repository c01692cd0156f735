#include "core/panes.h"

#include <cmath>

namespace zel {
namespace {

// Collects assignments until one is refused.
class OpList {
 public:
  explicit OpList(PaneLayout& out) : out_(out) {}
  bool Set(Pane p, PaneProp prop, double v) {
    if (failed_) return false;
    if ((prop == PaneProp::kWidth || prop == PaneProp::kHeight) && v < 0) {
      failed_ = true;
      return false;
    }
    out_.ops.push_back({p, prop, v});
    return true;
  }
  bool failed() const { return failed_; }

 private:
  PaneLayout& out_;
  bool failed_ = false;
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

  ops.Set(Pane::kDivider, PaneProp::kTop, 1200);
  ops.Set(Pane::kDivider, PaneProp::kWidth, T);
  if (W > L || L > SW) L = W + 1;
  // The right column keeps 2000 twips, even if that pushes the divider over
  // the toolbar in a narrow window.
  if (SW - L - T < 2000) L = SW - T - 2000;
  if (Y3 > SH - 500) Y3 = SH - 500;
  out.L = L;
  out.Y3 = Y3;
  ops.Set(Pane::kDivider, PaneProp::kLeft, L);
  ops.Set(Pane::kCommentArea, PaneProp::kTop, Y3);

  ops.Set(Pane::kDriveList, PaneProp::kLeft, 0);
  ops.Set(Pane::kDriveList, PaneProp::kTop, 1155);
  ops.Set(Pane::kDriveList, PaneProp::kWidth, L);

  // The comment area sits under the tree (left) or under the list (right);
  // the column it sits in ends above it, the other one at the bottom.
  const bool left = in.TextPosL;
  const double area_left = left ? W : L + T;
  const double area_width = left ? std::floor(L - W) : SW - L - T;
  const double tree_height = left ? Y3 - 1540 : SH - 1570;
  const double list_height = left ? SH - 1240 : Y3 - 1240;
  // On the left the comment box goes away when its column is collapsed.
  const bool show_box = !left || area_width > 15;
  ops.Set(Pane::kCommentArea, PaneProp::kLeft, area_left);
  ops.Set(Pane::kCommentArea, PaneProp::kWidth, area_width);
  ops.Set(Pane::kTree, PaneProp::kLeft, W);
  ops.Set(Pane::kTree, PaneProp::kTop, 1470);
  ops.Set(Pane::kTree, PaneProp::kWidth, L - W);
  ops.Set(Pane::kTree, PaneProp::kHeight, tree_height);
  ops.Set(Pane::kList, PaneProp::kLeft, L + T);
  ops.Set(Pane::kList, PaneProp::kTop, 1155);
  ops.Set(Pane::kList, PaneProp::kWidth, SW - L - T);
  ops.Set(Pane::kList, PaneProp::kHeight, list_height);
  ops.Set(Pane::kCommentBox, PaneProp::kVisible, show_box ? 1 : 0);
  if (show_box) {
    const double box_width = area_width;
    ops.Set(Pane::kCommentBox, PaneProp::kLeft, area_left);
    ops.Set(Pane::kCommentBox, PaneProp::kTop, Y3 + in.shape_height + in.status_height);
    ops.Set(Pane::kCommentBox, PaneProp::kWidth, box_width);
    ops.Set(Pane::kCommentBox, PaneProp::kHeight,
            SH - Y3 - T - in.shape_height - in.status_height - 50);
    ops.Set(Pane::kShape, PaneProp::kWidth, box_width);
    ops.Set(Pane::kStatusBar, PaneProp::kWidth, box_width);
  }
  if (ops.failed()) return out;

  out.stored = true;
  out.Frame2left = RoundEven(L);
  out.Frame3Top = RoundEven(Y3);

  ops.Set(Pane::kCommentArea, PaneProp::kHeight, SH - Y3 - T);
  ops.Set(Pane::kToolbar, PaneProp::kWidth, W + 1);
  ops.Set(Pane::kToolbarLabel, PaneProp::kWidth, W + 2);
  out.complete = !ops.failed();
  return out;
}

double DividerAfterRelease(double L, double toolbar_width) {
  if (L - 2000 < toolbar_width + 2) return toolbar_width + 2;
  return L;
}

}  // namespace zel
