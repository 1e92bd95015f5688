#include "MemoWindow.h"
#include "highlight/MemoStyler.h"

#include <QScrollBar>
#include <QWheelEvent>

// Scrolling and what the view shows, looked at in grabbed pictures of the view.
class TestCodeMemoView : public QObject {
    Q_OBJECT

    std::unique_ptr<TIniMemoStyler> FStyler;
    std::unique_ptr<TMemoWindow> F;

    void Lines(int n, const QString &pattern = QStringLiteral("Item%1=PRD")) {
        QStringList l;
        for (int i = 0; i < n; ++i)
            l << pattern.arg(i);
        Fill(*F->Memo, l.join(u'/'));
        F->Memo->UpdateScrollBars();
    }
    void Wheel(int notches) {
        const QPoint pos = F->Cell(2, 2);
        QWheelEvent e(pos, F->Port()->mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(F->Port(), &e);
    }
    // Whether a text row shows black ink (plain text) rather than only lighter comment grey.
    bool RowHasBlackInk(int row) {
        const QImage img = F->Shot();
        const QRect r = F->Memo->GetCellRect(0, row);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x < r.left() + 8 * F->W(); ++x)
                if (qGray(img.pixel(x, y)) < 60)
                    return true;
        return false;
    }

private Q_SLOTS:
    void init() {
        FStyler = CreateIniMemoStyler();
        F = std::make_unique<TMemoWindow>(QSize(800, 400));
        F->Memo->SetSyntaxStyles(FStyler.get());
    }
    void cleanup() { F.reset(); }

    void verticalRange() {
        Lines(200);
        QScrollBar *v = F->Memo->verticalScrollBar();
        const int visible = F->Memo->VisibleLineCount();
        QCOMPARE(v->minimum(), 0);
        QCOMPARE(v->maximum(), 199);
        QCOMPARE(v->pageStep(), visible);
        F->Memo->SetTopLine(50);
        QCOMPARE(v->value(), 50);
        v->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(F->Memo->TopLine(), 50 + 1 + visible);
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(F->Memo->TopLine(), 50 + visible);
    }

    void shortTextHidesVerticalBar() {
        Lines(5);
        QCOMPARE(F->Memo->verticalScrollBar()->maximum(), 0);
        QCOMPARE(F->Memo->TopLine(), 0);
    }

    void shrinkingTextScrollsBackToTheTop() {
        Lines(200);
        F->Memo->SetTopLine(150);
        F->Memo->SetCurY(160);
        F->Memo->SetCurX(3);
        F->Memo->Lines().BeginUpdate();
        for (int i = 199; i >= 5; --i)
            F->Memo->Lines().Delete(i);
        F->Memo->Lines().EndUpdate();
        F->Memo->UpdateScrollBars();
        QCOMPARE(F->Memo->TopLine(), 0);
        QCOMPARE(F->Memo->verticalScrollBar()->maximum(), 0);
        QCOMPARE(F->Memo->CurX(), 3); // the caret keeps its column
    }

    void horizontalRange() {
        Fill(*F->Memo, QString(300, u'x'));
        F->Memo->RecalcMaxLength();
        F->Memo->UpdateScrollBars();
        QScrollBar *h = F->Memo->horizontalScrollBar();
        const int cols = F->Memo->VisiblePosCount();
        QCOMPARE(h->maximum(), 300 - cols + 1);
        QCOMPARE(h->pageStep(), cols + 1);
        h->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(F->Memo->LeftCol(), 10);
    }

    void topLineBeyondTheEnd() {
        Lines(200);
        F->Memo->SetTopLine(1000);
        QCOMPARE(F->Memo->TopLine(), 199);
    }

    void wheel() {
        Lines(200);
        Wheel(-1);
        QCOMPARE(F->Memo->TopLine(), 4);
        Wheel(-2);
        QCOMPARE(F->Memo->TopLine(), 12);
        Wheel(1);
        QCOMPARE(F->Memo->TopLine(), 8);
        Wheel(3);
        QCOMPARE(F->Memo->TopLine(), 0);
    }

    void wheelOnShortTextMovesCaretHome() {
        Lines(5);
        F->Memo->SetCurY(3);
        F->Memo->SetCurX(2);
        Wheel(-1);
        QCOMPARE(F->Memo->TopLine(), 0);
        QCOMPARE(F->Caret(), QStringLiteral("0,0"));
    }

    void commentCarriedIntoTheTopLine() {
        Lines(200);
        F->Memo->Lines().Put(5, QStringLiteral("Item5=Server #01"));
        Wheel(-10);
        QCOMPARE(F->Memo->TopLine(), 40);
        QVERIFY(!RowHasBlackInk(0));
        F->Memo->Lines().Put(5, QStringLiteral("Item5=Server 01")); // above the top line
        QVERIFY(RowHasBlackInk(0));
    }

    void editOnScreenReachesLinesBelow() {
        Lines(200);
        Wheel(-10); // start states of lines 20 and 40 are cached now
        QVERIFY(RowHasBlackInk(0));
        Wheel(10);
        QCOMPARE(F->Memo->TopLine(), 0);
        F->Memo->SetCurY(2);
        F->Memo->SetCurX(0);
        F->Memo->KeyPress(u'#');
        F->Memo->KeyPress(u'0');
        QVERIFY(!RowHasBlackInk(3));
        Wheel(-10);
        QVERIFY(!RowHasBlackInk(0));
    }

    void picture() {
        Lines(60);
        F->Memo->Select(2, 1, 5, 1);
        const QImage img = F->Shot();
        const int w = F->W(), h = F->H();
        const QRect c = F->Memo->GetCellRect(3, 1);
        QCOMPARE(img.pixel(c.left(), c.top()), qRgb(0, 0, 128));
        QCOMPARE(img.pixel(F->Memo->GetCellRect(6, 1).left(), c.top()), qRgb(255, 255, 255));
        QCOMPARE(img.pixel(51 + 80 * w, 10 * h), qRgb(0xE2, 0xE2, 0xE2)); // right margin
        QCOMPARE(img.pixel(46, 30), qRgb(0xA3, 0xA3, 0xA3));              // gutter edge
        int ink = INT_MAX;                                                // "2" of line 2, right-aligned
        for (int y = 2 + h; y < 2 + 2 * h; ++y)
            for (int x = 1; x < 46; ++x)
                if (qGray(img.pixel(x, y)) < 128)
                    ink = qMin(ink, x);
        QVERIFY(ink >= 1 + 3 * w && ink < 1 + 4 * w);
        F->Memo->Lines().Put(30, QString(200, u'x'));
        F->Memo->RecalcMaxLength();
        F->Memo->SetLeftCol(10);
        QCOMPARE(F->Memo->LeftCol(), 10);
        QCOMPARE(F->Shot().pixel(51 + 70 * w, 10 * h), qRgb(0xE2, 0xE2, 0xE2));
    }
};

QTEST_MAIN(TestCodeMemoView)
#include "test_codememo_view.moc"
