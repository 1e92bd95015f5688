// What assistive technology reads of the text view, and the changes it is told of.
#include "MemoWindow.h"
#include "editor/CodeMemoAccessible.h"

#include <QAccessible>

namespace {

QStringList Heard;
bool Listening = true;

void Record(QAccessibleEvent *event) {
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto *e = static_cast<QAccessibleTextInsertEvent *>(event);
        Heard << QStringLiteral("insert %1 \"%2\"").arg(e->changePosition()).arg(e->textInserted());
        break;
    }
    case QAccessible::TextRemoved: {
        const auto *e = static_cast<QAccessibleTextRemoveEvent *>(event);
        Heard << QStringLiteral("remove %1 \"%2\"").arg(e->changePosition()).arg(e->textRemoved());
        break;
    }
    case QAccessible::TextUpdated: {
        const auto *e = static_cast<QAccessibleTextUpdateEvent *>(event);
        Heard << QStringLiteral("update %1 \"%2\" > \"%3\"")
                     .arg(e->changePosition())
                     .arg(e->textRemoved(), e->textInserted());
        break;
    }
    case QAccessible::TextCaretMoved:
        Heard << QStringLiteral("caret %1")
                     .arg(static_cast<QAccessibleTextCursorEvent *>(event)->cursorPosition());
        break;
    case QAccessible::TextSelectionChanged: {
        const auto *e = static_cast<QAccessibleTextSelectionEvent *>(event);
        Heard << QStringLiteral("selection %1-%2").arg(e->selectionStart()).arg(e->selectionEnd());
        break;
    }
    default:
        break;
    }
}

} // namespace

class TestCodeMemoAccessible : public QObject {
    Q_OBJECT

    static QAccessibleTextInterface *TextOf(TCodeMemo *memo) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(memo);
        return iface ? iface->textInterface() : nullptr;
    }

private Q_SLOTS:
    void initTestCase() {
        // As when a screen reader listens; the reports come here instead of the platform.
        TCodeMemoAccessibility::Listening = [] { return Listening; };
        TCodeMemoAccessibility::Deliver = Record;
    }
    void init() { Heard.clear(); }

    void readsTextCaretAndSelection() {
        TMemoWindow w;
        w.Memo->Lines().SetText(QStringLiteral("[Description]\r\nItem1=PRD\r\n\r\nItem2=QAS"));
        w.Memo->SetCurY(1);
        w.Memo->SetCurX(6);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w.Memo);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::EditableText);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("File content"));
        QVERIFY(iface->state().editable && iface->state().multiLine && iface->state().focusable);
        QAccessibleTextInterface *text = iface->textInterface();
        QVERIFY(text);
        QVERIFY(iface->editableTextInterface());
        const QString whole = QStringLiteral("[Description]\nItem1=PRD\n\nItem2=QAS");
        QCOMPARE(text->characterCount(), whole.size());
        QCOMPARE(text->text(0, text->characterCount()), whole);
        QCOMPARE(text->text(0, -1), whole);
        QCOMPARE(text->text(14, 19), QStringLiteral("Item1"));
        QCOMPARE(text->text(20, 27), QStringLiteral("PRD\n\nIt"));
        QCOMPARE(text->cursorPosition(), 20);
        QCOMPARE(text->selectionCount(), 0);

        w.Memo->Select(6, 1, 2, 3);
        int start = -1, end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(text->selectionCount(), 1);
        QCOMPARE(text->text(start, end), QStringLiteral("PRD\n\nIt"));

        // From the client's side: the caret, a selection, and the character under a point.
        text->setCursorPosition(27);
        QCOMPARE(w.Caret(), QStringLiteral("2,3"));
        QCOMPARE(text->selectionCount(), 0);
        text->setSelection(0, 1, 12);
        QCOMPARE(w.Memo->GetSelection(), QStringLiteral("Description"));
        const QRect cell = text->characterRect(14);
        QCOMPARE(cell.size(), w.Memo->FCellSize);
        QCOMPARE(text->offsetAtPoint(cell.center()), 14);
    }

    // Words, sentences and lines stop at line breaks; an INI file's first "[" is a piece of its own.
    void boundaries_data() {
        QTest::addColumn<int>("boundary");
        QTest::addColumn<QString>("side");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("found"); // "text" [start,end]
        const int word = QAccessible::WordBoundary, line = QAccessible::LineBoundary,
                  character = QAccessible::CharBoundary, sentence = QAccessible::SentenceBoundary;
        QTest::newRow("word at the first bracket") << word << "at" << 0 << "\"[\" [0,1]";
        QTest::newRow("word inside") << word << "at" << 5 << "\"Description\" [1,12]";
        QTest::newRow("word before") << word << "before" << 5 << "\"[\" [0,1]";
        QTest::newRow("word after, to the line break") << word << "after" << 5 << "\"]\n\" [12,14]";
        QTest::newRow("word after the line break") << word << "after" << 13 << "\"Item1\" [14,19]";
        QTest::newRow("word before a line start") << word << "before" << 14 << "\"]\n\" [12,14]";
        QTest::newRow("word on an empty line") << word << "at" << 51 << "\"\n\" [51,52]";
        QTest::newRow("word at the end") << word << "at" << 56 << "\"\" [-1,-1]";
        QTest::newRow("word before the end") << word << "before" << 56 << "\"last\" [52,56]";
        QTest::newRow("line with its break") << line << "at" << 0 << "\"[Description]\n\" [0,14]";
        QTest::newRow("empty line") << line << "at" << 51 << "\"\n\" [51,52]";
        QTest::newRow("line after an empty one") << line << "after" << 51 << "\"last\" [52,56]";
        QTest::newRow("line at the end is the last") << line << "at" << 56 << "\"last\" [52,56]";
        QTest::newRow("no line after the last") << line << "after" << 56 << "\"\" [-1,-1]";
        QTest::newRow("character: the line break") << character << "at" << 13 << "\"\n\" [13,14]";
        QTest::newRow("character before the start") << character << "before" << 0 << "\"\" [-1,-1]";
        QTest::newRow("character before the end") << character << "before" << 56 << "\"t\" [55,56]";
        QTest::newRow("sentence") << sentence << "at" << 20 << "\"Item1=ERP Production (PRD). \" [14,42]";
        QTest::newRow("next sentence") << sentence << "after" << 20 << "\"Next one\n\" [42,51]";
        QTest::newRow("whole text") << int(QAccessible::NoBoundary) << "at" << 5 << "\"*\" [0,56]";
    }
    void boundaries() {
        QFETCH(int, boundary);
        QFETCH(QString, side);
        QFETCH(int, offset);
        QFETCH(QString, found);
        const QString whole = QStringLiteral("[Description]\nItem1=ERP Production (PRD). Next one\n\nlast");
        TMemoWindow w;
        w.Memo->Lines().SetText(QString(whole).replace(u'\n', QStringLiteral("\r\n")));
        QAccessibleTextInterface *text = TextOf(w.Memo);
        QCOMPARE(text->characterCount(), whole.size());
        const auto type = QAccessible::TextBoundaryType(boundary);
        int start = 0, end = 0;
        const QString piece = side == "at"       ? text->textAtOffset(offset, type, &start, &end)
                              : side == "before" ? text->textBeforeOffset(offset, type, &start, &end)
                                                 : text->textAfterOffset(offset, type, &start, &end);
        found.replace(u'*', whole);
        QCOMPARE(QStringLiteral("\"%1\" [%2,%3]").arg(piece).arg(start).arg(end), found);
    }

    // At every offset and for every kind: the piece holds the offset, and the pieces before and
    // after it adjoin it.
    void boundariesAdjoinEverywhere() {
        TMemoWindow w;
        w.Memo->Lines().SetText(QStringLiteral("[A]\r\n\r\n  x = 1.  Two?\r\n   \r\n;c\r\n"));
        QAccessibleTextInterface *text = TextOf(w.Memo);
        const int count = text->characterCount();
        for (auto type : {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
                          QAccessible::LineBoundary}) {
            for (int offset = 0; offset < count; ++offset) {
                const QString where = QStringLiteral("kind %1 offset %2").arg(int(type)).arg(offset);
                int s, e, bs, be, as, ae;
                const QString at = text->textAtOffset(offset, type, &s, &e);
                QVERIFY2(s <= offset && offset < e && at == text->text(s, e), qPrintable(where));
                text->textBeforeOffset(offset, type, &bs, &be);
                QVERIFY2(s == 0 ? bs == -1 : be == s, qPrintable(where));
                text->textAfterOffset(offset, type, &as, &ae);
                QVERIFY2(e == count ? as == -1 : as == e, qPrintable(where));
            }
        }
    }

    // Each key is one report: the change at its offset, then where the caret went.
    void editsAreHeard_data() {
        QTest::addColumn<QString>("caret"); // column,line before the keys
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("heard");
        QTest::newRow("typing") << "5,1" << QStringList{"X"} << QStringList{"insert 15 \"x\"", "caret 16"};
        QTest::newRow("Enter splits the line")
            << "5,1" << QStringList{"Return"} << QStringList{"insert 15 \"\\n\"", "caret 16"};
        QTest::newRow("Backspace at a line start joins")
            << "0,1" << QStringList{"Backspace"} << QStringList{"remove 9 \"\\n\"", "caret 9"};
        QTest::newRow("Delete at the last line end joins nothing")
            << "5,2" << QStringList{"Delete"} << QStringList{};
        QTest::newRow("arrow moves the caret only")
            << "0,0" << QStringList{"Down"} << QStringList{"caret 10"};
        QTest::newRow("Shift+End selects")
            << "2,2" << QStringList{"Shift+End"} << QStringList{"caret 25", "selection 22-25"};
        QTest::newRow("typing over a selection")
            << "0,0" << QStringList{"Shift+Right", "Z"}
            << QStringList{"caret 1", "selection 0-1", "update 0 \"[\" > \"z\"", "selection 1-1"};
    }
    void editsAreHeard() {
        QFETCH(QString, caret);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, heard);
        TMemoWindow w;
        w.Memo->Lines().SetText(QStringLiteral("[Section]\r\nItem1=PRD\r\nItem2"));
        w.Memo->SetCurY(caret.section(u',', 1).toInt());
        w.Memo->SetCurX(caret.section(u',', 0, 0).toInt());
        w.Memo->ClearSelection(); // the anchor follows, as after a click
        QVERIFY(TextOf(w.Memo));
        QApplication::processEvents();
        Heard.clear();
        for (const QString &key : keys) {
            QTest::keySequence(w.Memo, QKeySequence(key));
            QApplication::processEvents();
        }
        heard.replaceInStrings(QStringLiteral("\\n"), QStringLiteral("\n"));
        QCOMPARE(Heard.join(u'|'), heard.join(u'|'));
    }

    // A regeneration replaces every line object; only what differs is reported, and at once.
    void regenerationReportsOnlyTheDifference() {
        TMemoWindow w;
        QStringList lines;
        for (int i = 0; i < 20000; ++i)
            lines << QStringLiteral("Item%1=host%2").arg(i).arg(i % 7);
        w.Memo->Lines().SetText(lines.join(QStringLiteral("\r\n")));
        QApplication::processEvents();
        lines[15000] = QStringLiteral("Item15000=changed");
        w.Memo->Lines().BeginUpdate();
        w.Memo->Lines().Clear();
        for (const QString &line : lines)
            w.Memo->Lines().Add(line);
        w.Memo->Lines().EndUpdate();
        QApplication::processEvents();
        const int position = int(lines.mid(0, 15000).join(u'\n').size()) + 1 + 10;
        QCOMPARE(Heard.value(0), QStringLiteral("update %1 \"host6\" > \"changed\"").arg(position));
    }

    void editsThroughTheInterface() {
        TMemoWindow w;
        w.Memo->Lines().SetText(QStringLiteral("Item1=PRD\r\nItem2=QAS"));
        QAccessibleEditableTextInterface *edit =
            QAccessible::queryAccessibleInterface(w.Memo)->editableTextInterface();
        edit->insertText(10, QStringLiteral("Item0=DEV\n"));
        edit->replaceText(6, 9, QStringLiteral("ERP"));
        edit->deleteText(25, 30);
        QCOMPARE(w.Memo->Lines().Text(), QStringLiteral("Item1=ERP\r\nItem0=DEV\r\nItem2"));
        // The view's own operations: Undo takes them back one by one.
        w.Memo->Undo();
        QCOMPARE(w.Memo->Lines().Text(), QStringLiteral("Item1=ERP\r\nItem0=DEV\r\nItem2=QAS"));
    }

    // Without a listening client nothing is kept or compared; a client that comes later is told of
    // changes from the text it then finds.
    void silentWithoutAClient() {
        TMemoWindow w;
        Listening = false;
        w.Memo->Lines().SetText(QStringLiteral("abc"));
        QTest::keyClick(w.Memo, Qt::Key_X);
        QApplication::processEvents();
        Listening = true;
        QTest::keyClick(w.Memo, Qt::Key_Y);
        QApplication::processEvents();
        QVERIFY(Heard.isEmpty());
        QTest::keyClick(w.Memo, Qt::Key_Z);
        QApplication::processEvents();
        QCOMPARE(Heard, (QStringList{"insert 2 \"z\"", "caret 3"}));
    }
};

QTEST_MAIN(TestCodeMemoAccessible)
#include "test_codememo_accessible.moc"
