#include "highlight/MemoPainter.h"

#include <QImage>
#include <QPainter>
#include <QTest>

// Paints into an image and looks at the pixels that carry meaning: cell backgrounds, the gutter
// digits, the margin line and the border.
class TestPainting : public QObject {
    Q_OBJECT

    std::unique_ptr<TIniMemoStyler> FStyler;
    std::unique_ptr<TMemoPainter> FPainter;
    TStringStyledLines FLines;
    TMemoPaintState FState;
    int W = 0, H = 0;

    QImage Render(QSize size = QSize(700, 300)) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::red);
        FState.Lines = &FLines;
        FState.ClientSize = size;
        QPainter p(&img);
        FPainter->Paint(p, FState);
        return img;
    }
    TRect Text() const { return FPainter->GetTextRect(FState); }
    // Background of the cell at a text column and view row, read at its top-left pixel.
    QRgb CellBk(const QImage &img, int col, int row) {
        const TRect c = FPainter->GetCellRect(Text(), col - FState.LeftCol, row);
        return img.pixel(c.Left, c.Top);
    }
    static bool Dark(QRgb c) { return qGray(c) < 128; }
    // Columns of dark pixels in a horizontal band.
    static QPair<int, int> InkSpan(const QImage &img, int x0, int x1, int y0, int y1) {
        int lo = INT_MAX, hi = INT_MIN;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (Dark(img.pixel(x, y))) {
                    lo = qMin(lo, x);
                    hi = qMax(hi, x);
                }
        return {lo, hi};
    }
    int MarginX() const { return 51 + (80 - FState.LeftCol) * W; }

private Q_SLOTS:
    void init() {
        FStyler = CreateIniMemoStyler();
        FPainter = std::make_unique<TMemoPainter>();
        FPainter->Tokenizer.SetSyntaxStyles(FStyler.get());
        W = FPainter->FCellSize.width();
        H = FPainter->FCellSize.height();
        QVERIFY(W > 0 && H > 0);
        FState = TMemoPaintState{};
        FState.Focused = true;
    }

    void geometry() {
        TMemoPainter &pt = *FPainter;
        QCOMPARE(pt.GetTextRect(QSize(350, 250), false, false), (TRect{48, 1, 349, 249}));
        QCOMPARE(pt.GetTextRect(QSize(350, 250), true, true), (TRect{48, 1, 333, 233}));
        const TRect tr{48, 1, 349, 249};
        QCOMPARE(pt.GetCellRect(tr, 0, 0), (TRect{48, 2, 48 + W, 2 + H}));
        QCOMPARE(pt.VisibleLineCount(tr), (249 - 1 - 1) / H);
        QCOMPARE(pt.VisiblePosCount(tr), (349 - 1 + W / 2 - 48) / W);
        QCOMPARE(pt.CharFromPos(tr, QPoint(48 + 2 * W + W / 2 + 1, 2 + H), 5, 10), QPoint(7, 11));
        QCOMPARE(pt.CaretCellFromPos(tr, QPoint(48 + 2 * W + W / 2 + 1, 2 + H), 5, 10), QPoint(8, 11));
        QCOMPARE(pt.CaretCellFromPos(tr, QPoint(48 + 2 * W + W / 2 - 1, 2 + H), 0, 0), QPoint(2, 1));
        pt.FCellSize = QSize(0, 0);
        QCOMPARE(pt.CharFromPos(tr, QPoint(100, 100), 0, 0), QPoint(1, 1));
        QCOMPARE(pt.VisibleLineCount(tr), 0);
        QCOMPARE(pt.VisiblePosCount(tr), 0);
    }

    void proportionalFaceFallsBackToFixed() {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(13);
        FPainter->SetFont(f);
        const QFontMetrics fm(FPainter->Font());
        QCOMPARE(fm.horizontalAdvance(u'W'), fm.horizontalAdvance(u'i'));
        QCOMPARE(FPainter->FCellSize.width(), fm.horizontalAdvance(u'W'));
    }

    void emptyText() {
        const QImage img = Render();
        QCOMPARE(img.pixel(0, 0), qRgb(0xA3, 0xA3, 0xA3));         // border
        QCOMPARE(img.pixel(46, 100), qRgb(0xA3, 0xA3, 0xA3));      // gutter separator
        QCOMPARE(img.pixel(MarginX(), 1), qRgb(0xE2, 0xE2, 0xE2)); // full-height margin
        QCOMPARE(img.pixel(MarginX() + 1, 290), qRgb(0xE2, 0xE2, 0xE2));
        QCOMPARE(img.pixel(MarginX() + 2, 150), qRgb(255, 255, 255));
        const auto span = InkSpan(img, 1, 46, 2, 2 + H); // the number 1, in the slot's fourth place
        QVERIFY(span.first >= 1 + 3 * W && span.second < 1 + 4 * W + 1);
        QCOMPARE(img.pixel(300, 200), qRgb(255, 255, 255));
    }

    void lineNumbersAreRightAligned() {
        QStringList lines;
        for (int i = 0; i < 1300; ++i)
            lines << QStringLiteral("x");
        FLines.SetLines(lines);
        FState.TopLine = 1225;
        const QImage img = Render();
        auto rowSpan = [&](int row) { return InkSpan(img, 1, 46, 2 + row * H, 2 + (row + 1) * H); };
        const auto n1234 = rowSpan(8);
        QVERIFY2(n1234.first >= 1 && n1234.first < 1 + W, qPrintable(QString::number(n1234.first)));
        QVERIFY(n1234.second < 1 + 4 * W + 1);
        FState.TopLine = 0;
        const QImage top = Render();
        const auto n7 = InkSpan(top, 1, 46, 2 + 6 * H, 2 + 7 * H);
        QVERIFY(n7.first >= 1 + 3 * W && n7.second < 1 + 4 * W + 1);
        const auto n10 = InkSpan(top, 1, 46, 2 + 9 * H, 2 + 10 * H);
        QVERIFY(n10.first >= 1 + 2 * W && n10.first < 1 + 3 * W);
    }

    void selectionSplitsRun() {
        FLines.SetLines({QStringLiteral("Item1=PRD Production"), QStringLiteral("x 3200 y")});
        FState.SelStartX = 2;
        FState.SelEndX = 5;
        const QImage img = Render();
        const QRgb white = qRgb(255, 255, 255), navy = qRgb(0, 0, 128);
        QCOMPARE(CellBk(img, 1, 0), white);
        QCOMPARE(CellBk(img, 2, 0), navy);
        QCOMPARE(CellBk(img, 4, 0), navy);
        QCOMPARE(CellBk(img, 5, 0), white);
        // selected text is white on navy, with nothing else in between
        const TRect c = FPainter->GetCellRect(Text(), 2, 0);
        int whiteInk = 0;
        for (int y = c.Top; y < c.Bottom; ++y)
            for (int x = c.Left; x < c.Left + 3 * W; ++x) {
                const QColor px(img.pixel(x, y));
                QVERIFY(px.blue() >= 128 && px.red() == px.green());
                whiteInk += px.red() > 200 ? 1 : 0;
            }
        QVERIFY(whiteInk > 0);
    }

    void selectionAcrossLinesAndReversed() {
        FLines.SetLines({QStringLiteral("abcdef"), QStringLiteral("ghijkl"), QStringLiteral("mnopqr")});
        FState.SelStartX = 3; // stored with the anchor below the moving end
        FState.SelStartY = 2;
        FState.SelEndX = 4;
        FState.SelEndY = 0;
        const QImage img = Render();
        const QRgb white = qRgb(255, 255, 255), navy = qRgb(0, 0, 128);
        QCOMPARE(CellBk(img, 3, 0), white);
        QCOMPARE(CellBk(img, 4, 0), navy);
        QCOMPARE(CellBk(img, 0, 1), navy);
        QCOMPARE(CellBk(img, 5, 1), navy);
        QCOMPARE(CellBk(img, 6, 1), white); // beyond the line end nothing is selected
        QCOMPARE(CellBk(img, 2, 2), navy);
        QCOMPARE(CellBk(img, 3, 2), white);
    }

    void selectedEmptyLineShowsOneCell_data() {
        QTest::addColumn<int>("line");
        QTest::newRow("line 3") << 3;
        QTest::newRow("line 300") << 300;
    }
    void selectedEmptyLineShowsOneCell() {
        QFETCH(int, line);
        QStringList lines;
        for (int i = 0; i < 400; ++i)
            lines << QStringLiteral("text");
        lines[line] = QString();
        FLines.SetLines(lines);
        FState.TopLine = line - 2;
        FState.SelStartX = 1;
        FState.SelStartY = line - 1;
        FState.SelEndX = 2;
        FState.SelEndY = line + 1;
        const QImage img = Render();
        QCOMPARE(CellBk(img, 0, 2), qRgb(0, 0, 128));
        QCOMPARE(CellBk(img, 1, 2), qRgb(255, 255, 255));
    }

    void runColours() {
        FLines.SetLines({QStringLiteral("x 3200"), QStringLiteral("#0 comment #0"), QStringLiteral("plain")});
        const QImage img = Render();
        const TRect num = FPainter->GetCellRect(Text(), 2, 0);
        bool blue = false;
        for (int y = num.Top; y < num.Bottom; ++y)
            for (int x = num.Left; x < num.Left + 4 * W; ++x) {
                const QColor c(img.pixel(x, y));
                blue |= c.blue() > 200 && c.red() < 100;
            }
        QVERIFY(blue);
        const TRect com = FPainter->GetCellRect(Text(), 0, 1);
        QCOMPARE(InkSpan(img, com.Left, com.Left + 13 * W, com.Top, com.Bottom).first,
                 INT_MAX); // silver only
        const TRect plain = FPainter->GetCellRect(Text(), 0, 2);
        QVERIFY(InkSpan(img, plain.Left, plain.Left + 5 * W, plain.Top, plain.Bottom).first != INT_MAX);
    }

    void marginLineIsContinuous_data() {
        QTest::addColumn<int>("leftCol");
        QTest::newRow("at the top left") << 0;
        QTest::newRow("scrolled right") << 10;
    }
    void marginLineIsContinuous() {
        QFETCH(int, leftCol);
        QStringList lines;
        for (int i = 0; i < 100; ++i)
            lines << QStringLiteral("short");
        FLines.SetLines(lines);
        FState.LeftCol = leftCol;
        const QImage img = Render();
        const int lastRow = 2 + FPainter->VisibleLineCount(Text()) * H;
        for (int y = 2; y < lastRow; ++y) {
            QCOMPARE(img.pixel(MarginX(), y), qRgb(0xE2, 0xE2, 0xE2));
            QCOMPARE(img.pixel(MarginX() + 1, y), qRgb(0xE2, 0xE2, 0xE2));
        }
        QCOMPARE(img.pixel(MarginX() + 2, 2 + 3 * H), qRgb(255, 255, 255));
    }

    void longLineIsDrawnWhereverScrolled() {
        QString line;
        for (int i = 0; i < 500; ++i)
            line += QStringLiteral("abcdefghi ");
        FLines.SetLines({line});
        FState.LeftCol = 4000;
        FState.SelStartX = 4003;
        FState.SelEndX = 4005;
        const QImage img = Render();
        QCOMPARE(CellBk(img, 4003, 0), qRgb(0, 0, 128));
        const TRect r = FPainter->GetCellRect(Text(), 0, 0);
        const auto ink = InkSpan(img, r.Left, r.Left + 60 * W, r.Top, r.Bottom);
        QVERIFY(ink.first < r.Left + W && ink.second > r.Left + 55 * W);
    }

    void nothingDrawnInsideUpdateBracket() {
        FLines.SetLines({QStringLiteral("abc")});
        FState.UpdateLocked = true;
        const QImage img = Render();
        QCOMPARE(img.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(img.pixel(100, 10), qRgb(255, 0, 0));
    }

    void caretIsTwoPixelsWide() {
        FLines.SetLines({QStringLiteral("    ")});
        FState.CurX = 2;
        FState.CaretShown = true;
        const QImage img = Render();
        const TRect c = FPainter->GetCellRect(Text(), 2, 0);
        QCOMPARE(img.pixel(c.Left, c.Top + 3), qRgb(0, 0, 0));
        QCOMPARE(img.pixel(c.Left + 1, c.Top + 3), qRgb(0, 0, 0));
        QCOMPARE(img.pixel(c.Left + 2, c.Top + 3), qRgb(255, 255, 255));
    }
};

QTEST_MAIN(TestPainting)
#include "test_painting.moc"
