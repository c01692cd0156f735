// Pane arithmetic of the main window, in twips.
//
// The window is a top strip and two columns: drive list, favourites toolbar
// and folder tree on the left, the file list on the right, a divider between
// them, and the comment area at the bottom of either column. The layout is a
// sequence of size and position assignments. A width or height that would
// come out negative (a window narrower than the toolbar and the list need,
// a very short window, a minimised one) is set to 0 instead, so no pane is
// ever given a negative size and every pane that fits stays in the window;
// such a layout stores nothing back, so the divider and the comment area
// return to the user's positions when the window is large again.
#pragma once

#include <vector>

namespace zel {

enum class Pane {
  kDivider,      // the vertical divider between the columns
  kDriveList,
  kCommentArea,  // frame holding the status strip and the comment box
  kTree,
  kList,
  kCommentBox,
  kShape,        // thin strip at the top of the comment area
  kStatusBar,
  kToolbar,
  kToolbarLabel,
};

enum class PaneProp { kLeft, kTop, kWidth, kHeight, kVisible };

struct PaneOp {
  Pane pane;
  PaneProp prop;
  double value;  // twips; for kVisible 1 or 0; never a negative size
};

struct PaneInput {
  double SW = 0, SH = 0;   // client area
  double L = 0;            // divider left
  double Y3 = 0;           // comment area top
  double W = 0;            // toolbar button width
  bool TextPosL = false;   // comment area in the left column
  double shape_height = 0;
  double status_height = 0;
};

struct PaneLayout {
  std::vector<PaneOp> ops;  // in order, every step
  bool clamped = false;     // a size came out negative and was set to 0
  double L = 0, Y3 = 0;     // the divider and comment area positions used
  bool stored = false;      // Frame2left/Frame3Top were stored back
  double Frame2left = 0, Frame3Top = 0;  // rounded, when stored
};

constexpr double kDividerThickness = 70;
// The tops of the panes below the top strip.
constexpr double kListTop = 1155;
constexpr double kTreeTop = 1470;

PaneLayout ArrangePanes(const PaneInput& in);

// Divider released: a left column narrower than 2000 twips beside the
// toolbar collapses to the toolbar's width + 2.
double DividerAfterRelease(double L, double toolbar_width);

// Dragging a pane onto another one. The divider (Frame2) is moved by its
// own mouse handlers; the comment area (Frame3) is dragged and dropped.
enum class DragSource { kDivider, kCommentArea };
enum class DropTarget { kTree, kList, kCommentBox };

struct PanePlace {
  double L = 0;    // divider left
  double Y3 = 0;   // comment area top
  bool TextPosL = false;
};

// The positions after `what` is dropped on `target`, which lies at
// target_left, target_top in the window; x, y is the drop point from the
// target's top-left corner; W the toolbar button width. The comment area
// goes to the column it is dropped on (tree: left, list: right, comment box:
// where it is) with its top at the drop height; the divider goes to the
// drop point, collapsing the left column when dropped within 2000 twips of
// its left edge (on the tree, or on a comment box in the left column).
PanePlace DropPane(PanePlace now, DragSource what, DropTarget target, double target_left,
                   double target_top, double x, double y, double W);

}  // namespace zel
