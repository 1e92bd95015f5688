#include "highlight/MemoPainter.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <climits>

namespace {

QColor Q(TColor c) {
    return ColorToQColor(c);
}

bool IsProportional(const QFont &f) {
    const QFontMetricsF fm(f);
    return fm.horizontalAdvance(QLatin1Char('W')) != fm.horizontalAdvance(QLatin1Char('i'));
}

// Glyph advances of a font rarely come out at whole pixels; spacing them to the cell width keeps
// every character on the grid whatever the face's fractional advance.
QFont OnGrid(QFont f, int cellWidth) {
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    const qreal adv = QFontMetricsF(f).horizontalAdvance(QLatin1Char('W'));
    if (adv != cellWidth)
        f.setLetterSpacing(QFont::AbsoluteSpacing, cellWidth - adv);
    return f;
}

} // namespace

TMemoPainter::TMemoPainter() {
    Gutter.Font = DefaultFont();
    SetFont(DefaultFont());
}

QFont TMemoPainter::DefaultFont() {
    QFont f(QStringLiteral("COURIER NEW"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(13);
    return f;
}

void TMemoPainter::SetFont(const QFont &font) {
    FFont = font;
    if (IsProportional(FFont)) {
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        if (FFont.pixelSize() > 0)
            fixed.setPixelSize(FFont.pixelSize());
        else
            fixed.setPointSizeF(FFont.pointSizeF());
        fixed.setBold(FFont.bold());
        fixed.setItalic(FFont.italic());
        FFont = fixed;
    }
    Tokenizer.FontStyle =
        TFontStyles((FFont.bold() ? fsBold : 0) | (FFont.italic() ? fsItalic : 0) |
                    (FFont.underline() ? fsUnderline : 0) | (FFont.strikeOut() ? fsStrikeOut : 0));
    FCellSize = QSize();
    MeasureFont();
    Tokenizer.FbackupTopLine = -1;
}

void TMemoPainter::MeasureFont() {
    QFont plain = FFont;
    plain.setBold(false);
    plain.setItalic(false);
    const QFontMetrics fm(plain);
    const int w = fm.horizontalAdvance(QLatin1Char('W'));
    FCellSize = QSize(w, fm.height() + 1);
    FAscent = fm.ascent();
    QFont bold = plain;
    bold.setBold(true);
    FDropBold = QFontMetrics(bold).horizontalAdvance(QLatin1Char('W')) != w;
    FStyledFontReady.fill(false);
    const QFontMetrics gm(Gutter.Font);
    FGutterW = gm.horizontalAdvance(QLatin1Char('W'));
    FGutterAscent = gm.ascent();
}

const QFont &TMemoPainter::StyledFont(TFontStyles style) {
    style &= 15;
    if (!FStyledFontReady[style]) {
        QFont f = FFont;
        f.setBold(style & fsBold);
        f.setItalic(style & fsItalic);
        f.setUnderline(style & fsUnderline);
        f.setStrikeOut(style & fsStrikeOut);
        FStyledFonts[style] = OnGrid(f, FCellSize.width());
        FStyledFontReady[style] = true;
    }
    return FStyledFonts[style];
}

TRect TMemoPainter::GetTextRect(QSize client, bool vertBar, bool horzBar) const {
    TRect r;
    r.Left = (Gutter.Visible && Gutter.GutterWidth > 2 ? Gutter.GutterWidth + 2 : 2) + FMargin;
    r.Top = 2;
    r.Right = client.width() - 2 - (VertScrollBar && vertBar ? ScrollBarSize : 0);
    r.Bottom = client.height() - 2 - (HorzScrollBar && horzBar ? ScrollBarSize : 0);
    const int grow = !BorderSingle ? 2 : (!Ctl3D ? 1 : 0);
    r.Left -= grow;
    r.Top -= grow;
    r.Right += grow;
    r.Bottom += grow;
    return r;
}

TRect TMemoPainter::GetCellRect(const TRect &tr, int k, int r) const {
    const int w = FCellSize.width(), h = FCellSize.height();
    return {tr.Left + k * w, tr.Top + r * h + 1, tr.Left + (k + 1) * w, tr.Top + (r + 1) * h + 1};
}

int TMemoPainter::VisiblePosCount(const TRect &tr) const {
    const int w = FCellSize.width();
    return w <= 0 ? 0 : (tr.Right - 1 + w / 2 - tr.Left) / w;
}

int TMemoPainter::VisibleLineCount(const TRect &tr) const {
    const int h = FCellSize.height();
    return h <= 0 ? 0 : (tr.Bottom - 1 - tr.Top) / h;
}

QPoint TMemoPainter::CharFromPos(const TRect &tr, QPoint p, int leftCol, int topLine) const {
    const int w = FCellSize.width(), h = FCellSize.height();
    if (w <= 0 || h <= 0)
        return {1, 1};
    return {(p.x() - tr.Left) / w + leftCol, (p.y() - tr.Top) / h + topLine};
}

QPoint TMemoPainter::CaretCellFromPos(const TRect &tr, QPoint p, int leftCol, int topLine) const {
    const int w = FCellSize.width(), h = FCellSize.height();
    if (w <= 0 || h <= 0)
        return {leftCol, topLine};
    return {(p.x() + w / 2 - tr.Left) / w + leftCol, (p.y() - tr.Top) / h + topLine};
}

int TMemoPainter::LineNumberX(int digits) const {
    const int base = Gutter.GutterWidth - Gutter.GutterMargin;
    const int w = FGutterW;
    int x = digits <= 1 ? base + 3 * w : digits == 2 ? base + 2 * w : digits == 3 ? base + w : base;
    if (Gutter.GutterWidth < w * digits + x)
        x = Gutter.GutterWidth - w * digits - 2;
    return x;
}

void TMemoPainter::Paint(QPainter &p, const TMemoPaintState &s) {
    if (s.UpdateLocked || !s.Lines)
        return;
    if (FCellSize.height() == 0)
        MeasureFont();
    const TRect tr = GetTextRect(s);
    const QColor bk = Q(BkColor());
    const int h = FCellSize.height();
    if (Gutter.Visible && Gutter.GutterWidth > 1) {
        Gutter.Width = Gutter.GutterWidth;
        Gutter.Height = tr.Height() + 1;
        PaintGutter(p, s);
    }
    p.fillRect(QRect(tr.Left, tr.Top, tr.Width(), 2 - tr.Top), bk);

    TStyle state = Tokenizer.TopLineStartStyle(*s.Lines, s.TopLine);
    Tokenizer.RebuildNumberSets();
    const int count = s.Lines->LineCount();
    const int visible = VisibleLineCount(tr);
    // A line is never copied below the text area's last row but one.
    const int linesBottom = tr.Bottom - 1;
    p.save();
    p.setClipRect(QRect(tr.Left, tr.Top, qMax(0, tr.Width()), qMax(0, linesBottom - tr.Top)));
    int line = s.TopLine;
    bool endReached = false;
    for (; line <= s.TopLine + visible; ++line) {
        if (line >= count) {
            endReached = true;
            break;
        }
        DrawLine(p, s, tr, line, state);
    }
    p.restore();
    const int below = endReached ? tr.Top + (line - s.TopLine) * h + 1 : linesBottom;
    if (below < tr.Bottom)
        p.fillRect(QRect(tr.Left, below, tr.Width(), tr.Bottom - below), bk);

    const int w = FCellSize.width();
    if (ShowRightMargin && RightMargin > 0 && count < visible) {
        const int x = tr.Left + (RightMargin - s.LeftCol) * w + (BorderSingle ? 3 : 0);
        p.fillRect(QRect(x, 0, 2, s.ClientSize.height()), Q(RightMarginColor));
    }
    if (s.CaretShown && s.Focused) {
        const TRect c = GetCellRect(tr, s.CurX - s.LeftCol, s.CurY - s.TopLine);
        p.save();
        p.setClipRect(tr.ToQRect());
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(QRect(c.Left, c.Top + 1, 2, h - 2), Qt::white);
        p.restore();
    }
    if (BorderSingle && !Ctl3D) {
        const QColor bc = Q(BorderColor);
        const int cw = s.ClientSize.width(), ch = s.ClientSize.height();
        p.fillRect(QRect(0, 0, 1, ch), bc);
        p.fillRect(QRect(0, 0, cw, 1), bc);
        p.fillRect(QRect(cw - 1, 0, 1, ch), bc);
        p.fillRect(QRect(0, ch - 1, cw, 1), bc);
    }
}

void TMemoPainter::PaintGutter(QPainter &p, const TMemoPaintState &s) {
    const TMemoGutter &g = Gutter;
    if (g.Width <= 0 || g.Height <= 0)
        return;
    const QRect area(g.Left, g.Top, g.Width + 2, g.Height - 1);
    p.save();
    p.setClipRect(area);
    p.fillRect(area, Q(g.GutterColor)); // the gradient runs between two equal colours here
    p.fillRect(QRect(g.Left + g.Width, g.Top, 1, area.height()), Q(g.BorderColor));
    if (Ctl3D)
        p.fillRect(QRect(g.Left + g.Width - 2, g.Top, 1, area.height()), Qt::white);
    p.setFont(g.Font);
    const int h = FCellSize.height();
    const int count = s.Lines->LineCount();
    int line = s.TopLine;
    int y = g.Top;
    do {
        DrawGutterLine(p, s, line, {g.Left, y, g.Left + g.Width, y + h}, FGutterAscent);
        y += h;
        ++line;
    } while (h > 0 && y < g.Top + g.Height && line < count);
    p.restore();
}

void TMemoPainter::DrawGutterLine(QPainter &p, const TMemoPaintState &s, int line, const TRect &rect,
                                  int ascent) {
    if (!Gutter.ShowLineNumbers)
        return;
    const int number = line + Gutter.LineNumberStart;
    QString digits = QString::number(number);
    if (Gutter.ShowLeadingZeros)
        digits = digits.rightJustified(Gutter.DigitCount, QLatin1Char('0'));
    const QColor color = Q(Gutter.LineNumberTextColor);
    // Gutter rows are laid out inside the gutter's own picture, placed at (Left, Top).
    const int ox = Gutter.Left, oy = Gutter.Top;
    if ((Gutter.LineNumberAt > 0 && number % Gutter.LineNumberAt == 0) || line == s.CurY) {
        p.setPen(color);
        p.drawText(ox + LineNumberX(int(digits.size())), oy + rect.Top + ascent,
                   digits + Gutter.NumberSuffix);
    } else {
        p.fillRect(QRect(ox + rect.Right - 18, oy + rect.Top + 4, 2, 1), color);
    }
}

void TMemoPainter::DrawLine(QPainter &p, const TMemoPaintState &s, const TRect &tr, int line, TStyle &state) {
    const int w = FCellSize.width(), h = FCellSize.height();
    const int top = tr.Top + (line - s.TopLine) * h + 1;
    const int width = tr.Width();
    TColor lineBk = clNone;
    if ((line & 1) && BandColor != clNone)
        lineBk = BandColor;

    QString text = s.Lines->LineText(line);
    if (s.SelStartY <= line && line <= s.SelEndY &&
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == QLatin1Char(' '); }))
        text = QStringLiteral(" "); // a selected empty line shows one selected cell
    int sx = s.SelStartX, sy = s.SelStartY, ex = s.SelEndX, ey = s.SelEndY;
    if (sy > ey || (sy == ey && sx > ex)) {
        std::swap(sx, ex);
        std::swap(sy, ey);
    }
    const bool showSel = !(HideSelection && !s.Focused);
    const int g = Gutter.Visible ? Gutter.Width : 0;
    const int margin = (ShowRightMargin && RightMargin > 0)
                           ? tr.Left + (RightMargin - s.LeftCol) * w - g - (BorderSingle ? 0 : 2)
                           : INT_MIN;
    const QColor marginColor = Q(RightMarginColor);
    const QColor selText = Q(SelColor), selBk = Q(SelBkColor);
    int x = -s.LeftCol * w;
    int off = 0;

    auto drawPart = [&](const QString &run, int from, int len, const QColor &fg, const QColor &bg,
                        TFontStyles style) {
        if (len <= 0)
            return;
        const int span = len * w;
        if (x + span > 0 && x < width) {
            p.fillRect(QRect(tr.Left + x, top, span, h), bg);
            if (margin > x)
                p.fillRect(QRect(tr.Left + margin, top, 2, h), marginColor);
            // Only the characters that can show are handed to the text engine.
            const int first = x < 0 ? -x / w : 0;
            const int last = qMin(len, first + (width - qMax(x, 0)) / w + 2);
            p.setFont(StyledFont(style));
            p.setPen(fg);
            p.drawText(tr.Left + x + first * w, top + FAscent, run.mid(from + first, last - first));
        }
        x += span;
    };

    Tokenizer.ScanLine(text, state, [&](const QString &run, const TStyle &style) {
        const int n = int(run.size());
        TRunColors c = Tokenizer.RunColors(style);
        if (lineBk != clNone)
            c.BkColor = lineBk;
        if (FDropBold)
            c.Style &= ~fsBold;
        if (x >= width) { // beyond the right edge the runs only carry the state on
            x += n * w;
            off += n;
            return;
        }
        int a = 0, b = 0; // selected columns [a, b) of this run
        if (showSel && line >= sy && line <= ey) {
            if (line > sy && line < ey) {
                b = n;
            } else if (sy == ey) {
                if (sx != ex && sx < off + n && off < ex) {
                    a = sx - off;
                    b = ex - off;
                }
            } else if (line == sy) {
                a = sx - off;
                b = n;
            } else {
                b = ex - off;
            }
            a = qBound(0, a, n);
            b = qBound(0, b, n);
        }
        const QColor fg = Q(c.TextColor), bg = Q(c.BkColor);
        if (b > a) {
            drawPart(run, 0, a, fg, bg, c.Style);
            drawPart(run, a, b - a, selText, selBk, c.Style);
            drawPart(run, b, n - b, fg, bg, c.Style);
        } else {
            drawPart(run, 0, n, fg, bg, c.Style);
        }
        off += n;
    });
    const int rest = qMax(x, 0);
    if (rest < width)
        p.fillRect(QRect(tr.Left + rest, top, width - rest, h), Q(lineBk == clNone ? BkColor() : lineBk));
    if (margin != INT_MIN && x < margin)
        p.fillRect(QRect(tr.Left + margin, top, 2, h), marginColor);
}
