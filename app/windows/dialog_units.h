// Window sizes given in dialog units, the font-relative measure of the
// original layouts, turned into pixels for a font.
#pragma once

#include <QFont>
#include <QSize>

// One horizontal unit is a quarter of the font's average character width
// (measured over the Latin alphabet), one vertical unit an eighth of its
// height.
QSize DialogUnitsToPixels(const QFont& font, int width, int height);

// The font of the program's windows: a sans-serif face with Japanese glyphs,
// 9 points.
QFont DialogFont();

// The face of listings and reports whose columns must line up: the original
// fixed-pitch face, or where it is missing the monospace face Qt picks.
QFont FixedPitchFont(int points);
