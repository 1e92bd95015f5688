#pragma once

#include <QColor>
#include <QtGlobal>

// Windows-style colour: red in bits 0-7, green 8-15, blue 16-23; a top byte of $FF names a
// system colour by its index; clNone means "no colour of its own".
using TColor = quint32;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGray = 0x808080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clWindowText = 0xFF000008;
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor clInfoBk = 0xFF000018;

constexpr TColor RGBToColor(int r, int g, int b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

// An invalid QColor for clNone; system colours map to their usual light-theme values.
QColor ColorToQColor(TColor c);

enum TFontStyle : quint8 { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = quint8;

// Text colour, background colour and font style of one kind of text.
struct TCharStyle {
    TColor TextColor = clBlack;
    TColor BkColor = clNone;
    TFontStyles Style = 0;

    bool operator==(const TCharStyle &) const = default;
};
