#pragma once

#include "highlight/LineTokenizer.h"
#include "highlight/MemoColors.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>

class QPainter;

// Rectangle with exclusive right and bottom edges, as the view's geometry is reasoned in.
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool operator==(const TRect &) const = default;
};

struct TMemoGutter {
    int Left = 1, Top = 1, Width = 45, Height = 0;
    int GutterWidth = 45;
    int GutterMargin = 45;
    bool Visible = true;
    TColor GutterColor = clWhite;
    TColor GutterColorTo = clWhite;
    TColor BorderColor = 0xA3A3A3;
    QFont Font;
    bool ShowLineNumbers = true;
    TColor LineNumberTextColor = 0x3B3B3B;
    int LineNumberStart = 1;
    int LineNumberAt = 1;
    bool ShowLeadingZeros = false;
    int DigitCount = 4;
    QString NumberSuffix;
};

// Everything a paint reads from the view, gathered by the view for one paint.
struct TMemoPaintState {
    IStyledLines *Lines = nullptr;
    bool UpdateLocked = false; // the line store is inside an update bracket
    int TopLine = 0, LeftCol = 0;
    int CurX = 0, CurY = 0;
    int SelStartX = 0, SelStartY = 0, SelEndX = 0, SelEndY = 0;
    QSize ClientSize;
    bool VertBarVisible = false, HorzBarVisible = false;
    bool Focused = false;
    bool CaretShown = false; // draw the caret at (CurX, CurY) in this paint
};

// Measures and paints the text view: text area, cell grid, gutter with line numbers, right margin,
// selection and border. Owns the tokenizer that styles the lines.
class TMemoPainter {
public:
    TMemoPainter();

    TLineTokenizer Tokenizer;
    TMemoGutter Gutter;

    TColor SelColor = clWhite;
    TColor SelBkColor = clNavy;
    bool BorderSingle = true;
    TColor BorderColor = 0xA3A3A3;
    bool Ctl3D = false;
    int RightMargin = 80;
    TColor RightMarginColor = 0xE2E2E2;
    bool ShowRightMargin = true;
    TColor BandColor = clNone;
    bool HideSelection = false;
    int FMargin = 2;
    bool VertScrollBar = true, HorzScrollBar = true; // ScrollBars: both
    int ScrollBarSize = 16;

    const QFont &Font() const { return FFont; }
    // A face whose "W" and "i" differ in width is replaced by the system's fixed font.
    void SetFont(const QFont &font);
    static QFont DefaultFont(); // "COURIER NEW", 13 pixels
    TColor BkColor() const { return Tokenizer.FBkColor; }
    void SetBkColor(TColor c) { Tokenizer.FBkColor = c; }

    QSize FCellSize; // W, H
    bool DropBold() const { return FDropBold; }
    void MeasureFont();

    TRect GetTextRect(QSize client, bool vertBar, bool horzBar) const;
    TRect GetTextRect(const TMemoPaintState &s) const {
        return GetTextRect(s.ClientSize, s.VertBarVisible, s.HorzBarVisible);
    }
    TRect GetCellRect(const TRect &textRect, int colOffset, int rowOffset) const;
    int VisiblePosCount(const TRect &textRect) const;
    int VisibleLineCount(const TRect &textRect) const;
    QPoint CharFromPos(const TRect &textRect, QPoint p, int leftCol, int topLine) const;
    // Cell for placing the caret with the mouse: rounded to the nearest cell boundary.
    QPoint CaretCellFromPos(const TRect &textRect, QPoint p, int leftCol, int topLine) const;

    void Paint(QPainter &p, const TMemoPaintState &s);
    // x of the digits of a line number inside the gutter (relative to the gutter's left).
    int LineNumberX(int digits) const;

private:
    void PaintGutter(QPainter &p, const TMemoPaintState &s);
    void DrawGutterLine(QPainter &p, const TMemoPaintState &s, int line, const TRect &rect, int ascent);
    void DrawLine(QPainter &p, const TMemoPaintState &s, const TRect &tr, int line, TStyle &state);
    const QFont &StyledFont(TFontStyles style);

    QFont FFont;
    bool FDropBold = false;
    int FAscent = 0;
    int FGutterW = 0;
    int FGutterAscent = 0;
    std::array<QFont, 16> FStyledFonts;
    std::array<bool, 16> FStyledFontReady{};
};
