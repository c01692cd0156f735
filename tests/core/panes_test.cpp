// The main window's pane arithmetic.
#include <gtest/gtest.h>

#include <cmath>
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
  ASSERT_FALSE(l.clamped);
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
  ASSERT_FALSE(l.clamped);
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

TEST(ArrangePanes, BoundsAndClampedSizes) {
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
  // W + T + 2001 the tree would be narrower than nothing; it gets no width,
  // the list keeps its 2000 twips at the right edge, and the positions the
  // narrow window forced are not stored.
  in = Normal();
  in.SW = 2500;
  l = ArrangePanes(in);
  EXPECT_EQ(l.L, 2500 - 70 - 2000);
  EXPECT_TRUE(l.clamped);
  EXPECT_FALSE(l.stored);
  EXPECT_EQ(*Get(l, Pane::kTree, PaneProp::kWidth), 0);
  EXPECT_EQ(*Get(l, Pane::kList, PaneProp::kLeft), 500);
  EXPECT_EQ(*Get(l, Pane::kList, PaneProp::kWidth), 2000);
  // Narrower than the list's 2000 twips: the divider stays at the left
  // edge and the list takes what is left, rather than leaving the window.
  in.SW = 1500;
  l = ArrangePanes(in);
  EXPECT_EQ(l.L, 0);
  EXPECT_EQ(*Get(l, Pane::kDivider, PaneProp::kLeft), 0);
  EXPECT_EQ(*Get(l, Pane::kList, PaneProp::kLeft), 70);
  EXPECT_EQ(*Get(l, Pane::kList, PaneProp::kWidth), 1430);
  // A minimised window (client size 0) stores nothing either.
  in = Normal();
  in.SW = 0;
  in.SH = 0;
  l = ArrangePanes(in);
  EXPECT_TRUE(l.clamped);
  EXPECT_FALSE(l.stored);
  // Fractions are stored as whole twips.
  in = Normal();
  in.L = 2790.6;
  in.Y3 = 5000.4;
  l = ArrangePanes(in);
  EXPECT_EQ(l.Frame2left, 2791);
  EXPECT_EQ(l.Frame3Top, 5000);
}

TEST(ArrangePanes, CommentAreaStaysBelowTheTopOfItsColumn) {
  // Dropped at the very top of the tree: the tree keeps no height, never a
  // negative one, and the comment area starts 70 twips below the tree's top.
  PaneInput in = Normal();
  in.TextPosL = true;
  in.Y3 = 1480;
  PaneLayout l = ArrangePanes(in);
  EXPECT_EQ(l.Y3, 1540);
  EXPECT_EQ(*Get(l, Pane::kTree, PaneProp::kHeight), 0);
  EXPECT_TRUE(l.stored);
  EXPECT_EQ(l.Frame3Top, 1540);
  // On the right the list keeps no height at 85 twips below its top.
  in.TextPosL = false;
  in.Y3 = 1155;
  l = ArrangePanes(in);
  EXPECT_EQ(l.Y3, 1240);
  EXPECT_EQ(*Get(l, Pane::kList, PaneProp::kHeight), 0);
}

TEST(ArrangePanes, NoPaneEverGetsANegativeSizeOrLeavesTheWindow) {
  for (bool left : {false, true}) {
    for (double SW : {0.0, 300.0, 1000.0, 2069.0, 2500.0, 2671.0, 4000.0, 12000.0}) {
      for (double SH : {0.0, 500.0, 1300.0, 1600.0, 3000.0, 9000.0}) {
        for (double L : {-500.0, 0.0, 603.0, 2790.0, 9000.0}) {
          for (double Y3 : {-100.0, 1200.0, 3120.0, 20000.0}) {
            PaneInput in = Normal();
            in.TextPosL = left;
            in.SW = SW;
            in.SH = SH;
            in.L = L;
            in.Y3 = Y3;
            const PaneLayout l = ArrangePanes(in);
            SCOPED_TRACE(testing::Message() << "left " << left << " SW " << SW << " SH " << SH
                                            << " L " << L << " Y3 " << Y3);
            for (const PaneOp& op : l.ops) {
              if (op.prop == PaneProp::kWidth || op.prop == PaneProp::kHeight) {
                EXPECT_GE(op.value, 0) << static_cast<int>(op.pane);
              }
            }
            EXPECT_GE(l.L, 0);
            // The list ends at the window's right edge, starting inside it.
            if (SW >= kDividerThickness) {
              EXPECT_EQ(*Get(l, Pane::kList, PaneProp::kLeft) +
                            *Get(l, Pane::kList, PaneProp::kWidth),
                        SW);
            }
            if (l.stored) {
              EXPECT_EQ(l.Frame2left, std::nearbyint(l.L));
              EXPECT_EQ(l.Frame3Top, std::nearbyint(l.Y3));
            }
          }
        }
      }
    }
  }
}

TEST(DropPane, TheCommentAreaGoesToTheColumnItIsDroppedOn) {
  const PanePlace right{2790, 6000, false};
  // On the tree: left column, top at the drop height.
  PanePlace p = DropPane(right, DragSource::kCommentArea, DropTarget::kTree, 600, 1470, 300, 2500, 600);
  EXPECT_EQ(p.Y3, 1470 + 2500);
  EXPECT_TRUE(p.TextPosL);
  EXPECT_EQ(p.L, 2790);
  // On the list: right column.
  p = DropPane(p, DragSource::kCommentArea, DropTarget::kList, 2860, 1155, 10, 4000, 600);
  EXPECT_EQ(p.Y3, 5155);
  EXPECT_FALSE(p.TextPosL);
  // On the comment box: the column stays.
  for (bool side : {false, true}) {
    p = DropPane({2790, 6000, side}, DragSource::kCommentArea, DropTarget::kCommentBox, 2860, 6345,
                 50, 700, 600);
    EXPECT_EQ(p.Y3, 7045);
    EXPECT_EQ(p.TextPosL, side);
  }
}

TEST(DropPane, TheDividerGoesToTheDropPointOrCollapsesTheLeftColumn) {
  const double W = 600;
  PanePlace p = DropPane({2790, 6000, false}, DragSource::kDivider, DropTarget::kList, 2860, 1155,
                         1000, 300, W);
  EXPECT_EQ(p.L, 3860);
  EXPECT_EQ(p.Y3, 6000);
  p = DropPane({2790, 6000, false}, DragSource::kDivider, DropTarget::kTree, W, 1470, 2500, 300, W);
  EXPECT_EQ(p.L, W + 2500);
  p = DropPane({2790, 6000, false}, DragSource::kDivider, DropTarget::kTree, W, 1470, 2000, 300, W);
  EXPECT_EQ(p.L, W + 1);
  // On the comment box: in the left column, near its left edge, the column
  // collapses; in the right column the divider goes to the drop point.
  p = DropPane({2790, 6000, true}, DragSource::kDivider, DropTarget::kCommentBox, W, 6345, 1999, 9,
               W);
  EXPECT_EQ(p.L, W + 2);
  p = DropPane({2790, 6000, true}, DragSource::kDivider, DropTarget::kCommentBox, W, 6345, 2000, 9,
               W);
  EXPECT_EQ(p.L, W + 2000);
  p = DropPane({2790, 6000, false}, DragSource::kDivider, DropTarget::kCommentBox, 2860, 6345, 100,
               9, W);
  EXPECT_EQ(p.L, 2960);
}

}  // namespace
}  // namespace zel
