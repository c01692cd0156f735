// The main window's pane arithmetic.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "core/panes.h"

namespace zel {
namespace {

// The last value each pane property received.
std::optional<double> Get(const PaneLayout& l, Pane p, PaneProp prop) {
  std::optional<double> v;
  for (const auto& op : l.ops)
    if (op.pane == p && op.prop == prop) v = op.value;
  return v;
}

PaneInput Normal() {
  PaneInput in;
  in.SW = 12000;
  in.SH = 9000;
  in.L = 2790;
  in.Y3 = 3120 + 3000;
  in.W = 600;
  in.shape_height = 45;
  in.status_height = 300;
  return in;
}

TEST(ArrangePanes, CommentAreaOnTheRight) {
  PaneLayout l = ArrangePanes(Normal());
  ASSERT_TRUE(l.complete);
  EXPECT_EQ(*Get(l, Pane::kList, PaneProp::kLeft), 2790 + 70);
  EXPECT_EQ(*Get(l, Pane::kList, PaneProp::kTop), 1155);
  EXPECT_EQ(*Get(l, Pane::kList, PaneProp::kWidth), 12000 - 2790 - 70);
  // The list ends 85 twips above the comment area, the tree 100 above the bottom.
  EXPECT_EQ(1155 + *Get(l, Pane::kList, PaneProp::kHeight), 6120 - 85);
  EXPECT_EQ(1470 + *Get(l, Pane::kTree, PaneProp::kHeight), 9000 - 100);
  EXPECT_EQ(*Get(l, Pane::kTree, PaneProp::kWidth), 2790 - 600);
  EXPECT_EQ(*Get(l, Pane::kCommentArea, PaneProp::kLeft), 2860);
  EXPECT_EQ(*Get(l, Pane::kCommentBox, PaneProp::kTop), 6120 + 345);
  EXPECT_EQ(*Get(l, Pane::kCommentBox, PaneProp::kHeight), 9000 - 6120 - 70 - 345 - 50);
  EXPECT_EQ(*Get(l, Pane::kStatusBar, PaneProp::kWidth), 12000 - 2860);
  EXPECT_EQ(*Get(l, Pane::kCommentBox, PaneProp::kVisible), 1);
  EXPECT_EQ(*Get(l, Pane::kCommentArea, PaneProp::kHeight), 9000 - 6120 - 70);
  EXPECT_EQ(*Get(l, Pane::kToolbar, PaneProp::kWidth), 601);
  EXPECT_EQ(*Get(l, Pane::kToolbarLabel, PaneProp::kWidth), 602);
  EXPECT_EQ(*Get(l, Pane::kDriveList, PaneProp::kWidth), 2790);
  EXPECT_EQ(l.Frame2left, 2790);
  EXPECT_EQ(l.Frame3Top, 6120);
}

TEST(ArrangePanes, CommentAreaOnTheLeftCollapsesWhenNarrow) {
  PaneInput in = Normal();
  in.TextPosL = true;
  PaneLayout l = ArrangePanes(in);
  ASSERT_TRUE(l.complete);
  // The tree ends 70 twips above the comment area, the list 85 above the bottom.
  EXPECT_EQ(1470 + *Get(l, Pane::kTree, PaneProp::kHeight), 6120 - 70);
  EXPECT_EQ(1155 + *Get(l, Pane::kList, PaneProp::kHeight), 9000 - 85);
  EXPECT_EQ(*Get(l, Pane::kCommentArea, PaneProp::kLeft), 600);
  EXPECT_EQ(*Get(l, Pane::kCommentArea, PaneProp::kWidth), 2190);

  // Divider released close to the toolbar: the left column collapses and the
  // comment box disappears; moved right again, it comes back.
  in.L = DividerAfterRelease(2500, 601);
  EXPECT_EQ(in.L, 603);
  l = ArrangePanes(in);
  EXPECT_EQ(*Get(l, Pane::kCommentBox, PaneProp::kVisible), 0);
  EXPECT_FALSE(Get(l, Pane::kCommentBox, PaneProp::kWidth).has_value());
  EXPECT_TRUE(l.stored);
  in.L = DividerAfterRelease(4000, 601);
  EXPECT_EQ(in.L, 4000);
  l = ArrangePanes(in);
  EXPECT_EQ(*Get(l, Pane::kCommentBox, PaneProp::kVisible), 1);
}

TEST(ArrangePanes, BoundsAndRefusedSizes) {
  PaneInput in = Normal();
  // The comment area is kept 500 twips above the bottom, and that is stored.
  in.Y3 = 8800;
  PaneLayout l = ArrangePanes(in);
  EXPECT_EQ(l.Frame3Top, 8500);
  // A divider left of the toolbar, or beyond the window, goes to W + 1.
  in = Normal();
  in.L = 100;
  EXPECT_EQ(ArrangePanes(in).L, 601);
  in.L = 20000;
  EXPECT_EQ(ArrangePanes(in).L, 601);
  // The right column keeps 2000 twips: in a window narrower than
  // W + T + 2001 the tree's width comes out negative and the layout stops
  // there, storing nothing.
  in = Normal();
  in.SW = 2500;
  l = ArrangePanes(in);
  EXPECT_EQ(l.L, 2500 - 70 - 2000);
  EXPECT_FALSE(l.complete);
  EXPECT_FALSE(l.stored);
  EXPECT_FALSE(Get(l, Pane::kTree, PaneProp::kWidth).has_value());
  // A minimised window (client size 0) is refused early too.
  in = Normal();
  in.SW = 0;
  in.SH = 0;
  EXPECT_FALSE(ArrangePanes(in).complete);
  // Fractions are stored as whole twips.
  in = Normal();
  in.L = 2790.6;
  in.Y3 = 5000.4;
  l = ArrangePanes(in);
  EXPECT_EQ(l.Frame2left, 2791);
  EXPECT_EQ(l.Frame3Top, 5000);
}

}  // namespace
}  // namespace zel
