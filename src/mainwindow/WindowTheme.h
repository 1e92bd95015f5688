#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// Colours of the window. Everything follows the palette in force (the desktop's, or the one
// chosen with SAPLOGON_EDITOR_THEME); only surfaces drawn over fixed pictures or in a fixed
// colour scheme (the about box, the text view) keep their own light colours, text included.

// Contrast ratio of two colours as accessibility guidelines define it: 1 (none) to 21.
double ContrastRatio(const QColor &a, const QColor &b);

// The usual dark palette for the Fusion style.
QPalette DarkPalette();

// Background of the focused field: the familiar light yellow where the palette's text reads well
// on it, otherwise a yellow tint of the palette's base that keeps the text readable.
QColor FieldHighlightColour(const QPalette &palette);
// Gives an edit or drop-down the highlight background, with the palette's text colour on it.
void HighlightField(QWidget *control);

// SAPLOGON_EDITOR_THEME=dark or =light sets the Fusion style with that palette, for desktops
// whose own palette does not reach Qt programs; unset or anything else keeps the desktop's.
void ApplyThemeFromEnvironment();
