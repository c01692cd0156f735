// Lengths between the units the program keeps and the pixels a screen
// shows: twips (1/1440 inch) for window positions and pane sizes, points
// (1/72 inch) for font sizes. Every conversion takes the dots per inch of
// the window concerned, so the layout and the fonts keep their size on a
// monitor of 96, 120, 144 or 192 dots per inch.
#pragma once

namespace zel {

constexpr int kTwipsPerInch = 1440;
constexpr int kPointsPerInch = 72;

// Twips to whole pixels, to the nearest pixel (halves away from zero).
int TwipsToPixels(double twips, int dpi);
double PixelsToTwips(int pixels, int dpi);

// The font dialog's record: a size in whole points as a positive cell
// height in pixels, size x dpi / 72 rounded to the nearest integer, an
// exact half to the even neighbour.
int PointsToLogHeight(int points, int dpi);
// And back: |height| x 72 / dpi rounded the same way. A height of either
// sign gives a positive size; a dpi of 0 or less gives 0.
int LogHeightToPoints(int height, int dpi);

// The character height (negative, as fonts are asked for by their em size)
// of a font of `points`, which may have a fraction (11.25), at `dpi`.
int FontHeightForPoints(double points, int dpi);

}  // namespace zel
