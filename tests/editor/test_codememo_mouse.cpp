#include "MemoWindow.h"

#include <QUrl>

class TestCodeMemoMouse : public QObject {
    Q_OBJECT

    std::unique_ptr<TMemoWindow> F;
    QList<QUrl> FOpened;

private Q_SLOTS:
    void init() {
        F = std::make_unique<TMemoWindow>();
        FOpened.clear();
        F->Memo->FOpenURL = [this](const QUrl &u) {
            FOpened << u;
            return true;
        };
    }
    void cleanup() { F.reset(); }

    void clickRoundsToNearestCell_data() {
        QTest::addColumn<int>("dx"); // pixels right of the cell's left edge
        QTest::addColumn<QString>("caret");
        QTest::newRow("left half") << 1 << "3,1";
        QTest::newRow("right half") << -1 << "4,1"; // from the next cell's left edge
    }
    void clickRoundsToNearestCell() {
        QFETCH(int, dx);
        QFETCH(QString, caret);
        Fill(*F->Memo, QStringLiteral("abcdefgh/ijklmnop"));
        // a point inside cell 3: its left half rounds to 3, its right half to 4
        const QPoint p = F->Edge(3, 1) + QPoint(dx > 0 ? 1 : F->W() - 1, 0);
        F->Click(p);
        QCOMPARE(F->Caret(), caret);
    }

    void clickBeyondLineEndPads() {
        Fill(*F->Memo, QStringLiteral("0123456789"));
        F->Click(F->Edge(15, 0));
        QCOMPARE(F->Caret(), QStringLiteral("15,0"));
        QCOMPARE(F->Memo->Lines().Get(0), QStringLiteral("0123456789     "));
    }

    void clickBelowTheTextTakesLastLine() {
        Fill(*F->Memo, QStringLiteral("ab/cd"));
        F->Click(F->Edge(1, 6));
        QCOMPARE(F->Caret(), QStringLiteral("1,1"));
    }

    void shiftClickExtends() {
        Fill(*F->Memo, QStringLiteral("abcdefgh/ijklmnop"));
        F->Click(F->Edge(2, 0));
        F->Click(F->Edge(5, 1), Qt::ShiftModifier);
        QCOMPARE(F->Selection(), QStringLiteral("2,0-5,1"));
        QCOMPARE(F->Memo->GetSelection(), QStringLiteral("cdefgh\r\nijklm"));
    }

    void gutterClickKeepsColumn() {
        Fill(*F->Memo, QStringLiteral("abcdefgh/ijklmnop/qr"));
        F->Click(F->Edge(5, 0));
        F->Click(QPoint(10, F->Cell(0, 2).y()));
        QCOMPARE(F->Caret(), QStringLiteral("5,2"));
        QVERIFY(!F->Memo->SelAvail());
        QCOMPARE(F->Memo->Lines().Get(2), QStringLiteral("qr")); // no padding from the gutter
    }

    void dragSelects() {
        Fill(*F->Memo, QStringLiteral("abcdefgh/ijklmnop"));
        F->Press(F->Edge(1, 0));
        F->Move(F->Edge(3, 1), Qt::LeftButton); // quick drags arrive as one move
        F->Release(F->Edge(3, 1));
        QCOMPARE(F->Selection(), QStringLiteral("1,0-3,1"));
        QCOMPARE(F->Caret(), QStringLiteral("3,1"));
    }

    void dragBeyondLineEndDoesNotPad() {
        Fill(*F->Memo, QStringLiteral("abcdefgh/ij"));
        F->Press(F->Edge(1, 0));
        F->Move(F->Edge(2, 0), Qt::LeftButton);
        F->Move(F->Edge(9, 1), Qt::LeftButton);
        F->Release(F->Edge(9, 1));
        QCOMPARE(F->Caret(), QStringLiteral("2,1"));
        QCOMPARE(F->Memo->Lines().Get(1), QStringLiteral("ij"));
    }

    void dragBelowScrolls() {
        QStringList lines;
        for (int i = 0; i < 200; ++i)
            lines << QStringLiteral("line %1").arg(i);
        Fill(*F->Memo, lines.join(u'/'));
        F->Press(F->Edge(0, 0));
        F->Move(F->Edge(1, 0), Qt::LeftButton);
        const QPoint below(F->Edge(2, 0).x(), F->Port()->height() - 2);
        for (int i = 0; i < 5; ++i)
            F->Move(below, Qt::LeftButton);
        F->Release(below);
        QVERIFY(F->Memo->TopLine() > 0);
        QVERIFY(F->Memo->CurY() >= F->Memo->VisibleLineCount());
        QCOMPARE(F->Memo->FSelStartY, 0);
    }

    void clickInsideSelectionCollapsesOnRelease() {
        Fill(*F->Memo, QStringLiteral("abcdefgh"));
        F->Memo->Select(1, 0, 6, 0);
        F->Press(F->Edge(3, 0));
        QVERIFY(F->Memo->SelAvail()); // a drag may still follow
        F->Release(F->Edge(3, 0));
        QVERIFY(!F->Memo->SelAvail());
        QCOMPARE(F->Caret(), QStringLiteral("3,0"));
    }

    void doubleClick_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("selected");
        QTest::newRow("first letter") << "Item1=PRD Production" << 10 << "Production";
        QTest::newRow("inside, across =") << "Item1=PRD Production" << 2 << "Item1=PRD";
        QTest::newRow("space") << "ab  cd" << 2 << "";
        QTest::newRow("beyond the end") << "ab" << 5 << "";
        QTest::newRow("delimiters") << "a.b,c" << 2 << "b";
    }
    void doubleClick() {
        QFETCH(QString, line);
        QFETCH(int, col);
        QFETCH(QString, selected);
        Fill(*F->Memo, line + QStringLiteral("/x"));
        F->DoubleClick(F->Edge(col, 0) + QPoint(1, 0));
        QCOMPARE(F->Memo->GetSelection(), selected);
        if (!selected.isEmpty())
            QCOMPARE(F->Memo->CurX(), int(line.indexOf(selected) + selected.size()));
    }

    void urlClick_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("opened");
        QTest::newRow("web") << "see http://sap.example.com/x ok"
                             << "http://sap.example.com/x";
        QTest::newRow("www") << "see www.example.com ok"
                             << "http://www.example.com";
        QTest::newRow("file URL stays closed") << "see file:///usr/bin/xterm ok"
                                               << "";
        QTest::newRow("file URL in capitals") << "see FILE://c:/x.exe ok"
                                              << "";
        QTest::newRow("not at the word start") << "see a=http://x ok"
                                               << "";
    }
    void urlClick() {
        QFETCH(QString, line);
        QFETCH(QString, opened);
        F->Memo->Lines().SetText(line); // not Fill: the URLs hold slashes
        F->Click(F->Edge(6, 0));
        QCOMPARE(F->Caret(), QStringLiteral("6,0"));
        QCOMPARE(FOpened.size(), opened.isEmpty() ? 0 : 1);
        if (!opened.isEmpty())
            QCOMPARE(FOpened.first(), QUrl(opened));
    }

    void pointerShapes() {
        Fill(*F->Memo, QStringLiteral("ab www.x cd"));
        F->Memo->Select(0, 0, 2, 0);
        F->Move(F->Cell(4, 0));
        QCOMPARE(F->Port()->cursor().shape(), Qt::PointingHandCursor);
        F->Move(F->Cell(1, 0));
        QCOMPARE(F->Port()->cursor().shape(), Qt::ArrowCursor);
        F->Move(F->Cell(10, 0));
        QCOMPARE(F->Port()->cursor().shape(), Qt::IBeamCursor);
    }

    void dropMovesAndCopies_data() {
        QTest::addColumn<QString>("sel"); // x1,x2 on line 0
        QTest::addColumn<int>("dropCol");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("selected");
        QTest::newRow("move later") << "0,4" << 14 << false << "two three one "
                                    << "one ";
        QTest::newRow("move earlier") << "8,14" << 4 << false << "one three two "
                                      << "three ";
        QTest::newRow("copy") << "0,4" << 14 << true << "one two three one "
                              << "one ";
    }
    void dropMovesAndCopies() {
        QFETCH(QString, sel);
        QFETCH(int, dropCol);
        QFETCH(bool, copy);
        QFETCH(QString, after);
        QFETCH(QString, selected);
        const QString before = QStringLiteral("one two three ");
        Fill(*F->Memo, before);
        F->Memo->Select(sel.section(u',', 0, 0).toInt(), 0, sel.section(u',', 1, 1).toInt(), 0);
        QVERIFY(F->Memo->DropSelection(QPoint(dropCol, 0), copy));
        QCOMPARE(Joined(*F->Memo), after);
        QCOMPARE(F->Memo->GetSelection(), selected);
        F->Memo->Undo(); // one step takes it all back
        QCOMPARE(Joined(*F->Memo), before);
        F->Memo->Redo();
        QCOMPARE(Joined(*F->Memo), after);
    }

    void dropOntoItselfChangesNothing() {
        Fill(*F->Memo, QStringLiteral("one two"));
        F->Memo->Select(0, 0, 5, 0);
        QVERIFY(!F->Memo->DropSelection(QPoint(2, 0), false));
        QCOMPARE(Joined(*F->Memo), QStringLiteral("one two"));
        F->Memo->ReadOnly = true;
        QVERIFY(!F->Memo->DropSelection(QPoint(7, 0), false));
    }

    void dropAcrossLines() {
        Fill(*F->Memo, QStringLiteral("ab/cd/ef"));
        F->Memo->Select(1, 0, 1, 1); // "b", line break, "c"
        QVERIFY(F->Memo->DropSelection(QPoint(2, 2), false));
        QCOMPARE(Joined(*F->Memo), QStringLiteral("ad/efb/c"));
        F->Memo->Undo();
        QCOMPARE(Joined(*F->Memo), QStringLiteral("ab/cd/ef"));
    }
};

QTEST_MAIN(TestCodeMemoMouse)
#include "test_codememo_mouse.moc"
