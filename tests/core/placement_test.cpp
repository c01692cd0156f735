// The main window's opening place: saved places that can never be seen or
// used are corrected, every other one is kept.
#include <gtest/gtest.h>

#include <climits>

#include "core/placement.h"

namespace zel {
namespace {

const PlacementLimits kLimits{480, 288, 900, 680, 100, 30};
const ScreenRect kPrimary{0, 0, 1280, 984};
const ScreenRect kRight{1280, -200, 1920, 1160};  // a second monitor, higher up

TEST(PlaceOnScreen, KeepsAPlaceThatCanBeReached) {
  const std::vector<ScreenRect> both{kPrimary, kRight};
  for (const ScreenRect r : {ScreenRect{80, 80, 900, 680}, ScreenRect{1500, -150, 800, 600},
                             // Mostly off the left edge, but its right part shows.
                             ScreenRect{-700, 100, 800, 600},
                             // Exactly the minimum size.
                             ScreenRect{10, 10, 480, 288}})
    EXPECT_EQ(PlaceOnScreen(r, both, kPrimary, kLimits), r) << r.left << "," << r.top;
}

TEST(PlaceOnScreen, AWindowOffEveryScreenComesToThePrimaryOne) {
  // "Top=99999999" comes back from Windows as 32767.
  EXPECT_EQ(PlaceOnScreen({32767, 32767, 900, 680}, {kPrimary}, kPrimary, kLimits),
            (ScreenRect{190, 152, 900, 680}));
  // Within the second monitor's old place, now gone.
  EXPECT_EQ(PlaceOnScreen({1500, 100, 800, 600}, {kPrimary}, kPrimary, kLimits),
            (ScreenRect{240, 192, 800, 600}));
  // A sliver of 20 pixels is not enough to grab the window.
  EXPECT_EQ(PlaceOnScreen({-880, 100, 900, 680}, {kPrimary}, kPrimary, kLimits).left, 190);
  // Extreme values neither overflow nor wrap around onto the screen.
  EXPECT_EQ(PlaceOnScreen({INT_MAX - 10, INT_MIN + 5, 900, 680}, {kPrimary}, kPrimary, kLimits),
            (ScreenRect{190, 152, 900, 680}));
  // Larger than the primary work area: no larger than it.
  EXPECT_EQ(PlaceOnScreen({5000, 5000, 4000, 3000}, {kPrimary}, kPrimary, kLimits),
            (ScreenRect{0, 0, 1280, 984}));
}

TEST(PlaceOnScreen, ASizeTheControlsCannotUseGetsTheDefaultSize) {
  // A negative height was saved as a 112 x 27 window.
  EXPECT_EQ(PlaceOnScreen({100, 100, 112, 27}, {kPrimary}, kPrimary, kLimits),
            (ScreenRect{100, 100, 900, 680}));
  EXPECT_EQ(PlaceOnScreen({100, 100, 900, -5}, {kPrimary}, kPrimary, kLimits),
            (ScreenRect{100, 100, 900, 680}));
  EXPECT_EQ(PlaceOnScreen({100, 100, 479, 680}, {kPrimary}, kPrimary, kLimits),
            (ScreenRect{100, 100, 900, 680}));
  // The default size at twice the DPI, on a screen smaller than it: the
  // window fits the screen.
  const PlacementLimits high_dpi{960, 576, 1800, 1360, 200, 60};
  const ScreenRect full_hd{0, 0, 1920, 1040};
  EXPECT_EQ(PlaceOnScreen({100, 0, 0, 0}, {full_hd}, full_hd, high_dpi),
            (ScreenRect{100, 0, 1800, 1040}));
  // Too small and off the screen: both corrections.
  EXPECT_EQ(PlaceOnScreen({-30000, 20, 10, 10}, {kPrimary}, kPrimary, kLimits),
            (ScreenRect{190, 152, 900, 680}));
}

}  // namespace
}  // namespace zel
