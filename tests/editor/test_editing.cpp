#include "EditScript.h"
#include "editor/HeadlessCodeMemoView.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>

namespace {

QString CaretOf(const TCodeMemoModel &m) {
    return QStringLiteral("%1,%2").arg(m.CurX()).arg(m.CurY());
}

QString SelectionOf(const TCodeMemoModel &m) {
    if (!m.SelAvail())
        return QStringLiteral("-");
    return QStringLiteral("%1,%2,%3,%4").arg(m.FSelStartX).arg(m.FSelStartY).arg(m.FSelEndX).arg(m.FSelEndY);
}

} // namespace

// Caret, selection, keys and undo of the text view's editing model, one key script per row.
class TestEditing : public QObject {
    Q_OBJECT

    static void AddColumns() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("caret");
        QTest::addColumn<QString>("selection"); // anchor and moving end; "-" none; "" not checked
    }

    static void Check() {
        QFETCH(QString, text);
        QFETCH(QString, script);
        QFETCH(QString, expected);
        QFETCH(QString, caret);
        QFETCH(QString, selection);
        THeadlessCodeMemoView m;
        Fill(m, text);
        RunScript(m, script);
        QCOMPARE(Joined(m), expected);
        QCOMPARE(CaretOf(m), caret);
        if (!selection.isEmpty())
            QCOMPARE(SelectionOf(m), selection);
        QCOMPARE(m.Lines().ListLengths().size(), m.Lines().Count());
        for (int i = 0; i < m.Lines().Count(); ++i)
            QCOMPARE(m.Lines().ListLengths().at(i), m.Lines().Get(i).size());
    }

private Q_SLOTS:
    // clang-format off
    void navigation_data() {
        AddColumns();
        QTest::newRow("Right at the end pads one space") << "abc" << "at:3,0 right" << "abc " << "4,0" << "-";
        QTest::newRow("one undo removes that space") << "abc" << "at:3,0 right undo" << "abc" << "3,0" << "";
        QTest::newRow("Down keeps the column in virtual space") << "0123456789xy/ab" << "at:10,0 down" << "0123456789xy/ab" << "10,1" << "-";
        QTest::newRow("typing in virtual space pads the line") << "0123456789xy/ab" << "at:10,0 down t:x" << "0123456789xy/ab        x" << "11,1" << "-";
        QTest::newRow("Left at column 0 goes to the end of the previous line") << "abc/d" << "at:0,1 left" << "abc/d" << "3,0" << "-";
        QTest::newRow("Left on the very first column stays") << "abc" << "left" << "abc" << "0,0" << "-";
        QTest::newRow("Up on the first line stays") << "abc/d" << "at:2,0 up" << "abc/d" << "2,0" << "-";
        QTest::newRow("End stops before trailing blanks") << "ab   " << "end" << "ab   " << "2,0" << "-";
        QTest::newRow("Home goes to column 0") << "   ab" << "at:4,0 home" << "   ab" << "0,0" << "-";
        QTest::newRow("Ctrl+Right to the next word") << "ab cd  ef" << "cright" << "ab cd  ef" << "3,0" << "-";
        QTest::newRow("Ctrl+Right skips a run of blanks") << "ab cd  ef" << "cright cright" << "ab cd  ef" << "7,0" << "-";
        QTest::newRow("Ctrl+Right at the end goes to the next line") << "ab/cd" << "at:2,0 cright" << "ab /cd" << "0,1" << "-";
        QTest::newRow("Ctrl+Left to the word start") << "ab cd" << "at:5,0 cleft" << "ab cd" << "3,0" << "-";
        QTest::newRow("Ctrl+Left twice to the line start") << "ab cd" << "at:5,0 cleft cleft" << "ab cd" << "0,0" << "-";
        QTest::newRow("Ctrl+Left at column 0 to the previous line end") << "ab/cd" << "at:0,1 cleft" << "ab/cd" << "2,0" << "-";
        QTest::newRow("Shift+Right extends") << "abcd" << "at:1,0 sright sright" << "abcd" << "3,0" << "1,0,3,0";
        QTest::newRow("a plain move collapses") << "abcd" << "at:1,0 sright right" << "abcd" << "3,0" << "-";
        QTest::newRow("Ctrl+Shift+End from the anchor to the end of the text") << "ab/cdef/gh" << "at:2,1 scend" << "ab/cdef/gh" << "2,2" << "2,1,2,2";
        QTest::newRow("Ctrl+Shift+Home keeps the anchor") << "ab/cdef/gh" << "at:1,1 sright schome" << "ab/cdef/gh" << "0,0" << "1,1,0,0";
        QTest::newRow("Shift+End selects to the end") << "abc  " << "at:1,0 send" << "abc  " << "3,0" << "1,0,3,0";
    }
    // clang-format on
    void navigation() { Check(); }

    // clang-format off
    void editing_data() {
        AddColumns();
        QTest::newRow("Enter keeps the indent and trims the rest") << "    ab  cd  " << "at:8,0 enter" << "    ab  /    cd" << "4,1" << "-";
        QTest::newRow("Enter beyond the end") << "  abcdefg/  ab" << "at:6,0 down enter" << "  abcdefg/  ab/  " << "2,2" << "-";
        QTest::newRow("Enter on an empty line") << "" << "enter enter" << "//" << "0,2" << "-";
        QTest::newRow("Backspace at column 0 joins") << "ab/cd" << "at:0,1 bs" << "abcd" << "2,0" << "-";
        QTest::newRow("Backspace at the very start does nothing") << "ab" << "bs" << "ab" << "0,0" << "-";
        QTest::newRow("Backspace in virtual space removes a padding blank") << "abcdefg/ab" << "at:5,0 down bs" << "abcdefg/ab  " << "4,1" << "-";
        QTest::newRow("Ctrl+Backspace deletes the word, keeps the blank") << "ab cd" << "at:5,0 cbs" << "ab " << "3,0" << "-";
        QTest::newRow("Ctrl+Backspace after a blank takes the word before it too") << "ab cd" << "at:3,0 cbs" << "cd" << "0,0" << "-";
        QTest::newRow("Ctrl+Backspace at column 0 joins") << "ab/cd" << "at:0,1 cbs" << "abcd" << "2,0" << "-";
        QTest::newRow("Ctrl+Backspace in virtual space keeps the next line") << "abcdefg/ab/cd" << "at:6,0 down cbs" << "abcdefg/ab   /cd" << "5,1" << "-";
        QTest::newRow("Delete joins the next line") << "ab/cd" << "at:2,0 del" << "abcd" << "2,0" << "-";
        QTest::newRow("Delete in virtual space pads, then joins") << "abcdefg/ab/cd" << "at:4,0 down del" << "abcdefg/ab  cd" << "4,1" << "-";
        QTest::newRow("Delete on the last line end does nothing") << "ab" << "at:2,0 del" << "ab" << "2,0" << "-";
        QTest::newRow("Tab inserts four blanks") << "ab" << "at:1,0 tab" << "a    b" << "5,0" << "-";
        QTest::newRow("Tab inside one line does not delete the selection") << "abcd" << "sel:1,0,3,0 tab" << "abc    d" << "7,0" << "-";
        QTest::newRow("Shift+Tab only moves the caret") << "abcdefgh" << "at:6,0 stab" << "abcdefgh" << "2,0" << "-";
        QTest::newRow("Tab indents the block, a column-0 end line left out") << "l0/line1/line2/line3/line4/line5" << "sel:3,2,0,5 tab" << "l0/line1/    line2/    line3/    line4/line5" << "0,5" << "3,2,0,5";
        QTest::newRow("Shift+Tab unindents up to four blanks") << "  a/      b/c" << "sel:0,0,1,2 stab" << "a/  b/c" << "1,2" << "0,0,1,2";
        QTest::newRow("typing replaces the selection") << "hello world" << "sel:0,0,5,0 t:X" << "X world" << "1,0" << "-";
        QTest::newRow("overwrite replaces") << "abc" << "at:1,0 ins t:X" << "aXc" << "2,0" << "-";
        QTest::newRow("overwrite at the end appends") << "ab" << "at:2,0 ins t:X" << "abX" << "3,0" << "-";
        QTest::newRow("paste over several lines") << "abcd" << "at:2,0 paste:x/y/z" << "abx/y/zcd" << "1,2" << "-";
        QTest::newRow("paste ending in a line break") << "abcd" << "at:2,0 paste:x/" << "abx/cd" << "0,1" << "-";
        QTest::newRow("paste over a selection") << "abcd" << "sel:1,0,3,0 paste:XY" << "aXYd" << "3,0" << "-";
        QTest::newRow("Delete removes a multi-line selection") << "abc/def/ghi" << "sel:1,0,2,2 del" << "ai" << "1,0" << "-";
        QTest::newRow("Enter first deletes the selection") << "abcd" << "sel:1,0,3,0 enter" << "a/d" << "0,1" << "-";
        QTest::newRow("Ctrl+A selects everything") << "ab/cde" << "t:\x01" << "ab/cde" << "0,0" << "0,0,3,1";
    }
    // clang-format on
    void editing() { Check(); }

    // clang-format off
    void undo_data() {
        AddColumns();
        QTest::newRow("a typing run with Enter is one step") << "    x" << "at:5,0 t:abc enter t:de undo" << "    x" << "5,0" << "";
        QTest::newRow("its redo brings the recorded indent back") << "    x" << "at:5,0 t:abc enter t:de undo redo" << "    xabc/    de" << "6,1" << "";
        QTest::newRow("moving away between letters makes two steps") << "" << "t:a left t:b undo" << "a" << "0,0" << "";
        QTest::newRow("three Deletes are one step") << "abcdef" << "at:1,0 del del del undo" << "abcdef" << "1,0" << "";
        QTest::newRow("three Deletes redone") << "abcdef" << "at:1,0 del del del undo redo" << "aef" << "1,0" << "";
        QTest::newRow("each Backspace is its own step") << "abcdef" << "at:4,0 bs bs bs undo" << "abef" << "1,0" << "";
        QTest::newRow("Ctrl+Backspace is one step") << "ab cd" << "at:5,0 cbs undo" << "ab cd" << "5,0" << "";
        QTest::newRow("a join undone") << "ab/cd" << "at:0,1 bs undo" << "ab/cd" << "2,0" << "";
        QTest::newRow("paste over a selection undone in one press, reselected") << "hello world" << "sel:0,0,5,0 paste:HI undo" << "hello world" << "5,0" << "0,0,5,0";
        QTest::newRow("and redone in one press") << "hello world" << "sel:0,0,5,0 paste:HI undo redo" << "HI world" << "2,0" << "";
        QTest::newRow("typing over a selection: first undo removes the letter") << "hello" << "sel:0,0,5,0 t:X undo" << "" << "0,0" << "";
        QTest::newRow("typing over a selection: second undo restores the text") << "hello" << "sel:0,0,5,0 t:X undo undo" << "hello" << "5,0" << "0,0,5,0";
        QTest::newRow("a new step discards the undone ones") << "" << "t:a undo t:b redo" << "b" << "1,0" << "";
        QTest::newRow("undo of Shift+Tab adds a full tab") << "  a/  b" << "sel:0,0,1,1 stab undo" << "    a/    b" << "1,1" << "";
        QTest::newRow("undo of an overwritten letter") << "abc" << "at:1,0 ins t:X undo" << "abc" << "1,0" << "";
        QTest::newRow("redo of an overwritten letter") << "abc" << "at:1,0 ins t:X undo redo" << "aXc" << "2,0" << "";
        QTest::newRow("undo of a multi-line deletion") << "abc/def/ghi" << "sel:1,0,2,2 del undo" << "abc/def/ghi" << "2,2" << "1,0,2,2";
        QTest::newRow("block indent undone") << "a/b/c" << "sel:0,0,1,2 tab undo" << "a/b/c" << "1,2" << "";
        QTest::newRow("nothing to undo") << "abc" << "undo redo" << "abc" << "0,0" << "-";
    }
    // clang-format on
    void undo() { Check(); }

    void historyLimit() {
        THeadlessCodeMemoView m;
        for (int i = 0; i < 101; ++i) {
            m.KeyPress(QLatin1Char('a'));
            m.MoveCaret(-1, 0, false); // every letter its own step
        }
        QCOMPARE(m.UndoList().Count(), 100);
        for (int i = 0; i < 150; ++i)
            m.Undo();
        QCOMPARE(Joined(m), QStringLiteral("a"));
        QVERIFY(!m.CanUndo());
    }

    void overwriteToggleIsUndone() {
        THeadlessCodeMemoView m;
        m.KeyPress(QLatin1Char('a'));
        m.ToggleOverwrite();
        QVERIFY(m.FOverwrite);
        m.Undo();
        QVERIFY(!m.FOverwrite);
        QCOMPARE(Joined(m), QStringLiteral("a")); // the toggle alone, not the letter
    }

    void regenerationKeepsHistory() {
        THeadlessCodeMemoView m;
        Fill(m, "[A]/Item1=x");
        RunScript(m, "at:7,1 t:yz");
        QVERIFY(m.CanUndo());
        Fill(m, "[A]/Item1=xyz/[B]"); // regenerated with the edit included
        QCOMPARE(CaretOf(m), QStringLiteral("0,0"));
        m.Undo();
        QCOMPARE(Joined(m), QStringLiteral("[A]/Item1=x/[B]"));

        m.Lines().LoadFromBytes("x");
        QVERIFY(!m.CanUndo()); // a load empties it
    }

    void insertedTextIsRemovedOnlyWhereItStillStands() {
        THeadlessCodeMemoView m;
        Fill(m, "ab");
        RunScript(m, "at:2,0 t:cd");
        Fill(m, "abXY"); // regenerated differently
        m.Undo();
        QCOMPARE(Joined(m), QStringLiteral("abXY"));
    }

    void offsets_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("back"); // position the offset maps back to
        QTest::newRow("start") << 0 << 0 << 0 << "0,0";
        QTest::newRow("second line") << 1 << 1 << 6 << "1,1";
        QTest::newRow("beyond the end maps to the end") << 9 << 0 << 3 << "3,0";
        QTest::newRow("last line") << 2 << 2 << 11 << "2,2";
    }

    void offsets() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, offset);
        QFETCH(QString, back);
        THeadlessCodeMemoView m;
        Fill(m, "abc/de/fgh");
        QCOMPARE(m.TextFromPos(x, y), offset);
        int bx, by;
        m.PosFromText(offset, bx, by);
        QCOMPARE(QStringLiteral("%1,%2").arg(bx).arg(by), back);
    }

    void selectionText() {
        THeadlessCodeMemoView m;
        Fill(m, "abc/def/ghi");
        m.Select(2, 2, 1, 0);
        QCOMPARE(m.GetSelection(), QStringLiteral("bc\r\ndef\r\ngh"));
        QCOMPARE(m.SelStart(), 1);
        QCOMPARE(m.SelLength(), 11);
        m.Select(1, 0, 0, 1);
        QCOMPARE(m.GetSelection(), QStringLiteral("bc\r\n"));
        m.SelectAll();
        QCOMPARE(m.GetSelection(), m.Lines().Text());
    }

    void pageKeys() {
        THeadlessCodeMemoView m;
        QStringList lines;
        for (int i = 0; i < 100; ++i)
            lines << QString::number(i);
        Fill(m, lines.join('/'));
        m.MovePage(1, false);
        QCOMPARE(m.CurY(), 40);
        QCOMPARE(m.TopLine(), 40);
        m.MovePage(1, false);
        m.MovePage(1, false);
        QCOMPARE(m.CurY(), 99);
        QCOMPARE(m.TopLine(), 60);
        m.MovePage(-1, false, true);
        QCOMPARE(CaretOf(m), QStringLiteral("0,0"));

        m.ScrollLines(1); // Ctrl+Down: a caret above the new top line follows it
        QCOMPARE(m.TopLine(), 1);
        QCOMPARE(m.CurY(), 1);
        m.SetCurY(40);
        m.ScrollLines(-1); // Ctrl+Up: the caret just below the visible lines moves up one
        QCOMPARE(m.TopLine(), 0);
        QCOMPARE(m.CurY(), 39);

        Fill(m, "a/b"); // all lines fit: the caret goes to the start instead
        m.SetCurY(1);
        m.SetCurX(1);
        m.ScrollLines(1);
        QCOMPARE(CaretOf(m), QStringLiteral("0,0"));
    }

    // Any mix of keys, undo and redo keeps the store consistent and the caret on a line.
    void randomKeysKeepInvariants() {
        const QStringList tokens = {"t:a",   "t:~",   "enter",  "bs",   "cbs",   "del",       "tab",
                                    "stab",  "ins",   "undo",   "undo", "redo",  "left",      "right",
                                    "up",    "down",  "home",   "end",  "cleft", "cright",    "sright",
                                    "sdown", "scend", "schome", "pgup", "pgdn",  "paste:x/y", "t:\x01"};
        for (int seed = 1; seed <= 20; ++seed) {
            QRandomGenerator rng(seed);
            THeadlessCodeMemoView m;
            Fill(m, "  ab cd/x/    y  /");
            QString script;
            for (int i = 0; i < 300; ++i) {
                const QString t = tokens.at(rng.bounded(int(tokens.size())));
                script += t + ' ';
                RunScript(m, t);
                const int count = m.Lines().Count();
                QVERIFY2(count >= 1 && m.CurY() >= 0 && m.CurY() < count, qPrintable(script));
                QCOMPARE(m.Lines().ListLengths().size(), count);
                QCOMPARE(m.Lines().MaxLength(),
                         *std::max_element(m.Lines().ListLengths().cbegin(), m.Lines().ListLengths().cend()));
            }
            while (m.CanUndo())
                m.Undo();
        }
    }

    // The painter caches the start state of the top line; a change above it must drop that cache.
    void backupTopLineDroppedByChangesAbove_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("dropped");
        for (const char *op : {"put", "insert", "delete", "remove", "insertLines"}) {
            QTest::addRow("%s above", op) << op << 10 << true;
            QTest::addRow("%s below", op) << op << 60 << false;
        }
    }

    void backupTopLineDroppedByChangesAbove() {
        QFETCH(QString, op);
        QFETCH(int, line);
        QFETCH(bool, dropped);
        THeadlessCodeMemoView m;
        QStringList lines;
        for (int i = 0; i < 100; ++i)
            lines << QString::number(i);
        Fill(m, lines.join('/'));
        m.SetTopLine(50);
        QCOMPARE(m.TopLine(), 50);
        m.FbackupTopLine = 50;
        TCodeMemoStrings &s = m.Lines();
        if (op == "put")
            s.Put(line, "x");
        else if (op == "insert")
            s.Insert(line, "x");
        else if (op == "delete")
            s.Delete(line);
        else if (op == "remove")
            s.RemoveLines(line, 2);
        else
            s.InsertLines(line, {"x", "y"});
        QCOMPARE(m.FbackupTopLine, dropped ? -1 : 50);
    }

    void emptyStoreGetsALineWhenEdited() {
        THeadlessCodeMemoView m;
        m.Lines().Clear();
        QCOMPARE(m.Lines().Count(), 0);
        m.KeyPress(QLatin1Char('x'));
        QCOMPARE(Joined(m), QStringLiteral("x"));
        m.Lines().Clear();
        m.KeyBackspace();
        m.KeyDelete();
        m.CaretEnd(false);
        QCOMPARE(m.Lines().Count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestEditing)
#include "test_editing.moc"
