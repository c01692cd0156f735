#include "core/units.h"

#include <cmath>

namespace zel {

int TwipsToPixels(double twips, int dpi) {
  return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

double PixelsToTwips(int pixels, int dpi) {
  return dpi > 0 ? static_cast<double>(pixels) * kTwipsPerInch / dpi : 0;
}

int PointsToLogHeight(int points, int dpi) {
  // Computed in double from integers: exact enough that a true half stays a
  // half (9 x 108 / 72 = 13.5).
  return static_cast<int>(std::nearbyint(static_cast<double>(points) * dpi / kPointsPerInch));
}

int LogHeightToPoints(int height, int dpi) {
  if (dpi <= 0) return 0;
  return static_cast<int>(
      std::nearbyint(std::fabs(static_cast<double>(height) * kPointsPerInch / dpi)));
}

int FontHeightForPoints(double points, int dpi) {
  // Hundredths of a point, as the settings keep sizes such as 11.25.
  const long hundredths = std::lround(points * 100);
  return -static_cast<int>(std::lround(static_cast<double>(hundredths) * dpi / (kPointsPerInch * 100.0)));
}

}  // namespace zel
