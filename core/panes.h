// Pane arithmetic of the main window, in twips.
//
// The window is a top strip and two columns: drive list, favourites toolbar
// and folder tree on the left, the file list on the right, a divider between
// them, and the comment area at the bottom of either column. The layout is a
// sequence of size and position assignments; an assignment of a negative
// width or height is refused by the window system and ends the layout there,
// which is how a too-narrow window or a too-high comment area is left to the
// next resize.
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
  double value;  // twips; for kVisible 1 or 0
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
  std::vector<PaneOp> ops;  // in order, up to the refused one (excluded)
  bool complete = false;    // every step ran
  double L = 0, Y3 = 0;     // the divider and comment area positions used
  bool stored = false;      // Frame2left/Frame3Top were stored back
  double Frame2left = 0, Frame3Top = 0;  // rounded, when stored
};

constexpr double kDividerThickness = 70;

PaneLayout ArrangePanes(const PaneInput& in);

// Divider released: a left column narrower than 2000 twips beside the
// toolbar collapses to the toolbar's width + 2.
double DividerAfterRelease(double L, double toolbar_width);

}  // namespace zel
