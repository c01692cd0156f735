// Twips, points and pixels at the dots per inch of the window concerned.
#include <gtest/gtest.h>

#include "core/units.h"

namespace zel {
namespace {

TEST(Units, TwipsAndPixelsAtEveryCommonDpi) {
  // The default divider position and the list's top, at 96, 120, 144, 192.
  struct Case { int dpi; int divider_px; int list_top_px; };
  for (const Case c : {Case{96, 186, 77}, Case{120, 233, 96}, Case{144, 279, 116},
                       Case{192, 372, 154}}) {
    SCOPED_TRACE(c.dpi);
    EXPECT_EQ(TwipsToPixels(2790, c.dpi), c.divider_px);
    EXPECT_EQ(TwipsToPixels(1155, c.dpi), c.list_top_px);
    // A pixel read back and converted again lands on the same pixel.
    EXPECT_EQ(TwipsToPixels(PixelsToTwips(c.divider_px, c.dpi), c.dpi), c.divider_px);
  }
  EXPECT_EQ(PixelsToTwips(1, 96), 15);
  EXPECT_EQ(PixelsToTwips(3, 144), 30);
  // Halves go away from zero on both sides.
  EXPECT_EQ(TwipsToPixels(7.5, 96), 1);
  EXPECT_EQ(TwipsToPixels(-7.5, 96), -1);
  EXPECT_EQ(TwipsToPixels(-10, 96), -1);
  EXPECT_EQ(PixelsToTwips(5, 0), 0);
}

TEST(Units, FontDialogHeightsRoundTripAtEveryCommonDpi) {
  // 9 points at 96 dpi go in as 12 pixels and come back as 9.
  EXPECT_EQ(PointsToLogHeight(9, 96), 12);
  EXPECT_EQ(LogHeightToPoints(12, 96), 9);
  EXPECT_EQ(LogHeightToPoints(-12, 96), 9);
  for (int dpi : {96, 120, 144, 192})
    for (int points = 8; points <= 24; ++points) {
      SCOPED_TRACE(testing::Message() << dpi << " dpi, " << points << " pt");
      const int h = PointsToLogHeight(points, dpi);
      EXPECT_GT(h, 0);
      EXPECT_EQ(LogHeightToPoints(h, dpi), points);
      EXPECT_EQ(LogHeightToPoints(-h, dpi), points);
    }
  // An exact half goes to the even neighbour: 9 pt at 108 dpi is 13.5 px,
  // 11 pt is 16.5.
  EXPECT_EQ(PointsToLogHeight(9, 108), 14);
  EXPECT_EQ(PointsToLogHeight(11, 108), 16);
  // 11 pt at 120 dpi is 18.33 px.
  EXPECT_EQ(PointsToLogHeight(11, 120), 18);
  EXPECT_EQ(LogHeightToPoints(15, 96), 11);  // 11.25 has no whole-point height
  EXPECT_EQ(LogHeightToPoints(15, 0), 0);
}

TEST(Units, FontHeightsKeepFractionsOfAPoint) {
  EXPECT_EQ(FontHeightForPoints(11.25, 96), -15);
  EXPECT_EQ(FontHeightForPoints(11.25, 144), -23);  // 22.5 away from zero
  EXPECT_EQ(FontHeightForPoints(9, 192), -24);
  EXPECT_EQ(FontHeightForPoints(9, 120), -15);
}

}  // namespace
}  // namespace zel
