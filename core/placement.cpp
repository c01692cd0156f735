#include "core/placement.h"

#include <algorithm>

namespace zel {

namespace {

// Width or height of the overlap of [a, a + an) and [b, b + bn); the sums
// are taken in long long, since saved values reach the edges of int.
long long Overlap(long long a, long long an, long long b, long long bn) {
  return std::max(0LL, std::min(a + an, b + bn) - std::max(a, b));
}

bool Meets(const ScreenRect& r, const ScreenRect& area, const PlacementLimits& limits) {
  const long long w = Overlap(r.left, r.width, area.left, area.width);
  const long long h = Overlap(r.top, r.height, area.top, area.height);
  return w >= std::min<long long>(limits.min_visible_width, r.width) &&
         h >= std::min<long long>(limits.min_visible_height, r.height) && w > 0 && h > 0;
}

}  // namespace

ScreenRect PlaceOnScreen(ScreenRect saved, const std::vector<ScreenRect>& work_areas,
                         const ScreenRect& primary, const PlacementLimits& limits) {
  ScreenRect r = saved;
  if (r.width < limits.min_width || r.height < limits.min_height) {
    // The default size is in twips; at a high DPI on a small screen it can
    // be larger than the screen, and a window that opens larger than the
    // screen hides its own edges.
    r.width = std::min(limits.default_width, primary.width);
    r.height = std::min(limits.default_height, primary.height);
  }
  for (const ScreenRect& area : work_areas)
    if (Meets(r, area, limits)) return r;
  r.width = std::min(r.width, primary.width);
  r.height = std::min(r.height, primary.height);
  r.left = primary.left + (primary.width - r.width) / 2;
  r.top = primary.top + (primary.height - r.height) / 2;
  return r;
}

}  // namespace zel
