// Where the main window opens: its saved place, unless that place could
// never be seen or used.
//
// A settings file edited by hand, written on a machine with another
// monitor, or damaged can hold a window far off every screen
// ("Top=99999999") or a size no control fits into (a negative height). Such
// a window would come back at every start, since each close saves it again.
#pragma once

#include <vector>

namespace zel {

// A rectangle in pixels of the virtual screen.
struct ScreenRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const ScreenRect&) const = default;
};

struct PlacementLimits {
  int min_width = 0, min_height = 0;          // what the controls need
  int default_width = 0, default_height = 0;  // a first start's size
  // How much of the window must lie on one work area for the user to reach
  // it (its title bar, to drag it back).
  int min_visible_width = 0, min_visible_height = 0;
};

// The saved rectangle, or a corrected one: a size below the minimum in
// either direction becomes the default size (no larger than the primary
// work area); a window that does not meet
// any work area by the visible minimum is moved onto the primary work area
// (centred, and no larger than it).
ScreenRect PlaceOnScreen(ScreenRect saved, const std::vector<ScreenRect>& work_areas,
                         const ScreenRect& primary, const PlacementLimits& limits);

}  // namespace zel
