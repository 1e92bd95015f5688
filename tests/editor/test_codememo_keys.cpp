#include "EditScript.h"
#include "editor/CodeMemo.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

// Real key events through the widget: proves the key map reaches the editing model.
class TestCodeMemoKeys : public QObject {
    Q_OBJECT

    QWidget *FWindow = nullptr;
    TCodeMemo *FMemo = nullptr;
    QLineEdit *FNext = nullptr;

private Q_SLOTS:
    void init() {
        FWindow = new QWidget;
        auto *layout = new QVBoxLayout(FWindow);
        FMemo = new TCodeMemo(FWindow);
        FNext = new QLineEdit(FWindow);
        layout->addWidget(FMemo);
        layout->addWidget(FNext);
        FWindow->resize(500, 400);
        FWindow->show();
        FMemo->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(FWindow));
    }
    void cleanup() { delete FWindow; }

    void keys_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("keys"); // key sequences as QKeySequence spells them
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("caret");
        QTest::newRow("typing and Enter keep the indent")
            << "  ab" << QStringList{"End", "X", "Return", "Y"} << "  abx/  y"
            << "3,1";
        QTest::newRow("Backspace") << "abc" << QStringList{"End", "Backspace"} << "ab"
                                   << "2,0";
        QTest::newRow("Ctrl+Backspace") << "ab cd" << QStringList{"End", "Ctrl+Backspace"} << "ab "
                                        << "3,0";
        QTest::newRow("Delete") << "abc" << QStringList{"Del"} << "bc"
                                << "0,0";
        QTest::newRow("Tab stays in the view") << "ab" << QStringList{"Tab"} << "    ab"
                                               << "4,0";
        QTest::newRow("Shift+Tab unindents a block")
            << "    a/    b" << QStringList{"Shift+Down", "Shift+End", "Shift+Tab"} << "a/b"
            << "5,1";
        QTest::newRow("Ctrl+Z") << "" << QStringList{"A", "B", "Ctrl+Z"} << ""
                                << "0,0";
        QTest::newRow("Ctrl+Y") << "" << QStringList{"A", "Ctrl+Z", "Ctrl+Y"} << "a"
                                << "1,0";
        QTest::newRow("Alt+Backspace undoes, Alt+Shift+Backspace redoes")
            << "" << QStringList{"A", "Alt+Backspace", "Alt+Shift+Backspace"} << "a"
            << "1,0";
        QTest::newRow("Insert toggles overwrite") << "abc" << QStringList{"Ins", "X"} << "xbc"
                                                  << "1,0";
        QTest::newRow("Ctrl+A then typing replaces everything")
            << "ab/cd" << QStringList{"Ctrl+A", "Z"} << "z"
            << "1,0";
        QTest::newRow("Right pads into virtual space")
            << "ab" << QStringList{"End", "Right", "Right"} << "ab  "
            << "4,0";
        QTest::newRow("Ctrl+End and Ctrl+Home")
            << "ab/cd/ef" << QStringList{"Ctrl+End", "X", "Ctrl+Home", "Y"} << "yab/cd/efx"
            << "1,0";
        QTest::newRow("Ctrl+Right word jump") << "ab cd" << QStringList{"Ctrl+Right", "X"} << "ab xcd"
                                              << "4,0";
        QTest::newRow("Ctrl+Enter does nothing") << "ab" << QStringList{"Ctrl+Return"} << "ab"
                                                 << "0,0";
    }

    void keys() {
        QFETCH(QString, text);
        QFETCH(QStringList, keys);
        QFETCH(QString, expected);
        QFETCH(QString, caret);
        Fill(*FMemo, text);
        for (const QString &k : keys) {
            const QKeyCombination c = QKeySequence::fromString(k)[0];
            QTest::keyClick(FMemo, c.key(), c.keyboardModifiers());
        }
        QCOMPARE(Joined(*FMemo), expected);
        QCOMPARE(QStringLiteral("%1,%2").arg(FMemo->CurX()).arg(FMemo->CurY()), caret);
        QVERIFY(FMemo->hasFocus());
    }

    void nonAsciiCharacters() {
        Fill(*FMemo, QString());
        for (QChar ch : QStringLiteral("é€"))
            QTest::sendKeyEvent(QTest::Click, FMemo, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QCOMPARE(Joined(*FMemo), QStringLiteral("é€"));
    }

    void geometry() {
        const QSize cell = FMemo->FCellSize;
        QVERIFY(cell.width() > 0 && cell.height() > 0);
        const QRect t = FMemo->GetTextRect();
        QCOMPARE(FMemo->GetCellRect(0, 0).top(), 2);
        QCOMPARE(FMemo->GetCellRect(3, 2).left(), t.left() + 3 * cell.width());
        QCOMPARE(FMemo->VisibleLineCount(), (t.bottom() - t.top()) / cell.height());
        QVERIFY(FMemo->VisiblePosCount() > 0);
        QCOMPARE(FMemo->CharFromPos(FMemo->GetCellRect(3, 2).center()), QPoint(3, 2));
    }

    void regenerationUpdatesScrollBars() {
        Fill(*FMemo, "a");
        QCOMPARE(FMemo->verticalScrollBar()->maximum(), 0);
        QStringList lines(500, QStringLiteral("Item=value"));
        Fill(*FMemo, lines.join('/')); // as the document regenerates: Clear and Add in one bracket
        QVERIFY(FMemo->verticalScrollBar()->maximum() > 0);
        QCOMPARE(FMemo->CurY(), 0);
    }

    void caretScrollsIntoView() {
        QStringList lines;
        for (int i = 0; i < 500; ++i)
            lines << QStringLiteral("line %1").arg(i);
        Fill(*FMemo, lines.join('/'));
        QTest::keyClick(FMemo, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(FMemo->CurY(), 499);
        QVERIFY(FMemo->TopLine() > 0);
        QVERIFY(FMemo->TopLine() + FMemo->VisibleLineCount() > 499);
        QCOMPARE(FMemo->verticalScrollBar()->value(), FMemo->TopLine());
        QTest::keyClick(FMemo, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(FMemo->TopLine(), 0);
    }
};

QTEST_MAIN(TestCodeMemoKeys)
#include "test_codememo_keys.moc"
